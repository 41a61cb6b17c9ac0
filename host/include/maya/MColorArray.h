#pragma once
#include <maya/MArrayBase.h>
#include <maya/MColor.h>

class MColorArray : public MArrayBase<MColor> {
public:
    using MArrayBase<MColor>::MArrayBase;
    using MArrayBase<MColor>::append;
    using MArrayBase<MColor>::set;
    MColorArray() = default;
    MStatus append(float r, float g, float b, float a = 1.0f) { return append(MColor(r, g, b, a)); }
    MStatus set(unsigned int i, float r, float g, float b, float a = 1.0f) { return set(MColor(r, g, b, a), i); }
};
