#include "RenderMesh.h"
#include "reference_weld.h"

#include <runlog/RunLog.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>

using namespace vl2;

namespace {

class MapRegistry : public MaterialRegistry {
public:
    std::map<std::int32_t, MaterialInfo> known;
    bool lookup(std::int32_t number, MaterialInfo& info) const override
    {
        auto it = known.find(number);
        if (it == known.end())
            return false;
        info = it->second;
        return true;
    }
};

std::string channel(int c)
{
    const char* t = channelText(c);
    return t ? t : "";
}

struct RenderMeshTest : ::testing::Test {
    MapRegistry registry;
    void SetUp() override
    {
        runLog().setEchoStream(nullptr);
        resetLog();
        registry.known[7] = {3, "hullShader"};
    }
};

// One normal, uv and colour; every corner indexes its own position.
RawMesh meshOf(const std::vector<std::array<float, 3>>& positions, const std::vector<std::array<std::uint32_t, 3>>& tris,
               std::int32_t material = 7)
{
    RawMesh raw;
    raw.positions = positions;
    raw.normals = {{0, 0, 1}};
    raw.uvs = {{0, 0}};
    raw.colours = {0xFFFFFFFFu};
    for (const auto& t : tris) {
        RawTriangle tri;
        tri.material = material;
        tri.position = t;
        raw.triangles.push_back(tri);
    }
    return raw;
}

RawMesh quad() { return meshOf({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 3}}); }

RenderMesh buildOk(const RawMesh& raw, const MaterialRegistry& reg, bool merge = true)
{
    BuildSettings s;
    s.mergeVertices = merge;
    RenderMesh m;
    EXPECT_TRUE(buildRenderMesh(raw, "hull_mesh", s, reg, m));
    return m;
}

} // namespace

TEST_F(RenderMeshTest, QuadStripsToOneStripAndRenumbersByFirstUse)
{
    RenderMesh m = buildOk(quad(), registry);
    ASSERT_EQ(m.parts.size(), 1u);
    EXPECT_EQ(m.parts[0].triangles, (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    resetLog();
    optimiseRenderMesh(m, true, "hull_mesh", registry);
    const RenderPart& p = m.parts[0];
    ASSERT_EQ(p.groups.size(), 1u);
    EXPECT_EQ(p.groups[0].kind, 1u);
    EXPECT_EQ(p.groups[0].indices, (std::vector<std::uint16_t>{0, 1, 2, 3}));
    // old 1, 2, 0, 3
    const float expectX[4] = {1, 1, 0, 0}, expectY[4] = {0, 1, 0, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p.vertices[i].position[0], expectX[i]);
        EXPECT_EQ(p.vertices[i].position[1], expectY[i]);
    }
    EXPECT_EQ(channel(0), "optimizing hull_mesh:\n\tstripping material 3 (hullShader(7))...4 verts, 2 tris..."
                          "1 strips averaging 2.000000 tris.remapping indices...finishing...\ndone\n\n");
    EXPECT_EQ(channel(1), ""); // bounds unchanged
}

TEST_F(RenderMeshTest, QuadWithoutStripsKeepsItsList)
{
    RenderMesh m = buildOk(quad(), registry);
    optimiseRenderMesh(m, false, "hull_mesh", registry);
    ASSERT_EQ(m.parts[0].groups.size(), 1u);
    EXPECT_EQ(m.parts[0].groups[0].kind, 0u);
    EXPECT_EQ(m.parts[0].groups[0].indices, (std::vector<std::uint16_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_NE(channel(0).find("1 list of 2."), std::string::npos);
}

TEST_F(RenderMeshTest, SingleTriangleBecomesAList)
{
    RenderMesh m = buildOk(meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}), registry);
    optimiseRenderMesh(m, true, "hull_mesh", registry);
    ASSERT_EQ(m.parts[0].groups.size(), 1u);
    EXPECT_EQ(m.parts[0].groups[0].kind, 0u);
    EXPECT_EQ(m.parts[0].groups[0].indices.size(), 3u);
    EXPECT_NE(channel(0).find("1 list of 1."), std::string::npos);
}

TEST_F(RenderMeshTest, LongBandUnderCacheOfTenGivesNoStripAboveEightTriangles)
{
    std::vector<std::array<float, 3>> pos;
    for (int i = 0; i < 11; ++i) {
        pos.push_back({float(i), 0, 0});
        pos.push_back({float(i), 1, 0});
    }
    std::vector<std::array<std::uint32_t, 3>> tris;
    for (std::uint32_t i = 0; i < 10; ++i) {
        tris.push_back({2 * i, 2 * i + 2, 2 * i + 1});
        tris.push_back({2 * i + 1, 2 * i + 2, 2 * i + 3});
    }
    RenderMesh m = buildOk(meshOf(pos, tris), registry);
    optimiseRenderMesh(m, true, "hull_mesh", registry);
    std::size_t total = 0;
    for (const PrimitiveGroup& g : m.parts[0].groups) {
        const std::size_t n = g.kind == 1 ? g.indices.size() - 2 : g.indices.size() / 3;
        if (g.kind == 1) {
            EXPECT_LE(n, 8u);
        }
        total += n;
    }
    EXPECT_EQ(total, 20u);
}

TEST_F(RenderMeshTest, TrialOfSizeOneIsLeftForTheList)
{
    // Two triangles sharing one vertex only: no strip of two exists.
    RenderMesh m = buildOk(meshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}}, {{0, 1, 2}, {0, 3, 4}}),
                           registry);
    optimiseRenderMesh(m, true, "hull_mesh", registry);
    ASSERT_EQ(m.parts[0].groups.size(), 1u);
    EXPECT_EQ(m.parts[0].groups[0].kind, 0u);
    EXPECT_EQ(m.parts[0].groups[0].indices.size(), 6u);
}

