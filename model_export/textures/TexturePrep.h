#pragma once
// Pixel work of the texture writer: row reversal, power-of-two preparation,
// the area-mean resampling and the mip chain.

#include <cstdint>
#include <vector>

namespace vl2 {

// 4 bytes per pixel, red in the lowest byte (the layered image's order).
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // row 0 first

    bool valid() const
    {
        return width > 0 && height > 0 && pixels.size() == std::size_t(width) * std::size_t(height);
    }
};

// Sides larger than this are refused by the preparation (an image the format
// could hold but no game texture would: it keeps the memory bounded).
constexpr int kMaxTextureSide = 8192;

bool isPowerOfTwo(int n);
// The smallest power of two at or above n (n >= 1).
int nextPowerOfTwo(int n);

void reverseRows(RgbaImage& image);

// Area mean: with r = source / destination per axis, destination pixel d
// covers source pixels floor(d r) .. floor(floor(d r) + r), inclusive and
// clamped to the last pixel; each channel is the mean, rounded down.
RgbaImage resample(const RgbaImage& source, int width, int height);

// Power-of-two preparation of level 0. `resized` says whether the image had
// to be brought to the next power of two (the caller warns then).
RgbaImage prepareLevelZero(const RgbaImage& source, float scale, bool& resized);

// The levels written: level 0 and each halving (a side of 1 stays 1), up to
// but not including the first level from level 1 on with a side of 2; only
// level 0 when no such level exists.
std::vector<RgbaImage> mipLevels(const RgbaImage& levelZero);
// How many levels mipLevels gives for a level-0 size, without the pixels.
int mipLevelCount(int width, int height);

}  // namespace vl2
