#pragma once
#include <maya/MFnReflectShader.h>

class MFnPhongShader : public MFnReflectShader {
public:
    MFnPhongShader() = default;
    MFnPhongShader(const MObject& node, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kPhong; }

    MObject create(bool UIvisible = true, MStatus* status = nullptr);

    float cosPower(MStatus* status = nullptr) const;
    MStatus setCosPower(float p);
};
