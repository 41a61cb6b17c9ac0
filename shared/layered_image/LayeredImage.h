#pragma once
// Layered image documents (".psd", 8 bits per channel, RGB or greyscale):
// loading, TGA import as a one-layer document, the flattened composite,
// building documents, hidden data layers and saving.
//
// Loading reads the whole file and never reads past its end: every count,
// length, bound and row table is checked against the bytes present, and a
// truncated or hostile file fails the load (lastError() says why) instead of
// leaving a half-read document that a later save would write out as garbage.
// Bytes the model does not interpret (padding, the global mask, tagged blocks
// after it) are kept as read, so saving an unedited document reproduces the
// file byte for byte.
//
// Every edit keeps the image-resources, layer-and-mask and layer-info lengths
// true, so save() writes them as they stand.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vl2 {

// PackBits as the documents use it. Decoding ignores row boundaries after
// skipping a table of `tableRows` u16 entries; header -128 repeats 129 times.
// Returns false (output zero-filled past what was decoded) when the data ends
// before `outSize` bytes were produced.
bool packBitsDecode(const std::uint8_t* data, std::size_t size, std::size_t tableRows, std::size_t outSize,
                    std::vector<std::uint8_t>& out);
// Row by row, runs only (at most 128 equal bytes each): a table of `rows`
// big-endian u16 packed row lengths, then the packed rows.
std::vector<std::uint8_t> packBitsEncode(const std::uint8_t* data, std::size_t rowLength, std::size_t rows);

struct ImageResource {
    std::array<char, 4> signature{{'8', 'B', 'I', 'M'}};
    std::uint16_t id = 0;
    std::string name;              // empty = no name
    std::uint8_t namePad = 0;      // the pad byte of the counted string, as read
    std::vector<std::uint8_t> data;
    std::uint8_t dataPad = 0;      // the pad byte after odd-length data, as read
};

struct ChannelInfo {
    std::int16_t id = 0;           // -1 transparency, 0 red (grey), 1 green, 2 blue, < -1 masks
    std::uint32_t length = 0;      // compression word + data
};

struct ChannelData {
    std::uint16_t compression = 0; // 0 raw, 1 run-length
    std::vector<std::uint8_t> data;
};

struct LayerRecord {
    std::int32_t top = 0, left = 0, bottom = 0, right = 0;
    std::vector<ChannelInfo> channels;
    std::array<char, 4> blendSignature{{'8', 'B', 'I', 'M'}};
    std::array<char, 4> blendKey{{'n', 'o', 'r', 'm'}};
    std::uint8_t opacity = 255;
    std::uint8_t clipping = 0;
    std::uint8_t flags = 0;        // bit value 2 = hidden
    std::uint8_t filler = 0;
    std::uint32_t extraLength = 0; // bytes after this field up to the record's end
    std::vector<std::uint8_t> mask;            // mask block contents (its size word = mask.size())
    std::vector<std::uint8_t> blendingRanges;  // blending ranges contents (length = size())
    std::string name;
    std::array<std::uint8_t, 3> namePad{};     // pad of the counted name, as read
    // First tagged block when it is the Unicode name ("luni").
    bool hasUnicodeName = false;
    std::array<char, 4> unicodeSignature{{'8', 'B', 'I', 'M'}};
    std::array<char, 4> unicodeKey{{'l', 'u', 'n', 'i'}};
    std::uint32_t unicodeBlockLength = 0;
    std::vector<std::uint16_t> unicodeName;
    std::vector<std::uint8_t> unicodePad;      // block bytes after the characters
    std::vector<std::uint8_t> rest;            // everything else up to the record's end

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool hidden() const { return (flags & 2) != 0; }
    // Bytes the record takes in the file.
    std::uint64_t fileSize() const { return 34 + 6 * std::uint64_t(channels.size()) + extraLength; }
};

class LayeredImage {
public:
    LayeredImage() = default;
    LayeredImage(int width, int height) { createBlank(width, height); }

    // PSD (any letter case) or TGA by extension; false with lastError() set.
    bool load(const std::string& path);
    // Parses a PSD held in memory (what load does after reading the file).
    bool loadPsd(const std::uint8_t* data, std::size_t size);
    const std::string& lastError() const { return error_; }

    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& path() const { return path_; }

    int layerCount() const { return int(layers_.size()); }
    // The counted name of the layer; "" for an index out of range.
    std::string layerName(int index) const;
    int findLayer(const std::string& name) const;
    // Canvas-size RGBA (red in the low byte), row 0 first; empty when the
    // index is out of range or the layer has no area.
    std::vector<std::uint32_t> layerPixels(int index) const;
    const std::vector<std::uint32_t>& composite() const { return composite_; }

