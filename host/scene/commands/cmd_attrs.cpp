// Attribute commands: getAttr, setAttr, addAttr, deleteAttr, attributeQuery.
#include "scene/commands/cmd_common.h"
#include "scene/commands/file_records.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace host::scene::cmds {

namespace {

Scene& S() { return scene(); }

bool isIntNumeric(NumericType t) {
    switch (t) {
    case NumericType::kBoolean:
    case NumericType::kByte:
    case NumericType::kChar:
    case NumericType::kShort:
    case NumericType::kLong:
    case NumericType::kInt64:
        return true;
    default:
        return false;
    }
}

bool isFlagWord(const MelValue& v) {
    if (!v.isString()) return false;
    const std::string& s = v.stringRef();
    return s.size() >= 2 && s[0] == '-' && std::isalpha(static_cast<unsigned char>(s[1]));
}

// Leaves of a plug that hold one number each, in child order.
void leafPlugs(const Plug& p, std::vector<Plug>& out) {
    Attribute* a = p.attr();
    if (a && a->isCompound() && !p.isArray()) {
        for (unsigned i = 0; i < a->children.size(); ++i) {
            Plug c = p.child(i);
            if (c.attr()->array) continue;  // nested multis are set element by element
            leafPlugs(c, out);
        }
        return;
    }
    out.push_back(p);
}

bool leafIsNumber(const Attribute* a) {
    return a->kind == AttrKind::Numeric || a->kind == AttrKind::Enum || a->kind == AttrKind::Unit;
}

void appendData(const DataPtr& d, std::vector<double>& nums, std::vector<std::string>& strs, bool& isString) {
    if (!d) return;
    if (auto* s = dynamic_cast<StringData*>(d.get())) {
        strs.push_back(s->value);
        isString = true;
    } else if (auto* sa = dynamic_cast<StringArrayData*>(d.get())) {
        for (auto& x : sa->values) strs.push_back(x);
        isString = true;
    } else if (auto* cl = dynamic_cast<ComponentListData*>(d.get())) {
        for (auto& x : cl->items) strs.push_back(x);
        isString = true;
    } else if (auto* da = dynamic_cast<DoubleArrayData*>(d.get())) {
        nums.insert(nums.end(), da->values.begin(), da->values.end());
    } else if (auto* ia = dynamic_cast<Int32ArrayData*>(d.get())) {
        for (int x : ia->values) nums.push_back(x);
    } else if (auto* pa = dynamic_cast<PointArrayData*>(d.get())) {
        for (auto& pt : pa->values) nums.insert(nums.end(), pt.begin(), pt.end());
    } else if (auto* va = dynamic_cast<VectorArrayData*>(d.get())) {
        for (auto& v : va->values) nums.insert(nums.end(), v.begin(), v.end());
    } else if (auto* md = dynamic_cast<MatrixData*>(d.get())) {
        for (auto& r : md->value.m) nums.insert(nums.end(), r, r + 4);
    }
}

}  // namespace

// One plug's value as getAttr returns it.
MelValue plugValue(const Plug& p, bool asString) {
    Attribute* a = p.attr();
    if (!a) return MelValue();
    if (p.isArray()) {
        std::vector<double> nums;
        std::vector<std::string> strs;
        bool allInt = true, isString = false;
        for (unsigned idx : S().logicalIndices(p)) {
            MelValue v = plugValue(p.element(idx), false);
            switch (v.type()) {
            case host::mel::Type::Int: nums.push_back(v.asInt()); break;
            case host::mel::Type::Float: nums.push_back(v.asFloat()); allInt = false; break;
            case host::mel::Type::String: strs.push_back(v.asString()); isString = true; break;
            case host::mel::Type::IntArray:
                for (int x : v.ints()) nums.push_back(x);
                break;
            case host::mel::Type::FloatArray:
                nums.insert(nums.end(), v.floats().begin(), v.floats().end());
                allInt = false;
                break;
            case host::mel::Type::StringArray:
                strs.insert(strs.end(), v.strings().begin(), v.strings().end());
                isString = true;
                break;
            default: break;
            }
        }
        if (isString) return MelValue(strs);
        if (allInt && !nums.empty() && a->kind != AttrKind::Compound && !a->isCompound()) {
            std::vector<int> ints(nums.begin(), nums.end());
            return MelValue(ints);
        }
        return MelValue(nums);
    }
    if (a->isCompound()) {
        std::vector<Plug> leaves;
        leafPlugs(p, leaves);
        std::vector<double> out;
        for (const Plug& l : leaves) {
            Attribute* la = l.attr();
            if (leafIsNumber(la)) out.push_back(toUiUnits(unitOf(la), S().getDouble(l)));
            else if (la->kind == AttrKind::Matrix || la->kind == AttrKind::FloatMatrix) {
                Matrix4 m = S().getMatrix(l);
                for (auto& r : m.m) out.insert(out.end(), r, r + 4);
            }
        }
        return MelValue(out);
    }
    switch (a->kind) {
    case AttrKind::Numeric: {
        double v = S().getDouble(p);
        if (isIntNumeric(a->numeric)) return MelValue(static_cast<int>(std::llround(v)));
        return MelValue(v);
    }
    case AttrKind::Enum: {
        int v = static_cast<int>(std::llround(S().getDouble(p)));
        if (asString) {
            for (const auto& f : a->fields)
                if (f.second == v) return MelValue(f.first);
            return MelValue(std::to_string(v));
        }
        return MelValue(v);
    }
    case AttrKind::Unit: return MelValue(toUiUnits(a->unit, S().getDouble(p)));
    case AttrKind::Matrix:
    case AttrKind::FloatMatrix: {
        Matrix4 m = S().getMatrix(p);
        std::vector<double> out;
        for (auto& r : m.m) out.insert(out.end(), r, r + 4);
        return MelValue(out);
    }
    case AttrKind::Message: return MelValue();
    case AttrKind::Typed:
    case AttrKind::Generic:
    case AttrKind::Compound: {
        scene::Value v = S().get(p);
        if (auto* d = std::get_if<double>(&v)) return MelValue(*d);
        if (auto* s = std::get_if<std::string>(&v)) return MelValue(*s);
        if (auto* m = std::get_if<Matrix4>(&v)) {
            std::vector<double> out;
            for (auto& r : m->m) out.insert(out.end(), r, r + 4);
            return MelValue(out);
        }
        if (auto* dp = std::get_if<DataPtr>(&v)) {
            const DataPtr& d = *dp;
            if (!d) return a->dataType == "string" ? MelValue(std::string()) : MelValue();
            std::vector<double> nums;
            std::vector<std::string> strs;
            bool isStr = false;
            if (dynamic_cast<StringData*>(d.get())) {
                return MelValue(static_cast<StringData*>(d.get())->value);
            }
            if (auto* ia = dynamic_cast<Int32ArrayData*>(d.get())) return MelValue(ia->values);
            appendData(d, nums, strs, isStr);
            if (isStr) return MelValue(strs);
            if (auto* g = dynamic_cast<GenericData*>(d.get())) return MelValue(g->tokens);
            return MelValue(nums);
        }
        if (a->kind == AttrKind::Typed && a->dataType == "string") return MelValue(std::string());
        return MelValue();
    }
    }
    return MelValue();
}

