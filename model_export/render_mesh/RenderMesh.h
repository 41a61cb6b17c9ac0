#pragma once
// Render-ready meshes: per-material vertex buffers with one 16-bit index per
// corner, built from a level's separately indexed tables, then stripped and
// renumbered for the vertex cache.

#include "mesh_types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vl2 {

struct RenderVertex {
    float position[4] = {0, 0, 0, 1};
    float normal[4] = {0, 0, 0, 1};
    std::uint32_t colour = 0;
    float uv[4][2] = {};
    float tangent[3] = {};
    float binormal[3] = {};
};

// Field selection of vertexMatches.
enum VertexCompare : std::uint32_t {
    kComparePosition = 0x1,
    kCompareNormal = 0x2,
    kCompareColour = 0x4,
    kCompareTangent = 0x8,
    kCompareBinormal = 0x10,
    kCompareUv0 = 0x20,
    kCompareUv1 = 0x40,
    kCompareUv2 = 0x80,
    kCompareUv3 = 0x100,
    kCompareTangentBinormal = 0x200,
    kComparePosition2 = 0x400,
};
constexpr std::uint32_t kWeldMask = 0x27;
constexpr float kWeldTolerance = 2e-5f;

// True when every selected component differs by at most its tolerance
// (positions: a, everything else but colour: b; colour must be equal).
bool vertexMatches(const RenderVertex& v, const RenderVertex& w, std::uint32_t mask, float a, float b);

enum class PrimitiveKind : std::uint32_t { List = 0, Strip = 1, Other = 2 };

struct PrimitiveGroup {
    std::uint32_t kind = 0; // PrimitiveKind values; anything else is corrupt
    std::vector<std::uint16_t> indices;
};

struct RenderPart {
    std::uint32_t materialIndex = 0;  // 0 when the material number is not registered
    std::int32_t materialNumber = 0;  // last number seen for this index
    std::vector<RenderVertex> vertices;
    std::vector<std::uint16_t> triangles; // three per triangle, in level order
    std::vector<PrimitiveGroup> groups;   // set by optimisation
};

struct RenderMesh {
    std::string name;
    std::vector<RenderPart> parts; // in order of each material's first triangle
    float radius = 1.0f;
    float centre[3] = {0, 0, 0};
    std::uint32_t vertexFormat = kDefaultVertexFormat;
};

// What the material section knows about a material number.
struct MaterialInfo {
    std::uint32_t index = 0;
    std::string name;
};

class MaterialRegistry {
public:
    virtual ~MaterialRegistry() = default;
    // False when the number is not registered.
    virtual bool lookup(std::int32_t materialNumber, MaterialInfo& info) const = 0;
};

// Tangent basis of a part and its smoothing; without one (nullptr) every part
// fails and the 0x6000 bits are withheld.
class TangentBuilder {
public:
    virtual ~TangentBuilder() = default;
    virtual bool buildPart(RenderPart& part) = 0;
    virtual void smooth(RenderPart& part, float diagonal) = 0;
};

// 16-bit indices address at most this many vertices per part.
constexpr std::size_t kMaxPartVertices = 65536;

struct BuildSettings {
    bool mergeVertices = true;
    std::uint32_t vertexFormat = kDefaultVertexFormat;
    int normalMapping = 0;
    TangentBuilder* tangents = nullptr;
};

// Fills `out` from the level. False when the level has no triangles, or
// when a part would need more vertices than 16-bit indices address (logged
// on channel 2); `out` must not be written then.
bool buildRenderMesh(const RawMesh& raw, const std::string& name, const BuildSettings& settings,
                     const MaterialRegistry& materials, RenderMesh& out);

// Bounding sphere of all vertices: box centre, radius at least 1.0.
void computeBounds(RenderMesh& mesh);

// Strips (or lists) and renumbers every part, logging the bounds changes.
// `exportName` is the name the caller exports the mesh under (the lambert
// check exempts engine glows and CM2_ meshes).
void optimiseRenderMesh(RenderMesh& mesh, bool strips, const std::string& exportName,
                        const MaterialRegistry& materials);

// One part: drops unused vertices, makes the groups, renumbers by first use.
void stripOrList(RenderPart& part, bool strips);

} // namespace vl2
