#pragma once
// What the scene file tests compare: a text description of the whole scene
// taken from the scene graph itself (not from the writer), and helpers to
// save and reopen.
#include "mel/interpreter.h"
#include "plugins/host_init.h"
#include "scene/commands/file_records.h"
#include "scene/core/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace matest {

using namespace host::scene;

inline host::mel::ExecResult mel(const std::string& text) { return host::mel::interpreter().execute(text, "", false); }

inline std::string num(double v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.9g", v);
    return b;
}

inline void dumpValue(std::ostream& o, const Value& v) {
    if (auto d = std::get_if<double>(&v)) o << num(*d);
    else if (auto s = std::get_if<std::string>(&v)) o << '"' << *s << '"';
    else if (auto m = std::get_if<Matrix4>(&v)) {
        o << "matrix";
        for (auto& r : m->m)
            for (double x : r) o << ' ' << num(x);
    } else if (auto dp = std::get_if<DataPtr>(&v)) {
        const DataPtr& d = *dp;
        if (!d) {
            o << "null";
            return;
        }
        o << d->typeName() << ':';
        if (auto x = dynamic_cast<StringData*>(d.get())) o << '"' << x->value << '"';
        else if (auto x = dynamic_cast<StringArrayData*>(d.get())) for (auto& s : x->values) o << " \"" << s << '"';
        else if (auto x = dynamic_cast<ComponentListData*>(d.get())) for (auto& s : x->items) o << ' ' << s;
        else if (auto x = dynamic_cast<DoubleArrayData*>(d.get())) for (double e : x->values) o << ' ' << num(e);
        else if (auto x = dynamic_cast<Int32ArrayData*>(d.get())) for (int e : x->values) o << ' ' << e;
        else if (auto x = dynamic_cast<PointArrayData*>(d.get())) for (auto& p : x->values) for (double e : p) o << ' ' << num(e);
        else if (auto x = dynamic_cast<VectorArrayData*>(d.get())) for (auto& p : x->values) for (double e : p) o << ' ' << num(e);
        else if (auto x = dynamic_cast<MatrixData*>(d.get())) for (auto& r : x->value.m) for (double e : r) o << ' ' << num(e);
        else if (auto x = dynamic_cast<GenericData*>(d.get())) for (auto& s : x->tokens) o << ' ' << s;
        else o << " (opaque)";
    }
}

inline void dumpSlot(std::ostream& o, const std::string& path, const Attribute* a, const Slot& s) {
    if (s.hasValue) {
        o << "  " << path << " = ";
        dumpValue(o, s.value);
        o << '\n';
    }
    if (s.locked) o << "  " << path << " locked\n";
    for (const auto& e : s.elements) {
        const std::string ep = path + "[" + std::to_string(e.first) + "]";
        const Slot& es = e.second;
        if (es.hasValue) {
            o << "  " << ep << " = ";
            dumpValue(o, es.value);
            o << '\n';
        }
        if (es.locked) o << "  " << ep << " locked\n";
        for (std::size_t i = 0; i < es.children.size() && i < a->children.size(); ++i)
            dumpSlot(o, ep + "." + a->children[i]->name, a->children[i].get(), es.children[i]);
    }
    if (!a->array)
        for (std::size_t i = 0; i < s.children.size() && i < a->children.size(); ++i)
            dumpSlot(o, path + "." + a->children[i]->name, a->children[i].get(), s.children[i]);
}

// Nodes (type, parent, lock), dynamic attributes, stored values, kept
// statements, connections, selection, relationships.
inline std::string fingerprint() {
    Scene& S = scene();
    std::ostringstream o;
    // Creation order may change on saving (DAG nodes first): nodes sorted.
    std::vector<std::string> blocks;
    for (Node* n : S.nodes()) {
        std::ostringstream o;
        o << (n->isDag() ? n->fullPath() : n->name) << " : " << n->typeName() << (n->locked ? " locked" : "") << '\n';
        for (const AttrPtr& a : n->dynamicAttrs)
            o << "  +attr " << a->name << '/' << a->shortName << ' ' << a->typeString() << (a->array ? " multi" : "")
              << (a->keyable ? " k" : "") << " children=" << a->children.size() << '\n';
        for (std::size_t i = 0; i < n->attributeCount() && i < n->slots.size(); ++i) {
            Attribute* a = n->attributeAt(i);
            if (!a || !a->storable) continue;
            dumpSlot(o, a->name, a, n->slots[i]);
        }
        for (const std::string& s : records::nodeStatements(n)) o << "  kept " << s << '\n';
        blocks.push_back(o.str());
    }
    std::sort(blocks.begin(), blocks.end());
    for (const std::string& b : blocks) o << b;
    std::vector<std::string> cons;
    for (const Connection& c : S.allConnections()) cons.push_back(c.src.name(true, true) + " -> " + c.dst.name(true, true));
    std::sort(cons.begin(), cons.end());
    for (const std::string& c : cons) o << "connect " << c << '\n';
    for (const auto& c : records::keptConnections()) o << "kept connect " << c[0] << " -> " << c[1] << '\n';
    for (const auto& r : records::relationships()) {
        o << "relationship";
        for (const auto& w : r) o << ' ' << w;
        o << '\n';
    }
    o << "selection";
    for (const SelectionItem& it : S.activeSelection())
        if (it.node) o << ' ' << (it.node->isDag() ? it.node->fullPath() : it.node->name);
    o << '\n';
    return o.str();
}

inline std::string tempPath(const std::string& name) {
    return "/tmp/vl2_ma_" + std::to_string(::getpid()) + "_" + name;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Line by line difference, for failure messages.
inline std::string firstDifference(const std::string& a, const std::string& b) {
    std::istringstream x(a), y(b);
    std::string lx, ly;
    int line = 1;
    while (true) {
        bool gx = static_cast<bool>(std::getline(x, lx)), gy = static_cast<bool>(std::getline(y, ly));
        if (!gx && !gy) return "(same)";
        if (!gx || !gy || lx != ly)
            return "line " + std::to_string(line) + ":\n  before: " + (gx ? lx : "<end>") + "\n  after:  " + (gy ? ly : "<end>");
        ++line;
    }
}

class MaFixture : public ::testing::Test {
protected:
    void SetUp() override {
        host::initialize();
        ASSERT_TRUE(mel("file -f -new; currentUnit -l centimeter -a degree -t film;").ok);
    }
    void TearDown() override {
        for (const std::string& f : files_) std::remove(f.c_str());
        mel("file -f -new; currentUnit -l centimeter -a degree -t film;");
    }
    std::string temp(const std::string& name) {
        files_.push_back(tempPath(name));
        return files_.back();
    }
    // Saves, opens the file again and checks the scene did not change.
    void expectRoundTrip(const std::string& name) {
        const std::string before = fingerprint();
        const std::string path = temp(name);
        host::mel::ExecResult s = mel("file -rename \"" + path + "\"; file -f -save -type \"mayaAscii\";");
        ASSERT_TRUE(s.ok) << s.error;
        host::mel::ExecResult r = mel("file -f -new; file -f -o \"" + path + "\";");
        ASSERT_TRUE(r.ok) << r.error << "\n--- file:\n" << readFile(path).substr(0, 4000);
        const std::string after = fingerprint();
        EXPECT_EQ(before, after) << firstDifference(before, after);
    }
    std::vector<std::string> files_;
};

}  // namespace matest
