#include "mel_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace host::mel;

namespace {

struct Case {
    const char* script;
    const char* output;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.script; }

}  // namespace

// ------------------------------------------------------------ conversions

class Conversions : public MelTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Conversions, PrintsAsTheHost) {
    auto r = run(GetParam().script);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(out, GetParam().output);
    EXPECT_EQ(errors, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, Conversions,
    ::testing::Values(
        Case{"print (\"abc\" + 1);", "abc1"}, Case{"print (\"abc\" + 1.5);", "abc1.5"},
        Case{"print (1 + \"2\");", "12"}, Case{"print (1.0 / 3);", "0.333333"},
        Case{"print (2.0 * 0.5);", "1"}, Case{"print 1e10;", "1e+10"}, Case{"print -0.5;", "-0.5"},
        Case{"print (7 / 2);", "3"}, Case{"print (-7 / 2);", "-3"}, Case{"print (7 % 3);", "1"},
        Case{"print (7.0 / 2);", "3.5"}, Case{"float $f = 7 / 2; print $f;", "3"},
        Case{"int $i = 3.9; print $i;", "3"}, Case{"int $i = -3.9; print $i;", "-3"},
        Case{"int $i = \"12abc\"; print $i;", "12"}, Case{"int $i = \"abc\"; print $i;", "0"},
        Case{"float $f = \"1.5e2x\"; print $f;", "150"}, Case{"float $f = \" 2.5\"; print $f;", "2.5"},
        Case{"string $s = 0.1 + 0.2; print $s;", "0.3"}, Case{"string $s = 10; print ($s + 1);", "101"},
        Case{"vector $v = <<3,4,0>>; float $f = $v; print $f;", "5"},
        Case{"string $s = <<1,2.5,3>>; print $s;", "1 2.5 3"},
        Case{"vector $v = \"1 2 3\"; print ($v.z);", "3"},
        Case{"print (int(\"42\") + 1);", "43"}, Case{"print (string(3) + 4);", "34"},
        Case{"print (1 + 2 * 3);", "7"}, Case{"print ((1 + 2) * 3);", "9"},
        Case{"print (2 > 1 && 0);", "0"}, Case{"print (!0);", "1"}, Case{"print (0 || 3);", "1"},
        Case{"print (1 ? \"a\" : \"b\");", "a"}, Case{"print (5 == 5.0);", "1"},
        Case{"print (\"a\" < \"b\");", "1"}, Case{"print (\"a\" == \"a\");", "1"},
        Case{"print (<<1,0,0>> ^ <<0,1,0>>);", "0 0 1"}, Case{"print (<<1,2,3>> * <<1,1,1>>);", "6"},
        Case{"print (<<1,2,3>> * 2);", "2 4 6"}, Case{"print (2147483647 + 1);", "-2147483648"},
        Case{"int $i = 5; $i += 2; $i *= 3; $i -= 1; $i /= 4; print $i;", "5"},
        Case{"int $i = 1; print ($i++); print $i; print (++$i);", "123"},
        Case{"string $s = \"a\"; $s += \"b\"; print $s;", "ab"},
        Case{"print (true); print (off); print true;", "10true"}, Case{"print 0x1F;", "31"},
        Case{"print \"tab\\there\\n\\\"q\\\"\";", "tab\there\n\"q\""}));

TEST_F(MelTest, ArraysPrintOneElementPerLine) {
    ASSERT_TRUE(run("int $a[] = {1,2,3}; print $a; float $f[] = {0.5, 1}; print $f;"
                    "string $s[] = {\"x\", \"y\"}; print $s; vector $v[] = {<<1,2,3>>}; print $v;"));
    EXPECT_EQ(out, "1\n2\n3\n0.5\n1\nx\ny\n1 2 3\n");
}

// ------------------------------------------------------------ procs and scopes

TEST_F(MelTest, GlobalsAreVisibleOnlyWhereDeclaredGlobal) {
    ASSERT_TRUE(run("global int $gCount = 5; global proc show() { global int $gCount; print $gCount; $gCount++; }"
                    "show(); show();"));
    EXPECT_EQ(out, "56");
    auto r = run("global proc peek() { print $gCount; } peek();");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "line 1: \"$gCount\" is an undeclared variable.");
    Value v;
    ASSERT_TRUE(interpreter().getGlobal("$gCount", v));
    EXPECT_EQ(v, Value(7));
}

