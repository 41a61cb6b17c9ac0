// Transform function set over the transform node's channels. Object-side
// spaces read and write the stored values; kPostTransform is the parent's
// space (after the local matrix); kWorld goes through the parent's world
// matrix.
#include <maya/MFnTransform.h>

#include "api/fn/xform_access.h"
#include "scene/core/eval.h"

using host::api::localMatrixOf;
using host::api::parentWorldMatrix;
using host::api::readComponents;
using host::api::rotationPart;
using host::api::transformNode;
using host::api::validSpace;
using host::api::writeComponents;
using host::math::TransformComponents;
using host::scene::Node;

namespace {

template <typename T>
T ret(MStatus* st, MStatus s, T v) {
    if (st) *st = s;
    return v;
}

MVector row3(const MMatrix& m) { return MVector(m.matrix[3][0], m.matrix[3][1], m.matrix[3][2]); }

MEulerRotation::RotationOrder eulerOrder(const TransformComponents& c) {
    return (c.rotateOrder < 0 || c.rotateOrder > 5) ? MEulerRotation::kXYZ
                                                    : static_cast<MEulerRotation::RotationOrder>(c.rotateOrder);
}

MEulerRotation eulerOf(const TransformComponents& c) { return MEulerRotation(c.rotate, eulerOrder(c)); }

// The part of the local rotation around [R]: [Ra] before it, for joints
// [JO] after it.
MMatrix preRotation(const TransformComponents& c) { return host::math::rotationMatrix(c.rotateAxis, 0); }
MMatrix postRotation(const Node& n, const TransformComponents& c) {
    return host::api::isJoint(n) ? host::math::rotationMatrix(c.jointOrient, 0) : MMatrix();
}

// Sets [R] so that the node's full local rotation is `local`.
void setLocalRotation(const Node& n, TransformComponents& c, const MMatrix& local) {
    MMatrix r = preRotation(c).transpose() * local * postRotation(n, c).transpose();
    MEulerRotation before = eulerOf(c);
    MEulerRotation e = MEulerRotation::decompose(r, before.order).closestSolution(before);
    c.rotate = MVector(e.x, e.y, e.z);
}

MMatrix worldRotation(const Node& n, const TransformComponents& c) {
    return rotationPart(localMatrixOf(n, c) * parentWorldMatrix(n));
}

MTransformationMatrix toTransformation(const Node& n, const TransformComponents& c) {
    MTransformationMatrix tm;
    tm.setTranslation(c.translate, MSpace::kTransform);
    double v[3];
    c.scale.get(v);
    tm.setScale(v, MSpace::kTransform);
    c.shear.get(v);
    tm.setShear(v, MSpace::kTransform);
    tm.setScalePivot(MPoint(c.scalePivot), MSpace::kTransform, false);
    tm.setScalePivotTranslation(c.scalePivotTranslate, MSpace::kTransform);
    tm.setRotatePivot(MPoint(c.rotatePivot), MSpace::kTransform, false);
    tm.setRotatePivotTranslation(c.rotatePivotTranslate, MSpace::kTransform);
    tm.setRotationOrientation(MEulerRotation(c.rotateAxis).asQuaternion());
    if (host::api::isJoint(n)) {
        // Joints carry their orient after the rotation; the transformation
        // folds it into the rotation so asMatrix() matches the joint (short
        // of the inverse parent scale, which it cannot hold).
        MEulerRotation e = MEulerRotation::decompose(eulerOf(c).asMatrix() * postRotation(n, c), eulerOrder(c));
        tm.rotateTo(e);
    } else {
        tm.rotateTo(eulerOf(c));
    }
    return tm;
}

void fromTransformation(const Node& n, const MTransformationMatrix& tm, TransformComponents& c) {
    c.translate = tm.getTranslation(MSpace::kTransform);
    double v[3];
    tm.getScale(v, MSpace::kTransform);
    c.scale = MVector(v);
    tm.getShear(v, MSpace::kTransform);
    c.shear = MVector(v);
    c.scalePivot = MVector(tm.scalePivot(MSpace::kTransform));
    c.scalePivotTranslate = tm.scalePivotTranslation(MSpace::kTransform);
    c.rotatePivot = MVector(tm.rotatePivot(MSpace::kTransform));
    c.rotatePivotTranslate = tm.rotatePivotTranslation(MSpace::kTransform);
    MEulerRotation ra = MEulerRotation::decompose(tm.rotationOrientation().asMatrix(), MEulerRotation::kXYZ);
    c.rotateAxis = MVector(ra.x, ra.y, ra.z);
    MEulerRotation e = tm.eulerRotation();
    c.rotateOrder = static_cast<int>(e.order);
    if (host::api::isJoint(n)) {
        setLocalRotation(n, c, preRotation(c) * e.asMatrix());
    } else {
        c.rotate = MVector(e.x, e.y, e.z);
    }
}

}  // namespace

