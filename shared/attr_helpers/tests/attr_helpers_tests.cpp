#include "attr_helpers.h"

#include "mel/interpreter.h"
#include "plugins/host_init.h"
#include "scene/core/scene.h"

#include <maya/MGlobal.h>

#include <gtest/gtest.h>

namespace {

class AttrHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        host::initialize();
        host::scene::scene().newScene();
        auto& interp = host::mel::interpreter();
        interp.setOutputSink([this](const std::string& s) { out += s; });
        interp.setErrorSink([this](const std::string& s) { err += s; });
        interp.setWarningSink([this](const std::string& s) { err += s; });
    }
    void TearDown() override { host::mel::interpreter().resetSinks(); }

    void mel(const std::string& text) {
        auto r = host::mel::interpreter().execute(text);
        ASSERT_TRUE(r.ok) << text << "\n" << err;
    }
    std::string out, err;
};

TEST_F(AttrHelpers, FollowSingleChildDescendsOnlyThroughSingleChildTransforms) {
    mel("createNode transform -n upper; createNode transform -n mid -p upper; createNode locator -n shape -p mid;"
        "createNode transform -n two; createNode locator -n s1 -p two; createNode locator -n s2 -p two;");
    EXPECT_EQ(vl2::nodeName(vl2::followSingleChild(vl2::objectByName("upper"))), "shape");
    EXPECT_EQ(vl2::nodeName(vl2::followSingleChild(vl2::objectByName("two"))), "two");
    EXPECT_EQ(vl2::nodeName(vl2::followSingleChild(vl2::objectByName("s1"))), "s1");
    EXPECT_EQ(vl2::dagPathName(vl2::objectByName("shape")), "|upper|mid|shape");
}

TEST_F(AttrHelpers, GettersReadTheShapeWithFollowChildAndKeepDefaultsOnFailure) {
    mel("createNode transform -n ship; createNode transform -n hull -p ship; createNode locator -n hullShape -p hull;"
        "addAttr -ln objectType -dt \"string\" hullShape; setAttr -type \"string\" hullShape.objectType \"DockingPath\";"
        "addAttr -ln speed -at double hullShape; setAttr hullShape.speed 2.5;"
        "addAttr -ln count -at long ship; setAttr ship.count 7;");
    MObject ship = vl2::objectByName("ship");
    MString type;
    EXPECT_EQ(vl2::getAttrString(ship, "objectType", type, true), MStatus::kSuccess);
    EXPECT_EQ(type, "DockingPath");
    EXPECT_EQ(vl2::objectTypeOf(ship), "DockingPath");

    double speed = -1;
    EXPECT_EQ(vl2::getAttrDouble(ship, "speed", speed, true), MStatus::kSuccess);
    EXPECT_DOUBLE_EQ(speed, 2.5);

    int count = -1;
    EXPECT_EQ(vl2::getAttrInt(ship, "count", count, false), MStatus::kSuccess);
    EXPECT_EQ(count, 7);

    int missing = 42;
    EXPECT_EQ(vl2::getAttrInt(ship, "nothere", missing, false), MStatus::kFailure);
    EXPECT_EQ(missing, 42);
    EXPECT_EQ(vl2::objectTypeOf(vl2::objectByName("hull")), "DockingPath");  // follows to the shape
    mel("createNode transform -n plain;");
    EXPECT_EQ(vl2::objectTypeOf(vl2::objectByName("plain")), "");
}

TEST_F(AttrHelpers, AttributesOfNonDagNodesAreNeverReported) {
    mel("createNode lambert -n mat; addAttr -ln tag -at long mat;");
    EXPECT_FALSE(vl2::attributeExists(vl2::objectByName("mat"), "tag"));
    int v = 3;
    EXPECT_EQ(vl2::getAttrInt(vl2::objectByName("mat"), "tag", v, false), MStatus::kFailure);
    EXPECT_EQ(v, 3);
}

