// Render mesh building on a grid of about 100,000 triangles: welding through
// the spatial hash against the literal first-match search, the stripper's
// throughput and the vertex cache behaviour of the written index stream.
#include "RenderMesh.h"
#include "reference_weld.h"

#include <runlog/RunLog.h>
#include <tri_stripper/tri_stripper.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <deque>
#include <algorithm>

using namespace vl2;

namespace {

class OneMaterial : public MaterialRegistry {
public:
    bool lookup(std::int32_t, MaterialInfo& info) const override
    {
        info = {1, "hull"};
        return true;
    }
};

// n × n quads, two triangles each; every corner has its own normal and uv
// entry so welding has to join them.
RawMesh grid(int n)
{
    RawMesh raw;
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
            raw.positions.push_back({float(x), float(y), 0.1f * std::sin(0.3f * x) * std::cos(0.2f * y)});
            raw.uvs.push_back({float(x) / n, float(y) / n});
        }
    raw.normals = {{0, 0, 1}};
    raw.colours = {0xFFFFFFFFu};
    auto at = [n](int x, int y) { return std::uint32_t(y * (n + 1) + x); };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            for (auto t : {std::array<std::uint32_t, 3>{at(x, y), at(x + 1, y), at(x + 1, y + 1)},
                           std::array<std::uint32_t, 3>{at(x, y), at(x + 1, y + 1), at(x, y + 1)}}) {
                RawTriangle tri;
                tri.position = t;
                tri.uv = t;
                raw.triangles.push_back(tri);
            }
        }
    return raw;
}

int sideFor(long triangles) { return int(std::lround(std::sqrt(triangles / 2.0))); }

const OneMaterial kMaterials;

void quiet()
{
    runLog().setEchoStream(nullptr);
    resetLog();
}

void BM_WeldHashed(benchmark::State& state)
{
    quiet();
    const RawMesh raw = grid(sideFor(state.range(0)));
    BuildSettings s;
    s.mergeVertices = true;
    for (auto _ : state) {
        RenderMesh m;
        if (!buildRenderMesh(raw, "grid", s, kMaterials, m))
            state.SkipWithError("build refused the mesh");
        state.counters["vertices"] = double(m.parts.empty() ? 0 : m.parts[0].vertices.size());
        resetLog();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(raw.triangles.size()));
}

// Baseline: the literal rule, every corner searched linearly from the
// first vertex of the part (one material here, so one part). Returns the
// vertex count.
std::size_t weldLinear(const RawMesh& raw, float a)
{
    std::vector<RenderVertex> vertices;
    std::vector<std::uint16_t> indices;
    indices.reserve(raw.triangles.size() * 3);
    for (const RawTriangle& t : raw.triangles)
        for (int c = 0; c < 3; ++c) {
            RenderVertex v;
            for (int i = 0; i < 3; ++i) {
                v.position[i] = raw.positions[t.position[c]][i];
                v.normal[i] = raw.normals[t.normal[c]][i];
            }
            v.colour = raw.colours[t.colour[c]];
            for (auto& set : v.uv) {
                set[0] = raw.uvs[t.uv[c]][0];
                set[1] = raw.uvs[t.uv[c]][1];
            }
            std::size_t found = vertices.size();
            for (std::size_t i = 0; i < vertices.size(); ++i)
                if (vertexMatches(vertices[i], v, kWeldMask, a, kWeldTolerance)) {
                    found = i;
                    break;
                }
            if (found == vertices.size())
                vertices.push_back(v);
            indices.push_back(static_cast<std::uint16_t>(found));
        }
    benchmark::DoNotOptimize(indices.data());
    return vertices.size();
}

void BM_WeldLinear(benchmark::State& state)
{
    quiet();
    const RawMesh raw = grid(sideFor(state.range(0)));
    const float a = vl2::testing::weldTolerance(raw);
    for (auto _ : state)
        state.counters["vertices"] = double(weldLinear(raw, a));
    state.SetItemsProcessed(state.iterations() * std::int64_t(raw.triangles.size()));
}

