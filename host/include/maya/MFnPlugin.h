#pragma once
#include <maya/MObject.h>
#include <maya/MPxNode.h>
#include <maya/MString.h>
#include <maya/MSyntax.h>
#include <maya/MTypeId.h>

typedef void* (*MCreatorFunction)();
typedef MStatus (*MInitializeFunction)();
typedef MSyntax (*MCreateSyntaxFunction)();

#define PLUGIN_EXPORT __attribute__((visibility("default")))

// Entry points every plug-in module defines.
extern "C" PLUGIN_EXPORT MStatus initializePlugin(MObject obj);
extern "C" PLUGIN_EXPORT MStatus uninitializePlugin(MObject obj);

// Registers what a plug-in offers; created inside the entry points with the
// MObject the host passes.
class MFnPlugin {
public:
    MFnPlugin();
    MFnPlugin(MObject& object, const char* vendor = "Unknown", const char* version = "Unknown",
              const char* requiredApiVersion = "Any", MStatus* status = nullptr);
    virtual ~MFnPlugin();

    MString vendor(MStatus* status = nullptr) const;
    MString version(MStatus* status = nullptr) const;
    MString apiVersion(MStatus* status = nullptr) const;
    MString name(MStatus* status = nullptr) const;
    MString loadPath(MStatus* status = nullptr) const;
    MStatus setName(const MString& newName, bool allowRename = true);
    MStatus setVersion(const MString& newVersion);

    MStatus registerFileTranslator(const MString& translatorName, const char* pixmapName,
                                   MCreatorFunction creatorFunction, const char* optionsScriptName = nullptr,
                                   const char* defaultOptionsString = nullptr, bool requiresFullMel = false);
    MStatus deregisterFileTranslator(const MString& translatorName);

    MStatus registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                            MCreateSyntaxFunction createSyntaxFunction = nullptr);
    MStatus deregisterCommand(const MString& commandName);

    MStatus registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                         MInitializeFunction initFunction, MPxNode::Type type = MPxNode::kDependNode,
                         const MString* classification = nullptr);
    MStatus registerShape(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                          MInitializeFunction initFunction, MCreatorFunction uiCreatorFunction,
                          const MString* classification = nullptr);
    MStatus deregisterNode(const MTypeId& typeId);

private:
    struct Impl;
    void* plugin_ = nullptr;
};
