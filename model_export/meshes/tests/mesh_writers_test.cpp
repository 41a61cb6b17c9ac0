#include "MeshWriters.h"

#include <chunkread/ChunkReader.h>
#include <runlog/RunLog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <stdexcept>
#include <string>

using namespace vl2;
using vl2::chunkread::Value;

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

using Pos = std::array<float, 3>;
using Tri = std::array<Pos, 3>;

// Rotated so the smallest corner leads: the same triangle with the same
// winding compares equal.
Tri canonical(Tri t)
{
    auto lead = std::min_element(t.begin(), t.end()) - t.begin();
    std::rotate(t.begin(), t.begin() + lead, t.end());
    return t;
}

Pos positionOf(const Value& vertex)
{
    const Value& p = *vertex.field("position");
    return {float(p[0].asDouble()), float(p[1].asDouble()), float(p[2].asDouble())};
}

// Every triangle the groups of a decoded BMSH draw, strips with alternating winding.
std::vector<Tri> decodeTriangles(const Value& bmsh)
{
    std::vector<Tri> out;
    const Value& parts = *bmsh.field("parts");
    for (const Value& part : parts.items()) {
        const Value& vertices = *part.field("vertices");
        for (const Value& group : part.field("groups")->items()) {
            const Value& idx = *group.field("indices");
            auto at = [&](std::size_t i) { return positionOf(vertices[std::size_t(idx[i].asInt())]); };
            const std::int64_t type = group.field("type")->asInt();
            if (type == 514) {
                for (std::size_t i = 0; i + 2 < idx.size(); i += 3)
                    out.push_back(canonical({at(i), at(i + 1), at(i + 2)}));
                EXPECT_EQ(idx.size() % 3, 0u);
            } else {
                EXPECT_EQ(type, 518);
                // Strips are never joined: every window of three is a triangle.
                for (std::size_t k = 0; k + 2 < idx.size(); ++k) {
                    if (k % 2 == 0)
                        out.push_back(canonical({at(k), at(k + 1), at(k + 2)}));
                    else
                        out.push_back(canonical({at(k + 1), at(k), at(k + 2)}));
                }
            }
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// As written, every part meets its vertices in order 0, 1, 2, ... and uses
// each of them: renumbering by first use, no unused vertex left behind.
void expectFirstUseOrder(const Value& bmsh)
{
    for (const Value& part : bmsh.field("parts")->items()) {
        std::int64_t next = 0, firstOutOfOrder = -1;
        for (const Value& group : part.field("groups")->items())
            for (const Value& index : group.field("indices")->items()) {
                const std::int64_t i = index.asInt();
                if (i > next && firstOutOfOrder < 0)
                    firstOutOfOrder = i;
                if (i == next)
                    ++next;
            }
        EXPECT_EQ(firstOutOfOrder, -1) << "met before every smaller number";
        EXPECT_EQ(part.field("vertexCount")->asInt(), next);
    }
}

std::vector<Tri> inputTriangles(const RawMesh& raw)
{
    std::vector<Tri> out;
    for (const RawTriangle& t : raw.triangles)
        out.push_back(canonical({raw.positions[t.position[0]], raw.positions[t.position[1]], raw.positions[t.position[2]]}));
    std::sort(out.begin(), out.end());
    return out;
}

// A grid of points with random triangles between neighbours, random windings.
std::shared_ptr<RawMesh> randomMesh(std::mt19937& rng, int n, int triangles)
{
    auto raw = std::make_shared<RawMesh>();
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            raw->positions.push_back({float(x), float(y), float((x * y) % 3)});
    raw->normals = {{0, 0, 1}};
    raw->uvs = {{0, 0}, {1, 0}};
    raw->colours = {0};
    std::uniform_int_distribution<int> cell(0, n - 2), kind(0, 3), mat(0, 1), uv(0, 1);
    for (int t = 0; t < triangles; ++t) {
        const std::uint32_t x = cell(rng), y = cell(rng);
        const std::uint32_t a = y * n + x, b = a + 1, c = a + n, d = a + n + 1;
        RawTriangle tri;
        tri.material = mat(rng) ? 7 : 8;
        const int k = kind(rng);
        tri.position = k == 0 ? std::array<std::uint32_t, 3>{a, b, d}
                     : k == 1 ? std::array<std::uint32_t, 3>{a, d, c}
                     : k == 2 ? std::array<std::uint32_t, 3>{a, d, b}
                              : std::array<std::uint32_t, 3>{a, c, d};
        // Same uv on every use of a grid point, so welding can join corners.
        for (int c2 = 0; c2 < 3; ++c2)
            tri.uv[c2] = tri.position[c2] % 2;
        raw->triangles.push_back(tri);
    }
    return raw;
}

struct MeshWritersTest : ::testing::Test {
    MapRegistry registry;
    MeshWriteSettings settings;
    std::string path;
    void SetUp() override
    {
        runLog().setEchoStream(nullptr);
        resetLog();
        registry.known[7] = {2, "hullShader"};
        registry.known[8] = {5, "glass"};
        settings.materials = &registry;
        path = std::string(VL2_BINARY_DIR) + "/mesh_writers_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
    }
    OutputMesh entry(std::vector<std::shared_ptr<RawMesh>> levels)
    {
        OutputMesh m;
        m.name = "Root_mesh";
        m.parentName = "Root";
        m.levels = std::move(levels);
        return m;
    }
    chunkread::ChunkFile writeAndRead(const OutputMesh& m, bool multi, bool expectWritten = true)
    {
        ChunkWriter w;
        EXPECT_TRUE(w.openFile(path));
        const bool wrote = multi ? writeMultiMesh(w, m, settings) : writeBasicMesh(w, m, settings);
        EXPECT_EQ(wrote, expectWritten);
        EXPECT_TRUE(w.closeFile());
        return chunkread::readChunkFile(path);
    }
};

std::shared_ptr<RawMesh> quad()
{
    auto raw = std::make_shared<RawMesh>();
    raw->positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    raw->normals = {{0, 0, 1}};
    raw->uvs = {{0.25f, 0.75f}};
    raw->colours = {0x11223344u};
    for (auto t : {std::array<std::uint32_t, 3>{0, 1, 2}, {0, 2, 3}}) {
        RawTriangle tri;
        tri.material = 7;
        tri.position = t;
        raw->triangles.push_back(tri);
    }
    return raw;
}

} // namespace

TEST_F(MeshWritersTest, BasicQuadReadsBackAsOneStrip)
{
    const auto f = writeAndRead(entry({quad()}), false);
    ASSERT_TRUE(f.ok()) << f.problemText();
    const auto* bmsh = f.find("BMSH");
    ASSERT_NE(bmsh, nullptr);
    EXPECT_EQ(bmsh->version, 1400u);
    ASSERT_TRUE(bmsh->decoded);
    EXPECT_EQ(bmsh->field("level")->asInt(), 0);
    EXPECT_EQ(bmsh->field("partCount")->asInt(), 1);
    EXPECT_EQ(bmsh->field("parts.0.material")->asInt(), 2);
    EXPECT_EQ(bmsh->field("parts.0.format")->asInt(), 0x1B);
    EXPECT_EQ(bmsh->field("parts.0.vertexCount")->asInt(), 4);
    EXPECT_EQ(bmsh->field("parts.0.vertices.0.position.0")->asDouble(), 1.0); // old vertex 1
    EXPECT_EQ(bmsh->field("parts.0.vertices.0.position.3")->asDouble(), 1.0);
    EXPECT_EQ(bmsh->field("parts.0.vertices.0.normal.2")->asDouble(), 1.0);
    EXPECT_EQ(bmsh->field("parts.0.vertices.0.uv.1")->asDouble(), 0.75);
    EXPECT_EQ(bmsh->field("parts.0.vertices.0.colour"), nullptr); // 0x4 is not in the mask
    EXPECT_EQ(bmsh->field("parts.0.groupCount")->asInt(), 1);
    EXPECT_EQ(bmsh->field("parts.0.groups.0.type")->asInt(), 518);
    const Value& idx = *bmsh->field("parts.0.groups.0.indices");
    ASSERT_EQ(idx.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(idx[i].asInt(), std::int64_t(i));
    EXPECT_NE(channel(0).find("Root_mesh"), std::string::npos);
}

TEST_F(MeshWritersTest, ListsWhenStripsAreOff)
{
    settings.strips = false;
    const auto f = writeAndRead(entry({quad()}), false);
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(f.find("BMSH")->field("parts.0.groups.0.type")->asInt(), 514);
    EXPECT_EQ(f.find("BMSH")->field("parts.0.groups.0.indexCount")->asInt(), 6);
}

TEST_F(MeshWritersTest, TangentBasisAddsFieldsToTheMask)
{
    struct Tangents : TangentBuilder {
        bool buildPart(RenderPart& p) override
        {
            for (RenderVertex& v : p.vertices) {
                v.tangent[0] = 1;
                v.binormal[1] = 1;
            }
            return true;
        }
        void smooth(RenderPart&, float) override {}
    } tangents;
    settings.normalMapping = 1;
    settings.tangents = &tangents;
    const auto f = writeAndRead(entry({quad()}), false);
    ASSERT_TRUE(f.ok()) << f.problemText();
    const auto* bmsh = f.find("BMSH");
    EXPECT_EQ(bmsh->field("parts.0.format")->asInt(), 0x601B);
    EXPECT_EQ(bmsh->field("parts.0.vertices.3.tangent.0")->asDouble(), 1.0);
    EXPECT_EQ(bmsh->field("parts.0.vertices.3.binormal.1")->asDouble(), 1.0);
}

TEST_F(MeshWritersTest, BasicWithoutLevelsOrWithAFailedLevelWritesNothing)
{
    struct Case {
        std::vector<std::shared_ptr<RawMesh>> levels;
        const char* message;
    } cases[] = {{{}, "no mesh to export for Root_mesh\n"},
                 {{nullptr}, "Error computing basic mesh Root_mesh\n"},
                 {{std::make_shared<RawMesh>()}, "Error computing basic mesh Root_mesh\n"}};
    for (const Case& c : cases) {
        resetLog();
        const auto f = writeAndRead(entry(c.levels), false, false);
        EXPECT_TRUE(f.chunks.empty());
        EXPECT_EQ(channel(2), c.message);
    }
}

TEST_F(MeshWritersTest, MultiWritesEveryLevelUnderItsNames)
{
    std::mt19937 rng(7);
    const auto f = writeAndRead(entry({quad(), randomMesh(rng, 6, 30), quad()}), true);
    ASSERT_TRUE(f.ok()) << f.problemText();
    const auto* mult = f.find("MULT");
    ASSERT_NE(mult, nullptr);
    ASSERT_TRUE(mult->decoded);
    EXPECT_EQ(mult->version, 1400u);
    EXPECT_EQ(mult->field("name")->asString(), "Root_mesh");
    EXPECT_EQ(mult->field("parent")->asString(), "Root");
    EXPECT_EQ(mult->field("levelCount")->asInt(), 3);
    ASSERT_EQ(mult->children.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(mult->children[i].field("level")->asInt(), std::int64_t(i));
    EXPECT_EQ(mult->children[1].field("partCount")->asInt(), 2);
    EXPECT_NE(channel(0).find("Root_mesh_LOD_1 level 1 uses"), std::string::npos);
    EXPECT_NE(channel(0).find("optimizing Root_mesh_LOD_2 level 2:"), std::string::npos);
}

TEST_F(MeshWritersTest, MultiWithAFailingLevelWritesNothing)
{
    const auto f = writeAndRead(entry({quad(), std::make_shared<RawMesh>()}), true, false);
    EXPECT_TRUE(f.chunks.empty());
    EXPECT_EQ(channel(2), "Error computing multi mesh Root_mesh\n");
}

TEST_F(MeshWritersTest, UnknownGroupKindIsReportedAndWrittenAsZero)
{
    RenderMesh m;
    m.name = "x";
    m.parts.resize(1);
    m.parts[0].vertices.resize(3);
    m.parts[0].groups.push_back({9, {0, 1, 2}});
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path));
    EXPECT_FALSE(writeBmsh(w, m, 0));
    ASSERT_TRUE(w.closeFile());
    const auto f = chunkread::readChunkFile(path);
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(f.find("BMSH")->field("parts.0.groups.0.type")->asInt(), 0);
    EXPECT_EQ(channel(2), "corrupt data found in basic mesh");
}

// Whatever the stripper did, the file must draw exactly the input triangles
// with their winding.
TEST_F(MeshWritersTest, StripsAndListsReadBackAsTheInputTriangles)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 25; ++round) {
        auto raw = round == 0 ? quad() : randomMesh(rng, 3 + round % 9, 5 + 40 * round);
        // Random meshes may repeat a triangle; each copy must come back.
        for (bool strips : {true, false}) {
            for (bool merge : {true, false}) {
                settings.strips = strips;
                settings.mergeVertices = merge;
                const auto f = writeAndRead(entry({raw}), false);
                ASSERT_TRUE(f.ok()) << f.problemText();
                SCOPED_TRACE(::testing::Message() << "round " << round << " strips " << strips << " merge " << merge);
                ASSERT_EQ(decodeTriangles(f.find("BMSH")->fields), inputTriangles(*raw));
                expectFirstUseOrder(f.find("BMSH")->fields);
            }
        }
    }
}

