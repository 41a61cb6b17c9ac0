#include "api/render/render_access.h"

namespace host::render_api {

using host::scene::Plug;
using host::scene::scene;

double number(const MObject& o, const char* attr, bool& ok) {
    Node* n = nodeOf(o);
    Plug p = n ? n->plug(attr) : Plug();
    ok = !p.isNull();
    return ok ? scene().getDouble(p) : 0.0;
}

MStatus setNumber(const MObject& o, const char* attr, double v) {
    Node* n = nodeOf(o);
    Plug p = n ? n->plug(attr) : Plug();
    if (p.isNull()) return MStatus::kFailure;
    return scene().setDouble(p, v);
}

MColor color(const MObject& o, const char* attr, bool& ok) {
    Node* n = nodeOf(o);
    Plug p = n ? n->plug(attr) : Plug();
    ok = !p.isNull() && p.attr()->children.size() >= 3;
    if (!ok) return MColor();
    std::vector<double> v = scene().getNumbers(p);
    return MColor(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

MStatus setColor(const MObject& o, const char* attr, const MColor& c) {
    Node* n = nodeOf(o);
    Plug p = n ? n->plug(attr) : Plug();
    if (p.isNull() || p.attr()->children.size() < 3) return MStatus::kFailure;
    return scene().setNumbers(p, {c.r, c.g, c.b});
}

MObject createShape(const char* typeName, const MObject& parent, MStatus* st) {
    Node* p = nodeOf(parent);
    if (!parent.isNull() && (!p || !p->isDag())) return ret(st, false, MObject());
    std::string err;
    Node* n = scene().createNode(typeName, "", p, &err);
    if (!n) return ret(st, false, MObject());
    // Without a parent the host makes a transform for the shape and returns that.
    if (!p && n->parent) return ret(st, true, objOf(n->parent));
    return ret(st, true, objOf(n));
}

Node* transformOf(Node* shape) { return shape ? shape->parent : nullptr; }

}  // namespace host::render_api
