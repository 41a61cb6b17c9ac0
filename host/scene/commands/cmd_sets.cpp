// Sets and display layers: sets, createDisplayLayer, editDisplayLayerMembers.
#include "scene/commands/cmd_common.h"
#include "scene/mesh/mesh_data.h"

#include <algorithm>

namespace host::scene::cmds {

namespace {

Scene& S() { return scene(); }

struct Member {
    Node* node;
    std::vector<std::string> components;  // empty: the whole object
};

// "pCube1.f[0:3]" names faces of pCube1's shape; "pCube1" the object itself.
std::vector<Member> membersOf(const std::vector<std::string>& words) {
    std::vector<Member> out;
    for (const std::string& w : words) {
        std::size_t dot = w.find('.');
        if (dot == std::string::npos) {
            for (Node* n : nodesMatching(w)) out.push_back({n, {}});
            continue;
        }
        Node* n = findNode(w.substr(0, dot));
        std::string comp = w.substr(dot + 1);
        if (comp.find('[') == std::string::npos) fail("No object matches name: " + w);
        if (isTransform(n)) {
            Node* shape = nullptr;
            for (Node* c : n->children)
                if (isShape(c) && !isIntermediate(c)) {
                    shape = c;
                    break;
                }
            if (!shape) fail("No object matches name: " + w);
            n = shape;
        }
        auto it = std::find_if(out.begin(), out.end(), [&](const Member& m) { return m.node == n && !m.components.empty(); });
        if (it != out.end()) it->components.push_back(comp);
        else out.push_back({n, {comp}});
    }
    return out;
}

std::vector<std::string> setContents(Node* set) {
    std::vector<std::string> out;
    for (Node* m : S().setMembers(set)) {
        bool whole = true;
        std::vector<std::string> comps;
        for (const SetMembership& sm : S().membershipsOf(m))
            if (sm.set == set && !sm.wholeObject) {
                whole = false;
                comps.insert(comps.end(), sm.components.begin(), sm.components.end());
            }
        if (whole) out.push_back(nodeName(m));
        else
            for (const std::string& c : comps) out.push_back(nodeName(m) + "." + c);
    }
    return out;
}

// Shading groups share one partition: -add and -include refuse members that
// another shading group already holds (only -forceElement moves them).
void checkPartitionFree(Node* set, const std::vector<Member>& ms) {
    if (!set->hasFn(MFn::kShadingEngine)) return;
    for (const Member& m : ms) {
        ComponentListData want;
        want.items = m.components;
        std::vector<int> faces = want.indices("f");
        for (const SetMembership& sm : S().membershipsOf(m.node)) {
            if (sm.set == set || !sm.set->hasFn(MFn::kShadingEngine)) continue;
            bool clash = sm.wholeObject || m.components.empty();
            if (!clash) {
                ComponentListData have;
                have.items = sm.components;
                std::vector<int> hf = have.indices("f");
                for (int f : faces)
                    if (std::binary_search(hf.begin(), hf.end(), f)) clash = true;
            }
            if (clash)
                fail("'" + nodeName(m.node) + "' is already in the shading group '" + sm.set->name +
                     "' of the same partition; use -forceElement to move it.");
        }
    }
}

// Shading groups hold shapes: a transform named as a member stands for its shapes.
std::vector<Member> shapesFor(Node* set, const std::vector<Member>& ms) {
    if (!set->hasFn(MFn::kShadingEngine)) return ms;
    std::vector<Member> out;
    for (const Member& m : ms) {
        bool any = false;
        if (m.components.empty() && isTransform(m.node))
            for (Node* c : m.node->children)
                if (isShape(c) && !isIntermediate(c)) {
                    out.push_back({c, {}});
                    any = true;
                }
        if (!any) out.push_back(m);
    }
    return out;
}

int faceCount(Node* shape) {
    Plug om = shape->plug("outMesh");
    if (om.isNull()) return -1;
    auto md = std::dynamic_pointer_cast<MeshData>(S().getData(om));
    return md ? md->mesh.numFaces() : -1;
}

// Forcing faces into a shading group: a group holding the whole mesh keeps
// the other faces only, so every face stays in exactly one group.
void splitWholeMemberships(Node* set, const Member& m) {
    if (!set->hasFn(MFn::kShadingEngine) || m.components.empty()) return;
    ComponentListData want;
    want.items = m.components;
    int n = faceCount(m.node);
    if (n < 0) return;
    std::vector<int> forced = want.indices("f", n);
    for (const SetMembership& sm : S().membershipsOf(m.node)) {
        if (sm.set == set || !sm.wholeObject || !sm.set->hasFn(MFn::kShadingEngine)) continue;
        Node* other = sm.set;
        std::vector<std::string> rest;
        for (int f = 0; f < n; ++f)
            if (!std::binary_search(forced.begin(), forced.end(), f)) rest.push_back("f[" + std::to_string(f) + "]");
        std::string err;
        S().removeFromSet(other, m.node, &err);
        if (!rest.empty() && !S().addToSet(other, m.node, rest, &err))
            fail(err.empty() ? "Cannot keep the other faces of '" + nodeName(m.node) + "' in '" + other->name + "'." : err);
        break;
    }
}

void addMembers(Node* set, const std::vector<Member>& ms) {
    for (const Member& m : ms) {
        splitWholeMemberships(set, m);
        std::string err;
        if (!S().addToSet(set, m.node, m.components, &err))
            fail(err.empty() ? "Cannot add '" + nodeName(m.node) + "' to the set '" + set->name + "'." : err);
    }
}

MelValue setsCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .queryFlag("q", "query")
                                   .flag("e", "edit")
                                   .flag("fe", "forceElement", {ArgType::String})
                                   .flag("add", "addElement", {ArgType::String})
                                   .flag("in", "include", {ArgType::String})
                                   .flag("rm", "remove", {ArgType::String})
                                   .flag("cl", "clear", {ArgType::String})
                                   .flag("ism", "isMember", {ArgType::String})
                                   .flag("em", "empty")
                                   .flag("n", "name", {ArgType::String})
                                   .flag("r", "renderable", {ArgType::Bool})
                                   .flag("nss", "noSurfaceShader", {ArgType::Bool})
                                   .flag("t", "text", {ArgType::String})
                                   .flag("v", "vertices", {ArgType::Bool})
                                   .flag("fc", "facets", {ArgType::Bool})
                                   .flag("eg", "edges", {ArgType::Bool});
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    if (a.isQuery()) {
        if (words.empty()) fail("No set was specified.");
        Node* set = findNode(words[0]);
        if (!set->hasFn(MFn::kSet)) fail("'" + words[0] + "' is not a set.");
        return MelValue(setContents(set));
    }
    auto objects = [&]() {
        if (!words.empty()) return membersOf(words);
        std::vector<Member> ms;
        for (Node* n : selectedNodes()) ms.push_back({n, {}});
        return ms;
    };
    auto setFlag = [&](const char* f) {
        Node* s = findNode(a.flagString(f));
        if (!s->hasFn(MFn::kSet)) fail("'" + a.flagString(f) + "' is not a set.");
        return s;
    };
    if (a.isSet("ism")) {
        Node* set = setFlag("ism");
        for (const Member& m : shapesFor(set, objects())) {
            auto mem = S().setMembers(set);
            if (std::find(mem.begin(), mem.end(), m.node) == mem.end()) return MelValue(0);
        }
        return MelValue(1);
    }
    if (a.isSet("fe") || a.isSet("add") || a.isSet("in")) {
        Node* set = setFlag(a.isSet("fe") ? "fe" : a.isSet("add") ? "add" : "in");
        std::vector<Member> ms = shapesFor(set, objects());
        if (!a.isSet("fe")) checkPartitionFree(set, ms);
        addMembers(set, ms);
        return MelValue();
    }
    if (a.isSet("rm")) {
        Node* set = setFlag("rm");
        for (const Member& m : shapesFor(set, objects())) {
            std::string err;
            if (!S().removeFromSet(set, m.node, &err))
                fail(err.empty() ? "'" + nodeName(m.node) + "' is not a member of '" + set->name + "'." : err);
        }
        return MelValue();
    }
    if (a.isSet("cl")) {
        Node* set = setFlag("cl");
        for (Node* m : S().setMembers(set)) {
            std::string err;
            S().removeFromSet(set, m, &err);
        }
        return MelValue();
    }
    if (a.isSet("e")) fail("sets -edit needs -forceElement, -addElement, -remove or -clear.");
    bool renderable = a.isSet("r") && a.flagBool("r");
    std::vector<Member> ms;
    if (!a.isSet("em")) {
        ms = objects();
    }
    std::string err;
    Node* set = S().createNode(renderable ? "shadingEngine" : "objectSet", a.flagStringOr("n", "set#"), nullptr, &err);
    if (!set) fail(err.empty() ? "Cannot create the set." : err);
    if (renderable) {
        S().setDouble(set->plug("renderableOnlySet"), 1);
        if (Node* part = tryFindNode("renderPartition")) {
            Plug sets = part->plug("sets");
            unsigned k = 0;
            for (unsigned i : S().logicalIndices(sets)) k = std::max(k, i + 1);
            S().connect(set->plug("partition"), sets.element(k), false, &err);
        }
        // Without -noSurfaceShader the group shows the default material until it gets its own.
        if (!(a.isSet("nss") && a.flagBool("nss")))
            if (Node* initial = tryFindNode("initialShadingGroup")) {
                Plug src = S().sourceOf(initial->plug("surfaceShader"));
                if (!src.isNull()) S().connect(src, set->plug("surfaceShader"), false, &err);
            }
    }
    if (a.isSet("t")) S().setString(set->plug("annotation"), a.flagString("t"));
    if (a.isSet("v")) S().setDouble(set->plug("verticesOnlySet"), a.flagBool("v") ? 1 : 0);
    if (a.isSet("eg")) S().setDouble(set->plug("edgesOnlySet"), a.flagBool("eg") ? 1 : 0);
    if (a.isSet("fc")) S().setDouble(set->plug("facetsOnlySet"), a.flagBool("fc") ? 1 : 0);
    addMembers(set, shapesFor(set, ms));
    return MelValue(nodeName(set));
}

// ------------------------------------------------------------------ display layers
Node* layerManager() {
    for (Node* n : S().nodes())
        if (n->hasFn(MFn::kDisplayLayerManager)) return n;
    return nullptr;
}

void addToLayer(Node* layer, Node* obj, bool recurse) {
    std::vector<Node*> todo{obj};
    if (recurse && obj->isDag())
        for (Node* d : S().dagDepthFirst(obj)) todo.push_back(d);
    for (Node* n : todo) {
        Plug dov = n->plug("drawOverride");
        if (dov.isNull()) continue;
        Plug cur = S().sourceOf(dov);
        std::string err;
        if (!cur.isNull()) S().disconnect(cur, dov, &err);
        // The default layer holds every object not in another layer, unconnected.
        if (layer->name == "defaultLayer") continue;
        Plug di = layer->plug("drawInfo");
        if (di.isNull() || !S().connect(di, dov, true, &err))
            fail(err.empty() ? "Cannot add '" + nodeName(n) + "' to the layer '" + layer->name + "'." : err);
    }
}

MelValue createDisplayLayerCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("n", "name", {ArgType::String})
                                   .flag("e", "empty")
                                   .flag("nr", "noRecurse")
                                   .flag("mc", "makeCurrent")
                                   .flag("num", "number", {ArgType::Int});
    ParsedArgs a = p.parse(ctx);
    std::vector<Node*> objs;
    if (!a.isSet("e")) {
        std::vector<std::string> words = objectWords(a);
        if (words.empty()) objs = selectedNodes();
        for (const std::string& w : words)
            for (Node* n : nodesMatching(w)) objs.push_back(n);
    }
    std::string err;
    Node* layer = S().createNode("displayLayer", a.flagStringOr("n", "layer#"), nullptr, &err);
    if (!layer) fail(err.empty() ? "Cannot create the display layer." : err);
    if (Node* mgr = layerManager()) {
        Plug ids = mgr->plug("displayLayerId"), ident = layer->plug("identification");
        if (!ids.isNull() && !ident.isNull()) {
            unsigned k = 0;
            for (unsigned i : S().logicalIndices(ids)) k = std::max(k, i + 1);
            S().setDouble(ident, k);
            S().connect(ids.element(k), ident, true, &err);
        }
    }
    for (Node* o : objs) addToLayer(layer, o, !a.isSet("nr"));
    return MelValue(nodeName(layer));
}