// A part that 16-bit indices cannot address is refused whole: no chunk, and
// the errors name the mesh.
TEST_F(MeshWritersTest, PartBeyondSixteenBitIndicesWritesNoChunk)
{
    auto big = std::make_shared<RawMesh>();
    big->normals = {{0, 0, 1}};
    big->uvs = {{0, 0}};
    big->colours = {0};
    const std::uint32_t tris = 21846; // 65538 distinct corners
    for (std::uint32_t i = 0; i < 3 * tris; ++i)
        big->positions.push_back({float(i % 1000), float(i / 1000), 0});
    for (std::uint32_t t = 0; t < tris; ++t) {
        RawTriangle tri;
        tri.material = 7;
        tri.position = {3 * t, 3 * t + 1, 3 * t + 2};
        big->triangles.push_back(tri);
    }
    for (bool multi : {false, true}) {
        resetLog();
        const auto f = writeAndRead(entry(multi ? std::vector<std::shared_ptr<RawMesh>>{quad(), big}
                                                : std::vector<std::shared_ptr<RawMesh>>{big}),
                                    multi, false);
        EXPECT_TRUE(f.chunks.empty()) << multi;
        const std::string errors = channel(2);
        EXPECT_NE(errors.find(multi ? "Root_mesh_LOD_1 level 1: material 2 needs more than 65536 vertices"
                                    : "Root_mesh: material 2 needs more than 65536 vertices"),
                  std::string::npos)
            << errors;
        EXPECT_NE(errors.find(multi ? "Error computing multi mesh Root_mesh\n" : "Error computing basic mesh Root_mesh\n"),
                  std::string::npos)
            << errors;
    }
}

