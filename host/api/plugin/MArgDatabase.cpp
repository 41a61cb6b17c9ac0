#include <maya/MArgDatabase.h>

#include "plugins/syntax_data.h"

namespace {
bool isFlagWord(const MArgList::Word& w) {
    if (w.isArray || w.isString) return false;
    const MString& t = w.text;
    // "-3" and "-0.5" are numbers, not flags.
    return t.length() >= 2 && t.asChar()[0] == '-' && !t.isDouble();
}

bool convertible(const MString& v, MSyntax::MArgType type) {
    switch (type) {
    case MSyntax::kBoolean:
        return v.isDouble() || v == "true" || v == "false" || v == "on" || v == "off" || v == "yes" || v == "no";
    case MSyntax::kLong:
    case MSyntax::kUnsigned:
    case MSyntax::kDouble:
    case MSyntax::kDistance:
    case MSyntax::kAngle:
    case MSyntax::kTime:
        return v.isDouble();
    default:
        return true;
    }
}
}  // namespace

MArgParser::MArgParser(const MSyntax& syntax, const MArgList& args, MStatus* status) {
    const MSyntax::Data& d = syntax.data();
    const auto& words = args.words();
    MStatus st = MStatus::kSuccess;
    size_t i = 0;
    for (; i < words.size(); ++i) {
        const MArgList::Word& w = words[i];
        if (!isFlagWord(w)) break;
        std::string name = w.text.str();
        if ((name == "-q" || name == "-query") && d.query) {
            query_ = true;
            continue;
        }
        if ((name == "-e" || name == "-edit") && d.edit) {
            edit_ = true;
            continue;
        }
        const MSyntax::Data::Flag* f = d.find(name);
        if (!f) {
            error_ = MString("Invalid flag '") + w.text + "'";
            st = MStatus::kInvalidParameter;
            break;
        }
        auto& uses = flags_[f->shortName];
        if (!uses.empty() && !f->multiUse) {
            error_ = MString("Flag '") + w.text + "' must be used only once";
            st = MStatus::kInvalidParameter;
            break;
        }
        FlagUse use;
        // In query mode the host takes flags without their arguments.
        if (!query_) {
            for (MSyntax::MArgType t : f->args) {
                if (i + 1 >= words.size()) {
                    error_ = MString("Flag '") + w.text + "' must be passed a value";
                    st = MStatus::kInvalidParameter;
                    break;
                }
                const MString& v = words[++i].text;
                if (!convertible(v, t)) {
                    error_ = MString("Invalid argument for flag '") + w.text + "': '" + v + "'";
                    st = MStatus::kInvalidParameter;
                    break;
                }
                use.values.push_back(v);
            }
        }
        if (st.error()) break;
        uses.push_back(std::move(use));
    }
    if (!st.error()) {
        size_t a = 0;
        for (; i < words.size(); ++i) {
            const MArgList::Word& w = words[i];
            if (a < d.commandArgs.size()) {
                if (!convertible(w.text, d.commandArgs[a])) {
                    error_ = MString("Invalid argument: '") + w.text + "'";
                    st = MStatus::kInvalidParameter;
                    break;
                }
                commandArgs_.push_back(w.text);
                ++a;
                continue;
            }
            if (isFlagWord(w)) {
                error_ = MString("Invalid flag '") + w.text + "'";
                st = MStatus::kInvalidParameter;
                break;
            }
            if (d.objectFormat == MSyntax::kNone || d.objectFormat == MSyntax::kInvalidObjectFormat) {
                error_ = MString("Too many arguments: '") + w.text + "'";
                st = MStatus::kInvalidParameter;
                break;
            }
            if (w.isArray) {
                for (const MString& e : w.elements) objects_.push_back(e);
            } else {
                objects_.push_back(w.text);
            }
        }
        if (!st.error() && a < d.commandArgs.size()) {
            error_ = "Not enough arguments";
            st = MStatus::kInvalidParameter;
        }
        if (!st.error() && d.objectFormat != MSyntax::kNone && !d.useSelection &&
            (objects_.size() < d.minObjects || objects_.size() > d.maxObjects)) {
            error_ = objects_.size() < d.minObjects ? "Too few objects given" : "Too many objects given";
            st = MStatus::kInvalidParameter;
        }
    }
    if (status) *status = st;
}

