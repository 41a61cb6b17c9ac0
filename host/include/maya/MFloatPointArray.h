#pragma once
#include <maya/MArrayBase.h>
#include <maya/MFloatPoint.h>

class MFloatPointArray : public MArrayBase<MFloatPoint> {
public:
    using MArrayBase<MFloatPoint>::MArrayBase;
    using MArrayBase<MFloatPoint>::append;
    using MArrayBase<MFloatPoint>::set;
    MFloatPointArray() = default;
    MStatus append(const MFloatVector& v) { return append(MFloatPoint(v)); }
    MStatus append(float x, float y, float z = 0.0f, float w = 1.0f) { return append(MFloatPoint(x, y, z, w)); }
    MStatus set(unsigned int i, float x, float y, float z = 0.0f, float w = 1.0f) { return set(MFloatPoint(x, y, z, w), i); }
};
