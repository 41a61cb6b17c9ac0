#pragma once
#include <maya/MDataHandle.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>

namespace host { namespace scene { class Node; } }

// What a node's compute reads its inputs from and writes its outputs to.
class MDataBlock {
public:
    MDataBlock() = default;
    MDataHandle inputValue(const MPlug& plug, MStatus* status = nullptr);
    MDataHandle inputValue(const MObject& attribute, MStatus* status = nullptr);
    MDataHandle outputValue(const MPlug& plug, MStatus* status = nullptr);
    MDataHandle outputValue(const MObject& attribute, MStatus* status = nullptr);
    MStatus setClean(const MPlug& plug);
    MStatus setClean(const MObject& attribute);

    // Host-internal.
    explicit MDataBlock(std::shared_ptr<host::scene::Node> node) : node_(std::move(node)) {}

private:
    std::shared_ptr<host::scene::Node> node_;
};
