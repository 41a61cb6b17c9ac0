#pragma once
#include <maya/MFnAttribute.h>

// Enumerations: a short with named fields.
class MFnEnumAttribute : public MFnAttribute {
public:
    MFnEnumAttribute() = default;
    MFnEnumAttribute(const MObject& attr, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kEnumAttribute; }

    MObject create(const MString& fullName, const MString& briefName, short defaultValue = 0,
                   MStatus* status = nullptr);
    MStatus addField(const MString& fieldName, short index);
    MString fieldName(short index, MStatus* status = nullptr) const;
    short fieldIndex(const MString& fieldName, MStatus* status = nullptr) const;
    MStatus getMin(short& v) const;
    MStatus getMax(short& v) const;
    MStatus setDefault(short index);
    MStatus setDefault(const MString& fieldName);
    MStatus getDefault(short& index) const;
    MString defaultValue(MStatus* status = nullptr) const;
};
