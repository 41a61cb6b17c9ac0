// LayeredImage against the third-party samples, with ImageMagick as the
// independent reader: loading, byte-exact saving, the composite, and
// documents built here read back by ImageMagick.
#include "layered_image/LayeredImage.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

using vl2::LayeredImage;

namespace {

struct SampleCase {
    const char* file;
    const char* error;  // null: loads
};

const SampleCase kSamples[] = {
    {"0layers.psd", nullptr},
    {"2layers.psd", nullptr},
    {"cactus_top.psd", nullptr},
    {"empty-layer.psd", nullptr},
    {"gray1.psd", nullptr},
    {"hidden-layer.psd", nullptr},
    {"hopper.psd", nullptr},
    {"transparentbg-gimp.psd", nullptr},
    {"16bit5x5.psd", "unsupported depth of 16 bits"},
    {"4x4_8bit_cmyk.psd", "unsupported colour mode 4"},
    {"4x4_8bit_index_color.psd", "unsupported colour mode 2"},
    {"rgba.psd", "unsupported channel compression 2 (ZIP)"},
};

std::string psd(const std::string& name)
{
    return lit::sample("psd/" + name);
}

}  // namespace

TEST(LayeredImageSamples, LoadOrFailForAStatedReasonAndSaveByteForByte)
{
    for (const SampleCase& c : kSamples) {
        LayeredImage d;
        const bool ok = d.load(psd(c.file));
        if (c.error) {
            EXPECT_FALSE(ok) << c.file;
            EXPECT_NE(d.lastError().find(c.error), std::string::npos) << c.file << ": " << d.lastError();
            continue;
        }
        ASSERT_TRUE(ok) << c.file << ": " << d.lastError();
        EXPECT_EQ(d.imageResourcesLength(), d.computedResourcesLength()) << c.file;
        EXPECT_EQ(d.layerAndMaskLength(), d.computedLayerMaskLength()) << c.file;
        EXPECT_EQ(d.layerInfoLength(), d.computedLayerInfoLength()) << c.file;
        const std::string out = lit::tempPath(std::string("resaved_") + c.file);
        ASSERT_TRUE(d.save(out));
        EXPECT_TRUE(lit::readBytes(out) == lit::readBytes(psd(c.file))) << c.file << " differs after saving";
    }
}

TEST(LayeredImageSamples, LayerNamesAndHiddenFlags)
{
    LayeredImage d;
    ASSERT_TRUE(d.load(psd("hidden-layer.psd")));
    ASSERT_EQ(d.layerCount(), 3);
    EXPECT_EQ(d.findLayer("Shape 2"), 2);
    EXPECT_TRUE(d.layers()[2].hidden());
    EXPECT_FALSE(d.layerPixels(2).empty());
    const auto withHidden = d.composite();
    d.removeLayer(2);
    d.updateComposite();
    EXPECT_EQ(d.composite(), withHidden);  // the hidden layer never contributed

    ASSERT_TRUE(d.load(psd("2layers.psd")));
    EXPECT_EQ(d.layerName(1), "\xd0\xa1\xd0\xbb\xd0\xbe\xd0\xb9");  // UTF-8 bytes as stored
    const std::vector<std::uint16_t> unicode = {0x0421, 0x043b, 0x043e, 0x0439};
    EXPECT_EQ(d.layers()[1].unicodeName, unicode);

    ASSERT_TRUE(d.load(psd("empty-layer.psd")));
    EXPECT_EQ(d.layerPixels(2).size(), 0u);  // the 0 x 0 layer
}

// Mean absolute difference per channel between our composite and
// ImageMagick's flattening of the layers (its merged image for files without
// layers). Colour is compared where ImageMagick's result is opaque; the
// composite's alpha follows the document rules (the bottom layer is written
// with alpha 0) and is reported, not compared.
TEST(LayeredImageSamples, CompositeAgreesWithImageMagick)
{
    struct Expect {
        const char* file;
        double maxMean;  // allowed mean difference per colour channel
        const char* why;
    };
    const Expect cases[] = {
        {"0layers.psd", 0.01, ""},
        {"2layers.psd", 0.01, ""},
        {"empty-layer.psd", 0.01, ""},
        {"gray1.psd", 0.01, ""},
        {"hidden-layer.psd", 0.01, ""},
        {"hopper.psd", 0.01, ""},
        {"transparentbg-gimp.psd", 0.01, ""},
        // The bottom layer is hidden; the document rules draw the bottom layer
        // regardless, ImageMagick leaves it out.
        {"cactus_top.psd", 0.01, "hidden bottom layer shows only where ImageMagick is transparent"},
    };
    std::ostringstream table;
    table << "sample | R | G | B | A (not compared) | opaque pixels compared\n";
    for (const Expect& c : cases) {
        LayeredImage d;
        ASSERT_TRUE(d.load(psd(c.file))) << d.lastError();
        const std::string args = d.layerCount() == 0 ? "'" + psd(c.file) + "[0]'"
                                                     : "'" + psd(c.file) + "' -delete 0 -background none -flatten";
        const std::string im = lit::run(std::string(lit::magick()) + " " + args + " -depth 8 rgba:-");
        ASSERT_EQ(im.size(), d.composite().size() * 4) << c.file;
        double sum[4] = {0, 0, 0, 0};
        std::size_t compared = 0;
        int worst = 0;
        for (std::size_t i = 0; i < d.composite().size(); ++i) {
            const std::uint32_t p = d.composite()[i];
            const auto* q = reinterpret_cast<const std::uint8_t*>(im.data()) + 4 * i;
            sum[3] += std::abs(int(p >> 24) - int(q[3]));
            if (q[3] != 255)
                continue;
            ++compared;
            for (int ch = 0; ch < 3; ++ch) {
                const int diff = std::abs(int((p >> (8 * ch)) & 0xff) - int(q[ch]));
                sum[ch] += diff;
                worst = std::max(worst, diff);
            }
        }
        ASSERT_GT(compared, 0u) << c.file;
        char line[200];
        std::snprintf(line, sizeof line, "%s | %.4f | %.4f | %.4f | %.2f | %zu of %zu (max %d) %s\n", c.file,
                      sum[0] / double(compared), sum[1] / double(compared), sum[2] / double(compared),
                      sum[3] / double(d.composite().size()), compared, d.composite().size(), worst, c.why);
        table << line;
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_LE(sum[ch] / double(compared), c.maxMean) << c.file << " channel " << ch;
        if (c.maxMean < 1) {
            EXPECT_LE(worst, 1) << c.file;  // rounding only
        }
    }
    std::printf("%s", table.str().c_str());
}

