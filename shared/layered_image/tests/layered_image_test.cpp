// LayeredImage: run-length coding, building, blending, hidden data, removal
// and hostile input. Sample files and ImageMagick checks are in
// layered_image_samples_test.cpp.
#include "layered_image/LayeredImage.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

using vl2::LayeredImage;

namespace {

std::uint32_t rgba(int r, int g, int b, int a)
{
    return std::uint32_t(r) | std::uint32_t(g) << 8 | std::uint32_t(b) << 16 | std::uint32_t(a) << 24;
}

// Bytes a record's extra data takes, counted from its parts.
std::uint64_t extraFromParts(const vl2::LayerRecord& r)
{
    std::uint64_t n = 4 + r.mask.size() + 4 + r.blendingRanges.size() + 1 + r.name.size() + (3 - r.name.size() % 4);
    if (r.hasUnicodeName)
        n += 12 + 4 + 2 * r.unicodeName.size() + r.unicodePad.size();
    return n + r.rest.size();
}

void expectLengthsTrue(const LayeredImage& d)
{
    EXPECT_EQ(d.imageResourcesLength(), d.computedResourcesLength());
    EXPECT_EQ(d.layerInfoLength(), d.computedLayerInfoLength());
    EXPECT_EQ(d.layerAndMaskLength(), d.computedLayerMaskLength());
    for (const auto& r : d.layers())
        EXPECT_EQ(r.extraLength, extraFromParts(r)) << r.name;
    std::size_t c = 0;
    for (const auto& r : d.layers())
        for (const auto& info : r.channels)
            EXPECT_EQ(info.length, d.channelData().at(c++).data.size() + 2);
    // Serialised size agrees with the lengths the file states.
    const auto bytes = d.serialize();
    std::size_t expect = 26 + 4 + d.colourModeData().size() + 4 + d.imageResourcesLength() + 4 +
                         d.layerAndMaskLength() + 2 + d.mergedImage().size();
    EXPECT_EQ(bytes.size(), expect);
}

}  // namespace

TEST(PackBits, RunHeaderMinus128RepeatsItsByte129Times)
{
    const std::uint8_t data[] = {0, 1, 0x80, 7, 0x00, 9};  // one table row, then -128 run and a literal
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(vl2::packBitsDecode(data, sizeof data, 1, 130, out));
    ASSERT_EQ(out.size(), 130u);
    for (int i = 0; i < 129; ++i)
        EXPECT_EQ(out[std::size_t(i)], 7);
    EXPECT_EQ(out[129], 9);
}

TEST(PackBits, EncodesRunsOfAtMost128AndNoLiterals)
{
    const std::vector<std::uint8_t> row(200, 0x5a);
    const auto packed = vl2::packBitsEncode(row.data(), 200, 1);
    const std::vector<std::uint8_t> expect = {0, 4, 0x81, 0x5a, 0xb9, 0x5a};  // 128 then 72
    EXPECT_EQ(packed, expect);

    const std::uint8_t mixed[] = {1, 2, 2, 3};
    const auto p2 = vl2::packBitsEncode(mixed, 4, 1);
    const std::vector<std::uint8_t> e2 = {0, 6, 0, 1, 0xff, 2, 0, 3};
    EXPECT_EQ(p2, e2);
}

TEST(PackBits, RoundTripsRandomRowsAndStopsAtTruncatedData)
{
    std::mt19937 rng(7);
    const std::size_t w = 300, h = 5;
    std::vector<std::uint8_t> img(w * h);
    for (auto& b : img)
        b = std::uint8_t(rng() % 3);  // short runs and singles
    const auto packed = vl2::packBitsEncode(img.data(), w, h);
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(vl2::packBitsDecode(packed.data(), packed.size(), h, w * h, out));
    EXPECT_EQ(out, img);
    EXPECT_FALSE(vl2::packBitsDecode(packed.data(), packed.size() / 2, h, w * h, out));
    EXPECT_EQ(out.size(), w * h);  // the rest is zero, nothing read past the data
}

