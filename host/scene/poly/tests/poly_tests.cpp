// Polygon primitives, meshes as scene files store them, history and
// deformer evaluation, and the polyEvaluate / polySplit commands.
#include "files/ma_reader.h"
#include "files/ma_writer.h"
#include "mel/interpreter.h"
#include "plugins/host_commands.h"
#include "scene/commands/scene_commands.h"
#include "scene/core/scene.h"
#include "scene/mesh/mesh_data.h"
#include "scene/poly/mesh_file.h"
#include "scene/poly/poly_split.h"
#include "scene/poly/primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using host::mel::interpreter;
using host::scene::Mesh;
using host::scene::meshgeom::Vec3;
using host::scene::meshgeom::Vec3f;

namespace {

class Poly : public ::testing::Test {
protected:
    void SetUp() override {
        host::scene::registerSceneCommands(interpreter());
        host::files::registerFileCommands(interpreter());
        host::scene::scene().newScene();
        host::scene::scene().activeSelection().clear();
        interpreter().setWarningSink([this](const std::string& w) { warnings.push_back(w); });
        run("currentUnit -l cm -a deg -t film;");
    }
    void TearDown() override { interpreter().resetSinks(); }

    host::mel::ExecResult run(const std::string& mel, const std::string& source = "") {
        return interpreter().execute(mel, source, false);
    }
    void ok(const std::string& mel) {
        auto r = run(mel);
        ASSERT_TRUE(r.ok) << mel << "\n  error: " << r.error;
    }
    std::vector<std::string> strings(const std::string& mel) {
        auto r = run(mel);
        EXPECT_TRUE(r.ok) << mel << "\n  error: " << r.error;
        return r.value.asStringArray();
    }
    const Mesh& mesh(const std::string& shape) {
        host::scene::Node* n = host::scene::scene().find(shape);
        EXPECT_NE(n, nullptr) << shape;
        held = n ? host::scene::shapeGeometry(n) : nullptr;
        EXPECT_NE(held, nullptr) << shape << " has no geometry";
        static Mesh empty;
        return held ? held->mesh : empty;
    }
    std::vector<int> faceVerts(const Mesh& m, int f) {
        std::vector<int> v;
        for (int i = 0; i < m.faceCount(f); ++i) v.push_back(m.faceVertex(f, i));
        return v;
    }
    std::vector<int> faceUVs(const Mesh& m, int f) {
        std::vector<int> v;
        for (int i = 0; i < m.faceCount(f); ++i) v.push_back(m.uvId(0, m.faceOffset(f) + i));
        return v;
    }

