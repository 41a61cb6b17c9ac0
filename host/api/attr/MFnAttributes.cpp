#include <maya/MAngle.h>
#include <maya/MDistance.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMatrixAttribute.h>
#include <maya/MFnMessageAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MTime.h>

#include "scene/core/scene.h"

using host::scene::AttrPtr;
using host::scene::Attribute;

namespace {

Attribute* attrOf(const MObject& o) { return dynamic_cast<Attribute*>(o.object().get()); }
AttrPtr attrPtrOf(const MObject& o) { return std::dynamic_pointer_cast<Attribute>(o.object()); }
MObject objectOf(const AttrPtr& a) { return MObject(std::static_pointer_cast<host::scene::Object>(a)); }

template <typename T>
T get(const MObject& o, MStatus* status, T (*read)(const Attribute&)) {
    Attribute* a = attrOf(o);
    if (status) *status = a ? MStatus::kSuccess : MStatus::kFailure;
    return a ? read(*a) : T();
}

MStatus set(const MObject& o, void (*write)(Attribute&, bool), bool on) {
    Attribute* a = attrOf(o);
    if (!a) return MStatus::kFailure;
    write(*a, on);
    return MStatus::kSuccess;
}

// Name of the data kind that setAttr -type and addAttr -dt use for each MFnData type.
const char* dataTypeName(MFnData::Type t) {
    switch (t) {
    case MFnData::kString: return "string";
    case MFnData::kMatrix: return "matrix";
    case MFnData::kStringArray: return "stringArray";
    case MFnData::kDoubleArray: return "doubleArray";
    case MFnData::kIntArray: return "Int32Array";
    case MFnData::kPointArray: return "pointArray";
    case MFnData::kVectorArray: return "vectorArray";
    case MFnData::kComponentList: return "componentList";
    case MFnData::kMesh: return "mesh";
    case MFnData::kNurbsCurve: return "nurbsCurve";
    case MFnData::kNurbsSurface: return "nurbsSurface";
    default: return "";
    }
}

MFnData::Type dataTypeOf(const std::string& name) {
    for (int t = MFnData::kInvalid; t < MFnData::kLast; ++t)
        if (name == dataTypeName(static_cast<MFnData::Type>(t)) && *dataTypeName(static_cast<MFnData::Type>(t)))
            return static_cast<MFnData::Type>(t);
    return name.empty() ? MFnData::kAny : MFnData::kPlugin;
}

// Numeric kinds stored as n children.
int componentCount(host::scene::NumericType t) {
    using N = host::scene::NumericType;
    switch (t) {
    case N::k2Short: case N::k2Long: case N::k2Float: case N::k2Double: return 2;
    case N::k3Short: case N::k3Long: case N::k3Float: case N::k3Double: return 3;
    case N::k4Double: return 4;
    default: return 1;
    }
}

host::scene::NumericType scalarOf(host::scene::NumericType t) {
    using N = host::scene::NumericType;
    switch (t) {
    case N::k2Short: case N::k3Short: return N::kShort;
    case N::k2Long: case N::k3Long: return N::kLong;
    case N::k2Float: case N::k3Float: return N::kFloat;
    case N::k2Double: case N::k3Double: case N::k4Double: return N::kDouble;
    default: return t;
    }
}

MObject finish(MObject& obj, const AttrPtr& a, MStatus* status) {
    if (status) *status = a ? MStatus::kSuccess : MStatus::kFailure;
    obj = a ? objectOf(a) : MObject();
    return obj;
}

}  // namespace

// ---- MFnAttribute