TEST_F(MelTest, BlockLocalsEndWithTheBlockAndProcsCannotSeeCallerLocals) {
    EXPECT_FALSE(run("{ int $inner = 1; } print $inner;").ok);
    EXPECT_FALSE(run("int $mine = 3; proc p() { print $mine; } p();").ok);
    ASSERT_TRUE(run("int $x = 1; { int $x = 2; print $x; } print $x;"));
    EXPECT_EQ(out, "21");
}

TEST_F(MelTest, RecursionOverridingAndArrayParameters) {
    ASSERT_TRUE(run("global proc int fact(int $n) { if ($n <= 1) return 1; return $n * fact($n - 1); }"
                    "print (fact(10));"));
    ASSERT_TRUE(run("global proc string[] rev(string $a[]) { string $r[]; for ($i = size($a) - 1; $i >= 0; $i--)"
                    " $r[size($r)] = $a[$i]; return $r; }"
                    "string $x[] = rev({\"a\", \"b\", \"c\"}); print (stringArrayToString($x, \",\"));"));
    ASSERT_TRUE(run("global proc int f() { return 1; } global proc int f() { return 2; } print (f());"));
    EXPECT_EQ(out, "3628800c,b,a2");
    EXPECT_TRUE(interpreter().procExists("fact"));
    auto r = interpreter().callProc("fact", {Value(5)});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.value, Value(120));
    // Arguments in command syntax convert to the parameter types.
    auto c = run("fact 4");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.value, Value(24));
}

TEST_F(MelTest, ProcArgumentErrors) {
    auto r = run("global proc takesArray(int $a[]) {}\ntakesArray(1);");
    EXPECT_EQ(r.error, "line 2: Cannot convert data of type int to type int[] in argument 1 of takesArray.");
    r = run("global proc two(int $a, int $b) {} two(1);");
    EXPECT_EQ(r.error, "line 1: Wrong number of arguments on call to two.");
    r = run("global proc int bad() { return {1}; } bad();");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("Cannot convert return value of type int[] to type int"), std::string::npos);
}

TEST_F(MelTest, VoidProcReturnsNothingAndReturnTypeConverts) {
    auto r = run("global proc float half(int $i) { return $i / 2; } half(5);");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.value, Value(2.0));  // int division first, then the float return type
    r = run("global proc v() { return; } v();");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.value.isNone());
}

// ------------------------------------------------------------ arrays and control flow

TEST_F(MelTest, ArrayGrowthSizeClearAndForIn) {
    ASSERT_TRUE(run("int $a[]; $a[5] = 1; print (size($a)); print $a[2]; print $a[99];"
                    "int $b[3]; print (size($b)); clear $b; print (size($b));"
                    "string $s[]; $s[size($s)] = \"p\"; $s[size($s)] = \"q\"; for ($e in $s) print (\"<\" + $e + \">\");"
                    "for (string $t in {\"m\", \"n\"}) print $t;"
                    "vector $v[]; $v[1] = <<1,2,3>>; print ($v[1].y);"));
    EXPECT_EQ(out, "600" "30" "<p><q>" "mn" "2");
    auto r = run("int $a[]; $a[-1] = 2;");
    EXPECT_EQ(r.error, "line 1: Array index out of bounds: -1.");
    r = run("int $a[]; $a[1000000000] = 2;");
    EXPECT_FALSE(r.ok);  // refused, not a 4 GB allocation
}

TEST_F(MelTest, ControlFlow) {
    ASSERT_TRUE(run("for ($i = 0; $i < 10; $i++) { if ($i == 2) continue; if ($i == 5) break; print $i; }"
                    "int $n = 3; while ($n > 0) { print $n; $n--; }"
                    "do { print \"d\"; } while (0);"
                    "for ($k = 1; $k <= 4; $k++) { switch ($k) { case 1: print \"one\"; break;"
                    " case 2: print \"two\"; case 3: print \"three\"; break; default: print \"other\"; } }"
                    "switch (\"b\") { case \"a\": print \"A\"; break; case \"b\": print \"B\"; break; }"
                    "if (0) print \"no\"; else if (1) print \"yes\"; else print \"no\";"
                    "for ($i = 0, $j = 10; $i < $j; $i += 4, $j--) print ($i + \"/\" + $j + \" \");"));
    EXPECT_EQ(out, "0134" "321" "d" "onetwothreethreeother" "B" "yes" "0/10 4/9 ");
}

