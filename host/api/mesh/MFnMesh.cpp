#include <maya/MFnMesh.h>

#include <maya/MBoundingBox.h>
#include <maya/MMatrix.h>

#include "api/mesh/mesh_access.h"

#include <cstdio>

using namespace host;
using namespace host::api::meshapi;
using scene::Mesh;
using scene::MeshData;
using scene::meshgeom::Rgba;
using scene::meshgeom::Vec3;
using scene::meshgeom::Vec3f;

namespace {

MStatus setStatus(MStatus* s, MStatus v) {
    if (s) *s = v;
    return v;
}

// Unassigned face-vertex colours read back as this, as the host reports them.
const MColor kUnsetColor(-1.0f, -1.0f, -1.0f, -1.0f);

Rgba withRepresentation(const MColor& c, MFnMesh::MColorRepresentation rep) {
    Rgba r = toRgba(c);
    if (rep == MFnMesh::kRGB) r.a = 1.0f;
    if (rep == MFnMesh::kAlpha) r.r = r.g = r.b = 1.0f;
    return r;
}

}  // namespace

MFnMesh::MFnMesh(const MObject& object, MStatus* status) { setStatus(status, setObject(object)); }
MFnMesh::MFnMesh(const MDagPath& path, MStatus* status) { setStatus(status, setObject(path)); }

MStatus MFnMesh::setObject(const MObject& object) {
    obj_ = MObject();
    data_ = MObject();
    path_ = MDagPath();
    if (std::dynamic_pointer_cast<MeshData>(object.object())) {
        obj_ = object;
        data_ = object;
        return MStatus::kSuccess;
    }
    if (!shapeNode(object)) return MStatus::kInvalidParameter;
    obj_ = object;
    MDagPath::getAPathTo(object, path_);
    return MStatus::kSuccess;
}

MStatus MFnMesh::setObject(const MDagPath& path) {
    obj_ = MObject();
    data_ = MObject();
    path_ = MDagPath();
    MDagPath p;
    MStatus st = meshPath(path, p);
    if (st.error()) return st;
    obj_ = p.node();
    path_ = p;
    return MStatus::kSuccess;
}

std::shared_ptr<MeshData> MFnMesh::meshData() const { return geometryOf(obj_); }

std::shared_ptr<MeshData> MFnMesh::editable() const {
    if (auto d = std::dynamic_pointer_cast<MeshData>(data_.object())) return d;
    if (scene::Node* n = shapeNode(obj_)) return scene::editableShapeGeometry(n);
    return nullptr;
}

// Every call below starts from the attached geometry; a set without one fails.
#define MESH_OR_FAIL(ret)                                                  \
    auto geom_ = meshData();                                               \
    if (!geom_) { setStatus(status, MStatus::kInvalidParameter); return ret; } \
    const Mesh& m = geom_->mesh;                                           \
    (void)m;
#define MESH_OR_RETURN()                                       \
    auto geom_ = meshData();                                   \
    if (!geom_) return MStatus::kInvalidParameter;             \
    const Mesh& m = geom_->mesh;                               \
    (void)m;
#define EDIT_OR_RETURN()                                       \
    auto edit_ = editable();                                   \
    if (!edit_) return MStatus::kInvalidParameter;             \
    Mesh& m = edit_->mesh;
#define DONE_EDIT()                                            \
    do { if (scene::Node* n_ = shapeNode(obj_)) scene::geometryChanged(n_); } while (0)

// ------------------------------------------------------------------ creation

