#include <maya/MSyntax.h>

#include "plugins/syntax_data.h"

MSyntax::MSyntax() : d_(std::make_unique<Data>()) {}
MSyntax::MSyntax(const MSyntax& o) : d_(std::make_unique<Data>(*o.d_)) {}
MSyntax& MSyntax::operator=(const MSyntax& o) {
    if (this != &o) *d_ = *o.d_;
    return *this;
}
MSyntax::~MSyntax() = default;

MStatus MSyntax::addFlag(const char* shortName, const char* longName, MArgType a1, MArgType a2, MArgType a3,
                         MArgType a4, MArgType a5, MArgType a6) {
    if (!shortName || shortName[0] != '-') return MStatus::kInvalidParameter;
    Data::Flag f;
    f.shortName = shortName;
    f.longName = longName ? longName : "";
    for (MArgType t : {a1, a2, a3, a4, a5, a6}) {
        if (t == kNoArg || t == kInvalidArgType) break;
        f.args.push_back(t);
    }
    for (const auto& existing : d_->flags)
        if (existing.shortName == f.shortName || (!f.longName.empty() && existing.longName == f.longName))
            return MStatus::kInvalidParameter;
    d_->flags.push_back(std::move(f));
    return MStatus::kSuccess;
}

MStatus MSyntax::makeFlagMultiUse(const char* flag) {
    if (Data::Flag* f = d_->find(flag ? flag : "")) {
        f->multiUse = true;
        return MStatus::kSuccess;
    }
    return MStatus::kInvalidParameter;
}

MStatus MSyntax::addArg(MArgType type) {
    d_->commandArgs.push_back(type);
    return MStatus::kSuccess;
}

MStatus MSyntax::setObjectType(MObjectFormat format, unsigned int minimum, unsigned int maximum) {
    d_->objectFormat = format;
    d_->minObjects = minimum;
    d_->maxObjects = maximum;
    return MStatus::kSuccess;
}

MStatus MSyntax::useSelectionAsDefault(bool useSelection) {
    d_->useSelection = useSelection;
    return MStatus::kSuccess;
}

void MSyntax::enableQuery(bool on) { d_->query = on; }
void MSyntax::enableEdit(bool on) { d_->edit = on; }
