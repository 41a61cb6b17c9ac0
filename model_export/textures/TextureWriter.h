#pragma once
// The LMIP chunks of an export: one per texture record, in record order, so
// that a material's texture index is the position of its chunk.

#include "TextureRecords.h"
#include "TexturePrep.h"

#include <s3tc/S3tc.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vl2 {

class ChunkWriter;

// Texture format option values (the option number minus one).
enum TextureFormatOption : std::int32_t { kTextureDXT1 = 0, kTextureDXT3 = 1, kTextureDXT5 = 2, kTextureRGBA32 = 3 };

// One level as it goes into the file.
struct EncodedLevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> data;
};

// A record made ready for writing.
struct PreparedTexture {
    std::string name;      // "%s[%d]" of path and layer
    char format[4] = {'D', 'X', 'T', '1'};
    std::vector<EncodedLevel> levels;
};

struct TextureWriteSettings {
    std::int32_t textureFormat = kTextureDXT5;  // the option
    s3tc::Quality quality = s3tc::kDefaultQuality;
};

// What a run did, for the log and for tests.
struct TextureWriteStats {
    int imageLoads = 0;     // files read (an image is reused for the next record of the same path)
    int texturesWritten = 0;
};

// The four format characters for a record's layer name and the option:
// "8888" for a layer named exactly "$normals", "DXT1" for marked layers,
// otherwise the option's format.
const char* textureFormatCode(const std::string& layerName, std::int32_t kind, std::int32_t textureFormat);

// Bytes of one level's data in a format.
std::size_t levelDataSize(const char (&format)[4], int width, int height);

// Encodes prepared level pixels (rows already bottom first) in a format.
bool encodeLevel(const RgbaImage& level, const char (&format)[4], bool markedLayer, s3tc::Quality quality,
                 EncodedLevel& out);

// Prepares and writes every record. With no writer (validation) the images
// are still read, prepared and encoded, so their checks and messages run,
// but nothing is written.
TextureWriteStats writeTextures(ChunkWriter* writer, const TextureList& records,
                                const TextureWriteSettings& settings);

}  // namespace vl2
