// NURBS commands, shape evaluation and the subCurve / curveInfo nodes driven
// through MEL, as scripts, scene files and the exporters use them.
#include "files/ma_hooks.h"
#include "mel/interpreter.h"
#include "scene/commands/scene_commands.h"
#include "scene/nurbs/nurbs_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using host::mel::interpreter;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Text of a result: arrays joined by single spaces, floats rounded to 4 places.
std::string show(const host::mel::Value& v) {
    auto num = [](double d) {
        char buf[64];
        if (std::fabs(d) < 5e-5) d = 0;
        std::snprintf(buf, sizeof buf, "%.4f", d);
        std::string s = buf;
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s;
    };
    std::string out;
    auto add = [&](const std::string& s) { out += (out.empty() ? "" : " ") + s; };
    switch (v.type()) {
    case host::mel::Type::Float: return num(v.asFloat());
    case host::mel::Type::FloatArray:
        for (double d : v.floats()) add(num(d));
        return out;
    case host::mel::Type::IntArray:
    case host::mel::Type::StringArray:
        for (const std::string& s : v.asStringArray()) add(s);
        return out;
    default: return v.asString();
    }
}

class NurbsScene : public ::testing::Test {
protected:
    void SetUp() override {
        host::scene::registerSceneCommands(interpreter());
        reset();
    }
    void reset() {
        host::scene::scene().newScene();
        host::scene::scene().activeSelection().clear();
        run("currentUnit -l cm -a deg -t film;");
    }
    host::mel::ExecResult run(const std::string& mel) { return interpreter().execute(mel, "", false); }
    std::string eval(const std::string& mel) {
        host::mel::ExecResult r = run(mel);
        EXPECT_TRUE(r.ok) << mel << "\n  error: " << r.error;
        return show(r.value);
    }
    double number(const std::string& mel) {
        host::mel::ExecResult r = run(mel);
        EXPECT_TRUE(r.ok) << mel << "\n  error: " << r.error;
        return r.value.asFloat();
    }

    struct Case {
        const char* setup;   // run first, must succeed
        const char* expr;    // its result is compared
        const char* expect;  // result text, or "!substring" for an expected error
    };
    void table(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            reset();
            host::mel::ExecResult s = run(c.setup);
            ASSERT_TRUE(s.ok) << c.setup << "\n  error: " << s.error;
            host::mel::ExecResult r = run(c.expr);
            std::string want = c.expect;
            if (!want.empty() && want[0] == '!') {
                EXPECT_FALSE(r.ok) << c.expr << " should fail";
                EXPECT_NE(r.error.find(want.substr(1)), std::string::npos)
                    << c.expr << "\n  error was: " << r.error << "\n  wanted: " << want.substr(1);
            } else {
                EXPECT_TRUE(r.ok) << c.setup << " | " << c.expr << "\n  error: " << r.error;
                EXPECT_EQ(show(r.value), want) << c.setup << " | " << c.expr;
            }
        }
    }
};

// A cubic along x with CVs at its Greville points: each of its three spans
// (knots 0 0 0 1 2 3 3 3) is exactly 3 long.
const char* kLine =
    "curve -n path -d 3 -p 0 0 0 -p 1 0 0 -p 3 0 0 -p 6 0 0 -p 8 0 0 -p 9 0 0 -k 0 -k 0 -k 0 -k 1 -k 2 -k 3 -k 3 -k 3;";

}  // namespace

