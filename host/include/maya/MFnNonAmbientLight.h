#pragma once
#include <maya/MFnLight.h>

// Lights with a position or direction: decay and diffuse/specular switches.
class MFnNonAmbientLight : public MFnLight {
public:
    MFnNonAmbientLight() = default;
    MFnNonAmbientLight(const MObject& node, MStatus* status = nullptr);
    MFnNonAmbientLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNonAmbientLight; }

    // 0 none, 1 linear, 2 quadratic, 3 cubic.
    short decayRate(MStatus* status = nullptr) const;
    MStatus setDecayRate(short rate);
};
