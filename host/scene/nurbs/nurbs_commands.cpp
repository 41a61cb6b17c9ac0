// MEL commands that create NURBS geometry: curve, circle, nurbsPlane, sphere.
#include "scene/commands/cmd_common.h"
#include "scene/nurbs/nurbs_data.h"

#include <cctype>
#include <cmath>

namespace host::scene::nurbs {

namespace {

using namespace host::scene::cmds;

Scene& S() { return scene(); }

double uiDist(double v) { return fromUiUnits(UnitType::kDistance, v); }
double uiAngle(double v) { return fromUiUnits(UnitType::kAngle, v); }

Vec3d vecFlag(const ParsedArgs& a, const char* flag, Vec3d def, bool distance) {
    if (!a.isSet(flag)) return def;
    Vec3d v;
    for (std::size_t i = 0; i < 3; ++i) {
        double d = a.flagFloat(flag, i);
        v[i] = distance ? uiDist(d) : d;
    }
    return v;
}

// "curve1" -> "curveShape1", "path" -> "pathShape", as the host names shapes.
std::string shapeNameFor(const std::string& transform) {
    std::size_t end = transform.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(transform[end - 1]))) --end;
    return transform.substr(0, end) + "Shape" + transform.substr(end);
}

// Creates transform + shape; the shape holds `data` itself or, with a history
// node, gets it through its create input.
Node* makeShape(const std::string& shapeType, const std::string& baseName, const std::string& wanted, DataPtr data,
                Node* history, const char* historyOut) {
    std::string err;
    Node* xf = S().createNode("transform", wanted.empty() ? baseName + "#" : wanted, nullptr, &err);
    if (!xf) fail(err);
    Node* shape = S().createNode(shapeType, shapeNameFor(xf->name), xf, &err);
    if (!shape) {
        S().deleteNode(xf);
        fail(err);
    }
    MStatus st = history ? S().connect(history->plug(historyOut), shape->plug("create"), false, &err)
                         : S().setData(shape->plug("cached"), std::move(data), &err);
    if (st.error()) {
        S().deleteNode(xf);
        fail(err.empty() ? "could not give the shape its geometry" : err);
    }
    selectOnly(xf);
    return xf;
}

Node* makeHistory(const char* type, const std::vector<std::pair<const char*, std::vector<double>>>& values) {
    std::string err;
    Node* h = S().createNode(type, std::string(type) + "#", nullptr, &err);
    if (!h) fail(err);
    for (const auto& [attr, v] : values) {
        Plug p = h->plug(attr);
        MStatus st = v.size() == 1 ? S().setDouble(p, v[0], &err) : S().setNumbers(p, v, &err);
        if (st.error()) {
            S().deleteNode(h);
            fail(err);
        }
    }
    return h;
}

bool historyOn(const ParsedArgs& a) { return !a.isSet("ch") || a.flagBool("ch"); }

MelValue result(Node* xf, Node* history) {
    std::vector<std::string> out{nodeName(xf)};
    if (history) out.push_back(nodeName(history));
    return MelValue(out);
}

