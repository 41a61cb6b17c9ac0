#pragma once
#include <maya/MDagPath.h>
#include <maya/MDoubleArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MSpace.h>
#include <maya/MVector.h>

#include <functional>
#include <memory>

namespace host { namespace scene { struct NurbsCurveData; } }

#define kMFnNurbsEpsilon 1.0e-3

// Function set of NURBS curves: a curve shape node (through its DAG path for
// world-space queries) or a nurbsCurve data object. CVs are rational points:
// cartesian x, y, z with the weight in w. Knots follow the host's layout of
// numCVs + degree - 1 values; periodic curves repeat their first `degree`
// CVs at the end.
class MFnNurbsCurve : public MFnDagNode {
public:
    enum Form { kInvalid = 0, kOpen = 1, kClosed = 2, kPeriodic = 3, kLast };

    MFnNurbsCurve() = default;
    MFnNurbsCurve(const MObject& object, MStatus* status = nullptr);
    MFnNurbsCurve(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNurbsCurve; }
    MStatus setObject(const MObject& object) override;
    MStatus setObject(const MDagPath& path);

    // parentOrOwner: null (a new transform is made and returned), a transform
    // (the new shape goes under it and is returned) or a nurbsCurve data object.
    MObject create(const MPointArray& controlVertices, const MDoubleArray& knotSequences, unsigned int degree,
                   Form form, bool create2D, bool createRational, const MObject& parentOrOwner = MObject::kNullObj,
                   MStatus* status = nullptr);

    int degree(MStatus* status = nullptr) const;
    Form form(MStatus* status = nullptr) const;
    int numCVs(MStatus* status = nullptr) const;
    int numSpans(MStatus* status = nullptr) const;
    int numKnots(MStatus* status = nullptr) const;
    bool isPlanar(MVector* planeNormal = nullptr, MStatus* status = nullptr) const;

    MStatus getCV(unsigned int index, MPoint& point, MSpace::Space space = MSpace::kObject) const;
    MStatus getCVs(MPointArray& points, MSpace::Space space = MSpace::kObject) const;
    MStatus setCV(unsigned int index, const MPoint& point, MSpace::Space space = MSpace::kObject);
    MStatus setCVs(const MPointArray& points, MSpace::Space space = MSpace::kObject);
    double knot(unsigned int index, MStatus* status = nullptr) const;
    MStatus getKnots(MDoubleArray& knots) const;
    MStatus setKnots(const MDoubleArray& knots, unsigned int startIndex, unsigned int endIndex);
    MStatus getKnotDomain(double& start, double& end) const;

    MStatus getPointAtParam(double param, MPoint& point, MSpace::Space space = MSpace::kObject) const;
    MVector tangent(double param, MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    bool isParamOnCurve(double param, MStatus* status = nullptr) const;
    // Arc length of the whole curve, and the parameter at a length from the start.
    double length(double tolerance = kMFnNurbsEpsilon, MStatus* status = nullptr) const;
    double findParamFromLength(double partLength, MStatus* status = nullptr) const;
    MPoint closestPoint(const MPoint& toThisPoint, double* param = nullptr, double tolerance = kMFnNurbsEpsilon,
                        MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    MStatus updateCurve();

    // Host-internal: the geometry this set works on (null when unattached).
    std::shared_ptr<host::scene::NurbsCurveData> curveData() const;
    const MDagPath& path() const { return path_; }

private:
    MStatus edit(const std::function<bool(host::scene::NurbsCurveData&)>& change);
    MDagPath path_;
    MObject data_;  // set when attached to a data object
};
