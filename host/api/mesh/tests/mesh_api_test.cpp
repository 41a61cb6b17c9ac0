#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMeshData.h>
#include <maya/MFnSingleIndexedComponent.h>
#include <maya/MItMeshEdge.h>
#include <maya/MItMeshFaceVertex.h>
#include <maya/MItMeshPolygon.h>
#include <maya/MItMeshVertex.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>

#include "scene/core/scene.h"
#include "scene/mesh/mesh_data.h"

#include <gtest/gtest.h>

#include <set>

namespace {

MFloatPointArray cubePoints() {
    const float p[8][3] = {{-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f}, {-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f},
                           {-0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}};
    MFloatPointArray a;
    for (auto& q : p) a.append(q[0], q[1], q[2]);
    return a;
}
const MIntArray kCounts = {4, 4, 4, 4, 4, 4};
const MIntArray kConnects = {0, 1, 3, 2, 2, 3, 5, 4, 4, 5, 7, 6, 6, 7, 1, 0, 1, 7, 5, 3, 6, 0, 2, 4};

// A cube in a mesh data object (no scene involved).
MObject cubeData(MFnMesh& fn) {
    MFnMeshData dataFn;
    MObject data = dataFn.create();
    MStatus st;
    MObject r = fn.create(8, 6, cubePoints(), kCounts, kConnects, data, &st);
    EXPECT_EQ(st, MStatus::kSuccess);
    EXPECT_EQ(r, data);
    return data;
}

}  // namespace

TEST(MFnMeshData, CreateIntoDataObject) {
    MFnMesh fn;
    MObject data = cubeData(fn);
    EXPECT_TRUE(data.hasFn(MFn::kMeshData));
    EXPECT_EQ(fn.numVertices(), 8);
    EXPECT_EQ(fn.numPolygons(), 6);
    EXPECT_EQ(fn.numEdges(), 12);
    EXPECT_EQ(fn.numFaceVertices(), 24);
    EXPECT_EQ(fn.numNormals(), 24);  // created meshes start with hard edges
    MFnMesh again(data);
    EXPECT_EQ(again.numPolygons(), 6);
    MIntArray verts;
    ASSERT_EQ(fn.getPolygonVertices(2, verts), MStatus::kSuccess);
    EXPECT_EQ(verts.vec(), std::vector<int>({4, 5, 7, 6}));
    MVector n;
    ASSERT_EQ(fn.getPolygonNormal(1, n), MStatus::kSuccess);
    EXPECT_NEAR(n.y, 1.0, 1e-6);
    // Normals through ids: each face-vertex of face 4 points +x.
    MFloatVectorArray normals;
    MIntArray ids;
    ASSERT_EQ(fn.getNormals(normals), MStatus::kSuccess);
    ASSERT_EQ(fn.getFaceNormalIds(4, ids), MStatus::kSuccess);
    for (int id : ids) EXPECT_NEAR(normals[unsigned(id)].x, 1.0f, 1e-6f);
    // Softening every edge leaves one normal per vertex.
    for (int e = 0; e < 12; ++e) ASSERT_EQ(fn.setEdgeSmoothing(e, true), MStatus::kSuccess);
    ASSERT_EQ(fn.cleanupEdgeSmoothing(), MStatus::kSuccess);
    EXPECT_EQ(fn.numNormals(), 8);
    EXPECT_TRUE(fn.isEdgeSmooth(3));
}

