#pragma once
#include <maya/MFnAttribute.h>
#include <maya/MFnNumericData.h>

// Numeric attributes: scalars and 2/3-component compounds.
class MFnNumericAttribute : public MFnAttribute {
public:
    MFnNumericAttribute() = default;
    MFnNumericAttribute(const MObject& attr, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNumericAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                   double defaultValue = 0.0, MStatus* status = nullptr);
    // Compound of the three (or two) given children.
    MObject create(const MString& fullName, const MString& briefName, const MObject& child1, const MObject& child2,
                   const MObject& child3 = MObject::kNullObj, MStatus* status = nullptr);
    MObject createColor(const MString& fullName, const MString& briefName, MStatus* status = nullptr);
    MObject createPoint(const MString& fullName, const MString& briefName, MStatus* status = nullptr);
    MObject createAddr(const MString& fullName, const MString& briefName, MStatus* status = nullptr);

    MFnNumericData::Type unitType(MStatus* status = nullptr) const;
    MStatus getMin(double& v) const;
    MStatus getMax(double& v) const;
    MStatus getSoftMin(double& v) const;
    MStatus getSoftMax(double& v) const;
    bool hasMin(MStatus* status = nullptr) const;
    bool hasMax(MStatus* status = nullptr) const;
    bool hasSoftMin(MStatus* status = nullptr) const;
    bool hasSoftMax(MStatus* status = nullptr) const;
    MStatus setMin(double v);
    MStatus setMax(double v);
    MStatus setSoftMin(double v);
    MStatus setSoftMax(double v);
    MStatus setMin(double a, double b, double c);
    MStatus setMax(double a, double b, double c);
    MStatus getDefault(bool& v) const;
    MStatus getDefault(int& v) const;
    MStatus getDefault(float& v) const;
    MStatus getDefault(double& v) const;
    MStatus setDefault(bool v) { return setDefault(v ? 1.0 : 0.0); }
    MStatus setDefault(int v) { return setDefault(static_cast<double>(v)); }
    MStatus setDefault(float v) { return setDefault(static_cast<double>(v)); }
    MStatus setDefault(double v);
    MStatus setDefault(double a, double b);
    MStatus setDefault(double a, double b, double c);
    MStatus setDefault(float a, float b, float c) { return setDefault(double(a), double(b), double(c)); }
};
