// The grid merge of simple meshes against the defining linear search.
#include "SimpleMesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

using vl2::RawMesh;
using vl2::RawTriangle;

// Corners read straight from per-corner tables: corner i uses entry i of each.
RawMesh meshOfCorners(const std::vector<std::array<float, 3>>& p, const std::vector<std::array<float, 3>>& n,
                      const std::vector<std::array<float, 2>>& uv, const std::vector<std::uint32_t>& c) {
    RawMesh m;
    m.positions = p;
    m.normals = n;
    m.uvs = uv;
    m.colours = c;
    for (std::uint32_t t = 0; t + 2 < p.size(); t += 3) {
        RawTriangle tri;
        for (std::uint32_t k = 0; k < 3; ++k) {
            tri.position[k] = tri.normal[k] = tri.uv[k] = tri.colour[k] = t + k;
        }
        m.triangles.push_back(tri);
    }
    return m;
}

void expectSame(const vl2::SimpleMerge& a, const vl2::SimpleMerge& b) {
    ASSERT_EQ(a.indices, b.indices);
    ASSERT_EQ(a.vertices.size(), b.vertices.size());
    // Bitwise, so that NaN corners compare too.
    for (std::size_t i = 0; i < a.vertices.size(); ++i)
        EXPECT_EQ(std::memcmp(&a.vertices[i], &b.vertices[i], sizeof(vl2::SimpleVertex)), 0) << "vertex " << i;
}

TEST(SimpleMerge, FirstMatchWithinTolerance) {
    const double tol = 0.01;
    // Corner 2 is within tolerance of both 0 and 1 and must take the first.
    RawMesh m = meshOfCorners({{0, 0, 0}, {0.015f, 0, 0}, {0.008f, 0, 0}, {0, 0, 0}, {0.02f, 0, 0}, {0.5f, 0, 0}},
                              std::vector<std::array<float, 3>>(6, {0, 0, 1}),
                              std::vector<std::array<float, 2>>(6, {0, 0}), std::vector<std::uint32_t>(6, 7));
    auto linear = vl2::mergeSimpleLinear(m, tol);
    EXPECT_EQ(linear.indices, (std::vector<std::uint32_t>{0, 1, 0, 0, 1, 2}));
    expectSame(vl2::mergeSimple(m, tol), linear);
}

TEST(SimpleMerge, EveryComponentTakesPart) {
    struct Case {
        const char* what;
        std::array<float, 3> p, n;
        std::array<float, 2> uv;
        std::uint32_t colour;
        bool merges;
    } cases[] = {
        {"same", {1, 1, 1}, {0, 1, 0}, {0.5f, 0.5f}, 9, true},
        {"position y", {1, 1.1f, 1}, {0, 1, 0}, {0.5f, 0.5f}, 9, false},
        {"normal z", {1, 1, 1}, {0, 1, 0.2f}, {0.5f, 0.5f}, 9, false},
        {"v", {1, 1, 1}, {0, 1, 0}, {0.5f, 0.7f}, 9, false},
        {"colour", {1, 1, 1}, {0, 1, 0}, {0.5f, 0.5f}, 10, false},
    };
    for (const Case& c : cases) {
        RawMesh m = meshOfCorners({{1, 1, 1}, {5, 5, 5}, {6, 6, 6}, c.p, {7, 7, 7}, {8, 8, 8}},
                                  {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, c.n, {0, 1, 0}, {0, 1, 0}},
                                  {{0.5f, 0.5f}, {0, 0}, {0, 0}, c.uv, {0, 0}, {0, 0}}, {9, 9, 9, c.colour, 9, 9});
        auto fast = vl2::mergeSimple(m, 0.05);
        EXPECT_EQ(fast.indices[3] == 0, c.merges) << c.what;
        expectSame(fast, vl2::mergeSimpleLinear(m, 0.05));
    }
}

// Random meshes on a coarse lattice (many near-duplicates), and adversarial
// ones whose corners differ by exactly the tolerance or straddle cell edges.
TEST(SimpleMerge, SameResultAsLinearSearch) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const double tol = round % 4 == 0 ? 0.0 : std::ldexp(1.0, -(round % 7)) * 0.01;
        const int corners = 3 * (50 + round * 20);
        std::uniform_int_distribution<int> lattice(-4, 4);
        std::uniform_int_distribution<int> pick(0, 5);
        std::vector<std::array<float, 3>> p, n;
        std::vector<std::array<float, 2>> uv;
        std::vector<std::uint32_t> c;
        for (int i = 0; i < corners; ++i) {
            auto coord = [&] {
                // Multiples of the tolerance (exactly at it) and a little off it.
                const int mode = pick(rng);
                const double base = lattice(rng) * (tol > 0 ? tol : 0.001);
                if (mode == 0) return float(base + tol * 0.5);
                if (mode == 1) return std::nextafter(float(base), 1e9f);
                return float(base);
            };
            p.push_back({coord(), coord(), coord()});
            n.push_back({float(pick(rng) % 2), 0, 1});
            uv.push_back({float(pick(rng) % 2) * float(tol), 0});
            c.push_back(pick(rng) == 0 ? 1u : 0u);
        }
        RawMesh m = meshOfCorners(p, n, uv, c);
        expectSame(vl2::mergeSimple(m, tol), vl2::mergeSimpleLinear(m, tol));
    }
}

TEST(SimpleMerge, NonFiniteCornersNeverMergeAndLargeToleranceMergesColours) {
    const float nan = std::nanf("");
    const float inf = INFINITY;
    RawMesh m = meshOfCorners({{nan, 0, 0}, {nan, 0, 0}, {inf, 0, 0}, {inf, 0, 0}, {1e30f, 0, 0}, {1e30f, 0, 0}},
                              std::vector<std::array<float, 3>>(6, {0, 0, 1}),
                              std::vector<std::array<float, 2>>(6, {0, 0}), {0, 0, 0, 0, 3, 5});
    auto linear = vl2::mergeSimpleLinear(m, 2.0);
    EXPECT_EQ(linear.indices, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 4}));
    expectSame(vl2::mergeSimple(m, 2.0), linear);
}

TEST(SimpleMerge, CornersOutsideTheTablesAreLeftOut) {
    RawMesh m = meshOfCorners({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, std::vector<std::array<float, 3>>(3, {0, 0, 1}),
                              std::vector<std::array<float, 2>>(3, {0, 0}), {0, 0, 0});
    RawTriangle bad = m.triangles[0];
    bad.normal[1] = 99;
    m.triangles.push_back(bad);
    EXPECT_EQ(vl2::mergeSimple(m, 0.1).indices.size(), 3u);
    EXPECT_EQ(vl2::mergeSimpleLinear(m, 0.1).indices.size(), 3u);
}

}  // namespace
