// Transformation held as components, composed like the transform node.
#include <maya/MTransformationMatrix.h>

#include "api/math/xform.h"

#include <cmath>

namespace {

bool validSpace(MSpace::Space s) { return s > MSpace::kInvalid && s < MSpace::kLast; }
bool afterSpace(MSpace::Space s) { return s == MSpace::kPostTransform || s == MSpace::kWorld; }

MVector rowOf(const MMatrix& m, int r) { return MVector(m.matrix[r][0], m.matrix[r][1], m.matrix[r][2]); }

void setStatus(MStatus* st, MStatus::MStatusCode c) {
    if (st) *st = c;
}

}  // namespace

using host::math::scaleMatrix;
using host::math::shearMatrix;
using host::math::translationMatrix;

const MTransformationMatrix MTransformationMatrix::identity;

MTransformationMatrix::MTransformationMatrix() = default;

MTransformationMatrix::MTransformationMatrix(const MMatrix& m) { *this = m; }

MTransformationMatrix& MTransformationMatrix::operator=(const MMatrix& m) {
    *this = MTransformationMatrix();
    translate_ = rowOf(m, 3);
    MVector s, sh;
    MMatrix q;
    if (host::math::splitScaleShearRotation(m, s, sh, q)) {
        scale_ = s;
        shear_ = sh;
        rotate_ = MEulerRotation::decompose(q, MEulerRotation::kXYZ);
    } else {
        // Singular: keep what can be told, the row lengths as scale.
        scale_ = MVector(rowOf(m, 0).length(), rowOf(m, 1).length(), rowOf(m, 2).length());
    }
    return *this;
}

MMatrix MTransformationMatrix::asScaleMatrix() const {
    MVector sp(scalePivot_);
    return translationMatrix(-sp) * scaleMatrix(scale_) * shearMatrix(shear_) * translationMatrix(sp) *
           translationMatrix(scalePivotTranslate_);
}

MMatrix MTransformationMatrix::asRotateMatrix() const {
    MVector rp(rotatePivot_);
    return translationMatrix(-rp) * rotateAxis_.asMatrix() * rotate_.asMatrix() * translationMatrix(rp) *
           translationMatrix(rotatePivotTranslate_);
}

MMatrix MTransformationMatrix::asMatrix() const {
    return asScaleMatrix() * asRotateMatrix() * translationMatrix(translate_);
}

MMatrix MTransformationMatrix::asMatrix(double p) const {
    MTransformationMatrix t(*this);
    t.translate_ = translate_ * p;
    t.scale_ = MVector(1.0, 1.0, 1.0) + (scale_ - MVector(1.0, 1.0, 1.0)) * p;
    t.shear_ = shear_ * p;
    t.rotate_ = rotate_ * p;
    t.rotateAxis_ = slerp(MQuaternion(), rotateAxis_, p);
    t.scalePivotTranslate_ = scalePivotTranslate_ * p;
    t.rotatePivotTranslate_ = rotatePivotTranslate_ * p;
    return t.asMatrix();
}

MMatrix MTransformationMatrix::asMatrixInverse() const { return asMatrix().inverse(); }