TEST(LayeredImageBuild, AddLayerToBlankMakesBottomLayerAndResources)
{
    LayeredImage d(6, 4);
    EXPECT_EQ(d.layerCount(), 0);
    expectLengthsTrue(d);
    const int index = d.addLayer("paint");
    EXPECT_EQ(index, 1);
    ASSERT_EQ(d.layerCount(), 2);
    const auto& bottom = d.layers()[0];
    EXPECT_EQ(bottom.flags, 9);
    EXPECT_EQ(bottom.name, "");
    EXPECT_EQ(bottom.extraLength, 84u);
    ASSERT_EQ(bottom.channels.size(), 3u);
    EXPECT_EQ(bottom.channels[0].id, 0);
    const auto& top = d.layers()[1];
    EXPECT_EQ(top.flags, 8);
    ASSERT_EQ(top.channels.size(), 4u);
    EXPECT_EQ(top.channels[0].id, -1);
    EXPECT_EQ(top.rest, bottom.rest);  // the copied "lyid" block
    ASSERT_EQ(d.imageResources().size(), 2u);
    EXPECT_EQ(d.imageResources()[0].id, 1024);
    EXPECT_EQ(d.imageResources()[1].id, 1026);
    EXPECT_EQ(d.imageResources()[1].data.size(), 4u);  // 2, plus 2 for the new layer
    EXPECT_EQ(d.imageResourcesLength(), 2u * 14 + 2);
    for (std::size_t c = 0; c < 7; ++c)
        EXPECT_EQ(d.channelData()[c].compression, 1);
    expectLengthsTrue(d);
    // The new layer is opaque black.
    const auto px = d.layerPixels(1);
    ASSERT_EQ(px.size(), 24u);
    for (auto p : px)
        EXPECT_EQ(p, rgba(0, 0, 0, 255));
}

TEST(LayeredImageBuild, NameLengthsAndUnicodeBlock)
{
    struct Case {
        std::string name;
        std::size_t padChars;
    };
    for (const Case& c : {Case{"", 0}, Case{"a", 1}, Case{"ab", 0}, Case{"abc", 1}, Case{"abcd", 0}, Case{"hello", 1}}) {
        LayeredImage d(3, 3);
        const int i = d.addLayer(c.name);
        const auto& r = d.layers()[std::size_t(i)];
        EXPECT_EQ(r.unicodeName.size(), c.name.size());
        EXPECT_EQ(r.unicodePad.size(), 2 * c.padChars) << c.name;
        EXPECT_EQ(r.unicodeBlockLength, 4 + 2 * (c.name.size() + c.padChars));
        EXPECT_EQ(r.extraLength, 64 + r.unicodeBlockLength + r.rest.size() + c.name.size() - c.name.size() % 4);
        expectLengthsTrue(d);
        // Written back and read by the loader, the name survives; an empty
        // name is four zero bytes after the blending ranges.
        LayeredImage back;
        ASSERT_TRUE(back.loadPsd(d.serialize().data(), d.serialize().size())) << back.lastError();
        EXPECT_EQ(back.layerName(1), c.name);
        EXPECT_EQ(back.serialize(), d.serialize());
    }
}

TEST(LayeredImageBuild, SetLayerPixelsWritesInsideBoundsAndRefusesWrongShapes)
{
    LayeredImage d(4, 3);
    const int i = d.addLayer("x");
    std::vector<std::uint32_t> px = {rgba(1, 2, 3, 4), rgba(5, 6, 7, 8), rgba(9, 10, 11, 12), rgba(13, 14, 15, 16)};
    // 2x2 block at (3, 2): only (3, 2) lies on the canvas.
    EXPECT_TRUE(d.setLayerPixels(i, 3, 2, 5, 4, px.data()));
    const auto out = d.layerPixels(i);
    EXPECT_EQ(out[2 * 4 + 3], rgba(1, 2, 3, 4));
    EXPECT_EQ(out[0], rgba(0, 0, 0, 255));
    EXPECT_FALSE(d.setLayerPixels(0, 0, 0, 1, 1, px.data()));  // bottom layer has three channels
    EXPECT_FALSE(d.setLayerPixels(7, 0, 0, 1, 1, px.data()));
    expectLengthsTrue(d);
    for (std::size_t c = 0; c < d.channelData().size(); ++c)
        EXPECT_EQ(d.channelData()[c].compression, 1);
}

