// Node commands: existence, types, creation, naming, deletion, the DAG,
// duplication, selection and listing.
#include "scene/commands/cmd_common.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>

namespace host::scene::cmds {

namespace {

Scene& S() { return scene(); }

MelValue strings(std::vector<std::string> v) { return MelValue(std::move(v)); }

// "pCube12" -> {"pCube", "12"}
std::pair<std::string, std::string> splitDigits(const std::string& name) {
    std::size_t i = name.size();
    while (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) --i;
    return {name.substr(0, i), name.substr(i)};
}

// The host names a transform's shape "<base>Shape<digits>".
std::string shapeNameFor(const std::string& transformName) {
    auto [base, digits] = splitDigits(transformName);
    return base + "Shape" + digits;
}

bool nameTaken(const std::string& name) {
    for (Node* n : S().nodes())
        if (n->name == name) return true;
    return false;
}

// Next free name with the trailing number increased (pCubeShape1 -> pCubeShape2).
std::string nextFreeName(const std::string& want) {
    if (!nameTaken(want)) return want;
    auto [base, digits] = splitDigits(want);
    long k = digits.empty() ? 1 : std::stol(digits.substr(0, 9)) + 1;
    for (;; ++k) {
        std::string c = base + std::to_string(k);
        if (!nameTaken(c)) return c;
    }
}

std::vector<Node*> objectsOrSelection(const ParsedArgs& a, bool wildcards = true) {
    std::vector<Node*> out;
    std::vector<std::string> words = objectWords(a);
    if (words.empty()) return selectedNodes();
    for (const std::string& w : words) {
        std::string nodePart = w;
        if (!w.empty() && w[0] != '.') {
            std::size_t dot = w.find('.');
            if (dot != std::string::npos) nodePart = w.substr(0, dot);
        }
        std::vector<Node*> ns = wildcards ? nodesMatching(nodePart) : std::vector<Node*>{findNode(nodePart)};
        for (Node* n : ns)
            if (std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
    }
    return out;
}

Node* createOrFail(const std::string& type, const std::string& name, Node* parent) {
    std::string err;
    Node* n = S().createNode(type, name, parent, &err, false);
    if (!n) fail(err.empty() ? "Unknown object type: " + type : err);
    return n;
}

void connectInverseScale(Node* parent, Node* child) {
    if (!parent || !child || !parent->type->isA("joint") || !child->type->isA("joint")) return;
    Plug s = parent->plug("scale"), is = child->plug("inverseScale");
    if (s.isNull() || is.isNull()) return;
    std::string err;
    S().connect(s, is, true, &err);
}

void disconnectInverseScale(Node* child) {
    if (!child || !child->type->isA("joint")) return;
    Plug is = child->plug("inverseScale");
    if (is.isNull()) return;
    Plug src = S().sourceOf(is);
    if (!src.isNull() && src.attr() && src.attr()->name == "scale") {
        std::string err;
        S().disconnect(src, is, &err);
    }
}

// ------------------------------------------------------------------ objExists
MelValue objExists(CommandContext& ctx) {
    static const ArgParser p = ArgParser().objects(1, 1);
    ParsedArgs a = p.parse(ctx);
    std::string w = objectWords(a).empty() ? std::string() : objectWords(a)[0];
    if (w.empty()) return MelValue(0);
    if (w.find('.') != std::string::npos && w[0] != '.') {
        try {
            plugsFor(w);
            return MelValue(1);
        } catch (const CommandError&) {
            // A component ("pCube1.f[2]") names an existing object when its node does.
            std::size_t dot = w.find('.');
            std::string rest = w.substr(dot + 1);
            std::size_t br = rest.find('[');
            Node* n = tryFindNode(w.substr(0, dot));
            if (n && br != std::string::npos && br > 0) {
                static const char* kinds[] = {"vtx", "e", "f", "vtxFace", "map", "cv", "u", "v"};
                for (const char* k : kinds)
                    if (rest.compare(0, br, k) == 0) return MelValue(1);
            }
            return MelValue(0);
        }
    }
    if (w.find_first_of("*?") != std::string::npos) return MelValue(S().match(w).empty() ? 0 : 1);
    return MelValue(tryFindNode(w) ? 1 : 0);
}

// ------------------------------------------------------------------ nodeType
MelValue nodeTypeCmd(CommandContext& ctx) {
    static const ArgParser p =
        ArgParser().flag("api", "apiType").flag("i", "inherited").flag("itn", "isTypeName").objects(1, 1);
    ParsedArgs a = p.parse(ctx);
    std::string w = objectWords(a).at(0);
    const NodeType* t = nullptr;
    Node* n = nullptr;
    if (a.isSet("itn")) {
        t = S().findType(w);
        if (!t) fail("Unknown object type: " + w);
    } else {
        std::size_t dot = w.find('.');
        n = findNode(dot == std::string::npos || w[0] == '.' ? w : w.substr(0, dot));
        t = n->type;
    }
    if (a.isSet("api")) return MelValue(std::string(MFn::typeName(n ? n->apiType() : t->apiType)));
    if (a.isSet("i")) {
        std::vector<std::string> chain;
        for (const NodeType* c = t; c; c = c->parent) chain.push_back(c->name);
        std::reverse(chain.begin(), chain.end());
        if (n && !n->unknownType.empty() && chain.back() != n->unknownType) chain.push_back(n->unknownType);
        return strings(chain);
    }
    return MelValue(n ? n->typeName() : t->name);
}

// ------------------------------------------------------------------ createNode
MelValue createNodeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("n", "name", {ArgType::String})
                                   .flag("p", "parent", {ArgType::String})
                                   .flag("s", "shared")
                                   .flag("ss", "skipSelect")
                                   .objects(1, 1);
    ParsedArgs a = p.parse(ctx);
    std::string type = objectWords(a).at(0);
    std::string name = a.flagStringOr("n", "");
    Node* parent = a.isSet("p") ? findNode(a.flagString("p")) : nullptr;
    // Shared nodes (the default cameras, lambert1 ...) exist once: files
    // re-declare them and edit the existing node.
    if (a.isSet("s") && !name.empty()) {
        if (Node* existing = tryFindNode(name)) {
            if (!a.isSet("ss")) selectOnly(existing);
            return MelValue(nodeName(existing));
        }
    }
    std::string err;
    bool unknown = !S().findType(type);
    if (unknown && !createUnknownNodes()) fail("Unknown object type: " + type);
    Node* n = S().createNode(type, name, parent, &err, createUnknownNodes());
    if (!n) fail(err.empty() ? "Unknown object type: " + type : err);
    if (unknown)
        ctx.warning("Unrecognized node type '" + type + "'; preserving node information during this session.");
    if (a.isSet("s")) n->isShared = true;
    if (!a.isSet("ss")) selectOnly(n);
    return MelValue(nodeName(n));
}

// ------------------------------------------------------------------ delete
MelValue deleteCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("ch", "constructionHistory")
                                   .flag("all", "all")
                                   .flag("at", "attribute", {ArgType::String}, true)
                                   .flag("c", "channels")
                                   .flag("hi", "hierarchy", {ArgType::String})
                                   .flag("icn", "inputConnectionsAndNodes");
    ParsedArgs a = p.parse(ctx);
    std::vector<Node*> targets;
    if (a.isSet("all")) {
        for (Node* n : S().nodes())
            if (!n->isDefault && (!n->isDag() || !n->parent || n->parent->isWorld())) targets.push_back(n);
    } else {
        targets = objectsOrSelection(a);
        if (targets.empty()) fail("Not enough objects or values.");
    }
    // Construction history is not kept by this host: the objects stay.
    if (a.isSet("ch")) return MelValue();
    std::vector<NodePtr> hold;
    for (Node* n : targets) hold.push_back(S().ptr(n));
    for (const NodePtr& n : hold) {
        if (!n || n->deleted) continue;
        deselect(n.get());
        std::string err;
        if (!S().deleteNode(n.get(), &err)) fail(err.empty() ? "Cannot delete '" + n->name + "'." : err);
    }
    return MelValue();
}

// ------------------------------------------------------------------ rename
MelValue renameCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser().flag("is", "ignoreShape").flag("uid", "uuid").objects(1, 2);
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> w = objectWords(a);
    if (a.isSet("uid")) {
        // Node identifiers of scene files: this host keeps none, the node
        // (named or selected) must exist.
        if (w.size() == 2) findNode(w[0]);
        else if (selectedNodes().empty()) fail("No object was specified to rename.");
        return MelValue(w.back());
    }
    Node* n = nullptr;
    std::string newName;
    if (w.size() == 2) {
        n = findNode(w[0]);
        newName = w[1];
    } else {
        std::vector<Node*> sel = selectedNodes();
        if (sel.empty()) fail("No object was specified to rename.");
        n = sel.front();
        newName = w[0];
    }
    if (newName.empty()) fail("New name cannot be empty.");
    std::size_t bar = newName.rfind('|');
    if (bar != std::string::npos) newName = newName.substr(bar + 1);
    if (newName.empty() || std::isdigit(static_cast<unsigned char>(newName[0])))
        fail("New name '" + newName + "' is not a valid name.");
    for (char c : newName)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#' || c == ':'))
            fail("New name '" + newName + "' is not a valid name.");
    if (n->isDefault && n->name != newName) fail("Cannot rename a read only node.");
    if (n->locked) fail("Cannot rename a locked node.");
    std::string err;
    if (!S().rename(n, newName, &err)) fail(err.empty() ? "Cannot rename '" + n->name + "'." : err);
    // Shapes follow their transform's new name unless told otherwise.
    if (!a.isSet("is") && isTransform(n)) {
        for (Node* c : n->children) {
            if (!isShape(c) || c->isDefault) continue;
            std::string want = shapeNameFor(n->name);
            if (c->name == want) continue;
            std::string e2;
            S().rename(c, nameTaken(want) ? nextFreeName(want) : want, &e2);
        }
    }
    return MelValue(nodeName(n));
}

