#pragma once
// Shared by the transform and joint function sets: reading a transform
// node's components, writing back the ones that changed, and the matrices of
// its place in the DAG.
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include "api/math/xform.h"
#include "scene/core/scene.h"

namespace host::api {

// The live transform (or joint) node o names; null otherwise.
scene::Node* transformNode(const MObject& o);
bool isJoint(const scene::Node& n);

// Every component, evaluated.
math::TransformComponents readComponents(scene::Node& n);
// Writes the components that differ from the node's current values, so
// untouched locked or driven channels do not make an edit fail.
MStatus writeComponents(scene::Node& n, const math::TransformComponents& c);

MMatrix localMatrixOf(const scene::Node& n, const math::TransformComponents& c);
// World matrix of n's parent (identity under the world).
MMatrix parentWorldMatrix(const scene::Node& n);

// The rotation part of m's upper 3x3 (scale and shear removed); identity when singular.
MMatrix rotationPart(const MMatrix& m);

bool validSpace(int space);

}  // namespace host::api
