#pragma once
#include <maya/MFnNonAmbientLight.h>

// Point, directional and spot lights: depth map shadows.
class MFnNonExtendedLight : public MFnNonAmbientLight {
public:
    MFnNonExtendedLight() = default;
    MFnNonExtendedLight(const MObject& node, MStatus* status = nullptr);
    MFnNonExtendedLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNonExtendedLight; }

    bool useDepthMapShadows(MStatus* status = nullptr) const;
    MStatus setUseDepthMapShadows(bool on);
    short depthMapResolution(MStatus* status = nullptr) const;
    MStatus setDepthMapResolution(short r);
};
