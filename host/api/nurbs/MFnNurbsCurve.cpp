#include <maya/MFnNurbsCurve.h>
#include <maya/MFnNurbsCurveData.h>

#include "api/nurbs/nurbs_access.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace host;
using namespace host::api::nurbsapi;
using scene::NurbsCurveData;
using scene::nurbs::CurveGeom;
using scene::nurbs::Cv;
using scene::nurbs::Vec3d;

namespace {

MStatus setStatus(MStatus* s, MStatus v) {
    if (s) *s = v;
    return v;
}

// Cheap structural check so that no query walks past the arrays.
bool usable(const CurveGeom& c) {
    return c.degree >= 1 && c.numCVs() >= c.degree + 1 && c.numKnots() == c.numCVs() + c.degree - 1;
}

}  // namespace

// Every query starts from the attached geometry; a set without one fails.
#define CURVE_OR_FAIL(ret)                                                       \
    auto geom_ = curveData();                                                    \
    if (!geom_ || !usable(geom_->curve)) {                                       \
        setStatus(status, MStatus::kInvalidParameter);                           \
        return ret;                                                              \
    }                                                                            \
    const CurveGeom& c = geom_->curve;                                           \
    (void)c;                                                                     \
    setStatus(status, MStatus::kSuccess)

MFnNurbsCurve::MFnNurbsCurve(const MObject& object, MStatus* status) { setStatus(status, setObject(object)); }
MFnNurbsCurve::MFnNurbsCurve(const MDagPath& path, MStatus* status) { setStatus(status, setObject(path)); }

MStatus MFnNurbsCurve::setObject(const MObject& object) {
    obj_ = MObject();
    data_ = MObject();
    path_ = MDagPath();
    if (std::dynamic_pointer_cast<NurbsCurveData>(object.object())) {
        obj_ = data_ = object;
        return MStatus::kSuccess;
    }
    if (!shapeNode(object, MFn::kNurbsCurve)) return MStatus::kInvalidParameter;
    obj_ = object;
    MDagPath::getAPathTo(object, path_);
    return MStatus::kSuccess;
}

MStatus MFnNurbsCurve::setObject(const MDagPath& path) {
    obj_ = MObject();
    data_ = MObject();
    path_ = MDagPath();
    MDagPath p;
    MStatus st = shapePath(path, MFn::kNurbsCurve, p);
    if (st.error()) return st;
    obj_ = p.node();
    path_ = p;
    return MStatus::kSuccess;
}

std::shared_ptr<NurbsCurveData> MFnNurbsCurve::curveData() const {
    if (auto d = std::dynamic_pointer_cast<NurbsCurveData>(data_.object())) return d;
    if (scene::Node* n = shapeNode(obj_, MFn::kNurbsCurve)) return scene::nurbs::shapeCurve(n);
    return nullptr;
}

MObject MFnNurbsCurve::create(const MPointArray& cvs, const MDoubleArray& knots, unsigned int degree, Form form,
                              bool create2D, bool createRational, const MObject& parentOrOwner, MStatus* status) {
    auto data = std::make_shared<NurbsCurveData>();
    CurveGeom& c = data->curve;
    c.degree = static_cast<int>(std::min(degree, 100u));
    c.form = form;
    c.rational = createRational;
    c.dimension = create2D ? 2 : 3;
    c.knots = knots.vec();
    for (const MPoint& p : cvs) {
        Cv cv = toCv(p, nullptr);
        if (!createRational) cv[3] = 1.0;
        if (create2D) cv[2] = 0.0;
        c.cvs.push_back(cv);
    }
    std::string err;
    if (!c.validate(&err)) {
        std::fprintf(stderr, "// Error: MFnNurbsCurve::create: %s //\n", err.c_str());
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    MObject attach;
    MObject r = placeGeometry(data, parentOrOwner, "nurbsCurve", "curve", &attach, status);
    if (!r.isNull()) setObject(attach);
    return r;
}

int MFnNurbsCurve::degree(MStatus* status) const {
    CURVE_OR_FAIL(0);
    return c.degree;
}

MFnNurbsCurve::Form MFnNurbsCurve::form(MStatus* status) const {
    CURVE_OR_FAIL(kInvalid);
    return static_cast<Form>(c.form);
}

int MFnNurbsCurve::numCVs(MStatus* status) const {
    CURVE_OR_FAIL(0);
    return c.numCVs();
}

int MFnNurbsCurve::numSpans(MStatus* status) const {
    CURVE_OR_FAIL(0);
    return c.numSpans();
}

int MFnNurbsCurve::numKnots(MStatus* status) const {
    CURVE_OR_FAIL(0);
    return c.numKnots();
}

bool MFnNurbsCurve::isPlanar(MVector* planeNormal, MStatus* status) const {
    CURVE_OR_FAIL(false);
    // Newell normal of the CV polygon, then every CV's distance to its plane.
    Vec3d n{0, 0, 0};
    for (int i = 0; i < c.numCVs(); ++i) {
        const Cv& a = c.cvs[i];
        const Cv& b = c.cvs[(i + 1) % c.numCVs()];
        n[0] += (a[1] - b[1]) * (a[2] + b[2]);
        n[1] += (a[2] - b[2]) * (a[0] + b[0]);
        n[2] += (a[0] - b[0]) * (a[1] + b[1]);
    }
    double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len < 1e-12) return false;  // collinear or degenerate: no single plane
    for (double& x : n) x /= len;
    const Cv& o = c.cvs[0];
    for (const Cv& p : c.cvs)
        if (std::fabs((p[0] - o[0]) * n[0] + (p[1] - o[1]) * n[1] + (p[2] - o[2]) * n[2]) > 1e-9 * (1 + len))
            return false;
    if (planeNormal) *planeNormal = MVector(n[0], n[1], n[2]);
    return true;
}

