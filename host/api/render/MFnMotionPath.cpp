// motionPath nodes through the API. The path curve is what feeds
// geometryPath; the start and end times are those of uValue's keys.
#include <maya/MFnMotionPath.h>

#include "api/render/render_access.h"
#include "scene/core/eval.h"

using namespace host::render_api;
using host::scene::Plug;
using host::scene::scene;

MFnMotionPath::MFnMotionPath(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; }

MStatus MFnMotionPath::pathObject(MDagPath& path) const {
    Node* n = nodeOf(obj_);
    if (!n) return MStatus::kFailure;
    Plug src = scene().sourceOf(n->plug("geometryPath"));
    if (src.isNull() || !src.node->isDag()) return MStatus::kFailure;
    path = MDagPath(objOf(src.node));
    return MStatus::kSuccess;
}

MStatus MFnMotionPath::setPathObject(const MDagPath& path) {
    Node* n = nodeOf(obj_);
    Node* c = nodeOf(path.node());
    if (!n || !c) return MStatus::kInvalidParameter;
    if (c->type->isTransform)
        for (Node* k : c->children)
            if (k->hasFn(MFn::kNurbsCurve)) {
                c = k;
                break;
            }
    if (!c->hasFn(MFn::kNurbsCurve)) return MStatus::kInvalidParameter;
    return scene().connect(c->plug("worldSpace").element(0), n->plug("geometryPath"), true);
}

#define VL2_PATH_BOOL(getter, setter, attr)                                                       \
    bool MFnMotionPath::getter(MStatus* st) const { bool ok; double v = number(obj_, attr, ok); return ret(st, ok, v != 0); } \
    MStatus MFnMotionPath::setter(bool on) { return setNumber(obj_, attr, on ? 1 : 0); }
VL2_PATH_BOOL(follow, setFollow, "follow")
VL2_PATH_BOOL(bank, setBank, "bank")
VL2_PATH_BOOL(inverseNormal, setInverseNormal, "inverseUp")
VL2_PATH_BOOL(isFractionMode, setFractionMode, "fractionMode")
#undef VL2_PATH_BOOL

MFnMotionPath::Axis MFnMotionPath::followAxis(MStatus* st) const {
    bool ok;
    int v = static_cast<int>(number(obj_, "frontAxis", ok));
    return ret(st, ok, static_cast<Axis>(v));
}
MStatus MFnMotionPath::setFollowAxis(Axis a) {
    if (a < kXaxis || a > kZaxis) return MStatus::kInvalidParameter;
    return setNumber(obj_, "frontAxis", a);
}
MFnMotionPath::Axis MFnMotionPath::upAxis(MStatus* st) const {
    bool ok;
    int v = static_cast<int>(number(obj_, "upAxis", ok));
    return ret(st, ok, static_cast<Axis>(v));
}
MStatus MFnMotionPath::setUpAxis(Axis a) {
    if (a < kXaxis || a > kZaxis) return MStatus::kInvalidParameter;
    return setNumber(obj_, "upAxis", a);
}
double MFnMotionPath::bankScale(MStatus* st) const { bool ok; double v = number(obj_, "bankScale", ok); return ret(st, ok, v); }
MStatus MFnMotionPath::setBankScale(double s) { return setNumber(obj_, "bankScale", s); }
double MFnMotionPath::bankThreshold(MStatus* st) const { bool ok; double v = number(obj_, "bankLimit", ok); return ret(st, ok, v); }
MStatus MFnMotionPath::setBankThreshold(double a) { return setNumber(obj_, "bankLimit", a); }

// World up type 4 is "Normal"; 0 "Scene Up" is what turning it off restores.
bool MFnMotionPath::useNormal(MStatus* st) const { bool ok; double v = number(obj_, "worldUpType", ok); return ret(st, ok, v == 4); }
MStatus MFnMotionPath::setUseNormal(bool on) { return setNumber(obj_, "worldUpType", on ? 4 : 0); }

namespace {
// Key times (seconds) of the curve driving uValue; false when uValue is not keyed.
bool uKeyRange(const MObject& o, double& first, double& last) {
    Node* n = nodeOf(o);
    if (!n) return false;
    Plug src = scene().sourceOf(n->plug("uValue"));
    if (src.isNull() || !src.node->hasFn(MFn::kAnimCurve)) return false;
    host::scene::AnimCurve c = host::scene::readAnimCurve(*src.node);
    if (c.numKeys() == 0) return false;
    first = c.key(0).time;
    last = c.key(c.numKeys() - 1).time;
    return true;
}
}  // namespace

double MFnMotionPath::uTimeStart(MStatus* st) const {
    double a = 0, b = 0;
    bool ok = nodeOf(obj_) != nullptr;
    uKeyRange(obj_, a, b);
    return ret(st, ok, a);
}
double MFnMotionPath::uTimeEnd(MStatus* st) const {
    double a = 0, b = 0;
    bool ok = nodeOf(obj_) != nullptr;
    uKeyRange(obj_, a, b);
    return ret(st, ok, b);
}