// ------------------------------------------------------------------ curve
MelValue curveCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser("curve")
                                   .flag("d", "degree", {ArgType::Int})
                                   .flag("p", "point", {ArgType::Float, ArgType::Float, ArgType::Float}, true)
                                   .flag("pw", "pointWeight",
                                         {ArgType::Float, ArgType::Float, ArgType::Float, ArgType::Float}, true)
                                   .flag("k", "knot", {ArgType::Float}, true)
                                   .flag("per", "periodic", {ArgType::Bool})
                                   .flag("n", "name", {ArgType::String})
                                   .flag("os", "objectSpace")
                                   .flag("ws", "worldSpace")
                                   .objects(0, 0);
    ParsedArgs a = p.parse(ctx);
    CurveGeom c;
    c.degree = a.flagIntOr("d", 3);
    if (c.degree < 1 || c.degree > 7) fail("curve: the degree must be between 1 and 7");
    if (a.isSet("p") && a.isSet("pw")) fail("curve: use either -point or -pointWeight, not both");
    c.rational = a.isSet("pw");
    const char* pf = c.rational ? "pw" : "p";
    std::size_t npts = a.useCount(pf);
    if (npts == 0) fail("curve: no points given (-point x y z)");
    if (npts > kMaxCvs) fail("curve: too many points");
    for (std::size_t i = 0; i < npts; ++i) {
        Cv cv{uiDist(a.flagFloat(pf, 0, i)), uiDist(a.flagFloat(pf, 1, i)), uiDist(a.flagFloat(pf, 2, i)),
              c.rational ? a.flagFloat(pf, 3, i) : 1.0};
        c.cvs.push_back(cv);
    }
    if (static_cast<int>(npts) < c.degree + 1)
        fail("curve: a curve of degree " + std::to_string(c.degree) + " needs at least " +
             std::to_string(c.degree + 1) + " points");
    bool periodic = a.isSet("per") && a.flagBool("per");
    c.form = periodic ? kPeriodic : kOpen;
    if (periodic) {
        // The host wants the wrapped-around CVs given again at the end.
        if (static_cast<int>(npts) < 2 * c.degree + 1)
            fail("curve: a periodic curve of degree " + std::to_string(c.degree) + " needs at least " +
                 std::to_string(2 * c.degree + 1) + " points");
        for (int j = 0; j < c.degree; ++j) {
            const Cv& f = c.cvs[j];
            const Cv& l = c.cvs[npts - c.degree + j];
            double d = std::fabs(f[0] - l[0]) + std::fabs(f[1] - l[1]) + std::fabs(f[2] - l[2]);
            if (d > 1e-9 * (1 + std::fabs(f[0]) + std::fabs(f[1]) + std::fabs(f[2])))
                fail("curve: the last " + std::to_string(c.degree) + " points of a periodic curve must repeat its first " +
                     std::to_string(c.degree));
        }
    }
    if (a.isSet("k")) {
        for (std::size_t i = 0; i < a.useCount("k"); ++i) c.knots.push_back(a.flagFloat("k", 0, i));
    } else {
        c.knots = periodic ? periodicUniformKnots(c.degree, static_cast<int>(npts))
                           : openUniformKnots(c.degree, static_cast<int>(npts) - c.degree);
    }
    std::string err;
    if (!c.validate(&err)) fail("curve: " + err.substr(err.find(':') == std::string::npos ? 0 : err.find(':') + 2));
    auto data = std::make_shared<NurbsCurveData>();
    data->curve = std::move(c);
    Node* xf = makeShape("nurbsCurve", "curve", a.flagStringOr("n", ""), data, nullptr, nullptr);
    return MelValue(nodeName(xf));
}

