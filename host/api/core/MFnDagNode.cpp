#include <maya/MBoundingBox.h>
#include <maya/MDagPath.h>
#include <maya/MDagPathArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MMatrix.h>

#include "api/core/core_util.h"
#include "scene/core/eval.h"

using namespace host::api;
using host::scene::scene;

namespace {
Node* dag(const MObject& o, MStatus* status) {
    Node* n = nodeOf(o);
    bool ok = n && n->isDag();
    setStatus(status, ok);
    return ok ? n : nullptr;
}
}  // namespace

MFnDagNode::MFnDagNode(const MObject& node, MStatus* status) {
    MStatus st = setObject(node);
    if (status) *status = st;
}

MFnDagNode::MFnDagNode(const MDagPath& path, MStatus* status) {
    MStatus st = setObject(path);
    if (status) *status = st;
}

MStatus MFnDagNode::setObject(const MObject& o) {
    if (!dag(o, nullptr)) {
        obj_ = MObject();
        return MStatus::kInvalidParameter;
    }
    obj_ = o;
    return MStatus::kSuccess;
}

MStatus MFnDagNode::setObject(const MDagPath& path) { return setObject(path.node()); }

MObject MFnDagNode::create(const MString& type, const MObject& parent, MStatus* status) {
    return create(type, MString(), parent, status);
}

MObject MFnDagNode::create(const MString& type, const MString& name, const MObject& parent, MStatus* status) {
    Node* p = parent.isNull() ? nullptr : dag(parent, nullptr);
    if (!parent.isNull() && !p) {
        setStatus(status, false);
        return MObject();
    }
    std::string error;
    Node* n = scene().createNode(type.str(), name.str(), p, &error);
    if (!n || !n->isDag()) {
        setStatus(status, false);
        return MObject();
    }
    // A shape created without a parent comes with a new transform, which is returned.
    Node* result = (!p && n->type->isShape && n->parent) ? n->parent : n;
    obj_ = objectOf(n);
    setStatus(status, true);
    return objectOf(result);
}

MObject MFnDagNode::create(const MTypeId& typeId, const MObject& parent, MStatus* status) {
    return create(typeId, MString(), parent, status);
}

MObject MFnDagNode::create(const MTypeId& typeId, const MString& name, const MObject& parent, MStatus* status) {
    host::scene::NodeType* t = scene().findType(typeId.id());
    if (!t) {
        setStatus(status, false);
        return MObject();
    }
    return create(MString(t->name), name, parent, status);
}

unsigned int MFnDagNode::parentCount(MStatus* status) const {
    Node* n = dag(obj_, status);
    return n ? 1u : 0u;
}

MObject MFnDagNode::parent(unsigned int i, MStatus* status) const {
    Node* n = dag(obj_, status);
    if (!n || i != 0) {
        setStatus(status, false);
        return MObject();
    }
    return objectOf(n->dagParent());
}

unsigned int MFnDagNode::childCount(MStatus* status) const {
    Node* n = dag(obj_, status);
    return n ? static_cast<unsigned int>(n->dagChildren().size()) : 0u;
}

MObject MFnDagNode::child(unsigned int i, MStatus* status) const {
    Node* n = dag(obj_, status);
    if (!n) return MObject();
    auto kids = n->dagChildren();
    if (i >= kids.size()) {
        setStatus(status, false);
        return MObject();
    }
    return objectOf(kids[i]);
}

MObject MFnDagNode::dagRoot(MStatus* status) {
    Node* n = dag(obj_, status);
    if (!n) return MObject();
    while (n->parent) n = n->parent;
    return objectOf(n);
}

bool MFnDagNode::hasParent(const MObject& node, MStatus* status) const {
    Node* n = dag(obj_, status);
    Node* p = nodeOf(node);
    return n && p && n->dagParent() == p;
}

bool MFnDagNode::hasChild(const MObject& node, MStatus* status) const {
    Node* n = dag(obj_, status);
    Node* c = nodeOf(node);
    return n && c && c->dagParent() == n;
}

bool MFnDagNode::isChildOf(const MObject& node, MStatus* status) const { return hasParent(node, status); }
bool MFnDagNode::isParentOf(const MObject& node, MStatus* status) const { return hasChild(node, status); }

MStatus MFnDagNode::addChild(MObject& child, unsigned int index, bool) {
    Node* n = dag(obj_, nullptr);
    Node* c = dag(child, nullptr);
    if (!n || !c) return MStatus::kInvalidParameter;
    std::string error;
    return scene().reparent(c, n->isWorld() ? nullptr : n, false, &error, index == kNextPos ? -1 : static_cast<int>(index));
}

MStatus MFnDagNode::removeChild(MObject& child) {
    Node* n = dag(obj_, nullptr);
    Node* c = dag(child, nullptr);
    if (!n || !c || c->parent != n) return MStatus::kInvalidParameter;
    std::string error;
    return scene().reparent(c, nullptr, false, &error);
}

MStatus MFnDagNode::removeChildAt(unsigned int index) {
    MObject c = child(index);
    return c.isNull() ? MStatus(MStatus::kInvalidParameter) : removeChild(c);
}

MStatus MFnDagNode::getPath(MDagPath& path) const {
    Node* n = dag(obj_, nullptr);
    if (!n) return MStatus::kFailure;
    path = MDagPath(obj_);
    return MStatus::kSuccess;
}

MStatus MFnDagNode::getAllPaths(MDagPathArray& paths) const {
    paths.clear();
    MDagPath p;
    MStatus st = getPath(p);
    if (st) paths.append(p);
    return st;
}

MDagPath MFnDagNode::dagPath(MStatus* status) const {
    MDagPath p;
    MStatus st = getPath(p);
    if (status) *status = st;
    return p;
}

MString MFnDagNode::fullPathName(MStatus* status) const {
    Node* n = dag(obj_, status);
    return n ? MString(n->fullPath()) : MString();
}

MString MFnDagNode::partialPathName(MStatus* status) const {
    Node* n = dag(obj_, status);
    return n ? MString(n->partialPath()) : MString();
}

bool MFnDagNode::isInstanced(bool, MStatus* status) const {
    dag(obj_, status);
    return false;
}

unsigned int MFnDagNode::instanceCount(bool, MStatus* status) const {
    Node* n = dag(obj_, status);
    return n ? 1u : 0u;
}

bool MFnDagNode::isIntermediateObject(MStatus* status) const {
    Node* n = dag(obj_, status);
    if (!n || !n->attribute("intermediateObject")) return false;
    return scene().getDouble(n->plug("intermediateObject")) != 0.0;
}

MStatus MFnDagNode::setIntermediateObject(bool on) {
    Node* n = dag(obj_, nullptr);
    if (!n || !n->attribute("intermediateObject")) return MStatus::kFailure;
    std::string error;
    return scene().setDouble(n->plug("intermediateObject"), on ? 1.0 : 0.0, &error);
}

MMatrix MFnDagNode::transformationMatrix(MStatus* status) const {
    Node* n = dag(obj_, status);
    if (!n) return MMatrix();
    return host::scene::toMMatrix(host::scene::localMatrix(*n));
}

MBoundingBox MFnDagNode::boundingBox(MStatus* status) const {
    dag(obj_, status);
    return MBoundingBox();
}
