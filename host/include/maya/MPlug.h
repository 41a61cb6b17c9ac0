#pragma once
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <memory>
#include <vector>

class MPlugArray;
class MIntArray;
class MTime;
class MAngle;
class MDistance;
class MDataHandle;

namespace host { namespace scene { class Node; struct Plug; struct PlugElem; } }

// A node's attribute at given array indices: "pCube1.translate", "mesh.w[0]".
class MPlug {
public:
    MPlug();
    MPlug(const MObject& node, const MObject& attribute);
    MPlug(const MPlug&);
    MPlug& operator=(const MPlug&);
    ~MPlug();

    bool isNull(MStatus* status = nullptr) const;
    MObject attribute(MStatus* status = nullptr) const;
    MObject node(MStatus* status = nullptr) const;
    MString name(MStatus* status = nullptr) const;  // "node.attr[2].child", short names
    MString partialName(bool includeNodeName = false, bool includeNonMandatoryIndices = false,
                        bool includeInstancedIndices = false, bool useAlias = false,
                        bool useFullAttributePath = false, bool useLongNames = false,
                        MStatus* status = nullptr) const;
    MString info(MStatus* status = nullptr) const { return name(status); }

    bool isArray(MStatus* status = nullptr) const;
    bool isElement(MStatus* status = nullptr) const;
    bool isCompound(MStatus* status = nullptr) const;
    bool isChild(MStatus* status = nullptr) const;
    bool isDynamic(MStatus* status = nullptr) const;
    bool isNetworked(MStatus* status = nullptr) const;
    bool isFreeToChange(bool checkParents = true, bool checkChildren = true, MStatus* status = nullptr) const;
    unsigned int logicalIndex(MStatus* status = nullptr) const;
    unsigned int numElements(MStatus* status = nullptr) const;
    unsigned int evaluateNumElements(MStatus* status = nullptr) const { return numElements(status); }
    unsigned int numConnectedElements(MStatus* status = nullptr) const;
    unsigned int numChildren(MStatus* status = nullptr) const;
    unsigned int numConnectedChildren(MStatus* status = nullptr) const;
    MPlug elementByLogicalIndex(unsigned int logicalIndex, MStatus* status = nullptr) const;
    MPlug elementByPhysicalIndex(unsigned int physicalIndex, MStatus* status = nullptr) const;
    MPlug operator[](unsigned int physicalIndex) const { return elementByPhysicalIndex(physicalIndex); }
    unsigned int getExistingArrayAttributeIndices(MIntArray& indices, MStatus* status = nullptr) const;
    MPlug child(unsigned int index, MStatus* status = nullptr) const;
    MPlug child(const MObject& attr, MStatus* status = nullptr) const;
    MPlug parent(MStatus* status = nullptr) const;
    MPlug array(MStatus* status = nullptr) const;
    MStatus selectAncestorLogicalIndex(unsigned int index, const MObject& attr = MObject::kNullObj);

    bool isConnected(MStatus* status = nullptr) const;
    bool isDestination(MStatus* status = nullptr) const;
    bool isSource(MStatus* status = nullptr) const;
    bool connectedTo(MPlugArray& plugs, bool asDst, bool asSrc, MStatus* status = nullptr) const;
    MPlug source(MStatus* status = nullptr) const;
    bool destinations(MPlugArray& plugs, MStatus* status = nullptr) const;

    bool isLocked(MStatus* status = nullptr) const;
    MStatus setLocked(bool locked);
    bool isKeyable(MStatus* status = nullptr) const;
    MStatus setKeyable(bool keyable);
    bool isChannelBoxFlagSet(MStatus* status = nullptr) const;
    MStatus setChannelBox(bool on);

    MStatus getValue(bool& v) const;
    MStatus getValue(char& v) const;
    MStatus getValue(short& v) const;
    MStatus getValue(int& v) const;
    MStatus getValue(float& v) const;
    MStatus getValue(double& v) const;
    MStatus getValue(MString& v) const;
    MStatus getValue(MObject& v) const;
    MStatus getValue(MTime& v) const;
    MStatus getValue(MAngle& v) const;
    MStatus getValue(MDistance& v) const;
    MStatus setValue(bool v);
    MStatus setValue(char v);
    MStatus setValue(short v);
    MStatus setValue(int v);
    MStatus setValue(float v);
    MStatus setValue(double v);
    MStatus setValue(const MString& v);
    MStatus setValue(const char* v) { return setValue(MString(v)); }
    MStatus setValue(const MObject& v);
    MStatus setValue(const MTime& v);
    MStatus setValue(const MAngle& v);
    MStatus setValue(const MDistance& v);

    bool asBool(MStatus* status = nullptr) const;
    char asChar(MStatus* status = nullptr) const;
    short asShort(MStatus* status = nullptr) const;
    int asInt(MStatus* status = nullptr) const;
    float asFloat(MStatus* status = nullptr) const;
    double asDouble(MStatus* status = nullptr) const;
    MString asString(MStatus* status = nullptr) const;
    MObject asMObject(MStatus* status = nullptr) const;
    MTime asMTime(MStatus* status = nullptr) const;
    MAngle asMAngle(MStatus* status = nullptr) const;
    MDistance asMDistance(MStatus* status = nullptr) const;

    bool operator==(const MPlug& o) const;
    bool operator!=(const MPlug& o) const { return !(*this == o); }
    bool operator==(const MObject& attr) const { return attribute() == attr; }

    // Host-internal.
    explicit MPlug(const host::scene::Plug& p);
    host::scene::Plug plug() const;  // null plug when the node is gone
    const std::shared_ptr<host::scene::Node>& nodePtr() const { return node_; }

private:
    std::shared_ptr<host::scene::Node> node_;
    std::shared_ptr<std::vector<host::scene::PlugElem>> path_;
};
