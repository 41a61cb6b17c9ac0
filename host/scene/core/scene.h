#pragma once
// The host's scene graph: node types, nodes, attributes, plug values,
// connections, the DAG, time and selection. One scene per process (scene()).
// The M* API classes and the MEL scene commands are thin layers over this.
#include <maya/MFn.h>
#include <maya/MStatus.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

class MPxNode;
class MPlug;
class MDataBlock;

namespace host::scene {

class Node;
class Scene;
struct Attribute;
struct NodeType;

// Anything an MObject can name: nodes, attributes, data, components.
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object();
    virtual MFn::Type apiType() const = 0;
    virtual bool hasFn(MFn::Type t) const { return t == MFn::kBase || t == apiType(); }
    // False once the object is gone from the scene (a deleted node).
    virtual bool alive() const { return true; }
};
using ObjectPtr = std::shared_ptr<Object>;

// Payload of typed attributes (mesh, nurbsCurve, stringArray ...). Other host
// parts add kinds by deriving from it and calling registerDataType().
class TypedData : public Object {
public:
    // The name setAttr -type and addAttr -dt use: "mesh", "stringArray" ...
    virtual std::string typeName() const = 0;
    virtual std::shared_ptr<TypedData> clone() const = 0;
    bool hasFn(MFn::Type t) const override { return t == MFn::kData || Object::hasFn(t); }
};
using DataPtr = std::shared_ptr<TypedData>;

// A 4x4 matrix as stored by matrix attributes: row vectors, translation in row 3.
struct Matrix4 {
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    bool operator==(const Matrix4& o) const;
    bool operator!=(const Matrix4& o) const { return !(*this == o); }
    Matrix4 operator*(const Matrix4& o) const;
    Matrix4 inverse() const;
    bool isIdentity(double tol = 1e-12) const;
};

// Built-in data kinds.
struct StringData : TypedData {
    std::string value;
    MFn::Type apiType() const override { return MFn::kStringData; }
    std::string typeName() const override { return "string"; }
    DataPtr clone() const override { return std::make_shared<StringData>(*this); }
};
struct MatrixData : TypedData {
    Matrix4 value;
    MFn::Type apiType() const override { return MFn::kMatrixData; }
    std::string typeName() const override { return "matrix"; }
    DataPtr clone() const override { return std::make_shared<MatrixData>(*this); }
};
struct StringArrayData : TypedData {
    std::vector<std::string> values;
    MFn::Type apiType() const override { return MFn::kStringArrayData; }
    std::string typeName() const override { return "stringArray"; }
    DataPtr clone() const override { return std::make_shared<StringArrayData>(*this); }
};
struct DoubleArrayData : TypedData {
    std::vector<double> values;
    MFn::Type apiType() const override { return MFn::kDoubleArrayData; }
    std::string typeName() const override { return "doubleArray"; }
    DataPtr clone() const override { return std::make_shared<DoubleArrayData>(*this); }
};
struct Int32ArrayData : TypedData {
    std::vector<int> values;
    MFn::Type apiType() const override { return MFn::kIntArrayData; }
    std::string typeName() const override { return "Int32Array"; }
    DataPtr clone() const override { return std::make_shared<Int32ArrayData>(*this); }
};
// Points keep their w (as the host's pointArray data does); vectors have 3.
struct PointArrayData : TypedData {
    std::vector<std::array<double, 4>> values;
    MFn::Type apiType() const override { return MFn::kPointArrayData; }
    std::string typeName() const override { return "pointArray"; }
    DataPtr clone() const override { return std::make_shared<PointArrayData>(*this); }
};
struct VectorArrayData : TypedData {
    std::vector<std::array<double, 3>> values;
    MFn::Type apiType() const override { return MFn::kVectorArrayData; }
    std::string typeName() const override { return "vectorArray"; }
    DataPtr clone() const override { return std::make_shared<VectorArrayData>(*this); }
};
// Component strings as files write them: "f[0:5]", "vtx[3]", "e[*]".
struct ComponentListData : TypedData {
    std::vector<std::string> items;
    MFn::Type apiType() const override { return MFn::kComponentListData; }
    std::string typeName() const override { return "componentList"; }
    DataPtr clone() const override { return std::make_shared<ComponentListData>(*this); }
    // Indices of components named `kind` ("f", "vtx", "e"), ascending, unique;
    // `count` resolves "*"; malformed items are skipped.
    std::vector<int> indices(const std::string& kind, int count = -1) const;
};
// Data of a type the host does not know (kept so scene files round-trip).
struct GenericData : TypedData {
    std::string type;
    std::vector<std::string> tokens;
    MFn::Type apiType() const override { return MFn::kData; }
    std::string typeName() const override { return type; }
    DataPtr clone() const override { return std::make_shared<GenericData>(*this); }
};

