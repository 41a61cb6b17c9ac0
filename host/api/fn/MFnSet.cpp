// Set function set over the scene's membership wiring: whole nodes, and
// shapes with face (or other component) lists.
#include <maya/MDagPath.h>
#include <maya/MFnSet.h>

#include "api/select/select_util.h"
#include "scene/core/scene.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

using host::api::nodeOf;
using host::api::objectOf;
using host::scene::ComponentListData;
using host::scene::Node;
using host::scene::Scene;
using host::scene::SelectionItem;
using host::scene::SetMembership;

namespace {

Node* setNode(const MObject& o) {
    Node* n = nodeOf(o);
    return n && n->hasFn(MFn::kSet) ? n : nullptr;
}

// A component on a transform means its shape.
Node* componentOwner(Node* n) {
    if (n && n->type->isTransform)
        for (Node* c : n->children)
            if (c->type->isShape) return c;
    return n;
}

// The component strings of one membership, e.g. {"f[0:3]"}; empty = whole object.
struct Member {
    Node* node = nullptr;
    std::vector<std::string> components;
};

std::vector<Member> membersOf(Scene& s, Node* set) {
    std::vector<Member> out;
    for (Node* m : s.setMembers(set)) {
        if (!m->isDag()) {
            out.push_back({m, {}});
            continue;
        }
        for (const SetMembership& sm : s.membershipsOf(m)) {
            if (sm.set != set) continue;
            out.push_back({m, sm.wholeObject ? std::vector<std::string>() : sm.components});
            if (sm.wholeObject) break;
        }
    }
    return out;
}

// Face (vertex, edge ...) indices of a component list, by kind.
std::map<std::string, std::vector<int>> indicesByKind(const std::vector<std::string>& items) {
    std::map<std::string, std::vector<int>> out;
    ComponentListData cl;
    cl.items = items;
    for (const std::string& it : items) {
        std::string kind = it.substr(0, it.find('['));
        if (!out.count(kind)) out[kind] = cl.indices(kind);
    }
    return out;
}

std::vector<std::string> listOf(const std::string& kind, const std::vector<int>& idx) {
    std::vector<std::string> out;
    for (size_t i = 0; i < idx.size();) {
        size_t j = i;
        while (j + 1 < idx.size() && idx[j + 1] == idx[j] + 1) ++j;
        out.push_back(kind + "[" + std::to_string(idx[i]) + (i == j ? "" : ":" + std::to_string(idx[j])) + "]");
        i = j + 1;
    }
    return out;
}

void addToList(MSelectionList& list, Node* n, const std::vector<std::string>& components) {
    if (!n->isDag()) {
        list.add(objectOf(n));
        return;
    }
    MDagPath path;
    MDagPath::getAPathTo(objectOf(n), path);
    if (components.empty()) {
        list.add(path);
        return;
    }
    host::scene::ObjectPtr comp = host::scene::parseComponent(*n, components);
    if (comp) list.add(path, MObject(comp));
}

std::vector<std::string> componentStrings(const MObject& component) {
    if (component.isNull()) return {};
    return host::scene::formatComponent(*component.object());
}

void collect(Scene& s, Node* set, bool flatten, std::set<Node*>& seen, MSelectionList& out) {
    if (!seen.insert(set).second) return;  // sets of sets may loop
    for (const Member& m : membersOf(s, set)) {
        if (flatten && m.node->hasFn(MFn::kSet)) {
            collect(s, m.node, true, seen, out);
            continue;
        }
        addToList(out, m.node, m.components);
    }
}

}  // namespace

MFnSet::MFnSet(const MObject& set, MStatus* st) {
    MStatus s = setObject(set);
    if (st) *st = s;
}

MObject MFnSet::create(const MSelectionList& members, Restriction restriction, bool isShared, MStatus* st) {
    Scene& s = host::scene::scene();
    auto fail = [&](MStatus code) {
        if (st) *st = code;
        return MObject();
    };
    if (restriction < kNone || restriction > kRenderableOnly) return fail(MStatus::kInvalidParameter);
    Node* n = s.createNode("objectSet");
    if (!n) return fail(MStatus::kFailure);
    n->isShared = isShared;
    static const char* flags[] = {nullptr, "verticesOnlySet", "edgesOnlySet", "facetsOnlySet", "editPointsOnlySet",
                                  "renderableOnlySet"};
    if (flags[restriction]) s.setDouble(n->plug(flags[restriction]), 1);
    obj_ = objectOf(n);
    MStatus added = addMembers(members);
    if (st) *st = added;
    return obj_;
}

MStatus MFnSet::getMembers(MSelectionList& members, bool flatten) const {
    Node* set = setNode(obj_);
    if (!set) return MStatus::kFailure;
    std::set<Node*> seen;
    collect(host::scene::scene(), set, flatten, seen, members);
    return MStatus::kSuccess;
}

