#pragma once
#include <maya/MFnTransform.h>

// Function set of joints: orientation, scale orientation, degrees of freedom.
class MFnIkJoint : public MFnTransform {
public:
    enum Axis { kXAxis, kYAxis, kZAxis, kNone };

    MFnIkJoint() = default;
    MFnIkJoint(const MObject& node, MStatus* status = nullptr);
    MFnIkJoint(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kJoint; }

    // A joint under a joint gets the parent's scale on its inverseScale, as the joint command does.
    MObject create(const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);

    MStatus getOrientation(MEulerRotation& rotation) const;
    MStatus getOrientation(MQuaternion& quaternion) const;
    MStatus getOrientation(double rotation[3], MTransformationMatrix::RotationOrder& order) const;
    MStatus setOrientation(const MEulerRotation& rotation);
    MStatus setOrientation(const MQuaternion& quaternion);
    MStatus setOrientation(const double rotation[3], MTransformationMatrix::RotationOrder order);
    MStatus getScaleOrientation(MQuaternion& quaternion) const;
    MStatus getScaleOrientation(double rotation[3], MTransformationMatrix::RotationOrder& order) const;
    MStatus setScaleOrientation(const MQuaternion& quaternion);
    MStatus getSegmentScale(double scale[3]) const;
    MStatus setSegmentScale(const double scale[3]);
    MStatus getDegreesOfFreedom(bool& freeInX, bool& freeInY, bool& freeInZ) const;
    MStatus setDegreesOfFreedom(bool freeInX, bool freeInY, bool freeInZ);
    MStatus getPreferedAngle(double rotation[3]) const;
    MStatus setPreferedAngle(const double rotation[3]);
    bool getSegmentScaleCompensate(MStatus* status = nullptr) const;
    MStatus setSegmentScaleCompensate(bool on);
    MStatus getStiffness(double stiffness[3]) const;
};
