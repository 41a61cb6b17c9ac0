#pragma once
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MTypeId.h>

#include <functional>
#include <vector>

// Queues dependency-graph edits; doIt performs them, undoIt reverts them.
// Nodes are created at once (so their MObject can be used) but are removed
// again by undoIt.
class MDGModifier {
public:
    MDGModifier();
    virtual ~MDGModifier();

    MObject createNode(const MString& type, MStatus* status = nullptr);
    MObject createNode(const MTypeId& typeId, MStatus* status = nullptr);
    MStatus deleteNode(const MObject& node);
    MStatus renameNode(const MObject& node, const MString& newName);
    MStatus connect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                    const MObject& destAttr);
    MStatus connect(const MPlug& source, const MPlug& dest);
    MStatus disconnect(const MObject& sourceNode, const MObject& sourceAttr, const MObject& destNode,
                       const MObject& destAttr);
    MStatus disconnect(const MPlug& source, const MPlug& dest);
    MStatus addAttribute(const MObject& node, const MObject& attribute);
    MStatus removeAttribute(const MObject& node, const MObject& attribute);
    MStatus newPlugValueDouble(const MPlug& plug, double value);
    MStatus newPlugValueFloat(const MPlug& plug, float value);
    MStatus newPlugValueInt(const MPlug& plug, int value);
    MStatus newPlugValueBool(const MPlug& plug, bool value);
    MStatus newPlugValueString(const MPlug& plug, const MString& value);
    MStatus commandToExecute(const MString& command);

    MStatus doIt();
    MStatus undoIt();

protected:
    struct Op {
        std::function<MStatus()> doIt;
        std::function<MStatus()> undoIt;
    };
    std::vector<Op> ops_;
    size_t done_ = 0;
};
