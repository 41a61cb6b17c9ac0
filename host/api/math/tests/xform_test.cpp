// Local matrices of transforms and joints against cases worked out by hand
// (90 degree turns map axes onto axes, so each step can be followed).
#include "api/math/xform.h"

#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MTransformationMatrix.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <random>

using host::math::TransformComponents;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double k90 = kPi / 2.0;

using V3 = std::array<double, 3>;

// Right-handed quarter turns applied to a row vector.
V3 turnX(V3 v) { return {v[0], -v[2], v[1]}; }
V3 turnY(V3 v) { return {v[2], v[1], -v[0]}; }
V3 turnZ(V3 v) { return {-v[1], v[0], v[2]}; }

MMatrix fromRows(const std::array<std::array<double, 4>, 4>& r) {
    MMatrix m;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) m.matrix[i][j] = r[i][j];
    return m;
}

::testing::AssertionResult near(const MMatrix& got, const MMatrix& want, double tol = 1e-12) {
    if (got.isEquivalent(want, tol)) return ::testing::AssertionSuccess();
    std::ostringstream os;
    os << "got " << got << "\nwant " << want;
    return ::testing::AssertionFailure() << os.str();
}

// Applies quarter turns about the axes in the given order to each basis
// vector: the rows of the expected rotation matrix.
MMatrix quarterTurns(const std::vector<std::function<V3(V3)>>& steps) {
    MMatrix m;
    for (int i = 0; i < 3; ++i) {
        V3 v{0, 0, 0};
        v[i] = 1.0;
        for (auto& f : steps) v = f(v);
        for (int j = 0; j < 3; ++j) m.matrix[i][j] = v[j];
    }
    return m;
}

}  // namespace

TEST(RotationOrder, EachOrderAppliesItsAxesInSequence) {
    struct Case {
        int order;
        std::vector<std::function<V3(V3)>> steps;
    };
    // All three angles 90 degrees: every order gives a different matrix.
    const Case cases[] = {
        {host::math::kRotXYZ, {turnX, turnY, turnZ}}, {host::math::kRotYZX, {turnY, turnZ, turnX}},
        {host::math::kRotZXY, {turnZ, turnX, turnY}}, {host::math::kRotXZY, {turnX, turnZ, turnY}},
        {host::math::kRotYXZ, {turnY, turnX, turnZ}}, {host::math::kRotZYX, {turnZ, turnY, turnX}},
    };
    for (const auto& c : cases) {
        TransformComponents t;
        t.rotate = MVector(k90, k90, k90);
        t.rotateOrder = c.order;
        EXPECT_TRUE(near(host::math::composeTransform(t), quarterTurns(c.steps))) << "order " << c.order;
    }
    // Two turns, so that x-then-y and y-then-x are told apart plainly:
    // (0,1,0) goes to (0,0,1) and then to (1,0,0) for xyz.
    TransformComponents t;
    t.rotate = MVector(k90, k90, 0.0);
    MPoint p = MPoint(0, 1, 0) * host::math::composeTransform(t);
    EXPECT_TRUE(p.isEquivalent(MPoint(1, 0, 0), 1e-12)) << p;
    t.rotateOrder = host::math::kRotYXZ;
    p = MPoint(0, 1, 0) * host::math::composeTransform(t);
    EXPECT_TRUE(p.isEquivalent(MPoint(0, 0, 1), 1e-12)) << p;
}

TEST(RotationOrder, GeneralAnglesMatchIndependentProduct) {
    // Computed separately as Rx(30) Ry(45) Rz(60) and Rz(60) Ry(45) Rx(30).
    TransformComponents t;
    t.rotate = MVector(kPi / 6, kPi / 4, kPi / 3);
    EXPECT_TRUE(near(host::math::composeTransform(t),
                     fromRows({{{0.353553390593274, 0.612372435695795, -0.707106781186547, 0},
                                {-0.573223304703363, 0.739198919740117, 0.353553390593274, 0},
                                {0.739198919740117, 0.280330085889911, 0.612372435695795, 0},
                                {0, 0, 0, 1}}}),
                     1e-12));
    t.rotateOrder = host::math::kRotZYX;
    EXPECT_TRUE(near(host::math::composeTransform(t),
                     fromRows({{{0.353553390593274, 0.926776695296637, 0.126826484044322, 0},
                                {-0.612372435695795, 0.126826484044322, 0.780330085889911, 0},
                                {0.707106781186547, -0.353553390593274, 0.612372435695795, 0},
                                {0, 0, 0, 1}}}),
                     1e-12));
}