// ------------------------------------------------------------ call syntaxes

TEST_F(MelTest, BothCallSyntaxesGiveTheSameWords) {
    std::vector<std::vector<Value>> calls;
    auto& in = interpreter();
    ASSERT_TRUE(in.registerCommand("melTestRecord", [&](CommandContext& c) {
        calls.push_back(c.args());
        return Value(static_cast<int>(c.argCount()));
    }));
    EXPECT_FALSE(in.registerCommand("melTestRecord", [](CommandContext&) { return Value(); }));
    ASSERT_TRUE(run("string $n = \"node1\"; melTestRecord -flag 1 \"a b\" bare 2.5 -3 $n (1 + 1) {\"x\"} <<1,2,3>>;"
                    "melTestRecord(\"-flag\", 1, \"a b\", \"bare\", 2.5, -3, $n, 1 + 1, {\"x\"}, <<1,2,3>>);"));
    in.unregisterCommand("melTestRecord");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], calls[1]);
    const auto& w = calls[0];
    ASSERT_EQ(w.size(), 10u);
    EXPECT_EQ(w[0], Value("-flag"));
    EXPECT_EQ(w[1], Value(1));
    EXPECT_EQ(w[2], Value("a b"));
    EXPECT_EQ(w[3], Value("bare"));
    EXPECT_EQ(w[4], Value(2.5));
    EXPECT_EQ(w[5], Value(-3));
    EXPECT_EQ(w[6], Value("node1"));
    EXPECT_EQ(w[7], Value(2));
    EXPECT_EQ(w[8], Value(std::vector<std::string>{"x"}));
    EXPECT_EQ(w[9], Value(Vec3{1, 2, 3}));
}

TEST_F(MelTest, BackquotesAndCommandResults) {
    auto& in = interpreter();
    in.registerCommand("melTestList", [](CommandContext& c) {
        std::vector<std::string> r;
        for (const auto& a : c.args()) r.push_back(a.asString() + "_x");
        return Value(r);
    });
    ASSERT_TRUE(run("string $r[] = `melTestList a b`; print (size($r)); print $r[1];"
                    "print (`melTestList c` == {\"c_x\"});"));
    EXPECT_EQ(out, "2b_x1");
    auto r = run("melTestList q r");
    in.unregisterCommand("melTestList");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.value, Value(std::vector<std::string>{"q_x", "r_x"}));
    r = run("1 + 2;");
    EXPECT_EQ(r.value, Value(3));
}

TEST_F(MelTest, CommandErrorsAndWarnings) {
    auto& in = interpreter();
    in.registerCommand("melTestFail", [](CommandContext& c) -> Value {
        c.warning("careful");
        c.fail("it broke");
    });
    auto r = run("print \"a\";\nmelTestFail;\nprint \"b\";", "/scripts/x.mel");
    in.unregisterCommand("melTestFail");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(out, "a");  // the failure stops the script
    EXPECT_EQ(warnings, "// Warning: careful //\n");
    EXPECT_EQ(errors, "// Error: file: /scripts/x.mel line 2: it broke //\n");
    EXPECT_EQ(r.error, "file: /scripts/x.mel line 2: it broke");
}

// ------------------------------------------------------------ catch, eval, evalDeferred

TEST_F(MelTest, CatchStopsTheFailureAndCatchQuietIsSilent) {
    ASSERT_TRUE(run("int $c = catch(`error \"boom\"`); print $c; print (catchQuiet(noSuchProc()));"
                    "print (catch(eval(\"int $q = 1;\")));"
                    "global proc deep() { int $x = 1; error \"inside\"; } print (catchQuiet(deep())); print \"end\";"));
    EXPECT_EQ(out, "110" "1end");
    EXPECT_EQ(errors, "// Error: line 1: boom //\n");
}

TEST_F(MelTest, EvalRunsTextAndItsErrorsReachCatch) {
    auto r = run("string $cmd = \"print \\\"hi\\\"\"; eval $cmd; eval(\"print 1\"); eval print 2;");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(out, "hi12");
    r = run("eval(\"undefinedThing\");");
    EXPECT_EQ(r.error, "line 1: Cannot find procedure \"undefinedThing\".");
    r = run("eval(\"3 * 4\");");
    EXPECT_EQ(r.value, Value(12));
}

