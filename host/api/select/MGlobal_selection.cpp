// The selection services of MGlobal over the scene's active selection list.
#include <maya/MArgDatabase.h>
#include <maya/MDagPath.h>
#include <maya/MGlobal.h>
#include <maya/MSelectionList.h>

#include "api/select/select_util.h"

#include <algorithm>

using namespace host::api;
using host::scene::SelectionItem;
using host::scene::scene;

MStatus MGlobal::getActiveSelectionList(MSelectionList& dest) {
    dest.clear();
    for (const SelectionItem& it : scene().activeSelection())
        if (it.node && it.node->alive()) dest.items().push_back(it);
    return MStatus::kSuccess;
}

MStatus MGlobal::setActiveSelectionList(const MSelectionList& src, ListAdjustment mode) {
    auto& active = scene().activeSelection();
    switch (mode) {
    case kReplaceList:
        active = src.items();
        break;
    case kAddToList:
        for (const auto& it : src.items())
            if (std::find(active.begin(), active.end(), it) == active.end()) active.push_back(it);
        break;
    case kAddToHeadOfList: {
        std::vector<SelectionItem> head;
        for (const auto& it : src.items())
            if (std::find(head.begin(), head.end(), it) == head.end()) head.push_back(it);
        for (const auto& it : active)
            if (std::find(head.begin(), head.end(), it) == head.end()) head.push_back(it);
        active = head;
        break;
    }
    case kRemoveFromList:
        for (const auto& it : src.items()) active.erase(std::remove(active.begin(), active.end(), it), active.end());
        break;
    case kXORWithList:
        for (const auto& it : src.items()) {
            auto pos = std::find(active.begin(), active.end(), it);
            if (pos != active.end()) active.erase(pos);
            else active.push_back(it);
        }
        break;
    }
    return MStatus::kSuccess;
}

MStatus MGlobal::selectByName(const MString& name, ListAdjustment mode) {
    MSelectionList list;
    MStatus st = list.add(name);
    if (st.error()) return st;
    return setActiveSelectionList(list, mode);
}

MStatus MGlobal::getSelectionListByName(const MString& name, MSelectionList& list) {
    list.clear();
    return list.add(name);
}

MStatus MGlobal::clearSelectionList() {
    scene().activeSelection().clear();
    return MStatus::kSuccess;
}

MStatus MGlobal::select(const MObject& node, ListAdjustment mode) {
    MSelectionList list;
    MStatus st = list.add(node);
    if (st.error()) return st;
    return setActiveSelectionList(list, mode);
}

MStatus MGlobal::select(const MDagPath& path, const MObject& component, ListAdjustment mode) {
    MSelectionList list;
    MStatus st = list.add(path, component);
    if (st.error()) return st;
    return setActiveSelectionList(list, mode);
}

MStatus MArgDatabase::getObjects(MSelectionList& out) const {
    out.clear();
    for (const MString& name : objects_) {
        MStatus st = out.add(name);
        if (st.error()) return st;
    }
    return MStatus::kSuccess;
}
