#include <maya/MItMeshVertex.h>

#include "api/mesh/iter_common.h"

using namespace host;
using namespace host::api::meshapi;
using scene::Mesh;

namespace {
int vertexCount(const Mesh& m) { return m.numVertices(); }

bool contains(const MIntArray& a, int x) {
    for (int y : a)
        if (y == x) return true;
    return false;
}
}  // namespace

MItMeshVertex::MItMeshVertex(const MObject& polyObject, MStatus* status) {
    setStatus(status, attach(polyObject, nullptr, MObject()));
}
MItMeshVertex::MItMeshVertex(const MDagPath& polyObject, const MObject& component, MStatus* status) {
    setStatus(status, attach(MObject(), &polyObject, component));
}
MItMeshVertex::~MItMeshVertex() = default;

MStatus MItMeshVertex::attach(const MObject& obj, const MDagPath* path, const MObject& component) {
    pos_ = 0;
    return attachIterator(obj, path, component, MFn::kMeshVertComponent, data_, path_, hasPath_, order_, vertexCount);
}

bool MItMeshVertex::valid(MStatus* status) const {
    bool ok = data_ && pos_ < order_.size();
    setStatus(status, ok ? MStatus::kSuccess : MStatus::kFailure);
    return ok;
}

#define VERT_OR(ret)                 \
    if (!valid(nullptr)) return ret; \
    const Mesh& m = data_->mesh;     \
    const int v = vert();            \
    (void)m; (void)v;
#define VERT_OR_FAIL(ret)            \
    if (!valid(status)) return ret;  \
    const Mesh& m = data_->mesh;     \
    const int v = vert();            \
    (void)m; (void)v;

bool MItMeshVertex::isDone(MStatus* status) {
    setStatus(status, data_ ? MStatus::kSuccess : MStatus::kFailure);
    return !data_ || pos_ >= order_.size();
}

