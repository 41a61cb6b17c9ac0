#include <maya/MAngle.h>
#include <maya/MDistance.h>
#include <maya/MIntArray.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MTime.h>

#include "api/core/core_util.h"

using namespace host::api;
using host::scene::Plug;
using host::scene::scene;

MPlug::MPlug() = default;
MPlug::MPlug(const MPlug&) = default;
MPlug& MPlug::operator=(const MPlug&) = default;
MPlug::~MPlug() = default;

MPlug::MPlug(const host::scene::Plug& p) {
    if (p.isNull()) return;
    node_ = scene().ptr(p.node);
    path_ = std::make_shared<std::vector<host::scene::PlugElem>>(p.path);
}

MPlug::MPlug(const MObject& node, const MObject& attribute) {
    Node* n = nodeOf(node);
    host::scene::Attribute* a = attrOf(attribute);
    if (!n || !a) return;
    *this = MPlug(n->plug(a));
}

host::scene::Plug MPlug::plug() const {
    Plug p;
    if (!node_ || !node_->alive() || !path_) return p;
    p.node = node_.get();
    p.path = *path_;
    return p;
}

namespace {
bool ok(MStatus* status, bool cond) {
    setStatus(status, cond);
    return cond;
}
}  // namespace

bool MPlug::isNull(MStatus* status) const {
    setStatus(status, true);
    return plug().isNull();
}

MObject MPlug::attribute(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull())) return MObject();
    return objectOf(p.attr());
}

MObject MPlug::node(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull())) return MObject();
    return objectOf(p.node);
}

MString MPlug::name(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull())) return MString();
    return MString(p.name(false, false, true));
}

MString MPlug::partialName(bool includeNodeName, bool, bool, bool, bool, bool useLongNames, MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull())) return MString();
    return MString(p.name(useLongNames, false, includeNodeName));
}

bool MPlug::isArray(MStatus* status) const { Plug p = plug(); ok(status, !p.isNull()); return p.isArray(); }
bool MPlug::isElement(MStatus* status) const { Plug p = plug(); ok(status, !p.isNull()); return p.isElement(); }
bool MPlug::isCompound(MStatus* status) const { Plug p = plug(); ok(status, !p.isNull()); return !p.isNull() && p.isCompound(); }
bool MPlug::isChild(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && p.attr()->parent != nullptr;
}
bool MPlug::isDynamic(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && p.path.front().attr->dynamic;
}
bool MPlug::isNetworked(MStatus* status) const { return isConnected(status); }
bool MPlug::isFreeToChange(bool, bool, MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && !scene().isLocked(p) && scene().sourceOf(p).isNull();
}

unsigned int MPlug::logicalIndex(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, p.isElement())) return 0;
    return static_cast<unsigned int>(p.path.back().index);
}

unsigned int MPlug::numElements(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, p.isArray())) return 0;
    return static_cast<unsigned int>(scene().logicalIndices(p).size());
}

unsigned int MPlug::numConnectedElements(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, p.isArray())) return 0;
    unsigned n = 0;
    for (unsigned i : scene().logicalIndices(p)) {
        Plug e = p.element(i);
        if (!scene().connections(e, true, true, true).empty()) ++n;
    }
    return n;
}

unsigned int MPlug::numChildren(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull())) return 0;
    return static_cast<unsigned int>(p.attr()->children.size());
}

unsigned int MPlug::numConnectedChildren(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull())) return 0;
    unsigned n = 0;
    for (unsigned i = 0; i < p.attr()->children.size(); ++i)
        if (!scene().connections(p.child(i), true, true, true).empty()) ++n;
    return n;
}

MPlug MPlug::elementByLogicalIndex(unsigned int logicalIndex, MStatus* status) const {
    Plug p = plug();
    if (!ok(status, p.isArray())) return MPlug();
    return MPlug(p.element(logicalIndex));
}

MPlug MPlug::elementByPhysicalIndex(unsigned int physicalIndex, MStatus* status) const {
    Plug p = plug();
    if (!p.isArray()) {
        setStatus(status, false);
        return MPlug();
    }
    auto idx = scene().logicalIndices(p);
    if (!ok(status, physicalIndex < idx.size())) return MPlug();
    return MPlug(p.element(idx[physicalIndex]));
}

