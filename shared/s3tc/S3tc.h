#pragma once
// S3TC block compression of one image level (DXT1, DXT3, DXT5), as the game's
// textures store it: 4 x 4 pixel blocks, 8 bytes each for DXT1 and 16 for
// DXT3 / DXT5, in row order of blocks.
//
// Pixels are 4 bytes each, in the byte order the blocks should carry: the
// encoder does not reorder channels (the texture writer swaps red and blue
// itself before calling it).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vl2::s3tc {

enum class Format { DXT1, DXT3, DXT5 };

// The colour fit of the encoder, fastest first. The default was picked from
// the texture benchmark's table of time against error.
enum class Quality { RangeFit, ClusterFit, IterativeClusterFit };
constexpr Quality kDefaultQuality = Quality::ClusterFit;

const char* qualityName(Quality q);
const char* formatName(Format f);

struct EncodeOptions {
    Format format = Format::DXT1;
    Quality quality = kDefaultQuality;
    // Layers marked with "*" in their name. They are forced to DXT1 by the
    // texture writer; the blocks themselves are encoded as any other DXT1
    // level (opaque), so the marker changes nothing here.
    bool markedLayer = false;
};

// Bytes of one encoded level: max(w, 4) * max(h, 4) / 2 for DXT1, and
// max(w, 4) * max(h, 4) for DXT3 and DXT5. 0 for sizes below 1.
std::size_t encodedSize(Format format, int width, int height);

// Encodes width x height pixels (width * height * 4 bytes, rows in order)
// into `out`, which is resized to encodedSize(). DXT1 is encoded without
// alpha: every pixel counts as opaque, so dark-alpha pixels keep their colour
// instead of turning into transparent black. False (out emptied) for sizes
// below 1 or when the pixel count does not fit the encoder.
bool encode(const std::uint8_t* pixels, int width, int height, const EncodeOptions& options,
            std::vector<std::uint8_t>& out);

// Decodes `size` bytes of blocks into width * height * 4 bytes. False (out
// emptied) when `size` is not encodedSize() of the level.
bool decode(const std::uint8_t* blocks, std::size_t size, int width, int height, Format format,
            std::vector<std::uint8_t>& out);

}  // namespace vl2::s3tc
