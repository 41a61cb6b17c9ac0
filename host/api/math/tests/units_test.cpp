// Time, angle and distance units and their names.
#include "api/math/units.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Time, ConversionsBetweenUnits) {
    struct Case {
        double value;
        MTime::Unit from;
        MTime::Unit to;
        double want;
    };
    const Case cases[] = {
        {1, MTime::kFilm, MTime::kSeconds, 1.0 / 24},  {24, MTime::kFilm, MTime::kSeconds, 1},
        {1, MTime::kHours, MTime::kFilm, 86400},       {1500, MTime::kMilliseconds, MTime::kFilm, 36},
        {1, MTime::kFilm, MTime::kNTSCFrame, 1.25},    {5, MTime::kPALFrame, MTime::kGames, 3},
        {2, MTime::kMinutes, MTime::kNTSCField, 7200}, {48, MTime::kShowScan, MTime::kPALField, 50},
        {120, MTime::k120FPS, MTime::kSeconds, 1},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(MTime(c.value, c.from).as(c.to), c.want) << c.from << "->" << c.to;
}

TEST(Time, UiUnitArithmeticComparisons) {
    EXPECT_EQ(MTime::uiUnit(), MTime::kFilm);
    EXPECT_EQ(MTime(10).unit(), MTime::kFilm);
    ASSERT_TRUE(MTime::setUIUnit(MTime::kNTSCFrame));
    EXPECT_EQ(MTime(3).unit(), MTime::kNTSCFrame);
    EXPECT_FALSE(MTime::setUIUnit(MTime::kInvalid));
    MTime::setUIUnit(MTime::kFilm);
    EXPECT_TRUE(MTime(24, MTime::kFilm) == MTime(1, MTime::kSeconds));
    EXPECT_TRUE(MTime(23, MTime::kFilm) < MTime(1, MTime::kSeconds));
    MTime sum = MTime(1, MTime::kSeconds) + MTime(12, MTime::kFilm);
    EXPECT_EQ(sum.unit(), MTime::kSeconds);
    EXPECT_DOUBLE_EQ(sum.value(), 1.5);
    MTime t(30, MTime::kNTSCFrame);
    ASSERT_TRUE(t.setUnit(MTime::kFilm));
    EXPECT_DOUBLE_EQ(t.value(), 24.0);
}

TEST(AngleDistance, Conversions) {
    EXPECT_DOUBLE_EQ(MAngle(180, MAngle::kDegrees).asRadians(), 3.14159265358979323846);
    EXPECT_DOUBLE_EQ(MAngle(1, MAngle::kDegrees).asAngMinutes(), 60.0);
    EXPECT_EQ(MAngle::uiUnit(), MAngle::kDegrees);
    EXPECT_NEAR(MAngle::uiToInternal(90), 3.14159265358979323846 / 2, 1e-15);
    EXPECT_DOUBLE_EQ(MDistance(1, MDistance::kInches).asCentimeters(), 2.54);
    EXPECT_DOUBLE_EQ(MDistance(1, MDistance::kMiles).asFeet(), 5280.0);
    EXPECT_DOUBLE_EQ(MDistance(2.5, MDistance::kMeters).asMillimeters(), 2500.0);
    EXPECT_EQ(MDistance::uiUnit(), MDistance::kCentimeters);
    ASSERT_TRUE(MDistance::setUIUnit(MDistance::kMeters));
    EXPECT_DOUBLE_EQ(MDistance::internalToUI(250), 2.5);
    MDistance::setUIUnit(MDistance::kCentimeters);
}

TEST(UnitNames, ReadAndWrite) {
    using namespace host::math;
    MTime::Unit t;
    const std::pair<const char*, MTime::Unit> times[] = {
        {"film", MTime::kFilm}, {"ntsc", MTime::kNTSCFrame}, {"pal", MTime::kPALFrame},
        {"game", MTime::kGames}, {"sec", MTime::kSeconds}, {"millisec", MTime::kMilliseconds},
        {"show", MTime::kShowScan}, {"palf", MTime::kPALField}, {"ntscf", MTime::kNTSCField},
        {"hour", MTime::kHours}, {"min", MTime::kMinutes}, {"120fps", MTime::k120FPS}};
    for (auto& e : times) {
        ASSERT_TRUE(timeUnitFromName(e.first, t)) << e.first;
        EXPECT_EQ(t, e.second);
        EXPECT_EQ(timeUnitName(e.second), e.first);
    }
    ASSERT_TRUE(timeUnitFromName("30fps", t));
    EXPECT_EQ(t, MTime::kNTSCFrame);
    EXPECT_FALSE(timeUnitFromName("7fps", t));
    EXPECT_FALSE(timeUnitFromName("fps", t));
    EXPECT_FALSE(timeUnitFromName("Film", t));
    MDistance::Unit d;
    for (const char* n : {"mm", "cm", "m", "km", "in", "ft", "yd", "mi"}) {
        ASSERT_TRUE(linearUnitFromName(n, d)) << n;
        EXPECT_EQ(linearUnitName(d), n);
    }
    ASSERT_TRUE(linearUnitFromName("centimeter", d));
    EXPECT_EQ(d, MDistance::kCentimeters);
    EXPECT_FALSE(linearUnitFromName("parsec", d));
    MAngle::Unit a;
    ASSERT_TRUE(angleUnitFromName("deg", a));
    EXPECT_EQ(a, MAngle::kDegrees);
    ASSERT_TRUE(angleUnitFromName("radian", a));
    EXPECT_EQ(angleUnitName(a), "rad");
    EXPECT_FALSE(angleUnitFromName("grad", a));
    EXPECT_DOUBLE_EQ(framesPerSecond(MTime::kFilm), 24.0);
}
