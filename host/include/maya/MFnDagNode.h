#pragma once
#include <maya/MDagPath.h>
#include <maya/MFnDependencyNode.h>

class MMatrix;
class MBoundingBox;

// Function set of DAG nodes: parents, children, paths, transforms.
class MFnDagNode : public MFnDependencyNode {
public:
    enum { kNextPos = 0xff };

    MFnDagNode() = default;
    MFnDagNode(const MObject& node, MStatus* status = nullptr);
    MFnDagNode(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kDagNode; }
    MStatus setObject(const MObject& o) override;
    MStatus setObject(const MDagPath& path);

    // Creates a DAG node under parent (a shape without parent gets a new transform,
    // and the transform is returned, as the host does).
    MObject create(const MString& type, const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);
    MObject create(const MString& type, const MString& name, const MObject& parent = MObject::kNullObj,
                   MStatus* status = nullptr);
    MObject create(const MTypeId& typeId, const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);
    MObject create(const MTypeId& typeId, const MString& name, const MObject& parent = MObject::kNullObj,
                   MStatus* status = nullptr);

    unsigned int parentCount(MStatus* status = nullptr) const;
    MObject parent(unsigned int i, MStatus* status = nullptr) const;
    unsigned int childCount(MStatus* status = nullptr) const;
    MObject child(unsigned int i, MStatus* status = nullptr) const;
    MObject dagRoot(MStatus* status = nullptr);
    bool hasParent(const MObject& node, MStatus* status = nullptr) const;
    bool hasChild(const MObject& node, MStatus* status = nullptr) const;
    bool isChildOf(const MObject& node, MStatus* status = nullptr) const;
    bool isParentOf(const MObject& node, MStatus* status = nullptr) const;
    MStatus addChild(MObject& child, unsigned int index = kNextPos, bool keepExistingParents = false);
    MStatus removeChild(MObject& child);
    MStatus removeChildAt(unsigned int index);

    MStatus getPath(MDagPath& path) const;
    MStatus getAllPaths(MDagPathArray& paths) const;
    MDagPath dagPath(MStatus* status = nullptr) const;
    MString fullPathName(MStatus* status = nullptr) const;
    MString partialPathName(MStatus* status = nullptr) const;
    bool isInstanced(bool indirect = true, MStatus* status = nullptr) const;
    unsigned int instanceCount(bool total, MStatus* status = nullptr) const;
    bool isIntermediateObject(MStatus* status = nullptr) const;
    MStatus setIntermediateObject(bool on);
    bool inUnderWorld(MStatus* status = nullptr) const { if (status) *status = MStatus::kSuccess; return false; }
    MMatrix transformationMatrix(MStatus* status = nullptr) const;
    MBoundingBox boundingBox(MStatus* status = nullptr) const;
    MObject model(MStatus* status = nullptr) const { if (status) *status = MStatus::kSuccess; return MObject(); }
};
