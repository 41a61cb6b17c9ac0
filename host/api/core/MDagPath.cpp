#include <maya/MDagPath.h>
#include <maya/MDagPathArray.h>
#include <maya/MMatrix.h>

#include "api/core/core_util.h"
#include "scene/core/eval.h"

using namespace host::api;
using host::scene::scene;

namespace {
Node* last(const MObject& o, MStatus* status) {
    Node* n = nodeOf(o);
    bool ok = n && n->isDag();
    setStatus(status, ok);
    return ok ? n : nullptr;
}

bool intermediate(Node* n) {
    return n->attribute("intermediateObject") && scene().getDouble(n->plug("intermediateObject")) != 0.0;
}

std::vector<Node*> shapesBelow(Node* n) {
    std::vector<Node*> all, visible;
    for (Node* c : n->dagChildren()) {
        if (!c->type->isShape) continue;
        all.push_back(c);
        if (!intermediate(c)) visible.push_back(c);
    }
    return visible.empty() ? all : visible;
}

// World matrix of n: its local matrix times those of every ancestor.
host::scene::Matrix4 worldOf(Node* n) {
    host::scene::Matrix4 m;
    for (Node* p = n; p && !p->isWorld(); p = p->parent) m = m * host::scene::localMatrix(*p);
    return m;
}
}  // namespace

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path) {
    if (!last(node, nullptr)) return MStatus::kInvalidParameter;
    path = MDagPath(node);
    return MStatus::kSuccess;
}

MStatus MDagPath::getAllPathsTo(const MObject& node, MDagPathArray& paths) {
    paths.clear();
    MDagPath p;
    MStatus st = getAPathTo(node, p);
    if (st) paths.append(p);
    return st;
}

bool MDagPath::isValid(MStatus* status) const {
    setStatus(status, true);
    return last(obj_, nullptr) != nullptr;
}

MObject MDagPath::node(MStatus* status) const {
    if (!last(obj_, status)) return MObject();
    return obj_;
}

MObject MDagPath::transform(MStatus* status) const {
    Node* n = last(obj_, status);
    if (!n) return MObject();
    if (n->type->isTransform || n->isWorld()) return obj_;
    return objectOf(n->dagParent());
}

unsigned int MDagPath::length(MStatus* status) const {
    Node* n = last(obj_, status);
    return n ? static_cast<unsigned int>(n->depth()) : 0u;
}

unsigned int MDagPath::childCount(MStatus* status) const {
    Node* n = last(obj_, status);
    return n ? static_cast<unsigned int>(n->dagChildren().size()) : 0u;
}

MObject MDagPath::child(unsigned int i, MStatus* status) const {
    Node* n = last(obj_, status);
    if (!n) return MObject();
    auto kids = n->dagChildren();
    if (i >= kids.size()) {
        setStatus(status, false);
        return MObject();
    }
    return objectOf(kids[i]);
}

MStatus MDagPath::push(const MObject& child) {
    Node* n = last(obj_, nullptr);
    Node* c = last(child, nullptr);
    if (!n || !c || c->dagParent() != n) return MStatus::kInvalidParameter;
    obj_ = child;
    return MStatus::kSuccess;
}

MStatus MDagPath::pop(unsigned int levels) {
    Node* n = last(obj_, nullptr);
    if (!n) return MStatus::kFailure;
    for (unsigned i = 0; i < levels; ++i) {
        if (n->isWorld()) return MStatus::kInvalidParameter;
        n = n->dagParent();
    }
    obj_ = objectOf(n);
    return MStatus::kSuccess;
}

MStatus MDagPath::extendToShape() {
    Node* n = last(obj_, nullptr);
    if (!n) return MStatus::kFailure;
    if (n->type->isShape) return MStatus::kSuccess;
    auto shapes = shapesBelow(n);
    if (shapes.size() != 1) return MStatus::kFailure;
    obj_ = objectOf(shapes[0]);
    return MStatus::kSuccess;
}

MStatus MDagPath::extendToShapeDirectlyBelow(unsigned int index) {
    Node* n = last(obj_, nullptr);
    if (!n) return MStatus::kFailure;
    std::vector<Node*> shapes;
    for (Node* c : n->dagChildren())
        if (c->type->isShape) shapes.push_back(c);
    if (index >= shapes.size()) return MStatus::kInvalidParameter;
    obj_ = objectOf(shapes[index]);
    return MStatus::kSuccess;
}

MStatus MDagPath::numberOfShapesDirectlyBelow(unsigned int& num) const {
    Node* n = last(obj_, nullptr);
    num = 0;
    if (!n) return MStatus::kFailure;
    for (Node* c : n->dagChildren())
        if (c->type->isShape) ++num;
    return MStatus::kSuccess;
}

unsigned int MDagPath::instanceNumber(MStatus* status) const {
    last(obj_, status);
    return 0;
}

bool MDagPath::isInstanced(MStatus* status) const {
    last(obj_, status);
    return false;
}

MFn::Type MDagPath::apiType(MStatus* status) const {
    Node* n = last(obj_, status);
    return n ? n->apiType() : MFn::kInvalid;
}

bool MDagPath::hasFn(MFn::Type type, MStatus* status) const {
    Node* n = last(obj_, status);
    return n && n->hasFn(type);
}

MMatrix MDagPath::inclusiveMatrix(MStatus* status) const {
    Node* n = last(obj_, status);
    return n ? host::scene::toMMatrix(worldOf(n)) : MMatrix();
}

MMatrix MDagPath::exclusiveMatrix(MStatus* status) const {
    Node* n = last(obj_, status);
    return n && n->parent ? host::scene::toMMatrix(worldOf(n->parent)) : MMatrix();
}

MMatrix MDagPath::inclusiveMatrixInverse(MStatus* status) const { return inclusiveMatrix(status).inverse(); }
MMatrix MDagPath::exclusiveMatrixInverse(MStatus* status) const { return exclusiveMatrix(status).inverse(); }

MString MDagPath::fullPathName(MStatus* status) const {
    Node* n = last(obj_, status);
    return n ? MString(n->fullPath()) : MString();
}

MString MDagPath::partialPathName(MStatus* status) const {
    Node* n = last(obj_, status);
    return n ? MString(n->partialPath()) : MString();
}

bool MDagPath::isVisible(MStatus* status) const {
    Node* n = last(obj_, status);
    for (; n && !n->isWorld(); n = n->parent) {
        if (n->attribute("visibility") && scene().getDouble(n->plug("visibility")) == 0.0) return false;
        if (intermediate(n)) return false;
    }
    return true;
}
