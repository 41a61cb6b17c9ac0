#include "scene/core/scene.h"

#include <maya/MPxNode.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

namespace host::scene {

Object::~Object() = default;

// ---------------------------------------------------------------- Matrix4

bool Matrix4::operator==(const Matrix4& o) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != o.m[r][c]) return false;
    return true;
}

Matrix4 Matrix4::operator*(const Matrix4& o) const {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += m[i][k] * o.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

Matrix4 Matrix4::inverse() const {
    // Gauss-Jordan with partial pivoting; singular matrices give identity.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 8; ++j) a[i][j] = j < 4 ? m[i][j] : (j - 4 == i ? 1.0 : 0.0);
    for (int c = 0; c < 4; ++c) {
        int piv = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[piv][c])) piv = r;
        if (std::fabs(a[piv][c]) < 1e-300) return Matrix4();
        if (piv != c)
            for (int j = 0; j < 8; ++j) std::swap(a[c][j], a[piv][j]);
        double d = a[c][c];
        for (int j = 0; j < 8; ++j) a[c][j] /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            double f = a[r][c];
            if (f == 0) continue;
            for (int j = 0; j < 8; ++j) a[r][j] -= f * a[c][j];
        }
    }
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = a[i][j + 4];
    return r;
}

bool Matrix4::isIdentity(double tol) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(m[r][c] - (r == c ? 1.0 : 0.0)) > tol) return false;
    return true;
}

// ---------------------------------------------------------------- data kinds

namespace {
struct DataKind {
    MFn::Type api;
    std::function<DataPtr()> factory;
};
std::map<std::string, DataKind>& dataKinds() {
    static std::map<std::string, DataKind> kinds = {
        {"string", {MFn::kStringData, [] { return std::make_shared<StringData>(); }}},
        {"matrix", {MFn::kMatrixData, [] { return std::make_shared<MatrixData>(); }}},
        {"stringArray", {MFn::kStringArrayData, [] { return std::make_shared<StringArrayData>(); }}},
        {"doubleArray", {MFn::kDoubleArrayData, [] { return std::make_shared<DoubleArrayData>(); }}},
        {"Int32Array", {MFn::kIntArrayData, [] { return std::make_shared<Int32ArrayData>(); }}},
        {"pointArray", {MFn::kPointArrayData, [] { return std::make_shared<PointArrayData>(); }}},
        {"vectorArray", {MFn::kVectorArrayData, [] { return std::make_shared<VectorArrayData>(); }}},
        {"componentList", {MFn::kComponentListData, [] { return std::make_shared<ComponentListData>(); }}},
    };
    return kinds;
}
}  // namespace

void registerDataType(const std::string& name, MFn::Type api, std::function<DataPtr()> factory) {
    dataKinds()[name] = DataKind{api, std::move(factory)};
}

DataPtr createData(const std::string& name) {
    auto it = dataKinds().find(name);
    if (it == dataKinds().end() || !it->second.factory) return nullptr;
    return it->second.factory();
}

MFn::Type dataApiType(const std::string& name) {
    auto it = dataKinds().find(name);
    return it == dataKinds().end() ? MFn::kInvalid : it->second.api;
}

std::vector<int> ComponentListData::indices(const std::string& kind, int count) const {
    std::set<int> out;
    for (const std::string& item : items) {
        size_t b = item.find('[');
        if (b == std::string::npos || item.back() != ']' || item.compare(0, b, kind) != 0) continue;
        std::string range = item.substr(b + 1, item.size() - b - 2);
        if (range == "*") {
            for (int i = 0; i < count; ++i) out.insert(i);
            continue;
        }
        char* end = nullptr;
        long lo = std::strtol(range.c_str(), &end, 10);
        if (end == range.c_str() || lo < 0) continue;
        long hi = lo;
        if (*end == ':') {
            const char* s = end + 1;
            hi = std::strtol(s, &end, 10);
            if (end == s) continue;
        }
        if (*end != '\0' || hi < lo) continue;
        if (count >= 0 && hi >= count) hi = count - 1;
        // Bounded by count when known; otherwise by a sane limit against hostile ranges.
        if (hi - lo > 50000000) continue;
        for (long i = lo; i <= hi; ++i) out.insert(static_cast<int>(i));
    }
    return std::vector<int>(out.begin(), out.end());
}

// ---------------------------------------------------------------- attributes

MFn::Type Attribute::apiType() const {
    switch (kind) {
    case AttrKind::Numeric:
        switch (numeric) {
        case NumericType::k2Double: return MFn::kAttribute2Double;
        case NumericType::k2Float: return MFn::kAttribute2Float;
        case NumericType::k2Long: return MFn::kAttribute2Int;
        case NumericType::k2Short: return MFn::kAttribute2Short;
        case NumericType::k3Double: return MFn::kAttribute3Double;
        case NumericType::k3Float: return MFn::kAttribute3Float;
        case NumericType::k3Long: return MFn::kAttribute3Int;
        case NumericType::k3Short: return MFn::kAttribute3Short;
        case NumericType::k4Double: return MFn::kAttribute4Double;
        default: return MFn::kNumericAttribute;
        }
    case AttrKind::Enum: return MFn::kEnumAttribute;
    case AttrKind::Unit:
        if (isCompound()) return MFn::kAttribute3Double;
        return unit == UnitType::kAngle ? MFn::kDoubleAngleAttribute
             : unit == UnitType::kTime  ? MFn::kTimeAttribute
                                        : MFn::kDoubleLinearAttribute;
    case AttrKind::Typed: return MFn::kTypedAttribute;
    case AttrKind::Compound: return MFn::kCompoundAttribute;
    case AttrKind::Message: return MFn::kMessageAttribute;
    case AttrKind::Matrix: return MFn::kMatrixAttribute;
    case AttrKind::FloatMatrix: return MFn::kFloatMatrixAttribute;
    case AttrKind::Generic: return MFn::kGenericAttribute;
    }
    return MFn::kAttribute;
}

