#pragma once
#include <maya/MColor.h>
#include <maya/MColorArray.h>
#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MIntArray.h>
#include <maya/MObjectArray.h>
#include <maya/MPoint.h>
#include <maya/MPointArray.h>
#include <maya/MSpace.h>
#include <maya/MStringArray.h>
#include <maya/MVector.h>
#include <maya/MVectorArray.h>

#include <memory>

class MBoundingBox;
class MDGModifier;
namespace host { namespace scene { struct MeshData; } }

typedef float float2[2];
typedef int int2[2];

// Function set of polygon meshes: a mesh shape node (through its DAG path for
// world-space queries) or a mesh data object.
class MFnMesh : public MFnDagNode {
public:
    enum MColorRepresentation { kAlpha = 1, kRGB = 3, kRGBA = 4 };

    MFnMesh() = default;
    MFnMesh(const MObject& object, MStatus* status = nullptr);
    MFnMesh(const MDagPath& path, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMesh; }
    MStatus setObject(const MObject& object) override;
    MStatus setObject(const MDagPath& path);

    // ---- creation. parentOrOwner: null (a new transform is made and returned),
    // a transform (the new shape goes under it and is returned) or a mesh data
    // object (filled and returned).
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* status = nullptr);
    MObject create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects, const MFloatArray& uArray,
                   const MFloatArray& vArray, MObject parentOrOwner = MObject::kNullObj,
                   MStatus* status = nullptr);
    MObject create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects,
                   MObject parentOrOwner = MObject::kNullObj, MStatus* status = nullptr);
    MObject create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                   const MIntArray& polygonCounts, const MIntArray& polygonConnects, const MFloatArray& uArray,
                   const MFloatArray& vArray, MObject parentOrOwner = MObject::kNullObj,
                   MStatus* status = nullptr);
    MObject copy(const MObject& source, MObject parentOrOwner = MObject::kNullObj, MStatus* status = nullptr);

    // ---- counts
    int numVertices(MStatus* status = nullptr) const;
    int numEdges(MStatus* status = nullptr) const;
    int numPolygons(MStatus* status = nullptr) const;
    int numFaceVertices(MStatus* status = nullptr) const;
    int numNormals(MStatus* status = nullptr) const;
    int numUVs(MStatus* status = nullptr) const;
    int numUVs(const MString& uvSet, MStatus* status = nullptr) const;
    int numUVSets(MStatus* status = nullptr) const;
    int numColors(MStatus* status = nullptr) const;
    int numColors(const MString& colorSet, MStatus* status = nullptr) const;
    int numColorSets(MStatus* status = nullptr) const;
    int polygonVertexCount(int polygonId, MStatus* status = nullptr) const;

    // ---- points
    MStatus getPoints(MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus getPoints(MPointArray& vertexArray, MSpace::Space space = MSpace::kObject) const;
    MStatus setPoints(MFloatPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus setPoints(MPointArray& vertexArray, MSpace::Space space = MSpace::kObject);
    MStatus getPoint(int vertexId, MPoint& pos, MSpace::Space space = MSpace::kObject) const;
    MStatus setPoint(int vertexId, const MPoint& pos, MSpace::Space space = MSpace::kObject);

    // ---- topology
    MStatus getPolygonVertices(int polygonId, MIntArray& vertexList) const;
    MStatus getVertices(MIntArray& vertexCount, MIntArray& vertexList) const;
    MStatus getEdgeVertices(int edgeId, int2& vertexList) const;
    MStatus getPolygonTriangleVertices(int polygonId, int triangleId, int vertexList[3]) const;
    MStatus getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const;
    bool isEdgeSmooth(int edgeId, MStatus* status = nullptr) const;
    MStatus setEdgeSmoothing(int edgeId, bool smooth = true);
    MStatus cleanupEdgeSmoothing();

    // ---- normals
    MStatus getNormals(MFloatVectorArray& normals, MSpace::Space space = MSpace::kObject) const;
    MStatus getNormalIds(MIntArray& normalIdCounts, MIntArray& normalIds) const;
    MStatus getFaceNormalIds(int faceIndex, MIntArray& normals) const;
    MStatus getFaceVertexNormal(int faceIndex, int vertexIndex, MVector& normal,
                                MSpace::Space space = MSpace::kObject) const;
    MStatus getFaceVertexNormals(int faceIndex, MFloatVectorArray& normals,
                                 MSpace::Space space = MSpace::kObject) const;
    MStatus getPolygonNormal(int polygonId, MVector& normal, MSpace::Space space = MSpace::kObject) const;
    MStatus getVertexNormal(int vertexId, MVector& normal, MSpace::Space space = MSpace::kObject) const;
    MStatus getVertexNormal(int vertexId, bool angleWeighted, MVector& normal,
                            MSpace::Space space = MSpace::kObject) const;
    MStatus getVertexNormals(bool angleWeighted, MFloatVectorArray& normals,
                             MSpace::Space space = MSpace::kObject) const;
    MStatus setFaceVertexNormal(MVector& normal, int faceId, int vertexId, MSpace::Space space = MSpace::kObject,
                                MDGModifier* modifier = nullptr);
    MStatus setVertexNormal(MVector& normal, int vertexId, MSpace::Space space = MSpace::kObject,
                            MDGModifier* modifier = nullptr);
    MStatus unlockFaceVertexNormals(MIntArray& faceList, MIntArray& vertexList);
    MStatus unlockVertexNormals(MIntArray& vertexList);
    bool isNormalLocked(int normalId, MStatus* status = nullptr) const;

    // ---- UV sets (a null set name means the current set)
    MStatus getUVSetNames(MStringArray& setNames) const;
    MString currentUVSetName(MStatus* status = nullptr, int instance = -1) const;
    MStatus setCurrentUVSetName(const MString& setName, MDGModifier* modifier = nullptr, int instance = -1);
    MString createUVSetWithName(const MString& setName, MDGModifier* modifier = nullptr, MStatus* status = nullptr);
    MStatus createUVSet(MString& setName, MDGModifier* modifier = nullptr, int instance = -1);
    MStatus deleteUVSet(const MString& setName, MDGModifier* modifier = nullptr);
    MStatus renameUVSet(const MString& origName, const MString& newName, MDGModifier* modifier = nullptr);
    MStatus getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet = nullptr) const;
    MStatus setUVs(const MFloatArray& uArray, const MFloatArray& vArray, const MString* uvSet = nullptr);
    MStatus getUV(int uvId, float& u, float& v, const MString* uvSet = nullptr) const;
    MStatus setUV(int uvId, float u, float v, const MString* uvSet = nullptr);
    MStatus clearUVs(const MString* uvSet = nullptr);
    MStatus assignUV(int polygonId, int vertexIndex, int uvId, const MString* uvSet = nullptr);
    MStatus assignUVs(const MIntArray& uvCounts, const MIntArray& uvIds, const MString* uvSet = nullptr);
    MStatus getAssignedUVs(MIntArray& uvCounts, MIntArray& uvIds, const MString* uvSet = nullptr) const;
    MStatus getPolygonUV(int polygonId, int vertexIndex, float& u, float& v, const MString* uvSet = nullptr) const;
    MStatus getPolygonUVid(int polygonId, int vertexIndex, int& uvId, const MString* uvSet = nullptr) const;

    // ---- colour sets
    MStatus getColorSetNames(MStringArray& setNames) const;
    MString currentColorSetName(int instance = -1, MStatus* status = nullptr) const;
    MStatus setCurrentColorSetName(const MString& setName, MDGModifier* modifier = nullptr, int instance = -1);
    MString createColorSetWithName(const MString& setName, MDGModifier* modifier = nullptr, MStatus* status = nullptr);
    MStatus createColorSet(MString& setName, MDGModifier* modifier = nullptr);
    MStatus deleteColorSet(const MString& setName, MDGModifier* modifier = nullptr);
    // Unassigned corners get defaultUnsetColor, or (-1, -1, -1, -1) as the host reports them.
    MStatus getFaceVertexColors(MColorArray& colors, const MString* colorSet = nullptr,
                                const MColor* defaultUnsetColor = nullptr) const;
    MStatus getColors(MColorArray& colors, const MString* colorSet = nullptr,
                      const MColor* defaultUnsetColor = nullptr) const;
    MStatus setColors(const MColorArray& colors, const MString* colorSet = nullptr,
                      MColorRepresentation rep = kRGBA);
    MStatus getFaceVertexColorIndex(int faceIndex, int localVertexIndex, int& colorIndex,
                                    const MString* colorSet = nullptr) const;
    MStatus getColorIndex(int faceId, int localVertexId, int& colorId, const MString* colorSet = nullptr) const;
    MStatus assignColor(int polygonId, int vertexIndex, int colorId, const MString* colorSet = nullptr);
    MStatus setVertexColor(const MColor& color, int vertexId, MDGModifier* modifier = nullptr,
                           MColorRepresentation rep = kRGBA);
    MStatus setVertexColors(const MColorArray& colors, const MIntArray& vertexList, MDGModifier* modifier = nullptr,
                            MColorRepresentation rep = kRGBA);
    MStatus setFaceVertexColor(const MColor& color, int faceId, int vertexId, MDGModifier* modifier = nullptr,
                               MColorRepresentation rep = kRGBA);
    MStatus setFaceVertexColors(const MColorArray& colors, const MIntArray& faceList, const MIntArray& vertexList,
                                MDGModifier* modifier = nullptr, MColorRepresentation rep = kRGBA);

    // ---- shading: sets the instance belongs to, with per-face components
    MStatus getConnectedShaders(unsigned int instanceNumber, MObjectArray& shaders, MIntArray& indices) const;
    MStatus getConnectedSetsAndMembers(unsigned int instanceNumber, MObjectArray& sets, MObjectArray& comps,
                                       bool renderableSetsOnly) const;

    // ---- queries
    MStatus getClosestPoint(const MPoint& toThisPoint, MPoint& theClosestPoint,
                            MSpace::Space space = MSpace::kObject, int* closestPolygon = nullptr) const;
    MStatus getClosestNormal(const MPoint& toThisPoint, MVector& theNormal, MSpace::Space space = MSpace::kObject,
                             int* closestPolygon = nullptr) const;
    MStatus getClosestPointAndNormal(const MPoint& toThisPoint, MPoint& theClosestPoint, MVector& theNormal,
                                     MSpace::Space space = MSpace::kObject, int* closestPolygon = nullptr) const;
    MStatus getUVAtPoint(const MPoint& toThisPoint, float2& uvPoint, MSpace::Space space = MSpace::kObject,
                         const MString* uvSet = nullptr, int* closestPolygon = nullptr) const;
    MStatus getPolygonArea(int polygonId, double& area, MSpace::Space space = MSpace::kObject) const;
    double area(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr) const;
    // Object-space bounds of the points (hides MFnDagNode::boundingBox).
    MBoundingBox boundingBox(MStatus* status = nullptr) const;

    // ---- updates
    MStatus updateSurface();
    MStatus syncObject();

    // Host-internal: the geometry this set works on (null when unattached).
    std::shared_ptr<host::scene::MeshData> meshData() const;
    const MDagPath& path() const { return path_; }

private:
    MObject createFrom(const MPointArray& pts, const MIntArray& counts, const MIntArray& connects,
                       const MFloatArray* u, const MFloatArray* v, MObject parentOrOwner, MStatus* status);
    std::shared_ptr<host::scene::MeshData> editable() const;
    MDagPath path_;
    MObject data_;  // set when attached to a mesh data object
};
