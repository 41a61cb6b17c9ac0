// Curve evaluation against values worked out by hand.
#include "scene/anim/anim_curve.h"

#include <gtest/gtest.h>

#include <cmath>

using host::scene::AnimCurve;

namespace {
AnimCurve curve(std::initializer_list<std::pair<double, double>> keys, AnimCurve::TangentType t) {
    AnimCurve c;
    for (auto& k : keys) c.addKey(k.first, k.second, t, t);
    return c;
}
}  // namespace

TEST(AnimCurve, LinearStepAndStepNext) {
    AnimCurve lin = curve({{0, 0}, {1, 10}, {2, 4}}, AnimCurve::kTangentLinear);
    EXPECT_DOUBLE_EQ(lin.evaluate(0.25), 2.5);
    EXPECT_NEAR(lin.evaluate(1.5), 7.0, 1e-12);
    AnimCurve step = curve({{0, 0}, {1, 10}, {2, 5}}, AnimCurve::kTangentStep);
    EXPECT_DOUBLE_EQ(step.evaluate(0.5), 0.0);
    EXPECT_DOUBLE_EQ(step.evaluate(1.0), 10.0);
    EXPECT_DOUBLE_EQ(step.evaluate(1.99), 10.0);
    AnimCurve next = curve({{0, 0}, {1, 10}}, AnimCurve::kTangentStepNext);
    EXPECT_DOUBLE_EQ(next.evaluate(0.0), 0.0);
    EXPECT_DOUBLE_EQ(next.evaluate(0.5), 10.0);
}

TEST(AnimCurve, FlatIsSmoothstep) {
    AnimCurve c = curve({{0, 0}, {2, 10}}, AnimCurve::kTangentFlat);
    EXPECT_DOUBLE_EQ(c.evaluate(1.0), 5.0);
    // 3u^2 - 2u^3 at u = 0.25.
    EXPECT_NEAR(c.evaluate(0.5), 10 * 0.15625, 1e-12);
    EXPECT_NEAR(c.evaluate(1.5), 10 * (1 - 0.15625), 1e-12);
}

TEST(AnimCurve, SplineClampedPlateauFixed) {
    // Two spline keys: a straight line.
    EXPECT_NEAR(curve({{0, 0}, {2, 4}}, AnimCurve::kTangentSmooth).evaluate(0.5), 1.0, 1e-12);
    // (0,0) (1,10) (2,0): slopes 10, 0, -10; Hermite at u = 0.5 gives
    // 10 * 0.125 + 10 * 0.5 = 6.25.
    AnimCurve s = curve({{0, 0}, {1, 10}, {2, 0}}, AnimCurve::kTangentSmooth);
    EXPECT_NEAR(s.evaluate(0.5), 6.25, 1e-12);
    EXPECT_NEAR(s.evaluate(1.5), 6.25, 1e-12);
    // (0,0) (1,0) (2,10): spline gives key 1 slope 5 -> 0.625 + 5 - 1.25;
    // clamped flattens key 1 (same value as key 0) -> 5 - 1.25.
    EXPECT_NEAR(curve({{0, 0}, {1, 0}, {2, 10}}, AnimCurve::kTangentSmooth).evaluate(1.5), 4.375, 1e-12);
    EXPECT_NEAR(curve({{0, 0}, {1, 0}, {2, 10}}, AnimCurve::kTangentClamped).evaluate(1.5), 3.75, 1e-12);
    // Plateau: flat ends, so two keys ease like flat.
    EXPECT_NEAR(curve({{0, 0}, {2, 10}}, AnimCurve::kTangentPlateau).evaluate(0.5), 1.5625, 1e-12);
    // Plateau never overshoots a monotone run.
    AnimCurve p = curve({{0, 0}, {1, 9}, {2, 10}}, AnimCurve::kTangentPlateau);
    for (double t = 1.0; t <= 2.0; t += 0.01) EXPECT_LE(p.evaluate(t), 10.0 + 1e-12) << t;
    // Fixed out tangent slope 2, flat in: 2 * 0.125.
    AnimCurve f = curve({{0, 0}, {1, 0}}, AnimCurve::kTangentFlat);
    f.setTangent(0, 1.0, 2.0, false);
    EXPECT_NEAR(f.evaluate(0.5), 0.25, 1e-12);
    EXPECT_EQ(f.key(0).outType, AnimCurve::kTangentFixed);
    // Global resolves to the global default (clamped).
    AnimCurve g = curve({{0, 0}, {1, 0}, {2, 10}}, AnimCurve::kTangentGlobal);
    EXPECT_NEAR(g.evaluate(1.5), 3.75, 1e-12);
}

TEST(AnimCurve, WeightedDefaultHandlesMatchHermite) {
    AnimCurve u = curve({{0, 0}, {1, 10}, {3, -2}, {4, 1}}, AnimCurve::kTangentSmooth);
    AnimCurve w = u;
    w.setWeighted(true);
    for (double t = 0.0; t <= 4.0; t += 0.1) EXPECT_NEAR(w.evaluate(t), u.evaluate(t), 1e-9) << t;
}