bool MArgParser::isFlagSet(const char* flag, MStatus* status) const {
    if (status) *status = MStatus::kSuccess;
    if (!flag) return false;
    auto it = flags_.find(flag);
    if (it != flags_.end()) return true;
    return false;
}

bool MArgParser::isQuery(MStatus* status) const {
    if (status) *status = MStatus::kSuccess;
    return query_;
}
bool MArgParser::isEdit(MStatus* status) const {
    if (status) *status = MStatus::kSuccess;
    return edit_;
}

unsigned int MArgParser::numberOfFlagUses(const char* flag) const {
    auto it = flag ? flags_.find(flag) : flags_.end();
    return it == flags_.end() ? 0u : static_cast<unsigned int>(it->second.size());
}

unsigned int MArgParser::numberOfFlagsUsed() const {
    unsigned int n = 0;
    for (const auto& kv : flags_) n += static_cast<unsigned int>(kv.second.size());
    return n;
}

const MString* MArgParser::flagValue(const char* flag, unsigned int index, MStatus* status) const {
    auto it = flag ? flags_.find(flag) : flags_.end();
    if (it == flags_.end() || it->second.empty() || index >= it->second.front().values.size()) {
        if (status) *status = MStatus::kFailure;
        return nullptr;
    }
    if (status) *status = MStatus::kSuccess;
    return &it->second.front().values[index];
}

MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, bool& v) const {
    MStatus s;
    if (const MString* t = flagValue(flag, index, &s)) v = (*t == "true" || *t == "on" || *t == "yes") || t->asDouble() != 0.0;
    return s;
}
MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, int& v) const {
    MStatus s;
    if (const MString* t = flagValue(flag, index, &s)) v = static_cast<int>(t->asDouble());
    return s;
}
MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, unsigned int& v) const {
    MStatus s;
    if (const MString* t = flagValue(flag, index, &s)) v = static_cast<unsigned int>(t->asDouble());
    return s;
}
MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, double& v) const {
    MStatus s;
    if (const MString* t = flagValue(flag, index, &s)) v = t->asDouble();
    return s;
}
MStatus MArgParser::getFlagArgument(const char* flag, unsigned int index, MString& v) const {
    MStatus s;
    if (const MString* t = flagValue(flag, index, &s)) v = *t;
    return s;
}

MStatus MArgParser::getFlagArgumentList(const char* flag, unsigned int use, MArgList& out) const {
    auto it = flag ? flags_.find(flag) : flags_.end();
    if (it == flags_.end() || use >= it->second.size()) return MStatus::kFailure;
    out = MArgList();
    for (const MString& v : it->second[use].values) out.addWord({v, {}, false, false});
    return MStatus::kSuccess;
}

MStatus MArgParser::getCommandArgument(unsigned int index, bool& v) const {
    if (index >= commandArgs_.size()) return MStatus::kFailure;
    v = commandArgs_[index].asDouble() != 0.0 || commandArgs_[index] == "true" || commandArgs_[index] == "on";
    return MStatus::kSuccess;
}
MStatus MArgParser::getCommandArgument(unsigned int index, int& v) const {
    if (index >= commandArgs_.size()) return MStatus::kFailure;
    v = static_cast<int>(commandArgs_[index].asDouble());
    return MStatus::kSuccess;
}
MStatus MArgParser::getCommandArgument(unsigned int index, double& v) const {
    if (index >= commandArgs_.size()) return MStatus::kFailure;
    v = commandArgs_[index].asDouble();
    return MStatus::kSuccess;
}
MStatus MArgParser::getCommandArgument(unsigned int index, MString& v) const {
    if (index >= commandArgs_.size()) return MStatus::kFailure;
    v = commandArgs_[index];
    return MStatus::kSuccess;
}

MStatus MArgParser::getObjects(MStringArray& out) const {
    out.clear();
    for (const MString& o : objects_) out.append(o);
    return MStatus::kSuccess;
}
