#include <maya/MItMeshPolygon.h>

#include "api/mesh/mesh_access.h"

#include <algorithm>
#include <cmath>

using namespace host;
using namespace host::api::meshapi;
using scene::Mesh;

namespace {
MStatus setStatus(MStatus* s, MStatus v) {
    if (s) *s = v;
    return v;
}
}  // namespace

MItMeshPolygon::MItMeshPolygon(const MObject& polyObject, MStatus* status) {
    setStatus(status, attach(polyObject, nullptr, MObject()));
}

MItMeshPolygon::MItMeshPolygon(const MDagPath& polyObject, const MObject& component, MStatus* status) {
    setStatus(status, attach(MObject(), &polyObject, component));
}

MItMeshPolygon::~MItMeshPolygon() = default;

MStatus MItMeshPolygon::attach(const MObject& obj, const MDagPath* path, const MObject& component) {
    data_.reset();
    order_.clear();
    pos_ = 0;
    hasPath_ = false;
    component_ = component;
    if (path) {
        MDagPath p;
        MStatus st = meshPath(*path, p);
        if (st.error()) return st;
        path_ = p;
        hasPath_ = true;
        data_ = geometryOf(p.node());
    } else {
        data_ = geometryOf(obj);
        // A shape node still knows its place for world-space queries.
        if (shapeNode(obj) && MDagPath::getAPathTo(obj, path_) == MStatus::kSuccess) hasPath_ = true;
    }
    if (!data_) return MStatus::kInvalidParameter;
    MStatus st = walkOrder(component, MFn::kMeshPolygonComponent, data_->mesh.numFaces(), order_);
    if (st.error()) data_.reset();
    return st;
}

bool MItMeshPolygon::valid(MStatus* status) const {
    bool ok = data_ && pos_ < order_.size();
    setStatus(status, ok ? MStatus::kSuccess : MStatus::kFailure);
    return ok;
}

#define ITER_OR(ret)                            \
    if (!valid(nullptr)) return ret;            \
    const Mesh& m = data_->mesh;                \
    const int f = face();                       \
    (void)m; (void)f;
#define ITER_OR_FAIL(ret)                       \
    if (!valid(status)) return ret;             \
    const Mesh& m = data_->mesh;                \
    const int f = face();                       \
    (void)m; (void)f;

bool MItMeshPolygon::isDone(MStatus* status) {
    setStatus(status, data_ ? MStatus::kSuccess : MStatus::kFailure);
    return !data_ || pos_ >= order_.size();
}

