#pragma once
#include <maya/MFnDependencyNode.h>
#include <maya/MSelectionList.h>

class MObjectArray;

// Function set of sets (objectSet, shadingEngine): members, possibly with faces.
class MFnSet : public MFnDependencyNode {
public:
    enum Restriction { kNone, kVerticesOnly, kEdgesOnly, kFacetsOnly, kEditPointsOnly, kRenderableOnly };

    MFnSet() = default;
    MFnSet(const MObject& set, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kSet; }

    MObject create(const MSelectionList& members, Restriction restriction = kNone, bool isShared = false,
                   MStatus* status = nullptr);
    // flatten is accepted; sets of sets are not modelled.
    MStatus getMembers(MSelectionList& members, bool flatten) const;
    MStatus addMember(const MObject& object);
    MStatus addMember(const MDagPath& path, const MObject& component = MObject::kNullObj);
    MStatus addMember(const MPlug& plug);
    MStatus addMembers(const MSelectionList& list);
    MStatus removeMember(const MObject& object);
    MStatus removeMember(const MDagPath& path, const MObject& component);
    MStatus removeMembers(const MSelectionList& list);
    MStatus clear();
    bool isMember(const MObject& object, MStatus* status = nullptr) const;
    bool isMember(const MDagPath& path, const MObject& component = MObject::kNullObj, MStatus* status = nullptr) const;
    Restriction restriction(MStatus* status = nullptr) const;
    MString annotation(MStatus* status = nullptr) const;
    MStatus setAnnotation(const MString& text);
    MStatus getUnion(const MObject& withSet, MSelectionList& result);
    MStatus getIntersection(const MObject& withSet, MSelectionList& result);
    bool hasRestrictions(MStatus* status = nullptr) const { return restriction(status) != kNone; }
};
