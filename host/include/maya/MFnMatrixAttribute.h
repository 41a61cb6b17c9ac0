#pragma once
#include <maya/MFnAttribute.h>

// Matrix attributes (double or float).
class MFnMatrixAttribute : public MFnAttribute {
public:
    enum Type { kFloat, kDouble };
    MFnMatrixAttribute() = default;
    MFnMatrixAttribute(const MObject& attr, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMatrixAttribute; }
    MObject create(const MString& fullName, const MString& briefName, Type type = kDouble,
                   MStatus* status = nullptr);
};