    host::scene::MeshDataPtr held;
    std::vector<std::string> warnings;
};

void expectNear(const Vec3f& p, double x, double y, double z, const std::string& what, double tol = 1e-5) {
    EXPECT_NEAR(p.x, x, tol) << what;
    EXPECT_NEAR(p.y, y, tol) << what;
    EXPECT_NEAR(p.z, z, tol) << what;
}

// Every face's normal points away from the centre of a closed convex primitive.
void expectOutward(const Mesh& m, const std::string& what) {
    for (int f = 0; f < m.numFaces(); ++f) EXPECT_GT(m.faceNormal(f).dot(m.faceCenter(f)), 0) << what << " face " << f;
}

// Same geometry, topology, UVs, colours and normals.
void expectSameMesh(const Mesh& a, const Mesh& b) {
    ASSERT_EQ(a.numVertices(), b.numVertices());
    ASSERT_EQ(a.numEdges(), b.numEdges());
    ASSERT_EQ(a.numFaces(), b.numFaces());
    ASSERT_EQ(a.numFaceVertices(), b.numFaceVertices());
    for (int v = 0; v < a.numVertices(); ++v) EXPECT_TRUE(a.points()[v] == b.points()[v]) << "vertex " << v;
    for (int e = 0; e < a.numEdges(); ++e) {
        EXPECT_EQ(a.edge(e).v0, b.edge(e).v0) << "edge " << e;
        EXPECT_EQ(a.edge(e).v1, b.edge(e).v1) << "edge " << e;
        EXPECT_EQ(a.edge(e).smooth, b.edge(e).smooth) << "edge " << e;
    }
    for (int fv = 0; fv < a.numFaceVertices(); ++fv) {
        EXPECT_EQ(a.faceVertexList()[fv], b.faceVertexList()[fv]);
        EXPECT_EQ(a.isNormalLocked(fv), b.isNormalLocked(fv)) << "face-vertex " << fv;
        Vec3 na = a.faceVertexNormal(fv), nb = b.faceVertexNormal(fv);
        EXPECT_NEAR((na - nb).length(), 0, 1e-6) << "normal of face-vertex " << fv;
    }
    ASSERT_EQ(a.numUVSets(), b.numUVSets());
    for (int s = 0; s < a.numUVSets(); ++s) {
        EXPECT_EQ(a.uvSet(s).name, b.uvSet(s).name);
        EXPECT_EQ(a.uvSet(s).u, b.uvSet(s).u);
        EXPECT_EQ(a.uvSet(s).v, b.uvSet(s).v);
        EXPECT_EQ(a.uvSet(s).fvIds, b.uvSet(s).fvIds);
    }
    EXPECT_EQ(a.currentUVSet(), b.currentUVSet());
    ASSERT_EQ(a.numColorSets(), b.numColorSets());
    for (int s = 0; s < a.numColorSets(); ++s) {
        EXPECT_EQ(a.colorSet(s).name, b.colorSet(s).name);
        EXPECT_TRUE(a.colorSet(s).colors == b.colorSet(s).colors);
        EXPECT_EQ(a.colorSet(s).fvIds, b.colorSet(s).fvIds);
        EXPECT_EQ(a.colorSet(s).representation, b.colorSet(s).representation);
    }
}

// ------------------------------------------------------------ primitives

TEST_F(Poly, UnitCubeHasTheHostLayout) {
    EXPECT_EQ(strings("polyCube"), (std::vector<std::string>{"pCube1", "polyCube1"}));
    const Mesh& m = mesh("pCubeShape1");
    const double P[8][3] = {{-.5, -.5, .5}, {.5, -.5, .5}, {-.5, .5, .5}, {.5, .5, .5},
                            {-.5, .5, -.5}, {.5, .5, -.5}, {-.5, -.5, -.5}, {.5, -.5, -.5}};
    ASSERT_EQ(m.numVertices(), 8);
    for (int v = 0; v < 8; ++v) expectNear(m.points()[v], P[v][0], P[v][1], P[v][2], "vertex " + std::to_string(v));
    const int E[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3}, {2, 4}, {3, 5}, {4, 6}, {5, 7}, {6, 0}, {7, 1}};
    ASSERT_EQ(m.numEdges(), 12);
    for (int e = 0; e < 12; ++e) {
        EXPECT_EQ(m.edge(e).v0, E[e][0]) << e;
        EXPECT_EQ(m.edge(e).v1, E[e][1]) << e;
        EXPECT_FALSE(m.edge(e).smooth) << e;
    }
    const std::vector<std::vector<int>> F = {{0, 1, 3, 2}, {2, 3, 5, 4}, {4, 5, 7, 6},
                                             {6, 7, 1, 0}, {1, 7, 5, 3}, {6, 0, 2, 4}};
    const std::vector<std::vector<int>> FE = {{0, 5, ~1, ~4}, {1, 7, ~2, ~6}, {2, 9, ~3, ~8},
                                              {3, 11, ~0, ~10}, {~11, ~9, ~7, ~5}, {10, 4, 6, 8}};
    const std::vector<std::vector<int>> FU = {{0, 1, 3, 2}, {2, 3, 5, 4}, {4, 5, 7, 6},
                                              {6, 7, 9, 8}, {1, 10, 11, 3}, {12, 0, 2, 13}};
    ASSERT_EQ(m.numFaces(), 6);
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(faceVerts(m, f), F[f]) << "face " << f;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(m.faceEdgeRef(f, i), FE[f][i]) << "face " << f << " corner " << i;
        EXPECT_EQ(faceUVs(m, f), FU[f]) << "face " << f;
    }
    const float U[14][2] = {{.375f, 0},    {.625f, 0},    {.375f, .25f}, {.625f, .25f}, {.375f, .5f},
                            {.625f, .5f},  {.375f, .75f}, {.625f, .75f}, {.375f, 1},    {.625f, 1},
                            {.875f, 0},    {.875f, .25f}, {.125f, 0},    {.125f, .25f}};
    ASSERT_EQ(m.uvSet(0).u.size(), 14u);
    EXPECT_EQ(m.uvSet(0).name, "map1");
    for (int i = 0; i < 14; ++i) {
        EXPECT_FLOAT_EQ(m.uvSet(0).u[i], U[i][0]) << "uv " << i;
        EXPECT_FLOAT_EQ(m.uvSet(0).v[i], U[i][1]) << "uv " << i;
    }
    // Hard edges: every corner carries its face's normal.
    const double N[6][3] = {{0, 0, 1}, {0, 1, 0}, {0, 0, -1}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < 4; ++i)
            expectNear(Vec3f(m.faceVertexNormal(m.faceOffset(f) + i)), N[f][0], N[f][1], N[f][2], "normal of face " + std::to_string(f));
}

