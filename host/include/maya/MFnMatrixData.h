#pragma once
#include <maya/MFnData.h>
#include <maya/MMatrix.h>

class MTransformationMatrix;

class MFnMatrixData : public MFnData {
public:
    MFnMatrixData() = default;
    MFnMatrixData(const MObject& o, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMatrixData; }
    MObject create(const MMatrix& m, MStatus* status = nullptr);
    MObject create(MStatus* status = nullptr);
    MMatrix matrix(MStatus* status = nullptr) const;
    MTransformationMatrix transformation(MStatus* status = nullptr) const;
    MStatus set(const MMatrix& m);
};
