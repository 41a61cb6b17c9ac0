// The NURBS function sets over scene shapes and data objects: queries in
// object and world space, creation, editing, and tessellation into meshes.
#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>
#include <maya/MFnNurbsSurface.h>
#include <maya/MFnNurbsSurfaceData.h>
#include <maya/MPointArray.h>
#include <maya/MSelectionList.h>

#include "mel/interpreter.h"
#include "scene/commands/scene_commands.h"
#include "scene/core/scene.h"

#include <gtest/gtest.h>

#include <cmath>

using host::mel::interpreter;

namespace {

constexpr double kPi = 3.14159265358979323846;

class NurbsApi : public ::testing::Test {
protected:
    void SetUp() override {
        host::scene::registerSceneCommands(interpreter());
        host::scene::scene().newScene();
        host::scene::scene().activeSelection().clear();
        mel("currentUnit -l cm -a deg -t film;");
    }
    void mel(const std::string& text) {
        host::mel::ExecResult r = interpreter().execute(text, "", false);
        ASSERT_TRUE(r.ok) << text << "\n  error: " << r.error;
    }
    MDagPath path(const char* name) {
        MSelectionList l;
        EXPECT_EQ(l.add(name), MStatus::kSuccess) << name;
        MDagPath p;
        EXPECT_EQ(l.getDagPath(0, p), MStatus::kSuccess) << name;
        return p;
    }
};

void expectPoint(const MPoint& p, double x, double y, double z, double tol, const char* what) {
    EXPECT_NEAR(p.x, x, tol) << what;
    EXPECT_NEAR(p.y, y, tol) << what;
    EXPECT_NEAR(p.z, z, tol) << what;
}

// Cubic along x with CVs at its Greville points (x = 3t), knots 0 0 0 1 2 3 3 3.
const char* kLine =
    "curve -n path -d 3 -p 0 0 0 -p 1 0 0 -p 3 0 0 -p 6 0 0 -p 8 0 0 -p 9 0 0 -k 0 -k 0 -k 0 -k 1 -k 2 -k 3 -k 3 -k 3;";

}  // namespace

TEST_F(NurbsApi, CurveQueriesInObjectAndWorldSpace) {
    mel(kLine);
    mel("setAttr path.t 10 0 5; setAttr path.s 2 2 2;");
    MStatus st;
    MFnNurbsCurve fn(path("path"), &st);  // a transform's path reaches its shape
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_EQ(fn.degree(), 3);
    EXPECT_EQ(fn.form(), MFnNurbsCurve::kOpen);
    EXPECT_EQ(static_cast<int>(fn.form()), 1);
    EXPECT_EQ(fn.numCVs(), 6);
    EXPECT_EQ(fn.numKnots(), 8);
    EXPECT_EQ(fn.numSpans(), 3);
    EXPECT_EQ(fn.knot(3), 1.0);
    fn.knot(8, &st);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    MDoubleArray knots;
    ASSERT_EQ(fn.getKnots(knots), MStatus::kSuccess);
    EXPECT_EQ(knots.vec(), std::vector<double>({0, 0, 0, 1, 2, 3, 3, 3}));
    double t0 = -1, t1 = -1;
    ASSERT_EQ(fn.getKnotDomain(t0, t1), MStatus::kSuccess);
    EXPECT_EQ(t0, 0);
    EXPECT_EQ(t1, 3);

    MPoint p;
    ASSERT_EQ(fn.getCV(2, p, MSpace::kObject), MStatus::kSuccess);
    expectPoint(p, 3, 0, 0, 1e-12, "CV 2 object");
    EXPECT_EQ(p.w, 1.0);
    ASSERT_EQ(fn.getCV(2, p, MSpace::kWorld), MStatus::kSuccess);
    expectPoint(p, 16, 0, 5, 1e-12, "CV 2 world");
    EXPECT_EQ(fn.getCV(6, p), MStatus::kInvalidParameter);
    MPointArray all;
    ASSERT_EQ(fn.getCVs(all, MSpace::kWorld), MStatus::kSuccess);
    ASSERT_EQ(all.length(), 6u);
    expectPoint(all[5], 28, 0, 5, 1e-12, "last CV world");

    ASSERT_EQ(fn.getPointAtParam(1.5, p, MSpace::kObject), MStatus::kSuccess);
    expectPoint(p, 4.5, 0, 0, 1e-12, "point object");
    ASSERT_EQ(fn.getPointAtParam(1.5, p, MSpace::kWorld), MStatus::kSuccess);
    expectPoint(p, 19, 0, 5, 1e-12, "point world");
    EXPECT_EQ(fn.getPointAtParam(3.5, p), MStatus::kInvalidParameter);
    EXPECT_EQ(fn.getPointAtParam(-0.1, p), MStatus::kInvalidParameter);
    EXPECT_TRUE(fn.isParamOnCurve(3.0));
    EXPECT_FALSE(fn.isParamOnCurve(3.2));

    EXPECT_NEAR(fn.length(), 9.0, 1e-9);
    EXPECT_NEAR(fn.findParamFromLength(4.5), 1.5, 1e-9);
    MVector tan = fn.tangent(0.7, MSpace::kWorld);
    EXPECT_NEAR(tan.x, 1.0, 1e-12);
    double param = -1;
    MPoint c = fn.closestPoint(MPoint(5, 3, 0), &param);
    EXPECT_NEAR(param, 5.0 / 3.0, 1e-6);
    expectPoint(c, 5, 0, 0, 1e-6, "closest point");
    MVector normal;
    EXPECT_FALSE(fn.isPlanar(&normal)) << "collinear CVs span no single plane";
}

