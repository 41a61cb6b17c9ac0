#include "api/nurbs/nurbs_access.h"

#include <cctype>
#include <cstdio>

namespace host::api::nurbsapi {

using scene::nurbs::Cv;
using scene::nurbs::Vec3d;

scene::Node* shapeNode(const MObject& o, MFn::Type kind) {
    auto n = std::dynamic_pointer_cast<scene::Node>(o.object());
    return n && n->alive() && n->hasFn(kind) ? n.get() : nullptr;
}

MStatus shapePath(const MDagPath& in, MFn::Type kind, MDagPath& out) {
    MStatus st;
    if (!in.isValid(&st)) return MStatus::kInvalidParameter;
    MDagPath p = in;
    if (!p.hasFn(kind)) {
        if (p.extendToShape() != MStatus::kSuccess || !p.hasFn(kind)) return MStatus::kInvalidParameter;
    }
    out = p;
    return MStatus::kSuccess;
}

bool worldMatrix(const MDagPath& path, MSpace::Space space, MMatrix& m) {
    if (space != MSpace::kWorld) return false;
    MStatus st;
    if (!path.isValid(&st)) return false;
    m = path.inclusiveMatrix(&st);
    return st == MStatus::kSuccess;
}

MPoint toPoint(const Cv& c, const MMatrix* m) {
    MPoint p(c[0], c[1], c[2], 1.0);
    if (m) p = p * *m;
    p.w = c[3];
    return p;
}

Cv toCv(const MPoint& p, const MMatrix* inverse) {
    double w = p.w != 0 ? p.w : 1.0;
    MPoint q(p.x, p.y, p.z, 1.0);
    if (inverse) q = q * *inverse;
    return {q.x, q.y, q.z, w};
}

MPoint toPoint(const Vec3d& p, const MMatrix* m) {
    MPoint q(p[0], p[1], p[2], 1.0);
    if (m) q = q * *m;
    return q;
}

MVector toVector(const Vec3d& v, const MMatrix* m) {
    MVector r(v[0], v[1], v[2]);
    if (m) r = r * *m;
    return r;
}

namespace {
std::string shapeNameFor(const std::string& transform) {
    std::size_t end = transform.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(transform[end - 1]))) --end;
    return transform.substr(0, end) + "Shape" + transform.substr(end);
}
MStatus put(MStatus* s, MStatus v) {
    if (s) *s = v;
    return v;
}
}  // namespace

MObject placeGeometry(scene::DataPtr data, const MObject& parentOrOwner, const char* shapeType, const char* baseName,
                      MObject* attachTo, MStatus* status) {
    scene::Scene& sc = scene::scene();
    if (auto owner = std::dynamic_pointer_cast<scene::TypedData>(parentOrOwner.object())) {
        if (owner->apiType() != data->apiType()) {
            put(status, MStatus::kInvalidParameter);
            return MObject();
        }
        if (auto c = std::dynamic_pointer_cast<scene::NurbsCurveData>(owner))
            c->curve = std::static_pointer_cast<scene::NurbsCurveData>(data)->curve;
        else if (auto s = std::dynamic_pointer_cast<scene::NurbsSurfaceData>(owner))
            s->surface = std::static_pointer_cast<scene::NurbsSurfaceData>(data)->surface;
        if (attachTo) *attachTo = parentOrOwner;
        put(status, MStatus::kSuccess);
        return parentOrOwner;
    }
    scene::Node* parent = nullptr;
    bool madeTransform = false;
    std::string err;
    if (!parentOrOwner.isNull()) {
        parent = std::dynamic_pointer_cast<scene::Node>(parentOrOwner.object()).get();
        if (!parent || !parent->alive() || !parent->type->isTransform) {
            put(status, MStatus::kInvalidParameter);
            return MObject();
        }
    } else {
        parent = sc.createNode("transform", std::string(baseName) + "#", nullptr, &err);
        if (!parent) {
            std::fprintf(stderr, "// Error: %s //\n", err.c_str());
            put(status, MStatus::kFailure);
            return MObject();
        }
        madeTransform = true;
    }
    scene::Node* shape = sc.createNode(shapeType, shapeNameFor(parent->name), parent, &err);
    if (!shape || sc.setData(shape->plug("cached"), data, &err).error()) {
        std::fprintf(stderr, "// Error: %s //\n", err.c_str());
        if (shape) sc.deleteNode(shape);
        if (madeTransform) sc.deleteNode(parent);
        put(status, MStatus::kFailure);
        return MObject();
    }
    if (attachTo) *attachTo = MObject(sc.ptr(shape));
    put(status, MStatus::kSuccess);
    return madeTransform ? MObject(sc.ptr(parent)) : MObject(sc.ptr(shape));
}

}  // namespace host::api::nurbsapi