MFnTransform::MFnTransform(const MObject& node, MStatus* st) {
    MStatus s = setObject(node);
    if (st) *st = s;
}
MFnTransform::MFnTransform(const MDagPath& path, MStatus* st) {
    MStatus s = setObject(path);
    if (st) *st = s;
}

MObject MFnTransform::create(const MObject& parent, MStatus* st) {
    Node* p = nullptr;
    if (!parent.isNull()) {
        p = transformNode(parent);
        if (!p) return ret(st, MStatus::kInvalidParameter, MObject());
    }
    Node* n = host::scene::scene().createNode("transform", "", p);
    if (!n) return ret(st, MStatus::kFailure, MObject());
    obj_ = MObject(host::scene::scene().ptr(n));
    return ret(st, MStatus::kSuccess, obj_);
}

MTransformationMatrix MFnTransform::transformation(MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MTransformationMatrix());
    return ret(st, MStatus::kSuccess, toTransformation(*n, readComponents(*n)));
}

MStatus MFnTransform::set(const MTransformationMatrix& tm) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    fromTransformation(*n, tm, c);
    return writeComponents(*n, c);
}

// ---------------------------------------------------------------- translation

MVector MFnTransform::getTranslation(MSpace::Space space, MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MVector());
    if (!validSpace(space)) return ret(st, MStatus::kInvalidParameter, MVector());
    TransformComponents c = readComponents(*n);
    switch (space) {
    case MSpace::kWorld: return ret(st, MStatus::kSuccess, row3(localMatrixOf(*n, c) * parentWorldMatrix(*n)));
    case MSpace::kPostTransform: return ret(st, MStatus::kSuccess, row3(localMatrixOf(*n, c)));
    default: return ret(st, MStatus::kSuccess, c.translate);
    }
}

MStatus MFnTransform::setTranslation(const MVector& v, MSpace::Space space) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    if (space == MSpace::kWorld || space == MSpace::kPostTransform) {
        // The local matrix's translation row is the translate plus what the
        // pivots add, so move the translate by the difference.
        MVector target = space == MSpace::kWorld ? MVector(MPoint(v) * parentWorldMatrix(*n).inverse()) : v;
        c.translate += target - row3(localMatrixOf(*n, c));
    } else {
        c.translate = v;
    }
    return writeComponents(*n, c);
}

MStatus MFnTransform::translateBy(const MVector& v, MSpace::Space space) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    c.translate += space == MSpace::kWorld ? v * parentWorldMatrix(*n).inverse() : v;
    return writeComponents(*n, c);
}

// ---------------------------------------------------------------- rotation

MStatus MFnTransform::getRotation(MEulerRotation& r) const {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    r = eulerOf(readComponents(*n));
    return MStatus::kSuccess;
}

MStatus MFnTransform::getRotation(MQuaternion& q, MSpace::Space space) const {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    if (space == MSpace::kWorld)
        q = worldRotation(*n, c);
    else
        q = eulerOf(c).asQuaternion();
    return MStatus::kSuccess;
}

MStatus MFnTransform::getRotation(double r[3], MTransformationMatrix::RotationOrder& order) const {
    MEulerRotation e;
    MStatus st = getRotation(e);
    if (st.error()) return st;
    r[0] = e.x;
    r[1] = e.y;
    r[2] = e.z;
    order = MTransformationMatrix::fromEulerOrder(e.order);
    return MStatus::kSuccess;
}

MStatus MFnTransform::getRotationQuaternion(double& x, double& y, double& z, double& w, MSpace::Space space) const {
    MQuaternion q;
    MStatus st = getRotation(q, space);
    if (st.error()) return st;
    x = q.x;
    y = q.y;
    z = q.z;
    w = q.w;
    return MStatus::kSuccess;
}

MStatus MFnTransform::setRotation(const MEulerRotation& r) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (r.order < MEulerRotation::kXYZ || r.order > MEulerRotation::kZYX) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    // The euler's order becomes the transform's.
    c.rotate = MVector(r.x, r.y, r.z);
    c.rotateOrder = static_cast<int>(r.order);
    return writeComponents(*n, c);
}

