#pragma once
// Materials of an export: one STAT chunk per shading group of the shader
// object list, filled from the game's shader script and the host's shader;
// the registry the mesh writers translate material numbers with; and the
// texture records the texture writer turns into LMIP chunks.

#include "ShaderScript.h"

#include <RenderMesh.h>
#include <TextureRecords.h>

#include <maya/MObject.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vl2 {

class ChunkWriter;

constexpr std::uint32_t kShadingGroupTypeId = 0x53484144;  // "SHAD"
constexpr std::uint32_t kMaterialChunkVersion = 1001;
extern const char* const kDefaultShaderScript;          // "\\shaders\\default.st"

// Extraction-layer material number -> material index (the shading group's
// place in the shader object list) and name.
class MaterialTable : public MaterialRegistry {
public:
    void clear() { entries_.clear(); }
    void add(std::int32_t number, std::uint32_t index, const std::string& name);
    bool lookup(std::int32_t materialNumber, MaterialInfo& info) const override;
    std::size_t size() const { return entries_.size(); }

private:
    std::map<std::int32_t, MaterialInfo> entries_;
};

struct MaterialColours {
    float diffuse[4] = {1, 1, 1, 1};
    float ambient[4] = {1, 1, 1, 1};
    float specular[4] = {0, 0, 0, 0};
    float emission[4] = {0, 0, 0, 0};
    float shine = 0;
};

// One parameter value as the STAT chunk holds it.
struct MaterialValue {
    std::int32_t type = 0;
    float colour[4] = {0, 0, 0, 0};
    std::int32_t texture = -1;
    std::string name;
};

// A material made ready for its chunk.
struct MaterialRecord {
    std::string name;    // the surface shader's name
    std::string script;  // the script's base name
    std::vector<MaterialValue> values;
};

// Where the game's data folder is: "VL2_Root", else "VL2_ROOT", else "".
std::string gameRoot();

// The script path a shader names (`vl2ScriptName`), with the old ".shd"
// extension and a leading "/data" handled; `notes` get the messages.
struct ScriptPath {
    std::string path;      // relative to the data folder, "\\shaders\\hull.st"
    std::string baseName;  // "hull"
    bool oldExtension = false;  // ".shd" was replaced by ".st"
    bool leadingData = false;   // a "/data" folder was removed
};
ScriptPath scriptPathFor(const std::string& attributeValue);

// Texture parameter lookup against the layer names of the material's image:
// the layer, scale and kind it selects, and the record index it shares or
// appends (-1 when the image has no such layer). `warning` is set for a
// layer name that continues oddly after the parameter name.
struct TextureChoice {
    std::int32_t layer = -1;
    float scale = 1.0f;
    std::int32_t kind = kTextureKindPlain;
    bool badLayerName = false;
};
TextureChoice chooseTextureLayer(const std::vector<std::string>& layerNames, const std::string& param);
// The record for (path, layer): an existing one, a new one when the layer is
// not -1, else -1.
int textureIndexFor(TextureList& textures, const std::string& path, const TextureChoice& choice);

// Writes (with a writer) or only checks (without: validation) the material
// of every shading group, in list order. `sceneMaterials` are the extraction
// layer's material names; matches are registered in `registry` and texture
// parameters add to `textures`.
void writeMaterials(ChunkWriter* writer, const std::vector<MObject>& shaderObjects,
                    const std::vector<std::string>& sceneMaterials, MaterialTable& registry, TextureList& textures);

// The chunk of one material.
bool writeMaterialChunk(ChunkWriter& writer, const MaterialRecord& record);

}  // namespace vl2