namespace {

// ------------------------------------------------------------------ getAttr
MelValue getAttrCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("typ", "type")
                                   .flag("s", "size")
                                   .flag("l", "lock")
                                   .flag("k", "keyable")
                                   .flag("cb", "channelBox")
                                   .flag("t", "time", {ArgType::Float})
                                   .flag("as", "asString")
                                   .flag("sl", "silent")
                                   .flag("x", "expandEnvironmentVariables")
                                   .flag("se", "settable")
                                   .flag("mi", "multiIndices")
                                   .flag("ca", "caching")
                                   .flag("c", "clamp")
                                   .objects(1, 1);
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    if (words.empty()) fail("Not enough objects or values.");
    Plug pl;
    try {
        pl = findPlug(words[0]);
    } catch (const CommandError&) {
        if (a.isSet("sl")) return MelValue();
        throw;
    }
    Attribute* at = pl.attr();
    if (a.isSet("typ")) {
        if (at->kind == AttrKind::Typed || at->kind == AttrKind::Generic) {
            scene::Value v = S().get(pl);
            if (auto* d = std::get_if<DataPtr>(&v))
                if (*d) return MelValue((*d)->typeName());
            if (std::holds_alternative<std::string>(v)) return MelValue(std::string("string"));
        }
        return MelValue(at->typeString());
    }
    if (a.isSet("l")) return MelValue(S().isLocked(pl) ? 1 : 0);
    if (a.isSet("k")) return MelValue(plugKeyable(pl) ? 1 : 0);
    if (a.isSet("cb")) return MelValue(plugChannelBox(pl) ? 1 : 0);
    if (a.isSet("ca")) return MelValue(at->cached ? 1 : 0);
    if (a.isSet("se")) {
        bool settable = at->writable && !S().isLocked(pl) && S().sourceOf(pl).isNull();
        return MelValue(settable ? 1 : 0);
    }
    if (a.isSet("mi")) {
        if (!pl.isArray()) fail("'" + plugLabel(pl) + "' is not a multi attribute.");
        std::vector<int> idx;
        for (unsigned i : S().logicalIndices(pl)) idx.push_back(static_cast<int>(i));
        return MelValue(idx);
    }
    if (a.isSet("s")) {
        if (pl.isArray()) return MelValue(static_cast<int>(S().logicalIndices(pl).size()));
        MelValue v = plugValue(pl, false);
        if (at->kind == AttrKind::Typed && v.isArray()) return MelValue(static_cast<int>(v.size()));
        return MelValue(1);
    }
    if (at->kind == AttrKind::Message && !pl.isArray())
        fail("The value for the attribute '" + plugLabel(pl) + "' could not be retrieved.");
    MelValue out;
    if (a.isSet("t")) {
        double saved = S().currentTime();
        S().setCurrentTime(fromUiUnits(UnitType::kTime, a.flagFloat("t")));
        try {
            out = plugValue(pl, a.isSet("as"));
        } catch (...) {
            S().setCurrentTime(saved);
            throw;
        }
        S().setCurrentTime(saved);
    } else {
        out = plugValue(pl, a.isSet("as"));
    }
    if (a.isSet("x") && out.isString()) {
        // $VAR and ${VAR} expand from the environment.
        std::string s = out.asString(), r;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] != '$') {
                r += s[i];
                continue;
            }
            std::size_t j = i + 1;
            bool brace = j < s.size() && s[j] == '{';
            if (brace) ++j;
            std::size_t k = j;
            while (k < s.size() && (std::isalnum(static_cast<unsigned char>(s[k])) || s[k] == '_')) ++k;
            std::string var = s.substr(j, k - j);
            if (brace && k < s.size() && s[k] == '}') ++k;
            const char* val = var.empty() ? nullptr : std::getenv(var.c_str());
            if (val) r += val;
            else r += s.substr(i, k - i);
            i = k - 1;
        }
        out = MelValue(r);
    }
    return out;
}

// ------------------------------------------------------------------ setAttr
struct SetAttrArgs {
    std::string plug;
    std::string type;
    int lock = -1, keyable = -1, channelBox = -1, caching = -1;
    int size = -1;
    bool altered = false;  // -av: marks the value as edited; alone it changes nothing
    std::vector<MelValue> values;
};

bool boolWord(const MelValue& v, bool& out) { return host::mel::parseBoolWord(v, out); }

SetAttrArgs parseSetAttr(const std::vector<MelValue>& words) {
    SetAttrArgs r;
    bool havePlug = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const MelValue& w = words[i];
        if (w.isArray()) {
            // Arrays passed in function syntax spread into words.
            for (std::size_t k = 0; k < w.size(); ++k) {
                if (!havePlug) {
                    r.plug = w.element(k).asString();
                    havePlug = true;
                } else {
                    r.values.push_back(w.element(k));
                }
            }
            continue;
        }
        if (isFlagWord(w)) {
            const std::string f = w.stringRef().substr(1);
            auto needArg = [&](const std::string& longName) -> const MelValue& {
                if (i + 1 >= words.size()) fail("Flag '-" + longName + "' needs 1 argument(s)");
                return words[++i];
            };
            auto boolArg = [&](const std::string& longName, int& out) {
                const MelValue& v = needArg(longName);
                bool b = false;
                if (!boolWord(v, b))
                    fail("Invalid argument 1 for flag '-" + longName + "'. Expected boolean, got " +
                         (v.isString() ? "string \"" + v.asString() + "\"" : std::string(host::mel::typeName(v.type()))));
                out = b ? 1 : 0;
            };
            if (f == "type" || f == "typ") r.type = needArg("type").asString();
            else if (f == "l" || f == "lock") boolArg("lock", r.lock);
            else if (f == "k" || f == "keyable") boolArg("keyable", r.keyable);
            else if (f == "cb" || f == "channelBox") boolArg("channelBox", r.channelBox);
            else if (f == "ca" || f == "caching") boolArg("caching", r.caching);
            else if (f == "s" || f == "size") {
                const MelValue& v = needArg("size");
                if (!v.isNumber()) fail("Invalid argument 1 for flag '-size'. Expected int, got string \"" + v.asString() + "\"");
                r.size = v.asInt();
            } else if (f == "av" || f == "alteredValue") {
                r.altered = true;
            } else if (f == "c" || f == "clamp") {
                // Accepted; values are always clamped to the attribute's range.
            } else if (f == "ch" || f == "capacityHint") {
                const MelValue& v = needArg("capacityHint");
                if (!v.isNumber()) fail("Invalid argument 1 for flag '-capacityHint'. Expected int, got string \"" + v.asString() + "\"");
            } else if (havePlug) {
                r.values.push_back(w);  // a string value that looks like a flag
            } else {
                fail("Invalid flag '" + w.stringRef() + "'");
            }
            continue;
        }
        if (!havePlug) {
            r.plug = w.asString();
            havePlug = true;
        } else {
            r.values.push_back(w);
        }
    }
    if (!havePlug) fail("Not enough objects or values.");
    return r;
}

