// NURBS geometry maths checked against hand-computed values, and the
// scene-file words of both data kinds.
#include "scene/nurbs/nurbs_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace host::scene::nurbs;

namespace {

constexpr double kPi = 3.14159265358979323846;

CurveGeom curve(int degree, std::vector<double> knots, std::vector<Cv> cvs, int form = kOpen) {
    CurveGeom c;
    c.degree = degree;
    c.form = form;
    c.knots = std::move(knots);
    c.cvs = std::move(cvs);
    c.rational = false;
    for (const Cv& cv : c.cvs) c.rational = c.rational || cv[3] != 1.0;
    EXPECT_TRUE(c.validate()) << "fixture curve must be valid";
    return c;
}

double radius(const Vec3d& p) { return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]); }

void expectNear(const Vec3d& got, const Vec3d& want, double tol, const std::string& what) {
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], tol) << what << " component " << k;
}

// A quarter of the unit circle, exact through its rational middle weight.
CurveGeom quarterCircle() {
    double w = std::sqrt(0.5);
    return curve(2, {0, 0, 1, 1}, {{1, 0, 0, 1}, {1, 1, 0, w}, {0, 1, 0, 1}});
}

}  // namespace

TEST(NurbsCurveGeom, PointsMatchHandComputedValues) {
    const CurveGeom line = curve(1, {0, 1, 2}, {{0, 0, 0, 1}, {2, 0, 0, 1}, {2, 2, 0, 1}});
    // One cubic span: the Bernstein weights 1/8, 3/8, 3/8, 1/8 at the middle.
    const CurveGeom bezier = curve(3, {0, 0, 0, 1, 1, 1}, {{0, 0, 0, 1}, {1, 2, 0, 1}, {3, 2, 0, 1}, {4, 0, 0, 1}});
    // Two cubic spans: at the inner knot the weights are 1/4, 1/2, 1/4 of CVs 1..3.
    const CurveGeom twoSpans =
        curve(3, {0, 0, 0, 1, 2, 2, 2}, {{0, 0, 0, 1}, {1, 1, 0, 1}, {2, 3, 0, 1}, {3, 1, 0, 1}, {4, 0, 0, 1}});
    struct Case {
        const char* name;
        const CurveGeom* c;
        double t;
        Vec3d want;
    } cases[] = {
        {"degree 1 first span", &line, 0.5, {1, 0, 0}},
        {"degree 1 second span", &line, 1.5, {2, 1, 0}},
        {"degree 1 end", &line, 2.0, {2, 2, 0}},
        {"cubic span start", &bezier, 0.0, {0, 0, 0}},
        {"cubic span middle", &bezier, 0.5, {2.0, 1.5, 0}},
        {"cubic span end", &bezier, 1.0, {4, 0, 0}},
        {"open uniform inner knot", &twoSpans, 1.0, {2, 2, 0}},
        {"open uniform clamped end", &twoSpans, 2.0, {4, 0, 0}},
    };
    for (const Case& k : cases) expectNear(k.c->point(k.t), k.want, 1e-12, k.name);
}

TEST(NurbsCurveGeom, RationalWeightGivesExactCircle) {
    const CurveGeom q = quarterCircle();
    expectNear(q.point(0.5), {std::sqrt(0.5), std::sqrt(0.5), 0}, 1e-12, "middle");
    for (double t = 0; t <= 1.0; t += 0.0625) EXPECT_NEAR(radius(q.point(t)), 1.0, 1e-12) << "t=" << t;
    // The same CVs without the weight bulge less: the weight is what counts.
    CurveGeom flat = q;
    flat.cvs[1][3] = 1.0;
    flat.rational = false;
    EXPECT_GT(std::fabs(radius(flat.point(0.5)) - 1.0), 0.05);
}

TEST(NurbsCurveGeom, KnotDomains) {
    struct Case {
        const char* name;
        CurveGeom c;
        double t0, t1;
    } cases[] = {
        {"degree 1", curve(1, {0, 1, 2}, {{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}}), 0, 2},
        {"open cubic", curve(3, {0, 0, 0, 1, 2, 2, 2}, std::vector<Cv>(5, Cv{0, 0, 0, 1})), 0, 2},
        {"shifted knots", curve(2, {5, 5, 6, 7, 7}, std::vector<Cv>(4, Cv{0, 0, 0, 1})), 5, 7},
    };
    for (const Case& k : cases) {
        double a, b;
        k.c.domain(a, b);
        EXPECT_EQ(a, k.t0) << k.name;
        EXPECT_EQ(b, k.t1) << k.name;
        EXPECT_TRUE(k.c.inDomain(k.t1));
        EXPECT_FALSE(k.c.inDomain(k.t1 + 0.01)) << k.name;
        EXPECT_FALSE(k.c.inDomain(k.t0 - 0.01)) << k.name;
    }
}

