#pragma once
#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>

// Function set of motionPath nodes: the curve an object follows and how it
// is oriented along it.
class MFnMotionPath : public MFnDependencyNode {
public:
    // The host's axis numbering.
    enum Axis { kXaxis = 0, kYaxis, kZaxis };

    MFnMotionPath() = default;
    MFnMotionPath(const MObject& node, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMotionPath; }

    // The curve shape feeding the path's geometryPath.
    MStatus pathObject(MDagPath& path) const;
    MStatus setPathObject(const MDagPath& path);

    bool follow(MStatus* status = nullptr) const;
    MStatus setFollow(bool on);
    Axis followAxis(MStatus* status = nullptr) const;
    MStatus setFollowAxis(Axis a);
    Axis upAxis(MStatus* status = nullptr) const;
    MStatus setUpAxis(Axis a);
    bool bank(MStatus* status = nullptr) const;
    MStatus setBank(bool on);
    double bankScale(MStatus* status = nullptr) const;
    MStatus setBankScale(double s);
    double bankThreshold(MStatus* status = nullptr) const;  // radians
    MStatus setBankThreshold(double a);
    bool inverseNormal(MStatus* status = nullptr) const;
    MStatus setInverseNormal(bool on);
    bool useNormal(MStatus* status = nullptr) const;  // world up type "Normal"
    MStatus setUseNormal(bool on);
    bool isFractionMode(MStatus* status = nullptr) const;
    MStatus setFractionMode(bool on);

    // Times in seconds of the first and last key of the curve driving
    // uValue (0 when uValue is not animated).
    double uTimeStart(MStatus* status = nullptr) const;
    double uTimeEnd(MStatus* status = nullptr) const;
};
