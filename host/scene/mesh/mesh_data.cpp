#include "scene/mesh/mesh_data.h"

#include <algorithm>
#include <cstdio>

namespace host::scene {

namespace {

// Scene files and setAttr -type "mesh" create mesh values through the registry.
const bool kMeshDataRegistered = [] {
    registerDataType("mesh", MFn::kMeshData, [] { return std::make_shared<MeshData>(); });
    return true;
}();

bool isMeshComponentKind(MFn::Type k) {
    return k == MFn::kMeshPolygonComponent || k == MFn::kMeshVertComponent || k == MFn::kMeshEdgeComponent ||
           k == MFn::kMeshVtxFaceComponent || k == MFn::kMeshMapComponent;
}

// Component text of mesh shapes ("f[0:3]", "vtx[*]", "e[2]", "map[5]") and back.
const bool kMeshComponentsRegistered = [] {
    registerComponentParser([](Node& shape, const std::vector<std::string>& items) -> ObjectPtr {
        if (!isMeshShape(&shape) || items.empty()) return nullptr;
        MeshDataPtr g = shapeGeometry(&shape);
        const Mesh* m = g ? &g->mesh : nullptr;
        const std::string& first = items.front();
        struct Kind { const char* prefix; MFn::Type type; };
        for (Kind k : {Kind{"f[", MFn::kMeshPolygonComponent}, Kind{"vtx[", MFn::kMeshVertComponent},
                       Kind{"e[", MFn::kMeshEdgeComponent}, Kind{"map[", MFn::kMeshMapComponent}}) {
            if (first.compare(0, std::char_traits<char>::length(k.prefix), k.prefix) != 0) continue;
            int count = 0;
            if (m) {
                if (k.type == MFn::kMeshPolygonComponent) count = m->numFaces();
                else if (k.type == MFn::kMeshVertComponent) count = m->numVertices();
                else if (k.type == MFn::kMeshEdgeComponent) count = m->numEdges();
                else if (m->numUVSets() > 0) count = int(m->uvSet(m->currentUVSet()).u.size());
            }
            return componentFromStrings(k.type, items, count);
        }
        return nullptr;
    });
    registerComponentFormatter([](const Object& c, std::vector<std::string>& items) {
        auto* sc = dynamic_cast<const SingleIndexedComponent*>(&c);
        if (!sc || !*componentPrefix(sc->kind)) return false;
        items = sc->toStrings();
        return true;
    });
    return true;
}();

// The host's type id of mesh shapes ("DMSH").
constexpr unsigned kMeshTypeId = 0x444D5348;

}  // namespace

// ------------------------------------------------------------ components

bool SingleIndexedComponent::hasFn(MFn::Type t) const {
    if (t == MFn::kBase || t == MFn::kComponent || t == kind) return true;
    if (t == MFn::kSingleIndexedComponent) return kind != MFn::kMeshVtxFaceComponent;
    if (t == MFn::kMeshComponent) return isMeshComponentKind(kind);
    return false;
}

void SingleIndexedComponent::add(int e) {
    if (std::find(elements.begin(), elements.end(), e) == elements.end()) elements.push_back(e);
}

std::vector<int> SingleIndexedComponent::resolve(int count) const {
    std::vector<int> out;
    if (complete) {
        int n = std::min(count, completeCount > 0 ? completeCount : count);
        for (int i = 0; i < n; ++i) out.push_back(i);
        return out;
    }
    for (int e : elements)
        if (e >= 0 && e < count) out.push_back(e);
    return out;
}

const char* componentPrefix(MFn::Type kind) {
    switch (kind) {
    case MFn::kMeshPolygonComponent: return "f";
    case MFn::kMeshVertComponent: return "vtx";
    case MFn::kMeshEdgeComponent: return "e";
    case MFn::kMeshMapComponent: return "map";
    default: return "";
    }
}

std::vector<std::string> SingleIndexedComponent::toStrings() const {
    std::string p = componentPrefix(kind);
    if (p.empty()) return {};
    if (complete) return {p + "[*]"};
    // Runs of consecutive ascending indices collapse into ranges, as the host writes them.
    std::vector<int> s = elements;
    std::sort(s.begin(), s.end());
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size();) {
        size_t j = i;
        while (j + 1 < s.size() && s[j + 1] == s[j] + 1) ++j;
        out.push_back(j == i ? p + "[" + std::to_string(s[i]) + "]"
                             : p + "[" + std::to_string(s[i]) + ":" + std::to_string(s[j]) + "]");
        i = j + 1;
    }
    return out;
}

ComponentPtr componentFromStrings(MFn::Type kind, const std::vector<std::string>& items, int count) {
    std::string p = componentPrefix(kind);
    if (p.empty()) return nullptr;
    ComponentListData list;
    bool named = false;
    for (const std::string& it : items)
        if (it.compare(0, p.size() + 1, p + "[") == 0) {
            list.items.push_back(it);
            named = true;
        }
    if (!named) return nullptr;
    auto c = std::make_shared<SingleIndexedComponent>();
    c->kind = kind;
    for (int i : list.indices(p, count)) c->add(i);
    return c;
}

