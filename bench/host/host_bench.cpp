// Whole-host figures: scene files are long runs of setAttr commands, and
// scenes hold many nodes. Each benchmark reports a rate; node creation is run
// at two sizes in the same run so that growth can be compared (per-node time
// should stay flat from 10,000 to 100,000 nodes).
#include "mel/interpreter.h"
#include "plugins/host_init.h"
#include "scene/core/scene.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

void quiet() {
    auto& interp = host::mel::interpreter();
    interp.setOutputSink([](const std::string&) {});
    interp.setWarningSink([](const std::string&) {});
}

void BM_CreateNodes(benchmark::State& state) {
    host::initialize();
    quiet();
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        host::scene::scene().newScene();
        state.ResumeTiming();
        auto& s = host::scene::scene();
        for (int i = 0; i < n; ++i) benchmark::DoNotOptimize(s.createNode("transform"));
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["ns_per_node"] =
        benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CreateNodes)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same through MEL: createNode commands with clashing names renumbered.
void BM_CreateNodesMel(benchmark::State& state) {
    host::initialize();
    quiet();
    const int n = static_cast<int>(state.range(0));
    std::string script;
    for (int i = 0; i < n; ++i) script += "createNode transform -n \"box\";\n";
    for (auto _ : state) {
        state.PauseTiming();
        host::scene::scene().newScene();
        state.ResumeTiming();
        auto r = host::mel::interpreter().execute(script);
        if (!r.ok) state.SkipWithError(r.error.c_str());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_CreateNodesMel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// ~50 MB of setAttr commands on real nodes, as scene files hold them.
std::string setAttrScript(std::size_t targetBytes, int nodes) {
    std::string s;
    s.reserve(targetBytes + 256);
    for (int i = 0; i < nodes; ++i) s += "createNode transform -n \"n" + std::to_string(i) + "\";\n";
    char line[256];
    for (long i = 0; s.size() < targetBytes; ++i) {
        int node = static_cast<int>(i % nodes);
        switch (i % 3) {
        case 0:
            std::snprintf(line, sizeof line, "setAttr \"n%d.t\" -type \"double3\" %ld.25 -3.5 %ld ;\n", node, i % 997, i % 13);
            break;
        case 1:
            std::snprintf(line, sizeof line, "setAttr \"n%d.r\" -type \"double3\" 0 %ld.5 90 ;\n", node, i % 360);
            break;
        default:
            std::snprintf(line, sizeof line, "setAttr -k on \"n%d.v\" %ld;\n", node, i % 2);
            break;
        }
        s += line;
    }
    return s;
}

void BM_SetAttrScript(benchmark::State& state) {
    host::initialize();
    quiet();
    const std::string script = setAttrScript(static_cast<std::size_t>(state.range(0)) << 20, 1000);
    for (auto _ : state) {
        state.PauseTiming();
        host::scene::scene().newScene();
        state.ResumeTiming();
        auto r = host::mel::interpreter().execute(script);
        if (!r.ok) state.SkipWithError(r.error.c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(script.size()));
}
BENCHMARK(BM_SetAttrScript)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
