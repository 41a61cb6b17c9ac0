#include <maya/MFnBase.h>
#include <maya/MObject.h>

#include "scene/core/scene.h"

const MObject MObject::kNullObj;

bool MObject::hasFn(MFn::Type type) const { return p_ && p_->alive() && p_->hasFn(type); }
bool MObject::isNull() const { return !p_ || !p_->alive(); }
MFn::Type MObject::apiType() const { return p_ && p_->alive() ? p_->apiType() : MFn::kInvalid; }
const char* MObject::apiTypeStr() const { return MFn::typeName(apiType()); }

const char* MFn::typeName(Type t) {
    switch (t) {
#define VL2_MFN_NAME(n) \
    case n: return #n;
        VL2_MFN_TYPES(VL2_MFN_NAME)
#undef VL2_MFN_NAME
    }
    return "kInvalid";
}

MStatus MFnBase::setObject(const MObject& o) {
    if (o.isNull() || !o.hasFn(type())) {
        obj_ = MObject();
        return MStatus::kInvalidParameter;
    }
    obj_ = o;
    return MStatus::kSuccess;
}
