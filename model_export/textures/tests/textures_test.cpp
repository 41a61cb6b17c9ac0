// Texture preparation and the LMIP writer; files are read back with the
// inspector's chunk reader and the DXT levels decoded by ImageMagick.
#include "TexturePrep.h"
#include "TextureWriter.h"

#include "dds_file.h"

#include <chunk/ChunkWriter.h>
#include <chunkread/ChunkReader.h>
#include <layered_image/LayeredImage.h>
#include <runlog/RunLog.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using namespace vl2;
using chunkread::Chunk;
using chunkread::ChunkFile;

RgbaImage image(int w, int h, std::vector<std::uint32_t> px)
{
    RgbaImage i;
    i.width = w;
    i.height = h;
    i.pixels = std::move(px);
    return i;
}

std::uint32_t rgba(int r, int g, int b, int a)
{
    return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16 | std::uint32_t(a) << 24;
}

TEST(TexturePrep, ResampleAveragesTheCoveredSpanAndRoundsDown)
{
    // Halving covers 3 pixels (the last only 2): (0 + 30 + 60) / 3 and (60 + 90) / 2.
    RgbaImage half = resample(image(4, 1, {rgba(0, 0, 0, 0), rgba(30, 3, 0, 0), rgba(60, 6, 0, 0), rgba(90, 9, 255, 255)}), 2, 1);
    ASSERT_EQ(half.pixels.size(), 2u);
    EXPECT_EQ(half.pixels[0], rgba(30, 3, 0, 0));
    EXPECT_EQ(half.pixels[1], rgba(75, 7, 127, 127));  // 7.5 and 127.5 round down

    // Enlarging repeats pixels: r = 0.5, each destination covers one source pixel.
    RgbaImage wide = resample(image(2, 1, {rgba(1, 2, 3, 4), rgba(5, 6, 7, 8)}), 4, 1);
    EXPECT_EQ(wide.pixels, (std::vector<std::uint32_t>{rgba(1, 2, 3, 4), rgba(1, 2, 3, 4), rgba(5, 6, 7, 8), rgba(5, 6, 7, 8)}));

    // Two dimensions: a 3 x 3 neighbourhood for the first pixel of a halving.
    std::vector<std::uint32_t> px;
    for (int i = 0; i < 16; ++i)
        px.push_back(rgba(i * 10, 0, 0, 255));
    RgbaImage quarter = resample(image(4, 4, px), 2, 2);
    EXPECT_EQ(quarter.pixels[0] & 0xff, std::uint32_t((0 + 10 + 20 + 40 + 50 + 60 + 80 + 90 + 100) / 9));
    EXPECT_EQ(quarter.pixels[3] & 0xff, std::uint32_t((100 + 110 + 140 + 150) / 4));

    EXPECT_FALSE(resample(image(2, 2, {1, 2, 3}), 1, 1).valid());  // pixel count does not match the size
}

TEST(TexturePrep, LevelZeroIsBroughtToPowersOfTwo)
{
    struct Case { int w, h; float scale; int ew, eh; bool warned; } cases[] = {
        {300, 200, 1.0f, 512, 256, true},   // next power of two, with the warning
        {256, 256, 0.5f, 128, 128, false},  // "/2" halves without it
        {256, 128, 1.0f, 256, 128, false},  // kept
        {100, 100, 0.5f, 64, 64, true},     // 50 is not a power of two
        {1, 1, 1.0f, 1, 1, false},
        {64, 64, 0.001f, 1, 1, false},      // a scale leaving nothing keeps one pixel
    };
    for (const Case& c : cases) {
        bool warned = false;
        RgbaImage out = prepareLevelZero(image(c.w, c.h, std::vector<std::uint32_t>(std::size_t(c.w * c.h), 7u)), c.scale, warned);
        EXPECT_EQ(out.width, c.ew) << c.w << "x" << c.h << " scale " << c.scale;
        EXPECT_EQ(out.height, c.eh) << c.w << "x" << c.h << " scale " << c.scale;
        EXPECT_EQ(warned, c.warned) << c.w << "x" << c.h << " scale " << c.scale;
        EXPECT_TRUE(out.valid());
    }
}

