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
// A parser turns the value words of `setAttr -type <name> ...` into data.
// `words` are the words after the plug (flags removed), as text. On failure
// it returns null and sets *error (the command then fails with that text).
// Registering a name again replaces its parser. "mesh", "nurbsCurve" and
// "nurbsSurface" are left to their owners.
using DataParser = std::function<DataPtr(const std::vector<std::string>& words, std::string* error)>;
void registerDataParser(const std::string& typeName, DataParser parser);
bool hasDataParser(const std::string& typeName);

// ---- UI units (currentUnit): what MEL and scene files use.
enum class LinearUnit { mm, cm, m, km, in, ft, yd, mi };
enum class AngleUnit { deg, rad, min, sec };
LinearUnit uiLinearUnit();
AngleUnit uiAngleUnit();
void setUiLinearUnit(LinearUnit u);
void setUiAngleUnit(AngleUnit u);
double linearUnitInCm(LinearUnit u);    // size of one unit in centimetres
double angleUnitInRadians(AngleUnit u);
// Internal <-> UI conversions for a value of the given unit kind.
double toUiUnits(UnitType u, double internalValue);
double fromUiUnits(UnitType u, double uiValue);

// createNode of an unknown type: false (default) fails as the host's command
// does; scene-file loading turns it on to keep unknown nodes.
void setCreateUnknownNodes(bool on);
bool createUnknownNodes();

}  // namespace host::scene
