#include "RenderMesh.h"
#include "reference_weld.h"

#include <runlog/RunLog.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
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
    registry.known[7] = {3, "lambert1"};
    struct Case {
        const char* exportName;
        bool error;
    } cases[] = {{"hull_mesh", true}, {"EngineGlow_mesh", false}, {"CM2_hull_mesh", false}, {"lambert1x", true}};
    for (const Case& c : cases) {
        resetLog();
        RenderMesh m = buildOk(quad(), registry);
        optimiseRenderMesh(m, true, c.exportName, registry);
        EXPECT_EQ(channel(2).find("Don't use the lambert shader") != std::string::npos, c.error) << c.exportName;
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
        for (int i = 0; i < posCount; ++i) {
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
