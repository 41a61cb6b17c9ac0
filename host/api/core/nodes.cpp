// Function sets of dependency and DAG nodes, and DAG paths.
#include <maya/MDagPath.h>
#include <maya/MDagPathArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MPxNode.h>

#include "scene/core/eval.h"
#include "scene/core/scene.h"

using namespace host::scene;

namespace {
Node* nodeOf(const MObject& o) {
    auto n = std::dynamic_pointer_cast<Node>(o.object());
    return n && !n->deleted ? n.get() : nullptr;
}
MObject objOf(Node* n) { return n ? MObject(scene().ptr(n)) : MObject(); }
template <typename T>
T ret(MStatus* st, bool ok, T v) {
    if (st) *st = ok ? MStatus::kSuccess : MStatus::kFailure;
    return v;
}
}  // namespace

// ---------------------------------------------------------------- MFnDependencyNode

MFnDependencyNode::MFnDependencyNode(const MObject& node, MStatus* st) {
    MStatus s = setObject(node);
    if (st) *st = s;
}
MObject MFnDependencyNode::create(const MString& type, MStatus* st) { return create(type, MString(), st); }
MObject MFnDependencyNode::create(const MString& type, const MString& name, MStatus* st) {
    std::string err;
    Node* n = scene().createNode(type.str(), name.str(), nullptr, &err);
    if (!n) return ret(st, false, MObject());
    obj_ = objOf(n);
    return ret(st, true, obj_);
}
MObject MFnDependencyNode::create(const MTypeId& id, MStatus* st) { return create(id, MString(), st); }
MObject MFnDependencyNode::create(const MTypeId& id, const MString& name, MStatus* st) {
    NodeType* t = scene().findType(id.id());
    if (!t) return ret(st, false, MObject());
    return create(MString(t->name), name, st);
}
MString MFnDependencyNode::name(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? MString(n->name) : MString()); }
MString MFnDependencyNode::setName(const MString& name, bool, MStatus* st) {
    Node* n = nodeOf(obj_);
    if (!n || scene().rename(n, name.str()).error()) return ret(st, false, n ? MString(n->name) : MString());
    return ret(st, true, MString(n->name));
}
MString MFnDependencyNode::typeName(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? MString(n->typeName()) : MString()); }
MTypeId MFnDependencyNode::typeId(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? MTypeId(n->type->id) : MTypeId()); }
MString MFnDependencyNode::pluginName(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? MString(n->type->pluginName) : MString()); }
bool MFnDependencyNode::isDefaultNode(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n && n->isDefault); }
bool MFnDependencyNode::isLocked(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n && n->locked); }
MStatus MFnDependencyNode::setLocked(bool on) { Node* n = nodeOf(obj_); if (!n) return MStatus::kFailure; n->locked = on; return MStatus::kSuccess; }
MPxNode* MFnDependencyNode::userNode(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n && n->user, n ? n->user.get() : nullptr); }
unsigned int MFnDependencyNode::attributeCount(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? static_cast<unsigned>(n->attributeCount()) : 0u); }
MObject MFnDependencyNode::attribute(unsigned int i, MStatus* st) const {
    Node* n = nodeOf(obj_);
    Attribute* a = n ? n->attributeAt(i) : nullptr;
    return ret(st, a != nullptr, a ? MObject(a->shared_from_this()) : MObject());
}
MObject MFnDependencyNode::attribute(const MString& name, MStatus* st) const {
    Node* n = nodeOf(obj_);
    Attribute* a = n ? n->attribute(name.str()) : nullptr;
    return ret(st, a != nullptr, a ? MObject(a->shared_from_this()) : MObject());
}
bool MFnDependencyNode::hasAttribute(const MString& name, MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n && n->attribute(name.str())); }
MStatus MFnDependencyNode::addAttribute(const MObject& attr) {
    Node* n = nodeOf(obj_);
    auto a = std::dynamic_pointer_cast<Attribute>(attr.object());
    if (!n || !a) return MStatus::kInvalidParameter;
    MStatus s = n->addAttribute(a);
    scene().touch();
    return s;
}
MStatus MFnDependencyNode::removeAttribute(const MObject& attr) {
    Node* n = nodeOf(obj_);
    auto a = std::dynamic_pointer_cast<Attribute>(attr.object());
    if (!n || !a) return MStatus::kInvalidParameter;
    return n->removeAttribute(a.get());
}
MPlug MFnDependencyNode::findPlug(const MString& name, bool, MStatus* st) const { return findPlug(name, st); }
MPlug MFnDependencyNode::findPlug(const MString& name, MStatus* st) const {
    Node* n = nodeOf(obj_);
    Plug p;
    if (!n || !scene().parseAttrPath(n, name.str(), p)) return ret(st, false, MPlug());
    return ret(st, true, MPlug(p));
}
MPlug MFnDependencyNode::findPlug(const MObject& attr, bool, MStatus* st) const { return findPlug(attr, st); }
MPlug MFnDependencyNode::findPlug(const MObject& attr, MStatus* st) const {
    MPlug p(obj_, attr);
    return ret(st, !p.isNull(), p);
}
MStatus MFnDependencyNode::getConnections(MPlugArray& plugs) const {
    plugs.clear();
    Node* n = nodeOf(obj_);
    if (!n) return MStatus::kFailure;
    std::vector<Plug> seen;
    auto addp = [&](const PlugPath& path) {
        Plug p{n, path};
        if (std::find(seen.begin(), seen.end(), p) != seen.end()) return;
        seen.push_back(p);
        plugs.append(MPlug(p));
    };
    for (const auto& in : n->inputs) addp(in.first);
    for (const auto& o : n->outputs) addp(o.first);
    return plugs.length() ? MStatus::kSuccess : MStatus::kFailure;
}

