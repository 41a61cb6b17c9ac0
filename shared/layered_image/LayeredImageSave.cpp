// Layered image documents: layer removal, hidden data layers and saving.
#include "layered_image/LayeredImage.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace vl2 {

namespace {

class Writer {
public:
    std::vector<std::uint8_t> out;
    void u8(std::uint32_t v) { out.push_back(std::uint8_t(v)); }
    void u16(std::uint32_t v)
    {
        u8(v >> 8);
        u8(v);
    }
    void u32(std::uint32_t v)
    {
        u16(v >> 16);
        u16(v & 0xffff);
    }
    void bytes(const std::uint8_t* p, std::size_t n) { out.insert(out.end(), p, p + n); }
    void bytes(const std::vector<std::uint8_t>& v) { out.insert(out.end(), v.begin(), v.end()); }
    template <std::size_t N>
    void chars(const std::array<char, N>& a)
    {
        for (char c : a)
            u8(std::uint8_t(c));
    }
    void text(const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }
};

}  // namespace

void LayeredImage::removeLayer(int index)
{
    if (index < 1 || index >= layerCount())
        return;
    const LayerRecord& rec = layers_[std::size_t(index)];
    const std::size_t first = firstChannel(index);
    std::int64_t removed = std::int64_t(rec.fileSize());
    for (const auto& info : rec.channels)
        removed += info.length;
    channels_.erase(channels_.begin() + std::ptrdiff_t(first),
                    channels_.begin() + std::ptrdiff_t(first + rec.channels.size()));
    adjustLayerLengths(-removed);
    layers_.erase(layers_.begin() + index);
    storedLayerCount_ = std::int16_t(storedLayerCount_ < 0 ? -layerCount() : layerCount());
}

void LayeredImage::removeLayerNamed(const std::string& name)
{
    removeLayer(findLayer(name));
}

