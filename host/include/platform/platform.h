#pragma once
// Services the plug-ins get from the operating system on their home platform
// (the user name and long-date services, Windows-style paths), provided here
// for Linux. Paths may use either separator; a path whose exact spelling is
// missing is matched case-insensitively component by component, since data
// authored on Windows is spelled with arbitrary case.
#include <cstdio>
#include <ctime>
#include <string>

namespace vl2platform {

// The logged-in user's name, as the user-name service reports it; "" if unknown.
std::string userName();

// The date in the long form of the user's locale ("Friday, December 11, 2026").
std::string longDate(std::time_t when);
std::string longDateToday();

// Backslashes become '/'; nothing else changes.
std::string toNativeSeparators(const std::string& path);

// The existing file or folder the path names, found case-insensitively per
// component when the exact spelling is missing; the native-separator spelling
// of the input when nothing matches (so callers' error messages stay useful).
std::string resolvePath(const std::string& path);

bool fileExists(const std::string& path);

// fopen through resolvePath. For writing, the folder part is resolved and the
// file name kept as given.
std::FILE* openFile(const std::string& path, const char* mode);

}  // namespace vl2platform
