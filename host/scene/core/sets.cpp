// Set membership as the host wires it: whole DAG objects through
// instObjGroups[0] -> dagSetMembers, per-face through
// instObjGroups[0].objectGroups[k] (component list in .gcl, a groupId node
// in .gid), other nodes through message -> dnSetMembers.
#include "scene/core/scene.h"

#include <algorithm>
#include <set>

namespace host::scene {

namespace {
bool isSetMemberPlug(const Plug& dst) {
    if (dst.isNull() || !dst.node->hasFn(MFn::kSet)) return false;
    const std::string& n = dst.path[0].attr->name;
    return n == "dagSetMembers" || n == "dnSetMembers";
}

unsigned nextFree(Scene& s, const Plug& arrayPlug) {
    std::vector<unsigned> used = s.logicalIndices(arrayPlug);
    unsigned i = 0;
    for (unsigned u : used) {
        if (u != i) break;
        ++i;
    }
    return used.empty() ? 0 : (i < used.back() + 1 ? i : used.back() + 1);
}

std::vector<std::string> compactFaces(const std::vector<int>& idx) {
    std::vector<std::string> out;
    for (size_t i = 0; i < idx.size();) {
        size_t j = i;
        while (j + 1 < idx.size() && idx[j + 1] == idx[j] + 1) ++j;
        out.push_back(i == j ? "f[" + std::to_string(idx[i]) + "]"
                             : "f[" + std::to_string(idx[i]) + ":" + std::to_string(idx[j]) + "]");
        i = j + 1;
    }
    return out;
}

MStatus putData(Scene& s, const Plug& p, DataPtr d) { return s.set(p, Value(std::move(d)), nullptr, true); }

std::vector<std::string> groupComponents(Scene& s, Node* shape, const Plug& og) {
    Attribute* gcl = og.attr()->child("objectGrpCompList");
    DataPtr d = gcl ? s.getData(og.child(gcl)) : nullptr;
    if (auto cl = std::dynamic_pointer_cast<ComponentListData>(d)) return cl->items;
    return {};
}
}  // namespace

std::vector<SetMembership> Scene::membershipsOf(Node* shape) const {
    std::vector<SetMembership> out;
    if (!shape) return out;
    Scene& s = const_cast<Scene&>(*this);
    for (const auto& o : shape->outputs) {
        const Plug& dst = o.second;
        if (!isSetMemberPlug(dst)) continue;
        Plug src{shape, o.first};
        SetMembership m;
        m.set = dst.node;
        if (o.first.size() == 1) {
            m.wholeObject = true;
        } else if (o.first.size() == 2 && o.first[1].attr->name == "objectGroups") {
            m.objectGroup = o.first[1].index;
            m.components = groupComponents(s, shape, src);
        } else {
            continue;
        }
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<Node*> Scene::setsOf(Node* member) const {
    std::vector<Node*> out;
    if (!member) return out;
    for (const auto& o : member->outputs)
        if (isSetMemberPlug(o.second) && std::find(out.begin(), out.end(), o.second.node) == out.end())
            out.push_back(o.second.node);
    return out;
}

std::vector<Node*> Scene::setMembers(Node* set) const {
    std::vector<Node*> out;
    if (!set || !set->hasFn(MFn::kSet)) return out;
    for (const auto& in : set->inputs) {
        Plug dst{set, in.first};
        if (!isSetMemberPlug(dst)) continue;
        if (std::find(out.begin(), out.end(), in.second.node) == out.end()) out.push_back(in.second.node);
    }
    return out;
}

MStatus Scene::removeFromSet(Node* set, Node* member, std::string* error) {
    if (!set || !member) return MStatus::kInvalidParameter;
    std::vector<Connection> drop;
    for (const auto& o : member->outputs)
        if (o.second.node == set && isSetMemberPlug(o.second)) drop.push_back(Connection{Plug{member, o.first}, o.second});
    for (const Connection& c : drop) disconnect(c.src, c.dst);
    return MStatus::kSuccess;
}

MStatus Scene::addToSet(Node* set, Node* member, const std::vector<std::string>& components, std::string* error) {
    if (!set || !member || !set->hasFn(MFn::kSet) || set->deleted || member->deleted) {
        if (error) *error = "addToSet needs a set and a member";
        return MStatus::kInvalidParameter;
    }
    if (set->locked) {
        if (error) *error = "The set '" + set->name + "' is locked";
        return MStatus::kFailure;
    }
    const bool dag = member->isDag() && !member->isWorld();
    const bool partitioned = set->hasFn(MFn::kShadingEngine);
    if (!dag) {
        for (Node* s : setsOf(member))
            if (s == set) return MStatus::kSuccess;
        Plug dn = set->plug("dnSetMembers");
        return connect(member->plug("message"), dn.element(nextFree(*this, dn)), false, error);
    }
    Plug iog0 = member->plug("instObjGroups").element(0);
    Plug dsm = set->plug("dagSetMembers");
    if (components.empty()) {
        if (partitioned)
            for (Node* other : setsOf(member))
                if (other != set && other->hasFn(MFn::kShadingEngine)) removeFromSet(other, member);
        for (const SetMembership& m : membershipsOf(member))
            if (m.set == set && m.wholeObject) return MStatus::kSuccess;
        // A whole-object membership replaces per-face ones in the same set.
        removeFromSet(set, member);
        return connect(iog0, dsm.element(nextFree(*this, dsm)), false, error);
    }
    // Per-face membership.
    ComponentListData wanted;
    wanted.items = components;
    std::vector<int> faces = wanted.indices("f");
    if (partitioned) {
        for (const SetMembership& m : membershipsOf(member)) {
            if (m.set == set || !m.set->hasFn(MFn::kShadingEngine)) continue;
            if (m.wholeObject) continue;  // converting needs the face count; the mesh owner resolves overlaps
            ComponentListData have;
            have.items = m.components;
            std::vector<int> keep;
            std::vector<int> hv = have.indices("f");
            std::set_difference(hv.begin(), hv.end(), faces.begin(), faces.end(), std::back_inserter(keep));
            Plug og = iog0.child(iog0.attr()->child("objectGroups")).element(static_cast<unsigned>(m.objectGroup));
            if (keep.empty()) {
                removeFromSet(m.set, member);
            } else {
                auto cl = std::make_shared<ComponentListData>();
                cl->items = compactFaces(keep);
                putData(*this, og.child(og.attr()->child("objectGrpCompList")), cl);
            }
        }
    }
    Plug ogArray = iog0.child(iog0.attr()->child("objectGroups"));
    for (const SetMembership& m : membershipsOf(member)) {
        if (m.set != set) continue;
        if (m.wholeObject) return MStatus::kSuccess;
        ComponentListData have;
        have.items = m.components;
        std::vector<int> merged = have.indices("f");
        merged.insert(merged.end(), faces.begin(), faces.end());
        std::sort(merged.begin(), merged.end());
        merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
        auto cl = std::make_shared<ComponentListData>();
        cl->items = faces.empty() ? components : compactFaces(merged);
        Plug og = ogArray.element(static_cast<unsigned>(m.objectGroup));
        return putData(*this, og.child(og.attr()->child("objectGrpCompList")), cl);
    }
    unsigned g = nextFree(*this, ogArray);
    Plug og = ogArray.element(g);
    auto cl = std::make_shared<ComponentListData>();
    cl->items = faces.empty() ? components : compactFaces(faces);
    MStatus st = putData(*this, og.child(og.attr()->child("objectGrpCompList")), cl);
    if (st.error()) return st;
    Node* gid = createNode("groupId", "groupId#", nullptr, error);
    if (!gid) return MStatus::kFailure;
    std::vector<double> ids;
    int maxId = 0;
    for (const auto& n : nodes_)
        if (n.get() != gid && n->type == gid->type) maxId = std::max(maxId, static_cast<int>(getDouble(n->plug("groupId"))));
    setDouble(gid->plug("groupId"), maxId + 1);
    st = connect(gid->plug("groupId"), og.child(og.attr()->child("objectGroupId")), false, error);
    if (st.error()) return st;
    Plug gn = set->plug("groupNodes");
    connect(gid->plug("message"), gn.element(nextFree(*this, gn)));
    return connect(og, dsm.element(nextFree(*this, dsm)), false, error);
}

namespace {
std::vector<ComponentParser>& parsers() {
    static std::vector<ComponentParser> p;
    return p;
}
std::vector<ComponentFormatter>& formatters() {
    static std::vector<ComponentFormatter> f;
    return f;
}
}  // namespace

void registerComponentParser(ComponentParser p) { parsers().push_back(std::move(p)); }
void registerComponentFormatter(ComponentFormatter f) { formatters().push_back(std::move(f)); }

ObjectPtr parseComponent(Node& shape, const std::vector<std::string>& items) {
    for (auto& p : parsers())
        if (ObjectPtr o = p(shape, items)) return o;
    return nullptr;
}

std::vector<std::string> formatComponent(const Object& component) {
    std::vector<std::string> items;
    for (auto& f : formatters())
        if (f(component, items)) return items;
    return {};
}

}  // namespace host::scene
