// Dependency-node iterator: every node in creation order, optionally of one MFn type.
#include <maya/MItDependencyNodes.h>

#include "scene/core/scene.h"

using namespace host::scene;

MItDependencyNodes::MItDependencyNodes(MFn::Type filter, MStatus* st) {
    MStatus s = reset(filter);
    if (st) *st = s;
}
MItDependencyNodes::~MItDependencyNodes() = default;
MStatus MItDependencyNodes::reset(MFn::Type filter) {
    nodes_.clear();
    i_ = 0;
    for (Node* n : scene().nodes())
        if (filter == MFn::kInvalid || n->hasFn(filter)) nodes_.push_back(scene().ptr(n));
    return MStatus::kSuccess;
}
MStatus MItDependencyNodes::next() {
    if (i_ >= nodes_.size()) return MStatus::kFailure;
    ++i_;
    // Nodes deleted during the walk are skipped.
    while (i_ < nodes_.size() && nodes_[i_]->deleted) ++i_;
    return MStatus::kSuccess;
}
bool MItDependencyNodes::isDone(MStatus* st) const { if (st) *st = MStatus::kSuccess; return i_ >= nodes_.size(); }
MObject MItDependencyNodes::item(MStatus* st) const {
    bool ok = i_ < nodes_.size();
    if (st) *st = ok ? MStatus::kSuccess : MStatus::kFailure;
    return ok ? MObject(nodes_[i_]) : MObject();
}
