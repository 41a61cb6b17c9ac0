#pragma once
// The game library's texture node "PSDTextureNode": a 2D texture showing a
// layered image file, made by the tile tools through hyperShade.
#include "scene/core/scene.h"

namespace vl2game {

// Registers the node type on the host's scene (once; later calls do nothing).
void registerGameNodeTypes(host::scene::Scene& s);

}  // namespace vl2game
