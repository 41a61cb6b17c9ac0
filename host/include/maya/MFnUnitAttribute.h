#pragma once
#include <maya/MFnAttribute.h>

class MTime;
class MAngle;
class MDistance;

// Attributes with units: distance, angle, time (values in internal units).
class MFnUnitAttribute : public MFnAttribute {
public:
    enum Type { kInvalid, kAngle, kDistance, kTime, kLast };
    MFnUnitAttribute() = default;
    MFnUnitAttribute(const MObject& attr, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kUnitAttribute; }

    MObject create(const MString& fullName, const MString& briefName, Type unitType, double defaultValue = 0.0,
                   MStatus* status = nullptr);
    MObject create(const MString& fullName, const MString& briefName, const MTime& defaultValue,
                   MStatus* status = nullptr);
    MObject create(const MString& fullName, const MString& briefName, const MAngle& defaultValue,
                   MStatus* status = nullptr);
    MObject create(const MString& fullName, const MString& briefName, const MDistance& defaultValue,
                   MStatus* status = nullptr);
    Type unitType(MStatus* status = nullptr) const;
    MStatus setMin(double v);
    MStatus setMax(double v);
    MStatus setSoftMin(double v);
    MStatus setSoftMax(double v);
    MStatus setDefault(double v);
    MStatus getDefault(double& v) const;
};