// ------------------------------------------------------------ mesh shapes

NodeType* meshNodeType(Scene& s) {
    if (NodeType* t = s.findType("mesh")) {
        // A scene that knows the type but not our plugs gets them added once.
        if (!t->attribute("inMesh")) t->addAttribute(makeTyped("inMesh", "i", "mesh"));
        if (!t->attribute("outMesh")) t->addAttribute(makeTyped("outMesh", "o", "mesh"));
        if (!t->attribute("cachedInMesh")) t->addAttribute(makeTyped("cachedInMesh", "ci", "mesh"));
        return t;
    }
    const char* base = s.findType("surfaceShape") ? "surfaceShape" : s.findType("shape") ? "shape" : "";
    NodeType* t = s.registerType("mesh", base, MFn::kMesh, kMeshTypeId);
    if (!t) return nullptr;
    t->defaultName = "polySurfaceShape";
    t->isShape = true;
    t->isDag = true;
    for (MFn::Type f : {MFn::kDagNode, MFn::kShape, MFn::kSurface})
        if (std::find(t->fns.begin(), t->fns.end(), f) == t->fns.end()) t->fns.push_back(f);
    t->addAttribute(makeTyped("inMesh", "i", "mesh"));
    t->addAttribute(makeTyped("outMesh", "o", "mesh"));
    t->addAttribute(makeTyped("cachedInMesh", "ci", "mesh"));
    return t;
}

bool isMeshShape(const Node* n) { return n && n->alive() && n->type && n->type->hasFn(MFn::kMesh); }

namespace {

bool inputConnected(Node* shape) {
    Attribute* a = shape->attribute("inMesh");
    return a && !scene().sourceOf(shape->plug(a)).isNull();
}

// Where a shape keeps geometry of its own: inMesh while nothing drives it
// (the mesh compute passes that on to outMesh), else cachedInMesh, which
// holds edits made on top of the upstream result.
Plug geometryPlug(Node* shape) {
    Attribute* a = shape->attribute(inputConnected(shape) ? "cachedInMesh" : "inMesh");
    if (!a) a = shape->attribute("inMesh");
    return a ? shape->plug(a) : Plug{};
}

MeshDataPtr ownGeometry(Node* shape) {
    Plug p = geometryPlug(shape);
    if (p.isNull()) return nullptr;
    Slot* s = scene().slot(p, false);
    if (!s) return nullptr;
    if (auto d = std::get_if<DataPtr>(&s->value)) return std::dynamic_pointer_cast<MeshData>(*d);
    return nullptr;
}

MeshDataPtr upstreamGeometry(Node* shape) {
    Attribute* a = shape->attribute("inMesh");
    if (!a) return nullptr;
    Plug in = shape->plug(a);
    if (scene().sourceOf(in).isNull()) return nullptr;
    return std::dynamic_pointer_cast<MeshData>(scene().getData(in));
}

}  // namespace

MeshDataPtr shapeGeometry(Node* shape) {
    if (!isMeshShape(shape)) return nullptr;
    // outMesh is what the shape shows: file attributes built in, history
    // evaluated, vertex tweaks applied.
    if (Attribute* out = shape->attribute("outMesh"))
        if (auto d = std::dynamic_pointer_cast<MeshData>(scene().getData(shape->plug(out)))) return d;
    if (auto own = ownGeometry(shape)) return own;
    return upstreamGeometry(shape);
}

MeshDataPtr editableShapeGeometry(Node* shape) {
    if (!isMeshShape(shape)) return nullptr;
    MeshDataPtr shown = shapeGeometry(shape);
    if (auto own = ownGeometry(shape)) return own;
    MeshDataPtr d;
    if (shown) d = std::make_shared<MeshData>(*shown);
    else if (auto up = upstreamGeometry(shape)) d = std::make_shared<MeshData>(*up);
    else d = std::make_shared<MeshData>();
    if (setShapeGeometry(shape, d).error()) return nullptr;
    return d;
}

MStatus setShapeGeometry(Node* shape, MeshDataPtr data, std::string* error) {
    if (!isMeshShape(shape)) {
        if (error) *error = "not a mesh shape";
        return MStatus::kInvalidParameter;
    }
    Plug p = geometryPlug(shape);
    if (p.isNull()) {
        if (error) *error = "mesh shape without geometry plug";
        return MStatus::kFailure;
    }
    Slot* s = scene().slot(p, true);
    if (!s) return MStatus::kFailure;
    s->value = DataPtr(std::move(data));
    s->hasValue = true;
    scene().touch();
    return MStatus::kSuccess;
}

void geometryChanged(Node* shape) {
    (void)shape;
    scene().touch();
}

}  // namespace host::scene
