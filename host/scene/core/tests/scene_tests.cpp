#include "scene/core/eval.h"
#include "scene/core/scene.h"

#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace host::scene;

namespace {
struct SceneTest : ::testing::Test {
    void SetUp() override { scene().newScene(); }
    Scene& s = scene();
    Plug plug(const std::string& text) {
        Plug p;
        std::string err;
        EXPECT_TRUE(s.parsePlug(text, p, &err)) << text << ": " << err;
        return p;
    }
};

TEST_F(SceneTest, TypeHierarchyAnswersLikeTheHost) {
    struct Case { const char* type; std::vector<MFn::Type> has; std::vector<MFn::Type> hasNot; unsigned id; };
    const Case cases[] = {
        {"joint", {MFn::kJoint, MFn::kTransform, MFn::kDagNode, MFn::kDependencyNode}, {MFn::kShape}, 0x4a4f494e},
        {"mesh", {MFn::kMesh, MFn::kSurface, MFn::kShape, MFn::kDagNode}, {MFn::kTransform}, 0x444d5348},
        {"shadingEngine", {MFn::kShadingEngine, MFn::kSet}, {MFn::kDagNode}, 0x53484144},
        {"animCurveTL", {MFn::kAnimCurve, MFn::kAnimCurveTimeToDistance}, {MFn::kDagNode}, 0x5443544c},
        {"pointLight", {MFn::kPointLight, MFn::kNonExtendedLight, MFn::kNonAmbientLight, MFn::kLight, MFn::kShape}, {MFn::kAmbientLight}, 0x504f4954},
        {"phong", {MFn::kPhong, MFn::kReflect, MFn::kLambert}, {MFn::kBlinn}, 0x5250484f},
        {"lookAt", {MFn::kLookAt, MFn::kAimConstraint, MFn::kConstraint, MFn::kTransform}, {MFn::kShape}, 0x4c4f4f4b},
    };
    for (const Case& c : cases) {
        Node* n = s.createNode(c.type);
        ASSERT_NE(n, nullptr) << c.type;
        MObject o(s.ptr(n));
        for (MFn::Type t : c.has) EXPECT_TRUE(o.hasFn(t)) << c.type << " " << MFn::typeName(t);
        for (MFn::Type t : c.hasNot) EXPECT_FALSE(o.hasFn(t)) << c.type << " " << MFn::typeName(t);
        MFnDependencyNode fn(o);
        EXPECT_EQ(fn.typeId().id(), c.id) << c.type;
        EXPECT_EQ(fn.typeName(), c.type);
    }
    EXPECT_STREQ(MObject(s.ptr(s.find("persp"))).apiTypeStr(), "kTransform");
}

TEST_F(SceneTest, NamingRenumbersClashesAndResolvesPaths) {
    Node* a = s.createNode("transform", "pCube1");
    Node* b = s.createNode("transform", "pCube1");
    EXPECT_EQ(b->name, "pCube2");
    Node* c = s.createNode("transform", "grp#");
    EXPECT_EQ(c->name, "grp1");
    Node* m = s.createNode("mesh");
    EXPECT_EQ(m->name, "polySurfaceShape1");
    EXPECT_EQ(m->parent->name, "polySurface1");
    // Same short name under different parents is allowed; the short name is then ambiguous.
    Node* x1 = s.createNode("transform", "leaf", a);
    Node* x2 = s.createNode("transform", "leaf", b);
    EXPECT_EQ(x2->name, "leaf");
    std::string err;
    EXPECT_EQ(s.find("leaf", &err), nullptr);
    EXPECT_EQ(err, "More than one object matches name: leaf");
    EXPECT_EQ(s.find("|pCube1|leaf"), x1);
    EXPECT_EQ(s.find("pCube2|leaf"), x2);
    EXPECT_EQ(x1->fullPath(), "|pCube1|leaf");
    EXPECT_EQ(x1->partialPath(), "pCube1|leaf");
    EXPECT_EQ(a->partialPath(), "pCube1");
    // A non-DAG node cannot share a DAG node's name.
    EXPECT_EQ(s.createNode("addDoubleLinear", "pCube1")->name, "pCube3");
    // Reparenting onto a sibling with the same name renumbers.
    ASSERT_FALSE(s.reparent(x2, a).error());
    EXPECT_NE(x2->name, "leaf");
    EXPECT_EQ(s.find("nosuch", &err), nullptr);
    EXPECT_EQ(err, "No object matches name: nosuch");
}

TEST_F(SceneTest, AttributesKindsMultiLockDynamic) {
    Node* t = s.createNode("transform", "t1");
    EXPECT_EQ(plug("t1.tx").name(), "t1.tx");
    EXPECT_EQ(plug("t1.translateX").name(true), "t1.translateX");
    ASSERT_FALSE(s.setNumbers(plug("t1.t"), {1, 2, 3}).error());
    EXPECT_EQ(s.getNumbers(plug("t1.translate")), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(s.getDouble(plug("t1.ty")), 2);
    // Enum, bool, float rounding
    s.setDouble(plug("t1.ro"), 3);
    EXPECT_EQ(s.getDouble(plug("t1.rotateOrder")), 3);
    s.setDouble(plug("t1.v"), 5);
    EXPECT_EQ(s.getDouble(plug("t1.v")), 1);
    // Locked plugs refuse writes.
    s.setLocked(plug("t1.tx"), true);
    std::string err;
    EXPECT_TRUE(s.setDouble(plug("t1.tx"), 9, &err).error());
    EXPECT_EQ(s.getDouble(plug("t1.tx")), 1);
    EXPECT_NE(err.find("locked or connected"), std::string::npos);
    // Sparse multi indices with compound children.
    Node* m = s.createNode("mesh", "shapeA");
    Plug og = plug("shapeA.iog[0].og[7].gid");
    EXPECT_EQ(og.name(), "shapeA.iog[0].og[7].gid");
    s.setDouble(og, 4);
    s.setDouble(plug("shapeA.iog[0].og[2].gid"), 1);
    EXPECT_EQ(s.logicalIndices(plug("shapeA.iog[0].og")), (std::vector<unsigned>{2, 7}));
    (void)m;
    // Dynamic attributes keep values; clashes are refused.
    EXPECT_FALSE(t->addAttribute(makeTyped("objectType", "ot", "string")).error());
    EXPECT_TRUE(t->addAttribute(makeNumeric("translate", "foo", NumericType::kDouble)).error());
    s.setString(plug("t1.objectType"), "DockingPath");
    EXPECT_EQ(s.getString(plug("t1.ot")), "DockingPath");
    Plug bad;
    EXPECT_FALSE(s.parsePlug("t1.nosuch", bad));
}

TEST_F(SceneTest, ConnectionsAndPullEvaluation) {
    Node* a = s.createNode("addDoubleLinear", "a");
    Node* b = s.createNode("addDoubleLinear", "b");
    s.createNode("transform", "t");
    s.setDouble(plug("a.i1"), 2);
    s.setDouble(plug("a.i2"), 3);
    ASSERT_FALSE(s.connect(plug("a.o"), plug("b.i1")).error());
    s.setDouble(plug("b.i2"), 10);
    ASSERT_FALSE(s.connect(plug("b.o"), plug("t.tx")).error());
    ASSERT_FALSE(s.connect(plug("b.o"), plug("t.ty")).error());  // fan-out
    EXPECT_EQ(s.getDouble(plug("t.tx")), 15);
    EXPECT_EQ(s.getDouble(plug("t.ty")), 15);
    s.setDouble(plug("a.i1"), 5);
    EXPECT_EQ(s.getDouble(plug("t.tx")), 18);
    // One source per destination unless forced; connected destinations refuse setAttr.
    std::string err;
    EXPECT_TRUE(s.connect(plug("a.o"), plug("t.tx"), false, &err).error());
    EXPECT_TRUE(s.setDouble(plug("t.tx"), 1).error());
    EXPECT_FALSE(s.connect(plug("a.o"), plug("t.tx"), true).error());
    EXPECT_EQ(s.getDouble(plug("t.tx")), 8);
    EXPECT_EQ(s.destinationsOf(plug("b.o")).size(), 1u);
    // Incompatible kinds.
    EXPECT_TRUE(s.connect(plug("t.wm[0]"), plug("b.i2"), false, &err).error());
    // Deleting a node drops its connections.
    ASSERT_FALSE(s.deleteNode(a).error());
    EXPECT_TRUE(s.sourceOf(plug("t.tx")).isNull());
    (void)b;
}

TEST_F(SceneTest, DagOrderAndWorldMatrices) {
    Node* g = s.createNode("transform", "g");
    Node* c1 = s.createNode("transform", "c1", g);
    Node* c2 = s.createNode("transform", "c2", g);
    Node* c3 = s.createNode("transform", "c3");
    ASSERT_FALSE(s.reparent(c3, g, false, nullptr, 0).error());
    std::vector<Node*> order = s.dagDepthFirst(g);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], c3);
    EXPECT_EQ(order[1], c1);
    EXPECT_EQ(order[2], c2);
    // Parent translated and rotated 90 degrees about Z; child translated along x.
    s.setNumbers(g->plug("translate"), {1, 0, 0});
    s.setNumbers(g->plug("rotate"), {0, 0, M_PI / 2});
    s.setNumbers(c1->plug("translate"), {2, 0, 0});
    Matrix4 w = s.getMatrix(c1->plug("worldMatrix").element(0));
    EXPECT_NEAR(w.m[3][0], 1.0, 1e-9);
    EXPECT_NEAR(w.m[3][1], 2.0, 1e-9);
    Matrix4 wi = s.getMatrix(c1->plug("worldInverseMatrix").element(0));
    EXPECT_TRUE((w * wi).isIdentity(1e-9));
    MDagPath p;
    ASSERT_FALSE(MDagPath::getAPathTo(MObject(s.ptr(c1)), p).error());
    EXPECT_EQ(p.fullPathName(), "|g|c1");
    EXPECT_EQ(p.length(), 2u);
    // Keeping the world placement while reparenting to the world.
    ASSERT_FALSE(s.reparent(c1, nullptr, true).error());
    Matrix4 w2 = s.getMatrix(c1->plug("worldMatrix").element(0));
    EXPECT_NEAR(w2.m[3][1], 2.0, 1e-9);
}

