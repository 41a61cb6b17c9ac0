// Camera shapes: optics from the shape's attributes, placement from its
// world matrix (the host's cameras look down their local -z with +y up).
#include <maya/MFnCamera.h>

#include "api/render/render_access.h"

#include <cmath>

using namespace host::render_api;
using host::scene::Matrix4;
using host::scene::scene;

namespace {
constexpr double kInch = 25.4;  // film apertures are inches, focal lengths millimetres

Matrix4 worldOf(const MObject& o) {
    Node* n = nodeOf(o);
    Matrix4 m;
    if (n) m = scene().getMatrix(n->plug("worldMatrix").element(0));
    return m;
}
MPoint placePoint(const MObject& o, MSpace::Space space, double x, double y, double z) {
    if (space != MSpace::kWorld) return MPoint(x, y, z);
    Matrix4 m = worldOf(o);
    return MPoint(x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0],
                  x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1],
                  x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2] + m.m[3][2]);
}
MVector placeVector(const MObject& o, MSpace::Space space, double x, double y, double z) {
    if (space != MSpace::kWorld) return MVector(x, y, z);
    Matrix4 m = worldOf(o);
    MVector v(x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0], x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1],
              x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2]);
    double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return len > 0 ? MVector(v.x / len, v.y / len, v.z / len) : v;
}
}  // namespace

MFnCamera::MFnCamera(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; }
MFnCamera::MFnCamera(const MDagPath& path, MStatus* st) { MStatus s = MFnDagNode::setObject(path); if (st) *st = s; }

MObject MFnCamera::create(MStatus* st) { return create(MObject::kNullObj, st); }
MObject MFnCamera::create(const MObject& parent, MStatus* st) {
    MObject made = createShape("camera", parent, st);
    if (made.isNull()) return made;
    Node* n = nodeOf(made);
    Node* shape = n->type->isShape ? n : (n->children.empty() ? nullptr : n->children.front());
    obj_ = objOf(shape);
    return made;
}

#define VL2_CAMERA_NUMBER(getter, setter, attr)                                               \
    double MFnCamera::getter(MStatus* st) const { bool ok; double v = number(obj_, attr, ok); return ret(st, ok, v); } \
    MStatus MFnCamera::setter(double v) { return setNumber(obj_, attr, v); }

VL2_CAMERA_NUMBER(centerOfInterest, setCenterOfInterest, "centerOfInterest")
VL2_CAMERA_NUMBER(focalLength, setFocalLength, "focalLength")
VL2_CAMERA_NUMBER(horizontalFilmAperture, setHorizontalFilmAperture, "horizontalFilmAperture")
VL2_CAMERA_NUMBER(verticalFilmAperture, setVerticalFilmAperture, "verticalFilmAperture")
VL2_CAMERA_NUMBER(horizontalFilmOffset, setHorizontalFilmOffset, "horizontalFilmOffset")
VL2_CAMERA_NUMBER(verticalFilmOffset, setVerticalFilmOffset, "verticalFilmOffset")
VL2_CAMERA_NUMBER(lensSqueezeRatio, setLensSqueezeRatio, "lensSqueezeRatio")
VL2_CAMERA_NUMBER(cameraScale, setCameraScale, "cameraScale")
VL2_CAMERA_NUMBER(nearClippingPlane, setNearClippingPlane, "nearClipPlane")
VL2_CAMERA_NUMBER(farClippingPlane, setFarClippingPlane, "farClipPlane")
VL2_CAMERA_NUMBER(orthoWidth, setOrthoWidth, "orthographicWidth")
VL2_CAMERA_NUMBER(fStop, setFStop, "fStop")
#undef VL2_CAMERA_NUMBER

MStatus MFnCamera::setNearFarClippingPlanes(double nearD, double farD) {
    if (!(nearD > 0) || !(farD > nearD)) return MStatus::kInvalidParameter;
    MStatus s = setNearClippingPlane(nearD);
    return s.error() ? s : setFarClippingPlane(farD);
}

bool MFnCamera::isOrtho(MStatus* st) const { bool ok; double v = number(obj_, "orthographic", ok); return ret(st, ok, v != 0); }
MStatus MFnCamera::setIsOrtho(bool on) { return setNumber(obj_, "orthographic", on ? 1 : 0); }

