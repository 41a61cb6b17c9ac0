// Connection commands: connectAttr, disconnectAttr, listConnections,
// isConnected, connectionInfo.
#include "scene/commands/cmd_common.h"

#include <algorithm>
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
    Plug src = findPlug(w[0]);
    Plug dst = findPlug(w[1]);
    if (a.isSet("na")) {
        if (dst.isArray()) dst = nextAvailable(dst);
        else if (dst.isElement() && !S().sourceOf(dst).isNull()) dst = nextAvailable(dst.arrayPlug());
    }
    if (src == dst) fail("Cannot connect '" + plugLabel(src) + "' to itself.");
    Plug existing = S().sourceOf(dst);
    if (!existing.isNull()) {
        if (existing == src) {
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

}  // namespace

void registerConnectionCommands(host::mel::Interpreter& in) {
    in.registerCommand("connectAttr", connectAttrCmd);
    in.registerCommand("disconnectAttr", disconnectAttrCmd);
    in.registerCommand("listConnections", listConnectionsCmd);
    in.registerCommand("isConnected", isConnectedCmd);
    in.registerCommand("connectionInfo", connectionInfoCmd);
}

}  // namespace host::scene::cmds