MStatus MItMeshPolygon::next() {
    if (!data_) return MStatus::kFailure;
    if (pos_ < order_.size()) ++pos_;
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::reset() {
    if (!data_) return MStatus::kFailure;
    pos_ = 0;
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::reset(const MObject& polyObject) { return attach(polyObject, nullptr, MObject()); }
MStatus MItMeshPolygon::reset(const MDagPath& polyObject, const MObject& component) {
    return attach(MObject(), &polyObject, component);
}

int MItMeshPolygon::count(MStatus* status) {
    setStatus(status, data_ ? MStatus::kSuccess : MStatus::kFailure);
    return data_ ? int(order_.size()) : 0;
}

int MItMeshPolygon::index(MStatus* status) {
    ITER_OR_FAIL(-1)
    return f;
}

MStatus MItMeshPolygon::setIndex(int index, int& prevIndex) {
    if (!data_) return MStatus::kFailure;
    if (index < 0 || index >= data_->mesh.numFaces()) return MStatus::kInvalidParameter;
    prevIndex = pos_ < order_.size() ? face() : -1;
    // Jumps go to any polygon of the mesh, as in the host; the walk then
    // continues from there over the whole mesh.
    if (!component_.isNull()) {
        for (size_t i = 0; i < order_.size(); ++i)
            if (order_[i] == index) { pos_ = i; return MStatus::kSuccess; }
    }
    order_.resize(size_t(data_->mesh.numFaces()));
    for (size_t i = 0; i < order_.size(); ++i) order_[i] = int(i);
    component_ = MObject();
    pos_ = size_t(index);
    return MStatus::kSuccess;
}

MObject MItMeshPolygon::currentItem(MStatus* status) {
    ITER_OR_FAIL(MObject())
    return makeComponent(MFn::kMeshPolygonComponent, {f});
}

unsigned int MItMeshPolygon::polygonVertexCount(MStatus* status) {
    ITER_OR_FAIL(0)
    return unsigned(m.faceCount(f));
}

int MItMeshPolygon::vertexIndex(int index, MStatus* status) {
    ITER_OR_FAIL(-1)
    if (index < 0 || index >= m.faceCount(f)) { setStatus(status, MStatus::kInvalidParameter); return -1; }
    return m.faceVertex(f, index);
}

MStatus MItMeshPolygon::getVertices(MIntArray& vertices) {
    ITER_OR(MStatus::kFailure)
    vertices.clear();
    for (int i = 0; i < m.faceCount(f); ++i) vertices.append(m.faceVertex(f, i));
    return MStatus::kSuccess;
}

int MItMeshPolygon::normalIndex(int localVertexIndex, MStatus* status) const {
    ITER_OR_FAIL(-1)
    if (localVertexIndex < 0 || localVertexIndex >= m.faceCount(f)) {
        setStatus(status, MStatus::kInvalidParameter);
        return -1;
    }
    return m.normalId(m.faceOffset(f) + localVertexIndex);
}

MStatus MItMeshPolygon::getNormal(MVector& normal, MSpace::Space space) const {
    ITER_OR(MStatus::kFailure)
    normal = normalIn(toVector(m.faceNormal(f)), hasPath_ ? &path_ : nullptr, space);
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getNormal(unsigned int vertexIndex, MVector& normal, MSpace::Space space) const {
    ITER_OR(MStatus::kFailure)
    if (vertexIndex >= unsigned(m.faceCount(f))) return MStatus::kInvalidParameter;
    normal = normalIn(toVector(m.faceVertexNormal(m.faceOffset(f) + int(vertexIndex))), hasPath_ ? &path_ : nullptr,
                      space);
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getNormals(MVectorArray& normals, MSpace::Space space) const {
    ITER_OR(MStatus::kFailure)
    normals.clear();
    for (int i = 0; i < m.faceCount(f); ++i)
        normals.append(normalIn(toVector(m.faceVertexNormal(m.faceOffset(f) + i)), hasPath_ ? &path_ : nullptr, space));
    return MStatus::kSuccess;
}

MPoint MItMeshPolygon::point(int index, MSpace::Space space, MStatus* status) {
    ITER_OR_FAIL(MPoint())
    if (index < 0 || index >= m.faceCount(f)) { setStatus(status, MStatus::kInvalidParameter); return MPoint(); }
    return pointIn(m, m.faceVertex(f, index), hasPath_ ? &path_ : nullptr, space);
}

MStatus MItMeshPolygon::getPoints(MPointArray& points, MSpace::Space space, MStatus* status) {
    ITER_OR_FAIL(MStatus::kFailure)
    points.clear();
    for (int i = 0; i < m.faceCount(f); ++i) points.append(pointIn(m, m.faceVertex(f, i), hasPath_ ? &path_ : nullptr, space));
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::setPoint(const MPoint& p, unsigned int index, MSpace::Space space) {
    if (!valid(nullptr)) return MStatus::kFailure;
    int f = face();
    if (index >= unsigned(data_->mesh.faceCount(f))) return MStatus::kInvalidParameter;
    int v = data_->mesh.faceVertex(f, int(index));
    MMatrix w;
    MPoint local = worldMatrix(hasPath_ ? &path_ : nullptr, space, w) ? p * w.inverse() : p;
    // Edits go to the shape's own geometry.
    if (hasPath_) {
        if (scene::Node* n = shapeNode(path_.node())) {
            auto e = scene::editableShapeGeometry(n);
            if (!e) return MStatus::kFailure;
            data_ = e;
            e->mesh.setPoint(v, scene::meshgeom::Vec3f(toVec(local)));
            scene::geometryChanged(n);
            return MStatus::kSuccess;
        }
    }
    data_->mesh.setPoint(v, scene::meshgeom::Vec3f(toVec(local)));
    return MStatus::kSuccess;
}

MPoint MItMeshPolygon::center(MSpace::Space space, MStatus* status) {
    ITER_OR_FAIL(MPoint())
    MPoint c = toPoint(m.faceCenter(f));
    MMatrix w;
    if (worldMatrix(hasPath_ ? &path_ : nullptr, space, w)) c = c * w;
    return c;
}

MStatus MItMeshPolygon::getArea(double& area, MSpace::Space space) {
    ITER_OR(MStatus::kFailure)
    MMatrix w;
    if (!worldMatrix(hasPath_ ? &path_ : nullptr, space, w)) {
        area = m.faceArea(f);
        return MStatus::kSuccess;
    }
    area = 0;
    const auto& tri = m.faceTriangles(f);
    for (size_t t = 0; t + 2 < tri.size(); t += 3) {
        MPoint a = toPoint(m.points()[m.faceVertex(f, tri[t])]) * w;
        MPoint b = toPoint(m.points()[m.faceVertex(f, tri[t + 1])]) * w;
        MPoint c = toPoint(m.points()[m.faceVertex(f, tri[t + 2])]) * w;
        area += 0.5 * ((b - a) ^ (c - a)).length();
    }
    return MStatus::kSuccess;
}

bool MItMeshPolygon::zeroArea(MStatus* status) {
    ITER_OR_FAIL(false)
    return m.faceArea(f) <= 1e-12;
}

bool MItMeshPolygon::isPlanar(MStatus* status) {
    ITER_OR_FAIL(false)
    scene::meshgeom::Vec3 n = m.faceNormal(f), c = m.faceCenter(f);
    double size = 0;
    for (int i = 0; i < m.faceCount(f); ++i) size = std::max(size, (m.points()[m.faceVertex(f, i)].d() - c).length());
    for (int i = 0; i < m.faceCount(f); ++i)
        if (std::abs((m.points()[m.faceVertex(f, i)].d() - c).dot(n)) > 1e-6 * std::max(size, 1.0)) return false;
    return true;
}

bool MItMeshPolygon::isConvex(MStatus* status) {
    ITER_OR_FAIL(false)
    scene::meshgeom::Vec3 n = m.faceNormal(f);
    int k = m.faceCount(f);
    for (int i = 0; i < k; ++i) {
        auto a = m.points()[m.faceVertex(f, (i + k - 1) % k)].d(), b = m.points()[m.faceVertex(f, i)].d(),
             c = m.points()[m.faceVertex(f, (i + 1) % k)].d();
        if ((b - a).cross(c - b).dot(n) < -1e-12) return false;
    }
    return true;
}

bool MItMeshPolygon::hasUVs(MStatus* status) const {
    ITER_OR_FAIL(false)
    return m.faceHasUVs(uvSetIndex(m, nullptr), f);
}

bool MItMeshPolygon::hasUVs(const MString& uvSet, MStatus* status) const {
    ITER_OR_FAIL(false)
    int s = uvSetIndex(m, &uvSet);
    if (s < 0) { setStatus(status, MStatus::kInvalidParameter); return false; }
    return m.faceHasUVs(s, f);
}

MStatus MItMeshPolygon::getUV(int vertex, float2& uvPoint, const MString* uvSet) const {
    ITER_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0 || vertex < 0 || vertex >= m.faceCount(f)) return MStatus::kInvalidParameter;
    int id = m.uvId(s, m.faceOffset(f) + vertex);
    if (id < 0) return MStatus::kFailure;
    uvPoint[0] = m.uvSet(s).u[size_t(id)];
    uvPoint[1] = m.uvSet(s).v[size_t(id)];
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getUVs(MFloatArray& uArray, MFloatArray& vArray, const MString* uvSet) const {
    ITER_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    uArray.clear();
    vArray.clear();
    if (!m.faceHasUVs(s, f)) return MStatus::kFailure;
    for (int i = 0; i < m.faceCount(f); ++i) {
        int id = m.uvId(s, m.faceOffset(f) + i);
        uArray.append(m.uvSet(s).u[size_t(id)]);
        vArray.append(m.uvSet(s).v[size_t(id)]);
    }
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getUVIndex(int vertex, int& index, const MString* uvSet) {
    ITER_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0 || vertex < 0 || vertex >= m.faceCount(f)) return MStatus::kInvalidParameter;
    int id = m.uvId(s, m.faceOffset(f) + vertex);
    if (id < 0) return MStatus::kFailure;
    index = id;
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getUVIndex(int vertex, int& index, float& u, float& v, const MString* uvSet) {
    MStatus st = getUVIndex(vertex, index, uvSet);
    if (st.error()) return st;
    const Mesh& m = data_->mesh;
    int s = uvSetIndex(m, uvSet);
    u = m.uvSet(s).u[size_t(index)];
    v = m.uvSet(s).v[size_t(index)];
    return MStatus::kSuccess;
}

bool MItMeshPolygon::hasColor(MStatus* status) {
    ITER_OR_FAIL(false)
    int s = m.currentColorSet();
    if (s < 0) return false;
    for (int i = 0; i < m.faceCount(f); ++i)
        if (m.colorId(s, m.faceOffset(f) + i) >= 0) return true;
    return false;
}

bool MItMeshPolygon::hasColor(int localVertexIndex, MStatus* status) {
    ITER_OR_FAIL(false)
    int s = m.currentColorSet();
    if (localVertexIndex < 0 || localVertexIndex >= m.faceCount(f)) {
        setStatus(status, MStatus::kInvalidParameter);
        return false;
    }
    return s >= 0 && m.colorId(s, m.faceOffset(f) + localVertexIndex) >= 0;
}

MStatus MItMeshPolygon::getColor(MColor& color, const MString* colorSetName) {
    ITER_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kFailure;
    MColor sum(0, 0, 0, 0);
    int n = 0;
    for (int i = 0; i < m.faceCount(f); ++i) {
        int id = m.colorId(s, m.faceOffset(f) + i);
        if (id < 0) continue;
        sum += toColor(m.colorSet(s).colors[size_t(id)]);
        ++n;
    }
    if (!n) return MStatus::kFailure;
    color = sum / float(n);
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getColor(MColor& color, int vertexIndex) {
    ITER_OR(MStatus::kFailure)
    int s = m.currentColorSet();
    if (s < 0 || vertexIndex < 0 || vertexIndex >= m.faceCount(f)) return MStatus::kInvalidParameter;
    int id = m.colorId(s, m.faceOffset(f) + vertexIndex);
    if (id < 0) return MStatus::kFailure;
    color = toColor(m.colorSet(s).colors[size_t(id)]);
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getColors(MColorArray& colors, const MString* colorSetName) {
    ITER_OR(MStatus::kFailure)
    colors.clear();
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kFailure;
    for (int i = 0; i < m.faceCount(f); ++i) {
        int id = m.colorId(s, m.faceOffset(f) + i);
        colors.append(id < 0 ? MColor(-1, -1, -1, -1) : toColor(m.colorSet(s).colors[size_t(id)]));
    }
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getColorIndex(int vertexIndex, int& colorIndex, const MString* colorSetName) {
    ITER_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0 || vertexIndex < 0 || vertexIndex >= m.faceCount(f)) return MStatus::kInvalidParameter;
    colorIndex = m.colorId(s, m.faceOffset(f) + vertexIndex);
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getColorIndices(MIntArray& colorIndex, const MString* colorSetName) {
    ITER_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kInvalidParameter;
    colorIndex.clear();
    for (int i = 0; i < m.faceCount(f); ++i) colorIndex.append(m.colorId(s, m.faceOffset(f) + i));
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::numTriangles(int& triCount) const {
    ITER_OR(MStatus::kFailure)
    triCount = m.faceTriangleCount(f);
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getTriangle(int localTriIndex, MPointArray& points, MIntArray& vertexList,
                                    MSpace::Space space) const {
    ITER_OR(MStatus::kFailure)
    const auto& tri = m.faceTriangles(f);
    if (localTriIndex < 0 || size_t(localTriIndex + 1) * 3 > tri.size()) return MStatus::kInvalidParameter;
    points.clear();
    vertexList.clear();
    for (int k = 0; k < 3; ++k) {
        int v = m.faceVertex(f, tri[size_t(localTriIndex) * 3 + size_t(k)]);
        vertexList.append(v);
        points.append(pointIn(m, v, hasPath_ ? &path_ : nullptr, space));
    }
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getTriangles(MPointArray& points, MIntArray& vertexList, MSpace::Space space) const {
    ITER_OR(MStatus::kFailure)
    points.clear();
    vertexList.clear();
    for (int c : m.faceTriangles(f)) {
        int v = m.faceVertex(f, c);
        vertexList.append(v);
        points.append(pointIn(m, v, hasPath_ ? &path_ : nullptr, space));
    }
    return MStatus::kSuccess;
}

bool MItMeshPolygon::hasValidTriangulation(MStatus* status) const {
    ITER_OR_FAIL(false)
    return m.faceTriangleCount(f) == m.faceCount(f) - 2;
}

MStatus MItMeshPolygon::getEdges(MIntArray& edges) {
    ITER_OR(MStatus::kFailure)
    edges.clear();
    for (int i = 0; i < m.faceCount(f); ++i) edges.append(m.faceEdge(f, i));
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getConnectedFaces(MIntArray& faces) {
    ITER_OR(MStatus::kFailure)
    // Faces sharing an edge with this one, in the order of the face's edges.
    faces.clear();
    for (int i = 0; i < m.faceCount(f); ++i)
        for (int g : m.edgeFaces(m.faceEdge(f, i))) {
            if (g == f) continue;
            bool seen = false;
            for (int x : faces) seen = seen || x == g;
            if (!seen) faces.append(g);
        }
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getConnectedEdges(MIntArray& edges) {
    ITER_OR(MStatus::kFailure)
    // Edges touching the face's corners that are not its own edges.
    edges.clear();
    for (int i = 0; i < m.faceCount(f); ++i)
        for (int e : m.vertexEdges(m.faceVertex(f, i))) {
            bool own = false, seen = false;
            for (int j = 0; j < m.faceCount(f); ++j) own = own || m.faceEdge(f, j) == e;
            for (int x : edges) seen = seen || x == e;
            if (!own && !seen) edges.append(e);
        }
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::getConnectedVertices(MIntArray& vertices) {
    ITER_OR(MStatus::kFailure)
    // Vertices joined to the face's corners by an edge, outside the face.
    vertices.clear();
    for (int i = 0; i < m.faceCount(f); ++i) {
        int v = m.faceVertex(f, i);
        for (int e : m.vertexEdges(v)) {
            int o = m.edge(e).v0 == v ? m.edge(e).v1 : m.edge(e).v0;
            bool inFace = m.findCorner(f, o) >= 0, seen = false;
            for (int x : vertices) seen = seen || x == o;
            if (!inFace && !seen) vertices.append(o);
        }
    }
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::numConnectedFaces(int& faceCount) const {
    MIntArray faces;
    MStatus st = const_cast<MItMeshPolygon*>(this)->getConnectedFaces(faces);
    faceCount = int(faces.length());
    return st;
}

bool MItMeshPolygon::onBoundary(MStatus* status) {
    ITER_OR_FAIL(false)
    for (int i = 0; i < m.faceCount(f); ++i)
        if (m.onBoundaryEdge(m.faceEdge(f, i))) return true;
    return false;
}

bool MItMeshPolygon::isConnectedToFace(int index, MStatus* status) {
    ITER_OR_FAIL(false)
    MIntArray faces;
    getConnectedFaces(faces);
    for (int g : faces)
        if (g == index) return true;
    return false;
}

MStatus MItMeshPolygon::updateSurface() {
    if (!data_) return MStatus::kFailure;
    scene::scene().touch();
    return MStatus::kSuccess;
}

MStatus MItMeshPolygon::geomChanged() {
    if (!data_) return MStatus::kFailure;
    // Counts may have changed under us: keep the position, rebuild the order.
    int n = data_->mesh.numFaces();
    if (component_.isNull()) {
        order_.resize(size_t(n));
        for (int i = 0; i < n; ++i) order_[size_t(i)] = i;
    } else {
        walkOrder(component_, MFn::kMeshPolygonComponent, n, order_);
    }
    if (pos_ > order_.size()) pos_ = order_.size();
    return MStatus::kSuccess;
}
