// Connection commands: connectAttr, disconnectAttr, listConnections,
// isConnected, connectionInfo.
#include "scene/commands/cmd_common.h"
#include "scene/commands/file_records.h"

#include <algorithm>
#include <map>
#include <set>

namespace host::scene::cmds {

namespace {

Scene& S() { return scene(); }

// First element of an array plug with no incoming connection.
Plug nextAvailable(const Plug& arr) {
    std::set<unsigned> used;
    for (unsigned i : S().logicalIndices(arr))
        if (!S().sourceOf(arr.element(i)).isNull()) used.insert(i);
    unsigned k = 0;
    while (used.count(k)) ++k;
    return arr.element(k);
}

// "shape.iog.og[0].gid": an array in the middle of a path without an index
// means its element 0, as scene files use it.
Plug findPlugImplicitIndex(const std::string& text) {
    try {
        Plug p = findPlug(text);
        if (p.isFullyIndexed()) return p;
        throw CommandError("Plugs below arrays need indices: " + text);
    } catch (const CommandError&) {
        std::size_t dot = text.find('.');
        Node* n = dot == std::string::npos ? nullptr : tryFindNode(text.substr(0, dot));
        if (!n) throw;
        std::string fixed = text.substr(0, dot);
        std::size_t start = dot + 1;
        bool changed = false;
        while (start <= text.size()) {
            std::size_t end = text.find('.', start);
            std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
            fixed += "." + part;
            Attribute* at = part.find('[') == std::string::npos ? n->attribute(part) : nullptr;
            if (at && at->array && end != std::string::npos) {
                fixed += "[0]";
                changed = true;
            }
            if (end == std::string::npos) break;
            start = end + 1;
        }
        if (!changed) throw;
        return findPlug(fixed);
    }
}

MelValue connectAttrCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("f", "force")
                                   .flag("na", "nextAvailable")
                                   .flag("l", "lock", {ArgType::Bool})
                                   .flag("rd", "referenceDest", {ArgType::String})
                                   .objects(2, 2);
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> w = objectWords(a);
    if (w.size() != 2) fail("Not enough objects or values.");
    Plug src, dst;
    try {
        src = findPlugImplicitIndex(w[0]);
        dst = findPlugImplicitIndex(w[1]);
        // Attributes kept from other pipelines' files hold no elements.
        if (createUnknownNodes() && a.isSet("na") && dst.attr()->kind == AttrKind::Generic) fail("kept");
    } catch (const CommandError&) {
        // Scene files from other pipelines connect attributes this host
        // does not have (on nodes it does have): kept for saving.
        if (!createUnknownNodes()) throw;
        bool missingNode = false;
        for (const std::string& t : w) {
            std::size_t dot = t.find('.');
            if (dot == std::string::npos || dot == 0) throw;
            if (!tryFindNode(t.substr(0, dot))) missingNode = true;
        }
        if (missingNode && !records::unloadedReferences()) throw;
        records::keptConnections().push_back({w[0], w[1], a.isSet("na") ? "-na" : ""});
        if (missingNode) {
            ctx.warning("Connections naming nodes that are not in the scene are kept as they are (the file's references are not loaded).");
            return MelValue();
        }
        Node* n = tryFindNode(w[1].substr(0, w[1].find('.')));
        // Worded per node type: the file reader prints each text once.
        ctx.warning("Connections to attributes unknown on '" + (n ? n->typeName() : w[1]) +
                    "' nodes are kept as they are.");
        return MelValue();
    }
    // "shape.iog" names the first instance's element when it feeds a single plug.
    if (src.isArray() && !dst.isArray() && !a.isSet("na")) src = src.element(0);
    if (a.isSet("na")) {
        if (src.isArray()) src = src.element(0);
        if (dst.isArray()) dst = nextAvailable(dst);
        else if (dst.isElement() && !S().sourceOf(dst).isNull()) dst = nextAvailable(dst.arrayPlug());
    }
    if (src == dst) fail("Cannot connect '" + plugLabel(src) + "' to itself.");
    Plug existing = S().sourceOf(dst);
    if (!existing.isNull()) {
        if (existing == src) {
            // Saved files repeat the connections a new scene already has.
            if (createUnknownNodes()) return MelValue("Connected " + plugLabel(src) + " to " + plugLabel(dst) + ".");
            ctx.warning("'" + plugLabel(src) + "' is already connected to '" + plugLabel(dst) + "'.");
            return MelValue("Connected " + plugLabel(src) + " to " + plugLabel(dst) + ".");
        }
        if (!a.isSet("f"))
            fail("The attribute '" + plugLabel(dst) + "' is already connected to '" + plugLabel(existing) + "'.");
    }
    if (S().isLocked(dst)) fail("The destination attribute '" + plugLabel(dst) + "' is locked.");
    if (dst.node->locked) fail("The destination node '" + nodeName(dst.node) + "' is locked.");
    if (!dst.attr()->writable) fail("The destination attribute '" + plugLabel(dst) + "' is not writable.");
    if (!src.attr()->readable) fail("The source attribute '" + plugLabel(src) + "' is not readable.");
    std::string err;
    if (!S().connect(src, dst, a.isSet("f"), &err)) {
        fail(err.empty() ? "The attribute '" + plugLabel(src) + "' cannot be connected to '" + plugLabel(dst) +
                               "': the data types are not compatible."
                         : err);
    }
    if (a.isSet("l") && a.flagBool("l")) S().setLocked(dst, true);
    return MelValue("Connected " + plugLabel(src) + " to " + plugLabel(dst) + ".");
}

MelValue disconnectAttrCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser().flag("na", "nextAvailable").objects(1, 2);
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> w = objectWords(a);
    if (w.size() == 1) {
        // One plug: every connection into and out of it.
        Plug pl = findPlug(w[0]);
        std::vector<Connection> cs = S().connections(pl, true, true, false);
        if (cs.empty()) fail("There are no connections to '" + plugLabel(pl) + "' to disconnect.");
        for (const Connection& c : cs) {
            std::string err;
            S().disconnect(c.src, c.dst, &err);
        }
        return MelValue();
    }
    Plug src = findPlug(w[0]);
    Plug dst = findPlug(w[1]);
    if (dst.isArray()) {
        // The element fed by src.
        for (unsigned i : S().logicalIndices(dst))
            if (S().sourceOf(dst.element(i)) == src) {
                dst = dst.element(i);
                break;
            }
    }
    if (S().sourceOf(dst) != src)
        fail("There is no connection from '" + plugLabel(src) + "' to '" + plugLabel(dst) + "' to disconnect.");
    if (S().isLocked(dst)) fail("The destination attribute '" + plugLabel(dst) + "' is locked.");
    std::string err;
    if (!S().disconnect(src, dst, &err)) fail(err.empty() ? "Cannot disconnect '" + plugLabel(dst) + "'." : err);
    return MelValue("Disconnect " + plugLabel(src) + " from " + plugLabel(dst) + ".");
}

