#pragma once
#include <maya/MArrayBase.h>
#include <maya/MFloatVector.h>

class MFloatVectorArray : public MArrayBase<MFloatVector> {
public:
    using MArrayBase<MFloatVector>::MArrayBase;
    using MArrayBase<MFloatVector>::append;
    MFloatVectorArray() = default;
    MStatus append(float x, float y, float z) { return append(MFloatVector(x, y, z)); }
};