// ------------------------------------------------------------------ parent
MelValue parentCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("w", "world")
                                   .flag("r", "relative")
                                   .flag("a", "absolute")
                                   .flag("s", "shape")
                                   .flag("add", "addObject")
                                   .flag("rm", "removeObject")
                                   .flag("nc", "noConnections")
                                   .flag("nis", "noInvScale");
    ParsedArgs a = p.parse(ctx);
    if (a.isSet("add") || a.isSet("rm")) fail("Instancing (parent -add/-removeObject) is not supported.");
    std::vector<Node*> objs;
    std::vector<std::string> words = objectWords(a);
    if (words.empty()) objs = selectedNodes();
    else
        for (const std::string& w : words) objs.push_back(findNode(w));
    Node* newParent = nullptr;
    if (!a.isSet("w")) {
        if (objs.size() < 2) fail("Not enough objects or values.");
        newParent = objs.back();
        objs.pop_back();
        if (!newParent->isDag()) fail("Object '" + nodeName(newParent) + "' is not a DAG node.");
    } else if (objs.empty()) {
        fail("Not enough objects or values.");
    }
    bool relative = a.isSet("r");
    std::vector<std::string> result;
    for (Node* c : objs) {
        if (!c->isDag()) fail("Object '" + nodeName(c) + "' is not a DAG node.");
        Node* cur = c->parent && !c->parent->isWorld() ? c->parent : nullptr;
        if (cur == newParent) {
            ctx.warning("Object, '" + nodeName(c) + "', skipped. It is already a child of the parent, '" +
                        (newParent ? nodeName(newParent) : std::string("world")) + "'.");
            result.push_back(nodeName(c));
            continue;
        }
        if (isShape(c) && !a.isSet("s") && !newParent)
            fail("Shape '" + nodeName(c) + "' cannot be parented to the world.");
        for (Node* q = newParent; q; q = q->parent)
            if (q == c) fail("Cannot parent '" + nodeName(c) + "' to itself or one of its descendants.");
        if (!a.isSet("nis")) disconnectInverseScale(c);
        std::string err;
        bool keep = !relative && !isShape(c);
        if (!S().reparent(c, newParent, keep, &err)) fail(err.empty() ? "Cannot parent '" + c->name + "'." : err);
        if (!a.isSet("nis")) connectInverseScale(newParent, c);
        result.push_back(nodeName(c));
    }
    return strings(result);
}

