// MObject, MPlug, MPxNode and the data block over the scene.
#include <maya/MDataBlock.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MPxNode.h>
#include <maya/MFnBase.h>

#include "scene/core/scene.h"

using namespace host::scene;

const char* MFn::typeName(Type t) {
    static const char* names[] = {
#define VL2_MFN_NAME(n) #n,
        VL2_MFN_TYPES(VL2_MFN_NAME)
#undef VL2_MFN_NAME
    };
    return t >= 0 && t <= kLast ? names[t] : "kInvalid";
}

const MObject MObject::kNullObj;

bool MObject::isNull() const { return !p_ || !p_->alive(); }
bool MObject::hasFn(MFn::Type t) const { return !isNull() && p_->hasFn(t); }
MFn::Type MObject::apiType() const { return isNull() ? MFn::kInvalid : p_->apiType(); }
const char* MObject::apiTypeStr() const { return MFn::typeName(apiType()); }

MStatus MFnBase::setObject(const MObject& o) {
    if (!o.hasFn(type())) {
        obj_ = MObject();
        return MStatus::kInvalidParameter;
    }
    obj_ = o;
    return MStatus::kSuccess;
}

// ---------------------------------------------------------------- MPxNode

MObject MPxNode::message, MPxNode::isHistoricallyInteresting, MPxNode::caching, MPxNode::state;

MPxNode::MPxNode() = default;
MPxNode::~MPxNode() = default;
MStatus MPxNode::compute(const MPlug&, MDataBlock&) { return MStatus::kUnknownParameter; }
bool MPxNode::getInternalValue(const MPlug&, MDataHandle&) { return false; }
bool MPxNode::setInternalValue(const MPlug&, const MDataHandle&) { return false; }
MStatus MPxNode::connectionMade(const MPlug&, const MPlug&, bool) { return MStatus::kUnknownParameter; }
MStatus MPxNode::connectionBroken(const MPlug&, const MPlug&, bool) { return MStatus::kUnknownParameter; }
MObject MPxNode::thisMObject() const { return node_ && !node_->deleted ? MObject(scene().ptr(node_)) : MObject(); }
MTypeId MPxNode::typeId() const { return node_ ? MTypeId(node_->type->id) : MTypeId(); }
MString MPxNode::typeName() const { return node_ ? MString(node_->type->name) : MString(); }
MString MPxNode::name() const { return node_ ? MString(node_->name) : MString(); }
MDataBlock MPxNode::forceCache() { return MDataBlock(node_); }

MStatus MPxNode::addAttribute(const MObject& attr) {
    NodeType* t = scene().initializingType();
    auto a = std::dynamic_pointer_cast<Attribute>(attr.object());
    if (!t || !a) return MStatus::kFailure;
    return t->addAttribute(a);
}

MStatus MPxNode::attributeAffects(const MObject& whenChanges, const MObject& isAffected) {
    auto i = std::dynamic_pointer_cast<Attribute>(whenChanges.object());
    auto o = std::dynamic_pointer_cast<Attribute>(isAffected.object());
    if (!scene().initializingType() || !i || !o) return MStatus::kFailure;
    i->affects.push_back(o.get());
    o->affectedBy.push_back(i.get());
    o->computed = true;
    return MStatus::kSuccess;
}

MStatus MPxNode::inheritAttributesFrom(const MString&) { return MStatus::kNotImplemented; }

// ---------------------------------------------------------------- MPlug

MPlug::MPlug() = default;
MPlug::MPlug(const MPlug&) = default;
MPlug& MPlug::operator=(const MPlug&) = default;
MPlug::~MPlug() = default;

MPlug::MPlug(const Plug& p) {
    if (p.isNull()) return;
    node_ = scene().ptr(p.node);
    path_ = std::make_shared<std::vector<PlugElem>>(p.path);
}

MPlug::MPlug(const MObject& node, const MObject& attribute) {
    auto n = std::dynamic_pointer_cast<Node>(node.object());
    auto a = std::dynamic_pointer_cast<Attribute>(attribute.object());
    if (!n || !a || n->deleted) return;
    Plug p = n->plug(a.get());
    if (p.isNull()) return;
    node_ = n;
    path_ = std::make_shared<std::vector<PlugElem>>(p.path);
}

Plug MPlug::plug() const {
    if (!node_ || node_->deleted || !path_) return Plug();
    return Plug{node_.get(), *path_};
}

