#include "Welding.h"

#include <algorithm>
#include <cmath>

namespace vl2 {

namespace {
// Clamping is monotone, so two positions within a cell of each other stay
// in the same or neighbouring cells; it only keeps the casts defined.
constexpr double kCellLimit = 1099511627776.0; // 2^40
} // namespace

VertexWelder::VertexWelder(const float boxMin[3], float a, float b) : a_(a), b_(b)
{
    for (int i = 0; i < 3; ++i)
        origin_[i] = std::isfinite(boxMin[i]) ? boxMin[i] : 0.0;
    // Cells twice the tolerance wide: a float difference that rounds to the
    // tolerance still lands at most one cell away.
    if (std::isfinite(a) && a > 0.0f)
        inverseCell_ = 1.0 / (2.0 * double(a));
    else if (a == 0.0f)
        inverseCell_ = 1.0; // exact matches only: any width separates nothing that matches
    else
        inverseCell_ = 0.0;
    cells_.reserve(1024);
}

bool VertexWelder::cellOf(const RenderVertex& v, std::int64_t cell[3]) const
{
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(v.position[i]))
            return false;
        double c = std::floor((double(v.position[i]) - origin_[i]) * inverseCell_);
        c = std::clamp(c, -kCellLimit, kCellLimit);
        cell[i] = static_cast<std::int64_t>(c);
    }
    return true;
}

std::uint64_t VertexWelder::key(std::int64_t x, std::int64_t y, std::int64_t z)
{
    // Distinct cells may share a key: they then share a candidate list,
    // which costs comparisons but never changes the answer.
    std::uint64_t h = std::uint64_t(x) * 0x9E3779B97F4A7C15ull;
    h ^= std::uint64_t(y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= std::uint64_t(z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    return h;
}

long VertexWelder::find(const std::vector<RenderVertex>& vertices, const RenderVertex& v) const
{
    std::int64_t c[3];
    if (inverseCell_ == 0.0 || !cellOf(v, c)) {
        // Non-finite data: the literal search, which is what the answer is defined by.
        for (std::size_t i = 0; i < vertices.size(); ++i)
            if (vertexMatches(vertices[i], v, kWeldMask, a_, b_))
                return static_cast<long>(i);
        return -1;
    }
    long best = -1;
    for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy)
            for (std::int64_t dz = -1; dz <= 1; ++dz) {
                auto it = cells_.find(key(c[0] + dx, c[1] + dy, c[2] + dz));
                if (it == cells_.end())
                    continue;
                // Candidates are in increasing order: the first match of a
                // cell is its smallest, and nothing past the best can win.
                for (std::uint32_t index : it->second) {
                    if (best >= 0 && long(index) >= best)
                        break;
                    if (vertexMatches(vertices[index], v, kWeldMask, a_, b_)) {
                        best = long(index);
                        break;
                    }
                }
            }
    return best;
}

void VertexWelder::add(const RenderVertex& v, std::uint32_t index)
{
    std::int64_t c[3];
    if (inverseCell_ == 0.0 || !cellOf(v, c))
        return; // non-finite: found only by the literal search, where it matches nothing
    cells_[key(c[0], c[1], c[2])].push_back(index);
}

} // namespace vl2