TEST(AnimCurve, Infinity) {
    struct Case {
        AnimCurve::InfinityType type;
        double t, want;
    };
    const Case cases[] = {
        {AnimCurve::kConstant, -1, 0},       {AnimCurve::kConstant, 2, 10},
        {AnimCurve::kLinear, -1, -10},       {AnimCurve::kLinear, 2, 20},
        {AnimCurve::kCycle, 1.25, 2.5},      {AnimCurve::kCycle, -0.25, 7.5},
        {AnimCurve::kCycle, 3.5, 5},         {AnimCurve::kCycleRelative, 1.25, 12.5},
        {AnimCurve::kCycleRelative, 2.5, 25}, {AnimCurve::kCycleRelative, -0.25, -2.5},
        {AnimCurve::kCycleRelative, -1.75, -17.5}, {AnimCurve::kOscillate, 1.25, 7.5},
        {AnimCurve::kOscillate, 2.25, 2.5},  {AnimCurve::kOscillate, -0.25, 2.5},
        {AnimCurve::kOscillate, -1.25, 7.5},
    };
    for (const auto& c : cases) {
        AnimCurve k = curve({{0, 0}, {1, 10}}, AnimCurve::kTangentLinear);
        k.setPreInfinity(c.type);
        k.setPostInfinity(c.type);
        EXPECT_NEAR(k.evaluate(c.t), c.want, 1e-9) << c.type << " at " << c.t;
    }
}

TEST(AnimCurve, SingleAndEmptyCurves) {
    AnimCurve e;
    EXPECT_EQ(e.evaluate(3), 0.0);
    AnimCurve one = curve({{1, 7}}, AnimCurve::kTangentSmooth);
    for (auto inf : {AnimCurve::kConstant, AnimCurve::kLinear, AnimCurve::kCycle,
                     AnimCurve::kCycleRelative, AnimCurve::kOscillate}) {
        one.setPreInfinity(inf);
        one.setPostInfinity(inf);
        EXPECT_EQ(one.evaluate(-5), 7.0);
        EXPECT_EQ(one.evaluate(5), 7.0);
    }
    EXPECT_TRUE(one.isStatic());
    EXPECT_EQ(one.evaluate(NAN), 7.0);
    EXPECT_FALSE(curve({{0, 0}, {1, 1}}, AnimCurve::kTangentFlat).isStatic());
}

TEST(AnimCurve, KeyEditingAndSearch) {
    AnimCurve c;
    c.addKey(2, 20);
    c.addKey(0, 0);
    c.addKey(1, 10);
    ASSERT_EQ(c.numKeys(), 3u);
    EXPECT_EQ(c.key(1).time, 1.0);
    EXPECT_EQ(c.addKey(1, 15), 1u);  // same time replaces
    EXPECT_EQ(c.numKeys(), 3u);
    EXPECT_EQ(c.key(1).value, 15.0);
    EXPECT_EQ(c.find(2), 2);
    EXPECT_EQ(c.find(1.5), -1);
    EXPECT_EQ(c.findClosest(1.4), 1);
    EXPECT_EQ(c.findClosest(1.5), 1);
    EXPECT_EQ(c.findClosest(9), 2);
    EXPECT_EQ(c.nextKey(1), 2);
    EXPECT_EQ(c.nextKey(2), -1);
    EXPECT_EQ(c.previousKey(1), 0);
    EXPECT_EQ(c.previousKey(0), -1);
    EXPECT_FALSE(c.setTime(0, 2));  // would collide
    ASSERT_TRUE(c.setTime(0, 3));
    EXPECT_EQ(c.key(2).value, 0.0);
    ASSERT_TRUE(c.removeKey(0));
    EXPECT_FALSE(c.removeKey(5));
    EXPECT_EQ(c.numKeys(), 2u);
}

TEST(AnimCurve, NamesAndFileCodes) {
    using namespace host::scene;
    const char* names[] = {"global", "fixed", "linear", "flat", "spline", "step", "slow", "fast",
                           "clamped", "plateau", "stepnext", "auto"};
    for (const char* n : names) {
        AnimCurve::TangentType t;
        ASSERT_TRUE(tangentTypeFromName(n, t)) << n;
        EXPECT_EQ(tangentTypeName(t), n);
        AnimCurve::TangentType back;
        ASSERT_TRUE(tangentTypeFromFileCode(tangentTypeFileCode(t), back));
        EXPECT_EQ(back, t);
    }
    AnimCurve::TangentType t;
    EXPECT_FALSE(tangentTypeFromName("bogus", t));
    EXPECT_FALSE(tangentTypeFromFileCode(99, t));
    EXPECT_EQ(AnimCurve::kTangentAuto, 11);
    AnimCurve::InfinityType inf;
    EXPECT_FALSE(infinityTypeFromCode(2, inf));
    ASSERT_TRUE(infinityTypeFromCode(4, inf));
    EXPECT_EQ(infinityTypeName(inf), "cycleRelative");
    ASSERT_TRUE(infinityTypeFromName("oscillate", inf));
    EXPECT_EQ(inf, 5);
}