bool Attribute::hasFn(MFn::Type t) const {
    if (t == MFn::kBase || t == MFn::kAttribute) return true;
    MFn::Type a = apiType();
    if (t == a) return true;
    if (t == MFn::kNumericAttribute && kind == AttrKind::Numeric) return true;
    if (t == MFn::kCompoundAttribute && isCompound()) return true;
    if (t == MFn::kUnitAttribute && kind == AttrKind::Unit) return true;
    if (t == MFn::kMatrixAttribute && kind == AttrKind::FloatMatrix) return true;
    return false;
}

bool Attribute::isScalarNumeric() const {
    return (kind == AttrKind::Numeric || kind == AttrKind::Enum || kind == AttrKind::Unit) && children.empty();
}

Attribute* Attribute::child(const std::string& n) const {
    for (const auto& c : children)
        if (c->name == n || c->shortName == n) return c.get();
    return nullptr;
}

Attribute* Attribute::top() {
    Attribute* a = this;
    while (a->parent) a = a->parent;
    return a;
}

bool Attribute::inArray() const {
    for (const Attribute* a = this; a; a = a->parent)
        if (a->array) return true;
    return false;
}

std::string Attribute::typeString() const {
    switch (kind) {
    case AttrKind::Numeric:
        switch (numeric) {
        case NumericType::kBoolean: return "bool";
        case NumericType::kByte: return "byte";
        case NumericType::kChar: return "char";
        case NumericType::kShort: return "short";
        case NumericType::k2Short: return "short2";
        case NumericType::k3Short: return "short3";
        case NumericType::kLong: return "long";
        case NumericType::k2Long: return "long2";
        case NumericType::k3Long: return "long3";
        case NumericType::kInt64: return "int64";
        case NumericType::kFloat: return "float";
        case NumericType::k2Float: return "float2";
        case NumericType::k3Float: return "float3";
        case NumericType::kDouble: return "double";
        case NumericType::k2Double: return "double2";
        case NumericType::k3Double: return "double3";
        case NumericType::k4Double: return "double4";
        default: return "double";
        }
    case AttrKind::Enum: return "enum";
    case AttrKind::Unit:
        if (isCompound()) return "double3";
        return unit == UnitType::kAngle ? "doubleAngle" : unit == UnitType::kTime ? "time" : "doubleLinear";
    case AttrKind::Typed: return dataType.empty() ? "typed" : dataType;
    case AttrKind::Compound: return "TdataCompound";
    case AttrKind::Message: return "message";
    case AttrKind::Matrix: return "matrix";
    case AttrKind::FloatMatrix: return "fltMatrix";
    case AttrKind::Generic: return "generic";
    }
    return "";
}

void adoptChildren(Attribute& a) {
    for (size_t i = 0; i < a.children.size(); ++i) {
        a.children[i]->parent = &a;
        a.children[i]->childIndex = static_cast<int>(i);
    }
}

AttrPtr makeNumeric(const std::string& ln, const std::string& sn, NumericType t, double def) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = AttrKind::Numeric;
    a->numeric = t;
    a->defaultNumber = def;
    return a;
}

static NumericType scalarOf(NumericType t) {
    switch (t) {
    case NumericType::k2Short: case NumericType::k3Short: return NumericType::kShort;
    case NumericType::k2Long: case NumericType::k3Long: return NumericType::kLong;
    case NumericType::k2Float: case NumericType::k3Float: return NumericType::kFloat;
    case NumericType::k2Double: case NumericType::k3Double: case NumericType::k4Double: return NumericType::kDouble;
    default: return t;
    }
}

AttrPtr makeNumericCompound(const std::string& ln, const std::string& sn, NumericType t,
                            const std::vector<std::string>& suffixes, double def) {
    std::vector<AttrPtr> kids;
    for (const std::string& s : suffixes) kids.push_back(makeNumeric(ln + s, sn + s, scalarOf(t), def));
    return makeNumericCompound(ln, sn, t, std::move(kids));
}

AttrPtr makeNumericCompound(const std::string& ln, const std::string& sn, NumericType t,
                            std::vector<AttrPtr> children) {
    auto a = makeNumeric(ln, sn, t);
    a->children = std::move(children);
    adoptChildren(*a);
    return a;
}

AttrPtr makeUnit(const std::string& ln, const std::string& sn, UnitType u, double def) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = AttrKind::Unit;
    a->unit = u;
    a->numeric = NumericType::kDouble;
    a->defaultNumber = def;
    return a;
}

AttrPtr makeUnitCompound(const std::string& ln, const std::string& sn, UnitType u,
                         const std::vector<std::string>& childLong, const std::vector<std::string>& childShort,
                         double def) {
    auto a = makeUnit(ln, sn, u, 0);
    a->numeric = childLong.size() == 2 ? NumericType::k2Double : NumericType::k3Double;
    for (size_t i = 0; i < childLong.size(); ++i)
        a->children.push_back(makeUnit(childLong[i], childShort[i], u, def));
    adoptChildren(*a);
    return a;
}

