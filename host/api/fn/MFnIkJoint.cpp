// Joint function set: joint orient (always xyz), the rotate axis that joints
// call their scale orientation, degrees of freedom and the IK channels.
#include <maya/MFnIkJoint.h>

#include "api/fn/xform_access.h"
#include "scene/core/scene.h"

using host::api::readComponents;
using host::api::writeComponents;
using host::math::TransformComponents;
using host::scene::Node;
using host::scene::Plug;
using host::scene::Scene;

namespace {

Node* jointNode(const MObject& o) {
    Node* n = host::api::transformNode(o);
    return n && host::api::isJoint(*n) ? n : nullptr;
}

MEulerRotation xyzOf(const MMatrix& m) { return MEulerRotation::decompose(m, MEulerRotation::kXYZ); }

std::vector<double> numbers(Node& n, const char* attr) {
    Plug p = n.plug(attr);
    std::vector<double> v = p.isNull() ? std::vector<double>() : host::scene::scene().getNumbers(p);
    v.resize(3, 0.0);
    return v;
}

MStatus putNumbers(Node& n, const char* attr, const std::vector<double>& v) {
    Plug p = n.plug(attr);
    if (p.isNull()) return MStatus::kFailure;
    return host::scene::scene().setNumbers(p, v);
}

}  // namespace

MFnIkJoint::MFnIkJoint(const MObject& node, MStatus* st) {
    MStatus s = setObject(node);
    if (st) *st = s;
}
MFnIkJoint::MFnIkJoint(const MDagPath& path, MStatus* st) {
    MStatus s = setObject(path);
    if (st) *st = s;
}

MObject MFnIkJoint::create(const MObject& parent, MStatus* st) {
    Scene& s = host::scene::scene();
    Node* p = nullptr;
    if (!parent.isNull()) {
        p = host::api::transformNode(parent);
        if (!p) {
            if (st) *st = MStatus::kInvalidParameter;
            return MObject();
        }
    }
    Node* n = s.createNode("joint", "", p);
    if (!n) {
        if (st) *st = MStatus::kFailure;
        return MObject();
    }
    if (p && host::api::isJoint(*p)) s.connect(p->plug("scale"), n->plug("inverseScale"));
    obj_ = MObject(s.ptr(n));
    if (st) *st = MStatus::kSuccess;
    return obj_;
}

// ---------------------------------------------------------------- orientation

MStatus MFnIkJoint::getOrientation(MEulerRotation& r) const {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    r = MEulerRotation(readComponents(*n).jointOrient, MEulerRotation::kXYZ);
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::getOrientation(MQuaternion& q) const {
    MEulerRotation e;
    MStatus st = getOrientation(e);
    if (!st.error()) q = e.asQuaternion();
    return st;
}

MStatus MFnIkJoint::getOrientation(double r[3], MTransformationMatrix::RotationOrder& order) const {
    MEulerRotation e;
    MStatus st = getOrientation(e);
    if (st.error()) return st;
    r[0] = e.x;
    r[1] = e.y;
    r[2] = e.z;
    order = MTransformationMatrix::kXYZ;
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::setOrientation(const MEulerRotation& r) {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    if (r.order < MEulerRotation::kXYZ || r.order > MEulerRotation::kZYX) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    // The orient channel is xyz; other orders are converted, not relabelled.
    MEulerRotation e = r.order == MEulerRotation::kXYZ ? r : xyzOf(r.asMatrix());
    c.jointOrient = MVector(e.x, e.y, e.z);
    return writeComponents(*n, c);
}

MStatus MFnIkJoint::setOrientation(const MQuaternion& q) { return setOrientation(xyzOf(q.normal().asMatrix())); }

MStatus MFnIkJoint::setOrientation(const double r[3], MTransformationMatrix::RotationOrder order) {
    if (order <= MTransformationMatrix::kInvalid || order >= MTransformationMatrix::kLast)
        return MStatus::kInvalidParameter;
    return setOrientation(MEulerRotation(r[0], r[1], r[2], MTransformationMatrix::toEulerOrder(order)));
}

MStatus MFnIkJoint::getScaleOrientation(MQuaternion& q) const {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    q = MEulerRotation(readComponents(*n).rotateAxis).asQuaternion();
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::getScaleOrientation(double r[3], MTransformationMatrix::RotationOrder& order) const {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    readComponents(*n).rotateAxis.get(r);
    order = MTransformationMatrix::kXYZ;
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::setScaleOrientation(const MQuaternion& q) {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    MEulerRotation e = xyzOf(q.normal().asMatrix());
    c.rotateAxis = MVector(e.x, e.y, e.z);
    return writeComponents(*n, c);
}

// ---------------------------------------------------------------- segment scale

MStatus MFnIkJoint::getSegmentScale(double s[3]) const {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    readComponents(*n).scale.get(s);
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::setSegmentScale(const double s[3]) {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    c.scale = MVector(s);
    return writeComponents(*n, c);
}

bool MFnIkJoint::getSegmentScaleCompensate(MStatus* st) const {
    Node* n = jointNode(obj_);
    if (st) *st = n ? MStatus::kSuccess : MStatus::kFailure;
    return n && readComponents(*n).segmentScaleCompensate;
}

MStatus MFnIkJoint::setSegmentScaleCompensate(bool on) {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    c.segmentScaleCompensate = on;
    return writeComponents(*n, c);
}

// ---------------------------------------------------------------- IK channels

MStatus MFnIkJoint::getDegreesOfFreedom(bool& x, bool& y, bool& z) const {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    Scene& s = host::scene::scene();
    x = s.getDouble(n->plug("jointTypeX")) != 0;
    y = s.getDouble(n->plug("jointTypeY")) != 0;
    z = s.getDouble(n->plug("jointTypeZ")) != 0;
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::setDegreesOfFreedom(bool x, bool y, bool z) {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    Scene& s = host::scene::scene();
    MStatus result;
    for (auto [attr, on] : {std::pair<const char*, bool>{"jointTypeX", x}, {"jointTypeY", y}, {"jointTypeZ", z}}) {
        MStatus one = s.setDouble(n->plug(attr), on ? 1 : 0);
        if (one.error() && !result.error()) result = one;
    }
    return result;
}

MStatus MFnIkJoint::getPreferedAngle(double r[3]) const {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    std::vector<double> v = numbers(*n, "preferredAngle");
    for (int i = 0; i < 3; ++i) r[i] = v[static_cast<size_t>(i)];
    return MStatus::kSuccess;
}

MStatus MFnIkJoint::setPreferedAngle(const double r[3]) {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    return putNumbers(*n, "preferredAngle", {r[0], r[1], r[2]});
}

MStatus MFnIkJoint::getStiffness(double st[3]) const {
    Node* n = jointNode(obj_);
    if (!n) return MStatus::kFailure;
    Scene& s = host::scene::scene();
    st[0] = s.getDouble(n->plug("stiffnessX"));
    st[1] = s.getDouble(n->plug("stiffnessY"));
    st[2] = s.getDouble(n->plug("stiffnessZ"));
    return MStatus::kSuccess;
}
