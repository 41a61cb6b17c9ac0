#pragma once
#include <maya/MFnLambertShader.h>

// Materials with a specular highlight and reflections (phong, blinn ...).
class MFnReflectShader : public MFnLambertShader {
public:
    MFnReflectShader() = default;
    MFnReflectShader(const MObject& node, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kReflect; }

    MColor specularColor(MStatus* status = nullptr) const;
    MStatus setSpecularColor(const MColor& c);
    float reflectivity(MStatus* status = nullptr) const;
    MStatus setReflectivity(float r);
    MColor reflectedColor(MStatus* status = nullptr) const;
    MStatus setReflectedColor(const MColor& c);
};
