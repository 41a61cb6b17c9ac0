// Transform and joint function sets, checked against the world matrices the
// scene evaluates for the nodes (not against the function sets' own math).
#include <maya/MDagPath.h>
#include <maya/MEulerRotation.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnIkJoint.h>
#include <maya/MFnTransform.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>

#include "scene/core/scene.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace host::scene;

namespace {

struct TransformFnTest : ::testing::Test {
    void SetUp() override { s.newScene(); }
    Scene& s = scene();

    Node* make(const char* type, const char* name, Node* parent = nullptr) {
        Node* n = s.createNode(type, name, parent);
        EXPECT_NE(n, nullptr) << name;
        return n;
    }
    MObject obj(Node* n) { return MObject(s.ptr(n)); }
    MMatrix world(Node* n) {
        MDagPath p;
        EXPECT_FALSE(MDagPath::getAPathTo(obj(n), p).error());
        return p.inclusiveMatrix();
    }
    void set3(Node* n, const char* attr, double x, double y, double z) {
        ASSERT_FALSE(s.setNumbers(n->plug(attr), {x, y, z}).error()) << attr;
    }
    // A parent and a child with every channel away from its default.
    Node* busyChild() {
        Node* p = make("transform", "parent");
        set3(p, "translate", 1, 2, 3);
        set3(p, "rotate", 0.3, -0.2, 0.5);
        set3(p, "scale", 2, 2, 2);
        Node* c = make("transform", "child", p);
        set3(c, "translate", -4, 0.5, 2);
        set3(c, "rotate", 0.7, 0.1, -0.4);
        s.setDouble(c->plug("rotateOrder"), 4);  // yxz
        set3(c, "scale", 1.5, 0.5, 2);
        set3(c, "shear", 0.1, 0, 0.2);
        set3(c, "rotatePivot", 1, 1, 0);
        set3(c, "scalePivot", 0, -1, 2);
        set3(c, "rotatePivotTranslate", 0.25, 0, 0);
        set3(c, "rotateAxis", 0.2, 0, 0.1);
        return c;
    }
};

MVector row3(const MMatrix& m) { return MVector(m.matrix[3][0], m.matrix[3][1], m.matrix[3][2]); }

void expectNear(const MVector& a, const MVector& b, const char* what) {
    EXPECT_NEAR(a.x, b.x, 1e-9) << what;
    EXPECT_NEAR(a.y, b.y, 1e-9) << what;
    EXPECT_NEAR(a.z, b.z, 1e-9) << what;
}

void expectNear(const MMatrix& a, const MMatrix& b, const char* what, double tol = 1e-9) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.matrix[i][j], b.matrix[i][j], tol) << what << " [" << i << "][" << j << "]";
}

// Row lengths removed: the world rotation of a matrix with positive scale and no shear.
MMatrix normalizedRows(const MMatrix& m) {
    MMatrix r;
    for (int i = 0; i < 3; ++i) {
        double l = std::sqrt(m.matrix[i][0] * m.matrix[i][0] + m.matrix[i][1] * m.matrix[i][1] + m.matrix[i][2] * m.matrix[i][2]);
        for (int j = 0; j < 3; ++j) r.matrix[i][j] = m.matrix[i][j] / l;
    }
    return r;
}

TEST_F(TransformFnTest, TranslationInEachSpace) {
    Node* c = busyChild();
    MStatus st;
    MFnTransform fn(obj(c), &st);
    ASSERT_FALSE(st.error());
    expectNear(fn.getTranslation(MSpace::kTransform), MVector(-4, 0.5, 2), "transform space");
    expectNear(fn.getTranslation(MSpace::kWorld), row3(world(c)), "world space");
    expectNear(fn.translation(MSpace::kPostTransform), row3(fn.transformationMatrix()), "parent space");

    // Setting in world space moves the node's origin there, pivots and all.
    const MVector target(10, -3, 7);
    ASSERT_FALSE(fn.setTranslation(target, MSpace::kWorld).error());
    expectNear(row3(world(c)), target, "after world set");
    expectNear(fn.getTranslation(MSpace::kWorld), target, "read back");

    // translateBy in world space moves by a world vector.
    ASSERT_FALSE(fn.translateBy(MVector(1, 1, 1), MSpace::kWorld).error());
    expectNear(row3(world(c)), target + MVector(1, 1, 1), "after world move");
    ASSERT_FALSE(fn.translateBy(MVector(1, 0, 0), MSpace::kTransform).error());
    expectNear(MVector(s.getNumbers(c->plug("translate")).data()),
               fn.getTranslation(MSpace::kTransform), "transform move lands in translate");
}