MObject MFnMesh::createFrom(const MPointArray& pts, const MIntArray& counts, const MIntArray& connects,
                            const MFloatArray* u, const MFloatArray* v, MObject parentOrOwner, MStatus* status) {
    std::vector<Vec3f> p;
    p.reserve(pts.length());
    for (const MPoint& q : pts) p.emplace_back(toVec(q));
    auto data = std::make_shared<MeshData>();
    std::string err;
    // Meshes made from lists start with hard edges, as in the host.
    if (!data->mesh.create(p, counts.vec(), connects.vec(), false, &err)) {
        fprintf(stderr, "// Error: MFnMesh::create: %s //\n", err.c_str());
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    if (u && v) {
        if (u->length() != v->length() || !data->mesh.setUVs(0, u->vec(), v->vec())) {
            fprintf(stderr, "// Error: MFnMesh::create: %u u values, %u v values //\n", u->length(), v->length());
            setStatus(status, MStatus::kInvalidParameter);
            return MObject();
        }
    }
    // A mesh data owner is filled in place.
    if (auto owner = std::dynamic_pointer_cast<MeshData>(parentOrOwner.object())) {
        owner->mesh = std::move(data->mesh);
        setObject(parentOrOwner);
        setStatus(status, MStatus::kSuccess);
        return parentOrOwner;
    }
    scene::Scene& sc = scene::scene();
    if (!scene::meshNodeType(sc)) {
        setStatus(status, MStatus::kFailure);
        return MObject();
    }
    scene::Node* parent = nullptr;
    bool madeTransform = false;
    if (!parentOrOwner.isNull()) {
        parent = std::dynamic_pointer_cast<scene::Node>(parentOrOwner.object()).get();
        if (!parent || !parent->alive() || !parent->type->isTransform) {
            setStatus(status, MStatus::kInvalidParameter);
            return MObject();
        }
    } else {
        std::string e;
        parent = sc.createNode("transform", "polySurface#", nullptr, &e);
        if (!parent) {
            fprintf(stderr, "// Error: MFnMesh::create: %s //\n", e.c_str());
            setStatus(status, MStatus::kFailure);
            return MObject();
        }
        madeTransform = true;
    }
    std::string e;
    scene::Node* shape = sc.createNode("mesh", "polySurfaceShape#", parent, &e);
    if (!shape) {
        fprintf(stderr, "// Error: MFnMesh::create: %s //\n", e.c_str());
        if (madeTransform) sc.deleteNode(parent);
        setStatus(status, MStatus::kFailure);
        return MObject();
    }
    scene::setShapeGeometry(shape, data);
    setObject(MObject(sc.ptr(shape)));
    setStatus(status, MStatus::kSuccess);
    return madeTransform ? MObject(sc.ptr(parent)) : MObject(sc.ptr(shape));
}

namespace {
MPointArray toPoints(const MFloatPointArray& a) {
    MPointArray out;
    for (const MFloatPoint& p : a) out.append(MPoint(p));
    return out;
}
// The host reads the first numVertices points and numPolygons counts.
bool checkCounts(int numVertices, int numPolygons, unsigned nPts, const MIntArray& counts) {
    if (numVertices < 0 || unsigned(numVertices) > nPts || numPolygons < 0 || unsigned(numPolygons) != counts.length()) {
        fprintf(stderr, "// Error: MFnMesh::create: %d vertices of %u given, %d polygons for %u counts //\n",
                numVertices, nPts, numPolygons, counts.length());
        return false;
    }
    return true;
}
MPointArray firstPoints(const MPointArray& a, int n) {
    MPointArray out;
    for (int i = 0; i < n; ++i) out.append(a[unsigned(i)]);
    return out;
}
}  // namespace

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects, MObject parentOrOwner,
                        MStatus* status) {
    return create(numVertices, numPolygons, toPoints(vertexArray), polygonCounts, polygonConnects, parentOrOwner,
                  status);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MFloatPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects, const MFloatArray& uArray,
                        const MFloatArray& vArray, MObject parentOrOwner, MStatus* status) {
    return create(numVertices, numPolygons, toPoints(vertexArray), polygonCounts, polygonConnects, uArray, vArray,
                  parentOrOwner, status);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects, MObject parentOrOwner,
                        MStatus* status) {
    if (!checkCounts(numVertices, numPolygons, vertexArray.length(), polygonCounts)) {
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    return createFrom(firstPoints(vertexArray, numVertices), polygonCounts, polygonConnects, nullptr, nullptr,
                      parentOrOwner, status);
}

MObject MFnMesh::create(int numVertices, int numPolygons, const MPointArray& vertexArray,
                        const MIntArray& polygonCounts, const MIntArray& polygonConnects, const MFloatArray& uArray,
                        const MFloatArray& vArray, MObject parentOrOwner, MStatus* status) {
    if (!checkCounts(numVertices, numPolygons, vertexArray.length(), polygonCounts)) {
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    return createFrom(firstPoints(vertexArray, numVertices), polygonCounts, polygonConnects, &uArray, &vArray,
                      parentOrOwner, status);
}

MObject MFnMesh::copy(const MObject& source, MObject parentOrOwner, MStatus* status) {
    auto src = geometryOf(source);
    if (!src) {
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    Mesh copyOf = src->mesh;
    // Build an empty mesh at the destination, then put the full copy there.
    MObject result = create(0, 0, MPointArray(), MIntArray(), MIntArray(), parentOrOwner, status);
    if (result.isNull()) return result;
    auto dst = editable();
    if (!dst) {
        setStatus(status, MStatus::kFailure);
        return MObject();
    }
    dst->mesh = std::move(copyOf);
    DONE_EDIT();
    return result;
}

// ------------------------------------------------------------------ counts

int MFnMesh::numVertices(MStatus* status) const { MESH_OR_FAIL(0) setStatus(status, MStatus::kSuccess); return m.numVertices(); }
int MFnMesh::numEdges(MStatus* status) const { MESH_OR_FAIL(0) setStatus(status, MStatus::kSuccess); return m.numEdges(); }
int MFnMesh::numPolygons(MStatus* status) const { MESH_OR_FAIL(0) setStatus(status, MStatus::kSuccess); return m.numFaces(); }
int MFnMesh::numFaceVertices(MStatus* status) const { MESH_OR_FAIL(0) setStatus(status, MStatus::kSuccess); return m.numFaceVertices(); }
int MFnMesh::numNormals(MStatus* status) const { MESH_OR_FAIL(0) setStatus(status, MStatus::kSuccess); return m.numNormals(); }
int MFnMesh::numUVSets(MStatus* status) const { MESH_OR_FAIL(0) setStatus(status, MStatus::kSuccess); return m.numUVSets(); }
int MFnMesh::numColorSets(MStatus* status) const { MESH_OR_FAIL(0) setStatus(status, MStatus::kSuccess); return m.numColorSets(); }

int MFnMesh::numUVs(MStatus* status) const {
    MESH_OR_FAIL(0)
    int s = uvSetIndex(m, nullptr);
    setStatus(status, MStatus::kSuccess);
    return s < 0 ? 0 : int(m.uvSet(s).u.size());
}

int MFnMesh::numUVs(const MString& uvSet, MStatus* status) const {
    MESH_OR_FAIL(0)
    int s = uvSetIndex(m, &uvSet);
    if (s < 0) { setStatus(status, MStatus::kInvalidParameter); return 0; }
    setStatus(status, MStatus::kSuccess);
    return int(m.uvSet(s).u.size());
}

int MFnMesh::numColors(MStatus* status) const {
    MESH_OR_FAIL(0)
    int s = colorSetIndex(m, nullptr);
    setStatus(status, MStatus::kSuccess);
    return s < 0 ? 0 : int(m.colorSet(s).colors.size());
}

int MFnMesh::numColors(const MString& colorSet, MStatus* status) const {
    MESH_OR_FAIL(0)
    int s = colorSetIndex(m, &colorSet);
    if (s < 0) { setStatus(status, MStatus::kInvalidParameter); return 0; }
    setStatus(status, MStatus::kSuccess);
    return int(m.colorSet(s).colors.size());
}

int MFnMesh::polygonVertexCount(int polygonId, MStatus* status) const {
    MESH_OR_FAIL(0)
    if (!m.validFace(polygonId)) { setStatus(status, MStatus::kInvalidParameter); return 0; }
    setStatus(status, MStatus::kSuccess);
    return m.faceCount(polygonId);
}

// ------------------------------------------------------------------ points

MStatus MFnMesh::getPoints(MPointArray& out, MSpace::Space space) const {
    MESH_OR_RETURN()
    out.clear();
    for (int v = 0; v < m.numVertices(); ++v) out.append(pointIn(m, v, &path_, space));
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPoints(MFloatPointArray& out, MSpace::Space space) const {
    MPointArray p;
    MStatus st = getPoints(p, space);
    out.clear();
    for (const MPoint& q : p) out.append(MFloatPoint(q));
    return st;
}

MStatus MFnMesh::setPoints(MPointArray& pts, MSpace::Space space) {
    EDIT_OR_RETURN()
    MMatrix w;
    bool world = worldMatrix(&path_, space, w);
    MMatrix inv = world ? w.inverse() : MMatrix();
    std::vector<Vec3f> p;
    for (const MPoint& q : pts) p.emplace_back(toVec(world ? q * inv : q));
    m.setPoints(p);
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::setPoints(MFloatPointArray& pts, MSpace::Space space) {
    MPointArray p;
    for (const MFloatPoint& q : pts) p.append(MPoint(q));
    return setPoints(p, space);
}

MStatus MFnMesh::getPoint(int vertexId, MPoint& pos, MSpace::Space space) const {
    MESH_OR_RETURN()
    if (vertexId < 0 || vertexId >= m.numVertices()) return MStatus::kInvalidParameter;
    pos = pointIn(m, vertexId, &path_, space);
    return MStatus::kSuccess;
}

MStatus MFnMesh::setPoint(int vertexId, const MPoint& pos, MSpace::Space space) {
    EDIT_OR_RETURN()
    if (vertexId < 0 || vertexId >= m.numVertices()) return MStatus::kInvalidParameter;
    MMatrix w;
    MPoint p = worldMatrix(&path_, space, w) ? pos * w.inverse() : pos;
    m.setPoint(vertexId, Vec3f(toVec(p)));
    DONE_EDIT();
    return MStatus::kSuccess;
}

// ------------------------------------------------------------------ topology

MStatus MFnMesh::getPolygonVertices(int polygonId, MIntArray& vertexList) const {
    MESH_OR_RETURN()
    if (!m.validFace(polygonId)) return MStatus::kInvalidParameter;
    vertexList.clear();
    for (int i = 0; i < m.faceCount(polygonId); ++i) vertexList.append(m.faceVertex(polygonId, i));
    return MStatus::kSuccess;
}

MStatus MFnMesh::getVertices(MIntArray& vertexCount, MIntArray& vertexList) const {
    MESH_OR_RETURN()
    vertexCount = MIntArray(m.counts());
    vertexList = MIntArray(m.faceVertexList());
    return MStatus::kSuccess;
}

MStatus MFnMesh::getEdgeVertices(int edgeId, int2& vertexList) const {
    MESH_OR_RETURN()
    if (edgeId < 0 || edgeId >= m.numEdges()) return MStatus::kInvalidParameter;
    vertexList[0] = m.edge(edgeId).v0;
    vertexList[1] = m.edge(edgeId).v1;
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPolygonTriangleVertices(int polygonId, int triangleId, int vertexList[3]) const {
    MESH_OR_RETURN()
    if (!m.validFace(polygonId)) return MStatus::kInvalidParameter;
    const auto& tri = m.faceTriangles(polygonId);
    if (triangleId < 0 || size_t(triangleId + 1) * 3 > tri.size()) return MStatus::kInvalidParameter;
    for (int k = 0; k < 3; ++k) vertexList[k] = m.faceVertex(polygonId, tri[size_t(triangleId) * 3 + size_t(k)]);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getTriangles(MIntArray& triangleCounts, MIntArray& triangleVertices) const {
    MESH_OR_RETURN()
    triangleCounts.clear();
    triangleVertices.clear();
    for (int f = 0; f < m.numFaces(); ++f) {
        const auto& tri = m.faceTriangles(f);
        triangleCounts.append(int(tri.size() / 3));
        for (int c : tri) triangleVertices.append(m.faceVertex(f, c));
    }
    return MStatus::kSuccess;
}

bool MFnMesh::isEdgeSmooth(int edgeId, MStatus* status) const {
    MESH_OR_FAIL(false)
    if (edgeId < 0 || edgeId >= m.numEdges()) { setStatus(status, MStatus::kInvalidParameter); return false; }
    setStatus(status, MStatus::kSuccess);
    return m.edge(edgeId).smooth;
}

MStatus MFnMesh::setEdgeSmoothing(int edgeId, bool smooth) {
    EDIT_OR_RETURN()
    if (!m.setEdgeSmooth(edgeId, smooth)) return MStatus::kInvalidParameter;
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::cleanupEdgeSmoothing() {
    // Normals follow edge flags on demand; nothing is left to rebuild.
    MESH_OR_RETURN()
    DONE_EDIT();
    return MStatus::kSuccess;
}

// ------------------------------------------------------------------ normals

MStatus MFnMesh::getNormals(MFloatVectorArray& normals, MSpace::Space space) const {
    MESH_OR_RETURN()
    normals.clear();
    for (const Vec3f& n : m.normals()) normals.append(MFloatVector(normalIn(toVector(n), &path_, space)));
    return MStatus::kSuccess;
}

MStatus MFnMesh::getNormalIds(MIntArray& normalIdCounts, MIntArray& normalIds) const {
    MESH_OR_RETURN()
    normalIdCounts = MIntArray(m.counts());
    normalIds.clear();
    for (int fv = 0; fv < m.numFaceVertices(); ++fv) normalIds.append(m.normalId(fv));
    return MStatus::kSuccess;
}

MStatus MFnMesh::getFaceNormalIds(int faceIndex, MIntArray& normals) const {
    MESH_OR_RETURN()
    if (!m.validFace(faceIndex)) return MStatus::kInvalidParameter;
    normals.clear();
    for (int i = 0; i < m.faceCount(faceIndex); ++i) normals.append(m.normalId(m.faceOffset(faceIndex) + i));
    return MStatus::kSuccess;
}

MStatus MFnMesh::getFaceVertexNormal(int faceIndex, int vertexIndex, MVector& normal, MSpace::Space space) const {
    MESH_OR_RETURN()
    int fv = m.findCorner(faceIndex, vertexIndex);
    if (fv < 0) return MStatus::kInvalidParameter;
    normal = normalIn(toVector(m.faceVertexNormal(fv)), &path_, space);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getFaceVertexNormals(int faceIndex, MFloatVectorArray& normals, MSpace::Space space) const {
    MESH_OR_RETURN()
    if (!m.validFace(faceIndex)) return MStatus::kInvalidParameter;
    normals.clear();
    for (int i = 0; i < m.faceCount(faceIndex); ++i)
        normals.append(MFloatVector(normalIn(toVector(m.faceVertexNormal(m.faceOffset(faceIndex) + i)), &path_, space)));
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPolygonNormal(int polygonId, MVector& normal, MSpace::Space space) const {
    MESH_OR_RETURN()
    if (!m.validFace(polygonId)) return MStatus::kInvalidParameter;
    normal = normalIn(toVector(m.faceNormal(polygonId)), &path_, space);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getVertexNormal(int vertexId, MVector& normal, MSpace::Space space) const {
    return getVertexNormal(vertexId, false, normal, space);
}

MStatus MFnMesh::getVertexNormal(int vertexId, bool angleWeighted, MVector& normal, MSpace::Space space) const {
    MESH_OR_RETURN()
    if (vertexId < 0 || vertexId >= m.numVertices()) return MStatus::kInvalidParameter;
    normal = normalIn(toVector(m.vertexNormal(vertexId, angleWeighted)), &path_, space);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getVertexNormals(bool angleWeighted, MFloatVectorArray& normals, MSpace::Space space) const {
    MESH_OR_RETURN()
    normals.clear();
    for (int v = 0; v < m.numVertices(); ++v)
        normals.append(MFloatVector(normalIn(toVector(m.vertexNormal(v, angleWeighted)), &path_, space)));
    return MStatus::kSuccess;
}

MStatus MFnMesh::setFaceVertexNormal(MVector& normal, int faceId, int vertexId, MSpace::Space space, MDGModifier*) {
    EDIT_OR_RETURN()
    int fv = m.findCorner(faceId, vertexId);
    if (fv < 0) return MStatus::kInvalidParameter;
    MMatrix w;
    // World normals come back to object space through the transposed matrix.
    MVector n = worldMatrix(&path_, space, w) ? normal.transformAsNormal(w.inverse()) : normal;
    m.setFaceVertexNormal(fv, Vec3(n.x, n.y, n.z));
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::setVertexNormal(MVector& normal, int vertexId, MSpace::Space space, MDGModifier*) {
    EDIT_OR_RETURN()
    if (vertexId < 0 || vertexId >= m.numVertices()) return MStatus::kInvalidParameter;
    MMatrix w;
    MVector n = worldMatrix(&path_, space, w) ? normal.transformAsNormal(w.inverse()) : normal;
    for (int f : m.vertexFaces(vertexId))
        for (int i = 0; i < m.faceCount(f); ++i)
            if (m.faceVertex(f, i) == vertexId) m.setFaceVertexNormal(m.faceOffset(f) + i, Vec3(n.x, n.y, n.z));
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::unlockFaceVertexNormals(MIntArray& faceList, MIntArray& vertexList) {
    EDIT_OR_RETURN()
    if (faceList.length() != vertexList.length()) return MStatus::kInvalidParameter;
    for (unsigned i = 0; i < faceList.length(); ++i)
        if (m.findCorner(faceList[i], vertexList[i]) < 0) return MStatus::kInvalidParameter;
    for (unsigned i = 0; i < faceList.length(); ++i) m.unlockFaceVertexNormal(m.findCorner(faceList[i], vertexList[i]));
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::unlockVertexNormals(MIntArray& vertexList) {
    EDIT_OR_RETURN()
    for (int v : vertexList)
        if (v < 0 || v >= m.numVertices()) return MStatus::kInvalidParameter;
    for (int v : vertexList)
        for (int f : m.vertexFaces(v))
            for (int i = 0; i < m.faceCount(f); ++i)
                if (m.faceVertex(f, i) == v) m.unlockFaceVertexNormal(m.faceOffset(f) + i);
    DONE_EDIT();
    return MStatus::kSuccess;
}

bool MFnMesh::isNormalLocked(int normalId, MStatus* status) const {
    MESH_OR_FAIL(false)
    if (normalId < 0 || normalId >= m.numNormals()) { setStatus(status, MStatus::kInvalidParameter); return false; }
    setStatus(status, MStatus::kSuccess);
    for (int fv = 0; fv < m.numFaceVertices(); ++fv)
        if (m.normalId(fv) == normalId) return m.isNormalLocked(fv);
    return false;
}

// ------------------------------------------------------------------ UV sets

MStatus MFnMesh::getUVSetNames(MStringArray& setNames) const {
    MESH_OR_RETURN()
    setNames.clear();
    for (int s = 0; s < m.numUVSets(); ++s) setNames.append(MString(m.uvSet(s).name));
    return MStatus::kSuccess;
}

MString MFnMesh::currentUVSetName(MStatus* status, int) const {
    MESH_OR_FAIL(MString())
    setStatus(status, MStatus::kSuccess);
    return m.numUVSets() ? MString(m.uvSet(m.currentUVSet()).name) : MString();
}

MStatus MFnMesh::setCurrentUVSetName(const MString& setName, MDGModifier*, int) {
    EDIT_OR_RETURN()
    return m.setCurrentUVSet(m.findUVSet(setName.str())) ? MStatus::kSuccess : MStatus::kInvalidParameter;
}

MString MFnMesh::createUVSetWithName(const MString& setName, MDGModifier*, MStatus* status) {
    auto edit_ = editable();
    if (!edit_) { setStatus(status, MStatus::kInvalidParameter); return MString(); }
    Mesh& m = edit_->mesh;
    // A taken name gets a number appended, as the host does.
    std::string base = setName.length() ? setName.str() : "uvSet";
    std::string name = base;
    for (int k = 1; m.findUVSet(name) >= 0; ++k) name = base + std::to_string(k);
    m.createUVSet(name);
    DONE_EDIT();
    setStatus(status, MStatus::kSuccess);
    return MString(name);
}

MStatus MFnMesh::createUVSet(MString& setName, MDGModifier* modifier, int) {
    MStatus st;
    setName = createUVSetWithName(setName, modifier, &st);
    return st;
}

MStatus MFnMesh::deleteUVSet(const MString& setName, MDGModifier*) {
    EDIT_OR_RETURN()
    // The last UV set cannot go.
    if (m.numUVSets() <= 1) return MStatus::kFailure;
    if (!m.deleteUVSet(m.findUVSet(setName.str()))) return MStatus::kInvalidParameter;
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::renameUVSet(const MString& origName, const MString& newName, MDGModifier*) {
    EDIT_OR_RETURN()
    return m.renameUVSet(m.findUVSet(origName.str()), newName.str()) ? MStatus::kSuccess : MStatus::kInvalidParameter;
}

MStatus MFnMesh::getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet) const {
    MESH_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    uArray = MFloatArray(m.uvSet(s).u);
    vArray = MFloatArray(m.uvSet(s).v);
    return MStatus::kSuccess;
}

MStatus MFnMesh::setUVs(const MFloatArray& uArray, const MFloatArray& vArray, const MString* uvSet) {
    EDIT_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0 || !m.setUVs(s, uArray.vec(), vArray.vec())) return MStatus::kInvalidParameter;
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::getUV(int uvId, float& u, float& v, const MString* uvSet) const {
    MESH_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0 || uvId < 0 || uvId >= int(m.uvSet(s).u.size())) return MStatus::kInvalidParameter;
    u = m.uvSet(s).u[size_t(uvId)];
    v = m.uvSet(s).v[size_t(uvId)];
    return MStatus::kSuccess;
}

MStatus MFnMesh::setUV(int uvId, float u, float v, const MString* uvSet) {
    EDIT_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0 || uvId < 0) return MStatus::kInvalidParameter;
    std::vector<float> us = m.uvSet(s).u, vs = m.uvSet(s).v;
    // Setting past the end grows the table, as the host does.
    if (size_t(uvId) >= us.size()) { us.resize(size_t(uvId) + 1, 0.0f); vs.resize(size_t(uvId) + 1, 0.0f); }
    us[size_t(uvId)] = u;
    vs[size_t(uvId)] = v;
    m.setUVs(s, us, vs);
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::clearUVs(const MString* uvSet) {
    EDIT_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    m.setUVs(s, {}, {});
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::assignUV(int polygonId, int vertexIndex, int uvId, const MString* uvSet) {
    EDIT_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0 || !m.validFace(polygonId) || vertexIndex < 0 || vertexIndex >= m.faceCount(polygonId) || uvId < 0 ||
        uvId >= int(m.uvSet(s).u.size()))
        return MStatus::kInvalidParameter;
    m.setCornerUV(s, m.faceOffset(polygonId) + vertexIndex, uvId);
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::assignUVs(const MIntArray& uvCounts, const MIntArray& uvIds, const MString* uvSet) {
    EDIT_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    std::string err;
    if (!m.assignUVs(s, uvCounts.vec(), uvIds.vec(), &err)) {
        fprintf(stderr, "// Error: MFnMesh::assignUVs: %s //\n", err.c_str());
        return MStatus::kInvalidParameter;
    }
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::getAssignedUVs(MIntArray& uvCounts, MIntArray& uvIds, const MString* uvSet) const {
    MESH_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    uvCounts.clear();
    uvIds.clear();
    for (int f = 0; f < m.numFaces(); ++f) {
        bool has = m.faceHasUVs(s, f);
        uvCounts.append(has ? m.faceCount(f) : 0);
        if (has)
            for (int i = 0; i < m.faceCount(f); ++i) uvIds.append(m.uvId(s, m.faceOffset(f) + i));
    }
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPolygonUVid(int polygonId, int vertexIndex, int& uvId, const MString* uvSet) const {
    MESH_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0 || !m.validFace(polygonId) || vertexIndex < 0 || vertexIndex >= m.faceCount(polygonId))
        return MStatus::kInvalidParameter;
    int id = m.uvId(s, m.faceOffset(polygonId) + vertexIndex);
    if (id < 0) return MStatus::kFailure;  // the face has no UV there
    uvId = id;
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPolygonUV(int polygonId, int vertexIndex, float& u, float& v, const MString* uvSet) const {
    int id = -1;
    MStatus st = getPolygonUVid(polygonId, vertexIndex, id, uvSet);
    if (st.error()) return st;
    return getUV(id, u, v, uvSet);
}

// ------------------------------------------------------------------ colour sets

MStatus MFnMesh::getColorSetNames(MStringArray& setNames) const {
    MESH_OR_RETURN()
    setNames.clear();
    for (int s = 0; s < m.numColorSets(); ++s) setNames.append(MString(m.colorSet(s).name));
    return MStatus::kSuccess;
}

MString MFnMesh::currentColorSetName(int, MStatus* status) const {
    MESH_OR_FAIL(MString())
    setStatus(status, MStatus::kSuccess);
    int s = m.currentColorSet();
    return s < 0 ? MString() : MString(m.colorSet(s).name);
}

MStatus MFnMesh::setCurrentColorSetName(const MString& setName, MDGModifier*, int) {
    EDIT_OR_RETURN()
    return m.setCurrentColorSet(m.findColorSet(setName.str())) ? MStatus::kSuccess : MStatus::kInvalidParameter;
}

MString MFnMesh::createColorSetWithName(const MString& setName, MDGModifier*, MStatus* status) {
    auto edit_ = editable();
    if (!edit_) { setStatus(status, MStatus::kInvalidParameter); return MString(); }
    Mesh& m = edit_->mesh;
    std::string base = setName.length() ? setName.str() : "colorSet";
    std::string name = base;
    for (int k = 1; m.findColorSet(name) >= 0; ++k) name = base + std::to_string(k);
    m.createColorSet(name);
    DONE_EDIT();
    setStatus(status, MStatus::kSuccess);
    return MString(name);
}

MStatus MFnMesh::createColorSet(MString& setName, MDGModifier* modifier) {
    MStatus st;
    setName = createColorSetWithName(setName, modifier, &st);
    return st;
}

MStatus MFnMesh::deleteColorSet(const MString& setName, MDGModifier*) {
    EDIT_OR_RETURN()
    if (!m.deleteColorSet(m.findColorSet(setName.str()))) return MStatus::kInvalidParameter;
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::getFaceVertexColors(MColorArray& colors, const MString* colorSet, const MColor* unset) const {
    MESH_OR_RETURN()
    colors.clear();
    int s = colorSetIndex(m, colorSet);
    if (s < 0 && colorSet && colorSet->length()) return MStatus::kInvalidParameter;
    MColor fallback = unset ? *unset : kUnsetColor;
    for (int fv = 0; fv < m.numFaceVertices(); ++fv) {
        int id = s < 0 ? -1 : m.colorId(s, fv);
        colors.append(id < 0 ? fallback : toColor(m.colorSet(s).colors[size_t(id)]));
    }
    return MStatus::kSuccess;
}

MStatus MFnMesh::getColors(MColorArray& colors, const MString* colorSet, const MColor*) const {
    MESH_OR_RETURN()
    colors.clear();
    int s = colorSetIndex(m, colorSet);
    if (s < 0) return colorSet && colorSet->length() ? MStatus::kInvalidParameter : MStatus::kSuccess;
    for (const Rgba& c : m.colorSet(s).colors) colors.append(toColor(c));
    return MStatus::kSuccess;
}

MStatus MFnMesh::setColors(const MColorArray& colors, const MString* colorSet, MColorRepresentation rep) {
    EDIT_OR_RETURN()
    int s = colorSetIndex(m, colorSet);
    if (s < 0) {
        if (colorSet && colorSet->length()) return MStatus::kInvalidParameter;
        s = m.createColorSet("colorSet1");
    }
    std::vector<Rgba> c;
    for (const MColor& x : colors) c.push_back(withRepresentation(x, rep));
    m.setColors(s, c);
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::getFaceVertexColorIndex(int faceIndex, int localVertexIndex, int& colorIndex,
                                         const MString* colorSet) const {
    MESH_OR_RETURN()
    int s = colorSetIndex(m, colorSet);
    if (s < 0 || !m.validFace(faceIndex) || localVertexIndex < 0 || localVertexIndex >= m.faceCount(faceIndex))
        return MStatus::kInvalidParameter;
    colorIndex = m.colorId(s, m.faceOffset(faceIndex) + localVertexIndex);
    return MStatus::kSuccess;
}

MStatus MFnMesh::getColorIndex(int faceId, int localVertexId, int& colorId, const MString* colorSet) const {
    return getFaceVertexColorIndex(faceId, localVertexId, colorId, colorSet);
}

MStatus MFnMesh::assignColor(int polygonId, int vertexIndex, int colorId, const MString* colorSet) {
    EDIT_OR_RETURN()
    int s = colorSetIndex(m, colorSet);
    if (s < 0 || !m.validFace(polygonId) || vertexIndex < 0 || vertexIndex >= m.faceCount(polygonId))
        return MStatus::kInvalidParameter;
    std::vector<int> ids;
    for (int i = 0; i < m.faceCount(polygonId); ++i) ids.push_back(m.colorId(s, m.faceOffset(polygonId) + i));
    ids[size_t(vertexIndex)] = colorId;
    if (!m.setFaceColorIds(s, polygonId, ids)) return MStatus::kInvalidParameter;
    DONE_EDIT();
    return MStatus::kSuccess;
}

namespace {
// Colour edits go to the current set, made ("colorSet1") when the mesh has none.
int colorSetForEdit(Mesh& m) {
    int s = m.currentColorSet();
    return s >= 0 ? s : m.createColorSet("colorSet1");
}
}  // namespace

MStatus MFnMesh::setVertexColor(const MColor& color, int vertexId, MDGModifier*, MColorRepresentation rep) {
    EDIT_OR_RETURN()
    if (vertexId < 0 || vertexId >= m.numVertices()) return MStatus::kInvalidParameter;
    m.setVertexColor(colorSetForEdit(m), vertexId, withRepresentation(color, rep));
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::setVertexColors(const MColorArray& colors, const MIntArray& vertexList, MDGModifier*,
                                 MColorRepresentation rep) {
    EDIT_OR_RETURN()
    if (colors.length() != vertexList.length()) return MStatus::kInvalidParameter;
    for (int v : vertexList)
        if (v < 0 || v >= m.numVertices()) return MStatus::kInvalidParameter;
    int s = colorSetForEdit(m);
    for (unsigned i = 0; i < colors.length(); ++i) m.setVertexColor(s, vertexList[i], withRepresentation(colors[i], rep));
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::setFaceVertexColor(const MColor& color, int faceId, int vertexId, MDGModifier*,
                                    MColorRepresentation rep) {
    EDIT_OR_RETURN()
    int fv = m.findCorner(faceId, vertexId);
    if (fv < 0) return MStatus::kInvalidParameter;
    m.setFaceVertexColor(colorSetForEdit(m), fv, withRepresentation(color, rep));
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::setFaceVertexColors(const MColorArray& colors, const MIntArray& faceList, const MIntArray& vertexList,
                                     MDGModifier*, MColorRepresentation rep) {
    EDIT_OR_RETURN()
    if (colors.length() != faceList.length() || faceList.length() != vertexList.length()) return MStatus::kInvalidParameter;
    for (unsigned i = 0; i < faceList.length(); ++i)
        if (m.findCorner(faceList[i], vertexList[i]) < 0) return MStatus::kInvalidParameter;
    int s = colorSetForEdit(m);
    for (unsigned i = 0; i < faceList.length(); ++i)
        m.setFaceVertexColor(s, m.findCorner(faceList[i], vertexList[i]), withRepresentation(colors[i], rep));
    DONE_EDIT();
    return MStatus::kSuccess;
}

// ------------------------------------------------------------------ shading

namespace {

const char* prefixOf(const std::vector<std::string>& items, MFn::Type& kind) {
    for (const std::string& s : items) {
        if (s.rfind("f[", 0) == 0) { kind = MFn::kMeshPolygonComponent; return "f"; }
        if (s.rfind("vtx[", 0) == 0) { kind = MFn::kMeshVertComponent; return "vtx"; }
        if (s.rfind("e[", 0) == 0) { kind = MFn::kMeshEdgeComponent; return "e"; }
    }
    return nullptr;
}

}  // namespace

MStatus MFnMesh::getConnectedSetsAndMembers(unsigned int, MObjectArray& sets, MObjectArray& comps,
                                            bool renderableSetsOnly) const {
    sets.clear();
    comps.clear();
    scene::Node* shape = shapeNode(obj_);
    auto geom = meshData();
    if (!shape || !geom) return MStatus::kInvalidParameter;
    const Mesh& m = geom->mesh;
    scene::Scene& sc = scene::scene();
    for (const scene::SetMembership& mem : sc.membershipsOf(shape)) {
        if (!mem.set || !mem.set->alive()) continue;
        if (renderableSetsOnly && !mem.set->type->hasFn(MFn::kShadingEngine)) continue;
        MObject comp;
        if (!mem.wholeObject) {
            MFn::Type kind = MFn::kInvalid;
            if (!prefixOf(mem.components, kind)) continue;
            int count = kind == MFn::kMeshPolygonComponent ? m.numFaces()
                        : kind == MFn::kMeshVertComponent  ? m.numVertices()
                                                           : m.numEdges();
            auto c = scene::componentFromStrings(kind, mem.components, count);
            if (!c || c->elements.empty()) continue;
            comp = MObject(c);
        }
        sets.append(MObject(sc.ptr(mem.set)));
        comps.append(comp);
    }
    return MStatus::kSuccess;
}

MStatus MFnMesh::getConnectedShaders(unsigned int instanceNumber, MObjectArray& shaders, MIntArray& indices) const {
    shaders.clear();
    indices.clear();
    auto geom = meshData();
    if (!shapeNode(obj_) || !geom) return MStatus::kInvalidParameter;
    const Mesh& m = geom->mesh;
    MObjectArray sets, comps;
    MStatus st = getConnectedSetsAndMembers(instanceNumber, sets, comps, true);
    if (st.error()) return st;
    std::vector<int> faceShader(size_t(m.numFaces()), -1);
    for (unsigned i = 0; i < sets.length(); ++i) {
        int k = -1;
        for (unsigned j = 0; j < shaders.length(); ++j)
            if (shaders[j] == sets[i]) k = int(j);
        std::vector<int> faces;
        if (comps[i].isNull()) {
            for (int f = 0; f < m.numFaces(); ++f) faces.push_back(f);
        } else {
            auto c = std::dynamic_pointer_cast<scene::SingleIndexedComponent>(comps[i].object());
            if (!c || c->kind != MFn::kMeshPolygonComponent) continue;
            faces = c->resolve(m.numFaces());
        }
        if (faces.empty()) continue;
        if (k < 0) {
            k = int(shaders.length());
            shaders.append(sets[i]);
        }
        for (int f : faces) faceShader[size_t(f)] = k;
    }
    indices = MIntArray(faceShader);
    return MStatus::kSuccess;
}

// ------------------------------------------------------------------ queries

namespace {

struct QueryFrame {
    bool world = false;
    MMatrix toWorld, toObject;
};

QueryFrame frameFor(const MDagPath& path, MSpace::Space space) {
    QueryFrame q;
    q.world = worldMatrix(&path, space, q.toWorld);
    if (q.world) q.toObject = q.toWorld.inverse();
    return q;
}

}  // namespace

MStatus MFnMesh::getClosestPointAndNormal(const MPoint& toThisPoint, MPoint& theClosestPoint, MVector& theNormal,
                                          MSpace::Space space, int* closestPolygon) const {
    MESH_OR_RETURN()
    QueryFrame q = frameFor(path_, space);
    MPoint local = q.world ? toThisPoint * q.toObject : toThisPoint;
    scene::MeshHit hit;
    if (!m.closestPoint(toVec(local), hit)) return MStatus::kFailure;
    theClosestPoint = toPoint(hit.point);
    theNormal = toVector(m.normalAtHit(hit));
    if (q.world) {
        theClosestPoint = theClosestPoint * q.toWorld;
        theNormal = theNormal.transformAsNormal(q.toWorld);
    }
    if (closestPolygon) *closestPolygon = hit.face;
    return MStatus::kSuccess;
}

MStatus MFnMesh::getClosestPoint(const MPoint& toThisPoint, MPoint& theClosestPoint, MSpace::Space space,
                                 int* closestPolygon) const {
    MVector n;
    return getClosestPointAndNormal(toThisPoint, theClosestPoint, n, space, closestPolygon);
}

MStatus MFnMesh::getClosestNormal(const MPoint& toThisPoint, MVector& theNormal, MSpace::Space space,
                                  int* closestPolygon) const {
    MPoint p;
    return getClosestPointAndNormal(toThisPoint, p, theNormal, space, closestPolygon);
}

MStatus MFnMesh::getUVAtPoint(const MPoint& toThisPoint, float2& uvPoint, MSpace::Space space, const MString* uvSet,
                              int* closestPolygon) const {
    MESH_OR_RETURN()
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    QueryFrame q = frameFor(path_, space);
    MPoint local = q.world ? toThisPoint * q.toObject : toThisPoint;
    scene::MeshHit hit;
    if (!m.closestPoint(toVec(local), hit)) return MStatus::kFailure;
    if (closestPolygon) *closestPolygon = hit.face;
    float u = 0, v = 0;
    if (!m.uvAtHit(s, hit, u, v)) return MStatus::kFailure;  // the nearest face is not mapped
    uvPoint[0] = u;
    uvPoint[1] = v;
    return MStatus::kSuccess;
}

MStatus MFnMesh::getPolygonArea(int polygonId, double& area, MSpace::Space space) const {
    MESH_OR_RETURN()
    if (!m.validFace(polygonId)) return MStatus::kInvalidParameter;
    QueryFrame q = frameFor(path_, space);
    if (!q.world) {
        area = m.faceArea(polygonId);
        return MStatus::kSuccess;
    }
    area = 0;
    const auto& tri = m.faceTriangles(polygonId);
    for (size_t t = 0; t + 2 < tri.size(); t += 3) {
        MPoint a = pointIn(m, m.faceVertex(polygonId, tri[t]), &path_, space);
        MPoint b = pointIn(m, m.faceVertex(polygonId, tri[t + 1]), &path_, space);
        MPoint c = pointIn(m, m.faceVertex(polygonId, tri[t + 2]), &path_, space);
        area += 0.5 * ((b - a) ^ (c - a)).length();
    }
    return MStatus::kSuccess;
}

double MFnMesh::area(MSpace::Space space, MStatus* status) const {
    MESH_OR_FAIL(0.0)
    double total = 0;
    for (int f = 0; f < m.numFaces(); ++f) {
        double a = 0;
        getPolygonArea(f, a, space);
        total += a;
    }
    setStatus(status, MStatus::kSuccess);
    return total;
}

MBoundingBox MFnMesh::boundingBox(MStatus* status) const {
    MESH_OR_FAIL(MBoundingBox())
    setStatus(status, MStatus::kSuccess);
    Vec3 lo, hi;
    if (!m.bounds(lo, hi)) return MBoundingBox();
    return MBoundingBox(toPoint(lo), toPoint(hi));
}

MStatus MFnMesh::updateSurface() {
    MESH_OR_RETURN()
    DONE_EDIT();
    return MStatus::kSuccess;
}

MStatus MFnMesh::syncObject() { return updateSurface(); }
