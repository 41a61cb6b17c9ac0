// ChunkWriter output checked byte by byte and read back through vl2inspect's
// reader, which shares no code with the writer.
#include "chunk/ChunkWriter.h"
#include "chunk/StandardChunks.h"
#include "runlog/RunLog.h"

#include "chunkread/ChunkReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using vl2::ChunkWriter;
using vl2::fourCC;
namespace cr = vl2::chunkread;
using Bytes = std::vector<std::uint8_t>;

class ChunkWriterTest : public testing::Test {
protected:
    void SetUp() override
    {
        path_ = testing::TempDir() + "chunk_writer_" + std::to_string(getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
        vl2::runLog().setEchoStream(nullptr);
        vl2::resetLog();
    }
    void TearDown() override
    {
        std::remove(path_.c_str());
        vl2::runLog().setEchoStream(stdout);
    }

    Bytes bytes() const
    {
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    cr::ChunkFile readBack() const { return cr::readChunkFile(path_); }

    std::string path_;
};

Bytes text(const char* s)
{
    return Bytes(s, s + std::char_traits<char>::length(s));
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST_F(ChunkWriterTest, EmptyChunksOfEachKind)
{
    struct Case {
        std::uint32_t type;
        Bytes expected;
        cr::ChunkKind kind;
        std::uint32_t size;
    };
    const Case cases[] = {
        {vl2::kFormChunk, cat({text("FORM"), {0, 0, 0, 4}, text("ABCD")}), cr::ChunkKind::Form, 4},
        {vl2::kNrmlChunk, cat({text("NRML"), {0, 0, 0, 8}, text("ABCD"), {0, 0, 0x05, 0x78}}), cr::ChunkKind::Nrml, 8},
        {vl2::kPlainChunk, cat({text("ABCD"), {0, 0, 0, 0}}), cr::ChunkKind::Plain, 0},
        // Any other type word is a plain chunk too.
        {fourCC("XXXX"), cat({text("ABCD"), {0, 0, 0, 0}}), cr::ChunkKind::Plain, 0},
    };
    for (const Case& c : cases) {
        ChunkWriter w;
        ASSERT_TRUE(w.openFile(path_));
        EXPECT_EQ(w.beginChunk(c.type, fourCC("ABCD"), 1400), 1);
        EXPECT_EQ(w.endChunk(), fourCC("ABCD"));
        EXPECT_TRUE(w.closeFile());
        EXPECT_EQ(bytes(), c.expected);
        const cr::ChunkFile f = readBack();
        ASSERT_TRUE(f.ok()) << f.problemText();
        ASSERT_EQ(f.chunks.size(), 1u);
        EXPECT_EQ(f.chunks[0].kind, c.kind);
        EXPECT_EQ(f.chunks[0].name, "ABCD");
        EXPECT_EQ(f.chunks[0].size, c.size);
        EXPECT_EQ(f.chunks[0].dataSize, 0u);
        if (c.kind == cr::ChunkKind::Nrml) {
            EXPECT_EQ(f.chunks[0].version, 1400u);
        }
    }
}

TEST_F(ChunkWriterTest, VersionFormIsTheSixteenDocumentedBytes)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    EXPECT_TRUE(vl2::writeVersionChunk(w));
    EXPECT_TRUE(w.closeFile());
    EXPECT_EQ(bytes(), cat({text("FORM"), {0, 0, 0, 8}, text("VERS"), {0x00, 0x02, 0x00, 0x00}}));
    EXPECT_STREQ(vl2::channelText(0), "version chunk: 512\n");
    const cr::ChunkFile f = readBack();
    ASSERT_TRUE(f.ok()) << f.problemText();
    ASSERT_NE(f.find("VERS"), nullptr);
    EXPECT_EQ(f.find("VERS")->field("version")->asInt(), 512);
}

TEST_F(ChunkWriterTest, NameAndBadDataChunksHoldBareCharacters)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    EXPECT_TRUE(vl2::writeNameChunk(w, "Velmora2 Basic Mesh File"));
    EXPECT_TRUE(vl2::writeBadDataChunk(w, "face 3 index mismatch.  v 4, n 3, uv 4, c 4\n"));
    EXPECT_TRUE(w.closeFile());

    const Bytes b = bytes();
    // FORM NAME: size counts the identifier and the 24 characters, no length word.
    ASSERT_GE(b.size(), 36u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 12), cat({text("FORM"), {0, 0, 0, 28}, text("NAME")}));
    EXPECT_EQ(Bytes(b.begin() + 12, b.begin() + 36), text("Velmora2 Basic Mesh File"));
    EXPECT_EQ(Bytes(b.begin() + 36, b.begin() + 44), cat({text("BADD"), {0, 0, 0, 44}}));
    EXPECT_EQ(b.size(), 44u + 44u);

