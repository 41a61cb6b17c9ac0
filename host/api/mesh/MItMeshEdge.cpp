#include <maya/MItMeshEdge.h>

#include "api/mesh/iter_common.h"

using namespace host;
using namespace host::api::meshapi;
using scene::Mesh;

namespace {
int edgeCount(const Mesh& m) { return m.numEdges(); }
}  // namespace

MItMeshEdge::MItMeshEdge(const MObject& polyObject, MStatus* status) {
    setStatus(status, attach(polyObject, nullptr, MObject()));
}
MItMeshEdge::MItMeshEdge(const MDagPath& polyObject, const MObject& component, MStatus* status) {
    setStatus(status, attach(MObject(), &polyObject, component));
}
MItMeshEdge::~MItMeshEdge() = default;

MStatus MItMeshEdge::attach(const MObject& obj, const MDagPath* path, const MObject& component) {
    pos_ = 0;
    return attachIterator(obj, path, component, MFn::kMeshEdgeComponent, data_, path_, hasPath_, order_, edgeCount);
}

bool MItMeshEdge::valid(MStatus* status) const {
    bool ok = data_ && pos_ < order_.size();
    setStatus(status, ok ? MStatus::kSuccess : MStatus::kFailure);
    return ok;
}

#define EDGE_OR(ret)                 \
    if (!valid(nullptr)) return ret; \
    const Mesh& m = data_->mesh;     \
    const int e = edge();            \
    (void)m; (void)e;
#define EDGE_OR_FAIL(ret)            \
    if (!valid(status)) return ret;  \
    const Mesh& m = data_->mesh;     \
    const int e = edge();            \
    (void)m; (void)e;

bool MItMeshEdge::isDone(MStatus* status) {
    setStatus(status, data_ ? MStatus::kSuccess : MStatus::kFailure);
    return !data_ || pos_ >= order_.size();
}

MStatus MItMeshEdge::next() {
    if (!data_) return MStatus::kFailure;
    if (pos_ < order_.size()) ++pos_;
    return MStatus::kSuccess;
}

MStatus MItMeshEdge::reset() {
    if (!data_) return MStatus::kFailure;
    pos_ = 0;
    return MStatus::kSuccess;
}
MStatus MItMeshEdge::reset(const MObject& polyObject) { return attach(polyObject, nullptr, MObject()); }
MStatus MItMeshEdge::reset(const MDagPath& polyObject, const MObject& component) {
    return attach(MObject(), &polyObject, component);
}

int MItMeshEdge::count(MStatus* status) {
    setStatus(status, data_ ? MStatus::kSuccess : MStatus::kFailure);
    return data_ ? int(order_.size()) : 0;
}

int MItMeshEdge::index(MStatus* status) {
    EDGE_OR_FAIL(-1)
    return e;
}

MStatus MItMeshEdge::setIndex(int index, int& prevIndex) {
    if (!data_) return MStatus::kFailure;
    if (index < 0 || index >= data_->mesh.numEdges()) return MStatus::kInvalidParameter;
    prevIndex = pos_ < order_.size() ? edge() : -1;
    for (size_t i = 0; i < order_.size(); ++i)
        if (order_[i] == index) { pos_ = i; return MStatus::kSuccess; }
    // Outside the component: continue over the whole mesh from there.
    order_.resize(size_t(data_->mesh.numEdges()));
    for (size_t i = 0; i < order_.size(); ++i) order_[i] = int(i);
    pos_ = size_t(index);
    return MStatus::kSuccess;
}

MObject MItMeshEdge::currentItem(MStatus* status) {
    EDGE_OR_FAIL(MObject())
    return makeComponent(MFn::kMeshEdgeComponent, {e});
}

int MItMeshEdge::index(int vertex, MStatus* status) {
    EDGE_OR_FAIL(-1)
    if (vertex != 0 && vertex != 1) { setStatus(status, MStatus::kInvalidParameter); return -1; }
    return vertex == 0 ? m.edge(e).v0 : m.edge(e).v1;
}

