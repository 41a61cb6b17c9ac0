#pragma once
#include <maya/MArrayBase.h>
#include <maya/MPlug.h>
VL2_DECLARE_ARRAY(MPlugArray, MPlug)
