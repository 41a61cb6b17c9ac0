#pragma once
#include <maya/MArrayBase.h>
#include <maya/MObject.h>
VL2_DECLARE_ARRAY(MObjectArray, MObject)
