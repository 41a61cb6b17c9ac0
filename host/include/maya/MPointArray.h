#pragma once
#include <maya/MArrayBase.h>
#include <maya/MPoint.h>

class MPointArray : public MArrayBase<MPoint> {
public:
    using MArrayBase<MPoint>::MArrayBase;
    using MArrayBase<MPoint>::append;
    using MArrayBase<MPoint>::set;
    MPointArray() = default;
    MStatus append(const MVector& v) { return append(MPoint(v)); }
    MStatus append(double x, double y, double z = 0.0, double w = 1.0) { return append(MPoint(x, y, z, w)); }
    MStatus set(unsigned int i, double x, double y, double z = 0.0, double w = 1.0) { return set(MPoint(x, y, z, w), i); }
};
