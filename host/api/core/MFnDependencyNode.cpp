#include <maya/MFnDependencyNode.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>

#include "api/core/core_util.h"

#include <set>

using namespace host::api;
using host::scene::scene;

MFnDependencyNode::MFnDependencyNode(const MObject& node, MStatus* status) {
    MStatus st = setObject(node);
    if (status) *status = st;
}

namespace {
Node* self(const MObject& o, MStatus* status) {
    Node* n = nodeOf(o);
    setStatus(status, n != nullptr);
    return n;
}

MObject createNamed(MObject& obj, const std::string& type, const std::string& name, MStatus* status) {
    std::string error;
    Node* n = scene().createNode(type, name, nullptr, &error);
    setStatus(status, n != nullptr);
    if (!n) return MObject();
    obj = objectOf(n);
    return obj;
}
}  // namespace

MObject MFnDependencyNode::create(const MString& type, MStatus* status) { return create(type, MString(), status); }
MObject MFnDependencyNode::create(const MString& type, const MString& name, MStatus* status) {
    return createNamed(obj_, type.str(), name.str(), status);
}
MObject MFnDependencyNode::create(const MTypeId& typeId, MStatus* status) { return create(typeId, MString(), status); }
MObject MFnDependencyNode::create(const MTypeId& typeId, const MString& name, MStatus* status) {
    host::scene::NodeType* t = scene().findType(typeId.id());
    if (!t) {
        setStatus(status, false);
        return MObject();
    }
    return createNamed(obj_, t->name, name.str(), status);
}

MString MFnDependencyNode::name(MStatus* status) const {
    Node* n = self(obj_, status);
    return n ? MString(n->name) : MString();
}

MString MFnDependencyNode::setName(const MString& name, bool, MStatus* status) {
    Node* n = self(obj_, status);
    if (!n) return MString();
    std::string error;
    MStatus st = scene().rename(n, name.str(), &error);
    if (status) *status = st;
    return MString(n->name);
}

MString MFnDependencyNode::typeName(MStatus* status) const {
    Node* n = self(obj_, status);
    return n ? MString(n->typeName()) : MString();
}

MTypeId MFnDependencyNode::typeId(MStatus* status) const {
    Node* n = self(obj_, status);
    return n ? MTypeId(n->type->id) : MTypeId();
}

MString MFnDependencyNode::pluginName(MStatus* status) const {
    Node* n = self(obj_, status);
    return n ? MString(n->type->pluginName) : MString();
}

bool MFnDependencyNode::isShared(MStatus* status) const {
    Node* n = self(obj_, status);
    return n && n->isShared;
}
bool MFnDependencyNode::isDefaultNode(MStatus* status) const {
    Node* n = self(obj_, status);
    return n && n->isDefault;
}
bool MFnDependencyNode::isFromReferencedFile(MStatus* status) const {
    self(obj_, status);
    return false;
}
bool MFnDependencyNode::isLocked(MStatus* status) const {
    Node* n = self(obj_, status);
    return n && n->locked;
}
MStatus MFnDependencyNode::setLocked(bool locked) {
    Node* n = nodeOf(obj_);
    if (!n) return MStatus::kFailure;
    n->locked = locked;
    return MStatus::kSuccess;
}
bool MFnDependencyNode::canBeWritten(MStatus* status) const {
    Node* n = self(obj_, status);
    return n && !n->isDefault;
}
MPxNode* MFnDependencyNode::userNode(MStatus* status) const {
    Node* n = self(obj_, status);
    return n ? n->user.get() : nullptr;
}

unsigned int MFnDependencyNode::attributeCount(MStatus* status) const {
    Node* n = self(obj_, status);
    return n ? static_cast<unsigned int>(n->attributeCount()) : 0u;
}

MObject MFnDependencyNode::attribute(unsigned int index, MStatus* status) const {
    Node* n = self(obj_, status);
    if (!n || index >= n->attributeCount()) {
        setStatus(status, false);
        return MObject();
    }
    return objectOf(n->attributeAt(index));
}

MObject MFnDependencyNode::attribute(const MString& name, MStatus* status) const {
    Node* n = self(obj_, status);
    host::scene::Attribute* a = n ? n->attribute(name.str()) : nullptr;
    if (!a) {
        if (status) *status = MStatus::kInvalidParameter;
        return MObject();
    }
    return objectOf(a);
}

bool MFnDependencyNode::hasAttribute(const MString& name, MStatus* status) const {
    Node* n = self(obj_, status);
    return n && n->attribute(name.str()) != nullptr;
}

MFnDependencyNode::MAttrClass MFnDependencyNode::attributeClass(const MObject& attr, MStatus* status) const {
    host::scene::Attribute* a = attrOf(attr);
    setStatus(status, a != nullptr);
    if (!a) return kInvalidAttr;
    return a->dynamic ? kLocalDynamicAttr : kNormalAttr;
}

MStatus MFnDependencyNode::addAttribute(const MObject& attr) {
    Node* n = nodeOf(obj_);
    auto a = std::dynamic_pointer_cast<host::scene::Attribute>(attr.object());
    if (!n || !a) return MStatus::kInvalidParameter;
    return n->addAttribute(a);
}

MStatus MFnDependencyNode::removeAttribute(const MObject& attr) {
    Node* n = nodeOf(obj_);
    host::scene::Attribute* a = attrOf(attr);
    if (!n || !a) return MStatus::kInvalidParameter;
    return n->removeAttribute(a);
}

MPlug MFnDependencyNode::findPlug(const MString& name, bool, MStatus* status) const { return findPlug(name, status); }

MPlug MFnDependencyNode::findPlug(const MString& name, MStatus* status) const {
    Node* n = self(obj_, status);
    if (!n) return MPlug();
    host::scene::Plug p;
    std::string error;
    if (!scene().parseAttrPath(n, name.str(), p, &error)) {
        if (status) *status = MStatus::kInvalidParameter;
        return MPlug();
    }
    return MPlug(p);
}

MPlug MFnDependencyNode::findPlug(const MObject& attr, bool, MStatus* status) const { return findPlug(attr, status); }

MPlug MFnDependencyNode::findPlug(const MObject& attr, MStatus* status) const {
    Node* n = self(obj_, status);
    host::scene::Attribute* a = attrOf(attr);
    if (!n || !a) {
        setStatus(status, false);
        return MPlug();
    }
    host::scene::Plug p = n->plug(a);
    setStatus(status, !p.isNull());
    return p.isNull() ? MPlug() : MPlug(p);
}

MStatus MFnDependencyNode::getConnections(MPlugArray& plugs) const {
    plugs.clear();
    Node* n = nodeOf(obj_);
    if (!n) return MStatus::kFailure;
    std::set<host::scene::PlugPath> seen;
    auto add = [&](const host::scene::PlugPath& path) {
        if (!seen.insert(path).second) return;
        host::scene::Plug p;
        p.node = n;
        p.path = path;
        plugs.append(MPlug(p));
    };
    for (const auto& in : n->inputs) add(in.first);
    for (const auto& out : n->outputs) add(out.first);
    return MStatus::kSuccess;
}

MString MFnDependencyNode::classification(const MString&) { return MString(); }
