#pragma once
// Evaluation helpers shared by the scene and the API classes: transform
// components of transform/joint nodes and animation curves held by nodes.
#include "api/math/xform.h"
#include "scene/anim/anim_curve.h"
#include "scene/core/scene.h"

#include <maya/MMatrix.h>

namespace host::scene {

MMatrix toMMatrix(const Matrix4& m);
Matrix4 fromMMatrix(const MMatrix& m);

// Transform components of a transform or joint node (evaluated plug values).
host::math::TransformComponents transformComponents(Node& n);
// Writes translate/rotate/scale/shear (and for joints nothing else) of c.
MStatus setTransformComponents(Node& n, const host::math::TransformComponents& c, std::string* error = nullptr);
// Local matrix: composed for transforms and joints, identity for other DAG nodes.
Matrix4 localMatrix(Node& n);

// The keys of an animCurve node; writeAnimCurve replaces them.
AnimCurve readAnimCurve(Node& n);
MStatus writeAnimCurve(Node& n, const AnimCurve& c);
MStatus computeAnimCurve(Node& n, const Plug& p);

}  // namespace host::scene