MPoint MItMeshEdge::point(int vertex, MSpace::Space space, MStatus* status) {
    EDGE_OR_FAIL(MPoint())
    if (vertex != 0 && vertex != 1) { setStatus(status, MStatus::kInvalidParameter); return MPoint(); }
    return pointIn(m, vertex == 0 ? m.edge(e).v0 : m.edge(e).v1, hasPath_ ? &path_ : nullptr, space);
}

MStatus MItMeshEdge::setPoint(const MPoint& p, unsigned int vertex, MSpace::Space space) {
    if (!valid(nullptr) || vertex > 1) return MStatus::kFailure;
    int v = vertex == 0 ? data_->mesh.edge(edge()).v0 : data_->mesh.edge(edge()).v1;
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

MPoint MItMeshEdge::center(MSpace::Space space, MStatus* status) {
    EDGE_OR_FAIL(MPoint())
    const MDagPath* p = hasPath_ ? &path_ : nullptr;
    MPoint a = pointIn(m, m.edge(e).v0, p, space), b = pointIn(m, m.edge(e).v1, p, space);
    return MPoint((a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2);
}

MStatus MItMeshEdge::getLength(double& length, MSpace::Space space) {
    EDGE_OR(MStatus::kFailure)
    const MDagPath* p = hasPath_ ? &path_ : nullptr;
    length = pointIn(m, m.edge(e).v0, p, space).distanceTo(pointIn(m, m.edge(e).v1, p, space));
    return MStatus::kSuccess;
}

double MItMeshEdge::length(MSpace::Space space, MStatus* status) {
    double l = 0;
    setStatus(status, getLength(l, space));
    return l;
}

bool MItMeshEdge::isSmooth(MStatus* status) const {
    EDGE_OR_FAIL(false)
    return m.edge(e).smooth;
}

MStatus MItMeshEdge::setSmoothing(bool smooth) {
    if (!valid(nullptr)) return MStatus::kFailure;
    int e = edge();
    if (hasPath_) {
        if (scene::Node* n = shapeNode(path_.node())) {
            auto g = scene::editableShapeGeometry(n);
            if (!g) return MStatus::kFailure;
            data_ = g;
            scene::geometryChanged(n);
        }
    }
    data_->mesh.setEdgeSmooth(e, smooth);
    return MStatus::kSuccess;
}

int MItMeshEdge::getConnectedFaces(MIntArray& faceList, MStatus* status) const {
    faceList.clear();
    EDGE_OR_FAIL(0)
    for (int f : m.edgeFaces(e)) faceList.append(f);
    return int(faceList.length());
}

int MItMeshEdge::getConnectedEdges(MIntArray& edgeList, MStatus* status) const {
    edgeList.clear();
    EDGE_OR_FAIL(0)
    for (int v : {m.edge(e).v0, m.edge(e).v1})
        for (int o : m.vertexEdges(v)) {
            bool seen = o == e;
            for (int x : edgeList) seen = seen || x == o;
            if (!seen) edgeList.append(o);
        }
    return int(edgeList.length());
}

MStatus MItMeshEdge::numConnectedFaces(int& faceCount) const {
    EDGE_OR(MStatus::kFailure)
    faceCount = int(m.edgeFaces(e).size());
    return MStatus::kSuccess;
}

MStatus MItMeshEdge::numConnectedEdges(int& edgeCount) const {
    MIntArray l;
    MStatus st;
    edgeCount = getConnectedEdges(l, &st);
    return st;
}

bool MItMeshEdge::onBoundary(MStatus* status) {
    EDGE_OR_FAIL(false)
    return m.onBoundaryEdge(e);
}

bool MItMeshEdge::connectedToFace(int index, MStatus* status) {
    EDGE_OR_FAIL(false)
    for (int f : m.edgeFaces(e))
        if (f == index) return true;
    return false;
}

bool MItMeshEdge::connectedToEdge(int index, MStatus* status) {
    MIntArray l;
    getConnectedEdges(l, status);
    for (int x : l)
        if (x == index) return true;
    return false;
}

MStatus MItMeshEdge::updateSurface() {
    if (!data_) return MStatus::kFailure;
    scene::scene().touch();
    return MStatus::kSuccess;
}
