#pragma once
#include <maya/MArrayDataHandle.h>
#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>

namespace host { namespace scene { class Node; } }

// The node's values as compute() sees them.
class MDataBlock {
public:
    explicit MDataBlock(host::scene::Node* node = nullptr) : node_(node) {}

    MDataHandle inputValue(const MPlug& plug, MStatus* status = nullptr);
    MDataHandle inputValue(const MObject& attribute, MStatus* status = nullptr);
    MDataHandle outputValue(const MPlug& plug, MStatus* status = nullptr);
    MDataHandle outputValue(const MObject& attribute, MStatus* status = nullptr);
    MArrayDataHandle inputArrayValue(const MPlug& plug, MStatus* status = nullptr);
    MArrayDataHandle inputArrayValue(const MObject& attribute, MStatus* status = nullptr);
    MArrayDataHandle outputArrayValue(const MPlug& plug, MStatus* status = nullptr);
    MArrayDataHandle outputArrayValue(const MObject& attribute, MStatus* status = nullptr);
    MStatus setClean(const MPlug& plug);
    MStatus setClean(const MObject& attribute);
    bool isClean(const MObject& attribute, MStatus* status = nullptr);
    bool isClean(const MPlug& plug, MStatus* status = nullptr);

private:
    host::scene::Node* node_;
};