MFnAttribute::MFnAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MString MFnAttribute::name(MStatus* s) const { return MString(get<std::string>(obj_, s, [](const Attribute& a) { return a.name; })); }
MString MFnAttribute::shortName(MStatus* s) const { return MString(get<std::string>(obj_, s, [](const Attribute& a) { return a.shortName; })); }
MString MFnAttribute::pathName(bool longName, MStatus* s) const {
    Attribute* a = attrOf(obj_);
    if (s) *s = a ? MStatus::kSuccess : MStatus::kFailure;
    std::string path;
    for (Attribute* p = a; p; p = p->parent) path = (longName ? p->name : p->shortName) + (path.empty() ? "" : "." + path);
    return MString(path);
}
MObject MFnAttribute::parent(MStatus* s) const {
    Attribute* a = attrOf(obj_);
    if (s) *s = a && a->parent ? MStatus::kSuccess : MStatus::kFailure;
    if (!a || !a->parent) return MObject();
    return MObject(std::static_pointer_cast<host::scene::Object>(a->parent->shared_from_this()));
}
bool MFnAttribute::isReadable(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.readable; }); }
bool MFnAttribute::isWritable(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.writable; }); }
bool MFnAttribute::isConnectable(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.connectable; }); }
bool MFnAttribute::isStorable(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.storable; }); }
bool MFnAttribute::isCached(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.cached; }); }
bool MFnAttribute::isArray(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.array; }); }
bool MFnAttribute::isKeyable(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.keyable; }); }
bool MFnAttribute::isHidden(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.hidden; }); }
bool MFnAttribute::isChannelBoxFlagSet(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.channelBox; }); }
bool MFnAttribute::isDynamic(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.dynamic; }); }
bool MFnAttribute::isIndexMatters(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.indexMatters; }); }
bool MFnAttribute::isUsedAsColor(MStatus* s) const {
    // Colours are the three-float compounds whose children end in R, G, B.
    return get<bool>(obj_, s, [](const Attribute& a) {
        return a.children.size() == 3 && a.numeric == host::scene::NumericType::k3Float && !a.children[0]->name.empty() &&
               a.children[0]->name.back() == 'R';
    });
}
bool MFnAttribute::internal(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.internal; }); }
bool MFnAttribute::usesArrayDataBuilder(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.usesArrayDataBuilder; }); }

MStatus MFnAttribute::setReadable(bool on) { return set(obj_, [](Attribute& a, bool v) { a.readable = v; }, on); }
MStatus MFnAttribute::setWritable(bool on) { return set(obj_, [](Attribute& a, bool v) { a.writable = v; }, on); }
MStatus MFnAttribute::setConnectable(bool on) { return set(obj_, [](Attribute& a, bool v) { a.connectable = v; }, on); }
MStatus MFnAttribute::setStorable(bool on) { return set(obj_, [](Attribute& a, bool v) { a.storable = v; }, on); }
MStatus MFnAttribute::setCached(bool on) { return set(obj_, [](Attribute& a, bool v) { a.cached = v; }, on); }
MStatus MFnAttribute::setArray(bool on) {
    Attribute* a = attrOf(obj_);
    if (!a || a->attached) return MStatus::kFailure;  // the shape of an attribute is fixed once it joins a node
    a->array = on;
    return MStatus::kSuccess;
}
MStatus MFnAttribute::setKeyable(bool on) { return set(obj_, [](Attribute& a, bool v) { a.keyable = v; }, on); }
MStatus MFnAttribute::setHidden(bool on) { return set(obj_, [](Attribute& a, bool v) { a.hidden = v; }, on); }
MStatus MFnAttribute::setChannelBox(bool on) { return set(obj_, [](Attribute& a, bool v) { a.channelBox = v; }, on); }
MStatus MFnAttribute::setIndexMatters(bool on) { return set(obj_, [](Attribute& a, bool v) { a.indexMatters = v; }, on); }
MStatus MFnAttribute::setUsedAsColor(bool) { return attrOf(obj_) ? MStatus::kSuccess : MStatus::kFailure; }
MStatus MFnAttribute::setInternal(bool on) { return set(obj_, [](Attribute& a, bool v) { a.internal = v; }, on); }
MStatus MFnAttribute::setUsesArrayDataBuilder(bool on) {
    return set(obj_, [](Attribute& a, bool v) { a.usesArrayDataBuilder = v; }, on);
}

// ---- MFnNumericAttribute

MFnNumericAttribute::MFnNumericAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName, MFnNumericData::Type unitType,
                                    double defaultValue, MStatus* status) {
    auto t = static_cast<host::scene::NumericType>(unitType);
    const int n = componentCount(t);
    AttrPtr a;
    if (n == 1) {
        a = host::scene::makeNumeric(fullName.str(), briefName.str(), t, defaultValue);
    } else {
        static const std::vector<std::string> xyz = {"X", "Y", "Z"}, xyzw = {"X", "Y", "Z", "W"};
        std::vector<std::string> suffixes = n == 4 ? xyzw : std::vector<std::string>(xyz.begin(), xyz.begin() + n);
        a = host::scene::makeNumericCompound(fullName.str(), briefName.str(), scalarOf(t), suffixes, defaultValue);
        if (a) a->numeric = t;
    }
    return finish(obj_, a, status);
}