TEST_F(SceneTest, JointInverseScale) {
    Node* j1 = s.createNode("joint", "j1");
    Node* j2 = s.createNode("joint", "j2", j1);
    ASSERT_FALSE(s.connect(j1->plug("scale"), j2->plug("inverseScale")).error());
    s.setNumbers(j1->plug("scale"), {2, 2, 2});
    s.setNumbers(j2->plug("translate"), {1, 0, 0});
    s.setNumbers(j2->plug("jointOrient"), {0, 0, M_PI / 2});
    // With segment scale compensation the parent's scale does not stretch the child's frame.
    Matrix4 w = s.getMatrix(j2->plug("worldMatrix").element(0));
    EXPECT_NEAR(w.m[3][0], 2.0, 1e-9);  // translation is in the scaled parent space
    EXPECT_NEAR(w.m[0][1], 1.0, 1e-9);  // x axis rotated onto y, unit length
}

TEST_F(SceneTest, AnimCurveDrivesTranslateAsTimeChanges) {
    Node* t = s.createNode("transform", "t");
    Node* c = s.createNode("animCurveTL", "t_translateX");
    AnimCurve curve;
    curve.addKey(1.0 / 24, 0.0, AnimCurve::kTangentLinear, AnimCurve::kTangentLinear);
    curve.addKey(11.0 / 24, 10.0, AnimCurve::kTangentLinear, AnimCurve::kTangentLinear);
    ASSERT_FALSE(writeAnimCurve(*c, curve).error());
    ASSERT_FALSE(s.connect(c->plug("output"), t->plug("translateX")).error());
    s.setCurrentTime(6.0 / 24);
    EXPECT_NEAR(s.getDouble(t->plug("tx")), 5.0, 1e-9);
    s.setCurrentTime(11.0 / 24);
    EXPECT_NEAR(s.getDouble(t->plug("tx")), 10.0, 1e-9);
    EXPECT_EQ(readAnimCurve(*c).numKeys(), 2u);
}

