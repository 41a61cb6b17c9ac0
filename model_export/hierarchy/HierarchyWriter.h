#pragma once
// The joint hierarchy: every joint of the scene in depth-first order with its
// parent joint, local transform components and degrees of freedom.

namespace vl2 {

class ChunkWriter;

// Writes the HIER chunk; every problem goes to the error channel. Returns
// whether the chunk was written.
bool writeHierarchy(ChunkWriter& out);

}  // namespace vl2
