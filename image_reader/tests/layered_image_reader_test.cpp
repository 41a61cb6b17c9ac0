// The PSD format plug-in, loaded by the image library from the plug-in path,
// against the samples with ImageMagick as the independent reader.
#include "imf/image_library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string psd(const std::string& n) { return std::string(VL2_SAMPLES_DIR) + "/psd/" + n; }

std::string run(const std::string& command)
{
    std::string out;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char b[65536];
        std::size_t n;
        while ((n = std::fread(b, 1, sizeof b, p)) > 0)
            out.append(b, n);
        pclose(p);
    }
    return out;
}

bool saw(const std::vector<std::string>& messages, const std::string& text)
{
    for (const auto& m : messages)
        if (m.find(text) != std::string::npos)
            return true;
    return false;
}

// A minimal file without layers: C channels of W x H, merged image as given.
std::string writePsd(const std::string& name, int c, int w, int h, int mode, int compression,
                     const std::vector<std::uint8_t>& merged, const std::vector<std::uint8_t>& colourData = {})
{
    std::vector<std::uint8_t> b = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    auto u16 = [&](unsigned v) { b.push_back(std::uint8_t(v >> 8)); b.push_back(std::uint8_t(v)); };
    auto u32 = [&](unsigned v) { u16(v >> 16); u16(v & 0xffff); };
    u16(unsigned(c)); u32(unsigned(h)); u32(unsigned(w)); u16(8); u16(unsigned(mode));
    u32(unsigned(colourData.size()));
    b.insert(b.end(), colourData.begin(), colourData.end());
    u32(0); u32(0); u16(unsigned(compression));
    b.insert(b.end(), merged.begin(), merged.end());
    const std::string path = std::string(VL2_BINARY_DIR) + "/tests/imf_" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return path;
}

}  // namespace

TEST(LayeredImageReader, IsFoundWithItsDescription)
{
    const vl2imf::FormatInfo* f = nullptr;
    for (const auto& i : vl2imf::formats())
        if (i.key == "psd")
            f = &i;
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->program, "Tidemark");
    EXPECT_EQ(f->version, "3.2");
    EXPECT_EQ(f->extension, ".psd");
    EXPECT_EQ(f->name, "PhotoShop PSD");
    EXPECT_EQ(f->formatString, "%s.%04.4d%s");
    EXPECT_EQ(f->bitsPerChannel, 0x80);
    EXPECT_EQ(f->access, 0x14);
    EXPECT_EQ(f->mattes, 1);
}

TEST(LayeredImageReader, SamplesLoadOrAreRefusedAndMatchImageMagick)
{
    struct Case {
        const char* file;
        const char* refusal;  // null: loads
    };
    const Case cases[] = {
        {"0layers.psd", nullptr}, {"2layers.psd", nullptr}, {"cactus_top.psd", nullptr},
        {"empty-layer.psd", nullptr}, {"gray1.psd", nullptr}, {"hidden-layer.psd", nullptr},
        {"hopper.psd", nullptr}, {"rgba.psd", nullptr}, {"transparentbg-gimp.psd", nullptr},
        {"4x4_8bit_index_color.psd", nullptr},
        {"16bit5x5.psd", "not a supported PSD file subtype"},
        {"4x4_8bit_cmyk.psd", "not a supported PSD file subtype"},
    };
    for (const Case& c : cases) {
        vl2imf::takeMessages();
        vl2imf::RgbaImage img;
        std::string error;
        const bool ok = vl2imf::readImage(psd(c.file), img, &error);
        if (c.refusal) {
            EXPECT_FALSE(ok) << c.file;
            EXPECT_TRUE(saw(vl2imf::takeMessages(), c.refusal)) << c.file;
            continue;
        }
        ASSERT_TRUE(ok) << c.file << ": " << error;
        if (std::string(c.file) == "4x4_8bit_index_color.psd")
            continue;  // ImageMagick refuses this file; the palette is checked below
        // ImageMagick's merged image, colour only (its alpha handling differs).
        const std::string im = run("/usr/bin/convert '" + psd(c.file) + "[0]' -alpha off -depth 8 rgb:-");
        ASSERT_EQ(im.size(), img.pixels.size() * 3) << c.file;
        std::size_t diff = 0;
        for (std::size_t i = 0; i < img.pixels.size(); ++i)
            for (int ch = 0; ch < 3; ++ch)
                diff += std::size_t(std::abs(int((img.pixels[i] >> (8 * ch)) & 0xff) -
                                             int(std::uint8_t(im[3 * i + std::size_t(ch)]))));
        // transparentbg-gimp: ImageMagick alters the colour of a few fully
        // transparent merged pixels (mean 0.04); everything else is exact.
        const double allowed = std::string(c.file) == "transparentbg-gimp.psd" ? 0.05 : 0.001;
        EXPECT_LE(double(diff) / double(img.pixels.size() * 3), allowed) << c.file;
    }
}

