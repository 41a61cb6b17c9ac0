#pragma once
// Wireframes: the hard edges of a group's single shape as pairs of world-space
// end points in a SIMP chunk without indices.
#include "SimpleMesh.h"

namespace vl2 {

class SceneExtraction;

// The end points of every hard edge, two vertices per edge; logs the counts.
bool wireframeVertices(const SceneExtraction& scene, int shape, SimpleMerge& out);

bool writeWireframeMesh(ChunkWriter& out, const OutputMesh& mesh, const SceneExtraction& scene);

}  // namespace vl2
