#include <maya/MDoubleArray.h>
#include <maya/MFnAnimCurve.h>
#include <maya/MPlug.h>
#include <maya/MTime.h>
#include <maya/MTimeArray.h>

#include "scene/core/eval.h"
#include "scene/core/scene.h"

using host::scene::AnimCurve;
using host::scene::Node;
using host::scene::scene;

namespace {

Node* curveNode(const MObject& o) {
    auto* n = dynamic_cast<Node*>(o.object().get());
    return n && n->alive() && n->hasFn(MFn::kAnimCurve) ? n : nullptr;
}

MObject objectOf(Node* n) { return n ? MObject(scene().ptr(n)) : MObject(); }

// The curve kind that animates an attribute of this unit.
const char* curveTypeFor(const host::scene::Attribute* a) {
    if (a && a->kind == host::scene::AttrKind::Unit) {
        switch (a->unit) {
        case host::scene::UnitType::kDistance: return "animCurveTL";
        case host::scene::UnitType::kAngle: return "animCurveTA";
        case host::scene::UnitType::kTime: return "animCurveTT";
        default: break;
        }
    }
    return "animCurveTU";
}

const char* curveTypeName(MFnAnimCurve::AnimCurveType t) {
    static const char* names[] = {"animCurveTA", "animCurveTL", "animCurveTT", "animCurveTU",
                                  "animCurveUA", "animCurveUL", "animCurveUT", "animCurveUU"};
    return t >= MFnAnimCurve::kAnimCurveTA && t < MFnAnimCurve::kAnimCurveUnknown ? names[t] : nullptr;
}

}  // namespace

MFnAnimCurve::MFnAnimCurve(const MObject& node, MStatus* status) {
    MStatus st = setObject(node);
    if (status) *status = st;
}

MFnAnimCurve::MFnAnimCurve(const MPlug& plug, MStatus* status) {
    host::scene::Plug p = plug.plug();
    host::scene::Plug src = p.isNull() ? host::scene::Plug() : scene().sourceOf(p);
    MStatus st = src.isNull() ? MStatus(MStatus::kInvalidParameter) : setObject(objectOf(src.node));
    if (status) *status = st;
}

MObject MFnAnimCurve::create(const MPlug& plug, MDGModifier*, MStatus* status) {
    host::scene::Plug p = plug.plug();
    if (p.isNull()) {
        if (status) *status = MStatus::kInvalidParameter;
        return MObject();
    }
    std::string error;
    Node* c = scene().createNode(curveTypeFor(p.attr()), p.node->name + "_" + p.attr()->name, nullptr, &error);
    if (!c || scene().connect(c->plug("output"), p, false, &error).error()) {
        if (c) scene().deleteNode(c);
        if (status) *status = MStatus::kFailure;
        return MObject();
    }
    obj_ = objectOf(c);
    if (status) *status = MStatus::kSuccess;
    return obj_;
}

MObject MFnAnimCurve::create(const MObject& node, const MObject& attribute, MDGModifier* modifier, MStatus* status) {
    return create(MPlug(node, attribute), modifier, status);
}

MObject MFnAnimCurve::create(AnimCurveType type, MDGModifier*, MStatus* status) {
    const char* name = curveTypeName(type);
    Node* c = name ? scene().createNode(name) : nullptr;
    if (status) *status = c ? MStatus::kSuccess : MStatus::kInvalidParameter;
    obj_ = objectOf(c);
    return obj_;
}

MFnAnimCurve::AnimCurveType MFnAnimCurve::animCurveType(MStatus* status) const {
    Node* n = curveNode(obj_);
    if (status) *status = n ? MStatus::kSuccess : MStatus::kFailure;
    if (!n) return kAnimCurveUnknown;
    for (int t = kAnimCurveTA; t < kAnimCurveUnknown; ++t)
        if (n->type->isA(curveTypeName(static_cast<AnimCurveType>(t)))) return static_cast<AnimCurveType>(t);
    return kAnimCurveUnknown;
}

bool MFnAnimCurve::isTimeInput(MStatus* status) const {
    AnimCurveType t = animCurveType(status);
    return t == kAnimCurveTA || t == kAnimCurveTL || t == kAnimCurveTT || t == kAnimCurveTU;
}

bool MFnAnimCurve::isUnitlessInput(MStatus* status) const {
    AnimCurveType t = animCurveType(status);
    return t != kAnimCurveUnknown && !isTimeInput();
}

namespace {
// Reads the node's keys, lets f edit them, writes them back when asked.
template <typename F>
MStatus withCurve(const MObject& o, bool write, F f) {
    Node* n = curveNode(o);
    if (!n) return MStatus::kFailure;
    AnimCurve c = host::scene::readAnimCurve(*n);
    MStatus st = f(c);
    if (st.error() || !write) return st;
    return host::scene::writeAnimCurve(*n, c);
}

MStatus inRange(const AnimCurve& c, unsigned int i) { return i < c.numKeys() ? MStatus::kSuccess : MStatus::kInvalidParameter; }
}  // namespace

