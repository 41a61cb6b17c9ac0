#pragma once
#include <string>

namespace vl2 {

// One complete export (or validation) of the scene the extraction layer holds,
// with the module's options.
void runExportDriver();

// The error-log hand-off command for a file name and the warning and error texts.
std::string errorLogCommand(const std::string& fileName, const std::string& warnings, const std::string& errors);

// The OWNR chunk's bytes for a user name: count (with the terminator), then the name and a zero.
std::string ownerRecord(const std::string& userName);

}  // namespace vl2