// Expands the first "[a:b]" of a plug text into one text per index.
// At most `limit` indices: a range cannot name more elements than the
// statement has values for.
std::vector<std::string> expandRange(const std::string& text, std::size_t limit) {
    std::size_t open = 0;
    while ((open = text.find('[', open)) != std::string::npos) {
        std::size_t close = text.find(']', open);
        if (close == std::string::npos) break;
        std::string inner = text.substr(open + 1, close - open - 1);
        std::size_t colon = inner.find(':');
        if (colon != std::string::npos) {
            std::string lo = inner.substr(0, colon), hi = inner.substr(colon + 1);
            auto digits = [](const std::string& s) {
                return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
            };
            if (!digits(lo) || !digits(hi)) fail("No object matches name: " + text);
            if (lo.size() > 10 || hi.size() > 10) fail("The index range of '" + text + "' is out of bounds.");
            long long a = std::stoll(lo), b = std::stoll(hi);
            if (b > 0xffffffffLL) fail("The index range of '" + text + "' is out of bounds.");
            if (b < a) fail("No object matches name: " + text);
            if (static_cast<std::size_t>(b - a) >= limit)
                fail("The range '" + text + "' names " + std::to_string(b - a + 1) +
                     " elements but the statement has data for at most " + std::to_string(limit) + ".");
            std::vector<std::string> out;
            std::string pre = text.substr(0, open + 1), post = text.substr(close);
            for (long long k = a; k <= b; ++k) out.push_back(pre + std::to_string(k) + post);
            return out;
        }
        open = close;
    }
    return {text};
}

// Number from a value word for leaf attribute a (UI units, bool words, enum names).
double numberWord(const MelValue& v, const Attribute* a, std::size_t elementNo) {
    if (v.isNumber()) return v.asFloat();
    std::string s = v.asString();
    bool b = false;
    if (s == "on" || s == "true" || s == "yes" || s == "off" || s == "false" || s == "no") {
        host::mel::parseBoolWord(v, b);
        return b ? 1.0 : 0.0;
    }
    if (a && a->kind == AttrKind::Enum)
        for (const auto& f : a->fields)
            if (f.first == s) return f.second;
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (!s.empty() && end && *end == '\0') return d;
    fail("Error reading data element number " + std::to_string(elementNo) + ": " + s);
}

int countWord(const std::vector<MelValue>& vals, std::size_t& cur, std::size_t limit) {
    if (cur >= vals.size()) fail("Not enough data was provided.");
    const MelValue& v = vals[cur++];
    double d = numberWord(v, nullptr, cur);
    if (d < 0 || d != std::floor(d) || d > static_cast<double>(limit)) fail("Error reading data element number " + std::to_string(cur) + ": " + v.asString());
    return static_cast<int>(d);
}

void need(const std::vector<MelValue>& vals, std::size_t cur, std::size_t n) {
    if (vals.size() < cur || vals.size() - cur < n) fail("Not enough data was provided.");
}

bool isNumericTypeName(const std::string& t, int& dims) {
    static const std::map<std::string, int> dimsOf = {
        {"double2", 2}, {"double3", 3}, {"double4", 4}, {"float2", 2}, {"float3", 3},
        {"long2", 2},   {"long3", 3},   {"short2", 2},  {"short3", 3}, {"int2", 2}, {"int3", 3}};
    auto it = dimsOf.find(t);
    if (it == dimsOf.end()) return false;
    dims = it->second;
    return true;
}

Matrix4 matrixFromXform(const std::vector<double>& v) {
    // "xform" form: scale(3) rotate(3, radians) rotateOrder(1) translate(3) ...
    Matrix4 S, T;
    S.m[0][0] = v[0];
    S.m[1][1] = v[1];
    S.m[2][2] = v[2];
    auto rot = [](int axis, double ang) {
        Matrix4 r;
        double c = std::cos(ang), s = std::sin(ang);
        int i = (axis + 1) % 3, j = (axis + 2) % 3;
        r.m[i][i] = c;
        r.m[i][j] = s;
        r.m[j][i] = -s;
        r.m[j][j] = c;
        return r;
    };
    static const int orders[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {1, 0, 2}, {2, 1, 0}};
    int ro = static_cast<int>(v[6]);
    if (ro < 0 || ro > 5) ro = 0;
    Matrix4 R;
    for (int k = 0; k < 3; ++k) R = R * rot(orders[ro][k], v[3 + orders[ro][k]]);
    T.m[3][0] = v[7];
    T.m[3][1] = v[8];
    T.m[3][2] = v[9];
    return S * R * T;
}

void storeOrFail(MStatus st, const std::string& err, const Plug& p) {
    if (!st) fail(err.empty() ? "Cannot set the value of '" + plugLabel(p) + "'." : err);
}