TEST(LayeredImageBuild, BlendModesFollowTheirFormulas)
{
    // Destination 0.4 grey under a source of (0.8, 0.2, 0.6) at alpha 1,
    // layer opacity 128/255.
    const int dst = 102, s[3] = {204, 51, 153};
    const double a = 128 / 255.0, d = dst / 255.0;
    struct Case {
        const char* key;
        double (*f)(double s, double d, double a);
        bool alphaGrows;
    };
    const Case cases[] = {
        {"norm", [](double s, double d, double a) { return d * (1 - a) + s * a; }, true},
        {"mul ", [](double s, double d, double a) { return d * (s * a + 1 - a); }, false},
        {"scrn", [](double s, double d, double a) { return (1 - (1 - s) * (1 - d)) * a + d * (1 - a); }, false},
        {"over",
         [](double s, double d, double a) {
             const double t = d < 0.5 ? 2 * s * d : 1 - 2 * (1 - s) * (1 - d);
             return d * (1 - a) + t * a;
         },
         false},
    };
    for (const Case& c : cases) {
        LayeredImage doc(2, 2);
        const int base = doc.addLayer("base");
        std::vector<std::uint32_t> grey(4, rgba(dst, dst, dst, 255));
        ASSERT_TRUE(doc.setLayerPixels(base, 0, 0, 2, 2, grey.data()));
        const int top = doc.addLayer("top");
        std::vector<std::uint32_t> colour(4, rgba(s[0], s[1], s[2], 255));
        ASSERT_TRUE(doc.setLayerPixels(top, 0, 0, 2, 2, colour.data()));
        std::memcpy(doc.layer(top).blendKey.data(), c.key, 4);
        doc.layer(top).opacity = 128;
        doc.updateComposite();
        const std::uint32_t p = doc.composite()[3];
        // Base over the (black, alpha 0) bottom layer at full opacity gives
        // the grey with alpha 1; then the top layer blends by its mode.
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_EQ(int((p >> (8 * ch)) & 0xff), int(std::min(1.0, c.f(s[ch] / 255.0, d, a)) * 255.0))
                << c.key << " channel " << ch;
        EXPECT_EQ(int(p >> 24), 255) << c.key;
        (void)c.alphaGrows;
    }
}

TEST(LayeredImageBuild, HiddenLayerIsLeftOutOfTheCompositeButReachable)
{
    LayeredImage d(3, 3);
    const int i = d.addLayer("shown");
    std::vector<std::uint32_t> red(9, rgba(255, 0, 0, 255));
    d.setLayerPixels(i, 0, 0, 3, 3, red.data());
    const int j = d.addLayer("ghost");
    std::vector<std::uint32_t> blue(9, rgba(0, 0, 255, 255));
    d.setLayerPixels(j, 0, 0, 3, 3, blue.data());
    d.layer(j).flags |= 2;
    d.updateComposite();
    EXPECT_EQ(d.composite()[4], rgba(255, 0, 0, 255));
    EXPECT_EQ(d.findLayer("ghost"), j);
    EXPECT_EQ(d.findLayer("Ghost"), -1);
    EXPECT_EQ(d.layerName(j), "ghost");
    EXPECT_EQ(d.layerPixels(j)[4], rgba(0, 0, 255, 255));
}

TEST(LayeredImageData, StoreAndLoadBlocksOfEverySize)
{
    // Capacity 8 x 8 = 64 bytes per channel; a block is count + 4 bytes.
    for (std::uint32_t count : {0u, 1u, 59u, 60u, 61u, 124u, 200u, 251u}) {
        LayeredImage d(8, 8);
        std::vector<std::uint8_t> bytes(count);
        for (std::uint32_t k = 0; k < count; ++k)
            bytes[k] = std::uint8_t(k * 7 + 3);
        ASSERT_TRUE(d.storeLayerData("$data", count, bytes.data())) << count;
        const int i = d.findLayer("$data");
        ASSERT_GE(i, 1);
        EXPECT_EQ(d.layers()[std::size_t(i)].flags, 10);
        expectLengthsTrue(d);
        // A block of exactly a multiple of the capacity (60 + 4 = 64) uses one
        // more channel position, which receives no bytes and stays black.
        if (count == 60) {
            const auto next = d.decodeChannel(i, 1);
            EXPECT_EQ(next, std::vector<std::uint8_t>(64, 0));
        }
        const auto back = d.loadLayerData("$data");
        ASSERT_TRUE(back.has_value()) << count;
        EXPECT_EQ(*back, bytes) << count;
        // Hidden data never shows in the composite.
        EXPECT_EQ(d.composite(), std::vector<std::uint32_t>(64, 0));
    }
    LayeredImage full(8, 8);
    std::vector<std::uint8_t> big(252);
    EXPECT_FALSE(full.storeLayerData("$data", 252, big.data()));  // 256 bytes do not fit
    EXPECT_EQ(full.layerCount(), 0);
    EXPECT_FALSE(full.loadLayerData("nothing").has_value());
}