TEST(MFnMeshData, BadCreateFails) {
    MFnMeshData dataFn;
    MObject data = dataFn.create();
    MFnMesh fn;
    MStatus st;
    MIntArray badConnects = kConnects;
    badConnects[5] = 42;
    EXPECT_TRUE(fn.create(8, 6, cubePoints(), kCounts, badConnects, data, &st).isNull());
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    EXPECT_TRUE(fn.create(9, 6, cubePoints(), kCounts, kConnects, data, &st).isNull());  // more vertices than given
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    EXPECT_TRUE(fn.create(8, 5, cubePoints(), kCounts, kConnects, data, &st).isNull());  // polygon count mismatch
    EXPECT_TRUE(fn.create(8, 2, cubePoints(), MIntArray({0, 4}), MIntArray({0, 1, 2, 3}), data, &st).isNull());
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    // An unattached function set reports failure instead of crashing.
    MFnMesh none;
    EXPECT_EQ(none.numVertices(&st), 0);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    MPointArray pts;
    EXPECT_EQ(none.getPoints(pts), MStatus::kInvalidParameter);
    MIntArray v;
    MFnMesh fnOk;
    cubeData(fnOk);
    EXPECT_EQ(fnOk.getPolygonVertices(6, v), MStatus::kInvalidParameter);
    int2 ev;
    EXPECT_EQ(fnOk.getEdgeVertices(12, ev), MStatus::kInvalidParameter);
}

