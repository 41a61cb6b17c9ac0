#include "files/ma_writer.h"

#include "files/ma_hooks.h"
#include "mel/interpreter.h"
#include "scene/commands/cmd_common.h"
#include "scene/commands/file_records.h"
#include "scene/commands/scene_commands.h"
#include "scene/core/scene.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <set>
#include <unistd.h>

namespace host::files {

using namespace host::scene;

std::string melQuote(const std::string& t) {
    std::string r;
    r.reserve(t.size() + 2);
    r += '"';
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
    r += '"';
    return r;
}

std::string formatNumber(double v) {
    if (std::isnan(v)) return "0";  // not representable in MEL; files never hold it
    if (std::isinf(v)) return v > 0 ? "1e+308" : "-1e+308";
    if (v == 0) return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string formatFloatNumber(float v) {
    if (std::isnan(v)) return "0";
    if (std::isinf(v)) return v > 0 ? "1e+38" : "-1e+38";
    if (v == 0) return "0";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

namespace {

bool isIntType(NumericType t) {
    switch (t) {
    case NumericType::kByte:
    case NumericType::kChar:
    case NumericType::kShort:
    case NumericType::k2Short:
    case NumericType::k3Short:
    case NumericType::kLong:
    case NumericType::k2Long:
    case NumericType::k3Long:
    case NumericType::kInt64: return true;
    default: return false;
    }
}
bool isFloatType(NumericType t) {
    return t == NumericType::kFloat || t == NumericType::k2Float || t == NumericType::k3Float;
}

// Words of data values: bare when MEL reads them back unchanged, else quoted.
std::string token(const std::string& t) {
    if (t.empty()) return "\"\"";
    bool bare = !(t[0] == '-' && t.size() > 1 && std::isalpha(static_cast<unsigned char>(t[1])));
    for (char c : t)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == '_')) bare = false;
    return bare ? t : melQuote(t);
}

class Writer {
public:
    explicit Writer(const MaWriteOptions& o) : opt_(o) {}
    std::string run();

private:
    void header();
    void nodes();
    bool nodeBody(Node* n, std::vector<std::string>& body);
    void addAttrLines(Node* n, Attribute* a, const std::string& parentLong, std::vector<std::string>& body);
    void values(Node* n, Attribute* a, const Slot& slot, const std::string& path, std::vector<std::string>& body);
    void arrayValues(Node* n, Attribute* a, const Slot& slot, const std::string& path, std::vector<std::string>& body);
    bool leafWords(Attribute* a, const Slot& slot, std::string& words, bool& differs, std::string& typeFlag);
    bool dataWords(const DataPtr& d, std::string& words, std::string& typeFlag);
    void flagLines(Node* n, Attribute* a, const std::string& path, std::vector<std::string>& body);
    // Full DAG paths: short names may repeat in the hierarchy.
    std::string nameOf(const Node* n) const { return n->isDag() ? n->fullPath() : n->name; }
    void warn(const std::string& msg) { host::mel::interpreter().warning(msg); }

    const MaWriteOptions& opt_;
    std::string out_;
    std::set<const Node*> written_;
    std::vector<const Node*> locked_;
};

void Writer::header() {
    std::string name = opt_.fileName;
    auto slash = name.rfind('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    char date[128] = "";
    std::time_t now = std::time(nullptr);
    std::tm tmv{};
    localtime_r(&now, &tmv);
    std::strftime(date, sizeof date, "%a, %b %d, %Y %I:%M:%S %p", &tmv);
    out_ += "//Maya ASCII 2020 scene\n";
    out_ += "//Name: " + name + "\n";
    out_ += std::string("//Last modified: ") + date + "\n";
    out_ += "//Codeset: UTF-8\n";
    for (const MaReference& r : opt_.references) {
        std::string s = "file -r";
        if (!r.ns.empty()) s += " -ns " + melQuote(r.ns);
        if (r.deferred) s += " -dr 1";
        if (!r.referenceNode.empty()) s += " -rfn " + melQuote(r.referenceNode);
        if (!r.options.empty()) s += " -op " + melQuote(r.options);
        if (!r.type.empty()) s += " -typ " + melQuote(r.type);
        out_ += s + " " + melQuote(r.path) + ";\n";
    }
    out_ += "requires maya \"2020\";\n";
    for (const auto& words : opt_.requires) {
        std::string s = "requires";
        for (const std::string& w : words) s += " " + ((!w.empty() && w[0] == '-') ? w : melQuote(w));
        out_ += s + ";\n";
    }
    auto q = [](const char* cmd) {
        host::mel::ExecResult r = host::mel::interpreter().execute(cmd, std::string(), false);
        return r.ok ? r.value.asString() : std::string();
    };
    std::string lin = q("currentUnit -q -l -f"), ang = q("currentUnit -q -a -f"), tim = q("currentUnit -q -t");
    out_ += "currentUnit -l " + (lin.empty() ? std::string("centimeter") : lin) + " -a " +
            (ang.empty() ? std::string("degree") : ang) + " -t " + (tim.empty() ? std::string("film") : tim) + ";\n";
    bool haveApplication = false;
    for (const auto& kv : opt_.fileInfo) haveApplication |= kv.first == "application";
    if (!haveApplication) out_ += "fileInfo \"application\" \"maya\";\n";
    for (const auto& kv : opt_.fileInfo) out_ += "fileInfo " + melQuote(kv.first) + " " + melQuote(kv.second) + ";\n";
    for (const auto& ds : records::dataStructures()) {
        std::string s = "dataStructure";
        for (std::size_t i = 0; i + 1 < ds.size(); i += 2) s += " " + ds[i] + " " + melQuote(ds[i + 1]);
        out_ += s + ";\n";
    }
}

void Writer::addAttrLines(Node* n, Attribute* a, const std::string& parentLong, std::vector<std::string>& body) {
    if (a->kind == AttrKind::Generic) return;  // unknown attributes come back from their values
    std::string s = "\taddAttr -ci true";
    if (a->shortName != a->name) s += " -sn " + melQuote(a->shortName);
    s += " -ln " + melQuote(a->name);
    switch (a->kind) {
    case AttrKind::Typed: s += " -dt " + melQuote(a->dataType.empty() ? std::string("string") : a->dataType); break;
    case AttrKind::Compound: s += " -at \"compound\" -nc " + std::to_string(a->children.size()); break;
    default:
        s += " -at " + melQuote(a->typeString());
        if (a->isCompound()) s += " -nc " + std::to_string(a->children.size());
        break;
    }
    if (a->array) s += " -m";
    if (a->array && !a->indexMatters) s += " -im false";
    UnitType u = cmds::unitOf(a);
    auto ui = [&](double v) { return formatNumber(toUiUnits(u, v)); };
    if (a->hasMin) s += " -min " + ui(a->minValue);
    if (a->hasMax) s += " -max " + ui(a->maxValue);
    if (a->hasSoftMin) s += " -smn " + ui(a->softMinValue);
    if (a->hasSoftMax) s += " -smx " + ui(a->softMaxValue);
    if (a->defaultNumber != 0 && !a->isCompound() && a->kind != AttrKind::Typed) s += " -dv " + ui(a->defaultNumber);
    if (a->kind == AttrKind::Enum) {
        std::string en;
        int expect = 0;
        for (const auto& f : a->fields) {
            if (!en.empty()) en += ":";
            en += f.first;
            if (f.second != expect) en += "=" + std::to_string(f.second);
            expect = f.second + 1;
        }
        s += " -en " + melQuote(en);
    }
    if (a->keyable) s += " -k true";
    if (a->hidden) s += " -h true";
    if (!a->storable) s += " -s false";
    if (!a->readable) s += " -r false";
    if (!a->writable) s += " -w false";
    if (cmds::usedAsColor(a)) s += " -uac";
    if (!parentLong.empty()) s += " -p " + melQuote(parentLong);
    body.push_back(s + ";");
    for (const AttrPtr& c : a->children) addAttrLines(n, c.get(), a->name, body);
}

bool Writer::dataWords(const DataPtr& d, std::string& w, std::string& typeFlag) {
    typeFlag = d->typeName();
    if (auto* s = dynamic_cast<StringData*>(d.get())) {
        w = melQuote(s->value);
    } else if (auto* sa = dynamic_cast<StringArrayData*>(d.get())) {
        w = std::to_string(sa->values.size());
        for (const auto& x : sa->values) w += " " + melQuote(x);
    } else if (auto* cl = dynamic_cast<ComponentListData*>(d.get())) {
        w = std::to_string(cl->items.size());
        for (const auto& x : cl->items) w += " " + melQuote(x);
    } else if (auto* da = dynamic_cast<DoubleArrayData*>(d.get())) {
        w = std::to_string(da->values.size());
        for (double x : da->values) w += " " + formatNumber(x);
    } else if (auto* ia = dynamic_cast<Int32ArrayData*>(d.get())) {
        w = std::to_string(ia->values.size());
        for (int x : ia->values) w += " " + std::to_string(x);
    } else if (auto* pa = dynamic_cast<PointArrayData*>(d.get())) {
        w = std::to_string(pa->values.size());
        for (const auto& p : pa->values)
            for (double x : p) w += " " + formatNumber(x);
    } else if (auto* va = dynamic_cast<VectorArrayData*>(d.get())) {
        w = std::to_string(va->values.size());
        for (const auto& p : va->values)
            for (double x : p) w += " " + formatNumber(x);
    } else if (auto* md = dynamic_cast<MatrixData*>(d.get())) {
        for (int i = 0; i < 16; ++i) w += (i ? " " : "") + formatNumber(md->value.m[i / 4][i % 4]);
    } else if (auto* g = dynamic_cast<GenericData*>(d.get())) {
        typeFlag = g->type;
        for (std::size_t i = 0; i < g->tokens.size(); ++i) w += (i ? " " : "") + token(g->tokens[i]);
    } else if (const DataFormatter* f = findDataFormatter(d->typeName())) {
        std::vector<std::string> words;
        if (!(*f)(*d, words)) return false;
        for (std::size_t i = 0; i < words.size(); ++i) w += (i ? " " : "") + words[i];
    } else {
        return false;
    }
    return true;
}

// One value: its words, whether it differs from the attribute's default and
// the -type it needs. False: nothing storable.
bool Writer::leafWords(Attribute* a, const Slot& slot, std::string& w, bool& differs, std::string& typeFlag) {
    typeFlag.clear();
    differs = true;
    const Value& v = slot.value;
    if (const double* d = std::get_if<double>(&v)) {
        differs = *d != a->defaultNumber;
        if (a->kind == AttrKind::Unit) w = formatNumber(toUiUnits(a->unit, *d));
        else if (a->kind == AttrKind::Enum) w = std::to_string(static_cast<long long>(std::llround(*d)));
        else if (a->kind == AttrKind::Numeric && a->numeric == NumericType::kBoolean) w = *d != 0 ? "yes" : "no";
        else if (a->kind == AttrKind::Numeric && isIntType(a->numeric)) w = std::to_string(static_cast<long long>(std::llround(*d)));
        else if (a->kind == AttrKind::Numeric && isFloatType(a->numeric)) w = formatFloatNumber(static_cast<float>(*d));
        else w = formatNumber(*d);
        return true;
    }
    if (const std::string* s = std::get_if<std::string>(&v)) {
        differs = *s != a->defaultString;
        typeFlag = "string";
        w = melQuote(*s);
        return true;
    }
    if (const Matrix4* m = std::get_if<Matrix4>(&v)) {
        differs = *m != a->defaultMatrix;
        typeFlag = "matrix";
        w.clear();
        for (int i = 0; i < 16; ++i) w += (i ? " " : "") + formatNumber(m->m[i / 4][i % 4]);
        return true;
    }
    if (const DataPtr* dp = std::get_if<DataPtr>(&v)) {
        if (!*dp) return false;
        w.clear();
        if (!dataWords(*dp, w, typeFlag)) {
            warn("The data of type '" + (*dp)->typeName() + "' cannot be written; it is left out.");
            return false;
        }
        return true;
    }
    return false;
}

bool anyValue(const Slot& s) {
    if (s.hasValue || s.locked) return true;
    for (const Slot& c : s.children)
        if (anyValue(c)) return true;
    for (const auto& e : s.elements)
        if (anyValue(e.second)) return true;
    return false;
}

bool numericCompound(const Attribute* a) {
    if (!a->isCompound() || a->array) return false;
    for (const AttrPtr& c : a->children)
        if (c->array || c->isCompound() ||
            !(c->kind == AttrKind::Numeric || c->kind == AttrKind::Unit || c->kind == AttrKind::Enum))
            return false;
    return a->kind == AttrKind::Numeric || a->kind == AttrKind::Unit;
}

// Words of a numeric compound's children; false when none was set.
bool compoundWords(Writer* self, Attribute* a, const Slot& slot, std::string& w, bool& differs,
                   bool (Writer::*leaf)(Attribute*, const Slot&, std::string&, bool&, std::string&)) {
    bool any = false;
    differs = false;
    w.clear();
    for (std::size_t i = 0; i < a->children.size(); ++i) {
        Attribute* c = a->children[i].get();
        std::string cw = "0", tf;
        bool d = false;
        if (i < slot.children.size() && slot.children[i].hasValue) {
            if ((self->*leaf)(c, slot.children[i], cw, d, tf)) any = true;
            differs |= d;
        } else if (c->defaultNumber != 0) {
            Slot dummy;
            dummy.value = c->defaultNumber;
            (self->*leaf)(c, dummy, cw, d, tf);
        }
        w += (i ? " " : "") + cw;
    }
    return any;
}

void Writer::values(Node* n, Attribute* a, const Slot& slot, const std::string& path, std::vector<std::string>& body) {
    if (!anyValue(slot)) return;
    if (a->array) {
        arrayValues(n, a, slot, path, body);
    } else if (numericCompound(a)) {
        std::string w;
        bool differs = false;
        if (compoundWords(this, a, slot, w, differs, &Writer::leafWords) && differs)
            body.push_back("\tsetAttr " + melQuote(path) + " -type " + melQuote(a->typeString()) + " " + w + ";");
    } else if (a->isCompound()) {
        for (std::size_t i = 0; i < a->children.size() && i < slot.children.size(); ++i)
            values(n, a->children[i].get(), slot.children[i], path + "." + a->children[i]->shortName, body);
    } else if (slot.hasValue) {
        std::string w, tf;
        bool differs = false;
        if (leafWords(a, slot, w, differs, tf) && differs)
            body.push_back("\tsetAttr " + melQuote(path) + (tf.empty() ? "" : " -type " + melQuote(tf)) + " " + w + ";");
    }
    if (slot.locked) body.push_back("\tsetAttr -l on " + melQuote(path) + ";");
}

// Elements of a multi: runs of consecutive numeric elements as one ranged
// statement, everything else element by element.
void Writer::arrayValues(Node* n, Attribute* a, const Slot& slot, const std::string& path, std::vector<std::string>& body) {
    const bool scalar = !a->isCompound() && (a->kind == AttrKind::Numeric || a->kind == AttrKind::Unit || a->kind == AttrKind::Enum);
    const bool packed = scalar || (a->isCompound() && (a->kind == AttrKind::Numeric || a->kind == AttrKind::Unit) &&
                                   [&] {
                                       for (const AttrPtr& c : a->children)
                                           if (c->array || c->isCompound()) return false;
                                       return true;
                                   }());
    auto it = slot.elements.begin();
    while (it != slot.elements.end()) {
        if (!packed) {
            const std::string ep = path + "[" + std::to_string(it->first) + "]";
            if (a->isCompound()) {
                for (std::size_t i = 0; i < a->children.size() && i < it->second.children.size(); ++i)
                    values(n, a->children[i].get(), it->second.children[i], ep + "." + a->children[i]->shortName, body);
            } else if (it->second.hasValue) {
                std::string w, tf;
                bool differs = false;
                if (leafWords(a, it->second, w, differs, tf))
                    body.push_back("\tsetAttr " + melQuote(ep) + (tf.empty() ? "" : " -type " + melQuote(tf)) + " " + w + ";");
            }
            if (it->second.locked) body.push_back("\tsetAttr -l on " + melQuote(ep) + ";");
            ++it;
            continue;
        }
        // A run of consecutive elements that hold values.
        auto first = it;
        unsigned count = 0;
        std::string words;
        while (it != slot.elements.end() && it->first == first->first + count &&
               (it->second.hasValue || anyValue(it->second))) {
            std::string w, tf;
            bool differs = false;
            if (scalar) {
                if (!leafWords(a, it->second, w, differs, tf)) break;
            } else {
                compoundWords(this, a, it->second, w, differs, &Writer::leafWords);
            }
            words += " " + w;
            ++count;
            ++it;
        }
        if (count == 0) {
            ++it;
            continue;
        }
        std::string target = path + "[" + std::to_string(first->first) +
                             (count > 1 ? ":" + std::to_string(first->first + count - 1) : std::string()) + "]";
        std::string s = "\tsetAttr";
        if (count > 1) s += " -s " + std::to_string(count);
        s += " " + melQuote(target);
        if (!scalar) s += " -type " + melQuote(a->typeString());
        body.push_back(s + words + ";");
        for (auto e = first; e != it; ++e)
            if (e->second.locked)
                body.push_back("\tsetAttr -l on " + melQuote(path + "[" + std::to_string(e->first) + "]") + ";");
    }
}

// Keyable / channel-box states that differ from the attribute's own.
void Writer::flagLines(Node* n, Attribute* a, const std::string& path, std::vector<std::string>& body) {
    if (a->array || a->kind == AttrKind::Generic) return;
    Plug p;
    std::string err;
    if (!host::scene::scene().parseAttrPath(n, path.substr(1), p, &err)) return;
    bool k = cmds::plugKeyable(p), cb = cmds::plugChannelBox(p);
    if (k != a->keyable) body.push_back(std::string("\tsetAttr -k ") + (k ? "on " : "off ") + melQuote(path) + ";");
    if (cb != a->channelBox && !k) body.push_back(std::string("\tsetAttr -cb ") + (cb ? "on " : "off ") + melQuote(path) + ";");
    if (a->isCompound())
        for (const AttrPtr& c : a->children) flagLines(n, c.get(), path + "." + c->shortName, body);
}

// Everything below the node's createNode line; false when there is nothing.
bool Writer::nodeBody(Node* n, std::vector<std::string>& body) {
    const NodeSaveHook* hook = findNodeSaveHook(*n);
    std::set<std::string> skip;
    if (hook) skip.insert(hook->skipAttributes.begin(), hook->skipAttributes.end());
    for (const AttrPtr& a : n->dynamicAttrs) addAttrLines(n, a.get(), std::string(), body);
    for (std::size_t i = 0; i < n->attributeCount(); ++i) {
        Attribute* a = n->attributeAt(i);
        if (!a || skip.count(a->name) || !a->storable) continue;
        if (i < n->slots.size()) values(n, a, n->slots[i], "." + a->shortName, body);
        flagLines(n, a, "." + a->shortName, body);
    }
    for (const std::string& s : records::nodeStatements(n)) body.push_back("\t" + s + ";");
    if (hook && hook->write) hook->write(*n, body);
    if (n->locked) locked_.push_back(n);
    return !body.empty();
}

void Writer::nodes() {
    std::set<const Node*> chosen;
    if (opt_.selectionOnly) {
        for (const SelectionItem& it : host::scene::scene().activeSelection()) {
            if (!it.node) continue;
            chosen.insert(it.node.get());
            if (it.node->isDag())
                for (Node* d : host::scene::scene().dagDepthFirst(it.node.get())) chosen.insert(d);
        }
    }
    auto wanted = [&](const Node* n) { return !opt_.selectionOnly || chosen.count(n); };

    auto emit = [&](Node* n) {
        std::vector<std::string> body;
        bool content = nodeBody(n, body);
        if (n->isDefault || records::isImplicitDefault(n)) {
            if (!content) return;
            if (n->isDag()) out_ += "createNode " + n->typeName() + " -s -n " + melQuote(n->name) + (n->parent && !n->parent->isWorld() ? " -p " + melQuote(nameOf(n->parent)) : "") + ";\n";
            else out_ += "select -ne :" + n->name + ";\n";
        } else {
            std::string s = "createNode " + n->typeName();
            if (n->isShared) s += " -s";
            s += " -n " + melQuote(n->name);
            if (n->isDag() && n->parent && !n->parent->isWorld() && written_.count(n->parent))
                s += " -p " + melQuote(nameOf(n->parent));
            out_ += s + ";\n";
        }
        written_.insert(n);
        for (const std::string& l : body) out_ += l + "\n";
    };
    for (Node* n : host::scene::scene().dagDepthFirst())
        if (wanted(n)) emit(n);
    for (Node* n : host::scene::scene().nodes())
        if (!n->isDag() && !n->isWorld() && wanted(n)) emit(n);

    auto isDefault = [](const Node* n) { return n->isDefault || records::isImplicitDefault(n); };
    // Default nodes are named in the root namespace, as the host writes them.
    auto plugText = [&](const Plug& p) {
        return (isDefault(p.node) && !p.node->isDag() ? ":" : "") + p.name(false, true);
    };
    for (const Connection& c : host::scene::scene().allConnections()) {
        if (!written_.count(c.src.node) && !(isDefault(c.src.node) && !opt_.selectionOnly)) continue;
        if (!written_.count(c.dst.node) && !(isDefault(c.dst.node) && !opt_.selectionOnly)) continue;
        out_ += "connectAttr " + melQuote(plugText(c.src)) + " " + melQuote(plugText(c.dst)) + ";\n";
    }
    if (!opt_.selectionOnly) {
        for (const auto& w : records::keptConnections()) {
            if (w.size() < 2) continue;
            out_ += "connectAttr" + std::string(w.size() > 2 && !w[2].empty() ? " " + w[2] : "") + " " + melQuote(w[0]) +
                    " " + melQuote(w[1]) + ";\n";
        }
        for (const auto& r : records::relationships()) {
            std::string s = "relationship";
            for (const std::string& w : r) s += " " + ((!w.empty() && w[0] == '-') ? w : melQuote(w));
            out_ += s + ";\n";
        }
    }
    for (const Node* n : locked_) out_ += "lockNode -l 1 " + melQuote(nameOf(n)) + ";\n";
    std::string sel;
    for (const SelectionItem& it : host::scene::scene().activeSelection()) {
        if (!it.node || !written_.count(it.node.get())) continue;
        std::string name = nameOf(it.node.get());
        if (it.component) {
            std::vector<std::string> items = formatComponent(*it.component);
            for (const std::string& c : items) sel += " " + melQuote(name + "." + c);
            if (!items.empty()) continue;
        }
        if (!it.plug.isNull()) {
            sel += " " + melQuote(it.plug.name(false, true));
            continue;
        }
        sel += " " + melQuote(name);
    }
    out_ += sel.empty() ? "select -cl;\n" : "select -ne" + sel + ";\n";
}

std::string Writer::run() {
    header();
    nodes();
    std::string name = opt_.fileName;
    auto slash = name.rfind('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    out_ += "// End of " + name + "\n";
    return std::move(out_);
}

}  // namespace

std::string mayaAsciiText(const MaWriteOptions& options) {
    Writer w(options);
    return w.run();
}

bool writeMayaAsciiFile(const std::string& path, const MaWriteOptions& options, std::string* error) {
    MaWriteOptions o = options;
    if (o.fileName.empty()) o.fileName = path;
    std::string text = mayaAsciiText(o);
    std::string tmp = path + ".tmp" + std::to_string(static_cast<long>(::getpid()));
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        if (error) *error = "Cannot write the file " + path + ".";
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        if (error) *error = "Cannot write the file " + path + ".";
        return false;
    }
    return true;
}

}  // namespace host::files