TEST_F(NurbsScene, CommandsCreateNamedShapes) {
    table({
        {"", "curve -d 1 -p 0 0 0 -p 1 0 0", "curve1"},
        {"curve -d 1 -p 0 0 0 -p 1 0 0;", "listRelatives -s curve1", "curveShape1"},
        {"curve -n path -d 1 -p 0 0 0 -p 1 0 0;", "listRelatives -s path", "pathShape"},
        {"curve -d 1 -p 0 0 0 -p 1 0 0;", "ls -sl", "curve1"},
        {"", "circle", "nurbsCircle1 makeNurbCircle1"},
        {"", "circle -ch 0", "nurbsCircle1"},
        {"circle -n ring;", "nodeType ringShape", "nurbsCurve"},
        {"circle -n ring;", "nodeType -api ringShape", "kNurbsCurve"},
        {"", "nurbsPlane", "nurbsPlane1 makeNurbPlane1"},
        {"", "sphere -n ball", "ball makeNurbSphere1"},
        {"sphere -ch off;", "listRelatives -s nurbsSphere1", "nurbsSphereShape1"},
        {"sphere;", "nodeType nurbsSphereShape1", "nurbsSurface"},
        // What scripts read off a curve shape.
        {"curve -d 3 -p 0 0 0 -p 1 0 0 -p 2 0 0 -p 3 0 0 -p 4 0 0;", "getAttr curveShape1.spans", "2"},
        {"curve -d 3 -p 0 0 0 -p 1 0 0 -p 2 0 0 -p 3 0 0 -p 4 0 0;", "getAttr curveShape1.degree", "3"},
        {"curve -d 3 -p 0 0 0 -p 1 0 0 -p 2 0 0 -p 3 0 0 -p 4 0 0;", "getAttr curveShape1.form", "0"},
        {"circle;", "getAttr nurbsCircleShape1.form", "2"},
        {"circle;", "getAttr nurbsCircleShape1.maxValue", "8"},
        {"circle -s 6 -d 1;", "getAttr nurbsCircleShape1.spans", "6"},
    });
}

TEST_F(NurbsScene, BadArgumentsFailWithoutLeavingNodes) {
    table({
        {"", "curve", "!no points given"},
        {"", "curve -d 3 -p 0 0 0 -p 1 0 0", "!needs at least 4 points"},
        {"", "curve -d 9 -p 0 0 0 -p 1 0 0", "!degree must be between 1 and 7"},
        {"", "curve -d 1 -p 0 0 0 -p 1 0 0 -k 0 -k 1 -k 2", "!need 2 knots"},
        {"", "curve -d 1 -p 0 0 0 -p 1 0 0 -k 1 -k 0", "!knots decrease"},
        {"", "curve -d 1 -p 0 0 0 -p 1 0 0 -k 0 -k 0", "!repeats more than the degree"},
        {"", "curve -d 2 -p 0 0 0 -p 1 0 0 -p 2 0 0 -k 0 -k 1 -k 1 -k 2", "!empty domain"},
        {"", "curve -d 1 -per 1 -p 0 0 0 -p 1 0 0 -p 2 0 0", "!must repeat its first 1"},
        {"", "curve -d 1 -p 0 0 0 -pw 1 0 0 1", "!either -point or -pointWeight"},
        {"", "curve -d 1 -pw 0 0 0 1 -pw 1 0 0 0", "!weights must be positive"},
        {"", "circle -r -1", "!radius must be positive"},
        {"", "circle -nr 0 0 0", "!must not be zero"},
        {"", "circle -s 100000", "!sections"},
        {"", "circle -foo", "!Invalid flag '-foo'"},
        {"", "sphere -nsp 0", "!spans"},
        {"", "nurbsPlane -u 0", "!patches"},
        {"", "nurbsPlane -w 0", "!width"},
        // Nothing is left behind by a failed command.
        {"catch(`circle -r -1`);", "objExists nurbsCircle1", "0"},
        {"catch(`circle -r -1`);", "objExists makeNurbCircle1", "0"},
        {"catch(`sphere -d 12`);", "objExists makeNurbSphere1", "0"},
    });
}

