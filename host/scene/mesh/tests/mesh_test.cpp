#include "scene/mesh/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using host::scene::Mesh;
using host::scene::MeshEdge;
using host::scene::MeshHit;
using host::scene::VertexNormalMethod;
using host::scene::meshgeom::Rgba;
using host::scene::meshgeom::Vec3;
using host::scene::meshgeom::Vec3f;

namespace {

// Unit cube centred on the origin, faces wound outwards.
const std::vector<Vec3f> kCubePts = {{-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f},
                                     {0.5f, 0.5f, 0.5f},   {-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f},
                                     {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}};
const std::vector<int> kCubeCounts = {4, 4, 4, 4, 4, 4};
const std::vector<int> kCubeConnects = {0, 1, 3, 2, 2, 3, 5, 4, 4, 5, 7, 6, 6, 7, 1, 0, 1, 7, 5, 3, 6, 0, 2, 4};
const Vec3 kCubeFaceNormals[6] = {{0, 0, 1}, {0, 1, 0}, {0, 0, -1}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};

Mesh cube(bool smooth) {
    Mesh m;
    std::string err;
    EXPECT_TRUE(m.create(kCubePts, kCubeCounts, kCubeConnects, smooth, &err)) << err;
    return m;
}

void expectNear(const Vec3& a, const Vec3& b, double tol = 1e-5) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

}  // namespace

TEST(MeshTopology, CubeCountsAndEdges) {
    Mesh m = cube(false);
    EXPECT_EQ(m.numVertices(), 8);
    EXPECT_EQ(m.numFaces(), 6);
    EXPECT_EQ(m.numFaceVertices(), 24);
    EXPECT_EQ(m.numEdges(), 12);
    // Every edge joins two distinct vertices, is used by exactly two faces and appears once.
    std::set<std::pair<int, int>> seen;
    for (int e = 0; e < m.numEdges(); ++e) {
        const MeshEdge& ed = m.edge(e);
        EXPECT_TRUE(seen.insert({std::min(ed.v0, ed.v1), std::max(ed.v0, ed.v1)}).second) << "edge " << e;
        EXPECT_EQ(m.edgeFaces(e).size(), 2u) << "edge " << e;
        EXPECT_FALSE(m.onBoundaryEdge(e));
    }
    // First edges follow first use: face 0 walks 0-1, 1-3, 3-2, 2-0.
    EXPECT_EQ(m.edge(0).v0, 0); EXPECT_EQ(m.edge(0).v1, 1);
    EXPECT_EQ(m.edge(2).v0, 3); EXPECT_EQ(m.edge(2).v1, 2);
    // Face edge references run in the face's direction, reversed ones as ~e.
    for (int f = 0; f < m.numFaces(); ++f)
        for (int i = 0; i < 4; ++i) {
            int r = m.faceEdgeRef(f, i), e = r < 0 ? ~r : r;
            int start = r < 0 ? m.edge(e).v1 : m.edge(e).v0;
            EXPECT_EQ(start, m.faceVertex(f, i));
        }
    for (int v = 0; v < 8; ++v) {
        EXPECT_EQ(m.vertexFaces(v).size(), 3u);
        EXPECT_EQ(m.vertexEdges(v).size(), 3u);
    }
}

TEST(MeshTopology, FaceNormalsAreaAndBounds) {
    Mesh m = cube(false);
    for (int f = 0; f < 6; ++f) expectNear(m.faceNormal(f), kCubeFaceNormals[f]);
    EXPECT_NEAR(m.area(), 6.0, 1e-9);
    Vec3 lo, hi;
    ASSERT_TRUE(m.bounds(lo, hi));
    expectNear(lo, {-0.5, -0.5, -0.5});
    expectNear(hi, {0.5, 0.5, 0.5});
    expectNear(m.faceCenter(0), {0, 0, 0.5});
}

