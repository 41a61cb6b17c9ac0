// Time, angle and distance units and their names in MEL and scene files.
#include "api/math/units.h"

#include <maya/MAngle.h>
#include <maya/MDistance.h>
#include <maya/MTime.h>

#include <cmath>
#include <cstdlib>
#include <ostream>

namespace {

MTime::Unit gTimeUI = MTime::kFilm;
MAngle::Unit gAngleUI = MAngle::kDegrees;
MDistance::Unit gDistanceUI = MDistance::kCentimeters;

constexpr double kPi = 3.14159265358979323846;

// Frame rates of the kNFPS units, in enum order from k2FPS.
const int kFpsUnits[] = {2, 3, 4, 5, 6, 8, 10, 12, 16, 20, 40, 75, 80, 100, 120, 125, 150,
                         200, 240, 250, 300, 375, 400, 500, 600, 750, 1200, 1500, 2000, 3000, 6000};
constexpr int kFpsCount = sizeof(kFpsUnits) / sizeof(kFpsUnits[0]);

bool validTimeUnit(MTime::Unit u) { return MTime::secondsPerUnit(u) > 0.0; }

// Times compare equal within a small fraction of the finest unit (1/6000 s).
constexpr double kTimeEpsilon = 1.0e-9;

}  // namespace

// ------------------------------------------------------------------ MTime

namespace {
// Seconds per unit as the exact ratio num / den, so conversions between
// frame units round once (1 film frame is exactly 1.25 ntsc frames).
bool unitRatio(MTime::Unit u, double& num, double& den) {
    num = 1.0;
    switch (u) {
        case MTime::kHours: num = 3600.0; den = 1.0; return true;
        case MTime::kMinutes: num = 60.0; den = 1.0; return true;
        case MTime::kSeconds: den = 1.0; return true;
        case MTime::kMilliseconds: den = 1000.0; return true;
        case MTime::kGames: den = 15.0; return true;
        case MTime::kFilm: den = 24.0; return true;
        case MTime::kPALFrame: den = 25.0; return true;
        case MTime::kNTSCFrame: den = 30.0; return true;
        case MTime::kShowScan: den = 48.0; return true;
        case MTime::kPALField: den = 50.0; return true;
        case MTime::kNTSCField: den = 60.0; return true;
        default: break;
    }
    int i = static_cast<int>(u) - static_cast<int>(MTime::k2FPS);
    if (i >= 0 && i < kFpsCount) {
        den = kFpsUnits[i];
        return true;
    }
    return false;
}
}  // namespace

double MTime::secondsPerUnit(Unit u) {
    double num, den;
    return unitRatio(u, num, den) ? num / den : 0.0;
}

MTime::MTime() : value_(0.0), unit_(uiUnit()) {}

MTime::MTime(double value, Unit unit) : value_(value), unit_(validTimeUnit(unit) ? unit : kSeconds) {}

MStatus MTime::setUnit(Unit unit) {
    if (!validTimeUnit(unit)) return MStatus::kInvalidParameter;
    value_ = as(unit);
    unit_ = unit;
    return MStatus::kSuccess;
}

double MTime::as(Unit unit) const {
    if (unit == unit_) return value_;
    double nf, df, nt, dt;
    if (!unitRatio(unit_, nf, df) || !unitRatio(unit, nt, dt)) return 0.0;
    return value_ * ((nf * dt) / (df * nt));
}

MTime MTime::operator+(const MTime& o) const { return MTime(value_ + o.as(unit_), unit_); }
MTime MTime::operator-(const MTime& o) const { return MTime(value_ - o.as(unit_), unit_); }
MTime& MTime::operator+=(const MTime& o) { value_ += o.as(unit_); return *this; }
MTime& MTime::operator-=(const MTime& o) { value_ -= o.as(unit_); return *this; }

bool MTime::operator==(const MTime& o) const {
    return std::fabs(as(kSeconds) - o.as(kSeconds)) <= kTimeEpsilon;
}
bool MTime::operator<(const MTime& o) const {
    return as(kSeconds) < o.as(kSeconds) - kTimeEpsilon;
}

MTime::Unit MTime::uiUnit() { return gTimeUI; }
MStatus MTime::setUIUnit(Unit unit) {
    if (!validTimeUnit(unit)) return MStatus::kInvalidParameter;
    gTimeUI = unit;
    return MStatus::kSuccess;
}