MStatus MFnSet::addMember(const MObject& object) {
    Node* set = setNode(obj_);
    Node* n = nodeOf(object);
    if (!set) return MStatus::kFailure;
    if (!n) return MStatus::kInvalidParameter;
    return host::scene::scene().addToSet(set, n);
}

MStatus MFnSet::addMember(const MDagPath& path, const MObject& component) {
    Node* set = setNode(obj_);
    Node* n = nodeOf(path.node());
    if (!set) return MStatus::kFailure;
    if (!n) return MStatus::kInvalidParameter;
    if (component.isNull()) return host::scene::scene().addToSet(set, n);
    std::vector<std::string> items = componentStrings(component);
    if (items.empty()) return MStatus::kInvalidParameter;
    return host::scene::scene().addToSet(set, componentOwner(n), items);
}

MStatus MFnSet::addMember(const MPlug& plug) {
    // Plugs as set members are not part of what the host stand-in keeps.
    return plug.isNull() ? MStatus::kInvalidParameter : MStatus::kNotImplemented;
}

MStatus MFnSet::addMembers(const MSelectionList& list) {
    if (!setNode(obj_)) return MStatus::kFailure;
    MStatus result;
    for (const SelectionItem& it : list.items()) {
        MStatus one;
        if (!it.plug.isNull()) {
            one = MStatus::kNotImplemented;
        } else if (it.component) {
            MDagPath p;
            MDagPath::getAPathTo(objectOf(it.node.get()), p);
            one = addMember(p, MObject(it.component));
        } else {
            one = addMember(objectOf(it.node.get()));
        }
        if (one.error() && !result.error()) result = one;
    }
    return result;
}

MStatus MFnSet::removeMember(const MObject& object) {
    Node* set = setNode(obj_);
    Node* n = nodeOf(object);
    if (!set) return MStatus::kFailure;
    if (!n) return MStatus::kInvalidParameter;
    return host::scene::scene().removeFromSet(set, n);
}

MStatus MFnSet::removeMember(const MDagPath& path, const MObject& component) {
    Node* set = setNode(obj_);
    Node* n = nodeOf(path.node());
    if (!set) return MStatus::kFailure;
    if (!n) return MStatus::kInvalidParameter;
    Scene& s = host::scene::scene();
    if (component.isNull()) return s.removeFromSet(set, n);
    n = componentOwner(n);
    std::vector<std::string> drop = componentStrings(component);
    if (drop.empty()) return MStatus::kInvalidParameter;
    for (const Member& m : membersOf(s, set)) {
        if (m.node != n) continue;
        // A whole-object member cannot lose single components without
        // knowing the shape's size; the host leaves it whole too.
        if (m.components.empty()) return MStatus::kSuccess;
        auto have = indicesByKind(m.components);
        auto gone = indicesByKind(drop);
        std::vector<std::string> keep;
        for (auto& [kind, idx] : have) {
            std::vector<int> rest;
            const std::vector<int>& g = gone[kind];
            std::set_difference(idx.begin(), idx.end(), g.begin(), g.end(), std::back_inserter(rest));
            std::vector<std::string> l = listOf(kind, rest);
            keep.insert(keep.end(), l.begin(), l.end());
        }
        MStatus st = s.removeFromSet(set, n);
        if (st.error() || keep.empty()) return st;
        return s.addToSet(set, n, keep);
    }
    return MStatus::kSuccess;
}

MStatus MFnSet::removeMembers(const MSelectionList& list) {
    if (!setNode(obj_)) return MStatus::kFailure;
    MStatus result;
    for (const SelectionItem& it : list.items()) {
        MStatus one;
        if (it.component) {
            MDagPath p;
            MDagPath::getAPathTo(objectOf(it.node.get()), p);
            one = removeMember(p, MObject(it.component));
        } else {
            one = removeMember(objectOf(it.node.get()));
        }
        if (one.error() && !result.error()) result = one;
    }
    return result;
}

MStatus MFnSet::clear() {
    Node* set = setNode(obj_);
    if (!set) return MStatus::kFailure;
    Scene& s = host::scene::scene();
    MStatus result;
    for (Node* m : s.setMembers(set)) {
        MStatus one = s.removeFromSet(set, m);
        if (one.error() && !result.error()) result = one;
    }
    return result;
}

bool MFnSet::isMember(const MObject& object, MStatus* st) const {
    Node* set = setNode(obj_);
    Node* n = nodeOf(object);
    if (st) *st = set && n ? MStatus::kSuccess : MStatus::kFailure;
    if (!set || !n) return false;
    std::vector<Node*> m = host::scene::scene().setMembers(set);
    return std::find(m.begin(), m.end(), n) != m.end();
}