TEST(MeshNormals, HardCubeHasThreeNormalsPerCorner) {
    Mesh m = cube(false);
    EXPECT_EQ(m.numNormals(), 24);
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < 4; ++i) expectNear(m.faceVertexNormal(m.faceOffset(f) + i), kCubeFaceNormals[f]);
    for (int v = 0; v < 8; ++v) {
        std::set<int> ids;
        for (int f : m.vertexFaces(v)) ids.insert(m.normalId(m.findCorner(f, v)));
        EXPECT_EQ(ids.size(), 3u) << "vertex " << v;
    }
}

TEST(MeshNormals, SmoothCubeAveragesPerVertex) {
    for (auto method : {VertexNormalMethod::kUnweighted, VertexNormalMethod::kAngleWeighted,
                        VertexNormalMethod::kAreaWeighted, VertexNormalMethod::kAngleAndAreaWeighted}) {
        Mesh m = cube(true);
        m.setNormalMethod(method);
        EXPECT_EQ(m.numNormals(), 8);
        double k = 1.0 / std::sqrt(3.0);
        for (int fv = 0; fv < m.numFaceVertices(); ++fv) {
            Vec3f p = m.points()[m.faceVertexList()[fv]];
            expectNear(m.faceVertexNormal(fv), {std::copysign(k, p.x), std::copysign(k, p.y), std::copysign(k, p.z)});
        }
    }
}

TEST(MeshNormals, MixedEdgesSplitFans) {
    // Harden the four edges around the top face: top corners split from the sides,
    // the sides stay smooth among themselves.
    Mesh m = cube(true);
    int top = 1;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(m.setEdgeSmooth(m.faceEdge(top, i), false));
    for (int i = 0; i < 4; ++i) expectNear(m.faceVertexNormal(m.faceOffset(top) + i), {0, 1, 0});
    // Vertex 2 is on the top: its front and left corners still share one normal, not pointing up.
    int front = m.findCorner(0, 2), left = m.findCorner(5, 2);
    EXPECT_EQ(m.normalId(front), m.normalId(left));
    double k = 1.0 / std::sqrt(2.0);
    expectNear(m.faceVertexNormal(front), {-k, 0, k});
    // Bottom corners are untouched: one normal each.
    int bottomFront = m.findCorner(0, 0), bottom = m.findCorner(3, 0);
    EXPECT_EQ(m.normalId(bottomFront), m.normalId(bottom));
    EXPECT_EQ(m.numNormals(), 4 + 4 * 1 + 4);
}

TEST(MeshNormals, AngleWeightingFavoursWideCorners) {
    // A fan of a big quad and a thin sliver triangle sharing a smooth edge at vertex 0:
    // unweighted gives the plain average, angle weighting leans to the quad.
    std::vector<Vec3f> pts = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1, -0.1f, 0.1f}};
    Mesh m;
    ASSERT_TRUE(m.create(pts, {4, 3}, {0, 1, 2, 3, 0, 4, 1}, true));
    m.setNormalMethod(VertexNormalMethod::kUnweighted);
    Vec3 plain = m.faceVertexNormal(m.findCorner(0, 0));
    m.setNormalMethod(VertexNormalMethod::kAngleWeighted);
    Vec3 weighted = m.faceVertexNormal(m.findCorner(0, 0));
    Vec3 quadN = m.faceNormal(0);
    EXPECT_GT(weighted.dot(quadN), plain.dot(quadN) + 0.01);
}

TEST(MeshNormals, LockedNormalsKept) {
    Mesh m = cube(true);
    int fv = m.findCorner(0, 0);
    m.setFaceVertexNormal(fv, {0, 0, 1});
    EXPECT_TRUE(m.isNormalLocked(fv));
    expectNear(m.faceVertexNormal(fv), {0, 0, 1});
    EXPECT_EQ(m.numNormals(), 9);
    // Moving points recomputes the others but not the locked one.
    ASSERT_TRUE(m.setPoint(0, Vec3f(-2, -2, 2)));
    expectNear(m.faceVertexNormal(fv), {0, 0, 1});
    m.unlockFaceVertexNormal(fv);
    EXPECT_EQ(m.numNormals(), 8);
    EXPECT_EQ(m.normalId(fv), m.normalId(m.findCorner(3, 0)));
}

