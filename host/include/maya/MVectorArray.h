#pragma once
#include <maya/MArrayBase.h>
#include <maya/MVector.h>

class MVectorArray : public MArrayBase<MVector> {
public:
    using MArrayBase<MVector>::MArrayBase;
    using MArrayBase<MVector>::append;
    MVectorArray() = default;
    MStatus append(double x, double y, double z) { return append(MVector(x, y, z)); }
};
