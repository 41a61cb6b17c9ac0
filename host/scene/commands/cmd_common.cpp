#include "scene/commands/cmd_common.h"
#include "scene/nurbs/nurbs_data.h"
#include "scene/poly/poly_commands.h"

#include <maya/MAngle.h>
#include <maya/MDistance.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace host::scene {

namespace {
bool g_unknownNodes = false;
}  // namespace

void setCreateUnknownNodes(bool on) { g_unknownNodes = on; }
bool createUnknownNodes() { return g_unknownNodes; }

double toUiUnits(UnitType u, double v) {
    switch (u) {
    case UnitType::kAngle: return MAngle::internalToUI(v);
    case UnitType::kDistance: return MDistance::internalToUI(v);
    case UnitType::kTime: return v * scene().fps();
    default: return v;
    }
}

double fromUiUnits(UnitType u, double v) {
    switch (u) {
    case UnitType::kAngle: return MAngle::uiToInternal(v);
    case UnitType::kDistance: return MDistance::uiToInternal(v);
    case UnitType::kTime: return v / scene().fps();
    default: return v;
    }
}

namespace {
std::map<std::string, DataParser>& parsers() {
    static std::map<std::string, DataParser> p;
    return p;
}
}  // namespace

void registerDataParser(const std::string& typeName, DataParser parser) { parsers()[typeName] = std::move(parser); }
bool hasDataParser(const std::string& typeName) { return parsers().count(typeName) != 0; }

namespace cmds {
// Used by setAttr.
const DataParser* findDataParser(const std::string& typeName) {
    auto it = parsers().find(typeName);
    return it == parsers().end() ? nullptr : &it->second;
}
}  // namespace cmds

void registerSceneCommands(host::mel::Interpreter& in) {
    // Idempotent: registering a taken name keeps the old command.
    cmds::registerNodeCommands(in);
    cmds::registerAttrCommands(in);
    cmds::registerConnectionCommands(in);
    cmds::registerTransformCommands(in);
    cmds::registerAnimCommands(in);
    cmds::registerSetCommands(in);
    cmds::registerLayerCommands(in);
    cmds::registerRenderCommands(in);
    nurbs::registerNurbs(in);
    registerPolyCommands(in);
}

namespace cmds {

std::vector<std::string> objectWords(const ParsedArgs& a) {
    std::vector<std::string> out;
    for (const MelValue& v : a.objects()) {
        if (v.isArray()) {
            for (const std::string& s : v.asStringArray()) out.push_back(s);
        } else if (!v.isNone()) {
            out.push_back(v.asString());
        }
    }
    return out;
}

std::vector<std::string> flagStrings(const ParsedArgs& a, const std::string& flag) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < a.useCount(flag); ++i) out.push_back(a.flagString(flag, 0, i));
    return out;
}

// ":name" is the root namespace's node of that name.
static std::string stripRootNs(const std::string& name) {
    return name.size() > 1 && name[0] == ':' ? name.substr(1) : name;
}

Node* tryFindNode(const std::string& name) {
    std::string err;
    if (name.empty()) return nullptr;
    return scene().find(stripRootNs(name), &err);
}

Node* findNode(const std::string& name) {
    std::string err;
    Node* n = name.empty() ? nullptr : scene().find(stripRootNs(name), &err);
    if (!n) fail(err.empty() ? "No object matches name: " + name : err);
    return n;
}

static bool hasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

std::vector<Node*> nodesMatching(const std::string& word, bool allowEmpty) {
    if (hasWildcard(word)) {
        std::vector<Node*> m = scene().match(stripRootNs(word));
        if (m.empty() && !allowEmpty) fail("No object matches name: " + word);
        return m;
    }
    if (allowEmpty) {
        Node* n = tryFindNode(word);
        return n ? std::vector<Node*>{n} : std::vector<Node*>{};
    }
    return {findNode(word)};
}

Plug findPlug(const std::string& text) {
    std::vector<Plug> ps = plugsFor(text);
    return ps.front();
}

