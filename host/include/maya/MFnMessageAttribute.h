#pragma once
#include <maya/MFnAttribute.h>

// Message attributes: connections without values.
class MFnMessageAttribute : public MFnAttribute {
public:
    MFnMessageAttribute() = default;
    MFnMessageAttribute(const MObject& attr, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMessageAttribute; }
    MObject create(const MString& fullName, const MString& briefName, MStatus* status = nullptr);
};