TEST_F(Poly, PlaneSphereAndCylinderLayouts) {
    // A 1x1 plane: rows from +Z to -Z, facing +Y, UV = grid position.
    ok("polyPlane -sx 1 -sy 1 -w 2 -h 4");
    const Mesh& p = mesh("pPlaneShape1");
    ASSERT_EQ(p.numVertices(), 4);
    expectNear(p.points()[0], -1, 0, 2, "plane vertex 0");
    expectNear(p.points()[1], 1, 0, 2, "plane vertex 1");
    expectNear(p.points()[2], -1, 0, -2, "plane vertex 2");
    expectNear(p.points()[3], 1, 0, -2, "plane vertex 3");
    EXPECT_EQ(faceVerts(p, 0), (std::vector<int>{0, 1, 3, 2}));
    EXPECT_EQ(faceUVs(p, 0), (std::vector<int>{0, 1, 3, 2}));
    EXPECT_FLOAT_EQ(p.uvSet(0).u[3], 1);
    EXPECT_FLOAT_EQ(p.uvSet(0).v[3], 1);
    expectNear(Vec3f(p.faceNormal(0)), 0, 1, 0, "plane normal");
    const int PE[4][2] = {{0, 1}, {0, 2}, {1, 3}, {2, 3}};
    for (int e = 0; e < 4; ++e) EXPECT_EQ(std::make_pair(p.edge(e).v0, p.edge(e).v1), std::make_pair(PE[e][0], PE[e][1]));

    // The default sphere: rings from the bottom, starting one step short of +X towards -Z.
    ok("polySphere");
    const Mesh& s = mesh("pSphereShape1");
    EXPECT_EQ(s.numVertices(), 382);
    EXPECT_EQ(s.numFaces(), 400);
    EXPECT_EQ(s.numEdges(), 780);
    EXPECT_EQ(s.uvSet(0).u.size(), 439u);
    expectNear(s.points()[0], 0.148778, -0.987688, -0.0483409, "sphere vertex 0");
    expectNear(s.points()[1], 0.126558, -0.987688, -0.0919499, "sphere vertex 1");
    expectNear(s.points()[380], 0, -1, 0, "bottom pole");
    expectNear(s.points()[381], 0, 1, 0, "top pole");
    expectOutward(s, "sphere");
    // Smooth edges: the shading normal of a unit sphere's vertex is close to its position.
    for (int fv : {0, 17, 1000, 1500}) {
        Vec3 n = s.faceVertexNormal(fv), pos = s.points()[s.faceVertexList()[fv]].d();
        EXPECT_GT(n.dot(pos.normal()), 0.99) << "face-vertex " << fv;
    }

    // Cylinder: side rings bottom to top; hard rims, so rim corners on the cap face straight down.
    ok("polyCylinder -sx 8 -h 4 -r 2");
    const Mesh& c = mesh("pCylinderShape1");
    EXPECT_EQ(c.numVertices(), 16);
    EXPECT_EQ(c.numFaces(), 10);
    EXPECT_EQ(c.numEdges(), 24);
    expectNear(c.points()[0], 2 * std::cos(-M_PI / 4), -2, 2 * std::sin(-M_PI / 4), "cylinder vertex 0");
    expectNear(c.points()[8], 2 * std::cos(-M_PI / 4), 2, 2 * std::sin(-M_PI / 4), "cylinder vertex 8");
    expectOutward(c, "cylinder");
    int bottomCap = 8;
    EXPECT_EQ(c.faceCount(bottomCap), 8);
    for (int i = 0; i < 8; ++i)
        expectNear(Vec3f(c.faceVertexNormal(c.faceOffset(bottomCap) + i)), 0, -1, 0, "bottom cap corner");
    Vec3 sideN = c.faceVertexNormal(0);  // side corner at vertex 0: horizontal
    EXPECT_NEAR(sideN.y, 0, 1e-6);

    ok("polyCylinder -sx 6 -sc 2 -n capped");
    const Mesh& cc = mesh("cappedShape");
    EXPECT_EQ(cc.numVertices(), 12 + 12 + 2);
    EXPECT_EQ(cc.numFaces(), 6 + 2 * (6 + 6));
    expectOutward(cc, "capped cylinder");
}

TEST_F(Poly, SubdividedCubeIsClosedAndConsistent) {
    Mesh m;
    std::string err;
    ASSERT_TRUE(host::scene::primitives::makeCube({2, 3, 4, 2, 3, 4}, Vec3(0, 1, 0), true, m, &err)) << err;
    EXPECT_EQ(m.numFaces(), 2 * (2 * 3 + 3 * 4 + 2 * 4));
    // Euler characteristic of a closed surface of genus 0, and every edge between two faces.
    EXPECT_EQ(m.numVertices() - m.numEdges() + m.numFaces(), 2);
    for (int e = 0; e < m.numEdges(); ++e) EXPECT_EQ(m.edgeFaces(e).size(), 2u) << "edge " << e;
    expectOutward(m, "subdivided cube");
    EXPECT_NEAR(m.area(), 2 * (2 * 3 + 3 * 4 + 2 * 4), 1e-4);
    EXPECT_TRUE(m.validate(&err)) << err;
    for (int f = 0; f < m.numFaces(); ++f) EXPECT_TRUE(m.faceHasUVs(0, f)) << f;
}