    const cr::ChunkFile f = readBack();
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(f.find("NAME")->field("name")->asString(), "Velmora2 Basic Mesh File");
    EXPECT_EQ(f.find("BADD")->kind, cr::ChunkKind::Plain);
    EXPECT_EQ(f.find("BADD")->field("text")->asString(), "face 3 index mismatch.  v 4, n 3, uv 4, c 4\n");
    EXPECT_STREQ(vl2::channelText(0), "name chunk: Velmora2 Basic Mesh File\n"
                                      "** BAD chunk: face 3 index mismatch.  v 4, n 3, uv 4, c 4\n **\n");
}

TEST_F(ChunkWriterTest, NestedSizesAreBackPatchedWithoutPadding)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    EXPECT_EQ(w.beginForm(fourCC("HVMD")), 1);
    EXPECT_EQ(w.beginPlainChunk(fourCC("ODD3")), 2);
    const std::uint8_t three[3] = {1, 2, 3};
    EXPECT_TRUE(w.writeBytes(three, 1, 3));
    EXPECT_EQ(w.endChunk(), fourCC("ODD3"));
    EXPECT_EQ(w.endChunk(), fourCC("HVMD"));
    // A second top-level chunk follows the odd size at once.
    w.beginPlainChunk(fourCC("NEXT"));
    w.endChunk();
    EXPECT_TRUE(w.closeFile());

    EXPECT_EQ(bytes(), cat({text("FORM"), {0, 0, 0, 15}, text("HVMD"), text("ODD3"), {0, 0, 0, 3}, {1, 2, 3},
                            text("NEXT"), {0, 0, 0, 0}}));
    const cr::ChunkFile f = readBack();
    ASSERT_TRUE(f.ok()) << f.problemText();
    const cr::Chunk* odd = f.find("HVMD/ODD3");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->size, 3u);
    EXPECT_EQ(odd->offset, 12u);
    EXPECT_EQ(f.chunks[1].offset, 23u);
}

TEST_F(ChunkWriterTest, DeepMixedNestingReadsBack)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    constexpr int kDepth = 40;
    for (int i = 0; i < kDepth; ++i) {
        const std::uint32_t id = fourCC("L000") + static_cast<std::uint32_t>((i / 10) << 8 | (i % 10));
        const int depth = i % 3 == 0 ? w.beginForm(id) : i % 3 == 1 ? w.beginNrml(id, 100 + i) : w.beginPlainChunk(id);
        EXPECT_EQ(depth, i + 1);
        w.writeUInt32(static_cast<std::uint32_t>(i)); // raw contents before the child
    }
    for (int i = kDepth; i > 0; --i)
        w.endChunk();
    EXPECT_EQ(w.depth(), 0);
    EXPECT_TRUE(w.closeFile());

    // The reader treats only FORMs as containers by default, so walk the
    // sizes by hand: each chunk's size is its header rest + 4 + the child.
    const Bytes b = bytes();
    std::uint64_t expected = 0;
    std::vector<std::uint64_t> sizes(kDepth);
    for (int i = kDepth - 1; i >= 0; --i) {
        const std::uint64_t header = i % 3 == 0 ? 12 : i % 3 == 1 ? 16 : 8;
        sizes[static_cast<std::size_t>(i)] = (header - 8) + 4 + expected;
        expected = header + 4 + expected;
    }
    EXPECT_EQ(b.size(), expected);
    std::size_t pos = 0;
    for (int i = 0; i < kDepth; ++i) {
        const std::uint32_t size = std::uint32_t(b[pos + 4]) << 24 | std::uint32_t(b[pos + 5]) << 16 |
                                   std::uint32_t(b[pos + 6]) << 8 | b[pos + 7];
        EXPECT_EQ(size, sizes[static_cast<std::size_t>(i)]) << "level " << i;
        pos += (i % 3 == 0 ? 12 : i % 3 == 1 ? 16 : 8) + 4;
    }
    // The top FORM parses; its first content is the raw 4 bytes, which the
    // reader rejects as a child: the container rule of the reader, not a
    // writer fault. Size checking of the top level still passes.
    const cr::ChunkFile f = readBack();
    ASSERT_EQ(f.chunks.size(), 1u);
    EXPECT_EQ(f.chunks[0].end(), b.size());
}