TEST_F(AttrHelpers, SettersCreateThenSetAndEscapeText) {
    mel("createNode transform -n t1;");
    MObject t1 = vl2::objectByName("t1");
    EXPECT_FALSE(vl2::attributeExists(t1, "label"));
    ASSERT_EQ(vl2::setAttrString(t1, "label", "first", false), MStatus::kSuccess);
    EXPECT_TRUE(vl2::attributeExists(t1, "label"));
    ASSERT_EQ(vl2::setAttrString(t1, "label", "second", false), MStatus::kSuccess);
    MString back;
    ASSERT_EQ(vl2::getAttrString(t1, "label", back, false), MStatus::kSuccess);
    EXPECT_EQ(back, "second");

    // Quotes and backslashes arrive intact instead of breaking (or extending) the command.
    const char* hostile = "say \"hi\"; print \"owned\" \\ C:\\data\\ship";
    ASSERT_EQ(vl2::setAttrString(t1, "label", hostile, false), MStatus::kSuccess) << err;
    ASSERT_EQ(vl2::getAttrString(t1, "label", back, false), MStatus::kSuccess);
    EXPECT_EQ(back, hostile);
    EXPECT_EQ(out.find("owned"), std::string::npos);

    ASSERT_EQ(vl2::setAttrInt(t1, "flag", 1, false, true), MStatus::kSuccess);
    int flag = 0;
    ASSERT_EQ(vl2::getAttrInt(t1, "flag", flag, false), MStatus::kSuccess);
    EXPECT_EQ(flag, 1);
    MString type;
    ASSERT_TRUE(MGlobal::executeCommand("getAttr -type t1.flag", type));
    EXPECT_EQ(type, "bool");
    ASSERT_EQ(vl2::setAttrInt(t1, "n", -12, false, false), MStatus::kSuccess);
    ASSERT_TRUE(MGlobal::executeCommand("getAttr -type t1.n", type));
    EXPECT_EQ(type, "long");
}

TEST_F(AttrHelpers, ConnectedNodesAndLayers) {
    mel("createNode transform -n lone;"
        "createNode transform -n a; createNode transform -n b; createNode transform -n c;"
        "connectAttr a.tx b.tx; connectAttr a.tx c.tx;"
        "createNode displayLayer -n hiddenLayer; setAttr hiddenLayer.visibility 0;"
        "createNode transform -n onLayer; connectAttr hiddenLayer.drawInfo onLayer.drawOverride;");
    EXPECT_EQ(vl2::connectedNodeName(vl2::objectByName("lone"), "translateX", true, true), "");
    testing::internal::CaptureStdout();
    MString other = vl2::connectedNodeName(vl2::objectByName("a"), "translateX", false, true);
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(other, "b");
    EXPECT_NE(printed.find("Warning: translateX is connected to 2 plugs!"), std::string::npos) << printed;

    EXPECT_EQ(vl2::displayLayerName(vl2::objectByName("onLayer")), "hiddenLayer");
    EXPECT_TRUE(vl2::isLayerVisible(""));
    EXPECT_FALSE(vl2::isLayerVisible("hiddenLayer"));
    EXPECT_FALSE(vl2::isLayerVisible("noSuchLayer"));
}

TEST_F(AttrHelpers, ObjectByNameRefusesAmbiguousNames) {
    mel("createNode transform -n g1; createNode transform -n g2; createNode transform -n dup -p g1; createNode transform -n dup -p g2;");
    EXPECT_TRUE(vl2::objectByName("dup").isNull());
    EXPECT_FALSE(vl2::objectByName("g1|dup").isNull());
    EXPECT_TRUE(vl2::objectByName("nothing").isNull());
}

TEST_F(AttrHelpers, NextKeyTimeStepsThroughKeys) {
    mel("createNode transform -n k; setKeyframe -t 1 -v 0 -at tx k; setKeyframe -t 5 -v 1 -at tx k; setKeyframe -t 9 -v 2 -at tx k;");
    MObject k = vl2::objectByName("k");
    std::vector<int> frames;
    for (int f = vl2::nextKeyTime(k, 0); f != -1 && frames.size() < 10; f = vl2::nextKeyTime(k, f)) {
        frames.push_back(f);
        vl2::setCurrentFrame(f);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 5, 9}));
    double t = 0;
    ASSERT_TRUE(MGlobal::executeCommand("currentTime -q", t));
    EXPECT_DOUBLE_EQ(t, 9);
}

}  // namespace
