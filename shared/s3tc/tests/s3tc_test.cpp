#include "s3tc/S3tc.h"

#include "dds_file.h"
#include "layered_image/LayeredImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

namespace {

using vl2::s3tc::Format;
using vl2::s3tc::Quality;

std::vector<std::uint8_t> solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    std::vector<std::uint8_t> px;
    for (int i = 0; i < w * h; ++i)
        px.insert(px.end(), {r, g, b, a});
    return px;
}

std::vector<std::uint8_t> bytesOf(const std::vector<std::uint32_t>& pixels)
{
    std::vector<std::uint8_t> out;
    for (std::uint32_t p : pixels)
        for (int c = 0; c < 4; ++c)
            out.push_back(std::uint8_t(p >> (8 * c)));
    return out;
}

TEST(S3tc, EncodedSizesFollowTheBlockLayout)
{
    struct Case { Format f; int w, h; std::size_t bytes; } cases[] = {
        {Format::DXT1, 4, 4, 8},     {Format::DXT1, 1, 1, 8},       {Format::DXT1, 2, 8, 16},
        {Format::DXT3, 1, 1, 16},    {Format::DXT5, 8, 8, 64},      {Format::DXT1, 256, 256, 32768},
        {Format::DXT5, 512, 256, 131072}, {Format::DXT1, 0, 4, 0},  {Format::DXT3, 4, -1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vl2::s3tc::encodedSize(c.f, c.w, c.h), c.bytes) << vl2::s3tc::formatName(c.f) << " " << c.w << "x" << c.h;
        std::vector<std::uint8_t> out;
        const bool ok = vl2::s3tc::encode(solid(std::max(c.w, 1), std::max(c.h, 1), 1, 2, 3, 4).data(), c.w, c.h,
                                          {c.f, Quality::RangeFit, false}, out);
        EXPECT_EQ(ok, c.bytes != 0);
        EXPECT_EQ(out.size(), c.bytes);
    }
}

// libsquish turns DXT1 pixels with alpha below 128 into transparent black;
// our DXT1 has no alpha, so their colour must survive.
TEST(S3tc, Dxt1IgnoresAlphaAndKeepsTheColourOfTransparentPixels)
{
    for (int a : {0, 127, 255}) {
        const auto px = solid(4, 4, 248, 0, 0, std::uint8_t(a));
        std::vector<std::uint8_t> blocks, back;
        ASSERT_TRUE(vl2::s3tc::encode(px.data(), 4, 4, {Format::DXT1, Quality::ClusterFit, false}, blocks));
        ASSERT_TRUE(vl2::s3tc::decode(blocks.data(), blocks.size(), 4, 4, Format::DXT1, back));
        for (int i = 0; i < 16; ++i) {
            EXPECT_GE(back[i * 4 + 0], 240) << "alpha " << a;
            EXPECT_LE(back[i * 4 + 1], 4) << "alpha " << a;
            EXPECT_EQ(back[i * 4 + 3], 255) << "alpha " << a;
        }
    }
}

TEST(S3tc, Dxt3AndDxt5KeepAlpha)
{
    std::vector<std::uint8_t> px;
    for (int i = 0; i < 16; ++i)
        px.insert(px.end(), {100, 150, 200, std::uint8_t(i * 17)});
    for (Format f : {Format::DXT3, Format::DXT5}) {
        std::vector<std::uint8_t> blocks, back;
        ASSERT_TRUE(vl2::s3tc::encode(px.data(), 4, 4, {f, Quality::ClusterFit, false}, blocks));
        EXPECT_EQ(blocks.size(), 16u);
        ASSERT_TRUE(vl2::s3tc::decode(blocks.data(), blocks.size(), 4, 4, f, back));
        // DXT3 stores 4 bits per pixel (multiples of 17 exactly); DXT5 eight
        // levels between two end points, so at most half a step (36 / 2) off.
        const int tolerance = f == Format::DXT3 ? 0 : 18;
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(back[i * 4 + 3], i * 17, tolerance) << vl2::s3tc::formatName(f) << " pixel " << i;
    }
}

TEST(S3tc, DecodeRefusesDataOfTheWrongSize)
{
    std::vector<std::uint8_t> blocks(8), out(3);
    EXPECT_FALSE(vl2::s3tc::decode(blocks.data(), blocks.size(), 8, 8, Format::DXT1, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(vl2::s3tc::decode(blocks.data(), blocks.size(), 4, 4, Format::DXT5, out));
    EXPECT_FALSE(vl2::s3tc::decode(nullptr, 8, 4, 4, Format::DXT1, out));
    EXPECT_TRUE(vl2::s3tc::decode(blocks.data(), blocks.size(), 4, 4, Format::DXT1, out));
    EXPECT_EQ(out.size(), 64u);
}

// The blocks are standard S3TC: ImageMagick's DDS reader decodes them to
// within the encoder's error of the source, for every format and quality.
TEST(S3tc, IndependentDecoderReadsTheBlocksOfTheSampleImages)
{
    char tmpl[] = "/tmp/vl2s3tc.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    // Measured RMS (0..255 scale, red, green, blue): hopper 9.52 with range
    // fit, 7.24 with either cluster fit; cactus 12.88 and 10.37. The bounds
    // leave a little room above those.
    struct Sample { const char* file; double maxRms[3]; } samples[] = {
        {"hopper.psd", {9.8, 7.5, 7.5}},        // a photograph, 128 x 128
        {"cactus_top.psd", {13.2, 10.6, 10.6}}, // pixel art with transparency, 16 x 16
    };
    for (const Sample& s : samples) {
        vl2::LayeredImage image;
        ASSERT_TRUE(image.load(std::string(VL2_SAMPLES_DIR) + "/psd/" + s.file)) << image.lastError();
        const auto px = bytesOf(image.composite());
        for (Format f : {Format::DXT1, Format::DXT3, Format::DXT5}) {
            for (Quality q : {Quality::RangeFit, Quality::ClusterFit, Quality::IterativeClusterFit}) {
                SCOPED_TRACE(std::string(s.file) + " " + vl2::s3tc::formatName(f) + " " + vl2::s3tc::qualityName(q));
                std::vector<std::uint8_t> blocks, ours, theirs;
                ASSERT_TRUE(vl2::s3tc::encode(px.data(), image.width(), image.height(), {f, q, false}, blocks));
                const std::string dds = dir + "/level.dds";
                ASSERT_TRUE(vl2::testing::writeFile(dds, vl2::testing::ddsFile(f, image.width(), image.height(), blocks)));
                std::string error;
                ASSERT_TRUE(vl2::testing::decodeWithImageMagick(dds, image.width(), image.height(), theirs, error)) << error;
                ASSERT_TRUE(vl2::s3tc::decode(blocks.data(), blocks.size(), image.width(), image.height(), f, ours));
                const double rms = vl2::testing::rmsRgb(px, theirs);
                RecordProperty(std::string(s.file) + "_" + vl2::s3tc::formatName(f) + "_" + std::to_string(int(q)),
                               std::to_string(rms));
                EXPECT_LT(rms, s.maxRms[int(q)]);
                // The two decoders agree (they differ at most in rounding 5- and 6-bit colours).
                EXPECT_LT(vl2::testing::rmsRgb(ours, theirs), 0.5);
            }
        }
    }
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