TEST_F(ChunkWriterTest, NrmlVersionsAreBigEndianHeaderWords)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    for (std::uint32_t version : {0u, 1u, 1400u, 0x01020304u, 0xFFFFFFFFu}) {
        w.beginNrml(fourCC("VRSN"), version);
        w.endChunk();
    }
    EXPECT_TRUE(w.closeFile());
    const Bytes b = bytes();
    ASSERT_EQ(b.size(), 5u * 16u);
    EXPECT_EQ(Bytes(b.begin() + 3 * 16, b.begin() + 4 * 16),
              cat({text("NRML"), {0, 0, 0, 8}, text("VRSN"), {1, 2, 3, 4}}));
    const cr::ChunkFile f = readBack();
    ASSERT_TRUE(f.ok()) << f.problemText();
    const std::vector<std::uint32_t> expected = {0u, 1u, 1400u, 0x01020304u, 0xFFFFFFFFu};
    ASSERT_EQ(f.chunks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(f.chunks[i].version, expected[i]);
}

TEST_F(ChunkWriterTest, ContentsAreLittleEndian)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    w.beginPlainChunk(fourCC("DATA"));
    EXPECT_TRUE(w.writeUInt32(512));
    EXPECT_TRUE(w.writeUInt32(0x11223344u));
    EXPECT_TRUE(w.writeFloat(1.0f));
    EXPECT_TRUE(w.writeFloat(-2.5f));
    EXPECT_TRUE(w.writeUInt16(0xBEEF));
    EXPECT_TRUE(w.writeUInt8(7));
    EXPECT_TRUE(w.writeInt32(-2));
    const float raw = 0.5f;
    EXPECT_TRUE(w.writeBytes(&raw, sizeof raw, 1)); // memory order on this little-endian host
    w.endChunk();
    EXPECT_TRUE(w.closeFile());
    EXPECT_EQ(bytes(), cat({text("DATA"), {0, 0, 0, 27}, {0x00, 0x02, 0x00, 0x00}, {0x44, 0x33, 0x22, 0x11},
                            {0x00, 0x00, 0x80, 0x3F}, {0x00, 0x00, 0x20, 0xC0}, {0xEF, 0xBE}, {7},
                            {0xFE, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x3F}}));
}

TEST_F(ChunkWriterTest, StringsAreLengthThenCharacters)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    w.beginPlainChunk(fourCC("STRS"));
    EXPECT_TRUE(w.writeString("abc"));
    EXPECT_TRUE(w.writeString(""));
    EXPECT_TRUE(w.writeString(static_cast<const char*>(nullptr)));
    EXPECT_TRUE(w.writeString(std::string("Root")));
    EXPECT_TRUE(w.writeString(std::string()));
    w.endChunk();
    EXPECT_TRUE(w.closeFile());
    EXPECT_EQ(bytes(), cat({text("STRS"), {0, 0, 0, 27}, {3, 0, 0, 0}, text("abc"), {0, 0, 0, 0}, {0, 0, 0, 0},
                            {4, 0, 0, 0}, text("Root"), {0, 0, 0, 0}}));
}

TEST_F(ChunkWriterTest, SizeFieldsAreBigEndian)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    w.beginPlainChunk(fourCC("BIG "));
    const std::vector<std::uint8_t> payload(0x010203, 0xAB);
    EXPECT_TRUE(w.writeBytes(payload.data(), 1, payload.size()));
    w.endChunk();
    EXPECT_TRUE(w.closeFile());
    const Bytes b = bytes();
    ASSERT_EQ(b.size(), 8u + 0x010203u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 8), cat({text("BIG "), {0x00, 0x01, 0x02, 0x03}}));
    const cr::ChunkFile f = readBack();
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(f.chunks[0].dataSize, 0x010203u);
}

