// DG and DAG modifiers: edits are checked when queued, performed in order by
// doIt (which stops at the first failure) and reverted newest first by undoIt.
//
// Limits of the stand-in: the scene cannot bring a deleted node back, so the
// undo of deleteNode fails (kNotImplemented) and a node creation that was
// undone cannot be redone; commands queued with commandToExecute are not
// undone (the host keeps no MEL undo queue).
#include <maya/MDGModifier.h>
#include <maya/MDagModifier.h>
#include <maya/MFnAttribute.h>
#include <maya/MGlobal.h>

#include "api/select/select_util.h"
#include "scene/core/scene.h"

#include <algorithm>
#include <memory>

using host::api::nodeOf;
using host::api::nodePtrOf;
using host::api::objectOf;
using host::scene::Attribute;
using host::scene::Node;
using host::scene::NodePtr;
using host::scene::Plug;
using host::scene::Scene;
using host::scene::Value;

namespace {

Scene& sc() { return host::scene::scene(); }

MObject failed(MStatus* st, MStatus code) {
    if (st) *st = code;
    return MObject();
}

bool alive(const NodePtr& n) { return n && !n->deleted; }

// Undo of a creation: the node and, for a shape, the transform made for it.
MStatus removeCreated(const NodePtr& n, const NodePtr& madeParent) {
    if (!alive(n)) return MStatus::kSuccess;
    MStatus st = sc().deleteNode(n.get());
    if (!st.error() && alive(madeParent)) st = sc().deleteNode(madeParent.get());
    return st;
}

Plug plugOf(const MPlug& p) { return p.plug(); }

}  // namespace

MDGModifier::MDGModifier() = default;
MDGModifier::~MDGModifier() = default;

MObject MDGModifier::createNode(const MString& type, MStatus* st) {
    host::scene::NodeType* t = sc().findType(type.str());
    if (!t) return failed(st, MStatus::kInvalidParameter);
    // DAG nodes go through MDagModifier, which knows their parent.
    if (t->isDag) return failed(st, MStatus::kInvalidParameter);
    Node* raw = sc().createNode(type.str());
    if (!raw) return failed(st, MStatus::kFailure);
    NodePtr n = sc().ptr(raw);
    ops_.push_back(Op{[n]() -> MStatus { return alive(n) ? MStatus::kSuccess : MStatus::kFailure; },
                      [n]() { return removeCreated(n, nullptr); }});
    if (st) *st = MStatus::kSuccess;
    return objectOf(raw);
}

MObject MDGModifier::createNode(const MTypeId& id, MStatus* st) {
    host::scene::NodeType* t = sc().findType(id.id());
    if (!t) return failed(st, MStatus::kInvalidParameter);
    return createNode(MString(t->name), st);
}

MStatus MDGModifier::deleteNode(const MObject& node) {
    NodePtr n = nodePtrOf(node);
    if (!n || n->isWorld()) return MStatus::kInvalidParameter;
    ops_.push_back(Op{[n]() -> MStatus {
                          if (!alive(n)) return MStatus::kSuccess;
                          return sc().deleteNode(n.get());
                      },
                      []() -> MStatus { return MStatus::kNotImplemented; }});
    return MStatus::kSuccess;
}

MStatus MDGModifier::renameNode(const MObject& node, const MString& newName) {
    NodePtr n = nodePtrOf(node);
    if (!n || n->isWorld() || newName.length() == 0) return MStatus::kInvalidParameter;
    auto old = std::make_shared<std::string>();
    std::string want = newName.str();
    ops_.push_back(Op{[n, old, want]() -> MStatus {
                          if (!alive(n)) return MStatus::kFailure;
                          *old = n->name;
                          return sc().rename(n.get(), want);
                      },
                      [n, old]() -> MStatus {
                          if (!alive(n)) return MStatus::kFailure;
                          return sc().rename(n.get(), *old);
                      }});
    return MStatus::kSuccess;
}

MStatus MDGModifier::connect(const MObject& srcNode, const MObject& srcAttr, const MObject& dstNode,
                             const MObject& dstAttr) {
    return connect(MPlug(srcNode, srcAttr), MPlug(dstNode, dstAttr));
}

