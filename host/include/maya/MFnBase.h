#pragma once
#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

// Base of every function set: an MObject it operates on.
class MFnBase {
public:
    MFnBase() = default;
    virtual ~MFnBase() = default;
    virtual MFn::Type type() const { return MFn::kBase; }
    bool hasObj(MFn::Type t) const { return obj_.hasFn(t); }
    bool hasObj(const MObject& o) const { return o.hasFn(type()); }
    MObject object(MStatus* status = nullptr) const {
        if (status) *status = obj_.isNull() ? MStatus::kFailure : MStatus::kSuccess;
        return obj_;
    }
    // Attaches to o when it is compatible with this function set.
    virtual MStatus setObject(const MObject& o);

protected:
    MObject obj_;
};
