// Triangle stripper on a 100,000-triangle grid, in row order and with its
// triangles shuffled. Reports triangles per second and the average cache miss
// ratio (misses per triangle) of the written index stream under FIFO caches of
// 10 and 16 entries, next to the same figure for the unstripped input. The
// edge-sort baseline gives the speed as a ratio within one run.
#include <tri_stripper/tri_stripper.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <deque>
#include <random>
#include <vector>

namespace ts = triangle_stripper;

namespace {

constexpr std::uint32_t grid_w = 250, grid_h = 200; // 2 * 250 * 200 = 100,000 triangles

ts::index_list make_grid(bool shuffled)
{
    ts::index_list out;
    out.reserve(6u * grid_w * grid_h);
    for (std::uint32_t y = 0; y < grid_h; ++y) {
        for (std::uint32_t x = 0; x < grid_w; ++x) {
            const std::uint32_t a = y * (grid_w + 1) + x, b = a + 1, c = a + grid_w + 1, d = c + 1;
            out.insert(out.end(), {a, b, c, b, d, c});
        }
    }
    if (shuffled) {
        std::mt19937 rng(1234);
        const std::size_t n = out.size() / 3;
        std::vector<std::size_t> order(n);
        for (std::size_t i = 0; i < n; ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), rng);
        ts::index_list s;
        s.reserve(out.size());
        for (std::size_t t : order) {
            const std::size_t r = rng() % 3;
            for (std::size_t k = 0; k < 3; ++k)
                s.push_back(out[3 * t + (k + r) % 3]);
        }
        out.swap(s);
    }
    return out;
}

const ts::index_list& mesh(bool shuffled)
{
    static const ts::index_list grid = make_grid(false);
    static const ts::index_list shuf = make_grid(true);
    return shuffled ? shuf : grid;
}

// Post-transform FIFO cache as the hardware keeps it: a hit does not move the
// vertex; a miss enters it and evicts the oldest.
std::size_t fifo_misses(const std::vector<const ts::index_list*>& stream, std::size_t size)
{
    std::deque<std::uint32_t> fifo;
    std::size_t misses = 0;
    for (const ts::index_list* part : stream) {
        for (std::uint32_t v : *part) {
            if (std::find(fifo.begin(), fifo.end(), v) != fifo.end())
                continue;
            ++misses;
            fifo.push_back(v);
            if (fifo.size() > size)
                fifo.pop_front();
        }
    }
    return misses;
}

void BM_Strip(benchmark::State& state)
{
    const bool shuffled = state.range(0) != 0;
    const std::size_t cache = static_cast<std::size_t>(state.range(1));
    const ts::index_list& in = mesh(shuffled);
    const double tris = static_cast<double>(in.size() / 3);

    ts::primitive_vector out;
    for (auto _ : state) {
        ts::tri_stripper s(in);
        s.set_cache_size(cache);
        s.set_min_strip_size(2);
        s.strip(out);
        benchmark::DoNotOptimize(out.data());
    }

    std::vector<const ts::index_list*> stripped;
    double strips = 0, strip_tris = 0, indices = 0;
    for (const auto& g : out) {
        stripped.push_back(&g.indices);
        indices += static_cast<double>(g.indices.size());
        if (g.type == ts::primitive_type::triangle_strip) {
            ++strips;
            strip_tris += static_cast<double>(g.indices.size() - 2);
        }
    }
    const std::vector<const ts::index_list*> input{&in};

    state.counters["tris_per_s"] = benchmark::Counter(tris, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["acmr10_strip"] = static_cast<double>(fifo_misses(stripped, 10)) / tris;
    state.counters["acmr16_strip"] = static_cast<double>(fifo_misses(stripped, 16)) / tris;
    state.counters["acmr10_input"] = static_cast<double>(fifo_misses(input, 10)) / tris;
    state.counters["acmr16_input"] = static_cast<double>(fifo_misses(input, 16)) / tris;
    state.counters["strips"] = strips;
    state.counters["avg_strip"] = strips > 0 ? strip_tris / strips : 0;
    state.counters["list_tris"] = tris - strip_tris;
    state.counters["indices"] = indices;
}

// Baseline: sorting the directed edge records, the first step of the graph.
void BM_EdgeSortBaseline(benchmark::State& state)
{
    const ts::index_list& in = mesh(state.range(0) != 0);
    struct rec {
        std::uint32_t a, b;
        std::size_t t;
    };
    std::vector<rec> base;
    for (std::size_t t = 0; t < in.size() / 3; ++t) {
        base.push_back({in[3 * t], in[3 * t + 1], t});
        base.push_back({in[3 * t + 1], in[3 * t + 2], t});
        base.push_back({in[3 * t + 2], in[3 * t], t});
    }
    for (auto _ : state) {
        std::vector<rec> e = base;
        std::sort(e.begin(), e.end(), [](const rec& l, const rec& r) {
            return l.a != r.a ? l.a < r.a : l.b != r.b ? l.b < r.b : l.t < r.t;
        });
        benchmark::DoNotOptimize(e.data());
    }
    state.counters["tris_per_s"] =
        benchmark::Counter(static_cast<double>(in.size() / 3), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

// Args: shuffled (0/1), stripper cache size.
BENCHMARK(BM_Strip)->ArgNames({"shuffled", "cache"})->Args({0, 10})->Args({1, 10})->Args({0, 16})->Args({1, 16})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeSortBaseline)->ArgName("shuffled")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