TEST_F(RenderMeshTest, MergeOffGivesThreeVerticesPerTriangleAndRemovesNone)
{
    RenderMesh m = buildOk(quad(), registry, false);
    EXPECT_EQ(m.parts[0].vertices.size(), 6u);
    resetLog();
    optimiseRenderMesh(m, false, "hull_mesh", registry);
    EXPECT_NE(channel(0).find("6 verts, 2 tris..."), std::string::npos);
}

TEST_F(RenderMeshTest, BuildLogsMaterialsAndUnknownNumbers)
{
    RawMesh raw = quad();
    raw.triangles[1].material = 9; // unregistered: index 0, second part
    RenderMesh m = buildOk(raw, registry);
    ASSERT_EQ(m.parts.size(), 2u);
    EXPECT_EQ(m.parts[1].materialIndex, 0u);
    EXPECT_EQ(m.parts[1].materialNumber, 9);
    EXPECT_EQ(channel(0), "hull_mesh uses 2 materials; hullShader(7)  UNKNOWN(9) . Building raw mesh.\n");
    resetLog();
    optimiseRenderMesh(m, true, "hull_mesh", registry);
    EXPECT_NE(channel(0).find("\n\tstripping material 0 (UNKNOWN) 2/2..."), std::string::npos);
}

TEST_F(RenderMeshTest, NoTrianglesFails)
{
    RawMesh raw = quad();
    raw.triangles.clear();
    RenderMesh m;
    EXPECT_FALSE(buildRenderMesh(raw, "hull_mesh", {}, registry, m));
}

TEST_F(RenderMeshTest, OutOfTableCornerIsRefused)
{
    RawMesh raw = quad();
    raw.triangles[1].normal[2] = 5;
    RenderMesh m;
    EXPECT_FALSE(buildRenderMesh(raw, "hull_mesh", {}, registry, m));
    EXPECT_NE(channel(2).find("does not exist"), std::string::npos);
}