TEST_F(Poly, CreationCommandsAndHistory) {
    struct Case {
        const char* mel;
        std::vector<std::string> result;
    };
    const std::vector<Case> cases = {
        {"polyCube -n box", {"box", "polyCube1"}},
        {"polyCube -ch off", {"pCube1"}},
        {"polyCube; polyCube", {"pCube2", "polyCube2"}},
        {"polyPlane -n ground2", {"ground2", "polyPlane1"}},
        {"polySphere -r 3", {"pSphere1", "polySphere1"}},
        {"polyCylinder -constructionHistory false", {"pCylinder1"}},
    };
    for (const Case& c : cases) {
        host::scene::scene().newScene();
        EXPECT_EQ(strings(c.mel), c.result) << c.mel;
    }
    host::scene::scene().newScene();
    ok("polyCube -n box");
    EXPECT_NE(host::scene::scene().find("boxShape"), nullptr);
    // The result is selected and shaded by the default shading group.
    EXPECT_EQ(strings("ls -sl"), (std::vector<std::string>{"box"}));
    EXPECT_EQ(strings("listConnections -s off -d on -type shadingEngine boxShape"),
              (std::vector<std::string>{"initialShadingGroup"}));
    // History re-evaluates: a wider cube after setAttr, in UI units.
    ok("setAttr polyCube1.width 4; currentUnit -l m;");
    Vec3 lo, hi;
    ASSERT_TRUE(mesh("boxShape").bounds(lo, hi));
    EXPECT_NEAR(hi.x, 2, 1e-6);
    ok("polyCube -w 2 -sx 3 -n metric");  // 2 m = 200 cm
    ASSERT_TRUE(mesh("metricShape").bounds(lo, hi));
    EXPECT_NEAR(hi.x, 100, 1e-4);
    EXPECT_EQ(mesh("metricShape").numVertices(), 4 * 4);  // four rows of sx + 1 around X
    ok("currentUnit -l cm;");
    // Query and edit through the node or the object.
    auto q = run("polyCube -q -sx metric");
    ASSERT_TRUE(q.ok) << q.error;
    EXPECT_EQ(q.value.asInt(), 3);
    ok("polyCube -e -sx 1 polyCube2");
    EXPECT_EQ(mesh("metricShape").numVertices(), 8);
}

TEST_F(Poly, CreationCommandErrorsLeaveNothingBehind) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"polyCube -sx 0", "subdivisionsX"},
        {"polySphere -sy 1", "subdivisionsHeight"},
        {"polyPlane -w -1", "width"},
        {"polyCube -sx 100000 -sy 100000", "too many faces"},
        {"polyCube -q -w", "give the polyCube node"},
        {"polyCube -foo", "Invalid flag"},
    };
    for (const auto& [mel, msg] : cases) {
        host::scene::scene().newScene();
        size_t before = host::scene::scene().nodes().size();
        warnings.clear();
        auto r = run(mel);
        EXPECT_FALSE(r.ok) << mel;
        std::string all = r.error;
        for (const auto& w : warnings) all += w;
        EXPECT_NE(all.find(msg), std::string::npos) << mel << ": " << all;
        EXPECT_EQ(host::scene::scene().nodes().size(), before) << mel;
    }
}

// ------------------------------------------------------------ polyEvaluate

TEST_F(Poly, PolyEvaluateCounts) {
    ok("polyCube -n a; polyPlane -sx 2 -sy 3 -n b; select -cl;");
    struct Case {
        const char* mel;
        const char* expect;  // result text, or "!" + part of the error
    };
    const std::vector<Case> cases = {
        {"polyEvaluate -v a", "8"},
        {"polyEvaluate -e a", "12"},
        {"polyEvaluate -f aShape", "6"},
        {"polyEvaluate -t a", "12"},
        {"polyEvaluate -uv a", "14"},
        {"polyEvaluate -v -f b", "12 6"},
        {"polyEvaluate -f a b", "12"},
        {"polyEvaluate a", "vertex=8 edge=12 face=6 uvcoord=14 triangle=12"},
        {"polyEvaluate -fc a.f[1:3]", "3"},
        {"polyEvaluate -tc a.f[0:1]", "4"},
        {"polyEvaluate -vc a.vtx[0:4]", "5"},
        {"polyEvaluate -a a", "6"},
        {"select -r a; polyEvaluate -v", "8"},
        {"polyEvaluate -v", "!no polygon object"},
        {"polyEvaluate -uv -uvs nope a", "!no UV set nope"},
        {"polyEvaluate -v nothere", "!No object matches name"},
    };
    for (const Case& c : cases) {
        ok("select -cl;");
        auto r = run(c.mel);
        std::string want = c.expect;
        if (want[0] == '!') {
            EXPECT_FALSE(r.ok) << c.mel;
            EXPECT_NE(r.error.find(want.substr(1)), std::string::npos) << c.mel << ": " << r.error;
            continue;
        }
        ASSERT_TRUE(r.ok) << c.mel << ": " << r.error;
        std::string got;
        if (r.value.isArray())
            for (const std::string& s : r.value.asStringArray()) got += (got.empty() ? "" : " ") + s;
        else
            got = r.value.type() == host::mel::Type::Float ? std::to_string(int(std::lround(r.value.asFloat())))
                                                         : r.value.asString();
        EXPECT_EQ(got, want) << c.mel;
    }
}

