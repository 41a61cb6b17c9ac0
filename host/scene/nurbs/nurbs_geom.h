#pragma once
// NURBS curve and surface geometry as the host keeps it, and the maths on it:
// evaluation, derivatives, knot domains, arc length, sub-curves, the
// primitive builders (circle, plane, sphere) and tessellation into a grid.
//
// Knot vectors use the host's layout: numCVs + degree - 1 knots, without the
// two superfluous end knots of the textbook vector. Periodic geometry lists
// its `degree` wrapped-around CVs again at the end, as the host does.
// Control points are cartesian x, y, z with a separate weight w.
#include "scene/core/scene.h"

#include <array>
#include <string>
#include <vector>

namespace host::scene::nurbs {

using Vec3d = std::array<double, 3>;
using Cv = std::array<double, 4>;  // x, y, z, weight

// Numbering of MFnNurbsCurve::Form / MFnNurbsSurface::Form; scene files
// store these less one.
enum Form { kInvalidForm = 0, kOpen = 1, kClosed = 2, kPeriodic = 3 };

// Largest counts accepted from files and commands: keeps hostile input from
// asking for unbounded memory.
constexpr std::size_t kMaxCvs = 1u << 22;
// Spans, sections and patches the primitive builders accept.
constexpr int kMaxBuilderSpans = 1024;
// Tessellation: cuts of one span, segments of one direction, grid samples.
constexpr int kMaxCutsPerSpan = 256;
constexpr int kMaxTessSegments = 1 << 16;
constexpr std::size_t kMaxTessSamples = 1u << 20;

struct CurveGeom {
    int degree = 1;
    int form = kOpen;
    bool rational = false;
    int dimension = 3;  // 2: CVs lie in the xy plane and files write two coordinates
    std::vector<double> knots;
    std::vector<Cv> cvs;

    int numCVs() const { return static_cast<int>(cvs.size()); }
    int numKnots() const { return static_cast<int>(knots.size()); }
    int numSpans() const { return numCVs() - degree; }
    // Checks counts, degree, knot order and weights. False with *err set.
    bool validate(std::string* err = nullptr) const;
    void domain(double& t0, double& t1) const;
    // Parameter within tolerance of the domain? Periodic curves accept any value.
    bool inDomain(double t, double tol = 1e-9) const;
    // Periodic parameters wrap into the domain, others are clamped to it.
    double toDomain(double t) const;
    Vec3d point(double t) const;
    // First derivative with respect to the parameter.
    Vec3d derivative(double t) const;
    // Arc length between two parameters (inside the domain, t0 <= t1).
    double arcLength(double t0, double t1) const;
    double length() const;
    // The open curve tracing this one from t0 to t1 (t0 < t1, inside the
    // domain; periodic curves with t0 > t1 run across the seam).
    CurveGeom sub(double t0, double t1) const;
    // Applies a row-vector matrix (translation in the last row) to the CVs.
    void transform(const Matrix4& m);
};

struct SurfaceGeom {
    int degreeU = 1, degreeV = 1;
    int formU = kOpen, formV = kOpen;
    bool rational = false;
    std::vector<double> knotsU, knotsV;
    std::vector<Cv> cvs;  // u-major: index = iu * numCVsV + iv
    int numCVsU = 0, numCVsV = 0;

    bool validate(std::string* err = nullptr) const;
    int numSpansU() const { return numCVsU - degreeU; }
    int numSpansV() const { return numCVsV - degreeV; }
    const Cv& cv(int iu, int iv) const { return cvs[static_cast<std::size_t>(iu) * numCVsV + iv]; }
    void domain(double& u0, double& u1, double& v0, double& v1) const;
    bool inDomain(double u, double v, double tol = 1e-9) const;
    Vec3d point(double u, double v) const;
    // Point and partial derivatives.
    void evaluate(double u, double v, Vec3d& p, Vec3d& du, Vec3d& dv) const;
    // Unit normal du x dv; where that vanishes (a collapsed pole) the normal of
    // a nearby point toward the domain's inside.
    Vec3d normal(double u, double v) const;
    void transform(const Matrix4& m);
};

// ---- builders (geometry around the z axis, then turned to `normal`/`axis`)

// Full circle: periodic, `sections` spans; the curve passes through the
// radius at the parameters where each CV's influence peaks. Open arcs for a
// sweep below a full turn.
bool makeCircle(const Vec3d& center, const Vec3d& normal, double radius, double sweep, int sections, int degree,
                CurveGeom& out, std::string* err = nullptr);
bool makePlane(const Vec3d& pivot, const Vec3d& axis, double width, double lengthRatio, int patchesU, int patchesV,
               int degree, SurfaceGeom& out, std::string* err = nullptr);
// u runs from pole to pole along the axis, v around it (periodic for a full sweep).
bool makeSphere(const Vec3d& pivot, const Vec3d& axis, double radius, double startSweep, double endSweep,
                int sections, int spans, int degree, SurfaceGeom& out, std::string* err = nullptr);

// Knots of an open uniform curve: degree copies of 0, 1 ... spans-1, degree copies of spans.
std::vector<double> openUniformKnots(int degree, int spans);
// Knots of a periodic uniform curve with numCVs CVs: -(degree-1), ..., numCVs-1.
std::vector<double> periodicUniformKnots(int degree, int numCVs);

// ---- tessellation into a grid of samples

struct TessGrid {
    std::vector<double> us, vs;  // sample parameters, ascending
};
// How many segments each span gets: `perSpan` fixed, or (perSpan <= 0)
// enough that no chord strays more than `tolerance` from the surface.
TessGrid tessellationGrid(const SurfaceGeom& s, int perSpanU, int perSpanV, double tolerance);
// A given number of segments over the whole domain in each direction.
TessGrid uniformGrid(const SurfaceGeom& s, int segmentsU, int segmentsV);

}  // namespace host::scene::nurbs