// ------------------------------------------------------------------ group
MelValue groupCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("n", "name", {ArgType::String})
                                   .flag("em", "empty")
                                   .flag("w", "world")
                                   .flag("p", "parent", {ArgType::String})
                                   .flag("a", "absolute")
                                   .flag("r", "relative")
                                   .flag("uag", "useAsGroup", {ArgType::String});
    ParsedArgs a = p.parse(ctx);
    std::vector<Node*> objs;
    if (!a.isSet("em")) {
        std::vector<std::string> words = objectWords(a);
        if (words.empty()) objs = selectedNodes();
        else
            for (const std::string& w : words) objs.push_back(findNode(w));
        if (objs.empty()) fail("Not enough objects or values.");
        for (Node* o : objs)
            if (!o->isDag() || isShape(o)) fail("Object '" + nodeName(o) + "' is not a transform.");
    }
    Node* parent = nullptr;
    if (a.isSet("p")) {
        parent = findNode(a.flagString("p"));
    } else if (!a.isSet("w") && !objs.empty()) {
        // Under the objects' common parent, or the world when they differ.
        Node* first = objs.front()->parent;
        bool same = true;
        for (Node* o : objs) same = same && o->parent == first;
        if (same && first && !first->isWorld()) parent = first;
    }
    std::string name = a.flagStringOr("n", "group#");
    Node* g = createOrFail("transform", name, parent);
    for (Node* o : objs) {
        disconnectInverseScale(o);
        std::string err;
        if (!S().reparent(o, g, !a.isSet("r"), &err)) fail(err.empty() ? "Cannot group '" + o->name + "'." : err);
    }
    selectOnly(g);
    return MelValue(nodeName(g));
}

