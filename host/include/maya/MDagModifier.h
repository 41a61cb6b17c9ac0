#pragma once
#include <maya/MDGModifier.h>

// MDGModifier with DAG edits: create under a parent, reparent.
class MDagModifier : public MDGModifier {
public:
    MDagModifier() = default;
    ~MDagModifier() override = default;
    // A shape without parent gets a new transform; the transform is returned.
    MObject createNode(const MString& type, const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);
    MObject createNode(const MTypeId& typeId, const MObject& parent = MObject::kNullObj, MStatus* status = nullptr);
    MStatus reparentNode(const MObject& node, const MObject& newParent = MObject::kNullObj);
};
