#pragma once
#include <maya/MFnReflectShader.h>

class MFnBlinnShader : public MFnReflectShader {
public:
    MFnBlinnShader() = default;
    MFnBlinnShader(const MObject& node, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kBlinn; }

    MObject create(bool UIvisible = true, MStatus* status = nullptr);

    float eccentricity(MStatus* status = nullptr) const;
    MStatus setEccentricity(float e);
    float specularRollOff(MStatus* status = nullptr) const;
    MStatus setSpecularRollOff(float r);
};