AttrPtr makeEnum(const std::string& ln, const std::string& sn, std::vector<std::pair<std::string, int>> fields,
                 int def) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = AttrKind::Enum;
    a->numeric = NumericType::kShort;
    a->fields = std::move(fields);
    a->defaultNumber = def;
    return a;
}

AttrPtr makeTyped(const std::string& ln, const std::string& sn, const std::string& dataType) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = AttrKind::Typed;
    a->dataType = dataType;
    return a;
}

AttrPtr makeMessage(const std::string& ln, const std::string& sn) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = AttrKind::Message;
    a->storable = false;
    return a;
}

AttrPtr makeMatrix(const std::string& ln, const std::string& sn, bool isFloat) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = isFloat ? AttrKind::FloatMatrix : AttrKind::Matrix;
    return a;
}

AttrPtr makeCompound(const std::string& ln, const std::string& sn, std::vector<AttrPtr> children) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = AttrKind::Compound;
    a->children = std::move(children);
    adoptChildren(*a);
    return a;
}

AttrPtr makeGeneric(const std::string& ln, const std::string& sn) {
    auto a = std::make_shared<Attribute>();
    a->name = ln;
    a->shortName = sn.empty() ? ln : sn;
    a->kind = AttrKind::Generic;
    return a;
}

// ---------------------------------------------------------------- plugs

bool Plug::isFullyIndexed() const {
    for (size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i].attr->array && path[i].index < 0) return false;
    return !path.empty();
}

Plug Plug::parentPlug() const {
    Plug p = *this;
    if (!p.path.empty()) p.path.pop_back();
    if (p.path.empty()) p.node = nullptr;
    return p;
}

Plug Plug::arrayPlug() const {
    Plug p = *this;
    if (!p.path.empty()) p.path.back().index = -1;
    return p;
}

Plug Plug::element(unsigned logical) const {
    Plug p = *this;
    if (!p.path.empty()) p.path.back().index = static_cast<int>(logical);
    return p;
}

Plug Plug::child(Attribute* c) const {
    Plug p = *this;
    if (!c || !attr() || c->parent != attr()) return Plug();
    p.path.push_back(PlugElem{c, -1});
    return p;
}

Plug Plug::child(unsigned i) const {
    Attribute* a = attr();
    if (!a || i >= a->children.size()) return Plug();
    return child(a->children[i].get());
}

std::string Plug::name(bool longNames, bool fullNodePath, bool withNode) const {
    if (isNull()) return std::string();
    std::string s;
    if (withNode) {
        s = node->isDag() ? (fullNodePath ? node->fullPath() : node->partialPath()) : node->name;
        s += '.';
    }
    // Children of a non-array compound print alone ("tx"); below an array
    // the path starts at the outermost array ("iog[0].og[1].gcl"), as the host names plugs.
    size_t first = path.size() - 1;
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i].attr->array) { first = i; break; }
    for (size_t i = first; i < path.size(); ++i) {
        if (i > first) s += '.';
        s += longNames ? path[i].attr->name : path[i].attr->shortName;
        if (path[i].attr->array && path[i].index >= 0) s += "[" + std::to_string(path[i].index) + "]";
    }
    return s;
}

// ---------------------------------------------------------------- node types

bool NodeType::isA(const NodeType* t) const {
    for (const NodeType* p = this; p; p = p->parent)
        if (p == t) return true;
    return false;
}

bool NodeType::isA(const std::string& n) const {
    for (const NodeType* p = this; p; p = p->parent)
        if (p->name == n) return true;
    return false;
}

bool NodeType::hasFn(MFn::Type t) const {
    if (t == MFn::kBase || t == MFn::kNamedObject || t == MFn::kDependencyNode) return apiType != MFn::kWorld || t == MFn::kBase;
    return std::find(fns.begin(), fns.end(), t) != fns.end();
}

Attribute* NodeType::attribute(const std::string& n) const {
    auto it = byName.find(n);
    return it == byName.end() ? nullptr : it->second;
}

ComputeFn NodeType::computeFn() const {
    for (const NodeType* p = this; p; p = p->parent)
        if (p->compute) return p->compute;
    return nullptr;
}

static void indexNames(std::unordered_map<std::string, Attribute*>& map, Attribute* a) {
    map.emplace(a->name, a);
    map.emplace(a->shortName, a);
    for (auto& c : a->children) indexNames(map, c.get());
}

static bool nameTaken(const std::unordered_map<std::string, Attribute*>& map, Attribute* a) {
    if (map.count(a->name) || map.count(a->shortName)) return true;
    for (auto& c : a->children)
        if (nameTaken(map, c.get())) return true;
    return false;
}

static void markAttached(Attribute* a, NodeType* owner) {
    a->attached = true;
    a->owner = owner;
    for (auto& c : a->children) markAttached(c.get(), owner);
}

MStatus NodeType::addAttribute(const AttrPtr& a) {
    if (!a || a->parent || a->attached || nameTaken(byName, a.get())) return MStatus::kFailure;
    a->index = static_cast<int>(all.size());
    own.push_back(a);
    all.push_back(a.get());
    indexNames(byName, a.get());
    markAttached(a.get(), this);
    return MStatus::kSuccess;
}

// ---------------------------------------------------------------- nodes

Node::Node(NodeType* t) : type(t), slots(t->all.size()) {}

Node::~Node() = default;

MFn::Type Node::apiType() const { return type->apiType; }

