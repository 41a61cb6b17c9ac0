#pragma once
// Helpers shared by the scene command sources (not part of the host's API).
#include "mel/command.h"
#include "mel/interpreter.h"
#include "mel/value.h"
#include "scene/commands/scene_commands.h"
#include "scene/core/scene.h"

#include <string>
#include <vector>

namespace host::scene::cmds {

using host::mel::ArgParser;
using host::mel::ArgType;
using host::mel::CommandContext;
using host::mel::CommandError;
using host::mel::ParsedArgs;
using MelValue = host::mel::Value;

[[noreturn]] inline void fail(const std::string& msg) { throw CommandError(msg); }

// Positional words as strings; string-array arguments are spread out.
std::vector<std::string> objectWords(const ParsedArgs& a);
std::vector<std::string> flagStrings(const ParsedArgs& a, const std::string& flag);  // every use

// Node by name; fails with "No object matches name: x" (or the ambiguity text).
Node* findNode(const std::string& name);
// Node or nullptr, without failing.
Node* tryFindNode(const std::string& name);
// Every node a word names: wildcards expand (none: error unless allowEmpty).
std::vector<Node*> nodesMatching(const std::string& word, bool allowEmpty = false);

// Plug text ("n.a", ".a" on the selection). Fails "No object matches name: n.a".
Plug findPlug(const std::string& text);
// Plugs a word names: ".a" on every selected node, "n.a" once.
std::vector<Plug> plugsFor(const std::string& text);

// The name the host returns for a node: shortest unique path for DAG nodes.
std::string nodeName(const Node* n, bool longName = false);
// Plug name as commands return it: "node.attr" with the attribute's short (or long) names.
std::string plugName(const Plug& p, bool longNames = false);
// For messages: "node.longAttr" as the host prints it.
std::string plugLabel(const Plug& p);

// Selected nodes, in selection order (no duplicates).
std::vector<Node*> selectedNodes();
void selectOnly(Node* n);
void selectAdd(Node* n);
void deselect(Node* n);

// Transform of a shape (or the node itself).
Node* transformOf(Node* n);
bool isShape(const Node* n);
bool isTransform(const Node* n);
bool isIntermediate(Node* n);

// Unit helpers on plugs: the UnitType of a leaf attribute (kInvalid when unitless).
UnitType unitOf(const Attribute* a);

// Matrices of transforms, read from the scene's evaluated attributes.
Matrix4 worldMatrix(Node* n);        // identity for the world / non-DAG
Matrix4 parentWorldMatrix(Node* n);  // world matrix of the DAG parent
// Row-vector point transform.
void transformPoint(const Matrix4& m, const double in[3], double out[3]);

// Numeric leaf plug helpers (internal units).
double getNumber(const Plug& p);
void setNumber(const Plug& p, double v);  // fails with the command's wording
std::vector<double> getVector(Node* n, const std::string& attr);
void setVector(Node* n, const std::string& attr, const std::vector<double>& v);

// Checks before writes: "The attribute 'n.a' is locked or connected and cannot be modified."
void checkWritable(const Plug& p);

// Registration helpers for each source file.
void registerNodeCommands(host::mel::Interpreter& in);
void registerAttrCommands(host::mel::Interpreter& in);
void registerConnectionCommands(host::mel::Interpreter& in);
void registerTransformCommands(host::mel::Interpreter& in);
void registerAnimCommands(host::mel::Interpreter& in);
void registerSetCommands(host::mel::Interpreter& in);
void registerLayerCommands(host::mel::Interpreter& in);
void registerRenderCommands(host::mel::Interpreter& in);

// Values a getAttr returns for one plug (used by getAttr and tests).
MelValue plugValue(const Plug& p, bool asString);

}  // namespace host::scene::cmds

namespace host::scene::cmds {
// Per-plug keyable / channel-box state (setAttr -k / -cb). Dynamic attributes
// carry it on the attribute; static ones get a per-node override.
bool plugKeyable(const Plug& p);
bool plugChannelBox(const Plug& p);
void setPlugKeyable(const Plug& p, bool on);
void setPlugChannelBox(const Plug& p, bool on);
// setAttr -type parsers registered by other host parts (null when none).
const DataParser* findDataParser(const std::string& typeName);
// Marks attributes added with addAttr -uac.
bool usedAsColor(const Attribute* a);
void setUsedAsColor(const Attribute* a);
}  // namespace host::scene::cmds