// Writes one plug from vals[cur...], advancing cur.
void assignPlug(const Plug& p, const std::string& typeGiven, const std::vector<MelValue>& vals, std::size_t& cur,
                std::vector<std::string>& textWords) {
    Attribute* a = p.attr();
    // Files continue long data in statements without -type (".fc[500:999]"):
    // the attribute's own data type applies.
    const std::string type = typeGiven.empty() && a->kind == AttrKind::Typed && !a->dataType.empty() &&
                                     a->dataType != "string" && !p.isArray()
                                 ? a->dataType
                                 : typeGiven;
    std::string err;
    auto textOf = [&]() -> const std::vector<std::string>& {
        if (textWords.empty())
            for (const MelValue& v : vals) {
                // Data parsers get numbers at full precision (MEL's own text form keeps 6 digits).
                char buf[32];
                if (v.type() == host::mel::Type::Float) std::snprintf(buf, sizeof buf, "%.17g", v.asFloat());
                textWords.push_back(v.type() == host::mel::Type::Float ? std::string(buf) : v.asString());
            }
        return textWords;
    };
    auto typedOk = [&](const std::string& t) {
        if (a->kind == AttrKind::Generic) return true;
        if (a->kind == AttrKind::Typed) return a->dataType.empty() || a->dataType == t;
        return false;
    };
    auto mismatch = [&](const std::string& t) -> void {
        fail("The data type '" + t + "' does not match the type of attribute '" + plugLabel(p) + "'.");
    };
    int dims = 0;
    if (type.empty() || isNumericTypeName(type, dims)) {
        if (p.isArray()) fail("'" + plugLabel(p) + "' is a multi attribute: give an element index.");
        if (a->kind == AttrKind::Matrix || a->kind == AttrKind::FloatMatrix) {
            need(vals, cur, 16);
            Matrix4 m;
            for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = numberWord(vals[cur + i], nullptr, cur + i + 1);
            cur += 16;
            storeOrFail(S().setMatrix(p, m, &err), err, p);
            return;
        }
        if (type.empty() && (a->kind == AttrKind::Typed || a->kind == AttrKind::Generic)) {
            // Strings are taken without -type, as scripts often pass them.
            need(vals, cur, 1);
            const MelValue& v = vals[cur++];
            if (a->kind == AttrKind::Typed && a->dataType != "string" && !a->dataType.empty())
                fail("'" + plugLabel(p) + "' is a data attribute: use setAttr -type \"" + a->dataType + "\".");
            if (a->kind == AttrKind::Generic && v.isNumber()) storeOrFail(S().set(p, scene::Value(v.asFloat()), &err), err, p);
            else storeOrFail(S().setString(p, v.asString(), &err), err, p);
            return;
        }
        if (a->kind == AttrKind::Message) fail("'" + plugLabel(p) + "' is a message attribute and holds no value.");
        std::vector<Plug> leaves;
        leafPlugs(p, leaves);
        if (dims && static_cast<int>(leaves.size()) != dims) mismatch(type);
        need(vals, cur, leaves.size());
        std::vector<double> nums;
        for (std::size_t i = 0; i < leaves.size(); ++i)
            nums.push_back(fromUiUnits(unitOf(leaves[i].attr()), numberWord(vals[cur + i], leaves[i].attr(), cur + i + 1)));
        for (const Plug& l : leaves)
            if (!S().sourceOf(l).isNull() || S().isLocked(l)) checkWritable(l);
        for (std::size_t i = 0; i < leaves.size(); ++i) {
            Attribute* la = leaves[i].attr();
            if (!leafIsNumber(la)) {
                if (la->kind == AttrKind::Typed || la->kind == AttrKind::Generic)
                    storeOrFail(S().setString(leaves[i], vals[cur + i].asString(), &err), err, leaves[i]);
                continue;
            }
            storeOrFail(S().setDouble(leaves[i], nums[i], &err), err, leaves[i]);
        }
        cur += leaves.size();
        return;
    }
    if (type == "string") {
        need(vals, cur, 1);
        std::string s = vals[cur++].asString();
        if (a->kind == AttrKind::Enum) {
            for (const auto& f : a->fields)
                if (f.first == s) {
                    storeOrFail(S().setDouble(p, f.second, &err), err, p);
                    return;
                }
            fail("Invalid enum value '" + s + "' for attribute '" + plugLabel(p) + "'.");
        }
        if (!typedOk("string")) mismatch(type);
        storeOrFail(S().setString(p, s, &err), err, p);
        return;
    }
    if (type == "matrix") {
        if (a->kind != AttrKind::Matrix && a->kind != AttrKind::FloatMatrix && !typedOk("matrix")) mismatch(type);
        Matrix4 m;
        if (cur < vals.size() && vals[cur].isString() && vals[cur].stringRef() == "xform") {
            ++cur;
            need(vals, cur, 10);
            std::vector<double> x;
            for (int i = 0; i < 10; ++i) x.push_back(numberWord(vals[cur + i], nullptr, cur + i + 1));
            cur += 10;
            // The rest of the xform form (pivots, shear, orientation) stays as given by files; skip it.
            while (cur < vals.size() && vals[cur].isNumber()) ++cur;
            m = matrixFromXform(x);
        } else {
            need(vals, cur, 16);
            for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = numberWord(vals[cur + i], nullptr, cur + i + 1);
            cur += 16;
        }
        if (a->kind == AttrKind::Matrix || a->kind == AttrKind::FloatMatrix) storeOrFail(S().setMatrix(p, m, &err), err, p);
        else {
            auto d = std::make_shared<MatrixData>();
            d->value = m;
            storeOrFail(S().setData(p, d, &err), err, p);
        }
        return;
    }
    const std::size_t maxItems = 100000000;
    if (type == "stringArray" || type == "componentList") {
        if (!typedOk(type)) mismatch(type);
        int n = countWord(vals, cur, maxItems);
        need(vals, cur, static_cast<std::size_t>(n));
        std::vector<std::string> items;
        for (int i = 0; i < n; ++i) items.push_back(vals[cur++].asString());
        DataPtr d;
        if (type == "stringArray") {
            auto sd = std::make_shared<StringArrayData>();
            sd->values = std::move(items);
            d = sd;
        } else {
            auto cd = std::make_shared<ComponentListData>();
            cd->items = std::move(items);
            d = cd;
        }
        storeOrFail(S().setData(p, d, &err), err, p);
        return;
    }
    if (type == "doubleArray" || type == "Int32Array" || type == "pointArray" || type == "vectorArray") {
        if (!typedOk(type)) mismatch(type);
        int n = countWord(vals, cur, maxItems);
        std::size_t per = type == "pointArray" ? 4 : type == "vectorArray" ? 3 : 1;
        need(vals, cur, static_cast<std::size_t>(n) * per);
        std::vector<double> nums;
        for (std::size_t i = 0; i < static_cast<std::size_t>(n) * per; ++i)
            nums.push_back(numberWord(vals[cur + i], nullptr, cur + i + 1));
        cur += static_cast<std::size_t>(n) * per;
        DataPtr d;
        if (type == "doubleArray") {
            auto x = std::make_shared<DoubleArrayData>();
            x->values = nums;
            d = x;
        } else if (type == "Int32Array") {
            auto x = std::make_shared<Int32ArrayData>();
            for (double v : nums) x->values.push_back(static_cast<int>(v));
            d = x;
        } else if (type == "pointArray") {
            auto x = std::make_shared<PointArrayData>();
            for (std::size_t i = 0; i < nums.size(); i += 4) x->values.push_back({nums[i], nums[i + 1], nums[i + 2], nums[i + 3]});
            d = x;
        } else {
            auto x = std::make_shared<VectorArrayData>();
            for (std::size_t i = 0; i < nums.size(); i += 3) x->values.push_back({nums[i], nums[i + 1], nums[i + 2]});
            d = x;
        }
        storeOrFail(S().setData(p, d, &err), err, p);
        return;
    }
    if (const DataParser* parser = findDataParser(type)) {
        if (a->kind != AttrKind::Generic && !(a->kind == AttrKind::Typed && (a->dataType.empty() || a->dataType == type)))
            mismatch(type);
        std::string perr;
        std::size_t pos = cur;
        DataPtr d = (*parser)(p, textOf(), pos, &perr);
        if (pos < cur || pos > vals.size()) pos = vals.size();
        cur = pos;
        if (!d) {
            if (!perr.empty()) fail(perr);
            return;
        }
        storeOrFail(S().setData(p, d, &err), err, p);
        return;
    }
    // A data type nobody parses: keep the words so the file saves back as it came.
    if (a->kind == AttrKind::Generic || (a->kind == AttrKind::Typed && (a->dataType.empty() || a->dataType == type))) {
        auto g = std::make_shared<GenericData>();
        g->type = type;
        for (std::size_t i = cur; i < vals.size(); ++i) g->tokens.push_back(vals[i].asString());
        cur = vals.size();
        storeOrFail(S().setData(p, g, &err), err, p);
        return;
    }
    fail("Unknown data type '" + type + "' for attribute '" + plugLabel(p) + "'.");
}

std::string quoted(const std::string& t) {
    std::string r = "\"";
    for (char c : t) {
        switch (c) {
        case '"': r += "\\\""; break;
        case '\\': r += "\\\\"; break;
        case '\n': r += "\\n"; break;
        case '\t': r += "\\t"; break;
        case '\r': r += "\\r"; break;
        default: r += c;
        }
    }
    return r + "\"";
}

// The statement again, for attributes kept as text ("setAttr ... \".a[2].b\" 1").
std::string statementText(const SetAttrArgs& args, const std::string& plugText) {
    std::string t = "setAttr";
    auto onOff = [&](const char* f, int v) {
        if (v >= 0) t += std::string(" ") + f + (v ? " on" : " off");
    };
    onOff("-k", args.keyable);
    onOff("-cb", args.channelBox);
    onOff("-l", args.lock);
    if (args.size >= 0) t += " -s " + std::to_string(args.size);
    t += " " + quoted(plugText);
    if (!args.type.empty()) t += " -type " + quoted(args.type);
    for (const MelValue& v : args.values) t += " " + (v.isNumber() ? v.asString() : quoted(v.asString()));
    return t;
}

