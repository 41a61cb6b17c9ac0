// Procedures found on the script path, and encodeString, as the game's
// script library relies on them.
#include "mel/interpreter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class AutoLoad : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vl2mel_auto_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        const char* old = std::getenv("MAYA_SCRIPT_PATH");
        saved = old ? old : "";
        hadOld = old != nullptr;
        ::setenv("MAYA_SCRIPT_PATH", dir.string().c_str(), 1);
        auto& in = host::mel::interpreter();
        in.resetSession();
        in.setOutputSink([this](const std::string& s) { out += s; });
        in.setErrorSink([this](const std::string& s) { err += s; });
    }
    void TearDown() override {
        auto& in = host::mel::interpreter();
        in.resetSinks();
        in.resetSession();
        if (hadOld) ::setenv("MAYA_SCRIPT_PATH", saved.c_str(), 1);
        else ::unsetenv("MAYA_SCRIPT_PATH");
        fs::remove_all(dir);
    }
    void script(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }

    fs::path dir;
    std::string saved, out, err;
    bool hadOld = false;
};

TEST_F(AutoLoad, UnknownProcedureIsSourcedFromItsScriptAndCalled) {
    script("greetPerson.mel",
           "proc string helper(string $n) { return (\"hi \" + $n); }\n"
           "global proc string greetPerson(string $n) { return helper($n); }\n");
    auto r = host::mel::interpreter().execute("print(greetPerson(\"Ann\") + \"\\n\"); greetPerson \"Bo\";");
    ASSERT_TRUE(r.ok) << err;
    EXPECT_EQ(out, "hi Ann\n");
    EXPECT_EQ(r.value.asString(), "hi Bo");
}

TEST_F(AutoLoad, ScriptWithoutTheProcedureStillFails) {
    script("notReally.mel", "global proc somethingElse() {}\n");
    script("callsItself.mel", "callsItself();\n");
    for (const char* cmd : {"notReally();", "callsItself();", "absentEverywhere 1;"}) {
        err.clear();
        auto r = host::mel::interpreter().execute(cmd);
        EXPECT_FALSE(r.ok) << cmd;
        EXPECT_NE(err.find("Cannot find procedure"), std::string::npos) << cmd << ": " << err;
    }
}

TEST_F(AutoLoad, EncodeStringMakesTextSafeInsideQuotes) {
    auto r = host::mel::interpreter().execute(
        "string $raw = \"a \\\"b\\\" c:\\\\d\\n\";"
        "string $back = eval(\"string $x = \\\"\" + encodeString($raw) + \"\\\"; $x = $x;\");"
        "encodeString($raw);");
    ASSERT_TRUE(r.ok) << err;
    EXPECT_EQ(r.value.asString(), "a \\\"b\\\" c:\\\\d\\n");
}

}  // namespace