// ------------------------------------------------------------ file attributes

// A unit cube as the host writes it to a scene file.
const char* kCubeFile = R"(createNode transform -n "box";
createNode mesh -n "boxShape" -p "box";
	setAttr ".uvst[0].uvsn" -type "string" "map1";
	setAttr -s 14 ".uvst[0].uvsp[0:13]" -type "float2" 0.375 0 0.625 0 0.375 0.25
		 0.625 0.25 0.375 0.5 0.625 0.5 0.375 0.75 0.625 0.75 0.375 1 0.625 1 0.875 0 0.875
		 0.25 0.125 0 0.125 0.25;
	setAttr ".cuvs" -type "string" "map1";
	setAttr ".dcc" -type "string" "Ambient+Diffuse";
	setAttr -s 8 ".vt[0:7]"  -0.5 -0.5 0.5 0.5 -0.5 0.5 -0.5 0.5 0.5 0.5 0.5 0.5
		 -0.5 0.5 -0.5 0.5 0.5 -0.5 -0.5 -0.5 -0.5 0.5 -0.5 -0.5;
	setAttr -s 12 ".ed[0:11]"  0 1 0 2 3 0 4 5 0 6 7 0 0 2 0 1 3 0 2 4 0 3 5 0 4 6 0
		 5 7 0 6 0 0 7 1 0;
	setAttr -s 6 -ch 24 ".fc[0:5]" -type "polyFaces"
		f 4 0 5 -2 -5
		mu 0 4 0 1 3 2
		f 4 1 7 -3 -7
		mu 0 4 2 3 5 4
		f 4 2 9 -4 -9
		mu 0 4 4 5 7 6
		f 4 3 11 -1 -11
		mu 0 4 6 7 9 8
		f 4 -12 -10 -8 -6
		mu 0 4 1 10 11 3
		f 4 10 4 6 8
		mu 0 4 12 0 2 13;
)";

TEST_F(Poly, SceneFileMeshMatchesTheCreatedCube) {
    ok(kCubeFile);
    ok("polyCube -ch off -n made");
    expectSameMesh(mesh("boxShape"), mesh("madeShape"));
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}

TEST_F(Poly, StoredNormalsColoursAndTweaks) {
    std::string file = kCubeFile;
    file += "\tsetAttr \".clst[0].clsn\" -type \"string\" \"colorSet1\";\n"
            "\tsetAttr -s 2 \".clst[0].clsp[0:1]\" 1 0 0 1 0 0 1 0.5;\n"
            "\tsetAttr -s 24 \".n[0:23]\" -type \"float3\" 0 0 1";
    for (int i = 1; i < 24; ++i) file += " 1e+20 1e+20 1e+20";
    file += ";\n\tsetAttr -s 2 \".pt\";\n\tsetAttr \".pt[3]\" -type \"float3\" 0 1 0;\n"
            "\tsetAttr \".pt[7]\" -type \"float3\" 0.25 0 0;\n";
    ok(file);
    const Mesh& m = mesh("boxShape");
    expectNear(m.points()[3], 0.5, 1.5, 0.5, "tweaked vertex 3");
    expectNear(m.points()[7], 0.75, -0.5, -0.5, "tweaked vertex 7");
    expectNear(m.points()[0], -0.5, -0.5, 0.5, "untweaked vertex 0");
    EXPECT_TRUE(m.isNormalLocked(0));
    EXPECT_FALSE(m.isNormalLocked(1));
    ASSERT_EQ(m.numColorSets(), 1);
    EXPECT_EQ(m.colorSet(0).name, "colorSet1");
    EXPECT_FLOAT_EQ(m.colorSet(0).colors[1].a, 0.5f);
    // Tweaks on a shape with history sit on top of what the history makes.
    ok("polyCube -n h; setAttr hShape.pt[0] -type float3 0 0 2;");
    expectNear(mesh("hShape").points()[0], -0.5, -0.5, 2.5, "tweak over history");
    ok("setAttr polyCube1.h 3");
    expectNear(mesh("hShape").points()[0], -0.5, -1.5, 2.5, "tweak over re-evaluated history");
}

