#pragma once
// Reading Maya ASCII scene files into the current scene.
//
// A scene file is a list of MEL commands. The reader splits it into
// statements itself (quoted strings, "(" "a" + "b" ")" concatenations,
// comments) and calls the scene commands directly, so large files stream
// without building a syntax tree; the rare statement that is real MEL
// (procedures, expressions) goes through the interpreter. Unknown node types
// and attributes are kept (one warning per construct). The first error stops
// the read: "file: <path> line <n>: <message>".
#include <string>
#include <string_view>

namespace host::files {

struct MaReadResult {
    bool ok = true;
    std::string error;  // "file: <path> line <n>: <message>"
    int warnings = 0;   // warnings printed (after de-duplication)
};

// Reads the file at path (already resolved) into the current scene.
MaReadResult readMayaAsciiFile(const std::string& path);
// The same for text in memory; sourceName names it in messages.
MaReadResult readMayaAsciiText(std::string_view text, const std::string& sourceName);

}  // namespace host::files
