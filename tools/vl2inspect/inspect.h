#pragma once
// The inspector's entry: picks the view from the file's first bytes.

#include "inspect_options.h"

#include <ostream>
#include <string>

namespace vl2::inspect {

// Exit statuses of vl2inspect.
constexpr int kExitOk = 0;
constexpr int kExitBadFile = 1;     // unreadable, truncated, foreign or malformed
constexpr int kExitUnsupported = 2; // usage errors, file types this build cannot show

enum class FileType { Chunks, LayeredImage };

// From the first bytes: "8BPS" is a layered image, anything else is read as
// chunks (which reports foreign files itself).
FileType detectFileType(const unsigned char* bytes, std::size_t count);

int inspectFile(const std::string& path, const InspectOptions& opts, std::ostream& out, std::ostream& err);
int inspectChunkFile(const std::string& path, const InspectOptions& opts, std::ostream& out, std::ostream& err);

} // namespace vl2::inspect