TEST_F(Poly, BadMeshDataFailsWithFileAndLine) {
    const std::string head = R"(createNode mesh -n "m";
	setAttr -s 4 ".vt[0:3]" 0 0 0 1 0 0 1 1 0 0 1 0;
	setAttr -s 4 ".ed[0:3]" 0 1 0 1 2 0 2 3 0 3 0 0;
)";
    struct Case {
        const char* fc;
        const char* msg;
    };
    const std::vector<Case> cases = {
        {"setAttr \".fc[0]\" -type \"polyFaces\" f 4 0 1 2 7;", "names edge 7 but the mesh has 4 edges"},
        {"setAttr \".fc[0]\" -type \"polyFaces\" f 4 0 1 2;", "declares 4 ids but holds 3"},
        {"setAttr \".fc[0]\" -type \"polyFaces\" f 4 0 1 2 3 mu 0 4 0 1;", "declares 4 ids but holds 2"},
        {"setAttr \".fc[0]\" -type \"polyFaces\" f 4 0 1 2 3 zz 1;", "unknown section 'zz'"},
        {"setAttr \".fc[0]\" -type \"polyFaces\" 4 0 1 2 3;", "expected 'f'"},
        {"setAttr \".fc[0]\" -type \"polyFaces\" f x 0 1 2;", "needs a count"},
        {"setAttr \".fc[0]\" -type \"polyFaces\" f 2 0 1;", "at least 3 edges"},
    };
    // A range of faces whose words run out before its last element.
    host::scene::PolyFacesData pf;
    std::vector<std::string> words = {"f", "3", "0", "1", "2"};
    size_t pos = words.size();
    std::string err;
    EXPECT_FALSE(host::scene::parsePolyFaces(words, pos, -1, pf, &err));
    EXPECT_NE(err.find("expected 'f' to start a face, got nothing"), std::string::npos) << err;
    for (const Case& c : cases) {
        host::scene::scene().newScene();
        auto r = run(head + "\t" + c.fc + "\n", "bad.ma");
        EXPECT_FALSE(r.ok) << c.fc;
        EXPECT_NE(r.error.find(c.msg), std::string::npos) << c.fc << ": " << r.error;
        EXPECT_NE(r.error.find("bad.ma"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("line 4"), std::string::npos) << r.error;
    }
    // Data that only disagrees once the whole mesh is known: a warning naming
    // the shape, and no geometry instead of a broken one.
    const std::vector<std::pair<std::string, const char*>> late = {
        {head + "\tsetAttr \".fc[0]\" -type \"polyFaces\" f 4 0 1 -3 3;\n", "do not form a loop"},
        {head + "\tsetAttr -s 3 \".n[0:2]\" 0 0 1 0 0 1 0 0 1;\n\tsetAttr \".fc[0]\" -type \"polyFaces\" f 4 0 1 2 3;\n",
         ".n holds 3 normals for 4 face-vertices"},
        {head + "\tsetAttr \".fc[0]\" -type \"polyFaces\" f 4 0 1 2 3 mu 0 4 0 1 2 3;\n", "UV id 0 out of range"},
        {head + "\tsetAttr \".fc[1]\" -type \"polyFaces\" f 4 0 1 2 3;\n", "face 0 is missing"},
    };
    for (const auto& [text, msg] : late) {
        host::scene::scene().newScene();
        warnings.clear();
        ok(text);
        host::scene::Node* n = host::scene::scene().find("m");
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(host::scene::shapeGeometry(n), nullptr) << msg;
        ASSERT_EQ(warnings.size(), 1u) << msg;
        EXPECT_NE(warnings[0].find(msg), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("mesh m"), std::string::npos) << warnings[0];
    }
}

TEST_F(Poly, SavedStatementsRebuildTheSameMesh) {
    ok("polySphere -sx 6 -sy 4 -ch off -n ball");
    host::scene::Node* shape = host::scene::scene().find("ballShape");
    ASSERT_NE(shape, nullptr);
    auto g = host::scene::editableShapeGeometry(shape);
    ASSERT_NE(g, nullptr);
    Mesh& m = g->mesh;
    // Things a plain primitive lacks: a second UV set, a colour set, a
    // locked normal, a hard edge, an odd float.
    int s2 = m.createUVSet("lightmap");
    m.setUVs(s2, {0.1f, 0.2f, 0.3f}, {0.7f, 0.8f, 1.0f / 3.0f});
    ASSERT_TRUE(m.setFaceUVIds(s2, 0, {0, 1, 2, 1}));
    int cs = m.createColorSet("paint");
    m.setColorRepresentation(cs, 3);
    m.setVertexColor(cs, 2, {0.25f, 0.5f, 0.75f, 1});
    m.setFaceVertexNormal(5, Vec3(0, 0.6, 0.8));
    m.setEdgeSmooth(3, false);
    m.setPoint(4, Vec3f(0.1f, 1.0f / 7.0f, -3e-8f));
    host::scene::geometryChanged(shape);
    Mesh original = m;

    std::vector<std::string> lines = host::scene::meshSetAttrStatements(original);
    std::string text = "createNode transform -n copy; createNode mesh -n copyShape -p copy;\n";
    for (const std::string& l : lines) text += l + "\n";
    ok(text);
    expectSameMesh(mesh("copyShape"), original);
}

