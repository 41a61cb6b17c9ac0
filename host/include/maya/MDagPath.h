#pragma once
#include <maya/MFn.h>
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

class MMatrix;
class MDagPathArray;

// A path from the world to a DAG node. Every node has one instance, so the
// path is named by its last node.
class MDagPath {
public:
    MDagPath() = default;
    static MStatus getAPathTo(const MObject& node, MDagPath& path);
    static MStatus getAllPathsTo(const MObject& node, MDagPathArray& paths);

    bool isValid(MStatus* status = nullptr) const;
    MObject node(MStatus* status = nullptr) const;
    MObject transform(MStatus* status = nullptr) const;
    unsigned int length(MStatus* status = nullptr) const;
    unsigned int childCount(MStatus* status = nullptr) const;
    MObject child(unsigned int i, MStatus* status = nullptr) const;
    MStatus push(const MObject& child);
    MStatus pop(unsigned int levels = 1);
    MStatus extendToShape();
    MStatus extendToShapeDirectlyBelow(unsigned int index);
    MStatus numberOfShapesDirectlyBelow(unsigned int& num) const;
    unsigned int instanceNumber(MStatus* status = nullptr) const;
    bool isInstanced(MStatus* status = nullptr) const;
    MFn::Type apiType(MStatus* status = nullptr) const;
    bool hasFn(MFn::Type type, MStatus* status = nullptr) const;

    MMatrix inclusiveMatrix(MStatus* status = nullptr) const;
    MMatrix exclusiveMatrix(MStatus* status = nullptr) const;
    MMatrix inclusiveMatrixInverse(MStatus* status = nullptr) const;
    MMatrix exclusiveMatrixInverse(MStatus* status = nullptr) const;

    MString fullPathName(MStatus* status = nullptr) const;
    MString partialPathName(MStatus* status = nullptr) const;
    bool isVisible(MStatus* status = nullptr) const;

    MStatus set(const MDagPath& src) { *this = src; return MStatus::kSuccess; }
    bool operator==(const MDagPath& o) const { return obj_ == o.obj_; }
    bool operator!=(const MDagPath& o) const { return !(*this == o); }

    // Host-internal: the path's last node (the world node for the world path).
    explicit MDagPath(const MObject& last) : obj_(last) {}

private:
    MObject obj_;
};