std::vector<Plug> plugsFor(const std::string& text) {
    std::vector<Plug> out;
    if (!text.empty() && text[0] == '.') {
        std::vector<Node*> sel = selectedNodes();
        if (sel.empty()) fail("No object matches name: " + text);
        for (Node* n : sel) {
            Plug p;
            std::string err;
            if (!scene().parseAttrPath(n, text.substr(1), p, &err))
                fail("No object matches name: " + nodeName(n) + text);
            out.push_back(p);
        }
        return out;
    }
    std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0) fail("No object matches name: " + text);
    // Resolve the node first so ambiguity is reported as such.
    std::string nodePart = stripRootNs(text.substr(0, dot));
    std::string err;
    Node* n = scene().find(nodePart, &err);
    if (!n) {
        if (err.find("More than one") != std::string::npos) fail(err);
        fail("No object matches name: " + text);
    }
    Plug p;
    if (!scene().parseAttrPath(n, text.substr(dot + 1), p, &err)) fail("No object matches name: " + text);
    out.push_back(p);
    return out;
}

std::string nodeName(const Node* n, bool longName) {
    if (!n) return {};
    if (n->isDag()) return longName ? n->fullPath() : n->partialPath();
    return n->name;
}

std::string plugName(const Plug& p, bool longNames) {
    if (p.isNull()) return {};
    return nodeName(p.node) + "." + p.name(longNames, false, false);
}

std::string plugLabel(const Plug& p) { return plugName(p, true); }

std::vector<Node*> selectedNodes() {
    std::vector<Node*> out;
    for (const SelectionItem& it : scene().activeSelection()) {
        Node* n = it.node.get();
        if (!n || n->deleted) continue;
        if (std::find(out.begin(), out.end(), n) == out.end()) out.push_back(n);
    }
    return out;
}

void selectOnly(Node* n) {
    auto& sel = scene().activeSelection();
    sel.clear();
    if (n) sel.push_back(SelectionItem{scene().ptr(n), nullptr, Plug{}});
}

void selectAdd(Node* n) {
    auto& sel = scene().activeSelection();
    SelectionItem it{scene().ptr(n), nullptr, Plug{}};
    if (std::find(sel.begin(), sel.end(), it) == sel.end()) sel.push_back(it);
}

void deselect(Node* n) {
    auto& sel = scene().activeSelection();
    sel.erase(std::remove_if(sel.begin(), sel.end(), [n](const SelectionItem& it) { return it.node.get() == n; }),
              sel.end());
}

bool isShape(const Node* n) { return n && n->type->isShape; }
bool isTransform(const Node* n) { return n && n->type->isTransform; }

Node* transformOf(Node* n) {
    if (isShape(n) && n->parent) return n->parent;
    return n;
}

bool isIntermediate(Node* n) {
    Attribute* a = n->attribute("intermediateObject");
    if (!a) return false;
    return scene().getDouble(n->plug(a)) != 0.0;
}

UnitType unitOf(const Attribute* a) {
    if (!a) return UnitType::kInvalid;
    if (a->kind == AttrKind::Unit) return a->unit;
    return UnitType::kInvalid;
}

Matrix4 worldMatrix(Node* n) {
    if (!n || !n->isDag() || n->isWorld()) return Matrix4{};
    Plug wm = n->plug("worldMatrix");
    if (wm.isNull()) return Matrix4{};
    if (wm.isArray()) wm = wm.element(0);
    return scene().getMatrix(wm);
}

Matrix4 parentWorldMatrix(Node* n) {
    if (!n || !n->parent || n->parent->isWorld()) return Matrix4{};
    return worldMatrix(n->parent);
}

