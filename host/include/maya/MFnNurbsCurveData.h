#pragma once
#include <maya/MFnData.h>

// nurbsCurve geometry data (what create/local/worldSpace plugs hold); a
// created data object serves as parentOrOwner of MFnNurbsCurve::create.
class MFnNurbsCurveData : public MFnData {
public:
    MFnNurbsCurveData() = default;
    MFnNurbsCurveData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kNurbsCurveData; }
    MObject create(MStatus* status = nullptr);
};