// Factory for data by type name; mesh/nurbs kinds are registered by their owners.
void registerDataType(const std::string& name, MFn::Type api, std::function<DataPtr()> factory);
DataPtr createData(const std::string& name);
MFn::Type dataApiType(const std::string& name);  // kInvalid when unknown

// Components ("f[0:3]" of a mesh) are objects of the geometry owners. They
// register how text becomes a component of a shape and back, so selection
// lists and sets can carry them.
using ComponentParser = std::function<ObjectPtr(Node& shape, const std::vector<std::string>& items)>;
using ComponentFormatter = std::function<bool(const Object& component, std::vector<std::string>& items)>;
void registerComponentParser(ComponentParser p);
void registerComponentFormatter(ComponentFormatter f);
// Null when no parser accepts the items.
ObjectPtr parseComponent(Node& shape, const std::vector<std::string>& items);
// Empty when no formatter knows the component.
std::vector<std::string> formatComponent(const Object& component);

// ---------------------------------------------------------------- attributes

// Numbering of MFnNumericData::Type.
enum class NumericType {
    kInvalid, kBoolean, kByte, kChar, kShort, k2Short, k3Short, kLong, k2Long, k3Long,
    kInt64, kFloat, k2Float, k3Float, kDouble, k2Double, k3Double, k4Double, kAddr, kLast
};
// Numbering of MFnUnitAttribute::Type.
enum class UnitType { kInvalid, kAngle, kDistance, kTime, kLast };

enum class AttrKind { Numeric, Enum, Unit, Typed, Compound, Message, Matrix, FloatMatrix, Generic };

struct Attribute : Object {
    std::string name;       // long name
    std::string shortName;
    AttrKind kind = AttrKind::Numeric;
    NumericType numeric = NumericType::kDouble;  // Numeric: scalar or n-component compound
    UnitType unit = UnitType::kInvalid;          // Unit
    std::string dataType;                        // Typed: "mesh", "string" ... ("" = any)
    std::vector<std::pair<std::string, int>> fields;  // Enum

    bool array = false;
    bool readable = true, writable = true, storable = true, connectable = true;
    bool keyable = false, channelBox = false, hidden = false, cached = true;
    bool indexMatters = true, usesArrayDataBuilder = false, internal = false;
    bool dynamic = false;
    bool computed = false;  // output of the type's compute (affected by something)
    bool hasMin = false, hasMax = false, hasSoftMin = false, hasSoftMax = false;
    double minValue = 0, maxValue = 0, softMinValue = 0, softMaxValue = 0;
    double defaultNumber = 0;       // scalar numeric/enum/unit default
    std::string defaultString;      // Typed string default
    Matrix4 defaultMatrix;

    std::vector<std::shared_ptr<Attribute>> children;  // compound / numeric compound
    Attribute* parent = nullptr;
    int childIndex = -1;

    std::vector<Attribute*> affects;  // attributeAffects(this, x)
    std::vector<Attribute*> affectedBy;

    int index = -1;             // top level: slot index in the owning node
    NodeType* owner = nullptr;  // static attributes; null for dynamic ones
    bool attached = false;      // added to a type or node

    MFn::Type apiType() const override;
    bool hasFn(MFn::Type t) const override;

    bool isCompound() const { return !children.empty(); }
    bool isScalarNumeric() const;  // stores one number
    Attribute* child(const std::string& name) const;
    Attribute* top();              // outermost compound parent (or this)
    // Is this attribute inside an array (itself or an ancestor)?
    bool inArray() const;
    // "double3", "long", "enum", "string", "matrix", "message", "doubleLinear",
    // "compound", "mesh" ...: the text getAttr -type and addAttr use.
    std::string typeString() const;
};
using AttrPtr = std::shared_ptr<Attribute>;