TEST_F(MelTest, EvalDeferredRunsAfterTheTopLevelCommandInOrder) {
    ASSERT_TRUE(run("evalDeferred \"print 3\"; evalDeferred(\"print 4\");"
                    "global proc q() { evalDeferred \"print 5\"; print 2; }"
                    "print 1; q();"));
    EXPECT_EQ(out, "12345");
    out.clear();
    // A plug-in's own nested execute does not run the queue early.
    interpreter().registerCommand("melTestNested", [](CommandContext& c) {
        c.interpreter().execute("evalDeferred \"print 9\"; print 7;");
        c.print("8");
        return Value();
    });
    ASSERT_TRUE(run("melTestNested;"));
    interpreter().unregisterCommand("melTestNested");
    EXPECT_EQ(out, "789");
}

// ------------------------------------------------------------ source

TEST_F(MelTest, SourceFindsScriptsOnMayaScriptPath) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("mel_src_" + std::to_string(::getpid()));
    fs::create_directories(dir / "b");
    {
        std::ofstream(dir / "b" / "melTestLib.mel") << "// library\nglobal proc string libHello() { return \"hello\"; }\n";
        std::ofstream(dir / "b" / "broken.mel") << "print \"x\";\n\nnoSuchCommandHere;\nprint \"y\";\n";
    }
    const char* old = std::getenv("MAYA_SCRIPT_PATH");
    std::string saved = old ? old : "";
    setenv("MAYA_SCRIPT_PATH", ((dir / "a").string() + ":" + (dir / "b").string()).c_str(), 1);
    auto r = run("source melTestLib; print (libHello());");
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(out, "hello");
    r = run("source \"broken.mel\";");
    EXPECT_EQ(r.error, "file: " + (dir / "b" / "broken.mel").string() + " line 3: Cannot find procedure \"noSuchCommandHere\".");
    r = run("source nowhere;");
    EXPECT_EQ(r.error, "line 1: Cannot find file \"nowhere\" for source statement.");
    auto s = interpreter().sourceFile("melTestLib.mel");
    EXPECT_TRUE(s.ok);
    if (old) setenv("MAYA_SCRIPT_PATH", saved.c_str(), 1);
    else unsetenv("MAYA_SCRIPT_PATH");
    fs::remove_all(dir);
}

// ------------------------------------------------------------ bad input

struct BadCase {
    const char* script;
    const char* error;  // expected error text (sourced as /s/bad.mel)
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.script; }

class BadInput : public MelTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadInput, FailsWithAHostStyleMessage) {
    auto r = run(GetParam().script, "/s/bad.mel");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, GetParam().error);
    EXPECT_EQ(errors, "// Error: " + std::string(GetParam().error) + " //\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadInput,
    ::testing::Values(
        BadCase{"print 1;\nfoo;", "file: /s/bad.mel line 2: Cannot find procedure \"foo\"."},
        BadCase{"print 1;\nfoo(1, 2);", "file: /s/bad.mel line 2: Cannot find procedure \"foo\"."},
        BadCase{"\n\nprint \"abc;", "file: /s/bad.mel line 3: Unterminated string."},
        BadCase{"if (1) {\n print 1;\n", "file: /s/bad.mel line 1: Syntax error: block is missing its closing '}'."},
        BadCase{"global proc p() {\n", "file: /s/bad.mel line 1: Syntax error: block is missing its closing '}'."},
        BadCase{"print 1; /* never closed", "file: /s/bad.mel line 1: Unterminated comment."},
        BadCase{"int $a = 1 +;", "file: /s/bad.mel line 1: Syntax error"},
        BadCase{"\n\xff\xfe\x01 junk;", "file: /s/bad.mel line 2: Syntax error"},
        BadCase{"print (1;", "file: /s/bad.mel line 1: Syntax error"},
        BadCase{"\nprint $nope;", "file: /s/bad.mel line 2: \"$nope\" is an undeclared variable."},
        BadCase{"int $a; string $a;", "file: /s/bad.mel line 1: Invalid redeclaration of variable \"$a\" as a different type."},
        BadCase{"print (1 / 0);", "file: /s/bad.mel line 1: Division by zero."},
        BadCase{"string $s[] = 5;", "file: /s/bad.mel line 1: Cannot convert data of type int to type string[]."},
        BadCase{"about -foo;", "file: /s/bad.mel line 1: about: Invalid flag '-foo'"},
        BadCase{"substring \"a\";", "file: /s/bad.mel line 1: Wrong number of arguments on call to substring."},
        BadCase{"print 1 2;", "file: /s/bad.mel line 1: Wrong number of arguments on call to print."},
        BadCase{"matrix $m[4][4];", "file: /s/bad.mel line 1: The matrix type is not supported."},
        BadCase{"error \"custom\";", "file: /s/bad.mel line 1: custom"},
        BadCase{"python(\"print 1\");", "file: /s/bad.mel line 1: Cannot find procedure \"python\"."}));

