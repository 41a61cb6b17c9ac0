#pragma once
// The small chunks every model file carries. Each logs its line on channel 0
// of the run log before writing.

#include <cstdint>

namespace vl2 {

class ChunkWriter;

constexpr std::uint32_t kModelFileVersion = 512;

// FORM "VERS" holding the 32-bit little-endian version 512.
bool writeVersionChunk(ChunkWriter& writer);
// FORM "NAME" holding the name's characters (no length, no terminator).
bool writeNameChunk(ChunkWriter& writer, const char* name);
// Plain "BADD" holding the bad-data report's text (no length, no terminator).
bool writeBadDataChunk(ChunkWriter& writer, const char* text);

} // namespace vl2
