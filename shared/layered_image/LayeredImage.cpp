// Layered image documents: loading, the composite and building.
#include "layered_image/LayeredImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace vl2 {

namespace {

constexpr int kMaxSide = 30000;  // the format's canvas limit (version 1)

struct ParseError {
    std::string message;
};

// Bounded big-endian cursor: every read is checked against the end of the
// region it belongs to, so nothing is read or allocated beyond the data.
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t end, std::size_t pos = 0) : data_(data), end_(end), pos_(pos) {}
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return end_ - pos_; }
    void need(std::uint64_t n, const char* what) const
    {
        if (n > remaining())
            throw ParseError{std::string("truncated ") + what + " at byte " + std::to_string(pos_)};
    }
    std::uint8_t u8(const char* what)
    {
        need(1, what);
        return data_[pos_++];
    }
    std::uint16_t u16(const char* what)
    {
        need(2, what);
        const std::uint16_t v = std::uint16_t(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    std::uint32_t u32(const char* what)
    {
        need(4, what);
        const std::uint32_t v = std::uint32_t(data_[pos_]) << 24 | std::uint32_t(data_[pos_ + 1]) << 16 |
                                std::uint32_t(data_[pos_ + 2]) << 8 | std::uint32_t(data_[pos_ + 3]);
        pos_ += 4;
        return v;
    }
    std::int16_t i16(const char* what) { return static_cast<std::int16_t>(u16(what)); }
    std::int32_t i32(const char* what) { return static_cast<std::int32_t>(u32(what)); }
    void bytes(std::uint64_t n, std::vector<std::uint8_t>& out, const char* what)
    {
        need(n, what);
        out.assign(data_ + pos_, data_ + pos_ + n);
        pos_ += std::size_t(n);
    }
    template <std::size_t N>
    void array(std::array<char, N>& out, const char* what)
    {
        need(N, what);
        std::memcpy(out.data(), data_ + pos_, N);
        pos_ += N;
    }
    template <std::size_t N>
    void array(std::array<std::uint8_t, N>& out, std::size_t n, const char* what)
    {
        need(n, what);
        std::memcpy(out.data(), data_ + pos_, n);
        pos_ += n;
    }
    std::string text(std::size_t n, const char* what)
    {
        need(n, what);
        std::string s(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return s;
    }
    const std::uint8_t* here() const { return data_ + pos_; }

private:
    const std::uint8_t* data_;
    std::size_t end_;
    std::size_t pos_;
};

std::string upperExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& out)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f)
        return false;
    out.clear();
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0)
        out.insert(out.end(), buffer, buffer + n);
    return !std::ferror(f.get());
}

// Decoded length a PackBits stream yields, up to `limit`, without decoding.
std::size_t packBitsYield(const std::uint8_t* data, std::size_t size, std::size_t tableRows, std::size_t limit)
{
    if (tableRows > size / 2)
        return 0;
    std::size_t in = tableRows * 2, produced = 0;
    while (produced < limit && in < size) {
        const int n = static_cast<std::int8_t>(data[in++]);
        if (n >= 0) {
            const std::size_t count = std::min(std::size_t(n) + 1, size - in);
            produced += count;
            in += count;
        } else {
            if (in >= size)
                break;
            ++in;
            produced += std::size_t(1 - n);
        }
    }
    return std::min(produced, limit);
}

std::uint32_t packPixel(double r, double g, double b, double a)
{
    auto byte = [](double v) { return std::uint32_t(std::min(v, 1.0) * 255.0); };
    return byte(r) | byte(g) << 8 | byte(b) << 16 | byte(a) << 24;
}

bool keyIs(const std::array<char, 4>& key, const char* text) { return std::memcmp(key.data(), text, 4) == 0; }

