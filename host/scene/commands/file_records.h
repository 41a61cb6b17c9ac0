#pragma once
// What scene files say that the scene graph itself does not hold, kept so a
// saved scene says it again: relationship and dataStructure statements, and
// per node the setAttr statements of attributes the node cannot take
// (unknown attributes with element or child paths).
#include "scene/core/scene.h"

#include <string>
#include <vector>

namespace host::scene::records {

// Statement text without the trailing ';', e.g. setAttr ".x[2].y" 1.
void keepNodeStatement(Node* n, std::string statement);
// Kept statements of a live node, in order; empty when none.
std::vector<std::string> nodeStatements(const Node* n);

// Words after the command name, as given (strings unescaped).
std::vector<std::vector<std::string>>& relationships();
std::vector<std::vector<std::string>>& dataStructures();
// connectAttr statements naming attributes the scene does not have (source
// and destination plug texts, as given).
std::vector<std::vector<std::string>>& keptConnections();

// Nodes a file named as the host's own defaults (":hardwareRenderingGlobals")
// that this host does not create: stand-ins, written back the same way.
void markImplicitDefault(Node* n);
bool isImplicitDefault(const Node* n);

// Set while the scene has `file -r` references that were recorded but not
// loaded: connections to their nodes are kept instead of failing.
bool& unloadedReferences();

// Forgets everything (new scene, file open).
void clearAll();

}  // namespace host::scene::records