// ---------------------------------------------------------------- MDagPath

MStatus MDagPath::getAPathTo(const MObject& node, MDagPath& path) {
    Node* n = nodeOf(node);
    if (!n || !n->isDag()) return MStatus::kFailure;
    path = MDagPath(node);
    return MStatus::kSuccess;
}
MStatus MDagPath::getAllPathsTo(const MObject& node, MDagPathArray& paths) {
    paths.clear();
    MDagPath p;
    MStatus s = getAPathTo(node, p);
    if (!s.error()) paths.append(p);
    return s;
}
bool MDagPath::isValid(MStatus*) const { Node* n = nodeOf(obj_); return n && n->isDag(); }
MObject MDagPath::node(MStatus* st) const { return ret(st, isValid(), isValid() ? obj_ : MObject()); }
MObject MDagPath::transform(MStatus* st) const {
    Node* n = nodeOf(obj_);
    while (n && !n->isWorld() && !n->type->isTransform) n = n->parent;
    if (!n || n->isWorld()) return ret(st, false, MObject());
    return ret(st, true, objOf(n));
}
unsigned int MDagPath::length(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? static_cast<unsigned>(n->depth()) : 0u); }
unsigned int MDagPath::childCount(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? static_cast<unsigned>(n->children.size()) : 0u); }
MObject MDagPath::child(unsigned int i, MStatus* st) const {
    Node* n = nodeOf(obj_);
    bool ok = n && i < n->children.size();
    return ret(st, ok, ok ? objOf(n->children[i]) : MObject());
}
MStatus MDagPath::push(const MObject& child) {
    Node* n = nodeOf(obj_);
    Node* c = nodeOf(child);
    if (!n || !c || c->dagParent() != n) return MStatus::kInvalidParameter;
    obj_ = child;
    return MStatus::kSuccess;
}
MStatus MDagPath::pop(unsigned int levels) {
    Node* n = nodeOf(obj_);
    for (unsigned i = 0; i < levels; ++i) {
        if (!n || n->isWorld()) return MStatus::kInvalidParameter;
        n = n->dagParent();
    }
    obj_ = objOf(n);
    return MStatus::kSuccess;
}
MStatus MDagPath::numberOfShapesDirectlyBelow(unsigned int& num) const {
    num = 0;
    Node* n = nodeOf(obj_);
    if (!n) return MStatus::kFailure;
    for (Node* c : n->children) if (c->type->isShape) ++num;
    return MStatus::kSuccess;
}
MStatus MDagPath::extendToShapeDirectlyBelow(unsigned int index) {
    Node* n = nodeOf(obj_);
    if (!n) return MStatus::kFailure;
    unsigned k = 0;
    for (Node* c : n->children)
        if (c->type->isShape && k++ == index) { obj_ = objOf(c); return MStatus::kSuccess; }
    return MStatus::kFailure;
}
MStatus MDagPath::extendToShape() {
    Node* n = nodeOf(obj_);
    if (!n) return MStatus::kFailure;
    if (n->type->isShape) return MStatus::kSuccess;
    Node* found = nullptr;
    int count = 0;
    for (Node* c : n->children)
        if (c->type->isShape && !scene().getDouble(c->plug("intermediateObject"))) { found = c; ++count; }
    if (count != 1) return MStatus::kFailure;
    obj_ = objOf(found);
    return MStatus::kSuccess;
}
unsigned int MDagPath::instanceNumber(MStatus* st) const { return ret(st, isValid(), 0u); }
bool MDagPath::isInstanced(MStatus* st) const { return ret(st, isValid(), false); }
MFn::Type MDagPath::apiType(MStatus* st) const { return ret(st, isValid(), obj_.apiType()); }
bool MDagPath::hasFn(MFn::Type t, MStatus* st) const { return ret(st, isValid(), obj_.hasFn(t)); }
static Matrix4 worldOf(Node* n) {
    if (!n || n->isWorld()) return Matrix4();
    return scene().getMatrix(n->plug("worldMatrix").element(0));
}
MMatrix MDagPath::inclusiveMatrix(MStatus* st) const { return ret(st, isValid(), toMMatrix(worldOf(nodeOf(obj_)))); }
MMatrix MDagPath::exclusiveMatrix(MStatus* st) const {
    Node* n = nodeOf(obj_);
    return ret(st, isValid(), toMMatrix(worldOf(n ? n->parent : nullptr)));
}
MMatrix MDagPath::inclusiveMatrixInverse(MStatus* st) const { return ret(st, isValid(), toMMatrix(worldOf(nodeOf(obj_)).inverse())); }
MMatrix MDagPath::exclusiveMatrixInverse(MStatus* st) const {
    Node* n = nodeOf(obj_);
    return ret(st, isValid(), toMMatrix(worldOf(n ? n->parent : nullptr).inverse()));
}
MString MDagPath::fullPathName(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, isValid(), n ? MString(n->fullPath()) : MString()); }
MString MDagPath::partialPathName(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, isValid(), n ? MString(n->partialPath()) : MString()); }
bool MDagPath::isVisible(MStatus* st) const {
    for (Node* n = nodeOf(obj_); n && !n->isWorld(); n = n->parent)
        if (scene().getDouble(n->plug("visibility")) == 0 || scene().getDouble(n->plug("intermediateObject")) != 0)
            return ret(st, true, false);
    return ret(st, isValid(), isValid());
}

