#include <maya/MItMeshFaceVertex.h>

#include "api/mesh/iter_common.h"

using namespace host;
using namespace host::api::meshapi;
using scene::Mesh;

namespace {
int faceCount(const Mesh& m) { return m.numFaces(); }
}  // namespace

MItMeshFaceVertex::MItMeshFaceVertex(const MObject& mesh, MStatus* status) {
    setStatus(status, attach(mesh, nullptr, MObject()));
}
MItMeshFaceVertex::MItMeshFaceVertex(const MDagPath& mesh, const MObject& component, MStatus* status) {
    setStatus(status, attach(MObject(), &mesh, component));
}
MItMeshFaceVertex::~MItMeshFaceVertex() = default;

MStatus MItMeshFaceVertex::attach(const MObject& obj, const MDagPath* path, const MObject& component) {
    facePos_ = 0;
    corner_ = 0;
    return attachIterator(obj, path, component, MFn::kMeshPolygonComponent, data_, path_, hasPath_, faces_, faceCount);
}

bool MItMeshFaceVertex::valid(MStatus* status) const {
    bool ok = data_ && facePos_ < faces_.size();
    setStatus(status, ok ? MStatus::kSuccess : MStatus::kFailure);
    return ok;
}

int MItMeshFaceVertex::fv() const { return data_->mesh.faceOffset(faces_[facePos_]) + corner_; }

#define FV_OR(ret)                   \
    if (!valid(nullptr)) return ret; \
    const Mesh& m = data_->mesh;     \
    const int c = fv();              \
    (void)m; (void)c;
#define FV_OR_FAIL(ret)              \
    if (!valid(status)) return ret;  \
    const Mesh& m = data_->mesh;     \
    const int c = fv();              \
    (void)m; (void)c;

bool MItMeshFaceVertex::isDone(MStatus* status) {
    setStatus(status, data_ ? MStatus::kSuccess : MStatus::kFailure);
    return !data_ || facePos_ >= faces_.size();
}

MStatus MItMeshFaceVertex::next() {
    if (!data_) return MStatus::kFailure;
    if (facePos_ >= faces_.size()) return MStatus::kSuccess;
    if (++corner_ >= data_->mesh.faceCount(faces_[facePos_])) {
        corner_ = 0;
        ++facePos_;
    }
    return MStatus::kSuccess;
}

MStatus MItMeshFaceVertex::reset() {
    if (!data_) return MStatus::kFailure;
    facePos_ = 0;
    corner_ = 0;
    return MStatus::kSuccess;
}
MStatus MItMeshFaceVertex::reset(const MObject& mesh) { return attach(mesh, nullptr, MObject()); }
MStatus MItMeshFaceVertex::reset(const MDagPath& mesh, const MObject& component) {
    return attach(MObject(), &mesh, component);
}

MStatus MItMeshFaceVertex::setIndex(int faceId, int faceVertexId, int& prevFaceId, int& prevFaceVertexId) {
    if (!data_) return MStatus::kFailure;
    const Mesh& m = data_->mesh;
    if (!m.validFace(faceId) || faceVertexId < 0 || faceVertexId >= m.faceCount(faceId)) return MStatus::kInvalidParameter;
    prevFaceId = facePos_ < faces_.size() ? faces_[facePos_] : -1;
    prevFaceVertexId = facePos_ < faces_.size() ? corner_ : -1;
    size_t i = 0;
    while (i < faces_.size() && faces_[i] != faceId) ++i;
    if (i == faces_.size()) {
        faces_.resize(size_t(m.numFaces()));
        for (size_t k = 0; k < faces_.size(); ++k) faces_[k] = int(k);
        i = size_t(faceId);
    }
    facePos_ = i;
    corner_ = faceVertexId;
    return MStatus::kSuccess;
}

int MItMeshFaceVertex::faceId(MStatus* status) {
    FV_OR_FAIL(-1)
    return faces_[facePos_];
}

int MItMeshFaceVertex::vertId(MStatus* status) {
    FV_OR_FAIL(-1)
    return m.faceVertexList()[size_t(c)];
}

int MItMeshFaceVertex::faceVertId(MStatus* status) {
    FV_OR_FAIL(-1)
    return corner_;
}

int MItMeshFaceVertex::normalId(MStatus* status) {
    FV_OR_FAIL(-1)
    return m.normalId(c);
}

MPoint MItMeshFaceVertex::position(MSpace::Space space, MStatus* status) {
    FV_OR_FAIL(MPoint())
    return pointIn(m, m.faceVertexList()[size_t(c)], hasPath_ ? &path_ : nullptr, space);
}

MStatus MItMeshFaceVertex::getNormal(MVector& normal, MSpace::Space space) {
    FV_OR(MStatus::kFailure)
    normal = normalIn(toVector(m.faceVertexNormal(c)), hasPath_ ? &path_ : nullptr, space);
    return MStatus::kSuccess;
}

bool MItMeshFaceVertex::hasUVs(MStatus* status) const {
    FV_OR_FAIL(false)
    int s = uvSetIndex(m, nullptr);
    return s >= 0 && m.uvId(s, c) >= 0;
}

bool MItMeshFaceVertex::hasUVs(const MString& uvSet, MStatus* status) const {
    FV_OR_FAIL(false)
    int s = uvSetIndex(m, &uvSet);
    if (s < 0) { setStatus(status, MStatus::kInvalidParameter); return false; }
    return m.uvId(s, c) >= 0;
}

MStatus MItMeshFaceVertex::getUV(float2& uvPoint, const MString* uvSet) {
    FV_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    int id = m.uvId(s, c);
    if (id < 0) return MStatus::kFailure;
    uvPoint[0] = m.uvSet(s).u[size_t(id)];
    uvPoint[1] = m.uvSet(s).v[size_t(id)];
    return MStatus::kSuccess;
}

MStatus MItMeshFaceVertex::getUVIndex(int& index, const MString* uvSet) {
    FV_OR(MStatus::kFailure)
    int s = uvSetIndex(m, uvSet);
    if (s < 0) return MStatus::kInvalidParameter;
    int id = m.uvId(s, c);
    if (id < 0) return MStatus::kFailure;
    index = id;
    return MStatus::kSuccess;
}

bool MItMeshFaceVertex::hasColor(MStatus* status) const {
    FV_OR_FAIL(false)
    int s = m.currentColorSet();
    return s >= 0 && m.colorId(s, c) >= 0;
}

MStatus MItMeshFaceVertex::getColor(MColor& color, const MString* colorSetName) {
    FV_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kFailure;
    int id = m.colorId(s, c);
    if (id < 0) return MStatus::kFailure;
    color = toColor(m.colorSet(s).colors[size_t(id)]);
    return MStatus::kSuccess;
}

MStatus MItMeshFaceVertex::getColorIndex(int& colorIndex, const MString* colorSetName) {
    FV_OR(MStatus::kFailure)
    int s = colorSetIndex(m, colorSetName);
    if (s < 0) return MStatus::kFailure;
    colorIndex = m.colorId(s, c);
    return MStatus::kSuccess;
}

MObject MItMeshFaceVertex::currentItem(MStatus* status) {
    FV_OR_FAIL(MObject())
    // The face's component: face-vertex components are not modelled.
    return makeComponent(MFn::kMeshPolygonComponent, {faces_[facePos_]});
}