bool LayeredImage::storeLayerData(const std::string& name, std::uint32_t count, const std::uint8_t* bytes)
{
    const std::uint64_t capacity = std::uint64_t(std::max(0, width_)) * std::uint64_t(std::max(0, height_));
    // The count word must fit in the first channel for loadLayerData to read it.
    if (colourMode_ != 3 || capacity < 4 || std::uint64_t(count) + 4 >= 4 * capacity || (count && !bytes))
        return false;
    const int index = addLayer(name);
    if (index < 0)
        return false;
    layers_[std::size_t(index)].flags = 10;

    std::vector<std::uint8_t> block(std::size_t(count) + 4);
    for (int i = 0; i < 4; ++i)
        block[std::size_t(i)] = std::uint8_t(count >> (8 * i));
    std::copy_n(bytes, count, block.begin() + 4);

    const std::size_t positions = std::size_t((std::uint64_t(count) + 4) / capacity + 1);
    const std::size_t first = firstChannel(index);
    std::size_t done = 0;
    for (std::size_t pos = 0; pos < positions; ++pos) {
        expandChannel(index, int(pos));
        const std::size_t n = std::min<std::size_t>(block.size() - done, std::size_t(capacity));
        std::copy_n(block.begin() + std::ptrdiff_t(done), n, channels_[first + pos].data.begin());
        done += n;
        compressChannel(index, int(pos));
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> LayeredImage::loadLayerData(const std::string& name)
{
    const int index = findLayer(name);
    if (index < 0)
        return std::nullopt;
    const LayerRecord& rec = layers_[std::size_t(index)];
    const std::size_t capacity = std::size_t(std::max(0, width_)) * std::size_t(std::max(0, height_));
    const std::size_t layerArea = std::size_t(std::max(0, rec.width())) * std::size_t(std::max(0, rec.height()));
    // A file's layer may not be one storeLayerData made: its channels must
    // hold what the count word claims before anything is allocated.
    if (capacity < 4 || layerArea < capacity || rec.channels.empty())
        return std::nullopt;
    std::vector<std::uint8_t> head = decodeChannel(index, 0);
    const std::uint32_t count =
        std::uint32_t(head[0]) | std::uint32_t(head[1]) << 8 | std::uint32_t(head[2]) << 16 | std::uint32_t(head[3]) << 24;
    const std::uint64_t positions = (std::uint64_t(count) + 4) / capacity + 1;
    if (positions > rec.channels.size())
        return std::nullopt;

    std::vector<std::uint8_t> out(count);
    std::size_t done = std::min<std::size_t>(count, capacity - 4);
    std::copy_n(head.begin() + 4, done, out.begin());
    for (std::size_t pos = 1; pos < positions; ++pos) {
        const std::vector<std::uint8_t> plane = decodeChannel(index, int(pos));
        const std::size_t n = std::min(std::size_t(count) - done, capacity);
        std::copy_n(plane.begin(), n, out.begin() + std::ptrdiff_t(done));
        done += n;
    }
    return out;
}

std::vector<std::uint8_t> LayeredImage::serialize() const
{
    Writer w;
    w.chars(signature_);
    w.u16(version_);
    w.bytes(reserved_.data(), reserved_.size());
    w.u16(channelCount_);
    w.u32(std::uint32_t(height_));
    w.u32(std::uint32_t(width_));
    w.u16(depth_);
    w.u16(colourMode_);

    w.u32(std::uint32_t(colourModeData_.size()));
    w.bytes(colourModeData_);

    w.u32(resourcesLength_);
    for (const auto& r : resources_) {
        w.chars(r.signature);
        w.u16(r.id);
        const std::size_t n = r.name.size();
        if (n == 0) {
            w.u8(0);
            w.u8(r.namePad);
        } else {
            w.u8(std::uint32_t(n));
            w.text(r.name);
            if (n % 2 == 0)
                w.u8(r.namePad);
        }
        w.u32(std::uint32_t(r.data.size()));
        w.bytes(r.data);
        if (r.data.size() % 2)
            w.u8(r.dataPad);
    }

    w.u32(layerMaskLength_);
    if (layerMaskLength_ != 0) {
        w.u32(layerInfoLength_);
        if (layerInfoLength_ != 0) {
            w.u16(std::uint16_t(storedLayerCount_));
            for (const auto& rec : layers_) {
                w.u32(std::uint32_t(rec.top));
                w.u32(std::uint32_t(rec.left));
                w.u32(std::uint32_t(rec.bottom));
                w.u32(std::uint32_t(rec.right));
                w.u16(std::uint32_t(rec.channels.size()));
                for (const auto& ch : rec.channels) {
                    w.u16(std::uint16_t(ch.id));
                    w.u32(ch.length);
                }
                w.chars(rec.blendSignature);
                w.chars(rec.blendKey);
                w.u8(rec.opacity);
                w.u8(rec.clipping);
                w.u8(rec.flags);
                w.u8(rec.filler);
                w.u32(rec.extraLength);
                w.u32(std::uint32_t(rec.mask.size()));
                w.bytes(rec.mask);
                w.u32(std::uint32_t(rec.blendingRanges.size()));
                w.bytes(rec.blendingRanges);
                const std::size_t n = rec.name.size();
                w.u8(std::uint32_t(n));
                w.text(rec.name);
                w.bytes(rec.namePad.data(), 3 - n % 4);
                if (rec.hasUnicodeName) {
                    w.chars(rec.unicodeSignature);
                    w.chars(rec.unicodeKey);
                    w.u32(rec.unicodeBlockLength);
                    w.u32(std::uint32_t(rec.unicodeName.size()));
                    for (std::uint16_t c : rec.unicodeName)
                        w.u16(c);
                    w.bytes(rec.unicodePad);
                }
                w.bytes(rec.rest);
            }
            for (const auto& ch : channels_) {
                w.u16(ch.compression);
                w.bytes(ch.data);
            }
            w.bytes(layerInfoPad_);
        }
        if (hasGlobalMask_) {
            w.u32(std::uint32_t(globalMask_.size()));
            w.bytes(globalMask_);
        }
        w.bytes(layerMaskTail_);
    }

    w.u16(mergedCompression_);
    w.bytes(merged_);
    return std::move(w.out);
}

bool LayeredImage::save(const std::string& path) const
{
    const std::vector<std::uint8_t> bytes = serialize();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace vl2
