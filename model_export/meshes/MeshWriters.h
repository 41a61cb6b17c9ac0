#pragma once
// Basic (BMSH) and multi-level (MULT) mesh writers.

#include "mesh_types.h"

#include <RenderMesh.h>
#include <chunk/ChunkWriter.h>

#include <cstdint>
#include <string>

namespace vl2 {

constexpr std::uint32_t kMeshChunkVersion = 1400;
constexpr std::uint32_t kListTypeCode = 514;
constexpr std::uint32_t kStripTypeCode = 518;
constexpr std::uint32_t kOtherTypeCode = 517;

struct MeshWriteSettings {
    bool mergeVertices = true;
    bool strips = true; // primitiveKind is Strips
    int normalMapping = 0;
    // nullptr: no material is registered (every number UNKNOWN, index 0).
    const MaterialRegistry* materials = nullptr;
    TangentBuilder* tangents = nullptr;
};

// One BMSH chunk from an optimised render mesh. False when a primitive group
// had a kind without a type code (logged, written as 0) or a write failed.
bool writeBmsh(ChunkWriter& out, const RenderMesh& mesh, std::uint32_t levelIndex);

// Level 0 as a BMSH. Returns whether a chunk was written.
bool writeBasicMesh(ChunkWriter& out, const OutputMesh& mesh, const MeshWriteSettings& settings);

// Every level as a BMSH inside a MULT; nothing at all when a level fails.
bool writeMultiMesh(ChunkWriter& out, const OutputMesh& mesh, const MeshWriteSettings& settings);

} // namespace vl2
