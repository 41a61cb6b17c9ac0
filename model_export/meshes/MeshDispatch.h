#pragma once
// The per-mesh writer for the export's mesh format. This header stays free of
// the render mesh types so that the driver can include it beside the options.
#include "mesh_types.h"

#include <cstdint>

namespace vl2 {

class ChunkWriter;
class MaterialRegistry;
class TangentBuilder;
class SceneExtraction;

// The option record's mesh format numbers.
enum MeshFormatCode : std::int32_t {
    kFormatProgressive = 0,
    kFormatSimple = 1,
    kFormatValidate = 2,
    kFormatWireframe = 3,
    kFormatMulti = 4,
    kFormatBasic = 5
};

struct MeshDispatchSettings {
    std::int32_t format = kFormatMulti;
    bool mergeVertices = true;
    bool strips = false;
    int normalMapping = 0;
    const MaterialRegistry* materials = nullptr;  // Basic and Multi fail without one
    TangentBuilder* tangents = nullptr;
    double sceneDiagonal = 0;  // of the mesh list's bounding box, for Simple
    const SceneExtraction* scene = nullptr;  // for Wireframe
};

// Writes one mesh; returns whether something was written. `out` may be null
// (validation), in which case nothing is written.
bool writeMeshForFormat(ChunkWriter* out, const OutputMesh& mesh, const MeshDispatchSettings& settings);

}  // namespace vl2
