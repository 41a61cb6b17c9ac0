#include "scene/nurbs/nurbs_data.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace host::scene {

namespace {

const bool kNurbsDataRegistered = [] {
    registerDataType("nurbsCurve", MFn::kNurbsCurveData, [] { return std::make_shared<NurbsCurveData>(); });
    registerDataType("nurbsSurface", MFn::kNurbsSurfaceData, [] { return std::make_shared<NurbsSurfaceData>(); });
    return true;
}();

bool fail(std::string* err, const std::string& msg) {
    if (err) *err = msg;
    return false;
}

// Words are read with explicit bounds so a truncated value fails cleanly.
class WordReader {
public:
    WordReader(const std::vector<std::string>& w, std::size_t& pos, const char* what) : w_(w), pos_(pos), what_(what) {}
    std::size_t left() const { return pos_ < w_.size() ? w_.size() - pos_ : 0; }
    bool number(double& out, std::string* err, const char* field) {
        if (!left()) return fail(err, std::string(what_) + " data ends before its " + field);
        const std::string& s = w_[pos_];
        errno = 0;
        char* end = nullptr;
        out = std::strtod(s.c_str(), &end);
        if (s.empty() || end != s.c_str() + s.size() || !std::isfinite(out))
            return fail(err, std::string(what_) + " data: expected a number for its " + field + ", got '" + s + "'");
        ++pos_;
        return true;
    }
    bool integer(long& out, std::string* err, const char* field, long lo, long hi) {
        double d;
        if (!number(d, err, field)) return false;
        if (d != std::floor(d) || d < static_cast<double>(lo) || d > static_cast<double>(hi)) {
            --pos_;
            return fail(err, std::string(what_) + " data: " + field + " '" + w_[pos_] + "' is out of range");
        }
        out = static_cast<long>(d);
        return true;
    }
    bool flag(bool& out, std::string* err, const char* field) {
        if (!left()) return fail(err, std::string(what_) + " data ends before its " + field);
        const std::string& s = w_[pos_];
        if (s == "no" || s == "0" || s == "false") out = false;
        else if (s == "yes" || s == "1" || s == "true") out = true;
        else return fail(err, std::string(what_) + " data: expected yes or no for its " + field + ", got '" + s + "'");
        ++pos_;
        return true;
    }
    // A count that the remaining words can hold (each item `width` words).
    bool count(long& out, std::string* err, const char* field, std::size_t width) {
        if (!integer(out, err, field, 0, static_cast<long>(nurbs::kMaxCvs))) return false;
        if (static_cast<std::size_t>(out) * width > left())
            return fail(err, std::string(what_) + " data: " + field + " " + std::to_string(out) +
                                 " needs more values than the data holds");
        return true;
    }

private:
    const std::vector<std::string>& w_;
    std::size_t& pos_;
    const char* what_;
};

std::string num(double d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", d);
    return buf;
}

bool readKnots(WordReader& r, std::vector<double>& knots, std::string* err, const char* field) {
    long nk;
    if (!r.count(nk, err, field, 1)) return false;
    knots.resize(static_cast<std::size_t>(nk));
    for (double& k : knots)
        if (!r.number(k, err, "knots")) return false;
    return true;
}

bool readCvs(WordReader& r, long n, int dims, bool rational, std::vector<nurbs::Cv>& cvs, std::string* err) {
    cvs.resize(static_cast<std::size_t>(n));
    for (nurbs::Cv& c : cvs) {
        c = {0, 0, 0, 1};
        for (int k = 0; k < dims; ++k)
            if (!r.number(c[k], err, "CVs")) return false;
        if (rational && !r.number(c[3], err, "CV weights")) return false;
    }
    return true;
}

}  // namespace

