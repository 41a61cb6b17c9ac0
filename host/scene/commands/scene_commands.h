#pragma once
// The MEL commands that read and edit the scene: node creation and naming,
// the DAG, attributes and connections, transforms, time and keys, selection,
// sets and display layers.
#include "scene/core/scene.h"

#include <functional>
#include <string>
#include <vector>

namespace host::mel {
class Interpreter;
}

namespace host::scene {

// Registers every scene command on interp. Safe to call more than once.
void registerSceneCommands(host::mel::Interpreter& interp);

// ---- setAttr -type data parsers
// A parser reads one value of its data type from the value words of
// `setAttr -type <name> <plug> ...`, starting at words[pos], and advances pos
// past what it used (a range plug such as ".fc[0:5]" calls it once per
// element). Returning data stores it on `target`. Returning null with an
// empty *error means the parser wrote the plug itself; null with *error set
// fails the command with that text. Registering a name again replaces its
// parser. "mesh", "nurbsCurve", "nurbsSurface", "polyFaces" ... belong to
// their owners; without a parser, typed attributes keep the words as
// GenericData so scene files round-trip.
using DataParser = std::function<DataPtr(const Plug& target, const std::vector<std::string>& words,
                                         std::size_t& pos, std::string* error)>;
void registerDataParser(const std::string& typeName, DataParser parser);
bool hasDataParser(const std::string& typeName);

// ---- UI units (currentUnit): what MEL and scene files use. The linear and
// angular units are MDistance/MAngle's UI units, the time unit MTime's UI
// unit together with the scene's frame rate; currentUnit sets both.
// Internal <-> UI conversions for a value of the given unit kind.
double toUiUnits(UnitType u, double internalValue);
double fromUiUnits(UnitType u, double uiValue);

// Scene-file leniency, off by default: createNode of an unknown type fails
// and setAttr of an unknown attribute fails, as the host's commands do. File
// loading turns it on: unknown node types become "unknown" nodes and
// unknown attributes are added as generic dynamic attributes holding the
// words, each with a warning.
void setCreateUnknownNodes(bool on);
bool createUnknownNodes();

}  // namespace host::scene