TEST(ComposeTransform, HandComputedCases) {
    struct Case {
        const char* name;
        std::function<void(TransformComponents&)> set;
        std::array<std::array<double, 4>, 4> want;
    };
    const Case cases[] = {
        {"translate", [](TransformComponents& c) { c.translate = MVector(1, 2, 3); },
         {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}}}},
        // Turning about (1,0,0): the origin, at -1 from the pivot, ends at (1,-1,0).
        {"rotate pivot",
         [](TransformComponents& c) {
             c.rotate = MVector(0, 0, k90);
             c.rotatePivot = MVector(1, 0, 0);
         },
         {{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {1, -1, 0, 1}}}},
        {"rotate pivot translate",
         [](TransformComponents& c) {
             c.rotate = MVector(0, 0, k90);
             c.rotatePivot = MVector(1, 0, 0);
             c.rotatePivotTranslate = MVector(0, 5, 0);
         },
         {{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {1, 4, 0, 1}}}},
        // (0 - 1) * s + 1 per axis.
        {"scale pivot",
         [](TransformComponents& c) {
             c.scale = MVector(2, 3, 4);
             c.scalePivot = MVector(1, 1, 1);
         },
         {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {-1, -2, -3, 1}}}},
        {"scale pivot translate",
         [](TransformComponents& c) {
             c.scale = MVector(2, 3, 4);
             c.scalePivot = MVector(1, 1, 1);
             c.scalePivotTranslate = MVector(0, 0, 7);
         },
         {{{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {-1, -2, 4, 1}}}},
        // Shear xy moves x by y, xz moves x by z, yz moves y by z.
        {"shear",
         [](TransformComponents& c) { c.shear = MVector(0.5, 0.25, 2.0); },
         {{{1, 0, 0, 0}, {0.5, 1, 0, 0}, {0.25, 2, 1, 0}, {0, 0, 0, 1}}}},
        // Shear applies after scale: e_y -> (0,3,0) -> x gains 0.5 * 3.
        {"scale then shear",
         [](TransformComponents& c) {
             c.scale = MVector(2, 3, 1);
             c.shear = MVector(0.5, 0, 0);
         },
         {{{2, 0, 0, 0}, {1.5, 3, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}},
        // Scale before rotation: e_x -> (2,0,0) -> (0,2,0).
        {"scale then rotate",
         [](TransformComponents& c) {
             c.scale = MVector(2, 1, 1);
             c.rotate = MVector(0, 0, k90);
         },
         {{{0, 2, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}},
        // Rotate axis (x 90) before rotate (z 90): e_y -> (0,0,1) -> (0,0,1);
        // e_z -> (0,-1,0) -> (1,0,0).
        {"rotate axis",
         [](TransformComponents& c) {
             c.rotateAxis = MVector(k90, 0, 0);
             c.rotate = MVector(0, 0, k90);
         },
         {{{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}}},
        // Everything at once, origin followed by hand:
        // -Sp (-1,0,0), S (-2,0,0), +Sp (-1,0,0), +Spt (-1,1,0), -Rp (-1,1,-1),
        // Rz90 (-1,-1,-1), +Rp (-1,-1,0), +Rpt (0,-1,0), +T (0,-1,5).
        {"all pivots",
         [](TransformComponents& c) {
             c.scale = MVector(2, 2, 2);
             c.scalePivot = MVector(1, 0, 0);
             c.scalePivotTranslate = MVector(0, 1, 0);
             c.rotatePivot = MVector(0, 0, 1);
             c.rotate = MVector(0, 0, k90);
             c.rotatePivotTranslate = MVector(1, 0, 0);
             c.translate = MVector(0, 0, 5);
         },
         {{{0, 2, 0, 0}, {-2, 0, 0, 0}, {0, 0, 2, 0}, {0, -1, 5, 1}}}},
    };
    for (const auto& c : cases) {
        TransformComponents t;
        c.set(t);
        EXPECT_TRUE(near(host::math::composeTransform(t), fromRows(c.want))) << c.name;
    }
}

TEST(ComposeJoint, HandComputedCases) {
    struct Case {
        const char* name;
        std::function<void(TransformComponents&)> set;
        std::array<std::array<double, 4>, 4> want;
    };
    const Case cases[] = {
        // Rotate (x 90) before joint orient (z 90): e_y -> (0,0,1) -> (0,0,1);
        // e_z -> (0,-1,0) -> (1,0,0); e_x -> (1,0,0) -> (0,1,0).
        {"rotate then orient",
         [](TransformComponents& c) {
             c.rotate = MVector(k90, 0, 0);
             c.jointOrient = MVector(0, 0, k90);
             c.translate = MVector(1, 2, 3);
         },
         {{{0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {1, 2, 3, 1}}}},
        // Inverse parent scale after the rotation and before the translation.
        {"inverse parent scale",
         [](TransformComponents& c) {
             c.rotate = MVector(0, 0, k90);
             c.inverseParentScale = MVector(2, 4, 1);
             c.translate = MVector(1, 2, 3);
         },
         {{{0, 0.25, 0, 0}, {-0.5, 0, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}}}},
        {"no compensation",
         [](TransformComponents& c) {
             c.rotate = MVector(0, 0, k90);
             c.inverseParentScale = MVector(2, 4, 1);
             c.segmentScaleCompensate = false;
         },
         {{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}},
        // Scale before rotate axis (y 90): e_x -> (2,0,0) -> (0,0,-2).
        {"scale then rotate axis",
         [](TransformComponents& c) {
             c.scale = MVector(2, 1, 1);
             c.rotateAxis = MVector(0, k90, 0);
         },
         {{{0, 0, -2, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}}},
        // Joints ignore pivots and shear.
        {"pivots ignored",
         [](TransformComponents& c) {
             c.rotatePivot = MVector(5, 5, 5);
             c.scalePivot = MVector(1, 2, 3);
             c.shear = MVector(1, 1, 1);
             c.translate = MVector(0, 1, 0);
         },
         {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 1}}}},
        // Rotate axis, rotate and orient chained: e_x -Ra(x90)-> (1,0,0)
        // -R(y90)-> (0,0,-1) -JO(z90)-> (0,0,-1); e_y -> (0,0,1) -> (1,0,0)
        // -> (0,1,0); e_z -> (0,-1,0) -> (0,-1,0) -> (1,0,0).
        {"axis rotate orient",
         [](TransformComponents& c) {
             c.rotateAxis = MVector(k90, 0, 0);
             c.rotate = MVector(0, k90, 0);
             c.jointOrient = MVector(0, 0, k90);
         },
         {{{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}}},
    };
    for (const auto& c : cases) {
        TransformComponents t;
        c.set(t);
        EXPECT_TRUE(near(host::math::composeJoint(t), fromRows(c.want))) << c.name;
    }
}

TEST(ComposeJoint, ZeroParentScaleStaysFinite) {
    TransformComponents t;
    t.inverseParentScale = MVector(0, 2, 1);
    MMatrix m = host::math::composeJoint(t);
    for (auto& row : m.matrix)
        for (double v : row) EXPECT_TRUE(std::isfinite(v));
    EXPECT_DOUBLE_EQ(m.matrix[1][1], 0.5);
}

namespace {
TransformComponents randomComponents(std::mt19937& rng, bool pivots) {
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_real_distribution<double> ang(-3.0, 3.0);
    std::uniform_real_distribution<double> mid(-1.4, 1.4);
    std::uniform_real_distribution<double> sc(0.3, 3.0);
    std::uniform_int_distribution<int> ord(0, 5);
    TransformComponents c;
    c.translate = MVector(u(rng) * 10, u(rng) * 10, u(rng) * 10);
    c.rotateOrder = ord(rng);
    // Middle angle of the order within +/- 90 degrees: the decomposition's range.
    c.rotate = MVector(ang(rng), ang(rng), ang(rng));
    static const int middle[6] = {1, 2, 0, 2, 0, 1};
    c.rotate[middle[c.rotateOrder]] = mid(rng);
    c.scale = MVector(sc(rng), sc(rng), sc(rng));
    c.shear = MVector(u(rng) * 0.5, u(rng) * 0.5, u(rng) * 0.5);
    if (pivots) {
        c.rotatePivot = MVector(u(rng), u(rng), u(rng));
        c.rotatePivotTranslate = MVector(u(rng), u(rng), u(rng));
        c.scalePivot = MVector(u(rng), u(rng), u(rng));
        c.scalePivotTranslate = MVector(u(rng), u(rng), u(rng));
        c.rotateAxis = MVector(ang(rng), mid(rng), ang(rng));
        c.jointOrient = MVector(ang(rng), mid(rng), ang(rng));
        c.inverseParentScale = MVector(sc(rng), sc(rng), sc(rng));
    }
    return c;
}
}  // namespace

TEST(DecomposeTransform, RecoversComponentsKeepingPivots) {
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        TransformComponents c = randomComponents(rng, true);
        MMatrix m = host::math::composeTransform(c);
        TransformComponents d = c;
        d.translate = MVector();
        d.rotate = MVector();
        d.scale = MVector(1, 1, 1);
        d.shear = MVector();
        ASSERT_TRUE(host::math::decomposeTransform(m, d));
        EXPECT_TRUE(d.translate.isEquivalent(c.translate, 1e-9)) << i;
        EXPECT_TRUE(d.rotate.isEquivalent(c.rotate, 1e-9)) << i << " " << d.rotate << " " << c.rotate;
        EXPECT_TRUE(d.scale.isEquivalent(c.scale, 1e-9)) << i;
        EXPECT_TRUE(d.shear.isEquivalent(c.shear, 1e-9)) << i;
        EXPECT_TRUE(near(host::math::composeTransform(d), m, 1e-9)) << i;
    }
}

TEST(DecomposeTransform, SingularMatrixFailsAndKeepsComponents) {
    TransformComponents c;
    c.translate = MVector(1, 2, 3);
    MMatrix m;
    m.matrix[1][1] = 0.0;
    TransformComponents d = c;
    EXPECT_FALSE(host::math::decomposeTransform(m, d));
    EXPECT_EQ(d.translate, c.translate);
}

TEST(DecomposeJoint, RecoversComponents) {
    std::mt19937 rng(11);
    for (int i = 0; i < 200; ++i) {
        TransformComponents c = randomComponents(rng, true);
        c.shear = MVector();
        MMatrix m = host::math::composeJoint(c);
        TransformComponents d = c;
        d.translate = MVector();
        d.rotate = MVector();
        d.scale = MVector(1, 1, 1);
        ASSERT_TRUE(host::math::decomposeJoint(m, d));
        EXPECT_TRUE(d.rotate.isEquivalent(c.rotate, 1e-9)) << i;
        EXPECT_TRUE(d.scale.isEquivalent(c.scale, 1e-9)) << i;
        EXPECT_TRUE(near(host::math::composeJoint(d), m, 1e-9)) << i;
    }
}

TEST(Pivots, PositionsInParentSpace) {
    // A rotate pivot stays where it is under rotation: Rp + Rpt + T.
    TransformComponents c;
    c.rotate = MVector(0.3, -0.7, 1.1);
    c.rotatePivot = MVector(1, 2, 3);
    c.rotatePivotTranslate = MVector(0, 0, 1);
    c.translate = MVector(5, 0, 0);
    EXPECT_TRUE(host::math::rotatePivotInParent(c).isEquivalent(MPoint(6, 2, 4), 1e-12));
    c.scale = MVector(2, 2, 2);
    c.scalePivot = c.rotatePivot;
    EXPECT_TRUE(host::math::scalePivotInParent(c).isEquivalent(MPoint(6, 2, 4), 1e-12));
}

TEST(TransformationMatrix, MatchesTransformNodeComposition) {
    std::mt19937 rng(3);
    for (int i = 0; i < 50; ++i) {
        TransformComponents c = randomComponents(rng, true);
        MTransformationMatrix tm;
        double s[3] = {c.scale.x, c.scale.y, c.scale.z};
        double sh[3] = {c.shear.x, c.shear.y, c.shear.z};
        double r[3] = {c.rotate.x, c.rotate.y, c.rotate.z};
        tm.setScale(s, MSpace::kTransform);
        tm.setShear(sh, MSpace::kTransform);
        tm.setRotation(r, MTransformationMatrix::fromEulerOrder(
                              static_cast<MEulerRotation::RotationOrder>(c.rotateOrder)));
        tm.setTranslation(c.translate, MSpace::kTransform);
        tm.setRotatePivot(MPoint(c.rotatePivot), MSpace::kTransform, false);
        tm.setRotatePivotTranslation(c.rotatePivotTranslate, MSpace::kTransform);
        tm.setScalePivot(MPoint(c.scalePivot), MSpace::kTransform, false);
        tm.setScalePivotTranslation(c.scalePivotTranslate, MSpace::kTransform);
        tm.setRotationOrientation(MEulerRotation(c.rotateAxis).asQuaternion());
        MMatrix want = host::math::composeTransform(c);
        EXPECT_TRUE(near(tm.asMatrix(), want, 1e-9)) << i;
        EXPECT_TRUE(near(tm.asMatrixInverse() * want, MMatrix::identity, 1e-9)) << i;
        EXPECT_TRUE(tm.translation(MSpace::kWorld).isEquivalent(
            MVector(want.matrix[3][0], want.matrix[3][1], want.matrix[3][2]), 1e-9));

        // Moving a pivot with balance keeps the matrix.
        MTransformationMatrix b = tm;
        ASSERT_TRUE(b.setRotatePivot(MPoint(3, -2, 1), MSpace::kTransform, true));
        ASSERT_TRUE(b.setScalePivot(MPoint(-1, 4, 2), MSpace::kTransform, true));
        EXPECT_TRUE(near(b.asMatrix(), want, 1e-9)) << i;
        // World-space pivot set: reading it back gives the point asked for.
        MTransformationMatrix w = tm;
        ASSERT_TRUE(w.setRotatePivot(MPoint(1, 1, 1), MSpace::kWorld, false));
        EXPECT_TRUE(w.rotatePivot(MSpace::kWorld).isEquivalent(MPoint(1, 1, 1), 1e-9)) << i;
        ASSERT_TRUE(w.setScalePivot(MPoint(2, 0, -1), MSpace::kWorld, false));
        EXPECT_TRUE(w.scalePivot(MSpace::kWorld).isEquivalent(MPoint(2, 0, -1), 1e-9)) << i;
    }
}

TEST(TransformationMatrix, DecompositionRoundTrip) {
    std::mt19937 rng(5);
    for (int i = 0; i < 200; ++i) {
        TransformComponents c = randomComponents(rng, false);
        c.rotateOrder = host::math::kRotXYZ;
        c.rotate.y = std::fmod(c.rotate.y, 1.4);
        if (i % 4 == 0) c.scale.x = -c.scale.x;  // mirrored
        MMatrix m = host::math::composeTransform(c);
        MTransformationMatrix tm(m);
        EXPECT_TRUE(near(tm.asMatrix(), m, 1e-9)) << i;
        double s[3], sh[3];
        tm.getScale(s, MSpace::kTransform);
        tm.getShear(sh, MSpace::kTransform);
        EXPECT_TRUE(MVector(s).isEquivalent(c.scale, 1e-9)) << i << " " << MVector(s) << c.scale;
        EXPECT_TRUE(MVector(sh).isEquivalent(c.shear, 1e-9)) << i;
        EXPECT_TRUE(tm.translation(MSpace::kTransform).isEquivalent(c.translate, 1e-9));
        MEulerRotation e = tm.eulerRotation();
        EXPECT_EQ(e.order, MEulerRotation::kXYZ);
        EXPECT_TRUE(e.asVector().isEquivalent(c.rotate, 1e-9)) << i;
    }
}

TEST(TransformationMatrix, RotationOrderNumbering) {
    EXPECT_EQ(MTransformationMatrix::kXYZ, 1);
    EXPECT_EQ(MTransformationMatrix::kZYX, 6);
    const MEulerRotation::RotationOrder eo[] = {MEulerRotation::kXYZ, MEulerRotation::kYZX,
                                                MEulerRotation::kZXY, MEulerRotation::kXZY,
                                                MEulerRotation::kYXZ, MEulerRotation::kZYX};
    const MTransformationMatrix::RotationOrder to[] = {
        MTransformationMatrix::kXYZ, MTransformationMatrix::kYZX, MTransformationMatrix::kZXY,
        MTransformationMatrix::kXZY, MTransformationMatrix::kYXZ, MTransformationMatrix::kZYX};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(MTransformationMatrix::fromEulerOrder(eo[i]), to[i]);
        EXPECT_EQ(MTransformationMatrix::toEulerOrder(to[i]), eo[i]);
    }
    MTransformationMatrix tm;
    double r[3] = {0.1, 0.2, 0.3};
    EXPECT_FALSE(tm.setRotation(r, MTransformationMatrix::kInvalid));
    ASSERT_TRUE(tm.setRotation(r, MTransformationMatrix::kZXY));
    EXPECT_EQ(tm.rotationOrder(), MTransformationMatrix::kZXY);
    MMatrix before = tm.asMatrix();
    ASSERT_TRUE(tm.reorderRotation(MTransformationMatrix::kYXZ));
    EXPECT_EQ(tm.eulerRotation().order, MEulerRotation::kYXZ);
    EXPECT_TRUE(near(tm.asMatrix(), before, 1e-12));
    EXPECT_FALSE(tm.reorderRotation(MTransformationMatrix::kLast));
}

TEST(TransformationMatrix, WorldTranslationAndRotateBy) {
    MTransformationMatrix tm;
    double r[3] = {0, 0, k90};
    tm.setRotation(r, MTransformationMatrix::kXYZ);
    tm.setRotatePivot(MPoint(1, 0, 0), MSpace::kTransform, false);
    // World translation is the matrix's last row; setting it moves T.
    EXPECT_TRUE(tm.translation(MSpace::kWorld).isEquivalent(MVector(1, -1, 0), 1e-12));
    ASSERT_TRUE(tm.setTranslation(MVector(0, 0, 0), MSpace::kWorld));
    EXPECT_TRUE(tm.translation(MSpace::kTransform).isEquivalent(MVector(-1, 1, 0), 1e-12));
    EXPECT_FALSE(tm.setTranslation(MVector(), MSpace::kInvalid));
    // Object space turns before the current rotation, transform space after.
    MTransformationMatrix a, b;
    double rx[3] = {k90, 0, 0};
    a.setRotation(rx, MTransformationMatrix::kXYZ);
    b.setRotation(rx, MTransformationMatrix::kXYZ);
    MQuaternion qz(k90, MVector::zAxis);
    a.rotateBy(qz, MSpace::kTransform);
    b.rotateBy(qz, MSpace::kObject);
    EXPECT_TRUE(near(a.asMatrix(), quarterTurns({turnX, turnZ}), 1e-12));
    EXPECT_TRUE(near(b.asMatrix(), quarterTurns({turnZ, turnX}), 1e-12));
}
