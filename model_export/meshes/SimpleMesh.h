#pragma once
// Simple meshes (SIMP, particles): level 0 merged into one vertex list, and
// wireframes (SIMP of hard-edge end points).
#include "mesh_types.h"

#include <chunk/ChunkWriter.h>

#include <cstdint>
#include <vector>

namespace vl2 {

struct SimpleVertex {
    float position[4] = {0, 0, 0, 1};
    float normal[4] = {0, 0, 0, 1};
    std::uint32_t colour = 0;
    float uv[2] = {0, 0};
};

struct SimpleMerge {
    std::vector<SimpleVertex> vertices;
    std::vector<std::uint32_t> indices;  // three per triangle
};

// The merge rule: every compared component (position, normal, colour as an
// unsigned number, u, v) differs by no more than the tolerance.
bool simpleVerticesMatch(const SimpleVertex& a, const SimpleVertex& b, double tolerance);

// The defining search: each corner, in triangle order, reuses the first
// stored vertex it matches, else is appended. Quadratic; kept as the
// reference the fast merge is checked against.
SimpleMerge mergeSimpleLinear(const RawMesh& level, double tolerance);

// Same result as mergeSimpleLinear, found through a grid of position cells.
SimpleMerge mergeSimple(const RawMesh& level, double tolerance);

// SIMP chunk: name, vertices (position, normal, uv), indices.
bool writeSimpleChunk(ChunkWriter& out, const std::string& name, const SimpleMerge& mesh);

// The simple writer: level 0 merged with 0.0002 times the scene diagonal.
bool writeSimpleMesh(ChunkWriter& out, const OutputMesh& mesh, double sceneDiagonal);

}  // namespace vl2