// File loading keeps attributes the node type does not have: a plain name
// becomes a generic dynamic attribute holding the value, anything with
// element or child paths is kept as the statement itself. Nodes of unknown
// types were warned about once when created; known types warn once per
// type and attribute.
bool keepUnknownAttribute(const std::string& text, const SetAttrArgs& args, CommandContext& ctx) {
    std::size_t dot = text.find('.');
    std::vector<Node*> nodes;
    std::string attr;
    if (dot == 0) {
        nodes = selectedNodes();
        attr = text.substr(1);
    } else if (dot != std::string::npos) {
        if (Node* n = tryFindNode(text.substr(0, dot))) nodes.push_back(n);
        attr = text.substr(dot + 1);
    }
    if (nodes.empty() || attr.empty()) return false;
    bool simple = std::all_of(attr.begin(), attr.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    }) && !std::isdigit(static_cast<unsigned char>(attr[0]));
    std::string firstName = attr.substr(0, attr.find_first_of(".["));
    for (Node* n : nodes) {
        if (n->unknownType.empty()) {
            // Worded per type and attribute: the file reader prints each text once.
            ctx.warning("Unknown attribute '" + firstName + "' on nodes of type '" + n->typeName() +
                            "'; its values are kept as they are.");
        }
        if (!simple || n->attribute(attr)) {
            records::keepNodeStatement(n, statementText(args, "." + attr));
            continue;
        }
        AttrPtr g = makeGeneric(attr, attr);
        g->dynamic = true;
        if (!n->addAttribute(g)) {
            records::keepNodeStatement(n, statementText(args, "." + attr));
            continue;
        }
        Plug p = n->plug(attr);
        std::string err;
        if (args.values.size() == 1 && args.type.empty() && args.values[0].isNumber()) {
            S().set(p, scene::Value(args.values[0].asFloat()), &err);
        } else if (args.values.size() == 1 && (args.type.empty() || args.type == "string")) {
            S().setString(p, args.values[0].asString(), &err);
        } else if (!args.values.empty()) {
            auto gd = std::make_shared<GenericData>();
            gd->type = args.type;
            for (const MelValue& v : args.values) gd->tokens.push_back(v.asString());
            S().setData(p, gd, &err);
        }
        if (args.lock == 1) S().setLocked(p, true);
    }
    return true;
}

MelValue setAttrCmd(CommandContext& ctx) {
    SetAttrArgs args = parseSetAttr(ctx.args());
    const std::size_t rangeLimit = args.values.empty() ? (std::size_t(1) << 20) : args.values.size();
    std::vector<std::string> texts = expandRange(args.plug, rangeLimit);
    if (args.size >= 0 && texts.size() > 1 && static_cast<std::size_t>(args.size) < texts.size())
        fail("The size " + std::to_string(args.size) + " given with -s is smaller than the range '" + args.plug + "'.");
    std::vector<Plug> targets;
    try {
        for (const std::string& t : texts) {
            std::vector<Plug> ps = plugsFor(t);
            targets.insert(targets.end(), ps.begin(), ps.end());
        }
    } catch (const CommandError&) {
        if (createUnknownNodes() && keepUnknownAttribute(args.plug, args, ctx)) return MelValue();
        throw;
    }
    if (targets.empty()) fail("No object matches name: " + args.plug);
    bool hasValues = !args.values.empty();
    if (!hasValues && args.lock < 0 && args.keyable < 0 && args.channelBox < 0 && args.size < 0 && args.caching < 0) {
        if (args.altered) return MelValue();
        fail("Not enough data was provided.");
    }
    if (args.lock == 0)
        for (const Plug& p : targets) S().setLocked(p, false);
    if (hasValues) {
        for (const Plug& p : targets) {
            if (p.attr() && !p.attr()->writable) fail("The attribute '" + plugLabel(p) + "' is not writable.");
            checkWritable(p);
        }
        // Every target takes its share of the values in turn.
        std::vector<std::string> textWords;
        std::size_t cur = 0;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            std::size_t start = cur;
            if (cur >= args.values.size()) fail("Not enough data was provided.");
            if (targets[i].isArray() && args.type.empty() && texts.size() > 1 && leafIsNumber(targets[i].attr()) &&
                !targets[i].attr()->isCompound()) {
                // ".wl[0:7].w" 1 0 1 ...: per element of the range, the count
                // of the multi's entries, then index and value of each.
                int count = countWord(args.values, cur, args.values.size());
                need(args.values, cur, static_cast<std::size_t>(count) * 2);
                for (int k = 0; k < count; ++k) {
                    int index = countWord(args.values, cur, 0x7fffffff);
                    Plug e = targets[i].element(static_cast<unsigned>(index));
                    std::size_t one = cur;
                    assignPlug(e, std::string(), args.values, one, textWords);
                    cur = one;
                }
                continue;
            }
            assignPlug(targets[i], args.type, args.values, cur, textWords);
            // Plugs of several selected nodes each take the same words.
            if (args.plug[0] == '.' && texts.size() == 1 && targets.size() > 1) cur = start;
        }
        bool shared = args.plug[0] == '.' && texts.size() == 1 && targets.size() > 1;
        if (!shared && cur < args.values.size()) {
            fail("Too many data elements were provided: " + std::to_string(args.values.size() - cur) +
                 " left over for '" + args.plug + "'.");
        }
    }
    if (args.size >= 0 && !hasValues) {
        for (const Plug& p : targets) {
            if (!p.isArray()) continue;
            // A size alone only announces elements that later statements
            // fill; a few are made, absurd sizes allocate nothing.
            for (int i = 0; i < args.size && i < 4096; ++i) S().slot(p.element(static_cast<unsigned>(i)), true);
        }
    }
    for (const Plug& p : targets) {
        if (args.keyable >= 0) setPlugKeyable(p, args.keyable != 0);
        if (args.channelBox >= 0) setPlugChannelBox(p, args.channelBox != 0);
        if (args.caching >= 0 && p.attr()->dynamic) p.attr()->cached = args.caching != 0;
        if (args.lock == 1) S().setLocked(p, true);
    }
    S().touch();
    return MelValue();
}

// ------------------------------------------------------------------ addAttr
struct Pending {
    std::weak_ptr<Object> node;
    AttrPtr attr;          // the compound being built (children so far)
    NumericType numeric = NumericType::kInvalid;  // numeric compounds
    std::size_t expected = 0;
    std::string parentName;  // pending parent, when this is itself a child
};
std::vector<Pending>& pendingList() {
    static std::vector<Pending> v;
    return v;
}

Pending* findPending(Node* n, const std::string& name) {
    auto& v = pendingList();
    v.erase(std::remove_if(v.begin(), v.end(), [](const Pending& p) { return p.node.expired(); }), v.end());
    for (Pending& p : v)
        if (p.node.lock().get() == n && (p.attr->name == name || p.attr->shortName == name)) return &p;
    return nullptr;
}

bool nameInPending(Node* n, const std::string& name) {
    std::function<bool(const Attribute&)> has = [&](const Attribute& a) {
        if (a.name == name || a.shortName == name) return true;
        for (const AttrPtr& c : a.children)
            if (has(*c)) return true;
        return false;
    };
    for (Pending& p : pendingList())
        if (p.node.lock().get() == n && has(*p.attr)) return true;
    return false;
}