TEST(MeshNormals, StoredNormalsFromFileData) {
    Mesh m = cube(false);
    std::vector<Vec3> stored(24, Vec3(1e20, 1e20, 1e20));
    stored[5] = Vec3(0, 0.6, 0.8);
    ASSERT_TRUE(m.setStoredNormals(stored));
    EXPECT_TRUE(m.isNormalLocked(5));
    EXPECT_FALSE(m.isNormalLocked(4));
    expectNear(m.faceVertexNormal(5), {0, 0.6, 0.8});
    expectNear(m.faceVertexNormal(4), {0, 1, 0});
    std::string err;
    EXPECT_FALSE(m.setStoredNormals(std::vector<Vec3>(3), &err));
    EXPECT_NE(err.find("face-vertices"), std::string::npos);
}

TEST(MeshFileData, PolyFacesWithReversedEdges) {
    // A unit plane of two quads as a scene file stores it: "ed" triples then
    // "f 4 0 1 2 -4" style loops, where -4 is edge 3 walked backwards.
    Mesh m;
    m.setPointList({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 0, -1}, {1, 0, -1}, {2, 0, -1}});
    std::vector<MeshEdge> ed = {{0, 1, false}, {1, 2, false}, {0, 3, false}, {1, 4, true},
                                {2, 5, false}, {3, 4, false}, {4, 5, false}};
    ASSERT_TRUE(m.setEdgeList(ed));
    ASSERT_TRUE(m.addFaceFromEdges({0, 3, -6, -3}));
    ASSERT_TRUE(m.addFaceFromEdges({1, 4, -7, -4}));
    EXPECT_EQ(m.numEdges(), 7);
    EXPECT_EQ(m.numFaces(), 2);
    std::vector<int> expect = {0, 1, 4, 3, 1, 2, 5, 4};
    EXPECT_EQ(m.faceVertexList(), expect);
    expectNear(m.faceNormal(0), {0, 1, 0});
    EXPECT_EQ(m.edgeFaces(3), (std::vector<int>{0, 1}));
    // UVs the way "mu" lines assign them.
    ASSERT_TRUE(m.setUVs(0, {0, 0.5f, 1, 0, 0.5f, 1}, {0, 0, 0, 1, 1, 1}));
    ASSERT_TRUE(m.setFaceUVIds(0, 0, {0, 1, 4, 3}));
    EXPECT_TRUE(m.faceHasUVs(0, 0));
    EXPECT_FALSE(m.faceHasUVs(0, 1));
    EXPECT_TRUE(m.validate());
}