// Attribute builders (also used by the MFn*Attribute function sets).
AttrPtr makeNumeric(const std::string& ln, const std::string& sn, NumericType t, double def = 0);
// Numeric compound with children named ln+suffix (e.g. "X","Y","Z").
AttrPtr makeNumericCompound(const std::string& ln, const std::string& sn, NumericType t,
                            const std::vector<std::string>& suffixes, double def = 0);
AttrPtr makeNumericCompound(const std::string& ln, const std::string& sn, NumericType t,
                            std::vector<AttrPtr> children);
AttrPtr makeUnit(const std::string& ln, const std::string& sn, UnitType u, double def = 0);
AttrPtr makeUnitCompound(const std::string& ln, const std::string& sn, UnitType u,
                         const std::vector<std::string>& childLong,
                         const std::vector<std::string>& childShort, double def = 0);
AttrPtr makeEnum(const std::string& ln, const std::string& sn,
                 std::vector<std::pair<std::string, int>> fields, int def = 0);
AttrPtr makeTyped(const std::string& ln, const std::string& sn, const std::string& dataType);
AttrPtr makeMessage(const std::string& ln, const std::string& sn);
AttrPtr makeMatrix(const std::string& ln, const std::string& sn, bool isFloat = false);
AttrPtr makeCompound(const std::string& ln, const std::string& sn, std::vector<AttrPtr> children);
AttrPtr makeGeneric(const std::string& ln, const std::string& sn);
// Wires parent/childIndex of a compound's children (after editing children by hand).
void adoptChildren(Attribute& a);

// ---------------------------------------------------------------- values

// A leaf value. Every numeric kind is held as a double (floats rounded on write).
using Value = std::variant<std::monostate, double, std::string, Matrix4, DataPtr>;

// Storage of one plug level: leaf value, compound children, multi elements.
struct Slot {
    Value value;
    std::vector<Slot> children;
    std::map<unsigned, Slot> elements;  // only on multi slots; logical index -> element
    bool locked = false;
    bool hasValue = false;    // set explicitly (scene save writes only these)
    unsigned long long gen = 0;  // evaluation cache stamp for computed plugs
};

// ---------------------------------------------------------------- plugs

struct PlugElem {
    Attribute* attr = nullptr;
    int index = -1;  // logical index when attr is a multi, -1 = the array plug itself
    bool operator<(const PlugElem& o) const { return attr != o.attr ? attr < o.attr : index < o.index; }
    bool operator==(const PlugElem& o) const { return attr == o.attr && index == o.index; }
};
using PlugPath = std::vector<PlugElem>;

// A node's attribute at given indices: "node.multi[2].child".
struct Plug {
    Node* node = nullptr;
    PlugPath path;  // outermost first

    bool isNull() const { return node == nullptr || path.empty(); }
    Attribute* attr() const { return path.empty() ? nullptr : path.back().attr; }
    // Array plug: a multi attribute without an index.
    bool isArray() const { return !path.empty() && path.back().attr->array && path.back().index < 0; }
    bool isElement() const { return !path.empty() && path.back().attr->array && path.back().index >= 0; }
    bool isCompound() const { return attr() && attr()->isCompound(); }
    // A plug below an array plug without index cannot hold values.
    bool isFullyIndexed() const;
    Plug parentPlug() const;        // compound parent (drops the last element)
    Plug arrayPlug() const;         // element -> its array plug
    Plug element(unsigned logical) const;
    Plug child(Attribute* childAttr) const;
    Plug child(unsigned i) const;
    // "node.attr[3].child"; long or short attribute names; the node's short
    // unique path name unless fullNodePath.
    std::string name(bool longNames = false, bool fullNodePath = false, bool withNode = true) const;
    bool operator==(const Plug& o) const { return node == o.node && path == o.path; }
    bool operator!=(const Plug& o) const { return !(*this == o); }
    bool operator<(const Plug& o) const { return node != o.node ? node < o.node : path < o.path; }
};

// ---------------------------------------------------------------- node types

using ComputeFn = std::function<MStatus(Node&, const Plug&)>;

struct NodeType {
    std::string name;
    NodeType* parent = nullptr;
    MFn::Type apiType = MFn::kDependencyNode;
    unsigned id = 0;
    std::vector<MFn::Type> fns;  // every MFn type hasFn answers true for (incl. parents')
    std::vector<AttrPtr> own;    // attributes this type adds
    std::vector<Attribute*> all; // inherited first, then own; index = slot index
    std::unordered_map<std::string, Attribute*> byName;  // long and short names, all levels
    ComputeFn compute;           // built-in evaluation (null: inherits parent's)
    std::function<MPxNode*()> creator;  // plug-in types
    int pxType = -1;             // MPxNode::Type of plug-in types
    std::string pluginName;
    bool abstract = false;
    bool isDag = false, isTransform = false, isShape = false;
    std::string defaultName;     // base of automatic names ("transform", "polySurfaceShape")

