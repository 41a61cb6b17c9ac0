#pragma once
// Export-wide state the driver resets at the start of each export and the
// section writers fill.
#include <cstdint>

namespace vl2 {

class ChunkWriter;

struct ExportState {
    std::int32_t faceCount = 0;
    ChunkWriter* writer = nullptr;  // the current file, null in validation
};

ExportState& exportState();

}  // namespace vl2
