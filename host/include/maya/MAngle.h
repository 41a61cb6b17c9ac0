#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>

// An angle in a unit; radians internally, degrees in the UI by default.
class MAngle {
public:
    enum Unit { kInvalid = 0, kRadians, kDegrees, kAngMinutes, kAngSeconds, kLast };

    MAngle() = default;
    MAngle(const MAngle&) = default;
    MAngle(double value, Unit unit = kRadians);
    MAngle& operator=(const MAngle&) = default;

    Unit unit() const { return unit_; }
    double value() const { return value_; }
    MStatus setUnit(Unit unit);
    MStatus setValue(double value) { value_ = value; return MStatus::kSuccess; }
    double as(Unit unit) const;
    double asUnits(Unit unit) const { return as(unit); }
    double asRadians() const { return as(kRadians); }
    double asDegrees() const { return as(kDegrees); }
    double asAngMinutes() const { return as(kAngMinutes); }
    double asAngSeconds() const { return as(kAngSeconds); }

    static Unit uiUnit();
    static MStatus setUIUnit(Unit unit);
    static Unit internalUnit() { return kRadians; }
    static double internalToUI(double internalValue);
    static double uiToInternal(double uiValue);
    // Radians per one value of the unit; 0 for kInvalid/kLast.
    static double radiansPerUnit(Unit unit);

private:
    double value_ = 0.0;
    Unit unit_ = kRadians;
};
