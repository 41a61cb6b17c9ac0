#include "files/ma_bulk.h"

#include "files/ma_hooks.h"
#include "scene/commands/cmd_common.h"
#include "scene/commands/scene_commands.h"
#include "scene/core/scene.h"

#include <charconv>
#include <cmath>
#include <map>

namespace host::files {

using namespace host::scene;

namespace {

std::string& lastError() {
    static std::string e;
    return e;
}

// Below this many values the ordinary setAttr (with all its wording) runs.
constexpr std::size_t kMinValues = 48;

bool isFlag(std::string_view t) {
    return t.size() >= 2 && t[0] == '-' && std::isalpha(static_cast<unsigned char>(t[1]));
}

int widthOfType(const std::string& t) {
    static const std::map<std::string, int> dims = {
        {"double2", 2}, {"double3", 3}, {"double4", 4}, {"float2", 2}, {"float3", 3}, {"long2", 2},
        {"long3", 3},   {"short2", 2},  {"short3", 3},  {"int2", 2},   {"int3", 3}};
    auto it = dims.find(t);
    return it == dims.end() ? 0 : it->second;
}

// As the scene stores numbers: clamped, rounded to the attribute's type.
double conform(const Attribute* a, double v) {
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

bool numberLeaf(const Attribute* a) {
    return !a->array && !a->isCompound() &&
           (a->kind == AttrKind::Numeric || a->kind == AttrKind::Unit || a->kind == AttrKind::Enum);
}

// Numbers a single element of `a` takes, 0 when it is not plain numbers.
int elementWidth(const Attribute* a) {
    if (a->kind != AttrKind::Numeric && a->kind != AttrKind::Unit && a->kind != AttrKind::Enum) return 0;
    if (!a->isCompound()) return 1;
    for (const AttrPtr& c : a->children)
        if (!numberLeaf(c.get())) return 0;
    return static_cast<int>(a->children.size());
}

int typedArray(const std::string& t, const Attribute* a, const std::vector<double>& nums) {
    (void)a;
    std::size_t per = t == "pointArray" ? 4 : t == "vectorArray" ? 3 : 1;
    if (nums.empty() || nums[0] < 0 || nums[0] != std::floor(nums[0])) return -1;
    auto n = static_cast<std::size_t>(nums[0]);
    if ((nums.size() - 1) / per != n || (nums.size() - 1) % per != 0) return -1;
    return static_cast<int>(per);
}

}  // namespace

const std::string& bulkError() { return lastError(); }

int bulkSetAttr(const std::vector<MaWord>& w, std::vector<double>& nums) {
    std::string plugText, type;
    long size = -1;
    bool havePlug = false;
    std::size_t i = 0;
    for (; i < w.size(); ++i) {
        const MaWord& x = w[i];
        if (!x.quoted && isFlag(x.text)) {
            std::string_view f = x.text.substr(1);
            if (f == "type" || f == "typ") {
                if (i + 1 >= w.size()) return kBulkNotTaken;
                type.assign(w[++i].text);
            } else if (f == "s" || f == "size") {
                if (i + 1 >= w.size()) return kBulkNotTaken;
                std::string_view t = w[++i].text;
                auto r = std::from_chars(t.data(), t.data() + t.size(), size);
                if (r.ec != std::errc() || r.ptr != t.data() + t.size() || size < 0) return kBulkNotTaken;
            } else if (f == "ch" || f == "capacityHint") {
                if (i + 1 >= w.size()) return kBulkNotTaken;
                ++i;
            } else if (f == "av" || f == "alteredValue" || f == "c" || f == "clamp") {
            } else {
                return kBulkNotTaken;  // -k, -l, -cb ...: the ordinary path
            }
            continue;
        }
        if (havePlug) break;
        plugText.assign(x.text);
        havePlug = true;
    }
    if (!havePlug || w.size() - i < kMinValues) return kBulkNotTaken;
    const std::size_t n = w.size() - i;
    nums.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        const MaWord& x = w[i + k];
        if (x.quoted || x.text.empty()) return kBulkNotTaken;
        char c = x.text[0];
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.')) return kBulkNotTaken;
        auto r = std::from_chars(x.text.data(), x.text.data() + x.text.size(), nums[k]);
        if (r.ec != std::errc() || r.ptr != x.text.data() + x.text.size()) return kBulkNotTaken;
    }
    const bool arrayData = type == "doubleArray" || type == "Int32Array" || type == "pointArray" || type == "vectorArray";
    const int typeWidth = widthOfType(type);
    if (!type.empty() && !arrayData && typeWidth == 0) return kBulkNotTaken;