// Attribute order key of a plug on its node: top attribute slot, then path.
long plugOrder(const Plug& p) {
    if (p.path.empty()) return 0;
    Attribute* top = p.path.front().attr;
    long base = top->index >= 0 ? top->index : 1000000;
    return base;
}

MelValue listConnectionsCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("s", "source", {ArgType::Bool})
                                   .flag("d", "destination", {ArgType::Bool})
                                   .flag("p", "plugs", {ArgType::Bool})
                                   .flag("c", "connections", {ArgType::Bool})
                                   .flag("t", "type", {ArgType::String})
                                   .flag("et", "exactType", {ArgType::Bool})
                                   .flag("sh", "shapes", {ArgType::Bool})
                                   .flag("scn", "skipConversionNodes", {ArgType::Bool});
    ParsedArgs a = p.parse(ctx);
    bool wantSrc = a.isSet("s") ? a.flagBool("s") : true;
    bool wantDst = a.isSet("d") ? a.flagBool("d") : true;
    bool plugs = a.isSet("p") && a.flagBool("p");
    bool pairs = a.isSet("c") && a.flagBool("c");
    bool shapes = a.isSet("sh") && a.flagBool("sh");
    bool exact = a.isSet("et") && a.flagBool("et");
    std::string type = a.flagStringOr("t", "");
    std::vector<std::string> words = objectWords(a);
    struct Hit {
        Plug local, other;
        long order;
        int side;  // 0: other is a source, 1: a destination
        std::size_t seq;
    };
    std::vector<Hit> hits;
    std::size_t seq = 0;
    auto collect = [&](const std::vector<Connection>& cs, Node* node) {
        for (const Connection& c : cs) {
            if (wantSrc && c.dst.node == node) hits.push_back({c.dst, c.src, plugOrder(c.dst), 0, seq++});
            if (wantDst && c.src.node == node) hits.push_back({c.src, c.dst, plugOrder(c.src), 1, seq++});
        }
    };
    std::vector<Node*> nodes;
    if (words.empty()) nodes = selectedNodes();
    for (const std::string& w : words) {
        std::size_t dot = w.find('.');
        if (dot != std::string::npos) {
            for (const Plug& pl : plugsFor(w)) {
                std::vector<Connection> cs = S().connections(pl, wantDst, wantSrc, true);
                collect(cs, pl.node);
            }
            continue;
        }
        for (Node* n : nodesMatching(w)) nodes.push_back(n);
    }
    for (Node* n : nodes) {
        std::vector<Connection> cs;
        for (const auto& in : n->inputs) cs.push_back({in.second, Plug{n, in.first}});
        for (const auto& out : n->outputs) cs.push_back({Plug{n, out.first}, out.second});
        std::size_t before = hits.size();
        collect(cs, n);
        std::stable_sort(hits.begin() + static_cast<long>(before), hits.end(),
                         [](const Hit& x, const Hit& y) { return x.order < y.order; });
    }
    std::vector<std::string> out;
    for (const Hit& h : hits) {
        Node* other = h.other.node;
        if (!other || other->deleted) continue;
        if (!type.empty()) {
            bool ok = exact ? other->typeName() == type : (other->type->isA(type) || other->typeName() == type);
            if (!ok) continue;
        }
        if (pairs) out.push_back(plugLabel(h.local));
        if (plugs) out.push_back(plugLabel(h.other));
        else {
            Node* shown = other;
            if (!shapes && isShape(other) && other->parent && !other->parent->isWorld()) shown = other->parent;
            out.push_back(nodeName(shown));
        }
    }
    return MelValue(out);
}