TEST_F(RenderMeshTest, RadiusIsAtLeastOneAndLargeRadiusWarns)
{
    RenderMesh small = buildOk(meshOf({{-0.5f, 0, 0}, {0.5f, 0, 0}, {0, 0.4f, 0}}, {{0, 1, 2}}), registry);
    EXPECT_EQ(small.radius, 1.0f);
    EXPECT_EQ(channel(1), "");
    RenderMesh big = buildOk(meshOf({{0, 0, 0}, {50000, 0, 0}, {0, 10, 0}}, {{0, 1, 2}}), registry);
    EXPECT_FLOAT_EQ(big.radius, 25000.0f);
    EXPECT_EQ(channel(1), "hull_mesh has a radius of 25000.000000 and a centre of 25000.000000,5.000000,0.000000\n");
}

TEST_F(RenderMeshTest, LambertRuleAndItsExemptions)
{
    struct Case {
        const char* materialName; // nullptr: the material number is not registered
        const char* exportName;
        bool error;
    } cases[] = {{"lambert1", "hull_mesh", true},
                 {"lambert1", "EngineGlow_mesh", false},
                 {"lambert1", "Ship_EngineGlow3_mesh", false},
                 {"lambert1", "CM2_hull_mesh", false},
                 {"lambert1", "lambert1x", true},
                 {"lambert1", "engineglow_mesh", true}, // the words are case-sensitive
                 {"lambert1", "CM_hull_mesh", true},
                 {"lambert12", "hull_mesh", false}, // the name must be exactly lambert1
                 {"Lambert1", "hull_mesh", false},
                 {nullptr, "hull_mesh", false}};
    for (const Case& c : cases) {
        registry.known.clear();
        if (c.materialName != nullptr)
            registry.known[7] = {3, c.materialName};
        RenderMesh m = buildOk(quad(), registry);
        resetLog();
        optimiseRenderMesh(m, true, c.exportName, registry);
        const std::string expected =
            c.error ? "\n**ERROR** Don't use the lambert shader for renderable objects. \n" : "";
        EXPECT_EQ(channel(2), expected) << (c.materialName ? c.materialName : "(unregistered)") << " / " << c.exportName;
    }
}

TEST_F(RenderMeshTest, UnusedVerticesAreRemovedAndBoundsChangeIsLogged)
{
    RenderMesh m = buildOk(quad(), registry);
    RenderVertex far;
    far.position[0] = 100;
    m.parts[0].vertices.push_back(far); // no triangle uses it
    computeBounds(m);
    resetLog();
    optimiseRenderMesh(m, false, "hull_mesh", registry);
    EXPECT_EQ(m.parts[0].vertices.size(), 4u);
    EXPECT_NE(channel(0).find(".Removed 1 unused verts leaving 4 verts (2 tris)..."), std::string::npos);
    EXPECT_NE(channel(1).find("hull_mesh radius changed from"), std::string::npos);
    EXPECT_NE(channel(1).find("hull_mesh centre x position changed 50.000000 to 0.500000\n"), std::string::npos);
    EXPECT_EQ(channel(1).find("centre y"), std::string::npos);
}

TEST_F(RenderMeshTest, ColoursDifferingInOneBitAreNotWelded)
{
    RawMesh raw = quad();
    raw.colours.push_back(0xFFFFFFFEu);
    raw.triangles[1].colour[0] = 1; // corner 0 of triangle 1
    RenderMesh m = buildOk(raw, registry);
    EXPECT_EQ(m.parts[0].vertices.size(), 5u);
    raw.colours[1] = 0xFFFFFFFFu;
    EXPECT_EQ(buildOk(raw, registry).parts[0].vertices.size(), 4u);
}

