#include <maya/MDataBlock.h>
#include <maya/MDataHandle.h>
#include <maya/MPlug.h>

#include "api/core/core_util.h"

using namespace host::api;
using host::scene::Plug;
using host::scene::scene;

MDataHandle::MDataHandle(const MPlug& plug) {
    Plug p = plug.plug();
    if (p.isNull()) return;
    node_ = scene().ptr(p.node);
    path_ = std::make_shared<std::vector<host::scene::PlugElem>>(p.path);
}

namespace {
Plug plugOf(const std::shared_ptr<Node>& n, const std::shared_ptr<std::vector<host::scene::PlugElem>>& path) {
    Plug p;
    if (!n || !n->alive() || !path) return p;
    p.node = n.get();
    p.path = *path;
    return p;
}
}  // namespace

bool MDataHandle::isNull() const { return plugOf(node_, path_).isNull(); }
MObject MDataHandle::attribute() const { return objectOf(plugOf(node_, path_).attr()); }

// Inputs are read through the scene, so connected inputs give their source's value.
double MDataHandle::asDouble() const {
    Plug p = plugOf(node_, path_);
    return p.isNull() ? 0.0 : scene().getDouble(p);
}
bool MDataHandle::asBool() const { return asDouble() != 0.0; }
char MDataHandle::asChar() const { return static_cast<char>(asDouble()); }
short MDataHandle::asShort() const { return static_cast<short>(asDouble()); }
int MDataHandle::asInt() const { return static_cast<int>(asDouble()); }
float MDataHandle::asFloat() const { return static_cast<float>(asDouble()); }
MString MDataHandle::asString() const {
    Plug p = plugOf(node_, path_);
    return p.isNull() ? MString() : MString(scene().getString(p));
}
MObject MDataHandle::data() const {
    Plug p = plugOf(node_, path_);
    if (p.isNull()) return MObject();
    host::scene::DataPtr d = scene().getData(p);
    return d ? MObject(std::static_pointer_cast<host::scene::Object>(d)) : MObject();
}
MDataHandle MDataHandle::child(const MObject& attr) const {
    Plug p = plugOf(node_, path_);
    host::scene::Attribute* a = attrOf(attr);
    if (p.isNull() || !a) return MDataHandle();
    return MDataHandle(MPlug(p.child(a)));
}

// Outputs are stored as computed values: clean until an input changes.
void MDataHandle::set(double v) {
    Plug p = plugOf(node_, path_);
    if (!p.isNull()) scene().setComputed(p, host::scene::Value(v));
}
void MDataHandle::set(bool v) { set(v ? 1.0 : 0.0); }
void MDataHandle::set(char v) { set(static_cast<double>(v)); }
void MDataHandle::set(short v) { set(static_cast<double>(v)); }
void MDataHandle::set(int v) { set(static_cast<double>(v)); }
void MDataHandle::set(float v) { set(static_cast<double>(v)); }
void MDataHandle::set(const MString& v) {
    Plug p = plugOf(node_, path_);
    if (!p.isNull()) scene().setComputed(p, host::scene::Value(v.str()));
}
void MDataHandle::set(double x, double y, double z) {
    Plug p = plugOf(node_, path_);
    if (p.isNull() || p.attr()->children.size() < 3) return;
    const double v[3] = {x, y, z};
    for (unsigned i = 0; i < 3; ++i) scene().setComputed(p.child(i), host::scene::Value(v[i]));
}
MStatus MDataHandle::set(const MObject& data) {
    Plug p = plugOf(node_, path_);
    auto d = std::dynamic_pointer_cast<host::scene::TypedData>(data.object());
    if (p.isNull() || !d) return MStatus::kFailure;
    scene().setComputed(p, host::scene::Value(host::scene::DataPtr(d)));
    return MStatus::kSuccess;
}
void MDataHandle::setClean() {}

MDataHandle MDataBlock::inputValue(const MPlug& plug, MStatus* status) {
    setStatus(status, !plug.isNull());
    return MDataHandle(plug);
}
MDataHandle MDataBlock::inputValue(const MObject& attribute, MStatus* status) {
    host::scene::Attribute* a = attrOf(attribute);
    if (!node_ || !a) {
        setStatus(status, false);
        return MDataHandle();
    }
    return inputValue(MPlug(node_->plug(a)), status);
}
MDataHandle MDataBlock::outputValue(const MPlug& plug, MStatus* status) { return inputValue(plug, status); }
MDataHandle MDataBlock::outputValue(const MObject& attribute, MStatus* status) { return inputValue(attribute, status); }
MStatus MDataBlock::setClean(const MPlug&) { return MStatus::kSuccess; }
MStatus MDataBlock::setClean(const MObject&) { return MStatus::kSuccess; }