    Scene& S = host::scene::scene();
    if (arrayData) {
        // One data value: "count v v v ...".
        if (plugText.find(':') != std::string::npos) return kBulkNotTaken;
        std::vector<Plug> plugs;
        try {
            plugs = cmds::plugsFor(plugText);
        } catch (const host::mel::CommandError&) {
            return kBulkNotTaken;
        }
        if (plugs.size() != 1) return kBulkNotTaken;
        const Plug& p = plugs[0];
        Attribute* a = p.attr();
        if (!a || a->kind != AttrKind::Typed || (!a->dataType.empty() && a->dataType != type) || p.isArray()) return kBulkNotTaken;
        int per = typedArray(type, a, nums);
        if (per < 0) return kBulkNotTaken;
        DataPtr d;
        if (type == "doubleArray") {
            auto x = std::make_shared<DoubleArrayData>();
            x->values.assign(nums.begin() + 1, nums.end());
            d = x;
        } else if (type == "Int32Array") {
            auto x = std::make_shared<Int32ArrayData>();
            x->values.reserve(n - 1);
            for (std::size_t k = 1; k < n; ++k) x->values.push_back(static_cast<int>(nums[k]));
            d = x;
        } else if (type == "pointArray") {
            auto x = std::make_shared<PointArrayData>();
            for (std::size_t k = 1; k + 3 < n; k += 4) x->values.push_back({nums[k], nums[k + 1], nums[k + 2], nums[k + 3]});
            d = x;
        } else {
            auto x = std::make_shared<VectorArrayData>();
            for (std::size_t k = 1; k + 2 < n; k += 3) x->values.push_back({nums[k], nums[k + 1], nums[k + 2]});
            d = x;
        }
        std::string err;
        if (!S.setData(p, d, &err)) return kBulkNotTaken;
        S.touch();
        return kBulkDone;
    }

    // A range "<plug>[lo:hi]" at the end of the plug text.
    if (plugText.empty() || plugText.back() != ']') return kBulkNotTaken;
    std::size_t open = plugText.rfind('[');
    if (open == std::string::npos) return kBulkNotTaken;
    std::string_view inner(plugText.data() + open + 1, plugText.size() - open - 2);
    std::size_t colon = inner.find(':');
    if (colon == std::string_view::npos) return kBulkNotTaken;
    unsigned lo = 0, hi = 0;
    auto r1 = std::from_chars(inner.data(), inner.data() + colon, lo);
    auto r2 = std::from_chars(inner.data() + colon + 1, inner.data() + inner.size(), hi);
    if (r1.ec != std::errc() || r1.ptr != inner.data() + colon || r2.ec != std::errc() ||
        r2.ptr != inner.data() + inner.size() || hi < lo)
        return kBulkNotTaken;
    const std::size_t count = std::size_t(hi) - lo + 1;
    if (count > n || (size >= 0 && static_cast<std::size_t>(size) < count)) return kBulkNotTaken;
    std::vector<Plug> plugs;
    try {
        plugs = cmds::plugsFor(plugText.substr(0, open));
    } catch (const host::mel::CommandError&) {
        return kBulkNotTaken;
    }
    if (plugs.size() != 1 || !plugs[0].isArray()) return kBulkNotTaken;
    const Plug arr = plugs[0];
    Attribute* a = arr.attr();
    const int width = elementWidth(a);
    if (width == 0 || (typeWidth && typeWidth != width) || (type.empty() && width != 1)) return kBulkNotTaken;
    if (n != count * static_cast<std::size_t>(width)) return kBulkNotTaken;

    if (const RangeSetter* hook = findRangeSetter(*arr.node, a)) {
        std::string err;
        if (!(*hook)(arr, lo, static_cast<unsigned>(count), nums.data(), n, &err)) {
            lastError() = err.empty() ? "Cannot set the range '" + plugText + "'." : err;
            return -1;
        }
        S.touch();
        return kBulkDone;
    }

    // Straight into the array's storage, unless locks or connections need
    // the checks of the ordinary path.
    if (!a->writable || S.isLocked(arr) || !S.connections(arr, false, true, true).empty()) return kBulkNotTaken;
    Slot* as = S.slot(arr, true);
    if (!as) return kBulkNotTaken;
    for (auto it = as->elements.lower_bound(lo); it != as->elements.end() && it->first <= hi; ++it)
        if (it->second.locked) return kBulkNotTaken;
    std::vector<const Attribute*> leaves;
    std::vector<UnitType> units;
    if (width == 1) leaves.push_back(a);
    else
        for (const AttrPtr& c : a->children) leaves.push_back(c.get());
    for (const Attribute* l : leaves) units.push_back(l->kind == AttrKind::Unit ? l->unit : UnitType::kInvalid);
    const double* v = nums.data();
    auto hint = as->elements.lower_bound(lo);
    for (std::size_t k = 0; k < count; ++k) {
        hint = as->elements.try_emplace(hint, lo + static_cast<unsigned>(k));
        Slot& e = hint->second;
        ++hint;
        if (width == 1) {
            double x = *v++;
            e.value = conform(a, units[0] == UnitType::kInvalid ? x : fromUiUnits(units[0], x));
            e.hasValue = true;
            continue;
        }
        if (e.children.size() < leaves.size()) e.children.resize(leaves.size());
        for (std::size_t c = 0; c < leaves.size(); ++c) {
            double x = *v++;
            e.children[c].value = conform(leaves[c], units[c] == UnitType::kInvalid ? x : fromUiUnits(units[c], x));
            e.children[c].hasValue = true;
        }
    }
    S.touch();
    return kBulkDone;
}

}  // namespace host::files
