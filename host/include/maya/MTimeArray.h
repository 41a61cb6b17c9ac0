#pragma once
#include <maya/MArrayBase.h>
#include <maya/MTime.h>
VL2_DECLARE_ARRAY(MTimeArray, MTime)