TEST_F(NurbsScene, ArcLengthsThroughSubCurveAndCurveInfo) {
    // The span-by-span measurement an exporter runs through MEL.
    run(kLine);
    ASSERT_TRUE(run("createNode -n tmpSub subCurve;"
                    "connectAttr pathShape.local tmpSub.inputCurve;"
                    "createNode -n tmpInfo curveInfo;"
                    "connectAttr tmpSub.outputCurve tmpInfo.inputCurve;"));
    const double spans[][2] = {{0, 1}, {1, 2}, {2, 3}, {0.5, 2.5}, {0, 3}};
    for (auto& s : spans) {
        run("setAttr tmpSub.minValue " + std::to_string(s[0]) + "; setAttr tmpSub.maxValue " + std::to_string(s[1]) +
            ";");
        EXPECT_NEAR(number("getAttr tmpInfo.arcLength"), 3.0 * (s[1] - s[0]), 1e-9) << s[0] << ".." << s[1];
    }
    // Relative ranges take fractions of the domain.
    run("setAttr tmpSub.relative 1; setAttr tmpSub.minValue 0.5; setAttr tmpSub.maxValue 1;");
    EXPECT_NEAR(number("getAttr tmpInfo.arcLength"), 4.5, 1e-9);
    // Lengths are distances: they follow the UI unit.
    run("currentUnit -l m;");
    EXPECT_NEAR(number("getAttr tmpInfo.arcLength"), 0.045, 1e-12);
    run("currentUnit -l cm; delete tmpSub tmpInfo;");
    EXPECT_EQ(eval("objExists tmpSub"), "0");

    // A circle of radius 1 from its history node: about 2 pi, and live.
    run("circle -n ring; createNode -n info curveInfo; connectAttr ringShape.worldSpace[0] info.inputCurve;");
    EXPECT_NEAR(number("getAttr info.arcLength"), 2 * kPi, 2 * kPi * 0.003);
    run("setAttr makeNurbCircle1.radius 2;");
    EXPECT_NEAR(number("getAttr info.arcLength"), 4 * kPi, 4 * kPi * 0.003);
    EXPECT_EQ(eval("getAttr info.knots[0]"), "-2");
    EXPECT_EQ(eval("getAttr info.knots[12]"), "10");
    EXPECT_EQ(eval("getAttr info.weights[3]"), "1");
    // The default circle lies in the xy plane (normal z), CVs at 1.108194 r.
    EXPECT_NEAR(number("getAttr info.controlPoints[1].xValue"), 0.0, 1e-12);
    EXPECT_NEAR(number("getAttr info.controlPoints[1].yValue"), 2 * 1.1081941875543877, 1e-12);
    EXPECT_NEAR(number("getAttr info.controlPoints[1].zValue"), 0.0, 1e-12);
}

TEST_F(NurbsScene, WorldSpaceFollowsTheTransform) {
    run(kLine);
    run("setAttr path.t 10 0 5; setAttr path.s 2 2 2; setAttr path.ry 90;");
    run("createNode -n wi curveInfo; connectAttr pathShape.worldSpace[0] wi.inputCurve;"
        "createNode -n li curveInfo; connectAttr pathShape.local li.inputCurve;");
    EXPECT_NEAR(number("getAttr li.arcLength"), 9.0, 1e-9);
    EXPECT_NEAR(number("getAttr wi.arcLength"), 18.0, 1e-9);
    // CV 2 is at (3, 0, 0) locally: scaled to 6, turned onto -z, then moved.
    EXPECT_EQ(eval("getAttr li.controlPoints[2]"), "3 0 0");
    EXPECT_EQ(eval("getAttr wi.controlPoints[2]"), "10 0 -1");
    // Moving the parent moves the world-space curve.
    run("group -n grp path; setAttr grp.ty 7;");
    EXPECT_EQ(eval("getAttr wi.controlPoints[2]"), "10 7 -1");
    auto world = host::scene::nurbs::shapeCurveWorld(host::scene::scene().find("pathShape"));
    ASSERT_TRUE(world);
    auto p = world->curve.point(3.0);
    EXPECT_NEAR(p[0], 10, 1e-9);
    EXPECT_NEAR(p[1], 7, 1e-9);
    EXPECT_NEAR(p[2], 5 - 18, 1e-9);
}