MStatus MTransformationMatrix::getScale(double s[3], MSpace::Space space) const {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    scale_.get(s);
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::setScale(const double s[3], MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    scale_ = MVector(s);
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::addScale(const double s[3], MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    scale_ = MVector(scale_.x * s[0], scale_.y * s[1], scale_.z * s[2]);
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::getShear(double s[3], MSpace::Space space) const {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    shear_.get(s);
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::setShear(const double s[3], MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    shear_ = MVector(s);
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::addShear(const double s[3], MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    shear_ += MVector(s);
    return MStatus::kSuccess;
}

MVector MTransformationMatrix::getTranslation(MSpace::Space space, MStatus* st) const {
    return translation(space, st);
}
MVector MTransformationMatrix::translation(MSpace::Space space, MStatus* st) const {
    if (!validSpace(space)) {
        setStatus(st, MStatus::kInvalidParameter);
        return MVector();
    }
    setStatus(st, MStatus::kSuccess);
    return afterSpace(space) ? rowOf(asMatrix(), 3) : translate_;
}
MStatus MTransformationMatrix::setTranslation(const MVector& v, MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    if (afterSpace(space)) translate_ += v - rowOf(asMatrix(), 3);
    else translate_ = v;
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::addTranslation(const MVector& v, MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    translate_ += v;
    return MStatus::kSuccess;
}

MQuaternion MTransformationMatrix::rotation(MStatus* st) const {
    setStatus(st, MStatus::kSuccess);
    return rotate_.asQuaternion();
}
MEulerRotation MTransformationMatrix::eulerRotation(MStatus* st) const {
    setStatus(st, MStatus::kSuccess);
    return rotate_;
}
MTransformationMatrix& MTransformationMatrix::rotateTo(const MQuaternion& q) {
    rotate_ = MEulerRotation::decompose(q.asMatrix(), rotate_.order);
    return *this;
}
MTransformationMatrix& MTransformationMatrix::rotateTo(const MEulerRotation& e) {
    rotate_ = e;
    return *this;
}
MTransformationMatrix& MTransformationMatrix::rotateBy(const MQuaternion& q, MSpace::Space space, MStatus* st) {
    if (!validSpace(space)) {
        setStatus(st, MStatus::kInvalidParameter);
        return *this;
    }
    setStatus(st, MStatus::kSuccess);
    // Object space turns before the current rotation, the others after it.
    MMatrix r = space == MSpace::kPreTransform ? q.asMatrix() * rotate_.asMatrix()
                                               : rotate_.asMatrix() * q.asMatrix();
    MEulerRotation before = rotate_;
    rotate_ = MEulerRotation::decompose(r, before.order).closestSolution(before);
    return *this;
}
MTransformationMatrix& MTransformationMatrix::rotateBy(const MEulerRotation& e, MSpace::Space space, MStatus* st) {
    return rotateBy(e.asQuaternion(), space, st);
}
MStatus MTransformationMatrix::getRotationQuaternion(double& x, double& y, double& z, double& w,
                                                     MSpace::Space space) const {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    MQuaternion q = rotate_.asQuaternion();
    x = q.x; y = q.y; z = q.z; w = q.w;
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::setRotationQuaternion(double x, double y, double z, double w,
                                                     MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    rotateTo(MQuaternion(x, y, z, w));
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::addRotationQuaternion(double x, double y, double z, double w,
                                                     MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    rotateBy(MQuaternion(x, y, z, w), space);
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::getRotation(double r[3], RotationOrder& order) const {
    r[0] = rotate_.x; r[1] = rotate_.y; r[2] = rotate_.z;
    order = fromEulerOrder(rotate_.order);
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::getRotation(double r[3], RotationOrder& order, MSpace::Space space) const {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    return getRotation(r, order);
}
MStatus MTransformationMatrix::setRotation(const double r[3], RotationOrder order) {
    if (order <= kInvalid || order >= kLast) return MStatus::kInvalidParameter;
    rotate_ = MEulerRotation(r[0], r[1], r[2], toEulerOrder(order));
    return MStatus::kSuccess;
}
MStatus MTransformationMatrix::setRotation(const double r[3], RotationOrder order, MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    return setRotation(r, order);
}
MStatus MTransformationMatrix::addRotation(const double r[3], RotationOrder order, MSpace::Space space) {
    if (!validSpace(space) || order <= kInvalid || order >= kLast) return MStatus::kInvalidParameter;
    rotateBy(MEulerRotation(r[0], r[1], r[2], toEulerOrder(order)), space);
    return MStatus::kSuccess;
}
MTransformationMatrix::RotationOrder MTransformationMatrix::rotationOrder(MStatus* st) const {
    setStatus(st, MStatus::kSuccess);
    return fromEulerOrder(rotate_.order);
}
MStatus MTransformationMatrix::reorderRotation(const RotationOrder& order) {
    if (order <= kInvalid || order >= kLast) return MStatus::kInvalidParameter;
    rotate_.reorderIt(toEulerOrder(order));
    return MStatus::kSuccess;
}

MQuaternion MTransformationMatrix::rotationOrientation() const { return rotateAxis_; }
MTransformationMatrix& MTransformationMatrix::setRotationOrientation(const MQuaternion& q) {
    rotateAxis_ = q.normal();
    return *this;
}
MQuaternion MTransformationMatrix::rotateOrientation(MSpace::Space space, MStatus* st) const {
    setStatus(st, validSpace(space) ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return rotateAxis_;
}
MStatus MTransformationMatrix::setRotateOrientation(const MQuaternion& q, MSpace::Space space, bool balance) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    MQuaternion n = q.normal();
    if (balance) {
        // Keep [Ra][R]: R' = Ra'^-1 Ra R.
        MMatrix r = n.asMatrix().transpose() * rotateAxis_.asMatrix() * rotate_.asMatrix();
        rotate_ = MEulerRotation::decompose(r, rotate_.order);
    }
    rotateAxis_ = n;
    return MStatus::kSuccess;
}

MPoint MTransformationMatrix::scalePivot(MSpace::Space space, MStatus* st) const {
    if (!validSpace(space)) {
        setStatus(st, MStatus::kInvalidParameter);
        return MPoint();
    }
    setStatus(st, MStatus::kSuccess);
    return afterSpace(space) ? scalePivot_ * asMatrix() : scalePivot_;
}

MStatus MTransformationMatrix::setScalePivot(const MPoint& pIn, MSpace::Space space, bool balance) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    MVector p(MPoint(pIn).cartesianize());
    MMatrix q = rotateAxis_.asMatrix() * rotate_.asMatrix();
    if (afterSpace(space) && balance) {
        // Balancing keeps M, so Sp' = p M^-1.
        p = MVector(MPoint(p) * asMatrix().inverse());
    } else if (afterSpace(space)) {
        // Sp * M = (Sp + Spt - Rp) Q + Rp + Rpt + T, solved for Sp.
        MVector rp(rotatePivot_);
        p = (p - rp - rotatePivotTranslate_ - translate_) * q.transpose() - scalePivotTranslate_ + rp;
    }
    if (balance) {
        // Keep the translation of [Sp^-1][S][Sh][Sp][Spt].
        MMatrix a = scaleMatrix(scale_) * shearMatrix(shear_);
        MVector d = MVector(scalePivot_) - p;
        scalePivotTranslate_ += d - d * a;
    }
    scalePivot_ = MPoint(p);
    return MStatus::kSuccess;
}

MVector MTransformationMatrix::scalePivotTranslation(MSpace::Space space, MStatus* st) const {
    setStatus(st, validSpace(space) ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return scalePivotTranslate_;
}
MStatus MTransformationMatrix::setScalePivotTranslation(const MVector& v, MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    scalePivotTranslate_ = v;
    return MStatus::kSuccess;
}

MPoint MTransformationMatrix::rotatePivot(MSpace::Space space, MStatus* st) const {
    if (!validSpace(space)) {
        setStatus(st, MStatus::kInvalidParameter);
        return MPoint();
    }
    setStatus(st, MStatus::kSuccess);
    return afterSpace(space) ? rotatePivot_ * asMatrix() : rotatePivot_;
}

MStatus MTransformationMatrix::setRotatePivot(const MPoint& pIn, MSpace::Space space, bool balance) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    MVector p(MPoint(pIn).cartesianize());
    MMatrix q = rotateAxis_.asMatrix() * rotate_.asMatrix();
    MVector rpOld(rotatePivot_);
    if (afterSpace(space)) {
        // Rp * M = Rp (A Q - Q + I) + (Sp - Sp A + Spt) Q + Rpt + T with A = [S][Sh]
        // (pivot translation kept when balancing, so solve with the old one).
        MMatrix a = scaleMatrix(scale_) * shearMatrix(shear_);
        MVector sp(scalePivot_);
        MMatrix b = a * q - q + MMatrix();
        MVector c = (sp - sp * a + scalePivotTranslate_) * q + rotatePivotTranslate_ + translate_;
        if (!balance) {
            if (b.isSingular()) return MStatus::kFailure;
            p = (p - c) * b.inverse();
        } else {
            // With balancing M stays as it is, so Rp' = p M^-1.
            p = MVector(MPoint(p) * asMatrix().inverse());
        }
    }
    if (balance) {
        MVector d = rpOld - p;
        rotatePivotTranslate_ += d - d * q;
    }
    rotatePivot_ = MPoint(p);
    return MStatus::kSuccess;
}

MVector MTransformationMatrix::rotatePivotTranslation(MSpace::Space space, MStatus* st) const {
    setStatus(st, validSpace(space) ? MStatus::kSuccess : MStatus::kInvalidParameter);
    return rotatePivotTranslate_;
}
MStatus MTransformationMatrix::setRotatePivotTranslation(const MVector& v, MSpace::Space space) {
    if (!validSpace(space)) return MStatus::kInvalidParameter;
    rotatePivotTranslate_ = v;
    return MStatus::kSuccess;
}

bool MTransformationMatrix::isEquivalent(const MTransformationMatrix& o, double tol) const {
    return asMatrix().isEquivalent(o.asMatrix(), tol);
}
bool MTransformationMatrix::operator==(const MTransformationMatrix& o) const { return isEquivalent(o); }