TEST(NurbsCurveGeom, PeriodicCircleHitsItsRadiusAtTheCVsParameters) {
    for (int degree : {1, 2, 3, 5}) {
        CurveGeom c;
        ASSERT_TRUE(makeCircle({0, 0, 0}, {0, 0, 1}, 1.0, 2 * kPi, 8, degree, c));
        SCOPED_TRACE("degree " + std::to_string(degree));
        EXPECT_EQ(c.form, kPeriodic);
        EXPECT_EQ(c.numCVs(), 8 + degree);
        EXPECT_EQ(c.numKnots(), 8 + 2 * degree - 1);
        double t0, t1;
        c.domain(t0, t1);
        EXPECT_EQ(t0, 0);
        EXPECT_EQ(t1, 8);
        // The wrapped CVs repeat the first ones.
        for (int j = 0; j < degree; ++j) EXPECT_EQ(c.cvs[8 + j], c.cvs[j]);
        // CV i's influence peaks at i - (degree-1)/2: there the curve is on the circle.
        for (int i = 0; i < 8 + degree; ++i) {
            double t = i - (degree - 1) / 2.0;
            if (t < t0 || t > t1) continue;
            Vec3d p = c.point(t);
            EXPECT_NEAR(radius(p), 1.0, 1e-12) << "t=" << t;
            // ... on the ray of that CV.
            double cvAngle = std::atan2(c.cvs[i][1], c.cvs[i][0]);
            EXPECT_NEAR(std::remainder(std::atan2(p[1], p[0]) - cvAngle, 2 * kPi), 0.0, 1e-12);
        }
        // The curve closes on itself and wraps parameters.
        expectNear(c.point(t0), c.point(t1), 1e-12, "seam");
        expectNear(c.point(t0 + 0.3), c.point(t1 + 0.3), 1e-12, "wrap");
    }
    // The host's default cubic circle: its CVs sit at radius 1.108194.
    CurveGeom c;
    ASSERT_TRUE(makeCircle({0, 0, 0}, {0, 0, 1}, 1.0, 2 * kPi, 8, 3, c));
    EXPECT_NEAR(std::hypot(c.cvs[0][0], c.cvs[0][1]), 1.1081941875543877, 1e-12);
}

TEST(NurbsCurveGeom, CircleFollowsCentreNormalAndRadius) {
    CurveGeom c;
    ASSERT_TRUE(makeCircle({1, 2, 3}, {0, 1, 0}, 2.5, 2 * kPi, 8, 3, c));
    for (double t = 0; t < 8; t += 0.5) {
        Vec3d p = c.point(t);
        EXPECT_NEAR(p[1], 2.0, 1e-12) << "lies in the plane normal to y through the centre";
        if (std::fmod(t, 1.0) == 0) {
            EXPECT_NEAR(std::hypot(p[0] - 1, p[2] - 3), 2.5, 1e-12);
        }
    }
    // An arc is open and ends exactly at its sweep.
    CurveGeom arc;
    ASSERT_TRUE(makeCircle({0, 0, 0}, {0, 0, 1}, 1.0, kPi / 2, 4, 3, arc));
    EXPECT_EQ(arc.form, kOpen);
    double a, b;
    arc.domain(a, b);
    expectNear(arc.point(a), {1, 0, 0}, 1e-12, "arc start");
    expectNear(arc.point(b), {0, 1, 0}, 1e-12, "arc end");
    std::string err;
    EXPECT_FALSE(makeCircle({0, 0, 0}, {0, 0, 0}, 1.0, 2 * kPi, 8, 3, c, &err));
    EXPECT_NE(err.find("normal"), std::string::npos);
    EXPECT_FALSE(makeCircle({0, 0, 0}, {0, 0, 1}, -1.0, 2 * kPi, 8, 3, c, &err));
    EXPECT_FALSE(makeCircle({0, 0, 0}, {0, 0, 1}, 1.0, 2 * kPi, 2, 3, c, &err));
}

