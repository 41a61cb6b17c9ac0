#include "api/fn/xform_access.h"

#include <maya/MSpace.h>

#include "scene/core/eval.h"

#include <string>

namespace host::api {

using scene::Node;
using scene::Scene;

Node* transformNode(const MObject& o) {
    auto n = std::dynamic_pointer_cast<Node>(o.object());
    if (!n || n->deleted || !n->type->isTransform) return nullptr;
    return n.get();
}

bool isJoint(const Node& n) { return n.hasFn(MFn::kJoint); }

math::TransformComponents readComponents(Node& n) { return scene::transformComponents(n); }

namespace {

MStatus putVec(Scene& s, Node& n, const char* attr, const MVector& v) {
    scene::Plug p = n.plug(attr);
    if (p.isNull()) return MStatus::kSuccess;
    std::vector<double> cur = s.getNumbers(p);
    if (cur.size() == 3 && cur[0] == v.x && cur[1] == v.y && cur[2] == v.z) return MStatus::kSuccess;
    return s.setNumbers(p, {v.x, v.y, v.z});
}

}  // namespace

MStatus writeComponents(Node& n, const math::TransformComponents& c) {
    Scene& s = scene::scene();
    if (!n.type->isTransform) return MStatus::kInvalidParameter;
    const std::pair<const char*, MVector> vecs[] = {
        {"translate", c.translate},
        {"rotate", c.rotate},
        {"scale", c.scale},
        {"shear", c.shear},
        {"rotatePivot", c.rotatePivot},
        {"rotatePivotTranslate", c.rotatePivotTranslate},
        {"scalePivot", c.scalePivot},
        {"scalePivotTranslate", c.scalePivotTranslate},
        {"rotateAxis", c.rotateAxis},
    };
    // Every channel is attempted; the first failure is what the caller sees.
    MStatus result;
    auto keep = [&](MStatus st) {
        if (st.error() && !result.error()) result = st;
    };
    for (const auto& [attr, v] : vecs) keep(putVec(s, n, attr, v));
    scene::Plug order = n.plug("rotateOrder");
    if (!order.isNull() && static_cast<int>(s.getDouble(order)) != c.rotateOrder)
        keep(s.setDouble(order, c.rotateOrder));
    if (isJoint(n)) {
        keep(putVec(s, n, "jointOrient", c.jointOrient));
        scene::Plug ssc = n.plug("segmentScaleCompensate");
        if (!ssc.isNull() && (s.getDouble(ssc) != 0) != c.segmentScaleCompensate)
            keep(s.setDouble(ssc, c.segmentScaleCompensate ? 1 : 0));
    }
    return result;
}

MMatrix localMatrixOf(const Node& n, const math::TransformComponents& c) {
    return isJoint(n) ? math::composeJoint(c) : math::composeTransform(c);
}

MMatrix parentWorldMatrix(const Node& n) {
    Node* p = n.parent;
    if (!p || !p->type->isTransform) return MMatrix();
    return scene::toMMatrix(scene::scene().getMatrix(p->plug("worldMatrix").element(0)));
}

MMatrix rotationPart(const MMatrix& m) {
    MVector s, sh;
    MMatrix q;
    if (!math::splitScaleShearRotation(m, s, sh, q)) return MMatrix();
    // A mirror is carried by the scale; the rotation stays proper.
    return q;
}

bool validSpace(int space) { return space > MSpace::kInvalid && space < MSpace::kLast; }

}  // namespace host::api
