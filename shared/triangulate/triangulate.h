#pragma once
// Fan triangulation around a polygon's first corner: corners (0, k, k + 1)
// for k = 1 ... n - 2. Polygons are assumed convex, as the artists' meshes
// and the tile geometry are.
#include <array>
#include <cstddef>
#include <vector>

namespace vl2 {

using CornerTriangle = std::array<std::size_t, 3>;

// Corner numbers (0 ... cornerCount - 1) of each triangle; none below 3 corners.
std::vector<CornerTriangle> fanTriangles(std::size_t cornerCount);

// Appends the fan of one polygon given by its corner values (indices of any
// kind) to `out`, three values per triangle. Returns the triangles added.
template <typename T>
std::size_t appendFan(const T* corners, std::size_t cornerCount, std::vector<T>& out) {
    if (cornerCount < 3) return 0;
    out.reserve(out.size() + 3 * (cornerCount - 2));
    for (std::size_t k = 1; k + 1 < cornerCount; ++k) {
        out.push_back(corners[0]);
        out.push_back(corners[k]);
        out.push_back(corners[k + 1]);
    }
    return cornerCount - 2;
}

}  // namespace vl2