TEST(NurbsCurveGeom, ArcLengthOfKnownShapes) {
    // Cubic with CVs at the Greville points of a line: uniform speed.
    const CurveGeom line = curve(3, {0, 0, 0, 1, 2, 3, 3, 3},
                                 {{0, 0, 0, 1}, {1, 0, 0, 1}, {3, 0, 0, 1}, {6, 0, 0, 1}, {8, 0, 0, 1}, {9, 0, 0, 1}});
    EXPECT_NEAR(line.length(), 9.0, 1e-12);
    EXPECT_NEAR(line.arcLength(0, 1), 3.0, 1e-12);
    EXPECT_NEAR(line.arcLength(1, 2), 3.0, 1e-12);
    const CurveGeom poly = curve(1, {0, 1, 2}, {{0, 0, 0, 1}, {3, 0, 0, 1}, {3, 4, 0, 1}});
    EXPECT_NEAR(poly.length(), 7.0, 1e-12);
    EXPECT_NEAR(poly.arcLength(0.5, 1.5), 1.5 + 2.0, 1e-12);
    EXPECT_NEAR(quarterCircle().length(), kPi / 2, 1e-10);
    // The host's non-rational circle is within a fraction of a percent of 2 pi r.
    CurveGeom c;
    ASSERT_TRUE(makeCircle({0, 0, 0}, {0, 0, 1}, 2.0, 2 * kPi, 8, 3, c));
    EXPECT_NEAR(c.length(), 4 * kPi, 4 * kPi * 0.003);
    EXPECT_NEAR(c.arcLength(0, 2), c.length() / 4, 1e-9);  // symmetry: a quarter of it
}

TEST(NurbsCurveGeom, SubCurveTracesTheSameShape) {
    const CurveGeom c =
        curve(3, {0, 0, 0, 1, 2, 2, 2}, {{0, 0, 0, 1}, {1, 1, 0, 1}, {2, 3, 1, 1}, {3, 1, 0, 1}, {4, 0, 2, 1}});
    struct Range {
        double a, b;
    } ranges[] = {{0.5, 1.5}, {0, 1}, {1, 2}, {0.25, 2}, {0, 2}};
    for (const Range& r : ranges) {
        CurveGeom s = c.sub(r.a, r.b);
        SCOPED_TRACE("range " + std::to_string(r.a) + ".." + std::to_string(r.b));
        ASSERT_TRUE(s.validate());
        double a, b;
        s.domain(a, b);
        EXPECT_NEAR(a, r.a, 1e-12);
        EXPECT_NEAR(b, r.b, 1e-12);
        for (double t = r.a; t <= r.b; t += (r.b - r.a) / 7) expectNear(s.point(t), c.point(t), 1e-10, "sample");
        EXPECT_NEAR(s.length(), c.arcLength(r.a, r.b), 1e-9);
    }
    // A periodic curve's piece may run across the seam.
    CurveGeom circle;
    ASSERT_TRUE(makeCircle({0, 0, 0}, {0, 0, 1}, 1.0, 2 * kPi, 8, 3, circle));
    CurveGeom across = circle.sub(7, 1);
    ASSERT_TRUE(across.validate());
    double a, b;
    across.domain(a, b);
    EXPECT_NEAR(b - a, 2.0, 1e-12);
    expectNear(across.point(a), circle.point(7), 1e-10, "seam piece start");
    expectNear(across.point(a + 1), circle.point(0), 1e-10, "seam piece middle");
    expectNear(across.point(b), circle.point(1), 1e-10, "seam piece end");
    // Rational pieces keep the exact shape.
    CurveGeom q = quarterCircle().sub(0.2, 0.7);
    for (double t = 0.2; t <= 0.7; t += 0.1) EXPECT_NEAR(radius(q.point(t)), 1.0, 1e-12);
}

TEST(NurbsCurveGeom, TransformMovesCVsKeepingWeights) {
    CurveGeom q = quarterCircle();
    host::scene::Matrix4 m;  // scale 2, then move by (10, 0, 5)
    m.m[0][0] = m.m[1][1] = m.m[2][2] = 2;
    m.m[3][0] = 10;
    m.m[3][2] = 5;
    q.transform(m);
    EXPECT_EQ(q.cvs[1][3], std::sqrt(0.5));
    Vec3d p = q.point(0.5);
    EXPECT_NEAR(std::hypot(p[0] - 10, p[1]), 2.0, 1e-12);
    EXPECT_NEAR(p[2], 5.0, 1e-12);
}

