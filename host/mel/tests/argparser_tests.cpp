#include "mel/command.h"

#include <gtest/gtest.h>

using namespace host::mel;

namespace {

ArgParser setAttrLike() {
    ArgParser p("setAttr");
    p.flag("type", "type", {ArgType::String})
        .flag("k", "keyable", {ArgType::Bool})
        .flag("l", "lock", {ArgType::Bool})
        .flag("s", "size", {ArgType::Int})
        .flag("c", "clamp")
        .flag("ca", "caching", {ArgType::Bool})
        .flag("av", "alteredValue")
        .flag("x", "index", {ArgType::Int, ArgType::Float}, true)
        .queryFlag("q", "query")
        .objects(1);
    return p;
}

std::vector<Value> words(std::initializer_list<Value> w) { return std::vector<Value>(w); }

std::string errorOf(const ArgParser& p, const std::vector<Value>& w) {
    try {
        p.parse(w);
    } catch (const CommandError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ArgParser, FlagsArgumentsAndObjects) {
    ArgParser p = setAttrLike();
    ParsedArgs a = p.parse(words({"-k", "on", ".tx", "-type", "float3", 1, 2.5, "3", "-lock", 0}));
    EXPECT_TRUE(a.isSet("keyable"));
    EXPECT_TRUE(a.isSet("-k"));
    EXPECT_TRUE(a.flagBool("k"));
    EXPECT_FALSE(a.flagBool("l"));
    EXPECT_EQ(a.flagString("type"), "float3");
    EXPECT_FALSE(a.isSet("s"));
    EXPECT_EQ(a.flagIntOr("s", 7), 7);
    EXPECT_FALSE(a.isQuery());
    ASSERT_EQ(a.objects().size(), 4u);
    EXPECT_EQ(a.objects()[0], Value(".tx"));
    EXPECT_EQ(a.objects()[2], Value(2.5));
    EXPECT_EQ(a.objects()[3], Value("3"));
}

TEST(ArgParser, MultiUseFlagsKeepEveryUse) {
    ArgParser p = setAttrLike();
    ParsedArgs a = p.parse(words({"-x", 1, 0.5, "-index", "2", "3.5", "n.a"}));
    ASSERT_EQ(a.useCount("x"), 2u);
    EXPECT_EQ(a.flagInt("x", 0, 1), 2);
    EXPECT_DOUBLE_EQ(a.flagFloat("index", 1, 1), 3.5);
    EXPECT_DOUBLE_EQ(a.flagFloat("x", 1, 0), 0.5);
}

TEST(ArgParser, QueryModeFlagsTakeNoArguments) {
    ArgParser p = setAttrLike();
    ParsedArgs a = p.parse(words({"-q", "-type", "-k", "n.a"}));
    EXPECT_TRUE(a.isQuery());
    EXPECT_TRUE(a.isSet("type"));
    EXPECT_TRUE(a.isSet("keyable"));
    ASSERT_EQ(a.objects().size(), 1u);
}

struct ErrCase {
    std::vector<Value> words;
    const char* error;
};

TEST(ArgParser, HostStyleErrors) {
    ArgParser p = setAttrLike();
    const ErrCase cases[] = {
        {{"-foo", "n.a"}, "setAttr: Invalid flag '-foo'"},
        {{"n.a", "-type"}, "setAttr: Flag '-type' needs 1 argument(s)"},
        {{"-x", 1}, "setAttr: Flag '-index' needs 2 argument(s)"},
        {{"-s", "big", "n.a"}, "setAttr: Invalid argument 1 for flag '-size'. Expected int, got string \"big\""},
        {{"-k", "maybe", "n.a"}, "setAttr: Invalid argument 1 for flag '-keyable'. Expected boolean, got string \"maybe\""},
        {{"-x", 1, "z", "n.a"}, "setAttr: Invalid argument 2 for flag '-index'. Expected float, got string \"z\""},
        {{"-type", std::vector<std::string>{"a"}, "n.a"}, "setAttr: Invalid argument 1 for flag '-type'. Expected string, got string[]"},
        {{"-c", "-c", "n.a"}, "setAttr: Flag '-clamp' can only be used once"},
        {{"-c"}, "setAttr: Not enough objects or values."},
    };
    for (const auto& c : cases) EXPECT_EQ(errorOf(p, c.words), c.error);
    EXPECT_EQ(errorOf(ArgParser("about").objects(0, 0), words({"x"})), "about: Too many objects or values.");
}

TEST(ArgParser, NegativeNumbersAreNotFlags) {
    ArgParser p("move");
    p.flag("r", "relative").objects(3, 3);
    ParsedArgs a = p.parse(words({"-r", 0, -1, "-2.5"}));
    EXPECT_TRUE(a.isSet("r"));
    ASSERT_EQ(a.objects().size(), 3u);
    EXPECT_EQ(a.objects()[1], Value(-1));
    EXPECT_EQ(a.objects()[2], Value("-2.5"));
}

TEST(ValueConversions, Table) {
    struct C {
        Value in;
        Type to;
        Value out;
    };
    const C cases[] = {
        {Value(3.99), Type::Int, Value(3)},
        {Value(-3.99), Type::Int, Value(-3)},
        {Value("  42xyz"), Type::Int, Value(42)},
        {Value("-1.5e1"), Type::Float, Value(-15.0)},
        {Value("nothing"), Type::Float, Value(0.0)},
        {Value(1.0 / 3), Type::String, Value("0.333333")},
        {Value(100000.0), Type::String, Value("100000")},
        {Value(1234567.0), Type::String, Value("1.23457e+06")},
        {Value(1e-5), Type::String, Value("1e-05")},
        {Value(7), Type::String, Value("7")},
        {Value(Vec3{0, 3, 4}), Type::Float, Value(5.0)},
        {Value("1 2 3"), Type::Vector, Value(Vec3{1, 2, 3})},
        {Value(2), Type::Vector, Value(Vec3{2, 2, 2})},
        {Value(std::vector<int>{1, 2}), Type::StringArray, Value(std::vector<std::string>{"1", "2"})},
        {Value(std::vector<std::string>{"1.5", "x"}), Type::FloatArray, Value(std::vector<double>{1.5, 0})},
        {Value(), Type::Int, Value(0)},
    };
    for (const auto& c : cases) {
        Value out;
        ASSERT_TRUE(c.in.convertTo(c.to, out)) << typeName(c.in.type()) << " -> " << typeName(c.to);
        EXPECT_EQ(out, c.out) << c.in.asString() << " -> " << typeName(c.to) << " gave " << out.asString();
    }
    Value out;
    EXPECT_FALSE(Value(std::vector<int>{1}).convertTo(Type::Int, out));
    EXPECT_FALSE(Value(1).convertTo(Type::IntArray, out));
    EXPECT_EQ(Value(1).convertedTo(Type::IntArray), Value(std::vector<int>{1}));
}
