#pragma once
#include <maya/MFnLight.h>

// Ambient lights: light from everywhere, shaded by ambientShade.
class MFnAmbientLight : public MFnLight {
public:
    MFnAmbientLight() = default;
    MFnAmbientLight(const MObject& node, MStatus* status = nullptr);
    MFnAmbientLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kAmbientLight; }

    MObject create(bool UIvisible = true, MStatus* status = nullptr);
    MObject create(const MObject& parent, bool UIvisible = true, MStatus* status = nullptr);

    float ambientShade(MStatus* status = nullptr) const;
    MStatus setAmbientShade(float s);
};