MelValue isConnectedCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser().flag("ii", "ignoreUnitConversion").objects(2, 2);
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> w = objectWords(a);
    Plug src = findPlug(w.at(0)), dst = findPlug(w.at(1));
    return MelValue(S().sourceOf(dst) == src ? 1 : 0);
}

MelValue connectionInfoCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("sfd", "sourceFromDestination")
                                   .flag("dfs", "destinationFromSource")
                                   .flag("id", "isDestination")
                                   .flag("is", "isSource")
                                   .flag("ied", "isExactDestination")
                                   .flag("ies", "isExactSource")
                                   .flag("gla", "getLockedAncestor")
                                   .objects(1, 1);
    ParsedArgs a = p.parse(ctx);
    Plug pl = findPlug(objectWords(a).at(0));
    if (a.isSet("sfd")) {
        Plug s = S().sourceOf(pl);
        return MelValue(s.isNull() ? std::string() : plugLabel(s));
    }
    if (a.isSet("dfs")) {
        std::vector<std::string> out;
        for (const Plug& d : S().destinationsOf(pl)) out.push_back(plugLabel(d));
        return MelValue(out);
    }
    if (a.isSet("ied")) return MelValue(S().sourceOf(pl).isNull() ? 0 : 1);
    if (a.isSet("ies")) return MelValue(S().destinationsOf(pl).empty() ? 0 : 1);
    if (a.isSet("id")) return MelValue(S().connections(pl, false, true, true).empty() ? 0 : 1);
    if (a.isSet("is")) return MelValue(S().connections(pl, true, false, true).empty() ? 0 : 1);
    if (a.isSet("gla")) {
        for (Plug q = pl; !q.isNull(); q = q.isElement() ? q.arrayPlug() : q.parentPlug())
            if (S().isLocked(q)) return MelValue(plugLabel(q));
        return MelValue(std::string());
    }
    fail("connectionInfo: nothing to query.");
}

// Words of a statement as strings (numbers in MEL's formatting).
std::vector<std::string> wordStrings(CommandContext& ctx) {
    std::vector<std::string> out;
    for (const MelValue& v : ctx.args()) {
        if (v.isArray())
            for (std::size_t i = 0; i < v.size(); ++i) out.push_back(v.element(i).asString());
        else
            out.push_back(v.asString());
    }
    return out;
}

// relationship "link" ":lightLinker1" ":initialShadingGroup.message" ...:
// light and shadow links the host keeps outside the connections. The nodes
// named must exist; the statement is kept for saving.
MelValue relationshipCmd(CommandContext& ctx) {
    std::vector<std::string> w = wordStrings(ctx);
    if (w.size() < 2) fail("relationship: a relationship type and a node are required.");
    for (std::size_t i = 1; i < w.size(); ++i) {
        if (!w[i].empty() && w[i][0] == '-') continue;
        std::string node = w[i].substr(0, w[i].find('.'));
        if (!tryFindNode(node)) fail("No object matches name: " + w[i]);
    }
    records::relationships().push_back(std::move(w));
    return MelValue();
}