TEST(LayeredImageData, HostileCountWordIsRefused)
{
    LayeredImage d(8, 8);
    const std::uint8_t small[3] = {1, 2, 3};
    ASSERT_TRUE(d.storeLayerData("$data", 3, small));
    const int i = d.findLayer("$data");
    d.expandChannel(i, 0);
    auto& ch = const_cast<std::vector<vl2::ChannelData>&>(d.channelData());
    auto& word = ch[d.firstChannel(i)].data;
    word[0] = word[1] = word[2] = word[3] = 0xff;  // claims 4 GB
    d.compressChannel(i, 0);
    EXPECT_FALSE(d.loadLayerData("$data").has_value());
}

TEST(LayeredImageEdit, RemovingLayersKeepsLengthsAndIgnoresLayerZero)
{
    LayeredImage d(5, 5);
    d.addLayer("one");
    d.addLayer("two");
    d.addLayer("three");
    const auto before = d.serialize();
    d.removeLayer(0);
    d.removeLayer(-1);
    d.removeLayer(9);
    d.removeLayerNamed("nobody");
    EXPECT_EQ(d.serialize(), before);
    d.removeLayerNamed("two");
    ASSERT_EQ(d.layerCount(), 3);
    EXPECT_EQ(d.layerName(2), "three");
    EXPECT_EQ(d.findLayer("two"), -1);
    expectLengthsTrue(d);
    LayeredImage back;
    ASSERT_TRUE(back.loadPsd(d.serialize().data(), d.serialize().size())) << back.lastError();
    EXPECT_EQ(back.layerName(2), "three");
}

TEST(LayeredImageLoad, ExtensionDecidesTheReader)
{
    LayeredImage d;
    EXPECT_FALSE(d.load(lit::sample("psd/hopper.png")));
    EXPECT_NE(d.lastError().find("unsupported file type"), std::string::npos);
    const std::string upper = lit::tempPath("Upper.PSD");
    lit::writeBytes(upper, lit::readBytes(lit::sample("psd/hopper.psd")));
    ASSERT_TRUE(d.load(upper)) << d.lastError();
    EXPECT_EQ(d.layerCount(), 2);
    EXPECT_EQ(d.path(), upper);
    EXPECT_FALSE(d.load(lit::tempPath("missing.psd")));
    EXPECT_EQ(d.layerCount(), 0);  // a failed load leaves nothing behind
}

TEST(LayeredImageLoad, EveryTruncationOfASampleFailsCleanly)
{
    const auto file = lit::readBytes(lit::sample("psd/hidden-layer.psd"));
    ASSERT_FALSE(file.empty());
    LayeredImage d;
    for (std::size_t n = 0; n < file.size(); n += (n < 2000 ? 1 : 97)) {
        EXPECT_FALSE(d.loadPsd(file.data(), n)) << n;
        EXPECT_FALSE(d.lastError().empty());
        EXPECT_EQ(d.layerCount(), 0);
    }
    EXPECT_TRUE(d.loadPsd(file.data(), file.size()));
}

