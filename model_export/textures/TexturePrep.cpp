#include "TexturePrep.h"

#include <algorithm>
#include <cmath>

namespace vl2 {

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

int nextPowerOfTwo(int n)
{
    int p = 1;
    while (p < n && p <= (1 << 29))
        p <<= 1;
    return p;
}

void reverseRows(RgbaImage& image)
{
    if (!image.valid())
        return;
    const std::size_t w = std::size_t(image.width);
    for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(image.pixels.begin() + std::ptrdiff_t(std::size_t(top) * w),
                         image.pixels.begin() + std::ptrdiff_t(std::size_t(top + 1) * w),
                         image.pixels.begin() + std::ptrdiff_t(std::size_t(bottom) * w));
}

namespace {

// First and last source index (inclusive) of destination index d.
void span(int d, double ratio, int sourceSize, int& first, int& last)
{
    const double start = std::floor(double(d) * ratio);
    first = std::min(int(start), sourceSize - 1);
    last = std::min(int(std::floor(start + ratio)), sourceSize - 1);
}

}  // namespace

RgbaImage resample(const RgbaImage& source, int width, int height)
{
    RgbaImage out;
    if (!source.valid() || width < 1 || height < 1)
        return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(std::size_t(width) * std::size_t(height));
    const double rx = double(source.width) / double(width);
    const double ry = double(source.height) / double(height);
    std::vector<int> x0(static_cast<std::size_t>(width)), x1(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        span(x, rx, source.width, x0[std::size_t(x)], x1[std::size_t(x)]);
    for (int y = 0; y < height; ++y) {
        int y0, y1;
        span(y, ry, source.height, y0, y1);
        for (int x = 0; x < width; ++x) {
            std::uint64_t sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy <= y1; ++sy) {
                const std::uint32_t* row = source.pixels.data() + std::size_t(sy) * std::size_t(source.width);
                for (int sx = x0[std::size_t(x)]; sx <= x1[std::size_t(x)]; ++sx) {
                    const std::uint32_t p = row[sx];
                    sum[0] += p & 0xff;
                    sum[1] += (p >> 8) & 0xff;
                    sum[2] += (p >> 16) & 0xff;
                    sum[3] += p >> 24;
                }
            }
            const std::uint64_t n =
                std::uint64_t(y1 - y0 + 1) * std::uint64_t(x1[std::size_t(x)] - x0[std::size_t(x)] + 1);
            std::uint32_t v = 0;
            for (int c = 0; c < 4; ++c)
                v |= std::uint32_t(std::min<std::uint64_t>(sum[c] / n, 255)) << (8 * c);
            out.pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] = v;
        }
    }
    return out;
}

RgbaImage prepareLevelZero(const RgbaImage& source, float scale, bool& resized)
{
    resized = false;
    if (!source.valid())
        return {};
    if (isPowerOfTwo(source.width) && isPowerOfTwo(source.height) && scale == 1.0f)
        return source;
    RgbaImage image = source;
    if (scale != 1.0f) {
        // Truncated as the sides are; a scale that would leave nothing keeps one pixel.
        const double w = std::floor(double(source.width) * double(scale));
        const double h = std::floor(double(source.height) * double(scale));
        const int sw = int(std::clamp(w, 1.0, double(kMaxTextureSide)));
        const int sh = int(std::clamp(h, 1.0, double(kMaxTextureSide)));
        image = resample(source, sw, sh);
    }
    if (!isPowerOfTwo(image.width) || !isPowerOfTwo(image.height)) {
        resized = true;
        image = resample(image, nextPowerOfTwo(image.width), nextPowerOfTwo(image.height));
    }
    return image;
}

int mipLevelCount(int width, int height)
{
    if (width < 1 || height < 1)
        return 0;
    int count = 1;
    for (int w = width, h = height; w > 1 || h > 1;) {
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        if (w == 2 || h == 2)
            return count;
        ++count;
    }
    return 1;  // no level from 1 on has a side of 2
}

std::vector<RgbaImage> mipLevels(const RgbaImage& levelZero)
{
    std::vector<RgbaImage> levels;
    if (!levelZero.valid())
        return levels;
    const int count = mipLevelCount(levelZero.width, levelZero.height);
    levels.push_back(levelZero);
    for (int i = 1; i < count; ++i) {
        const RgbaImage& prev = levels.back();
        levels.push_back(resample(prev, std::max(1, prev.width / 2), std::max(1, prev.height / 2)));
    }
    return levels;
}

}  // namespace vl2