MStatus MFnTransform::setRotation(const MQuaternion& q, MSpace::Space space) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    if (space == MSpace::kWorld) {
        MMatrix local = q.normal().asMatrix() * rotationPart(parentWorldMatrix(*n)).transpose();
        setLocalRotation(*n, c, local);
    } else {
        MEulerRotation e = MEulerRotation::decompose(q.normal().asMatrix(), eulerOrder(c));
        c.rotate = MVector(e.x, e.y, e.z);
    }
    return writeComponents(*n, c);
}

MStatus MFnTransform::setRotation(const double r[3], MTransformationMatrix::RotationOrder order) {
    if (order <= MTransformationMatrix::kInvalid || order >= MTransformationMatrix::kLast)
        return MStatus::kInvalidParameter;
    return setRotation(MEulerRotation(r[0], r[1], r[2], MTransformationMatrix::toEulerOrder(order)));
}

MStatus MFnTransform::setRotationQuaternion(double x, double y, double z, double w, MSpace::Space space) {
    return setRotation(MQuaternion(x, y, z, w), space);
}

MStatus MFnTransform::rotateBy(const MQuaternion& q, MSpace::Space space) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    if (space == MSpace::kWorld) {
        MMatrix parentRot = rotationPart(parentWorldMatrix(*n));
        MMatrix local = preRotation(c) * eulerOf(c).asMatrix() * postRotation(*n, c);
        setLocalRotation(*n, c, local * parentRot * q.normal().asMatrix() * parentRot.transpose());
    } else {
        MTransformationMatrix tm;
        tm.rotateTo(eulerOf(c));
        tm.rotateBy(q.normal(), space);
        MEulerRotation e = tm.eulerRotation();
        c.rotate = MVector(e.x, e.y, e.z);
    }
    return writeComponents(*n, c);
}

MStatus MFnTransform::rotateBy(const MEulerRotation& r, MSpace::Space space) { return rotateBy(r.asQuaternion(), space); }

MTransformationMatrix::RotationOrder MFnTransform::rotationOrder(MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MTransformationMatrix::kInvalid);
    return ret(st, MStatus::kSuccess, MTransformationMatrix::fromEulerOrder(eulerOrder(readComponents(*n))));
}

MStatus MFnTransform::setRotationOrder(MTransformationMatrix::RotationOrder order, bool reorder) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (order <= MTransformationMatrix::kInvalid || order >= MTransformationMatrix::kLast)
        return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    MEulerRotation::RotationOrder to = MTransformationMatrix::toEulerOrder(order);
    if (reorder) {
        MEulerRotation e = eulerOf(c).reorder(to);
        c.rotate = MVector(e.x, e.y, e.z);
    }
    c.rotateOrder = static_cast<int>(to);
    return writeComponents(*n, c);
}

MQuaternion MFnTransform::rotateOrientation(MSpace::Space space, MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MQuaternion());
    if (!validSpace(space)) return ret(st, MStatus::kInvalidParameter, MQuaternion());
    return ret(st, MStatus::kSuccess, MEulerRotation(readComponents(*n).rotateAxis).asQuaternion());
}

MStatus MFnTransform::setRotateOrientation(const MQuaternion& q, MSpace::Space space, bool balance) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    MMatrix local = preRotation(c) * eulerOf(c).asMatrix() * postRotation(*n, c);
    MEulerRotation ra = MEulerRotation::decompose(q.normal().asMatrix(), MEulerRotation::kXYZ);
    c.rotateAxis = MVector(ra.x, ra.y, ra.z);
    // Balanced: the rotation makes up for the new orientation.
    if (balance) setLocalRotation(*n, c, local);
    return writeComponents(*n, c);
}

// ---------------------------------------------------------------- scale and shear

MStatus MFnTransform::getScale(double s[3]) const {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    readComponents(*n).scale.get(s);
    return MStatus::kSuccess;
}

MStatus MFnTransform::setScale(const double s[3]) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    c.scale = MVector(s);
    return writeComponents(*n, c);
}

MStatus MFnTransform::scaleBy(const double s[3]) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    c.scale = MVector(c.scale.x * s[0], c.scale.y * s[1], c.scale.z * s[2]);
    return writeComponents(*n, c);
}

MStatus MFnTransform::getShear(double s[3]) const {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    readComponents(*n).shear.get(s);
    return MStatus::kSuccess;
}

MStatus MFnTransform::setShear(const double s[3]) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    c.shear = MVector(s);
    return writeComponents(*n, c);
}

MStatus MFnTransform::shearBy(const double s[3]) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    TransformComponents c = readComponents(*n);
    c.shear = MVector(c.shear.x * s[0], c.shear.y * s[1], c.shear.z * s[2]);
    return writeComponents(*n, c);
}

