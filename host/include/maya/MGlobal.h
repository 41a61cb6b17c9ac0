#pragma once
#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>

class MSelectionList;
class MObject;
class MDagPath;
class MTime;

// Process-wide host services: MEL, selection, time, messages.
class MGlobal {
public:
    enum MMayaState { kInteractive, kBatch, kLibraryApp, kBaseUIMode };
    enum ListAdjustment { kReplaceList, kXORWithList, kAddToList, kRemoveFromList, kAddToHeadOfList };

    static MMayaState mayaState(MStatus* status = nullptr);
    static MString mayaVersion();
    static int apiVersion();

    // Runs MEL. A failing command prints the host's error and returns kFailure.
    static MStatus executeCommand(const MString& command, bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, int& result, bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, double& result, bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MString& result, bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MStringArray& result, bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MIntArray& result, bool displayEnabled = false, bool undoEnabled = false);
    static MStatus executeCommand(const MString& command, MDoubleArray& result, bool displayEnabled = false, bool undoEnabled = false);
    // Queued; runs after the current top-level command, as evalDeferred.
    static MStatus executeCommandOnIdle(const MString& command, bool displayEnabled = false);
    static MStatus sourceFile(const MString& fileName);

    static void displayInfo(const MString& text);
    static void displayWarning(const MString& text);
    static void displayError(const MString& text);

    static MStatus getActiveSelectionList(MSelectionList& dest);
    static MStatus setActiveSelectionList(const MSelectionList& src, ListAdjustment mode = kReplaceList);
    static MStatus selectByName(const MString& name, ListAdjustment mode = kAddToList);
    static MStatus getSelectionListByName(const MString& name, MSelectionList& list);
    static MStatus clearSelectionList();
    static MStatus select(const MObject& node, ListAdjustment mode = kAddToList);
    static MStatus select(const MDagPath& path, const MObject& component, ListAdjustment mode = kAddToList);

    // Sets the scene's current time; attributes driven by animation re-evaluate.
    static MStatus viewFrame(const MTime& time);
    static MStatus viewFrame(double frame);
};