TEST_F(NurbsApi, CircleIsPeriodicWithItsParameterRange) {
    mel("circle -n ring -r 3 -nr 0 1 0;");
    MFnNurbsCurve fn(path("ringShape"));
    EXPECT_EQ(fn.form(), MFnNurbsCurve::kPeriodic);
    EXPECT_EQ(static_cast<int>(fn.form()), 3);
    EXPECT_EQ(fn.numCVs(), 11);
    EXPECT_EQ(fn.numKnots(), 13);
    EXPECT_EQ(fn.numSpans(), 8);
    double t0, t1;
    fn.getKnotDomain(t0, t1);
    EXPECT_EQ(t0, 0);
    EXPECT_EQ(t1, 8);
    for (int t = 0; t <= 8; ++t) {
        MPoint p;
        ASSERT_EQ(fn.getPointAtParam(t, p, MSpace::kWorld), MStatus::kSuccess);
        EXPECT_NEAR(std::hypot(p.x, p.z), 3.0, 1e-12) << "t=" << t;
        EXPECT_NEAR(p.y, 0.0, 1e-12);
    }
    MVector n;
    EXPECT_TRUE(fn.isPlanar(&n));
    EXPECT_NEAR(std::fabs(n.y), 1.0, 1e-12);
    // History owns the geometry: direct edits are refused.
    EXPECT_EQ(fn.setCV(0, MPoint(0, 0, 0)), MStatus::kFailure);
}

