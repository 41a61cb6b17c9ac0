#include "TextureWriter.h"

#include <chunk/ChunkWriter.h>
#include <layered_image/LayeredImage.h>
#include <runlog/RunLog.h>

#include <platform/platform.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace vl2 {

int findTexture(const TextureList& list, const std::string& path, std::int32_t layer)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].layer == layer && list[i].path == path)
            return int(i);
    return -1;
}

const char* textureFormatCode(const std::string& layerName, std::int32_t kind, std::int32_t textureFormat)
{
    if (layerName == "$normals")
        return "8888";
    if (kind == kTextureKindMarked)
        return "DXT1";
    switch (textureFormat) {
    case kTextureDXT1: return "DXT1";
    case kTextureDXT3: return "DXT3";
    case kTextureRGBA32: return "8888";
    default: return "DXT5";
    }
}

std::size_t levelDataSize(const char (&format)[4], int width, int height)
{
    if (width < 1 || height < 1)
        return 0;
    if (std::memcmp(format, "8888", 4) == 0)
        return std::size_t(width) * std::size_t(height) * 4;
    return s3tc::encodedSize(format[3] == '1' ? s3tc::Format::DXT1 : s3tc::Format::DXT5, width, height);
}

bool encodeLevel(const RgbaImage& level, const char (&format)[4], bool markedLayer, s3tc::Quality quality,
                 EncodedLevel& out)
{
    out.width = level.width;
    out.height = level.height;
    out.data.clear();
    if (!level.valid())
        return false;
    const std::size_t count = level.pixels.size();
    if (std::memcmp(format, "8888", 4) == 0) {
        // The image buffer's byte order: red, green, blue, alpha.
        out.data.resize(count * 4);
        for (std::size_t i = 0; i < count; ++i)
            for (int c = 0; c < 4; ++c)
                out.data[i * 4 + std::size_t(c)] = std::uint8_t(level.pixels[i] >> (8 * c));
        return true;
    }
    // The game reads blue first: red and blue trade places before encoding.
    std::vector<std::uint8_t> bgra(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = level.pixels[i];
        bgra[i * 4 + 0] = std::uint8_t(p >> 16);
        bgra[i * 4 + 1] = std::uint8_t(p >> 8);
        bgra[i * 4 + 2] = std::uint8_t(p);
        bgra[i * 4 + 3] = std::uint8_t(p >> 24);
    }
    s3tc::EncodeOptions options;
    options.format = format[3] == '1' ? s3tc::Format::DXT1 : format[3] == '3' ? s3tc::Format::DXT3 : s3tc::Format::DXT5;
    options.quality = quality;
    options.markedLayer = markedLayer;
    return s3tc::encode(bgra.data(), level.width, level.height, options, out.data);
}

namespace {

// The stand-in for a record without an image: 16 x 16, one layer "new",
// every byte 255. Null `image` in a SourceImage means the stand-in.
struct SourceImage {
    std::unique_ptr<LayeredImage> image;

    int layerCount() const { return image ? image->layerCount() : 1; }
    std::string layerName(int layer) const { return image ? image->layerName(layer) : std::string("new"); }

    RgbaImage pixels(int layer) const
    {
        RgbaImage out;
        if (!image) {
            out.width = out.height = 16;
            out.pixels.assign(256, 0xffffffffu);
            return out;
        }
        out.width = image->width();
        out.height = image->height();
        out.pixels = layer < 0 ? image->composite() : image->layerPixels(layer);
        // A layer without area is transparent black over the canvas rather
        // than no texture at all.
        if (out.pixels.size() != std::size_t(out.width) * std::size_t(out.height))
            out.pixels.assign(std::size_t(out.width) * std::size_t(out.height), 0u);
        return out;
    }
};

}  // namespace

TextureWriteStats writeTextures(ChunkWriter* writer, const TextureList& records, const TextureWriteSettings& settings)
{
    TextureWriteStats stats;
    if (settings.textureFormat < kTextureDXT1 || settings.textureFormat > kTextureRGBA32)
        logMessage(2, "Unknown texture format %d, writing DXT5\n", int(settings.textureFormat) + 1);

    SourceImage source;
    std::string imagePath;
    bool haveImage = false;
    for (const TextureRecord& record : records) {
        // 1. The image, reused when the previous record read the same path.
        if (!haveImage || record.path != imagePath) {
            imagePath = record.path;
            haveImage = true;
            source.image.reset();
            if (!record.path.empty()) {
                auto image = std::make_unique<LayeredImage>();
                ++stats.imageLoads;
                if (!image->load(vl2platform::resolvePath(record.path))) {
                    logMessage(2, "Error loading PSD file '%s' for texture %s[%d]: %s\n", record.path.c_str(),
                               record.path.c_str(), int(record.layer), image->lastError().c_str());
                } else if (image->width() > kMaxTextureSide || image->height() > kMaxTextureSide) {
                    logMessage(2, "Texture %s is %dx%d, larger than %dx%d; writing a blank texture\n",
                               record.path.c_str(), image->width(), image->height(), kMaxTextureSide, kMaxTextureSide);
                } else {
                    source.image = std::move(image);
                }
            }
        }
        const int layer = record.layer < source.layerCount() ? record.layer : -1;
        const std::string layerName = layer >= 0 ? source.layerName(layer) : std::string();

        // 2.-4. Pixels bottom row first, power-of-two size, format.
        RgbaImage pixels = source.pixels(layer);
        reverseRows(pixels);
        bool resized = false;
        const RgbaImage levelZero = prepareLevelZero(pixels, record.scale, resized);
        if (resized)
            logMessage(1, "Bad image resizing code is mangling texture %s\n", record.path.c_str());

        PreparedTexture texture;
        texture.name = record.path + "[" + std::to_string(record.layer) + "]";
        std::memcpy(texture.format, textureFormatCode(layerName, record.kind, settings.textureFormat), 4);

        if (writer) {
            writer->beginPlainChunk(fourCC("LMIP"));
            writer->writeString(texture.name);
            writer->writeBytes(texture.format, 1, 4);
        }
        const std::vector<RgbaImage> levels = mipLevels(levelZero);
        if (writer)
            writer->writeUInt32(std::uint32_t(levels.size()));
        logMessage(0, "Writing %4.4s format texture (%ix%i)", texture.format, levelZero.width, levelZero.height);
        for (const RgbaImage& level : levels) {
            EncodedLevel encoded;
            if (!encodeLevel(level, texture.format, record.kind == kTextureKindMarked, settings.quality, encoded)) {
                // Cannot happen for prepared levels; keep the layout whole if it does.
                logMessage(2, "Could not encode a %dx%d level of texture %s\n", level.width, level.height,
                           texture.name.c_str());
                encoded.data.assign(levelDataSize(texture.format, level.width, level.height), 0);
            }
            logMessage(0, ".");
            if (writer) {
                writer->writeUInt32(std::uint32_t(level.width));
                writer->writeUInt32(std::uint32_t(level.height));
                writer->writeBytes(encoded.data.data(), 1, encoded.data.size());
            }
        }
        logMessage(0, "\n");
        if (writer)
            writer->endChunk();
        ++stats.texturesWritten;
    }
    return stats;
}

}  // namespace vl2