bool validAttrName(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

struct NumericSpec {
    NumericType t;
    int dims;
};
bool numericSpec(const std::string& at, NumericSpec& out) {
    static const std::map<std::string, NumericSpec> m = {
        {"bool", {NumericType::kBoolean, 1}}, {"byte", {NumericType::kByte, 1}},
        {"char", {NumericType::kChar, 1}},    {"short", {NumericType::kShort, 1}},
        {"long", {NumericType::kLong, 1}},    {"int", {NumericType::kLong, 1}},
        {"int64", {NumericType::kInt64, 1}},  {"float", {NumericType::kFloat, 1}},
        {"double", {NumericType::kDouble, 1}}, {"short2", {NumericType::k2Short, 2}},
        {"short3", {NumericType::k3Short, 3}}, {"long2", {NumericType::k2Long, 2}},
        {"long3", {NumericType::k3Long, 3}},  {"float2", {NumericType::k2Float, 2}},
        {"float3", {NumericType::k3Float, 3}}, {"double2", {NumericType::k2Double, 2}},
        {"double3", {NumericType::k3Double, 3}}, {"double4", {NumericType::k4Double, 4}},
    };
    auto it = m.find(at);
    if (it == m.end()) return false;
    out = it->second;
    return true;
}

// "a:b=3:c" -> a 0, b 3, c 4
std::vector<std::pair<std::string, int>> parseEnumNames(const std::string& text) {
    std::vector<std::pair<std::string, int>> out;
    int next = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(':', start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        if (!item.empty()) {
            std::size_t eq = item.find('=');
            std::string name = item.substr(0, eq);
            if (eq != std::string::npos) {
                std::string num = item.substr(eq + 1);
                char* e = nullptr;
                long v = std::strtol(num.c_str(), &e, 10);
                if (num.empty() || *e) fail("Invalid enum value '" + item + "'.");
                next = static_cast<int>(v);
            }
            out.push_back({name, next++});
        }
        start = end + 1;
    }
    return out;
}

std::string enumText(const Attribute& a) {
    std::string s;
    int expect = 0;
    for (const auto& f : a.fields) {
        if (!s.empty()) s += ":";
        s += f.first;
        if (f.second != expect) s += "=" + std::to_string(f.second);
        expect = f.second + 1;
    }
    return s;
}

void applyCommonFlags(Attribute& at, const ParsedArgs& a) {
    if (a.isSet("k")) at.keyable = a.flagBool("k");
    if (a.isSet("m")) at.array = true;
    if (a.isSet("im")) at.indexMatters = a.flagBool("im");
    if (a.isSet("h")) at.hidden = a.flagBool("h");
    if (a.isSet("r")) at.readable = a.flagBool("r");
    if (a.isSet("w")) at.writable = a.flagBool("w");
    if (a.isSet("s")) at.storable = a.flagBool("s");
    if (a.isSet("ci")) at.cached = a.flagBool("ci");
    if (a.isSet("uaf")) {}
    UnitType u = unitOf(&at);
    auto conv = [&](double v) { return fromUiUnits(u, v); };
    if (a.isSet("min")) {
        at.hasMin = true;
        at.minValue = conv(a.flagFloat("min"));
    }
    if (a.isSet("max")) {
        at.hasMax = true;
        at.maxValue = conv(a.flagFloat("max"));
    }
    if (a.isSet("smn")) {
        at.hasSoftMin = true;
        at.softMinValue = conv(a.flagFloat("smn"));
    }
    if (a.isSet("smx")) {
        at.hasSoftMax = true;
        at.softMaxValue = conv(a.flagFloat("smx"));
    }
    if (a.isSet("hnv")) at.hasMin = a.flagBool("hnv");
    if (a.isSet("hxv")) at.hasMax = a.flagBool("hxv");
    if (a.isSet("hsn")) at.hasSoftMin = a.flagBool("hsn");
    if (a.isSet("hsx")) at.hasSoftMax = a.flagBool("hsx");
    if (a.isSet("dv")) at.defaultNumber = conv(a.flagFloat("dv"));
}

void attach(Node* n, const AttrPtr& at);

// A finished compound joins its pending parent, or the node.
void finishCompound(Node* n, Pending done) {
    auto& v = pendingList();
    v.erase(std::remove_if(v.begin(), v.end(), [&](const Pending& p) { return p.attr == done.attr; }), v.end());
    AttrPtr built;
    if (done.numeric != NumericType::kInvalid) {
        built = makeNumericCompound(done.attr->name, done.attr->shortName, done.numeric, done.attr->children);
    } else {
        built = makeCompound(done.attr->name, done.attr->shortName, done.attr->children);
    }
    // Keep the flags given when the compound was declared.
    std::vector<AttrPtr> kids = built->children;
    NumericType nt = built->numeric;
    AttrKind kind = built->kind;
    *built = *done.attr;
    built->children = kids;
    built->kind = kind;
    built->numeric = nt;
    adoptChildren(*built);
    if (usedAsColor(done.attr.get())) setUsedAsColor(built.get());
    if (!done.parentName.empty()) {
        Pending* parent = findPending(n, done.parentName);
        if (!parent) fail("Parent attribute '" + done.parentName + "' is no longer being built.");
        parent->attr->children.push_back(built);
        if (parent->attr->children.size() == parent->expected) finishCompound(n, *parent);
        return;
    }
    attach(n, built);
}

void attach(Node* n, const AttrPtr& at) {
    at->dynamic = true;
    if (!n->addAttribute(at))
        fail("Cannot add the attribute '" + at->name + "' to node '" + nodeName(n) + "'.");
    S().touch();
}

MelValue addAttrCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("ln", "longName", {ArgType::String})
                                   .flag("sn", "shortName", {ArgType::String})
                                   .flag("nn", "niceName", {ArgType::String})
                                   .flag("at", "attributeType", {ArgType::String})
                                   .flag("dt", "dataType", {ArgType::String}, true)
                                   .flag("dv", "defaultValue", {ArgType::Float})
                                   .flag("min", "minValue", {ArgType::Float})
                                   .flag("max", "maxValue", {ArgType::Float})
                                   .flag("smn", "softMinValue", {ArgType::Float})
                                   .flag("smx", "softMaxValue", {ArgType::Float})
                                   .flag("hnv", "hasMinValue", {ArgType::Bool})
                                   .flag("hxv", "hasMaxValue", {ArgType::Bool})
                                   .flag("hsn", "hasSoftMinValue", {ArgType::Bool})
                                   .flag("hsx", "hasSoftMaxValue", {ArgType::Bool})
                                   .flag("k", "keyable", {ArgType::Bool})
                                   .flag("m", "multi")
                                   .flag("im", "indexMatters", {ArgType::Bool})
                                   .flag("h", "hidden", {ArgType::Bool})
                                   .flag("uac", "usedAsColor")
                                   .flag("uaf", "usedAsFilename")
                                   .flag("r", "readable", {ArgType::Bool})
                                   .flag("w", "writable", {ArgType::Bool})
                                   .flag("s", "storable", {ArgType::Bool})
                                   .flag("ci", "cachedInternally", {ArgType::Bool})
                                   .flag("is", "internalSet", {ArgType::Bool})
                                   .flag("bt", "binaryTag", {ArgType::String})
                                   .flag("en", "enumName", {ArgType::String})
                                   .flag("p", "parent", {ArgType::String})
                                   .flag("nc", "numberOfChildren", {ArgType::Int})
                                   .flag("ct", "category", {ArgType::String}, true)
                                   .flag("e", "edit");
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    if (a.isSet("e")) {
        std::vector<Plug> plugs;
        for (const std::string& w : words)
            for (const Plug& pl : plugsFor(w)) plugs.push_back(pl);
        if (plugs.empty()) fail("Not enough objects or values.");
        for (const Plug& pl : plugs) {
            Attribute* at = pl.attr();
            if (!at->dynamic) fail("'" + plugLabel(pl) + "' is not a dynamic attribute; only dynamic attributes can be edited.");
            applyCommonFlags(*at, a);
            if (a.isSet("en")) {
                if (at->kind != AttrKind::Enum) fail("'" + plugLabel(pl) + "' is not an enum attribute.");
                at->fields = parseEnumNames(a.flagString("en"));
            }
            if (a.isSet("nn")) {}
        }
        S().touch();
        return MelValue();
    }
    std::vector<Node*> nodes;
    if (words.empty()) nodes = selectedNodes();
    else
        for (const std::string& w : words) nodes.push_back(findNode(w));
    if (nodes.empty()) fail("No object was specified to add the attribute to.");
    std::string ln = a.flagStringOr("ln", ""), sn = a.flagStringOr("sn", "");
    if (ln.empty() && sn.empty()) fail("A long name (-ln) or short name (-sn) is required.");
    if (ln.empty()) ln = sn;
    if (sn.empty()) sn = ln;
    if (!validAttrName(ln)) fail("Invalid attribute name '" + ln + "'.");
    if (!validAttrName(sn)) fail("Invalid attribute name '" + sn + "'.");
    if (a.isSet("at") && a.isSet("dt")) fail("Cannot specify both -attributeType and -dataType.");
    std::string at = a.flagStringOr("at", "");
    std::string dt = a.isSet("dt") ? a.flagString("dt") : std::string();
    if (at.empty() && dt.empty()) at = "double";
    std::string parentName = a.flagStringOr("p", "");

    for (Node* n : nodes) {
        for (const std::string& nm : {ln, sn})
            if (n->attribute(nm) || nameInPending(n, nm))
                fail("Found attribute '" + nodeName(n) + "." + nm + "' with the same name as the new attribute '" + ln + "'.");
        Pending* parent = nullptr;
        if (!parentName.empty()) {
            parent = findPending(n, parentName);
            if (!parent) {
                if (n->attribute(parentName))
                    fail("The parent attribute '" + parentName + "' already has all its children.");
                fail("No parent attribute '" + parentName + "' on node '" + nodeName(n) + "'.");
            }
        }
        AttrPtr attr;
        NumericSpec ns{};
        bool compoundPending = false;
        if (!dt.empty()) {
            attr = makeTyped(ln, sn, dt);
            if (dt == "string" && a.isSet("dv")) fail("A default value cannot be given for a string attribute.");
        } else if (numericSpec(at, ns)) {
            if (ns.dims == 1) {
                attr = makeNumeric(ln, sn, ns.t, 0);
            } else {
                attr = std::make_shared<Attribute>();
                attr->name = ln;
                attr->shortName = sn;
                attr->kind = AttrKind::Numeric;
                attr->numeric = ns.t;
                compoundPending = true;
            }
        } else if (at == "enum") {
            attr = makeEnum(ln, sn, a.isSet("en") ? parseEnumNames(a.flagString("en")) : std::vector<std::pair<std::string, int>>{});
        } else if (at == "doubleLinear" || at == "floatLinear" || at == "distance") {
            attr = makeUnit(ln, sn, UnitType::kDistance);
        } else if (at == "doubleAngle" || at == "floatAngle" || at == "angle") {
            attr = makeUnit(ln, sn, UnitType::kAngle);
        } else if (at == "time") {
            attr = makeUnit(ln, sn, UnitType::kTime);
        } else if (at == "message") {
            attr = makeMessage(ln, sn);
        } else if (at == "matrix") {
            attr = makeMatrix(ln, sn, false);
        } else if (at == "fltMatrix" || at == "floatMatrix") {
            attr = makeMatrix(ln, sn, true);
        } else if (at == "compound") {
            if (!a.isSet("nc") || a.flagInt("nc") < 1) fail("A compound attribute needs -numberOfChildren.");
            attr = std::make_shared<Attribute>();
            attr->name = ln;
            attr->shortName = sn;
            attr->kind = AttrKind::Compound;
            compoundPending = true;
        } else {
            fail("Invalid attribute type '" + at + "'.");
        }
        applyCommonFlags(*attr, a);
        if (a.isSet("uac")) setUsedAsColor(attr.get());
        if (compoundPending) {
            Pending pd;
            pd.node = S().ptr(n);
            pd.attr = attr;
            pd.numeric = attr->kind == AttrKind::Compound ? NumericType::kInvalid : ns.t;
            pd.expected = attr->kind == AttrKind::Compound ? static_cast<std::size_t>(a.flagInt("nc")) : static_cast<std::size_t>(ns.dims);
            pd.parentName = parent ? parent->attr->name : std::string();
            pendingList().push_back(pd);
            continue;
        }
        if (parent) {
            parent->attr->children.push_back(attr);
            if (parent->attr->children.size() == parent->expected) finishCompound(n, *parent);
            continue;
        }
        attach(n, attr);
    }
    return MelValue();
}

