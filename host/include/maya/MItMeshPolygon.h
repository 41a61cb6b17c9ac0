#pragma once
#include <maya/MColor.h>
#include <maya/MColorArray.h>
#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MIntArray.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MSpace.h>
#include <maya/MString.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <memory>
#include <vector>

namespace host { namespace scene { struct MeshData; } }
typedef float float2[2];

// Walks the polygons of a mesh (all, or those of a polygon component).
class MItMeshPolygon {
public:
    MItMeshPolygon(const MObject& polyObject, MStatus* status = nullptr);
    MItMeshPolygon(const MDagPath& polyObject, const MObject& component = MObject::kNullObj, MStatus* status = nullptr);
    ~MItMeshPolygon();

    bool isDone(MStatus* status = nullptr);
    MStatus next();
    MStatus reset();
    MStatus reset(const MObject& polyObject);
    MStatus reset(const MDagPath& polyObject, const MObject& component = MObject::kNullObj);
    int count(MStatus* status = nullptr);
    int index(MStatus* status = nullptr);
    MStatus setIndex(int index, int& prevIndex);
    MObject currentItem(MStatus* status = nullptr);

    unsigned int polygonVertexCount(MStatus* status = nullptr);
    int vertexIndex(int index, MStatus* status = nullptr);
    MStatus getVertices(MIntArray& vertices);
    int normalIndex(int localVertexIndex, MStatus* status = nullptr) const;
    MStatus getNormal(MVector& normal, MSpace::Space space = MSpace::kObject) const;
    MStatus getNormal(unsigned int vertexIndex, MVector& normal, MSpace::Space space = MSpace::kObject) const;
    MStatus getNormals(MVectorArray& normals, MSpace::Space space = MSpace::kObject) const;
    MPoint point(int index, MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    MStatus getPoints(MPointArray& points, MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    MStatus setPoint(const MPoint& point, unsigned int index, MSpace::Space space = MSpace::kObject);
    MPoint center(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    MStatus getArea(double& area, MSpace::Space space = MSpace::kObject);
    bool zeroArea(MStatus* status = nullptr);
    bool isPlanar(MStatus* status = nullptr);
    bool isConvex(MStatus* status = nullptr);

    bool hasUVs(MStatus* status = nullptr) const;
    bool hasUVs(const MString& uvSet, MStatus* status = nullptr) const;
    MStatus getUV(int vertex, float2& uvPoint, const MString* uvSet = nullptr) const;
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet = nullptr) const;
    MStatus getUVIndex(int vertex, int& index, const MString* uvSet = nullptr);
    MStatus getUVIndex(int vertex, int& index, float& u, float& v, const MString* uvSet = nullptr);

    bool hasColor(MStatus* status = nullptr);
    bool hasColor(int localVertexIndex, MStatus* status = nullptr);
    // Average colour of the face's assigned corners.
    MStatus getColor(MColor& color, const MString* colorSetName = nullptr);
    MStatus getColor(MColor& color, int vertexIndex);
    MStatus getColors(MColorArray& colors, const MString* colorSetName = nullptr);
    MStatus getColorIndex(int vertexIndex, int& colorIndex, const MString* colorSetName = nullptr);
    MStatus getColorIndices(MIntArray& colorIndex, const MString* colorSetName = nullptr);

    MStatus numTriangles(int& triCount) const;
    MStatus getTriangle(int localTriIndex, MPointArray& points, MIntArray& vertexList,
                        MSpace::Space space = MSpace::kObject) const;
    MStatus getTriangles(MPointArray& points, MIntArray& vertexList, MSpace::Space space = MSpace::kObject) const;
    bool hasValidTriangulation(MStatus* status = nullptr) const;

    MStatus getEdges(MIntArray& edges);
    MStatus getConnectedFaces(MIntArray& faces);
    MStatus getConnectedEdges(MIntArray& edges);
    MStatus getConnectedVertices(MIntArray& vertices);
    MStatus numConnectedFaces(int& faceCount) const;
    bool onBoundary(MStatus* status = nullptr);
    bool isConnectedToFace(int index, MStatus* status = nullptr);

    MStatus updateSurface();
    MStatus geomChanged();

private:
    MStatus attach(const MObject& obj, const MDagPath* path, const MObject& component);
    bool valid(MStatus* status) const;
    int face() const { return order_[pos_]; }
    std::shared_ptr<host::scene::MeshData> data_;
    MDagPath path_;
    bool hasPath_ = false;
    std::vector<int> order_;
    size_t pos_ = 0;
    MObject component_;
};
