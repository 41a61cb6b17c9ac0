#pragma once
#include <maya/MDagPath.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MSpace.h>

#include <memory>
#include <vector>

namespace host { namespace scene { struct MeshData; } }

// Walks the edges of a mesh (all, or those of an edge component).
class MItMeshEdge {
public:
    MItMeshEdge(const MObject& polyObject, MStatus* status = nullptr);
    MItMeshEdge(const MDagPath& polyObject, const MObject& component = MObject::kNullObj, MStatus* status = nullptr);
    ~MItMeshEdge();

    bool isDone(MStatus* status = nullptr);
    MStatus next();
    MStatus reset();
    MStatus reset(const MObject& polyObject);
    MStatus reset(const MDagPath& polyObject, const MObject& component = MObject::kNullObj);
    int count(MStatus* status = nullptr);
    int index(MStatus* status = nullptr);
    MStatus setIndex(int index, int& prevIndex);
    MObject currentItem(MStatus* status = nullptr);

    // End vertex 0 or 1 of the edge.
    int index(int vertex, MStatus* status = nullptr);
    int vertexId(int vertex, MStatus* status = nullptr) { return index(vertex, status); }
    MPoint point(int vertex, MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    MStatus setPoint(const MPoint& point, unsigned int vertex, MSpace::Space space = MSpace::kObject);
    MPoint center(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    MStatus getLength(double& length, MSpace::Space space = MSpace::kObject);
    double length(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    bool isSmooth(MStatus* status = nullptr) const;
    MStatus setSmoothing(bool smooth = true);
    int getConnectedFaces(MIntArray& faceList, MStatus* status = nullptr) const;
    int getConnectedEdges(MIntArray& edgeList, MStatus* status = nullptr) const;
    MStatus numConnectedFaces(int& faceCount) const;
    MStatus numConnectedEdges(int& edgeCount) const;
    bool onBoundary(MStatus* status = nullptr);
    bool connectedToFace(int index, MStatus* status = nullptr);
    bool connectedToEdge(int index, MStatus* status = nullptr);
    MStatus updateSurface();

private:
    MStatus attach(const MObject& obj, const MDagPath* path, const MObject& component);
    bool valid(MStatus* status) const;
    int edge() const { return order_[pos_]; }
    std::shared_ptr<host::scene::MeshData> data_;
    MDagPath path_;
    bool hasPath_ = false;
    std::vector<int> order_;
    size_t pos_ = 0;
};