// ------------------------------------------------------------------ deleteAttr
MelValue deleteAttrCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser().flag("at", "attribute", {ArgType::String}).objects(0);
    ParsedArgs a = p.parse(ctx);
    std::vector<std::string> words = objectWords(a);
    std::vector<Plug> plugs;
    if (a.isSet("at")) {
        std::vector<Node*> nodes;
        if (words.empty()) nodes = selectedNodes();
        for (const std::string& w : words) nodes.push_back(findNode(w));
        if (nodes.empty()) fail("Not enough objects or values.");
        for (Node* n : nodes) {
            Attribute* at = n->attribute(a.flagString("at"));
            if (!at) fail("No object matches name: " + nodeName(n) + "." + a.flagString("at"));
            plugs.push_back(n->plug(at->top()));
        }
    } else {
        if (words.empty()) fail("Not enough objects or values.");
        for (const std::string& w : words)
            for (const Plug& pl : plugsFor(w)) plugs.push_back(pl);
    }
    for (const Plug& pl : plugs) {
        Attribute* at = pl.attr();
        if (!at->dynamic) fail("The attribute '" + plugLabel(pl) + "' is a static attribute and cannot be deleted.");
        if (at->parent) fail("The attribute '" + plugLabel(pl) + "' is a child of a compound; delete the compound.");
        if (pl.node->locked) fail("Cannot delete an attribute of the locked node '" + nodeName(pl.node) + "'.");
        if (S().isLocked(pl)) fail("The attribute '" + plugLabel(pl) + "' is locked and cannot be deleted.");
        Plug top = pl.node->plug(at);
        for (const Connection& c : S().connections(top, true, true, true)) {
            std::string err;
            S().disconnect(c.src, c.dst, &err);
        }
        if (!pl.node->removeAttribute(at)) fail("Cannot delete the attribute '" + plugLabel(pl) + "'.");
    }
    S().touch();
    return MelValue();
}