TEST(TexturePrep, MipChainStopsBeforeTheFirstLevelWithASideOfTwo)
{
    struct Case { int w, h, levels; } cases[] = {
        {256, 256, 7}, {8, 8, 2}, {4, 4, 1}, {2, 2, 1}, {1, 1, 1}, {512, 256, 7}, {16, 1, 3}, {1, 8, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mipLevelCount(c.w, c.h), c.levels) << c.w << "x" << c.h;

    auto chain = mipLevels(image(256, 256, std::vector<std::uint32_t>(256 * 256, rgba(9, 8, 7, 6))));
    ASSERT_EQ(chain.size(), 7u);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        EXPECT_EQ(chain[i].width, 256 >> i);
        EXPECT_EQ(chain[i].height, 256 >> i);
        EXPECT_EQ(chain[i].pixels.back(), rgba(9, 8, 7, 6));  // a flat image stays flat
    }
}

TEST(TexturePrep, ReverseRowsPutsTheBottomRowFirst)
{
    RgbaImage i = image(2, 3, {1, 2, 3, 4, 5, 6});
    reverseRows(i);
    EXPECT_EQ(i.pixels, (std::vector<std::uint32_t>{5, 6, 3, 4, 1, 2}));
}

TEST(TextureFormat, NormalsAreRgbaMarkedLayersDxt1OtherwiseTheOption)
{
    struct Case { const char* layer; int kind; int option; const char* code; } cases[] = {
        {"$normals", 0, kTextureDXT1, "8888"}, {"$normals", 6, kTextureDXT5, "8888"},
        {"$normals/2", 0, kTextureDXT3, "DXT3"}, {"$glow*", 6, kTextureDXT5, "DXT1"},
        {"$diffuse", 0, kTextureRGBA32, "8888"}, {"$diffuse", 0, kTextureDXT5, "DXT5"},
        {"", 0, kTextureDXT1, "DXT1"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(textureFormatCode(c.layer, c.kind, c.option), c.code) << c.layer << " " << c.option;
}

// Writes layered images and model files into a temporary folder.
class TextureFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vl2tex.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        runLog().setEchoStream(nullptr);
        resetLog();
    }
    void TearDown() override
    {
        runLog().setEchoStream(stdout);
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    // A document with named layers; each layer filled by `fill(layer, x, y)`.
    // The canvas of a new document becomes an unnamed layer 0, so the named
    // layers are 1, 2, ...
    std::string psd(const std::string& name, int w, int h, const std::vector<std::string>& layers,
                    std::uint32_t (*fill)(int, int, int))
    {
        LayeredImage doc(w, h);
        for (std::size_t k = 0; k < layers.size(); ++k) {
            const int index = doc.addLayer(layers[k]);
            std::vector<std::uint32_t> px(std::size_t(w) * std::size_t(h));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    px[std::size_t(y) * std::size_t(w) + std::size_t(x)] = fill(int(k), x, y);
            EXPECT_TRUE(doc.setLayerPixels(index, 0, 0, w, h, px.data()));
        }
        doc.updateComposite();
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(doc.save(path));
        return path;
    }

    ChunkFile write(const TextureList& records, int format, TextureWriteStats* stats = nullptr)
    {
        const std::string path = dir + "/out.vlm";
        ChunkWriter w;
        EXPECT_TRUE(w.openFile(path));
        w.beginForm(fourCC("HVMD"));
        TextureWriteSettings settings;
        settings.textureFormat = format;
        TextureWriteStats s = writeTextures(&w, records, settings);
        if (stats)
            *stats = s;
        w.endChunk();
        EXPECT_TRUE(w.closeFile());
        ChunkFile f = chunkread::readChunkFile(path);
        EXPECT_TRUE(f.ok()) << f.problemText();
        return f;
    }

    static std::string text(int channel)
    {
        const char* t = channelText(channel);
        return t ? t : "";
    }

    std::string dir;
};

std::uint32_t gradient(int layer, int x, int y)
{
    return rgba((x * 7 + layer * 40) & 255, (y * 5) & 255, (x + y + layer * 90) & 255, 255);
}

// Top row red, everything below blue.
std::uint32_t topRed(int, int, int y)
{
    return y == 0 ? rgba(255, 0, 0, 255) : rgba(0, 0, 255, 128);
}

TEST_F(TextureFiles, SizesFormatsAndLevelsAsTheGameReadsThem)
{
    const std::string odd = psd("odd.psd", 300, 200, {"$diffuse"}, gradient);
    const std::string square = psd("square.psd", 256, 256, {"$diffuse/2", "$normals"}, gradient);
    const std::string tiny = psd("tiny.psd", 4, 4, {"$diffuse"}, gradient);
    const std::string dot = psd("dot.psd", 1, 1, {"$diffuse"}, gradient);
    const std::string eight = psd("eight.psd", 8, 8, {"$diffuse"}, gradient);
    TextureList records = {
        {odd, 1, 1.0f, 0}, {square, 1, 0.5f, 0}, {square, 2, 1.0f, 0}, {tiny, 1, 1.0f, 0},
        {dot, 1, 1.0f, 0}, {eight, -1, 1.0f, 0}, {square, -1, 1.0f, 0},
    };
    ChunkFile f = write(records, kTextureDXT1);
    auto lmips = f.findAll("HVMD/LMIP");
    ASSERT_EQ(lmips.size(), records.size());

    struct Expect { std::string name; const char* format; int w, h, levels; std::size_t bytes0; } expect[] = {
        {odd + "[1]", "DXT1", 512, 256, 7, 512 * 256 / 2},
        {square + "[1]", "DXT1", 128, 128, 6, 128 * 128 / 2},
        {square + "[2]", "8888", 256, 256, 7, 256 * 256 * 4},
        {tiny + "[1]", "DXT1", 4, 4, 1, 8},
        {dot + "[1]", "DXT1", 1, 1, 1, 8},
        {eight + "[-1]", "DXT1", 8, 8, 2, 32},
        {square + "[-1]", "DXT1", 256, 256, 7, 256 * 256 / 2},
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Chunk& c = *lmips[i];
        SCOPED_TRACE(expect[i].name);
        EXPECT_EQ(c.field("name")->asString(), expect[i].name);
        EXPECT_EQ(c.field("format")->asString(), expect[i].format);
        ASSERT_EQ(c.field("levelCount")->asInt(), expect[i].levels);
        EXPECT_EQ(c.field("levels.0.width")->asInt(), expect[i].w);
        EXPECT_EQ(c.field("levels.0.height")->asInt(), expect[i].h);
        EXPECT_EQ(std::size_t(c.field("levels.0.bytes")->asInt()), expect[i].bytes0);
        const int last = expect[i].levels - 1;
        EXPECT_EQ(c.field(("levels." + std::to_string(last) + ".width").c_str())->asInt(), std::max(1, expect[i].w >> last));
    }
    // Only the 300 x 200 image needed the power-of-two resize.
    EXPECT_EQ(text(1), "Bad image resizing code is mangling texture " + odd + "\n");
    EXPECT_NE(text(0).find("Writing DXT1 format texture (512x256).......\n"), std::string::npos) << text(0);
    EXPECT_NE(text(0).find("Writing 8888 format texture (256x256).......\n"), std::string::npos);
    EXPECT_NE(text(0).find("Writing DXT1 format texture (1x1).\n"), std::string::npos);
}

TEST_F(TextureFiles, RgbaLevelsKeepTheImageByteOrderBottomRowFirst)
{
    const std::string path = psd("rows.psd", 4, 2, {"$normals"}, topRed);
    ChunkFile f = write({{path, 1, 1.0f, 0}}, kTextureDXT5);
    const Chunk* c = f.find("HVMD/LMIP");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->field("format")->asString(), "8888");
    const std::size_t at = std::size_t(c->field("levels.0.dataOffset")->asInt());
    ASSERT_LE(at + 32, f.bytes.size());
    // Bottom row (blue, alpha 128) first, then the red top row; no channel swap.
    EXPECT_EQ(std::vector<std::uint8_t>(f.bytes.begin() + long(at), f.bytes.begin() + long(at + 4)),
              (std::vector<std::uint8_t>{0, 0, 255, 128}));
    EXPECT_EQ(std::vector<std::uint8_t>(f.bytes.begin() + long(at + 16), f.bytes.begin() + long(at + 20)),
              (std::vector<std::uint8_t>{255, 0, 0, 255}));
}