// Both searches on the same mesh in one iteration, so the speed-up is a
// ratio measured side by side (the literal search once, the hashed build
// several times for a steadier figure). Process CPU time, not wall time: the
// build machines are shared. Fails when the vertex counts differ.
void BM_WeldSpeedup(benchmark::State& state)
{
    quiet();
    const RawMesh raw = grid(sideFor(state.range(0)));
    const float a = vl2::testing::weldTolerance(raw);
    constexpr int hashedRuns = 5;
    for (auto _ : state) {
        const std::clock_t t0 = std::clock();
        const std::size_t linearVertices = weldLinear(raw, a);
        const std::clock_t t1 = std::clock();
        std::size_t hashedVertices = 0;
        for (int r = 0; r < hashedRuns; ++r) {
            BuildSettings s;
            s.mergeVertices = true;
            RenderMesh m;
            if (!buildRenderMesh(raw, "grid", s, kMaterials, m))
                state.SkipWithError("build refused the mesh");
            hashedVertices = m.parts.empty() ? 0 : m.parts[0].vertices.size();
            resetLog();
        }
        const std::clock_t t2 = std::clock();
        if (linearVertices != hashedVertices)
            state.SkipWithError("the hashed weld and the literal search disagree");
        const double linear = double(t1 - t0) / CLOCKS_PER_SEC;
        const double hashed = double(t2 - t1) / CLOCKS_PER_SEC / hashedRuns;
        state.counters["linear_cpu_ms"] = linear * 1e3;
        state.counters["hashed_build_cpu_ms"] = hashed * 1e3;
        state.counters["speedup"] = linear / hashed;
        state.counters["vertices"] = double(hashedVertices);
    }
    state.counters["triangles"] = double(raw.triangles.size());
}

RenderPart weldedPart(long triangles)
{
    quiet();
    RenderMesh m;
    buildRenderMesh(grid(sideFor(triangles)), "grid", BuildSettings{}, kMaterials, m);
    resetLog();
    return m.parts.at(0);
}

void BM_Stripper(benchmark::State& state)
{
    const RenderPart part = weldedPart(state.range(0));
    const triangle_stripper::index_list indices(part.triangles.begin(), part.triangles.end());
    for (auto _ : state) {
        triangle_stripper::tri_stripper stripper(indices);
        stripper.set_cache_size(10);
        stripper.set_min_strip_size(2);
        triangle_stripper::primitive_vector out;
        stripper.strip(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(indices.size() / 3));
    state.counters["triangles"] = double(indices.size() / 3);
}

// Misses of a FIFO cache: a miss enters the vertex and drops the oldest.
std::size_t fifoMisses(const std::vector<std::uint16_t>& stream, std::size_t size)
{
    std::deque<std::uint16_t> cache;
    std::size_t misses = 0;
    for (std::uint16_t v : stream) {
        if (std::find(cache.begin(), cache.end(), v) != cache.end())
            continue;
        ++misses;
        cache.push_back(v);
        if (cache.size() > size)
            cache.pop_front();
    }
    return misses;
}

// Strip-or-list on the welded part, then the cache figures of the groups as
// written, one after the other.
void BM_OptimiseAndCache(benchmark::State& state)
{
    const RenderPart welded = weldedPart(state.range(0));
    RenderPart part;
    for (auto _ : state) {
        part = welded;
        stripOrList(part, state.range(1) != 0);
        resetLog();
    }
    std::vector<std::uint16_t> stream;
    for (const PrimitiveGroup& g : part.groups)
        stream.insert(stream.end(), g.indices.begin(), g.indices.end());
    const double tris = double(part.triangles.size() / 3);
    state.SetItemsProcessed(state.iterations() * std::int64_t(tris));
    state.counters["groups"] = double(part.groups.size());
    state.counters["indices"] = double(stream.size());
    state.counters["acmr10"] = double(fifoMisses(stream, 10)) / tris;
    state.counters["acmr16"] = double(fifoMisses(stream, 16)) / tris;
    state.counters["input_acmr10"] = double(fifoMisses(welded.triangles, 10)) / tris;
    state.counters["input_acmr16"] = double(fifoMisses(welded.triangles, 16)) / tris;
}

} // namespace

BENCHMARK(BM_WeldLinear)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
// One pass of the quadratic baseline at full size (tens of seconds), with the
// hashed build beside it.
BENCHMARK(BM_WeldSpeedup)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeldHashed)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stripper)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptimiseAndCache)->Args({100000, 1})->Args({100000, 0})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
