// Plug values, connections and pull evaluation.
#include "scene/core/scene.h"

#include <maya/MDataBlock.h>
#include <maya/MPxNode.h>
#include <maya/MPlug.h>
#include <maya/MTime.h>

#include "api/math/units.h"

#include <algorithm>
#include <cmath>

namespace host::scene {

double Scene::fps() const {
    double f = host::math::framesPerSecond(MTime::uiUnit());
    return f > 0 ? f : 24.0;
}

// ---------------------------------------------------------------- storage

Slot* Scene::slot(const Plug& p, bool create) {
    if (p.isNull() || p.node->deleted) return nullptr;
    Node* n = p.node;
    Attribute* top = p.path[0].attr;
    if (top->index < 0 || static_cast<size_t>(top->index) >= n->attributeCount() || n->attributeAt(top->index) != top)
        return nullptr;
    Slot* s = &n->slotFor(top);
    for (size_t i = 0; i < p.path.size(); ++i) {
        const PlugElem& e = p.path[i];
        if (i > 0) {
            Attribute* par = e.attr->parent;
            if (!par || par != p.path[i - 1].attr) return nullptr;
            if (s->children.size() < par->children.size()) {
                if (!create) return nullptr;
                s->children.resize(par->children.size());
            }
            s = &s->children[static_cast<size_t>(e.attr->childIndex)];
        }
        if (e.attr->array) {
            if (e.index < 0) {
                if (i + 1 != p.path.size()) return nullptr;
                return s;
            }
            auto it = s->elements.find(static_cast<unsigned>(e.index));
            if (it == s->elements.end()) {
                if (!create) return nullptr;
                it = s->elements.emplace(static_cast<unsigned>(e.index), Slot()).first;
            }
            s = &it->second;
        }
    }
    return s;
}

static Value defaultValue(const Attribute* a) {
    switch (a->kind) {
    case AttrKind::Numeric:
    case AttrKind::Enum:
    case AttrKind::Unit:
        if (a->isCompound()) return Value();
        return a->defaultNumber;
    case AttrKind::Typed:
        if (a->dataType == "string") return a->defaultString;
        return Value();
    case AttrKind::Matrix:
    case AttrKind::FloatMatrix:
        return a->defaultMatrix;
    default:
        return Value();
    }
}

bool Scene::isLocked(const Plug& p) const {
    if (p.isNull()) return false;
    Scene* self = const_cast<Scene*>(this);
    for (Plug q = p; !q.isNull(); q = q.parentPlug()) {
        Slot* s = self->slot(q, false);
        if (s && s->locked) return true;
        if (q.isElement()) {
            Slot* a = self->slot(q.arrayPlug(), false);
            if (a && a->locked) return true;
        }
    }
    return false;
}

MStatus Scene::setLocked(const Plug& p, bool on) {
    Slot* s = slot(p, true);
    if (!s) return MStatus::kInvalidParameter;
    s->locked = on;
    return MStatus::kSuccess;
}

std::vector<unsigned> Scene::logicalIndices(const Plug& ap) const {
    std::vector<unsigned> out;
    if (ap.isNull() || !ap.isArray()) return out;
    Scene* self = const_cast<Scene*>(this);
    if (Slot* s = self->slot(ap, false))
        for (const auto& e : s->elements) out.push_back(e.first);
    const size_t n = ap.path.size();
    auto consider = [&](const PlugPath& path) {
        if (path.size() < n) return;
        for (size_t i = 0; i + 1 < n; ++i)
            if (!(path[i] == ap.path[i])) return;
        if (path[n - 1].attr == ap.path[n - 1].attr && path[n - 1].index >= 0)
            out.push_back(static_cast<unsigned>(path[n - 1].index));
    };
    for (const auto& in : ap.node->inputs) consider(in.first);
    for (const auto& o : ap.node->outputs) consider(o.first);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

MStatus Scene::removeElement(const Plug& e) {
    if (!e.isElement()) return MStatus::kInvalidParameter;
    for (const Connection& c : connections(e, true, true, true)) disconnect(c.src, c.dst);
    Slot* a = slot(e.arrayPlug(), false);
    if (a) a->elements.erase(static_cast<unsigned>(e.path.back().index));
    touch();
    return MStatus::kSuccess;
}

// ---------------------------------------------------------------- evaluation

static bool isComputed(const Plug& p) {
    for (Attribute* a = p.attr(); a; a = a->parent)
        if (a->computed) return true;
    return false;
}

// When an ancestor plug of p is a connected destination, the matching plug
// below its source ("t" <- "t" gives "tx" <- "tx").
static Plug viaConnectedAncestor(const Plug& p) {
    for (size_t len = p.path.size() - 1; len >= 1; --len) {
        PlugPath prefix(p.path.begin(), p.path.begin() + static_cast<long>(len));
        auto it = p.node->inputs.find(prefix);
        if (it == p.node->inputs.end()) continue;
        Plug src = it->second;
        for (size_t k = len; k < p.path.size(); ++k) {
            Attribute* sa = src.attr();
            Attribute* want = p.path[k].attr;
            if (!sa || want->childIndex < 0 || static_cast<size_t>(want->childIndex) >= sa->children.size())
                return Plug();
            src.path.push_back(PlugElem{sa->children[static_cast<size_t>(want->childIndex)].get(), p.path[k].index});
        }
        return src;
    }
    return Plug();
}

Value Scene::evaluate(const Plug& p, int depth) {
    if (p.isNull() || p.node->deleted || !p.isFullyIndexed()) return Value();
    Node* n = p.node;
    Attribute* a = p.attr();
    if (depth < 64) {
        auto it = n->inputs.find(p.path);
        if (it != n->inputs.end()) return evaluate(it->second, depth + 1);
        if (p.path.size() > 1) {
            Plug src = viaConnectedAncestor(p);
            if (!src.isNull()) return evaluate(src, depth + 1);
        }
    }
    if (isComputed(p) && depth < 64) {
        Slot* s = slot(p, true);
        if (s && s->gen != gen_ && std::find(evaluating_.begin(), evaluating_.end(), s) == evaluating_.end()) {
            evaluating_.push_back(s);
            MStatus st = MStatus::kUnknownParameter;
            if (n->user) {
                MPlug mp(p);
                MDataBlock block = n->user->forceCache();
                st = n->user->compute(mp, block);
            }
            if (st == MStatus::kUnknownParameter) {
                if (ComputeFn f = n->type->computeFn()) st = f(*n, p);
            }
            evaluating_.pop_back();
            // The slot may have moved when compute created siblings; look it up again.
            s = slot(p, true);
            if (s) s->gen = gen_;
        }
        if (s && s->value.index() != 0) return s->value;
        return defaultValue(a);
    }
    Slot* s = slot(p, false);
    if (s && s->value.index() != 0) return s->value;
    return defaultValue(a);
}

Value Scene::get(const Plug& p) { return evaluate(p, 0); }

double Scene::getDouble(const Plug& p) {
    Value v = get(p);
    if (auto d = std::get_if<double>(&v)) return *d;
    return 0.0;
}

std::string Scene::getString(const Plug& p) {
    Value v = get(p);
    if (auto s = std::get_if<std::string>(&v)) return *s;
    if (auto d = std::get_if<DataPtr>(&v))
        if (auto sd = std::dynamic_pointer_cast<StringData>(*d)) return sd->value;
    return std::string();
}

Matrix4 Scene::getMatrix(const Plug& p) {
    Value v = get(p);
    if (auto m = std::get_if<Matrix4>(&v)) return *m;
    if (auto d = std::get_if<DataPtr>(&v))
        if (auto md = std::dynamic_pointer_cast<MatrixData>(*d)) return md->value;
    return Matrix4();
}

DataPtr Scene::getData(const Plug& p) {
    Value v = get(p);
    if (auto d = std::get_if<DataPtr>(&v)) return *d;
    if (auto s = std::get_if<std::string>(&v)) {
        auto sd = std::make_shared<StringData>();
        sd->value = *s;
        return sd;
    }
    if (auto m = std::get_if<Matrix4>(&v)) {
        auto md = std::make_shared<MatrixData>();
        md->value = *m;
        return md;
    }
    return nullptr;
}

std::vector<double> Scene::getNumbers(const Plug& p) {
    std::vector<double> out;
    if (p.isNull()) return out;
    Attribute* a = p.attr();
    if (a->isCompound() && !p.isArray()) {
        for (size_t i = 0; i < a->children.size(); ++i) {
            std::vector<double> c = getNumbers(p.child(static_cast<unsigned>(i)));
            out.insert(out.end(), c.begin(), c.end());
        }
        return out;
    }
    Value v = get(p);
    if (auto d = std::get_if<double>(&v)) out.push_back(*d);
    return out;
}

void Scene::setComputed(const Plug& p, const Value& v) {
    Slot* s = slot(p, true);
    if (!s) return;
    s->value = v;
    s->gen = gen_;
}

// ---------------------------------------------------------------- writing

static double conform(const Attribute* a, double v) {
    if (a->hasMin && v < a->minValue) v = a->minValue;
    if (a->hasMax && v > a->maxValue) v = a->maxValue;
    switch (a->kind == AttrKind::Enum ? NumericType::kShort : a->numeric) {
    case NumericType::kBoolean: return v != 0 ? 1.0 : 0.0;
    case NumericType::kByte: return static_cast<double>(static_cast<unsigned char>(std::lround(v)));
    case NumericType::kChar: return static_cast<double>(static_cast<signed char>(std::lround(v)));
    case NumericType::kShort: return static_cast<double>(static_cast<short>(std::lround(v)));
    case NumericType::kLong: return static_cast<double>(static_cast<int>(std::llround(v)));
    case NumericType::kInt64: return static_cast<double>(std::llround(v));
    case NumericType::kFloat: return static_cast<double>(static_cast<float>(v));
    default: return v;
    }
}

MStatus Scene::set(const Plug& p, const Value& v, std::string* error, bool force) {
    auto fail = [&](const std::string& why, MStatus::MStatusCode code = MStatus::kFailure) {
        if (error) *error = why;
        return MStatus(code);
    };
    if (p.isNull() || p.node->deleted) return fail("No plug to set", MStatus::kInvalidParameter);
    if (!p.isFullyIndexed() || p.isArray()) return fail("The attribute '" + p.name() + "' needs an index", MStatus::kInvalidParameter);
    Attribute* a = p.attr();
    if (!force) {
        if (isLocked(p) || !sourceOf(p).isNull() || !viaConnectedAncestor(p).isNull())
            return fail("The attribute '" + p.name(true) + "' is locked or connected and cannot be modified.");
        if (!a->writable) return fail("The attribute '" + p.name(true) + "' is not writable.");
    }
    Value store;
    switch (a->kind) {
    case AttrKind::Numeric:
    case AttrKind::Enum:
    case AttrKind::Unit: {
        if (a->isCompound()) {
            if (auto d = std::get_if<double>(&v)) return setNumbers(p, std::vector<double>(a->children.size(), *d), error);
            return fail("Wrong value kind for '" + p.name(true) + "'", MStatus::kInvalidParameter);
        }
        const double* d = std::get_if<double>(&v);
        if (!d) return fail("Wrong value kind for '" + p.name(true) + "'", MStatus::kInvalidParameter);
        store = conform(a, *d);
        break;
    }
    case AttrKind::Typed: {
        if (a->dataType == "string") {
            if (auto s = std::get_if<std::string>(&v)) store = *s;
            else if (auto dp = std::get_if<DataPtr>(&v)) {
                auto sd = std::dynamic_pointer_cast<StringData>(*dp);
                if (!sd) return fail("Wrong data type for '" + p.name(true) + "'", MStatus::kInvalidParameter);
                store = sd->value;
            } else return fail("Wrong value kind for '" + p.name(true) + "'", MStatus::kInvalidParameter);
        } else if (auto dp = std::get_if<DataPtr>(&v)) {
            if (*dp && !a->dataType.empty() && (*dp)->typeName() != a->dataType &&
                !std::dynamic_pointer_cast<GenericData>(*dp))
                return fail("Wrong data type for '" + p.name(true) + "': " + (*dp)->typeName(), MStatus::kInvalidParameter);
            store = *dp;
        } else if (v.index() == 0) {
            store = Value();
        } else if (auto s = std::get_if<std::string>(&v); s && a->dataType.empty()) {
            store = *s;
        } else {
            return fail("Wrong value kind for '" + p.name(true) + "'", MStatus::kInvalidParameter);
        }
        break;
    }
    case AttrKind::Matrix:
    case AttrKind::FloatMatrix:
        if (auto m = std::get_if<Matrix4>(&v)) store = *m;
        else if (auto dp = std::get_if<DataPtr>(&v)) {
            auto md = std::dynamic_pointer_cast<MatrixData>(*dp);
            if (!md) return fail("Wrong data type for '" + p.name(true) + "'", MStatus::kInvalidParameter);
            store = md->value;
        } else return fail("Wrong value kind for '" + p.name(true) + "'", MStatus::kInvalidParameter);
        if (a->kind == AttrKind::FloatMatrix) {
            Matrix4& m = std::get<Matrix4>(store);
            for (auto& r : m.m)
                for (double& x : r) x = static_cast<float>(x);
        }
        break;
    case AttrKind::Message:
        return fail("Message attributes hold no value: '" + p.name(true) + "'", MStatus::kInvalidParameter);
    case AttrKind::Compound:
        return fail("Compound attributes are set through their children: '" + p.name(true) + "'", MStatus::kInvalidParameter);
    case AttrKind::Generic:
        store = v;
        break;
    }
    Slot* s = slot(p, true);
    if (!s) return fail("No plug to set", MStatus::kInvalidParameter);
    s->value = std::move(store);
    s->hasValue = true;
    // Mark the element path as present (parents of array elements exist).
    touch();
    if (p.node->user) {
        // Plug-in nodes with internal values hear about it through setInternalValue.
    }
    return MStatus::kSuccess;
}

MStatus Scene::setDouble(const Plug& p, double v, std::string* error) { return set(p, Value(v), error); }

MStatus Scene::setNumbers(const Plug& p, const std::vector<double>& v, std::string* error) {
    if (p.isNull()) return MStatus::kInvalidParameter;
    Attribute* a = p.attr();
    if (!a->isCompound()) {
        if (v.size() != 1) {
            if (error) *error = "Wrong number of values for '" + p.name(true) + "'";
            return MStatus::kInvalidParameter;
        }
        return set(p, Value(v[0]), error);
    }
    size_t need = 0;
    std::function<size_t(const Attribute*)> count = [&](const Attribute* x) -> size_t {
        if (!x->isCompound()) return x->isScalarNumeric() ? 1 : 0;
        size_t c = 0;
        for (const auto& k : x->children) c += count(k.get());
        return c;
    };
    need = count(a);
    if (v.size() != need || need == 0) {
        if (error) *error = "Wrong number of values for '" + p.name(true) + "': " + std::to_string(v.size()) + " for " + std::to_string(need);
        return MStatus::kInvalidParameter;
    }
    if (isLocked(p) || !sourceOf(p).isNull()) {
        if (error) *error = "The attribute '" + p.name(true) + "' is locked or connected and cannot be modified.";
        return MStatus::kFailure;
    }
    size_t k = 0;
    MStatus result;
    std::function<void(const Plug&)> put = [&](const Plug& q) {
        Attribute* x = q.attr();
        if (!x->isCompound()) {
            if (x->isScalarNumeric()) {
                MStatus st = set(q, Value(v[k++]), error);
                if (st.error() && !result.error()) result = st;
            }
            return;
        }
        for (size_t i = 0; i < x->children.size(); ++i) put(q.child(static_cast<unsigned>(i)));
    };
    put(p);
    return result;
}

MStatus Scene::setString(const Plug& p, const std::string& v, std::string* error) { return set(p, Value(v), error); }
MStatus Scene::setMatrix(const Plug& p, const Matrix4& m, std::string* error) { return set(p, Value(m), error); }
MStatus Scene::setData(const Plug& p, DataPtr d, std::string* error) { return set(p, Value(std::move(d)), error); }

// ---------------------------------------------------------------- connections

namespace {
enum class Cat { Number, Compound, Matrix, Typed, Message, Generic };
Cat category(const Attribute* a) {
    switch (a->kind) {
    case AttrKind::Numeric:
    case AttrKind::Enum:
    case AttrKind::Unit: return a->isCompound() ? Cat::Compound : Cat::Number;
    case AttrKind::Compound: return Cat::Compound;
    case AttrKind::Matrix:
    case AttrKind::FloatMatrix: return Cat::Matrix;
    case AttrKind::Typed: return Cat::Typed;
    case AttrKind::Message: return Cat::Message;
    case AttrKind::Generic: return Cat::Generic;
    }
    return Cat::Generic;
}

bool compatible(const Attribute* s, const Attribute* d) {
    Cat cs = category(s), cd = category(d);
    if (cs == Cat::Generic || cd == Cat::Generic || cd == Cat::Message) return true;
    if (cs != cd) {
        // Typed "matrix" data and matrix attributes interoperate.
        if ((cs == Cat::Matrix && cd == Cat::Typed && (d->dataType.empty() || d->dataType == "matrix")) ||
            (cd == Cat::Matrix && cs == Cat::Typed && (s->dataType.empty() || s->dataType == "matrix")))
            return true;
        return false;
    }
    if (cs == Cat::Compound) {
        if (s->children.size() != d->children.size()) return false;
        for (size_t i = 0; i < s->children.size(); ++i)
            if (!compatible(s->children[i].get(), d->children[i].get())) return false;
        return true;
    }
    if (cs == Cat::Typed) return s->dataType.empty() || d->dataType.empty() || s->dataType == d->dataType;
    return true;
}
}  // namespace

Plug Scene::sourceOf(const Plug& dst) const {
    if (dst.isNull()) return Plug();
    auto it = dst.node->inputs.find(dst.path);
    return it == dst.node->inputs.end() ? Plug() : it->second;
}

std::vector<Plug> Scene::destinationsOf(const Plug& src) const {
    std::vector<Plug> out;
    if (src.isNull()) return out;
    for (const auto& o : src.node->outputs)
        if (o.first == src.path) out.push_back(o.second);
    return out;
}

static bool hasPrefix(const PlugPath& path, const PlugPath& prefix, bool arrayWildcard) {
    if (path.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (path[i].attr != prefix[i].attr) return false;
        bool last = i + 1 == prefix.size();
        if (path[i].index != prefix[i].index && !(last && arrayWildcard && prefix[i].index < 0)) return false;
    }
    return true;
}

std::vector<Connection> Scene::connections(const Plug& p, bool asSrc, bool asDst, bool withChildren) const {
    std::vector<Connection> out;
    if (p.isNull()) return out;
    bool wild = withChildren && p.isArray();
    if (asDst)
        for (const auto& in : p.node->inputs) {
            bool hit = withChildren ? hasPrefix(in.first, p.path, wild) : in.first == p.path;
            if (hit) out.push_back(Connection{in.second, Plug{p.node, in.first}});
        }
    if (asSrc)
        for (const auto& o : p.node->outputs) {
            bool hit = withChildren ? hasPrefix(o.first, p.path, wild) : o.first == p.path;
            if (hit) out.push_back(Connection{Plug{p.node, o.first}, o.second});
        }
    return out;
}

std::vector<Connection> Scene::allConnections() const {
    std::vector<Connection> out;
    for (const auto& n : nodes_)
        for (const auto& o : n->outputs) out.push_back(Connection{Plug{n.get(), o.first}, o.second});
    return out;
}

MStatus Scene::connect(const Plug& src, const Plug& dst, bool force, std::string* error) {
    auto fail = [&](const std::string& why, MStatus::MStatusCode code = MStatus::kFailure) {
        if (error) *error = why;
        return MStatus(code);
    };
    if (src.isNull() || dst.isNull() || src.node->deleted || dst.node->deleted)
        return fail("No plug to connect", MStatus::kInvalidParameter);
    const std::string names = "'" + src.name() + "' -> '" + dst.name() + "'";
    if (src == dst) return fail("Connection not made: " + names + ". Source and destination are the same plug.");
    if (!src.isFullyIndexed() || !dst.isFullyIndexed())
        return fail("Connection not made: " + names + ". Plugs below arrays need indices.", MStatus::kInvalidParameter);
    if (src.isArray() != dst.isArray())
        return fail("Connection not made: " + names + ". An array plug connects only to an array plug.", MStatus::kInvalidParameter);
    Attribute* sa = src.attr();
    Attribute* da = dst.attr();
    if (!sa->readable || !sa->connectable) return fail("Connection not made: " + names + ". Source is not readable.");
    if (!da->writable || !da->connectable) return fail("Connection not made: " + names + ". Destination is not writable.");
    if (!compatible(sa, da))
        return fail("Connection not made: " + names + ". Data types of source and destination are not compatible.");
    if (isLocked(dst)) return fail("Connection not made: " + names + ". Destination attribute is locked.");
    Plug old = sourceOf(dst);
    if (old == src) return fail("'" + src.name() + "' is already connected to '" + dst.name() + "'.");
    if (!old.isNull()) {
        if (!force) return fail("'" + dst.name() + "' already has an incoming connection from '" + old.name() + "'.");
        disconnect(old, dst);
    }
    // A destination whose parent or child is driven cannot take another input.
    for (size_t len = dst.path.size() - 1; len >= 1; --len) {
        PlugPath prefix(dst.path.begin(), dst.path.begin() + static_cast<long>(len));
        auto it = dst.node->inputs.find(prefix);
        if (it != dst.node->inputs.end()) {
            if (!force) return fail("'" + Plug{dst.node, prefix}.name() + "' already has an incoming connection.");
            disconnect(it->second, Plug{dst.node, prefix});
        }
    }
    for (const Connection& c : connections(dst, false, true, true)) {
        if (c.dst == dst) continue;
        if (!force) return fail("A child of '" + dst.name() + "' already has an incoming connection.");
        disconnect(c.src, c.dst);
    }
    dst.node->inputs[dst.path] = src;
    src.node->outputs.emplace_back(src.path, dst);
    touch();
    if (src.node->user) src.node->user->connectionMade(MPlug(src), MPlug(dst), true);
    if (dst.node->user) dst.node->user->connectionMade(MPlug(dst), MPlug(src), false);
    return MStatus::kSuccess;
}

MStatus Scene::disconnect(const Plug& src, const Plug& dst, std::string* error) {
    if (src.isNull() || dst.isNull()) return MStatus::kInvalidParameter;
    auto it = dst.node->inputs.find(dst.path);
    if (it == dst.node->inputs.end() || it->second != src) {
        if (error) *error = "There is no connection from '" + src.name() + "' to '" + dst.name() + "' to disconnect.";
        return MStatus::kNotFound;
    }
    dst.node->inputs.erase(it);
    auto& outs = src.node->outputs;
    for (auto o = outs.begin(); o != outs.end(); ++o)
        if (o->first == src.path && o->second == dst) {
            outs.erase(o);
            break;
        }
    touch();
    if (src.node->user && !src.node->deleted) src.node->user->connectionBroken(MPlug(src), MPlug(dst), true);
    if (dst.node->user && !dst.node->deleted) dst.node->user->connectionBroken(MPlug(dst), MPlug(src), false);
    return MStatus::kSuccess;
}

void Scene::disconnectAll(Node* n) {
    std::vector<Connection> all;
    for (const auto& in : n->inputs) all.push_back(Connection{in.second, Plug{n, in.first}});
    for (const auto& o : n->outputs) all.push_back(Connection{Plug{n, o.first}, o.second});
    for (const Connection& c : all) disconnect(c.src, c.dst);
}

}  // namespace host::scene
