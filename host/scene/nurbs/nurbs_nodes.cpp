// Evaluation of NURBS curve and surface shapes, the subCurve and curveInfo
// utility nodes and the history nodes the primitive commands create.
#include "files/ma_hooks.h"
#include "scene/commands/scene_commands.h"
#include "scene/nurbs/nurbs_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace host::scene::nurbs {

namespace {

constexpr double kPi = 3.14159265358979323846;

AttrPtr dbl(const char* l, const char* s, double def) { return makeNumeric(l, s, NumericType::kDouble, def); }
AttrPtr lng(const char* l, const char* s, double def) { return makeNumeric(l, s, NumericType::kLong, def); }
AttrPtr dist(const char* l, const char* s, double def) { return makeUnit(l, s, UnitType::kDistance, def); }
AttrPtr ang(const char* l, const char* s, double def) { return makeUnit(l, s, UnitType::kAngle, def); }
AttrPtr vec3(const std::string& l, const std::string& s, const char* cl, const char* cs, Vec3d def) {
    std::vector<AttrPtr> kids;
    const char* axes[3] = {"X", "Y", "Z"};
    const char* small[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i)
        kids.push_back(makeNumeric(std::string(cl) + axes[i], std::string(cs) + small[i], NumericType::kDouble, def[i]));
    return makeNumericCompound(l, s, NumericType::k3Double, std::move(kids));
}

void wire(NodeType* t, std::initializer_list<const char*> ins, std::initializer_list<const char*> outs) {
    for (const char* o : outs) {
        Attribute* oa = t->attribute(o);
        if (!oa) continue;
        oa->computed = true;
        oa->storable = false;
        for (const char* i : ins) {
            Attribute* ia = t->attribute(i);
            if (!ia) continue;
            if (std::find(ia->affects.begin(), ia->affects.end(), oa) == ia->affects.end()) {
                ia->affects.push_back(oa);
                oa->affectedBy.push_back(ia);
            }
        }
    }
}

Vec3d vecOf(Node& n, const char* attr) {
    std::vector<double> v = scene().getNumbers(n.plug(attr));
    v.resize(3, 0.0);
    return {v[0], v[1], v[2]};
}
double num(Node& n, const char* attr) { return scene().getDouble(n.plug(attr)); }

bool isAttr(const Plug& p, Node& n, const char* name) {
    return !p.path.empty() && p.path[0].attr == n.type->attribute(name);
}

// Shape evaluation: "local" is the geometry in object space, "worldSpace[i]"
// the same placed by the shape's world matrix. Data this host cannot read
// (kept as words) flows through unchanged.
template <class Data>
MStatus computeShape(Node& n, const Plug& p, const ComputeFn& next) {
    Scene& s = scene();
    bool local = isAttr(p, n, "local"), world = isAttr(p, n, "worldSpace");
    bool info = false;
    if constexpr (std::is_same_v<Data, NurbsCurveData>)
        info = isAttr(p, n, "degree") || isAttr(p, n, "spans") || isAttr(p, n, "form") || isAttr(p, n, "minValue") ||
               isAttr(p, n, "maxValue");
    if (!local && !world && !info) return next ? next(n, p) : MStatus::kUnknownParameter;
    Value v;
    Plug create = n.plug("create");
    if (!s.sourceOf(create).isNull()) v = s.get(create);
    if (v.index() == 0)
        if (Slot* sl = s.slot(n.plug("cached"), false)) v = sl->value;
    if (v.index() == 0)
        if (Slot* sl = s.slot(create, false)) v = sl->value;
    if (local) {
        s.setComputed(n.plug("local"), v);
        return MStatus::kSuccess;
    }
    if constexpr (std::is_same_v<Data, NurbsCurveData>) {
        if (info) {
            auto* dp = std::get_if<DataPtr>(&v);
            auto geom = dp ? std::dynamic_pointer_cast<Data>(*dp) : nullptr;
            double t0 = 0, t1 = 0;
            if (geom) geom->curve.domain(t0, t1);
            s.setComputed(n.plug("degree"), geom ? double(geom->curve.degree) : 0.0);
            s.setComputed(n.plug("spans"), geom ? double(geom->curve.numSpans()) : 0.0);
            s.setComputed(n.plug("form"), geom ? double(geom->curve.form - 1) : 0.0);
            s.setComputed(n.plug("minValue"), t0);
            s.setComputed(n.plug("maxValue"), t1);
            return MStatus::kSuccess;
        }
    }
    if (p.path[0].index < 0) return MStatus::kSuccess;
    unsigned idx = static_cast<unsigned>(p.path[0].index);
    Plug out = n.plug("worldSpace").element(idx);
    auto* dp = std::get_if<DataPtr>(&v);
    auto geom = dp ? std::dynamic_pointer_cast<Data>(*dp) : nullptr;
    if (!geom) {
        s.setComputed(out, v);
        return MStatus::kSuccess;
    }
    auto placed = std::make_shared<Data>(*geom);
    Matrix4 m = s.getMatrix(n.plug("worldMatrix").element(idx));
    if constexpr (std::is_same_v<Data, NurbsCurveData>) placed->curve.transform(m);
    else placed->surface.transform(m);
    s.setComputed(out, DataPtr(placed));
    return MStatus::kSuccess;
}

NurbsCurveDataPtr curveInput(Node& n, const char* attr) {
    return std::dynamic_pointer_cast<NurbsCurveData>(scene().getData(n.plug(attr)));
}

MStatus computeSubCurve(Node& n, const Plug& p) {
    Scene& s = scene();
    auto in = curveInput(n, "inputCurve");
    if (!in) {
        s.setComputed(n.plug("outputCurve"), Value());
        return MStatus::kSuccess;
    }
    double t0, t1;
    in->curve.domain(t0, t1);
    double a = num(n, "minValue"), b = num(n, "maxValue");
    if (num(n, "relative") != 0) {
        a = t0 + a * (t1 - t0);
        b = t0 + b * (t1 - t0);
    }
    auto out = std::make_shared<NurbsCurveData>();
    out->curve = in->curve.sub(a, b);
    s.setComputed(n.plug("outputCurve"), DataPtr(out));
    return MStatus::kSuccess;
}

MStatus computeCurveInfo(Node& n, const Plug& p) {
    Scene& s = scene();
    auto in = curveInput(n, "inputCurve");
    Plug cp = n.plug("controlPoints"), wt = n.plug("weights"), kn = n.plug("knots");
    for (const Plug& arr : {cp, wt, kn})
        if (Slot* sl = s.slot(arr, true)) sl->elements.clear();
    if (!in) {
        s.setComputed(n.plug("arcLength"), 0.0);
        return MStatus::kSuccess;
    }
    const CurveGeom& c = in->curve;
    s.setComputed(n.plug("arcLength"), c.length());
    for (unsigned i = 0; i < c.cvs.size(); ++i) {
        Plug e = cp.element(i);
        for (unsigned k = 0; k < 3; ++k) s.setComputed(e.child(k), c.cvs[i][k]);
        s.setComputed(e, Value());
        s.setComputed(wt.element(i), c.cvs[i][3]);
    }
    for (unsigned i = 0; i < c.knots.size(); ++i) s.setComputed(kn.element(i), c.knots[i]);
    return MStatus::kSuccess;
}

void reportBadHistory(Node& n, const std::string& err) {
    std::fprintf(stderr, "// Warning: %s: %s //\n", n.name.c_str(), err.c_str());
}

MStatus computeMakeCircle(Node& n, const Plug& p) {
    auto out = std::make_shared<NurbsCurveData>();
    std::string err;
    if (!makeCircle(vecOf(n, "center"), vecOf(n, "normal"), num(n, "radius"), num(n, "sweep"),
                    static_cast<int>(num(n, "sections")), static_cast<int>(num(n, "degree")), out->curve, &err)) {
        reportBadHistory(n, err);
        scene().setComputed(n.plug("outputCurve"), Value());
        return MStatus::kSuccess;
    }
    scene().setComputed(n.plug("outputCurve"), DataPtr(out));
    return MStatus::kSuccess;
}

MStatus computeMakePlane(Node& n, const Plug& p) {
    auto out = std::make_shared<NurbsSurfaceData>();
    std::string err;
    if (!makePlane(vecOf(n, "pivot"), vecOf(n, "axis"), num(n, "width"), num(n, "lengthRatio"),
                   static_cast<int>(num(n, "patchesU")), static_cast<int>(num(n, "patchesV")),
                   static_cast<int>(num(n, "degree")), out->surface, &err)) {
        reportBadHistory(n, err);
        scene().setComputed(n.plug("outputSurface"), Value());
        return MStatus::kSuccess;
    }
    scene().setComputed(n.plug("outputSurface"), DataPtr(out));
    return MStatus::kSuccess;
}

MStatus computeMakeSphere(Node& n, const Plug& p) {
    auto out = std::make_shared<NurbsSurfaceData>();
    std::string err;
    if (!makeSphere(vecOf(n, "pivot"), vecOf(n, "axis"), num(n, "radius"), num(n, "startSweep"),
                    num(n, "endSweep"), static_cast<int>(num(n, "sections")), static_cast<int>(num(n, "spans")),
                    static_cast<int>(num(n, "degree")), out->surface, &err)) {
        reportBadHistory(n, err);
        scene().setComputed(n.plug("outputSurface"), Value());
        return MStatus::kSuccess;
    }
    scene().setComputed(n.plug("outputSurface"), DataPtr(out));
    return MStatus::kSuccess;
}

void registerDataWords() {
    registerDataParser("nurbsCurve", [](const Plug&, const std::vector<std::string>& words, std::size_t& pos,
                                        std::string* error) -> DataPtr {
        auto d = std::make_shared<NurbsCurveData>();
        std::string e;
        if (!parseCurveWords(words, pos, d->curve, &e)) {
            if (error) *error = e.empty() ? "bad nurbsCurve data" : e;
            return nullptr;
        }
        return d;
    });
    registerDataParser("nurbsSurface", [](const Plug&, const std::vector<std::string>& words, std::size_t& pos,
                                          std::string* error) -> DataPtr {
        auto d = std::make_shared<NurbsSurfaceData>();
        std::string e;
        if (!parseSurfaceWords(words, pos, d->surface, &e)) {
            if (error) *error = e.empty() ? "bad nurbsSurface data" : e;
            return nullptr;
        }
        return d;
    });
    files::registerDataFormatter("nurbsCurve", [](const TypedData& data, std::vector<std::string>& words) {
        auto* c = dynamic_cast<const NurbsCurveData*>(&data);
        if (!c || !c->curve.validate()) return false;
        formatCurveWords(c->curve, words);
        return true;
    });
    files::registerDataFormatter("nurbsSurface", [](const TypedData& data, std::vector<std::string>& words) {
        auto* s = dynamic_cast<const NurbsSurfaceData*>(&data);
        if (!s || !s->surface.validate()) return false;
        formatSurfaceWords(s->surface, words);
        return true;
    });
}

}  // namespace