unsigned int MPlug::getExistingArrayAttributeIndices(MIntArray& indices, MStatus* status) const {
    indices.clear();
    Plug p = plug();
    if (!ok(status, p.isArray())) return 0;
    for (unsigned i : scene().logicalIndices(p)) indices.append(static_cast<int>(i));
    return indices.length();
}

MPlug MPlug::child(unsigned int index, MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull() && index < p.attr()->children.size())) return MPlug();
    return MPlug(p.child(index));
}

MPlug MPlug::child(const MObject& attr, MStatus* status) const {
    Plug p = plug();
    host::scene::Attribute* a = attrOf(attr);
    if (!ok(status, !p.isNull() && a && a->parent == p.attr())) return MPlug();
    return MPlug(p.child(a));
}

MPlug MPlug::parent(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull() && p.attr()->parent)) return MPlug();
    return MPlug(p.parentPlug());
}

MPlug MPlug::array(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, p.isElement())) return MPlug();
    return MPlug(p.arrayPlug());
}

MStatus MPlug::selectAncestorLogicalIndex(unsigned int index, const MObject& attr) {
    Plug p = plug();
    if (p.isNull()) return MStatus::kFailure;
    host::scene::Attribute* want = attrOf(attr);
    for (auto& e : p.path) {
        if (e.attr->array && (!want || e.attr == want)) {
            e.index = static_cast<int>(index);
            *this = MPlug(p);
            return MStatus::kSuccess;
        }
    }
    return MStatus::kFailure;
}

bool MPlug::isConnected(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && !scene().connections(p, true, true, false).empty();
}

bool MPlug::isDestination(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && !scene().sourceOf(p).isNull();
}

bool MPlug::isSource(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && !scene().destinationsOf(p).empty();
}

bool MPlug::connectedTo(MPlugArray& plugs, bool asDst, bool asSrc, MStatus* status) const {
    plugs.clear();
    Plug p = plug();
    if (!ok(status, !p.isNull())) return false;
    if (asDst) {
        Plug src = scene().sourceOf(p);
        if (!src.isNull()) plugs.append(MPlug(src));
    }
    if (asSrc)
        for (const Plug& d : scene().destinationsOf(p)) plugs.append(MPlug(d));
    return plugs.length() > 0;
}

MPlug MPlug::source(MStatus* status) const {
    Plug p = plug();
    if (!ok(status, !p.isNull())) return MPlug();
    Plug src = scene().sourceOf(p);
    return src.isNull() ? MPlug() : MPlug(src);
}

bool MPlug::destinations(MPlugArray& plugs, MStatus* status) const { return connectedTo(plugs, false, true, status); }

bool MPlug::isLocked(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && scene().isLocked(p);
}

MStatus MPlug::setLocked(bool locked) {
    Plug p = plug();
    if (p.isNull()) return MStatus::kFailure;
    return scene().setLocked(p, locked);
}

bool MPlug::isKeyable(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && p.attr()->keyable;
}
MStatus MPlug::setKeyable(bool keyable) {
    Plug p = plug();
    if (p.isNull()) return MStatus::kFailure;
    p.attr()->keyable = keyable;
    return MStatus::kSuccess;
}
bool MPlug::isChannelBoxFlagSet(MStatus* status) const {
    Plug p = plug();
    ok(status, !p.isNull());
    return !p.isNull() && p.attr()->channelBox;
}
MStatus MPlug::setChannelBox(bool on) {
    Plug p = plug();
    if (p.isNull()) return MStatus::kFailure;
    p.attr()->channelBox = on;
    return MStatus::kSuccess;
}

namespace {
MStatus getNumber(const MPlug& mp, double& v) {
    Plug p = mp.plug();
    if (p.isNull()) return MStatus::kFailure;
    host::scene::Value val = scene().get(p);
    if (const double* d = std::get_if<double>(&val)) {
        v = *d;
        return MStatus::kSuccess;
    }
    return MStatus::kInvalidParameter;
}
MStatus setNumber(const MPlug& mp, double v) {
    Plug p = mp.plug();
    if (p.isNull()) return MStatus::kFailure;
    std::string error;
    return scene().setDouble(p, v, &error);
}
}  // namespace

