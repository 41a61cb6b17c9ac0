#include <tri_stripper/tri_stripper.h>

#include "mesh_gen.h"
#include "reference_stripper.h"
#include "strip_checker.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

namespace ts = triangle_stripper;

namespace {

using indices = std::vector<std::uint32_t>;

ts::primitive_vector run_stripper(const indices& in, std::size_t cache, std::size_t min_size)
{
    ts::tri_stripper s(in);
    s.set_cache_size(cache);
    s.set_min_strip_size(min_size);
    ts::primitive_vector out;
    s.strip(out);
    return out;
}

std::vector<strip_check::group> to_check(const ts::primitive_vector& p)
{
    std::vector<strip_check::group> g;
    for (const auto& pg : p)
        g.push_back({pg.type == ts::primitive_type::triangle_strip, pg.indices});
    return g;
}

std::string describe(const ts::primitive_vector& p)
{
    std::ostringstream o;
    for (const auto& g : p) {
        o << (g.type == ts::primitive_type::triangle_strip ? "strip{" : "list{");
        for (std::size_t i = 0; i < g.indices.size(); ++i)
            o << (i ? "," : "") << g.indices[i];
        o << "} ";
    }
    return o.str();
}

std::string describe(const std::vector<reference::group>& p)
{
    ts::primitive_vector q;
    for (const auto& g : p)
        q.push_back({g.strip ? ts::primitive_type::triangle_strip : ts::primitive_type::triangle_list, g.indices});
    return describe(q);
}

indices iota_band(std::uint32_t n)
{
    // n triangles of a zigzag band, consistently wound: the strip 0, 1, ..., n + 1.
    indices out;
    for (std::uint32_t i = 0; i < n; ++i) {
        if (i % 2 == 0)
            out.insert(out.end(), {i, i + 1, i + 2});
        else
            out.insert(out.end(), {i + 1, i, i + 2});
    }
    return out;
}

indices range(std::uint32_t first, std::uint32_t last)
{
    indices out;
    for (std::uint32_t i = first; i <= last; ++i)
        out.push_back(i);
    return out;
}

ts::primitive_group strip(indices i) { return {ts::primitive_type::triangle_strip, std::move(i)}; }
ts::primitive_group list(indices i) { return {ts::primitive_type::triangle_list, std::move(i)}; }

// --- exact results worked out by hand ---------------------------------------

struct hand_case {
    const char* name;
    indices input;
    std::size_t cache;
    std::size_t min_size;
    ts::primitive_vector expected;
};

void PrintTo(const hand_case& c, std::ostream* os) { *os << c.name; }

class TriStripperHandCase : public ::testing::TestWithParam<hand_case> {};

TEST_P(TriStripperHandCase, GivesTheExpectedPrimitives)
{
    const hand_case& c = GetParam();
    const ts::primitive_vector out = run_stripper(c.input, c.cache, c.min_size);
    EXPECT_EQ(describe(out), describe(c.expected));
    EXPECT_EQ(strip_check::check(c.input, to_check(out)), "");
}

const indices quad{0, 1, 2, 0, 2, 3};

INSTANTIATE_TEST_SUITE_P(
    Cases, TriStripperHandCase,
    ::testing::Values(
        // Order ABC and CAB find no neighbour; BCA walks (0, 2) into triangle 1.
        hand_case{"quad_default_settings", quad, 16, 2, {strip({1, 2, 0, 3})}},
        hand_case{"quad_render_mesh_settings", quad, 10, 2, {strip({1, 2, 0, 3})}},
        hand_case{"quad_cache_off", quad, 0, 2, {strip({1, 2, 0, 3})}},
        // A cache of 3 stops every trial at one triangle.
        hand_case{"quad_cache_3_all_trials_size_1", quad, 3, 2, {list(quad)}},
        hand_case{"quad_min_size_3", quad, 10, 3, {list(quad)}},
        hand_case{"single_triangle", {0, 1, 2}, 10, 2, {list({0, 1, 2})}},
        // Degree 0 never enters the strips, whatever the minimum.
        hand_case{"single_triangle_min_size_1", {0, 1, 2}, 10, 1, {list({0, 1, 2})}},
        // Linked only to itself: degree 3 but every trial has size 1.
        hand_case{"self_linked_degenerate_left_for_list", {0, 0, 1}, 10, 2, {list({0, 0, 1})}},
        hand_case{"self_linked_degenerate_min_size_1", {0, 0, 1}, 10, 1, {strip({0, 0, 1})}},
        // Strips stop at 8 triangles; each next strip starts on the two
        // vertices the previous one left in the cache.
        hand_case{"band_20_cache_10", iota_band(20), 10, 2,
                  {strip(range(0, 9)), strip(range(8, 17)), strip(range(16, 21))}},
        hand_case{"band_20_cache_off", iota_band(20), 0, 2, {strip(range(0, 21))}},
        // Edge (0, 1) shared by three triangles: triangle 1 is the first top
        // of smallest degree; it takes triangle 0 and leaves triangle 2 alone.
        hand_case{"non_manifold_edge", {0, 1, 2, 1, 0, 3, 1, 0, 4}, 10, 2, {strip({3, 1, 0, 2}), list({1, 0, 4})}},
        // Each triangle linked three times to the other; order ABC wins on the
        // hit of vertex 0, later orders tie and are not longer.
        hand_case{"opposite_duplicate", {0, 1, 2, 2, 1, 0}, 10, 2, {strip({0, 1, 2, 0})}},
        hand_case{"same_winding_duplicate", {0, 1, 2, 0, 1, 2}, 10, 2, {list({0, 1, 2, 0, 1, 2})}},
        hand_case{"empty_input", {}, 10, 2, {}}),
    [](const ::testing::TestParamInfo<hand_case>& i) { return std::string(i.param.name); });

// --- errors -----------------------------------------------------------------

TEST(TriStripperErrors, PartialTriangleRaisesAndLeavesOutputAlone)
{
    for (std::size_t count : {1u, 2u, 4u, 7u, 3001u}) {
        indices in(count, 0u);
        for (std::size_t i = 0; i < count; ++i)
            in[i] = static_cast<std::uint32_t>(i);
        ts::tri_stripper s(in);
        ts::primitive_vector out{list({9, 9, 9})};
        EXPECT_THROW(s.strip(out), ts::triangles_indices_error) << count;
        ASSERT_EQ(out.size(), 1u) << count;
        EXPECT_EQ(out[0].indices, (indices{9, 9, 9})) << count;
    }
}

TEST(TriStripperErrors, MessageNamesTheCount)
{
    ts::tri_stripper s(indices(7, 0u));
    ts::primitive_vector out;
    try {
        s.strip(out);
        FAIL() << "no exception";
    } catch (const ts::triangles_indices_error& e) {
        EXPECT_NE(std::string(e.what()).find("7"), std::string::npos) << e.what();
    }
}

// --- settings and repeated runs ---------------------------------------------

TEST(TriStripperSettings, DefaultsAreMinimumTwoAndCacheSixteen)
{
    ts::tri_stripper s(quad);
    EXPECT_EQ(s.min_strip_size(), 2u);
    EXPECT_EQ(s.cache_size(), 16u);
    s.set_cache_size(10);
    s.set_min_strip_size(3);
    EXPECT_EQ(s.cache_size(), 10u);
    EXPECT_EQ(s.min_strip_size(), 3u);
}

TEST(TriStripperSettings, DefaultCacheCapsStripsAtFourteen)
{
    ts::tri_stripper s(iota_band(40));
    ts::primitive_vector out;
    s.strip(out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0].indices, range(0, 15));
    for (const auto& g : out)
        EXPECT_LE(g.indices.size(), 16u);
}

