// PackBits run-length coding as the layered documents store it.
#include "layered_image/LayeredImage.h"

#include <algorithm>

namespace vl2 {

bool packBitsDecode(const std::uint8_t* data, std::size_t size, std::size_t tableRows, std::size_t outSize,
                    std::vector<std::uint8_t>& out)
{
    out.assign(outSize, 0);
    if (tableRows > size / 2)
        return outSize == 0;
    std::size_t in = tableRows * 2;
    std::size_t produced = 0;
    while (produced < outSize && in < size) {
        const int n = static_cast<std::int8_t>(data[in++]);
        if (n >= 0) {
            std::size_t count = std::size_t(n) + 1;
            count = std::min({count, size - in, outSize - produced});
            std::copy(data + in, data + in + count, out.begin() + std::ptrdiff_t(produced));
            in += std::size_t(n) + 1;  // a short literal at the end simply ends the data
            produced += count;
        } else {
            if (in >= size)
                break;
            const std::uint8_t value = data[in++];
            const std::size_t count = std::min(std::size_t(1 - n), outSize - produced);
            std::fill_n(out.begin() + std::ptrdiff_t(produced), count, value);
            produced += count;
        }
    }
    return produced == outSize;
}

std::vector<std::uint8_t> packBitsEncode(const std::uint8_t* data, std::size_t rowLength, std::size_t rows)
{
    std::vector<std::uint8_t> out(rows * 2);
    for (std::size_t row = 0; row < rows; ++row) {
        const std::uint8_t* p = data + row * rowLength;
        const std::size_t start = out.size();
        std::size_t x = 0;
        while (x < rowLength) {
            std::size_t run = 1;
            while (x + run < rowLength && run < 128 && p[x + run] == p[x])
                ++run;
            out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(1 - int(run))));
            out.push_back(p[x]);
            x += run;
        }
        const std::size_t packed = out.size() - start;
        out[row * 2] = std::uint8_t(packed >> 8);
        out[row * 2 + 1] = std::uint8_t(packed);
    }
    return out;
}

}  // namespace vl2
