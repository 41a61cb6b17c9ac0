#pragma once
#include <maya/MFnBase.h>

// Function set of components (parts of a shape: vertices, edges, faces).
class MFnComponent : public MFnBase {
public:
    MFnComponent() = default;
    MFnComponent(MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kComponent; }

    int elementCount(MStatus* status = nullptr);
    MFn::Type componentType(MStatus* status = nullptr);
    bool isEmpty(MStatus* status = nullptr) const;
    bool isEqual(MObject& other, MStatus* status = nullptr) const;
    bool isComplete(MStatus* status = nullptr) const;
    MStatus setComplete(bool complete);
    bool hasWeights(MStatus* status = nullptr) const { if (status) *status = MStatus::kSuccess; return false; }
};
