#pragma once
#include <maya/MArrayBase.h>
#include <maya/MMatrix.h>
VL2_DECLARE_ARRAY(MMatrixArray, MMatrix)
