#include <maya/MDagPath.h>
#include <maya/MItDag.h>

#include "api/select/select_util.h"

#include <algorithm>

using namespace host::api;
using host::scene::scene;

MItDag::MItDag(TraversalType type, MFn::Type filter, MStatus* status) {
    type_ = type == kInvalidType ? kDepthFirst : type;
    filter_ = filter;
    MStatus st = reset(MObject(), type_, filter_);
    if (status) *status = st;
}

MItDag::~MItDag() = default;

MStatus MItDag::reset() { return reset(root_, type_, filter_); }

MStatus MItDag::reset(const MObject& root, TraversalType type, MFn::Type filter) {
    type_ = type == kInvalidType ? kDepthFirst : type;
    filter_ = filter;
    Node* r = nodeOf(root);
    if (!root.isNull() && (!r || !r->isDag())) return MStatus::kInvalidParameter;
    root_ = root;
    pending_.clear();
    head_ = 0;
    cur_.reset();
    pruned_ = false;
    if (r && !r->isWorld()) {
        cur_ = scene().ptr(r);  // a given root is itself the first item
    } else {
        Node* w = scene().world();
        for (Node* c : w->dagChildren()) pending_.push_back(scene().ptr(c));
        if (type_ == kDepthFirst) std::reverse(pending_.begin(), pending_.end());
        advance(false);
    }
    skipFiltered();
    return MStatus::kSuccess;
}

MStatus MItDag::reset(const MDagPath& root, TraversalType type, MFn::Type filter) {
    return reset(root.node(), type, filter);
}

// Moves to the next node: children of the current one first (depth-first) or
// after its siblings (breadth-first).
void MItDag::advance(bool enterChildren) {
    if (cur_ && enterChildren) {
        auto kids = cur_->dagChildren();
        if (type_ == kDepthFirst) {
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) pending_.push_back(scene().ptr(*it));
        } else {
            for (Node* k : kids) pending_.push_back(scene().ptr(k));
        }
    }
    cur_.reset();
    while (!cur_) {
        if (type_ == kDepthFirst) {
            if (pending_.empty()) return;
            cur_ = pending_.back();
            pending_.pop_back();
        } else {
            if (head_ >= pending_.size()) return;
            cur_ = pending_[head_++];
        }
        if (cur_ && !cur_->alive()) cur_.reset();
    }
}

void MItDag::skipFiltered() {
    if (filter_ == MFn::kInvalid) return;
    while (cur_ && !cur_->hasFn(filter_)) advance(true);
}

MStatus MItDag::next() {
    if (!cur_) return MStatus::kFailure;
    advance(!pruned_);
    pruned_ = false;
    skipFiltered();
    return MStatus::kSuccess;
}

bool MItDag::isDone(MStatus* status) const {
    setStatus(status, true);
    return !cur_;
}

MObject MItDag::item(MStatus* status) const {
    setStatus(status, cur_ != nullptr);
    return cur_ ? MObject(cur_) : MObject();
}

MStatus MItDag::getPath(MDagPath& path) const {
    if (!cur_) return MStatus::kFailure;
    path = MDagPath(MObject(cur_));
    return MStatus::kSuccess;
}

MString MItDag::fullPathName(MStatus* status) const {
    setStatus(status, cur_ != nullptr);
    return cur_ ? MString(cur_->fullPath()) : MString();
}

MString MItDag::partialPathName(MStatus* status) const {
    setStatus(status, cur_ != nullptr);
    return cur_ ? MString(cur_->partialPath()) : MString();
}

unsigned int MItDag::depth(MStatus* status) const {
    setStatus(status, cur_ != nullptr);
    return cur_ ? static_cast<unsigned int>(cur_->depth()) : 0u;
}

MObject MItDag::root(MStatus* status) {
    setStatus(status, true);
    return root_.isNull() ? objectOf(scene().world()) : root_;
}

MStatus MItDag::prune() {
    if (!cur_) return MStatus::kFailure;
    pruned_ = true;  // the next step skips the current node's children
    return MStatus::kSuccess;
}

bool MItDag::isInstanced(bool, MStatus* status) const {
    setStatus(status, cur_ != nullptr);
    return false;
}
