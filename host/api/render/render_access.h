#pragma once
// Plug access shared by the render function sets (host-internal).
#include <maya/MColor.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>

#include "scene/core/scene.h"

#include <string>

namespace host::render_api {

using host::scene::Node;

inline Node* nodeOf(const MObject& o) {
    auto n = std::dynamic_pointer_cast<Node>(o.object());
    return n && !n->deleted ? n.get() : nullptr;
}
inline MObject objOf(Node* n) { return n ? MObject(host::scene::scene().ptr(n)) : MObject(); }

template <typename T>
T ret(MStatus* st, bool ok, T v) {
    if (st) *st = ok ? MStatus::kSuccess : MStatus::kFailure;
    return v;
}

// Evaluated number of a leaf attribute; ok false when the node or attribute is missing.
double number(const MObject& o, const char* attr, bool& ok);
MStatus setNumber(const MObject& o, const char* attr, double v);
// Three-child colour compound ("color" -> colorR/G/B).
MColor color(const MObject& o, const char* attr, bool& ok);
MStatus setColor(const MObject& o, const char* attr, const MColor& c);

// A shape of typeName under parent, or under a new transform (returned then).
MObject createShape(const char* typeName, const MObject& parent, MStatus* st);
// First DAG parent of a shape (null for nodes under the world).
Node* transformOf(Node* shape);

}  // namespace host::render_api
