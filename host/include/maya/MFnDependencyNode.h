#pragma once
#include <maya/MFnBase.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

class MPlug;
class MPlugArray;
class MPxNode;
class MObjectArray;

// Function set of every dependency node: name, type, attributes, plugs.
class MFnDependencyNode : public MFnBase {
public:
    enum MAttrClass { kLocalDynamicAttr = 1, kNormalAttr, kExtensionAttr, kInvalidAttr };

    MFnDependencyNode() = default;
    MFnDependencyNode(const MObject& node, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kDependencyNode; }

    // Creates a node by type name or id (automatic name when name is empty).
    MObject create(const MString& type, MStatus* status = nullptr);
    MObject create(const MString& type, const MString& name, MStatus* status = nullptr);
    MObject create(const MTypeId& typeId, MStatus* status = nullptr);
    MObject create(const MTypeId& typeId, const MString& name, MStatus* status = nullptr);

    MString name(MStatus* status = nullptr) const;
    MString absoluteName(MStatus* status = nullptr) const { return name(status); }
    MString setName(const MString& name, bool createNamespace = false, MStatus* status = nullptr);
    MString typeName(MStatus* status = nullptr) const;
    MTypeId typeId(MStatus* status = nullptr) const;
    MString pluginName(MStatus* status = nullptr) const;
    bool isShared(MStatus* status = nullptr) const;
    bool isDefaultNode(MStatus* status = nullptr) const;
    bool isFromReferencedFile(MStatus* status = nullptr) const;
    bool isLocked(MStatus* status = nullptr) const;
    MStatus setLocked(bool locked);
    bool canBeWritten(MStatus* status = nullptr) const;
    MPxNode* userNode(MStatus* status = nullptr) const;

    unsigned int attributeCount(MStatus* status = nullptr) const;
    MObject attribute(unsigned int index, MStatus* status = nullptr) const;
    MObject attribute(const MString& name, MStatus* status = nullptr) const;
    bool hasAttribute(const MString& name, MStatus* status = nullptr) const;
    MAttrClass attributeClass(const MObject& attr, MStatus* status = nullptr) const;
    MStatus addAttribute(const MObject& attr);
    MStatus removeAttribute(const MObject& attr);

    MPlug findPlug(const MString& name, bool wantNetworkedPlug, MStatus* status = nullptr) const;
    MPlug findPlug(const MString& name, MStatus* status = nullptr) const;
    MPlug findPlug(const MObject& attr, bool wantNetworkedPlug, MStatus* status = nullptr) const;
    MPlug findPlug(const MObject& attr, MStatus* status = nullptr) const;
    // Plugs of this node that have connections, either direction.
    MStatus getConnections(MPlugArray& plugs) const;
    bool isNewAttribute(const MObject&) const { return false; }

    static MString classification(const MString& nodeTypeName);
};
