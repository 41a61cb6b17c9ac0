#pragma once
#include <maya/MFnBase.h>

// Base of the data function sets; Type names what a typed attribute holds.
class MFnData : public MFnBase {
public:
    enum Type {
        kInvalid, kNumeric, kPlugin, kPluginGeometry, kString, kMatrix, kStringArray, kDoubleArray, kFloatArray,
        kIntArray, kPointArray, kVectorArray, kMatrixArray, kComponentList, kMesh, kLattice, kNurbsCurve,
        kNurbsSurface, kSphere, kDynArrayAttrs, kDynSweptGeometry, kSubdSurface, kNObject, kNId, kAny, kLast
    };
    MFnData() = default;
    MFnData(const MObject& o, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kData; }

    // Host-internal: the data type name scene files use ("mesh", "stringArray" ...).
    static const char* typeName(Type t);
    static Type typeFromName(const char* name);
};
