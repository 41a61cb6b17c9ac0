#include "triangulate/triangulate.h"

namespace vl2 {

std::vector<CornerTriangle> fanTriangles(std::size_t cornerCount) {
    std::vector<CornerTriangle> r;
    if (cornerCount < 3) return r;
    r.reserve(cornerCount - 2);
    for (std::size_t k = 1; k + 1 < cornerCount; ++k) r.push_back({0, k, k + 1});
    return r;
}

}  // namespace vl2