    bool isA(const NodeType* t) const;
    bool isA(const std::string& typeName) const;
    bool hasFn(MFn::Type t) const;
    Attribute* attribute(const std::string& n) const;
    ComputeFn computeFn() const;
    // Adds a static attribute (and its children) to this type; fails on name clash.
    MStatus addAttribute(const AttrPtr& a);
};

// ---------------------------------------------------------------- nodes

struct Connection {
    Plug src, dst;
};

class Node : public Object {
public:
    explicit Node(NodeType* t);
    ~Node() override;
    MFn::Type apiType() const override;
    bool hasFn(MFn::Type t) const override;
    bool alive() const override { return !deleted; }

    NodeType* type;
    // Change only through Scene::rename/reparent: the scene's name index follows them.
    std::string name;
    std::string unknownType;   // original type name of "unknown" nodes
    std::vector<AttrPtr> dynamicAttrs;
    std::vector<Slot> slots;   // type->all, then dynamic
    bool locked = false;       // lockNode
    bool isDefault = false;    // created by newScene(); not saved
    bool deleted = false;
    bool isShared = false;
    std::unique_ptr<MPxNode> user;  // plug-in nodes
    unsigned long long created = 0;  // creation sequence (orders lookups by name)

    // DAG (single instance: one parent, null = under the world).
    Node* parent = nullptr;
    std::vector<Node*> children;

    // Connections touching this node.
    std::map<PlugPath, Plug> inputs;            // destination here -> source
    std::vector<std::pair<PlugPath, Plug>> outputs;  // source here -> destination, in order

    bool isDag() const { return type->isDag; }
    bool isWorld() const { return type->apiType == MFn::kWorld; }
    std::string typeName() const { return unknownType.empty() ? type->name : unknownType; }
    size_t attributeCount() const { return type->all.size() + dynamicAttrs.size(); }
    Attribute* attributeAt(size_t i) const;
    // By long or short name, any level (children too). Dynamic first... static wins.
    Attribute* attribute(const std::string& n) const;
    Slot& slotFor(Attribute* top);
    // Adds a dynamic attribute; fails when the name clashes.
    MStatus addAttribute(const AttrPtr& a);
    MStatus removeAttribute(Attribute* a);

    Plug plug(Attribute* a) const;  // top-level or child of non-array compounds
    Plug plug(const std::string& attrName) const;

    // DAG names.
    std::string fullPath() const;     // "|a|b"
    std::string partialPath() const;  // shortest unique "b" or "a|b"
    int depth() const;                // 0 for the world, 1 for top-level nodes
    Node* dagParent() const;          // world node for top-level nodes
    std::vector<Node*> dagChildren() const;
};
using NodePtr = std::shared_ptr<Node>;

// ---------------------------------------------------------------- selection

struct SelectionItem {
    NodePtr node;
    ObjectPtr component;  // null: the whole node
    Plug plug;            // set when a plug was selected
    bool operator==(const SelectionItem& o) const {
        return node == o.node && component == o.component && plug == o.plug;
    }
};

// ---------------------------------------------------------------- scene

// Per-face set membership of a shape, for the mesh function set.
struct SetMembership {
    Node* set = nullptr;
    bool wholeObject = false;
    std::vector<std::string> components;  // "f[0:5]" ... when !wholeObject
    int objectGroup = -1;                 // instObjGroups[0].objectGroups[k]
};

class Scene {
public:
    Scene();
    ~Scene();

    // Clears every node and creates the default nodes. Types stay registered.
    void newScene();

    // ---- types
    NodeType* findType(const std::string& name) const;
    NodeType* findType(unsigned id) const;
    NodeType* registerType(const std::string& name, const std::string& parent, MFn::Type api,
                           unsigned id, ComputeFn compute = nullptr);
    // Plug-in types: parentName is the built-in base ("dependNode", "locator",
    // "surfaceShape", "transform"); initialize adds attributes via MPxNode::addAttribute.
    MStatus registerPluginType(const std::string& name, unsigned id, std::function<MPxNode*()> creator,
                               std::function<MStatus()> initialize, int pxType,
                               const std::string& pluginName, std::string* error = nullptr);
    MStatus deregisterPluginType(unsigned id, std::string* error = nullptr);
    // The type whose initialize is running (target of MPxNode::addAttribute).
    NodeType* initializingType() const { return initializing_; }
    std::vector<NodeType*> types() const;