TEST_F(TransformFnTest, RotationAsEulerQuaternionAndInWorld) {
    Node* c = busyChild();
    MFnTransform fn(obj(c));
    MEulerRotation e;
    ASSERT_FALSE(fn.getRotation(e).error());
    EXPECT_EQ(e.order, MEulerRotation::kYXZ);
    expectNear(MVector(e.x, e.y, e.z), MVector(0.7, 0.1, -0.4), "euler");
    double r[3];
    MTransformationMatrix::RotationOrder order;
    ASSERT_FALSE(fn.getRotation(r, order).error());
    EXPECT_EQ(order, MTransformationMatrix::kYXZ);
    EXPECT_EQ(fn.rotationOrder(), MTransformationMatrix::kYXZ);

    MQuaternion local;
    ASSERT_FALSE(fn.getRotation(local, MSpace::kTransform).error());
    expectNear(local.asMatrix(), e.asMatrix(), "local quaternion");

    // World rotation: the world matrix's rows without their (uniform) scale.
    set3(c, "shear", 0, 0, 0);
    set3(c, "scale", 3, 3, 3);
    MQuaternion w;
    ASSERT_FALSE(fn.getRotation(w, MSpace::kWorld).error());
    expectNear(w.asMatrix(), normalizedRows(world(c)), "world quaternion");

    // And setting a world rotation makes the world matrix turn that way.
    const MQuaternion want = MEulerRotation(0.4, 1.1, -0.6).asQuaternion();
    ASSERT_FALSE(fn.setRotation(want, MSpace::kWorld).error());
    expectNear(normalizedRows(world(c)), want.asMatrix(), "after world set");

    // Euler with its own order: the order becomes the transform's.
    ASSERT_FALSE(fn.setRotation(MEulerRotation(0.1, 0.2, 0.3, MEulerRotation::kZXY)).error());
    EXPECT_EQ(s.getDouble(c->plug("rotateOrder")), 2);
    EXPECT_EQ(s.getNumbers(c->plug("rotate")), (std::vector<double>{0.1, 0.2, 0.3}));
}

TEST_F(TransformFnTest, ReorderKeepsTheMatrixRelabelDoesNot) {
    Node* c = busyChild();
    MFnTransform fn(obj(c));
    const MMatrix before = world(c);
    ASSERT_FALSE(fn.setRotationOrder(MTransformationMatrix::kZYX, true).error());
    EXPECT_EQ(s.getDouble(c->plug("rotateOrder")), 5);
    expectNear(world(c), before, "reordered");
    ASSERT_FALSE(fn.setRotationOrder(MTransformationMatrix::kXYZ, false).error());
    MMatrix after = world(c);
    EXPECT_GT(std::fabs(after.matrix[0][0] - before.matrix[0][0]) + std::fabs(after.matrix[1][2] - before.matrix[1][2]), 1e-6);
}