MStatus MItMeshVertex::next() {
    if (!data_) return MStatus::kFailure;
    if (pos_ < order_.size()) ++pos_;
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::reset() {
    if (!data_) return MStatus::kFailure;
    pos_ = 0;
    return MStatus::kSuccess;
}
MStatus MItMeshVertex::reset(const MObject& polyObject) { return attach(polyObject, nullptr, MObject()); }
MStatus MItMeshVertex::reset(const MDagPath& polyObject, const MObject& component) {
    return attach(MObject(), &polyObject, component);
}

int MItMeshVertex::count(MStatus* status) {
    setStatus(status, data_ ? MStatus::kSuccess : MStatus::kFailure);
    return data_ ? int(order_.size()) : 0;
}

int MItMeshVertex::index(MStatus* status) {
    VERT_OR_FAIL(-1)
    return v;
}

MStatus MItMeshVertex::setIndex(int index, int& prevIndex) {
    if (!data_) return MStatus::kFailure;
    if (index < 0 || index >= data_->mesh.numVertices()) return MStatus::kInvalidParameter;
    prevIndex = pos_ < order_.size() ? vert() : -1;
    for (size_t i = 0; i < order_.size(); ++i)
        if (order_[i] == index) { pos_ = i; return MStatus::kSuccess; }
    order_.resize(size_t(data_->mesh.numVertices()));
    for (size_t i = 0; i < order_.size(); ++i) order_[i] = int(i);
    pos_ = size_t(index);
    return MStatus::kSuccess;
}

MObject MItMeshVertex::currentItem(MStatus* status) {
    VERT_OR_FAIL(MObject())
    return makeComponent(MFn::kMeshVertComponent, {v});
}

MPoint MItMeshVertex::position(MSpace::Space space, MStatus* status) {
    VERT_OR_FAIL(MPoint())
    return pointIn(m, v, hasPath_ ? &path_ : nullptr, space);
}

MStatus MItMeshVertex::setPosition(const MPoint& p, MSpace::Space space) {
    if (!valid(nullptr)) return MStatus::kFailure;
    int v = vert();
    MMatrix w;
    MPoint local = worldMatrix(hasPath_ ? &path_ : nullptr, space, w) ? p * w.inverse() : p;
    if (hasPath_) {
        if (scene::Node* n = shapeNode(path_.node())) {
            auto g = scene::editableShapeGeometry(n);
            if (!g) return MStatus::kFailure;
            data_ = g;
            scene::geometryChanged(n);
        }
    }
    data_->mesh.setPoint(v, scene::meshgeom::Vec3f(toVec(local)));
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getNormal(MVector& normal, MSpace::Space space) {
    VERT_OR(MStatus::kFailure)
    normal = normalIn(toVector(m.vertexNormal(v, false)), hasPath_ ? &path_ : nullptr, space);
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getNormal(MVector& normal, int faceIndex, MSpace::Space space) {
    VERT_OR(MStatus::kFailure)
    int fv = m.findCorner(faceIndex, v);
    if (fv < 0) return MStatus::kInvalidParameter;
    normal = normalIn(toVector(m.faceVertexNormal(fv)), hasPath_ ? &path_ : nullptr, space);
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getNormals(MVectorArray& normals, MSpace::Space space) {
    VERT_OR(MStatus::kFailure)
    // One per connected face, in the order of getConnectedFaces.
    normals.clear();
    for (int f : m.vertexFaces(v))
        normals.append(normalIn(toVector(m.faceVertexNormal(m.findCorner(f, v))), hasPath_ ? &path_ : nullptr, space));
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getNormalIndices(MIntArray& normalIndices) {
    VERT_OR(MStatus::kFailure)
    normalIndices.clear();
    for (int f : m.vertexFaces(v)) {
        int id = m.normalId(m.findCorner(f, v));
        if (!contains(normalIndices, id)) normalIndices.append(id);
    }
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getConnectedVertices(MIntArray& vertexList) {
    VERT_OR(MStatus::kFailure)
    vertexList.clear();
    for (int e : m.vertexEdges(v)) vertexList.append(m.edge(e).v0 == v ? m.edge(e).v1 : m.edge(e).v0);
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getConnectedFaces(MIntArray& faceList) {
    VERT_OR(MStatus::kFailure)
    faceList = MIntArray(m.vertexFaces(v));
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getConnectedEdges(MIntArray& edgeList) {
    VERT_OR(MStatus::kFailure)
    edgeList = MIntArray(m.vertexEdges(v));
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::numConnectedFaces(int& faceCount) const {
    VERT_OR(MStatus::kFailure)
    faceCount = int(m.vertexFaces(v).size());
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::numConnectedEdges(int& edgeCount) const {
    VERT_OR(MStatus::kFailure)
    edgeCount = int(m.vertexEdges(v).size());
    return MStatus::kSuccess;
}

bool MItMeshVertex::connectedToFace(int index, MStatus* status) {
    VERT_OR_FAIL(false)
    for (int f : m.vertexFaces(v))
        if (f == index) return true;
    return false;
}

bool MItMeshVertex::connectedToEdge(int index, MStatus* status) {
    VERT_OR_FAIL(false)
    for (int e : m.vertexEdges(v))
        if (e == index) return true;
    return false;
}

MStatus MItMeshVertex::getUV(float2& uvPoint, const MString* uvSet) {
    VERT_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    // The UV of the first mapped corner.
    for (int f : m.vertexFaces(v)) {
        int id = m.uvId(s, m.findCorner(f, v));
        if (id < 0) continue;
        uvPoint[0] = m.uvSet(s).u[size_t(id)];
        uvPoint[1] = m.uvSet(s).v[size_t(id)];
        return MStatus::kSuccess;
    }
    return MStatus::kFailure;
}

MStatus MItMeshVertex::getUV(int faceId, float2& uvPoint, const MString* uvSet) {
    VERT_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    int fv = m.findCorner(faceId, v);
    if (s < 0 || fv < 0) return MStatus::kInvalidParameter;
    int id = m.uvId(s, fv);
    if (id < 0) return MStatus::kFailure;
    uvPoint[0] = m.uvSet(s).u[size_t(id)];
    uvPoint[1] = m.uvSet(s).v[size_t(id)];
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getUVs(MFloatArray& uArray, MFloatArray& vArray, MIntArray& faceIds, const MString* uvSet) {
    VERT_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    uArray.clear();
    vArray.clear();
    faceIds.clear();
    for (int f : m.vertexFaces(v)) {
        int id = m.uvId(s, m.findCorner(f, v));
        if (id < 0) continue;
        uArray.append(m.uvSet(s).u[size_t(id)]);
        vArray.append(m.uvSet(s).v[size_t(id)]);
        faceIds.append(f);
    }
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getUVIndices(MIntArray& uvIndices, const MString* uvSet) {
    VERT_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    uvIndices.clear();
    for (int f : m.vertexFaces(v)) {
        int id = m.uvId(s, m.findCorner(f, v));
        if (id >= 0 && !contains(uvIndices, id)) uvIndices.append(id);
    }
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::numUVs(int& uvCount, const MString* uvSet) {
    MIntArray ids;
    MStatus st = getUVIndices(ids, uvSet);
    uvCount = int(ids.length());
    return st;
}

bool MItMeshVertex::hasColor(MStatus* status) const {
    VERT_OR_FAIL(false)
    int s = m.currentColorSet();
    if (s < 0) return false;
    for (int f : m.vertexFaces(v))
        if (m.colorId(s, m.findCorner(f, v)) >= 0) return true;
    return false;
}

MStatus MItMeshVertex::getColor(MColor& color, const MString* colorSetName) {
    VERT_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kFailure;
    MColor sum(0, 0, 0, 0);
    int n = 0;
    for (int f : m.vertexFaces(v)) {
        int id = m.colorId(s, m.findCorner(f, v));
        if (id < 0) continue;
        sum += toColor(m.colorSet(s).colors[size_t(id)]);
        ++n;
    }
    if (!n) return MStatus::kFailure;
    color = sum / float(n);
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getColor(MColor& color, int faceIndex, const MString* colorSetName) {
    VERT_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    int fv = m.findCorner(faceIndex, v);
    if (s < 0 || fv < 0) return MStatus::kInvalidParameter;
    int id = m.colorId(s, fv);
    if (id < 0) return MStatus::kFailure;
    color = toColor(m.colorSet(s).colors[size_t(id)]);
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getColors(MColorArray& colors, const MString* colorSetName) {
    VERT_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kFailure;
    colors.clear();
    for (int f : m.vertexFaces(v)) {
        int id = m.colorId(s, m.findCorner(f, v));
        colors.append(id < 0 ? MColor(-1, -1, -1, -1) : toColor(m.colorSet(s).colors[size_t(id)]));
    }
    return MStatus::kSuccess;
}

MStatus MItMeshVertex::getColorIndices(MIntArray& colorIndices, const MString* colorSetName) {
    VERT_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kFailure;
    colorIndices.clear();
    for (int f : m.vertexFaces(v)) colorIndices.append(m.colorId(s, m.findCorner(f, v)));
    return MStatus::kSuccess;
}

bool MItMeshVertex::onBoundary(MStatus* status) {
    VERT_OR_FAIL(false)
    for (int e : m.vertexEdges(v))
        if (m.onBoundaryEdge(e)) return true;
    return false;
}

MStatus MItMeshVertex::updateSurface() {
    if (!data_) return MStatus::kFailure;
    scene::scene().touch();
    return MStatus::kSuccess;
}