TEST_F(ChunkWriterTest, RecordsAboveTheDepthAreReused)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    w.beginForm(fourCC("OUTR"));
    EXPECT_EQ(w.beginPlainChunk(fourCC("AAAA")), 2);
    w.writeUInt32(1);
    EXPECT_EQ(w.endChunk(), fourCC("AAAA"));
    EXPECT_EQ(w.beginNrml(fourCC("BBBB"), 7), 2); // same stack slot, new record
    w.writeUInt32(2);
    w.writeUInt32(3);
    EXPECT_EQ(w.endChunk(), fourCC("BBBB"));
    EXPECT_EQ(w.endChunk(), fourCC("OUTR"));
    EXPECT_TRUE(w.closeFile());
    const cr::ChunkFile f = readBack();
    ASSERT_TRUE(f.ok()) << f.problemText();
    ASSERT_EQ(f.chunks[0].children.size(), 2u);
    EXPECT_EQ(f.chunks[0].children[0].size, 4u);
    EXPECT_EQ(f.chunks[0].children[1].kind, cr::ChunkKind::Nrml);
    EXPECT_EQ(f.chunks[0].children[1].size, 16u);
    EXPECT_EQ(f.chunks[0].children[1].version, 7u);
    EXPECT_EQ(f.chunks[0].size, 4u + 12u + 24u);
}

TEST_F(ChunkWriterTest, EndChunkWithNothingOpenIsANoOp)
{
    ChunkWriter w;
    EXPECT_EQ(w.endChunk(), 0u); // no file either
    ASSERT_TRUE(w.openFile(path_));
    EXPECT_EQ(w.endChunk(), 0u);
    w.beginPlainChunk(fourCC("ONCE"));
    EXPECT_EQ(w.endChunk(), fourCC("ONCE"));
    EXPECT_EQ(w.endChunk(), 0u);
    EXPECT_EQ(w.depth(), 0);
    EXPECT_TRUE(w.closeFile()); // an extra close is harmless to the file
    EXPECT_EQ(bytes(), cat({text("ONCE"), {0, 0, 0, 0}}));
}

TEST_F(ChunkWriterTest, UnclosedChunksKeepSizeZeroAndCloseReportsFailure)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    w.beginForm(fourCC("HVMD"));
    w.writeUInt32(5);
    EXPECT_FALSE(w.closeFile());
    EXPECT_NE(w.errorText().find("still open"), std::string::npos) << w.errorText();
    EXPECT_EQ(bytes(), cat({text("FORM"), {0, 0, 0, 0}, text("HVMD"), {5, 0, 0, 0}}));
    // The reader sees the zero size and the stray bytes after it.
    EXPECT_FALSE(readBack().ok());
}

TEST_F(ChunkWriterTest, OpenFailureChangesNothing)
{
    ChunkWriter w;
    EXPECT_FALSE(w.openFile(testing::TempDir() + "no_such_dir_xyz/out.vlm"));
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(w.beginForm(fourCC("VERS")), 0);
    EXPECT_EQ(w.depth(), 0);
    EXPECT_FALSE(w.writeUInt32(1));
    EXPECT_FALSE(w.writeString("x"));
    EXPECT_FALSE(w.writeBytes("x", 1, 1));
    EXPECT_FALSE(w.closeFile());
    EXPECT_FALSE(vl2::writeVersionChunk(w));

    // A writer with a file keeps it when a second open fails.
    ASSERT_TRUE(w.openFile(path_));
    EXPECT_FALSE(w.openFile(testing::TempDir() + "no_such_dir_xyz/out.vlm"));
    EXPECT_TRUE(w.isOpen());
    EXPECT_TRUE(w.writeUInt32(9));
    EXPECT_TRUE(w.closeFile());
    EXPECT_EQ(bytes(), Bytes({9, 0, 0, 0}));
}

TEST_F(ChunkWriterTest, WritesAfterCloseFail)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    EXPECT_TRUE(vl2::writeVersionChunk(w));
    EXPECT_TRUE(w.closeFile());
    EXPECT_FALSE(w.writeUInt32(1));
    EXPECT_EQ(w.beginPlainChunk(fourCC("LATE")), 0);
    EXPECT_EQ(bytes().size(), 16u);
}

TEST_F(ChunkWriterTest, FullDiskIsReportedNotSwallowed)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full not available";
    struct Case {
        const char* what;
        std::size_t payload; // bytes of contents; small ones fail only at flush
    };
    for (const Case c : {Case{"small, fails at flush", 4}, Case{"large, fails while writing", 1u << 20}}) {
        ChunkWriter w;
        ASSERT_TRUE(w.openFile("/dev/full")) << c.what;
        w.beginForm(fourCC("HVMD"));
        const std::vector<std::uint8_t> data(c.payload, 1);
        w.writeBytes(data.data(), 1, data.size());
        w.endChunk();
        EXPECT_FALSE(w.closeFile()) << c.what;
        EXPECT_TRUE(w.failed()) << c.what;
        EXPECT_FALSE(w.errorText().empty()) << c.what;
    }
}

