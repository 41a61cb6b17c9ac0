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

// A node type's own store for long numeric ranges that scene files write,
// such as a mesh's ".vt[0:7]" or ".uvst[0].uvsp[0:13]": the reader hands
// the whole range over instead of writing one plug per element. `values`
// holds the numbers as the file gives them (count elements times the
// element's width). Return false with *error to fail the statement.
using RangeSetter = std::function<bool(const scene::Plug& arrayPlug, unsigned first, unsigned count,
                                       const double* values, std::size_t valueCount, std::string* error)>;
// attrName: long name of the array attribute ("vt", "uvsp", "n").
void registerRangeSetter(const std::string& nodeType, const std::string& attrName, RangeSetter f);
// The setter for the node's type (or nearest ancestor type) and attribute; null when none.
const RangeSetter* findRangeSetter(const scene::Node& node, const scene::Attribute* attr);

}  // namespace host::files