TEST(MFnMeshData, UVsColorsAndQueries) {
    MFnMesh fn;
    cubeData(fn);
    MStringArray sets;
    fn.getUVSetNames(sets);
    ASSERT_EQ(sets.length(), 1u);
    EXPECT_EQ(sets[0], "map1");
    EXPECT_EQ(fn.currentUVSetName(), "map1");
    MFloatArray u = {0, 1, 1, 0}, v = {0, 0, 1, 1};
    ASSERT_EQ(fn.setUVs(u, v), MStatus::kSuccess);
    ASSERT_EQ(fn.assignUVs(MIntArray({4, 0, 0, 0, 0, 0}), MIntArray({0, 1, 2, 3})), MStatus::kSuccess);
    EXPECT_EQ(fn.numUVs(), 4);
    float uu = 0, vv = 0;
    ASSERT_EQ(fn.getPolygonUV(0, 2, uu, vv), MStatus::kSuccess);
    EXPECT_EQ(uu, 1.0f);
    EXPECT_EQ(vv, 1.0f);
    int id = -1;
    EXPECT_EQ(fn.getPolygonUVid(1, 0, id), MStatus::kFailure);  // face 1 has no UVs
    MIntArray counts, uvIds;
    fn.getAssignedUVs(counts, uvIds);
    EXPECT_EQ(counts.vec(), std::vector<int>({4, 0, 0, 0, 0, 0}));
    // UV at a point over the front face (z = 0.5): u = x + 0.5, v = y + 0.5.
    float2 uv;
    int face = -1;
    ASSERT_EQ(fn.getUVAtPoint(MPoint(0.25, -0.1, 2.0), uv, MSpace::kObject, nullptr, &face), MStatus::kSuccess);
    EXPECT_EQ(face, 0);
    EXPECT_NEAR(uv[0], 0.75f, 1e-5f);
    EXPECT_NEAR(uv[1], 0.4f, 1e-5f);
    MPoint closest;
    ASSERT_EQ(fn.getClosestPoint(MPoint(3, 0.1, 0.2), closest, MSpace::kObject, &face), MStatus::kSuccess);
    EXPECT_NEAR(closest.x, 0.5, 1e-9);
    EXPECT_EQ(face, 4);
    MVector cn;
    ASSERT_EQ(fn.getClosestNormal(MPoint(3, 0.1, 0.2), cn), MStatus::kSuccess);
    EXPECT_NEAR(cn.x, 1.0, 1e-6);
    EXPECT_NEAR(fn.area(), 6.0, 1e-9);
    // Colours: none until a set is made; unassigned corners read (-1,-1,-1,-1).
    EXPECT_EQ(fn.numColorSets(), 0);
    ASSERT_EQ(fn.setVertexColor(MColor(1, 0, 0, 1), 0), MStatus::kSuccess);
    EXPECT_EQ(fn.currentColorSetName(), "colorSet1");
    MColorArray fvc;
    ASSERT_EQ(fn.getFaceVertexColors(fvc), MStatus::kSuccess);
    ASSERT_EQ(fvc.length(), 24u);
    EXPECT_EQ(fvc[0], MColor(1, 0, 0, 1));   // face 0 corner 0 is vertex 0
    EXPECT_EQ(fvc[1], MColor(-1, -1, -1, -1));
    ASSERT_EQ(fn.setFaceVertexColor(MColor(0, 0, 1, 0.5f), 0, 1), MStatus::kSuccess);
    int ci = -1;
    ASSERT_EQ(fn.getFaceVertexColorIndex(0, 1, ci), MStatus::kSuccess);
    EXPECT_EQ(ci, 1);
    EXPECT_EQ(fn.numColors(), 2);
    EXPECT_EQ(fn.setFaceVertexColor(MColor(), 0, 7), MStatus::kInvalidParameter);  // vertex 7 not on face 0
    // Triangles: 2 per quad.
    MIntArray triCounts, triVerts;
    fn.getTriangles(triCounts, triVerts);
    EXPECT_EQ(triCounts.vec(), std::vector<int>({2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(triVerts.length(), 36u);
}

TEST(MeshIterators, WalkDataObject) {
    MFnMesh fn;
    MObject data = cubeData(fn);
    MStatus st;
    MItMeshPolygon poly(data, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    EXPECT_EQ(poly.count(), 6);
    int visited = 0;
    std::set<int> normalIds;
    for (; !poly.isDone(); poly.next(), ++visited) {
        EXPECT_EQ(poly.index(), visited);
        ASSERT_EQ(poly.polygonVertexCount(), 4u);
        MIntArray pv;
        fn.getPolygonVertices(poly.index(), pv);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(poly.vertexIndex(i), pv[unsigned(i)]);
            normalIds.insert(poly.normalIndex(i));
        }
        int tris = 0;
        poly.numTriangles(tris);
        EXPECT_EQ(tris, 2);
        MIntArray edges, neighbours;
        poly.getEdges(edges);
        poly.getConnectedFaces(neighbours);
        EXPECT_EQ(edges.length(), 4u);
        EXPECT_EQ(neighbours.length(), 4u);
        EXPECT_FALSE(poly.onBoundary());
        double a = 0;
        poly.getArea(a);
        EXPECT_NEAR(a, 1.0, 1e-9);
    }
    EXPECT_EQ(visited, 6);
    EXPECT_EQ(normalIds.size(), 24u);
    int prev = -1;
    ASSERT_EQ(poly.setIndex(3, prev), MStatus::kSuccess);
    EXPECT_EQ(poly.index(), 3);
    EXPECT_EQ(poly.setIndex(6, prev), MStatus::kInvalidParameter);

    MItMeshEdge edge(data);
    EXPECT_EQ(edge.count(), 12);
    for (; !edge.isDone(); edge.next()) {
        MIntArray faces;
        EXPECT_EQ(edge.getConnectedFaces(faces), 2);
        EXPECT_FALSE(edge.isSmooth());
        EXPECT_NEAR(edge.length(), 1.0, 1e-9);
        EXPECT_NE(edge.index(0), edge.index(1));
    }
    MItMeshVertex vert(data);
    EXPECT_EQ(vert.count(), 8);
    for (; !vert.isDone(); vert.next()) {
        MIntArray nb, faces;
        vert.getConnectedVertices(nb);
        vert.getConnectedFaces(faces);
        EXPECT_EQ(nb.length(), 3u);
        EXPECT_EQ(faces.length(), 3u);
        MVector n;
        vert.getNormal(n);
        MPoint p = vert.position();
        EXPECT_GT(n * MVector(p), 0.8);  // averaged normal points outward along the diagonal
    }
    MItMeshFaceVertex fvIt(data);
    int corners = 0, lastFace = -1, lastCorner = -1;
    for (; !fvIt.isDone(); fvIt.next(), ++corners) {
        if (fvIt.faceId() != lastFace) { lastFace = fvIt.faceId(); lastCorner = -1; }
        EXPECT_EQ(fvIt.faceVertId(), lastCorner + 1);
        lastCorner = fvIt.faceVertId();
        MIntArray pv;
        fn.getPolygonVertices(fvIt.faceId(), pv);
        EXPECT_EQ(fvIt.vertId(), pv[unsigned(fvIt.faceVertId())]);
    }
    EXPECT_EQ(corners, 24);
    // Not a mesh: clear failure.
    MItMeshPolygon bad(MObject(), &st);
    EXPECT_NE(st, MStatus::kSuccess);
    EXPECT_TRUE(bad.isDone());
}

// ------------------------------------------------------------- in the scene

class MeshInScene : public ::testing::Test {
protected:
    void SetUp() override { host::scene::scene().newScene(); }
};

TEST_F(MeshInScene, CreateUnderNewTransformAndWorldSpace) {
    MFnMesh fn;
    MStatus st;
    MObject xform = fn.create(8, 6, cubePoints(), kCounts, kConnects, MObject::kNullObj, &st);
    ASSERT_EQ(st, MStatus::kSuccess);
    ASSERT_TRUE(xform.hasFn(MFn::kTransform));
    MFnDagNode xfn(xform);
    ASSERT_EQ(xfn.childCount(), 1u);
    MObject shape = xfn.child(0);
    EXPECT_TRUE(shape.hasFn(MFn::kMesh));
    EXPECT_EQ(fn.object(), shape);
    // Move the transform and read points back in world space.
    auto node = std::dynamic_pointer_cast<host::scene::Node>(xform.object());
    ASSERT_TRUE(node);
    host::scene::Plug tx = node->plug("translateX");
    ASSERT_FALSE(tx.isNull());
    ASSERT_EQ(host::scene::scene().setDouble(tx, 10.0), MStatus::kSuccess);
    MDagPath path;
    ASSERT_EQ(MDagPath::getAPathTo(shape, path), MStatus::kSuccess);
    MFnMesh onPath(path);
    MPoint p;
    ASSERT_EQ(onPath.getPoint(0, p, MSpace::kWorld), MStatus::kSuccess);
    EXPECT_NEAR(p.x, 9.5, 1e-9);
    ASSERT_EQ(onPath.getPoint(0, p, MSpace::kObject), MStatus::kSuccess);
    EXPECT_NEAR(p.x, -0.5, 1e-9);
    ASSERT_EQ(onPath.setPoint(0, MPoint(9.0, -0.5, 0.5), MSpace::kWorld), MStatus::kSuccess);
    ASSERT_EQ(onPath.getPoint(0, p), MStatus::kSuccess);
    EXPECT_NEAR(p.x, -1.0, 1e-6);
    MPoint c;
    ASSERT_EQ(onPath.getClosestPoint(MPoint(20, 0, 0), c, MSpace::kWorld), MStatus::kSuccess);
    EXPECT_NEAR(c.x, 10.5, 1e-6);
    // A transform path stands for its mesh shape.
    MDagPath xpath;
    ASSERT_EQ(MDagPath::getAPathTo(xform, xpath), MStatus::kSuccess);
    MFnMesh viaTransform(xpath, &st);
    EXPECT_EQ(st, MStatus::kSuccess);
    EXPECT_EQ(viaTransform.numPolygons(), 6);
    // Iterators on the path see the same world points.
    MItMeshVertex vit(path);
    EXPECT_NEAR(vit.position(MSpace::kWorld).x, 9.0, 1e-6);
}

TEST_F(MeshInScene, ComponentFilterRestrictsWalk) {
    MFnMesh fn;
    fn.create(8, 6, cubePoints(), kCounts, kConnects);
    MDagPath path = fn.dagPath();
    MFnSingleIndexedComponent compFn;
    MObject faces = compFn.create(MFn::kMeshPolygonComponent);
    compFn.addElement(4);
    compFn.addElement(1);
    MItMeshPolygon poly(path, faces);
    std::vector<int> seen;
    for (; !poly.isDone(); poly.next()) seen.push_back(poly.index());
    EXPECT_EQ(seen, (std::vector<int>{4, 1}));
    MObject verts = compFn.create(MFn::kMeshVertComponent);
    compFn.addElement(7);
    compFn.addElement(99);  // beyond the mesh: skipped
    MItMeshVertex vit(path, verts);
    EXPECT_EQ(vit.count(), 1);
    EXPECT_EQ(vit.index(), 7);
    // A component of the wrong kind is refused.
    MStatus st;
    MItMeshEdge eit(path, verts, &st);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
    EXPECT_TRUE(eit.isDone());
    MItMeshFaceVertex fvit(path, faces);
    int n = 0;
    for (; !fvit.isDone(); fvit.next()) ++n;
    EXPECT_EQ(n, 8);
}

TEST_F(MeshInScene, ConnectedShadersPerFace) {
    MFnMesh fn;
    fn.create(8, 6, cubePoints(), kCounts, kConnects);
    auto& sc = host::scene::scene();
    auto shape = std::dynamic_pointer_cast<host::scene::Node>(fn.object().object());
    host::scene::Node* sgA = sc.createNode("shadingEngine", "redSG");
    host::scene::Node* sgB = sc.createNode("shadingEngine", "blueSG");
    ASSERT_TRUE(sgA && sgB);
    std::string err;
    ASSERT_EQ(sc.addToSet(sgA, shape.get(), {"f[0:3]"}, &err), MStatus::kSuccess) << err;
    ASSERT_EQ(sc.addToSet(sgB, shape.get(), {"f[5]"}, &err), MStatus::kSuccess) << err;
    MObjectArray shaders;
    MIntArray indices;
    ASSERT_EQ(fn.getConnectedShaders(0, shaders, indices), MStatus::kSuccess);
    ASSERT_EQ(shaders.length(), 2u);
    EXPECT_EQ(MFnDependencyNode(shaders[0]).name(), "redSG");
    EXPECT_EQ(indices.vec(), std::vector<int>({0, 0, 0, 0, -1, 1}));
    MObjectArray sets, comps;
    ASSERT_EQ(fn.getConnectedSetsAndMembers(0, sets, comps, true), MStatus::kSuccess);
    ASSERT_EQ(comps.length(), 2u);
    MFnSingleIndexedComponent cfn(comps[1]);
    MIntArray el;
    cfn.getElements(el);
    EXPECT_EQ(el.vec(), std::vector<int>({5}));
}

TEST_F(MeshInScene, UpstreamGeometryAndEditsDoNotAlias) {
    auto& sc = host::scene::scene();
    EXPECT_TRUE(std::dynamic_pointer_cast<host::scene::MeshData>(host::scene::createData("mesh")));
    MFnMesh src;
    src.create(8, 6, cubePoints(), kCounts, kConnects);
    auto a = std::dynamic_pointer_cast<host::scene::Node>(src.object().object());
    host::scene::Node* b = sc.createNode("mesh", "copyShape");
    ASSERT_TRUE(b);
    std::string err;
    ASSERT_EQ(sc.connect(a->plug("outMesh"), b->plug("inMesh"), false, &err), MStatus::kSuccess) << err;
    MFnMesh dst(MObject(sc.ptr(b)));
    EXPECT_EQ(dst.numPolygons(), 6);
    // Editing the downstream shape keeps the source intact.
    ASSERT_EQ(dst.setPoint(0, MPoint(-3, -0.5, 0.5)), MStatus::kSuccess);
    MPoint p;
    dst.getPoint(0, p);
    EXPECT_NEAR(p.x, -3.0, 1e-6);
    src.getPoint(0, p);
    EXPECT_NEAR(p.x, -0.5, 1e-6);
    // A shape with neither own nor upstream geometry fails cleanly.
    host::scene::Node* empty = sc.createNode("mesh", "emptyShape");
    MStatus st;
    MFnMesh e(MObject(sc.ptr(empty)), &st);
    EXPECT_EQ(st, MStatus::kSuccess);
    EXPECT_EQ(e.numVertices(&st), 0);
    EXPECT_EQ(st, MStatus::kInvalidParameter);
}
