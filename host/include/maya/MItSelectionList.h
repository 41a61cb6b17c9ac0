#pragma once
#include <maya/MFn.h>
#include <maya/MSelectionList.h>

// Walks a selection list, optionally only items of one MFn type.
class MItSelectionList {
public:
    enum selItemType { kUnknownItem = -1, kDagSelectionItem, kAnimSelectionItem, kDNselectionItem, kPlugSelectionItem };

    MItSelectionList(const MSelectionList& list, MFn::Type filter = MFn::kInvalid, MStatus* status = nullptr);
    bool isDone(MStatus* status = nullptr) const;
    MStatus next();
    MStatus reset();
    MStatus setFilter(MFn::Type filter);
    MStatus getDependNode(MObject& node) const;
    MStatus getDagPath(MDagPath& path, MObject& component) const;
    MStatus getDagPath(MDagPath& path) const;
    MStatus getPlug(MPlug& plug) const;
    MStatus getStrings(MStringArray& array) const;
    selItemType itemType(MStatus* status = nullptr) const;
    bool hasComponents(MStatus* status = nullptr) const;

private:
    bool accepted(unsigned int i) const;
    MSelectionList list_;
    MFn::Type filter_;
    unsigned int i_ = 0;
};
