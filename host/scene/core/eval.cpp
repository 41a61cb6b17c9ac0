#include "scene/core/eval.h"

namespace host::scene {

MMatrix toMMatrix(const Matrix4& m) { return MMatrix(m.m); }

Matrix4 fromMMatrix(const MMatrix& m) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m.matrix[i][j];
    return r;
}

namespace {
MVector vec(Scene& s, Node& n, const char* attr) {
    Plug p = n.plug(attr);
    if (p.isNull()) return MVector();
    std::vector<double> v = s.getNumbers(p);
    v.resize(3, 0.0);
    return MVector(v[0], v[1], v[2]);
}
MStatus putVec(Scene& s, Node& n, const char* attr, const MVector& v, std::string* error) {
    Plug p = n.plug(attr);
    if (p.isNull()) return MStatus::kSuccess;
    std::vector<double> cur = s.getNumbers(p);
    if (cur.size() == 3 && cur[0] == v.x && cur[1] == v.y && cur[2] == v.z) return MStatus::kSuccess;
    return s.setNumbers(p, {v.x, v.y, v.z}, error);
}
}  // namespace

host::math::TransformComponents transformComponents(Node& n) {
    Scene& s = scene();
    host::math::TransformComponents c;
    if (!n.type->isTransform) return c;
    c.translate = vec(s, n, "translate");
    c.rotate = vec(s, n, "rotate");
    c.rotateOrder = static_cast<int>(s.getDouble(n.plug("rotateOrder")));
    c.scale = vec(s, n, "scale");
    c.shear = vec(s, n, "shear");
    c.rotatePivot = vec(s, n, "rotatePivot");
    c.rotatePivotTranslate = vec(s, n, "rotatePivotTranslate");
    c.scalePivot = vec(s, n, "scalePivot");
    c.scalePivotTranslate = vec(s, n, "scalePivotTranslate");
    c.rotateAxis = vec(s, n, "rotateAxis");
    if (n.hasFn(MFn::kJoint)) {
        c.jointOrient = vec(s, n, "jointOrient");
        c.segmentScaleCompensate = s.getDouble(n.plug("segmentScaleCompensate")) != 0;
        c.inverseParentScale = vec(s, n, "inverseScale");
    }
    return c;
}

MStatus setTransformComponents(Node& n, const host::math::TransformComponents& c, std::string* error) {
    Scene& s = scene();
    if (!n.type->isTransform) return MStatus::kInvalidParameter;
    MStatus st;
    for (auto [attr, v] : {std::pair<const char*, MVector>{"translate", c.translate}, {"rotate", c.rotate},
                           {"scale", c.scale}, {"shear", c.shear}}) {
        MStatus one = putVec(s, n, attr, v, error);
        if (one.error()) st = one;
    }
    return st;
}

Matrix4 localMatrix(Node& n) {
    if (!n.type->isTransform) return Matrix4();
    host::math::TransformComponents c = transformComponents(n);
    return fromMMatrix(n.hasFn(MFn::kJoint) ? host::math::composeJoint(c) : host::math::composeTransform(c));
}

MStatus Scene::setLocalMatrix(Node* n, const Matrix4& m) {
    if (!n || !n->type->isTransform) return MStatus::kInvalidParameter;
    host::math::TransformComponents c = transformComponents(*n);
    bool ok = n->hasFn(MFn::kJoint) ? host::math::decomposeJoint(toMMatrix(m), c)
                                    : host::math::decomposeTransform(toMMatrix(m), c);
    if (!ok) return MStatus::kFailure;
    return setTransformComponents(*n, c);
}

// ---------------------------------------------------------------- anim curves