MObject MFnNumericAttribute::create(const MString& fullName, const MString& briefName, const MObject& child1,
                                    const MObject& child2, const MObject& child3, MStatus* status) {
    std::vector<AttrPtr> kids;
    for (const MObject* c : {&child1, &child2, &child3}) {
        if (c->isNull()) continue;
        AttrPtr k = attrPtrOf(*c);
        if (!k || k->attached || k->kind != host::scene::AttrKind::Numeric) return finish(obj_, nullptr, status);
        kids.push_back(k);
    }
    if (kids.size() < 2) return finish(obj_, nullptr, status);
    host::scene::NumericType scalar = kids[0]->numeric;
    AttrPtr a = host::scene::makeNumericCompound(fullName.str(), briefName.str(), scalar, kids);
    return finish(obj_, a, status);
}

MObject MFnNumericAttribute::createColor(const MString& fullName, const MString& briefName, MStatus* status) {
    AttrPtr a = host::scene::makeNumericCompound(fullName.str(), briefName.str(), host::scene::NumericType::kFloat,
                                                 {"R", "G", "B"}, 0.0);
    if (a) a->numeric = host::scene::NumericType::k3Float;
    return finish(obj_, a, status);
}

MObject MFnNumericAttribute::createPoint(const MString& fullName, const MString& briefName, MStatus* status) {
    return create(fullName, briefName, MFnNumericData::k3Float, 0.0, status);
}

MObject MFnNumericAttribute::createAddr(const MString& fullName, const MString& briefName, MStatus* status) {
    return create(fullName, briefName, MFnNumericData::kAddr, 0.0, status);
}

MFnNumericData::Type MFnNumericAttribute::unitType(MStatus* s) const {
    return get<MFnNumericData::Type>(obj_, s, [](const Attribute& a) { return static_cast<MFnNumericData::Type>(a.numeric); });
}

MStatus MFnNumericAttribute::getMin(double& v) const { Attribute* a = attrOf(obj_); if (!a || !a->hasMin) return MStatus::kFailure; v = a->minValue; return MStatus::kSuccess; }
MStatus MFnNumericAttribute::getMax(double& v) const { Attribute* a = attrOf(obj_); if (!a || !a->hasMax) return MStatus::kFailure; v = a->maxValue; return MStatus::kSuccess; }
MStatus MFnNumericAttribute::getSoftMin(double& v) const { Attribute* a = attrOf(obj_); if (!a || !a->hasSoftMin) return MStatus::kFailure; v = a->softMinValue; return MStatus::kSuccess; }
MStatus MFnNumericAttribute::getSoftMax(double& v) const { Attribute* a = attrOf(obj_); if (!a || !a->hasSoftMax) return MStatus::kFailure; v = a->softMaxValue; return MStatus::kSuccess; }
bool MFnNumericAttribute::hasMin(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.hasMin; }); }
bool MFnNumericAttribute::hasMax(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.hasMax; }); }
bool MFnNumericAttribute::hasSoftMin(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.hasSoftMin; }); }
bool MFnNumericAttribute::hasSoftMax(MStatus* s) const { return get<bool>(obj_, s, [](const Attribute& a) { return a.hasSoftMax; }); }

namespace {
// Limits and defaults of a compound apply to its children.
void forLeaves(Attribute& a, const std::function<void(Attribute&, size_t)>& f) {
    if (a.children.empty()) {
        f(a, 0);
        return;
    }
    for (size_t i = 0; i < a.children.size(); ++i) f(*a.children[i], i);
}
}  // namespace

