#pragma once
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MSpace.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <memory>
#include <vector>

namespace host { namespace scene { struct MeshData; } }
typedef float float2[2];

// Walks face-vertices (corners) face by face, of all faces or of the faces of
// a polygon component.
class MItMeshFaceVertex {
public:
    MItMeshFaceVertex(const MObject& mesh, MStatus* status = nullptr);
    MItMeshFaceVertex(const MDagPath& mesh, const MObject& component = MObject::kNullObj, MStatus* status = nullptr);
    ~MItMeshFaceVertex();

    bool isDone(MStatus* status = nullptr);
    MStatus next();
    MStatus reset();
    MStatus reset(const MObject& mesh);
    MStatus reset(const MDagPath& mesh, const MObject& component = MObject::kNullObj);
    MStatus setIndex(int faceId, int faceVertexId, int& prevFaceId, int& prevFaceVertexId);

    int faceId(MStatus* status = nullptr);
    int vertId(MStatus* status = nullptr);
    int faceVertId(MStatus* status = nullptr);  // corner within the face
    int faceVertex(MStatus* status = nullptr) { return faceVertId(status); }
    int normalId(MStatus* status = nullptr);
    MPoint position(MSpace::Space space = MSpace::kObject, MStatus* status = nullptr);
    MStatus getNormal(MVector& normal, MSpace::Space space = MSpace::kObject);
    bool hasUVs(MStatus* status = nullptr) const;
    bool hasUVs(const MString& uvSet, MStatus* status = nullptr) const;
    MStatus getUV(float2& uvPoint, const MString* uvSet = nullptr);
    MStatus getUVIndex(int& index, const MString* uvSet = nullptr);
    bool hasColor(MStatus* status = nullptr) const;
    MStatus getColor(MColor& color, const MString* colorSetName = nullptr);
    MStatus getColorIndex(int& colorIndex, const MString* colorSetName = nullptr);
    MObject currentItem(MStatus* status = nullptr);

private:
    MStatus attach(const MObject& obj, const MDagPath* path, const MObject& component);
    bool valid(MStatus* status) const;
    int fv() const;
    std::shared_ptr<host::scene::MeshData> data_;
    MDagPath path_;
    bool hasPath_ = false;
    std::vector<int> faces_;
    size_t facePos_ = 0;
    int corner_ = 0;
};