// dataStructure -fmt "raw" -as "name=x:int32=y": structure declarations of
// metadata, kept for saving.
MelValue dataStructureCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser("dataStructure")
                                   .flag("fmt", "format", {ArgType::String})
                                   .flag("as", "asString", {ArgType::String})
                                   .flag("n", "name", {ArgType::String})
                                   .objects(0, 0);
    ParsedArgs a = p.parse(ctx);
    if (!a.isSet("as")) fail("dataStructure: -asString is required.");
    std::vector<std::string> w = {"-fmt", a.flagStringOr("fmt", "raw"), "-as", a.flagString("as")};
    auto& all = records::dataStructures();
    if (std::find(all.begin(), all.end(), w) == all.end()) all.push_back(std::move(w));
    return MelValue();
}

// lockNode [-l on|off] [-lu on|off] [nodes]: locked nodes cannot be
// renamed or deleted. Query with -q -l.
MelValue lockNodeCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser("lockNode")
                                   .queryFlag("q", "query")
                                   .flag("l", "lock", {ArgType::Bool})
                                   .flag("lu", "lockUnpublished", {ArgType::Bool})
                                   .flag("ln", "lockName", {ArgType::Bool})
                                   .flag("ic", "ignoreComponents")
                                   .objects(0);
    ParsedArgs a = p.parse(ctx);
    std::vector<Node*> nodes;
    std::vector<std::string> words = objectWords(a);
    if (words.empty()) nodes = selectedNodes();
    for (const std::string& w : words) nodes.push_back(findNode(w));
    if (nodes.empty()) fail("lockNode: no object was specified.");
    if (a.isQuery()) {
        std::vector<int> out;
        for (Node* n : nodes) out.push_back(n->locked ? 1 : 0);
        return MelValue(out);
    }
    bool on = a.isSet("l") ? a.flagBool("l") : true;
    for (Node* n : nodes) n->locked = on;
    return MelValue();
}

}  // namespace

}  // namespace host::scene::cmds

namespace host::scene::records {
namespace {
struct Kept {
    std::weak_ptr<Object> node;
    std::vector<std::string> statements;
};
std::map<const Node*, Kept>& kept() {
    static std::map<const Node*, Kept> m;
    return m;
}
}  // namespace

void keepNodeStatement(Node* n, std::string statement) {
    Kept& k = kept()[n];
    NodePtr live = scene().ptr(n);
    if (k.node.lock() != live) k = Kept{live, {}};  // a new node at a reused address
    k.statements.push_back(std::move(statement));
}

std::vector<std::string> nodeStatements(const Node* n) {
    auto it = kept().find(n);
    if (it == kept().end()) return {};
    auto live = it->second.node.lock();
    if (!live || live.get() != n || !live->alive()) return {};
    return it->second.statements;
}

std::vector<std::vector<std::string>>& relationships() {
    static std::vector<std::vector<std::string>> v;
    return v;
}
std::vector<std::vector<std::string>>& dataStructures() {
    static std::vector<std::vector<std::string>> v;
    return v;
}
std::vector<std::vector<std::string>>& keptConnections() {
    static std::vector<std::vector<std::string>> v;
    return v;
}

namespace {
std::map<const Node*, std::weak_ptr<Object>>& implicitDefaults() {
    static std::map<const Node*, std::weak_ptr<Object>> m;
    return m;
}
}  // namespace

void markImplicitDefault(Node* n) { implicitDefaults()[n] = scene().ptr(n); }

bool isImplicitDefault(const Node* n) {
    auto it = implicitDefaults().find(n);
    if (it == implicitDefaults().end()) return false;
    auto live = it->second.lock();
    return live && live.get() == n && live->alive();
}

bool& unloadedReferences() {
    static bool on = false;
    return on;
}

void clearAll() {
    unloadedReferences() = false;
    implicitDefaults().clear();
    kept().clear();
    relationships().clear();
    dataStructures().clear();
    keptConnections().clear();
}
}  // namespace host::scene::records

namespace host::scene::cmds {

void registerConnectionCommands(host::mel::Interpreter& in) {
    in.registerCommand("relationship", relationshipCmd);
    in.registerCommand("dataStructure", dataStructureCmd);
    in.registerCommand("lockNode", lockNodeCmd);
    in.registerCommand("connectAttr", connectAttrCmd);
    in.registerCommand("disconnectAttr", disconnectAttrCmd);
    in.registerCommand("listConnections", listConnectionsCmd);
    in.registerCommand("isConnected", isConnectedCmd);
    in.registerCommand("connectionInfo", connectionInfoCmd);
}

}  // namespace host::scene::cmds
