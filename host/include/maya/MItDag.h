#pragma once
#include <maya/MDagPath.h>
#include <maya/MFn.h>
#include <maya/MObject.h>

#include <memory>
#include <vector>

namespace host { namespace scene { class Node; } }

// Walks the DAG depth-first (children in parenting order) or breadth-first,
// from the world or a root, optionally only nodes of one MFn type.
class MItDag {
public:
    enum TraversalType { kInvalidType, kDepthFirst, kBreadthFirst };

    MItDag(TraversalType type = kDepthFirst, MFn::Type filter = MFn::kInvalid, MStatus* status = nullptr);
    ~MItDag();

    MStatus reset();
    MStatus reset(const MObject& root, TraversalType type = kDepthFirst, MFn::Type filter = MFn::kInvalid);
    MStatus reset(const MDagPath& root, TraversalType type = kDepthFirst, MFn::Type filter = MFn::kInvalid);
    MStatus next();
    bool isDone(MStatus* status = nullptr) const;
    MObject item(MStatus* status = nullptr) const;
    MObject currentItem(MStatus* status = nullptr) const { return item(status); }
    MStatus getPath(MDagPath& path) const;
    MString fullPathName(MStatus* status = nullptr) const;
    MString partialPathName(MStatus* status = nullptr) const;
    unsigned int depth(MStatus* status = nullptr) const;  // world 0, top-level nodes 1
    MObject root(MStatus* status = nullptr);
    // Skips the children of the current item.
    MStatus prune();
    TraversalType getType(MStatus* status = nullptr) const { return type_; }
    bool isInstanced(bool indirect = true, MStatus* status = nullptr) const;
    MStatus traverseUnderWorld(bool) { return MStatus::kSuccess; }

private:
    void advance(bool enterChildren);
    void skipFiltered();
    TraversalType type_ = kDepthFirst;
    MFn::Type filter_ = MFn::kInvalid;
    MObject root_;
    std::shared_ptr<host::scene::Node> cur_;
    std::vector<std::shared_ptr<host::scene::Node>> pending_;  // stack or queue
    size_t head_ = 0;
    bool pruned_ = false;
};
