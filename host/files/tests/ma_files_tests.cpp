// Maya ASCII scene files: what the reader understands, what it refuses (with
// file and line), and that saving then opening gives the same scene.
#include "files/ma_reader.h"
#include "files/ma_writer.h"
#include "ma_test_util.h"
#include "scene/commands/file_records.h"

#include <cmath>

namespace {

using namespace matest;
using host::files::readMayaAsciiText;

std::string show(const host::mel::Value& v) {
    if (v.type() == host::mel::Type::Float) return num(v.asFloat());
    if (v.isArray()) {
        std::string s;
        for (std::size_t i = 0; i < v.size(); ++i) {
            host::mel::Value e = v.element(i);
            s += (i ? " " : "") + (e.type() == host::mel::Type::Float ? num(e.asFloat()) : e.asString());
        }
        return s;
    }
    return v.asString();
}

std::string query(const std::string& expr) {
    host::mel::ExecResult r = mel(expr);
    EXPECT_TRUE(r.ok) << expr << ": " << r.error;
    return show(r.value);
}

// Collects the warnings the interpreter prints while in scope.
struct WarningCapture {
    std::vector<std::string> texts;
    host::mel::Interpreter::Sink saved = host::mel::interpreter().warningSink();
    WarningCapture() {
        host::mel::interpreter().setWarningSink([this](const std::string& t) { texts.push_back(t); });
    }
    ~WarningCapture() { host::mel::interpreter().setWarningSink(saved); }
};

class MaReading : public MaFixture {};
class MaRoundTrip : public MaFixture {};

// ---------------------------------------------------------------- reading

TEST_F(MaReading, StatementFormsOfSceneFiles) {
    struct Case {
        const char* text;   // file contents
        const char* query;  // MEL whose result is compared
        const char* want;
    };
    const std::vector<Case> cases = {
        // Long strings are written as parenthesised concatenations.
        {"createNode transform -n a;\naddAttr -ln note -dt \"string\";\nsetAttr \".note\" -type \"string\" (\"ab\"\n\t+ \"c\\\"d\"\n + \"e\");",
         "getAttr a.note", "abc\"de"},
        // Comments and empty statements anywhere.
        {"// head\n/* a\n block */ createNode transform -n b; ;; // tail\n", "objExists b", "1"},
        // -s re-declares a shared node: the existing one is edited.
        {"createNode transform -s -n \"persp\";\n\tsetAttr \".ty\" 7;", "getAttr persp.ty; objExists persp1", "0"},
        {"createNode transform -s -n \"persp\";\n\tsetAttr \".ty\" 7;", "getAttr persp.ty", "7"},
        // -ss: the new node is not selected, so ".a" goes to the previous one.
        {"createNode transform -n a;\ncreateNode transform -n b -ss;\nsetAttr \".tx\" 2;", "getAttr a.tx", "2"},
        // Root-namespace names of default nodes.
        {"select -ne :persp;\nsetAttr \".tz\" 3;", "getAttr persp.tz", "3"},
        // Ranges with sizes, on a multi of double3; short and long value lists.
        {"createNode transform -n a;\naddAttr -ln p -at double3 -m;\naddAttr -ln px -at double -p p;\naddAttr -ln py -at double -p p;"
         "\naddAttr -ln pz -at double -p p;\nsetAttr -s 3 \".p[0:2]\" -type \"double3\" 1 2 3 4 5 6 7 8 9;",
         "getAttr a.p[2]", "7 8 9"},
        {"createNode transform -n a;\naddAttr -ln p -at double3 -m;\naddAttr -ln px -at double -p p;\naddAttr -ln py -at double -p p;"
         "\naddAttr -ln pz -at double -p p;\nsetAttr -s 20 \".p[0:19]\" -type \"double3\" 0 0 0 1 1 1 2 2 2 3 3 3 4 4 4 5 5 5 6 6 6"
         " 7 7 7 8 8 8 9 9 9 10 10 10 11 11 11 12 12 12 13 13 13 14 14 14 15 15 15 16 16 16 17 17 17 18 18 18 19 19 -19.5;",
         "getAttr a.p[19]", "19 19 -19.5"},
        // A range below an element of a compound multi (as ".uvst[0].uvsp[0:13]").
        {"createNode transform -n a;\naddAttr -ln uvs -at compound -nc 2 -m;\naddAttr -ln uvsName -dt \"string\" -p uvs;"
         "\naddAttr -ln uvsPt -at float2 -m -p uvs;\naddAttr -ln uvsPtU -at float -p uvsPt;\naddAttr -ln uvsPtV -at float -p uvsPt;"
         "\nsetAttr \".uvs[0].uvsName\" -type \"string\" \"map1\";\nsetAttr -s 3 \".uvs[0].uvsPt[0:2]\" -type \"float2\" 0 0 1 0 0.25 0.75;",
         "getAttr a.uvs[0].uvsPt[2]", "0.25 0.75"},
        {"createNode transform -n a;\naddAttr -ln uvs -at compound -nc 2 -m;\naddAttr -ln uvsName -dt \"string\" -p uvs;"
         "\naddAttr -ln uvsPt -at float2 -m -p uvs;\naddAttr -ln uvsPtU -at float -p uvsPt;\naddAttr -ln uvsPtV -at float -p uvsPt;"
         "\nsetAttr -s 30 \".uvs[1].uvsPt[0:29]\" -type \"float2\" 0 0 1 1 2 2 3 3 4 4 5 5 6 6 7 7 8 8 9 9 10 10 11 11 12 12 13 13"
         " 14 14 15 15 16 16 17 17 18 18 19 19 20 20 21 21 22 22 23 23 24 24 25 25 26 26 27 27 28 28 29 0.1;",
         "getAttr a.uvs[1].uvsPt[29]", "29 0.100000001"},
        // Sparse multis per element of a range: count, then index and value pairs.
        {"createNode transform -n a;\naddAttr -ln wl -at compound -nc 1 -m;\naddAttr -ln w -at double -m -p wl;"
         "\nsetAttr \".wl[0:1].w\"\n 1 0 1\n 2 0 0.25 3 0.75;",
         "getAttr a.wl[1].w[3]", "0.75"},
        // Value words: on/off/yes/no for booleans, UI units for angles.
        {"createNode transform -n a;\nsetAttr \".v\" no;", "getAttr a.v", "0"},
        {"currentUnit -l centimeter -a degree -t film;\ncreateNode transform -n a;\nsetAttr \".r\" -type \"double3\" 90 0 0;",
         "getAttr a.rx", "90"},
        // Flags real files carry: -av alone, -k/-cb/-l, -ch, -uid.
        {"createNode transform -n a;\nrename -uid \"0A1B-2C\";\nsetAttr -av \".tx\";\nsetAttr -k off \".ty\";\nsetAttr -l on \".tz\";",
         "getAttr -l a.tz", "1"},
        {"createNode transform -n a;\nlockNode -l 1;", "lockNode -q -l a", "1"},
        // References are recorded, not loaded.
        {"file -rdi 1 -ns \"ns\" -rfn \"nsRN\" \"/no/such/file.ma\";\nfile -r -ns \"ns\" -dr 1 -rfn \"nsRN\" -typ \"mayaAscii\" \"/no/such/file.ma\";",
         "file -q -r", "/no/such/file.ma"},
        // Nodes of unknown types keep their attributes as given.
        {"createNode fancyPluginNode -n f;\nsetAttr \".foo\" 3;\nsetAttr \".bar[2].baz\" -type \"string\" \"x\";", "getAttr f.foo", "3"},
        {"createNode fancyPluginNode -n f;", "nodeType f", "fancyPluginNode"},
        // A statement that is real MEL goes through the interpreter.
        {"createNode transform -n a;\nif (1) { setAttr a.tx 4; }\n", "getAttr a.tx", "4"},
    };
    for (const Case& c : cases) {
        mel("file -f -new; currentUnit -l centimeter -a degree -t film;");
        host::files::MaReadResult r = readMayaAsciiText(c.text, "case.ma");
        EXPECT_TRUE(r.ok) << c.text << "\n  " << r.error;
        if (r.ok) EXPECT_EQ(query(c.query), c.want) << c.text;
    }
}

TEST_F(MaReading, UnknownConstructsWarnOncePerConstructWithFileAndLine) {
    WarningCapture w;
    const char* text =
        "createNode fancyPluginNode -n f1;\n"
        "createNode fancyPluginNode -n f2;\n"
        "createNode transform -n t1;\n"
        "\tsetAttr \".studioTag\" 5;\n"
        "createNode transform -n t2;\n"
        "\tsetAttr \".studioTag\" 6;\n";
    host::files::MaReadResult r = readMayaAsciiText(text, "studio.ma");
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(w.texts.size(), 2u) << testing::PrintToString(w.texts);
    EXPECT_NE(w.texts[0].find("file: studio.ma line 1: "), std::string::npos) << w.texts[0];
    EXPECT_NE(w.texts[0].find("fancyPluginNode"), std::string::npos) << w.texts[0];
    EXPECT_NE(w.texts[1].find("file: studio.ma line 4: "), std::string::npos) << w.texts[1];
    EXPECT_NE(w.texts[1].find("studioTag"), std::string::npos) << w.texts[1];
    EXPECT_EQ(query("getAttr t2.studioTag"), "6");
}

TEST_F(MaReading, BadInputFailsNamingFileAndLine) {
    struct Case {
        std::string text;
        int line;
        const char* message;  // part of the error text
    };
    const std::string node = "createNode transform -n a;\naddAttr -ln p -at double3 -m;\naddAttr -ln px -at double -p p;\n"
                             "addAttr -ln py -at double -p p;\naddAttr -ln pz -at double -p p;\n";  // 5 lines
    const std::vector<Case> cases = {
        {"createNode transform -n a", 1, "Unexpected end of file"},
        {"createNode transform -n a;\ncreateNode transform -n \"b;\n", 2, "Unterminated string"},
        {"createNode transform -n a;\nif (1) { setAttr a.tx 1;\n", 2, "unbalanced"},
        {"createNode transform -n a;\n}\n", 2, "Syntax error"},
        {"createNode transform -n a;\nsetAttr \".tx\";\n", 2, "Not enough data"},
        {"createNode transform -n a;\nsetAttr \".tx\" 1 2;\n", 2, "Too many data elements"},
        {node + "setAttr -s 2 \".p[0:3]\" -type \"double3\" 1 2 3 4 5 6 7 8 9 10 11 12;\n", 6, "-s is smaller than the range"},
        {node + "setAttr \".p[0:3]\" -type \"double3\" 1 2 3;\n", 6, "names 4 elements"},
        {node + "setAttr \".p[0:1]\" -type \"double3\" 1 2 3 4 5;\n", 6, "Not enough data"},
        {node + "setAttr \".p[0:2000000000]\" -type \"double3\" 1 2 3;\n", 6, "names 2000000001 elements"},
        {node + "setAttr -s 2000000000 \".p\";\n", 6, "more than this file can hold"},
        {node + "setAttr \".p[0]\" -type \"double3\" 1 2 x;\n", 6, "Error reading data element"},
        {"createNode transform -n a;\n\x01\x02\xff\xfe garbage", 2, "binary data"},
        {std::string("createNode transform -n a\0b;\n", 29), 1, "binary data"},
        {"createNode transform -n a;\nprint " + std::string(5000, '(') + "1" + std::string(5000, ')') + ";\n", 2, "nested too deeply"},
        {"createNode transform -n a;\nnoSuchCommand 1 2;\n", 2, "noSuchCommand"},
        {"createNode transform -n a;\nconnectAttr a.tx missing.ty;\n", 2, "missing"},
        {"createNode transform -n a;\n/* open comment\n", 2, "Unterminated comment"},
    };
    for (const Case& c : cases) {
        mel("file -f -new;");
        host::files::MaReadResult r = readMayaAsciiText(c.text, "bad.ma");
        ASSERT_FALSE(r.ok) << c.text.substr(0, 200);
        const std::string where = "file: bad.ma line " + std::to_string(c.line) + ": ";
        EXPECT_EQ(r.error.rfind(where, 0), 0u) << r.error << "\n  wanted it to begin with: " << where;
        EXPECT_NE(r.error.find(c.message), std::string::npos) << r.error << "\n  wanted: " << c.message;
    }
}

TEST_F(MaReading, FileCommandReportsAFailedReadAsFailure) {
    const std::string path = temp("broken.ma");
    {
        std::ofstream o(path);
        o << "createNode transform -n a;\nsetAttr \".tx\" \"unterminated;\n";
    }
    host::mel::ExecResult r = mel("file -f -o \"" + path + "\";");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("Error reading file."), std::string::npos) << r.error;
}

