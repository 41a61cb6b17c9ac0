#include "batch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct BatchRun {
    int status = -1;
    std::string out, err;
};

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string shellQuote(const std::string& s) {
    std::string r = "'";
    for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vl2batch.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf " + shellQuote(dir)).c_str()); }

    BatchRun vl2batch(const std::vector<std::string>& args) {
        std::string cmd = "MAYA_PLUG_IN_PATH=" + shellQuote(VL2_TEST_PLUGIN_DIR) + " " +
                          shellQuote(std::string(VL2_BIN_DIR) + "/vl2batch");
        for (const auto& a : args) cmd += " " + shellQuote(a);
        cmd += " >" + shellQuote(dir + "/out") + " 2>" + shellQuote(dir + "/err");
        BatchRun r;
        int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(dir + "/out");
        r.err = slurp(dir + "/err");
        return r;
    }
    std::string dir;
};

// A small hierarchy built by MEL: b under a, c at the top.
const char* kScene =
    "createNode transform -n a; setAttr a.t 1 2 3;"
    "createNode transform -n b -p a; setAttr b.t 10 0 0;"
    "createNode transform -n c; setAttr c.t -1 -1 -1;";

TEST_F(Batch, TranslatorFromPluginExportsSceneBuiltByMel) {
    std::string out = dir + "/scene.dagl";
    BatchRun r = vl2batch({"-command", std::string("loadPlugin TestPlugin;") + kScene +
                                      "file -f -options \"k=1;j=2\" -type dagList -ea \"" + out + "\";"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = slurp(out);
    EXPECT_NE(text.find("options k=1;j=2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mode 4\n"), std::string::npos) << text;
    EXPECT_NE(text.find("|a 1 2 3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("|a|b 11 2 3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("|c -1 -1 -1\n"), std::string::npos) << text;
    // Depth-first, children right after their parent; default cameras are not user nodes.
    EXPECT_LT(text.find("|a 1"), text.find("|a|b 11"));
    EXPECT_LT(text.find("|a|b 11"), text.find("|c -1"));
    EXPECT_EQ(text.find("persp"), std::string::npos) << text;
}

TEST_F(Batch, ExportShorthandPassesOptionsAndSelectionMode) {
    struct Case { bool selected; const char* mode; };
    for (const Case& c : {Case{false, "mode 4\n"}, Case{true, "mode 5\n"}}) {
        std::string out = dir + "/x.dagl";
        std::vector<std::string> args = {"-noautoload", "-plugin", "TestPlugin", "-command", kScene,
                                         "-export", "dagList", "-options", "exportType=2", "-o", out};
        if (c.selected) args.push_back("-selected");
        BatchRun r = vl2batch(args);
        ASSERT_EQ(r.status, 0) << r.err;
        std::string text = slurp(out);
        EXPECT_NE(text.find(c.mode), std::string::npos) << text;
        EXPECT_NE(text.find("options exportType=2\n"), std::string::npos) << text;
    }
}

TEST_F(Batch, ImportWithoutTypeAsksTranslatorsToIdentifyTheFile) {
    std::string in = dir + "/in.txt";
    std::ofstream(in) << "DAGLIST\nrock 4 5 6\n";
    BatchRun r = vl2batch({"-plugin", "TestPlugin", "-import", in, "-command",
                      "float $p[] = `getAttr rock.t`; print($p[0] + \",\" + $p[1] + \",\" + $p[2] + \"\\n\");"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("4,5,6\n"), std::string::npos) << r.out;
}

TEST_F(Batch, PluginCommandWithSyntaxAndResults) {
    BatchRun r = vl2batch({"-plugin", "TestPlugin", "-command",
                      "string $r[] = `testGreet -n \"Ann\" -r 2 x y`; print(size($r) + \":\" + $r[0] + \"|\" + $r[3] + \"\\n\");"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("4:hello Ann|hi y\n"), std::string::npos) << r.out;

    r = vl2batch({"-plugin", "TestPlugin", "-command", "testGreet -bogus 1;"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("// Error: Invalid flag '-bogus'"), std::string::npos) << r.err;
}

TEST_F(Batch, PluginInfoAndUnload) {
    BatchRun r = vl2batch({"-noautoload", "-command",
                      "loadPlugin TestPlugin;"
                      "print(`pluginInfo -q -vd TestPlugin` + \"/\" + `pluginInfo -q -v TestPlugin` + \"\\n\");"
                      "unloadPlugin TestPlugin;"
                      "print(`pluginInfo -q -l TestPlugin` + \"\\n\");"
                      "testGreet;"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Test Vendor/0.1\n0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("testGreet"), std::string::npos) << r.err;
}

TEST_F(Batch, FailuresGiveHostErrorsAndStatus) {
    struct Case { std::vector<std::string> args; int status; const char* err; };
    const Case cases[] = {
        {{"-command", "noSuchCommand 1;"}, 1, "// Error: "},
        {{"-command", "loadPlugin NoSuchPlugin;"}, 1, "was not found on MAYA_PLUG_IN_PATH"},
        {{"-command", "file -type noSuchType -ea \"/tmp/x\";"}, 1, "Invalid file type specified: noSuchType"},
        {{"-command", "print(\"unterminated);"}, 1, "// Error: "},
        {{"-bogus"}, 2, "unknown option -bogus"},
        {{"-export", "dagList"}, 2, "needs -o PATH"},
        {{"-file", "/nonexistent/script.mel"}, 1, "// Error: "},
    };
    for (const Case& c : cases) {
        BatchRun r = vl2batch(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args[0] << ": " << r.err;
    }
}

TEST_F(Batch, StepsRunInOrderAndStopAtFirstFailure) {
    BatchRun r = vl2batch({"-command", "print(\"one\\n\");", "-command", "error \"two failed\";", "-command",
                      "print(\"three\\n\");"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("one\n"), std::string::npos);
    EXPECT_EQ(r.out.find("three"), std::string::npos);
    EXPECT_NE(r.err.find("two failed"), std::string::npos) << r.err;
}

TEST_F(Batch, HelpNamesTheJobs) {
    BatchRun r = vl2batch({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* word : {"-export", "-command", "-file", "MAYA_PLUG_IN_PATH", "-import"})
        EXPECT_NE(r.out.find(word), std::string::npos) << word;
}

TEST(BatchArgs, PathsAreQuotedIntoMelIntact) {
    vl2batch::Options o;
    std::string error;
    ASSERT_TRUE(vl2batch::parseArgs({"-export", "vlm", "-o", "/tmp/a \"b\"\\c.vlm", "-options", "x=1"}, o, &error));
    ASSERT_EQ(o.steps.size(), 1u);
    EXPECT_EQ(vl2batch::melFor(o.steps[0]),
              "file -f -type \"vlm\" -options \"x=1\" -ea \"/tmp/a \\\"b\\\"\\\\c.vlm\";");
}

}  // namespace