MelValue editDisplayLayerMembersCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser().queryFlag("q", "query").flag("nr", "noRecurse").flag("fn", "fullNames").objects(1);
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    Node* layer = findNode(words.at(0));
    if (!layer->hasFn(MFn::kDisplayLayer)) fail("'" + words[0] + "' is not a display layer.");
    if (a.isQuery()) {
        std::vector<std::string> out;
        Plug di = layer->plug("drawInfo");
        if (!di.isNull())
            for (const Plug& d : S().destinationsOf(di)) out.push_back(nodeName(d.node, a.isSet("fn")));
        return MelValue(out);
    }
    std::vector<Node*> objs;
    if (words.size() == 1) objs = selectedNodes();
    for (std::size_t i = 1; i < words.size(); ++i)
        for (Node* n : nodesMatching(words[i])) objs.push_back(n);
    for (Node* o : objs) addToLayer(layer, o, !a.isSet("nr"));
    return MelValue(static_cast<int>(objs.size()));
}

}  // namespace

void registerSetCommands(host::mel::Interpreter& in) { in.registerCommand("sets", setsCmd); }

void registerLayerCommands(host::mel::Interpreter& in) {
    in.registerCommand("createDisplayLayer", createDisplayLayerCmd);
    in.registerCommand("editDisplayLayerMembers", editDisplayLayerMembersCmd);
}

}  // namespace host::scene::cmds
