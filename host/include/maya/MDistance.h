#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>

// A length in a unit; centimetres internally and in the UI by default.
class MDistance {
public:
    enum Unit {
        kInvalid = 0, kInches, kFeet, kYards, kMiles, kMillimeters, kCentimeters,
        kKilometers, kMeters, kLast
    };

    MDistance() = default;
    MDistance(const MDistance&) = default;
    MDistance(double value, Unit unit = kCentimeters);
    MDistance& operator=(const MDistance&) = default;

    Unit unit() const { return unit_; }
    double value() const { return value_; }
    MStatus setUnit(Unit unit);
    MStatus setValue(double value) { value_ = value; return MStatus::kSuccess; }
    double as(Unit unit) const;
    double asUnits(Unit unit) const { return as(unit); }
    double asInches() const { return as(kInches); }
    double asFeet() const { return as(kFeet); }
    double asYards() const { return as(kYards); }
    double asMiles() const { return as(kMiles); }
    double asMillimeters() const { return as(kMillimeters); }
    double asCentimeters() const { return as(kCentimeters); }
    double asKilometers() const { return as(kKilometers); }
    double asMeters() const { return as(kMeters); }

    static Unit uiUnit();
    static MStatus setUIUnit(Unit unit);
    static Unit internalUnit() { return kCentimeters; }
    static double internalToUI(double internalValue);
    static double uiToInternal(double uiValue);
    // Centimetres per one value of the unit; 0 for kInvalid/kLast.
    static double centimetersPerUnit(Unit unit);

private:
    double value_ = 0.0;
    Unit unit_ = kCentimeters;
};
