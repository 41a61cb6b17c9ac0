#pragma once
#include <maya/MColor.h>
#include <maya/MFnDependencyNode.h>

// Function set of lambert materials and the materials built on them.
class MFnLambertShader : public MFnDependencyNode {
public:
    MFnLambertShader() = default;
    MFnLambertShader(const MObject& node, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kLambert; }

    // A new lambert material ("lambert2" ...).
    MObject create(bool UIvisible = true, MStatus* status = nullptr);

    MColor color(MStatus* status = nullptr) const;
    MStatus setColor(const MColor& c);
    MColor transparency(MStatus* status = nullptr) const;
    MStatus setTransparency(const MColor& c);
    MColor ambientColor(MStatus* status = nullptr) const;
    MStatus setAmbientColor(const MColor& c);
    MColor incandescence(MStatus* status = nullptr) const;
    MStatus setIncandescence(const MColor& c);
    float diffuseCoeff(MStatus* status = nullptr) const;
    MStatus setDiffuseCoeff(float d);
    float translucenceCoeff(MStatus* status = nullptr) const;
    MStatus setTranslucenceCoeff(float t);
    float glowIntensity(MStatus* status = nullptr) const;
    MStatus setGlowIntensity(float g);

protected:
    MObject createShader(const char* typeName, MStatus* status);
    // Colour plugs read and written as one: "color" -> colorR/G/B.
    MColor colorOf(const char* attr, MStatus* status) const;
    MStatus setColorOf(const char* attr, const MColor& c);
    float floatOf(const char* attr, MStatus* status) const;
    MStatus setFloatOf(const char* attr, double v);
};