    // ---- nodes
    // Creates a node. For a shape type without a parent, creates its transform
    // too, as createNode does. name may be empty (automatic) or end in '#'.
    // Unknown type names fail unless allowUnknown (then an "unknown" node).
    Node* createNode(const std::string& typeName, const std::string& name = "", Node* parent = nullptr,
                     std::string* error = nullptr, bool allowUnknown = false);
    // Lookup by name, partial or full DAG path. Errors: "No object matches name: x",
    // "More than one object matches name: x".
    Node* find(const std::string& nameOrPath, std::string* error = nullptr) const;
    // Wildcard ('*', '?') match on names or paths; in creation order (DAG ones depth-first).
    std::vector<Node*> match(const std::string& pattern) const;
    NodePtr ptr(Node* n) const;  // shared handle (null when not in the scene)
    // All nodes, creation order (includes defaults, excludes the world).
    std::vector<Node*> nodes() const;
    Node* world() const { return world_.get(); }
    // DAG nodes depth-first from root (null = world), root excluded; children in order.
    std::vector<Node*> dagDepthFirst(Node* root = nullptr) const;

    MStatus rename(Node* n, const std::string& newName, std::string* error = nullptr);
    // Reparent (parent null = world), at `position` among siblings (-1 = last).
    // keepWorld: adjust the local transform so the world placement stays.
    MStatus reparent(Node* child, Node* newParent, bool keepWorld = false, std::string* error = nullptr,
                     int position = -1);
    // Deletes a node, its DAG children and its connections; a transform left
    // without children is not deleted.
    MStatus deleteNode(Node* n, std::string* error = nullptr);
    // Writes translate/rotate/scale/shear of a transform so its local matrix is m.
    MStatus setLocalMatrix(Node* transform, const Matrix4& m);
    // Default nodes the host refuses to delete (time1, the cameras, lambert1 ...).
    bool undeletable(const Node* n) const;
    // Unique name for n under parent, following the host's renumbering rules:
    // "#" becomes the lowest free number; a clash strips trailing digits and
    // counts up from the next number. Dependency node names are unique
    // globally, DAG names among their siblings (and against non-DAG nodes).
    std::string uniqueName(const std::string& want, Node* self, Node* dagParent, bool isDag) const;

    // ---- plugs
    // "node.attr", "node.attr[3].child", "|a|b.tx". Errors in *error.
    bool parsePlug(const std::string& text, Plug& out, std::string* error = nullptr) const;
    // Attribute path on a node: "attr[3].child", "tx".
    bool parseAttrPath(Node* n, const std::string& text, Plug& out, std::string* error = nullptr) const;

    MStatus connect(const Plug& src, const Plug& dst, bool force = false, std::string* error = nullptr);
    MStatus disconnect(const Plug& src, const Plug& dst, std::string* error = nullptr);
    void disconnectAll(Node* n);
    Plug sourceOf(const Plug& dst) const;                 // null plug when unconnected
    std::vector<Plug> destinationsOf(const Plug& src) const;
    // Every connection touching the plug or (withChildren) its children/elements.
    std::vector<Connection> connections(const Plug& p, bool asSrc, bool asDst, bool withChildren = true) const;
    std::vector<Connection> allConnections() const;       // creation order of nodes, then outputs