TEST_F(RenderMeshTest, PartBeyondSixteenBitIndicesIsRefused)
{
    // 21846 triangles of distinct corners: 65538 vertices in one part.
    for (std::uint32_t tris : {21845u, 21846u}) {
        resetLog();
        RawMesh raw;
        raw.normals = {{0, 0, 1}};
        raw.uvs = {{0, 0}};
        raw.colours = {0};
        for (std::uint32_t i = 0; i < tris * 3; ++i)
            raw.positions.push_back({float(i), float(i % 7), 0});
        for (std::uint32_t t = 0; t < tris; ++t) {
            RawTriangle tri;
            tri.material = 7;
            tri.position = {3 * t, 3 * t + 1, 3 * t + 2};
            raw.triangles.push_back(tri);
        }
        BuildSettings s;
        s.mergeVertices = false;
        RenderMesh m;
        const bool ok = buildRenderMesh(raw, "big_mesh", s, registry, m);
        EXPECT_EQ(ok, tris == 21845u);
        if (ok)
            EXPECT_EQ(m.parts[0].vertices.size(), 65535u);
        else
            EXPECT_NE(channel(2).find("big_mesh: material 3 needs more than 65536 vertices"), std::string::npos);
    }
}

TEST_F(RenderMeshTest, TangentFailureWithholdsBitsAndSuccessAddsThem)
{
    struct Tangents : TangentBuilder {
        bool ok;
        explicit Tangents(bool o) : ok(o) {}
        bool buildPart(RenderPart&) override { return ok; }
        void smooth(RenderPart&, float) override {}
    };
    for (bool ok : {false, true}) {
        resetLog();
        Tangents t(ok);
        BuildSettings s;
        s.normalMapping = 1;
        s.tangents = &t;
        RenderMesh m;
        ASSERT_TRUE(buildRenderMesh(quad(), "hull_mesh", s, registry, m));
        EXPECT_EQ(m.vertexFormat, ok ? 0x601Bu : 0x1Bu);
        EXPECT_EQ(channel(2).find("Could not build tangent basis for hull_mesh material 0.\n") != std::string::npos, !ok);
    }
}

TEST_F(RenderMeshTest, StripperFailureIsCaughtAndTheListKept)
{
    RenderPart part;
    part.vertices.resize(4);
    part.triangles = {0, 1, 2, 3}; // not whole triangles: the stripper throws
    EXPECT_NO_THROW(stripOrList(part, true));
    EXPECT_NE(channel(2).find("triangle stripper failed"), std::string::npos);
    ASSERT_EQ(part.groups.size(), 1u);
    EXPECT_EQ(part.groups[0].kind, 0u);
}