unsigned int MFnAnimCurve::numKeys(MStatus* status) const {
    unsigned int n = 0;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) { n = c.numKeys(); return MStatus(MStatus::kSuccess); });
    if (status) *status = st;
    return n;
}

bool MFnAnimCurve::isStatic(MStatus* status) const {
    bool r = false;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) { r = c.isStatic(); return MStatus(MStatus::kSuccess); });
    if (status) *status = st;
    return r;
}

bool MFnAnimCurve::isWeighted(MStatus* status) const {
    bool r = false;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) { r = c.isWeighted(); return MStatus(MStatus::kSuccess); });
    if (status) *status = st;
    return r;
}

MStatus MFnAnimCurve::setIsWeighted(bool weighted) {
    return withCurve(obj_, true, [&](AnimCurve& c) { c.setWeighted(weighted); return MStatus(MStatus::kSuccess); });
}

unsigned int MFnAnimCurve::addKey(const MTime& time, double value, TangentType inType, TangentType outType,
                                  MDGModifier*, MStatus* status) {
    return addKey(time.as(MTime::kSeconds), value, inType, outType, nullptr, status);
}

unsigned int MFnAnimCurve::addKey(double input, double value, TangentType inType, TangentType outType, MDGModifier*,
                                  MStatus* status) {
    unsigned int index = 0;
    MStatus st = withCurve(obj_, true, [&](AnimCurve& c) {
        index = c.addKey(input, value, static_cast<AnimCurve::TangentType>(inType),
                         static_cast<AnimCurve::TangentType>(outType));
        return MStatus(MStatus::kSuccess);
    });
    if (status) *status = st;
    return index;
}

MStatus MFnAnimCurve::addKeyframe(const MTime& time, double value, MDGModifier*) {
    MStatus st;
    addKey(time, value, kTangentGlobal, kTangentGlobal, nullptr, &st);
    return st;
}

MStatus MFnAnimCurve::addKeys(MTimeArray* times, MDoubleArray* values, TangentType inType, TangentType outType,
                              bool keepExistingKeys, MDGModifier*) {
    if (!times || !values || times->length() != values->length()) return MStatus::kInvalidParameter;
    return withCurve(obj_, true, [&](AnimCurve& c) {
        if (!keepExistingKeys) c.clear();
        for (unsigned i = 0; i < times->length(); ++i)
            c.addKey((*times)[i].as(MTime::kSeconds), (*values)[i], static_cast<AnimCurve::TangentType>(inType),
                     static_cast<AnimCurve::TangentType>(outType));
        return MStatus(MStatus::kSuccess);
    });
}

MStatus MFnAnimCurve::remove(unsigned int index, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) {
        return c.removeKey(index) ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter);
    });
}

MTime MFnAnimCurve::time(unsigned int index, MStatus* status) const {
    double t = 0;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus r = inRange(c, index);
        if (r) t = c.key(index).time;
        return r;
    });
    if (status) *status = st;
    return MTime(t, MTime::kSeconds);
}

double MFnAnimCurve::unitlessInput(unsigned int index, MStatus* status) const { return time(index, status).as(MTime::kSeconds); }

double MFnAnimCurve::value(unsigned int index, MStatus* status) const {
    double v = 0;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus r = inRange(c, index);
        if (r) v = c.key(index).value;
        return r;
    });
    if (status) *status = st;
    return v;
}

MStatus MFnAnimCurve::setValue(unsigned int index, double value, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) {
        return c.setValue(index, value) ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter);
    });
}

MStatus MFnAnimCurve::setTime(unsigned int index, const MTime& time, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) {
        return c.setTime(index, time.as(MTime::kSeconds)) ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter);
    });
}

bool MFnAnimCurve::find(const MTime& time, unsigned int& index, MStatus* status) const {
    return find(time.as(MTime::kSeconds), index, status);
}

bool MFnAnimCurve::find(double input, unsigned int& index, MStatus* status) const {
    int found = -1;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) { found = c.find(input); return MStatus(MStatus::kSuccess); });
    if (status) *status = st;
    if (found < 0) return false;
    index = static_cast<unsigned int>(found);
    return true;
}

unsigned int MFnAnimCurve::findClosest(const MTime& time, MStatus* status) const {
    int found = -1;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        found = c.findClosest(time.as(MTime::kSeconds));
        return found < 0 ? MStatus(MStatus::kFailure) : MStatus(MStatus::kSuccess);
    });
    if (status) *status = st;
    return found < 0 ? 0u : static_cast<unsigned int>(found);
}