TEST(LayeredImageLoad, HostileFieldsAreCheckedAgainstTheBytesPresent)
{
    // A small valid document to corrupt field by field.
    LayeredImage src(4, 4);
    src.addLayer("layer");
    const auto good = src.serialize();
    LayeredImage probe;
    ASSERT_TRUE(probe.loadPsd(good.data(), good.size()));
    // Offsets: header 26, colour data 4, resources length 4 + resources.
    const std::size_t lm = 26 + 4 + 4 + src.imageResourcesLength();
    const std::size_t count = lm + 8, firstRecord = count + 2;
    auto put32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        b[at] = std::uint8_t(v >> 24);
        b[at + 1] = std::uint8_t(v >> 16);
        b[at + 2] = std::uint8_t(v >> 8);
        b[at + 3] = std::uint8_t(v);
    };
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> corrupt;
        const char* message;
    };
    const Case cases[] = {
        {"huge canvas", [&](auto& b) { put32(b, 14, 0x7fffffff); }, "canvas"},
        {"16 bits", [&](auto& b) { b[23] = 16; }, "depth"},
        {"resources longer than the file", [&](auto& b) { put32(b, 30, 0x7ffffff0); }, "truncated"},
        {"layer count", [&](auto& b) { b[count] = 0x7f; b[count + 1] = 0xff; }, "truncated"},
        {"channel length", [&](auto& b) { put32(b, firstRecord + 18 + 2, 0x40000000); }, "truncated"},
        {"channel length 0", [&](auto& b) { put32(b, firstRecord + 18 + 2, 0); }, "below 2"},
        {"inverted bounds", [&](auto& b) { put32(b, firstRecord + 8, 0xfffffff0); }, "bounds"},
        {"huge bounds", [&](auto& b) { put32(b, firstRecord + 12, 29000); }, "shorter than the layer"},
        {"extra length", [&](auto& b) { put32(b, firstRecord + 18 + 18 + 12, 0x7fffffff); }, "truncated"},
    };
    for (const Case& c : cases) {
        auto bad = good;
        c.corrupt(bad);
        LayeredImage d;
        EXPECT_FALSE(d.loadPsd(bad.data(), bad.size())) << c.what;
        EXPECT_NE(d.lastError().find(c.message), std::string::npos) << c.what << ": " << d.lastError();
    }
}

TEST(LayeredImageTarga, ImportsFlippedWithAlpha)
{
    struct Case {
        const char* file;
        bool ok;
        const char* error;
    };
    const Case cases[] = {
        {"tga/200x32_rgb_bl_raw.tga", true, ""},
        {"tga/200x32_rgba_bl_raw.tga", true, ""},
        {"tga/200x32_rgba_tl_raw.tga", true, ""},
        {"tga/tga_id_field.tga", true, ""},
        {"tga/200x32_rgb_bl_rle.tga", false, "image type 10"},
        {"tga/200x32_p_bl_raw.tga", false, "pixel depth 8"},
    };
    for (const Case& c : cases) {
        LayeredImage d;
        ASSERT_EQ(d.load(lit::sample(c.file)), c.ok) << c.file << " " << d.lastError();
        if (!c.ok) {
            EXPECT_NE(d.lastError().find(c.error), std::string::npos) << d.lastError();
            continue;
        }
        EXPECT_EQ(d.layerCount(), 2);
        EXPECT_EQ(d.layerName(1), "$diffuse");
        // The file's first stored row (bottom-up) is the document's last row.
        const auto file = lit::readBytes(lit::sample(c.file));
        const bool topDown = (file[17] & 0x20) != 0;
        const std::size_t bpp = file[16] / 8;
        const std::size_t start = 18 + file[0];
        const auto px = d.layerPixels(1);
        const int w = d.width(), h = d.height();
        for (int y : {0, h / 2, h - 1}) {
            for (int x : {0, w / 3, w - 1}) {
                const int docRow = topDown ? y : h - 1 - y;
                const std::uint8_t* p = file.data() + start + (std::size_t(y) * std::size_t(w) + std::size_t(x)) * bpp;
                const std::uint32_t expect = rgba(p[2], p[1], p[0], bpp == 4 ? p[3] : 255);
                EXPECT_EQ(px[std::size_t(docRow) * std::size_t(w) + std::size_t(x)], expect) << c.file;
            }
        }
        EXPECT_EQ(d.path(), lit::sample(c.file));
    }
    // The two origins of the same picture import alike.
    LayeredImage bl, tl;
    ASSERT_TRUE(bl.load(lit::sample("tga/200x32_rgba_bl_raw.tga")));
    ASSERT_TRUE(tl.load(lit::sample("tga/200x32_rgba_tl_raw.tga")));
    EXPECT_EQ(bl.layerPixels(1), tl.layerPixels(1));
}
