#pragma once
#include <maya/MFnDagNode.h>
#include <maya/MPoint.h>
#include <maya/MSpace.h>
#include <maya/MVector.h>

// Function set of camera shapes: optics (focal length, film aperture in
// inches, clipping planes), the view it gives and its centre of interest.
class MFnCamera : public MFnDagNode {
public:
    enum FilmFit { kFillFilmFit, kHorizontalFilmFit, kVerticalFilmFit, kOverscanFilmFit, kInvalid };

    MFnCamera() = default;
    MFnCamera(const MObject& node, MStatus* status = nullptr);
    MFnCamera(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kCamera; }

    // A camera shape under a new transform (returned, as the host does), or under parent.
    MObject create(MStatus* status = nullptr);
    MObject create(const MObject& parent, MStatus* status = nullptr);

    // Placement, from the camera's transform (its first parent).
    MPoint eyePoint(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    MVector viewDirection(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    MVector upDirection(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    MVector rightDirection(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    MPoint centerOfInterestPoint(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    double centerOfInterest(MStatus* status = nullptr) const;
    MStatus setCenterOfInterest(double dist);

    // Optics: focal length in millimetres, apertures and offsets in inches.
    double focalLength(MStatus* status = nullptr) const;
    MStatus setFocalLength(double f);
    double horizontalFilmAperture(MStatus* status = nullptr) const;
    MStatus setHorizontalFilmAperture(double inches);
    double verticalFilmAperture(MStatus* status = nullptr) const;
    MStatus setVerticalFilmAperture(double inches);
    double horizontalFilmOffset(MStatus* status = nullptr) const;
    MStatus setHorizontalFilmOffset(double inches);
    double verticalFilmOffset(MStatus* status = nullptr) const;
    MStatus setVerticalFilmOffset(double inches);
    double lensSqueezeRatio(MStatus* status = nullptr) const;
    MStatus setLensSqueezeRatio(double r);
    double cameraScale(MStatus* status = nullptr) const;
    MStatus setCameraScale(double s);
    FilmFit filmFit(MStatus* status = nullptr) const;
    MStatus setFilmFit(FilmFit fit);
    double aspectRatio(MStatus* status = nullptr) const;  // horizontal / vertical aperture
    double horizontalFieldOfView(MStatus* status = nullptr) const;  // radians
    double verticalFieldOfView(MStatus* status = nullptr) const;

    // Width and height of the film frustum at `distance` in front of the eye
    // (and the film offsets scaled the same way). Orthographic cameras give
    // the ortho width whatever the distance.
    MStatus getFilmFrustum(double distance, double& hSize, double& vSize, double& hOffset, double& vOffset) const;
    MStatus getFilmFrustum(double distance, double& hSize, double& vSize) const;

    double nearClippingPlane(MStatus* status = nullptr) const;
    MStatus setNearClippingPlane(double d);
    double farClippingPlane(MStatus* status = nullptr) const;
    MStatus setFarClippingPlane(double d);
    MStatus setNearFarClippingPlanes(double nearD, double farD);

    bool isOrtho(MStatus* status = nullptr) const;
    MStatus setIsOrtho(bool on);
    double orthoWidth(MStatus* status = nullptr) const;
    MStatus setOrthoWidth(double w);
    double fStop(MStatus* status = nullptr) const;
    MStatus setFStop(double f);
};