double MFnAnimCurve::evaluate(const MTime& time, MStatus* status) const {
    double v = 0;
    MStatus st = evaluate(time, v);
    if (status) *status = st;
    return v;
}

MStatus MFnAnimCurve::evaluate(const MTime& time, double& value) const { return evaluate(time.as(MTime::kSeconds), value); }

MStatus MFnAnimCurve::evaluate(double input, double& value) const {
    return withCurve(obj_, false, [&](AnimCurve& c) {
        value = c.numKeys() ? c.evaluate(input) : 0.0;
        return MStatus(MStatus::kSuccess);
    });
}

MFnAnimCurve::TangentType MFnAnimCurve::inTangentType(unsigned int index, MStatus* status) const {
    TangentType t = kTangentGlobal;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus r = inRange(c, index);
        if (r) t = static_cast<TangentType>(c.key(index).inType);
        return r;
    });
    if (status) *status = st;
    return t;
}

MFnAnimCurve::TangentType MFnAnimCurve::outTangentType(unsigned int index, MStatus* status) const {
    TangentType t = kTangentGlobal;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus r = inRange(c, index);
        if (r) t = static_cast<TangentType>(c.key(index).outType);
        return r;
    });
    if (status) *status = st;
    return t;
}

MStatus MFnAnimCurve::setInTangentType(unsigned int index, TangentType type, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) {
        return c.setInTangentType(index, static_cast<AnimCurve::TangentType>(type)) ? MStatus(MStatus::kSuccess)
                                                                                    : MStatus(MStatus::kInvalidParameter);
    });
}

MStatus MFnAnimCurve::setOutTangentType(unsigned int index, TangentType type, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) {
        return c.setOutTangentType(index, static_cast<AnimCurve::TangentType>(type)) ? MStatus(MStatus::kSuccess)
                                                                                     : MStatus(MStatus::kInvalidParameter);
    });
}

MStatus MFnAnimCurve::getTangent(unsigned int index, double& x, double& y, bool inTangent) const {
    return withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus r = inRange(c, index);
        if (r) c.tangentXY(index, inTangent, x, y);
        return r;
    });
}

MStatus MFnAnimCurve::getTangent(unsigned int index, float& x, float& y, bool inTangent) const {
    double dx = 0, dy = 0;
    MStatus st = getTangent(index, dx, dy, inTangent);
    x = static_cast<float>(dx);
    y = static_cast<float>(dy);
    return st;
}

MStatus MFnAnimCurve::setTangent(unsigned int index, double x, double y, bool inTangent, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) {
        return c.setTangent(index, x, y, inTangent) ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter);
    });
}

bool MFnAnimCurve::tangentsLocked(unsigned int index, MStatus* status) const {
    bool r = false;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus s = inRange(c, index);
        if (s) r = c.key(index).tangentsLocked;
        return s;
    });
    if (status) *status = st;
    return r;
}

MStatus MFnAnimCurve::setTangentsLocked(unsigned int index, bool locked, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) {
        return c.setTangentsLocked(index, locked) ? MStatus(MStatus::kSuccess) : MStatus(MStatus::kInvalidParameter);
    });
}

bool MFnAnimCurve::weightsLocked(unsigned int index, MStatus* status) const {
    bool r = false;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus s = inRange(c, index);
        if (s) r = c.key(index).weightsLocked;
        return s;
    });
    if (status) *status = st;
    return r;
}

bool MFnAnimCurve::isBreakdown(unsigned int index, MStatus* status) const {
    bool r = false;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) {
        MStatus s = inRange(c, index);
        if (s) r = c.key(index).breakdown;
        return s;
    });
    if (status) *status = st;
    return r;
}

MFnAnimCurve::InfinityType MFnAnimCurve::preInfinityType(MStatus* status) const {
    InfinityType t = kConstant;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) { t = static_cast<InfinityType>(c.preInfinity()); return MStatus(MStatus::kSuccess); });
    if (status) *status = st;
    return t;
}

MFnAnimCurve::InfinityType MFnAnimCurve::postInfinityType(MStatus* status) const {
    InfinityType t = kConstant;
    MStatus st = withCurve(obj_, false, [&](AnimCurve& c) { t = static_cast<InfinityType>(c.postInfinity()); return MStatus(MStatus::kSuccess); });
    if (status) *status = st;
    return t;
}

MStatus MFnAnimCurve::setPreInfinityType(InfinityType type, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) { c.setPreInfinity(static_cast<AnimCurve::InfinityType>(type)); return MStatus(MStatus::kSuccess); });
}

MStatus MFnAnimCurve::setPostInfinityType(InfinityType type, MDGModifier*) {
    return withCurve(obj_, true, [&](AnimCurve& c) { c.setPostInfinity(static_cast<AnimCurve::InfinityType>(type)); return MStatus(MStatus::kSuccess); });
}
