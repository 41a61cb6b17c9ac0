// Simple-mesh merging: the literal first-match search against the grid merge
// on the same 50,000-triangle mesh (a ratio measured side by side in one
// iteration), and the grid merge alone on 1,000,000 triangles.
#include "SimpleMesh.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>

using namespace vl2;

namespace {

// A wavy grid of about `triangles` triangles whose corners have their own
// normal entries (one per face, so neighbouring faces' corners stay apart on
// the normal) and shared positions: the merge must join the corners of a face
// pair and keep the rest apart.
RawMesh wavyGrid(int triangles) {
    const int n = std::max(1, int(std::sqrt(triangles / 2.0)));
    RawMesh raw;
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
            raw.positions.push_back({float(x), float(y), 0.3f * std::sin(0.3f * x) * std::cos(0.2f * y)});
            raw.uvs.push_back({float(x) / n, float(y) / n});
        }
    raw.colours = {0xFFFFFFFFu};
    auto at = [n](int x, int y) { return std::uint32_t(y * (n + 1) + x); };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const std::uint32_t normal = std::uint32_t(raw.normals.size());
            const float tilt = 0.05f * float((x * 7 + y * 3) % 11);
            const float len = std::sqrt(1 + tilt * tilt);
            raw.normals.push_back({tilt / len, 0, 1 / len});
            const std::uint32_t q[4] = {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y + 1)};
            for (int t = 0; t < 2; ++t) {
                RawTriangle tri;
                const std::uint32_t c[3] = {q[0], q[t + 1], q[t + 2]};
                for (int k = 0; k < 3; ++k) {
                    tri.position[std::size_t(k)] = c[k];
                    tri.uv[std::size_t(k)] = c[k];
                    tri.normal[std::size_t(k)] = normal;
                    tri.colour[std::size_t(k)] = 0;
                }
                raw.triangles.push_back(tri);
            }
        }
    return raw;
}

// 0.0002 of the grid's diagonal, as the writer uses.
double toleranceOf(const RawMesh& raw) {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (const auto& p : raw.positions)
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[std::size_t(i)]);
            hi[i] = std::max(hi[i], p[std::size_t(i)]);
        }
    double s = 0;
    for (int i = 0; i < 3; ++i) s += double(hi[i] - lo[i]) * double(hi[i] - lo[i]);
    return 0.0002 * std::sqrt(s);
}

double cpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

void BM_SimpleMergeSpeedup(benchmark::State& state) {
    const RawMesh raw = wavyGrid(int(state.range(0)));
    const double tol = toleranceOf(raw);
    for (auto _ : state) {
        double t0 = cpuSeconds();
        SimpleMerge linear = mergeSimpleLinear(raw, tol);
        double t1 = cpuSeconds();
        SimpleMerge grid = mergeSimple(raw, tol);
        double t2 = cpuSeconds();
        benchmark::DoNotOptimize(linear.indices.data());
        benchmark::DoNotOptimize(grid.indices.data());
        const double linearTime = t1 - t0, gridTime = std::max(t2 - t1, 1e-9);
        state.counters["linear_cpu_ms"] = linearTime * 1e3;
        state.counters["grid_cpu_ms"] = gridTime * 1e3;
        state.counters["speedup"] = linearTime / gridTime;
        state.counters["vertices"] = double(grid.vertices.size());
        if (linear.indices != grid.indices || linear.vertices.size() != grid.vertices.size())
            state.SkipWithError("the grid merge differs from the linear search");
    }
    state.counters["triangles"] = double(raw.triangles.size());
}

void BM_SimpleMergeGrid(benchmark::State& state) {
    const RawMesh raw = wavyGrid(int(state.range(0)));
    const double tol = toleranceOf(raw);
    for (auto _ : state) {
        SimpleMerge grid = mergeSimple(raw, tol);
        benchmark::DoNotOptimize(grid.indices.data());
        state.counters["vertices"] = double(grid.vertices.size());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(raw.triangles.size()));
    state.counters["triangles"] = double(raw.triangles.size());
}

}  // namespace

BENCHMARK(BM_SimpleMergeSpeedup)->Arg(50000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimpleMergeGrid)->Arg(50000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
