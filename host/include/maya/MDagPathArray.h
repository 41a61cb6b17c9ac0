#pragma once
#include <maya/MArrayBase.h>
#include <maya/MDagPath.h>
VL2_DECLARE_ARRAY(MDagPathArray, MDagPath)
