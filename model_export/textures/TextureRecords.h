#pragma once
// The texture list of an export: one record per distinct (image path, layer)
// that a material's texture parameter asked for, in order of creation. A
// material's texture index is the record's position, which is also the
// position of its LMIP chunk.

#include <cstdint>
#include <string>
#include <vector>

namespace vl2 {

constexpr std::int32_t kTextureKindPlain = 0;
constexpr std::int32_t kTextureKindMarked = 6;  // layer name continues with "*": forced to DXT1

struct TextureRecord {
    std::string path;          // as the file texture node names it; may be empty
    std::int32_t layer = -1;   // -1: the whole image (composite)
    float scale = 1.0f;
    std::int32_t kind = kTextureKindPlain;
};

using TextureList = std::vector<TextureRecord>;

// Index of the record with exactly this path and layer, or -1.
int findTexture(const TextureList& list, const std::string& path, std::int32_t layer);

}  // namespace vl2