namespace nurbs {

bool isCurveShape(const Node* n) { return n && !n->deleted && n->hasFn(MFn::kNurbsCurve); }
bool isSurfaceShape(const Node* n) { return n && !n->deleted && n->hasFn(MFn::kNurbsSurface); }

NurbsCurveDataPtr shapeCurve(Node* shape) {
    if (!isCurveShape(shape)) return nullptr;
    return std::dynamic_pointer_cast<NurbsCurveData>(scene().getData(shape->plug("local")));
}

NurbsSurfaceDataPtr shapeSurface(Node* shape) {
    if (!isSurfaceShape(shape)) return nullptr;
    return std::dynamic_pointer_cast<NurbsSurfaceData>(scene().getData(shape->plug("local")));
}

NurbsCurveDataPtr shapeCurveWorld(Node* shape, unsigned instance) {
    if (!isCurveShape(shape)) return nullptr;
    return std::dynamic_pointer_cast<NurbsCurveData>(scene().getData(shape->plug("worldSpace").element(instance)));
}

namespace {
MStatus setOwn(Node* shape, DataPtr data, std::string* error) {
    Scene& s = scene();
    if (!s.sourceOf(shape->plug("create")).isNull()) {
        if (error) *error = "the geometry of '" + shape->name + "' comes from its construction history";
        return MStatus::kFailure;
    }
    return s.setData(shape->plug("cached"), std::move(data), error);
}
}  // namespace

MStatus setShapeCurve(Node* shape, NurbsCurveDataPtr data, std::string* error) {
    if (!isCurveShape(shape) || !data) {
        if (error) *error = "not a NURBS curve shape";
        return MStatus::kInvalidParameter;
    }
    return setOwn(shape, std::move(data), error);
}

MStatus setShapeSurface(Node* shape, NurbsSurfaceDataPtr data, std::string* error) {
    if (!isSurfaceShape(shape) || !data) {
        if (error) *error = "not a NURBS surface shape";
        return MStatus::kInvalidParameter;
    }
    return setOwn(shape, std::move(data), error);
}

// ------------------------------------------------------------ scene-file words

bool parseCurveWords(const std::vector<std::string>& words, std::size_t& pos, CurveGeom& out, std::string* err) {
    std::size_t p = pos;
    WordReader r(words, p, "nurbsCurve");
    long degree, spans, form, dim;
    bool rational;
    if (!r.integer(degree, err, "degree", 1, 7) || !r.integer(spans, err, "span count", 1, long(kMaxCvs)) ||
        !r.integer(form, err, "form", 0, 2) || !r.flag(rational, err, "rational flag") ||
        !r.integer(dim, err, "dimension", 2, 3))
        return false;
    CurveGeom c;
    c.degree = static_cast<int>(degree);
    c.form = static_cast<int>(form) + 1;
    c.rational = rational;
    c.dimension = static_cast<int>(dim);
    if (!readKnots(r, c.knots, err, "knot count")) return false;
    long ncv;
    if (!r.count(ncv, err, "CV count", static_cast<std::size_t>(dim + (rational ? 1 : 0)))) return false;
    if (!readCvs(r, ncv, c.dimension, rational, c.cvs, err)) return false;
    if (ncv - degree != spans)
        return fail(err, "nurbsCurve data: " + std::to_string(ncv) + " CVs of degree " + std::to_string(degree) +
                             " make " + std::to_string(ncv - degree) + " spans, not " + std::to_string(spans));
    if (!c.validate(err)) return false;
    out = std::move(c);
    pos = p;
    return true;
}

void formatCurveWords(const CurveGeom& c, std::vector<std::string>& w) {
    w.push_back(std::to_string(c.degree));
    w.push_back(std::to_string(c.numSpans()));
    w.push_back(std::to_string(c.form - 1));
    w.push_back(c.rational ? "yes" : "no");
    w.push_back(std::to_string(c.dimension));
    w.push_back(std::to_string(c.knots.size()));
    for (double k : c.knots) w.push_back(num(k));
    w.push_back(std::to_string(c.cvs.size()));
    for (const Cv& cv : c.cvs) {
        for (int k = 0; k < c.dimension; ++k) w.push_back(num(cv[k]));
        if (c.rational) w.push_back(num(cv[3]));
    }
}

bool parseSurfaceWords(const std::vector<std::string>& words, std::size_t& pos, SurfaceGeom& out, std::string* err) {
    std::size_t p = pos;
    WordReader r(words, p, "nurbsSurface");
    long du, dv, fu, fv;
    bool rational;
    if (!r.integer(du, err, "u degree", 1, 7) || !r.integer(dv, err, "v degree", 1, 7) ||
        !r.integer(fu, err, "u form", 0, 2) || !r.integer(fv, err, "v form", 0, 2) ||
        !r.flag(rational, err, "rational flag"))
        return false;
    SurfaceGeom s;
    s.degreeU = static_cast<int>(du);
    s.degreeV = static_cast<int>(dv);
    s.formU = static_cast<int>(fu) + 1;
    s.formV = static_cast<int>(fv) + 1;
    s.rational = rational;
    if (!readKnots(r, s.knotsU, err, "u knot count") || !readKnots(r, s.knotsV, err, "v knot count")) return false;
    long ncv;
    if (!r.count(ncv, err, "CV count", rational ? 4 : 3)) return false;
    s.numCVsU = static_cast<int>(s.knotsU.size()) - s.degreeU + 1;
    s.numCVsV = static_cast<int>(s.knotsV.size()) - s.degreeV + 1;
    if (s.numCVsU < 1 || s.numCVsV < 1 || static_cast<long>(s.numCVsU) * s.numCVsV != ncv)
        return fail(err, "nurbsSurface data: " + std::to_string(ncv) + " CVs do not match " +
                             std::to_string(s.knotsU.size()) + " u knots and " + std::to_string(s.knotsV.size()) +
                             " v knots");
    if (!readCvs(r, ncv, 3, rational, s.cvs, err)) return false;
    if (!s.validate(err)) return false;
    out = std::move(s);
    pos = p;
    return true;
}

void formatSurfaceWords(const SurfaceGeom& s, std::vector<std::string>& w) {
    w.push_back(std::to_string(s.degreeU));
    w.push_back(std::to_string(s.degreeV));
    w.push_back(std::to_string(s.formU - 1));
    w.push_back(std::to_string(s.formV - 1));
    w.push_back(s.rational ? "yes" : "no");
    w.push_back(std::to_string(s.knotsU.size()));
    for (double k : s.knotsU) w.push_back(num(k));
    w.push_back(std::to_string(s.knotsV.size()));
    for (double k : s.knotsV) w.push_back(num(k));
    w.push_back(std::to_string(s.cvs.size()));
    for (const Cv& cv : s.cvs) {
        for (int k = 0; k < 3; ++k) w.push_back(num(cv[k]));
        if (s.rational) w.push_back(num(cv[3]));
    }
}

// ------------------------------------------------------------ tessellation

namespace {
struct UnionFind {
    std::vector<int> parent;
    explicit UnionFind(int n) : parent(static_cast<std::size_t>(n)) { std::iota(parent.begin(), parent.end(), 0); }
    int find(int a) {
        while (parent[a] != a) a = parent[a] = parent[parent[a]];
        return a;
    }
    void unite(int a, int b) {
        a = find(a);
        b = find(b);
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    }
};
double dist(const Vec3d& a, const Vec3d& b) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}
}  // namespace