TEST(TriStripperSettings, SecondRunAndResizedCacheGiveFreshResults)
{
    std::mt19937 rng(7);
    indices in = mesh_gen::grid(9, 7, &rng);
    mesh_gen::shuffle_triangles(in, rng);
    ts::tri_stripper s(in);
    s.set_cache_size(10);
    ts::primitive_vector first, second;
    s.strip(first);
    s.strip(second);
    EXPECT_EQ(describe(first), describe(second));

    // Shrinking and growing the cache between runs is the same as setting it once.
    s.set_cache_size(3);
    s.set_cache_size(12);
    ts::primitive_vector resized;
    s.strip(resized);
    EXPECT_EQ(describe(resized), describe(run_stripper(in, 12, 2)));
}

// --- random meshes: checker and literal reference ----------------------------

struct mesh_case {
    const char* name;
    indices (*make)(std::mt19937&);
};

indices make_grid(std::mt19937& rng) { return mesh_gen::grid(11, 9, &rng); }
indices make_holed_grid(std::mt19937& rng) { return mesh_gen::grid(14, 10, &rng, 0.65); }
indices make_shuffled_grid(std::mt19937& rng)
{
    indices g = mesh_gen::grid(12, 8, &rng);
    mesh_gen::shuffle_triangles(g, rng);
    return g;
}
indices make_wide_labels(std::mt19937& rng)
{
    indices g = make_shuffled_grid(rng);
    mesh_gen::relabel_wide(g);
    return g;
}
indices make_dense_soup(std::mt19937& rng) { return mesh_gen::soup(rng, 8, 60); }
indices make_sparse_soup(std::mt19937& rng) { return mesh_gen::soup(rng, 40, 180); }
indices make_grid_with_duplicates(std::mt19937& rng)
{
    indices g = mesh_gen::grid(8, 6, &rng);
    std::uniform_int_distribution<std::size_t> pick(0, g.size() / 3 - 1);
    for (int k = 0; k < 25; ++k) {
        const std::size_t t = pick(rng);
        const std::uint32_t a = g[3 * t], b = g[3 * t + 1], c = g[3 * t + 2];
        if (k % 2)
            g.insert(g.end(), {a, b, c}); // same winding
        else
            g.insert(g.end(), {c, b, a}); // back face
    }
    mesh_gen::shuffle_triangles(g, rng);
    return g;
}
indices make_edge_fans(std::mt19937& rng)
{
    // Several edges each shared by 3..6 triangles, on top of a small grid.
    indices g = mesh_gen::grid(6, 5, &rng);
    std::uniform_int_distribution<std::size_t> pick(0, g.size() / 3 - 1);
    std::uint32_t extra = 1000;
    for (int e = 0; e < 6; ++e) {
        const std::size_t t = pick(rng);
        const std::uint32_t a = g[3 * t], b = g[3 * t + 1];
        for (int k = 0; k < 2 + e % 4; ++k)
            g.insert(g.end(), {b, a, extra++});
    }
    mesh_gen::shuffle_triangles(g, rng);
    return g;
}
indices make_with_degenerates(std::mt19937& rng)
{
    indices g = mesh_gen::soup(rng, 12, 50);
    std::uniform_int_distribution<std::uint32_t> v(0, 11);
    for (int k = 0; k < 10; ++k) {
        const std::uint32_t a = v(rng), b = v(rng);
        g.insert(g.end(), {a, a, b});
    }
    g.insert(g.end(), {5, 5, 5});
    mesh_gen::shuffle_triangles(g, rng);
    return g;
}

