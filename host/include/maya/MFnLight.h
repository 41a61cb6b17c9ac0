#pragma once
#include <maya/MColor.h>
#include <maya/MFnDagNode.h>
#include <maya/MFloatVector.h>
#include <maya/MSpace.h>

// Function set common to every light shape: colour, intensity, shadows.
class MFnLight : public MFnDagNode {
public:
    MFnLight() = default;
    MFnLight(const MObject& node, MStatus* status = nullptr);
    MFnLight(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kLight; }

    MColor color(MStatus* status = nullptr) const;
    MStatus setColor(const MColor& c);
    float intensity(MStatus* status = nullptr) const;
    MStatus setIntensity(float i);
    MColor shadowColor(MStatus* status = nullptr) const;
    MStatus setShadowColor(const MColor& c);
    bool useRayTraceShadows(MStatus* status = nullptr) const;
    MStatus setUseRayTraceShadows(bool on);
    // The direction the light points (its local -z axis) for the given instance.
    MFloatVector lightDirection(unsigned int instance = 0, MSpace::Space space = MSpace::kWorld,
                                MStatus* status = nullptr) const;

protected:
    // Shared by the light kinds' create(): a shape of `typeName` under parent
    // (a new transform named after the type when parent is null).
    MObject createLight(const char* typeName, const MObject& parent, MStatus* status);
};
