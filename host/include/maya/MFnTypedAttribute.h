#pragma once
#include <maya/MFnAttribute.h>
#include <maya/MFnData.h>
#include <maya/MTypeId.h>

// Attributes holding data objects: strings, meshes, curves, arrays.
class MFnTypedAttribute : public MFnAttribute {
public:
    MFnTypedAttribute() = default;
    MFnTypedAttribute(const MObject& attr, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kTypedAttribute; }

    MObject create(const MString& fullName, const MString& briefName, MFnData::Type type,
                   MStatus* status = nullptr);
    MObject create(const MString& fullName, const MString& briefName, MFnData::Type type,
                   const MObject& defaultData, MStatus* status = nullptr);
    MObject create(const MString& fullName, const MString& briefName, const MTypeId& id,
                   const MObject& defaultData = MObject::kNullObj, MStatus* status = nullptr);
    MFnData::Type attrType(MStatus* status = nullptr) const;
    MStatus getDefault(MObject& defaultData) const;
    MStatus setDefault(const MObject& defaultData);
};