void PrintTo(const mesh_case& c, std::ostream* os) { *os << c.name; }

const mesh_case mesh_cases[] = {
    {"grid", make_grid},
    {"holed_grid", make_holed_grid},
    {"shuffled_grid", make_shuffled_grid},
    {"wide_labels", make_wide_labels},
    {"dense_soup", make_dense_soup},
    {"sparse_soup", make_sparse_soup},
    {"grid_with_duplicates", make_grid_with_duplicates},
    {"edge_fans", make_edge_fans},
    {"with_degenerates", make_with_degenerates},
};

struct settings {
    std::size_t cache;
    std::size_t min_size;
};

const settings setting_cases[] = {{16, 2}, {10, 2}, {0, 2}, {3, 2}, {4, 2}, {10, 1}, {10, 0}, {10, 3}, {0, 1}};

class TriStripperRandom : public ::testing::TestWithParam<mesh_case> {};

TEST_P(TriStripperRandom, CoversInputExactlyAndMatchesLiteralRules)
{
    const mesh_case& mc = GetParam();
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937 rng(seed);
        const indices in = mc.make(rng);
        for (const settings& st : setting_cases) {
            SCOPED_TRACE(::testing::Message() << mc.name << " seed " << seed << " cache " << st.cache << " min "
                                              << st.min_size);
            const ts::primitive_vector out = run_stripper(in, st.cache, st.min_size);
            ASSERT_EQ(strip_check::check(in, to_check(out)), "");

            const std::size_t longest = st.cache == 0 ? in.size() : std::max<std::size_t>(1, st.cache - 2);
            for (const auto& g : out) {
                if (g.type != ts::primitive_type::triangle_strip)
                    continue;
                EXPECT_LE(g.indices.size() - 2, longest);
                EXPECT_GE(g.indices.size() - 2, std::max<std::size_t>(1, st.min_size));
            }
            ASSERT_EQ(describe(out), describe(reference::strip(in, st.cache, st.min_size)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Meshes, TriStripperRandom, ::testing::ValuesIn(mesh_cases),
                         [](const ::testing::TestParamInfo<mesh_case>& i) { return std::string(i.param.name); });

TEST(TriStripperLarge, FortyThousandTriangleGridIsCoveredWithShortStrips)
{
    std::mt19937 rng(3);
    indices in = mesh_gen::grid(200, 100, &rng);
    mesh_gen::shuffle_triangles(in, rng);
    const ts::primitive_vector out = run_stripper(in, 10, 2);
    ASSERT_EQ(strip_check::check(in, to_check(out)), "");
    std::size_t stripped = 0;
    for (const auto& g : out) {
        if (g.type == ts::primitive_type::triangle_strip) {
            EXPECT_LE(g.indices.size(), 10u);
            stripped += g.indices.size() - 2;
        }
    }
    // A closed grid leaves few triangles for the list.
    EXPECT_GT(stripped, in.size() / 3 * 9 / 10);
}

// --- the checker itself must be able to fail --------------------------------

TEST(StripChecker, RejectsWrongOutput)
{
    using strip_check::group;
    struct bad {
        const char* what;
        std::vector<group> groups;
    };
    const bad cases[] = {
        {"wrong winding of the second triangle", {{true, {0, 1, 2, 3}}}},
        {"missing triangle", {{true, {1, 2, 0}}}},
        {"extra triangle", {{true, {1, 2, 0, 3, 4}}}},
        {"duplicate instead of the other", {{false, {0, 1, 2, 0, 1, 2}}}},
        {"list of partial triangle", {{false, {0, 1, 2, 0, 2, 3, 0}}}},
        {"list before strip", {{false, {0, 1, 2}}, {true, {0, 2, 3}}}},
        {"two lists", {{false, {0, 1, 2}}, {false, {0, 2, 3}}}},
        {"short strip", {{true, {0, 1}}, {false, {0, 1, 2, 0, 2, 3}}}},
        {"empty group", {{true, {}}, {false, {0, 1, 2, 0, 2, 3}}}},
    };
    for (const bad& b : cases)
        EXPECT_NE(strip_check::check(quad, b.groups), "") << b.what;

    EXPECT_EQ(strip_check::check(quad, {{true, {1, 2, 0, 3}}}), "");
    EXPECT_EQ(strip_check::check(quad, {{false, {2, 0, 1, 3, 0, 2}}}), "");
    EXPECT_EQ(strip_check::check(quad, {{true, {0, 1, 2}}, {false, {0, 2, 3}}}), "");
}

} // namespace