TEST_F(TextureFiles, AnImageIsReadOnceForConsecutiveRecordsOfItsPath)
{
    const std::string a = psd("a.psd", 8, 8, {"$diffuse", "$specular"}, gradient);
    const std::string b = psd("b.psd", 8, 8, {"$diffuse"}, gradient);
    TextureWriteStats stats;
    write({{a, 1, 1.0f, 0}, {a, 2, 1.0f, 0}}, kTextureDXT5, &stats);
    EXPECT_EQ(stats.imageLoads, 1);
    EXPECT_EQ(stats.texturesWritten, 2);
    write({{a, 1, 1.0f, 0}, {b, 1, 1.0f, 0}, {a, 2, 1.0f, 0}}, kTextureDXT5, &stats);
    EXPECT_EQ(stats.imageLoads, 3);  // only the previous record's image is kept
}

TEST_F(TextureFiles, MissingImagesAndRecordsWithoutPathWriteStandIns)
{
    ChunkFile f = write({{"", 0, 1.0f, 0}, {dir + "/gone.psd", 2, 1.0f, 0}}, kTextureRGBA32);
    auto lmips = f.findAll("HVMD/LMIP");
    ASSERT_EQ(lmips.size(), 2u);  // indices stay the records' positions
    EXPECT_EQ(lmips[0]->field("name")->asString(), "[0]");
    EXPECT_EQ(lmips[0]->field("levels.0.width")->asInt(), 16);
    const std::size_t at = std::size_t(lmips[0]->field("levels.0.dataOffset")->asInt());
    for (std::size_t i = 0; i < 16 * 16 * 4; ++i)
        ASSERT_EQ(f.bytes[at + i], 255) << i;  // the blank layer "new": every byte 255
    EXPECT_EQ(lmips[1]->field("levels.0.width")->asInt(), 16);
    EXPECT_NE(text(2).find("Error loading PSD file '" + dir + "/gone.psd'"), std::string::npos) << text(2);
}

