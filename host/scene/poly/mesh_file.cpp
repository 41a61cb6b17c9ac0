#include "scene/poly/mesh_file.h"

#include "files/ma_hooks.h"
#include "mel/interpreter.h"
#include "scene/commands/scene_commands.h"
#include "scene/mesh/mesh_data.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace host::scene {

using meshgeom::Rgba;
using meshgeom::Vec3;
using meshgeom::Vec3f;

namespace {

bool fail(std::string* err, const std::string& msg) {
    if (err) *err = msg;
    return false;
}

bool intWord(const std::string& w, long& out) {
    if (w.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(w.c_str(), &end, 10);
    if (errno != 0 || !end || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
    out = v;
    return true;
}

bool isSectionWord(const std::string& w) { return w == "f" || w == "h" || w == "mu" || w == "mc" || w == "fc"; }

// Reads "n id0 ... id(n-1)" after a section word.
bool readList(const std::vector<std::string>& words, std::size_t& pos, const std::string& what, long minId,
              std::vector<int>& out, std::string* err) {
    long n = 0;
    if (pos >= words.size() || !intWord(words[pos], n) || n < 0)
        return fail(err, "polyFaces: " + what + " needs a count, got " +
                             (pos < words.size() ? "'" + words[pos] + "'" : std::string("nothing")));
    ++pos;
    std::size_t avail = 0;
    while (pos + avail < words.size() && avail < std::size_t(n) && !isSectionWord(words[pos + avail])) ++avail;
    if (avail < std::size_t(n))
        return fail(err, "polyFaces: " + what + " declares " + std::to_string(n) + " ids but holds " +
                             std::to_string(avail));
    out.clear();
    out.reserve(std::size_t(n));
    for (long i = 0; i < n; ++i) {
        long v = 0;
        if (!intWord(words[pos], v)) return fail(err, "polyFaces: " + what + ": '" + words[pos] + "' is not an integer");
        if (v < minId) return fail(err, "polyFaces: " + what + ": id " + std::to_string(v) + " is out of range");
        out.push_back(int(v));
        ++pos;
    }
    return true;
}

}  // namespace

bool parsePolyFaces(const std::vector<std::string>& words, std::size_t& pos, int edgeCount, PolyFacesData& out,
                    std::string* err) {
    out.faces.clear();
    if (pos >= words.size() || words[pos] != "f")
        return fail(err, "polyFaces: expected 'f' to start a face, got " +
                             (pos < words.size() ? "'" + words[pos] + "'" : std::string("nothing")));
    ++pos;
    PolyFace face;
    if (!readList(words, pos, "face", INT_MIN, face.edges, err)) return false;
    if (face.edges.size() < 3)
        return fail(err, "polyFaces: a face needs at least 3 edges, got " + std::to_string(face.edges.size()));
    auto checkEdges = [&](const std::vector<int>& refs) {
        for (int r : refs) {
            int e = r < 0 ? ~r : r;
            if (edgeCount >= 0 && e >= edgeCount)
                return fail(err, "polyFaces: face names edge " + std::to_string(e) + " but the mesh has " +
                                     std::to_string(edgeCount) + " edges");
        }
        return true;
    };
    if (!checkEdges(face.edges)) return false;
    while (pos < words.size() && words[pos] != "f") {
        const std::string w = words[pos++];
        if (w == "h") {
            std::vector<int> loop;
            if (!readList(words, pos, "hole", INT_MIN, loop, err) || !checkEdges(loop)) return false;
            face.holes.push_back(std::move(loop));
        } else if (w == "mu" || w == "mc") {
            long set = 0;
            if (pos >= words.size() || !intWord(words[pos], set) || set < 0 || set > 100000)
                return fail(err, "polyFaces: '" + w + "' needs a set index, got " +
                                     (pos < words.size() ? "'" + words[pos] + "'" : std::string("nothing")));
            ++pos;
            std::vector<int> ids;
            bool uv = w == "mu";
            if (!readList(words, pos, uv ? "UV list" : "colour list", uv ? 0 : -1, ids, err)) return false;
            (uv ? face.uvs : face.colors).emplace_back(int(set), std::move(ids));
        } else if (w == "fc") {
            // Old per-face colour lists: read and dropped (colour sets replace them).
            std::vector<int> ids;
            if (!readList(words, pos, "face colour list", -1, ids, err)) return false;
        } else {
            return fail(err, "polyFaces: unknown section '" + w + "'");
        }
    }
    out.faces.push_back(std::move(face));
    return true;
}

void formatPolyFace(const PolyFace& f, std::vector<std::string>& words) {
    auto list = [&](const std::vector<int>& ids) {
        words.push_back(std::to_string(ids.size()));
        for (int i : ids) words.push_back(std::to_string(i));
    };
    words.push_back("f");
    list(f.edges);
    for (const auto& h : f.holes) {
        words.push_back("h");
        list(h);
    }
    for (const auto& u : f.uvs) {
        words.push_back("mu");
        words.push_back(std::to_string(u.first));
        list(u.second);
    }
    for (const auto& c : f.colors) {
        words.push_back("mc");
        words.push_back(std::to_string(c.first));
        list(c.second);
    }
}

// ------------------------------------------------------------ file attributes

namespace {

Plug shapePlug(const Node& shape, const char* attr) {
    Attribute* a = shape.attribute(attr);
    return a ? shape.plug(a) : Plug{};
}

Slot* arraySlot(const Plug& p) { return p.isNull() ? nullptr : scene().slot(p, false); }

double slotNumber(const Slot& s) {
    if (auto d = std::get_if<double>(&s.value)) return *d;
    return 0;
}

// Components of a numeric compound element slot (missing ones are 0).
void elementNumbers(const Slot& el, std::size_t n, double* out) {
    for (std::size_t k = 0; k < n; ++k) out[k] = k < el.children.size() ? slotNumber(el.children[k]) : 0.0;
}

bool elementHasValue(const Slot& el) {
    if (el.value.index() != 0) return true;
    for (const Slot& c : el.children)
        if (c.value.index() != 0) return true;
    return false;
}

std::size_t childIndex(const Node& shape, const char* attr) {
    Attribute* a = shape.attribute(attr);
    return a && a->childIndex >= 0 ? std::size_t(a->childIndex) : 0;
}

const Slot* childSlot(const Slot& el, std::size_t i) { return i < el.children.size() ? &el.children[i] : nullptr; }

std::string slotString(const Slot* s) {
    if (!s) return {};
    if (auto str = std::get_if<std::string>(&s->value)) return *str;
    if (auto d = std::get_if<DataPtr>(&s->value))
        if (auto sd = std::dynamic_pointer_cast<StringData>(*d)) return sd->value;
    return {};
}

// Points sets of uvst / clst: set index -> element slots of the points array.
struct SetPoints {
    std::string name;
    bool hasName = false;
    const std::map<unsigned, Slot>* points = nullptr;
    const Slot* element = nullptr;
};

std::map<unsigned, SetPoints> setPoints(const Node& shape, const char* setAttr, const char* nameAttr,
                                        const char* pointsAttr) {
    std::map<unsigned, SetPoints> out;
    const Slot* s = arraySlot(shapePlug(shape, setAttr));
    if (!s) return out;
    std::size_t ni = childIndex(shape, nameAttr), pi = childIndex(shape, pointsAttr);
    for (const auto& [idx, el] : s->elements) {
        SetPoints sp;
        sp.element = &el;
        if (const Slot* n = childSlot(el, ni)) {
            sp.name = slotString(n);
            sp.hasName = n->value.index() != 0;
        }
        if (const Slot* p = childSlot(el, pi))
            if (!p->elements.empty()) sp.points = &p->elements;
        out[idx] = sp;
    }
    return out;
}

bool anyElements(const Node& shape, const char* attr) {
    const Slot* s = arraySlot(shapePlug(shape, attr));
    return s && !s->elements.empty();
}

void warn(const std::string& msg) { host::mel::interpreter().warning(msg); }

}  // namespace

bool hasFileGeometry(const Node& shape) {
    if (anyElements(shape, "vrts") || anyElements(shape, "edge") || anyElements(shape, "face") ||
        anyElements(shape, "normals"))
        return true;
    for (const auto& [i, sp] : setPoints(shape, "uvSet", "uvSetName", "uvSetPoints"))
        if (sp.points) return true;
    for (const auto& [i, sp] : setPoints(shape, "colorSet", "colorName", "colorSetPoints"))
        if (sp.points) return true;
    return false;
}

bool buildFileGeometry(const Node& shape, const Mesh* base, Mesh& out, std::string* err) {
    const std::string who = "mesh " + shape.name + ": ";
    Mesh m = base ? *base : Mesh();
    // Points: base points overlaid by .vt elements.
    std::vector<Vec3f> pts = m.points();
    if (const Slot* vt = arraySlot(shapePlug(shape, "vrts")); vt && !vt->elements.empty()) {
        unsigned last = vt->elements.rbegin()->first;
        if (last >= 50000000u) return fail(err, who + "vertex index " + std::to_string(last) + " is too large");
        if (pts.size() < std::size_t(last) + 1) pts.resize(std::size_t(last) + 1);
        for (const auto& [i, el] : vt->elements) {
            double v[3];
            elementNumbers(el, 3, v);
            pts[i] = Vec3f(float(v[0]), float(v[1]), float(v[2]));
        }
    }
    const Slot* ed = arraySlot(shapePlug(shape, "edge"));
    const Slot* fc = arraySlot(shapePlug(shape, "face"));
    bool newTopology = (ed && !ed->elements.empty()) || (fc && !fc->elements.empty());
    std::vector<const PolyFace*> faces;
    if (newTopology) {
        std::vector<MeshEdge> edges;
        if (ed && !ed->elements.empty()) {
            unsigned last = ed->elements.rbegin()->first;
            if (last >= 50000000u) return fail(err, who + "edge index " + std::to_string(last) + " is too large");
            edges.resize(std::size_t(last) + 1);
            for (const auto& [i, el] : ed->elements) {
                double v[3];
                elementNumbers(el, 3, v);
                edges[i] = MeshEdge{int(v[0]), int(v[1]), v[2] != 0};
            }
        }
        // UV and colour sets keep their names; ids come from the faces.
        std::vector<std::string> uvNames, colorNames;
        for (int s = 0; s < m.numUVSets(); ++s) uvNames.push_back(m.uvSet(s).name);
        for (int s = 0; s < m.numColorSets(); ++s) colorNames.push_back(m.colorSet(s).name);
        Mesh t;
        t.setNormalMethod(m.normalMethod());
        t.setPointList(pts);
        std::string e;
        if (!t.setEdgeList(edges, &e)) return fail(err, who + e);
        if (fc) {
            unsigned expect = 0;
            for (const auto& [i, el] : fc->elements) {
                if (i != expect) return fail(err, who + "face " + std::to_string(expect) + " is missing from .fc");
                ++expect;
                auto d = std::get_if<DataPtr>(&el.value);
                auto pf = d ? std::dynamic_pointer_cast<PolyFacesData>(*d) : nullptr;
                if (!pf || pf->faces.empty()) return fail(err, who + "face " + std::to_string(i) + " has no data");
                for (const PolyFace& f : pf->faces) faces.push_back(&f);
            }
        }
        bool holesWarned = false;
        for (std::size_t f = 0; f < faces.size(); ++f) {
            if (!t.addFaceFromEdges(faces[f]->edges, &e)) return fail(err, who + "face " + std::to_string(f) + ": " + e);
            if (!faces[f]->holes.empty() && !holesWarned) {
                warn(who + "holes in faces are not kept (face " + std::to_string(f) + ")");
                holesWarned = true;
            }
        }
        for (std::size_t s = 0; s < uvNames.size(); ++s) {
            if (s == 0) t.renameUVSet(0, uvNames[0]);
            else t.createUVSet(uvNames[s]);
            t.setUVs(int(s), m.uvSet(int(s)).u, m.uvSet(int(s)).v);
        }
        for (const std::string& n : colorNames) {
            int s = t.createColorSet(n);
            t.setColors(s, m.colorSet(m.findColorSet(n)).colors);
        }
        if (m.numColorSets() > 0) t.setCurrentColorSet(m.currentColorSet());
        t.setCurrentUVSet(std::min(m.currentUVSet(), t.numUVSets() - 1));
        m = std::move(t);
    } else {
        m.setPoints(pts);
    }

    // UV sets: names and points by set index.
    for (const auto& [idx, sp] : setPoints(shape, "uvSet", "uvSetName", "uvSetPoints")) {
        if (idx > 1000) return fail(err, who + "UV set index " + std::to_string(idx) + " is too large");
        while (m.numUVSets() <= int(idx)) m.createUVSet("uvSet" + std::to_string(m.numUVSets()));
        if (sp.hasName && !sp.name.empty() && m.uvSet(int(idx)).name != sp.name && !m.renameUVSet(int(idx), sp.name))
            return fail(err, who + "UV set name '" + sp.name + "' is used twice");
        if (sp.points) {
            unsigned last = sp.points->rbegin()->first;
            if (last >= 50000000u) return fail(err, who + "UV index " + std::to_string(last) + " is too large");
            std::vector<float> u = m.uvSet(int(idx)).u, v = m.uvSet(int(idx)).v;
            u.resize(std::max(u.size(), std::size_t(last) + 1));
            v.resize(u.size());
            for (const auto& [i, el] : *sp.points) {
                double uv[2];
                elementNumbers(el, 2, uv);
                u[i] = float(uv[0]);
                v[i] = float(uv[1]);
            }
            m.setUVs(int(idx), u, v);
        }
    }
    // Colour sets.
    std::size_t repIdx = childIndex(shape, "representation");
    for (const auto& [idx, sp] : setPoints(shape, "colorSet", "colorName", "colorSetPoints")) {
        if (idx > 1000) return fail(err, who + "colour set index " + std::to_string(idx) + " is too large");
        while (m.numColorSets() <= int(idx)) m.createColorSet("colorSet" + std::to_string(m.numColorSets() + 1));
        if (sp.hasName && !sp.name.empty() && m.colorSet(int(idx)).name != sp.name &&
            !m.renameColorSet(int(idx), sp.name))
            return fail(err, who + "colour set name '" + sp.name + "' is used twice");
        if (const Slot* rep = childSlot(*sp.element, repIdx); rep && rep->value.index() != 0)
            m.setColorRepresentation(int(idx), int(slotNumber(*rep)));
        if (sp.points) {
            unsigned last = sp.points->rbegin()->first;
            if (last >= 50000000u) return fail(err, who + "colour index " + std::to_string(last) + " is too large");
            std::vector<Rgba> colors = m.colorSet(int(idx)).colors;
            colors.resize(std::max(colors.size(), std::size_t(last) + 1));
            for (const auto& [i, el] : *sp.points) {
                double c[4];
                elementNumbers(el, 4, c);
                colors[i] = Rgba{float(c[0]), float(c[1]), float(c[2]), float(c[3])};
            }
            m.setColors(int(idx), colors);
        }
    }
    // Per-face UV and colour ids of the file's faces.
    for (std::size_t f = 0; f < faces.size(); ++f) {
        int n = m.faceCount(int(f));
        for (const auto& [set, ids] : faces[f]->uvs) {
            if (set >= m.numUVSets())
                return fail(err, who + "face " + std::to_string(f) + " names UV set " + std::to_string(set) + " of " +
                                     std::to_string(m.numUVSets()));
            if (int(ids.size()) < n)
                return fail(err, who + "face " + std::to_string(f) + " has " + std::to_string(n) + " corners but " +
                                     std::to_string(ids.size()) + " UV ids");
            std::string e;
            if (!m.setFaceUVIds(set, int(f), std::vector<int>(ids.begin(), ids.begin() + n), &e))
                return fail(err, who + e);
        }
        for (const auto& [set, ids] : faces[f]->colors) {
            if (set >= m.numColorSets())
                return fail(err, who + "face " + std::to_string(f) + " names colour set " + std::to_string(set) + " of " +
                                     std::to_string(m.numColorSets()));
            if (int(ids.size()) < n)
                return fail(err, who + "face " + std::to_string(f) + " has " + std::to_string(n) + " corners but " +
                                     std::to_string(ids.size()) + " colour ids");
            std::string e;
            if (!m.setFaceColorIds(set, int(f), std::vector<int>(ids.begin(), ids.begin() + n), &e))
                return fail(err, who + e);
        }
    }
    // Face-vertex normals, all or nothing.
    if (const Slot* ns = arraySlot(shapePlug(shape, "normals")); ns && !ns->elements.empty()) {
        unsigned last = ns->elements.rbegin()->first;
        if (std::size_t(last) + 1 != std::size_t(m.numFaceVertices()) || ns->elements.size() != std::size_t(last) + 1)
            return fail(err, who + ".n holds " + std::to_string(ns->elements.size()) + " normals for " +
                                 std::to_string(m.numFaceVertices()) + " face-vertices");
        std::vector<Vec3> normals;
        normals.reserve(ns->elements.size());
        for (const auto& [i, el] : ns->elements) {
            double v[3];
            elementNumbers(el, 3, v);
            normals.emplace_back(v[0], v[1], v[2]);
        }
        std::string e;
        if (!m.setStoredNormals(normals, &e)) return fail(err, who + e);
    }
    // Current sets by name.
    std::string cuv = scene().getString(shapePlug(shape, "currentUVSet"));
    if (int s = m.findUVSet(cuv); s >= 0) m.setCurrentUVSet(s);
    if (Plug cc = shapePlug(shape, "currentColorSet"); !cc.isNull()) {
        std::string ccs = scene().getString(cc);
        if (int s = m.findColorSet(ccs); s >= 0) m.setCurrentColorSet(s);
    }
    if (Plug vnm = shapePlug(shape, "vertexNormalMethod"); !vnm.isNull()) {
        Slot* s = scene().slot(vnm, false);
        if (s && s->value.index() != 0) {
            int v = int(slotNumber(*s));
            if (v >= 0 && v <= 3) m.setNormalMethod(VertexNormalMethod(v));
        }
    }
    std::string e;
    if (!m.validate(&e)) return fail(err, who + e);
    out = std::move(m);
    return true;
}

void clearFileGeometry(Node& shape) {
    for (const char* a : {"vrts", "edge", "face", "normals"})
        if (Slot* s = arraySlot(shapePlug(shape, a))) s->elements.clear();
    for (const char* set : {"uvSet", "colorSet"}) {
        const char* pts = set[0] == 'u' ? "uvSetPoints" : "colorSetPoints";
        Slot* s = arraySlot(shapePlug(shape, set));
        if (!s) continue;
        std::size_t pi = childIndex(shape, pts);
        for (auto& [i, el] : s->elements)
            if (pi < el.children.size()) el.children[pi].elements.clear();
    }
}

std::vector<std::pair<int, Vec3f>> shapeTweaks(const Node& shape) {
    std::vector<std::pair<int, Vec3f>> out;
    const Slot* s = arraySlot(shapePlug(shape, "pnts"));
    if (!s) return out;
    for (const auto& [i, el] : s->elements) {
        if (!elementHasValue(el) || i > 50000000u) continue;
        double v[3];
        elementNumbers(el, 3, v);
        if (v[0] != 0 || v[1] != 0 || v[2] != 0) out.emplace_back(int(i), Vec3f(float(v[0]), float(v[1]), float(v[2])));
    }
    return out;
}

void clearShapeTweaks(Node& shape) {
    if (Slot* s = arraySlot(shapePlug(shape, "pnts"))) s->elements.clear();
}

// ------------------------------------------------------------ writing

std::string floatText(float v) {
    if (v == 0) return "0";
    char buf[64];
    for (int prec = 6; prec <= 9; ++prec) {
        std::snprintf(buf, sizeof buf, "%.*g", prec, double(v));
        if (std::strtof(buf, nullptr) == v) break;
    }
    return buf;
}

namespace {

// A statement with its values wrapped a few per line, as the host writes them.
std::string statement(const std::string& head, const std::vector<std::string>& values, std::size_t perLine) {
    std::string s = "\t" + head;
    for (std::size_t i = 0; i < values.size(); ++i) {
        s += (i % perLine == 0) ? "\n\t\t" : " ";
        s += values[i];
    }
    return s + ";";
}

std::string range(std::size_t n) { return "[0:" + std::to_string(n - 1) + "]"; }

std::string quoted(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

}  // namespace

std::vector<std::string> meshSetAttrStatements(const Mesh& m) {
    std::vector<std::string> lines;
    for (int s = 0; s < m.numUVSets(); ++s) {
        const MeshUVSet& set = m.uvSet(s);
        std::string el = ".uvst[" + std::to_string(s) + "]";
        lines.push_back("\tsetAttr \"" + el + ".uvsn\" -type \"string\" " + quoted(set.name) + ";");
        if (!set.u.empty()) {
            std::vector<std::string> vals;
            for (std::size_t i = 0; i < set.u.size(); ++i) {
                vals.push_back(floatText(set.u[i]));
                vals.push_back(floatText(set.v[i]));
            }
            lines.push_back(statement("setAttr -s " + std::to_string(set.u.size()) + " \"" + el + ".uvsp" +
                                          range(set.u.size()) + "\" -type \"float2\"",
                                      vals, 8));
        }
    }
    if (m.numUVSets() > 0) lines.push_back("\tsetAttr \".cuvs\" -type \"string\" " + quoted(m.uvSet(m.currentUVSet()).name) + ";");
    for (int s = 0; s < m.numColorSets(); ++s) {
        const MeshColorSet& set = m.colorSet(s);
        std::string el = ".clst[" + std::to_string(s) + "]";
        lines.push_back("\tsetAttr \"" + el + ".clsn\" -type \"string\" " + quoted(set.name) + ";");
        lines.push_back("\tsetAttr \"" + el + ".rprt\" " + std::to_string(set.representation) + ";");
        if (!set.colors.empty()) {
            std::vector<std::string> vals;
            for (const Rgba& c : set.colors)
                for (float x : {c.r, c.g, c.b, c.a}) vals.push_back(floatText(x));
            lines.push_back(statement("setAttr -s " + std::to_string(set.colors.size()) + " \"" + el + ".clsp" +
                                          range(set.colors.size()) + "\"",
                                      vals, 8));
        }
    }
    if (m.numColorSets() > 0)
        lines.push_back("\tsetAttr \".ccls\" -type \"string\" " + quoted(m.colorSet(m.currentColorSet()).name) + ";");
    if (m.numVertices() > 0) {
        std::vector<std::string> vals;
        for (const Vec3f& p : m.points())
            for (float x : {p.x, p.y, p.z}) vals.push_back(floatText(x));
        lines.push_back(statement("setAttr -s " + std::to_string(m.numVertices()) + " \".vt" +
                                      range(std::size_t(m.numVertices())) + "\"",
                                  vals, 9));
    }
    if (m.numEdges() > 0) {
        std::vector<std::string> vals;
        for (const MeshEdge& e : m.edges()) {
            vals.push_back(std::to_string(e.v0));
            vals.push_back(std::to_string(e.v1));
            vals.push_back(e.smooth ? "1" : "0");
        }
        lines.push_back(statement("setAttr -s " + std::to_string(m.numEdges()) + " \".ed" +
                                      range(std::size_t(m.numEdges())) + "\"",
                                  vals, 15));
    }
    bool anyLocked = false;
    for (int fv = 0; fv < m.numFaceVertices() && !anyLocked; ++fv) anyLocked = m.isNormalLocked(fv);
    if (anyLocked) {
        std::vector<std::string> vals;
        for (int fv = 0; fv < m.numFaceVertices(); ++fv) {
            if (!m.isNormalLocked(fv)) {
                for (int k = 0; k < 3; ++k) vals.push_back("1e+20");
                continue;
            }
            Vec3 n = m.faceVertexNormal(fv);
            for (double x : {n.x, n.y, n.z}) vals.push_back(floatText(float(x)));
        }
        lines.push_back(statement("setAttr -s " + std::to_string(m.numFaceVertices()) + " \".n" +
                                      range(std::size_t(m.numFaceVertices())) + "\" -type \"float3\"",
                                  vals, 9));
    }
    if (m.numFaces() > 0) {
        std::vector<std::string> words;
        std::string body;
        for (int f = 0; f < m.numFaces(); ++f) {
            PolyFace pf;
            for (int i = 0; i < m.faceCount(f); ++i) pf.edges.push_back(m.faceEdgeRef(f, i));
            for (int s = 0; s < m.numUVSets(); ++s) {
                if (!m.faceHasUVs(s, f)) continue;
                std::vector<int> ids;
                for (int i = 0; i < m.faceCount(f); ++i) ids.push_back(m.uvId(s, m.faceOffset(f) + i));
                pf.uvs.emplace_back(s, std::move(ids));
            }
            for (int s = 0; s < m.numColorSets(); ++s) {
                std::vector<int> ids;
                bool any = false;
                for (int i = 0; i < m.faceCount(f); ++i) {
                    ids.push_back(m.colorId(s, m.faceOffset(f) + i));
                    any = any || ids.back() >= 0;
                }
                if (any) pf.colors.emplace_back(s, std::move(ids));
            }
            std::vector<std::string> fw;
            formatPolyFace(pf, fw);
            // One line per section, as the host lays faces out.
            std::string line;
            for (const std::string& w : fw) {
                bool section = w == "f" || w == "h" || w == "mu" || w == "mc";
                if (section) {
                    if (!line.empty()) body += "\n\t\t" + line;
                    line = w;
                } else {
                    line += " " + w;
                }
            }
            body += "\n\t\t" + line;
        }
        lines.push_back("\tsetAttr -s " + std::to_string(m.numFaces()) + " -ch " + std::to_string(m.numFaceVertices()) +
                        " \".fc" + range(std::size_t(m.numFaces())) + "\" -type \"polyFaces\" " + body + ";");
    }
    if (m.normalMethod() != VertexNormalMethod::kAngleAndAreaWeighted)
        lines.push_back("\tsetAttr \".vnm\" " + std::to_string(int(m.normalMethod())) + ";");
    return lines;
}

void registerMeshFileFormat() {
    registerDataParser("polyFaces", [](const Plug& target, const std::vector<std::string>& words, std::size_t& pos,
                                       std::string* error) -> DataPtr {
        int edgeCount = -1;
        if (target.node) {
            Attribute* ea = target.node->attribute("edge");
            if (ea && target.node->type->hasFn(MFn::kMesh)) {
                std::vector<unsigned> idx = scene().logicalIndices(target.node->plug(ea));
                if (!idx.empty()) edgeCount = int(idx.back()) + 1;
            }
        }
        auto d = std::make_shared<PolyFacesData>();
        std::string err;
        if (!parsePolyFaces(words, pos, edgeCount, *d, &err)) {
            if (error) *error = err.empty() ? "polyFaces: bad data" : err;
            return nullptr;
        }
        return d;
    });
    host::files::registerDataFormatter("polyFaces", [](const TypedData& data, std::vector<std::string>& words) {
        auto* pf = dynamic_cast<const PolyFacesData*>(&data);
        if (!pf) return false;
        for (const PolyFace& f : pf->faces) formatPolyFace(f, words);
        return true;
    });
    host::files::NodeSaveHook hook;
    hook.skipAttributes = {"inMesh", "cachedInMesh", "vrts", "edge", "face", "normals", "uvSet", "currentUVSet",
                           "colorSet", "currentColorSet", "pnts", "vertexNormalMethod"};
    hook.write = [](const Node& node, std::vector<std::string>& lines) {
        Node& shape = const_cast<Node&>(node);
        Attribute* in = shape.attribute("inMesh");
        bool connected = in && !scene().sourceOf(shape.plug(in)).isNull();
        if (connected) {
            // History rebuilds the geometry; only the shape's own tweaks go to the file.
            auto tweaks = shapeTweaks(shape);
            if (!tweaks.empty()) {
                lines.push_back("\tsetAttr -s " + std::to_string(tweaks.size()) + " \".pt\";");
                for (const auto& [v, d] : tweaks)
                    lines.push_back("\tsetAttr \".pt[" + std::to_string(v) + "]\" -type \"float3\" " + floatText(d.x) +
                                    " " + floatText(d.y) + " " + floatText(d.z) + ";");
            }
            return;
        }
        MeshDataPtr g = shapeGeometry(&shape);
        if (!g) return;
        for (std::string& l : meshSetAttrStatements(g->mesh)) lines.push_back(std::move(l));
    };
    host::files::registerNodeSaveHook("mesh", std::move(hook));
}

}  // namespace host::scene
