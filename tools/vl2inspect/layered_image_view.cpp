// vl2inspect's view of layered images (".psd"): header, image resources,
// layers and the hidden data layers; optionally one layer or the composite
// written to PNG with --png (and --layer).
#include "layered_hook.h"

#include "layered_image/LayeredImage.h"

#include <cstdio>
#include <iostream>
#include <type_traits>
#include <utility>

namespace vl2::inspect {
namespace {

// PNG without compression (stored deflate blocks): enough to look at a layer.
std::uint32_t crc32(const std::uint8_t* p, std::size_t n, std::uint32_t c = 0xffffffffu)
{
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1)));
    }
    return c;
}

void put32(std::vector<std::uint8_t>& o, std::uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        o.push_back(std::uint8_t(v >> s));
}

void chunk(std::vector<std::uint8_t>& o, const char* type, const std::vector<std::uint8_t>& data)
{
    put32(o, std::uint32_t(data.size()));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    o.insert(o.end(), body.begin(), body.end());
    put32(o, crc32(body.data(), body.size()) ^ 0xffffffffu);
}

[[maybe_unused]] bool writePng(const std::string& path, int w, int h, const std::vector<std::uint32_t>& px)
{
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                raw.push_back(std::uint8_t(px[std::size_t(y) * std::size_t(w) + std::size_t(x)] >> (8 * c)));
    }
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(std::uint8_t(n));
        z.push_back(std::uint8_t(n >> 8));
        z.push_back(std::uint8_t(~n));
        z.push_back(std::uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + std::ptrdiff_t(at), raw.begin() + std::ptrdiff_t(at + n));
        if (n == 0)
            break;
    }
    put32(z, (b << 16) | a);
    std::vector<std::uint8_t> o = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    std::vector<std::uint8_t> ihdr;
    put32(ihdr, std::uint32_t(w));
    put32(ihdr, std::uint32_t(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk(o, "IHDR", ihdr);
    chunk(o, "IDAT", z);
    chunk(o, "IEND", {});
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(o.data(), 1, o.size(), f) == o.size();
    if (std::fclose(f) != 0 || !ok) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

// Writes the composite or one layer as PNG when asked to.
int writeRequestedPng(const LayeredImage& d, const InspectOptions& opts)
{
    if (opts.pngPath.empty())
        return 0;
    const int layer = opts.pngLayer;  // -1: the composite
    const std::vector<std::uint32_t> px = layer < 0 ? d.composite() : d.layerPixels(layer);
    if (px.empty()) {
        std::cerr << "vl2inspect: layer " << layer << " has no pixels\n";
        return 1;
    }
    if (!writePng(opts.pngPath, d.width(), d.height(), px)) {
        std::cerr << "vl2inspect: cannot write " << opts.pngPath << "\n";
        return 1;
    }
    return 0;
}

std::string key(const std::array<char, 4>& k)
{
    return std::string(k.data(), 4);
}

}  // namespace

int inspectLayeredImage(const std::string& path, const InspectOptions& opts, std::ostream& out)
{
    LayeredImage d;
    if (!d.load(path)) {
        std::cerr << "vl2inspect: " << d.lastError() << "\n";
        if (opts.check)
            out << path << ": BAD (" << d.lastError() << ")\n";
        return 1;
    }
    if (opts.check) {
        const bool ok = d.imageResourcesLength() == d.computedResourcesLength() &&
                        d.layerAndMaskLength() == d.computedLayerMaskLength();
        out << path << ": " << (ok ? "OK" : "BAD (section lengths)") << "\n";
        return ok ? 0 : 1;
    }
    out << "layered image " << path << "\n";
    out << "  header: signature " << key(d.signature()) << ", version " << d.version() << ", " << d.width() << " x "
        << d.height() << ", channels " << d.channelCount() << ", depth " << d.depth() << ", colour mode "
        << d.colourMode() << ", colour mode data " << d.colourModeData().size() << " bytes\n";
    out << "  image resources: " << d.imageResources().size() << " (" << d.imageResourcesLength() << " bytes)\n";
    for (const auto& r : d.imageResources())
        out << "    " << key(r.signature) << " id " << r.id << (r.name.empty() ? "" : " name \"" + r.name + "\"")
            << " length " << r.data.size() << "\n";
    out << "  layer and mask: " << d.layerAndMaskLength() << " bytes, layer info " << d.layerInfoLength()
        << " bytes, layer count " << d.storedLayerCount() << "\n";
    std::size_t c = 0;
    for (int k = 0; k < d.layerCount(); ++k) {
        const auto& r = d.layers()[std::size_t(k)];
        out << "    layer " << k << " \"" << r.name << "\": bounds (" << r.top << ", " << r.left << ", " << r.bottom
            << ", " << r.right << "), flags " << int(r.flags) << (r.hidden() ? " (hidden)" : "") << ", blend "
            << key(r.blendKey) << ", opacity " << int(r.opacity) << "\n";
        if (r.hasUnicodeName) {
            out << "      unicode name:";
            for (auto ch : r.unicodeName)
                out << " U+" << std::hex << ch << std::dec;
            out << "\n";
        }
        for (const auto& info : r.channels) {
            const auto& data = d.channelData()[c++];
            out << "      channel id " << info.id << " length " << info.length << " compression "
                << (data.compression == 1 ? "run-length" : data.compression == 0 ? "raw" : "other") << "\n";
        }
        if (r.hidden() && r.channels.size() == 4 && r.width() == d.width() && r.height() == d.height()) {
            const auto head = d.decodeChannel(k, 0);
            if (head.size() >= 4) {
                const std::uint32_t n = head[0] | head[1] << 8 | head[2] << 16 | std::uint32_t(head[3]) << 24;
                if (std::uint64_t(n) + 4 <= 4 * std::uint64_t(head.size()))
                    out << "      hidden data: " << n << " bytes\n";
            }
        }
    }
    out << "  merged image: compression " << d.mergedCompression() << ", " << d.mergedImage().size() << " bytes\n";
    return writeRequestedPng(d, opts);
}

}  // namespace vl2::inspect