std::ostream& operator<<(std::ostream& os, const MTime& t) { return os << t.value(); }

// ----------------------------------------------------------------- MAngle

double MAngle::radiansPerUnit(Unit u) {
    switch (u) {
        case kRadians: return 1.0;
        case kDegrees: return kPi / 180.0;
        case kAngMinutes: return kPi / (180.0 * 60.0);
        case kAngSeconds: return kPi / (180.0 * 3600.0);
        default: return 0.0;
    }
}

MAngle::MAngle(double value, Unit unit) : value_(value), unit_(radiansPerUnit(unit) > 0.0 ? unit : kRadians) {}

MStatus MAngle::setUnit(Unit unit) {
    if (radiansPerUnit(unit) <= 0.0) return MStatus::kInvalidParameter;
    value_ = as(unit);
    unit_ = unit;
    return MStatus::kSuccess;
}

double MAngle::as(Unit unit) const {
    if (unit == unit_) return value_;
    double to = radiansPerUnit(unit);
    if (to <= 0.0) return 0.0;
    if (unit_ == kDegrees && unit == kRadians) return value_ * kPi / 180.0;
    if (unit_ == kRadians && unit == kDegrees) return value_ * 180.0 / kPi;
    return value_ * radiansPerUnit(unit_) / to;
}

MAngle::Unit MAngle::uiUnit() { return gAngleUI; }
MStatus MAngle::setUIUnit(Unit unit) {
    if (radiansPerUnit(unit) <= 0.0) return MStatus::kInvalidParameter;
    gAngleUI = unit;
    return MStatus::kSuccess;
}
double MAngle::internalToUI(double v) { return MAngle(v, kRadians).as(gAngleUI); }
double MAngle::uiToInternal(double v) { return MAngle(v, gAngleUI).as(kRadians); }

// -------------------------------------------------------------- MDistance

double MDistance::centimetersPerUnit(Unit u) {
    switch (u) {
        case kInches: return 2.54;
        case kFeet: return 30.48;
        case kYards: return 91.44;
        case kMiles: return 160934.4;
        case kMillimeters: return 0.1;
        case kCentimeters: return 1.0;
        case kKilometers: return 100000.0;
        case kMeters: return 100.0;
        default: return 0.0;
    }
}

MDistance::MDistance(double value, Unit unit)
    : value_(value), unit_(centimetersPerUnit(unit) > 0.0 ? unit : kCentimeters) {}

MStatus MDistance::setUnit(Unit unit) {
    if (centimetersPerUnit(unit) <= 0.0) return MStatus::kInvalidParameter;
    value_ = as(unit);
    unit_ = unit;
    return MStatus::kSuccess;
}

double MDistance::as(Unit unit) const {
    if (unit == unit_) return value_;
    double to = centimetersPerUnit(unit);
    if (to <= 0.0) return 0.0;
    return value_ * centimetersPerUnit(unit_) / to;
}

MDistance::Unit MDistance::uiUnit() { return gDistanceUI; }
MStatus MDistance::setUIUnit(Unit unit) {
    if (centimetersPerUnit(unit) <= 0.0) return MStatus::kInvalidParameter;
    gDistanceUI = unit;
    return MStatus::kSuccess;
}
double MDistance::internalToUI(double v) { return MDistance(v, kCentimeters).as(gDistanceUI); }
double MDistance::uiToInternal(double v) { return MDistance(v, gDistanceUI).as(kCentimeters); }

// ------------------------------------------------------------ unit names