MStatus MFnNurbsCurve::getCV(unsigned int index, MPoint& point, MSpace::Space space) const {
    MStatus* status = nullptr;
    CURVE_OR_FAIL(MStatus::kInvalidParameter);
    if (index >= static_cast<unsigned>(c.numCVs())) return MStatus::kInvalidParameter;
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    point = toPoint(c.cvs[index], w ? &m : nullptr);
    return MStatus::kSuccess;
}

MStatus MFnNurbsCurve::getCVs(MPointArray& points, MSpace::Space space) const {
    MStatus* status = nullptr;
    CURVE_OR_FAIL(MStatus::kInvalidParameter);
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    points.clear();
    for (const Cv& cv : c.cvs) points.append(toPoint(cv, w ? &m : nullptr));
    return MStatus::kSuccess;
}

MStatus MFnNurbsCurve::edit(const std::function<bool(NurbsCurveData&)>& change) {
    auto current = curveData();
    if (!current || !usable(current->curve)) return MStatus::kInvalidParameter;
    auto next = std::make_shared<NurbsCurveData>(*current);
    if (!change(*next)) return MStatus::kInvalidParameter;
    std::string err;
    if (!next->curve.validate(&err)) return MStatus::kInvalidParameter;
    if (auto d = std::dynamic_pointer_cast<NurbsCurveData>(data_.object())) {
        d->curve = std::move(next->curve);
        return MStatus::kSuccess;
    }
    scene::Node* n = shapeNode(obj_, MFn::kNurbsCurve);
    if (!n) return MStatus::kInvalidParameter;
    MStatus st = scene::nurbs::setShapeCurve(n, next, &err);
    if (st.error()) std::fprintf(stderr, "// Error: MFnNurbsCurve: %s //\n", err.c_str());
    return st;
}

MStatus MFnNurbsCurve::setCV(unsigned int index, const MPoint& point, MSpace::Space space) {
    MMatrix inv;
    bool w = space == MSpace::kWorld && path_.isValid() && (inv = path_.inclusiveMatrixInverse(), true);
    return edit([&](NurbsCurveData& d) {
        if (index >= d.curve.cvs.size()) return false;
        d.curve.cvs[index] = toCv(point, w ? &inv : nullptr);
        if (!d.curve.rational) d.curve.cvs[index][3] = 1.0;
        return true;
    });
}

MStatus MFnNurbsCurve::setCVs(const MPointArray& points, MSpace::Space space) {
    MMatrix inv;
    bool w = space == MSpace::kWorld && path_.isValid() && (inv = path_.inclusiveMatrixInverse(), true);
    return edit([&](NurbsCurveData& d) {
        if (points.length() != d.curve.cvs.size()) return false;
        for (unsigned i = 0; i < points.length(); ++i) {
            d.curve.cvs[i] = toCv(points[i], w ? &inv : nullptr);
            if (!d.curve.rational) d.curve.cvs[i][3] = 1.0;
        }
        return true;
    });
}

double MFnNurbsCurve::knot(unsigned int index, MStatus* status) const {
    CURVE_OR_FAIL(0.0);
    if (index >= static_cast<unsigned>(c.numKnots())) {
        setStatus(status, MStatus::kInvalidParameter);
        return 0.0;
    }
    return c.knots[index];
}

MStatus MFnNurbsCurve::getKnots(MDoubleArray& knots) const {
    MStatus* status = nullptr;
    CURVE_OR_FAIL(MStatus::kInvalidParameter);
    knots = MDoubleArray(c.knots);
    return MStatus::kSuccess;
}

MStatus MFnNurbsCurve::setKnots(const MDoubleArray& knots, unsigned int startIndex, unsigned int endIndex) {
    return edit([&](NurbsCurveData& d) {
        if (startIndex > endIndex || endIndex >= d.curve.knots.size() || knots.length() != endIndex - startIndex + 1)
            return false;
        for (unsigned i = startIndex; i <= endIndex; ++i) d.curve.knots[i] = knots[i - startIndex];
        return true;
    });
}

