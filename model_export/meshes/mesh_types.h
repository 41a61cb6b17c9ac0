#pragma once
// Mesh entries and their levels, as the mesh list builder hands them to the
// mesh writers.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vl2 {

// One triangle of a level: its polygon's material id and, per corner, an
// index into each table of the level.
struct RawTriangle {
    std::int32_t material = 0;
    std::array<std::uint32_t, 3> position{};
    std::array<std::uint32_t, 3> normal{};
    std::array<std::uint32_t, 3> uv{};
    std::array<std::uint32_t, 3> colour{};
};

// The merged polygon data of all shapes of one level. Tables are plain
// vectors: their geometric growth already avoids growing one at a time.
struct RawMesh {
    std::vector<std::array<float, 3>> positions;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::uint32_t> colours; // packed as the extraction layer delivers them
    std::vector<RawTriangle> triangles;
};

constexpr std::uint32_t kDefaultVertexFormat = 0x1B;

// One group of shapes hanging under the same node.
struct OutputMesh {
    std::string name;       // parent name + "_mesh"
    std::string parentName; // the joint or group the mesh is attached to
    // Level 0, 1, ... in order; an entry is null when its level could not be built.
    std::vector<std::shared_ptr<RawMesh>> levels;
    std::uint32_t vertexFormat = kDefaultVertexFormat;
    std::vector<int> shapes; // extraction layer numbering, all levels
};

using OutputMeshPtr = std::shared_ptr<OutputMesh>;

} // namespace vl2