// ---------------------------------------------------------------- pivots

namespace {

enum class Pivot { Rotate, Scale };

MPoint pivotOf(Node& n, Pivot which, MSpace::Space space) {
    TransformComponents c = readComponents(n);
    MPoint p(which == Pivot::Rotate ? c.rotatePivot : c.scalePivot);
    if (space == MSpace::kPostTransform) return p * localMatrixOf(n, c);
    if (space == MSpace::kWorld) return p * (localMatrixOf(n, c) * parentWorldMatrix(n));
    return p;
}

MStatus setPivot(Node& n, Pivot which, const MPoint& pIn, MSpace::Space space, bool balance) {
    TransformComponents c = readComponents(n);
    // A point given after the transformation is taken back into object space.
    MPoint p = pIn;
    if (space == MSpace::kPostTransform) p = pIn * localMatrixOf(n, c).inverse();
    if (space == MSpace::kWorld) p = pIn * (localMatrixOf(n, c) * parentWorldMatrix(n)).inverse();
    MVector to(p.x / (p.w != 0 ? p.w : 1.0), p.y / (p.w != 0 ? p.w : 1.0), p.z / (p.w != 0 ? p.w : 1.0));
    // Balanced: the pivot translation takes up the move so the matrix stays.
    // The rotate pivot enters the translation row as rp - rp*[Ra][R], the
    // scale pivot (before the rotation) as sp - sp*[S][Sh].
    if (which == Pivot::Rotate) {
        MVector d = to - c.rotatePivot;
        if (balance)
            c.rotatePivotTranslate += d * (host::math::rotationMatrix(c.rotateAxis, 0) *
                                           host::math::rotationMatrix(c.rotate, c.rotateOrder)) - d;
        c.rotatePivot = to;
    } else {
        MVector d = to - c.scalePivot;
        if (balance)
            c.scalePivotTranslate += d * (host::math::scaleMatrix(c.scale) * host::math::shearMatrix(c.shear)) - d;
        c.scalePivot = to;
    }
    return writeComponents(n, c);
}

}  // namespace

MPoint MFnTransform::rotatePivot(MSpace::Space space, MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MPoint());
    if (!validSpace(space)) return ret(st, MStatus::kInvalidParameter, MPoint());
    return ret(st, MStatus::kSuccess, pivotOf(*n, Pivot::Rotate, space));
}

MStatus MFnTransform::setRotatePivot(const MPoint& p, MSpace::Space space, bool balance) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    return setPivot(*n, Pivot::Rotate, p, space, balance);
}

MPoint MFnTransform::scalePivot(MSpace::Space space, MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MPoint());
    if (!validSpace(space)) return ret(st, MStatus::kInvalidParameter, MPoint());
    return ret(st, MStatus::kSuccess, pivotOf(*n, Pivot::Scale, space));
}

MStatus MFnTransform::setScalePivot(const MPoint& p, MSpace::Space space, bool balance) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    return setPivot(*n, Pivot::Scale, p, space, balance);
}

MVector MFnTransform::rotatePivotTranslation(MSpace::Space space, MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MVector());
    if (!validSpace(space)) return ret(st, MStatus::kInvalidParameter, MVector());
    MVector v = readComponents(*n).rotatePivotTranslate;
    if (space == MSpace::kWorld) v = v * parentWorldMatrix(*n);
    return ret(st, MStatus::kSuccess, v);
}

MStatus MFnTransform::setRotatePivotTranslation(const MVector& v, MSpace::Space space) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    c.rotatePivotTranslate = space == MSpace::kWorld ? v * parentWorldMatrix(*n).inverse() : v;
    return writeComponents(*n, c);
}

MVector MFnTransform::scalePivotTranslation(MSpace::Space space, MStatus* st) const {
    Node* n = transformNode(obj_);
    if (!n) return ret(st, MStatus::kFailure, MVector());
    if (!validSpace(space)) return ret(st, MStatus::kInvalidParameter, MVector());
    MVector v = readComponents(*n).scalePivotTranslate;
    if (space == MSpace::kWorld) v = v * parentWorldMatrix(*n);
    return ret(st, MStatus::kSuccess, v);
}

MStatus MFnTransform::setScalePivotTranslation(const MVector& v, MSpace::Space space) {
    Node* n = transformNode(obj_);
    if (!n) return MStatus::kFailure;
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    TransformComponents c = readComponents(*n);
    c.scalePivotTranslate = space == MSpace::kWorld ? v * parentWorldMatrix(*n).inverse() : v;
    return writeComponents(*n, c);
}