TEST_F(TransformFnTest, PivotsBalancedAndNot) {
    struct Case { bool rotatePivot; bool balance; };
    for (Case k : {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        SCOPED_TRACE(std::string(k.rotatePivot ? "rotate" : "scale") + (k.balance ? " balanced" : ""));
        s.newScene();
        Node* c = busyChild();
        MFnTransform fn(obj(c));
        const MMatrix before = world(c);
        const MPoint to(3, -2, 0.5);
        MStatus st = k.rotatePivot ? fn.setRotatePivot(to, MSpace::kTransform, k.balance)
                                   : fn.setScalePivot(to, MSpace::kTransform, k.balance);
        ASSERT_FALSE(st.error());
        MPoint got = k.rotatePivot ? fn.rotatePivot(MSpace::kTransform) : fn.scalePivot(MSpace::kTransform);
        expectNear(MVector(got), MVector(to), "pivot stored");
        MMatrix after = world(c);
        if (k.balance) {
            expectNear(after, before, "balanced pivot keeps the matrix");
        } else {
            EXPECT_GT((row3(after) - row3(before)).length(), 1e-6) << "an unbalanced pivot moves the node";
        }
        // In world space a pivot is where the world matrix takes it.
        MPoint ws = k.rotatePivot ? fn.rotatePivot(MSpace::kWorld) : fn.scalePivot(MSpace::kWorld);
        expectNear(MVector(ws), MVector(to * after), "world pivot");
    }
    // A world-space pivot set is read back in world space.
    Node* c = s.find("child");
    MFnTransform fn(obj(c));
    ASSERT_FALSE(fn.setRotatePivot(MPoint(5, 5, 5), MSpace::kWorld, true).error());
    expectNear(MVector(fn.rotatePivot(MSpace::kWorld)), MVector(5, 5, 5), "world pivot round trip");
}

TEST_F(TransformFnTest, TransformationMatchesTheNodeAndSetsAnother) {
    Node* c = busyChild();
    MFnTransform fn(obj(c));
    MTransformationMatrix tm = fn.transformation();
    expectNear(tm.asMatrix(), fn.transformationMatrix(), "transformation of a transform");
    Node* other = make("transform", "other", s.find("parent"));
    MFnTransform fo(obj(other));
    ASSERT_FALSE(fo.set(tm).error());
    expectNear(world(other), world(c), "set copies every component");

    // Joints: orient folded into the rotation, same local matrix.
    Node* j = make("joint", "j");
    set3(j, "translate", 1, 2, 3);
    set3(j, "rotate", 0.3, 0.2, 0.1);
    set3(j, "jointOrient", 0.5, -0.5, 0.25);
    set3(j, "rotateAxis", 0.1, 0.2, 0.3);
    MFnIkJoint fj(obj(j));
    expectNear(fj.transformation().asMatrix(), fj.transformationMatrix(), "transformation of a joint");
}

TEST_F(TransformFnTest, BadInputFailsAndChangesNothing) {
    Node* c = busyChild();
    Node* mesh = make("mesh", "shape", c);
    MStatus st;
    MFnTransform onMesh(obj(mesh), &st);
    EXPECT_EQ(st.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(onMesh.setTranslation(MVector(1, 2, 3), MSpace::kTransform).error());
    MFnIkJoint jointOnTransform(obj(c), &st);
    EXPECT_TRUE(st.error());

    MFnTransform fn(obj(c));
    fn.getTranslation(MSpace::kInvalid, &st);
    EXPECT_EQ(st.statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(fn.setTranslation(MVector(), MSpace::kLast).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(fn.setRotationOrder(MTransformationMatrix::kInvalid, true).statusCode(), MStatus::kInvalidParameter);
    const double r[3] = {1, 2, 3};
    EXPECT_EQ(fn.setRotation(r, MTransformationMatrix::kLast).statusCode(), MStatus::kInvalidParameter);
    EXPECT_EQ(fn.rotationOrder(), MTransformationMatrix::kYXZ);

    // A locked channel: the edit fails and the value stays.
    ASSERT_FALSE(s.setLocked(c->plug("translate"), true).error());
    EXPECT_TRUE(fn.setTranslation(MVector(9, 9, 9), MSpace::kTransform).error());
    expectNear(fn.getTranslation(MSpace::kTransform), MVector(-4, 0.5, 2), "locked translate");
    // Other channels still edit: only what changes is written.
    const double sc[3] = {1, 1, 1};
    EXPECT_FALSE(fn.setScale(sc).error());

    // A deleted node.
    Node* gone = make("transform", "gone");
    MFnTransform fg(obj(gone));
    ASSERT_FALSE(s.deleteNode(gone).error());
    MEulerRotation e;
    EXPECT_TRUE(fg.getRotation(e).error());
}

TEST_F(TransformFnTest, ScaleShearAndCreate) {
    Node* p = make("transform", "p");
    MFnTransform fn;
    MStatus st;
    MObject made = fn.create(obj(p), &st);
    ASSERT_FALSE(st.error());
    Node* n = std::dynamic_pointer_cast<Node>(made.object()).get();
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->parent, p);
    EXPECT_EQ(n->name, "transform1");
    const double s2[3] = {2, 3, 4}, by[3] = {0.5, 2, -1};
    ASSERT_FALSE(fn.setScale(s2).error());
    ASSERT_FALSE(fn.scaleBy(by).error());
    double got[3];
    ASSERT_FALSE(fn.getScale(got).error());
    EXPECT_EQ(std::vector<double>(got, got + 3), (std::vector<double>{1, 6, -4}));
    ASSERT_FALSE(fn.setShear(s2).error());
    ASSERT_FALSE(fn.shearBy(by).error());
    ASSERT_FALSE(fn.getShear(got).error());
    EXPECT_EQ(s.getNumbers(n->plug("shear")), (std::vector<double>{1, 6, -4}));
    // A shape is no parent for a transform.
    Node* m = make("mesh", "m", p);
    fn.create(obj(m), &st);
    EXPECT_TRUE(st.error());
}

TEST_F(TransformFnTest, JointOrientDegreesOfFreedomAndWorldRotation) {
    MFnIkJoint fn;
    MStatus st;
    MObject root = fn.create(MObject::kNullObj, &st);
    ASSERT_FALSE(st.error());
    MFnIkJoint child;
    MObject c = child.create(root, &st);
    ASSERT_FALSE(st.error());
    Node* rootNode = std::dynamic_pointer_cast<Node>(root.object()).get();
    Node* childNode = std::dynamic_pointer_cast<Node>(c.object()).get();
    // The parent's scale drives the child's inverse scale, as the joint command connects it.
    EXPECT_EQ(s.sourceOf(childNode->plug("inverseScale")).node, rootNode);

    // An orientation in another order is converted to xyz, keeping the rotation.
    const MEulerRotation zyx(0.3, -0.6, 0.9, MEulerRotation::kZYX);
    ASSERT_FALSE(child.setOrientation(zyx).error());
    MEulerRotation jo;
    ASSERT_FALSE(child.getOrientation(jo).error());
    EXPECT_EQ(jo.order, MEulerRotation::kXYZ);
    expectNear(jo.asMatrix(), zyx.asMatrix(), "orient converted");
    double arr[3];
    MTransformationMatrix::RotationOrder ord;
    ASSERT_FALSE(child.getOrientation(arr, ord).error());
    EXPECT_EQ(ord, MTransformationMatrix::kXYZ);
    expectNear(MVector(arr), MVector(s.getNumbers(childNode->plug("jointOrient")).data()), "orient channel");

    // getRotation leaves the orient out; the world rotation has it.
    set3(childNode, "rotate", 0.2, 0, 0);
    MEulerRotation r;
    ASSERT_FALSE(child.getRotation(r).error());
    expectNear(MVector(r.x, r.y, r.z), MVector(0.2, 0, 0), "joint rotate");
    MQuaternion w;
    ASSERT_FALSE(child.getRotation(w, MSpace::kWorld).error());
    expectNear(w.asMatrix(), normalizedRows(world(childNode)), "joint world rotation");
    const MQuaternion want = MEulerRotation(1.0, 0.5, 0.25).asQuaternion();
    ASSERT_FALSE(child.setRotation(want, MSpace::kWorld).error());
    expectNear(normalizedRows(world(childNode)), want.asMatrix(), "joint world set");
    MEulerRotation still;
    child.getOrientation(still);
    expectNear(still.asMatrix(), zyx.asMatrix(), "world set keeps the orient");

    bool fx, fy, fz;
    ASSERT_FALSE(s.setDouble(childNode->plug("jointTypeY"), 0).error());
    ASSERT_FALSE(child.getDegreesOfFreedom(fx, fy, fz).error());
    EXPECT_TRUE(fx);
    EXPECT_FALSE(fy);
    EXPECT_TRUE(fz);
    ASSERT_FALSE(child.setDegreesOfFreedom(false, true, false).error());
    EXPECT_EQ(s.getDouble(childNode->plug("jointTypeX")), 0);
    EXPECT_EQ(s.getDouble(childNode->plug("jointTypeY")), 1);

    const MQuaternion so = MEulerRotation(0.1, 0.2, 0.3).asQuaternion();
    ASSERT_FALSE(child.setScaleOrientation(so).error());
    MQuaternion soBack;
    ASSERT_FALSE(child.getScaleOrientation(soBack).error());
    expectNear(soBack.asMatrix(), so.asMatrix(), "scale orientation");
    expectNear(MVector(s.getNumbers(childNode->plug("rotateAxis")).data()), MVector(0.1, 0.2, 0.3), "rotate axis");
}

}  // namespace