// ------------------------------------------------------------------ duplicate
void copySlot(Slot& dst, const Slot& src) {
    dst.value = src.value;
    if (auto* d = std::get_if<DataPtr>(&src.value))
        if (*d) dst.value = (*d)->clone();
    dst.hasValue = src.hasValue;
    dst.locked = src.locked;
    dst.gen = 0;
    dst.children.resize(src.children.size());
    for (std::size_t i = 0; i < src.children.size(); ++i) copySlot(dst.children[i], src.children[i]);
    dst.elements.clear();
    for (const auto& [k, e] : src.elements) copySlot(dst.elements[k], e);
}

AttrPtr cloneAttr(const Attribute& a) {
    auto c = std::make_shared<Attribute>(a);
    c->children.clear();
    c->parent = nullptr;
    c->affects.clear();
    c->affectedBy.clear();
    c->attached = false;
    c->index = -1;
    c->owner = nullptr;
    for (const AttrPtr& ch : a.children) c->children.push_back(cloneAttr(*ch));
    adoptChildren(*c);
    return c;
}

Node* duplicateNode(Node* src, Node* parent, const std::string& name, std::vector<Node*>& made) {
    Node* n = createOrFail(src->type->name, name, parent);
    if (!src->unknownType.empty()) n->unknownType = src->unknownType;
    for (const AttrPtr& d : src->dynamicAttrs) n->addAttribute(cloneAttr(*d));
    std::size_t count = std::min(n->slots.size(), src->slots.size());
    for (std::size_t i = 0; i < count; ++i) copySlot(n->slots[i], src->slots[i]);
    made.push_back(n);
    for (const SetMembership& m : S().membershipsOf(src)) {
        std::string err;
        S().addToSet(m.set, n, m.wholeObject ? std::vector<std::string>{} : m.components, &err);
    }
    std::vector<Node*> kids = src->children;
    for (Node* c : kids) {
        if (c->deleted) continue;
        std::string childName = c->name;
        if (parent == src->parent && isShape(c)) childName = nextFreeName(c->name);
        duplicateNode(c, n, childName, made);
    }
    return n;
}

MelValue duplicateCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("n", "name", {ArgType::String})
                                   .flag("rr", "returnRootsOnly")
                                   .flag("rc", "renameChildren")
                                   .flag("ic", "inputConnections")
                                   .flag("un", "upstreamNodes")
                                   .flag("po", "parentOnly");
    ParsedArgs a = p.parse(ctx);
    std::vector<Node*> objs = objectsOrSelection(a);
    if (objs.empty()) fail("Not enough objects or values.");
    std::vector<std::string> roots, others;
    std::vector<Node*> newRoots;
    for (Node* o : objs) {
        Node* parent = o->parent && !o->parent->isWorld() ? o->parent : nullptr;
        std::string want = a.isSet("n") ? a.flagString("n") : o->name;
        if (!a.isSet("n") || nameTaken(want)) want = nextFreeName(want);
        std::vector<Node*> made;
        Node* r = nullptr;
        if (o->isDag()) {
            // A shape's copy lands beside it, under the same transform.
            r = createOrFail(o->type->name, want, parent);
            if (!o->unknownType.empty()) r->unknownType = o->unknownType;
            for (const AttrPtr& d : o->dynamicAttrs) r->addAttribute(cloneAttr(*d));
            std::size_t count = std::min(r->slots.size(), o->slots.size());
            for (std::size_t i = 0; i < count; ++i) copySlot(r->slots[i], o->slots[i]);
            for (const SetMembership& m : S().membershipsOf(o)) {
                std::string err;
                S().addToSet(m.set, r, m.wholeObject ? std::vector<std::string>{} : m.components, &err);
            }
            if (!a.isSet("po")) {
                std::vector<Node*> kids = o->children;
                for (Node* c : kids) {
                    if (c->deleted) continue;
                    std::string cn = isShape(c) ? nextFreeName(shapeNameFor(r->name)) : c->name;
                    duplicateNode(c, r, cn, made);
                }
            }
        } else {
            r = createOrFail(o->type->name, want, nullptr);
            for (const AttrPtr& d : o->dynamicAttrs) r->addAttribute(cloneAttr(*d));
            std::size_t count = std::min(r->slots.size(), o->slots.size());
            for (std::size_t i = 0; i < count; ++i) copySlot(r->slots[i], o->slots[i]);
        }
        newRoots.push_back(r);
        roots.push_back(nodeName(r));
        for (Node* m : made)
            if (!isShape(m)) others.push_back(nodeName(m));
    }
    S().touch();
    auto& sel = S().activeSelection();
    sel.clear();
    for (Node* r : newRoots) selectAdd(r);
    if (!a.isSet("rr")) roots.insert(roots.end(), others.begin(), others.end());
    return strings(roots);
}