MStatus MDGModifier::connect(const MPlug& source, const MPlug& dest) {
    Plug src = plugOf(source), dst = plugOf(dest);
    if (src.isNull() || dst.isNull()) return MStatus::kInvalidParameter;
    NodePtr keepSrc = sc().ptr(src.node), keepDst = sc().ptr(dst.node);
    ops_.push_back(Op{[src, dst, keepSrc, keepDst]() -> MStatus {
                          if (!alive(keepSrc) || !alive(keepDst)) return MStatus::kFailure;
                          return sc().connect(src, dst);
                      },
                      [src, dst, keepSrc, keepDst]() -> MStatus {
                          if (!alive(keepSrc) || !alive(keepDst)) return MStatus::kSuccess;
                          return sc().disconnect(src, dst);
                      }});
    return MStatus::kSuccess;
}

MStatus MDGModifier::disconnect(const MObject& srcNode, const MObject& srcAttr, const MObject& dstNode,
                                const MObject& dstAttr) {
    return disconnect(MPlug(srcNode, srcAttr), MPlug(dstNode, dstAttr));
}

MStatus MDGModifier::disconnect(const MPlug& source, const MPlug& dest) {
    Plug src = plugOf(source), dst = plugOf(dest);
    if (src.isNull() || dst.isNull()) return MStatus::kInvalidParameter;
    NodePtr keepSrc = sc().ptr(src.node), keepDst = sc().ptr(dst.node);
    ops_.push_back(Op{[src, dst, keepSrc, keepDst]() -> MStatus {
                          if (!alive(keepSrc) || !alive(keepDst)) return MStatus::kFailure;
                          return sc().disconnect(src, dst);
                      },
                      [src, dst, keepSrc, keepDst]() -> MStatus {
                          if (!alive(keepSrc) || !alive(keepDst)) return MStatus::kFailure;
                          return sc().connect(src, dst);
                      }});
    return MStatus::kSuccess;
}

MStatus MDGModifier::addAttribute(const MObject& node, const MObject& attribute) {
    NodePtr n = nodePtrOf(node);
    auto a = std::dynamic_pointer_cast<Attribute>(attribute.object());
    if (!n || !a) return MStatus::kInvalidParameter;
    ops_.push_back(Op{[n, a]() -> MStatus {
                          if (!alive(n)) return MStatus::kFailure;
                          MStatus st = n->addAttribute(a);
                          sc().touch();
                          return st;
                      },
                      [n, a]() -> MStatus {
                          if (!alive(n)) return MStatus::kFailure;
                          MStatus st = n->removeAttribute(a.get());
                          sc().touch();
                          return st;
                      }});
    return MStatus::kSuccess;
}

MStatus MDGModifier::removeAttribute(const MObject& node, const MObject& attribute) {
    NodePtr n = nodePtrOf(node);
    auto a = std::dynamic_pointer_cast<Attribute>(attribute.object());
    if (!n || !a) return MStatus::kInvalidParameter;
    ops_.push_back(Op{[n, a]() -> MStatus {
                          if (!alive(n)) return MStatus::kFailure;
                          MStatus st = n->removeAttribute(a.get());
                          sc().touch();
                          return st;
                      },
                      [n, a]() -> MStatus {
                          // The attribute comes back with its default value.
                          if (!alive(n)) return MStatus::kFailure;
                          MStatus st = n->addAttribute(a);
                          sc().touch();
                          return st;
                      }});
    return MStatus::kSuccess;
}

namespace {

// Queues a plug value change that remembers the value it replaced.
using OpFns = std::pair<std::function<MStatus()>, std::function<MStatus()>>;
OpFns valueOp(const Plug& p, Value v) {
    NodePtr keep = sc().ptr(p.node);
    auto old = std::make_shared<Value>();
    auto had = std::make_shared<bool>(false);
    return OpFns{[p, v, keep, old, had]() -> MStatus {
                               if (!alive(keep)) return MStatus::kFailure;
                               *old = sc().get(p);
                               *had = true;
                               return sc().set(p, v);
                           },
                           [p, keep, old, had]() -> MStatus {
                               if (!alive(keep) || !*had) return MStatus::kFailure;
                               return sc().set(p, *old);
                           }};
}

}  // namespace

MStatus MDGModifier::newPlugValueDouble(const MPlug& plug, double value) {
    Plug p = plugOf(plug);
    if (p.isNull() || !p.isFullyIndexed()) return MStatus::kInvalidParameter;
    auto [doFn, undoFn] = valueOp(p, Value(value));
    ops_.push_back(Op{doFn, undoFn});
    return MStatus::kSuccess;
}

MStatus MDGModifier::newPlugValueFloat(const MPlug& plug, float value) {
    return newPlugValueDouble(plug, static_cast<double>(value));
}

MStatus MDGModifier::newPlugValueInt(const MPlug& plug, int value) {
    return newPlugValueDouble(plug, static_cast<double>(value));
}

