// Scene-file throughput: a ~50 MB script of setAttr commands run through the
// interpreter, against lexing the same text alone.
#include "mel/impl.h"
#include "mel/interpreter.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace host::mel;

namespace {

const std::string& sceneText() {
    static const std::string text = [] {
        std::string s;
        s.reserve(52u << 20);
        char buf[256];
        for (int i = 0; s.size() < (50u << 20); ++i) {
            switch (i % 8) {
            case 0:
                std::snprintf(buf, sizeof buf, "createNode mesh -n \"pCubeShape%d\" -p \"pCube%d\";\n", i, i);
                break;
            case 1:
                std::snprintf(buf, sizeof buf, "\tsetAttr -k off \".v\";\n\tsetAttr \".iog[0].og[%d].gcl\" -type \"componentList\" 1 \"f[0:5]\";\n", i % 7);
                break;
            case 2:
                std::snprintf(buf, sizeof buf, "\tsetAttr -s 4 \".uvst[0].uvsp[%d:%d]\" -type \"float2\" 0.375 0 0.625 0 0.375 0.25 0.625 0.25;\n", i, i + 3);
                break;
            case 3:
                std::snprintf(buf, sizeof buf, "\tsetAttr \".cuvs\" -type \"string\" \"map1\";\n\tsetAttr \".dcc\" -type \"string\" \"Ambient+Diffuse\";\n");
                break;
            default:
                std::snprintf(buf, sizeof buf, "\tsetAttr -s 8 \".vt[%d:%d]\" -type \"float3\" -0.5 -0.5 0.5 0.5 -0.5 0.5 -0.5 0.5 0.5 0.5 0.5 %d.125;\n", i, i + 7, i % 100);
                break;
            }
            s += buf;
        }
        return s;
    }();
    return text;
}

struct Counts {
    long long commands = 0, values = 0;
};

// A setAttr that reads its words as the scene's would: flags, the plug, the
// data type and the values, which it counts.
Value benchSetAttr(CommandContext& c, Counts& n) {
    static const ArgParser parser = [] {
        ArgParser p("setAttr");
        p.flag("type", "type", {ArgType::String}).flag("k", "keyable", {ArgType::Bool})
            .flag("l", "lock", {ArgType::Bool}).flag("s", "size", {ArgType::Int})
            .flag("cb", "channelBox", {ArgType::Bool}).objects(1);
        return p;
    }();
    ParsedArgs a = parser.parse(c);
    const auto& obj = a.objects();
    if (!obj[0].isString() || obj[0].stringRef().empty()) c.fail("setAttr: bad plug");
    std::string type = a.flagStringOr("type", "");
    for (std::size_t i = 1; i < obj.size(); ++i)
        if (obj[i].isNumber() || !type.empty()) ++n.values;
    ++n.commands;
    return Value();
}

void BM_RunSetAttrScript(benchmark::State& state) {
    const std::string& text = sceneText();
    Interpreter& in = interpreter();
    Counts n;
    in.unregisterCommand("setAttr");
    in.unregisterCommand("createNode");
    in.registerCommand("setAttr", [&n](CommandContext& c) { return benchSetAttr(c, n); });
    in.registerCommand("createNode", [&n](CommandContext& c) { ++n.commands; return Value(c.arg(0)); });
    for (auto _ : state) {
        ExecResult r = in.execute(text, "bench.ma");
        if (!r.ok) state.SkipWithError(r.error.c_str());
    }
    in.unregisterCommand("setAttr");
    in.unregisterCommand("createNode");
    state.counters["commands"] = static_cast<double>(n.commands) / state.iterations();
    state.counters["values"] = static_cast<double>(n.values) / state.iterations();
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}
BENCHMARK(BM_RunSetAttrScript)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Baseline: the command-syntax lexer alone over the same text.
void BM_LexOnly(benchmark::State& state) {
    const std::string& text = sceneText();
    static const std::string file = "bench.ma";
    long long words = 0;
    for (auto _ : state) {
        Lexer lx(text, file);
        Value w;
        lx.next();
        while (lx.tok.kind != Tok::End) {
            while (lx.word(w, false) == Lexer::Word::Literal) ++words;
            lx.next();  // ';'
            lx.next();  // next command name
        }
        benchmark::DoNotOptimize(words);
    }
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}
BENCHMARK(BM_LexOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