bool Node::hasFn(MFn::Type t) const { return !deleted && type->hasFn(t); }

Attribute* Node::attributeAt(size_t i) const {
    if (i < type->all.size()) return type->all[i];
    i -= type->all.size();
    return i < dynamicAttrs.size() ? dynamicAttrs[i].get() : nullptr;
}

static Attribute* findIn(Attribute* a, const std::string& n) {
    if (a->name == n || a->shortName == n) return a;
    for (auto& c : a->children)
        if (Attribute* r = findIn(c.get(), n)) return r;
    return nullptr;
}

Attribute* Node::attribute(const std::string& n) const {
    if (Attribute* a = type->attribute(n)) return a;
    for (const auto& d : dynamicAttrs)
        if (Attribute* r = findIn(d.get(), n)) return r;
    return nullptr;
}

Slot& Node::slotFor(Attribute* top) {
    size_t i = static_cast<size_t>(top->index);
    if (slots.size() <= i) slots.resize(attributeCount());
    return slots[i];
}

MStatus Node::addAttribute(const AttrPtr& a) {
    if (!a || a->parent || a->attached) return MStatus::kInvalidParameter;
    std::function<bool(Attribute*)> clash = [&](Attribute* x) {
        if (attribute(x->name) || attribute(x->shortName)) return true;
        for (auto& c : x->children)
            if (clash(c.get())) return true;
        return false;
    };
    if (clash(a.get())) return MStatus::kFailure;
    std::function<void(Attribute*)> mark = [&](Attribute* x) {
        x->attached = true;
        x->dynamic = true;
        for (auto& c : x->children) mark(c.get());
    };
    mark(a.get());
    a->index = static_cast<int>(attributeCount());
    dynamicAttrs.push_back(a);
    slots.resize(attributeCount());
    return MStatus::kSuccess;
}

MStatus Node::removeAttribute(Attribute* a) {
    if (!a || !a->dynamic || a->parent) return MStatus::kInvalidParameter;
    auto it = std::find_if(dynamicAttrs.begin(), dynamicAttrs.end(), [&](const AttrPtr& p) { return p.get() == a; });
    if (it == dynamicAttrs.end()) return MStatus::kNotFound;
    AttrPtr keep = *it;  // alive until connections are gone
    // Drop connections through this attribute.
    Scene& sc = scene();
    for (const Connection& c : sc.connections(plug(a), true, true, true)) sc.disconnect(c.src, c.dst);
    size_t slotIndex = static_cast<size_t>(a->index);
    dynamicAttrs.erase(it);
    if (slotIndex < slots.size()) slots.erase(slots.begin() + static_cast<long>(slotIndex));
    for (size_t i = 0; i < dynamicAttrs.size(); ++i) dynamicAttrs[i]->index = static_cast<int>(type->all.size() + i);
    keep->attached = false;
    sc.touch();
    return MStatus::kSuccess;
}

Plug Node::plug(Attribute* a) const {
    Plug p;
    if (!a) return p;
    std::vector<Attribute*> chain;
    for (Attribute* x = a; x; x = x->parent) chain.push_back(x);
    p.node = const_cast<Node*>(this);
    for (size_t i = chain.size(); i-- > 0;) p.path.push_back(PlugElem{chain[i], -1});
    return p;
}

Plug Node::plug(const std::string& attrName) const {
    return plug(attribute(attrName));
}

std::string Node::fullPath() const {
    if (!isDag()) return name;
    if (isWorld()) return std::string();
    std::string s;
    for (const Node* n = this; n; n = n->parent) s = "|" + n->name + s;
    return s;
}

std::string Node::partialPath() const {
    if (!isDag() || isWorld()) return name;
    // Shortest suffix of the full path that names this node alone.
    std::vector<const Node*> chain;
    for (const Node* n = this; n; n = n->parent) chain.push_back(n);
    Scene& sc = scene();
    std::string s;
    for (size_t k = 0; k < chain.size(); ++k) {
        s = k == 0 ? chain[0]->name : chain[k]->name + "|" + s;
        std::string err;
        if (k + 1 == chain.size()) return s;
        if (sc.find(s, &err) == this) return s;
    }
    return fullPath();
}

int Node::depth() const {
    if (isWorld()) return 0;
    int d = 0;
    for (const Node* n = this; n; n = n->parent) ++d;
    return d;
}

Node* Node::dagParent() const {
    if (isWorld() || !isDag()) return nullptr;
    return parent ? parent : scene().world();
}

std::vector<Node*> Node::dagChildren() const {
    return children;
}

// ---------------------------------------------------------------- scene basics

Scene& scene() {
    static Scene s;
    return s;
}

Scene::Scene() {
    registerBuiltins();
    newScene();
}

Scene::~Scene() {
    // Plug-in node objects belong to modules that may already be unloaded at exit.
    for (auto& n : nodes_) (void)n->user.release();
}

NodeType* Scene::findType(const std::string& name) const {
    auto it = typesByName_.find(name);
    return it == typesByName_.end() ? nullptr : it->second;
}

NodeType* Scene::findType(unsigned id) const {
    if (id == 0) return nullptr;
    for (const auto& t : types_)
        if (t->id == id) return t.get();
    return nullptr;
}

std::vector<NodeType*> Scene::types() const {
    std::vector<NodeType*> out;
    for (const auto& t : types_) out.push_back(t.get());
    return out;
}

