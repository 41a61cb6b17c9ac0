#include "reference_weld.h"

#include <algorithm>
#include <cmath>

namespace vl2::testing {

RenderMesh referenceWeld(const RenderMesh& unmerged, float a)
{
    RenderMesh out = unmerged;
    for (RenderPart& part : out.parts) {
        std::vector<RenderVertex> welded;
        for (std::uint16_t& index : part.triangles) {
            const RenderVertex& v = part.vertices[index];
            std::size_t found = welded.size();
            for (std::size_t i = 0; i < welded.size(); ++i)
                if (vertexMatches(welded[i], v, kWeldMask, a, kWeldTolerance)) {
                    found = i;
                    break;
                }
            if (found == welded.size())
                welded.push_back(v);
            index = static_cast<std::uint16_t>(found);
        }
        part.vertices = welded;
    }
    return out;
}

float weldTolerance(const RawMesh& raw)
{
    float lo[3], hi[3];
    for (int i = 0; i < 3; ++i)
        lo[i] = hi[i] = raw.positions.front()[i];
    for (const auto& p : raw.positions)
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    const float d = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                              (hi[2] - lo[2]) * (hi[2] - lo[2]));
    return kWeldTolerance * d;
}

} // namespace vl2::testing