namespace host::math {

namespace {
struct TimeName {
    const char* name;
    MTime::Unit unit;
};
const TimeName kTimeNames[] = {
    {"hour", MTime::kHours},         {"min", MTime::kMinutes},     {"sec", MTime::kSeconds},
    {"millisec", MTime::kMilliseconds}, {"game", MTime::kGames},   {"film", MTime::kFilm},
    {"pal", MTime::kPALFrame},       {"ntsc", MTime::kNTSCFrame},  {"show", MTime::kShowScan},
    {"palf", MTime::kPALField},      {"ntscf", MTime::kNTSCField},
};
const TimeName kTimeAliases[] = {
    {"hours", MTime::kHours},   {"minute", MTime::kMinutes}, {"minutes", MTime::kMinutes},
    {"second", MTime::kSeconds}, {"seconds", MTime::kSeconds}, {"ms", MTime::kMilliseconds},
    {"millisecond", MTime::kMilliseconds}, {"milliseconds", MTime::kMilliseconds},
    {"games", MTime::kGames},   {"showscan", MTime::kShowScan},
};

struct LinearName {
    const char* name;
    MDistance::Unit unit;
};
const LinearName kLinearNames[] = {
    {"in", MDistance::kInches},      {"ft", MDistance::kFeet},        {"yd", MDistance::kYards},
    {"mi", MDistance::kMiles},       {"mm", MDistance::kMillimeters}, {"cm", MDistance::kCentimeters},
    {"km", MDistance::kKilometers},  {"m", MDistance::kMeters},
};
const LinearName kLinearAliases[] = {
    {"inch", MDistance::kInches},          {"inches", MDistance::kInches},
    {"foot", MDistance::kFeet},            {"feet", MDistance::kFeet},
    {"yard", MDistance::kYards},           {"yards", MDistance::kYards},
    {"mile", MDistance::kMiles},           {"miles", MDistance::kMiles},
    {"millimeter", MDistance::kMillimeters}, {"millimeters", MDistance::kMillimeters},
    {"centimeter", MDistance::kCentimeters}, {"centimeters", MDistance::kCentimeters},
    {"kilometer", MDistance::kKilometers}, {"kilometers", MDistance::kKilometers},
    {"meter", MDistance::kMeters},         {"meters", MDistance::kMeters},
};

struct AngleName {
    const char* name;
    MAngle::Unit unit;
};
const AngleName kAngleNames[] = {
    {"rad", MAngle::kRadians}, {"deg", MAngle::kDegrees},
    {"min", MAngle::kAngMinutes}, {"sec", MAngle::kAngSeconds},
};
const AngleName kAngleAliases[] = {
    {"radian", MAngle::kRadians}, {"radians", MAngle::kRadians},
    {"degree", MAngle::kDegrees}, {"degrees", MAngle::kDegrees},
};

template <typename Table, typename Unit>
bool lookup(const Table& t, const std::string& name, Unit& out) {
    for (const auto& e : t)
        if (name == e.name) {
            out = e.unit;
            return true;
        }
    return false;
}

}  // namespace

bool timeUnitFromName(const std::string& name, MTime::Unit& unit) {
    if (lookup(kTimeNames, name, unit) || lookup(kTimeAliases, name, unit)) return true;
    // "<n>fps"
    if (name.size() > 3 && name.compare(name.size() - 3, 3, "fps") == 0) {
        std::string digits = name.substr(0, name.size() - 3);
        if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        int fps = std::atoi(digits.c_str());
        switch (fps) {
            case 15: unit = MTime::kGames; return true;
            case 24: unit = MTime::kFilm; return true;
            case 25: unit = MTime::kPALFrame; return true;
            case 30: unit = MTime::kNTSCFrame; return true;
            case 48: unit = MTime::kShowScan; return true;
            case 50: unit = MTime::kPALField; return true;
            case 60: unit = MTime::kNTSCField; return true;
            default: break;
        }
        for (int i = 0; i < kFpsCount; ++i)
            if (kFpsUnits[i] == fps) {
                unit = static_cast<MTime::Unit>(MTime::k2FPS + i);
                return true;
            }
    }
    return false;
}

std::string timeUnitName(MTime::Unit unit) {
    for (const auto& e : kTimeNames)
        if (e.unit == unit) return e.name;
    int i = static_cast<int>(unit) - static_cast<int>(MTime::k2FPS);
    if (i >= 0 && i < kFpsCount) return std::to_string(kFpsUnits[i]) + "fps";
    return std::string();
}

bool linearUnitFromName(const std::string& name, MDistance::Unit& unit) {
    return lookup(kLinearNames, name, unit) || lookup(kLinearAliases, name, unit);
}

std::string linearUnitName(MDistance::Unit unit) {
    for (const auto& e : kLinearNames)
        if (e.unit == unit) return e.name;
    return std::string();
}

bool angleUnitFromName(const std::string& name, MAngle::Unit& unit) {
    return lookup(kAngleNames, name, unit) || lookup(kAngleAliases, name, unit);
}

std::string angleUnitName(MAngle::Unit unit) {
    for (const auto& e : kAngleNames)
        if (e.unit == unit) return e.name;
    return std::string();
}

double framesPerSecond(MTime::Unit unit) {
    double s = MTime::secondsPerUnit(unit);
    return s > 0.0 ? 1.0 / s : 0.0;
}

}  // namespace host::math