TEST_F(Poly, SceneFilesSaveAndReopenMeshes) {
    ok("polySphere -sx 5 -sy 4 -ch off -n ball; polyCube -n hist; setAttr polyCube1.sw 2;"
       "setAttr histShape.pt[1] -type float3 0 2 0;");
    host::scene::Node* ballShape = host::scene::scene().find("ballShape");
    ASSERT_NE(ballShape, nullptr);
    auto g = host::scene::editableShapeGeometry(ballShape);
    g->mesh.setFaceVertexNormal(2, Vec3(1, 0, 0));
    int cs = g->mesh.createColorSet("dirt");
    g->mesh.setVertexColor(cs, 0, {0.5f, 0.25f, 0, 1});
    host::scene::geometryChanged(ballShape);
    Mesh ball = mesh("ballShape"), hist = mesh("histShape");
    expectNear(hist.points()[1], 0, 1.5, 0.5, "tweaked history vertex");

    std::string text = host::files::mayaAsciiText({});
    host::scene::scene().newScene();
    host::files::MaReadResult r = host::files::readMayaAsciiText(text, "round.ma");
    ASSERT_TRUE(r.ok) << r.error << "\n" << text;
    expectSameMesh(mesh("ballShape"), ball);
    expectSameMesh(mesh("histShape"), hist);
    // The history came back as history: it still drives the shape.
    ok("setAttr polyCube1.sw 1;");
    EXPECT_EQ(mesh("histShape").numVertices(), 8);
    expectNear(mesh("histShape").points()[1], 0.5, 1.5, 0.5, "tweak kept over history");
}

TEST_F(Poly, FloatTextReadsBackExactly) {
    for (float v : {0.0f, 1.0f, -0.5f, 0.1f, 1.0f / 3.0f, 123456.78f, 3e-8f, -1e20f, 16777217.0f})
        EXPECT_EQ(std::strtof(host::scene::floatText(v).c_str(), nullptr), v) << host::scene::floatText(v);
    EXPECT_EQ(host::scene::floatText(0.375f), "0.375");
}

// ------------------------------------------------------------ deformer chains

TEST_F(Poly, RiggedMeshGivesItsBindPoseShape) {
    // The layout files of skinned meshes have: an intermediate "Orig" shape
    // with the stored geometry, then groupParts, tweak, skinCluster, and the
    // shape shown, fed through its inMesh.
    ok(kCubeFile);
    ok(R"(setAttr boxShape.io yes;
rename boxShape boxShapeOrig;
createNode mesh -n boxShape -p box;
createNode groupId -n groupId1;
createNode groupParts -n groupParts1;
createNode tweak -n tweak1;
setAttr tweak1.plist[0].controlPoints[2] -type float3 0 0 1;
createNode skinCluster -n skinCluster1;
createNode groupParts -n groupParts2;
connectAttr boxShapeOrig.worldMesh[0] groupParts2.inputGeometry;
connectAttr groupParts2.outputGeometry tweak1.input[0].inputGeometry;
connectAttr tweak1.outputGeometry[0] groupParts1.inputGeometry;
connectAttr groupParts1.outputGeometry skinCluster1.input[0].inputGeometry;
connectAttr skinCluster1.outputGeometry[0] boxShape.inMesh;
connectAttr groupId1.groupId skinCluster1.input[0].groupId;
)");
    const Mesh& m = mesh("boxShape");
    ASSERT_EQ(m.numVertices(), 8);
    expectNear(m.points()[2], -0.5, 0.5, 1.5, "tweaked vertex");
    expectNear(m.points()[5], 0.5, 0.5, -0.5, "untouched vertex");
    EXPECT_EQ(m.uvSet(0).u.size(), 14u);
    EXPECT_TRUE(warnings.empty());
    // The tweak's envelope scales its offsets.
    ok("setAttr tweak1.envelope 0.5");
    expectNear(mesh("boxShape").points()[2], -0.5, 0.5, 1.0, "half envelope");
}

TEST_F(Poly, UnknownHistoryKeepsStoredDataAndWarnsOnce) {
    // Loading tolerates unknown types, as scene files need.
    host::scene::setCreateUnknownNodes(true);
    auto r = run("createNode polyBevel3 -n bevel1; addAttr -ln output -dt \"mesh\" bevel1;");
    host::scene::setCreateUnknownNodes(false);
    ASSERT_TRUE(r.ok) << r.error;
    std::string file = kCubeFile;
    // A component node between them hands on what it gets: the bevel is named.
    ok(file + "createNode groupParts -n gp; connectAttr bevel1.output gp.inputGeometry;"
              "connectAttr gp.outputGeometry boxShape.inMesh;\n");
    warnings.clear();
    EXPECT_EQ(mesh("boxShape").numVertices(), 8);
    ok("setAttr box.tx 1");
    EXPECT_EQ(mesh("boxShape").numFaces(), 6);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("polyBevel3"), std::string::npos) << warnings[0];
}

// ------------------------------------------------------------ polySplit