TEST_F(TextureFiles, WithoutAWriterTheStepsRunAndNothingIsWritten)
{
    const std::string a = psd("a.psd", 300, 200, {"$diffuse"}, gradient);
    TextureWriteStats stats = writeTextures(nullptr, {{a, 1, 1.0f, 0}}, TextureWriteSettings{});
    EXPECT_EQ(stats.imageLoads, 1);
    EXPECT_NE(text(0).find("Writing DXT5 format texture (512x256).......\n"), std::string::npos);
    EXPECT_NE(text(1).find("Bad image resizing code"), std::string::npos);
}

// Every level of every DXT format decodes, through ImageMagick reading a DDS
// file around the level's blocks, to the prepared pixels within the
// encoder's error (colours swapped back: the file holds blue first).
TEST_F(TextureFiles, EncodedLevelsDecodeThroughAnIndependentDecoder)
{
    const std::string sample = std::string(VL2_SAMPLES_DIR) + "/psd/hopper.psd";
    LayeredImage source;
    ASSERT_TRUE(source.load(sample));
    RgbaImage level0 = image(source.width(), source.height(), source.composite());
    reverseRows(level0);
    const std::vector<RgbaImage> expected = mipLevels(level0);
    ASSERT_EQ(expected.size(), 6u);  // 128 down to 4

    // Measured RMS per level, the same within 0.06 for the three formats:
    // 7.24, 8.39, 10.00, 13.75, 15.06, 19.28 (the smaller the level, the more
    // detail falls into each block's four colours).
    const double kMaxRms[] = {7.5, 8.7, 10.3, 14.0, 15.4, 19.6};
    struct Case { int option; s3tc::Format format; } cases[] = {
        {kTextureDXT1, s3tc::Format::DXT1}, {kTextureDXT3, s3tc::Format::DXT3}, {kTextureDXT5, s3tc::Format::DXT5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(s3tc::formatName(c.format));
        ChunkFile f = write({{sample, -1, 1.0f, 0}}, c.option);
        const Chunk* lmip = f.find("HVMD/LMIP");
        ASSERT_NE(lmip, nullptr);
        ASSERT_EQ(lmip->field("levelCount")->asInt(), 6);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const std::string p = "levels." + std::to_string(i) + ".";
            const int w = int(lmip->field((p + "width").c_str())->asInt());
            const int h = int(lmip->field((p + "height").c_str())->asInt());
            ASSERT_EQ(w, expected[i].width);
            const std::size_t at = std::size_t(lmip->field((p + "dataOffset").c_str())->asInt());
            const std::size_t n = std::size_t(lmip->field((p + "bytes").c_str())->asInt());
            std::vector<std::uint8_t> blocks(f.bytes.begin() + long(at), f.bytes.begin() + long(at + n));
            const std::string dds = dir + "/level.dds";
            ASSERT_TRUE(vl2::testing::writeFile(dds, vl2::testing::ddsFile(c.format, w, h, blocks)));
            std::vector<std::uint8_t> decoded, want;
            std::string error;
            ASSERT_TRUE(vl2::testing::decodeWithImageMagick(dds, w, h, decoded, error)) << error;
            for (std::size_t k = 0; k < decoded.size(); k += 4)
                std::swap(decoded[k], decoded[k + 2]);
            for (std::uint32_t px : expected[i].pixels)
                for (int ch = 0; ch < 4; ++ch)
                    want.push_back(std::uint8_t(px >> (8 * ch)));
            EXPECT_LT(vl2::testing::rmsRgb(want, decoded), kMaxRms[i]) << "level " << i;
        }
    }
}

}  // namespace