// ------------------------------------------------------------------ select
// A set named without -ne stands for its members.
void expandItem(Node* n, bool noExpand, std::vector<Node*>& out) {
    if (!noExpand && n->hasFn(MFn::kSet)) {
        for (Node* m : S().setMembers(n)) out.push_back(m);
        return;
    }
    out.push_back(n);
}

MelValue selectCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("r", "replace")
                                   .flag("add", "add")
                                   .flag("af", "addFirst")
                                   .flag("d", "deselect")
                                   .flag("tgl", "toggle")
                                   .flag("cl", "clear")
                                   .flag("ne", "noExpand")
                                   .flag("all", "all")
                                   .flag("ado", "allDagObjects")
                                   .flag("hi", "hierarchy")
                                   .flag("vis", "visible");
    ParsedArgs a = p.parse(ctx);
    auto& sel = S().activeSelection();
    if (a.isSet("cl")) {
        sel.clear();
        return MelValue();
    }
    std::vector<Node*> items;
    std::vector<Plug> plugs;
    bool ne = a.isSet("ne");
    if (a.isSet("all") || a.isSet("ado")) {
        for (Node* n : S().dagDepthFirst())
            if ((!n->parent || n->parent->isWorld()) && !n->isDefault) items.push_back(n);
    }
    for (const std::string& w : objectWords(a)) {
        std::size_t dot = w.find('.');
        if (dot != std::string::npos && dot > 0) {
            // Plugs select as plugs; components select their object.
            Node* n = findNode(w.substr(0, dot));
            try {
                Plug pl = findPlug(w);
                plugs.push_back(pl);
            } catch (const CommandError&) {
                items.push_back(n);
            }
            continue;
        }
        for (Node* n : nodesMatching(w)) expandItem(n, ne, items);
    }
    if (a.isSet("hi")) {
        std::vector<Node*> more;
        for (Node* n : items) {
            more.push_back(n);
            if (n->isDag())
                for (Node* d : S().dagDepthFirst(n)) more.push_back(d);
        }
        items = more;
    }
    std::vector<SelectionItem> newItems;
    for (Node* n : items) newItems.push_back(SelectionItem{S().ptr(n), nullptr, Plug{}});
    for (const Plug& pl : plugs) newItems.push_back(SelectionItem{S().ptr(pl.node), nullptr, pl});
    auto has = [&](const SelectionItem& it) { return std::find(sel.begin(), sel.end(), it) != sel.end(); };
    if (a.isSet("d")) {
        for (const auto& it : newItems) sel.erase(std::remove(sel.begin(), sel.end(), it), sel.end());
    } else if (a.isSet("tgl")) {
        for (const auto& it : newItems) {
            if (has(it)) sel.erase(std::remove(sel.begin(), sel.end(), it), sel.end());
            else sel.push_back(it);
        }
    } else if (a.isSet("add") || a.isSet("af")) {
        std::size_t pos = 0;
        for (const auto& it : newItems) {
            if (has(it)) continue;
            if (a.isSet("af")) sel.insert(sel.begin() + static_cast<long>(pos++), it);
            else sel.push_back(it);
        }
    } else {
        sel.clear();
        for (const auto& it : newItems)
            if (!has(it)) sel.push_back(it);
    }
    return MelValue();
}

// ------------------------------------------------------------------ ls
bool isVisible(Node* n) {
    for (Node* q = n; q && !q->isWorld(); q = q->parent) {
        Attribute* v = q->attribute("visibility");
        if (v && S().getDouble(q->plug(v)) == 0.0) return false;
        if (isIntermediate(q)) return false;
    }
    return true;
}

bool isGeometry(const Node* n) {
    return isShape(n) && !n->hasFn(MFn::kCamera) && !n->hasFn(MFn::kLight) && !n->hasFn(MFn::kLocator);
}

bool isMaterial(const Node* n) {
    return n->hasFn(MFn::kLambert) || n->hasFn(MFn::kSurfaceShader) || n->hasFn(MFn::kReflect);
}