TEST(LayeredImageSamples, BuiltDocumentIsReadByImageMagickAndByLoad)
{
    LayeredImage d(48, 32);
    const int paint = d.addLayer("paint");
    std::vector<std::uint32_t> px(20 * 10);
    for (std::size_t i = 0; i < px.size(); ++i)
        px[i] = 0xff000000u | std::uint32_t(i * 3 % 256) | 0x00008000u;
    ASSERT_TRUE(d.setLayerPixels(paint, 5, 6, 25, 16, px.data()));
    std::vector<std::uint8_t> hidden(3000);
    for (std::size_t i = 0; i < hidden.size(); ++i)
        hidden[i] = std::uint8_t(i * 31 + 5);
    ASSERT_TRUE(d.storeLayerData("$geometry", std::uint32_t(hidden.size()), hidden.data()));
    const std::string out = lit::tempPath("built.psd");
    ASSERT_TRUE(d.save(out));

    // ImageMagick: the merged image plus three layers, all canvas-sized.
    const std::string listing = lit::run(std::string(lit::identify()) + " -format '%wx%h;' '" + out + "'");
    EXPECT_EQ(listing, "48x32;48x32;48x32;48x32;") << listing;
    const std::string pixel =
        lit::run(std::string(lit::magick()) + " '" + out + "[2]' -crop 1x1+6+6 -depth 8 rgba:-");
    ASSERT_EQ(pixel.size(), 4u);
    const std::uint32_t expect = px[0 * 20 + 1];  // canvas (6, 6) is layer pixel (1, 0)
    EXPECT_EQ(std::uint8_t(pixel[0]), std::uint8_t(expect));
    EXPECT_EQ(std::uint8_t(pixel[1]), std::uint8_t(expect >> 8));

    LayeredImage back;
    ASSERT_TRUE(back.load(out)) << back.lastError();
    EXPECT_EQ(back.layerCount(), 3);
    const auto data = back.loadLayerData("$geometry");
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(*data, hidden);
    EXPECT_EQ(back.serialize(), d.serialize());
}

TEST(LayeredImageSamples, AddLayerToALoadedFileUpdatesResources1026And1044)
{
    LayeredImage d;
    ASSERT_TRUE(d.load(psd("hidden-layer.psd")));
    auto find = [&](std::uint16_t id) -> const vl2::ImageResource& {
        for (const auto& r : d.imageResources())
            if (r.id == id)
                return r;
        throw std::runtime_error("no resource");
    };
    const std::size_t before1026 = find(1026).data.size();
    const std::uint8_t before1044 = find(1044).data.back();
    const std::uint32_t resources = d.imageResourcesLength();
    const int i = d.addLayer("odd");
    EXPECT_EQ(i, 3);
    EXPECT_EQ(find(1026).data.size(), before1026 + 2);
    EXPECT_EQ(find(1044).data.back(), std::uint8_t(before1044 + 1));
    EXPECT_EQ(d.imageResourcesLength(), resources + 2);
    ASSERT_GE(d.layers()[3].rest.size(), 16u);
    EXPECT_EQ(d.layers()[3].rest[15], find(1044).data.back());
    EXPECT_EQ(d.layers()[3].rest, [&] { auto r = d.layers()[2].rest; r[15] = find(1044).data.back(); return r; }());
    EXPECT_EQ(d.imageResourcesLength(), d.computedResourcesLength());
    EXPECT_EQ(d.layerAndMaskLength(), d.computedLayerMaskLength());
    const std::string out = lit::tempPath("hidden_plus.psd");
    ASSERT_TRUE(d.save(out));
    const std::string listing = lit::run(std::string(lit::identify()) + " -format '%wx%h;' '" + out + "'");
    EXPECT_EQ(listing, "100x150;100x150;48x49;59x17;100x150;") << listing;
}

TEST(LayeredImageSamples, OddLengthResourcesRoundTripAndInsertionKeepsLengths)
{
    // hopper.psd carries odd-length resources (1028: 31 bytes), each followed
    // by a pad byte; the byte-exact save above covers their layout.
    LayeredImage d;
    ASSERT_TRUE(d.load(psd("hopper.psd")));
    bool sawOdd = false;
    for (const auto& r : d.imageResources())
        sawOdd = sawOdd || r.data.size() % 2 == 1;
    EXPECT_TRUE(sawOdd);
    vl2::ImageResource r;
    r.id = 4000;
    r.data = {1, 2, 3, 4};
    d.addImageResource(r, 1044);
    EXPECT_EQ(d.imageResourcesLength() + 4, d.computedResourcesLength());  // the caller adds the data
    std::size_t at = 0;
    while (d.imageResources()[at].id != 1044)
        ++at;
    EXPECT_EQ(d.imageResources()[at + 1].id, 4000);
    d.addImageResource(r, 9999);  // no such id: appended
    EXPECT_EQ(d.imageResources().back().id, 4000);
}
