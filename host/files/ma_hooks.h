#pragma once
// How the owners of geometry and other data kinds take part in writing Maya
// ASCII files. Reading goes through setAttr's data parsers
// (scene_commands.h: registerDataParser); writing needs the reverse.
#include "scene/core/scene.h"

#include <functional>
#include <string>
#include <vector>

namespace host::files {

// Appends the value words of one `setAttr -type "<typeName>"` value, exactly
// what the type's DataParser reads back. False: the value cannot be written
// (the writer then warns and skips the attribute).
using DataFormatter = std::function<bool(const scene::TypedData& data, std::vector<std::string>& words)>;
void registerDataFormatter(const std::string& typeName, DataFormatter f);
const DataFormatter* findDataFormatter(const std::string& typeName);

// A node type whose state is not (only) in its attribute values, such as a
// mesh shape whose geometry files store as ".vt", ".ed", ".fc" ... The
// writer calls `write` for every node of the type or a derived type, right
// after the node's generic setAttr lines. It appends complete statements,
// one per entry, tab-indented and ending in ';' (for example
// "\tsetAttr -s 8 \".vt[0:7]\" -type \"float3\" ...;"). The writer skips the
// attributes named (long names) in `skipAttributes` for such nodes.
struct NodeSaveHook {
    std::function<void(const scene::Node& node, std::vector<std::string>& lines)> write;
    std::vector<std::string> skipAttributes;
};
void registerNodeSaveHook(const std::string& nodeType, NodeSaveHook hook);
// The hook of the node's type or its nearest ancestor type; null when none.
const NodeSaveHook* findNodeSaveHook(const scene::Node& node);

}  // namespace host::files