MStatus MDGModifier::newPlugValueBool(const MPlug& plug, bool value) { return newPlugValueDouble(plug, value ? 1.0 : 0.0); }

MStatus MDGModifier::newPlugValueString(const MPlug& plug, const MString& value) {
    Plug p = plugOf(plug);
    if (p.isNull() || !p.isFullyIndexed()) return MStatus::kInvalidParameter;
    auto [doFn, undoFn] = valueOp(p, Value(value.str()));
    ops_.push_back(Op{doFn, undoFn});
    return MStatus::kSuccess;
}

MStatus MDGModifier::commandToExecute(const MString& command) {
    if (command.length() == 0) return MStatus::kInvalidParameter;
    MString cmd = command;
    ops_.push_back(Op{[cmd]() { return MGlobal::executeCommand(cmd); }, []() { return MStatus(MStatus::kSuccess); }});
    return MStatus::kSuccess;
}

MStatus MDGModifier::doIt() {
    while (done_ < ops_.size()) {
        MStatus st = ops_[done_].doIt();
        if (st.error()) return st;
        ++done_;
    }
    return MStatus::kSuccess;
}

MStatus MDGModifier::undoIt() {
    MStatus result;
    while (done_ > 0) {
        MStatus st = ops_[done_ - 1].undoIt();
        if (st.error() && !result.error()) result = st;
        --done_;
    }
    return result;
}

// ---------------------------------------------------------------- MDagModifier

MObject MDagModifier::createNode(const MString& type, const MObject& parent, MStatus* st) {
    host::scene::NodeType* t = sc().findType(type.str());
    if (!t || !t->isDag || t->abstract) return failed(st, MStatus::kInvalidParameter);
    Node* p = nullptr;
    if (!parent.isNull()) {
        p = nodeOf(parent);
        if (!p || (!p->isWorld() && (!p->isDag() || p->type->isShape))) return failed(st, MStatus::kInvalidParameter);
    }
    std::string error;
    Node* raw = sc().createNode(type.str(), "", p, &error);
    if (!raw) return failed(st, MStatus::kFailure);
    NodePtr n = sc().ptr(raw);
    // A shape without a parent came with a new transform: that is what the caller gets.
    NodePtr made = (!p || p->isWorld()) && t->isShape ? sc().ptr(raw->parent) : nullptr;
    ops_.push_back(Op{[n]() -> MStatus { return alive(n) ? MStatus::kSuccess : MStatus::kFailure; },
                      [n, made]() { return removeCreated(n, made); }});
    if (st) *st = MStatus::kSuccess;
    return objectOf(made ? made.get() : raw);
}

MObject MDagModifier::createNode(const MTypeId& id, const MObject& parent, MStatus* st) {
    host::scene::NodeType* t = sc().findType(id.id());
    if (!t) return failed(st, MStatus::kInvalidParameter);
    return createNode(MString(t->name), parent, st);
}

MStatus MDagModifier::reparentNode(const MObject& node, const MObject& newParent) {
    NodePtr n = nodePtrOf(node);
    if (!n || !n->isDag() || n->isWorld()) return MStatus::kInvalidParameter;
    NodePtr to;
    if (!newParent.isNull()) {
        to = nodePtrOf(newParent);
        if (!to || !to->isDag()) return MStatus::kInvalidParameter;
    }
    struct Was {
        NodePtr parent;
        int position = -1;
        std::string name;
    };
    auto was = std::make_shared<Was>();
    ops_.push_back(Op{[n, to, was]() -> MStatus {
                          if (!alive(n) || (to && !alive(to))) return MStatus::kFailure;
                          Node* p = n->parent;
                          const auto& siblings = p ? p->children : sc().world()->children;
                          was->parent = p ? sc().ptr(p) : nullptr;
                          was->position = static_cast<int>(std::find(siblings.begin(), siblings.end(), n.get()) -
                                                           siblings.begin());
                          was->name = n->name;
                          return sc().reparent(n.get(), to ? to.get() : nullptr);
                      },
                      [n, was]() -> MStatus {
                          if (!alive(n) || (was->parent && !alive(was->parent))) return MStatus::kFailure;
                          MStatus st = sc().reparent(n.get(), was->parent.get(), false, nullptr, was->position);
                          // A clash under the new parent may have renumbered it.
                          if (!st.error() && n->name != was->name) st = sc().rename(n.get(), was->name);
                          return st;
                      }});
    return MStatus::kSuccess;
}