TEST(NurbsSurfaceGeom, PlaneAndSphereShapes) {
    SurfaceGeom plane;
    ASSERT_TRUE(makePlane({0, 0, 0}, {0, 1, 0}, 2.0, 1.5, 2, 3, 3, plane));
    ASSERT_TRUE(plane.validate());
    EXPECT_EQ(plane.numCVsU, 5);
    EXPECT_EQ(plane.numCVsV, 6);
    double u0, u1, v0, v1;
    plane.domain(u0, u1, v0, v1);
    EXPECT_EQ(u1, 2);
    EXPECT_EQ(v1, 3);
    for (double u : {0.0, 0.7, 2.0})
        for (double v : {0.0, 1.3, 3.0}) {
            Vec3d p = plane.point(u, v);
            EXPECT_NEAR(p[1], 0.0, 1e-12);
            expectNear(plane.normal(u, v), {0, 1, 0}, 1e-12, "plane normal is the axis");
        }
    // Corners span the width and the length.
    Vec3d c0 = plane.point(u0, v0), c1 = plane.point(u1, v1);
    EXPECT_NEAR(std::fabs(c1[0] - c0[0]) + std::fabs(c1[2] - c0[2]), 2.0 + 3.0, 1e-12);

    SurfaceGeom sphere;
    ASSERT_TRUE(makeSphere({1, 2, 3}, {0, 1, 0}, 2.0, 0, 2 * kPi, 8, 4, 3, sphere));
    EXPECT_EQ(sphere.formU, kOpen);
    EXPECT_EQ(sphere.formV, kPeriodic);
    EXPECT_EQ(sphere.numCVsU, 7);
    EXPECT_EQ(sphere.numCVsV, 11);
    sphere.domain(u0, u1, v0, v1);
    expectNear(sphere.point(u0, 1.3), {1, 4, 3}, 1e-12, "pole on +axis");
    expectNear(sphere.point(u1, 5.1), {1, 0, 3}, 1e-12, "pole on -axis");
    for (double u = u0; u <= u1; u += 0.25)
        for (double v = v0; v <= v1; v += 0.5) {
            Vec3d p = sphere.point(u, v);
            Vec3d d{p[0] - 1, p[1] - 2, p[2] - 3};
            EXPECT_NEAR(radius(d), 2.0, 2.0 * 0.02) << "u=" << u << " v=" << v;
            Vec3d n = sphere.normal(u, v);
            EXPECT_GT(n[0] * d[0] + n[1] * d[1] + n[2] * d[2], 0.9 * radius(d)) << "outward at u=" << u << " v=" << v;
        }
}

// ------------------------------------------------------------------ words

TEST(NurbsDataWords, CurveRoundTrip) {
    // A periodic cubic unit circle in the y-up plane, written out by hand:
    // CVs at radius 6 / (4 + 2 cos 45deg) every 45 degrees, the first three again.
    const double R = 6.0 / (4.0 + 2.0 * std::cos(kPi / 4));
    std::vector<std::string> words = {"3", "8", "2", "no", "3", "13"};
    for (int k = -2; k <= 10; ++k) words.push_back(std::to_string(k));
    words.push_back("11");
    for (int i = 0; i < 11; ++i) {
        double a = -kPi / 4 - (i % 8) * kPi / 4;
        char buf[3][40];
        std::snprintf(buf[0], 40, "%.17g", R * std::cos(a));
        std::snprintf(buf[1], 40, "%.17g", 0.0);
        std::snprintf(buf[2], 40, "%.17g", R * std::sin(a));
        for (auto& b : buf) words.push_back(b);
    }
    words.push_back("trailing");
    std::size_t pos = 0;
    CurveGeom c;
    std::string err;
    ASSERT_TRUE(parseCurveWords(words, pos, c, &err)) << err;
    EXPECT_EQ(pos, words.size() - 1) << "stops at the first word after the data";
    EXPECT_EQ(c.degree, 3);
    EXPECT_EQ(c.form, kPeriodic);
    EXPECT_EQ(c.numCVs(), 11);
    EXPECT_FALSE(c.rational);
    for (double t = 0; t <= 8; t += 1) EXPECT_NEAR(radius(c.point(t)), 1.0, 1e-9) << "a unit circle, t=" << t;
    std::vector<std::string> out;
    formatCurveWords(c, out);
    std::vector<std::string> want(words.begin(), words.end() - 1);
    EXPECT_EQ(out, want) << "written back word for word";
    // Read back what was written: identical geometry, bit for bit.
    pos = 0;
    CurveGeom again;
    ASSERT_TRUE(parseCurveWords(out, pos, again, &err)) << err;
    EXPECT_EQ(pos, out.size());
    EXPECT_EQ(again.knots, c.knots);
    EXPECT_EQ(again.cvs, c.cvs);
    EXPECT_EQ(again.form, c.form);

    // Rational, two-dimensional data keeps weights and drops z.
    CurveGeom q = quarterCircle();
    q.dimension = 2;
    out.clear();
    formatCurveWords(q, out);
    EXPECT_EQ(out[3], "yes");
    EXPECT_EQ(out[4], "2");
    EXPECT_EQ(out.size(), 5u + 1 + 4 + 1 + 3 * 3);
    pos = 0;
    ASSERT_TRUE(parseCurveWords(out, pos, again, &err)) << err;
    EXPECT_EQ(again.cvs, q.cvs);
    EXPECT_TRUE(again.rational);
}

