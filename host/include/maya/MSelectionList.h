#pragma once
#include <maya/MDagPath.h>
#include <maya/MObject.h>
#include <maya/MPlug.h>
#include <maya/MStatus.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

#include <memory>
#include <vector>

namespace host { namespace scene { struct SelectionItem; } }

// An ordered list of nodes, DAG paths with components, and plugs.
class MSelectionList {
public:
    enum MergeStrategy { kMergeNormal, kXORWithList, kRemoveFromList };

    MSelectionList();
    MSelectionList(const MSelectionList& o);
    MSelectionList& operator=(const MSelectionList& o);
    ~MSelectionList();

    MStatus clear();
    bool isEmpty(MStatus* status = nullptr) const;
    unsigned int length(MStatus* status = nullptr) const;

    // By name, path, wildcard pattern ("pCube*"), plug ("pCube1.tx") or
    // component ("pCube1.f[0:3]"). Fails when nothing matches.
    MStatus add(const MString& matchString, bool searchChildNamespacesToo = false);
    MStatus add(const MObject& object, bool mergeWithExisting = false);
    MStatus add(const MDagPath& path, const MObject& component = MObject::kNullObj, bool mergeWithExisting = false);
    MStatus add(const MPlug& plug, bool mergeWithExisting = true);
    MStatus remove(unsigned int index);
    MStatus replace(unsigned int index, const MObject& item);
    MStatus replace(unsigned int index, const MDagPath& item, const MObject& component);
    MStatus toggle(const MDagPath& path, const MObject& component);
    MStatus merge(const MSelectionList& other, MergeStrategy strategy = kMergeNormal);
    MStatus merge(const MDagPath& path, const MObject& component, MergeStrategy strategy = kMergeNormal);

    MStatus getDependNode(unsigned int index, MObject& node) const;
    MStatus getDagPath(unsigned int index, MDagPath& path, MObject& component) const;
    MStatus getDagPath(unsigned int index, MDagPath& path) const;
    MStatus getPlug(unsigned int index, MPlug& plug) const;
    MStatus getSelectionStrings(MStringArray& array) const;
    MStatus getSelectionStrings(unsigned int index, MStringArray& array) const;
    bool hasItem(const MObject& item, MStatus* status = nullptr) const;
    bool hasItem(const MDagPath& item, const MObject& component = MObject::kNullObj, MStatus* status = nullptr) const;

    // Host-internal.
    std::vector<host::scene::SelectionItem>& items();
    const std::vector<host::scene::SelectionItem>& items() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};
