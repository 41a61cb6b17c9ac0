#pragma once
#include <maya/MArrayBase.h>
#include <maya/MString.h>
VL2_DECLARE_ARRAY(MStringArray, MString)