void transformPoint(const Matrix4& m, const double in[3], double out[3]) {
    double r[3];
    for (int c = 0; c < 3; ++c) r[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + m.m[3][c];
    double w = in[0] * m.m[0][3] + in[1] * m.m[1][3] + in[2] * m.m[2][3] + m.m[3][3];
    if (w != 0 && w != 1) for (double& x : r) x /= w;
    out[0] = r[0];
    out[1] = r[1];
    out[2] = r[2];
}

double getNumber(const Plug& p) { return scene().getDouble(p); }

void checkWritable(const Plug& p) {
    bool connected = !scene().sourceOf(p).isNull();
    if (scene().isLocked(p) || connected || (p.node && p.node->locked))
        fail("The attribute '" + plugLabel(p) + "' is locked or connected and cannot be modified.");
}

void setNumber(const Plug& p, double v) {
    checkWritable(p);
    std::string err;
    if (!scene().setDouble(p, v, &err)) fail(err.empty() ? "Cannot set '" + plugLabel(p) + "'" : err);
}

std::vector<double> getVector(Node* n, const std::string& attr) {
    Plug p = n->plug(attr);
    if (p.isNull()) fail("No object matches name: " + nodeName(n) + "." + attr);
    return scene().getNumbers(p);
}

void setVector(Node* n, const std::string& attr, const std::vector<double>& v) {
    Plug p = n->plug(attr);
    if (p.isNull()) fail("No object matches name: " + nodeName(n) + "." + attr);
    checkWritable(p);
    for (unsigned i = 0; i < p.attr()->children.size() && i < v.size(); ++i) checkWritable(p.child(i));
    std::string err;
    if (!scene().setNumbers(p, v, &err)) fail(err.empty() ? "Cannot set '" + plugLabel(p) + "'" : err);
}

}  // namespace cmds
}  // namespace host::scene

namespace host::scene::cmds {
namespace {
struct PlugFlags {
    int keyable = -1, channelBox = -1;  // -1: as the attribute says
};
struct NodeFlags {
    std::weak_ptr<Object> node;
    std::map<PlugPath, PlugFlags> plugs;
};
std::map<const Node*, NodeFlags>& flagTable() {
    static std::map<const Node*, NodeFlags> t;
    return t;
}
PlugFlags* flagsOf(const Plug& p, bool create) {
    auto& t = flagTable();
    auto it = t.find(p.node);
    if (it != t.end() && it->second.node.lock().get() != p.node) {
        t.erase(it);  // a new node at a freed address
        it = t.end();
    }
    if (it == t.end()) {
        if (!create) return nullptr;
        NodeFlags nf;
        nf.node = scene().ptr(p.node);
        it = t.emplace(p.node, std::move(nf)).first;
    }
    auto pit = it->second.plugs.find(p.path);
    if (pit == it->second.plugs.end()) {
        if (!create) return nullptr;
        pit = it->second.plugs.emplace(p.path, PlugFlags{}).first;
    }
    return &pit->second;
}
std::vector<std::weak_ptr<Object>>& colorAttrs() {
    static std::vector<std::weak_ptr<Object>> v;
    return v;
}
}  // namespace

bool plugKeyable(const Plug& p) {
    if (PlugFlags* f = flagsOf(p, false))
        if (f->keyable >= 0) return f->keyable != 0;
    return p.attr() && p.attr()->keyable;
}
bool plugChannelBox(const Plug& p) {
    if (PlugFlags* f = flagsOf(p, false))
        if (f->channelBox >= 0) return f->channelBox != 0;
    return p.attr() && p.attr()->channelBox;
}
void setPlugKeyable(const Plug& p, bool on) {
    if (p.attr() && p.attr()->dynamic && !p.attr()->inArray()) p.attr()->keyable = on;
    else flagsOf(p, true)->keyable = on ? 1 : 0;
    if (on) setPlugChannelBox(p, false);
}
void setPlugChannelBox(const Plug& p, bool on) {
    if (p.attr() && p.attr()->dynamic && !p.attr()->inArray()) p.attr()->channelBox = on;
    else flagsOf(p, true)->channelBox = on ? 1 : 0;
}
bool usedAsColor(const Attribute* a) {
    for (const auto& w : colorAttrs())
        if (w.lock().get() == a) return true;
    return false;
}
void setUsedAsColor(const Attribute* a) {
    auto& v = colorAttrs();
    v.erase(std::remove_if(v.begin(), v.end(), [](const std::weak_ptr<Object>& w) { return w.expired(); }), v.end());
    v.push_back(const_cast<Attribute*>(a)->shared_from_this());
}
}  // namespace host::scene::cmds