MStatus MFnNumericAttribute::setMin(double v) {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    forLeaves(*a, [v](Attribute& x, size_t) { x.hasMin = true; x.minValue = v; });
    a->hasMin = true;
    a->minValue = v;
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::setMax(double v) {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    forLeaves(*a, [v](Attribute& x, size_t) { x.hasMax = true; x.maxValue = v; });
    a->hasMax = true;
    a->maxValue = v;
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::setSoftMin(double v) {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    a->hasSoftMin = true;
    a->softMinValue = v;
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::setSoftMax(double v) {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    a->hasSoftMax = true;
    a->softMaxValue = v;
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::setMin(double x, double y, double z) {
    Attribute* a = attrOf(obj_);
    if (!a || a->children.size() < 3) return MStatus::kFailure;
    const double v[3] = {x, y, z};
    for (size_t i = 0; i < 3; ++i) {
        a->children[i]->hasMin = true;
        a->children[i]->minValue = v[i];
    }
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::setMax(double x, double y, double z) {
    Attribute* a = attrOf(obj_);
    if (!a || a->children.size() < 3) return MStatus::kFailure;
    const double v[3] = {x, y, z};
    for (size_t i = 0; i < 3; ++i) {
        a->children[i]->hasMax = true;
        a->children[i]->maxValue = v[i];
    }
    return MStatus::kSuccess;
}

MStatus MFnNumericAttribute::getDefault(double& v) const {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    v = a->children.empty() ? a->defaultNumber : a->children[0]->defaultNumber;
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::getDefault(bool& v) const { double d = 0; MStatus s = getDefault(d); v = d != 0; return s; }
MStatus MFnNumericAttribute::getDefault(int& v) const { double d = 0; MStatus s = getDefault(d); v = static_cast<int>(d); return s; }
MStatus MFnNumericAttribute::getDefault(float& v) const { double d = 0; MStatus s = getDefault(d); v = static_cast<float>(d); return s; }
MStatus MFnNumericAttribute::setDefault(double v) {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    forLeaves(*a, [v](Attribute& x, size_t) { x.defaultNumber = v; });
    a->defaultNumber = v;
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::setDefault(double x, double y) {
    Attribute* a = attrOf(obj_);
    if (!a || a->children.size() != 2) return MStatus::kFailure;
    a->children[0]->defaultNumber = x;
    a->children[1]->defaultNumber = y;
    return MStatus::kSuccess;
}
MStatus MFnNumericAttribute::setDefault(double x, double y, double z) {
    Attribute* a = attrOf(obj_);
    if (!a || a->children.size() != 3) return MStatus::kFailure;
    a->children[0]->defaultNumber = x;
    a->children[1]->defaultNumber = y;
    a->children[2]->defaultNumber = z;
    return MStatus::kSuccess;
}

// ---- MFnTypedAttribute

MFnTypedAttribute::MFnTypedAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName, MFnData::Type type,
                                  MStatus* status) {
    return create(fullName, briefName, type, MObject::kNullObj, status);
}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName, MFnData::Type type,
                                  const MObject& defaultData, MStatus* status) {
    AttrPtr a = host::scene::makeTyped(fullName.str(), briefName.str(), dataTypeName(type));
    MObject r = finish(obj_, a, status);
    if (a && !defaultData.isNull()) setDefault(defaultData);
    return r;
}

MObject MFnTypedAttribute::create(const MString& fullName, const MString& briefName, const MTypeId&,
                                  const MObject& defaultData, MStatus* status) {
    return create(fullName, briefName, MFnData::kPlugin, defaultData, status);
}

MFnData::Type MFnTypedAttribute::attrType(MStatus* s) const {
    return get<MFnData::Type>(obj_, s, [](const Attribute& a) { return dataTypeOf(a.dataType); });
}

MStatus MFnTypedAttribute::getDefault(MObject& defaultData) const {
    Attribute* a = attrOf(obj_);
    if (!a || a->dataType != "string") return MStatus::kFailure;
    auto d = std::make_shared<host::scene::StringData>();
    d->value = a->defaultString;
    defaultData = MObject(std::static_pointer_cast<host::scene::Object>(d));
    return MStatus::kSuccess;
}

MStatus MFnTypedAttribute::setDefault(const MObject& defaultData) {
    Attribute* a = attrOf(obj_);
    auto* s = dynamic_cast<host::scene::StringData*>(defaultData.object().get());
    if (!a || !s) return MStatus::kFailure;  // string defaults are the only kind the host keeps here
    a->defaultString = s->value;
    return MStatus::kSuccess;
}

// ---- MFnEnumAttribute

MFnEnumAttribute::MFnEnumAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MObject MFnEnumAttribute::create(const MString& fullName, const MString& briefName, short defaultValue, MStatus* status) {
    return finish(obj_, host::scene::makeEnum(fullName.str(), briefName.str(), {}, defaultValue), status);
}

MStatus MFnEnumAttribute::addField(const MString& fieldName, short index) {
    Attribute* a = attrOf(obj_);
    if (!a || a->kind != host::scene::AttrKind::Enum) return MStatus::kFailure;
    for (const auto& f : a->fields)
        if (f.first == fieldName.str() || f.second == index) return MStatus::kInvalidParameter;
    a->fields.emplace_back(fieldName.str(), index);
    return MStatus::kSuccess;
}

MString MFnEnumAttribute::fieldName(short index, MStatus* status) const {
    Attribute* a = attrOf(obj_);
    if (a)
        for (const auto& f : a->fields)
            if (f.second == index) {
                if (status) *status = MStatus::kSuccess;
                return MString(f.first);
            }
    if (status) *status = MStatus::kFailure;
    return MString();
}

short MFnEnumAttribute::fieldIndex(const MString& name, MStatus* status) const {
    Attribute* a = attrOf(obj_);
    if (a)
        for (const auto& f : a->fields)
            if (f.first == name.str()) {
                if (status) *status = MStatus::kSuccess;
                return static_cast<short>(f.second);
            }
    if (status) *status = MStatus::kFailure;
    return 0;
}

MStatus MFnEnumAttribute::getMin(short& v) const {
    Attribute* a = attrOf(obj_);
    if (!a || a->fields.empty()) return MStatus::kFailure;
    v = static_cast<short>(a->fields[0].second);
    for (const auto& f : a->fields) v = std::min<short>(v, static_cast<short>(f.second));
    return MStatus::kSuccess;
}

MStatus MFnEnumAttribute::getMax(short& v) const {
    Attribute* a = attrOf(obj_);
    if (!a || a->fields.empty()) return MStatus::kFailure;
    v = static_cast<short>(a->fields[0].second);
    for (const auto& f : a->fields) v = std::max<short>(v, static_cast<short>(f.second));
    return MStatus::kSuccess;
}

MStatus MFnEnumAttribute::setDefault(short index) {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    a->defaultNumber = index;
    return MStatus::kSuccess;
}

MStatus MFnEnumAttribute::setDefault(const MString& name) {
    MStatus st;
    short i = fieldIndex(name, &st);
    return st.error() ? st : setDefault(i);
}

MStatus MFnEnumAttribute::getDefault(short& index) const {
    Attribute* a = attrOf(obj_);
    if (!a) return MStatus::kFailure;
    index = static_cast<short>(a->defaultNumber);
    return MStatus::kSuccess;
}

MString MFnEnumAttribute::defaultValue(MStatus* status) const {
    short i = 0;
    MStatus st = getDefault(i);
    if (st.error()) {
        if (status) *status = st;
        return MString();
    }
    return fieldName(i, status);
}

// ---- MFnCompoundAttribute

MFnCompoundAttribute::MFnCompoundAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MObject MFnCompoundAttribute::create(const MString& fullName, const MString& briefName, MStatus* status) {
    return finish(obj_, host::scene::makeCompound(fullName.str(), briefName.str(), {}), status);
}

MStatus MFnCompoundAttribute::addChild(const MObject& child) {
    Attribute* a = attrOf(obj_);
    AttrPtr c = attrPtrOf(child);
    if (!a || !c || a->attached || c->attached || c->parent) return MStatus::kInvalidParameter;
    for (const auto& k : a->children)
        if (k->name == c->name || k->shortName == c->shortName) return MStatus::kInvalidParameter;
    a->children.push_back(c);
    host::scene::adoptChildren(*a);
    return MStatus::kSuccess;
}

MStatus MFnCompoundAttribute::removeChild(const MObject& child) {
    Attribute* a = attrOf(obj_);
    Attribute* c = attrOf(child);
    if (!a || !c || a->attached) return MStatus::kInvalidParameter;
    for (auto it = a->children.begin(); it != a->children.end(); ++it) {
        if (it->get() == c) {
            c->parent = nullptr;
            a->children.erase(it);
            host::scene::adoptChildren(*a);
            return MStatus::kSuccess;
        }
    }
    return MStatus::kNotFound;
}

unsigned int MFnCompoundAttribute::numChildren(MStatus* s) const {
    return get<unsigned int>(obj_, s, [](const Attribute& a) { return static_cast<unsigned int>(a.children.size()); });
}

MObject MFnCompoundAttribute::child(unsigned int index, MStatus* status) const {
    Attribute* a = attrOf(obj_);
    if (!a || index >= a->children.size()) {
        if (status) *status = MStatus::kFailure;
        return MObject();
    }
    if (status) *status = MStatus::kSuccess;
    return objectOf(a->children[index]);
}

// ---- MFnMessageAttribute, MFnMatrixAttribute

MFnMessageAttribute::MFnMessageAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MObject MFnMessageAttribute::create(const MString& fullName, const MString& briefName, MStatus* status) {
    return finish(obj_, host::scene::makeMessage(fullName.str(), briefName.str()), status);
}

MFnMatrixAttribute::MFnMatrixAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MObject MFnMatrixAttribute::create(const MString& fullName, const MString& briefName, Type type, MStatus* status) {
    return finish(obj_, host::scene::makeMatrix(fullName.str(), briefName.str(), type == kFloat), status);
}

// ---- MFnUnitAttribute

MFnUnitAttribute::MFnUnitAttribute(const MObject& attr, MStatus* status) {
    MStatus st = setObject(attr);
    if (status) *status = st;
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, Type unitType, double defaultValue,
                                 MStatus* status) {
    if (unitType <= kInvalid || unitType >= kLast) return finish(obj_, nullptr, status);
    return finish(obj_,
                  host::scene::makeUnit(fullName.str(), briefName.str(), static_cast<host::scene::UnitType>(unitType),
                                        defaultValue),
                  status);
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, const MTime& defaultValue,
                                 MStatus* status) {
    return create(fullName, briefName, kTime, defaultValue.as(MTime::kSeconds), status);
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, const MAngle& defaultValue,
                                 MStatus* status) {
    return create(fullName, briefName, kAngle, defaultValue.as(MAngle::kRadians), status);
}

MObject MFnUnitAttribute::create(const MString& fullName, const MString& briefName, const MDistance& defaultValue,
                                 MStatus* status) {
    return create(fullName, briefName, kDistance, defaultValue.as(MDistance::kCentimeters), status);
}

MFnUnitAttribute::Type MFnUnitAttribute::unitType(MStatus* s) const {
    return get<MFnUnitAttribute::Type>(obj_, s, [](const Attribute& a) { return static_cast<MFnUnitAttribute::Type>(a.unit); });
}

MStatus MFnUnitAttribute::setMin(double v) { Attribute* a = attrOf(obj_); if (!a) return MStatus::kFailure; a->hasMin = true; a->minValue = v; return MStatus::kSuccess; }
MStatus MFnUnitAttribute::setMax(double v) { Attribute* a = attrOf(obj_); if (!a) return MStatus::kFailure; a->hasMax = true; a->maxValue = v; return MStatus::kSuccess; }
MStatus MFnUnitAttribute::setSoftMin(double v) { Attribute* a = attrOf(obj_); if (!a) return MStatus::kFailure; a->hasSoftMin = true; a->softMinValue = v; return MStatus::kSuccess; }
MStatus MFnUnitAttribute::setSoftMax(double v) { Attribute* a = attrOf(obj_); if (!a) return MStatus::kFailure; a->hasSoftMax = true; a->softMaxValue = v; return MStatus::kSuccess; }
MStatus MFnUnitAttribute::setDefault(double v) { Attribute* a = attrOf(obj_); if (!a) return MStatus::kFailure; a->defaultNumber = v; return MStatus::kSuccess; }
MStatus MFnUnitAttribute::getDefault(double& v) const { Attribute* a = attrOf(obj_); if (!a) return MStatus::kFailure; v = a->defaultNumber; return MStatus::kSuccess; }