// Mesh layouts written with ChunkWriter and decoded by the reader's table.
TEST_F(ChunkWriterTest, MeshAndHierarchyChunksDecode)
{
    ChunkWriter w;
    ASSERT_TRUE(w.openFile(path_));
    w.beginForm(fourCC("DTRM"));
    w.beginPlainChunk(fourCC("HIER"));
    w.writeUInt32(2);
    for (const char* name : {"Root", "Arm"}) {
        w.writeString(name);
        w.writeString(std::string(name) == "Root" ? "" : "Root");
        for (int i = 0; i < 12; ++i)
            w.writeFloat(static_cast<float>(i) * 0.5f);
        const std::uint8_t dof[3] = {1, 0, 1};
        w.writeBytes(dof, 1, 3);
    }
    w.endChunk();
    w.endChunk();

    w.beginForm(fourCC("HVMD"));
    w.beginNrml(fourCC("MULT"), 1400);
    w.writeString("Root_mesh");
    w.writeString("Root");
    w.writeUInt32(2);
    for (std::uint32_t level = 0; level < 2; ++level) {
        w.beginNrml(fourCC("BMSH"), 1400);
        w.writeUInt32(level);
        w.writeUInt32(1); // one part
        w.writeUInt32(3); // material
        w.writeUInt32(0x1B);
        w.writeUInt32(3); // vertices
        for (int v = 0; v < 3; ++v) {
            const float vertex[10] = {float(v), 2, 3, 1, 0, 1, 0, 1, 0.25f, 0.75f};
            w.writeBytes(vertex, sizeof(float), 10);
        }
        w.writeUInt16(1);
        w.writeUInt32(514);
        w.writeUInt32(3);
        for (std::uint16_t i : {0, 1, 2})
            w.writeUInt16(i);
        w.endChunk();
    }
    w.endChunk();
    w.beginPlainChunk(fourCC("SIMP"));
    w.writeString("");
    w.writeUInt32(2);
    for (int v = 0; v < 2; ++v) {
        const float vertex[10] = {1, 2, float(v), 1, 0, 0, 1, 1, 0, 0};
        w.writeBytes(vertex, sizeof(float), 10);
    }
    w.writeUInt32(0);
    w.endChunk();
    w.endChunk();
    ASSERT_TRUE(w.closeFile());

    const cr::ChunkFile f = readBack();
    ASSERT_TRUE(f.ok()) << f.problemText();
    const cr::Chunk* hier = f.find("DTRM/HIER");
    ASSERT_NE(hier, nullptr);
    EXPECT_TRUE(hier->decoded);
    EXPECT_EQ(hier->field("count")->asInt(), 2);
    EXPECT_EQ(hier->field("joints.1.name")->asString(), "Arm");
    EXPECT_EQ(hier->field("joints.1.parent")->asString(), "Root");
    EXPECT_EQ(hier->field("joints.0.parent")->asString(), "");
    EXPECT_DOUBLE_EQ(hier->field("joints.1.orientation.2")->asDouble(), 5.5);
    EXPECT_EQ(hier->field("joints.1.dof.1")->asInt(), 0);

    const cr::Chunk* mult = f.find("HVMD/MULT");
    ASSERT_NE(mult, nullptr);
    EXPECT_TRUE(mult->decoded);
    EXPECT_EQ(mult->field("name")->asString(), "Root_mesh");
    ASSERT_EQ(mult->children.size(), 2u);
    const cr::Chunk& level1 = mult->children[1];
    EXPECT_EQ(level1.field("level")->asInt(), 1);
    EXPECT_EQ(level1.field("parts.0.material")->asInt(), 3);
    EXPECT_EQ(level1.field("parts.0.vertices.2.position.0")->asDouble(), 2.0);
    EXPECT_EQ(level1.field("parts.0.vertices.2.uv.1")->asDouble(), 0.75);
    EXPECT_EQ(level1.field("parts.0.vertices.0.colour"), nullptr); // 0x1B selects no colour
    EXPECT_EQ(level1.field("parts.0.groups.0.kind")->asString(), "list");
    EXPECT_EQ(f.findDeep("BMSH").size(), 2u);

    const cr::Chunk* simp = f.find("HVMD/SIMP");
    ASSERT_NE(simp, nullptr);
    EXPECT_EQ(simp->field("vertexCount")->asInt(), 2);
    EXPECT_EQ(simp->field("vertices.1.position.2")->asDouble(), 1.0);
    EXPECT_EQ(simp->field("indexCount")->asInt(), 0);
}

} // namespace
