#include "scene/poly/poly_nodes.h"

#include "mel/interpreter.h"
#include "scene/poly/mesh_file.h"
#include "scene/poly/primitives.h"

#include <algorithm>
#include <set>

namespace host::scene {

using meshgeom::Vec3;
using meshgeom::Vec3f;

namespace {

// Warnings about one node are given once, not on every evaluation.
std::set<std::pair<const Node*, std::string>>& warned() {
    static std::set<std::pair<const Node*, std::string>> s;
    return s;
}

void warnOnce(const Node& n, const std::string& msg) {
    if (warned().insert({&n, msg}).second) host::mel::interpreter().warning(msg);
}

Value meshValue(Mesh&& m) {
    auto d = std::make_shared<MeshData>();
    d->mesh = std::move(m);
    return Value(DataPtr(d));
}

MeshDataPtr meshOf(const Value& v) {
    if (auto d = std::get_if<DataPtr>(&v)) return std::dynamic_pointer_cast<MeshData>(*d);
    return nullptr;
}

// ------------------------------------------------------------ creation nodes

Vec3 axisOf(Node& n) {
    std::vector<double> a = scene().getNumbers(n.plug("axis"));
    return a.size() == 3 ? Vec3(a[0], a[1], a[2]) : Vec3(0, 1, 0);
}

bool uvsOn(Node& n) { return scene().getDouble(n.plug("createUVs")) != 0; }
double num(Node& n, const char* a) { return scene().getDouble(n.plug(a)); }
int count(Node& n, const char* a) {
    double v = num(n, a);
    return v > 1e6 ? 1000000 : v < -1e6 ? -1000000 : int(v);
}

MStatus computePrimitive(Node& n, const Plug& p) {
    Scene& s = scene();
    Plug out = n.plug("output");
    if (out.isNull() || p.attr() != out.attr()) return MStatus::kSuccess;
    Mesh m;
    std::string err;
    bool ok = false;
    const std::string type = n.type->name;
    if (type == "polyCube") {
        primitives::CubeParams c{num(n, "width"), num(n, "height"), num(n, "depth"), count(n, "subdivisionsWidth"),
                                 count(n, "subdivisionsHeight"), count(n, "subdivisionsDepth")};
        ok = primitives::makeCube(c, axisOf(n), uvsOn(n), m, &err);
    } else if (type == "polyPlane") {
        primitives::PlaneParams c{num(n, "width"), num(n, "height"), count(n, "subdivisionsWidth"),
                                  count(n, "subdivisionsHeight")};
        ok = primitives::makePlane(c, axisOf(n), uvsOn(n), m, &err);
    } else if (type == "polySphere") {
        primitives::SphereParams c{num(n, "radius"), count(n, "subdivisionsAxis"), count(n, "subdivisionsHeight")};
        ok = primitives::makeSphere(c, axisOf(n), uvsOn(n), m, &err);
    } else if (type == "polyCylinder") {
        primitives::CylinderParams c{num(n, "radius"), num(n, "height"), count(n, "subdivisionsAxis"),
                                     count(n, "subdivisionsHeight"), count(n, "subdivisionsCaps")};
        ok = primitives::makeCylinder(c, axisOf(n), uvsOn(n), m, &err);
    } else {
        err = "no geometry for node type " + type;
    }
    if (!ok) {
        warnOnce(n, n.name + ": " + err);
        s.setComputed(out, Value());
        return MStatus::kSuccess;
    }
    s.setComputed(out, meshValue(std::move(m)));
    return MStatus::kSuccess;
}

// ------------------------------------------------------------ deformers

// Offsets of a tweak node for geometry index idx: plist[idx].controlPoints.
MStatus computeTweak(Node& n, const Plug& p) {
    Scene& s = scene();
    Plug og = n.plug("outputGeometry");
    if (og.isNull() || p.path.empty() || p.path[0].attr != og.attr()) return MStatus::kSuccess;
    unsigned idx = p.path[0].index >= 0 ? unsigned(p.path[0].index) : 0;
    Plug in = n.plug("input").element(idx).child(n.type->attribute("inputGeometry"));
    Value v = s.get(in);
    MeshDataPtr src = meshOf(v);
    double envelope = s.getDouble(n.plug("envelope"));
    Plug cps = n.plug("plist").element(idx).child(n.type->attribute("controlPoints"));
    std::vector<unsigned> ids = src ? s.logicalIndices(cps) : std::vector<unsigned>{};
    if (!src || ids.empty() || envelope == 0) {
        s.setComputed(og.element(idx), v);
        return MStatus::kSuccess;
    }
    bool relative = s.getDouble(n.plug("relativeTweak")) != 0;
    Mesh m = src->mesh;
    std::vector<Vec3f> pts = m.points();
    for (unsigned i : ids) {
        if (i >= pts.size()) continue;
        std::vector<double> d = s.getNumbers(cps.element(i));
        if (d.size() != 3) continue;
        Vec3 q = pts[i].d();
        Vec3 off(d[0], d[1], d[2]);
        q = relative ? q + off * envelope : q + (off - q) * envelope;
        pts[i] = Vec3f(q);
    }
    m.setPoints(pts);
    s.setComputed(og.element(idx), meshValue(std::move(m)));
    return MStatus::kSuccess;
}

// Deformers that real files put between an intermediate shape and the one
// shown; at bind pose each hands its input on unchanged.
const char* const kDeformerTypes[] = {"cluster", "blendShape", "ffd", "wire", "nonLinear", "sculpt", "softMod",
                                      "wrap", "jiggle", "deltaMush", "shrinkWrap", "proximityWrap",
                                      "textureDeformer", "tension", "morph", "solidify", "polySmoothProxy"};

}  // namespace

bool isGeometryPassThroughType(const NodeType* t) {
    return t && (t->isA("geometryFilter") || t->isA("groupParts"));
}

// ------------------------------------------------------------ mesh shapes

namespace {

MeshDataPtr storedMesh(Node& shape, const char* attr) {
    Attribute* a = shape.attribute(attr);
    if (!a) return nullptr;
    Slot* sl = scene().slot(shape.plug(a), false);
    return sl ? meshOf(sl->value) : nullptr;
}

// The geometry of a shape without history: what MFnMesh or earlier
// evaluations stored on inMesh, with file attributes and tweaks folded in.
MeshDataPtr ownShapeMesh(Node& shape) {
    Scene& s = scene();
    MeshDataPtr own = storedMesh(shape, "inMesh");
    bool changed = false;
    if (hasFileGeometry(shape)) {
        Mesh m;
        std::string err;
        if (buildFileGeometry(shape, own ? &own->mesh : nullptr, m, &err)) {
            own = std::make_shared<MeshData>();
            own->mesh = std::move(m);
            changed = true;
        } else {
            warnOnce(shape, err + "; the stored geometry is not used");
        }
        clearFileGeometry(shape);
    }
    auto tweaks = shapeTweaks(shape);
    if (own && !tweaks.empty()) {
        auto d = std::make_shared<MeshData>(*own);
        std::vector<Vec3f> pts = d->mesh.points();
        for (const auto& [v, off] : tweaks)
            if (v < int(pts.size())) pts[size_t(v)] = Vec3f(pts[size_t(v)].d() + off.d());
        d->mesh.setPoints(pts);
        own = d;
        changed = true;
        clearShapeTweaks(shape);
    }
    if (changed) {
        Slot* sl = s.slot(shape.plug("inMesh"), true);
        sl->value = DataPtr(own);
        sl->hasValue = true;
        s.touch();
    }
    return own;
}

// The node that breaks a history chain: pass-through nodes are followed
// upstream to the first node that delivers no mesh.
Node* unevaluatedSource(const Plug& from) {
    Scene& s = scene();
    Plug at = from;
    for (int guard = 0; guard < 256 && at.node; ++guard) {
        Node* n = at.node;
        if (!isGeometryPassThroughType(n->type)) return n;
        Plug in;
        if (n->type->isA("groupParts")) {
            in = n->plug("inputGeometry");
        } else {
            int idx = !at.path.empty() && at.path[0].index >= 0 ? at.path[0].index : 0;
            in = n->plug("input").element(unsigned(idx)).child(n->type->attribute("inputGeometry"));
        }
        Plug up = in.isNull() ? Plug{} : s.sourceOf(in);
        if (up.isNull()) return n;
        at = up;
    }
    return at.node;
}

}  // namespace

Value meshShapeOutput(Node& shape) {
    Scene& s = scene();
    Plug in = shape.plug("inMesh");
    if (in.isNull()) return Value();
    Plug src = s.sourceOf(in);
    if (src.isNull()) {
        MeshDataPtr own = ownShapeMesh(shape);
        return own ? Value(DataPtr(own)) : Value();
    }
    // Edits made on top of the history result.
    if (MeshDataPtr cached = storedMesh(shape, "cachedInMesh")) return Value(DataPtr(cached));
    Value up = s.get(in);
    MeshDataPtr um = meshOf(up);
    if (!um) {
        Node* culprit = unevaluatedSource(src);
        std::string type = culprit ? culprit->typeName() : "unknown";
        warnOnce(shape, "Mesh " + shape.name + " takes its geometry from " + (culprit ? culprit->name : "?") +
                            " of type " + type + ", which is not evaluated; the mesh keeps the geometry stored on it.");
        if (hasFileGeometry(shape)) {
            Mesh m;
            std::string err;
            if (buildFileGeometry(shape, nullptr, m, &err)) return meshValue(std::move(m));
            warnOnce(shape, err);
        }
        return Value();
    }
    auto tweaks = shapeTweaks(shape);
    if (tweaks.empty()) return up;
    Mesh m = um->mesh;
    std::vector<Vec3f> pts = m.points();
    for (const auto& [v, off] : tweaks)
        if (v < int(pts.size())) pts[size_t(v)] = Vec3f(pts[size_t(v)].d() + off.d());
    m.setPoints(pts);
    return meshValue(std::move(m));
}

void installPolyTypes(Scene& s) {
    if (NodeType* mesh = s.findType("mesh")) {
        if (!mesh->attribute("vertexNormalMethod"))
            mesh->addAttribute(makeEnum("vertexNormalMethod", "vnm",
                                        {{"Unweighted", 0}, {"Angle Weighted", 1}, {"Area Weighted", 2},
                                         {"Angle And Area Weighted", 3}},
                                        3));
        if (!mesh->attribute("displayColorChannel")) {
            AttrPtr dcc = makeTyped("displayColorChannel", "dcc", "string");
            dcc->defaultString = "Ambient+Diffuse";
            mesh->addAttribute(dcc);
        }
    }
    if (NodeType* pc = s.findType("polyCreator")) {
        if (Attribute* out = pc->attribute("output")) {
            out->computed = true;
            out->storable = false;
        }
    }
    for (const char* name : {"polyCube", "polyPlane", "polySphere", "polyCylinder"}) {
        NodeType* t = s.findType(name);
        if (!t) continue;
        t->compute = computePrimitive;
        Attribute* out = t->attribute("output");
        if (!out) continue;
        for (Attribute* a : t->all) {
            if (a == out || a->owner == nullptr) continue;
            if (!(a->owner->isA("polyPrimitive"))) continue;
            if (std::find(a->affects.begin(), a->affects.end(), out) == a->affects.end()) {
                a->affects.push_back(out);
                out->affectedBy.push_back(a);
            }
        }
    }
    if (NodeType* tweak = s.findType("tweak")) tweak->compute = computeTweak;
    for (const char* name : kDeformerTypes)
        if (!s.findType(name)) s.registerType(name, "geometryFilter", MFn::kGeometryFilt, 0);
    s.onDelete.push_back([](Node& n) {
        auto& w = warned();
        for (auto it = w.begin(); it != w.end();) it = it->first == &n ? w.erase(it) : std::next(it);
    });
    registerMeshFileFormat();
}

}  // namespace host::scene
