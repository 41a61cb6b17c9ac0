#pragma once
// Cutting faces of a mesh through points on its edges, as polySplit -ep does.
#include "scene/mesh/mesh.h"

#include <string>
#include <utility>
#include <vector>

namespace host::scene {

// A point on edge `edge` at parameter t (0 at the edge's first vertex).
// Parameters within `kSplitSnap` of 0 or 1 land on the end vertex.
struct EdgePoint {
    int edge = -1;
    double t = 0;
};
constexpr double kSplitSnap = 1e-6;

// Inserts a vertex on every edge point strictly inside its edge, then cuts
// the face shared by each pair of consecutive points with a new edge.
// Existing vertex, edge and face numbers stay; a split edge keeps its number
// for the half at its first vertex, the other half is appended; the cut
// edges come last, in cut order; each cut face keeps its number for the
// part that starts at the cut's first point, the other part is appended.
// UVs and colours of new corners are interpolated along their edges.
// On failure `m` is unchanged and *error says why.
bool splitMesh(Mesh& m, const std::vector<EdgePoint>& points, std::string* error);

}  // namespace host::scene
