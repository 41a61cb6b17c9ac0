#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <iosfwd>

// A time: a value in a unit. Comparisons and arithmetic work on the time
// itself, whatever the units of the operands; results take the left
// operand's unit.
class MTime {
public:
    enum Unit {
        kInvalid = 0,
        kHours,
        kMinutes,
        kSeconds,
        kMilliseconds,
        kGames,       // 15 fps
        kFilm,        // 24 fps
        kPALFrame,    // 25 fps
        kNTSCFrame,   // 30 fps
        kShowScan,    // 48 fps
        kPALField,    // 50 fps
        kNTSCField,   // 60 fps
        k2FPS, k3FPS, k4FPS, k5FPS, k6FPS, k8FPS, k10FPS, k12FPS, k16FPS, k20FPS,
        k40FPS, k75FPS, k80FPS, k100FPS, k120FPS, k125FPS, k150FPS, k200FPS,
        k240FPS, k250FPS, k300FPS, k375FPS, k400FPS, k500FPS, k600FPS, k750FPS,
        k1200FPS, k1500FPS, k2000FPS, k3000FPS, k6000FPS,
        kUserDef,
        kLast
    };

    MTime();
    MTime(const MTime&) = default;
    MTime(double value, Unit unit = uiUnit());
    MTime& operator=(const MTime&) = default;

    Unit unit() const { return unit_; }
    double value() const { return value_; }
    // Changes the unit keeping the time (the value is converted).
    MStatus setUnit(Unit unit);
    MStatus setValue(double value) { value_ = value; return MStatus::kSuccess; }
    double as(Unit unit) const;
    double asUnits(Unit unit) const { return as(unit); }

    MTime operator+(const MTime& o) const;
    MTime operator-(const MTime& o) const;
    MTime operator+(double v) const { return MTime(value_ + v, unit_); }
    MTime operator-(double v) const { return MTime(value_ - v, unit_); }
    MTime operator*(double s) const { return MTime(value_ * s, unit_); }
    MTime operator/(double s) const { return MTime(value_ / s, unit_); }
    MTime& operator+=(const MTime& o);
    MTime& operator-=(const MTime& o);
    MTime& operator+=(double v) { value_ += v; return *this; }
    MTime& operator-=(double v) { value_ -= v; return *this; }
    MTime& operator*=(double s) { value_ *= s; return *this; }
    MTime& operator/=(double s) { value_ /= s; return *this; }
    MTime operator-() const { return MTime(-value_, unit_); }
    bool operator==(const MTime& o) const;
    bool operator!=(const MTime& o) const { return !(*this == o); }
    bool operator<(const MTime& o) const;
    bool operator>(const MTime& o) const { return o < *this; }
    bool operator<=(const MTime& o) const { return !(o < *this); }
    bool operator>=(const MTime& o) const { return !(*this < o); }

    // The unit MEL and scene files use (currentUnit -time), film by default.
    static Unit uiUnit();
    static MStatus setUIUnit(Unit unit);
    // Seconds per one value of the unit; 0 for kInvalid, kUserDef, kLast.
    static double secondsPerUnit(Unit unit);

private:
    double value_ = 0.0;
    Unit unit_ = kFilm;
};

std::ostream& operator<<(std::ostream& os, const MTime& t);
