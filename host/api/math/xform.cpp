// Local matrices of transforms and joints (see xform.h for the orders).
#include "api/math/xform.h"

#include <maya/MEulerRotation.h>

#include <cmath>

namespace host::math {

namespace {

MEulerRotation::RotationOrder eulerOrder(int rotateOrder) {
    if (rotateOrder < 0 || rotateOrder > 5) return MEulerRotation::kXYZ;
    return static_cast<MEulerRotation::RotationOrder>(rotateOrder);
}

MMatrix upper3(const MMatrix& m) {
    MMatrix r = m;
    r.matrix[3][0] = r.matrix[3][1] = r.matrix[3][2] = 0.0;
    r.matrix[0][3] = r.matrix[1][3] = r.matrix[2][3] = 0.0;
    r.matrix[3][3] = 1.0;
    return r;
}

MVector row(const MMatrix& m, int r) { return MVector(m.matrix[r][0], m.matrix[r][1], m.matrix[r][2]); }

MMatrix inverseParentScaleMatrix(const TransformComponents& c) {
    if (!c.segmentScaleCompensate) return MMatrix();
    // A zero parent scale cannot be compensated; that axis is left alone.
    auto inv = [](double s) { return std::fabs(s) > 1.0e-12 ? 1.0 / s : 1.0; };
    return scaleMatrix(MVector(inv(c.inverseParentScale.x), inv(c.inverseParentScale.y),
                               inv(c.inverseParentScale.z)));
}

}  // namespace

MMatrix rotationMatrix(const MVector& angles, int rotateOrder) {
    return MEulerRotation(angles, eulerOrder(rotateOrder)).asMatrix();
}

MMatrix scaleMatrix(const MVector& s) {
    MMatrix m;
    m.matrix[0][0] = s.x;
    m.matrix[1][1] = s.y;
    m.matrix[2][2] = s.z;
    return m;
}

MMatrix shearMatrix(const MVector& sh) {
    MMatrix m;
    m.matrix[1][0] = sh.x;  // xy
    m.matrix[2][0] = sh.y;  // xz
    m.matrix[2][1] = sh.z;  // yz
    return m;
}

MMatrix translationMatrix(const MVector& t) {
    MMatrix m;
    m.matrix[3][0] = t.x;
    m.matrix[3][1] = t.y;
    m.matrix[3][2] = t.z;
    return m;
}

MMatrix composeTransform(const TransformComponents& c) {
    return translationMatrix(-c.scalePivot) * scaleMatrix(c.scale) * shearMatrix(c.shear) *
           translationMatrix(c.scalePivot) * translationMatrix(c.scalePivotTranslate) *
           translationMatrix(-c.rotatePivot) * rotationMatrix(c.rotateAxis, kRotXYZ) *
           rotationMatrix(c.rotate, c.rotateOrder) * translationMatrix(c.rotatePivot) *
           translationMatrix(c.rotatePivotTranslate) * translationMatrix(c.translate);
}

MMatrix composeJoint(const TransformComponents& c) {
    return scaleMatrix(c.scale) * rotationMatrix(c.rotateAxis, kRotXYZ) *
           rotationMatrix(c.rotate, c.rotateOrder) * rotationMatrix(c.jointOrient, kRotXYZ) *
           inverseParentScaleMatrix(c) * translationMatrix(c.translate);
}

bool splitScaleShearRotation(const MMatrix& m, MVector& scale, MVector& shear, MMatrix& rotation) {
    // m3 = [S][Sh][Q] with S diagonal and Sh unit lower triangular is a
    // Gram-Schmidt orthogonalisation of the rows, first row first:
    //   row0 = sx Q0
    //   row1 = sy (xy Q0 + Q1)
    //   row2 = sz (xz Q0 + yz Q1 + Q2)
    MVector r0 = row(m, 0), r1 = row(m, 1), r2 = row(m, 2);
    double det = r0 * (r1 ^ r2);
    if (!std::isfinite(det)) return false;
    double scaleRef = std::fmax(r0.length(), std::fmax(r1.length(), r2.length()));
    if (scaleRef == 0.0 || std::fabs(det) <= 1.0e-12 * scaleRef * scaleRef * scaleRef) return false;
    // A mirror is carried by a negative x scale.
    const bool mirrored = det < 0.0;
    if (mirrored) r0 = -r0;

    double sx = r0.length();
    MVector q0 = r0 / sx;
    double a = r1 * q0;
    MVector u1 = r1 - q0 * a;
    double sy = u1.length();
    MVector q1 = u1 / sy;
    double b = r2 * q0, cc = r2 * q1;
    MVector u2 = r2 - q0 * b - q1 * cc;
    double sz = u2.length();
    MVector q2 = u2 / sz;
    if (sy == 0.0 || sz == 0.0) return false;

    scale = MVector(mirrored ? -sx : sx, sy, sz);
    shear = MVector(a / sy, b / sz, cc / sz);
    rotation = MMatrix();
    for (int i = 0; i < 3; ++i) {
        rotation.matrix[0][i] = q0[i];
        rotation.matrix[1][i] = q1[i];
        rotation.matrix[2][i] = q2[i];
    }
    return true;
}

bool decomposeTransform(const MMatrix& m, TransformComponents& c) {
    MVector s, sh;
    MMatrix q;
    if (!splitScaleShearRotation(m, s, sh, q)) return false;
    TransformComponents out = c;
    out.scale = s;
    out.shear = sh;
    // q = [Ra][R]
    MMatrix r = rotationMatrix(c.rotateAxis, kRotXYZ).transpose() * q;
    MEulerRotation e = MEulerRotation::decompose(r, eulerOrder(c.rotateOrder));
    out.rotate = MVector(e.x, e.y, e.z);
    // The translation row of everything before [T].
    out.translate = MVector();
    MMatrix rest = composeTransform(out);
    out.translate = row(m, 3) - row(rest, 3);
    c = out;
    return true;
}

bool decomposeJoint(const MMatrix& m, TransformComponents& c) {
    // m3 [IS]^-1 [JO]^-1 = [S][Ra][R]
    MMatrix is = inverseParentScaleMatrix(c);
    MMatrix isInv = is.inverse();
    MMatrix joInv = rotationMatrix(c.jointOrient, kRotXYZ).transpose();
    MMatrix n = upper3(m) * isInv * joInv;
    MVector s, sh;
    MMatrix q;
    if (!splitScaleShearRotation(n, s, sh, q)) return false;
    MMatrix r = rotationMatrix(c.rotateAxis, kRotXYZ).transpose() * q;
    MEulerRotation e = MEulerRotation::decompose(r, eulerOrder(c.rotateOrder));
    c.scale = s;
    c.rotate = MVector(e.x, e.y, e.z);
    c.translate = row(m, 3);
    return true;
}

MPoint rotatePivotInParent(const TransformComponents& c) {
    return MPoint(c.rotatePivot) * composeTransform(c);
}

MPoint scalePivotInParent(const TransformComponents& c) {
    return MPoint(c.scalePivot) * composeTransform(c);
}

}  // namespace host::math