// ---------------------------------------------------------------- writing

TEST_F(MaRoundTrip, SceneBuiltByMel) {
    const char* build = R"MEL(
        createNode transform -n root;
        createNode transform -n child -p root;
        createNode transform -n other;
        createNode transform -n child -p other;
        setAttr root.t -type double3 1 2 3;
        setAttr root.r -type double3 10 20 30;
        setAttr root.s -type double3 1 2 1;
        setAttr "root|child.v" no;
        addAttr -ln weight -at double -min 0 -max 10 -dv 2 -k true root;
        setAttr root.weight 3.5;
        addAttr -ln count -at long root;  setAttr root.count 7;
        addAttr -ln flag -at bool root;   setAttr root.flag yes;
        addAttr -ln mode -at enum -en "off:low=3:high" root; setAttr root.mode 4;
        addAttr -ln label -dt "string" root;
        setAttr root.label -type "string" "say \"hi\"\\ back\nnext\ttab";
        addAttr -ln dist -at doubleLinear root; setAttr root.dist 5;
        addAttr -ln ang -at doubleAngle root; setAttr root.ang 90;
        addAttr -ln col -at double3 -uac root;
        addAttr -ln colR -at double -p col root;
        addAttr -ln colG -at double -p col root;
        addAttr -ln colB -at double -p col root;
        setAttr root.col -type double3 0.1 0.2 0.3;
        addAttr -ln list -m -at double root;
        setAttr root.list[0] 1; setAttr root.list[3] 4; setAttr root.list[4] 5;
        addAttr -ln names -dt stringArray root;
        setAttr root.names -type stringArray 2 "a b" "c\"q";
        addAttr -ln mat -at matrix root;
        setAttr root.mat -type "matrix" 1 0 0 0 0 1 0 0 0 0 1 0 5 6 7 1;
        addAttr -ln da -dt doubleArray root;   setAttr root.da -type doubleArray 3 1.5 2 -3;
        addAttr -ln ia -dt Int32Array root;    setAttr root.ia -type Int32Array 2 7 -8;
        addAttr -ln pa -dt pointArray root;    setAttr root.pa -type pointArray 2 1 2 3 1 4 5 6 1;
        addAttr -ln va -dt vectorArray root;   setAttr root.va -type vectorArray 1 0 1 0;
        addAttr -ln cl -dt componentList root; setAttr root.cl -type componentList 2 "vtx[0:3]" "f[2]";
        setAttr -l on root.count;
        setAttr -k on root.rotateOrder;
        connectAttr root.tx "root|child.ty";
        addAttr -ln links -m -at message root;
        connectAttr other.message root.links[1];
        lockNode -l 1 "other|child";
        select -r "other|child" root;
    )MEL";
    host::mel::ExecResult b = mel(build);
    ASSERT_TRUE(b.ok) << b.error;
    expectRoundTrip("built.ma");
    // A few facts through the commands, in UI units.
    EXPECT_EQ(query("getAttr root.r"), "10 20 30");
    EXPECT_EQ(query("getAttr root.label"), "say \"hi\"\\ back\nnext\ttab");
    EXPECT_EQ(query("getAttr root.names"), "a b c\"q");
    EXPECT_EQ(query("lockNode -q -l \"other|child\""), "1");
    EXPECT_EQ(query("ls -sl"), "other|child root");
}

