#pragma once
// The literal welding rule, kept as the reference the spatial hash must equal.
#include "RenderMesh.h"

namespace vl2::testing {
// `unmerged` built with mergeVertices off; returns the same mesh welded by a
// linear first-match search with tolerance a (positions) and 2e-5 (others).
RenderMesh referenceWeld(const RenderMesh& unmerged, float a);
// The build's position tolerance for a level.
float weldTolerance(const RawMesh& raw);
} // namespace vl2::testing