TEST_F(SceneTest, NewSceneDefaultNodes) {
    for (const char* n : {"time1", "persp", "perspShape", "top", "topShape", "front", "frontShape", "side",
                          "sideShape", "initialShadingGroup", "lambert1", "defaultLayer", "layerManager"})
        EXPECT_NE(s.find(n), nullptr) << n;
    EXPECT_TRUE(s.find("perspShape")->hasFn(MFn::kCamera));
    EXPECT_EQ(s.find("perspShape")->parent, s.find("persp"));
    EXPECT_EQ(s.getNumbers(s.find("persp")->plug("translate")), (std::vector<double>{28, 21, 28}));
    EXPECT_EQ(s.sourceOf(s.find("initialShadingGroup")->plug("surfaceShader")).node, s.find("lambert1"));
    EXPECT_TRUE(s.find("time1")->isDefault);
    EXPECT_TRUE(s.deleteNode(s.find("time1")).error());
    s.createNode("transform", "mine");
    s.newScene();
    EXPECT_EQ(s.find("mine"), nullptr);
}

TEST_F(SceneTest, PerFaceSetMembership) {
    Node* m = s.createNode("mesh", "shp");
    Node* sg = s.createNode("shadingEngine", "red");
    Node* init = s.find("initialShadingGroup");
    ASSERT_FALSE(s.addToSet(init, m, {"f[0:5]"}).error());
    ASSERT_FALSE(s.addToSet(sg, m, {"f[2:3]"}).error());
    auto mem = s.membershipsOf(m);
    ASSERT_EQ(mem.size(), 2u);
    for (const SetMembership& x : mem) {
        ComponentListData cl;
        cl.items = x.components;
        if (x.set == sg) EXPECT_EQ(cl.indices("f"), (std::vector<int>{2, 3}));
        else EXPECT_EQ(cl.indices("f"), (std::vector<int>{0, 1, 4, 5}));
    }
    EXPECT_EQ(s.setMembers(sg).size(), 1u);
}