bool MPlug::isNull(MStatus* st) const {
    if (st) *st = MStatus::kSuccess;
    return plug().isNull();
}
MObject MPlug::attribute(MStatus* st) const {
    Plug p = plug();
    if (st) *st = p.isNull() ? MStatus::kFailure : MStatus::kSuccess;
    return p.isNull() ? MObject() : MObject(p.attr()->shared_from_this());
}
MObject MPlug::node(MStatus* st) const {
    Plug p = plug();
    if (st) *st = p.isNull() ? MStatus::kFailure : MStatus::kSuccess;
    return p.isNull() ? MObject() : MObject(node_);
}
MString MPlug::name(MStatus* st) const {
    if (st) *st = MStatus::kSuccess;
    return plug().name(true);  // the host names plugs with long attribute names here
}
MString MPlug::partialName(bool includeNodeName, bool, bool, bool, bool, bool useLongNames, MStatus* st) const {
    if (st) *st = MStatus::kSuccess;
    return plug().name(useLongNames, false, includeNodeName);
}
bool MPlug::isArray(MStatus*) const { return plug().isArray(); }
bool MPlug::isElement(MStatus*) const { return plug().isElement(); }
bool MPlug::isCompound(MStatus*) const { return plug().isCompound(); }
bool MPlug::isChild(MStatus*) const { Plug p = plug(); return p.path.size() > 1 && p.path.back().attr->parent; }
bool MPlug::isDynamic(MStatus*) const { Plug p = plug(); return !p.isNull() && p.attr()->dynamic; }
bool MPlug::isNetworked(MStatus*) const { return false; }
unsigned int MPlug::logicalIndex(MStatus* st) const {
    Plug p = plug();
    bool ok = p.isElement();
    if (st) *st = ok ? MStatus::kSuccess : MStatus::kFailure;
    return ok ? static_cast<unsigned>(p.path.back().index) : 0;
}
unsigned int MPlug::numElements(MStatus* st) const {
    Plug p = plug();
    if (st) *st = p.isArray() ? MStatus::kSuccess : MStatus::kFailure;
    return static_cast<unsigned>(scene().logicalIndices(p).size());
}
unsigned int MPlug::numChildren(MStatus*) const { Plug p = plug(); return p.isNull() ? 0 : static_cast<unsigned>(p.attr()->children.size()); }
MPlug MPlug::elementByLogicalIndex(unsigned int i, MStatus* st) const {
    Plug p = plug();
    if (!p.isArray()) { if (st) *st = MStatus::kFailure; return MPlug(); }
    if (st) *st = MStatus::kSuccess;
    return MPlug(p.element(i));
}
MPlug MPlug::elementByPhysicalIndex(unsigned int i, MStatus* st) const {
    Plug p = plug();
    std::vector<unsigned> idx = scene().logicalIndices(p);
    if (!p.isArray() || i >= idx.size()) { if (st) *st = MStatus::kFailure; return MPlug(); }
    if (st) *st = MStatus::kSuccess;
    return MPlug(p.element(idx[i]));
}
MPlug MPlug::child(unsigned int i, MStatus* st) const {
    Plug c = plug().child(i);
    if (st) *st = c.isNull() ? MStatus::kFailure : MStatus::kSuccess;
    return MPlug(c);
}
MPlug MPlug::child(const MObject& attr, MStatus* st) const {
    auto a = std::dynamic_pointer_cast<Attribute>(attr.object());
    Plug c = a ? plug().child(a.get()) : Plug();
    if (st) *st = c.isNull() ? MStatus::kFailure : MStatus::kSuccess;
    return MPlug(c);
}
MPlug MPlug::parent(MStatus* st) const {
    Plug p = plug();
    if (p.path.size() < 2) { if (st) *st = MStatus::kFailure; return MPlug(); }
    if (st) *st = MStatus::kSuccess;
    return MPlug(p.parentPlug());
}
MPlug MPlug::array(MStatus* st) const {
    Plug p = plug();
    if (!p.isElement()) { if (st) *st = MStatus::kFailure; return MPlug(); }
    if (st) *st = MStatus::kSuccess;
    return MPlug(p.arrayPlug());
}
bool MPlug::isConnected(MStatus*) const { return isSource() || isDestination(); }
bool MPlug::isDestination(MStatus*) const { return !scene().sourceOf(plug()).isNull(); }
bool MPlug::isSource(MStatus*) const { return !scene().destinationsOf(plug()).empty(); }
bool MPlug::connectedTo(MPlugArray& out, bool asDst, bool asSrc, MStatus* st) const {
    out.clear();
    Plug p = plug();
    if (asDst) { Plug s = scene().sourceOf(p); if (!s.isNull()) out.append(MPlug(s)); }
    if (asSrc) for (const Plug& d : scene().destinationsOf(p)) out.append(MPlug(d));
    if (st) *st = MStatus::kSuccess;
    return out.length() > 0;
}
MPlug MPlug::source(MStatus* st) const { if (st) *st = MStatus::kSuccess; return MPlug(scene().sourceOf(plug())); }
bool MPlug::destinations(MPlugArray& out, MStatus* st) const { return connectedTo(out, false, true, st); }
bool MPlug::isLocked(MStatus*) const { return scene().isLocked(plug()); }
MStatus MPlug::setLocked(bool on) { return scene().setLocked(plug(), on); }
bool MPlug::isKeyable(MStatus*) const { Plug p = plug(); return !p.isNull() && p.attr()->keyable; }

