#pragma once
#include <maya/MFn.h>
#include <maya/MObject.h>

#include <memory>
#include <vector>

namespace host { namespace scene { class Node; } }

// Every dependency node of the scene in creation order, optionally one MFn type.
class MItDependencyNodes {
public:
    MItDependencyNodes(MFn::Type filter = MFn::kInvalid, MStatus* status = nullptr);
    ~MItDependencyNodes();
    MStatus reset(MFn::Type filter = MFn::kInvalid);
    MStatus next();
    bool isDone(MStatus* status = nullptr) const;
    MObject item(MStatus* status = nullptr) const;
    MObject thisNode(MStatus* status = nullptr) const { return item(status); }

private:
    std::vector<std::shared_ptr<host::scene::Node>> nodes_;
    size_t i_ = 0;
};