MStatus MFnNurbsCurve::getKnotDomain(double& start, double& end) const {
    MStatus* status = nullptr;
    CURVE_OR_FAIL(MStatus::kInvalidParameter);
    c.domain(start, end);
    return MStatus::kSuccess;
}

MStatus MFnNurbsCurve::getPointAtParam(double param, MPoint& point, MSpace::Space space) const {
    MStatus* status = nullptr;
    CURVE_OR_FAIL(MStatus::kInvalidParameter);
    if (!c.inDomain(param)) return MStatus::kInvalidParameter;
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    point = toPoint(c.point(param), w ? &m : nullptr);
    return MStatus::kSuccess;
}

MVector MFnNurbsCurve::tangent(double param, MSpace::Space space, MStatus* status) const {
    CURVE_OR_FAIL(MVector());
    if (!c.inDomain(param)) {
        setStatus(status, MStatus::kInvalidParameter);
        return MVector();
    }
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    MVector t = toVector(c.derivative(param), w ? &m : nullptr);
    double len = t.length();
    return len > 0 ? t * (1.0 / len) : t;
}

bool MFnNurbsCurve::isParamOnCurve(double param, MStatus* status) const {
    CURVE_OR_FAIL(false);
    if (c.form == scene::nurbs::kPeriodic) {
        double t0, t1;
        c.domain(t0, t1);
        double slack = 1e-9 * std::max(1.0, t1 - t0);
        return param >= t0 - slack && param <= t1 + slack;
    }
    return c.inDomain(param);
}

double MFnNurbsCurve::length(double tolerance, MStatus* status) const {
    CURVE_OR_FAIL(0.0);
    return c.length();
}

double MFnNurbsCurve::findParamFromLength(double partLength, MStatus* status) const {
    CURVE_OR_FAIL(0.0);
    double t0, t1;
    c.domain(t0, t1);
    if (!(partLength > 0)) return t0;
    if (partLength >= c.length()) return t1;
    double lo = t0, hi = t1;
    for (int i = 0; i < 60 && hi - lo > 1e-12 * std::max(1.0, t1 - t0); ++i) {
        double mid = (lo + hi) / 2;
        if (c.arcLength(t0, mid) < partLength) lo = mid;
        else hi = mid;
    }
    return (lo + hi) / 2;
}

MPoint MFnNurbsCurve::closestPoint(const MPoint& toThisPoint, double* param, double tolerance, MSpace::Space space,
                                   MStatus* status) const {
    CURVE_OR_FAIL(MPoint());
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    MPoint target = toThisPoint;
    target.cartesianize();
    auto dist2 = [&](double t) {
        MPoint p = toPoint(c.point(t), w ? &m : nullptr);
        return (p.x - target.x) * (p.x - target.x) + (p.y - target.y) * (p.y - target.y) +
               (p.z - target.z) * (p.z - target.z);
    };
    double t0, t1;
    c.domain(t0, t1);
    // Coarse samples per span, then golden-section search around the best.
    const int samples = std::max(1, c.numSpans()) * 16;
    double best = t0, bestD = dist2(t0);
    for (int i = 1; i <= samples; ++i) {
        double t = t0 + (t1 - t0) * i / samples;
        double d = dist2(t);
        if (d < bestD) {
            bestD = d;
            best = t;
        }
    }
    double h = (t1 - t0) / samples;
    double a = std::max(t0, best - h), b = std::min(t1, best + h);
    const double g = 0.6180339887498949;
    double x1 = b - g * (b - a), x2 = a + g * (b - a);
    double f1 = dist2(x1), f2 = dist2(x2);
    for (int i = 0; i < 80 && b - a > 1e-14 * std::max(1.0, t1 - t0); ++i) {
        if (f1 < f2) {
            b = x2;
            x2 = x1;
            f2 = f1;
            x1 = b - g * (b - a);
            f1 = dist2(x1);
        } else {
            a = x1;
            x1 = x2;
            f1 = f2;
            x2 = a + g * (b - a);
            f2 = dist2(x2);
        }
    }
    double t = (a + b) / 2;
    if (dist2(t) > bestD) t = best;
    if (param) *param = t;
    return toPoint(c.point(t), w ? &m : nullptr);
}

MStatus MFnNurbsCurve::updateCurve() {
    scene::scene().touch();
    return MStatus::kSuccess;
}

// ------------------------------------------------------------------ MFnNurbsCurveData

MFnNurbsCurveData::MFnNurbsCurveData(const MObject& object, MStatus* status) {
    if (std::dynamic_pointer_cast<NurbsCurveData>(object.object())) {
        obj_ = object;
        setStatus(status, MStatus::kSuccess);
    } else {
        setStatus(status, MStatus::kInvalidParameter);
    }
}

MObject MFnNurbsCurveData::create(MStatus* status) {
    obj_ = MObject(std::make_shared<NurbsCurveData>());
    setStatus(status, MStatus::kSuccess);
    return obj_;
}