static MStatus setNum(const MPlug& m, double v) { return scene().setDouble(m.plug(), v); }
MStatus MPlug::setValue(bool v) { return setNum(*this, v ? 1 : 0); }
MStatus MPlug::setValue(char v) { return setNum(*this, v); }
MStatus MPlug::setValue(short v) { return setNum(*this, v); }
MStatus MPlug::setValue(int v) { return setNum(*this, v); }
MStatus MPlug::setValue(float v) { return setNum(*this, v); }
MStatus MPlug::setValue(double v) { return setNum(*this, v); }
MStatus MPlug::setValue(const MString& v) { return scene().setString(plug(), v.str()); }
MStatus MPlug::setValue(const MObject& v) {
    auto d = std::dynamic_pointer_cast<TypedData>(v.object());
    if (!d) return MStatus::kInvalidParameter;
    return scene().setData(plug(), d->clone());
}
static bool numeric(const Plug& p) { return !p.isNull() && p.attr()->isScalarNumeric(); }
MStatus MPlug::getValue(bool& v) const { v = asBool(); return numeric(plug()) ? MStatus::kSuccess : MStatus::kFailure; }
MStatus MPlug::getValue(char& v) const { v = asChar(); return numeric(plug()) ? MStatus::kSuccess : MStatus::kFailure; }
MStatus MPlug::getValue(short& v) const { v = asShort(); return numeric(plug()) ? MStatus::kSuccess : MStatus::kFailure; }
MStatus MPlug::getValue(int& v) const { v = asInt(); return numeric(plug()) ? MStatus::kSuccess : MStatus::kFailure; }
MStatus MPlug::getValue(float& v) const { v = asFloat(); return numeric(plug()) ? MStatus::kSuccess : MStatus::kFailure; }
MStatus MPlug::getValue(double& v) const { v = asDouble(); return numeric(plug()) ? MStatus::kSuccess : MStatus::kFailure; }
MStatus MPlug::getValue(MString& v) const { v = asString(); return plug().isNull() ? MStatus::kFailure : MStatus::kSuccess; }
MStatus MPlug::getValue(MObject& v) const { v = asMObject(); return v.isNull() ? MStatus::kFailure : MStatus::kSuccess; }
bool MPlug::asBool(MStatus* st) const { return asDouble(st) != 0; }
char MPlug::asChar(MStatus* st) const { return static_cast<char>(asDouble(st)); }
short MPlug::asShort(MStatus* st) const { return static_cast<short>(asDouble(st)); }
int MPlug::asInt(MStatus* st) const { return static_cast<int>(asDouble(st)); }
float MPlug::asFloat(MStatus* st) const { return static_cast<float>(asDouble(st)); }
double MPlug::asDouble(MStatus* st) const {
    Plug p = plug();
    if (st) *st = numeric(p) ? MStatus::kSuccess : MStatus::kFailure;
    return scene().getDouble(p);
}
MString MPlug::asString(MStatus* st) const { if (st) *st = MStatus::kSuccess; return scene().getString(plug()); }
MObject MPlug::asMObject(MStatus* st) const {
    DataPtr d = scene().getData(plug());
    if (st) *st = d ? MStatus::kSuccess : MStatus::kFailure;
    return d ? MObject(d) : MObject();
}
bool MPlug::operator==(const MPlug& o) const { return plug() == o.plug(); }

// ---------------------------------------------------------------- data block