NodeType* Scene::registerType(const std::string& name, const std::string& parentName, MFn::Type api,
                              unsigned id, ComputeFn compute) {
    if (findType(name)) return nullptr;
    NodeType* parent = parentName.empty() ? nullptr : findType(parentName);
    auto t = std::make_unique<NodeType>();
    t->name = name;
    t->parent = parent;
    t->apiType = api;
    t->id = id;
    t->compute = std::move(compute);
    t->defaultName = name;
    if (parent) {
        t->fns = parent->fns;
        t->all = parent->all;
        t->byName = parent->byName;
        t->isDag = parent->isDag;
        t->isTransform = parent->isTransform;
        t->isShape = parent->isShape;
    }
    if (std::find(t->fns.begin(), t->fns.end(), api) == t->fns.end()) t->fns.push_back(api);
    if (api == MFn::kDagNode) t->isDag = true;
    if (api == MFn::kTransform) t->isTransform = true;
    if (api == MFn::kShape) t->isShape = true;
    NodeType* raw = t.get();
    typesByName_[name] = raw;
    types_.push_back(std::move(t));
    return raw;
}

MStatus Scene::registerPluginType(const std::string& name, unsigned id, std::function<MPxNode*()> creator,
                                  std::function<MStatus()> initialize, int pxType,
                                  const std::string& pluginName, std::string* error) {
    if (findType(name)) {
        if (error) *error = "Node type '" + name + "' is already registered";
        return MStatus::kFailure;
    }
    if (findType(id)) {
        if (error) *error = "Node type id " + std::to_string(id) + " is already in use";
        return MStatus::kFailure;
    }
    std::string base = "dependNode";
    MFn::Type api = MFn::kPluginDependNode;
    switch (pxType) {
    case MPxNode::kLocatorNode: base = "locator"; api = MFn::kPluginLocatorNode; break;
    case MPxNode::kSurfaceShape: base = "surfaceShape"; api = MFn::kPluginShape; break;
    case MPxNode::kTransformNode: base = "transform"; api = MFn::kPluginTransformNode; break;
    case MPxNode::kObjectSet: base = "objectSet"; break;
    default: break;
    }
    NodeType* t = registerType(name, base, api, id);
    if (!t) return MStatus::kFailure;
    t->creator = std::move(creator);
    t->pxType = pxType;
    t->pluginName = pluginName;
    initializing_ = t;
    MStatus st = initialize ? initialize() : MStatus(MStatus::kSuccess);
    initializing_ = nullptr;
    if (st.error()) {
        if (error) *error = "The initialize function of node type '" + name + "' failed";
        typesByName_.erase(name);
        types_.pop_back();
        return st;
    }
    return MStatus::kSuccess;
}

MStatus Scene::deregisterPluginType(unsigned id, std::string* error) {
    NodeType* t = findType(id);
    if (!t || !t->creator) {
        if (error) *error = "No plug-in node type with id " + std::to_string(id);
        return MStatus::kFailure;
    }
    for (const auto& n : nodes_)
        if (n->type == t) {
            if (error) *error = "Nodes of type '" + t->name + "' are still in the scene";
            return MStatus::kFailure;
        }
    typesByName_.erase(t->name);
    types_.erase(std::find_if(types_.begin(), types_.end(), [&](const auto& p) { return p.get() == t; }));
    return MStatus::kSuccess;
}

NodePtr Scene::ptr(Node* n) const {
    if (!n) return nullptr;
    if (n == world_.get()) return world_;
    auto s = std::static_pointer_cast<Node>(n->shared_from_this());
    return s;
}

std::vector<Node*> Scene::nodes() const {
    std::vector<Node*> out;
    out.reserve(nodes_.size());
    for (const auto& n : nodes_) out.push_back(n.get());
    return out;
}

std::vector<Node*> Scene::dagDepthFirst(Node* root) const {
    std::vector<Node*> out;
    std::function<void(Node*)> walk = [&](Node* n) {
        for (Node* c : n->children) {
            out.push_back(c);
            walk(c);
        }
    };
    walk(root ? root : world_.get());
    return out;
}

void Scene::setCurrentTime(double seconds) {
    time_ = seconds;
    touch();
}

// ---------------------------------------------------------------- naming