MelValue lsCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("sl", "selection")
                                   .flag("typ", "type", {ArgType::String}, true)
                                   .flag("et", "exactType", {ArgType::String}, true)
                                   .flag("dag", "dag")
                                   .flag("tr", "transforms")
                                   .flag("s", "shapes")
                                   .flag("l", "long")
                                   .flag("sn", "shortNames")
                                   .flag("ni", "noIntermediate")
                                   .flag("io", "intermediateObjects")
                                   .flag("v", "visible")
                                   .flag("iv", "invisible")
                                   .flag("g", "geometry")
                                   .flag("ca", "cameras")
                                   .flag("lt", "lights")
                                   .flag("mat", "materials")
                                   .flag("tex", "textures")
                                   .flag("o", "objectsOnly")
                                   .flag("set", "sets")
                                   .flag("fl", "flatten")
                                   .flag("hd", "head", {ArgType::Int})
                                   .flag("tl", "tail", {ArgType::Int})
                                   .flag("as", "assemblies")
                                   .flag("st", "showType")
                                   .flag("dep", "dependencyNodes")
                                   .flag("lf", "leaf")
                                   .flag("ap", "allPaths")
                                   .flag("r", "recursive", {ArgType::Bool})
                                   .flag("ro", "readOnly")
                                   .flag("ud", "undeletable")
                                   .flag("lo", "lockedNodes")
                                   .flag("uid", "uuid");
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    bool dagFlag = a.isSet("dag");
    // Candidates: (node, text) where text is a plug/component word kept as written.
    struct Item {
        Node* node;
        std::string text;
    };
    std::vector<Item> items;
    auto addNode = [&](Node* n) { items.push_back({n, {}}); };
    auto addWithDag = [&](Node* n) {
        addNode(n);
        if (dagFlag && n->isDag())
            for (Node* d : S().dagDepthFirst(n)) addNode(d);
    };
    if (a.isSet("sl")) {
        for (const SelectionItem& it : S().activeSelection()) {
            if (!it.node || it.node->deleted) continue;
            if (!words.empty()) {
                bool ok = false;
                for (const std::string& w : words)
                    ok = ok || wildcardMatch(w, it.node->name) || wildcardMatch(w, nodeName(it.node.get())) ||
                         wildcardMatch(w, it.node->fullPath());
                if (!ok) continue;
            }
            if (!it.plug.isNull() && !a.isSet("o")) items.push_back({it.node.get(), plugName(it.plug)});
            else addWithDag(it.node.get());
        }
    } else if (!words.empty()) {
        for (const std::string& w : words) {
            std::size_t dot = w.find('.');
            if (dot != std::string::npos && dot > 0) {
                Node* n = tryFindNode(w.substr(0, dot));
                if (!n) continue;
                bool exists = false;
                try {
                    plugsFor(w);
                    exists = true;
                } catch (const CommandError&) {
                    exists = w.find('[') != std::string::npos;  // component
                }
                if (!exists) continue;
                if (a.isSet("o")) addNode(n);
                else items.push_back({n, w});
                continue;
            }
            for (Node* n : nodesMatching(w, true)) addWithDag(n);
        }
    } else if (dagFlag || a.isSet("tr") || a.isSet("s") || a.isSet("g") || a.isSet("ca") || a.isSet("lt") ||
               a.isSet("as") || a.isSet("lf") || a.isSet("v") || a.isSet("ni")) {
        for (Node* n : S().dagDepthFirst()) addNode(n);
    } else {
        for (Node* n : S().nodes()) addNode(n);
    }

    std::vector<std::string> types = flagStrings(a, "typ"), exact = flagStrings(a, "et");
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (const Item& it : items) {
        Node* n = it.node;
        if (!n || n->deleted || n->isWorld()) continue;
        if (!types.empty() || !exact.empty()) {
            bool ok = false;
            for (const std::string& t : types) ok = ok || n->type->isA(t) || n->typeName() == t;
            for (const std::string& t : exact) ok = ok || n->typeName() == t;
            if (!ok) continue;
        }
        if ((dagFlag || a.isSet("lf")) && !n->isDag()) continue;
        if (a.isSet("tr") && !isTransform(n)) continue;
        if (a.isSet("s") && !isShape(n)) continue;
        if (a.isSet("g") && !isGeometry(n)) continue;
        if (a.isSet("ca") && !n->hasFn(MFn::kCamera)) continue;
        if (a.isSet("lt") && !n->hasFn(MFn::kLight)) continue;
        if (a.isSet("mat") && !isMaterial(n)) continue;
        if (a.isSet("tex") && !(n->hasFn(MFn::kTexture2d) || n->hasFn(MFn::kFileTexture))) continue;
        if (a.isSet("set") && !n->hasFn(MFn::kSet)) continue;
        if (a.isSet("dep") && n->isDag()) continue;
        if (a.isSet("as") && !(n->isDag() && (!n->parent || n->parent->isWorld()) && isTransform(n))) continue;
        if (a.isSet("lf") && !n->children.empty()) continue;
        if (a.isSet("ni") && n->isDag() && isIntermediate(n)) continue;
        if (a.isSet("io") && !(n->isDag() && isIntermediate(n))) continue;
        if (a.isSet("v") && !(n->isDag() && isVisible(n))) continue;
        if (a.isSet("iv") && !(n->isDag() && !isVisible(n))) continue;
        if (a.isSet("ro") && !n->isDefault) continue;
        if (a.isSet("lo") && !n->locked) continue;
        std::string name;
        if (!it.text.empty()) name = it.text;
        else if (a.isSet("sn")) name = n->name;
        else name = nodeName(n, a.isSet("l"));
        if (!seen.insert(name).second) continue;
        out.push_back(name);
        if (a.isSet("st")) out.push_back(n->typeName());
    }
    if (a.isSet("hd")) {
        int k = a.flagInt("hd");
        if (k >= 0 && static_cast<std::size_t>(k) < out.size()) out.resize(static_cast<std::size_t>(k));
    }
    if (a.isSet("tl")) {
        int k = a.flagInt("tl");
        if (k >= 0 && static_cast<std::size_t>(k) < out.size()) out.erase(out.begin(), out.end() - k);
    }
    return strings(out);
}