MFnCamera::FilmFit MFnCamera::filmFit(MStatus* st) const {
    bool ok;
    int v = static_cast<int>(number(obj_, "filmFit", ok));
    return ret(st, ok && v >= 0 && v < kInvalid, ok && v >= 0 && v < kInvalid ? static_cast<FilmFit>(v) : kInvalid);
}
MStatus MFnCamera::setFilmFit(FilmFit fit) {
    if (fit < kFillFilmFit || fit >= kInvalid) return MStatus::kInvalidParameter;
    return setNumber(obj_, "filmFit", fit);
}

double MFnCamera::aspectRatio(MStatus* st) const {
    bool ok1, ok2;
    double h = number(obj_, "horizontalFilmAperture", ok1), v = number(obj_, "verticalFilmAperture", ok2);
    bool ok = ok1 && ok2 && v != 0;
    return ret(st, ok, ok ? h / v : 0.0);
}

MStatus MFnCamera::getFilmFrustum(double distance, double& hSize, double& vSize, double& hOffset,
                                  double& vOffset) const {
    bool ok[7];
    double fl = number(obj_, "focalLength", ok[0]);
    double hfa = number(obj_, "horizontalFilmAperture", ok[1]);
    double vfa = number(obj_, "verticalFilmAperture", ok[2]);
    double hfo = number(obj_, "horizontalFilmOffset", ok[3]);
    double vfo = number(obj_, "verticalFilmOffset", ok[4]);
    double lsr = number(obj_, "lensSqueezeRatio", ok[5]);
    double cs = number(obj_, "cameraScale", ok[6]);
    for (bool b : ok)
        if (!b) return MStatus::kFailure;
    if (isOrtho()) {
        double w = orthoWidth();
        hSize = w;
        vSize = hfa != 0 ? w * vfa / hfa : w;
        hOffset = hfa != 0 ? w * hfo / hfa : 0.0;
        vOffset = hfa != 0 ? w * vfo / hfa : 0.0;
        return MStatus::kSuccess;
    }
    if (!(fl > 0)) return MStatus::kFailure;
    // Similar triangles: the film (apertures in mm) sits at the focal length behind the eye.
    double k = distance * cs / fl;
    hSize = hfa * lsr * kInch * k;
    vSize = vfa * kInch * k;
    hOffset = hfo * kInch * k;
    vOffset = vfo * kInch * k;
    return MStatus::kSuccess;
}

MStatus MFnCamera::getFilmFrustum(double distance, double& hSize, double& vSize) const {
    double ho, vo;
    return getFilmFrustum(distance, hSize, vSize, ho, vo);
}

double MFnCamera::horizontalFieldOfView(MStatus* st) const {
    double h, v;
    MStatus s = getFilmFrustum(1.0, h, v);
    return ret(st, !s.error() && !isOrtho(), s.error() ? 0.0 : 2.0 * std::atan(h / 2.0));
}
double MFnCamera::verticalFieldOfView(MStatus* st) const {
    double h, v;
    MStatus s = getFilmFrustum(1.0, h, v);
    return ret(st, !s.error() && !isOrtho(), s.error() ? 0.0 : 2.0 * std::atan(v / 2.0));
}

MPoint MFnCamera::eyePoint(MSpace::Space space, MStatus* st) const {
    return ret(st, nodeOf(obj_) != nullptr, placePoint(obj_, space, 0, 0, 0));
}
MVector MFnCamera::viewDirection(MSpace::Space space, MStatus* st) const {
    return ret(st, nodeOf(obj_) != nullptr, placeVector(obj_, space, 0, 0, -1));
}
MVector MFnCamera::upDirection(MSpace::Space space, MStatus* st) const {
    return ret(st, nodeOf(obj_) != nullptr, placeVector(obj_, space, 0, 1, 0));
}
MVector MFnCamera::rightDirection(MSpace::Space space, MStatus* st) const {
    return ret(st, nodeOf(obj_) != nullptr, placeVector(obj_, space, 1, 0, 0));
}
MPoint MFnCamera::centerOfInterestPoint(MSpace::Space space, MStatus* st) const {
    bool ok;
    double coi = number(obj_, "centerOfInterest", ok);
    return ret(st, ok, placePoint(obj_, space, 0, 0, -coi));
}