// ------------------------------------------------------------------ attributeQuery
MelValue attributeQueryCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser()
                                   .flag("n", "node", {ArgType::String})
                                   .flag("typ", "type", {ArgType::String})
                                   .flag("ex", "exists")
                                   .flag("at", "attributeType")
                                   .flag("k", "keyable")
                                   .flag("r", "readable")
                                   .flag("w", "writable")
                                   .flag("s", "storable")
                                   .flag("c", "connectable")
                                   .flag("h", "hidden")
                                   .flag("m", "multi")
                                   .flag("ci", "cachedInternally")
                                   .flag("ch", "channelBox")
                                   .flag("lc", "listChildren")
                                   .flag("lp", "listParent")
                                   .flag("ls", "listSiblings")
                                   .flag("le", "listEnum")
                                   .flag("ld", "listDefault")
                                   .flag("min", "minimum")
                                   .flag("max", "maximum")
                                   .flag("mn", "minExists")
                                   .flag("mx", "maxExists")
                                   .flag("smn", "softMin")
                                   .flag("smx", "softMax")
                                   .flag("sme", "softMinExists")
                                   .flag("sxe", "softMaxExists")
                                   .flag("sn", "shortName")
                                   .flag("ln", "longName")
                                   .flag("nn", "niceName")
                                   .flag("nc", "numberOfChildren")
                                   .flag("uac", "usedAsColor")
                                   .flag("ia", "indexMatters")
                                   .flag("e", "enum")
                                   .objects(1, 1);
    ParsedArgs a = p.parse(ctx);
    std::string name = objectWords(a).at(0);
    Attribute* at = nullptr;
    std::string owner;
    if (a.isSet("n")) {
        Node* n = findNode(a.flagString("n"));
        owner = nodeName(n);
        at = n->attribute(name);
    } else if (a.isSet("typ")) {
        NodeType* t = S().findType(a.flagString("typ"));
        if (!t) fail("Unknown object type: " + a.flagString("typ"));
        owner = t->name;
        at = t->attribute(name);
    } else {
        fail("attributeQuery needs -node or -type.");
    }
    if (a.isSet("ex")) return MelValue(at ? 1 : 0);
    if (!at) fail("No attribute named '" + name + "' on '" + owner + "'.");
    auto flag = [&](bool v) { return MelValue(v ? 1 : 0); };
    UnitType u = unitOf(at);
    auto ui = [&](double v) { return toUiUnits(u, v); };
    if (a.isSet("at")) {
        if (at->kind == AttrKind::Typed) return MelValue(std::string("typed"));
        return MelValue(at->typeString());
    }
    if (a.isSet("k")) return flag(at->keyable);
    if (a.isSet("r")) return flag(at->readable);
    if (a.isSet("w")) return flag(at->writable);
    if (a.isSet("s")) return flag(at->storable);
    if (a.isSet("c")) return flag(at->connectable);
    if (a.isSet("h")) return flag(at->hidden);
    if (a.isSet("m")) return flag(at->array);
    if (a.isSet("ci")) return flag(at->cached);
    if (a.isSet("ch")) return flag(at->channelBox);
    if (a.isSet("ia")) return flag(at->indexMatters);
    if (a.isSet("uac")) return flag(usedAsColor(at));
    if (a.isSet("e")) return flag(at->kind == AttrKind::Enum);
    if (a.isSet("sn")) return MelValue(at->shortName);
    if (a.isSet("ln")) return MelValue(at->name);
    if (a.isSet("nn")) {
        // The host's nice name: words split at capitals, first letter upper-case.
        std::string s;
        for (std::size_t i = 0; i < at->name.size(); ++i) {
            char c = at->name[i];
            if (i == 0) s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            else if (std::isupper(static_cast<unsigned char>(c))) s += std::string(" ") + c;
            else s += c;
        }
        return MelValue(s);
    }
    if (a.isSet("nc")) return MelValue(static_cast<int>(at->children.size()));
    if (a.isSet("lc")) {
        std::vector<std::string> out;
        for (const AttrPtr& c : at->children) out.push_back(c->name);
        return MelValue(out);
    }
    if (a.isSet("lp")) {
        if (!at->parent) return MelValue(std::vector<std::string>{});
        return MelValue(std::vector<std::string>{at->parent->name});
    }
    if (a.isSet("ls")) {
        std::vector<std::string> out;
        if (at->parent)
            for (const AttrPtr& c : at->parent->children)
                if (c.get() != at) out.push_back(c->name);
        return MelValue(out);
    }
    if (a.isSet("le")) {
        if (at->kind != AttrKind::Enum) return MelValue(std::vector<std::string>{});
        return MelValue(std::vector<std::string>{enumText(*at)});
    }
    // Range queries: per child for numeric compounds.
    std::vector<Attribute*> leaves;
    if (at->isCompound())
        for (const AttrPtr& c : at->children) leaves.push_back(c.get());
    else
        leaves.push_back(at);
    auto each = [&](auto get) {
        std::vector<double> out;
        for (Attribute* l : leaves) out.push_back(toUiUnits(unitOf(l), get(l)));
        return MelValue(out);
    };
    if (a.isSet("ld")) return each([](Attribute* l) { return l->defaultNumber; });
    if (a.isSet("mn")) return flag(at->hasMin || (at->isCompound() && !at->children.empty() && at->children[0]->hasMin));
    if (a.isSet("mx")) return flag(at->hasMax || (at->isCompound() && !at->children.empty() && at->children[0]->hasMax));
    if (a.isSet("sme")) return flag(at->hasSoftMin);
    if (a.isSet("sxe")) return flag(at->hasSoftMax);
    if (a.isSet("min")) {
        for (Attribute* l : leaves)
            if (!l->hasMin) fail("Attribute '" + owner + "." + at->name + "' has no minimum value.");
        return each([](Attribute* l) { return l->minValue; });
    }
    if (a.isSet("max")) {
        for (Attribute* l : leaves)
            if (!l->hasMax) fail("Attribute '" + owner + "." + at->name + "' has no maximum value.");
        return each([](Attribute* l) { return l->maxValue; });
    }
    if (a.isSet("smn")) {
        if (!at->hasSoftMin) fail("Attribute '" + owner + "." + at->name + "' has no soft minimum value.");
        return MelValue(std::vector<double>{ui(at->softMinValue)});
    }
    if (a.isSet("smx")) {
        if (!at->hasSoftMax) fail("Attribute '" + owner + "." + at->name + "' has no soft maximum value.");
        return MelValue(std::vector<double>{ui(at->softMaxValue)});
    }
    fail("attributeQuery: nothing to query.");
}

}  // namespace

void registerAttrCommands(host::mel::Interpreter& in) {
    in.registerCommand("getAttr", getAttrCmd);
    in.registerCommand("setAttr", setAttrCmd);
    in.registerCommand("addAttr", addAttrCmd);
    in.registerCommand("deleteAttr", deleteAttrCmd);
    in.registerCommand("attributeQuery", attributeQueryCmd);
}

}  // namespace host::scene::cmds
