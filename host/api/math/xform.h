#pragma once
// Local matrices of transform and joint nodes, composed as the host does,
// for row vectors (p' = p * M, translation in the last row).
//
// Transform:
//   M = [Sp^-1][S][Sh][Sp][Spt][Rp^-1][Ra][R][Rp][Rpt][T]
//   Sp scale pivot, S scale, Sh shear (xy, xz, yz), Spt scale pivot
//   translate, Rp rotate pivot, Ra rotate axis (always xyz), R rotate in
//   rotateOrder, Rpt rotate pivot translate, T translate.
// Joint:
//   M = [S][Ra][R][JO][IS][T]
//   Ra rotate axis, R rotate in rotateOrder, JO joint orient (xyz), IS the
//   inverse of the parent's scale, applied only with segmentScaleCompensate.
//   Joints ignore shear and pivots.
//
// Shear matrix (row vectors):
//   [ 1   0   0 ]
//   [ xy  1   0 ]
//   [ xz  yz  1 ]
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MVector.h>

namespace host::math {

// Rotate orders as the transform node's rotateOrder attribute stores them
// (same numbering as MEulerRotation::RotationOrder).
enum RotateOrder { kRotXYZ = 0, kRotYZX = 1, kRotZXY = 2, kRotXZY = 3, kRotYXZ = 4, kRotZYX = 5 };

struct TransformComponents {
    MVector translate;                  // cm
    MVector rotate;                     // radians
    int rotateOrder = kRotXYZ;          // 0..5; out of range is taken as xyz
    MVector scale{1.0, 1.0, 1.0};
    MVector shear;                      // xy, xz, yz
    MVector rotatePivot;
    MVector rotatePivotTranslate;
    MVector scalePivot;
    MVector scalePivotTranslate;
    MVector rotateAxis;                 // radians, xyz
    // Joints only.
    MVector jointOrient;                // radians, xyz
    bool segmentScaleCompensate = true;
    MVector inverseParentScale{1.0, 1.0, 1.0};  // the parent's scale
};

// Elementary matrices.
MMatrix rotationMatrix(const MVector& angles, int rotateOrder);
MMatrix scaleMatrix(const MVector& s);
MMatrix shearMatrix(const MVector& sh);
MMatrix translationMatrix(const MVector& t);

MMatrix composeTransform(const TransformComponents& c);
MMatrix composeJoint(const TransformComponents& c);

// Solves translate, rotate, scale and shear of c so that composeTransform(c)
// equals m, keeping c's pivots, pivot translations, rotate axis and order.
// False (c unchanged) when m's upper 3x3 is singular.
bool decomposeTransform(const MMatrix& m, TransformComponents& c);
// Same for joints: solves translate, rotate and scale keeping rotate axis,
// joint orient and inverse parent scale. Any shear in m is dropped.
bool decomposeJoint(const MMatrix& m, TransformComponents& c);

// Splits the upper 3x3 of m into scale, shear and a rotation matrix so that
// m3 = [S][Sh][Rot]. A mirroring matrix gets a negative x scale.
bool splitScaleShearRotation(const MMatrix& m, MVector& scale, MVector& shear, MMatrix& rotation);

// The point of the rotate pivot after the local matrix (where the pivot
// sits in the parent's space), as xform -q -rp -ws reports relative to the
// parent.
MPoint rotatePivotInParent(const TransformComponents& c);
MPoint scalePivotInParent(const TransformComponents& c);

}  // namespace host::math
