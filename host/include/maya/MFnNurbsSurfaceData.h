#pragma once
#include <maya/MFnData.h>

// nurbsSurface geometry data; a created data object serves as parentOrOwner
// of MFnNurbsSurface::create.
class MFnNurbsSurfaceData : public MFnData {
public:
    MFnNurbsSurfaceData() = default;
    MFnNurbsSurfaceData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNurbsSurfaceData; }
    MObject create(MStatus* status = nullptr);
};