TEST(MeshFileData, BadInputFailsCleanly) {
    struct Case {
        const char* name;
        std::vector<int> refs;
        const char* message;
    };
    Mesh m;
    m.setPointList({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
    ASSERT_TRUE(m.setEdgeList({{0, 1, false}, {1, 2, false}, {2, 3, false}, {3, 0, false}}));
    const Case cases[] = {
        {"missing edge", {0, 1, 9, 3}, "edge 9"},
        {"open loop", {0, 2, 1, 3}, "loop"},
        {"too few edges", {0, 1}, "at least 3"},
        {"empty face", {}, "at least 3"},
        {"reversed wrongly", {0, -2, 2, 3}, "loop"},
    };
    for (const Case& c : cases) {
        std::string err;
        EXPECT_FALSE(m.addFaceFromEdges(c.refs, &err)) << c.name;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": " << err;
    }
    EXPECT_EQ(m.numFaces(), 0);
    std::string err;
    EXPECT_FALSE(m.setEdgeList({{0, 7, false}}, &err));
    EXPECT_NE(err.find("missing vertex"), std::string::npos);
}

TEST(MeshCreate, BadListsLeaveMeshUnchanged) {
    struct Case {
        const char* name;
        std::vector<int> counts, connects;
        const char* message;
    };
    const Case cases[] = {
        {"vertex out of range", {3}, {0, 1, 8}, "references vertex 8"},
        {"negative vertex", {3}, {0, -1, 2}, "references vertex -1"},
        {"zero-length face", {0, 3}, {0, 1, 2}, "has 0 vertices"},
        {"two-vertex face", {2}, {0, 1}, "has 2 vertices"},
        {"short connects", {4, 4}, {0, 1, 2, 3}, "too short"},
        {"long connects", {3}, {0, 1, 2, 3}, "need 3"},
        {"repeated corner", {3}, {0, 0, 1}, "repeats vertex"},
    };
    Mesh m = cube(false);
    for (const Case& c : cases) {
        std::string err;
        EXPECT_FALSE(m.create(kCubePts, c.counts, c.connects, false, &err)) << c.name;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": " << err;
        EXPECT_EQ(m.numFaces(), 6) << c.name;
    }
}

TEST(MeshUV, SetsAndAssignment) {
    Mesh m = cube(false);
    ASSERT_EQ(m.numUVSets(), 1);
    EXPECT_EQ(m.uvSet(0).name, "map1");
    ASSERT_TRUE(m.setUVs(0, {0, 1, 1, 0}, {0, 0, 1, 1}));
    std::vector<int> counts = {4, 4, 0, 0, 0, 0};
    std::vector<int> ids = {0, 1, 2, 3, 3, 2, 1, 0};
    std::string err;
    ASSERT_TRUE(m.assignUVs(0, counts, ids, &err)) << err;
    EXPECT_TRUE(m.faceHasUVs(0, 1));
    EXPECT_FALSE(m.faceHasUVs(0, 2));
    EXPECT_EQ(m.uvId(0, m.faceOffset(1) + 2), 1);
    // Bad assignments are refused without touching the set.
    EXPECT_FALSE(m.assignUVs(0, {4, 4, 0, 0, 0, 0}, {0, 1, 2, 3, 3, 2, 1, 9}, &err));
    EXPECT_FALSE(m.assignUVs(0, {3, 0, 0, 0, 0, 0}, {0, 1, 2}, &err));
    EXPECT_EQ(m.uvId(0, m.faceOffset(1) + 3), 0);
    int s = m.createUVSet("lightmap");
    EXPECT_EQ(s, 1);
    EXPECT_EQ(m.createUVSet("lightmap"), 1);
    EXPECT_FALSE(m.faceHasUVs(s, 0));
    EXPECT_FALSE(m.renameUVSet(s, "map1"));
    ASSERT_TRUE(m.setCurrentUVSet(s));
    EXPECT_EQ(m.currentUVSet(), 1);
    // Shrinking the UV table drops dangling ids.
    ASSERT_TRUE(m.setUVs(0, {0.5f}, {0.5f}));
    EXPECT_FALSE(m.faceHasUVs(0, 0));
    EXPECT_TRUE(m.validate());
}

TEST(MeshColor, SetsPerFaceVertexAndPerVertex) {
    Mesh m = cube(false);
    EXPECT_EQ(m.currentColorSet(), -1);
    int s = m.createColorSet("colorSet1");
    EXPECT_EQ(m.currentColorSet(), s);
    ASSERT_TRUE(m.setVertexColor(s, 3, Rgba{1, 0, 0, 1}));
    for (int f : m.vertexFaces(3)) EXPECT_EQ(m.colorSet(s).colors[m.colorId(s, m.findCorner(f, 3))], (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(m.colorId(s, m.findCorner(0, 0)), -1);
    ASSERT_TRUE(m.setFaceVertexColor(s, m.findCorner(0, 0), Rgba{0, 1, 0, 0.5f}));
    EXPECT_EQ(m.colorSet(s).colors.size(), 2u);
    EXPECT_EQ(m.colorId(s, m.findCorner(0, 0)), 1);
    EXPECT_EQ(m.colorId(s, m.findCorner(3, 0)), -1);
    ASSERT_TRUE(m.setColors(s, {{0, 0, 1, 1}}));
    std::string err;
    EXPECT_TRUE(m.setFaceColorIds(s, 2, {0, -1, 0, -1}, &err)) << err;
    EXPECT_FALSE(m.setFaceColorIds(s, 2, {0, 5, 0, 0}, &err));
    EXPECT_FALSE(m.setFaceColorIds(s, 9, {0, 0, 0, 0}, &err));
    EXPECT_TRUE(m.validate());
}

TEST(MeshTriangles, CountsOfQuadsAndNgons) {
    struct Case {
        const char* name;
        std::vector<Vec3f> pts;
        int expected;
    };
    const Case cases[] = {
        {"triangle", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, 1},
        {"quad", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, 2},
        {"hexagon", {{2, 0, 0}, {1, 1.7f, 0}, {-1, 1.7f, 0}, {-2, 0, 0}, {-1, -1.7f, 0}, {1, -1.7f, 0}}, 4},
        // Concave arrow head: a fan from corner 0 would leave the outline.
        {"concave", {{0, 0, 0}, {2, 1, 0}, {0, 2, 0}, {1, 1, 0}}, 2},
    };
    for (const Case& c : cases) {
        Mesh m;
        std::vector<int> conn(c.pts.size());
        for (size_t i = 0; i < conn.size(); ++i) conn[i] = int(i);
        ASSERT_TRUE(m.create(c.pts, {int(c.pts.size())}, conn, false)) << c.name;
        EXPECT_EQ(m.faceTriangleCount(0), c.expected) << c.name;
        // The triangles cover the face exactly: their areas add up to the polygon area.
        double polyArea = 0.5 * std::fabs([&] {
            double s = 0;
            for (size_t i = 0; i < c.pts.size(); ++i) {
                const Vec3f &a = c.pts[i], &b = c.pts[(i + 1) % c.pts.size()];
                s += double(a.x) * b.y - double(b.x) * a.y;
            }
            return s;
        }());
        EXPECT_NEAR(m.faceArea(0), polyArea, 1e-5) << c.name;
    }
}

TEST(MeshQuery, ClosestPointOnPlaneAndCube) {
    Mesh plane;
    ASSERT_TRUE(plane.create({{-1, 0, 1}, {1, 0, 1}, {1, 0, -1}, {-1, 0, -1}}, {4}, {0, 1, 2, 3}, false));
    ASSERT_TRUE(plane.setUVs(0, {0, 1, 1, 0}, {0, 0, 1, 1}));
    ASSERT_TRUE(plane.setFaceUVIds(0, 0, {0, 1, 2, 3}));
    struct Case {
        Vec3 query, expected;
        float u, v;
    };
    const Case cases[] = {
        {{0.25, 3, -0.5}, {0.25, 0, -0.5}, 0.625f, 0.75f},
        {{0, -2, 0}, {0, 0, 0}, 0.5f, 0.5f},
        {{5, 1, 0}, {1, 0, 0}, 1.0f, 0.5f},  // outside: clamps to the border
    };
    for (const Case& c : cases) {
        MeshHit hit;
        ASSERT_TRUE(plane.closestPoint(c.query, hit));
        expectNear(hit.point, c.expected);
        EXPECT_EQ(hit.face, 0);
        expectNear(plane.normalAtHit(hit), {0, 1, 0});
        float u = 0, v = 0;
        ASSERT_TRUE(plane.uvAtHit(0, hit, u, v));
        EXPECT_NEAR(u, c.u, 1e-6);
        EXPECT_NEAR(v, c.v, 1e-6);
    }
    Mesh c = cube(false);
    MeshHit hit;
    ASSERT_TRUE(c.closestPoint({0.1, 0.2, 3}, hit));
    expectNear(hit.point, {0.1, 0.2, 0.5});
    EXPECT_EQ(hit.face, 0);
    EXPECT_NEAR(hit.distance, 2.5, 1e-9);
    ASSERT_TRUE(c.closestPoint({2, 2, 2}, hit));
    expectNear(hit.point, {0.5, 0.5, 0.5});
    ASSERT_TRUE(c.closestPoint({0.4, 0.0, 0.1}, hit));  // inside: nearest face is +x
    expectNear(hit.point, {0.5, 0.0, 0.1});
    EXPECT_EQ(hit.face, 4);
    float u, v;
    EXPECT_FALSE(c.uvAtHit(0, hit, u, v));  // no UVs assigned
    EXPECT_FALSE(Mesh().closestPoint({0, 0, 0}, hit));
}