TEST(NurbsDataWords, SurfaceRoundTrip) {
    SurfaceGeom s;
    ASSERT_TRUE(makeSphere({0, 0, 0}, {0, 1, 0}, 1.0, 0, 2 * kPi, 8, 4, 3, s));
    std::vector<std::string> out;
    formatSurfaceWords(s, out);
    EXPECT_EQ(out[0], "3");
    EXPECT_EQ(out[2], "0");  // open in u
    EXPECT_EQ(out[3], "2");  // periodic in v
    EXPECT_EQ(out[5], "9");  // u knots
    std::size_t pos = 0;
    SurfaceGeom back;
    std::string err;
    ASSERT_TRUE(parseSurfaceWords(out, pos, back, &err)) << err;
    EXPECT_EQ(pos, out.size());
    EXPECT_EQ(back.cvs, s.cvs);
    EXPECT_EQ(back.knotsU, s.knotsU);
    EXPECT_EQ(back.knotsV, s.knotsV);
    EXPECT_EQ(back.numCVsU, 7);
    EXPECT_EQ(back.numCVsV, 11);
    EXPECT_EQ(back.formV, kPeriodic);
}

TEST(NurbsDataWords, BadCurveDataFailsWithAMessage) {
    struct Case {
        const char* name;
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {"empty", {}, "ends before its degree"},
        {"truncated knots", {"1", "1", "0", "no", "3", "2", "0"}, "knot count 2 needs more values"},
        {"truncated CVs", {"1", "1", "0", "no", "3", "2", "0", "1", "2", "0", "0", "0", "1"}, "CV count 2 needs more values"},
        {"huge CV count", {"1", "1", "0", "no", "3", "2", "0", "1", "4000000000"}, "out of range"},
        {"CV count beyond the data", {"1", "1", "0", "no", "3", "2", "0", "1", "1000000", "0"}, "needs more values"},
        {"degree zero", {"0", "1", "0", "no", "3"}, "degree"},
        {"bad form", {"1", "1", "7", "no", "3"}, "form"},
        {"bad rational flag", {"1", "1", "0", "maybe", "3"}, "yes or no"},
        {"not a number", {"1", "1", "0", "no", "3", "2", "0", "x1"}, "expected a number"},
        {"decreasing knots", {"1", "1", "0", "no", "3", "2", "1", "0", "2", "0", "0", "0", "1", "0", "0"},
         "decrease"},
        {"span count mismatch", {"1", "2", "0", "no", "3", "2", "0", "1", "2", "0", "0", "0", "1", "0", "0"},
         "spans"},
        {"knot count mismatch", {"3", "1", "0", "no", "3", "2", "0", "1", "4", "0", "0", "0", "1", "0", "0", "2", "0",
                                  "0", "3", "0", "0"},
         "need 6 knots"},
        {"zero weight", {"1", "1", "0", "yes", "3", "2", "0", "1", "2", "0", "0", "0", "0", "1", "0", "0", "1"},
         "weights must be positive"},
        {"nan", {"1", "1", "0", "no", "3", "2", "0", "nan", "2", "0", "0", "0", "1", "0", "0"}, "expected a number"},
    };
    for (const Case& k : cases) {
        std::size_t pos = 0;
        CurveGeom c;
        std::string err;
        EXPECT_FALSE(parseCurveWords(k.words, pos, c, &err)) << k.name;
        EXPECT_NE(err.find(k.message), std::string::npos) << k.name << ": " << err;
        EXPECT_EQ(pos, 0u) << k.name << ": a failed parse leaves the position";
    }
    std::size_t pos = 0;
    SurfaceGeom s;
    std::string err;
    std::vector<std::string> bad = {"1", "1", "0", "0", "no", "2", "0", "1", "2", "0", "1", "5"};
    EXPECT_FALSE(parseSurfaceWords(bad, pos, s, &err));
    EXPECT_NE(err.find("needs more values"), std::string::npos) << err;
    bad = {"1", "1", "0", "0", "no", "2", "0", "1", "2", "0", "1", "3", "0", "0", "0", "1", "0", "0", "0", "1", "0"};
    EXPECT_FALSE(parseSurfaceWords(bad, pos, s, &err));
    EXPECT_NE(err.find("do not match"), std::string::npos) << err;
}