TEST(LayeredImageReader, RowsComeBottomUpAndRowHIsABadScan)
{
    // 2 x 3 greyscale-free RGB raw image: row r of the file holds value 10 r.
    std::vector<std::uint8_t> merged;
    for (int ch = 0; ch < 3; ++ch)
        for (int r = 0; r < 3; ++r)
            merged.insert(merged.end(), {std::uint8_t(10 * r + ch), std::uint8_t(10 * r + ch)});
    const std::string path = writePsd("rows.psd", 3, 2, 3, 3, 0, merged);
    IMF_OBJECT* imf = vl2imf::openImage(path);
    ASSERT_NE(imf, nullptr);
    EXPECT_EQ(imf->image.matte_count, 0);
    void** lines = nullptr;
    ASSERT_EQ(imf->scan(imf, 0, &lines), 0);
    EXPECT_EQ(static_cast<std::uint8_t*>(lines[0])[0], 20);  // library row 0 = file's last row
    EXPECT_EQ(static_cast<std::uint8_t*>(lines[2])[1], 22);
    vl2imf::takeMessages();
    EXPECT_EQ(imf->scan(imf, 3, &lines), -2);
    EXPECT_TRUE(saw(vl2imf::takeMessages(), "psd_scan_read, bad scan, 3"));
    EXPECT_EQ(imf->scan(imf, -1, &lines), -2);
    imf->close(imf);
}

TEST(LayeredImageReader, PackBitsMinus128IsANoOpAndGlitchesAreReported)
{
    // One channel-row of 4 pixels per RGB channel; red's row carries -128.
    std::vector<std::uint8_t> merged = {0, 3, 0, 2, 0, 2};
    merged.insert(merged.end(), {0x80, 0xfd, 7});  // no-op, 4 x 7
    merged.insert(merged.end(), {0xfd, 8});                     // 4 x 8
    merged.insert(merged.end(), {0xfe, 9});                     // 3 x 9: one short
    const std::string path = writePsd("rle.psd", 3, 4, 1, 3, 1, merged);
    vl2imf::takeMessages();
    vl2imf::RgbaImage img;
    ASSERT_TRUE(vl2imf::readImage(path, img));
    EXPECT_EQ(img.pixels[0] & 0xffffff, 0x090807u);
    EXPECT_EQ(img.pixels[3] & 0xff, 7u);
    const auto messages = vl2imf::takeMessages();
    EXPECT_TRUE(saw(messages, "glitch in psd_unpack_bits, expected = 1"));
    EXPECT_EQ(messages.size(), 1u);  // only the blue row, not the -128 one
}

TEST(LayeredImageReader, IndexedThroughPaletteAndTruncatedFilesRefused)
{
    std::vector<std::uint8_t> lut(768, 0);
    lut[5] = 200;          // red of index 5
    lut[256 + 5] = 100;    // green
    lut[512 + 5] = 50;     // blue
    const std::string path = writePsd("indexed.psd", 1, 1, 1, 2, 0, {5}, lut);
    vl2imf::RgbaImage img;
    ASSERT_TRUE(vl2imf::readImage(path, img));
    EXPECT_EQ(img.pixels[0], 0xff3264c8u);

    // A row table pointing past the end of the file.
    const std::string bad = writePsd("truncated.psd", 3, 4, 2, 3, 1, {0, 200, 0, 2});
    vl2imf::takeMessages();
    EXPECT_FALSE(vl2imf::readImage(bad, img));
    EXPECT_TRUE(saw(vl2imf::takeMessages(), "imageReadOpen, random file read error"));
}