bool MFnSet::isMember(const MDagPath& path, const MObject& component, MStatus* st) const {
    Node* set = setNode(obj_);
    Node* n = nodeOf(path.node());
    if (st) *st = set && n ? MStatus::kSuccess : MStatus::kFailure;
    if (!set || !n) return false;
    if (component.isNull()) return isMember(path.node(), st);
    n = componentOwner(n);
    std::vector<std::string> want = componentStrings(component);
    if (want.empty()) {
        if (st) *st = MStatus::kInvalidParameter;
        return false;
    }
    for (const Member& m : membersOf(host::scene::scene(), set)) {
        if (m.node != n) continue;
        if (m.components.empty()) return true;
        // Every asked-for component must be in the set.
        auto have = indicesByKind(m.components);
        for (auto& [kind, idx] : indicesByKind(want))
            if (!std::includes(have[kind].begin(), have[kind].end(), idx.begin(), idx.end())) return false;
        return true;
    }
    return false;
}

MFnSet::Restriction MFnSet::restriction(MStatus* st) const {
    Node* set = setNode(obj_);
    if (st) *st = set ? MStatus::kSuccess : MStatus::kFailure;
    if (!set) return kNone;
    Scene& s = host::scene::scene();
    const std::pair<const char*, Restriction> flags[] = {{"verticesOnlySet", kVerticesOnly},
                                                         {"edgesOnlySet", kEdgesOnly},
                                                         {"facetsOnlySet", kFacetsOnly},
                                                         {"editPointsOnlySet", kEditPointsOnly},
                                                         {"renderableOnlySet", kRenderableOnly}};
    for (const auto& [attr, r] : flags) {
        host::scene::Plug p = set->plug(attr);
        if (!p.isNull() && s.getDouble(p) != 0) return r;
    }
    return kNone;
}

MString MFnSet::annotation(MStatus* st) const {
    Node* set = setNode(obj_);
    if (st) *st = set ? MStatus::kSuccess : MStatus::kFailure;
    return set ? MString(host::scene::scene().getString(set->plug("annotation"))) : MString();
}

MStatus MFnSet::setAnnotation(const MString& text) {
    Node* set = setNode(obj_);
    if (!set) return MStatus::kFailure;
    return host::scene::scene().setString(set->plug("annotation"), text.str());
}

namespace {

MStatus combine(const MObject& a, const MObject& b, bool unite, MSelectionList& result) {
    Node* sa = setNode(a);
    Node* sb = setNode(b);
    if (!sa || !sb) return MStatus::kInvalidParameter;
    Scene& s = host::scene::scene();
    std::vector<Member> ma = membersOf(s, sa), mb = membersOf(s, sb);
    auto find = [](std::vector<Member>& in, Node* n) -> Member* {
        for (Member& m : in)
            if (m.node == n) return &m;
        return nullptr;
    };
    // The components two memberships share (or join); none = nothing in common.
    auto merged = [&](const Member& x, const Member* y) -> std::optional<std::vector<std::string>> {
        // Whole objects win a union and give way in an intersection.
        if (!y) {
            if (unite) return x.components;
            return std::nullopt;
        }
        if (x.components.empty() || y->components.empty()) {
            if (unite) return std::vector<std::string>();
            return x.components.empty() ? y->components : x.components;
        }
        auto hx = indicesByKind(x.components), hy = indicesByKind(y->components);
        std::vector<std::string> out;
        std::set<std::string> kinds;
        for (auto& k : hx) kinds.insert(k.first);
        for (auto& k : hy) kinds.insert(k.first);
        for (const std::string& kind : kinds) {
            std::vector<int> r;
            const std::vector<int>& p = hx[kind];
            const std::vector<int>& q = hy[kind];
            if (unite)
                std::set_union(p.begin(), p.end(), q.begin(), q.end(), std::back_inserter(r));
            else
                std::set_intersection(p.begin(), p.end(), q.begin(), q.end(), std::back_inserter(r));
            std::vector<std::string> l = listOf(kind, r);
            out.insert(out.end(), l.begin(), l.end());
        }
        if (!unite && out.empty()) return std::nullopt;
        return out;
    };
    for (const Member& m : ma)
        if (auto c = merged(m, find(mb, m.node))) addToList(result, m.node, *c);
    if (unite)
        for (const Member& m : mb)
            if (!find(ma, m.node)) addToList(result, m.node, m.components);
    return MStatus::kSuccess;
}

}  // namespace

MStatus MFnSet::getUnion(const MObject& withSet, MSelectionList& result) {
    if (!setNode(obj_)) return MStatus::kFailure;
    return combine(obj_, withSet, true, result);
}

MStatus MFnSet::getIntersection(const MObject& withSet, MSelectionList& result) {
    if (!setNode(obj_)) return MStatus::kFailure;
    return combine(obj_, withSet, false, result);
}