// Blends a source pixel into a destination pixel by the layer's blend key.
std::uint32_t blendPixel(std::uint32_t dst, std::uint32_t src, const std::array<char, 4>& key, double opacity)
{
    double d[4], s[4];
    for (int i = 0; i < 4; ++i) {
        d[i] = double((dst >> (8 * i)) & 0xff) / 255.0;
        s[i] = double((src >> (8 * i)) & 0xff) / 255.0;
    }
    const double a = s[3] * opacity;
    double out[3];
    double alpha = d[3];
    for (int c = 0; c < 3; ++c) {
        if (keyIs(key, "mul ")) {
            out[c] = d[c] * (s[c] * a + 1 - a);
        } else if (keyIs(key, "scrn")) {
            out[c] = (1 - (1 - s[c]) * (1 - d[c])) * a + d[c] * (1 - a);
        } else if (keyIs(key, "over")) {
            const double t = d[c] < 0.5 ? 2 * s[c] * d[c] : 1 - 2 * (1 - s[c]) * (1 - d[c]);
            out[c] = d[c] * (1 - a) + t * a;
        } else {
            // "norm", and the modes this module does not model.
            out[c] = d[c] * (1 - a) + s[c] * a;
        }
    }
    if (!keyIs(key, "mul ") && !keyIs(key, "scrn") && !keyIs(key, "over"))
        alpha = std::min(1.0, d[3] + a);
    return packPixel(out[0], out[1], out[2], alpha);
}

std::vector<std::uint8_t> defaultBlendingRanges()
{
    return std::vector<std::uint8_t>(40, 0xff);
}

}  // namespace

// ---------------------------------------------------------------------------
// Loading

void LayeredImage::clear()
{
    *this = LayeredImage();
}

bool LayeredImage::fail(const std::string& message)
{
    const std::string keep = message;
    clear();
    error_ = keep;
    return false;
}

bool LayeredImage::load(const std::string& path)
{
    const std::string ext = upperExtension(path);
    if (ext != "PSD" && ext != "TGA")
        return fail("unsupported file type: " + path + " (PSD or TGA expected)");
    std::vector<std::uint8_t> file;
    if (!readFile(path, file))
        return fail("cannot open " + path);
    if (ext == "TGA") {
        if (!loadTarga(path, file)) {
            const std::string message = error_;
            return fail(path + ": " + message);
        }
        return true;
    }
    if (!loadPsd(file.data(), file.size()))
        return fail(path + ": " + error_);
    path_ = path;
    return true;
}

