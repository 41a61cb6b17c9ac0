#pragma once
#include <maya/MColor.h>
#include <maya/MColorArray.h>
#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MSpace.h>
#include <maya/MString.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <memory>
#include <vector>

namespace host { namespace scene { struct MeshData; } }
typedef float float2[2];

// Walks the vertices of a mesh (all, or those of a vertex component).
class MItMeshVertex {
public:
    MItMeshVertex(const MObject& polyObject, MStatus* status = nullptr);
    MItMeshVertex(const MDagPath& polyObject, const MObject& component = MObject::kNullObj, MStatus* status = nullptr);
    ~MItMeshVertex();

    bool isDone(MStatus* status = nullptr);
    MStatus next();
    MStatus reset();
    MStatus reset(const MObject& polyObject);
    MStatus reset(const MDagPath& polyObject, const MObject& component = MObject::kNullObj);
    int count(MStatus* status = nullptr);
    int index(MStatus* status = nullptr);
    MStatus setIndex(int index, int& prevIndex);
    MObject currentItem(MStatus* status = nullptr);

    MPoint position(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    MStatus setPosition(const MPoint& point, MSpace::Space space = MSpace::kObject);
    // Average of the normals at the vertex's corners.
    MStatus getNormal(MVector& normal, MSpace::Space space = MSpace::kObject);
    MStatus getNormal(MVector& normal, int faceIndex, MSpace::Space space = MSpace::kObject);
    MStatus getNormals(MVectorArray& normals, MSpace::Space space = MSpace::kObject);
    MStatus getNormalIndices(MIntArray& normalIndices);
    MStatus getConnectedVertices(MIntArray& vertexList);
    MStatus getConnectedFaces(MIntArray& faceList);
    MStatus getConnectedEdges(MIntArray& edgeList);
    MStatus numConnectedFaces(int& faceCount) const;
    MStatus numConnectedEdges(int& edgeCount) const;
    bool connectedToFace(int index, MStatus* status = nullptr);
    bool connectedToEdge(int index, MStatus* status = nullptr);
    MStatus getUV(float2& uvPoint, const MString* uvSet = nullptr);
    MStatus getUV(int faceId, float2& uvPoint, const MString* uvSet = nullptr);
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, MIntArray& faceIds, const MString* uvSet = nullptr);
    MStatus getUVIndices(MIntArray& uvIndices, const MString* uvSet = nullptr);
    MStatus numUVs(int& uvCount, const MString* uvSet = nullptr);
    bool hasColor(MStatus* status = nullptr) const;
    // Average colour of the vertex's assigned corners.
    MStatus getColor(MColor& color, const MString* colorSetName = nullptr);
    MStatus getColor(MColor& color, int faceIndex, const MString* colorSetName = nullptr);
    MStatus getColors(MColorArray& colors, const MString* colorSetName = nullptr);
    MStatus getColorIndices(MIntArray& colorIndices, const MString* colorSetName = nullptr);
    bool onBoundary(MStatus* status = nullptr);
    MStatus updateSurface();

private:
    MStatus attach(const MObject& obj, const MDagPath* path, const MObject& component);
    bool valid(MStatus* status) const;
    int vert() const { return order_[pos_]; }
    std::shared_ptr<host::scene::MeshData> data_;
    MDagPath path_;
    bool hasPath_ = false;
    std::vector<int> order_;
    size_t pos_ = 0;
};
