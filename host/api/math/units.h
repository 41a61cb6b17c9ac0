#pragma once
// Unit names as MEL (currentUnit) and scene files (currentUnit -l cm -a deg
// -t film, requires) spell them, and the host's unit enumerations.
#include <maya/MAngle.h>
#include <maya/MDistance.h>
#include <maya/MTime.h>

#include <string>

namespace host::math {

// Short names the host writes: "film", "ntsc", "pal", "game", "show",
// "palf", "ntscf", "sec", "millisec", "min", "hour", "<n>fps".
// Also accepted when reading: long forms ("seconds", "milliseconds",
// "minutes", "hours") and "ms". False for an unknown name.
bool timeUnitFromName(const std::string& name, MTime::Unit& unit);
// Empty string for kInvalid, kUserDef and kLast.
std::string timeUnitName(MTime::Unit unit);

// "mm", "cm", "m", "km", "in", "ft", "yd", "mi"; when reading also the long
// forms ("millimeter(s)", "centimeter(s)", "meter(s)", "kilometer(s)",
// "inch(es)", "foot"/"feet", "yard(s)", "mile(s)").
bool linearUnitFromName(const std::string& name, MDistance::Unit& unit);
std::string linearUnitName(MDistance::Unit unit);

// "deg", "rad", "min" (arc minutes), "sec" (arc seconds); when reading also
// "degree(s)", "radian(s)".
bool angleUnitFromName(const std::string& name, MAngle::Unit& unit);
std::string angleUnitName(MAngle::Unit unit);

// Frames per second of a frame-based unit (24 for film, 1 for seconds,
// 1000 for milliseconds, 1/60 for minutes ...); 0 for units without a rate.
double framesPerSecond(MTime::Unit unit);

}  // namespace host::math
