// Built-in node types, their static attributes and evaluation, and the
// default nodes of a new scene.
#include "scene/core/scene.h"
#include "scene/core/eval.h"
#include "scene/poly/poly_nodes.h"
#include "scene/render/render_types.h"

#include <maya/MPxNode.h>

#include <algorithm>

#include <cmath>

namespace host::scene {

namespace {

constexpr double kPi = 3.14159265358979323846;

using V = std::vector<std::string>;
const V kXYZ{"X", "Y", "Z"};
const V kRGB{"R", "G", "B"};
const V kUV{"U", "V"};

AttrPtr keyable(AttrPtr a) {
    a->keyable = true;
    for (auto& c : a->children) c->keyable = true;
    return a;
}
AttrPtr arrayOf(AttrPtr a) {
    a->array = true;
    return a;
}
AttrPtr computed(AttrPtr a) {
    a->computed = true;
    a->writable = true;
    a->storable = false;
    return a;
}
AttrPtr hidden(AttrPtr a) {
    a->hidden = true;
    return a;
}
AttrPtr b(const std::string& l, const std::string& s, bool def = false) {
    return makeNumeric(l, s, NumericType::kBoolean, def ? 1 : 0);
}
AttrPtr dbl(const std::string& l, const std::string& s, double def = 0) {
    return makeNumeric(l, s, NumericType::kDouble, def);
}
AttrPtr flt(const std::string& l, const std::string& s, double def = 0) {
    return makeNumeric(l, s, NumericType::kFloat, def);
}
AttrPtr lng(const std::string& l, const std::string& s, double def = 0) {
    return makeNumeric(l, s, NumericType::kLong, def);
}
AttrPtr shrt(const std::string& l, const std::string& s, double def = 0) {
    return makeNumeric(l, s, NumericType::kShort, def);
}
AttrPtr byt(const std::string& l, const std::string& s, double def = 0) {
    return makeNumeric(l, s, NumericType::kByte, def);
}
AttrPtr str(const std::string& l, const std::string& s, const std::string& def = "") {
    auto a = makeTyped(l, s, "string");
    a->defaultString = def;
    return a;
}
AttrPtr dist(const std::string& l, const std::string& s, double def = 0) {
    return makeUnit(l, s, UnitType::kDistance, def);
}
AttrPtr ang(const std::string& l, const std::string& s, double def = 0) {
    return makeUnit(l, s, UnitType::kAngle, def);
}
AttrPtr tim(const std::string& l, const std::string& s, double def = 0) {
    return makeUnit(l, s, UnitType::kTime, def);
}
// Compound of three unit attributes named l+"X" ... with short names s+"x" ...
AttrPtr unit3(const std::string& l, const std::string& s, UnitType u, double def = 0) {
    return makeUnitCompound(l, s, u, {l + "X", l + "Y", l + "Z"}, {s + "x", s + "y", s + "z"}, def);
}
AttrPtr num3(const std::string& l, const std::string& s, NumericType t, const V& ls, const V& ss, double def = 0) {
    NumericType scalar = t == NumericType::k3Float ? NumericType::kFloat
                       : t == NumericType::k3Long  ? NumericType::kLong
                       : t == NumericType::k3Short ? NumericType::kShort
                       : t == NumericType::k2Float ? NumericType::kFloat
                                                   : NumericType::kDouble;
    std::vector<AttrPtr> kids;
    for (size_t i = 0; i < ls.size(); ++i) kids.push_back(makeNumeric(ls[i], ss[i], scalar, def));
    return makeNumericCompound(l, s, t, std::move(kids));
}
AttrPtr color(const std::string& l, const std::string& s, const V& ss, double def) {
    return num3(l, s, NumericType::k3Float, {l + "R", l + "G", l + "B"}, ss, def);
}
AttrPtr en(const std::string& l, const std::string& s, std::vector<std::string> names, int def = 0) {
    std::vector<std::pair<std::string, int>> f;
    for (size_t i = 0; i < names.size(); ++i) f.emplace_back(names[i], static_cast<int>(i));
    return makeEnum(l, s, std::move(f), def);
}
AttrPtr msg(const std::string& l, const std::string& s) { return makeMessage(l, s); }
AttrPtr mat(const std::string& l, const std::string& s) { return makeMatrix(l, s); }
AttrPtr typed(const std::string& l, const std::string& s, const std::string& t) { return makeTyped(l, s, t); }

void add(NodeType* t, std::initializer_list<AttrPtr> attrs) {
    for (const AttrPtr& a : attrs) t->addAttribute(a);
}
void affects(NodeType* t, std::initializer_list<const char*> ins, std::initializer_list<const char*> outs) {
    for (const char* o : outs) {
        Attribute* oa = t->attribute(o);
        if (!oa) continue;
        oa->computed = true;
        for (const char* i : ins) {
            Attribute* ia = t->attribute(i);
            if (!ia) continue;
            ia->affects.push_back(oa);
            oa->affectedBy.push_back(ia);
        }
    }
}

// ---------------------------------------------------------------- computes

MStatus computeDag(Node& n, const Plug& p);

MStatus computeTime(Node& n, const Plug& p) {
    scene().setComputed(n.plug("outTime"), scene().currentTime());
    return MStatus::kSuccess;
}

MStatus computeAddDoubleLinear(Node& n, const Plug& p) {
    Scene& s = scene();
    s.setComputed(n.plug("output"), s.getDouble(n.plug("input1")) + s.getDouble(n.plug("input2")));
    return MStatus::kSuccess;
}

MStatus computeUnitConversion(Node& n, const Plug& p) {
    Scene& s = scene();
    s.setComputed(n.plug("output"), s.getDouble(n.plug("input")) * s.getDouble(n.plug("conversionFactor")));
    return MStatus::kSuccess;
}

MStatus computeMultiplyDivide(Node& n, const Plug& p) {
    Scene& s = scene();
    int op = static_cast<int>(s.getDouble(n.plug("operation")));
    std::vector<double> a = s.getNumbers(n.plug("input1"));
    std::vector<double> c = s.getNumbers(n.plug("input2"));
    Plug out = n.plug("output");
    for (unsigned i = 0; i < 3; ++i) {
        double r = a[i];
        if (op == 1) r = a[i] * c[i];
        else if (op == 2) r = c[i] == 0 ? 0.0 : a[i] / c[i];  // the host gives 0 on division by zero
        else if (op == 3) r = std::pow(a[i], c[i]);
        s.setComputed(out.child(i), static_cast<double>(static_cast<float>(r)));
    }
    s.setComputed(out, Value());
    return MStatus::kSuccess;
}

MStatus computePlusMinusAverage(Node& n, const Plug& p) {
    Scene& s = scene();
    int op = static_cast<int>(s.getDouble(n.plug("operation")));
    auto combine = [&](const char* in, unsigned width) {
        Plug ap = n.plug(in);
        std::vector<double> acc(width, 0.0);
        std::vector<unsigned> idx = s.logicalIndices(ap);
        bool first = true;
        for (unsigned i : idx) {
            std::vector<double> v = s.getNumbers(ap.element(i));
            v.resize(width, 0.0);
            for (unsigned k = 0; k < width; ++k) {
                if (op == 0) { if (first) acc[k] = v[k]; }
                else if (op == 2 && !first) acc[k] -= v[k];
                else acc[k] += v[k];
            }
            first = false;
        }
        if (op == 3 && !idx.empty())
            for (double& x : acc) x /= static_cast<double>(idx.size());
        return acc;
    };
    std::vector<double> o1 = combine("input1D", 1), o2 = combine("input2D", 2), o3 = combine("input3D", 3);
    s.setComputed(n.plug("output1D"), o1[0]);
    for (unsigned k = 0; k < 2; ++k) s.setComputed(n.plug("output2D").child(k), static_cast<double>(static_cast<float>(o2[k])));
    for (unsigned k = 0; k < 3; ++k) s.setComputed(n.plug("output3D").child(k), static_cast<double>(static_cast<float>(o3[k])));
    return MStatus::kSuccess;
}

// Geometry flows through unchanged (history nodes whose effect is not modelled).
MStatus computePassThrough(Node& n, const Plug& p, const char* in, const char* out) {
    Scene& s = scene();
    s.setComputed(n.plug(out), s.get(n.plug(in)));
    return MStatus::kSuccess;
}

MStatus computeDeformerPassThrough(Node& n, const Plug& p) {
    Scene& s = scene();
    Plug og = n.plug("outputGeometry");
    Plug ip = n.plug("input");
    unsigned idx = p.path[0].attr == og.attr() && p.path[0].index >= 0 ? static_cast<unsigned>(p.path[0].index) : 0;
    Plug in = ip.element(idx).child(n.type->attribute("inputGeometry"));
    s.setComputed(og.element(idx), s.get(in));
    return MStatus::kSuccess;
}

MStatus computeMesh(Node& n, const Plug& p) {
    Scene& s = scene();
    Plug out = n.plug("outMesh");
    if (p.attr() == out.attr() || p.attr() == n.type->attribute("outMesh")) {
        s.setComputed(out, meshShapeOutput(n));
        return MStatus::kSuccess;
    }
    if (p.attr() == n.type->attribute("worldMesh")) {
        if (p.path[0].index >= 0) s.setComputed(p, s.get(out));
        return MStatus::kSuccess;
    }
    return computeDag(n, p);
}

MStatus computeCurve(Node& n, const Plug& p) {
    Scene& s = scene();
    Attribute* ws = n.type->attribute("worldSpace");
    Attribute* loc = n.type->attribute("local");
    if (p.attr() == ws || p.attr() == loc) {
        Plug create = n.plug("create");
        Value v = s.sourceOf(create).isNull() ? Value() : s.get(create);
        if (v.index() == 0)
            if (Slot* sl = s.slot(n.plug("cached"), false)) v = sl->value;
        if (v.index() == 0)
            if (Slot* sl = s.slot(create, false)) v = sl->value;
        s.setComputed(p, v);
        return MStatus::kSuccess;
    }
    return computeDag(n, p);
}

MStatus computeLocator(Node& n, const Plug& p) {
    Scene& s = scene();
    if (p.attr() && p.path[0].attr == n.type->attribute("worldPosition")) {
        unsigned idx = p.path[0].index >= 0 ? static_cast<unsigned>(p.path[0].index) : 0;
        Matrix4 w = s.getMatrix(n.plug("worldMatrix").element(idx));
        std::vector<double> lp = s.getNumbers(n.plug("localPosition"));
        Plug wp = n.plug("worldPosition").element(idx);
        for (unsigned k = 0; k < 3; ++k)
            s.setComputed(wp.child(k), lp[0] * w.m[0][k] + lp[1] * w.m[1][k] + lp[2] * w.m[2][k] + w.m[3][k]);
        return MStatus::kSuccess;
    }
    return computeDag(n, p);
}

MStatus computeDag(Node& n, const Plug& p) {
    Scene& s = scene();
    const std::string& an = p.path[0].attr->name;
    Matrix4 local = localMatrix(n);
    Matrix4 parentWorld;
    if (n.parent) parentWorld = s.getMatrix(n.parent->plug("worldMatrix").element(0));
    bool inherits = true;
    if (Attribute* it = n.type->attribute("inheritsTransform")) inherits = s.getDouble(n.plug(it)) != 0;
    Matrix4 world = inherits ? local * parentWorld : local;
    Matrix4 value;
    if (an == "matrix" || an == "xformMatrix") value = local;
    else if (an == "inverseMatrix") value = local.inverse();
    else if (an == "worldMatrix") value = world;
    else if (an == "worldInverseMatrix") value = world.inverse();
    else if (an == "parentMatrix") value = parentWorld;
    else if (an == "parentInverseMatrix") value = parentWorld.inverse();
    else return MStatus::kUnknownParameter;
    if (p.path[0].attr->array && p.path[0].index < 0) return MStatus::kSuccess;
    s.setComputed(p, value);
    return MStatus::kSuccess;
}

}  // namespace

void Scene::registerBuiltins() {
    // ---- roots
    NodeType* dep = registerType("dependNode", "", MFn::kDependencyNode, 0);
    dep->abstract = true;
    add(dep, {msg("message", "msg"), b("caching", "cch"), byt("isHistoricallyInteresting", "ihi", 2),
              en("nodeState", "nds", {"Normal", "HasNoEffect", "Blocking", "Waiting-Normal", "Waiting-HasNoEffect",
                                      "Waiting-Blocking"}),
              hidden(typed("binMembership", "bnm", "string"))});

    NodeType* dag = registerType("dagNode", "dependNode", MFn::kDagNode, 0);
    dag->abstract = true;
    dag->compute = computeDag;
    {
        auto og = arrayOf(makeCompound("objectGroups", "og",
                                       {typed("objectGrpCompList", "gcl", "componentList"), lng("objectGroupId", "gid"),
                                        shrt("objectGrpColor", "gco")}));
        auto iog = arrayOf(makeCompound("instObjGroups", "iog", {og}));
        iog->indexMatters = false;
        auto drawOverride = makeCompound(
            "drawOverride", "do",
            {en("overrideDisplayType", "ovdt", {"Normal", "Template", "Reference"}),
             en("overrideLevelOfDetail", "ovlod", {"Full", "BoundingBox"}), b("overrideShading", "ovs", true),
             b("overrideTexturing", "ovt", true), b("overridePlayback", "ovp", true), b("overrideEnabled", "ove"),
             b("overrideVisibility", "ovv", true), makeNumeric("overrideColor", "ovc", NumericType::kByte)});
        add(dag, {keyable(b("visibility", "v", true)), b("intermediateObject", "io"), b("template", "tmp"),
                  b("ghosting", "gh"), iog, drawOverride, b("lodVisibility", "lodv", true),
                  b("useObjectColor", "uoc"), byt("objectColor", "oc"), computed(mat("matrix", "m")),
                  computed(mat("inverseMatrix", "im")), computed(arrayOf(mat("worldMatrix", "wm"))),
                  computed(arrayOf(mat("worldInverseMatrix", "wim"))), computed(arrayOf(mat("parentMatrix", "pm"))),
                  computed(arrayOf(mat("parentInverseMatrix", "pim")))});
    }
    NodeType* world = registerType("world", "dagNode", MFn::kWorld, 0);
    world->abstract = true;

    // ---- transforms
    NodeType* xf = registerType("transform", "dagNode", MFn::kTransform, 0x5846524d);
    add(xf, {keyable(unit3("translate", "t", UnitType::kDistance)), keyable(unit3("rotate", "r", UnitType::kAngle)),
             en("rotateOrder", "ro", {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"}),
             keyable(num3("scale", "s", NumericType::k3Double, {"scaleX", "scaleY", "scaleZ"}, {"sx", "sy", "sz"}, 1)),
             num3("shear", "sh", NumericType::k3Double, {"shearXY", "shearXZ", "shearYZ"}, {"shxy", "shxz", "shyz"}),
             unit3("rotatePivot", "rp", UnitType::kDistance),
             unit3("rotatePivotTranslate", "rpt", UnitType::kDistance), unit3("scalePivot", "sp", UnitType::kDistance),
             unit3("scalePivotTranslate", "spt", UnitType::kDistance), unit3("rotateAxis", "ra", UnitType::kAngle),
             b("inheritsTransform", "it", true), b("displayHandle", "dh"), b("displayScalePivot", "dsp"),
             b("displayRotatePivot", "drp"), b("displayLocalAxis", "dla"), unit3("selectHandle", "hdl", UnitType::kDistance),
             b("showManipDefault", "smd"), computed(mat("xformMatrix", "xm"))});
    NodeType* joint = registerType("joint", "transform", MFn::kJoint, 0x4a4f494e);
    add(joint, {unit3("jointOrient", "jo", UnitType::kAngle), b("segmentScaleCompensate", "ssc", true),
                num3("inverseScale", "is", NumericType::k3Double, {"inverseScaleX", "inverseScaleY", "inverseScaleZ"},
                     {"isx", "isy", "isz"}, 1),
                b("jointTypeX", "jtx", true), b("jointTypeY", "jty", true), b("jointTypeZ", "jtz", true),
                dbl("stiffnessX", "stx"), dbl("stiffnessY", "sty"), dbl("stiffnessZ", "stz"),
                unit3("preferredAngle", "pa", UnitType::kAngle), unit3("minRotLimit", "mnrl", UnitType::kAngle, -kPi * 2),
                unit3("maxRotLimit", "mxrl", UnitType::kAngle, kPi * 2),
                num3("minRotLimitEnable", "mnrle", NumericType::k3Double, {"minRotXLimitEnable", "minRotYLimitEnable", "minRotZLimitEnable"},
                     {"mrxe", "mrye", "mrze"}),
                num3("maxRotLimitEnable", "mxrle", NumericType::k3Double, {"maxRotXLimitEnable", "maxRotYLimitEnable", "maxRotZLimitEnable"},
                     {"xrxe", "xrye", "xrze"}),
                mat("bindPose", "bps"), en("drawStyle", "ds", {"Bone", "Multi-child as Box", "None"}),
                dbl("radius", "radi", 1), en("side", "sd", {"Center", "Left", "Right", "None"}),
                en("type", "typ", {"None", "Root", "Hip", "Knee", "Foot", "Toe", "Spine", "Neck", "Head", "Collar",
                                   "Shoulder", "Elbow", "Hand", "Finger", "Thumb", "PropA", "PropB", "PropC", "Other"}),
                str("otherType", "otp"), b("drawLabel", "dl")});
    NodeType* constraint = registerType("constraint", "transform", MFn::kConstraint, 0);
    constraint->abstract = true;
    NodeType* aim = registerType("aimConstraint", "constraint", MFn::kAimConstraint, 0x44414d43);
    add(aim, {arrayOf(makeCompound("target", "tg",
                                   {unit3("targetTranslate", "tt", UnitType::kDistance),
                                    mat("targetParentMatrix", "tpm"), dbl("targetWeight", "tw", 1)})),
              num3("aimVector", "a", NumericType::k3Double, {"aimVectorX", "aimVectorY", "aimVectorZ"}, {"ax", "ay", "az"}),
              num3("upVector", "u", NumericType::k3Double, {"upVectorX", "upVectorY", "upVectorZ"}, {"ux", "uy", "uz"}),
              en("worldUpType", "wut", {"scene", "object", "objectrotation", "vector", "none"}, 3),
              num3("worldUpVector", "wu", NumericType::k3Double, {"worldUpVectorX", "worldUpVectorY", "worldUpVectorZ"},
                   {"wux", "wuy", "wuz"}),
              mat("worldUpMatrix", "wum"), mat("constraintParentInverseMatrix", "cpim"),
              unit3("constraintRotate", "cr", UnitType::kAngle), unit3("constraintTranslate", "ct", UnitType::kDistance),
              unit3("offset", "o", UnitType::kAngle)});
    aim->attribute("aimVectorX")->defaultNumber = 1;
    aim->attribute("upVectorY")->defaultNumber = 1;
    aim->attribute("worldUpVectorY")->defaultNumber = 1;
    NodeType* lookAt = registerType("lookAt", "aimConstraint", MFn::kLookAt, 0x4c4f4f4b);
    add(lookAt, {dist("distanceBetween", "db"), ang("twist", "tws"), b("displayConnector", "dcr", true)});
    registerType("unknownTransform", "transform", MFn::kUnknownTransform, 0);
    registerType("unknownDag", "dagNode", MFn::kUnknownDag, 0);

    // ---- shapes
    NodeType* shape = registerType("shape", "dagNode", MFn::kShape, 0);
    shape->abstract = true;
    add(shape, {b("motionBlur", "mb", true), b("visibleInReflections", "vir"), b("visibleInRefractions", "vif"),
                b("castsShadows", "csh", true), b("receiveShadows", "rcsh", true),
                b("primaryVisibility", "vis", true)});
    NodeType* surf = registerType("surfaceShape", "shape", MFn::kSurface, 0);
    surf->abstract = true;
    NodeType* mesh = registerType("mesh", "surfaceShape", MFn::kMesh, 0x444d5348);
    mesh->compute = computeMesh;
    mesh->defaultName = "polySurfaceShape";
    {
        auto uvSet = arrayOf(makeCompound(
            "uvSet", "uvst",
            {str("uvSetName", "uvsn"), arrayOf(num3("uvSetPoints", "uvsp", NumericType::k2Float, {"uvSetPointsU", "uvSetPointsV"},
                                                     {"uvspu", "uvspv"}))}));
        auto colorSet = arrayOf(makeCompound(
            "colorSet", "clst",
            {str("colorName", "clsn"), b("clamped", "clam"), en("representation", "rprt", {"", "A", "", "RGB", "RGBA"}, 4),
             arrayOf(makeNumericCompound("colorSetPoints", "clsp", NumericType::k4Double,
                                         std::vector<AttrPtr>{flt("colorSetPointsR", "clpr"), flt("colorSetPointsG", "clpg"),
                                                              flt("colorSetPointsB", "clpb"), flt("colorSetPointsA", "clpa")}))}));
        add(mesh, {typed("inMesh", "i", "mesh"), computed(typed("outMesh", "o", "mesh")), typed("cachedInMesh", "ci", "mesh"),
                   computed(arrayOf(typed("worldMesh", "w", "mesh"))), uvSet, str("currentUVSet", "cuvs", "map1"),
                   colorSet, str("currentColorSet", "ccls"), b("displayColors", "dcol"),
                   arrayOf(num3("pnts", "pt", NumericType::k3Float, {"pntx", "pnty", "pntz"}, {"px", "py", "pz"})),
                   arrayOf(num3("vrts", "vt", NumericType::k3Float, {"vrtx", "vrty", "vrtz"}, {"vx", "vy", "vz"})),
                   arrayOf(num3("edge", "ed", NumericType::k3Long, {"edg1", "edg2", "edgh"}, {"e1", "e2", "eh"})),
                   arrayOf(num3("normals", "n", NumericType::k3Float, {"normalx", "normaly", "normalz"}, {"nx", "ny", "nz"})),
                   arrayOf(typed("face", "fc", "polyFaces")), b("displaySmoothMesh", "dsm"),
                   dbl("smoothLevel", "lev", 2), en("displayEdges", "de", {"Standard", "Soft", "Hard", "None"}),
                   b("backfaceCulling", "bck"), b("vertexColorSource", "vcs")});
        affects(mesh, {"inMesh"}, {"outMesh", "worldMesh"});
    }
    NodeType* nsurf = registerType("nurbsSurface", "surfaceShape", MFn::kNurbsSurface, 0x4e535246);
    nsurf->compute = computeCurve;
    nsurf->defaultName = "nurbsSurfaceShape";
    add(nsurf, {typed("create", "cr", "nurbsSurface"), computed(typed("local", "l", "nurbsSurface")),
                computed(arrayOf(typed("worldSpace", "ws", "nurbsSurface"))), typed("cached", "cc", "nurbsSurface"),
                dbl("curvePrecision", "cpr", 4), lng("divisionsU", "dvu"), lng("divisionsV", "dvv")});
    affects(nsurf, {"create", "cached"}, {"local", "worldSpace"});
    NodeType* curveShape = registerType("curveShape", "shape", MFn::kCurve, 0);
    curveShape->abstract = true;
    NodeType* ncurve = registerType("nurbsCurve", "curveShape", MFn::kNurbsCurve, 0x4e435256);
    ncurve->compute = computeCurve;
    ncurve->defaultName = "curveShape";
    add(ncurve, {typed("create", "cr", "nurbsCurve"), computed(typed("local", "l", "nurbsCurve")),
                 computed(arrayOf(typed("worldSpace", "ws", "nurbsCurve"))), typed("cached", "cc", "nurbsCurve"),
                 b("dispCV", "dcv"), b("dispEP", "dep"), b("dispHull", "dh"), lng("tweakSize", "tw")});
    affects(ncurve, {"create", "cached"}, {"local", "worldSpace"});
    NodeType* loc = registerType("locator", "shape", MFn::kLocator, 0x4c435452);
    loc->compute = computeLocator;
    loc->defaultName = "locatorShape";
    add(loc, {unit3("localPosition", "lp", UnitType::kDistance),
              computed(arrayOf(num3("worldPosition", "wp", NumericType::k3Double, {"worldPositionX", "worldPositionY", "worldPositionZ"},
                                    {"wpx", "wpy", "wpz"}))),
              makeUnitCompound("localScale", "los", UnitType::kDistance, {"localScaleX", "localScaleY", "localScaleZ"},
                               {"lsx", "lsy", "lsz"}, 1)});
    affects(loc, {"localPosition"}, {"worldPosition"});
    NodeType* cam = registerType("camera", "shape", MFn::kCamera, 0x4443414d);
    cam->defaultName = "cameraShape";
    add(cam, {dbl("focalLength", "fl", 35), dbl("horizontalFilmAperture", "hfa", 1.41732),
              dbl("verticalFilmAperture", "vfa", 0.94488), dbl("horizontalFilmOffset", "hfo"),
              dbl("verticalFilmOffset", "vfo"), dbl("lensSqueezeRatio", "lsr", 1),
              en("filmFit", "ff", {"Fill", "Horizontal", "Vertical", "Overscan"}, 1), dbl("overscan", "ovr", 1),
              dist("centerOfInterest", "coi", 5), dist("nearClipPlane", "ncp", 0.1),
              dist("farClipPlane", "fcp", 10000), b("orthographic", "o"), dist("orthographicWidth", "ow", 10),
              dbl("cameraScale", "cs", 1), dbl("fStop", "fs", 5.6), b("renderable", "rnd", true),
              str("imageName", "imn"), str("depthName", "den"), str("maskName", "man"),
              unit3("tumblePivot", "tp", UnitType::kDistance), dbl("locatorScale", "lls", 1)});
    NodeType* light = registerType("light", "shape", MFn::kLight, 0);
    light->abstract = true;
    add(light, {color("color", "cl", {"cr", "cg", "cb"}, 1), flt("intensity", "in", 1),
                color("shadowColor", "shc", {"shr", "shg", "shb"}, 0), b("useRayTraceShadows", "urs"),
                flt("lightRadius", "lr")});
    NodeType* amb = registerType("ambientLight", "light", MFn::kAmbientLight, 0x414d424c);
    amb->defaultName = "ambientLightShape";
    add(amb, {flt("ambientShade", "as", 0.45f)});
    NodeType* nonAmb = registerType("nonAmbientLightShapeNode", "light", MFn::kNonAmbientLight, 0);
    nonAmb->abstract = true;
    add(nonAmb, {en("decayRate", "de", {"No Decay", "Linear", "Quadratic", "Cubic"}), b("emitDiffuse", "edi", true),
                 b("emitSpecular", "esp", true)});
    NodeType* nonExt = registerType("nonExtendedLightShapeNode", "nonAmbientLightShapeNode", MFn::kNonExtendedLight, 0);
    nonExt->abstract = true;
    add(nonExt, {b("useDepthMapShadows", "dms"), shrt("dmapResolution", "dr", 512)});
    NodeType* pl = registerType("pointLight", "nonExtendedLightShapeNode", MFn::kPointLight, 0x504f4954);
    pl->defaultName = "pointLightShape";
    NodeType* dl = registerType("directionalLight", "nonExtendedLightShapeNode", MFn::kDirectionalLight, 0x4449524c);
    dl->defaultName = "directionalLightShape";
    NodeType* sl = registerType("spotLight", "nonExtendedLightShapeNode", MFn::kSpotLight, 0x53504f54);
    sl->defaultName = "spotLightShape";
    add(sl, {ang("coneAngle", "ca", 40.0 * kPi / 180.0), ang("penumbraAngle", "pa"), dbl("dropoff", "dro")});
    NodeType* area = registerType("areaLight", "nonExtendedLightShapeNode", MFn::kAreaLight, 0x41524c54);
    area->defaultName = "areaLightShape";

    // ---- animation curves
    NodeType* ac = registerType("animCurve", "dependNode", MFn::kAnimCurve, 0);
    ac->abstract = true;
    ac->compute = computeAnimCurve;
    add(ac, {arrayOf(shrt("keyTanInType", "kit")), arrayOf(shrt("keyTanOutType", "kot")),
             arrayOf(flt("keyTanInX", "kix")), arrayOf(flt("keyTanInY", "kiy")),
             arrayOf(flt("keyTanOutX", "kox")), arrayOf(flt("keyTanOutY", "koy")),
             arrayOf(b("keyTanLocked", "kl")), arrayOf(b("keyWeightLocked", "kwl")),
             arrayOf(b("keyBreakdown", "kbd")),
             en("tangentType", "tan", {"", "Fixed", "Linear", "Flat", "Step", "", "", "", "", "Spline", "Clamped",
                                       "Plateau", "StepNext", "Auto"}, 1),
             b("weightedTangents", "wgt", true),
             en("preInfinity", "pre", {"Constant", "Linear", "", "Cycle", "Cycle with Offset", "Oscillate"}),
             en("postInfinity", "pst", {"Constant", "Linear", "", "Cycle", "Cycle with Offset", "Oscillate"}),
             b("useCurveColor", "ucc")});
    ac->attribute("tangentType")->fields = {{"Fixed", 1}, {"Linear", 2}, {"Flat", 3}, {"Step", 5}, {"Slow", 6},
                                            {"Fast", 7}, {"Spline", 9}, {"Clamped", 10}, {"Plateau", 11},
                                            {"StepNext", 12}, {"Auto", 18}};
    ac->attribute("tangentType")->defaultNumber = 18;
    for (const char* inf : {"preInfinity", "postInfinity"})
        ac->attribute(inf)->fields = {{"Constant", 0}, {"Linear", 1}, {"Cycle", 3}, {"Cycle with Offset", 4}, {"Oscillate", 5}};
    // Key times and values in the curve's own units, so scene files convert them as the host does.
    struct CurveKind { const char* name; MFn::Type api; unsigned id; bool timeInput; AttrPtr (*out)(const std::string&, const std::string&); };
    const CurveKind kinds[] = {
        {"animCurveTL", MFn::kAnimCurveTimeToDistance, 0x5443544c, true, [](const std::string& l, const std::string& sn) { return dist(l, sn); }},
        {"animCurveTA", MFn::kAnimCurveTimeToAngular, 0x54435441, true, [](const std::string& l, const std::string& sn) { return ang(l, sn); }},
        {"animCurveTT", MFn::kAnimCurveTimeToTime, 0x54435454, true, [](const std::string& l, const std::string& sn) { return tim(l, sn); }},
        {"animCurveTU", MFn::kAnimCurveTimeToUnitless, 0x54435455, true, [](const std::string& l, const std::string& sn) { return dbl(l, sn); }},
        {"animCurveUL", MFn::kAnimCurveUnitlessToDistance, 0x5443554c, false, [](const std::string& l, const std::string& sn) { return dist(l, sn); }},
        {"animCurveUA", MFn::kAnimCurveUnitlessToAngular, 0x54435541, false, [](const std::string& l, const std::string& sn) { return ang(l, sn); }},
        {"animCurveUT", MFn::kAnimCurveUnitlessToTime, 0x54435554, false, [](const std::string& l, const std::string& sn) { return tim(l, sn); }},
        {"animCurveUU", MFn::kAnimCurveUnitlessToUnitless, 0x54435555, false, [](const std::string& l, const std::string& sn) { return dbl(l, sn); }},
    };
    for (const CurveKind& k : kinds) {
        NodeType* t = registerType(k.name, "animCurve", k.api, k.id);
        if (t->fns.back() != MFn::kAnimCurve && std::find(t->fns.begin(), t->fns.end(), MFn::kAnimCurve) == t->fns.end())
            t->fns.push_back(MFn::kAnimCurve);
        AttrPtr key = k.timeInput ? tim("keyTime", "kt") : dbl("keyTime", "kt");
        add(t, {arrayOf(makeCompound("keyTimeValue", "ktv", {key, k.out("keyValue", "kv")})),
                k.timeInput ? tim("input", "i") : dbl("input", "i"), computed(k.out("output", "o"))});
        affects(t, {"input", "keyTimeValue", "keyTanInType", "keyTanOutType", "keyTanInX", "keyTanInY", "keyTanOutX",
                    "keyTanOutY", "preInfinity", "postInfinity", "weightedTangents"},
                {"output"});
    }

    // ---- sets and shading
    NodeType* set = registerType("objectSet", "dependNode", MFn::kSet, 0x4f425354);
    set->defaultName = "set";
    {
        auto dsm = arrayOf(msg("dagSetMembers", "dsm"));
        dsm->indexMatters = false;
        auto dnsm = arrayOf(msg("dnSetMembers", "dnsm"));
        dnsm->indexMatters = false;
        add(set, {dsm, dnsm, shrt("memberWireframeColor", "mwc", -1), str("annotation", "an"), b("isLayer", "il"),
                  b("verticesOnlySet", "vo"), b("edgesOnlySet", "eo"), b("facetsOnlySet", "fo"),
                  b("editPointsOnlySet", "epo"), b("renderableOnlySet", "ro"), msg("partition", "pa"),
                  arrayOf(msg("groupNodes", "gn")), arrayOf(msg("usedBy", "ub"))});
    }
    NodeType* sg = registerType("shadingEngine", "objectSet", MFn::kShadingEngine, 0x53484144);
    add(sg, {color("surfaceShader", "ss", {"ssr", "ssg", "ssb"}, 0), color("volumeShader", "vs", {"vsr", "vsg", "vsb"}, 0),
             color("displacementShader", "ds", {"dsr", "dsg", "dsb"}, 0), msg("imageShader", "is")});
    NodeType* part = registerType("partition", "dependNode", MFn::kPartition, 0x50525449);
    add(part, {arrayOf(msg("sets", "st")), shrt("partitionType", "pt")});
    NodeType* mi = registerType("materialInfo", "dependNode", MFn::kMaterialInfo, 0x444d5449);
    add(mi, {msg("shadingGroup", "sg"), msg("material", "m"), arrayOf(msg("texture", "t"))});

    NodeType* lam = registerType("lambert", "dependNode", MFn::kLambert, 0x524c414d);
    add(lam, {color("color", "c", {"cr", "cg", "cb"}, 0.5), color("transparency", "it", {"itr", "itg", "itb"}, 0),
              color("ambientColor", "ambc", {"acr", "acg", "acb"}, 0),
              color("incandescence", "ic", {"ir", "ig", "ib"}, 0), flt("diffuse", "dc", 0.8f),
              flt("translucence", "tc"), flt("glowIntensity", "gi"), b("refractions", "rfc"),
              num3("normalCamera", "n", NumericType::k3Float, {"normalCameraX", "normalCameraY", "normalCameraZ"}, {"nx", "ny", "nz"}),
              color("outColor", "oc", {"ocr", "ocg", "ocb"}, 0),
              color("outTransparency", "ot", {"otr", "otg", "otb"}, 0)});
    NodeType* refl = registerType("reflect", "lambert", MFn::kReflect, 0);
    refl->abstract = true;
    add(refl, {color("specularColor", "sc", {"sr", "sg", "sb"}, 0.5), flt("reflectivity", "rfl", 0.5f),
               color("reflectedColor", "rc", {"rr", "rg", "rb"}, 0)});
    NodeType* phong = registerType("phong", "reflect", MFn::kPhong, 0x5250484f);
    add(phong, {flt("cosinePower", "cp", 20)});
    NodeType* blinn = registerType("blinn", "reflect", MFn::kBlinn, 0x52424c4e);
    add(blinn, {flt("eccentricity", "ec", 0.3f), flt("specularRollOff", "sro", 0.7f)});
    NodeType* ss = registerType("surfaceShader", "dependNode", MFn::kSurfaceShader, 0x52535346);
    add(ss, {color("outColor", "oc", {"ocr", "ocg", "ocb"}, 0), color("outTransparency", "ot", {"otr", "otg", "otb"}, 0),
             color("outGlowColor", "ogc", {"ogr", "ogg", "ogb"}, 0), color("outMatteOpacity", "omo", {"omor", "omog", "omob"}, 1)});
    NodeType* tex = registerType("texture2d", "dependNode", MFn::kTexture2d, 0);
    tex->abstract = true;
    add(tex, {num3("uvCoord", "uv", NumericType::k2Float, {"uCoord", "vCoord"}, {"u", "v"}),
              color("outColor", "oc", {"ocr", "ocg", "ocb"}, 0), flt("outAlpha", "oa"),
              color("defaultColor", "dc", {"dcr", "dcg", "dcb"}, 0.5), color("colorGain", "cg", {"cgr", "cgg", "cgb"}, 1),
              color("colorOffset", "co", {"cor", "cog", "cob"}, 0), flt("alphaGain", "ag", 1), flt("alphaOffset", "ao"),
              b("alphaIsLuminance", "ail"), b("invert", "i")});
    NodeType* file = registerType("file", "texture2d", MFn::kFileTexture, 0x52544654);
    add(file, {str("fileTextureName", "ftn"), en("filterType", "ft", {"Off", "Mipmap", "Box", "Quadratic", "Quartic", "Gaussian"}, 1),
               flt("filter", "f", 1), num3("outSize", "os", NumericType::k2Float, {"outSizeX", "outSizeY"}, {"osx", "osy"}),
               b("useFrameExtension", "ufe"), lng("frameExtension", "fe", 1)});
    NodeType* p2d = registerType("place2dTexture", "dependNode", MFn::kPlace2dTexture, 0x5250324d);
    add(p2d, {num3("coverage", "c", NumericType::k2Float, {"coverageU", "coverageV"}, {"cu", "cv"}, 1),
              num3("translateFrame", "tf", NumericType::k2Float, {"translateFrameU", "translateFrameV"}, {"tfu", "tfv"}),
              ang("rotateFrame", "rf"), b("mirrorU", "mu"), b("mirrorV", "mv"), b("stagger", "s"),
              b("wrapU", "wu", true), b("wrapV", "wv", true),
              num3("repeatUV", "re", NumericType::k2Float, {"repeatU", "repeatV"}, {"reu", "rev"}, 1),
              num3("offset", "of", NumericType::k2Float, {"offsetU", "offsetV"}, {"ofu", "ofv"}), ang("rotateUV", "ro"),
              num3("noiseUV", "n", NumericType::k2Float, {"noiseU", "noiseV"}, {"nu", "nv"}),
              num3("uvCoord", "uv", NumericType::k2Float, {"uCoord", "vCoord"}, {"u", "v"}),
              num3("outUV", "o", NumericType::k2Float, {"outU", "outV"}, {"ou", "ov"}),
              num3("vertexUvOne", "vt1", NumericType::k2Float, {"vertexUvOneU", "vertexUvOneV"}, {"t1u", "t1v"})});

    // ---- layers
    NodeType* layer = registerType("displayLayer", "dependNode", MFn::kDisplayLayer, 0x4453504c);
    layer->defaultName = "layer";
    add(layer, {shrt("identification", "id"),
                makeCompound("drawInfo", "di",
                             {en("displayType", "dt", {"Normal", "Template", "Reference"}),
                              en("levelOfDetail", "lod", {"Full", "BoundingBox"}), b("shading", "s", true),
                              b("texturing", "t", true), b("playback", "p", true), b("enabled", "e", true),
                              b("visibility", "v", true), makeNumeric("color", "c", NumericType::kByte)}),
                lng("displayOrder", "do")});
    NodeType* lm = registerType("displayLayerManager", "dependNode", MFn::kDisplayLayerManager, 0x444c4d4e);
    add(lm, {shrt("currentDisplayLayer", "cdl"), arrayOf(shrt("displayLayerId", "dli"))});
    NodeType* rl = registerType("renderLayer", "dependNode", MFn::kRenderLayer, 0x524e4c59);
    add(rl, {shrt("identification", "rlid"), b("renderable", "rndr", true), b("global", "g"),
             lng("displayOrder", "do")});
    NodeType* rlm = registerType("renderLayerManager", "dependNode", MFn::kRenderLayerManager, 0x524c4d4e);
    add(rlm, {shrt("currentRenderLayer", "crl"), arrayOf(shrt("renderLayerId", "rlmi"))});

    // ---- utilities
    NodeType* scr = registerType("script", "dependNode", MFn::kScript, 0x53435250);
    add(scr, {str("before", "b"), str("after", "a"), lng("scriptType", "st"), lng("sourceType", "stp")});
    NodeType* time = registerType("time", "dependNode", MFn::kTime, 0x54494d45);
    time->compute = computeTime;
    add(time, {computed(tim("outTime", "o")), b("enableTimewarp", "ewp"), tim("timewarpIn_Inmap", "twi")});
    NodeType* mp = registerType("motionPath", "dependNode", MFn::kMotionPath, 0x4d505448);
    add(mp, {typed("geometryPath", "gp", "nurbsCurve"), dbl("uValue", "u"),
             en("frontAxis", "fa", {"X", "Y", "Z"}), en("upAxis", "ua", {"X", "Y", "Z"}, 2),
             en("worldUpType", "wut", {"Scene Up", "Object Up", "Object Rotation Up", "Vector", "Normal"}),
             num3("worldUpVector", "wu", NumericType::k3Double, {"worldUpVectorX", "worldUpVectorY", "worldUpVectorZ"},
                  {"wux", "wuy", "wuz"}),
             mat("worldUpMatrix", "wum"), b("inverseUp", "iu"), b("inverseFront", "if"), b("follow", "f"),
             b("bank", "b"), dbl("bankScale", "bs", 1), ang("bankLimit", "bl", 90.0 * kPi / 180.0),
             b("fractionMode", "fm"), en("rotateOrder", "ro", {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"}),
             ang("frontTwist", "fat"), ang("upTwist", "uat"), ang("sideTwist", "sat"),
             makeUnitCompound("allCoordinates", "ac", UnitType::kDistance, {"xCoordinate", "yCoordinate", "zCoordinate"},
                              {"xc", "yc", "zc"}),
             makeUnitCompound("rotate", "r", UnitType::kAngle, {"rotateX", "rotateY", "rotateZ"}, {"rx", "ry", "rz"}),
             arrayOf(tim("positionMarkerTime", "pmt")), arrayOf(tim("orientationMarkerTime", "omt"))});
    mp->attribute("worldUpVectorY")->defaultNumber = 1;
    NodeType* adl = registerType("addDoubleLinear", "dependNode", MFn::kAddDoubleLinear, 0x4441444c);
    adl->compute = computeAddDoubleLinear;
    add(adl, {keyable(dbl("input1", "i1")), keyable(dbl("input2", "i2")), computed(dbl("output", "o"))});
    affects(adl, {"input1", "input2"}, {"output"});
    NodeType* md = registerType("multiplyDivide", "dependNode", MFn::kMultiplyDivide, 0x524d4456);
    md->compute = computeMultiplyDivide;
    add(md, {en("operation", "op", {"No operation", "Multiply", "Divide", "Power"}, 1),
             keyable(num3("input1", "i1", NumericType::k3Float, {"input1X", "input1Y", "input1Z"}, {"i1x", "i1y", "i1z"})),
             keyable(num3("input2", "i2", NumericType::k3Float, {"input2X", "input2Y", "input2Z"}, {"i2x", "i2y", "i2z"}, 1)),
             computed(num3("output", "o", NumericType::k3Float, {"outputX", "outputY", "outputZ"}, {"ox", "oy", "oz"}))});
    affects(md, {"operation", "input1", "input2", "input1X", "input1Y", "input1Z", "input2X", "input2Y", "input2Z"},
            {"output"});
    NodeType* pma = registerType("plusMinusAverage", "dependNode", MFn::kPlusMinusAverage, 0x52504d41);
    pma->compute = computePlusMinusAverage;
    add(pma, {en("operation", "op", {"No operation", "Sum", "Subtract", "Average"}, 1),
              arrayOf(flt("input1D", "i1")),
              arrayOf(num3("input2D", "i2", NumericType::k2Float, {"input2Dx", "input2Dy"}, {"i2x", "i2y"})),
              arrayOf(num3("input3D", "i3", NumericType::k3Float, {"input3Dx", "input3Dy", "input3Dz"}, {"i3x", "i3y", "i3z"})),
              computed(flt("output1D", "o1")),
              computed(num3("output2D", "o2", NumericType::k2Float, {"output2Dx", "output2Dy"}, {"o2x", "o2y"})),
              computed(num3("output3D", "o3", NumericType::k3Float, {"output3Dx", "output3Dy", "output3Dz"}, {"o3x", "o3y", "o3z"}))});
    affects(pma, {"operation", "input1D", "input2D", "input3D"}, {"output1D", "output2D", "output3D"});
    NodeType* uc = registerType("unitConversion", "dependNode", MFn::kUnitConversion, 0x44554e43);
    uc->compute = computeUnitConversion;
    add(uc, {dbl("input", "i"), computed(dbl("output", "o")), dbl("conversionFactor", "cf", 1)});
    affects(uc, {"input", "conversionFactor"}, {"output"});
    NodeType* ci = registerType("curveInfo", "dependNode", MFn::kCurveInfo, 0x4e43494e);
    add(ci, {typed("inputCurve", "ic", "nurbsCurve"), dist("arcLength", "al"),
             arrayOf(num3("controlPoints", "cp", NumericType::k3Double, {"xValue", "yValue", "zValue"}, {"xv", "yv", "zv"})),
             arrayOf(dbl("weights", "wt")), arrayOf(dbl("knots", "kn"))});
    NodeType* sc = registerType("subCurve", "dependNode", MFn::kSubCurve, 0x4e534243);
    add(sc, {typed("inputCurve", "ic", "nurbsCurve"), dbl("minValue", "min"), dbl("maxValue", "max", 1),
             b("relative", "r"), typed("outputCurve", "oc", "nurbsCurve")});
    NodeType* gid = registerType("groupId", "dependNode", MFn::kGroupId, 0x47504944);
    add(gid, {lng("groupId", "id")});
    NodeType* gp = registerType("groupParts", "dependNode", MFn::kGroupParts, 0x47525050);
    gp->compute = [](Node& n, const Plug& p) { return computePassThrough(n, p, "inputGeometry", "outputGeometry"); };
    add(gp, {makeGeneric("inputGeometry", "ig"), computed(makeGeneric("outputGeometry", "og")),
             typed("inputComponents", "ic", "componentList"), lng("groupId", "gi")});
    affects(gp, {"inputGeometry", "inputComponents"}, {"outputGeometry"});
    NodeType* gf = registerType("geometryFilter", "dependNode", MFn::kGeometryFilt, 0);
    gf->abstract = true;
    gf->compute = computeDeformerPassThrough;
    add(gf, {arrayOf(makeCompound("input", "ip", {makeGeneric("inputGeometry", "ig"), lng("groupId", "gi")})),
             computed(arrayOf(makeGeneric("outputGeometry", "og"))), flt("envelope", "en", 1)});
    affects(gf, {"input", "envelope"}, {"outputGeometry"});
    NodeType* tweak = registerType("tweak", "geometryFilter", MFn::kTweak, 0x4654574b);
    add(tweak, {b("relativeTweak", "rtw", true),
                arrayOf(makeCompound("plist", "pl", {arrayOf(num3("controlPoints", "cp", NumericType::k3Float,
                                                                  {"xValue", "yValue", "zValue"}, {"xv", "yv", "zv"}))})),
                arrayOf(num3("vlist", "vl", NumericType::k3Float, {"xVertex", "yVertex", "zVertex"}, {"vx", "vy", "vz"}))});
    NodeType* skin = registerType("skinCluster", "geometryFilter", MFn::kSkinClusterFilter, 0x46534b4e);
    add(skin, {arrayOf(makeCompound("weightList", "wl", {arrayOf(dbl("weights", "w"))})), arrayOf(mat("matrix", "ma")),
               arrayOf(mat("bindPreMatrix", "pm")), mat("geomMatrix", "gm"), lng("maxInfluences", "mi", 5),
               arrayOf(dbl("dropoff", "dpf", 4)), arrayOf(b("lockWeights", "lw")), en("skinningMethod", "sm", {"Classic Linear", "Dual Quaternion", "Weight Blended"}),
               b("normalizeWeights", "nw", true), b("useComponents", "uc")});
    NodeType* pc = registerType("polyCreator", "dependNode", MFn::kPolyCreator, 0);
    pc->abstract = true;
    add(pc, {typed("output", "out", "mesh")});
    NodeType* pp = registerType("polyPrimitive", "polyCreator", MFn::kPolyPrimitive, 0);
    pp->abstract = true;
    add(pp, {num3("axis", "ax", NumericType::k3Double, {"axisX", "axisY", "axisZ"}, {"axx", "axy", "axz"}),
             en("createUVs", "cuv", {"None", "Normalize Collectively", "Normalize Each", "No Normalize"}, 1)});
    pp->attribute("axisY")->defaultNumber = 1;
    NodeType* cube = registerType("polyCube", "polyPrimitive", MFn::kPolyCube, 0x50435542);
    add(cube, {dist("width", "w", 1), dist("height", "h", 1), dist("depth", "d", 1), lng("subdivisionsWidth", "sw", 1),
               lng("subdivisionsHeight", "sh", 1), lng("subdivisionsDepth", "sd", 1)});
    NodeType* plane = registerType("polyPlane", "polyPrimitive", MFn::kPolyPlane, 0x50504c4e);
    add(plane, {dist("width", "w", 1), dist("height", "h", 1), lng("subdivisionsWidth", "sw", 10),
                lng("subdivisionsHeight", "sh", 10)});
    NodeType* sph = registerType("polySphere", "polyPrimitive", MFn::kPolySphere, 0x50535048);
    add(sph, {dist("radius", "r", 1), lng("subdivisionsAxis", "sa", 20), lng("subdivisionsHeight", "sh", 20)});
    NodeType* cyl = registerType("polyCylinder", "polyPrimitive", MFn::kPolyCylinder, 0x5043594c);
    add(cyl, {dist("radius", "r", 1), dist("height", "h", 2), lng("subdivisionsAxis", "sa", 20),
              lng("subdivisionsHeight", "sh", 1), lng("subdivisionsCaps", "sc"), b("roundCap", "rcp")});
    registerType("unknown", "dependNode", MFn::kUnknown, 0x554e4b4e);
    installPolyTypes(*this);
    registerRenderTypes(*this);
}

bool Scene::undeletable(const Node* n) const {
    static const char* names[] = {"time1", "lambert1", "initialShadingGroup", "initialParticleSE", "persp", "top",
                                  "front", "side", "perspShape", "topShape", "frontShape", "sideShape",
                                  "defaultLayer", "layerManager", "renderPartition", "defaultRenderLayer",
                                  "renderLayerManager", "lightLinker1", "defaultLightSet"};
    for (const char* s : names)
        if (n->name == s) return true;
    return false;
}

void Scene::newScene() {
    std::vector<NodePtr> old;
    old.swap(nodes_);
    byName_.clear();
    taken_.clear();
    for (auto& n : old) {
        for (auto& f : onDelete) f(*n);
        n->deleted = true;
        n->inputs.clear();
        n->outputs.clear();
        n->children.clear();
        n->parent = nullptr;
        n->user.reset();
    }
    selection_.clear();
    world_ = std::make_shared<Node>(findType("world"));
    world_->name = "world";
    time_ = 1.0 / fps();
    playback_ = Playback();
    createDefaults();
    gen_ += 1;
}

void Scene::createDefaults() {
    auto make = [&](const char* type, const char* name, Node* parent = nullptr) {
        Node* n = createNode(type, name, parent);
        n->isDefault = true;
        return n;
    };
    make("time", "time1");
    make("renderLayerManager", "renderLayerManager");
    Node* rl = make("renderLayer", "defaultRenderLayer");
    setDouble(rl->plug("global"), 1);
    make("displayLayerManager", "layerManager");
    Node* dl = make("displayLayer", "defaultLayer");
    (void)dl;
    Node* part = make("partition", "renderPartition");
    Node* lam = make("lambert", "lambert1");
    Node* sg = make("shadingEngine", "initialShadingGroup");
    setDouble(sg->plug("renderableOnlySet"), 1);
    Node* pse = make("shadingEngine", "initialParticleSE");
    setDouble(pse->plug("renderableOnlySet"), 1);
    connect(lam->plug("outColor"), sg->plug("surfaceShader"));
    connect(sg->plug("partition"), part->plug("sets").element(0));
    connect(pse->plug("partition"), part->plug("sets").element(1));
    Node* mi = make("materialInfo", "initialMaterialInfo");
    connect(sg->plug("message"), mi->plug("shadingGroup"));
    connect(lam->plug("message"), mi->plug("material"));

    // The four cameras, placed as in a new host scene.
    struct Cam { const char* name; double t[3]; double r[3]; bool ortho; double coi; };
    const double d = kPi / 180.0;
    const Cam cams[] = {
        {"persp", {28.0, 21.0, 28.0}, {-27.938352729602379 * d, 44.999999999999972 * d, 0}, false, 44.82186966202994},
        {"top", {0, 100.1, 0}, {-90.0 * d, 0, 0}, true, 100.1},
        {"front", {0, 0, 100.1}, {0, 0, 0}, true, 100.1},
        {"side", {100.1, 0, 0}, {0, 90.0 * d, 0}, true, 100.1},
    };
    for (const Cam& c : cams) {
        Node* t = make("transform", c.name);
        setNumbers(t->plug("translate"), {c.t[0], c.t[1], c.t[2]});
        setNumbers(t->plug("rotate"), {c.r[0], c.r[1], c.r[2]});
        if (std::string(c.name) != "persp") setDouble(t->plug("visibility"), 0);
        Node* s = make("camera", (std::string(c.name) + "Shape").c_str(), t);
        setDouble(s->plug("renderable"), std::string(c.name) == "persp" ? 1 : 0);
        setDouble(s->plug("orthographic"), c.ortho ? 1 : 0);
        setDouble(s->plug("centerOfInterest"), c.coi);
        if (c.ortho) {
            setDouble(s->plug("orthographicWidth"), 30);
            setDouble(s->plug("nearClipPlane"), 0.1);
            setDouble(s->plug("farClipPlane"), 1000);
        } else {
            setDouble(s->plug("focalLength"), 35);
            setDouble(s->plug("farClipPlane"), 10000);
        }
    }
}

}  // namespace host::scene