TEST_F(MaRoundTrip, UnitsAreThoseOfTheFile) {
    ASSERT_TRUE(mel("currentUnit -l millimeter -a radian; createNode transform -n a; setAttr a.tx 10; setAttr a.rx 1.5;").ok);
    const std::string path = temp("units.ma");
    ASSERT_TRUE(mel("file -rename \"" + path + "\"; file -f -save -type \"mayaAscii\";").ok);
    const std::string text = readFile(path);
    EXPECT_NE(text.find("currentUnit -l millimeter -a radian -t film;"), std::string::npos) << text.substr(0, 400);
    EXPECT_NE(text.find("setAttr \".t\" -type \"double3\" 10 0 0;"), std::string::npos);
    ASSERT_TRUE(mel("file -f -new; currentUnit -l centimeter -a degree; file -f -o \"" + path + "\";").ok);
    ASSERT_TRUE(mel("currentUnit -l centimeter -a degree;").ok);
    EXPECT_EQ(query("getAttr a.tx"), "1");
    EXPECT_EQ(query("getAttr a.rx"), num(1.5 * 180 / M_PI));
}

TEST_F(MaRoundTrip, KeptConstructsOfOtherPipelines) {
    const char* text =
        "file -r -ns \"ns\" -rfn \"nsRN\" -op \"v=0;\" -typ \"mayaAscii\" \"/refs/ship.ma\";\n"
        "requires \"studioPlugin\" \"1.2 - beta\";\n"
        "fileInfo \"license\" \"student \\\"x\\\"\";\n"
        "dataStructure -fmt \"raw\" -as \"name=tags:string=tag\";\n"
        "createNode fancyPluginNode -n f;\n"
        "\tsetAttr \".foo\" 3;\n"
        "\tsetAttr \".bar[2].baz\" -type \"string\" \"x y\";\n"
        "createNode transform -n t;\n"
        "\tsetAttr \".studioTag\" -type \"string\" \"hull\";\n"
        "select -ne :hardwareRenderingGlobals;\n"
        "\tsetAttr \".vac\" 2;\n"
        "connectAttr \"f.out\" \"t.tx\";\n"
        "connectAttr \"ns:hull.msg\" \"t.tags\" -na;\n"
        "relationship \"link\" \"f\" \"t.message\";\n";
    host::files::MaReadResult r = readMayaAsciiText(text, "kept.ma");
    ASSERT_TRUE(r.ok) << r.error;
    expectRoundTrip("kept.ma");
    const std::string saved = readFile(files_.back());
    for (const char* want : {"file -r -ns \"ns\" -rfn \"nsRN\" -op \"v=0;\" -typ \"mayaAscii\" \"/refs/ship.ma\";",
                             "requires \"studioPlugin\" \"1.2 - beta\";", "fileInfo \"license\" \"student \\\"x\\\"\";",
                             "dataStructure -fmt \"raw\" -as \"name=tags:string=tag\";", "createNode fancyPluginNode -n \"f\";",
                             "setAttr \".bar[2].baz\" -type \"string\" \"x y\";", "select -ne :hardwareRenderingGlobals;",
                             "connectAttr \"f.out\" \"t.tx\";", "relationship \"link\" \"f\" \"t.message\";"})
        EXPECT_NE(saved.find(want), std::string::npos) << "missing: " << want << "\n" << saved;
}