// Welding through the hash must equal the literal first-match search.
TEST_F(RenderMeshTest, HashedWeldingEqualsLinearSearch)
{
    std::mt19937 rng(1234);
    for (int round = 0; round < 60; ++round) {
        RawMesh raw;
        raw.positions = {{0, 0, 0}, {1, 1, 1}}; // box diagonal sqrt(3)
        const float a = [&] {
            RawMesh box;
            box.positions = raw.positions;
            return vl2::testing::weldTolerance(box);
        }();
        std::uniform_int_distribution<int> pick(0, 9), grid(0, 3);
        const float offsets[] = {0, a, -a, std::nextafter(a, 1.0f), a / 2, 2 * a, 0, 0, a, 3 * a};
        const int posCount = 200;
        std::uniform_int_distribution<int> steps(0, 9);
        for (int i = 0; i < posCount; ++i) {
            if (round % 3 == 2) {
                // Whole multiples of the tolerance from the box corner: neighbours
                // at the tolerance on every side of the hash's cell boundaries.
                raw.positions.push_back({steps(rng) * a, steps(rng) * a, steps(rng) * a});
                continue;
            }
            // Few base points, so many positions are equal or at the tolerance.
            const float base = round % 2 ? 0.5f : grid(rng) * 0.25f;
            raw.positions.push_back({base + offsets[pick(rng)], base + offsets[pick(rng)], 0.25f + offsets[pick(rng)]});
        }
        raw.normals = {{0, 0, 1}, {0, 0, 1 + kWeldTolerance}, {0, 0, std::nextafter(1 + kWeldTolerance, 2.0f)}};
        raw.uvs = {{0, 0}, {kWeldTolerance, 0}, {0.5f, 0.5f}};
        raw.colours = {0x80808080u, 0x80808081u, 0x00808080u};
        std::uniform_int_distribution<std::uint32_t> anyPos(0, posCount + 1), three(0, 2), mat(0, 2);
        for (int t = 0; t < 400; ++t) {
            RawTriangle tri;
            tri.material = mat(rng) == 0 ? 9 : 7;
            for (int c = 0; c < 3; ++c) {
                tri.position[c] = anyPos(rng);
                tri.normal[c] = three(rng);
                tri.uv[c] = three(rng);
                tri.colour[c] = three(rng);
            }
            raw.triangles.push_back(tri);
        }
        const RenderMesh welded = buildOk(raw, registry, true);
        const RenderMesh expected = vl2::testing::referenceWeld(buildOk(raw, registry, false), vl2::testing::weldTolerance(raw));
        ASSERT_EQ(welded.parts.size(), expected.parts.size());
        for (std::size_t p = 0; p < welded.parts.size(); ++p) {
            ASSERT_EQ(welded.parts[p].triangles, expected.parts[p].triangles) << "round " << round;
            ASSERT_EQ(welded.parts[p].vertices.size(), expected.parts[p].vertices.size());
            for (std::size_t v = 0; v < welded.parts[p].vertices.size(); ++v)
                ASSERT_TRUE(vertexMatches(welded.parts[p].vertices[v], expected.parts[p].vertices[v], 0x7FF, 0, 0));
        }
    }
}

