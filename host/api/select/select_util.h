#pragma once
// Conversions between API handles and the scene graph.
#include "scene/core/scene.h"

#include <maya/MObject.h>

namespace host::api {

using host::scene::Node;
using host::scene::NodePtr;

inline Node* nodeOf(const MObject& o) {
    auto* n = dynamic_cast<Node*>(o.object().get());
    return n && n->alive() ? n : nullptr;
}

inline NodePtr nodePtrOf(const MObject& o) {
    auto n = std::dynamic_pointer_cast<Node>(o.object());
    return n && n->alive() ? n : nullptr;
}

inline host::scene::Attribute* attrOf(const MObject& o) {
    return dynamic_cast<host::scene::Attribute*>(o.object().get());
}

inline MObject objectOf(Node* n) {
    if (!n) return MObject();
    return MObject(host::scene::scene().ptr(n));
}

inline MObject objectOf(host::scene::Attribute* a) {
    if (!a) return MObject();
    return MObject(std::static_pointer_cast<host::scene::Object>(a->shared_from_this()));
}

inline void setStatus(MStatus* s, bool ok) {
    if (s) *s = ok ? MStatus::kSuccess : MStatus::kFailure;
}

}  // namespace host::api