    // Building. createBlank refuses sizes outside 1..30000 (the format's limit,
    // which also keeps packed row lengths within their u16 table entries).
    bool createBlank(int width, int height);
    int addLayer(const std::string& name);
    bool setLayerPixels(int index, int x0, int y0, int x1, int y1, const std::uint32_t* pixels);
    void compressChannel(int layer, int position);
    void expandChannel(int layer, int position);
    void addImageResource(const ImageResource& resource, std::uint16_t afterId);

    // Hidden data and saving.
    void removeLayer(int index);
    void removeLayerNamed(const std::string& name);
    // False (nothing added) when count + 4 does not fit in four channels.
    bool storeLayerData(const std::string& name, std::uint32_t count, const std::uint8_t* bytes);
    std::optional<std::vector<std::uint8_t>> loadLayerData(const std::string& name);
    // Writes the document; false (and no file left behind) when the file
    // cannot be opened or fully written.
    bool save(const std::string& path) const;
    std::vector<std::uint8_t> serialize() const;

    // Recomputes the composite from the layers (or the merged image).
    void updateComposite();

    // Read access to the model for inspection tools and tests.
    const std::array<char, 4>& signature() const { return signature_; }
    std::uint16_t version() const { return version_; }
    std::uint16_t channelCount() const { return channelCount_; }
    std::uint16_t depth() const { return depth_; }
    std::uint16_t colourMode() const { return colourMode_; }
    const std::vector<std::uint8_t>& colourModeData() const { return colourModeData_; }
    std::uint32_t imageResourcesLength() const { return resourcesLength_; }
    const std::vector<ImageResource>& imageResources() const { return resources_; }
    std::uint32_t layerAndMaskLength() const { return layerMaskLength_; }
    std::uint32_t layerInfoLength() const { return layerInfoLength_; }
    std::int16_t storedLayerCount() const { return storedLayerCount_; }
    const std::vector<LayerRecord>& layers() const { return layers_; }
    LayerRecord& layer(int index) { return layers_.at(std::size_t(index)); }
    const std::vector<ChannelData>& channelData() const { return channels_; }
    // Index into channelData() of the layer's first channel.
    std::size_t firstChannel(int layer) const;
    std::uint16_t mergedCompression() const { return mergedCompression_; }
    const std::vector<std::uint8_t>& mergedImage() const { return merged_; }
    bool hasGlobalMask() const { return hasGlobalMask_; }
    const std::vector<std::uint8_t>& globalMask() const { return globalMask_; }
    // The section lengths recomputed from the contents; equal to the stored
    // ones whenever the document is consistent.
    std::uint32_t computedResourcesLength() const;
    std::uint32_t computedLayerInfoLength() const;
    std::uint32_t computedLayerMaskLength() const;

    // Decoded bytes of one layer channel at the layer's size (for channels of
    // ids -1..2; empty when the layer has no area).
    std::vector<std::uint8_t> decodeChannel(int layer, int position) const;

private:
    void clear();
    bool fail(const std::string& message);
    bool loadTarga(const std::string& path, const std::vector<std::uint8_t>& file);
    bool mergedToBottomLayer();
    void adjustLayerLengths(std::int64_t delta);
    bool decodeMerged(std::vector<std::uint8_t>& planes, int planeCount) const;

    std::string error_;
    std::string path_;
    std::array<char, 4> signature_{{'8', 'B', 'P', 'S'}};
    std::uint16_t version_ = 1;
    std::array<std::uint8_t, 6> reserved_{};
    std::uint16_t channelCount_ = 3;
    int height_ = 0;
    int width_ = 0;
    std::uint16_t depth_ = 8;
    std::uint16_t colourMode_ = 3;
    std::vector<std::uint8_t> colourModeData_;
    std::uint32_t resourcesLength_ = 0;
    std::vector<ImageResource> resources_;
    std::uint32_t layerMaskLength_ = 0;
    std::uint32_t layerInfoLength_ = 0;
    std::int16_t storedLayerCount_ = 0;   // as stored: negative means the first alpha is the merged transparency
    std::vector<LayerRecord> layers_;
    std::vector<ChannelData> channels_;
    std::vector<std::uint8_t> layerInfoPad_;  // layer-info bytes after the channel data
    bool hasGlobalMask_ = false;              // the section had room for the global mask length
    std::vector<std::uint8_t> globalMask_;
    std::vector<std::uint8_t> layerMaskTail_; // tagged blocks (or stray bytes) after the global mask
    std::uint16_t mergedCompression_ = 0;
    std::vector<std::uint8_t> merged_;
    std::vector<std::uint32_t> composite_;
};

}  // namespace vl2