    // ---- values (evaluated: connected destinations read their source;
    //      computed attributes run their compute)
    Value get(const Plug& p);
    double getDouble(const Plug& p);  // numeric / enum / unit; 0 when not numeric
    std::string getString(const Plug& p);
    Matrix4 getMatrix(const Plug& p);
    DataPtr getData(const Plug& p);
    std::vector<double> getNumbers(const Plug& p);  // numeric compounds: every child
    // Writes a value. Fails on locked plugs/nodes, wrong kinds and connected
    // destinations (unless force). Numeric values are clamped to min/max.
    MStatus set(const Plug& p, const Value& v, std::string* error = nullptr, bool force = false);
    MStatus setDouble(const Plug& p, double v, std::string* error = nullptr);
    MStatus setNumbers(const Plug& p, const std::vector<double>& v, std::string* error = nullptr);
    MStatus setString(const Plug& p, const std::string& v, std::string* error = nullptr);
    MStatus setMatrix(const Plug& p, const Matrix4& m, std::string* error = nullptr);
    MStatus setData(const Plug& p, DataPtr d, std::string* error = nullptr);  // stores d itself
    // Raw storage, no evaluation (compute functions write their outputs here).
    Slot* slot(const Plug& p, bool create);
    void setComputed(const Plug& p, const Value& v);  // stores and marks clean
    // Existing logical indices of an array plug (stored or connected), ascending.
    std::vector<unsigned> logicalIndices(const Plug& arrayPlug) const;
    MStatus removeElement(const Plug& element);
    bool isLocked(const Plug& p) const;  // plug or an ancestor plug locked
    MStatus setLocked(const Plug& p, bool on);

    // ---- evaluation
    // Any change bumps the generation; computed plugs re-evaluate when stale.
    void touch() { ++gen_; }
    unsigned long long generation() const { return gen_; }
    // The plug being computed is requested again: cycles yield the stored value.

    // ---- time (internal unit seconds) and UI units
    double currentTime() const { return time_; }
    void setCurrentTime(double seconds);
    // Frames per second of the UI time unit (MTime::uiUnit; 24 = film).
    double fps() const;
    struct Playback { double min = 1, max = 24, animStart = 1, animEnd = 48; };  // frames
    Playback& playback() { return playback_; }

    // ---- selection
    std::vector<SelectionItem>& activeSelection() { return selection_; }

    // ---- sets
    std::vector<Node*> setsOf(Node* member) const;         // whole or partial membership
    std::vector<SetMembership> membershipsOf(Node* shape) const;
    std::vector<Node*> setMembers(Node* set) const;        // member nodes (whole or partial)
    // Adds a member; components (e.g. {"f[0:3]"}) make a per-face membership via
    // instObjGroups/objectGroups and a groupId. For shading engines the
    // member leaves other shading engines (they share a partition).
    MStatus addToSet(Node* set, Node* member, const std::vector<std::string>& components = {},
                     std::string* error = nullptr);
    MStatus removeFromSet(Node* set, Node* member, std::string* error = nullptr);

    // Hook called for every new node (other host parts attach behaviour).
    std::vector<std::function<void(Node&)>> onCreate;
    // Deletion notifications (e.g. undo queues, selection).
    std::vector<std::function<void(Node&)>> onDelete;

private:
    friend class Node;
    void registerBuiltins();
    void createDefaults();
    // Name index: short name -> nodes in creation order, and how many of them
    // are not DAG nodes. Kept current by create/rename/reparent/delete.
    struct NameEntry {
        std::vector<Node*> nodes;
        unsigned nonDag = 0;
    };
    void indexAdd(Node* n);
    void indexRemove(Node* n);
    const NameEntry* entry(const std::string& name) const;
    bool nameTaken(const std::string& name, const Node* self) const;
    // First number i >= start with prefix+i+suffix free.
    std::string firstFree(const std::string& prefix, const std::string& suffix, unsigned long start,
                          const Node* self) const;
    void forgetNumber(const std::string& name) const;
    std::unordered_map<std::string, NameEntry> byName_;
    // Numbers known to be taken per automatic-name pattern (prefix '\0'
    // suffix): runs [first, end). A cache: numbers leave it when their name
    // is freed, so probing results are exactly those of a full scan.
    mutable std::unordered_map<std::string, std::map<unsigned long, unsigned long>> taken_;
    unsigned long long nextCreated_ = 1;
    Value evaluate(const Plug& p, int depth);
    std::vector<NodePtr> nodes_;
    NodePtr world_;
    std::vector<std::unique_ptr<NodeType>> types_;
    std::unordered_map<std::string, NodeType*> typesByName_;
    NodeType* initializing_ = nullptr;
    unsigned long long gen_ = 1;
    double time_ = 1.0 / 24.0;
    Playback playback_;
    std::vector<SelectionItem> selection_;
    std::vector<const Slot*> evaluating_;
};

Scene& scene();

// Wildcard match with '*' and '?'.
bool wildcardMatch(const std::string& pattern, const std::string& text);

}  // namespace host::scene