MeshDataPtr tessellate(const SurfaceGeom& s, const TessGrid& grid, bool quads, std::string* err) {
    const int nu = static_cast<int>(grid.us.size()), nv = static_cast<int>(grid.vs.size());
    if (nu < 2 || nv < 2) {
        fail(err, "tessellation needs at least two samples in each direction");
        return nullptr;
    }
    if (static_cast<std::size_t>(nu) * static_cast<std::size_t>(nv) > kMaxTessSamples) {
        fail(err, "tessellation asks for too many samples");
        return nullptr;
    }
    double u0, u1, v0, v1;
    s.domain(u0, u1, v0, v1);
    std::vector<Vec3d> pts(static_cast<std::size_t>(nu) * nv);
    double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            Vec3d p = s.point(grid.us[i], grid.vs[j]);
            pts[static_cast<std::size_t>(i) * nv + j] = p;
            for (int k = 0; k < 3; ++k) {
                lo[k] = std::min(lo[k], p[k]);
                hi[k] = std::max(hi[k], p[k]);
            }
        }
    double size = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                            (hi[2] - lo[2]) * (hi[2] - lo[2]));
    const double tol = 1e-9 * std::max(size, 1e-30);
    auto at = [nv](int i, int j) { return i * nv + j; };
    // Weld neighbours that coincide (collapsed edges) and the two sides of
    // closed directions (seams).
    UnionFind uf(nu * nv);
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            if (j + 1 < nv && dist(pts[at(i, j)], pts[at(i, j + 1)]) <= tol) uf.unite(at(i, j), at(i, j + 1));
            if (i + 1 < nu && dist(pts[at(i, j)], pts[at(i + 1, j)]) <= tol) uf.unite(at(i, j), at(i + 1, j));
        }
    if (s.formV != kOpen)
        for (int i = 0; i < nu; ++i)
            if (dist(pts[at(i, 0)], pts[at(i, nv - 1)]) <= tol) uf.unite(at(i, 0), at(i, nv - 1));
    if (s.formU != kOpen)
        for (int j = 0; j < nv; ++j)
            if (dist(pts[at(0, j)], pts[at(nu - 1, j)]) <= tol) uf.unite(at(0, j), at(nu - 1, j));
    std::vector<int> vertexOf(pts.size(), -1);
    std::vector<meshgeom::Vec3f> points;
    for (int k = 0; k < nu * nv; ++k) {
        int root = uf.find(k);
        if (vertexOf[root] < 0) {
            vertexOf[root] = static_cast<int>(points.size());
            points.emplace_back(meshgeom::Vec3(pts[root][0], pts[root][1], pts[root][2]));
        }
        vertexOf[k] = vertexOf[root];
    }
    std::vector<float> us, vs;
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            us.push_back(static_cast<float>(u1 > u0 ? (grid.us[i] - u0) / (u1 - u0) : 0.0));
            vs.push_back(static_cast<float>(v1 > v0 ? (grid.vs[j] - v0) / (v1 - v0) : 0.0));
        }
    std::vector<int> counts, connects, uvIds;
    auto emit = [&](std::vector<int> corners) {
        // Drop corners that welded onto their neighbour; keep faces of 3+.
        std::vector<int> keep;
        for (std::size_t c = 0; c < corners.size(); ++c) {
            int v = vertexOf[corners[c]];
            int prev = vertexOf[corners[(c + corners.size() - 1) % corners.size()]];
            if (v != prev) keep.push_back(corners[c]);
        }
        if (keep.size() < 3) return;
        for (std::size_t a = 0; a < keep.size(); ++a)
            for (std::size_t b = a + 1; b < keep.size(); ++b)
                if (vertexOf[keep[a]] == vertexOf[keep[b]]) return;
        counts.push_back(static_cast<int>(keep.size()));
        for (int c : keep) {
            connects.push_back(vertexOf[c]);
            uvIds.push_back(c);
        }
    };
    for (int i = 0; i + 1 < nu; ++i)
        for (int j = 0; j + 1 < nv; ++j) {
            int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            if (quads) {
                emit({a, b, c, d});
            } else {
                emit({a, b, c});
                emit({a, c, d});
            }
        }
    auto data = std::make_shared<MeshData>();
    std::string e;
    if (!data->mesh.create(points, counts, connects, true, &e) || !data->mesh.setUVs(0, us, vs) ||
        !data->mesh.assignUVs(0, counts, uvIds, &e)) {
        fail(err, "tessellation failed: " + e);
        return nullptr;
    }
    return data;
}

}  // namespace nurbs
}  // namespace host::scene
