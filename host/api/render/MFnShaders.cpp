// Materials: lambert and the reflective kinds built on it.
#include <maya/MFnBlinnShader.h>
#include <maya/MFnLambertShader.h>
#include <maya/MFnPhongShader.h>
#include <maya/MFnReflectShader.h>

#include "api/render/render_access.h"

using namespace host::render_api;
using host::scene::scene;

MFnLambertShader::MFnLambertShader(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; }
MFnReflectShader::MFnReflectShader(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; }
MFnPhongShader::MFnPhongShader(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; }
MFnBlinnShader::MFnBlinnShader(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; }

MObject MFnLambertShader::createShader(const char* typeName, MStatus* st) {
    std::string err;
    Node* n = scene().createNode(typeName, "", nullptr, &err);
    if (!n) return ret(st, false, MObject());
    obj_ = objOf(n);
    return ret(st, true, obj_);
}
MObject MFnLambertShader::create(bool, MStatus* st) { return createShader("lambert", st); }
MObject MFnPhongShader::create(bool, MStatus* st) { return createShader("phong", st); }
MObject MFnBlinnShader::create(bool, MStatus* st) { return createShader("blinn", st); }

MColor MFnLambertShader::colorOf(const char* attr, MStatus* st) const {
    bool ok;
    MColor c = host::render_api::color(obj_, attr, ok);
    return ret(st, ok, c);
}
MStatus MFnLambertShader::setColorOf(const char* attr, const MColor& c) { return host::render_api::setColor(obj_, attr, c); }
float MFnLambertShader::floatOf(const char* attr, MStatus* st) const {
    bool ok;
    double v = number(obj_, attr, ok);
    return ret(st, ok, static_cast<float>(v));
}
MStatus MFnLambertShader::setFloatOf(const char* attr, double v) { return setNumber(obj_, attr, v); }

MColor MFnLambertShader::color(MStatus* st) const { return colorOf("color", st); }
MStatus MFnLambertShader::setColor(const MColor& c) { return setColorOf("color", c); }
MColor MFnLambertShader::transparency(MStatus* st) const { return colorOf("transparency", st); }
MStatus MFnLambertShader::setTransparency(const MColor& c) { return setColorOf("transparency", c); }
MColor MFnLambertShader::ambientColor(MStatus* st) const { return colorOf("ambientColor", st); }
MStatus MFnLambertShader::setAmbientColor(const MColor& c) { return setColorOf("ambientColor", c); }
MColor MFnLambertShader::incandescence(MStatus* st) const { return colorOf("incandescence", st); }
MStatus MFnLambertShader::setIncandescence(const MColor& c) { return setColorOf("incandescence", c); }
float MFnLambertShader::diffuseCoeff(MStatus* st) const { return floatOf("diffuse", st); }
MStatus MFnLambertShader::setDiffuseCoeff(float d) { return setFloatOf("diffuse", d); }
float MFnLambertShader::translucenceCoeff(MStatus* st) const { return floatOf("translucence", st); }
MStatus MFnLambertShader::setTranslucenceCoeff(float t) { return setFloatOf("translucence", t); }
float MFnLambertShader::glowIntensity(MStatus* st) const { return floatOf("glowIntensity", st); }
MStatus MFnLambertShader::setGlowIntensity(float g) { return setFloatOf("glowIntensity", g); }

MColor MFnReflectShader::specularColor(MStatus* st) const { return colorOf("specularColor", st); }
MStatus MFnReflectShader::setSpecularColor(const MColor& c) { return setColorOf("specularColor", c); }
float MFnReflectShader::reflectivity(MStatus* st) const { return floatOf("reflectivity", st); }
MStatus MFnReflectShader::setReflectivity(float r) { return setFloatOf("reflectivity", r); }
MColor MFnReflectShader::reflectedColor(MStatus* st) const { return colorOf("reflectedColor", st); }
MStatus MFnReflectShader::setReflectedColor(const MColor& c) { return setColorOf("reflectedColor", c); }

float MFnPhongShader::cosPower(MStatus* st) const { return floatOf("cosinePower", st); }
MStatus MFnPhongShader::setCosPower(float p) { return setFloatOf("cosinePower", p); }
float MFnBlinnShader::eccentricity(MStatus* st) const { return floatOf("eccentricity", st); }
MStatus MFnBlinnShader::setEccentricity(float e) { return setFloatOf("eccentricity", e); }
float MFnBlinnShader::specularRollOff(MStatus* st) const { return floatOf("specularRollOff", st); }
MStatus MFnBlinnShader::setSpecularRollOff(float r) { return setFloatOf("specularRollOff", r); }