// The group count has 16 bits: a part with more groups is cut at 65535 and
// reported, so the chunk still reads back consistently.
TEST_F(MeshWritersTest, MoreGroupsThanTheCountHoldsAreReported)
{
    RenderMesh m;
    m.name = "x";
    m.parts.resize(1);
    m.parts[0].vertices.resize(3);
    m.parts[0].groups.assign(0x10000, PrimitiveGroup{0, {0, 1, 2}});
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path));
    EXPECT_FALSE(writeBmsh(w, m, 0));
    ASSERT_TRUE(w.closeFile());
    const auto f = chunkread::readChunkFile(path);
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(f.find("BMSH")->field("parts.0.groupCount")->asInt(), 0xFFFF);
    EXPECT_EQ(channel(2), "corrupt data found in basic mesh");
}

// A failure thrown inside the mesh processing stops at the writer: the mesh
// is reported and nothing is written.
TEST_F(MeshWritersTest, ExceptionsInsideTheBuildStopAtTheWriter)
{
    struct Throwing : TangentBuilder {
        bool buildPart(RenderPart&) override { throw std::runtime_error("tangent space exploded"); }
        void smooth(RenderPart&, float) override {}
    } tangents;
    settings.normalMapping = 1;
    settings.tangents = &tangents;
    for (bool multi : {false, true}) {
        resetLog();
        chunkread::ChunkFile f;
        EXPECT_NO_THROW(f = writeAndRead(entry({quad()}), multi, false));
        EXPECT_TRUE(f.chunks.empty());
        EXPECT_NE(channel(2).find("tangent space exploded\n"), std::string::npos) << channel(2);
        EXPECT_NE(channel(2).find(multi ? "Error computing multi mesh Root_mesh\n" : "Error computing basic mesh Root_mesh\n"),
                  std::string::npos);
    }
}

// Without a material section every material number is unknown: the mesh is
// still written, its parts under material index 0.
TEST_F(MeshWritersTest, WithoutMaterialsEveryPartIsUnknown)
{
    settings.materials = nullptr;
    std::mt19937 rng(5);
    const auto f = writeAndRead(entry({randomMesh(rng, 5, 20)}), false);
    ASSERT_TRUE(f.ok()) << f.problemText();
    const auto* bmsh = f.find("BMSH");
    ASSERT_NE(bmsh, nullptr);
    EXPECT_EQ(bmsh->field("partCount")->asInt(), 1); // numbers 7 and 8 share index 0
    EXPECT_EQ(bmsh->field("parts.0.material")->asInt(), 0);
    EXPECT_NE(channel(0).find("Root_mesh uses 2 materials; UNKNOWN("), std::string::npos) << channel(0);
    EXPECT_NE(channel(0).find("\n\tstripping material 0 (UNKNOWN) 1/1..."), std::string::npos);
    EXPECT_EQ(channel(2), "");
}
