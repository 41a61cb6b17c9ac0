#include "scene/nurbs/nurbs_geom.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

namespace host::scene::nurbs {

namespace {

constexpr double kPi = 3.14159265358979323846;

bool fail(std::string* err, const std::string& msg) {
    if (err) *err = msg;
    return false;
}

Vec3d add(const Vec3d& a, const Vec3d& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec3d sub3(const Vec3d& a, const Vec3d& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3d scale(const Vec3d& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
Vec3d cross(const Vec3d& a, const Vec3d& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec3d& a, const Vec3d& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double norm(const Vec3d& a) { return std::sqrt(dot(a, a)); }

// The textbook knot vector: the host's knots with one more at each end.
std::vector<double> fullKnots(const std::vector<double>& k) {
    std::vector<double> u;
    u.reserve(k.size() + 2);
    u.push_back(k.front());
    u.insert(u.end(), k.begin(), k.end());
    u.push_back(k.back());
    return u;
}

// The textbook knot vector seen through the host's knots, without copying.
struct KnotView {
    const std::vector<double>& k;
    double operator[](int i) const {
        int j = i - 1;
        if (j < 0) j = 0;
        if (j >= static_cast<int>(k.size())) j = static_cast<int>(k.size()) - 1;
        return k[static_cast<std::size_t>(j)];
    }
};

// Span index i with U[i] <= t < U[i+1], within [p, n].
template <class K>
int findSpan(const K& U, int n, int p, double t) {
    if (t >= U[n + 1]) {
        // The end of the domain belongs to the last non-empty span.
        int i = n;
        while (i > p && U[i] >= U[n + 1]) --i;
        return i;
    }
    if (t <= U[p]) {
        int i = p;
        while (i < n && U[i + 1] <= U[p]) ++i;
        return i;
    }
    int lo = p, hi = n + 1;
    while (hi - lo > 1) {
        int mid = (lo + hi) / 2;
        if (t < U[mid]) hi = mid;
        else lo = mid;
    }
    return lo;
}

// Non-zero basis functions N[i-p .. i] of degree p at t.
template <class K>
void basis(const K& U, int i, int p, double t, double* N) {
    double left[16], right[16];
    N[0] = 1.0;
    for (int j = 1; j <= p; ++j) {
        left[j] = t - U[i + 1 - j];
        right[j] = U[i + j] - t;
        double saved = 0.0;
        for (int r = 0; r < j; ++r) {
            double den = right[r + 1] + left[j - r];
            double temp = den != 0 ? N[r] / den : 0.0;
            N[r] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        N[j] = saved;
    }
}

// Basis functions and their first derivatives at t.
template <class K>
void basisDerivs(const K& U, int i, int p, double t, double* N, double* dN) {
    basis(U, i, p, t, N);
    if (p == 0) {
        dN[0] = 0;
        return;
    }
    double M[16];  // degree p-1 functions N[i-p+1 .. i]
    basis(U, i, p - 1, t, M);
    for (int k = 0; k <= p; ++k) {
        int j = i - p + k;
        double d = 0;
        if (k >= 1) {
            double den = U[j + p] - U[j];
            if (den != 0) d += M[k - 1] / den;
        }
        if (k <= p - 1) {
            double den = U[j + p + 1] - U[j + 1];
            if (den != 0) d -= M[k] / den;
        }
        dN[k] = p * d;
    }
}

// Homogeneous point (x*w, y*w, z*w, w).
Cv homog(const Cv& c) { return {c[0] * c[3], c[1] * c[3], c[2] * c[3], c[3]}; }
Cv cartesian(const Cv& h) {
    double w = h[3] != 0 ? h[3] : 1.0;
    return {h[0] / w, h[1] / w, h[2] / w, h[3]};
}

bool finite(double d) { return std::isfinite(d); }

bool validateKnots(const std::vector<double>& k, int degree, int ncv, const char* what, std::string* err) {
    std::ostringstream m;
    if (static_cast<int>(k.size()) != ncv + degree - 1) {
        m << what << ": " << ncv << " CVs of degree " << degree << " need " << (ncv + degree - 1) << " knots, got "
          << k.size();
        return fail(err, m.str());
    }
    int run = 1;
    for (std::size_t i = 0; i < k.size(); ++i) {
        if (!finite(k[i])) return fail(err, std::string(what) + ": knot value is not a number");
        if (i > 0) {
            if (k[i] < k[i - 1]) {
                m << what << ": knots decrease at index " << i;
                return fail(err, m.str());
            }
            run = k[i] == k[i - 1] ? run + 1 : 1;
            if (run > degree) {
                m << what << ": knot " << k[i] << " repeats more than the degree (" << degree << ")";
                return fail(err, m.str());
            }
        }
    }
    if (!(k[degree - 1] < k[ncv - 1])) return fail(err, std::string(what) + ": the knots give an empty domain");
    return true;
}

bool validateCvs(const std::vector<Cv>& cvs, const char* what, std::string* err) {
    for (const Cv& c : cvs) {
        for (double d : c)
            if (!finite(d)) return fail(err, std::string(what) + ": CV coordinate is not a number");
        if (c[3] <= 0) return fail(err, std::string(what) + ": CV weights must be positive");
    }
    return true;
}

Vec3d applyMatrix(const Matrix4& m, const Cv& c) {
    Vec3d r;
    for (int j = 0; j < 3; ++j) r[j] = c[0] * m.m[0][j] + c[1] * m.m[1][j] + c[2] * m.m[2][j] + m.m[3][j];
    return r;
}

// Gauss-Legendre, 5 points on [a, b].
double gauss5(const std::function<double(double)>& f, double a, double b) {
    static const double x[5] = {0.0, -0.5384693101056831, 0.5384693101056831, -0.9061798459386640,
                                0.9061798459386640};
    static const double w[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665, 0.2369268850561891,
                                0.2369268850561891};
    double h = (b - a) / 2, c = (a + b) / 2, s = 0;
    for (int i = 0; i < 5; ++i) s += w[i] * f(c + h * x[i]);
    return s * h;
}

double adaptive(const std::function<double(double)>& f, double a, double b, double whole, int depth) {
    double m = (a + b) / 2;
    double l = gauss5(f, a, m), r = gauss5(f, m, b);
    if (depth <= 0 || std::fabs(l + r - whole) <= 1e-13 * std::max(1.0, std::fabs(whole))) return l + r;
    return adaptive(f, a, m, l, depth - 1) + adaptive(f, m, b, r, depth - 1);
}

// Inserts knot t once into the full knot vector U with homogeneous CVs P.
// fromLeft: t goes into the span ending at t (needed at a domain's end).
void insertKnot(std::vector<double>& U, std::vector<Cv>& P, int p, double t, bool fromLeft) {
    int n = static_cast<int>(P.size()) - 1;
    int k = fromLeft ? static_cast<int>(std::lower_bound(U.begin(), U.end(), t) - U.begin()) - 1
                     : static_cast<int>(std::upper_bound(U.begin(), U.end(), t) - U.begin()) - 1;
    k = std::clamp(k, p, n);
    std::vector<Cv> Q(P.size() + 1);
    for (int i = 0; i <= k - p; ++i) Q[i] = P[i];
    for (int i = k - p + 1; i <= k; ++i) {
        double den = U[i + p] - U[i];
        double a = den != 0 ? (t - U[i]) / den : 0.0;
        for (int c = 0; c < 4; ++c) Q[i][c] = a * P[i][c] + (1 - a) * P[i - 1][c];
    }
    for (int i = k + 1; i <= n + 1; ++i) Q[i] = P[i - 1];
    U.insert(U.begin() + k + 1, t);
    P = std::move(Q);
}

int multiplicity(const std::vector<double>& U, double t) {
    return static_cast<int>(std::count(U.begin(), U.end(), t));
}

// Solves A x = b in place (n x n, partial pivoting); false when singular.
// A is banded (nonzeros within `band` of the diagonal), so work stays
// within a widened band: fill-in from pivoting reaches at most twice as far.
bool solve(std::vector<std::vector<double>>& A, std::vector<Vec3d>& b, int band) {
    const int n = static_cast<int>(A.size());
    for (int c = 0; c < n; ++c) {
        const int lastRow = std::min(n - 1, c + band + 1), lastCol = std::min(n - 1, c + 2 * band + 2);
        int piv = c;
        for (int r = c + 1; r <= lastRow; ++r)
            if (std::fabs(A[r][c]) > std::fabs(A[piv][c])) piv = r;
        if (std::fabs(A[piv][c]) < 1e-14) return false;
        std::swap(A[c], A[piv]);
        std::swap(b[c], b[piv]);
        for (int r = c + 1; r <= lastRow; ++r) {
            double f = A[r][c] / A[c][c];
            if (f == 0) continue;
            for (int k = c; k <= lastCol; ++k) A[r][k] -= f * A[c][k];
            for (int k = 0; k < 3; ++k) b[r][k] -= f * b[c][k];
        }
    }
    for (int r = n - 1; r >= 0; --r) {
        for (int k = r + 1; k <= std::min(n - 1, r + 2 * band + 2); ++k)
            for (int j = 0; j < 3; ++j) b[r][j] -= A[r][k] * b[k][j];
        for (int j = 0; j < 3; ++j) b[r][j] /= A[r][r];
    }
    return true;
}

// CVs of an open uniform curve (knots 0..spans) passing through f at the
// Greville abscissae of its CVs, which places the ends exactly.
bool interpolateOpen(int degree, int spans, const std::function<Vec3d(double)>& f, CurveGeom& out) {
    out = CurveGeom();
    out.degree = degree;
    out.form = kOpen;
    out.knots = openUniformKnots(degree, spans);
    const int n = spans + degree;
    std::vector<double> U = fullKnots(out.knots);
    std::vector<double> g(n);
    for (int j = 0; j < n; ++j) {
        double s = 0;
        for (int k = 0; k < degree; ++k) s += out.knots[j + k];
        g[j] = s / degree;
    }
    std::vector<std::vector<double>> A(n, std::vector<double>(n, 0.0));
    std::vector<Vec3d> b(n);
    double N[16];
    for (int r = 0; r < n; ++r) {
        int span = findSpan(U, n - 1, degree, g[r]);
        basis(U, span, degree, g[r], N);
        for (int k = 0; k <= degree; ++k) A[r][span - degree + k] = N[k];
        b[r] = f(g[r]);
    }
    if (!solve(A, b, degree)) return false;
    out.cvs.resize(n);
    for (int j = 0; j < n; ++j) out.cvs[j] = {b[j][0], b[j][1], b[j][2], 1.0};
    return true;
}

// Rotation taking +z to `axis` (shortest arc), as a row-vector matrix.
bool frameFor(const Vec3d& axisIn, Matrix4& m, std::string* err) {
    double len = norm(axisIn);
    if (!(len > 1e-12) || !finite(len)) return fail(err, "the axis / normal vector must not be zero");
    Vec3d a = scale(axisIn, 1.0 / len);
    Vec3d z{0, 0, 1};
    m = Matrix4();
    double c = dot(z, a);
    if (c > 1 - 1e-12) return true;
    if (c < -1 + 1e-12) {
        m.m[1][1] = -1;
        m.m[2][2] = -1;
        return true;
    }
    Vec3d k = cross(z, a);
    double s = norm(k);
    k = scale(k, 1.0 / s);
    // Rodrigues; row i is the image of basis vector i.
    for (int i = 0; i < 3; ++i) {
        Vec3d e{0, 0, 0};
        e[i] = 1;
        Vec3d r = add(add(scale(e, c), scale(cross(k, e), s)), scale(k, dot(k, e) * (1 - c)));
        for (int j = 0; j < 3; ++j) m.m[i][j] = r[j];
    }
    return true;
}

void place(std::vector<Cv>& cvs, const Matrix4& rot, const Vec3d& offset) {
    double size = 0;
    for (const Cv& c : cvs) size = std::max({size, std::fabs(c[0]), std::fabs(c[1]), std::fabs(c[2])});
    for (Cv& c : cvs) {
        Vec3d p = applyMatrix(rot, c);
        // Rounding noise of the trigonometry (1e-17 for an exact 0) would
        // otherwise show in every saved file.
        for (double& x : p)
            if (std::fabs(x) < 1e-14 * size) x = 0;
        c = {p[0] + offset[0], p[1] + offset[1], p[2] + offset[2], c[3]};
    }
}

// Unit circle CVs (periodic, `sections` spans) passing through radius 1.
CurveGeom unitPeriodicCircle(int sections, int degree) {
    CurveGeom c;
    c.degree = degree;
    c.form = kPeriodic;
    const int n = sections + degree;
    for (int i = 0; i < sections; ++i) {
        double a = 2 * kPi * (i + 1) / sections;
        c.cvs.push_back({std::cos(a), std::sin(a), 0.0, 1.0});
    }
    for (int j = 0; j < degree; ++j) c.cvs.push_back(c.cvs[j % sections]);
    c.knots = periodicUniformKnots(degree, n);
    // CV i peaks at i - (degree-1)/2; there the curve lies on the CV's ray.
    double t = degree - (degree - 1) / 2.0;
    Vec3d p = c.point(t);
    double r = norm(p);
    for (Cv& cv : c.cvs)
        for (int k = 0; k < 3; ++k) cv[k] /= r;
    return c;
}

bool unitCircleOrArc(double sweep, int sections, int degree, CurveGeom& c, std::string* err) {
    if (degree < 1 || degree > 7) return fail(err, "degree must be between 1 and 7");
    if (!(std::fabs(sweep) > 1e-9) || !finite(sweep)) return fail(err, "the sweep angle must not be zero");
    if (sections < 1 || sections > kMaxBuilderSpans) return fail(err, "sections must be between 1 and 1024");
    if (std::fabs(sweep) >= 2 * kPi - 1e-9) {
        if (sections < 3) return fail(err, "a full circle needs at least 3 sections");
        c = unitPeriodicCircle(sections, degree);
        return true;
    }
    if (!interpolateOpen(degree, sections,
                         [&](double g) {
                             double a = sweep * g / sections;
                             return Vec3d{std::cos(a), std::sin(a), 0.0};
                         },
                         c))
        return fail(err, "could not fit the arc");
    return true;
}

}  // namespace

// ------------------------------------------------------------ knots

std::vector<double> openUniformKnots(int degree, int spans) {
    std::vector<double> k;
    for (int i = 0; i < degree; ++i) k.push_back(0);
    for (int i = 1; i < spans; ++i) k.push_back(i);
    for (int i = 0; i < degree; ++i) k.push_back(spans);
    return k;
}

std::vector<double> periodicUniformKnots(int degree, int numCVs) {
    std::vector<double> k;
    for (int i = 0; i < numCVs + degree - 1; ++i) k.push_back(i - (degree - 1));
    return k;
}

// ------------------------------------------------------------ curves

bool CurveGeom::validate(std::string* err) const {
    if (degree < 1 || degree > 7) return fail(err, "nurbsCurve: degree must be between 1 and 7");
    if (form < kOpen || form > kPeriodic) return fail(err, "nurbsCurve: unknown form");
    if (numCVs() < degree + 1) return fail(err, "nurbsCurve: needs at least degree + 1 CVs");
    if (static_cast<std::size_t>(numCVs()) > kMaxCvs) return fail(err, "nurbsCurve: too many CVs");
    if (dimension != 2 && dimension != 3) return fail(err, "nurbsCurve: dimension must be 2 or 3");
    return validateKnots(knots, degree, numCVs(), "nurbsCurve", err) && validateCvs(cvs, "nurbsCurve", err);
}

void CurveGeom::domain(double& t0, double& t1) const {
    if (knots.empty() || numCVs() < degree + 1) {
        t0 = t1 = 0;
        return;
    }
    t0 = knots[degree - 1];
    t1 = knots[numCVs() - 1];
}

bool CurveGeom::inDomain(double t, double tol) const {
    if (!finite(t)) return false;
    if (form == kPeriodic) return true;
    double t0, t1;
    domain(t0, t1);
    double slack = tol * std::max(1.0, std::fabs(t1 - t0));
    return t >= t0 - slack && t <= t1 + slack;
}

double CurveGeom::toDomain(double t) const {
    double t0, t1;
    domain(t0, t1);
    if (form == kPeriodic && t1 > t0 && (t < t0 || t > t1)) {
        double len = t1 - t0;
        t = t0 + std::fmod(t - t0, len);
        if (t < t0) t += len;
        return t;
    }
    return std::clamp(t, t0, t1);
}

Vec3d CurveGeom::point(double t) const {
    Vec3d p;
    const int n = numCVs() - 1, p_ = degree;
    const KnotView U{knots};
    t = toDomain(t);
    int span = findSpan(U, n, p_, t);
    double N[16];
    basis(U, span, p_, t, N);
    Cv a{0, 0, 0, 0};
    for (int k = 0; k <= p_; ++k) {
        Cv h = homog(cvs[span - p_ + k]);
        for (int c = 0; c < 4; ++c) a[c] += N[k] * h[c];
    }
    Cv r = cartesian(a);
    p = {r[0], r[1], r[2]};
    return p;
}

Vec3d CurveGeom::derivative(double t) const {
    const int n = numCVs() - 1, p_ = degree;
    const KnotView U{knots};
    t = toDomain(t);
    int span = findSpan(U, n, p_, t);
    double N[16], dN[16];
    basisDerivs(U, span, p_, t, N, dN);
    Cv a{0, 0, 0, 0}, da{0, 0, 0, 0};
    for (int k = 0; k <= p_; ++k) {
        Cv h = homog(cvs[span - p_ + k]);
        for (int c = 0; c < 4; ++c) {
            a[c] += N[k] * h[c];
            da[c] += dN[k] * h[c];
        }
    }
    double w = a[3] != 0 ? a[3] : 1.0;
    Vec3d out;
    for (int c = 0; c < 3; ++c) out[c] = (da[c] - da[3] * (a[c] / w)) / w;
    return out;
}

double CurveGeom::arcLength(double t0, double t1) const {
    if (t1 < t0) std::swap(t0, t1);
    // Integrate span by span so every piece is smooth.
    std::vector<double> cuts{t0};
    for (double k : knots)
        if (k > t0 && k < t1 && k != cuts.back()) cuts.push_back(k);
    cuts.push_back(t1);
    auto speed = [this](double t) { return norm(derivative(t)); };
    double total = 0;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        double a = cuts[i], b = cuts[i + 1];
        if (b <= a) continue;
        total += adaptive(speed, a, b, gauss5(speed, a, b), 12);
    }
    return total;
}

double CurveGeom::length() const {
    double t0, t1;
    domain(t0, t1);
    return arcLength(t0, t1);
}

CurveGeom CurveGeom::sub(double t0, double t1) const {
    double d0, d1;
    domain(d0, d1);
    const int p = degree;
    std::vector<double> U = fullKnots(knots);
    std::vector<Cv> P;
    for (const Cv& c : cvs) P.push_back(homog(c));
    if (form == kPeriodic) {
        t0 = toDomain(t0);
        t1 = t1 == d1 ? d1 : toDomain(t1);
        if (t1 <= t0) {
            // Unroll one more period so the piece can cross the seam.
            const int spans = numSpans();
            const double len = d1 - d0;
            std::vector<double> k2 = knots;
            for (int i = 0; i < spans; ++i) {
                Cv again = P[P.size() - spans];
                double k = k2[k2.size() - spans] + len;
                P.push_back(again);
                k2.push_back(k);
            }
            U = fullKnots(k2);
            t1 += len;
        }
    } else {
        t0 = std::clamp(t0, d0, d1);
        t1 = std::clamp(t1, d0, d1);
        if (t1 < t0) std::swap(t0, t1);
    }
    CurveGeom out;
    out.degree = p;
    out.form = kOpen;
    out.rational = rational;
    out.dimension = dimension;
    if (!(t1 - t0 > 1e-12 * std::max(1.0, d1 - d0))) {
        // An empty range: a single point, kept as a valid degree-1 curve.
        Vec3d q = point(t0);
        out.degree = 1;
        out.knots = {0.0, 1.0};
        out.cvs = {{q[0], q[1], q[2], 1.0}, {q[0], q[1], q[2], 1.0}};
        return out;
    }
    for (int m = multiplicity(U, t0); m < p + 1; ++m) insertKnot(U, P, p, t0, false);
    for (int m = multiplicity(U, t1); m < p + 1; ++m) insertKnot(U, P, p, t1, true);
    int a = static_cast<int>(std::lower_bound(U.begin(), U.end(), t0) - U.begin());
    int c = static_cast<int>(std::lower_bound(U.begin(), U.end(), t1) - U.begin());
    for (int i = a; i < c; ++i) out.cvs.push_back(cartesian(P[i]));
    // Host layout: drop the outermost knot at each end.
    for (int i = a + 1; i < c + p; ++i) out.knots.push_back(U[i]);
    return out;
}

void CurveGeom::transform(const Matrix4& m) {
    for (Cv& c : cvs) {
        Vec3d p = applyMatrix(m, c);
        c = {p[0], p[1], p[2], c[3]};
        if (p[2] != 0) dimension = 3;
    }
}

// ------------------------------------------------------------ surfaces

bool SurfaceGeom::validate(std::string* err) const {
    if (degreeU < 1 || degreeU > 7 || degreeV < 1 || degreeV > 7)
        return fail(err, "nurbsSurface: degrees must be between 1 and 7");
    if (formU < kOpen || formU > kPeriodic || formV < kOpen || formV > kPeriodic)
        return fail(err, "nurbsSurface: unknown form");
    if (numCVsU < degreeU + 1 || numCVsV < degreeV + 1)
        return fail(err, "nurbsSurface: needs at least degree + 1 CVs in each direction");
    if (static_cast<std::size_t>(numCVsU) * static_cast<std::size_t>(numCVsV) != cvs.size())
        return fail(err, "nurbsSurface: CV count does not match the knots");
    if (cvs.size() > kMaxCvs) return fail(err, "nurbsSurface: too many CVs");
    return validateKnots(knotsU, degreeU, numCVsU, "nurbsSurface (u)", err) &&
           validateKnots(knotsV, degreeV, numCVsV, "nurbsSurface (v)", err) &&
           validateCvs(cvs, "nurbsSurface", err);
}

void SurfaceGeom::domain(double& u0, double& u1, double& v0, double& v1) const {
    u0 = knotsU[degreeU - 1];
    u1 = knotsU[numCVsU - 1];
    v0 = knotsV[degreeV - 1];
    v1 = knotsV[numCVsV - 1];
}

bool SurfaceGeom::inDomain(double u, double v, double tol) const {
    if (!finite(u) || !finite(v)) return false;
    double u0, u1, v0, v1;
    domain(u0, u1, v0, v1);
    double su = tol * std::max(1.0, u1 - u0), sv = tol * std::max(1.0, v1 - v0);
    bool okU = formU == kPeriodic || (u >= u0 - su && u <= u1 + su);
    bool okV = formV == kPeriodic || (v >= v0 - sv && v <= v1 + sv);
    return okU && okV;
}

namespace {
double wrapOrClamp(double t, double t0, double t1, bool periodic) {
    if (periodic && t1 > t0 && (t < t0 || t > t1)) {
        double len = t1 - t0;
        t = t0 + std::fmod(t - t0, len);
        if (t < t0) t += len;
        return t;
    }
    return std::clamp(t, t0, t1);
}
}  // namespace

void SurfaceGeom::evaluate(double u, double v, Vec3d& p, Vec3d& du, Vec3d& dv) const {
    double u0, u1, v0, v1;
    domain(u0, u1, v0, v1);
    u = wrapOrClamp(u, u0, u1, formU == kPeriodic);
    v = wrapOrClamp(v, v0, v1, formV == kPeriodic);
    const KnotView U{knotsU}, V{knotsV};
    int su = findSpan(U, numCVsU - 1, degreeU, u);
    int sv = findSpan(V, numCVsV - 1, degreeV, v);
    double Nu[16], dNu[16], Nv[16], dNv[16];
    basisDerivs(U, su, degreeU, u, Nu, dNu);
    basisDerivs(V, sv, degreeV, v, Nv, dNv);
    Cv a{0, 0, 0, 0}, au{0, 0, 0, 0}, av{0, 0, 0, 0};
    for (int i = 0; i <= degreeU; ++i)
        for (int j = 0; j <= degreeV; ++j) {
            Cv h = homog(cv(su - degreeU + i, sv - degreeV + j));
            for (int c = 0; c < 4; ++c) {
                a[c] += Nu[i] * Nv[j] * h[c];
                au[c] += dNu[i] * Nv[j] * h[c];
                av[c] += Nu[i] * dNv[j] * h[c];
            }
        }
    double w = a[3] != 0 ? a[3] : 1.0;
    for (int c = 0; c < 3; ++c) {
        p[c] = a[c] / w;
        du[c] = (au[c] - au[3] * p[c]) / w;
        dv[c] = (av[c] - av[3] * p[c]) / w;
    }
}

Vec3d SurfaceGeom::point(double u, double v) const {
    Vec3d p, du, dv;
    evaluate(u, v, p, du, dv);
    return p;
}

Vec3d SurfaceGeom::normal(double u, double v) const {
    double u0, u1, v0, v1;
    domain(u0, u1, v0, v1);
    Vec3d p, du, dv;
    evaluate(u, v, p, du, dv);
    Vec3d n = cross(du, dv);
    double len = norm(n);
    double scaleRef = std::max(norm(du), norm(dv));
    // A collapsed edge (a pole): step toward the inside until the normal shows.
    for (double step = 1e-6; len <= 1e-10 * std::max(1.0, scaleRef * scaleRef) && step < 0.2; step *= 4) {
        double uu = u + (u < (u0 + u1) / 2 ? 1 : -1) * step * (u1 - u0);
        double vv = v + (v < (v0 + v1) / 2 ? 1 : -1) * step * (v1 - v0);
        evaluate(uu, vv, p, du, dv);
        n = cross(du, dv);
        len = norm(n);
    }
    return len > 0 ? scale(n, 1.0 / len) : Vec3d{0, 0, 0};
}

void SurfaceGeom::transform(const Matrix4& m) {
    for (Cv& c : cvs) {
        Vec3d p = applyMatrix(m, c);
        c = {p[0], p[1], p[2], c[3]};
    }
}

// ------------------------------------------------------------ builders

bool makeCircle(const Vec3d& center, const Vec3d& normal, double radius, double sweep, int sections, int degree,
                CurveGeom& out, std::string* err) {
    if (!(radius > 0) || !finite(radius)) return fail(err, "the radius must be positive");
    Matrix4 rot;
    if (!frameFor(normal, rot, err)) return false;
    CurveGeom c;
    if (!unitCircleOrArc(sweep, sections, degree, c, err)) return false;
    for (Cv& cv : c.cvs)
        for (int k = 0; k < 3; ++k) cv[k] *= radius;
    place(c.cvs, rot, center);
    c.dimension = 3;
    out = std::move(c);
    return true;
}

bool makePlane(const Vec3d& pivot, const Vec3d& axis, double width, double lengthRatio, int patchesU, int patchesV,
               int degree, SurfaceGeom& out, std::string* err) {
    if (!(width > 0) || !finite(width) || !(lengthRatio > 0) || !finite(lengthRatio))
        return fail(err, "width and length ratio must be positive");
    if (degree < 1 || degree > 7) return fail(err, "degree must be between 1 and 7");
    if (patchesU < 1 || patchesV < 1 || patchesU > kMaxBuilderSpans || patchesV > kMaxBuilderSpans)
        return fail(err, "patches must be between 1 and 1024");
    Matrix4 rot;
    if (!frameFor(axis, rot, err)) return false;
    SurfaceGeom s;
    s.degreeU = s.degreeV = degree;
    s.knotsU = openUniformKnots(degree, patchesU);
    s.knotsV = openUniformKnots(degree, patchesV);
    s.numCVsU = patchesU + degree;
    s.numCVsV = patchesV + degree;
    auto greville = [degree](const std::vector<double>& k, int j) {
        double sum = 0;
        for (int i = 0; i < degree; ++i) sum += k[j + i];
        return sum / degree;
    };
    const double length = width * lengthRatio;
    for (int i = 0; i < s.numCVsU; ++i)
        for (int j = 0; j < s.numCVsV; ++j) {
            double x = (greville(s.knotsU, i) / patchesU - 0.5) * width;
            double y = (greville(s.knotsV, j) / patchesV - 0.5) * length;
            s.cvs.push_back({x, y, 0.0, 1.0});
        }
    place(s.cvs, rot, pivot);
    out = std::move(s);
    return true;
}

bool makeSphere(const Vec3d& pivot, const Vec3d& axis, double radius, double startSweep, double endSweep,
                int sections, int spans, int degree, SurfaceGeom& out, std::string* err) {
    if (!(radius > 0) || !finite(radius)) return fail(err, "the radius must be positive");
    if (degree < 1 || degree > 7) return fail(err, "degree must be between 1 and 7");
    if (spans < 1 || spans > kMaxBuilderSpans) return fail(err, "spans must be between 1 and 1024");
    if (degree > 1 && spans < 2) return fail(err, "a curved sphere needs at least 2 spans");
    Matrix4 rot;
    if (!frameFor(axis, rot, err)) return false;
    CurveGeom ring;
    if (!unitCircleOrArc(endSweep - startSweep, sections, degree, ring, err)) return false;
    if (startSweep != 0) {
        double c = std::cos(startSweep), s = std::sin(startSweep);
        for (Cv& cv : ring.cvs) {
            double x = cv[0] * c - cv[1] * s, y = cv[0] * s + cv[1] * c;
            cv[0] = x;
            cv[1] = y;
        }
    }
    // Profile from the +axis pole to the -axis pole: with v running
    // counter-clockwise about the axis, du x dv then points outward.
    CurveGeom profile;
    if (!interpolateOpen(degree, spans,
                         [&](double g) {
                             double a = kPi / 2 - kPi * g / spans;
                             return Vec3d{std::cos(a), std::sin(a), 0.0};
                         },
                         profile))
        return fail(err, "could not fit the sphere's profile");
    SurfaceGeom s;
    s.degreeU = s.degreeV = degree;
    s.formU = kOpen;
    s.formV = ring.form;
    s.knotsU = profile.knots;
    s.knotsV = ring.knots;
    s.numCVsU = profile.numCVs();
    s.numCVsV = ring.numCVs();
    for (const Cv& pc : profile.cvs)
        for (const Cv& rc : ring.cvs)
            s.cvs.push_back({radius * pc[0] * rc[0], radius * pc[0] * rc[1], radius * pc[1], 1.0});
    place(s.cvs, rot, pivot);
    out = std::move(s);
    return true;
}

// ------------------------------------------------------------ tessellation

namespace {

std::vector<double> distinctKnots(const std::vector<double>& k, int degree, int ncv) {
    std::vector<double> out;
    for (int i = degree - 1; i <= ncv - 1; ++i)
        if (out.empty() || k[i] != out.back()) out.push_back(k[i]);
    return out;
}

// Largest gap between the chord midpoint and the surface, over a span cut in
// n pieces, along isoparms at the other direction's samples.
double chordError(const SurfaceGeom& s, bool alongU, double a, double b, int n, const std::vector<double>& across) {
    double worst = 0;
    for (double c : across)
        for (int i = 0; i < n; ++i) {
            double t0 = a + (b - a) * i / n, t1 = a + (b - a) * (i + 1) / n, tm = (t0 + t1) / 2;
            Vec3d p0 = alongU ? s.point(t0, c) : s.point(c, t0);
            Vec3d p1 = alongU ? s.point(t1, c) : s.point(c, t1);
            Vec3d pm = alongU ? s.point(tm, c) : s.point(c, tm);
            worst = std::max(worst, norm(sub3(pm, scale(add(p0, p1), 0.5))));
        }
    return worst;
}

std::vector<double> samples(const SurfaceGeom& s, bool alongU, int perSpan, double tol) {
    std::vector<double> cuts = alongU ? distinctKnots(s.knotsU, s.degreeU, s.numCVsU)
                                      : distinctKnots(s.knotsV, s.degreeV, s.numCVsV);
    std::vector<double> other = alongU ? distinctKnots(s.knotsV, s.degreeV, s.numCVsV)
                                       : distinctKnots(s.knotsU, s.degreeU, s.numCVsU);
    // Isoparms to test along: every knot and span middle of the other
    // direction, thinned to a bounded number on dense surfaces.
    std::vector<double> across;
    const std::size_t stride = std::max<std::size_t>(1, other.size() / 8);
    for (std::size_t i = 0; i + 1 < other.size(); i += stride) {
        across.push_back(other[i]);
        across.push_back((other[i] + other[i + 1]) / 2);
    }
    across.push_back(other.back());
    std::vector<double> out{cuts.front()};
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        double a = cuts[i], b = cuts[i + 1];
        int n = std::min(perSpan, kMaxCutsPerSpan);
        if (n <= 0) {
            int deg = alongU ? s.degreeU : s.degreeV;
            n = 1;
            if (deg > 1 || s.rational)
                while (n < 64 && chordError(s, alongU, a, b, n, across) > tol) n *= 2;
        }
        // Bounded in total whatever the span count or the request.
        n = std::max(1, std::min<int>(n, static_cast<int>(kMaxTessSegments / (cuts.size() - 1))));
        for (int k = 1; k <= n; ++k) out.push_back(k == n ? b : a + (b - a) * k / n);
    }
    return out;
}

}  // namespace

TessGrid tessellationGrid(const SurfaceGeom& s, int perSpanU, int perSpanV, double tolerance) {
    TessGrid g;
    g.us = samples(s, true, perSpanU, tolerance);
    g.vs = samples(s, false, perSpanV, tolerance);
    return g;
}

TessGrid uniformGrid(const SurfaceGeom& s, int segmentsU, int segmentsV) {
    double u0, u1, v0, v1;
    s.domain(u0, u1, v0, v1);
    TessGrid g;
    segmentsU = std::clamp(segmentsU, 1, kMaxTessSegments);
    segmentsV = std::clamp(segmentsV, 1, kMaxTessSegments);
    for (int i = 0; i <= segmentsU; ++i) g.us.push_back(i == segmentsU ? u1 : u0 + (u1 - u0) * i / segmentsU);
    for (int j = 0; j <= segmentsV; ++j) g.vs.push_back(j == segmentsV ? v1 : v0 + (v1 - v0) * j / segmentsV);
    return g;
}

}  // namespace host::scene::nurbs