// Each mask bit compares its own fields, a difference equal to the tolerance
// still matches, and fields outside the mask are ignored.
TEST(VertexComparison, EachMaskBitComparesItsFieldsWithItsTolerance)
{
    const float a = 0.5f, b = 0.25f; // exact in binary: 1 ± tolerance is exact too
    RenderVertex base;
    for (int i = 0; i < 3; ++i)
        base.position[i] = base.normal[i] = base.tangent[i] = base.binormal[i] = 1.0f;
    for (auto& set : base.uv)
        set[0] = set[1] = 1.0f;
    base.colour = 0x80402010u;

    using Field = float& (*)(RenderVertex&);
    struct Case {
        const char* name;
        std::uint32_t bit;
        std::uint32_t alsoComparedBy; // other bits that look at the same component
        bool positional;              // tolerance a, else b
        Field field;                  // the component changed on the second vertex
    } cases[] = {
        {"position x", 0x1, 0x400, true, [](RenderVertex& v) -> float& { return v.position[0]; }},
        {"position z", 0x1, 0x400, true, [](RenderVertex& v) -> float& { return v.position[2]; }},
        {"position y, second bit", 0x400, 0x1, true, [](RenderVertex& v) -> float& { return v.position[1]; }},
        {"normal y", 0x2, 0, false, [](RenderVertex& v) -> float& { return v.normal[1]; }},
        {"tangent z", 0x8, 0, false, [](RenderVertex& v) -> float& { return v.tangent[2]; }},
        {"binormal x", 0x10, 0x200, false, [](RenderVertex& v) -> float& { return v.binormal[0]; }},
        {"tangent against binormal", 0x200, 0x10, false, [](RenderVertex& v) -> float& { return v.binormal[2]; }},
        {"uv set 0 u", 0x20, 0, false, [](RenderVertex& v) -> float& { return v.uv[0][0]; }},
        {"uv set 1 v", 0x40, 0, false, [](RenderVertex& v) -> float& { return v.uv[1][1]; }},
        {"uv set 2 u", 0x80, 0, false, [](RenderVertex& v) -> float& { return v.uv[2][0]; }},
        {"uv set 3 v", 0x100, 0, false, [](RenderVertex& v) -> float& { return v.uv[3][1]; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const float tol = c.positional ? a : b;
        struct Step {
            float value;
            bool matches;
        } steps[] = {{1.0f + tol, true},
                     {std::nextafter(1.0f + tol, 2.0f), false},
                     {1.0f - tol, true},
                     // One step of 2^-24 below: the float difference is then above
                     // the tolerance (a single ulp under 0.5 would round back to it).
                     {(1.0f - tol) - std::numeric_limits<float>::epsilon() / 2, false},
                     {std::nanf(""), false}};
        for (const Step& s : steps) {
            RenderVertex w = base;
            c.field(w) = s.value;
            EXPECT_EQ(vertexMatches(base, w, c.bit, a, b), s.matches) << s.value;
            EXPECT_EQ(vertexMatches(base, w, 0x7FF, a, b), s.matches) << s.value;
            // Nothing else looks at the component.
            EXPECT_TRUE(vertexMatches(base, w, 0x7FF & ~(c.bit | c.alsoComparedBy), a, b)) << s.value;
        }
        // The tolerances are not swapped.
        RenderVertex w = base;
        c.field(w) = 1.0f + (c.positional ? b : a);
        EXPECT_EQ(vertexMatches(base, w, c.bit, a, b), c.positional);
    }

    // 0x200 pairs the first vertex's tangent with the second one's binormal.
    RenderVertex v = base, w = base;
    w.binormal[0] = 5.0f;
    EXPECT_FALSE(vertexMatches(v, w, 0x200, a, b));
    EXPECT_TRUE(vertexMatches(w, v, 0x200, a, b));
    v.tangent[0] = 5.0f;
    EXPECT_TRUE(vertexMatches(v, w, 0x200, a, b));

    // The w components are never compared.
    w = base;
    w.position[3] = 7.0f;
    w.normal[3] = -7.0f;
    EXPECT_TRUE(vertexMatches(base, w, 0x7FF, a, b));

    for (int bit : {0, 7, 8, 23, 24, 31}) {
        w = base;
        w.colour ^= 1u << bit;
        EXPECT_FALSE(vertexMatches(base, w, 0x4, a, b)) << bit;
        EXPECT_FALSE(vertexMatches(base, w, 0x7FF, 1e9f, 1e9f)) << bit; // no tolerance for colours
        EXPECT_TRUE(vertexMatches(base, w, 0x7FF & ~0x4u, a, b)) << bit;
    }
}

// The build's welding rule at its edges: a corner welds with an earlier
// vertex when its position is within 2e-5 of the box diagonal and normal and
// (u, v) within 2e-5, a difference equal to the tolerance included.
TEST_F(RenderMeshTest, WeldingTolerancesIncludeTheirEdge)
{
    const std::vector<std::array<float, 3>> corners = {{0, 0, 0}, {1000, 0, 0}, {0, 1000, 0},
                                                       {1000, 1000, 0}, {500, 900, 0}};
    RawMesh probe = meshOf(corners, {});
    const float A = vl2::testing::weldTolerance(probe);
    ASSERT_GT(A, 0.0f);
    struct Case {
        const char* name;
        std::array<float, 3> position;
        std::array<float, 3> normal;
        std::array<float, 2> uv;
        std::uint32_t colour;
        bool welds;
    } cases[] = {
        {"identical", {0, 0, 0}, {0, 0, 1}, {0, 0}, 0xFFFFFFFFu, true},
        {"position at the tolerance", {A, 0, 0}, {0, 0, 1}, {0, 0}, 0xFFFFFFFFu, true},
        {"position on every axis", {A, A, A}, {0, 0, 1}, {0, 0}, 0xFFFFFFFFu, true},
        {"position past it", {std::nextafter(A, 1.0f), 0, 0}, {0, 0, 1}, {0, 0}, 0xFFFFFFFFu, false},
        {"normal at the tolerance", {0, 0, 0}, {kWeldTolerance, 0, 1}, {0, 0}, 0xFFFFFFFFu, true},
        {"normal past it", {0, 0, 0}, {std::nextafter(kWeldTolerance, 1.0f), 0, 1}, {0, 0}, 0xFFFFFFFFu, false},
        {"uv at the tolerance", {0, 0, 0}, {0, 0, 1}, {0, kWeldTolerance}, 0xFFFFFFFFu, true},
        {"uv past it", {0, 0, 0}, {0, 0, 1}, {std::nextafter(kWeldTolerance, 1.0f), 0}, 0xFFFFFFFFu, false},
        {"colour bit 31", {0, 0, 0}, {0, 0, 1}, {0, 0}, 0x7FFFFFFFu, false},
        {"colour bit 0", {0, 0, 0}, {0, 0, 1}, {0, 0}, 0xFFFFFFFEu, false},
    };
    for (const Case& c : cases) {
        RawMesh raw = meshOf(corners, {{0, 1, 2}, {5, 3, 4}});
        raw.positions.push_back(c.position); // number 5: corner 0 of triangle 1
        raw.normals.push_back(c.normal);
        raw.uvs.push_back(c.uv);
        raw.colours.push_back(c.colour);
        raw.triangles[1].normal[0] = 1;
        raw.triangles[1].uv[0] = 1;
        raw.triangles[1].colour[0] = 1;
        ASSERT_EQ(vl2::testing::weldTolerance(raw), A) << c.name; // the box is unchanged
        const RenderMesh m = buildOk(raw, registry);
        ASSERT_EQ(m.parts.size(), 1u);
        EXPECT_EQ(m.parts[0].vertices.size(), c.welds ? 5u : 6u) << c.name;
        EXPECT_EQ(m.parts[0].triangles[3], c.welds ? 0u : 3u) << c.name;
    }
}

// Summary, renumbering and finishing lines of one part, exactly.
TEST_F(RenderMeshTest, StripOrListSummaryLines)
{
    std::vector<std::uint16_t> band;
    for (std::uint16_t i = 0; i < 20; ++i) {
        if (i % 2 == 0)
            band.insert(band.end(), {i, std::uint16_t(i + 1), std::uint16_t(i + 2)});
        else
            band.insert(band.end(), {std::uint16_t(i + 1), i, std::uint16_t(i + 2)});
    }
    struct Case {
        const char* name;
        std::size_t vertices;
        std::vector<std::uint16_t> triangles;
        bool strips;
        const char* log;
        std::vector<std::uint32_t> kinds;
    } cases[] = {
        {"quad strip", 4, {0, 1, 2, 0, 2, 3}, true,
         "4 verts, 2 tris...1 strips averaging 2.000000 tris.remapping indices...finishing...", {1}},
        {"quad list", 4, {0, 1, 2, 0, 2, 3}, false,
         "4 verts, 2 tris...1 list of 2.remapping indices...finishing...", {0}},
        {"strip and a lone triangle", 7, {0, 1, 2, 0, 2, 3, 4, 5, 6}, true,
         "7 verts, 3 tris...1 strips averaging 2.000000 tris and 1 list of 1.remapping indices...finishing...", {1, 0}},
        {"band of 20 under a cache of 10", 22, band, true,
         "22 verts, 20 tris...3 strips averaging 6.666667 tris.remapping indices...finishing...", {1, 1, 1}},
        {"unused vertices", 9, {8, 1, 2, 8, 2, 3}, true,
         ".Removed 5 unused verts leaving 4 verts (2 tris)...1 strips averaging 2.000000 tris.remapping "
         "indices...finishing...",
         {1}},
    };
    for (const Case& c : cases) {
        RenderPart part;
        part.vertices.resize(c.vertices);
        for (std::size_t v = 0; v < c.vertices; ++v)
            part.vertices[v].position[0] = float(v); // tells the vertices apart after renumbering
        part.triangles = c.triangles;
        resetLog();
        stripOrList(part, c.strips);
        EXPECT_EQ(channel(0), c.log) << c.name;
        std::vector<std::uint32_t> kinds;
        for (const PrimitiveGroup& g : part.groups)
            kinds.push_back(g.kind);
        EXPECT_EQ(kinds, c.kinds) << c.name;
    }
}

// On random parts: after optimisation the groups meet the vertices in order
// 0, 1, 2, ..., every vertex is used, and each index still names the vertex
// it named before.
TEST_F(RenderMeshTest, RenumberingFollowsFirstUseOnRandomParts)
{
    std::mt19937 rng(77);
    for (int round = 0; round < 30; ++round) {
        const std::size_t vertexCount = 5 + rng() % 60;
        RenderPart part;
        part.vertices.resize(vertexCount);
        for (std::size_t v = 0; v < vertexCount; ++v)
            part.vertices[v].position[0] = float(v);
        std::uniform_int_distribution<std::uint16_t> pick(0, std::uint16_t(vertexCount - 1));
        const std::size_t tris = 1 + rng() % 80;
        for (std::size_t t = 0; t < tris; ++t) {
            std::uint16_t a = pick(rng), b = pick(rng), c = pick(rng);
            if (a == b || b == c || a == c)
                continue;
            part.triangles.insert(part.triangles.end(), {a, b, c});
        }
        if (part.triangles.empty())
            continue;
        const RenderPart before = part;
        stripOrList(part, round % 3 != 0);

        std::uint16_t next = 0;
        for (const PrimitiveGroup& g : part.groups)
            for (std::uint16_t i : g.indices) {
                ASSERT_LE(i, next) << "round " << round;
                if (i == next)
                    ++next;
            }
        EXPECT_EQ(part.vertices.size(), std::size_t(next)) << "round " << round;
        // Old numbers by position: the triangles drawn are the ones given.
        std::multiset<std::array<float, 3>> drawn, given;
        auto rot = [](std::array<float, 3> t) {
            while (!(t[0] <= t[1] && t[0] <= t[2]))
                t = {t[1], t[2], t[0]};
            return t;
        };
        for (std::size_t i = 0; i < before.triangles.size(); i += 3)
            given.insert(rot({before.vertices[before.triangles[i]].position[0],
                              before.vertices[before.triangles[i + 1]].position[0],
                              before.vertices[before.triangles[i + 2]].position[0]}));
        for (const PrimitiveGroup& g : part.groups) {
            auto x = [&](std::size_t k) { return part.vertices[g.indices[k]].position[0]; };
            if (g.kind == 0)
                for (std::size_t k = 0; k + 2 < g.indices.size(); k += 3)
                    drawn.insert(rot({x(k), x(k + 1), x(k + 2)}));
            else
                for (std::size_t k = 0; k + 2 < g.indices.size(); ++k)
                    drawn.insert(k % 2 ? rot({x(k + 1), x(k), x(k + 2)}) : rot({x(k), x(k + 1), x(k + 2)}));
        }
        EXPECT_EQ(drawn, given) << "round " << round;
    }
}

TEST_F(RenderMeshTest, PartWithAnIndexPastItsVerticesIsRefusedWithoutPrimitives)
{
    RenderPart part;
    part.materialIndex = 4;
    part.vertices.resize(3);
    part.triangles = {0, 1, 2, 0, 2, 3};
    part.groups.push_back({0, {0, 1, 2}});
    for (bool strips : {true, false}) {
        resetLog();
        RenderPart p = part;
        EXPECT_NO_THROW(stripOrList(p, strips));
        EXPECT_TRUE(p.groups.empty());
        EXPECT_EQ(p.vertices.size(), 3u);
        EXPECT_EQ(channel(2), "material 4: index 3 is not below the part's 3 vertices; no primitives written\n");
    }
}