TEST_F(NurbsScene, SetAttrDataRoundTripsThroughTheFormatter) {
    // A shape without history, as scene files write it.
    ASSERT_TRUE(run("createNode transform -n c; createNode nurbsCurve -n cShape -p c;"
                    "setAttr cShape.cc -type \"nurbsCurve\" 1 2 0 no 3 3 0 1 2 3 0 0 0 3 4 0 3 4 12;"
                    "createNode -n ci curveInfo; connectAttr cShape.local ci.inputCurve;"));
    EXPECT_NEAR(number("getAttr ci.arcLength"), 5.0 + 12.0, 1e-12);
    const host::files::DataFormatter* f = host::files::findDataFormatter("nurbsCurve");
    ASSERT_NE(f, nullptr);
    auto data = host::scene::scene().getData(host::scene::scene().find("cShape")->plug("cached"));
    ASSERT_TRUE(data);
    std::vector<std::string> words;
    ASSERT_TRUE((*f)(*data, words));
    std::string joined;
    for (const std::string& w : words) joined += " " + w;
    EXPECT_EQ(joined, " 1 2 0 no 3 3 0 1 2 3 0 0 0 3 4 0 3 4 12");
    // The words load again onto another shape.
    ASSERT_TRUE(run("createNode nurbsCurve -n dShape; setAttr dShape.cc -type \"nurbsCurve\"" + joined + ";"
                    "createNode -n di curveInfo; connectAttr dShape.local di.inputCurve;"));
    EXPECT_NEAR(number("getAttr di.arcLength"), 17.0, 1e-12);

    // Surfaces the same way: a sphere written out and read back.
    run("sphere -ch 0 -n ball;");
    auto sdata = host::scene::scene().getData(host::scene::scene().find("ballShape")->plug("local"));
    const host::files::DataFormatter* sf = host::files::findDataFormatter("nurbsSurface");
    ASSERT_TRUE(sdata && sf);
    words.clear();
    ASSERT_TRUE((*sf)(*sdata, words));
    joined.clear();
    for (const std::string& w : words) joined += " " + w;
    ASSERT_TRUE(run("createNode nurbsSurface -n copyShape; setAttr copyShape.cc -type \"nurbsSurface\"" + joined + ";"));
    auto a = host::scene::nurbs::shapeSurface(host::scene::scene().find("ballShape"));
    auto b = host::scene::nurbs::shapeSurface(host::scene::scene().find("copyShape"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->surface.cvs, b->surface.cvs);
    EXPECT_EQ(a->surface.knotsV, b->surface.knotsV);
}

TEST_F(NurbsScene, BadSetAttrDataIsRejected) {
    table({
        {"createNode nurbsCurve -n cShape;", "setAttr cShape.cc -type \"nurbsCurve\" 1 1 0 no 3 2 0 1",
         "!nurbsCurve data ends before its CV count"},
        {"createNode nurbsCurve -n cShape;", "setAttr cShape.cc -type \"nurbsCurve\" 1 1 0 no 3 2 0 1 99999999 0",
         "!out of range"},
        {"createNode nurbsCurve -n cShape;", "setAttr cShape.cc -type \"nurbsCurve\" 1 1 0 no 3 2 0 1 1000000 0",
         "!needs more values"},
        {"createNode nurbsSurface -n sShape;", "setAttr sShape.cc -type \"nurbsSurface\" 1 1 0 0 no 2 0 1 2 0 1 3",
         "!needs more values"},
    });
}

TEST_F(NurbsScene, HistoryEditsReachTheShape) {
    run("sphere -n ball -r 2 -ax 0 1 0;");
    auto s = host::scene::nurbs::shapeSurface(host::scene::scene().find("ballShape"));
    ASSERT_TRUE(s);
    auto top = s->surface.point(0, 0);
    EXPECT_NEAR(top[1], 2.0, 1e-12);
    run("setAttr makeNurbSphere1.radius 3; setAttr makeNurbSphere1.sections 6;");
    s = host::scene::nurbs::shapeSurface(host::scene::scene().find("ballShape"));
    ASSERT_TRUE(s);
    EXPECT_NEAR(s->surface.point(0, 0)[1], 3.0, 1e-12);
    EXPECT_EQ(s->surface.numCVsV, 6 + 3);
    // Plane sizes follow their flags; the default axis is x.
    run("nurbsPlane -n pl -w 4 -lr 0.5 -u 2 -v 3 -d 1;");
    auto pl = host::scene::nurbs::shapeSurface(host::scene::scene().find("plShape"));
    ASSERT_TRUE(pl);
    EXPECT_EQ(pl->surface.numCVsU, 3);
    EXPECT_EQ(pl->surface.numCVsV, 4);
    for (const auto& cv : pl->surface.cvs) EXPECT_NEAR(cv[0], 0.0, 1e-12);
}
