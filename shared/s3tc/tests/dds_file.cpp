#include "dds_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vl2::testing {

namespace {

void put32(std::vector<std::uint8_t>& o, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        o.push_back(std::uint8_t(v >> (8 * i)));
}

std::string quoted(const std::string& s)
{
    std::string r = "'";
    for (char c : s)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

}  // namespace

std::vector<std::uint8_t> ddsFile(s3tc::Format format, int width, int height, const std::vector<std::uint8_t>& blocks)
{
    std::vector<std::uint8_t> o = {'D', 'D', 'S', ' '};
    put32(o, 124);                                    // header size
    put32(o, 0x1 | 0x2 | 0x4 | 0x1000 | 0x80000);    // caps, height, width, pixel format, linear size
    put32(o, std::uint32_t(height));
    put32(o, std::uint32_t(width));
    put32(o, std::uint32_t(blocks.size()));
    put32(o, 0);  // depth
    put32(o, 0);  // mip levels
    for (int i = 0; i < 11; ++i)
        put32(o, 0);
    put32(o, 32);   // pixel format size
    put32(o, 0x4);  // four-character code present
    const char* code = s3tc::formatName(format);
    o.insert(o.end(), code, code + 4);
    for (int i = 0; i < 5; ++i)
        put32(o, 0);
    put32(o, 0x1000);  // a texture
    for (int i = 0; i < 4; ++i)
        put32(o, 0);
    o.insert(o.end(), blocks.begin(), blocks.end());
    return o;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

bool decodeWithImageMagick(const std::string& ddsPath, int width, int height, std::vector<std::uint8_t>& rgba,
                           std::string& error)
{
    const std::string rawPath = ddsPath + ".rgba";
    const std::string cmd = "convert " + quoted(ddsPath) + " -depth 8 " + quoted("rgba:" + rawPath) + " 2>" +
                            quoted(ddsPath + ".err");
    if (std::system(cmd.c_str()) != 0) {
        std::ifstream e(ddsPath + ".err");
        error = "convert failed: " + std::string(std::istreambuf_iterator<char>(e), {});
        return false;
    }
    std::ifstream in(rawPath, std::ios::binary);
    rgba.assign(std::istreambuf_iterator<char>(in), {});
    std::remove(rawPath.c_str());
    std::remove((ddsPath + ".err").c_str());
    if (rgba.size() != std::size_t(width) * std::size_t(height) * 4) {
        error = "convert returned " + std::to_string(rgba.size()) + " bytes";
        return false;
    }
    return true;
}

double rmsRgb(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return 1e9;
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
        ++n;
    }
    return std::sqrt(sum / double(n));
}

}  // namespace vl2::testing