TEST_F(SceneTest, WildcardMatch) {
    s.createNode("transform", "pCube1");
    s.createNode("transform", "pCube2");
    s.createNode("transform", "pSphere1");
    EXPECT_EQ(s.match("pCube*").size(), 2u);
    EXPECT_EQ(s.match("p*1").size(), 2u);
    EXPECT_TRUE(wildcardMatch("a?c", "abc"));
    EXPECT_FALSE(wildcardMatch("a?c", "abbc"));
}
}  // namespace

#include <maya/MItDag.h>
#include <maya/MItDependencyNodes.h>

namespace {
TEST_F(SceneTest, ItDagFiltersAndPrunes) {
    Node* g = s.createNode("transform", "g");
    Node* m = s.createNode("mesh", "gShape", g);
    Node* j = s.createNode("joint", "j", g);
    std::vector<std::string> meshes;
    for (MItDag it(MItDag::kDepthFirst, MFn::kMesh); !it.isDone(); it.next()) meshes.push_back(it.fullPathName().str());
    EXPECT_EQ(meshes, (std::vector<std::string>{"|g|gShape"}));
    std::vector<std::string> under;
    MItDag it2;
    it2.reset(MObject(s.ptr(g)), MItDag::kDepthFirst, MFn::kTransform);
    for (; !it2.isDone(); it2.next()) under.push_back(it2.partialPathName().str());
    EXPECT_EQ(under, (std::vector<std::string>{"g", "j"}));
    unsigned n = 0;
    for (MItDependencyNodes dn(MFn::kCamera); !dn.isDone(); dn.next()) ++n;
    EXPECT_EQ(n, 4u);
    (void)m;
    (void)j;
}
}  // namespace
