#pragma once
#include <maya/MFnNonExtendedLight.h>

class MFnPointLight : public MFnNonExtendedLight {
public:
    MFnPointLight() = default;
    MFnPointLight(const MObject& node, MStatus* status = nullptr);
    MFnPointLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kPointLight; }

    MObject create(bool UIvisible = true, MStatus* status = nullptr);
    MObject create(const MObject& parent, bool UIvisible = true, MStatus* status = nullptr);
};
