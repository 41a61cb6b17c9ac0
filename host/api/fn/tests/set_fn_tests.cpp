// Set function set: whole and per-face members, checked against the
// membership wiring the scene reports for the shapes.
#include <maya/MDagPath.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MFnSet.h>
#include <maya/MFnSingleIndexedComponent.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>

#include "scene/core/scene.h"

#include <gtest/gtest.h>

using namespace host::scene;

namespace {

struct SetFnTest : ::testing::Test {
    void SetUp() override {
        s.newScene();
        MFloatPointArray pts;
        for (int i = 0; i < 8; ++i) pts.append(float(i & 1), float((i >> 1) & 1), float(i >> 2));
        // Six quads (their shape does not matter here).
        const MIntArray counts = {4, 4, 4, 4, 4, 4};
        const MIntArray conn = {0, 1, 3, 2, 4, 5, 7, 6, 0, 1, 5, 4, 2, 3, 7, 6, 0, 2, 6, 4, 1, 3, 7, 5};
        MFnMesh fn;
        MStatus st;
        fn.create(8, 6, pts, counts, conn, MObject::kNullObj, &st);
        ASSERT_FALSE(st.error());
        shape = fn.dagPath();
    }
    Scene& s = scene();
    MDagPath shape;

    static MObject faces(std::initializer_list<int> idx) {
        MFnSingleIndexedComponent c;
        MObject o = c.create(MFn::kMeshPolygonComponent);
        for (int i : idx) c.addElement(i);
        return o;
    }
    static std::vector<int> elements(const MObject& comp) {
        MIntArray a;
        MFnSingleIndexedComponent(comp).getElements(a);
        std::vector<int> v;
        for (unsigned i = 0; i < a.length(); ++i) v.push_back(a[i]);
        std::sort(v.begin(), v.end());
        return v;
    }
    Node* shapeNode() const { return std::dynamic_pointer_cast<Node>(shape.node().object()).get(); }
    // The faces the scene's wiring gives the shape in set n.
    std::vector<int> wiredFaces(Node* set) {
        for (const SetMembership& m : s.membershipsOf(shapeNode()))
            if (m.set == set) {
                ComponentListData cl;
                cl.items = m.components;
                return cl.indices("f");
            }
        return {};
    }
    static Node* node(const MObject& o) { return std::dynamic_pointer_cast<Node>(o.object()).get(); }
};

TEST_F(SetFnTest, WholeMembersCreateListRemoveClear) {
    Node* t = s.createNode("transform", "box");
    Node* dep = s.createNode("multiplyDivide", "md");
    MSelectionList list;
    ASSERT_FALSE(list.add("box").error());
    ASSERT_FALSE(list.add("md").error());
    MFnSet fn;
    MStatus st;
    MObject set = fn.create(list, MFnSet::kNone, false, &st);
    ASSERT_FALSE(st.error());
    EXPECT_EQ(s.setsOf(t), std::vector<Node*>{node(set)});
    EXPECT_EQ(s.setsOf(dep), std::vector<Node*>{node(set)});

    MSelectionList got;
    ASSERT_FALSE(fn.getMembers(got, false).error());
    EXPECT_EQ(got.length(), 2u);
    EXPECT_TRUE(got.hasItem(MObject(s.ptr(t))));
    EXPECT_TRUE(got.hasItem(MObject(s.ptr(dep))));
    EXPECT_TRUE(fn.isMember(MObject(s.ptr(t))));

    ASSERT_FALSE(fn.removeMember(MObject(s.ptr(t))).error());
    EXPECT_FALSE(fn.isMember(MObject(s.ptr(t))));
    EXPECT_TRUE(s.setsOf(t).empty());
    ASSERT_FALSE(fn.addMember(shape).error());
    EXPECT_TRUE(fn.isMember(shape));
    ASSERT_FALSE(fn.clear().error());
    MSelectionList none;
    fn.getMembers(none, false);
    EXPECT_EQ(none.length(), 0u);
}

TEST_F(SetFnTest, PerFaceMembersAddMergeRemove) {
    Node* sg = s.createNode("shadingEngine", "redSG");
    MFnSet fn(MObject(s.ptr(sg)));
    ASSERT_FALSE(fn.addMember(shape, faces({1, 2, 3})).error());
    EXPECT_EQ(wiredFaces(sg), (std::vector<int>{1, 2, 3}));
    ASSERT_FALSE(fn.addMember(shape, faces({5})).error());
    EXPECT_EQ(wiredFaces(sg), (std::vector<int>{1, 2, 3, 5}));

    struct Ask { std::vector<int> faces; bool member; };
    for (const Ask& a : {Ask{{2}, true}, Ask{{1, 5}, true}, Ask{{0}, false}, Ask{{3, 4}, false}}) {
        MObject c = a.faces.size() == 1 ? faces({a.faces[0]}) : faces({a.faces[0], a.faces[1]});
        EXPECT_EQ(fn.isMember(shape, c), a.member) << a.faces[0];
    }

    MSelectionList got;
    ASSERT_FALSE(fn.getMembers(got, true).error());
    ASSERT_EQ(got.length(), 1u);
    MDagPath p;
    MObject comp;
    ASSERT_FALSE(got.getDagPath(0, p, comp).error());
    EXPECT_EQ(p.fullPathName(), shape.fullPathName());
    EXPECT_EQ(elements(comp), (std::vector<int>{1, 2, 3, 5}));

    ASSERT_FALSE(fn.removeMember(shape, faces({2, 5})).error());
    EXPECT_EQ(wiredFaces(sg), (std::vector<int>{1, 3}));
    ASSERT_FALSE(fn.removeMember(shape, faces({1, 3})).error());
    std::vector<Node*> left = s.setsOf(shapeNode());
    EXPECT_EQ(std::find(left.begin(), left.end(), sg), left.end());
    EXPECT_FALSE(fn.isMember(shape));

    // Through a selection list with a component string, on the transform's path.
    MSelectionList list;
    ASSERT_FALSE(list.add(shape, faces({0, 4})).error());
    ASSERT_FALSE(fn.addMembers(list).error());
    EXPECT_EQ(wiredFaces(sg), (std::vector<int>{0, 4}));
}

TEST_F(SetFnTest, FlattenSetsOfSetsWithoutLooping) {
    Node* x = s.createNode("transform", "x");
    MFnSet inner, outer;
    MSelectionList one;
    one.add(MObject(s.ptr(x)));
    MObject in = inner.create(one);
    MSelectionList two;
    two.add(in);
    MObject out = outer.create(two);
    // inner also holds outer: a loop.
    ASSERT_FALSE(inner.addMember(out).error());

    MSelectionList flat, shallow;
    ASSERT_FALSE(outer.getMembers(shallow, false).error());
    EXPECT_EQ(shallow.length(), 1u);
    EXPECT_TRUE(shallow.hasItem(in));
    ASSERT_FALSE(outer.getMembers(flat, true).error());
    EXPECT_EQ(flat.length(), 1u);
    EXPECT_TRUE(flat.hasItem(MObject(s.ptr(x))));
}

TEST_F(SetFnTest, RestrictionAnnotationUnionIntersection) {
    MFnSet a;
    MStatus st;
    MObject setA = a.create(MSelectionList(), MFnSet::kFacetsOnly, false, &st);
    ASSERT_FALSE(st.error());
    EXPECT_EQ(a.restriction(), MFnSet::kFacetsOnly);
    ASSERT_FALSE(a.setAnnotation("hull faces").error());
    EXPECT_EQ(a.annotation(), "hull faces");
    a.create(MSelectionList(), static_cast<MFnSet::Restriction>(42), false, &st);
    EXPECT_EQ(st.statusCode(), MStatus::kInvalidParameter);

    MFnSet fa(setA), fb;
    MObject setB = fb.create(MSelectionList());
    Node* t = s.createNode("transform", "t");
    fa.addMember(shape, faces({0, 1, 2}));
    fb.addMember(shape, faces({2, 3}));
    fb.addMember(MObject(s.ptr(t)));

    MSelectionList uni, inter;
    ASSERT_FALSE(fa.getUnion(setB, uni).error());
    ASSERT_FALSE(fa.getIntersection(setB, inter).error());
    ASSERT_EQ(uni.length(), 2u);
    ASSERT_EQ(inter.length(), 1u);
    MDagPath p;
    MObject comp;
    uni.getDagPath(0, p, comp);
    EXPECT_EQ(elements(comp), (std::vector<int>{0, 1, 2, 3}));
    inter.getDagPath(0, p, comp);
    EXPECT_EQ(elements(comp), (std::vector<int>{2}));
}

TEST_F(SetFnTest, RefusesWhatIsNotASetOrMember) {
    Node* t = s.createNode("transform", "t");
    MStatus st;
    MFnSet notSet(MObject(s.ptr(t)), &st);
    EXPECT_EQ(st.statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(notSet.addMember(MObject(s.ptr(t))).error());

    MFnSet fn;
    fn.create(MSelectionList());
    EXPECT_EQ(fn.addMember(MObject()).statusCode(), MStatus::kInvalidParameter);
    EXPECT_TRUE(fn.addMember(MFnDependencyNode(MObject(s.ptr(t))).findPlug("tx")).error());
    // A component object that is not one.
    EXPECT_EQ(fn.addMember(shape, MObject(s.ptr(t))).statusCode(), MStatus::kInvalidParameter);
}

}  // namespace
