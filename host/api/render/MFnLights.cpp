// Light shapes: colour and intensity on every light, decay and shadows on the
// kinds that have them, and creation of each kind.
#include <maya/MFnAmbientLight.h>
#include <maya/MFnDirectionalLight.h>
#include <maya/MFnLight.h>
#include <maya/MFnNonAmbientLight.h>
#include <maya/MFnNonExtendedLight.h>
#include <maya/MFnPointLight.h>
#include <maya/MFnSpotLight.h>

#include "api/render/render_access.h"

#include <cmath>

using namespace host::render_api;
using host::scene::Matrix4;
using host::scene::scene;

#define VL2_FN_CTORS(Cls)                                                                          \
    Cls::Cls(const MObject& node, MStatus* st) { MStatus s = setObject(node); if (st) *st = s; } \
    Cls::Cls(const MDagPath& path, MStatus* st) { MStatus s = MFnDagNode::setObject(path); if (st) *st = s; }
VL2_FN_CTORS(MFnLight)
VL2_FN_CTORS(MFnAmbientLight)
VL2_FN_CTORS(MFnNonAmbientLight)
VL2_FN_CTORS(MFnNonExtendedLight)
VL2_FN_CTORS(MFnPointLight)
VL2_FN_CTORS(MFnDirectionalLight)
VL2_FN_CTORS(MFnSpotLight)
#undef VL2_FN_CTORS

MObject MFnLight::createLight(const char* typeName, const MObject& parent, MStatus* st) {
    MObject made = createShape(typeName, parent, st);
    if (made.isNull()) return made;
    Node* n = nodeOf(made);
    Node* shape = n->type->isShape ? n : (n->children.empty() ? nullptr : n->children.front());
    obj_ = objOf(shape);
    return made;
}

MColor MFnLight::color(MStatus* st) const { bool ok; MColor c = host::render_api::color(obj_, "color", ok); return ret(st, ok, c); }
MStatus MFnLight::setColor(const MColor& c) { return host::render_api::setColor(obj_, "color", c); }
MColor MFnLight::shadowColor(MStatus* st) const { bool ok; MColor c = host::render_api::color(obj_, "shadowColor", ok); return ret(st, ok, c); }
MStatus MFnLight::setShadowColor(const MColor& c) { return host::render_api::setColor(obj_, "shadowColor", c); }
float MFnLight::intensity(MStatus* st) const { bool ok; double v = number(obj_, "intensity", ok); return ret(st, ok, static_cast<float>(v)); }
MStatus MFnLight::setIntensity(float i) { return setNumber(obj_, "intensity", i); }
bool MFnLight::useRayTraceShadows(MStatus* st) const { bool ok; double v = number(obj_, "useRayTraceShadows", ok); return ret(st, ok, v != 0); }
MStatus MFnLight::setUseRayTraceShadows(bool on) { return setNumber(obj_, "useRayTraceShadows", on ? 1 : 0); }

MFloatVector MFnLight::lightDirection(unsigned int instance, MSpace::Space space, MStatus* st) const {
    Node* n = nodeOf(obj_);
    if (!n || instance != 0) return ret(st, false, MFloatVector());
    if (space != MSpace::kWorld) return ret(st, true, MFloatVector(0, 0, -1));
    Matrix4 m = scene().getMatrix(n->plug("worldMatrix").element(0));
    double x = -m.m[2][0], y = -m.m[2][1], z = -m.m[2][2];
    double len = std::sqrt(x * x + y * y + z * z);
    if (len > 0) x /= len, y /= len, z /= len;
    return ret(st, true, MFloatVector(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)));
}

MObject MFnAmbientLight::create(bool, MStatus* st) { return createLight("ambientLight", MObject::kNullObj, st); }
MObject MFnAmbientLight::create(const MObject& parent, bool, MStatus* st) { return createLight("ambientLight", parent, st); }
float MFnAmbientLight::ambientShade(MStatus* st) const { bool ok; double v = number(obj_, "ambientShade", ok); return ret(st, ok, static_cast<float>(v)); }
MStatus MFnAmbientLight::setAmbientShade(float s) { return setNumber(obj_, "ambientShade", s); }

short MFnNonAmbientLight::decayRate(MStatus* st) const { bool ok; double v = number(obj_, "decayRate", ok); return ret(st, ok, static_cast<short>(v)); }
MStatus MFnNonAmbientLight::setDecayRate(short r) {
    if (r < 0 || r > 3) return MStatus::kInvalidParameter;
    return setNumber(obj_, "decayRate", r);
}

bool MFnNonExtendedLight::useDepthMapShadows(MStatus* st) const { bool ok; double v = number(obj_, "useDepthMapShadows", ok); return ret(st, ok, v != 0); }
MStatus MFnNonExtendedLight::setUseDepthMapShadows(bool on) { return setNumber(obj_, "useDepthMapShadows", on ? 1 : 0); }
short MFnNonExtendedLight::depthMapResolution(MStatus* st) const { bool ok; double v = number(obj_, "dmapResolution", ok); return ret(st, ok, static_cast<short>(v)); }
MStatus MFnNonExtendedLight::setDepthMapResolution(short r) { return setNumber(obj_, "dmapResolution", r); }

MObject MFnPointLight::create(bool, MStatus* st) { return createLight("pointLight", MObject::kNullObj, st); }
MObject MFnPointLight::create(const MObject& parent, bool, MStatus* st) { return createLight("pointLight", parent, st); }
MObject MFnDirectionalLight::create(bool, MStatus* st) { return createLight("directionalLight", MObject::kNullObj, st); }
MObject MFnDirectionalLight::create(const MObject& parent, bool, MStatus* st) { return createLight("directionalLight", parent, st); }
MObject MFnSpotLight::create(bool, MStatus* st) { return createLight("spotLight", MObject::kNullObj, st); }
MObject MFnSpotLight::create(const MObject& parent, bool, MStatus* st) { return createLight("spotLight", parent, st); }
double MFnSpotLight::coneAngle(MStatus* st) const { bool ok; double v = number(obj_, "coneAngle", ok); return ret(st, ok, v); }
MStatus MFnSpotLight::setConeAngle(double a) { return setNumber(obj_, "coneAngle", a); }
double MFnSpotLight::penumbraAngle(MStatus* st) const { bool ok; double v = number(obj_, "penumbraAngle", ok); return ret(st, ok, v); }
MStatus MFnSpotLight::setPenumbraAngle(double a) { return setNumber(obj_, "penumbraAngle", a); }
double MFnSpotLight::dropOff(MStatus* st) const { bool ok; double v = number(obj_, "dropoff", ok); return ret(st, ok, v); }
MStatus MFnSpotLight::setDropOff(double d) { return setNumber(obj_, "dropoff", d); }
