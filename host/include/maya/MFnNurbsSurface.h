#pragma once
#include <maya/MDagPath.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MSpace.h>
#include <maya/MTesselationParams.h>
#include <maya/MVector.h>

#include <memory>

namespace host { namespace scene { struct NurbsSurfaceData; } }

// Function set of NURBS surfaces: a surface shape node (through its DAG path
// for world-space queries) or a nurbsSurface data object. CVs are indexed
// u-major (u * numCVsInV + v), rational points with the weight in w.
class MFnNurbsSurface : public MFnDagNode {
public:
    enum Form { kInvalid = 0, kOpen = 1, kClosed = 2, kPeriodic = 3, kLast };

    MFnNurbsSurface() = default;
    MFnNurbsSurface(const MObject& object, MStatus* status = nullptr);
    MFnNurbsSurface(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNurbsSurface; }
    MStatus setObject(const MObject& object) override;
    MStatus setObject(const MDagPath& path);

    MObject create(const MPointArray& controlVertices, const MDoubleArray& uKnotSequences,
                   const MDoubleArray& vKnotSequences, unsigned int degreeInU, unsigned int degreeInV, Form formU,
                   Form formV, bool createRational, const MObject& parentOrOwner = MObject::kNullObj,
                   MStatus* status = nullptr);

    int degreeU(MStatus* status = nullptr) const;
    int degreeV(MStatus* status = nullptr) const;
    Form formInU(MStatus* status = nullptr) const;
    Form formInV(MStatus* status = nullptr) const;
    int numCVsInU(MStatus* status = nullptr) const;
    int numCVsInV(MStatus* status = nullptr) const;
    int numSpansInU(MStatus* status = nullptr) const;
    int numSpansInV(MStatus* status = nullptr) const;
    int numKnotsInU(MStatus* status = nullptr) const;
    int numKnotsInV(MStatus* status = nullptr) const;

    MStatus getCV(unsigned int indexU, unsigned int indexV, MPoint& point, MSpace::Space space = MSpace::kObject) const;
    MStatus getCVs(MPointArray& points, MSpace::Space space = MSpace::kObject) const;
    double knotInU(unsigned int index, MStatus* status = nullptr) const;
    double knotInV(unsigned int index, MStatus* status = nullptr) const;
    MStatus getKnotsInU(MDoubleArray& knots) const;
    MStatus getKnotsInV(MDoubleArray& knots) const;
    MStatus getKnotDomain(double& startU, double& endU, double& startV, double& endV) const;

    MStatus getPointAtParam(double u, double v, MPoint& point, MSpace::Space space = MSpace::kObject) const;
    MVector normal(double u, double v, MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;

    // A polygon mesh of the surface in object space, with normals and UVs.
    // parentOrOwner: null (new transform + mesh shape; the transform is
    // returned), a transform (the mesh shape goes under it and is returned)
    // or a mesh data object (filled and returned).
    MObject tesselate(const MTesselationParams& params = MTesselationParams::fsDefaultTesselationParams,
                      const MObject& parentOrOwner = MObject::kNullObj, MStatus* status = nullptr);

    // Host-internal: the geometry this set works on (null when unattached).
    std::shared_ptr<host::scene::NurbsSurfaceData> surfaceData() const;
    const MDagPath& path() const { return path_; }

private:
    MDagPath path_;
    MObject data_;
};
