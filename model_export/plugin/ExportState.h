#pragma once
// Export-wide state the driver resets at the start of each export and the
// section writers fill.
#include "MeshList.h"
#include "mesh_types.h"

#include <maya/MObject.h>

#include <cstdint>
#include <vector>

namespace vl2 {

class ChunkWriter;
class MaterialRegistry;

struct ExportState {
    std::int32_t faceCount = 0;
    ChunkWriter* writer = nullptr;  // the current file, null in validation
    // Shading groups in order of first use; a material's index is its place here.
    std::vector<MObject> shaderObjects;
    std::vector<OutputMeshPtr> meshList;
    SceneBounds sceneBounds;  // of every position the mesh list read
    // Set by the material step; Basic and Multi meshes cannot be built without it.
    const MaterialRegistry* materials = nullptr;
};

ExportState& exportState();

}  // namespace vl2