// ------------------------------------------------------------------ listRelatives
MelValue listRelativesCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("c", "children")
                                   .flag("s", "shapes")
                                   .flag("p", "parent")
                                   .flag("ad", "allDescendents")
                                   .flag("ap", "allParents")
                                   .flag("f", "fullPath")
                                   .flag("pa", "path")
                                   .flag("typ", "type", {ArgType::String}, true)
                                   .flag("ni", "noIntermediate");
    ParsedArgs a = p.parse(ctx);
    std::vector<Node*> objs;
    std::vector<std::string> words = objectWords(a);
    if (words.empty()) objs = selectedNodes();
    else
        for (const std::string& w : words)
            for (Node* n : nodesMatching(w)) objs.push_back(n);
    std::vector<std::string> types = flagStrings(a, "typ");
    std::vector<Node*> found;
    for (Node* o : objs) {
        if (!o->isDag()) continue;
        if (a.isSet("p") || a.isSet("ap")) {
            if (o->parent && !o->parent->isWorld()) found.push_back(o->parent);
            continue;
        }
        if (a.isSet("ad")) {
            // The host lists descendants deepest-last-child first: reversed depth-first order.
            std::vector<Node*> d = S().dagDepthFirst(o);
            for (auto it = d.rbegin(); it != d.rend(); ++it) {
                if (a.isSet("s") && !isShape(*it)) continue;
                found.push_back(*it);
            }
            continue;
        }
        for (Node* c : o->children) {
            if (c->deleted) continue;
            if (a.isSet("s") && !isShape(c)) continue;
            found.push_back(c);
        }
    }
    std::vector<std::string> out;
    std::set<Node*> seen;
    for (Node* n : found) {
        if (!seen.insert(n).second) continue;
        if (!types.empty()) {
            bool ok = false;
            for (const std::string& t : types) ok = ok || n->type->isA(t) || n->typeName() == t;
            if (!ok) continue;
        }
        if (a.isSet("ni") && isIntermediate(n)) continue;
        if (a.isSet("f")) out.push_back(n->fullPath());
        else if (a.isSet("pa")) out.push_back(n->partialPath());
        else out.push_back(n->name);
    }
    return strings(out);
}

// ------------------------------------------------------------------ spaceLocator
MelValue spaceLocatorCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("n", "name", {ArgType::String})
                                   .flag("p", "position", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("a", "absolute")
                                   .flag("r", "relative");
    ParsedArgs a = p.parse(ctx);
    Node* t = createOrFail("transform", a.flagStringOr("n", "locator#"), nullptr);
    Node* s = createOrFail("locator", nextFreeName(shapeNameFor(t->name)), t);
    if (a.isSet("p")) {
        std::vector<double> pos;
        for (int i = 0; i < 3; ++i) pos.push_back(fromUiUnits(UnitType::kDistance, a.flagFloat("p", i)));
        setVector(s, "localPosition", pos);
    }
    selectOnly(t);
    return strings({nodeName(t)});
}

