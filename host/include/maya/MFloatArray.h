#pragma once
#include <maya/MArrayBase.h>
VL2_DECLARE_ARRAY(MFloatArray, float)