TEST_F(MelTest, RunawayRecursionFailsInsteadOfOverflowing) {
    // Which limit trips first (call depth or stack budget) depends on the build's frame sizes.
    auto r = run("global proc r(int $n) { r($n + 1); }\nr(0);", "/s/bad.mel");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error.rfind("file: /s/bad.mel line 1: Maximum ", 0), 0u) << r.error;
    EXPECT_TRUE(run("global proc int r2(int $n) { if ($n == 0) return 0; return 1 + r2($n - 1); } print (r2(200));").ok);
    EXPECT_EQ(out, "200");
}

TEST_F(MelTest, DeepNestingFailsInsteadOfOverflowing) {
    std::string deep(100000, '(');
    auto r = run("print " + deep + "1;");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "line 1: Statement nested too deeply.");
    std::string blocks;
    for (int i = 0; i < 5000; ++i) blocks += "{";
    r = run(blocks);
    EXPECT_FALSE(r.ok);
    // The interpreter is usable afterwards.
    EXPECT_TRUE(run("print \"ok\";").ok);
    EXPECT_EQ(out, "ok");
}

TEST_F(MelTest, GarbageNeverCrashes) {
    // Byte soup and truncations of a valid script: every prefix either runs or fails cleanly.
    const std::string script =
        "global proc string j(string $a[]) { string $r; for ($x in $a) $r += $x + \"|\"; return $r; }\n"
        "string $v[] = {\"a\", \"b\"}; vector $p = <<1, 2, 3>>; int $i = `size $v`;\n"
        "if ($i > 1 && $p.x < 2) { print (j($v)); } else { /* c */ print \"n\"; }\n";
    for (std::size_t n = 0; n <= script.size(); ++n) {
        auto r = interpreter().execute(script.substr(0, n), "/s/t.mel");
        if (!r.ok) {
            EXPECT_EQ(r.error.rfind("file: /s/t.mel line ", 0), 0u) << r.error;
        }
    }
    unsigned s = 1;
    for (int k = 0; k < 300; ++k) {
        std::string junk;
        for (int i = 0; i < 64; ++i) {
            s = s * 1103515245u + 12345u;
            static const char alphabet[] = "$(){}[]<>;\"`'+-*/=!&|?:,.x1 \n\\";
            junk += alphabet[(s >> 16) % (sizeof alphabet - 1)];
        }
        auto r = interpreter().execute(junk);
        if (!r.ok) {
            EXPECT_FALSE(r.error.empty());
        }
    }
    EXPECT_TRUE(run("print \"alive\";").ok);
}

// ------------------------------------------------------------ built-ins

class Builtins : public MelTest, public ::testing::WithParamInterface<Case> {};