MStatus MPlug::getValue(bool& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = d != 0; return s; }
MStatus MPlug::getValue(char& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = static_cast<char>(d); return s; }
MStatus MPlug::getValue(short& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = static_cast<short>(d); return s; }
MStatus MPlug::getValue(int& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = static_cast<int>(d); return s; }
MStatus MPlug::getValue(float& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = static_cast<float>(d); return s; }
MStatus MPlug::getValue(double& v) const { return getNumber(*this, v); }
MStatus MPlug::getValue(MString& v) const {
    Plug p = plug();
    if (p.isNull()) return MStatus::kFailure;
    v = MString(scene().getString(p));
    return MStatus::kSuccess;
}
MStatus MPlug::getValue(MObject& v) const {
    Plug p = plug();
    if (p.isNull()) return MStatus::kFailure;
    host::scene::DataPtr d = scene().getData(p);
    if (!d) return MStatus::kFailure;
    v = MObject(std::static_pointer_cast<host::scene::Object>(d));
    return MStatus::kSuccess;
}
MStatus MPlug::getValue(MTime& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = MTime(d, MTime::kSeconds); return s; }
MStatus MPlug::getValue(MAngle& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = MAngle(d, MAngle::kRadians); return s; }
MStatus MPlug::getValue(MDistance& v) const { double d = 0; MStatus s = getNumber(*this, d); if (s) v = MDistance(d, MDistance::kCentimeters); return s; }

MStatus MPlug::setValue(bool v) { return setNumber(*this, v ? 1.0 : 0.0); }
MStatus MPlug::setValue(char v) { return setNumber(*this, v); }
MStatus MPlug::setValue(short v) { return setNumber(*this, v); }
MStatus MPlug::setValue(int v) { return setNumber(*this, v); }
MStatus MPlug::setValue(float v) { return setNumber(*this, v); }
MStatus MPlug::setValue(double v) { return setNumber(*this, v); }
MStatus MPlug::setValue(const MString& v) {
    Plug p = plug();
    if (p.isNull()) return MStatus::kFailure;
    std::string error;
    return scene().setString(p, v.str(), &error);
}
MStatus MPlug::setValue(const MObject& v) {
    Plug p = plug();
    auto d = std::dynamic_pointer_cast<host::scene::TypedData>(v.object());
    if (p.isNull() || !d) return MStatus::kFailure;
    std::string error;
    return scene().setData(p, d, &error);
}
MStatus MPlug::setValue(const MTime& v) { return setNumber(*this, v.as(MTime::kSeconds)); }
MStatus MPlug::setValue(const MAngle& v) { return setNumber(*this, v.as(MAngle::kRadians)); }
MStatus MPlug::setValue(const MDistance& v) { return setNumber(*this, v.as(MDistance::kCentimeters)); }

bool MPlug::asBool(MStatus* status) const { bool v = false; MStatus s = getValue(v); if (status) *status = s; return v; }
char MPlug::asChar(MStatus* status) const { char v = 0; MStatus s = getValue(v); if (status) *status = s; return v; }
short MPlug::asShort(MStatus* status) const { short v = 0; MStatus s = getValue(v); if (status) *status = s; return v; }
int MPlug::asInt(MStatus* status) const { int v = 0; MStatus s = getValue(v); if (status) *status = s; return v; }
float MPlug::asFloat(MStatus* status) const { float v = 0; MStatus s = getValue(v); if (status) *status = s; return v; }
double MPlug::asDouble(MStatus* status) const { double v = 0; MStatus s = getValue(v); if (status) *status = s; return v; }
MString MPlug::asString(MStatus* status) const { MString v; MStatus s = getValue(v); if (status) *status = s; return v; }
MObject MPlug::asMObject(MStatus* status) const { MObject v; MStatus s = getValue(v); if (status) *status = s; return v; }
MTime MPlug::asMTime(MStatus* status) const { MTime v; MStatus s = getValue(v); if (status) *status = s; return v; }
MAngle MPlug::asMAngle(MStatus* status) const { MAngle v; MStatus s = getValue(v); if (status) *status = s; return v; }
MDistance MPlug::asMDistance(MStatus* status) const { MDistance v; MStatus s = getValue(v); if (status) *status = s; return v; }

bool MPlug::operator==(const MPlug& o) const { return plug() == o.plug(); }
