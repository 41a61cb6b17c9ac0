#include "s3tc/S3tc.h"

#include <squish.h>

#include <algorithm>
#include <limits>

namespace vl2::s3tc {

namespace {

int squishFormat(Format f)
{
    switch (f) {
    case Format::DXT1: return squish::kDxt1;
    case Format::DXT3: return squish::kDxt3;
    case Format::DXT5: return squish::kDxt5;
    }
    return squish::kDxt1;
}

int squishQuality(Quality q)
{
    switch (q) {
    case Quality::RangeFit: return squish::kColourRangeFit;
    case Quality::ClusterFit: return squish::kColourClusterFit;
    case Quality::IterativeClusterFit: return squish::kColourIterativeClusterFit;
    }
    return squish::kColourClusterFit;
}

// The encoder works with int sizes and byte counts; keep well inside them.
bool sizeUsable(int width, int height)
{
    if (width < 1 || height < 1)
        return false;
    const std::uint64_t bytes = std::uint64_t(std::max(width, 4)) * std::uint64_t(std::max(height, 4)) * 4u;
    return bytes <= std::uint64_t(std::numeric_limits<int>::max());
}

}  // namespace

const char* qualityName(Quality q)
{
    switch (q) {
    case Quality::RangeFit: return "range fit";
    case Quality::ClusterFit: return "cluster fit";
    case Quality::IterativeClusterFit: return "iterative cluster fit";
    }
    return "?";
}

const char* formatName(Format f)
{
    switch (f) {
    case Format::DXT1: return "DXT1";
    case Format::DXT3: return "DXT3";
    case Format::DXT5: return "DXT5";
    }
    return "?";
}

std::size_t encodedSize(Format format, int width, int height)
{
    if (width < 1 || height < 1)
        return 0;
    const std::size_t area = std::size_t(std::max(width, 4)) * std::size_t(std::max(height, 4));
    // Sides that are not multiples of 4 still take whole blocks.
    const std::size_t blocks = std::size_t((std::max(width, 4) + 3) / 4) * std::size_t((std::max(height, 4) + 3) / 4);
    const std::size_t bytesPerBlock = format == Format::DXT1 ? 8 : 16;
    return std::max(blocks * bytesPerBlock, format == Format::DXT1 ? area / 2 : area);
}

bool encode(const std::uint8_t* pixels, int width, int height, const EncodeOptions& options,
            std::vector<std::uint8_t>& out)
{
    out.clear();
    if (pixels == nullptr || !sizeUsable(width, height))
        return false;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    const std::uint8_t* source = pixels;
    std::vector<std::uint8_t> opaque;
    if (options.format == Format::DXT1) {
        // libsquish's DXT1 writes pixels with alpha below 128 as transparent
        // black; the game's DXT1 has no alpha, so the encoder sees them opaque.
        opaque.assign(pixels, pixels + count * 4);
        for (std::size_t i = 0; i < count; ++i)
            opaque[i * 4 + 3] = 255;
        source = opaque.data();
    }
    const int flags = squishFormat(options.format) | squishQuality(options.quality);
    const std::size_t size = encodedSize(options.format, width, height);
    if (std::size_t(squish::GetStorageRequirements(width, height, flags)) > size)
        return false;
    out.assign(size, 0);
    squish::CompressImage(source, width, height, out.data(), flags);
    return true;
}

bool decode(const std::uint8_t* blocks, std::size_t size, int width, int height, Format format,
            std::vector<std::uint8_t>& out)
{
    out.clear();
    if (blocks == nullptr || !sizeUsable(width, height) || size != encodedSize(format, width, height))
        return false;
    out.assign(std::size_t(width) * std::size_t(height) * 4, 0);
    squish::DecompressImage(out.data(), width, height, blocks, squishFormat(format));
    return true;
}

}  // namespace vl2::s3tc