bool LayeredImage::loadPsd(const std::uint8_t* data, std::size_t size)
{
    clear();
    try {
        Cursor r(data, size);
        r.array(signature_, "header");
        version_ = r.u16("header");
        for (auto& b : reserved_)
            b = r.u8("header");
        channelCount_ = r.u16("header");
        height_ = r.i32("header");
        width_ = r.i32("header");
        depth_ = r.u16("header");
        colourMode_ = r.u16("header");
        // The document model is 8-bit RGB (greyscale read as grey RGB); other
        // kinds would come out as a wrong picture, so they are refused.
        if (depth_ != 8)
            throw ParseError{"unsupported depth of " + std::to_string(depth_) + " bits per channel (8 only)"};
        if (colourMode_ != 3 && colourMode_ != 1)
            throw ParseError{"unsupported colour mode " + std::to_string(colourMode_) + " (RGB and greyscale only)"};
        if (width_ < 1 || height_ < 1 || width_ > kMaxSide || height_ > kMaxSide)
            throw ParseError{"bad canvas size " + std::to_string(width_) + " x " + std::to_string(height_)};
        const int planes = colourMode_ == 3 ? 3 : 1;
        if (channelCount_ < planes || channelCount_ > 56)
            throw ParseError{"bad channel count " + std::to_string(channelCount_)};

        r.bytes(r.u32("colour mode data"), colourModeData_, "colour mode data");

        resourcesLength_ = r.u32("image resources");
        r.need(resourcesLength_, "image resources");
        {
            Cursor s(data, r.pos() + resourcesLength_, r.pos());
            while (s.remaining() > 0) {
                ImageResource res;
                s.array(res.signature, "image resource");
                res.id = s.u16("image resource");
                const std::uint8_t n = s.u8("image resource name");
                res.name = s.text(n, "image resource name");
                if (n % 2 == 0)
                    res.namePad = s.u8("image resource name");
                const std::uint32_t length = s.u32("image resource");
                s.bytes(length, res.data, "image resource data");
                if (length % 2)
                    res.dataPad = s.u8("image resource data");
                resources_.push_back(std::move(res));
            }
            r = Cursor(data, size, s.pos());
        }

        layerMaskLength_ = r.u32("layer and mask section");
        r.need(layerMaskLength_, "layer and mask section");
        const std::size_t sectionEnd = r.pos() + layerMaskLength_;
        if (layerMaskLength_ > 0) {
            Cursor s(data, sectionEnd, r.pos());
            layerInfoLength_ = s.u32("layer info");
            s.need(layerInfoLength_, "layer info");
            const std::size_t infoEnd = s.pos() + layerInfoLength_;
            if (layerInfoLength_ > 0) {
                Cursor li(data, infoEnd, s.pos());
                storedLayerCount_ = li.i16("layer count");
                const int count = std::abs(int(storedLayerCount_));
                li.need(std::uint64_t(count) * 34, "layer records");
                layers_.reserve(std::size_t(count));
                std::size_t totalChannels = 0;
                for (int k = 0; k < count; ++k) {
                    LayerRecord rec;
                    rec.top = li.i32("layer record");
                    rec.left = li.i32("layer record");
                    rec.bottom = li.i32("layer record");
                    rec.right = li.i32("layer record");
                    const std::uint16_t nc = li.u16("layer record");
                    li.need(std::uint64_t(nc) * 6, "channel info");
                    rec.channels.resize(nc);
                    for (auto& ch : rec.channels) {
                        ch.id = li.i16("channel info");
                        ch.length = li.u32("channel info");
                        if (ch.length < 2)
                            throw ParseError{"layer " + std::to_string(k) + " has a channel length below 2"};
                    }
                    li.array(rec.blendSignature, "layer record");
                    li.array(rec.blendKey, "layer record");
                    rec.opacity = li.u8("layer record");
                    rec.clipping = li.u8("layer record");
                    rec.flags = li.u8("layer record");
                    rec.filler = li.u8("layer record");
                    rec.extraLength = li.u32("layer record");
                    li.need(rec.extraLength, "layer extra data");
                    Cursor x(data, li.pos() + rec.extraLength, li.pos());
                    x.bytes(x.u32("layer mask"), rec.mask, "layer mask");
                    x.bytes(x.u32("blending ranges"), rec.blendingRanges, "blending ranges");
                    const std::uint8_t n = x.u8("layer name");
                    rec.name = x.text(n, "layer name");
                    x.array(rec.namePad, std::size_t(3 - n % 4), "layer name");
                    if (x.remaining() >= 12 && std::memcmp(x.here() + 4, "luni", 4) == 0) {
                        x.array(rec.unicodeSignature, "unicode name");
                        x.array(rec.unicodeKey, "unicode name");
                        rec.unicodeBlockLength = x.u32("unicode name");
                        x.need(rec.unicodeBlockLength, "unicode name");
                        Cursor u(data, x.pos() + rec.unicodeBlockLength, x.pos());
                        const std::uint32_t chars = u.u32("unicode name");
                        u.need(std::uint64_t(chars) * 2, "unicode name");
                        rec.unicodeName.resize(chars);
                        for (auto& c : rec.unicodeName)
                            c = u.u16("unicode name");
                        u.bytes(u.remaining(), rec.unicodePad, "unicode name");
                        rec.hasUnicodeName = true;
                        x = Cursor(data, li.pos() + rec.extraLength, u.pos());
                    }
                    x.bytes(x.remaining(), rec.rest, "layer extra data");
                    li = Cursor(data, infoEnd, x.pos());
                    totalChannels += nc;
                    layers_.push_back(std::move(rec));
                }
                channels_.reserve(totalChannels);
                for (std::size_t k = 0; k < layers_.size(); ++k) {
                    for (const auto& info : layers_[k].channels) {
                        ChannelData ch;
                        ch.compression = li.u16("channel data");
                        li.bytes(info.length - 2, ch.data, "channel data");
                        channels_.push_back(std::move(ch));
                    }
                }
                li.bytes(li.remaining(), layerInfoPad_, "layer info");
                s = Cursor(data, sectionEnd, li.pos());
            }
            if (s.remaining() >= 4) {
                hasGlobalMask_ = true;
                s.bytes(s.u32("global mask"), globalMask_, "global mask");
            }
            s.bytes(s.remaining(), layerMaskTail_, "layer and mask section");
        }
        r = Cursor(data, size, sectionEnd);
        mergedCompression_ = r.u16("merged image");
        r.bytes(r.remaining(), merged_, "merged image");

        // Everything that will be decoded must be described by the bytes present.
        for (std::size_t k = 0; k < layers_.size(); ++k) {
            const LayerRecord& rec = layers_[k];
            const std::string which = "layer " + std::to_string(k);
            if (rec.width() < 0 || rec.height() < 0 || std::int64_t(rec.right) - rec.left > kMaxSide ||
                std::int64_t(rec.bottom) - rec.top > kMaxSide)
                throw ParseError{which + " has bad bounds"};
            const std::size_t area = std::size_t(rec.width()) * std::size_t(rec.height());
            const std::size_t first = firstChannel(int(k));
            for (std::size_t c = 0; c < rec.channels.size(); ++c) {
                if (rec.channels[c].id < -1 || area == 0)
                    continue;  // masks are kept as stored, never decoded
                const ChannelData& ch = channels_[first + c];
                if (ch.compression == 0) {
                    if (ch.data.size() < area)
                        throw ParseError{which + ": raw channel shorter than the layer"};
                } else if (ch.compression == 1) {
                    if (packBitsYield(ch.data.data(), ch.data.size(), std::size_t(rec.height()), area) < area)
                        throw ParseError{which + ": run-length channel shorter than the layer"};
                } else {
                    throw ParseError{which + ": unsupported channel compression " + std::to_string(ch.compression) +
                                     (ch.compression <= 3 ? " (ZIP)" : "")};
                }
            }
        }
        const std::size_t plane = std::size_t(width_) * std::size_t(height_);
        if (mergedCompression_ == 0) {
            if (merged_.size() < plane * std::size_t(planes))
                throw ParseError{"merged image shorter than the canvas"};
        } else if (mergedCompression_ == 1) {
            if (packBitsYield(merged_.data(), merged_.size(), std::size_t(channelCount_) * std::size_t(height_),
                              plane * std::size_t(planes)) < plane * std::size_t(planes))
                throw ParseError{"merged image shorter than the canvas"};
        } else {
            throw ParseError{"unsupported merged image compression " + std::to_string(mergedCompression_)};
        }
    } catch (const ParseError& e) {
        return fail(e.message);
    }
    updateComposite();
    return true;
}