TEST_F(NurbsApi, CreateIntoDataTransformsAndNewNodes) {
    const double w = std::sqrt(0.5);
    MPointArray cvs;
    cvs.append(1, 0, 0, 1);
    cvs.append(1, 1, 0, w);
    cvs.append(0, 1, 0, 1);
    MDoubleArray knots;
    for (double k : {0.0, 0.0, 1.0, 1.0}) knots.append(k);

    MFnNurbsCurveData dataFn;
    MObject data = dataFn.create();
    MFnNurbsCurve fn;
    MStatus st;
    MObject r = fn.create(cvs, knots, 2, MFnNurbsCurve::kOpen, false, true, data, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_EQ(r, data);
    EXPECT_TRUE(data.hasFn(MFn::kNurbsCurveData));
    MPoint p;
    ASSERT_EQ(fn.getPointAtParam(0.5, p), MStatus::kSuccess);
    expectPoint(p, w, w, 0, 1e-12, "rational middle");
    ASSERT_EQ(fn.getCV(1, p), MStatus::kSuccess);
    EXPECT_NEAR(p.w, w, 1e-15);

    // Without an owner a transform is made and returned.
    std::size_t before = host::scene::scene().nodes().size();
    MObject xf = fn.create(cvs, knots, 2, MFnNurbsCurve::kOpen, false, true, MObject::kNullObj, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_TRUE(xf.hasFn(MFn::kTransform));
    MFnDagNode dag(xf);
    ASSERT_EQ(dag.childCount(), 1u);
    EXPECT_TRUE(dag.child(0).hasFn(MFn::kNurbsCurve));
    EXPECT_EQ(host::scene::scene().nodes().size(), before + 2);
    EXPECT_NEAR(fn.length(), kPi / 2, 1e-9);

    // Under an existing transform the shape is returned.
    MObject shape = fn.create(cvs, knots, 2, MFnNurbsCurve::kOpen, false, true, xf, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_TRUE(shape.hasFn(MFn::kNurbsCurve));
    EXPECT_EQ(dag.childCount(), 2u);

    // Bad input fails and makes nothing.
    before = host::scene::scene().nodes().size();
    knots.append(2.0);
    fn.create(cvs, knots, 2, MFnNurbsCurve::kOpen, false, true, MObject::kNullObj, &st);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    EXPECT_EQ(host::scene::scene().nodes().size(), before);
    MFnNurbsSurfaceData wrongOwner;
    MObject surfaceData = wrongOwner.create();
    knots.remove(4);
    fn.create(cvs, knots, 2, MFnNurbsCurve::kOpen, false, true, surfaceData, &st);
    EXPECT_EQ(st, MStatus::kInvalidParameter);

    // Attaching to something that is not a curve fails.
    mel("createNode transform -n empty;");
    MFnNurbsCurve none(path("empty"), &st);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    EXPECT_EQ(none.numCVs(&st), 0);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
}

TEST_F(NurbsApi, EditingAShapeWithoutHistory) {
    mel(kLine);
    mel("setAttr path.tx 100;");
    MFnNurbsCurve fn(path("path"));
    ASSERT_EQ(fn.setCV(5, MPoint(9, 4, 0)), MStatus::kSuccess);
    MPoint p;
    fn.getPointAtParam(3.0, p);
    expectPoint(p, 9, 4, 0, 1e-12, "moved end");
    // World-space writes go through the inverse placement.
    ASSERT_EQ(fn.setCV(5, MPoint(109, 0, 0), MSpace::kWorld), MStatus::kSuccess);
    fn.getCV(5, p);
    expectPoint(p, 9, 0, 0, 1e-12, "back in object space");
    MDoubleArray k;
    k.append(-1);
    EXPECT_EQ(fn.setKnots(k, 3, 3), MStatus::kInvalidParameter) << "knots may not decrease";
    EXPECT_EQ(fn.knot(3), 1.0);
    EXPECT_EQ(fn.setCV(6, p), MStatus::kInvalidParameter);
}

TEST_F(NurbsApi, SurfaceQueries) {
    mel("sphere -n ball -r 2 -ax 0 1 0; setAttr ball.t 0 5 0;");
    MFnNurbsSurface fn(path("ball"));
    EXPECT_EQ(fn.degreeU(), 3);
    EXPECT_EQ(fn.degreeV(), 3);
    EXPECT_EQ(fn.formInU(), MFnNurbsSurface::kOpen);
    EXPECT_EQ(fn.formInV(), MFnNurbsSurface::kPeriodic);
    EXPECT_EQ(fn.numCVsInU(), 7);
    EXPECT_EQ(fn.numCVsInV(), 11);
    EXPECT_EQ(fn.numSpansInU(), 4);
    EXPECT_EQ(fn.numSpansInV(), 8);
    EXPECT_EQ(fn.numKnotsInU(), 9);
    EXPECT_EQ(fn.numKnotsInV(), 13);
    double u0, u1, v0, v1;
    ASSERT_EQ(fn.getKnotDomain(u0, u1, v0, v1), MStatus::kSuccess);
    EXPECT_EQ(u0, 0);
    EXPECT_EQ(u1, 4);
    EXPECT_EQ(v0, 0);
    EXPECT_EQ(v1, 8);
    MPoint p;
    ASSERT_EQ(fn.getPointAtParam(0, 3, p, MSpace::kWorld), MStatus::kSuccess);
    expectPoint(p, 0, 7, 0, 1e-12, "north pole, world");
    EXPECT_EQ(fn.getPointAtParam(4.5, 0, p), MStatus::kInvalidParameter);
    MVector n = fn.normal(2, 1.5, MSpace::kWorld);
    ASSERT_EQ(fn.getPointAtParam(2, 1.5, p, MSpace::kWorld), MStatus::kSuccess);
    MVector out(p.x, p.y - 5, p.z);
    EXPECT_GT(n * out / out.length(), 0.99) << "normal points away from the centre";
    EXPECT_EQ(fn.getCV(7, 0, p), MStatus::kInvalidParameter);
    ASSERT_EQ(fn.getCV(0, 0, p, MSpace::kWorld), MStatus::kSuccess);
    expectPoint(p, 0, 7, 0, 1e-12, "collapsed pole CV");
}

TEST_F(NurbsApi, TesselateGivesClosedOutwardMeshes) {
    mel("sphere -n ball -r 2 -ax 0 0 1;");
    MFnNurbsSurface fn(path("ball"));
    struct Case {
        const char* name;
        MTesselationParams params;
        int vertices, faces;
    };
    MTesselationParams quads(MTesselationParams::kGeneralFormat, MTesselationParams::kQuads);
    MTesselationParams tris(MTesselationParams::kGeneralFormat, MTesselationParams::kTriangles);
    MTesselationParams fine(MTesselationParams::kGeneralFormat, MTesselationParams::kQuads);
    fine.setUNumber(2);
    fine.setVNumber(3);
    // Poles weld to one vertex each, the seam column joins the first: a
    // 5 x 9 sample grid gives 3 rings of 8 and 2 poles.
    const Case cases[] = {
        {"quads, one cut per span", quads, 26, 32},
        {"triangles, one cut per span", tris, 26, 48},
        {"quads, 2 x 3 cuts per span", fine, 7 * 24 + 2, 8 * 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MFnMeshData dataFn;
        MObject data = dataFn.create();
        MStatus st;
        MObject r = fn.tesselate(c.params, data, &st);
        ASSERT_EQ(st, MStatus::kSuccess);
        EXPECT_EQ(r, data);
        MFnMesh mesh(data);
        EXPECT_EQ(mesh.numVertices(), c.vertices);
        EXPECT_EQ(mesh.numPolygons(), c.faces);
        EXPECT_EQ(mesh.numVertices() - mesh.numEdges() + mesh.numPolygons(), 2) << "a closed sphere";
        for (int v = 0; v < mesh.numVertices(); ++v) {
            MPoint p;
            MVector n;
            mesh.getPoint(v, p);
            mesh.getVertexNormal(v, false, n);
            MVector out(p.x, p.y, p.z);
            EXPECT_NEAR(out.length(), 2.0, 0.05);
            EXPECT_GT(n * out / (n.length() * out.length()), 0.95) << "vertex " << v;
        }
        for (int f = 0; f < mesh.numPolygons(); ++f) {
            MVector n;
            mesh.getPolygonNormal(f, n);
            MIntArray verts;
            mesh.getPolygonVertices(f, verts);
            MPoint p;
            mesh.getPoint(verts[0], p);
            EXPECT_GT(n * MVector(p.x, p.y, p.z), 0.0) << "face " << f;
        }
        MFloatArray us, vs;
        mesh.getUVs(us, vs);
        ASSERT_GT(us.length(), 0u);
        for (unsigned i = 0; i < us.length(); ++i) {
            EXPECT_GE(us[i], 0.0f);
            EXPECT_LE(us[i], 1.0f);
            EXPECT_GE(vs[i], 0.0f);
            EXPECT_LE(vs[i], 1.0f);
        }
    }

    // The default (fit to a chord tolerance) is finer still and just as closed.
    MStatus st;
    MObject xf = fn.tesselate(MTesselationParams::fsDefaultTesselationParams, MObject::kNullObj, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_TRUE(xf.hasFn(MFn::kTransform));
    MFnMesh mesh(path(MFnDagNode(xf).name().asChar()));
    EXPECT_GT(mesh.numPolygons(), 100);
    EXPECT_EQ(mesh.numVertices() - mesh.numEdges() + mesh.numPolygons(), 2);
    MIntArray counts, ids;
    mesh.getVertices(counts, ids);
    for (int c : counts) EXPECT_EQ(c, 3) << "triangles by default";

    // A triangle budget lands near its count.
    MTesselationParams budget(MTesselationParams::kTriangleCountFormat);
    budget.setTriangleCount(400);
    MFnMeshData dataFn;
    MObject data = dataFn.create();
    fn.tesselate(budget, data, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_GE(MFnMesh(data).numPolygons(), 200);
    EXPECT_LE(MFnMesh(data).numPolygons(), 800);
}

TEST_F(NurbsApi, TesselatePlaneUnderATransform) {
    mel("nurbsPlane -n sheet -w 4 -u 2 -v 1 -d 1 -ax 0 1 0; createNode transform -n holder;");
    MFnNurbsSurface fn(path("sheet"));
    MTesselationParams params(MTesselationParams::kGeneralFormat, MTesselationParams::kQuads);
    MStatus st;
    MObject holder = path("holder").node();
    MObject shape = fn.tesselate(params, holder, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_TRUE(shape.hasFn(MFn::kMesh));
    MFnMesh mesh(shape);
    EXPECT_EQ(mesh.numVertices(), 6);
    EXPECT_EQ(mesh.numPolygons(), 2);
    for (int v = 0; v < mesh.numVertices(); ++v) {
        MVector n;
        mesh.getVertexNormal(v, false, n);
        EXPECT_NEAR(n.y, 1.0, 1e-6) << "up, along the plane's axis";
    }
    float u, v;
    ASSERT_EQ(mesh.getUV(5, u, v), MStatus::kSuccess);
    EXPECT_EQ(u, 1.0f);
    EXPECT_EQ(v, 1.0f);
    // Unattached sets and bad owners fail cleanly.
    MFnNurbsSurface empty;
    empty.tesselate(params, MObject::kNullObj, &st);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    fn.tesselate(params, path("sheetShape").node(), &st);
    EXPECT_EQ(st, MStatus::kInvalidParameter) << "a shape is no owner";
}