AnimCurve readAnimCurve(Node& n) {
    Scene& s = scene();
    AnimCurve c;
    Plug ktv = n.plug("keyTimeValue");
    if (ktv.isNull()) return c;
    Attribute* kt = n.attribute("keyTime");
    Attribute* kv = n.attribute("keyValue");
    auto elem = [&](const char* attr, unsigned i, double def) {
        Plug p = n.plug(attr);
        if (p.isNull()) return def;
        Slot* sl = s.slot(p.element(i), false);
        if (!sl && s.sourceOf(p.element(i)).isNull()) return def;
        return s.getDouble(p.element(i));
    };
    c.setWeighted(s.getDouble(n.plug("weightedTangents")) != 0);
    AnimCurve::InfinityType inf;
    if (infinityTypeFromCode(static_cast<int>(s.getDouble(n.plug("preInfinity"))), inf)) c.setPreInfinity(inf);
    if (infinityTypeFromCode(static_cast<int>(s.getDouble(n.plug("postInfinity"))), inf)) c.setPostInfinity(inf);
    for (unsigned i : s.logicalIndices(ktv)) {
        Plug e = ktv.element(i);
        AnimCurve::Key k;
        k.time = s.getDouble(e.child(kt));
        k.value = s.getDouble(e.child(kv));
        AnimCurve::TangentType t;
        if (tangentTypeFromFileCode(static_cast<int>(elem("keyTanInType", i, 0)), t)) k.inType = t;
        if (tangentTypeFromFileCode(static_cast<int>(elem("keyTanOutType", i, 0)), t)) k.outType = t;
        k.inX = elem("keyTanInX", i, k.inX);
        k.inY = elem("keyTanInY", i, k.inY);
        k.outX = elem("keyTanOutX", i, k.outX);
        k.outY = elem("keyTanOutY", i, k.outY);
        k.tangentsLocked = elem("keyTanLocked", i, 1) != 0;
        k.weightsLocked = elem("keyWeightLocked", i, 1) != 0;
        k.breakdown = elem("keyBreakdown", i, 0) != 0;
        c.addKey(k);
    }
    return c;
}

MStatus writeAnimCurve(Node& n, const AnimCurve& c) {
    Scene& s = scene();
    Plug ktv = n.plug("keyTimeValue");
    if (ktv.isNull()) return MStatus::kInvalidParameter;
    const char* arrays[] = {"keyTimeValue", "keyTanInType", "keyTanOutType", "keyTanInX", "keyTanInY",
                            "keyTanOutX", "keyTanOutY", "keyTanLocked", "keyWeightLocked", "keyBreakdown"};
    for (const char* a : arrays)
        if (Slot* sl = s.slot(n.plug(a), true)) sl->elements.clear();
    Attribute* kt = n.attribute("keyTime");
    Attribute* kv = n.attribute("keyValue");
    MStatus st;
    for (unsigned i = 0; i < c.numKeys(); ++i) {
        const AnimCurve::Key& k = c.key(i);
        Plug e = ktv.element(i);
        auto put = [&](const Plug& p, double v) {
            MStatus one = s.set(p, Value(v), nullptr, true);
            if (one.error()) st = one;
        };
        put(e.child(kt), k.time);
        put(e.child(kv), k.value);
        put(n.plug("keyTanInType").element(i), tangentTypeFileCode(k.inType));
        put(n.plug("keyTanOutType").element(i), tangentTypeFileCode(k.outType));
        put(n.plug("keyTanInX").element(i), k.inX);
        put(n.plug("keyTanInY").element(i), k.inY);
        put(n.plug("keyTanOutX").element(i), k.outX);
        put(n.plug("keyTanOutY").element(i), k.outY);
        put(n.plug("keyTanLocked").element(i), k.tangentsLocked ? 1 : 0);
        put(n.plug("keyWeightLocked").element(i), k.weightsLocked ? 1 : 0);
        put(n.plug("keyBreakdown").element(i), k.breakdown ? 1 : 0);
    }
    s.set(n.plug("weightedTangents"), Value(c.isWeighted() ? 1.0 : 0.0), nullptr, true);
    s.set(n.plug("preInfinity"), Value(static_cast<double>(c.preInfinity())), nullptr, true);
    s.set(n.plug("postInfinity"), Value(static_cast<double>(c.postInfinity())), nullptr, true);
    return st;
}

MStatus computeAnimCurve(Node& n, const Plug& p) {
    Scene& s = scene();
    Plug in = n.plug("input");
    // An unconnected time input follows the scene's current time.
    double x = s.sourceOf(in).isNull() && n.attribute("input")->unit == UnitType::kTime ? s.currentTime()
                                                                                           : s.getDouble(in);
    AnimCurve c = readAnimCurve(n);
    double v = c.numKeys() ? c.evaluate(x) : 0.0;
    s.setComputed(n.plug("output"), v);
    return MStatus::kSuccess;
}

}  // namespace host::scene
