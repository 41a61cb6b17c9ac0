#pragma once
// Evaluation of polygon geometry in the dependency graph: creation nodes
// (polyCube, polyPlane, polySphere, polyCylinder), mesh shapes with the
// geometry scene files store on them, and the deformer and component nodes
// that sit between an intermediate shape and the one shown.
#include "scene/core/scene.h"
#include "scene/mesh/mesh_data.h"

namespace host::scene {

// Adds computes, attributes and deformer types to the built-in node types
// and registers the "polyFaces" parser and the mesh save hook. Called once
// while the scene registers its built-in types.
void installPolyTypes(Scene& s);

// What a mesh shape's outMesh delivers: its own geometry (built from the
// file attributes .vt/.ed/.fc ... when those are set), or the upstream
// geometry with the shape's vertex tweaks (.pt) applied. Empty when the
// shape has no geometry at all.
Value meshShapeOutput(Node& shape);

// True when the type's outputs carry the geometry of their input unchanged
// at bind pose (groupParts, tweak, skinCluster and the other deformers).
bool isGeometryPassThroughType(const NodeType* t);

}  // namespace host::scene
