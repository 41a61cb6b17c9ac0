#pragma once
// The mesh list: the extraction layer's shapes grouped by the node they hang
// under, each group one OutputMesh with its levels of detail.
#include "mesh_types.h"

#include <maya/MObject.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vl2 {

class SceneExtraction;

// Level of detail of a shape name: -1 for "CM_" collision shapes, the digit
// after the first "_LOD" when it is 1 to 9, else 0.
int levelOfName(const std::string& name);

// Per-axis minimum and maximum of every exported position in scene space.
struct SceneBounds {
    float minimum[3];
    float maximum[3];
    SceneBounds() { reset(); }
    void reset();
    void extend(float x, float y, float z);
    double diagonal() const;
};

struct MeshListSettings {
    bool validation = false;  // "validating" instead of "defining" in the log
    bool wireframe = false;   // no levels are built for wireframes
    bool joints = false;      // vl2_joints: positions in the space of the parent node
    bool bounding = false;    // vl2_bounding: "collision" shapes are not meshes
    bool engineTrails = false;  // vl2_enginetrails: engine shapes are not meshes
    // Detail geometry is written by its own section; none when unset.
    std::function<bool(int shape)> isGoblin;
};

// What building the list produces besides the entries.
struct MeshListContext {
    SceneBounds bounds;
    std::int32_t faceCount = 0;           // grows by (corners - 2) per polygon read
    std::vector<std::string> badData;     // texts for the bad-data report
    std::vector<MObject>* shaderObjects = nullptr;  // shading groups in order of first use
};

std::vector<OutputMeshPtr> buildMeshList(const SceneExtraction& scene, const MeshListSettings& settings,
                                         MeshListContext& context);

// One level from the given shapes (extraction numbering, in order); null when
// the level's polygon data are inconsistent (reported in context.badData).
std::shared_ptr<RawMesh> buildRawMesh(const SceneExtraction& scene, const std::vector<int>& shapes,
                                      bool joints, MeshListContext& context);

}  // namespace vl2