// ------------------------------------------------------------------ joint
MelValue jointCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("n", "name", {ArgType::String})
                                   .flag("p", "position", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("o", "orientation", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("a", "absolute")
                                   .flag("r", "relative")
                                   .flag("rad", "radius", {ArgType::Float})
                                   .flag("roo", "rotationOrder", {ArgType::String})
                                   .flag("e", "edit")
                                   .queryFlag("q", "query");
    ParsedArgs a = p.parse(ctx);
    if (a.isQuery() || a.isSet("e")) {
        std::vector<std::string> w = objectWords(a);
        Node* j = w.empty() ? (selectedNodes().empty() ? nullptr : selectedNodes().front()) : findNode(w[0]);
        if (!j || !j->type->isA("joint")) fail("No joint was specified.");
        if (a.isQuery()) {
            if (a.isSet("p")) {
                std::vector<double> t = getVector(j, "translate");
                if (!a.isSet("r")) {
                    Matrix4 wm = worldMatrix(j);
                    t = {wm.m[3][0], wm.m[3][1], wm.m[3][2]};
                }
                for (double& x : t) x = toUiUnits(UnitType::kDistance, x);
                return MelValue(t);
            }
            if (a.isSet("o")) {
                std::vector<double> o = getVector(j, "jointOrient");
                for (double& x : o) x = toUiUnits(UnitType::kAngle, x);
                return MelValue(o);
            }
            if (a.isSet("rad")) return MelValue(getNumber(j->plug("radius")));
            fail("Nothing to query.");
        }
        if (a.isSet("o")) {
            std::vector<double> o;
            for (int i = 0; i < 3; ++i) o.push_back(fromUiUnits(UnitType::kAngle, a.flagFloat("o", i)));
            setVector(j, "jointOrient", o);
        }
        if (a.isSet("rad")) setNumber(j->plug("radius"), a.flagFloat("rad"));
        if (a.isSet("p")) {
            double w3[3], l[3];
            for (int i = 0; i < 3; ++i) w3[i] = fromUiUnits(UnitType::kDistance, a.flagFloat("p", i));
            if (a.isSet("r")) setVector(j, "translate", {w3[0], w3[1], w3[2]});
            else {
                transformPoint(parentWorldMatrix(j).inverse(), w3, l);
                setVector(j, "translate", {l[0], l[1], l[2]});
            }
        }
        return MelValue();
    }
    Node* parent = nullptr;
    for (Node* s : selectedNodes())
        if (s->type->isA("joint")) {
            parent = s;
            break;
        }
    Node* j = createOrFail("joint", a.flagStringOr("n", "joint#"), parent);
    if (a.isSet("o")) {
        std::vector<double> o;
        for (int i = 0; i < 3; ++i) o.push_back(fromUiUnits(UnitType::kAngle, a.flagFloat("o", i)));
        setVector(j, "jointOrient", o);
    }
    if (a.isSet("rad")) setNumber(j->plug("radius"), a.flagFloat("rad"));
    if (a.isSet("roo")) {
        static const char* orders[] = {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"};
        std::string r = a.flagString("roo");
        int k = -1;
        for (int i = 0; i < 6; ++i)
            if (r == orders[i]) k = i;
        if (k < 0) fail("Invalid rotation order: " + r);
        setNumber(j->plug("rotateOrder"), k);
    }
    connectInverseScale(parent, j);
    if (a.isSet("p")) {
        double w3[3], l[3];
        for (int i = 0; i < 3; ++i) w3[i] = fromUiUnits(UnitType::kDistance, a.flagFloat("p", i));
        if (a.isSet("r") || !parent) {
            setVector(j, "translate", {w3[0], w3[1], w3[2]});
        } else {
            transformPoint(worldMatrix(parent).inverse(), w3, l);
            setVector(j, "translate", {l[0], l[1], l[2]});
        }
    }
    selectOnly(j);
    return MelValue(nodeName(j));
}

// ------------------------------------------------------------------ no-ops
MelValue noop(CommandContext&) { return MelValue(); }
MelValue undoInfoCmd(CommandContext& ctx) {
    // The stand-in keeps no undo queue; queries answer "off".
    for (const MelValue& v : ctx.args())
        if (v.isString() && (v.stringRef() == "-q" || v.stringRef() == "-query")) return MelValue(0);
    return MelValue();
}

}  // namespace

void registerNodeCommands(host::mel::Interpreter& in) {
    in.registerCommand("objExists", objExists);
    in.registerCommand("nodeType", nodeTypeCmd);
    in.registerCommand("createNode", createNodeCmd);
    in.registerCommand("delete", deleteCmd);
    in.registerCommand("rename", renameCmd);
    in.registerCommand("parent", parentCmd);
    in.registerCommand("group", groupCmd);
    in.registerCommand("duplicate", duplicateCmd);
    in.registerCommand("select", selectCmd);
    in.registerCommand("ls", lsCmd);
    in.registerCommand("listRelatives", listRelativesCmd);
    in.registerCommand("spaceLocator", spaceLocatorCmd);
    in.registerCommand("joint", jointCmd);
    in.registerCommand("refresh", noop);
    in.registerCommand("flushUndo", noop);
    in.registerCommand("undoInfo", undoInfoCmd);
}

}  // namespace host::scene::cmds
