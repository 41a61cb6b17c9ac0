#pragma once
#include <maya/MEulerRotation.h>
#include <maya/MFnDagNode.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MSpace.h>
#include <maya/MTransformationMatrix.h>
#include <maya/MVector.h>

// Function set of transform nodes: the components of the local transformation.
// kTransform (and kObject/kPreTransform) work on the stored values; kWorld
// reads/writes world-space positions and rotations.
class MFnTransform : public MFnDagNode {
public:
    MFnTransform() = default;
    MFnTransform(const MObject& node, MStatus* status = nullptr);
    MFnTransform(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kTransform; }

    MObject create(const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);

    MTransformationMatrix transformation(MStatus* status = nullptr) const;
    MStatus set(const MTransformationMatrix& transform);

    MVector getTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MVector translation(MSpace::Space space, MStatus* status = nullptr) const { return getTranslation(space, status); }
    MStatus setTranslation(const MVector& vec, MSpace::Space space);
    MStatus translateBy(const MVector& vec, MSpace::Space space);

    MStatus getRotation(MEulerRotation& rotation) const;
    MStatus getRotation(MQuaternion& quaternion, MSpace::Space space = MSpace::kTransform) const;
    MStatus getRotation(double rotation[3], MTransformationMatrix::RotationOrder& order) const;
    MStatus getRotationQuaternion(double& x, double& y, double& z, double& w,
                                  MSpace::Space space = MSpace::kTransform) const;
    MStatus setRotation(const MEulerRotation& rotation);
    MStatus setRotation(const MQuaternion& quaternion, MSpace::Space space = MSpace::kTransform);
    MStatus setRotation(const double rotation[3], MTransformationMatrix::RotationOrder order);
    MStatus setRotationQuaternion(double x, double y, double z, double w, MSpace::Space space = MSpace::kTransform);
    MStatus rotateBy(const MEulerRotation& rotation, MSpace::Space space = MSpace::kTransform);
    MStatus rotateBy(const MQuaternion& quaternion, MSpace::Space space = MSpace::kTransform);
    MTransformationMatrix::RotationOrder rotationOrder(MStatus* status = nullptr) const;
    MStatus setRotationOrder(MTransformationMatrix::RotationOrder order, bool reorder);
    MQuaternion rotateOrientation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotateOrientation(const MQuaternion& q, MSpace::Space space, bool balance = true);

    MStatus getScale(double scale[3]) const;
    MStatus setScale(const double scale[3]);
    MStatus scaleBy(const double scale[3]);
    MStatus getShear(double shear[3]) const;
    MStatus setShear(const double shear[3]);
    MStatus shearBy(const double shear[3]);

    MPoint rotatePivot(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivot(const MPoint& point, MSpace::Space space, bool balance = true);
    MVector rotatePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setRotatePivotTranslation(const MVector& vec, MSpace::Space space);
    MPoint scalePivot(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setScalePivot(const MPoint& point, MSpace::Space space, bool balance = true);
    MVector scalePivotTranslation(MSpace::Space space, MStatus* status = nullptr) const;
    MStatus setScalePivotTranslation(const MVector& vec, MSpace::Space space);
};