bool wildcardMatch(const std::string& p, const std::string& t) {
    size_t pi = 0, ti = 0, star = std::string::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ti;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

static bool validName(const std::string& n) {
    if (n.empty()) return false;
    if (std::isdigit(static_cast<unsigned char>(n[0]))) return false;
    for (size_t i = 0; i < n.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(n[i]);
        if (std::isalnum(c) || c == '_' || c == ':') continue;
        if (c == '#' ) continue;
        return false;
    }
    return true;
}

// ---- name index

const Scene::NameEntry* Scene::entry(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &it->second;
}

void Scene::indexAdd(Node* n) {
    NameEntry& e = byName_[n->name];
    // Keep creation order so lookups list nodes as a scan of the scene would.
    auto pos = std::upper_bound(e.nodes.begin(), e.nodes.end(), n,
                                [](const Node* a, const Node* b) { return a->created < b->created; });
    e.nodes.insert(pos, n);
    if (!n->isDag()) ++e.nonDag;
}

void Scene::indexRemove(Node* n) {
    auto it = byName_.find(n->name);
    if (it == byName_.end()) return;
    NameEntry& e = it->second;
    auto pos = std::find(e.nodes.begin(), e.nodes.end(), n);
    if (pos == e.nodes.end()) return;
    e.nodes.erase(pos);
    if (!n->isDag()) --e.nonDag;
    if (e.nodes.empty()) {
        std::string freed = it->first;
        byName_.erase(it);
        forgetNumber(freed);
    }
}

bool Scene::nameTaken(const std::string& name, const Node* self) const {
    const NameEntry* e = entry(name);
    if (!e) return false;
    return e->nodes.size() > 1 || e->nodes.front() != self;
}

// A freed name may be the lowest free number of any pattern it fits: drop it
// from every cached run. Long names just clear the cache.
void Scene::forgetNumber(const std::string& name) const {
    if (taken_.empty()) return;
    if (name.size() > 256) {
        taken_.clear();
        return;
    }
    for (size_t a = 0; a < name.size(); ++a) {
        if (name[a] < '1' || name[a] > '9') continue;  // generated numbers have no leading zero
        unsigned long num = 0;
        for (size_t b = a; b < name.size() && b - a < 19 && std::isdigit(static_cast<unsigned char>(name[b])); ++b) {
            num = num * 10 + static_cast<unsigned long>(name[b] - '0');
            std::string key = name.substr(0, a);
            key += '\0';
            key.append(name, b + 1, std::string::npos);
            auto it = taken_.find(key);
            if (it == taken_.end()) continue;
            auto& runs = it->second;
            auto r = runs.upper_bound(num);
            if (r == runs.begin()) continue;
            --r;
            if (r->second <= num) continue;
            unsigned long first = r->first, end = r->second;
            runs.erase(r);
            if (first < num) runs.emplace(first, num);
            if (num + 1 < end) runs.emplace(num + 1, end);
        }
    }
}

std::string Scene::firstFree(const std::string& prefix, const std::string& suffix, unsigned long start,
                             const Node* self) const {
    // The cached runs say nothing about self's own name, which counts as free.
    const bool selfIndexed = self && !self->deleted && [&] {
        const NameEntry* e = entry(self->name);
        return e && std::find(e->nodes.begin(), e->nodes.end(), self) != e->nodes.end();
    }();
    if (selfIndexed) {
        for (unsigned long i = start;; ++i) {
            std::string n = prefix + std::to_string(i) + suffix;
            if (!nameTaken(n, self)) return n;
        }
    }
    std::string key = prefix;
    key += '\0';
    key += suffix;
    auto& runs = taken_[key];
    for (unsigned long i = start;; ++i) {
        // Runs are disjoint and never touch, so one skip lands on an unknown number.
        auto r = runs.upper_bound(i);
        if (r != runs.begin()) {
            --r;
            if (r->second > i) i = r->second;
        }
        std::string n = prefix + std::to_string(i) + suffix;
        if (!nameTaken(n, self)) return n;
        // Record i as taken, merging with the neighbouring runs.
        auto next = runs.find(i + 1);
        unsigned long end = next != runs.end() ? next->second : i + 1;
        if (next != runs.end()) runs.erase(next);
        auto after = runs.lower_bound(i);
        if (after != runs.begin() && std::prev(after)->second == i)
            std::prev(after)->second = end;
        else
            runs[i] = end;
    }
}

std::string Scene::uniqueName(const std::string& want, Node* self, Node* dagParent, bool isDag) const {
    auto clash = [&](const std::string& n) {
        const NameEntry* e = entry(n);
        if (!e) return false;
        if (!isDag) return nameTaken(n, self);
        if (e->nonDag > 0) return true;
        // DAG names clash only among siblings: look through the shorter list.
        const std::vector<Node*>& siblings = dagParent ? dagParent->children : world_->children;
        if (e->nodes.size() <= siblings.size()) {
            for (const Node* o : e->nodes)
                if (o != self && o->parent == dagParent) return true;
        } else {
            for (const Node* o : siblings)
                if (o != self && o->name == n) return true;
        }
        return false;
    };
    size_t hash = want.find('#');
    if (hash != std::string::npos) {
        std::string pre = want.substr(0, hash), post = want.substr(hash + 1);
        post.erase(std::remove(post.begin(), post.end(), '#'), post.end());
        return firstFree(pre, post, 1, self);
    }
    if (!clash(want)) return want;
    // Renumber: strip trailing digits and count up from the next number.
    size_t e = want.size();
    while (e > 0 && std::isdigit(static_cast<unsigned char>(want[e - 1]))) --e;
    std::string base = want.substr(0, e);
    unsigned long start = 1;
    if (e < want.size()) {
        std::string digits = want.substr(e);
        if (digits.size() < 10) start = std::stoul(digits) + 1;
    }
    return firstFree(base, "", start, self);
}

// ---------------------------------------------------------------- creation

Node* Scene::createNode(const std::string& typeName, const std::string& name, Node* parent, std::string* error,
                        bool allowUnknown) {
    NodeType* t = findType(typeName);
    std::string unknownName;
    if (!t) {
        if (!allowUnknown) {
            if (error) *error = "Unknown object type: " + typeName;
            return nullptr;
        }
        t = findType("unknown");
        unknownName = typeName;
    }
    if (t->abstract) {
        if (error) *error = "Cannot create a node of abstract type " + typeName;
        return nullptr;
    }
    if (!name.empty() && !validName(name)) {
        if (error) *error = "Invalid node name: " + name;
        return nullptr;
    }
    if (parent && parent->isWorld()) parent = nullptr;
    if (t->isDag) {
        if (parent && (!parent->isDag() || parent->deleted)) {
            if (error) *error = "Parent '" + parent->name + "' is not a DAG node";
            return nullptr;
        }
        if (parent && parent->type->isShape) {
            if (error) *error = "Cannot parent '" + (name.empty() ? typeName : name) + "' under the shape '" +
                                parent->name + "'";
            return nullptr;
        }
        if (!parent && t->isShape) {
            // A shape always lives under a transform; createNode makes one.
            std::string base = t->defaultName;
            size_t k = base.rfind("Shape");
            if (k != std::string::npos && k + 5 == base.size()) base = base.substr(0, k);
            parent = createNode("transform", base + "#", nullptr, error);
            if (!parent) return nullptr;
        }
    } else {
        parent = nullptr;
    }
    auto n = std::make_shared<Node>(t);
    n->unknownType = unknownName;
    std::string want = name.empty() ? t->defaultName + "#" : name;
    n->name = uniqueName(want, nullptr, parent, t->isDag);
    n->created = nextCreated_++;
    if (t->isDag) {
        n->parent = parent;
        (parent ? parent->children : world_->children).push_back(n.get());
    }
    nodes_.push_back(n);
    indexAdd(n.get());
    if (t->creator) {
        MPxNode* u = t->creator();
        if (u) {
            n->user.reset(u);
            u->setHostNode(n.get());
            u->postConstructor();
        }
    }
    for (auto& f : onCreate) f(*n);
    touch();
    return n.get();
}

// ---------------------------------------------------------------- lookup

static std::vector<std::string> splitPath(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == '|') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

// Does n's full path end with components comps (matched by fn)?
template <typename Fn>
static bool pathEndsWith(const Node* n, const std::vector<std::string>& comps, bool anchored, Fn match) {
    const Node* cur = n;
    for (size_t i = comps.size(); i-- > 0;) {
        if (!cur || !match(comps[i], cur->name)) return false;
        cur = cur->parent;
    }
    return !anchored || cur == nullptr;
}

Node* Scene::find(const std::string& nameOrPath, std::string* error) const {
    std::string s = nameOrPath;
    std::vector<Node*> hits;
    if (s.find('|') == std::string::npos) {
        if (const NameEntry* e = entry(s)) hits = e->nodes;
    } else {
        bool anchored = s[0] == '|';
        std::vector<std::string> comps = splitPath(anchored ? s.substr(1) : s);
        for (const std::string& c : comps)
            if (c.empty()) {
                if (error) *error = "No object matches name: " + nameOrPath;
                return nullptr;
            }
        if (const NameEntry* e = entry(comps.back()))
            for (Node* n : e->nodes) {
                if (!n->isDag()) continue;
                if (pathEndsWith(n, comps, anchored, [](const std::string& a, const std::string& b) { return a == b; }))
                    hits.push_back(n);
            }
    }
    if (hits.size() == 1) return hits[0];
    if (error)
        *error = hits.empty() ? "No object matches name: " + nameOrPath : "More than one object matches name: " + nameOrPath;
    return nullptr;
}

std::vector<Node*> Scene::match(const std::string& pattern) const {
    std::vector<Node*> out;
    if (pattern.find_first_of("*?") == std::string::npos) {
        if (pattern.find('|') == std::string::npos) {
            if (const NameEntry* e = entry(pattern)) out = e->nodes;
        } else if (Node* n = find(pattern)) {
            out.push_back(n);
        }
        return out;
    }
    if (pattern.find('|') == std::string::npos) {
        for (const auto& n : nodes_)
            if (wildcardMatch(pattern, n->name)) out.push_back(n.get());
        return out;
    }
    bool anchored = pattern[0] == '|';
    std::vector<std::string> comps = splitPath(anchored ? pattern.substr(1) : pattern);
    for (const auto& n : nodes_) {
        if (!n->isDag()) continue;
        if (pathEndsWith(n.get(), comps, anchored, [](const std::string& p, const std::string& t) { return wildcardMatch(p, t); }))
            out.push_back(n.get());
    }
    return out;
}

// ---------------------------------------------------------------- edits

MStatus Scene::rename(Node* n, const std::string& newName, std::string* error) {
    if (!n || n->deleted || n->isWorld()) {
        if (error) *error = "No node to rename";
        return MStatus::kInvalidParameter;
    }
    if (n->locked) {
        if (error) *error = "Cannot rename a locked node: " + n->name;
        return MStatus::kFailure;
    }
    if (!validName(newName)) {
        if (error) *error = "Invalid node name: " + newName;
        return MStatus::kInvalidParameter;
    }
    indexRemove(n);
    n->name = uniqueName(newName, n, n->parent, n->isDag());
    indexAdd(n);
    touch();
    return MStatus::kSuccess;
}

MStatus Scene::reparent(Node* child, Node* newParent, bool keepWorld, std::string* error, int position) {
    if (newParent && newParent->isWorld()) newParent = nullptr;
    if (!child || !child->isDag() || child->isWorld() || child->deleted) {
        if (error) *error = "Only DAG nodes can be parented";
        return MStatus::kInvalidParameter;
    }
    if (newParent) {
        if (!newParent->isDag() || newParent->deleted) {
            if (error) *error = "'" + newParent->name + "' is not a DAG node";
            return MStatus::kInvalidParameter;
        }
        if (newParent->type->isShape) {
            if (error) *error = "Cannot parent '" + child->name + "' under the shape '" + newParent->name + "'";
            return MStatus::kInvalidParameter;
        }
        for (Node* p = newParent; p; p = p->parent)
            if (p == child) {
                if (error) *error = "Cannot parent '" + child->name + "' under its own descendant '" + newParent->name + "'";
                return MStatus::kInvalidParameter;
            }
    } else if (child->type->isShape) {
        if (error) *error = "A shape cannot be parented to the world: " + child->name;
        return MStatus::kInvalidParameter;
    }
    Matrix4 world;
    bool adjust = keepWorld && child->type->isTransform;
    if (adjust) world = getMatrix(child->plug("worldMatrix").element(0));
    auto& oldList = child->parent ? child->parent->children : world_->children;
    oldList.erase(std::remove(oldList.begin(), oldList.end(), child), oldList.end());
    child->parent = newParent;
    auto& newList = newParent ? newParent->children : world_->children;
    if (position < 0 || static_cast<size_t>(position) >= newList.size())
        newList.push_back(child);
    else
        newList.insert(newList.begin() + position, child);
    indexRemove(child);
    child->name = uniqueName(child->name, child, newParent, true);
    indexAdd(child);
    touch();
    if (adjust) {
        Matrix4 parentInv;
        if (newParent) parentInv = getMatrix(newParent->plug("worldInverseMatrix").element(0));
        setLocalMatrix(child, world * parentInv);
    }
    return MStatus::kSuccess;
}

MStatus Scene::deleteNode(Node* n, std::string* error) {
    if (!n || n->deleted || n->isWorld()) {
        if (error) *error = "No node to delete";
        return MStatus::kInvalidParameter;
    }
    if (n->locked) {
        if (error) *error = "Cannot delete locked node '" + n->name + "'.";
        return MStatus::kFailure;
    }
    if (n->isDefault && undeletable(n)) {
        if (error) *error = "Cannot delete the default node '" + n->name + "'.";
        return MStatus::kFailure;
    }
    std::vector<Node*> victims;
    std::function<void(Node*)> collect = [&](Node* x) {
        for (Node* c : x->children) collect(c);
        victims.push_back(x);
    };
    collect(n);
    for (Node* v : victims)
        if (v->locked) {
            if (error) *error = "Cannot delete locked node '" + v->name + "'.";
            return MStatus::kFailure;
        }
    NodePtr hold = ptr(n);
    for (Node* v : victims) {
        NodePtr keep = ptr(v);
        for (auto& f : onDelete) f(*v);
        disconnectAll(v);
        auto& list = v->parent ? v->parent->children : world_->children;
        if (v->isDag()) list.erase(std::remove(list.begin(), list.end(), v), list.end());
        v->children.clear();
        v->parent = nullptr;
        selection_.erase(std::remove_if(selection_.begin(), selection_.end(),
                                        [&](const SelectionItem& s) { return s.node.get() == v; }),
                         selection_.end());
        nodes_.erase(std::remove(nodes_.begin(), nodes_.end(), keep), nodes_.end());
        indexRemove(v);
        v->deleted = true;
        // The plug-in object goes with the node.
        v->user.reset();
    }
    touch();
    return MStatus::kSuccess;
}

// ---------------------------------------------------------------- plug parsing

bool Scene::parseAttrPath(Node* n, const std::string& text, Plug& out, std::string* error) const {
    out = Plug();
    if (!n) return false;
    out.node = n;
    size_t i = 0;
    Attribute* cur = nullptr;
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        out = Plug();
        return false;
    };
    while (i <= text.size()) {
        size_t e = text.find_first_of(".[", i);
        std::string part = text.substr(i, e == std::string::npos ? std::string::npos : e - i);
        if (part.empty()) return fail("Invalid attribute name: " + text);
        Attribute* a = nullptr;
        if (!cur) {
            a = n->attribute(part);
            if (a) {
                // A child named directly ("tx"): fill in its parents.
                Plug p = n->plug(a);
                if (p.path.size() > 1 && a->parent->inArray()) {
                    // Children of arrays need their parents' indices.
                    bool ok = true;
                    for (size_t k = 0; k + 1 < p.path.size(); ++k)
                        if (p.path[k].attr->array) ok = false;
                    if (!ok) return fail("No attribute '" + part + "' on " + n->name + " without an index");
                }
                out.path = p.path;
            }
        } else {
            a = cur->child(part);
            if (a) out.path.push_back(PlugElem{a, -1});
        }
        if (!a) return fail("No object matches name: " + n->name + "." + text);
        cur = a;
        if (e == std::string::npos) break;
        i = e;
        if (text[i] == '[') {
            size_t close = text.find(']', i);
            if (close == std::string::npos) return fail("Invalid attribute index: " + text);
            std::string idx = text.substr(i + 1, close - i - 1);
            if (!cur->array) return fail("Attribute '" + part + "' is not an array");
            if (idx.empty() || idx.size() > 9 || idx.find_first_not_of("0123456789") != std::string::npos)
                return fail("Invalid attribute index: " + text);
            out.path.back().index = std::stoi(idx);
            i = close + 1;
            if (i == text.size()) break;
            if (text[i] != '.') return fail("Invalid attribute name: " + text);
        }
        ++i;  // skip '.'
        if (i > text.size()) break;
    }
    return !out.path.empty();
}

bool Scene::parsePlug(const std::string& text, Plug& out, std::string* error) const {
    out = Plug();
    size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0) {
        if (error) *error = "Invalid plug name: " + text;
        return false;
    }
    Node* n = find(text.substr(0, dot), error);
    if (!n) return false;
    return parseAttrPath(n, text.substr(dot + 1), out, error);
}

}  // namespace host::scene
