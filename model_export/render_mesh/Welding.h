#pragma once
// Vertex welding: the result of "search the part's vertices from the first and
// take the first match", found through a spatial hash of the positions.

#include "RenderMesh.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace vl2 {

class VertexWelder {
public:
    // boxMin: minimum corner of the level's positions; a, b: tolerances of
    // the weld comparison (positions, other fields).
    VertexWelder(const float boxMin[3], float a, float b);

    // Index of the first vertex of `vertices` matching `v`, or -1. Every
    // vertex of the list must have been announced through add() in order.
    long find(const std::vector<RenderVertex>& vertices, const RenderVertex& v) const;
    // `index` is the number of a vertex just appended to the list.
    void add(const RenderVertex& v, std::uint32_t index);

private:
    bool cellOf(const RenderVertex& v, std::int64_t cell[3]) const;
    static std::uint64_t key(std::int64_t x, std::int64_t y, std::int64_t z);

    double origin_[3];
    double inverseCell_ = 0.0; // 0: hashing is off, linear search
    float a_, b_;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
};

} // namespace vl2
