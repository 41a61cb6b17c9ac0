#pragma once
#include <maya/MFnBase.h>

// A list of components, as component-list attributes and set members hold them.
class MFnComponentListData : public MFnBase {
public:
    MFnComponentListData() = default;
    MFnComponentListData(MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kComponentListData; }

    MObject create(MStatus* status = nullptr);
    unsigned int length(MStatus* status = nullptr) const;
    MObject operator[](unsigned int index) const;
    MStatus add(MObject& component);
    MStatus clear();
    bool has(const MObject& component, MStatus* status = nullptr) const;
};