TEST_F(Poly, SplitThroughEdgeMidpoints) {
    ok("polyPlane -sx 1 -sy 1 -ch off -n p; select -r p;");
    // Edges 0 (0-1) and 3 (2-3) are opposite sides: one cut through the middle.
    ok("polySplit -ep 0 0.5 -ep 3 0.5");
    const Mesh& a = mesh("pShape");
    ASSERT_EQ(a.numVertices(), 6);
    ASSERT_EQ(a.numFaces(), 2);
    ASSERT_EQ(a.numEdges(), 7);
    expectNear(a.points()[4], 0, 0, 0.5, "point on edge 0");
    expectNear(a.points()[5], 0, 0, -0.5, "point on edge 3");
    EXPECT_EQ(std::make_pair(a.edge(6).v0, a.edge(6).v1), std::make_pair(4, 5));  // the cut is the last edge
    EXPECT_EQ(std::make_pair(a.edge(0).v0, a.edge(0).v1), std::make_pair(0, 4));  // split edge keeps its first half
    EXPECT_NEAR(a.area(), 1.0, 1e-9);
    for (int f = 0; f < 2; ++f) {
        EXPECT_NEAR(a.faceArea(f), 0.5, 1e-9);
        EXPECT_GT(a.faceNormal(f).y, 0.99);
        ASSERT_TRUE(a.faceHasUVs(0, f));
        // UVs follow the points: u = x + 0.5, v = 0.5 - z.
        for (int i = 0; i < a.faceCount(f); ++i) {
            int id = a.uvId(0, a.faceOffset(f) + i);
            Vec3f p = a.points()[a.faceVertex(f, i)];
            EXPECT_NEAR(a.uvSet(0).u[id], p.x + 0.5, 1e-6);
            EXPECT_NEAR(a.uvSet(0).v[id], 0.5 - p.z, 1e-6);
        }
    }
    // The second cut of a quad subdivision: across, through the middle of the first cut.
    ok("polySplit -ep 1 0.5 -ep 6 0.5 -ep 2 0.5 p");
    const Mesh& b = mesh("pShape");
    EXPECT_EQ(b.numVertices(), 9);
    EXPECT_EQ(b.numFaces(), 4);
    EXPECT_EQ(b.numEdges(), 12);
    for (int f = 0; f < 4; ++f) {
        EXPECT_EQ(b.faceCount(f), 4) << f;
        EXPECT_NEAR(b.faceArea(f), 0.25, 1e-9) << f;
    }
    std::string err;
    EXPECT_TRUE(b.validate(&err)) << err;
}

TEST_F(Poly, SplitEndpointsAndErrors) {
    // A cut between two existing corners (t snapped to the ends).
    ok("polyPlane -sx 1 -sy 1 -n p; select -r p;");
    ok("polySplit -ep 0 0 -ep 3 1");  // vertex 0 to vertex 3: a diagonal
    const Mesh& m = mesh("pShape");
    EXPECT_EQ(m.numVertices(), 4);
    EXPECT_EQ(m.numFaces(), 2);
    EXPECT_EQ(m.faceCount(0), 3);
    // The edit is baked in: changing the creation node no longer matters.
    ok("setAttr polyPlane1.width 5");
    EXPECT_EQ(mesh("pShape").numFaces(), 2);
    struct Case {
        const char* mel;
        const char* msg;
    };
    const std::vector<Case> cases = {
        {"polySplit -ep 0 0.5", "at least two edge points"},
        {"polySplit -ep 0 0.5 -ep 40 0.5", "edge 40 does not exist"},
        {"polySplit -ep 0 1.5 -ep 3 0.5", "must lie in 0..1"},
        {"polySplit -ep 0 0.5 -ep 0 0.25", "split twice"},
        {"polySplit -fp 0 0.3 0.3 0.3 -ep 0 0.5", "not supported"},
        {"select -cl; polySplit -ep 0 0.5 -ep 3 0.5", "no polygon mesh"},
    };
    for (const Case& c : cases) {
        ok("select -r p;");
        int faces = mesh("pShape").numFaces();
        auto r = run(c.mel);
        EXPECT_FALSE(r.ok) << c.mel;
        EXPECT_NE(r.error.find(c.msg), std::string::npos) << c.mel << ": " << r.error;
        EXPECT_EQ(mesh("pShape").numFaces(), faces) << c.mel;
    }
    // Points that share no face.
    Mesh cube;
    std::string err;
    ASSERT_TRUE(host::scene::primitives::makeCube({}, Vec3(0, 1, 0), true, cube, &err));
    Mesh before = cube;
    EXPECT_FALSE(host::scene::splitMesh(cube, {{0, 0.5}, {9, 0.5}}, &err));  // bottom-front and back-top edges
    EXPECT_NE(err.find("do not lie on one face"), std::string::npos) << err;
    EXPECT_EQ(cube.numVertices(), before.numVertices());
}

}  // namespace