void registerNurbsNodes() {
    static bool done = false;
    if (done) return;
    done = true;
    registerDataWords();
    Scene& s = scene();
    if (NodeType* t = s.findType("nurbsCurve")) {
        // Read-only facts of the geometry, as scripts query them. Static
        // attributes can only join while no node of the type exists.
        bool anyCurve = false;
        for (Node* n : s.nodes()) anyCurve = anyCurve || n->type->isA(t);
        if (!anyCurve && !t->attribute("spans")) {
            for (const AttrPtr& a : {lng("degree", "d", 3), lng("spans", "spn", 1),
                                     makeEnum("form", "f", {{"Open", 0}, {"Closed", 1}, {"Periodic", 2}}),
                                     dbl("minValue", "min", 0), dbl("maxValue", "max", 1)}) {
                a->writable = false;
                t->addAttribute(a);
            }
            wire(t, {"create", "cached"}, {"degree", "spans", "form", "minValue", "maxValue"});
        }
        ComputeFn next = t->computeFn();
        t->compute = [next](Node& n, const Plug& p) { return computeShape<NurbsCurveData>(n, p, next); };
    }
    if (NodeType* t = s.findType("nurbsSurface")) {
        ComputeFn next = t->computeFn();
        t->compute = [next](Node& n, const Plug& p) { return computeShape<NurbsSurfaceData>(n, p, next); };
    }
    if (NodeType* t = s.findType("subCurve")) {
        t->compute = computeSubCurve;
        wire(t, {"inputCurve", "minValue", "maxValue", "relative"}, {"outputCurve"});
    }
    if (NodeType* t = s.findType("curveInfo")) {
        t->compute = computeCurveInfo;
        wire(t, {"inputCurve"}, {"arcLength", "controlPoints", "weights", "knots"});
    }
    if (!s.findType("makeNurbCircle")) {
        NodeType* t = s.registerType("makeNurbCircle", "dependNode", MFn::kDependencyNode, 0x4e4d4349, computeMakeCircle);
        for (const AttrPtr& a :
             {vec3("center", "c", "center", "c", {0, 0, 0}), vec3("normal", "nr", "normal", "nr", {0, 0, 1}),
              dist("radius", "r", 1), ang("sweep", "sw", 2 * kPi), lng("sections", "s", 8), lng("degree", "d", 3),
              makeTyped("outputCurve", "oc", "nurbsCurve")})
            t->addAttribute(a);
        wire(t, {"center", "centerX", "centerY", "centerZ", "normal", "normalX", "normalY", "normalZ", "radius",
                 "sweep", "sections", "degree"},
             {"outputCurve"});
    }
    if (!s.findType("makeNurbPlane")) {
        NodeType* t = s.registerType("makeNurbPlane", "dependNode", MFn::kDependencyNode, 0x4e4d504c, computeMakePlane);
        for (const AttrPtr& a :
             {vec3("pivot", "p", "pivot", "p", {0, 0, 0}), vec3("axis", "ax", "axis", "ax", {1, 0, 0}),
              dist("width", "w", 1), dbl("lengthRatio", "lr", 1), lng("patchesU", "u", 1), lng("patchesV", "v", 1),
              lng("degree", "d", 3), makeTyped("outputSurface", "os", "nurbsSurface")})
            t->addAttribute(a);
        wire(t, {"pivot", "pivotX", "pivotY", "pivotZ", "axis", "axisX", "axisY", "axisZ", "width", "lengthRatio",
                 "patchesU", "patchesV", "degree"},
             {"outputSurface"});
    }
    if (!s.findType("makeNurbSphere")) {
        NodeType* t = s.registerType("makeNurbSphere", "dependNode", MFn::kDependencyNode, 0x4e4d5350, computeMakeSphere);
        for (const AttrPtr& a :
             {vec3("pivot", "p", "pivot", "p", {0, 0, 0}), vec3("axis", "ax", "axis", "ax", {1, 0, 0}),
              dist("radius", "r", 1), ang("startSweep", "ssw", 0), ang("endSweep", "esw", 2 * kPi),
              lng("sections", "s", 8), lng("spans", "nsp", 4), lng("degree", "d", 3),
              makeTyped("outputSurface", "os", "nurbsSurface")})
            t->addAttribute(a);
        wire(t, {"pivot", "pivotX", "pivotY", "pivotZ", "axis", "axisX", "axisY", "axisZ", "radius", "startSweep",
                 "endSweep", "sections", "spans", "degree"},
             {"outputSurface"});
    }
}

}  // namespace host::scene::nurbs