TEST_P(Builtins, Output) {
    auto r = run(GetParam().script);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(out, GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Builtins,
    ::testing::Values(
        Case{"string $t[]; int $n = tokenize(\"a b  c\", $t); print ($n + \":\" + $t[2]);", "3:c"},
        Case{"string $t[]; tokenize \"a|b||c\" \"|\" $t; print (size($t));", "3"},
        Case{"print (substitute(\"o+\", \"foo boo\", \"0\"));", "f0 boo"},
        Case{"print (substituteAllString(\"a.b.c\", \".\", \"::\"));", "a::b::c"},
        Case{"print (match(\"[0-9]+\", \"ab123cd\"));", "123"},
        Case{"print (match(\"^x\", \"abc\"));", ""},
        Case{"print (gmatch(\"pCube12\", \"pCube*\") + gmatch(\"ab\", \"a?\") + gmatch(\"ab\", \"[xy]b\"));", "2"},
        Case{"print (strcmp(\"a\", \"b\") + \" \" + strcmp(\"b\", \"b\"));", "-1 0"},
        Case{"print (toupper(\"aB\") + tolower(\"Cd\"));", "ABcd"},
        Case{"print (substring(\"abcdef\", 2, 4) + \"|\" + substring(\"abc\", 2, 10) + \"|\" + substring(\"abc\", 3, 2));", "bcd|bc|"},
        Case{"print (\"[\" + strip(\"  x y \\n\") + \"]\");", "[x y]"},
        Case{"print (startsWith(\"CM_hull\", \"CM_\") + endsWith(\"a_LOD1\", \"_LOD1\") + startsWith(\"a\", \"ab\"));", "2"},
        Case{"print (stringArrayCount(\"a\", {\"a\", \"b\", \"a\"}));", "2"},
        Case{"print (stringArrayContains(\"z\", {\"a\"}));", "0"},
        Case{"string $r[] = stringArrayRemove({\"b\"}, {\"a\", \"b\", \"c\", \"b\"}); print $r;", "a\nc\n"},
        Case{"print (stringArrayToString(stringToStringArray(\"a,b,,c\", \",\"), \"+\"));", "a+b+c"},
        Case{"print (sort({\"b\", \"a\", \"c\"})); print (sort({3, 1, 2}));", "a\nb\nc\n1\n2\n3\n"},
        Case{"print (abs(-3) + \" \" + abs(-2.5) + \" \" + floor(2.7) + \" \" + ceil(2.1));", "3 2.5 2 3"},
        Case{"print (sqrt(16) + \" \" + pow(2, 10) + \" \" + min(3, 4) + \" \" + max(1.5, 2) + \" \" + clamp(0, 10, 12));", "4 1024 3 2 10"},
        Case{"print (rad_to_deg(atan2(1, 1)) + \" \" + deg_to_rad(180) + \" \" + cos(0));", "45 3.14159 1"},
        Case{"print (size(\"hello\") + \" \" + size({1,2}));", "5 2"},
        Case{"putenv \"MEL_TEST_VAR\" \"v1\"; print (getenv(\"MEL_TEST_VAR\") + getenv(\"MEL_TEST_UNSET_VAR\"));", "v1"},
        Case{"print (`about -batch` + \" \" + `about -linux` + \" \" + `about -os`);", "1 1 linux64"},
        Case{"print (exists(\"print\") + exists(\"nope\"));", "1"},
        Case{"global proc wi() {} int $x; print (whatIs(\"print\") + \"|\" + whatIs(\"wi\") + \"|\" + whatIs(\"$x\") + \"|\" + whatIs(\"zz\"));",
             "Command|Mel procedure entered interactively.|int variable|Unknown"},
        Case{"print (format(\"-s\", \"a\", \"-s\", \"b\", \"^2s and ^1s\"));", "b and a"},
        Case{"string $r = `confirmDialog -title \"Export\" -message \"Overwrite?\" -button \"Yes\" -button \"No\"`; print $r;",
             "confirmDialog: Export: Overwrite?\nYes"},
        Case{"print (`confirmDialog -m \"m\" -b \"Yes\" -b \"No\" -db \"No\"`);", "confirmDialog: Confirm: m\nNo"}));

TEST_F(MelTest, RandIsSeedable) {
    ASSERT_TRUE(run("seed 7; float $a = rand(1); float $b = rand(10, 20); seed 7; float $c = rand(1);"
                    "print ($a == $c); print ($a >= 0 && $a < 1); print ($b >= 10 && $b < 20);"));
    EXPECT_EQ(out, "111");
}

TEST_F(MelTest, ResetSessionDropsGlobalsAndProcs) {
    ASSERT_TRUE(run("global int $gr = 1; global proc gone() {}"));
    interpreter().resetSession();
    EXPECT_FALSE(interpreter().globalExists("gr"));
    EXPECT_FALSE(interpreter().procExists("gone"));
    EXPECT_TRUE(interpreter().hasCommand("print"));
    interpreter().setGlobal("$fromHost", Value("x"));
    ASSERT_TRUE(run("global string $fromHost; print $fromHost;"));
    EXPECT_EQ(out, "x");
}