bool LayeredImage::loadTarga(const std::string& path, const std::vector<std::uint8_t>& file)
{
    if (file.size() < 18) {
        error_ = "truncated TGA header";
        return false;
    }
    auto le16 = [&](std::size_t at) { return unsigned(file[at] | file[at + 1] << 8); };
    const unsigned idLength = file[0];
    const unsigned colourMapType = file[1];
    const unsigned imageType = file[2];
    const unsigned mapLength = le16(5);
    const unsigned mapDepth = file[7];
    const int w = int(le16(12));
    const int h = int(le16(14));
    const unsigned pixelDepth = file[16];
    const unsigned descriptor = file[17];
    if (pixelDepth != 24 && pixelDepth != 32) {
        error_ = "unsupported TGA pixel depth " + std::to_string(pixelDepth) + " (24 or 32 only)";
        return false;
    }
    // Compressed or colour-mapped pixels read as raw would give a wrong picture.
    if (imageType != 2) {
        error_ = "unsupported TGA image type " + std::to_string(imageType) + " (uncompressed true colour only)";
        return false;
    }
    if (w < 1 || h < 1) {
        error_ = "empty TGA image";
        return false;
    }
    const std::size_t bpp = pixelDepth / 8;
    const std::size_t start = 18 + idLength + (colourMapType ? std::size_t(mapLength) * ((mapDepth + 7) / 8) : 0);
    const std::size_t need = std::size_t(w) * std::size_t(h) * bpp;
    if (file.size() < start || file.size() - start < need) {
        error_ = "truncated TGA pixel data";
        return false;
    }
    // Rows are stored bottom-up unless the descriptor says top-down.
    const bool topDown = (descriptor & 0x20) != 0;
    std::vector<std::uint32_t> pixels(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y) {
        const int dstRow = topDown ? y : h - 1 - y;
        const std::uint8_t* src = file.data() + start + std::size_t(y) * std::size_t(w) * bpp;
        std::uint32_t* dst = pixels.data() + std::size_t(dstRow) * std::size_t(w);
        for (int x = 0; x < w; ++x, src += bpp) {
            const std::uint32_t a = bpp == 4 ? src[3] : 255;
            dst[x] = std::uint32_t(src[2]) | std::uint32_t(src[1]) << 8 | std::uint32_t(src[0]) << 16 | a << 24;
        }
    }
    createBlank(w, h);
    const int index = addLayer("$diffuse");
    setLayerPixels(index, 0, 0, w, h, pixels.data());
    path_ = path;
    updateComposite();
    return true;
}