TEST_F(MaRoundTrip, ExportSelectionWritesOnlyTheSelectedHierarchy) {
    ASSERT_TRUE(mel("createNode transform -n keep; createNode transform -n kid -p keep; createNode transform -n drop;"
                    "setAttr kid.tx 2; connectAttr keep.tx kid.ty; connectAttr drop.tx keep.tz; select -r keep;")
                    .ok);
    const std::string path = temp("sel.ma");
    ASSERT_TRUE(mel("file -f -es -type \"mayaAscii\" \"" + path + "\";").ok);
    ASSERT_TRUE(mel("file -f -new; file -f -o \"" + path + "\";").ok);
    EXPECT_EQ(query("objExists keep; objExists drop"), "0");
    EXPECT_EQ(query("getAttr kid.tx"), "2");
    EXPECT_EQ(query("listConnections -s 1 -d 0 kid.ty"), "keep");
}

TEST(MaText, NumbersAndStringsReadBackExactly) {
    for (double v : {0.1, 1.0 / 3.0, -2.5e-300, 1e21, 123456789.125, -0.0}) {
        const std::string t = host::files::formatNumber(v);
        EXPECT_EQ(std::strtod(t.c_str(), nullptr), v) << t;
    }
    EXPECT_EQ(host::files::formatFloatNumber(0.1f), "0.1");
    EXPECT_EQ(host::files::melQuote("a\"b\\c\nd\te"), "\"a\\\"b\\\\c\\nd\\te\"");
}

}  // namespace
