// Animation through the API: a curve made for a plug drives it as the scene's
// time changes, and the playback range is the one MEL sets.
#include <maya/MAnimControl.h>
#include <maya/MFnAnimCurve.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MSelectionList.h>
#include <maya/MTime.h>

#include "mel/interpreter.h"
#include "plugins/host_init.h"
#include "scene/core/scene.h"

#include <gtest/gtest.h>

namespace {

class AnimApi : public ::testing::Test {
protected:
    void SetUp() override {
        host::initialize();
        host::scene::scene().newScene();
    }
    MObject node(const char* name) {
        MSelectionList l;
        l.add(name);
        MObject o;
        l.getDependNode(0, o);
        return o;
    }
};

TEST_F(AnimApi, CurveCreatedForAPlugDrivesIt) {
    ASSERT_TRUE(MGlobal::executeCommand("createNode transform -n box;"));
    MPlug tx = MFnDependencyNode(node("box")).findPlug("translateX");
    MFnAnimCurve curve;
    MStatus st;
    curve.create(tx, nullptr, &st);
    ASSERT_FALSE(st.error());
    EXPECT_EQ(curve.animCurveType(), MFnAnimCurve::kAnimCurveTL);
    EXPECT_EQ(curve.name(), "box_translateX");
    curve.addKey(MTime(1.0, MTime::kFilm), 0.0, MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentLinear);
    curve.addKey(MTime(11.0, MTime::kFilm), 10.0, MFnAnimCurve::kTangentLinear, MFnAnimCurve::kTangentLinear);
    EXPECT_EQ(curve.numKeys(), 2u);
    EXPECT_DOUBLE_EQ(curve.value(1), 10.0);
    EXPECT_NEAR(curve.time(1).as(MTime::kFilm), 11.0, 1e-9);

    MGlobal::viewFrame(6.0);
    EXPECT_NEAR(tx.asDouble(), 5.0, 1e-9);
    double mel = 0;
    ASSERT_TRUE(MGlobal::executeCommand("currentTime 11; getAttr box.tx", mel));
    EXPECT_NEAR(mel, 10.0, 1e-9);

    // The curve is found again from the plug it drives; keys edit through it.
    MFnAnimCurve again(tx, &st);
    ASSERT_FALSE(st.error());
    ASSERT_FALSE(again.setValue(1, 20.0).error());
    MGlobal::viewFrame(6.0);
    EXPECT_NEAR(tx.asDouble(), 10.0, 1e-9);
    EXPECT_TRUE(again.setValue(7, 1.0).error());
    unsigned idx = 9;
    EXPECT_TRUE(again.find(MTime(1.0, MTime::kFilm), idx));
    EXPECT_EQ(idx, 0u);
    EXPECT_FALSE(again.find(MTime(2.0, MTime::kFilm), idx));

    again.setPostInfinityType(MFnAnimCurve::kLinear);
    MGlobal::viewFrame(16.0);
    EXPECT_NEAR(tx.asDouble(), 30.0, 1e-9);  // the last slope carries on
}

TEST_F(AnimApi, UnkeyedPlugHasNoCurve) {
    ASSERT_TRUE(MGlobal::executeCommand("createNode transform -n plain;"));
    MStatus st;
    MFnAnimCurve none(MFnDependencyNode(node("plain")).findPlug("ty"), &st);
    EXPECT_TRUE(st.error());
    EXPECT_EQ(none.numKeys(&st), 0u);
    EXPECT_TRUE(st.error());
}

TEST_F(AnimApi, PlaybackRangeMatchesMel) {
    ASSERT_TRUE(MGlobal::executeCommand("playbackOptions -min 5 -max 40 -ast 1 -aet 60;"));
    EXPECT_NEAR(MAnimControl::minTime().as(MTime::kFilm), 5.0, 1e-9);
    EXPECT_NEAR(MAnimControl::maxTime().as(MTime::kFilm), 40.0, 1e-9);
    EXPECT_NEAR(MAnimControl::animationEndTime().as(MTime::kFilm), 60.0, 1e-9);
    ASSERT_FALSE(MAnimControl::setMinMaxTime(MTime(2.0, MTime::kFilm), MTime(8.0, MTime::kFilm)).error());
    double max = 0;
    ASSERT_TRUE(MGlobal::executeCommand("playbackOptions -q -max", max));
    EXPECT_NEAR(max, 8.0, 1e-9);
    EXPECT_TRUE(MAnimControl::setMinMaxTime(MTime(9.0, MTime::kFilm), MTime(3.0, MTime::kFilm)).error());
    MAnimControl::setCurrentTime(MTime(12.0, MTime::kFilm));
    double now = 0;
    ASSERT_TRUE(MGlobal::executeCommand("currentTime -q", now));
    EXPECT_NEAR(now, 12.0, 1e-9);
}

}  // namespace