// ---------------------------------------------------------------- MFnDagNode

MFnDagNode::MFnDagNode(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; }
MFnDagNode::MFnDagNode(const MDagPath& path, MStatus* st) { MStatus s = setObject(path); if (st) *st = s; }
MStatus MFnDagNode::setObject(const MObject& o) { return MFnBase::setObject(o); }
MStatus MFnDagNode::setObject(const MDagPath& p) { return MFnBase::setObject(p.node()); }
MObject MFnDagNode::create(const MString& type, const MObject& parent, MStatus* st) { return create(type, MString(), parent, st); }
MObject MFnDagNode::create(const MString& type, const MString& name, const MObject& parent, MStatus* st) {
    Node* p = nodeOf(parent);
    if (!parent.isNull() && !p) return ret(st, false, MObject());
    Node* n = scene().createNode(type.str(), name.str(), p);
    if (!n || !n->isDag()) return ret(st, false, MObject());
    obj_ = objOf(n);
    // A shape created without a parent: the new transform is what the host returns.
    if (!p && n->type->isShape) return ret(st, true, objOf(n->parent));
    return ret(st, true, obj_);
}
MObject MFnDagNode::create(const MTypeId& id, const MObject& parent, MStatus* st) { return create(id, MString(), parent, st); }
MObject MFnDagNode::create(const MTypeId& id, const MString& name, const MObject& parent, MStatus* st) {
    NodeType* t = scene().findType(id.id());
    if (!t) return ret(st, false, MObject());
    return create(MString(t->name), name, parent, st);
}
unsigned int MFnDagNode::parentCount(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n && n->isDag() ? 1u : 0u); }
MObject MFnDagNode::parent(unsigned int i, MStatus* st) const {
    Node* n = nodeOf(obj_);
    bool ok = n && i == 0 && n->dagParent();
    return ret(st, ok, ok ? objOf(n->dagParent()) : MObject());
}
unsigned int MFnDagNode::childCount(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? static_cast<unsigned>(n->children.size()) : 0u); }
MObject MFnDagNode::child(unsigned int i, MStatus* st) const {
    Node* n = nodeOf(obj_);
    bool ok = n && i < n->children.size();
    return ret(st, ok, ok ? objOf(n->children[i]) : MObject());
}
bool MFnDagNode::hasParent(const MObject& o, MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n && n->dagParent() == nodeOf(o)); }
bool MFnDagNode::hasChild(const MObject& o, MStatus* st) const {
    Node* n = nodeOf(obj_);
    Node* c = nodeOf(o);
    return ret(st, n != nullptr, n && c && c->dagParent() == n);
}
bool MFnDagNode::isChildOf(const MObject& o, MStatus* st) const { return hasParent(o, st); }
bool MFnDagNode::isParentOf(const MObject& o, MStatus* st) const { return hasChild(o, st); }
MStatus MFnDagNode::addChild(MObject& child, unsigned int index, bool) {
    Node* n = nodeOf(obj_);
    Node* c = nodeOf(child);
    if (!n || !c) return MStatus::kInvalidParameter;
    return scene().reparent(c, n, false, nullptr, index == kNextPos ? -1 : static_cast<int>(index));
}
MStatus MFnDagNode::removeChild(MObject& child) {
    Node* c = nodeOf(child);
    if (!c || c->dagParent() != nodeOf(obj_)) return MStatus::kInvalidParameter;
    return scene().reparent(c, nullptr);
}
MStatus MFnDagNode::getPath(MDagPath& path) const { return MDagPath::getAPathTo(obj_, path); }
MStatus MFnDagNode::getAllPaths(MDagPathArray& paths) const { return MDagPath::getAllPathsTo(obj_, paths); }
MDagPath MFnDagNode::dagPath(MStatus* st) const { MDagPath p; MStatus s = getPath(p); if (st) *st = s; return p; }
MString MFnDagNode::fullPathName(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? MString(n->fullPath()) : MString()); }
MString MFnDagNode::partialPathName(MStatus* st) const { Node* n = nodeOf(obj_); return ret(st, n != nullptr, n ? MString(n->partialPath()) : MString()); }
bool MFnDagNode::isInstanced(bool, MStatus* st) const { return ret(st, true, false); }
unsigned int MFnDagNode::instanceCount(bool, MStatus* st) const { return ret(st, true, 1u); }
bool MFnDagNode::isIntermediateObject(MStatus* st) const {
    Node* n = nodeOf(obj_);
    return ret(st, n != nullptr, n && scene().getDouble(n->plug("intermediateObject")) != 0);
}
MStatus MFnDagNode::setIntermediateObject(bool on) {
    Node* n = nodeOf(obj_);
    return n ? scene().setDouble(n->plug("intermediateObject"), on ? 1 : 0) : MStatus(MStatus::kFailure);
}
MMatrix MFnDagNode::transformationMatrix(MStatus* st) const {
    Node* n = nodeOf(obj_);
    return ret(st, n != nullptr, toMMatrix(n ? localMatrix(*n) : Matrix4()));
}
