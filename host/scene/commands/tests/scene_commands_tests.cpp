// The scene commands driven through the MEL interpreter, as scripts and
// scene files use them.
#include "mel/interpreter.h"
#include "scene/commands/scene_commands.h"
#include "scene/core/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using host::mel::interpreter;

namespace {

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

class SceneCommands : public ::testing::Test {
protected:
    void SetUp() override {
        host::scene::registerSceneCommands(interpreter());
        host::scene::registerSceneCommands(interpreter());  // idempotent
        host::scene::scene().newScene();
        host::scene::scene().activeSelection().clear();
        interpreter().execute("currentUnit -l cm -a deg -t film;", "", false);
    }
    host::mel::ExecResult run(const std::string& mel) { return interpreter().execute(mel, "", false); }
    std::string eval(const std::string& mel) {
        host::mel::ExecResult r = run(mel);
        EXPECT_TRUE(r.ok) << mel << "\n  error: " << r.error;
        return show(r.value);
    }
};

struct Case {
    const char* setup;   // run first, must succeed
    const char* expr;    // its result is compared
    const char* expect;  // result text, or "!substring" for an expected error
};

void runTable(SceneCommands* t, const std::vector<Case>& cases,
              std::function<host::mel::ExecResult(const std::string&)> run,
              std::function<void()> reset) {
    for (const Case& c : cases) {
        reset();
        host::mel::ExecResult s = run(c.setup);
        ASSERT_TRUE(s.ok) << c.setup << "\n  error: " << s.error;
        host::mel::ExecResult r = run(c.expr);
        std::string want = c.expect;
        if (!want.empty() && want[0] == '!') {
            EXPECT_FALSE(r.ok) << c.setup << " | " << c.expr << " should fail";
            EXPECT_NE(r.error.find(want.substr(1)), std::string::npos)
                << c.expr << "\n  error was: " << r.error << "\n  wanted: " << want.substr(1);
        } else {
            EXPECT_TRUE(r.ok) << c.setup << " | " << c.expr << "\n  error: " << r.error;
            EXPECT_EQ(show(r.value), want) << c.setup << " | " << c.expr;
        }
    }
    (void)t;
}

#define TABLE(cases)                                                                  \
    runTable(this, cases, [this](const std::string& m) { return run(m); }, [this] { \
        host::scene::scene().newScene();                                              \
        host::scene::scene().activeSelection().clear();                               \
        run("currentUnit -l cm -a deg -t film;");                                     \
    })

TEST_F(SceneCommands, CreationAndNaming) {
    std::vector<Case> cases = {
        {"createNode transform;", "createNode transform", "transform2"},
        {"createNode transform -n \"box\";", "createNode transform -n \"box\"", "box1"},
        {"", "createNode transform -n \"pad#\"", "pad1"},
        {"createNode transform -n a;", "createNode transform -n b -p a", "b"},
        {"createNode transform -n a; createNode transform -n b -p a;", "listRelatives a", "b"},
        {"createNode transform -n a;", "createNode transform -n a -s", "a"},
        {"createNode transform -n a;", "ls -sl", "a"},
        {"createNode transform -n a -ss;", "ls -sl", ""},
        {"", "createNode noSuchType", "!Unknown object type: noSuchType"},
        {"createNode transform -n a;", "rename a b", "b"},
        {"createNode transform -n a; createNode transform -n b;", "rename a b", "b1"},
        {"createNode transform -n a; createNode transform -n x -p a; createNode transform -n b;"
         "createNode transform -n x -p b;",
         "rename x y", "!More than one object matches name: x"},
        {"createNode transform -n a; createNode transform -n x -p a; createNode transform -n b;"
         "createNode transform -n x -p b;",
         "rename \"b|x\" y", "y"},
        {"createNode transform -n a;", "objExists a", "1"},
        {"", "objExists nothing", "0"},
        {"createNode transform -n a;", "objExists a.tx", "1"},
        {"createNode transform -n a;", "objExists a.noAttr", "0"},
        {"createNode joint -n j;", "nodeType j", "joint"},
        {"createNode joint -n j;", "nodeType -api j", "kJoint"},
        {"createNode transform -n a;", "delete a; objExists a", "0"},
        {"createNode transform -n a; select -r a;", "delete; objExists a", "0"},
        {"", "delete nothing", "!No object matches name: nothing"},
        {"createNode transform -n a;", "createNode transform -xyz 1", "!Invalid flag '-xyz'"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, DagCommands) {
    std::vector<Case> cases = {
        // parent keeps the world position by default, -r keeps the local values.
        {"createNode transform -n p; setAttr p.t 10 0 0; createNode transform -n c; setAttr c.t 1 2 3;",
         "parent c p; getAttr c.t", "-9 2 3"},
        {"createNode transform -n p; setAttr p.t 10 0 0; createNode transform -n c; setAttr c.t 1 2 3;",
         "parent -r c p; getAttr c.t", "1 2 3"},
        {"createNode transform -n p; setAttr p.t 10 0 0; setAttr p.ry 90; createNode transform -n c; setAttr c.t 1 0 0;",
         "parent c p; xform -q -ws -t c", "1 0 0"},
        {"createNode transform -n p; createNode transform -n c -p p;", "parent -w c; listRelatives -p c", ""},
        {"createNode transform -n a; createNode transform -n b;", "group -n g a b", "g"},
        {"createNode transform -n a; createNode transform -n b; group -n g a b;", "listRelatives -c g", "a b"},
        {"createNode transform -n a; createNode transform -n b; select -r a b;", "group; ls -sl", "group1"},
        {"", "group -em -n e", "e"},
        {"createNode transform -n g; createNode transform -n a -p g; createNode mesh -n aShape -p a;"
         "createNode transform -n b -p g; createNode mesh -n bShape -p b;",
         "listRelatives -ad g", "bShape b aShape a"},
        {"createNode transform -n g; createNode transform -n a -p g; createNode mesh -n aShape -p a;",
         "listRelatives -ad -f g", "|g|a|aShape |g|a"},
        {"createNode transform -n g; createNode transform -n a -p g; createNode mesh -n aShape -p a;",
         "listRelatives -s a", "aShape"},
        {"createNode transform -n g; createNode transform -n a -p g; createNode mesh -n aShape -p a;",
         "listRelatives -ad -typ mesh g", "aShape"},
        {"createNode transform -n g; createNode transform -n a -p g; createNode transform -n b;",
         "ls -dag -l \"g*\" b", "|g |g|a |b"},
        {"createNode transform -n g; createNode transform -n a -p g; createNode mesh -n aShape -p a;",
         "ls -tr \"g*\" a", "g a"},
        {"createNode transform -n a; createNode mesh -n aShape -p a;", "ls -s a aShape", "aShape"},
        {"createNode transform -n a; createNode transform -n b;", "ls -typ transform \"[ab]\" a b", "a b"},
        {"createNode transform -n g; createNode transform -n a -p g; createNode mesh -n aShape -p a;",
         "duplicate g; listRelatives -ad g1", "aShape a"},
        {"createNode transform -n box1; setAttr box1.tx 4;", "duplicate box1; getAttr box2.tx", "4"},
        {"createNode transform -n box1; addAttr -ln tag -dt \"string\" box1; setAttr box1.tag -type \"string\" hi;",
         "duplicate -rr box1; getAttr box2.tag", "hi"},
        {"createNode transform -n a;", "parent a", "!Not enough objects or values."},
        {"createNode transform -n a; createNode transform -n b -p a;", "parent a b",
         "!descendant"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, Attributes) {
    std::vector<Case> cases = {
        {"createNode transform -n a;", "setAttr a.tx 2.5; getAttr a.tx", "2.5"},
        {"createNode transform -n a;", "setAttr a.t 1 2 3; getAttr a.t", "1 2 3"},
        {"createNode transform -n a;", "setAttr a.t -type double3 4 5 6; getAttr a.ty", "5"},
        {"createNode transform -n a;", "setAttr a.v off; getAttr a.v", "0"},
        // Angles: degrees in, radians stored, degrees out; radians when the UI unit says so.
        {"createNode transform -n a; setAttr a.rx 90;", "currentUnit -a rad; getAttr a.rx", "1.5708"},
        {"createNode transform -n a; currentUnit -a rad; setAttr a.rx 3.14159265;", "currentUnit -a deg; getAttr a.rx",
         "180"},
        {"createNode transform -n a; currentUnit -l m;", "setAttr a.tx 2; currentUnit -l cm; getAttr a.tx", "200"},
        {"createNode transform -n a;", "getAttr -type a.t", "double3"},
        {"createNode transform -n a;", "getAttr -type a.tx", "doubleLinear"},
        {"createNode transform -n a;", "getAttr a.ro", "0"},
        {"createNode transform -n a;", "setAttr a.ro 5; getAttr -asString a.ro", "zyx"},
        {"createNode transform -n a;", "getAttr a.worldMatrix[0]", "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"},
        {"createNode transform -n a;", "setAttr -l on a.tx; getAttr -l a.tx", "1"},
        {"createNode transform -n a; setAttr -l on a.tx;", "setAttr a.tx 1",
         "!The attribute 'a.translateX' is locked or connected and cannot be modified."},
        {"createNode transform -n a; setAttr -l on a.tx;", "setAttr -l off a.tx; setAttr a.tx 3; getAttr a.tx", "3"},
        {"createNode transform -n a;", "setAttr a.nope 1", "!No object matches name: a.nope"},
        {"createNode transform -n a;", "setAttr a.tx abc", "!Error reading data element number 1: abc"},
        {"createNode transform -n a;", "setAttr a.t 1 2", "!Not enough data was provided."},
        {"createNode transform -n a;", "setAttr a.tx 1 2", "!Too many data elements"},
        {"createNode transform -n a;", "setAttr -k on a.v; getAttr -k a.v", "1"},
        // Data types.
        {"createNode transform -n a; addAttr -ln str -dt \"string\" a;",
         "setAttr a.str -type \"string\" \"x y\"; getAttr a.str", "x y"},
        {"createNode transform -n a;", "addAttr -ln s a", "!same name"},
        {"createNode transform -n a; addAttr -ln sa -dt stringArray a;",
         "setAttr a.sa -type stringArray 3 \"p\" \"q\" \"r\"; getAttr a.sa", "p q r"},
        {"createNode transform -n a; addAttr -ln da -dt doubleArray a;",
         "setAttr a.da -type doubleArray 2 1.5 -2; getAttr a.da", "1.5 -2"},
        {"createNode transform -n a; addAttr -ln ia -dt Int32Array a;", "setAttr a.ia -type Int32Array 2 7 8; getAttr a.ia",
         "7 8"},
        {"createNode transform -n a; addAttr -ln sa -dt stringArray a;", "setAttr a.sa -type stringArray 3 \"p\"",
         "!Not enough data was provided."},
        {"createNode transform -n a; addAttr -ln mtx -at matrix a;",
         "setAttr a.mtx -type matrix 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1; getAttr a.mtx", "1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1"},
        {"createNode transform -n a; addAttr -ln str -dt \"string\" a;", "setAttr a.str -type double3 1 2 3",
         "!does not match"},
        // Multi ranges: each element takes its share of the values.
        {"createNode transform -n a; addAttr -ln pts -at double3 -m a; addAttr -ln ptsX -at double -p pts a;"
         "addAttr -ln ptsY -at double -p pts a; addAttr -ln ptsZ -at double -p pts a;",
         "select -cl; setAttr \".pts[0:1]\" 1 2 3 4 5 6", "!No object matches name"},
        {"createNode transform -n a; addAttr -ln pts -at double3 -m a; addAttr -ln ptsX -at double -p pts a;"
         "addAttr -ln ptsY -at double -p pts a; addAttr -ln ptsZ -at double -p pts a; select -r a;",
         "setAttr \".pts[0:1]\" -type double3 1 2 3 4 5 6; getAttr a.pts", "1 2 3 4 5 6"},
        {"createNode transform -n a; addAttr -ln w -at double -m a;",
         "setAttr \"a.w[2:4]\" 7 8 9; getAttr -s a.w", "3"},
        {"createNode transform -n a; addAttr -ln w -at double -m a; setAttr \"a.w[2:4]\" 7 8 9;", "getAttr -mi a.w",
         "2 3 4"},
        {"createNode transform -n a; addAttr -ln w -at double -m a;", "setAttr \"a.w[0:2]\" 1 2",
         "!names 3 elements but the statement has data for at most 2."},
        // addAttr kinds and clashes.
        {"createNode transform -n a;", "addAttr -ln e -at enum -en \"lo:mid=5:hi\" a; setAttr a.e 6; getAttr -as a.e",
         "hi"},
        {"createNode transform -n a; addAttr -ln e -at enum -en \"lo:mid=5:hi\" a;",
         "attributeQuery -n a -le e", "lo:mid=5:hi"},
        {"createNode transform -n a;", "addAttr -ln tx a", "!same name"},
        {"createNode transform -n a; addAttr -ln foo a;", "addAttr -ln foo a", "!same name"},
        {"createNode transform -n a;", "addAttr -ln n -at long -min 0 -max 10 -dv 3 a; getAttr a.n", "3"},
        {"createNode transform -n a; addAttr -ln n -at long -min 0 -max 10 -dv 3 a;",
         "setAttr a.n 50; getAttr a.n", "10"},
        {"createNode transform -n a;", "addAttr -ln ang -at doubleAngle a; setAttr a.ang 45; getAttr a.ang", "45"},
        {"createNode transform -n a;", "addAttr -ln b -at bogus a", "!Invalid attribute type 'bogus'"},
        {"createNode transform -n a;",
         "addAttr -ln c -at compound -nc 2 a; addAttr -ln c1 -at long -p c a; addAttr -ln c2 -at float -p c a;"
         "attributeQuery -n a -lc c",
         "c1 c2"},
        {"createNode transform -n a; addAttr -ln vec -at double3 a; addAttr -ln vecX -at double -p vec a;"
         "addAttr -ln vecY -at double -p vec a;",
         "attributeQuery -n a -ex vec", "0"},
        {"createNode transform -n a; addAttr -ln vec -at double3 -k 1 a; addAttr -ln vecX -at double -p vec a;"
         "addAttr -ln vecY -at double -p vec a; addAttr -ln vecZ -at double -p vec a;",
         "attributeQuery -n a -at vec", "double3"},
        {"createNode transform -n a; addAttr -ln vec -at double3 a; addAttr -ln vecX -at double -p vec a;"
         "addAttr -ln vecY -at double -p vec a; addAttr -ln vecZ -at double -p vec a;",
         "setAttr a.vec 1 2 3; getAttr a.vecZ", "3"},
        // attributeQuery answers.
        {"createNode transform -n a;", "attributeQuery -n a -ex tx", "1"},
        {"createNode transform -n a;", "attributeQuery -n a -ex foo", "0"},
        {"createNode transform -n a;", "attributeQuery -n a -k tx", "1"},
        {"createNode transform -n a;", "attributeQuery -n a -lp tx", "translate"},
        {"createNode transform -n a;", "attributeQuery -n a -sn translate", "t"},
        {"createNode transform -n a;", "attributeQuery -n a -nc translate", "3"},
        {"createNode transform -n a; addAttr -ln str -dt \"string\" a;", "attributeQuery -n a -at str", "typed"},
        {"createNode transform -n a; addAttr -ln f -at double -min -1 -max 2 a;", "attributeQuery -n a -max f", "2"},
        {"createNode transform -n a; addAttr -ln mlist -at long -m a;", "attributeQuery -n a -m mlist", "1"},
        {"createNode transform -n a;", "attributeQuery -n nobody -ex tx", "!No object matches name: nobody"},
        // deleteAttr.
        {"createNode transform -n a; addAttr -ln foo a;", "deleteAttr a.foo; attributeQuery -n a -ex foo", "0"},
        {"createNode transform -n a; addAttr -ln foo a;", "deleteAttr -at foo a; attributeQuery -n a -ex foo", "0"},
        {"createNode transform -n a;", "deleteAttr a.tx", "!static attribute"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, Connections) {
    std::vector<Case> cases = {
        {"createNode transform -n a; createNode transform -n b;", "connectAttr a.tx b.ty",
         "Connected a.translateX to b.translateY."},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.ty; setAttr a.tx 7;", "getAttr b.ty",
         "7"},
        {"createNode transform -n a; createNode transform -n b; createNode transform -n c; connectAttr a.tx c.tx;",
         "connectAttr b.tx c.tx", "!The attribute 'c.translateX' is already connected to 'a.translateX'."},
        {"createNode transform -n a; createNode transform -n b; createNode transform -n c; connectAttr a.tx c.tx;",
         "connectAttr -f b.tx c.tx; listConnections -s 1 -d 0 c.tx", "b"},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx;", "setAttr b.tx 1",
         "!locked or connected"},
        {"createNode transform -n a; createNode transform -n b; setAttr -l on b.tx;", "connectAttr a.tx b.tx",
         "!locked"},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx; connectAttr a.ty b.ty;",
         "listConnections -p 1 -c 1 b", "b.translateX a.translateX b.translateY a.translateY"},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx;", "listConnections -d 1 -s 0 a",
         "b"},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx;", "listConnections -d 0 -s 1 a",
         ""},
        {"createNode transform -n a; createNode mesh -n aShape -p a; createNode transform -n b;"
         "connectAttr aShape.v b.v;",
         "listConnections b", "a"},
        {"createNode transform -n a; createNode mesh -n aShape -p a; createNode transform -n b;"
         "connectAttr aShape.v b.v;",
         "listConnections -sh 1 b", "aShape"},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx;", "listConnections -t joint b",
         ""},
        {"createNode transform -n a; createNode transform -n b; connectAttr a.tx b.tx;",
         "disconnectAttr a.tx b.tx; listConnections b", ""},
        {"createNode transform -n a; createNode transform -n b;", "disconnectAttr a.tx b.tx",
         "!There is no connection from 'a.translateX' to 'b.translateX' to disconnect."},
        {"createNode transform -n a; createNode transform -n b; addAttr -ln ins -at double -m b;"
         "connectAttr -na a.tx b.ins; connectAttr -na a.ty b.ins;",
         "listConnections -p 1 b.ins", "a.translateX a.translateY"},
        {"createNode transform -n a; createNode transform -n b;", "connectAttr a.tx b.nothing",
         "!No object matches name: b.nothing"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, XformAgainstHandComputedPositions) {
    std::vector<Case> cases = {
        {"createNode transform -n a; setAttr a.t 1 2 3;", "xform -q -ws -t a", "1 2 3"},
        // Child at local (1,0,0) under a parent rotated 90 degrees about Y and moved to x=10:
        // (1,0,0) * RotY(90) = (0,0,-1), plus (10,0,0).
        {"createNode transform -n p; setAttr p.t 10 0 0; setAttr p.ry 90; createNode transform -n c -p p;"
         "setAttr c.t 1 0 0;",
         "xform -q -ws -t c", "10 0 -1"},
        // Parent scaled by 2: the child's offset doubles.
        {"createNode transform -n p; setAttr p.s 2 2 2; createNode transform -n c -p p; setAttr c.t 1 1 0;",
         "xform -q -ws -t c", "2 2 0"},
        {"createNode transform -n p; setAttr p.s 2 2 2; setAttr p.t 0 5 0; createNode transform -n c -p p;",
         "xform -ws -t 4 5 6 c; getAttr c.t", "2 0 3"},
        {"createNode transform -n a;", "xform -ro 0 45 0 a; getAttr a.ry", "45"},
        {"createNode transform -n a; setAttr a.rz 30;", "xform -r -ro 0 0 15 a; xform -q -ro a", "0 0 45"},
        {"createNode transform -n a; setAttr a.t 1 2 3;", "xform -r -t 1 1 1 a; xform -q -t a", "2 3 4"},
        {"createNode transform -n p; setAttr p.ry 90; createNode transform -n c -p p; setAttr c.rx 10;",
         "xform -q -ws -ro c", "10 90 0"},
        {"createNode transform -n a; setAttr a.t 1 2 3; setAttr a.rp 1 0 0;", "xform -q -ws -rp a", "2 2 3"},
        {"createNode transform -n a; setAttr a.t 1 2 3;", "xform -q -m a", "1 0 0 0 0 1 0 0 0 0 1 0 1 2 3 1"},
        {"createNode transform -n a;", "xform -m 2 0 0 0 0 2 0 0 0 0 2 0 7 8 9 1 a; getAttr a.s; ", "2 2 2"},
        {"createNode transform -n a;", "xform -m 2 0 0 0 0 2 0 0 0 0 2 0 7 8 9 1 a; getAttr a.t", "7 8 9"},
        {"createNode transform -n a;", "xform -q -t nobody", "!No object matches name: nobody"},
        {"createNode joint -n j1; select -cl; createNode joint -n j2 -p j1; setAttr j1.ry 90; setAttr j2.t 2 0 0;",
         "xform -q -ws -t j2", "0 0 -2"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, KeysAndTime) {
    std::vector<Case> cases = {
        {"", "currentTime 12; currentTime -q", "12"},
        {"", "currentUnit -q -t", "film"},
        {"", "currentUnit -q -l -f", "centimeter"},
        {"currentTime 12;", "currentUnit -t ntsc; currentTime -q", "15"},
        {"", "currentUnit -l parsec", "!Invalid linear unit: parsec"},
        {"", "playbackOptions -min 5 -max 50; playbackOptions -q -max", "50"},
        {"createNode transform -n a;", "setKeyframe -t 1 -v 0 -at tx a; setKeyframe -t 11 -v 10 -at tx a", "1"},
        {"createNode transform -n a; setKeyframe -t 1 -v 0 -at tx a; setKeyframe -t 11 -v 10 -at tx a;",
         "nodeType a_translateX", "animCurveTL"},
        {"createNode transform -n a; setKeyframe -t 1 -v 0 -at ry a;", "nodeType a_rotateY", "animCurveTA"},
        {"createNode transform -n a; setKeyframe -t 1 -v 0 -at v a;", "nodeType a_visibility", "animCurveTU"},
        {"createNode transform -n a; setKeyframe -t 1 -v 2 -at tx -itt linear -ott linear a;"
         "setKeyframe -t 11 -v 12 -at tx -itt linear -ott linear a;",
         "currentTime 6; getAttr a.tx", "7"},
        {"createNode transform -n a; setKeyframe -t 1 -v 2 -at tx -itt linear -ott linear a;"
         "setKeyframe -t 11 -v 12 -at tx -itt linear -ott linear a;",
         "getAttr -t 11 a.tx", "12"},
        {"createNode transform -n a; setKeyframe -t 1 -v 2 -at tx a; setKeyframe -t 11 -v 12 -at tx a;"
         "currentTime 30;",
         "getAttr a.tx", "12"},
        {"createNode transform -n a; setKeyframe -t 1 -t 5 -t 9 -v 3 -at tx a;", "keyframe -q -kc a.tx", "3"},
        {"createNode transform -n a; setKeyframe -t 1 -t 5 -t 9 -v 3 -at tx a;", "keyframe -q -tc a.tx", "1 5 9"},
        {"createNode transform -n a; setKeyframe -t 1 -t 5 -t 9 -v 3 -at tx a;", "keyframe -q -t \"2:9\" -tc a.tx",
         "5 9"},
        {"createNode transform -n a; setKeyframe -t 1 -v 3 -at tx a; setKeyframe -t 5 -v 4 -at tx a;",
         "keyframe -q -vc a.tx", "3 4"},
        {"createNode transform -n a; setKeyframe -t 1 -v 3 -at tx a; setKeyframe -t 5 -v 4 -at tx a;",
         "keyframe -e -r -t 5 -vc 2 a.tx; keyframe -q -vc a.tx", "3 6"},
        {"createNode transform -n a; setKeyframe -t 1 -t 5 -t 9 -v 3 -at tx a;",
         "findKeyframe -t 5 -w next a.tx", "9"},
        {"createNode transform -n a; setKeyframe -t 1 -t 5 -t 9 -v 3 -at tx a;",
         "findKeyframe -t 5 -w previous a.tx", "1"},
        {"createNode transform -n a; setKeyframe -t 1 -t 5 -t 9 -v 3 -at tx a;", "findKeyframe -w last a.tx", "9"},
        {"createNode transform -n a; setKeyframe -t 1 -t 5 -t 9 -v 3 -at tx a;",
         "cutKey -t \"4:6\" a.tx; keyframe -q -tc a.tx", "1 9"},
        {"createNode transform -n a;", "setKeyframe -at nope a", "!No object matches name: a.nope"},
        {"createNode transform -n a; setKeyframe -t 1 -v 0 -at tx a; setKeyframe -t 1 -v 5 -at tx a;",
         "keyframe -q -kc a.tx", "1"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, Selection) {
    std::vector<Case> cases = {
        {"createNode transform -n a; createNode transform -n b; createNode transform -n c;",
         "select -r a; select -add c b; ls -sl", "a c b"},
        {"createNode transform -n a; createNode transform -n b; select -r a b;", "select -d a; ls -sl", "b"},
        {"createNode transform -n a; createNode transform -n b; select -r a b;", "select -cl; ls -sl", ""},
        {"createNode transform -n a; createNode transform -n b; select -r a;", "select -tgl a b; ls -sl", "b"},
        {"createNode transform -n boxA; createNode transform -n boxB; createNode transform -n q;",
         "select -r \"box*\"; ls -sl", "boxA boxB"},
        {"createNode transform -n a;", "select -r nothing", "!No object matches name: nothing"},
        {"createNode transform -n g; createNode transform -n a -p g; select -r a;", "ls -sl -l", "|g|a"},
        {"createNode transform -n a; createNode transform -n b; sets -n s a b;", "select -r s; ls -sl", "a b"},
        {"createNode transform -n a; createNode transform -n b; sets -n s a b;", "select -r -ne s; ls -sl", "s"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, SetsWithFaceMembership) {
    std::vector<Case> cases = {
        {"createNode transform -n a; createNode transform -n b;", "sets -n s a b; sets -q s", "a b"},
        {"createNode transform -n a;", "sets -em -n s; sets -e -add s a; sets -q s", "a"},
        {"createNode transform -n a; createNode transform -n b; sets -n s a b;", "sets -e -rm s a; sets -q s", "b"},
        {"createNode transform -n a; sets -n s a;", "sets -ism s a", "1"},
        {"createNode transform -n a; createNode transform -n b; sets -n s a;", "sets -ism s b", "0"},
        {"createNode transform -n a; createNode mesh -n aShape -p a;",
         "sets -renderable true -noSurfaceShader true -empty -name redSG; sets -e -fe redSG a.f[0:3]; sets -q redSG",
         "aShape.f[0:3]"},
        {"createNode transform -n a; createNode mesh -n aShape -p a;",
         "sets -r 1 -nss 1 -em -n redSG; nodeType redSG", "shadingEngine"},
        {"", "sets -e -add nothing", "!No object matches name: nothing"},
    };
    TABLE(cases);
}

TEST_F(SceneCommands, DisplayLayersAndLocatorsAndJoints) {
    std::vector<Case> cases = {
        {"createNode transform -n a;", "createDisplayLayer -n L a", "L"},
        {"createNode transform -n a; createDisplayLayer -n L a;", "listConnections -p 1 a.drawOverride",
         "L.drawInfo"},
        {"createNode transform -n a; createDisplayLayer -n L a; setAttr L.visibility 0;", "getAttr a.do.ove", "1"},
        {"createNode transform -n a; createNode transform -n b; createDisplayLayer -n L -e;",
         "editDisplayLayerMembers L a b; editDisplayLayerMembers -q L", "a b"},
        {"", "spaceLocator -n loc -p 1 2 3", "loc"},
        {"spaceLocator -n loc -p 1 2 3;", "getAttr locShape.localPosition", "1 2 3"},
        {"spaceLocator;", "listRelatives -s locator1", "locatorShape1"},
        {"select -cl;", "joint -p 0 1 0 -n j1; joint -p 0 3 0 -n j2; getAttr j2.t", "0 2 0"},
        {"select -cl; joint -n j1; joint -n j2;", "listConnections -p 1 j2.inverseScale", "j1.scale"},
        {"select -cl; joint -n j1; joint -n j2;", "ls -sl", "j2"},
        {"select -cl;", "joint -o 0 90 0 -n j; getAttr j.jointOrientY", "90"},
        {"", "refresh; undoInfo -st off; flushUndo; objExists persp", "1"},
    };
    TABLE(cases);
}

// setAttr -type for data kinds owned elsewhere goes through the registered parser.
TEST_F(SceneCommands, DataParserHook) {
    int calls = 0;
    host::scene::registerDataParser(
        "testBlob", [&calls](const host::scene::Plug&, const std::vector<std::string>& words, std::size_t& pos,
                             std::string* error) -> host::scene::DataPtr {
            ++calls;
            if (pos >= words.size() || words[pos] != "ok") {
                *error = "bad blob";
                return nullptr;
            }
            ++pos;
            auto d = std::make_shared<host::scene::GenericData>();
            d->type = "testBlob";
            d->tokens = {"parsed"};
            return d;
        });
    ASSERT_TRUE(run("createNode transform -n a; addAttr -ln blob -dt testBlob a;").ok);
    EXPECT_TRUE(run("setAttr a.blob -type testBlob ok").ok);
    EXPECT_EQ(eval("getAttr a.blob"), "parsed");
    host::mel::ExecResult r = run("setAttr a.blob -type testBlob nope");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("bad blob"), std::string::npos);
    r = run("setAttr a.blob -type testBlob ok extra");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(calls, 3);
    // Unknown data types on a typed attribute keep their words.
    ASSERT_TRUE(run("addAttr -ln other -dt otherKind a; setAttr a.other -type otherKind 1 2 x;").ok);
    EXPECT_EQ(eval("getAttr -type a.other"), "otherKind");
}

// Bad input fails with a message and never takes the process down.
TEST_F(SceneCommands, HostileInputFailsCleanly) {
    const char* bad[] = {
        "setAttr",
        "setAttr -type",
        "setAttr \"a.w[5:2]\" 1",
        "setAttr \"a.w[0:99999999999]\" 1",
        "setAttr a.sa -type stringArray -5",
        "setAttr a.sa -type stringArray 999999999999",
        "getAttr",
        "getAttr a",
        "connectAttr a.tx",
        "addAttr -ln \"bad name\" a",
        "addAttr -ln 9x a",
        "xform -m 1 2 a",
        "currentTime abc",
        "keyframe -q -t \"x:y\" a.tx",
        "parent -add a",
        "listRelatives nothing",
        "sets -e -fe nothing a",
        "attributeQuery -ex tx",
    };
    ASSERT_TRUE(run("createNode transform -n a; addAttr -ln w -at double -m a; addAttr -ln sa -dt stringArray a;").ok);
    for (const char* b : bad) {
        host::mel::ExecResult r = run(b);
        EXPECT_FALSE(r.ok) << b;
        EXPECT_FALSE(r.error.empty()) << b;
    }
}

}  // namespace
