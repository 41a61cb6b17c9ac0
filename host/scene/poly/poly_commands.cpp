#include "scene/poly/poly_commands.h"

#include "scene/commands/cmd_common.h"
#include "scene/mesh/mesh_data.h"
#include "scene/poly/poly_split.h"

#include <cctype>

namespace host::scene {

using namespace cmds;

namespace {

// A creation command's flag and the node attribute it sets.
struct PrimFlag {
    const char* shortName;
    const char* longName;
    const char* attr;
    bool distance;
};

struct PrimKind {
    const char* command;
    const char* nodeType;
    const char* objectBase;  // "pCube": transform pCube1, shape pCubeShape1
    std::vector<PrimFlag> flags;
};

const std::vector<PrimKind>& kinds() {
    static const std::vector<PrimKind> k = {
        {"polyCube", "polyCube", "pCube",
         {{"w", "width", "width", true}, {"h", "height", "height", true}, {"d", "depth", "depth", true},
          {"sx", "subdivisionsX", "subdivisionsWidth", false}, {"sy", "subdivisionsY", "subdivisionsHeight", false},
          {"sz", "subdivisionsZ", "subdivisionsDepth", false}}},
        {"polyPlane", "polyPlane", "pPlane",
         {{"w", "width", "width", true}, {"h", "height", "height", true},
          {"sx", "subdivisionsX", "subdivisionsWidth", false}, {"sy", "subdivisionsY", "subdivisionsHeight", false}}},
        {"polySphere", "polySphere", "pSphere",
         {{"r", "radius", "radius", true}, {"sx", "subdivisionsX", "subdivisionsAxis", false},
          {"sy", "subdivisionsY", "subdivisionsHeight", false}}},
        {"polyCylinder", "polyCylinder", "pCylinder",
         {{"r", "radius", "radius", true}, {"h", "height", "height", true},
          {"sx", "subdivisionsX", "subdivisionsAxis", false}, {"sy", "subdivisionsY", "subdivisionsHeight", false},
          {"sz", "subdivisionsZ", "subdivisionsCaps", false}, {"sc", "subdivisionsCaps", "subdivisionsCaps", false},
          {"rcp", "roundCap", "roundCap", false}}},
    };
    return k;
}

// "pCube1" -> "pCubeShape1", "box" -> "boxShape", as the host names shapes.
std::string shapeNameFor(const std::string& transform) {
    size_t e = transform.size();
    while (e > 0 && std::isdigit(static_cast<unsigned char>(transform[e - 1]))) --e;
    return transform.substr(0, e) + "Shape" + transform.substr(e);
}

Node* meshShapeOf(Node* n) {
    if (!n) return nullptr;
    if (isMeshShape(n)) return n;
    Node* found = nullptr;
    for (Node* c : n->children)
        if (isMeshShape(c) && !isIntermediate(c)) {
            found = c;
            break;
        }
    return found;
}

ArgParser primitiveParser(const PrimKind& k) {
    ArgParser p(k.command);
    for (const PrimFlag& f : k.flags) p.flag(f.shortName, f.longName, {f.distance ? ArgType::Float : ArgType::Int});
    p.flag("ax", "axis", {ArgType::Float, ArgType::Float, ArgType::Float})
        .flag("cuv", "createUVs", {ArgType::Int})
        .flag("ch", "constructionHistory", {ArgType::Bool})
        .flag("n", "name", {ArgType::String})
        .flag("o", "object", {ArgType::Bool})
        .flag("tx", "texture", {ArgType::Int})
        .flag("e", "edit")
        .flag("q", "query")
        .queryFlag("q", "query")
        .objects(0, 1);
    return p;
}

void setPrimitiveAttrs(const PrimKind& k, const ParsedArgs& a, Node* node) {
    for (const PrimFlag& f : k.flags) {
        if (!a.isSet(f.shortName)) continue;
        double v = f.distance ? fromUiUnits(UnitType::kDistance, a.flagFloat(f.shortName)) : double(a.flagInt(f.shortName));
        if (!f.distance && (v < 0 || v > 100000)) fail("Invalid value for -" + std::string(f.longName) + ": " + std::to_string(long(v)));
        if (f.distance && !(v >= 0 && v < 1e30)) fail("Invalid value for -" + std::string(f.longName));
        setNumber(node->plug(f.attr), v);
    }
    if (a.isSet("ax"))
        setVector(node, "axis", {a.flagFloat("ax", 0), a.flagFloat("ax", 1), a.flagFloat("ax", 2)});
    if (a.isSet("cuv")) setNumber(node->plug("createUVs"), a.flagInt("cuv") != 0 ? 1 : 0);
}

Node* creatorNode(const PrimKind& k, const ParsedArgs& a) {
    std::vector<std::string> objs = objectWords(a);
    if (objs.empty()) fail(std::string(k.command) + ": give the " + k.nodeType + " node to query or edit.");
    Node* n = findNode(objs[0]);
    if (n->typeName() != k.nodeType) {
        // A shape or transform stands for the creation node feeding it.
        Node* shape = meshShapeOf(n);
        Node* src = shape ? scene().sourceOf(shape->plug("inMesh")).node : nullptr;
        if (!src || src->typeName() != k.nodeType) fail("Object " + objs[0] + " is not a " + k.nodeType + " node.");
        n = src;
    }
    return n;
}

MelValue primitiveCommand(const PrimKind& k, CommandContext& ctx) {
    // The parse refers to its parser, so the parser must outlive it.
    const ArgParser parser = primitiveParser(k);
    ParsedArgs a = parser.parse(ctx);
    Scene& s = scene();
    if (a.isQuery()) {
        Node* n = creatorNode(k, a);
        for (const PrimFlag& f : k.flags)
            if (a.isSet(f.shortName)) {
                double v = getNumber(n->plug(f.attr));
                return f.distance ? MelValue(toUiUnits(UnitType::kDistance, v)) : MelValue(int(v));
            }
        if (a.isSet("ax")) return MelValue(getVector(n, "axis"));
        if (a.isSet("cuv")) return MelValue(int(getNumber(n->plug("createUVs"))));
        fail(std::string(k.command) + ": nothing to query.");
    }
    if (a.isSet("e")) {
        Node* n = creatorNode(k, a);
        setPrimitiveAttrs(k, a, n);
        s.touch();
        return MelValue();
    }
    if (!objectWords(a).empty()) fail(std::string(k.command) + ": objects are only taken with -query or -edit.");
    bool history = a.isSet("ch") ? a.flagBool("ch") : true;
    std::string err;
    Node* node = s.createNode(k.nodeType, std::string(k.nodeType) + "#", nullptr, &err);
    if (!node) fail(err);
    try {
        setPrimitiveAttrs(k, a, node);
    } catch (...) {
        s.deleteNode(node);
        throw;
    }
    // Bad sizes fail the command instead of leaving an empty object behind.
    Value out = s.get(node->plug("output"));
    auto mesh = std::get_if<DataPtr>(&out) ? std::dynamic_pointer_cast<MeshData>(std::get<DataPtr>(out)) : nullptr;
    if (!mesh) {
        s.deleteNode(node);
        fail(std::string(k.command) + ": the parameters give no geometry.");
    }
    std::string want = a.flagStringOr("n", "");
    Node* xf = s.createNode("transform", want.empty() ? std::string(k.objectBase) + "#" : want, nullptr, &err);
    if (!xf) {
        s.deleteNode(node);
        fail(err);
    }
    Node* shape = s.createNode("mesh", shapeNameFor(xf->name), xf, &err);
    if (!shape) {
        s.deleteNode(node);
        s.deleteNode(xf);
        fail(err);
    }
    if (history) {
        if (!s.connect(node->plug("output"), shape->plug("inMesh"), false, &err)) fail(err);
    } else {
        auto own = std::make_shared<MeshData>(*mesh);
        setShapeGeometry(shape, own);
        s.deleteNode(node);
        node = nullptr;
    }
    if (Node* isg = tryFindNode("initialShadingGroup")) s.addToSet(isg, shape, {}, &err);
    selectOnly(xf);
    s.touch();
    std::vector<std::string> result{nodeName(xf)};
    if (node) result.push_back(nodeName(node));
    return MelValue(result);
}

// ------------------------------------------------------------ polyEvaluate

struct Target {
    Node* shape = nullptr;
    ComponentPtr component;  // null: the whole mesh
};

// Targets named by words ("pCube1", "pCube1.f[0:2]") or the selection.
std::vector<Target> evaluateTargets(const std::vector<std::string>& words) {
    std::vector<Target> out;
    auto addNode = [&](Node* n, ObjectPtr comp) {
        Node* shape = meshShapeOf(n);
        if (!shape) return;
        Target t;
        t.shape = shape;
        t.component = std::dynamic_pointer_cast<SingleIndexedComponent>(comp);
        out.push_back(t);
    };
    if (words.empty()) {
        for (const SelectionItem& it : scene().activeSelection()) addNode(it.node.get(), it.component);
        return out;
    }
    for (const std::string& w : words) {
        size_t dot = w.find('.');
        if (dot == std::string::npos) {
            for (Node* n : nodesMatching(w)) addNode(n, nullptr);
            continue;
        }
        Node* n = findNode(w.substr(0, dot));
        Node* shape = meshShapeOf(n);
        if (!shape) fail("polyEvaluate: " + w.substr(0, dot) + " is not a polygon mesh.");
        ObjectPtr comp = parseComponent(*shape, {w.substr(dot + 1)});
        if (!comp) fail("polyEvaluate: no components match " + w);
        addNode(shape, comp);
    }
    return out;
}

MelValue polyEvaluateCmd(CommandContext& ctx) {
    ArgParser p("polyEvaluate");
    p.flag("v", "vertex").flag("e", "edge").flag("f", "face").flag("t", "triangle").flag("uv", "uvcoord")
        .flag("uvs", "uvSetName", {ArgType::String}).flag("vc", "vertexComponent").flag("ec", "edgeComponent")
        .flag("fc", "faceComponent").flag("tc", "triangleComponent").flag("uvc", "uvComponent").flag("a", "area")
        .flag("wa", "worldArea").flag("fmt", "format").objects(0);
    ParsedArgs a = p.parse(ctx);
    std::vector<Target> targets = evaluateTargets(objectWords(a));
    if (targets.empty()) fail("polyEvaluate: no polygon object is named or selected.");
    // Flags in the order they were given.
    std::vector<std::string> order;
    for (const MelValue& w : ctx.args()) {
        if (!w.isString() || w.stringRef().size() < 2 || w.stringRef()[0] != '-') continue;
        std::string f = w.stringRef().substr(1);
        static const std::map<std::string, std::string> shortOf = {
            {"vertex", "v"}, {"edge", "e"}, {"face", "f"}, {"triangle", "t"}, {"uvcoord", "uv"},
            {"vertexComponent", "vc"}, {"edgeComponent", "ec"}, {"faceComponent", "fc"},
            {"triangleComponent", "tc"}, {"uvComponent", "uvc"}, {"area", "a"}, {"worldArea", "wa"}};
        if (auto it = shortOf.find(f); it != shortOf.end()) f = it->second;
        if (shortOf.count(f) || std::any_of(shortOf.begin(), shortOf.end(), [&](const auto& kv) { return kv.second == f; }))
            if (std::find(order.begin(), order.end(), f) == order.end()) order.push_back(f);
    }
    std::string uvSet = a.flagStringOr("uvs", "");
    auto value = [&](const std::string& f) -> double {
        double sum = 0;
        for (const Target& t : targets) {
            MeshDataPtr g = shapeGeometry(t.shape);
            if (!g) continue;
            const Mesh& m = g->mesh;
            int uvIdx = uvSet.empty() ? m.currentUVSet() : m.findUVSet(uvSet);
            if (!uvSet.empty() && uvIdx < 0) fail("polyEvaluate: " + t.shape->name + " has no UV set " + uvSet);
            auto componentCount = [&](MFn::Type kind, int total) {
                if (!t.component || t.component->kind != kind) return 0;
                return int(t.component->resolve(total).size());
            };
            if (f == "v") sum += m.numVertices();
            else if (f == "e") sum += m.numEdges();
            else if (f == "f") sum += m.numFaces();
            else if (f == "t") for (int i = 0; i < m.numFaces(); ++i) sum += m.faceTriangleCount(i);
            else if (f == "uv") sum += uvIdx >= 0 ? double(m.uvSet(uvIdx).u.size()) : 0.0;
            else if (f == "vc") sum += componentCount(MFn::kMeshVertComponent, m.numVertices());
            else if (f == "ec") sum += componentCount(MFn::kMeshEdgeComponent, m.numEdges());
            else if (f == "fc") sum += componentCount(MFn::kMeshPolygonComponent, m.numFaces());
            else if (f == "tc") {
                if (t.component && t.component->kind == MFn::kMeshPolygonComponent)
                    for (int i : t.component->resolve(m.numFaces())) sum += m.faceTriangleCount(i);
            } else if (f == "uvc") sum += componentCount(MFn::kMeshMapComponent, uvIdx >= 0 ? int(m.uvSet(uvIdx).u.size()) : 0);
            else if (f == "a" || f == "wa") {
                bool world = f == "wa";
                Matrix4 w = world ? worldMatrix(t.shape) : Matrix4();
                auto faceList = t.component && t.component->kind == MFn::kMeshPolygonComponent
                                    ? t.component->resolve(m.numFaces())
                                    : std::vector<int>{};
                if (faceList.empty() && !(t.component && t.component->kind == MFn::kMeshPolygonComponent))
                    for (int i = 0; i < m.numFaces(); ++i) faceList.push_back(i);
                for (int fi : faceList) {
                    const auto& tri = m.faceTriangles(fi);
                    for (size_t k = 0; k + 2 < tri.size(); k += 3) {
                        meshgeom::Vec3 q[3];
                        for (int c = 0; c < 3; ++c) {
                            meshgeom::Vec3 pt = m.points()[size_t(m.faceVertex(fi, tri[k + size_t(c)]))].d();
                            double in[3] = {pt.x, pt.y, pt.z}, o[3];
                            transformPoint(w, in, o);
                            q[c] = meshgeom::Vec3(o[0], o[1], o[2]);
                        }
                        sum += 0.5 * (q[1] - q[0]).cross(q[2] - q[0]).length();
                    }
                }
            }
        }
        return sum;
    };
    auto asValue = [&](const std::string& f) {
        double v = value(f);
        if (f == "a" || f == "wa") return MelValue(toUiUnits(UnitType::kDistance, toUiUnits(UnitType::kDistance, v)));
        return MelValue(int(v));
    };
    if (order.empty()) {
        std::string s = "vertex=" + std::to_string(int(value("v"))) + " edge=" + std::to_string(int(value("e"))) +
                        " face=" + std::to_string(int(value("f"))) + " uvcoord=" + std::to_string(int(value("uv"))) +
                        " triangle=" + std::to_string(int(value("t")));
        return MelValue(s);
    }
    if (order.size() == 1) return asValue(order[0]);
    bool allInt = std::none_of(order.begin(), order.end(), [](const std::string& f) { return f == "a" || f == "wa"; });
    if (allInt) {
        std::vector<int> out;
        for (const std::string& f : order) out.push_back(int(value(f)));
        return MelValue(out);
    }
    std::vector<double> out;
    for (const std::string& f : order) out.push_back(asValue(f).asFloat());
    return MelValue(out);
}

// ------------------------------------------------------------ polySplit

MelValue polySplitCmd(CommandContext& ctx) {
    ArgParser p("polySplit");
    p.flag("ep", "edgepoint", {ArgType::Int, ArgType::Float}, true)
        .flag("fp", "facepoint", {ArgType::Int, ArgType::Float, ArgType::Float, ArgType::Float}, true)
        .flag("ch", "constructionHistory", {ArgType::Bool})
        .flag("sma", "smoothingangle", {ArgType::Float})
        .flag("sbc", "subdivision", {ArgType::Int})
        .flag("n", "name", {ArgType::String})
        .objects(0, 1);
    ParsedArgs a = p.parse(ctx);
    if (a.isSet("fp")) fail("polySplit: face points (-fp) are not supported; give edge points with -ep.");
    std::vector<EdgePoint> pts;
    for (size_t i = 0; i < a.useCount("ep"); ++i) pts.push_back(EdgePoint{a.flagInt("ep", 0, i), a.flagFloat("ep", 1, i)});
    if (pts.size() < 2) fail("polySplit: give at least two edge points (-ep edge parameter).");
    Node* shape = nullptr;
    std::vector<std::string> objs = objectWords(a);
    if (!objs.empty()) {
        std::string w = objs[0];
        shape = meshShapeOf(findNode(w.substr(0, w.find('.'))));
        if (!shape) fail("polySplit: " + w + " is not a polygon mesh.");
    } else {
        for (const SelectionItem& it : scene().activeSelection())
            if ((shape = meshShapeOf(it.node.get()))) break;
        if (!shape) fail("polySplit: no polygon mesh is named or selected.");
    }
    Scene& s = scene();
    MeshDataPtr shown = shapeGeometry(shape);
    if (!shown) fail("polySplit: " + shape->name + " has no geometry.");
    Mesh m = shown->mesh;
    std::string err;
    if (!splitMesh(m, pts, &err)) fail(err);
    // The edit is baked into the shape: a history input would otherwise
    // rebuild the mesh without it.
    Plug in = shape->plug("inMesh");
    Plug src = s.sourceOf(in);
    if (!src.isNull()) s.disconnect(src, in);
    if (Attribute* ci = shape->attribute("cachedInMesh"))
        if (Slot* sl = s.slot(shape->plug(ci), false)) sl->value = Value();
    auto d = std::make_shared<MeshData>();
    d->mesh = std::move(m);
    if (!setShapeGeometry(shape, d, &err)) fail("polySplit: " + err);
    geometryChanged(shape);
    return MelValue(std::vector<std::string>{nodeName(shape)});
}

}  // namespace

void registerPolyCommands(host::mel::Interpreter& in) {
    for (const PrimKind& k : kinds()) {
        const PrimKind* kp = &k;
        in.registerCommand(k.command, [kp](CommandContext& ctx) { return primitiveCommand(*kp, ctx); });
    }
    in.registerCommand("polyEvaluate", polyEvaluateCmd);
    in.registerCommand("polySplit", polySplitCmd);
}

}  // namespace host::scene
