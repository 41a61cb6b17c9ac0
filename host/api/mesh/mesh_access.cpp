#include "api/mesh/mesh_access.h"

#include <algorithm>

namespace host::api::meshapi {

using scene::meshgeom::Rgba;
using scene::meshgeom::Vec3;
using scene::meshgeom::Vec3f;

scene::Node* shapeNode(const MObject& o) {
    auto n = std::dynamic_pointer_cast<scene::Node>(o.object());
    return scene::isMeshShape(n.get()) ? n.get() : nullptr;
}

MeshDataPtr geometryOf(const MObject& o) {
    if (auto d = std::dynamic_pointer_cast<scene::MeshData>(o.object())) return d;
    if (scene::Node* n = shapeNode(o)) return scene::shapeGeometry(n);
    return nullptr;
}

MStatus meshPath(const MDagPath& in, MDagPath& out) {
    MStatus st;
    if (!in.isValid(&st)) return MStatus::kInvalidParameter;
    MDagPath p = in;
    if (!p.hasFn(MFn::kMesh)) {
        // A transform stands for its mesh shape, as function sets on paths allow.
        if (p.extendToShape() != MStatus::kSuccess || !p.hasFn(MFn::kMesh)) return MStatus::kInvalidParameter;
    }
    out = p;
    return MStatus::kSuccess;
}

bool worldMatrix(const MDagPath* path, MSpace::Space space, MMatrix& m) {
    if (!path || space != MSpace::kWorld) return false;
    MStatus st;
    if (!path->isValid(&st)) return false;
    m = path->inclusiveMatrix(&st);
    return st == MStatus::kSuccess;
}

MPoint toPoint(const Vec3f& p) { return MPoint(p.x, p.y, p.z); }
MPoint toPoint(const Vec3& p) { return MPoint(p.x, p.y, p.z); }
Vec3 toVec(const MPoint& p) {
    // Homogeneous points from plug-ins are taken at their cartesian position.
    double w = p.w != 0 ? p.w : 1.0;
    return Vec3(p.x / w, p.y / w, p.z / w);
}
MVector toVector(const Vec3& v) { return MVector(v.x, v.y, v.z); }
MVector toVector(const Vec3f& v) { return MVector(v.x, v.y, v.z); }
MColor toColor(const Rgba& c) { return MColor(c.r, c.g, c.b, c.a); }
Rgba toRgba(const MColor& c) { return Rgba{c.r, c.g, c.b, c.a}; }

MPoint pointIn(const Mesh& m, int v, const MDagPath* path, MSpace::Space space) {
    MPoint p = toPoint(m.points()[v]);
    MMatrix w;
    if (worldMatrix(path, space, w)) p = p * w;
    return p;
}

MVector normalIn(const MVector& n, const MDagPath* path, MSpace::Space space) {
    MMatrix w;
    if (worldMatrix(path, space, w)) return n.transformAsNormal(w);
    return n;
}

int uvSetIndex(const Mesh& m, const MString* name) {
    if (!name || name->length() == 0) return m.numUVSets() ? m.currentUVSet() : -1;
    return m.findUVSet(name->str());
}

int colorSetIndex(const Mesh& m, const MString* name) {
    if (!name || name->length() == 0) return m.currentColorSet();
    return m.findColorSet(name->str());
}

MStatus walkOrder(const MObject& component, MFn::Type kind, int count, std::vector<int>& out) {
    out.clear();
    if (component.isNull()) {
        for (int i = 0; i < count; ++i) out.push_back(i);
        return MStatus::kSuccess;
    }
    auto c = std::dynamic_pointer_cast<scene::SingleIndexedComponent>(component.object());
    if (!c || c->kind != kind) return MStatus::kInvalidParameter;
    out = c->resolve(count);
    return MStatus::kSuccess;
}

MObject makeComponent(MFn::Type kind, const std::vector<int>& elements) {
    auto c = std::make_shared<scene::SingleIndexedComponent>();
    c->kind = kind;
    for (int e : elements) c->add(e);
    return MObject(c);
}

}  // namespace host::api::meshapi
