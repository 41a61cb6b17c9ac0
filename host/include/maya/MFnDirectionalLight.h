#pragma once
#include <maya/MFnNonExtendedLight.h>

class MFnDirectionalLight : public MFnNonExtendedLight {
public:
    MFnDirectionalLight() = default;
    MFnDirectionalLight(const MObject& node, MStatus* status = nullptr);
    MFnDirectionalLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kDirectionalLight; }

    MObject create(bool UIvisible = true, MStatus* status = nullptr);
    MObject create(const MObject& parent, bool UIvisible = true, MStatus* status = nullptr);
};