// ---------------------------------------------------------------------------
// Access and the composite

std::size_t LayeredImage::firstChannel(int layer) const
{
    std::size_t first = 0;
    for (int k = 0; k < layer && k < layerCount(); ++k)
        first += layers_[std::size_t(k)].channels.size();
    return first;
}

std::string LayeredImage::layerName(int index) const
{
    if (index < 0 || index >= layerCount())
        return {};
    return layers_[std::size_t(index)].name;
}

int LayeredImage::findLayer(const std::string& name) const
{
    for (int k = 0; k < layerCount(); ++k)
        if (layers_[std::size_t(k)].name == name)
            return k;
    return -1;
}

std::vector<std::uint8_t> LayeredImage::decodeChannel(int layer, int position) const
{
    const LayerRecord& rec = layers_.at(std::size_t(layer));
    const std::size_t area = std::size_t(std::max(0, rec.width())) * std::size_t(std::max(0, rec.height()));
    const ChannelData& ch = channels_.at(firstChannel(layer) + std::size_t(position));
    std::vector<std::uint8_t> out;
    if (ch.compression == 1) {
        packBitsDecode(ch.data.data(), ch.data.size(), std::size_t(std::max(0, rec.height())), area, out);
    } else {
        out.assign(area, 0);
        std::copy_n(ch.data.begin(), std::min(area, ch.data.size()), out.begin());
    }
    return out;
}

std::vector<std::uint32_t> LayeredImage::layerPixels(int index) const
{
    if (index < 0 || index >= layerCount())
        return {};
    const LayerRecord& rec = layers_[std::size_t(index)];
    const int lw = rec.width(), lh = rec.height();
    if (lw <= 0 || lh <= 0)
        return {};
    // Channels are found by id; layers as addLayer makes them and as the
    // artists' files give them (-1, 0, 1, 2) are the same taken by position.
    std::vector<std::uint8_t> planes[4];
    bool have[4] = {false, false, false, false};
    for (std::size_t c = 0; c < rec.channels.size(); ++c) {
        const int id = rec.channels[c].id;
        if (id >= -1 && id <= 2 && !have[id + 1]) {
            planes[id + 1] = decodeChannel(index, int(c));
            have[id + 1] = true;
        }
    }
    const bool grey = colourMode_ == 1;
    std::vector<std::uint32_t> out(std::size_t(width_) * std::size_t(height_), 0);
    const int x0 = std::max(0, rec.left), x1 = std::min(width_, rec.right);
    const int y0 = std::max(0, rec.top), y1 = std::min(height_, rec.bottom);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::size_t i = std::size_t(y - rec.top) * std::size_t(lw) + std::size_t(x - rec.left);
            auto value = [&](int slot) -> std::uint32_t { return have[slot] ? planes[slot][i] : 0; };
            const std::uint32_t a = have[0] ? planes[0][i] : 255;
            const std::uint32_t r = value(1);
            const std::uint32_t g = grey ? r : value(2);
            const std::uint32_t b = grey ? r : value(3);
            out[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = r | g << 8 | b << 16 | a << 24;
        }
    }
    return out;
}

bool LayeredImage::decodeMerged(std::vector<std::uint8_t>& planes, int planeCount) const
{
    const std::size_t plane = std::size_t(width_) * std::size_t(height_);
    const std::size_t want = plane * std::size_t(planeCount);
    if (mergedCompression_ == 1)
        return packBitsDecode(merged_.data(), merged_.size(), std::size_t(channelCount_) * std::size_t(height_), want,
                              planes);
    planes.assign(want, 0);
    std::copy_n(merged_.begin(), std::min(want, merged_.size()), planes.begin());
    return merged_.size() >= want;
}