struct MDataHandle::Impl {
    Plug plug;
    bool output = false;
};
MDataHandle::MDataHandle() : d_(std::make_shared<Impl>()) {}
MDataHandle::MDataHandle(const MDataHandle&) = default;
MDataHandle& MDataHandle::operator=(const MDataHandle&) = default;
MDataHandle::~MDataHandle() = default;
MDataHandle::MDataHandle(const Plug& p, bool output) : d_(std::make_shared<Impl>()) {
    d_->plug = p;
    d_->output = output;
}
Plug MDataHandle::plug() const { return d_->plug; }
bool MDataHandle::isNumeric() const { return numeric(d_->plug); }
MObject MDataHandle::attribute() { return d_->plug.isNull() ? MObject() : MObject(d_->plug.attr()->shared_from_this()); }
bool MDataHandle::asBool() const { return asDouble() != 0; }
char MDataHandle::asChar() const { return static_cast<char>(asDouble()); }
unsigned char MDataHandle::asUChar() const { return static_cast<unsigned char>(asDouble()); }
short MDataHandle::asShort() const { return static_cast<short>(asDouble()); }
int MDataHandle::asInt() const { return static_cast<int>(asDouble()); }
float MDataHandle::asFloat() const { return static_cast<float>(asDouble()); }
double MDataHandle::asDouble() const { return scene().getDouble(d_->plug); }
MString MDataHandle::asString() const { return scene().getString(d_->plug); }
MObject MDataHandle::data() const { DataPtr d = scene().getData(d_->plug); return d ? MObject(d) : MObject(); }
MVector MDataHandle::asVector() const {
    std::vector<double> v = scene().getNumbers(d_->plug);
    v.resize(3, 0.0);
    return MVector(v[0], v[1], v[2]);
}
MDataHandle MDataHandle::child(const MObject& attr) {
    auto a = std::dynamic_pointer_cast<Attribute>(attr.object());
    return MDataHandle(a ? d_->plug.child(a.get()) : Plug(), d_->output);
}
void MDataHandle::setNumber(double v) { scene().setComputed(d_->plug, v); }
void MDataHandle::setNumbers(std::initializer_list<double> v) {
    unsigned i = 0;
    for (double x : v) scene().setComputed(d_->plug.child(i++), x);
}
void MDataHandle::set(bool v) { setNumber(v ? 1 : 0); }
void MDataHandle::set(char v) { setNumber(v); }
void MDataHandle::set(short v) { setNumber(v); }
void MDataHandle::set(int v) { setNumber(v); }
void MDataHandle::set(float v) { setNumber(v); }
void MDataHandle::set(double v) { setNumber(v); }
void MDataHandle::set(const MString& v) { scene().setComputed(d_->plug, v.str()); }
void MDataHandle::set(const MVector& v) { setNumbers({v.x, v.y, v.z}); }
MStatus MDataHandle::set(const MObject& data) {
    auto d = std::dynamic_pointer_cast<TypedData>(data.object());
    if (!d) return MStatus::kInvalidParameter;
    scene().setComputed(d_->plug, DataPtr(d));
    return MStatus::kSuccess;
}
void MDataHandle::set2Double(double a, double b) { setNumbers({a, b}); }
void MDataHandle::set3Double(double a, double b, double c) { setNumbers({a, b, c}); }
void MDataHandle::set2Float(float a, float b) { setNumbers({a, b}); }
void MDataHandle::set3Float(float a, float b, float c) { setNumbers({a, b, c}); }
void MDataHandle::set3Int(int a, int b, int c) { setNumbers({double(a), double(b), double(c)}); }
void MDataHandle::setClean() {}

static Plug blockPlug(Node* n, const MObject& attr) {
    auto a = std::dynamic_pointer_cast<Attribute>(attr.object());
    return n && a ? n->plug(a.get()) : Plug();
}
MDataHandle MDataBlock::inputValue(const MPlug& p, MStatus* st) { if (st) *st = MStatus::kSuccess; return MDataHandle(p.plug(), false); }
MDataHandle MDataBlock::inputValue(const MObject& a, MStatus* st) {
    Plug p = blockPlug(node_, a);
    if (st) *st = p.isNull() ? MStatus::kInvalidParameter : MStatus::kSuccess;
    return MDataHandle(p, false);
}
MDataHandle MDataBlock::outputValue(const MPlug& p, MStatus* st) { if (st) *st = MStatus::kSuccess; return MDataHandle(p.plug(), true); }
MDataHandle MDataBlock::outputValue(const MObject& a, MStatus* st) {
    Plug p = blockPlug(node_, a);
    if (st) *st = p.isNull() ? MStatus::kInvalidParameter : MStatus::kSuccess;
    return MDataHandle(p, true);
}
MStatus MDataBlock::setClean(const MPlug&) { return MStatus::kSuccess; }
MStatus MDataBlock::setClean(const MObject&) { return MStatus::kSuccess; }
