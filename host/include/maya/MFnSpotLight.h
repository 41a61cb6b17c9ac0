#pragma once
#include <maya/MFnNonExtendedLight.h>

// Spot lights: cone and penumbra angles in radians.
class MFnSpotLight : public MFnNonExtendedLight {
public:
    MFnSpotLight() = default;
    MFnSpotLight(const MObject& node, MStatus* status = nullptr);
    MFnSpotLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kSpotLight; }

    MObject create(bool UIvisible = true, MStatus* status = nullptr);
    MObject create(const MObject& parent, bool UIvisible = true, MStatus* status = nullptr);

    double coneAngle(MStatus* status = nullptr) const;
    MStatus setConeAngle(double a);
    double penumbraAngle(MStatus* status = nullptr) const;
    MStatus setPenumbraAngle(double a);
    double dropOff(MStatus* status = nullptr) const;
    MStatus setDropOff(double d);
};