// ------------------------------------------------------------------ circle
MelValue circleCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser("circle")
                                   .flag("c", "center", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("nr", "normal", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("r", "radius", {ArgType::Float})
                                   .flag("sw", "sweep", {ArgType::Float})
                                   .flag("s", "sections", {ArgType::Int})
                                   .flag("d", "degree", {ArgType::Int})
                                   .flag("n", "name", {ArgType::String})
                                   .flag("ch", "constructionHistory", {ArgType::Bool})
                                   .flag("o", "object", {ArgType::Bool})
                                   .flag("ut", "useTolerance", {ArgType::Bool})
                                   .flag("tol", "tolerance", {ArgType::Float})
                                   .objects(0, 0);
    ParsedArgs a = p.parse(ctx);
    Vec3d center = vecFlag(a, "c", {0, 0, 0}, true);
    Vec3d normal = vecFlag(a, "nr", {0, 0, 1}, false);
    double radius = a.isSet("r") ? uiDist(a.flagFloat("r")) : 1.0;
    double sweep = a.isSet("sw") ? uiAngle(a.flagFloat("sw")) : 2 * 3.14159265358979323846;
    int sections = a.flagIntOr("s", 8), degree = a.flagIntOr("d", 3);
    auto data = std::make_shared<NurbsCurveData>();
    std::string err;
    if (!makeCircle(center, normal, radius, sweep, sections, degree, data->curve, &err)) fail("circle: " + err);
    Node* h = nullptr;
    if (historyOn(a))
        h = makeHistory("makeNurbCircle", {{"center", {center[0], center[1], center[2]}},
                                           {"normal", {normal[0], normal[1], normal[2]}},
                                           {"radius", {radius}},
                                           {"sweep", {sweep}},
                                           {"sections", {double(sections)}},
                                           {"degree", {double(degree)}}});
    Node* xf = makeShape("nurbsCurve", "nurbsCircle", a.flagStringOr("n", ""), data, h, "outputCurve");
    return result(xf, h);
}

// ------------------------------------------------------------------ nurbsPlane
MelValue nurbsPlaneCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser("nurbsPlane")
                                   .flag("p", "pivot", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("ax", "axis", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("w", "width", {ArgType::Float})
                                   .flag("lr", "lengthRatio", {ArgType::Float})
                                   .flag("u", "patchesU", {ArgType::Int})
                                   .flag("v", "patchesV", {ArgType::Int})
                                   .flag("d", "degree", {ArgType::Int})
                                   .flag("n", "name", {ArgType::String})
                                   .flag("ch", "constructionHistory", {ArgType::Bool})
                                   .flag("o", "object", {ArgType::Bool})
                                   .objects(0, 0);
    ParsedArgs a = p.parse(ctx);
    Vec3d pivot = vecFlag(a, "p", {0, 0, 0}, true);
    Vec3d axis = vecFlag(a, "ax", {1, 0, 0}, false);
    double width = a.isSet("w") ? uiDist(a.flagFloat("w")) : 1.0;
    double ratio = a.isSet("lr") ? a.flagFloat("lr") : 1.0;
    int pu = a.flagIntOr("u", 1), pv = a.flagIntOr("v", 1), degree = a.flagIntOr("d", 3);
    auto data = std::make_shared<NurbsSurfaceData>();
    std::string err;
    if (!makePlane(pivot, axis, width, ratio, pu, pv, degree, data->surface, &err)) fail("nurbsPlane: " + err);
    Node* h = nullptr;
    if (historyOn(a))
        h = makeHistory("makeNurbPlane", {{"pivot", {pivot[0], pivot[1], pivot[2]}},
                                          {"axis", {axis[0], axis[1], axis[2]}},
                                          {"width", {width}},
                                          {"lengthRatio", {ratio}},
                                          {"patchesU", {double(pu)}},
                                          {"patchesV", {double(pv)}},
                                          {"degree", {double(degree)}}});
    Node* xf = makeShape("nurbsSurface", "nurbsPlane", a.flagStringOr("n", ""), data, h, "outputSurface");
    return result(xf, h);
}

// ------------------------------------------------------------------ sphere
MelValue sphereCmd(CommandContext& ctx) {
    static const ArgParser p = ArgParser("sphere")
                                   .flag("p", "pivot", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("ax", "axis", {ArgType::Float, ArgType::Float, ArgType::Float})
                                   .flag("r", "radius", {ArgType::Float})
                                   .flag("ssw", "startSweep", {ArgType::Float})
                                   .flag("esw", "endSweep", {ArgType::Float})
                                   .flag("s", "sections", {ArgType::Int})
                                   .flag("nsp", "spans", {ArgType::Int})
                                   .flag("d", "degree", {ArgType::Int})
                                   .flag("n", "name", {ArgType::String})
                                   .flag("ch", "constructionHistory", {ArgType::Bool})
                                   .flag("o", "object", {ArgType::Bool})
                                   .flag("ut", "useTolerance", {ArgType::Bool})
                                   .flag("tol", "tolerance", {ArgType::Float})
                                   .objects(0, 0);
    ParsedArgs a = p.parse(ctx);
    Vec3d pivot = vecFlag(a, "p", {0, 0, 0}, true);
    Vec3d axis = vecFlag(a, "ax", {1, 0, 0}, false);
    double radius = a.isSet("r") ? uiDist(a.flagFloat("r")) : 1.0;
    double ssw = a.isSet("ssw") ? uiAngle(a.flagFloat("ssw")) : 0.0;
    double esw = a.isSet("esw") ? uiAngle(a.flagFloat("esw")) : 2 * 3.14159265358979323846;
    int sections = a.flagIntOr("s", 8), spans = a.flagIntOr("nsp", 4), degree = a.flagIntOr("d", 3);
    auto data = std::make_shared<NurbsSurfaceData>();
    std::string err;
    if (!makeSphere(pivot, axis, radius, ssw, esw, sections, spans, degree, data->surface, &err))
        fail("sphere: " + err);
    Node* h = nullptr;
    if (historyOn(a))
        h = makeHistory("makeNurbSphere", {{"pivot", {pivot[0], pivot[1], pivot[2]}},
                                           {"axis", {axis[0], axis[1], axis[2]}},
                                           {"radius", {radius}},
                                           {"startSweep", {ssw}},
                                           {"endSweep", {esw}},
                                           {"sections", {double(sections)}},
                                           {"spans", {double(spans)}},
                                           {"degree", {double(degree)}}});
    Node* xf = makeShape("nurbsSurface", "nurbsSphere", a.flagStringOr("n", ""), data, h, "outputSurface");
    return result(xf, h);
}

}  // namespace

void registerNurbs(host::mel::Interpreter& in) {
    registerNurbsNodes();
    in.registerCommand("curve", curveCmd);
    in.registerCommand("circle", circleCmd);
    in.registerCommand("nurbsPlane", nurbsPlaneCmd);
    in.registerCommand("sphere", sphereCmd);
}

}  // namespace host::scene::nurbs
