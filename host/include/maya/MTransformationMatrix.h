#pragma once
#include <maya/MTypes.h>
#include <maya/MSpace.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>
#include <maya/MPoint.h>
#include <maya/MMatrix.h>
#include <maya/MEulerRotation.h>
#include <maya/MQuaternion.h>

// A transformation held as components, composed like the transform node:
//   [Sp^-1][S][Sh][Sp][Spt][Rp^-1][Ra][R][Rp][Rpt][T]   (row vectors)
// Constructing from an MMatrix decomposes it into translation, rotation
// (order xyz), scale and shear with zero pivots.
//
// Spaces: kTransform/kPreTransform/kObject read and set the component as
// stored; kPostTransform/kWorld read translation and pivots as positions
// after the whole transformation (e.g. the matrix's translation row).
class MTransformationMatrix {
public:
    // Shifted by one against MEulerRotation::RotationOrder (kInvalid first).
    enum RotationOrder {
        kInvalid = 0, kXYZ = 1, kYZX = 2, kZXY = 3, kXZY = 4, kYXZ = 5, kZYX = 6, kLast = 7
    };

    MTransformationMatrix();
    MTransformationMatrix(const MTransformationMatrix&) = default;
    MTransformationMatrix(const MMatrix& m);
    MTransformationMatrix& operator=(const MTransformationMatrix&) = default;
    MTransformationMatrix& operator=(const MMatrix& m);

    MMatrix asMatrix() const;
    // Interpolated from the identity: each component scaled by percent.
    MMatrix asMatrix(double percent) const;
    MMatrix asMatrixInverse() const;
    MMatrix asScaleMatrix() const;
    MMatrix asRotateMatrix() const;

    MStatus getScale(double scale[3], MSpace::Space space) const;
    MStatus setScale(const double scale[3], MSpace::Space space);
    MStatus addScale(const double scale[3], MSpace::Space space);
    MStatus getShear(double shear[3], MSpace::Space space) const;
    MStatus setShear(const double shear[3], MSpace::Space space);
    MStatus addShear(const double shear[3], MSpace::Space space);

    MVector getTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MVector translation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setTranslation(const MVector& v, MSpace::Space space);
    MStatus addTranslation(const MVector& v, MSpace::Space space);

    MQuaternion rotation(MStatus* status = nullptr) const;
    MEulerRotation eulerRotation(MStatus* status = nullptr) const;
    MTransformationMatrix& rotateTo(const MQuaternion& q);
    MTransformationMatrix& rotateTo(const MEulerRotation& e);
    MTransformationMatrix& rotateBy(const MQuaternion& q, MSpace::Space space, MStatus* status = nullptr);
    MTransformationMatrix& rotateBy(const MEulerRotation& e, MSpace::Space space, MStatus* status = nullptr);
    MStatus getRotationQuaternion(double& x, double& y, double& z, double& w,
                                  MSpace::Space space = MSpace::kTransform) const;
    MStatus setRotationQuaternion(double x, double y, double z, double w,
                                  MSpace::Space space = MSpace::kTransform);
    MStatus addRotationQuaternion(double x, double y, double z, double w, MSpace::Space space);
    MStatus getRotation(double rotation[3], RotationOrder& order) const;
    MStatus getRotation(double rotation[3], RotationOrder& order, MSpace::Space space) const;
    MStatus setRotation(const double rotation[3], RotationOrder order);
    MStatus setRotation(const double rotation[3], RotationOrder order, MSpace::Space space);
    MStatus addRotation(const double rotation[3], RotationOrder order, MSpace::Space space);
    RotationOrder rotationOrder(MStatus* status = nullptr) const;
    // Changes the order keeping the rotation; fails for kInvalid/kLast.
    MStatus reorderRotation(const RotationOrder& order);

    MQuaternion rotationOrientation() const;
    MTransformationMatrix& setRotationOrientation(const MQuaternion& q);
    MQuaternion rotateOrientation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotateOrientation(const MQuaternion& q, MSpace::Space space, bool balance);

    MPoint scalePivot(MSpace::Space space, MStatus* status = nullptr) const;
    // balance keeps the overall matrix by adjusting the pivot translation.
    MStatus setScalePivot(const MPoint& p, MSpace::Space space, bool balance);
    MVector scalePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setScalePivotTranslation(const MVector& v, MSpace::Space space);
    MPoint rotatePivot(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivot(const MPoint& p, MSpace::Space space, bool balance);
    MVector rotatePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivotTranslation(const MVector& v, MSpace::Space space);

    bool isEquivalent(const MTransformationMatrix& other, double tolerance = 1.0e-10) const;
    bool operator==(const MTransformationMatrix& o) const;
    bool operator!=(const MTransformationMatrix& o) const { return !(*this == o); }

    static RotationOrder fromEulerOrder(MEulerRotation::RotationOrder o) {
        return static_cast<RotationOrder>(static_cast<int>(o) + 1);
    }
    // kInvalid and kLast map to kXYZ.
    static MEulerRotation::RotationOrder toEulerOrder(RotationOrder o) {
        return (o <= kInvalid || o >= kLast) ? MEulerRotation::kXYZ
                                             : static_cast<MEulerRotation::RotationOrder>(static_cast<int>(o) - 1);
    }

    static const MTransformationMatrix identity;

private:
    MVector translate_;
    MEulerRotation rotate_;
    MVector scale_{1.0, 1.0, 1.0};
    MVector shear_;
    MPoint scalePivot_;
    MVector scalePivotTranslate_;
    MPoint rotatePivot_;
    MVector rotatePivotTranslate_;
    MQuaternion rotateAxis_;
};
