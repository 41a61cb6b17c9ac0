#pragma once
// Writing the scene as a Maya ASCII file: header, requirements, units and
// file information, then per node createNode, addAttr and the setAttr of
// every stored value that differs from its default (in UI units), then the
// connections, relationships and the selection. Opening the file again gives
// the same scene.
#include <string>
#include <utility>
#include <vector>

namespace host::files {

// A `file -r` statement of a scene file: recorded and written again.
struct MaReference {
    std::string path, ns, referenceNode, type, options;
    bool deferred = false;
};

struct MaWriteOptions {
    bool selectionOnly = false;  // file -es: the selected nodes and their DAG children
    std::vector<std::vector<std::string>> requires;  // extra "requires" words
    std::vector<std::pair<std::string, std::string>> fileInfo;
    std::vector<MaReference> references;
    std::string fileName;  // for the "//Name:" line
};

// The file's text.
std::string mayaAsciiText(const MaWriteOptions& options);
// Writes through a temporary file that replaces `path` only once complete.
bool writeMayaAsciiFile(const std::string& path, const MaWriteOptions& options, std::string* error);

// MEL string literal: quotes, backslashes and control characters escaped.
std::string melQuote(const std::string& text);
// Shortest text that reads back to the same double (or float).
std::string formatNumber(double v);
std::string formatFloatNumber(float v);

}  // namespace host::files