void LayeredImage::updateComposite()
{
    const std::size_t plane = std::size_t(std::max(0, width_)) * std::size_t(std::max(0, height_));
    composite_.assign(plane, 0);
    if (plane == 0)
        return;
    const bool grey = colourMode_ == 1;
    if (layers_.empty()) {
        std::vector<std::uint8_t> planes;
        decodeMerged(planes, grey ? 1 : 3);
        for (std::size_t i = 0; i < plane; ++i) {
            const std::uint32_t r = planes[i];
            const std::uint32_t g = grey ? r : planes[plane + i];
            const std::uint32_t b = grey ? r : planes[2 * plane + i];
            composite_[i] = r | g << 8 | b << 16 | 0xff000000u;
        }
        return;
    }
    // The bottom layer is the base, written with alpha 0; its opacity, mode
    // and hidden flag are not consulted.
    {
        const LayerRecord& rec = layers_[0];
        if (rec.width() > 0 && rec.height() > 0) {
            std::vector<std::uint8_t> colour[3];
            bool have[3] = {false, false, false};
            for (std::size_t c = 0; c < rec.channels.size(); ++c) {
                const int id = rec.channels[c].id;
                if (id >= 0 && id <= 2 && !have[id]) {
                    colour[id] = decodeChannel(0, int(c));
                    have[id] = true;
                }
            }
            if (grey) {
                for (int i = 1; i < 3; ++i) {
                    colour[i] = colour[0];
                    have[i] = have[0];
                }
            }
            const int x0 = std::max(0, rec.left), x1 = std::min(width_, rec.right);
            const int y0 = std::max(0, rec.top), y1 = std::min(height_, rec.bottom);
            for (int y = y0; y < y1; ++y) {
                for (int x = x0; x < x1; ++x) {
                    const std::size_t i =
                        std::size_t(y - rec.top) * std::size_t(rec.width()) + std::size_t(x - rec.left);
                    std::uint32_t p = 0;
                    for (int c = 0; c < 3; ++c)
                        if (have[c])
                            p |= std::uint32_t(colour[c][i]) << (8 * c);
                    composite_[std::size_t(y) * std::size_t(width_) + std::size_t(x)] = p;
                }
            }
        }
    }
    for (int k = 1; k < layerCount(); ++k) {
        const LayerRecord& rec = layers_[std::size_t(k)];
        if (rec.hidden())
            continue;
        const std::vector<std::uint32_t> src = layerPixels(k);
        if (src.empty())
            continue;
        // Outside the layer the source is transparent and every mode leaves
        // the destination as it is, so only the covered part is blended.
        const double opacity = rec.opacity / 255.0;
        const int x0 = std::max(0, rec.left), x1 = std::min(width_, rec.right);
        const int y0 = std::max(0, rec.top), y1 = std::min(height_, rec.bottom);
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const std::size_t i = std::size_t(y) * std::size_t(width_) + std::size_t(x);
                composite_[i] = blendPixel(composite_[i], src[i], rec.blendKey, opacity);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Building

bool LayeredImage::createBlank(int width, int height)
{
    clear();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        error_ = "bad canvas size " + std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    width_ = width;
    height_ = height;
    channelCount_ = 3;
    colourMode_ = 3;
    depth_ = 8;
    mergedCompression_ = 1;
    const std::vector<std::uint8_t> zeros(std::size_t(width) * std::size_t(height) * 3, 0);
    merged_ = packBitsEncode(zeros.data(), std::size_t(width), std::size_t(height) * 3);
    composite_.assign(std::size_t(width) * std::size_t(height), 0);
    return true;
}

void LayeredImage::adjustLayerLengths(std::int64_t delta)
{
    layerMaskLength_ = std::uint32_t(std::int64_t(layerMaskLength_) + delta);
    layerInfoLength_ = std::uint32_t(std::int64_t(layerInfoLength_) + delta);
}

void LayeredImage::compressChannel(int layer, int position)
{
    if (layer < 0 || layer >= layerCount() || position < 0 ||
        std::size_t(position) >= layers_[std::size_t(layer)].channels.size())
        return;
    LayerRecord& rec = layers_[std::size_t(layer)];
    ChannelData& ch = channels_[firstChannel(layer) + std::size_t(position)];
    if (ch.compression != 0)
        return;
    const std::size_t w = std::size_t(std::max(0, rec.width())), h = std::size_t(std::max(0, rec.height()));
    std::vector<std::uint8_t> raw(w * h, 0);
    std::copy_n(ch.data.begin(), std::min(raw.size(), ch.data.size()), raw.begin());
    ch.compression = 1;
    ch.data = packBitsEncode(raw.data(), w, h);
    const std::uint32_t length = std::uint32_t(ch.data.size() + 2);
    adjustLayerLengths(std::int64_t(length) - std::int64_t(rec.channels[std::size_t(position)].length));
    rec.channels[std::size_t(position)].length = length;
}

void LayeredImage::expandChannel(int layer, int position)
{
    if (layer < 0 || layer >= layerCount() || position < 0 ||
        std::size_t(position) >= layers_[std::size_t(layer)].channels.size())
        return;
    LayerRecord& rec = layers_[std::size_t(layer)];
    ChannelData& ch = channels_[firstChannel(layer) + std::size_t(position)];
    if (ch.compression != 1)
        return;
    ch.data = decodeChannel(layer, position);
    ch.compression = 0;
    const std::uint32_t length = std::uint32_t(ch.data.size() + 2);
    adjustLayerLengths(std::int64_t(length) - std::int64_t(rec.channels[std::size_t(position)].length));
    rec.channels[std::size_t(position)].length = length;
}

void LayeredImage::addImageResource(const ImageResource& resource, std::uint16_t afterId)
{
    auto it = std::find_if(resources_.begin(), resources_.end(),
                           [&](const ImageResource& r) { return r.id == afterId; });
    resources_.insert(it == resources_.end() ? it : it + 1, resource);
    resourcesLength_ += 12;
}

bool LayeredImage::mergedToBottomLayer()
{
    std::vector<std::uint8_t> planes;
    const bool grey = colourMode_ == 1;
    decodeMerged(planes, grey ? 1 : 3);
    const std::size_t plane = std::size_t(width_) * std::size_t(height_);

    LayerRecord rec;
    rec.top = 0;
    rec.left = 0;
    rec.bottom = height_;
    rec.right = width_;
    rec.channels = {{0, std::uint32_t(plane + 2)}, {1, std::uint32_t(plane + 2)}, {2, std::uint32_t(plane + 2)}};
    rec.flags = 9;
    rec.blendingRanges = defaultBlendingRanges();
    rec.hasUnicodeName = true;
    rec.unicodeBlockLength = 4;
    rec.rest = {'8', 'B', 'I', 'M', 'l', 'y', 'i', 'd', 0, 0, 0, 4, 0, 0, 0, 1};
    rec.extraLength = 84;
    layers_.assign(1, rec);
    channels_.clear();
    for (int c = 0; c < 3; ++c) {
        ChannelData ch;
        const std::size_t from = grey ? 0 : std::size_t(c) * plane;
        ch.data.assign(planes.begin() + std::ptrdiff_t(from), planes.begin() + std::ptrdiff_t(from + plane));
        channels_.push_back(std::move(ch));
    }
    storedLayerCount_ = 1;
    layerInfoPad_.clear();
    // The spec'd lengths for a fresh section: count and one record in the
    // layer info, plus the layer-info and global mask length words.
    hasGlobalMask_ = true;
    layerInfoLength_ = 138;
    layerMaskLength_ = std::uint32_t(146 + globalMask_.size() + layerMaskTail_.size());
    adjustLayerLengths(3 * std::int64_t(plane + 2));
    for (int c = 0; c < 3; ++c)
        compressChannel(0, c);

    ImageResource r1024;
    r1024.id = 1024;
    r1024.data = {0, 1};
    addImageResource(r1024, 1016);
    ImageResource r1026;
    r1026.id = 1026;
    r1026.data = {0, 0};
    addImageResource(r1026, 1024);
    resourcesLength_ += 4;
    return true;
}

int LayeredImage::addLayer(const std::string& name)
{
    if (width_ < 1 || height_ < 1)
        return -1;
    if (layers_.empty())
        mergedToBottomLayer();
    const std::size_t plane = std::size_t(width_) * std::size_t(height_);

    LayerRecord rec;
    rec.top = 0;
    rec.left = 0;
    rec.bottom = height_;
    rec.right = width_;
    rec.channels = {{-1, std::uint32_t(plane + 2)},
                    {0, std::uint32_t(plane + 2)},
                    {1, std::uint32_t(plane + 2)},
                    {2, std::uint32_t(plane + 2)}};
    rec.flags = 8;
    rec.blendingRanges = defaultBlendingRanges();
    rec.name = name.substr(0, 255);
    const std::size_t n = rec.name.size();
    rec.hasUnicodeName = true;
    for (unsigned char c : rec.name)
        rec.unicodeName.push_back(c);
    if (n % 2)
        rec.unicodePad = {0, 0};
    const std::size_t padded = n + n % 2;
    rec.unicodeBlockLength = std::uint32_t(4 + 2 * padded);
    rec.rest = layers_.back().rest;
    rec.extraLength = std::uint32_t(64 + rec.unicodeBlockLength + rec.rest.size() + n - n % 4);
    adjustLayerLengths(58 + std::int64_t(rec.extraLength) + 4 * std::int64_t(plane + 2));

    layers_.push_back(rec);
    storedLayerCount_ = std::int16_t(storedLayerCount_ < 0 ? -layerCount() : layerCount());
    for (int c = 0; c < 4; ++c) {
        ChannelData ch;
        ch.data.assign(plane, c == 0 ? 255 : 0);
        channels_.push_back(std::move(ch));
    }
    const int index = layerCount() - 1;
    for (int c = 0; c < 4; ++c)
        compressChannel(index, c);

    for (auto& res : resources_) {
        if (res.id == 1026) {
            res.data.push_back(0);
            res.data.push_back(0);
            resourcesLength_ += 2;
            break;
        }
    }
    for (auto& res : resources_) {
        if (res.id == 1044) {
            if (!res.data.empty()) {
                res.data.back() = std::uint8_t(res.data.back() + 1);
                if (layers_.back().rest.size() >= 16)
                    layers_.back().rest[15] = res.data.back();
            }
            break;
        }
    }
    return index;
}

bool LayeredImage::setLayerPixels(int index, int x0, int y0, int x1, int y1, const std::uint32_t* pixels)
{
    if (colourMode_ != 3 || depth_ != 8 || index < 0 || index >= layerCount() ||
        layers_[std::size_t(index)].channels.size() != 4 || x1 < x0 || y1 < y0 || (!pixels && x1 > x0 && y1 > y0))
        return false;
    for (int c = 0; c < 4; ++c)
        expandChannel(index, c);
    const LayerRecord& rec = layers_[std::size_t(index)];
    const std::size_t first = firstChannel(index);
    const std::uint32_t* p = pixels;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x, ++p) {
            if (x < rec.left || x >= rec.right || y < rec.top || y >= rec.bottom)
                continue;
            const std::size_t i = std::size_t(y - rec.top) * std::size_t(rec.width()) + std::size_t(x - rec.left);
            const std::uint32_t v = *p;
            channels_[first + 1].data[i] = std::uint8_t(v);
            channels_[first + 2].data[i] = std::uint8_t(v >> 8);
            channels_[first + 3].data[i] = std::uint8_t(v >> 16);
            channels_[first + 0].data[i] = std::uint8_t(v >> 24);
        }
    }
    for (int c = 0; c < 4; ++c)
        compressChannel(index, c);
    return true;
}

// ---------------------------------------------------------------------------
// Consistency of the stored section lengths

std::uint32_t LayeredImage::computedResourcesLength() const
{
    std::uint64_t total = 0;
    for (const auto& r : resources_) {
        const std::size_t n = r.name.size();
        total += 4 + 2 + (n == 0 ? 2 : 1 + n + (n % 2 == 0 ? 1 : 0)) + 4 + r.data.size() + r.data.size() % 2;
    }
    return std::uint32_t(total);
}

std::uint32_t LayeredImage::computedLayerInfoLength() const
{
    if (layers_.empty() && layerInfoLength_ == 0)
        return 0;
    std::uint64_t total = 2 + layerInfoPad_.size();
    for (const auto& rec : layers_)
        total += rec.fileSize();
    for (const auto& ch : channels_)
        total += 2 + ch.data.size();
    return std::uint32_t(total);
}

std::uint32_t LayeredImage::computedLayerMaskLength() const
{
    if (layerMaskLength_ == 0 && layers_.empty())
        return 0;
    return std::uint32_t(4 + std::uint64_t(computedLayerInfoLength()) + (hasGlobalMask_ ? 4 + globalMask_.size() : 0) +
                         layerMaskTail_.size());
}

}  // namespace vl2
