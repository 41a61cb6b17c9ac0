#pragma once
// Evaluation of the rendering and animation-rig node types: file textures,
// motion paths along NURBS curves, aim constraints and lookAt nodes.
#include "scene/core/scene.h"

#include <string>

namespace host::scene {

// Attributes and compute functions added to the built-in types "file",
// "texture2d", "motionPath", "aimConstraint" and "lookAt". Called once while
// the scene registers its built-in types (uses `s`, never scene()).
void registerRenderTypes(Scene& s);

// Colour of an image file at (u, v) (repeating outside 0..1, v up), read
// through the image library; false when the file cannot be read. Images
// are cached per path and size on disk.
bool sampleImageFile(const std::string& path, double u, double v, double rgba[4]);

// Texture output as the texture nodes give it: texel (or the default colour
// without an image) times colorGain plus colorOffset, inverted on request.
// Shared by "file" and the game library's texture node.
MStatus computeTextureOutput(Node& n, const Plug& p, const std::string& imagePath);

}  // namespace host::scene
