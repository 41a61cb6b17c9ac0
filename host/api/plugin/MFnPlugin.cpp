#include <maya/MFnPlugin.h>

#include "plugins/plugin_object.h"
#include "plugins/registry.h"
#include "scene/core/scene.h"

using host::plugins::Plugin;
using host::plugins::Registry;

namespace {
Plugin* self(void* p) { return static_cast<Plugin*>(p); }
}

MFnPlugin::MFnPlugin() = default;

MFnPlugin::MFnPlugin(MObject& object, const char* vendor, const char* version, const char* requiredApiVersion,
                     MStatus* status) {
    Plugin* p = host::plugins::pluginOf(object);
    plugin_ = p;
    if (!p) {
        if (status) *status = MStatus::kInvalidParameter;
        return;
    }
    // The vendor and version given at load are the plug-in's; unload passes "Unknown".
    if (vendor && p->vendor == "Unknown") p->vendor = vendor;
    if (version && p->version == "Unknown") p->version = version;
    if (requiredApiVersion) p->apiVersion = requiredApiVersion;
    if (status) *status = MStatus::kSuccess;
}

MFnPlugin::~MFnPlugin() = default;

MString MFnPlugin::vendor(MStatus* status) const {
    if (status) *status = plugin_ ? MStatus::kSuccess : MStatus::kFailure;
    return plugin_ ? MString(self(plugin_)->vendor) : MString();
}
MString MFnPlugin::version(MStatus* status) const {
    if (status) *status = plugin_ ? MStatus::kSuccess : MStatus::kFailure;
    return plugin_ ? MString(self(plugin_)->version) : MString();
}
MString MFnPlugin::apiVersion(MStatus* status) const {
    if (status) *status = plugin_ ? MStatus::kSuccess : MStatus::kFailure;
    return plugin_ ? MString(self(plugin_)->apiVersion) : MString();
}
MString MFnPlugin::name(MStatus* status) const {
    if (status) *status = plugin_ ? MStatus::kSuccess : MStatus::kFailure;
    return plugin_ ? MString(self(plugin_)->name) : MString();
}
MString MFnPlugin::loadPath(MStatus* status) const {
    if (status) *status = plugin_ ? MStatus::kSuccess : MStatus::kFailure;
    if (!plugin_) return MString();
    const std::string& path = self(plugin_)->path;
    auto slash = path.rfind('/');
    return MString(slash == std::string::npos ? std::string(".") : path.substr(0, slash));
}
MStatus MFnPlugin::setName(const MString& newName, bool) {
    if (!plugin_) return MStatus::kFailure;
    self(plugin_)->name = newName.str();
    return MStatus::kSuccess;
}
MStatus MFnPlugin::setVersion(const MString& v) {
    if (!plugin_) return MStatus::kFailure;
    self(plugin_)->version = v.str();
    return MStatus::kSuccess;
}

MStatus MFnPlugin::registerFileTranslator(const MString& translatorName, const char* pixmapName,
                                          MCreatorFunction creatorFunction, const char* optionsScriptName,
                                          const char* defaultOptionsString, bool requiresFullMel) {
    if (!plugin_ || !creatorFunction) return MStatus::kInvalidParameter;
    host::plugins::TranslatorEntry e;
    e.name = translatorName.str();
    e.pixmap = pixmapName ? pixmapName : "";
    e.creator = creatorFunction;
    e.optionsScript = optionsScriptName ? optionsScriptName : "";
    e.defaultOptions = defaultOptionsString ? defaultOptionsString : "";
    e.requiresFullMel = requiresFullMel;
    return Registry::instance().addTranslator(self(plugin_), std::move(e));
}

MStatus MFnPlugin::deregisterFileTranslator(const MString& translatorName) {
    return Registry::instance().removeTranslator(translatorName.str());
}

MStatus MFnPlugin::registerCommand(const MString& commandName, MCreatorFunction creatorFunction,
                                   MCreateSyntaxFunction createSyntaxFunction) {
    if (!plugin_ || !creatorFunction) return MStatus::kInvalidParameter;
    host::plugins::CommandEntry e;
    e.name = commandName.str();
    e.creator = creatorFunction;
    e.syntax = createSyntaxFunction;
    return Registry::instance().addCommand(self(plugin_), std::move(e));
}

MStatus MFnPlugin::deregisterCommand(const MString& commandName) {
    return Registry::instance().removeCommand(commandName.str());
}

MStatus MFnPlugin::registerNode(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                                MInitializeFunction initFunction, MPxNode::Type type, const MString*) {
    if (!plugin_ || !creatorFunction) return MStatus::kInvalidParameter;
    std::string error;
    MStatus st = host::scene::scene().registerPluginType(
        typeName.str(), typeId.id(), [creatorFunction]() { return static_cast<MPxNode*>(creatorFunction()); },
        [initFunction]() { return initFunction ? initFunction() : MStatus(MStatus::kSuccess); },
        static_cast<int>(type), self(plugin_)->name, &error);
    if (!st.error()) {
        self(plugin_)->nodeTypes.push_back(typeId.id());
        self(plugin_)->nodeTypeNames.push_back(typeName.str());
    }
    return st;
}

MStatus MFnPlugin::registerShape(const MString& typeName, const MTypeId& typeId, MCreatorFunction creatorFunction,
                                 MInitializeFunction initFunction, MCreatorFunction, const MString* classification) {
    return registerNode(typeName, typeId, creatorFunction, initFunction, MPxNode::kSurfaceShape, classification);
}

MStatus MFnPlugin::deregisterNode(const MTypeId& typeId) {
    std::string error;
    MStatus st = host::scene::scene().deregisterPluginType(typeId.id(), &error);
    if (plugin_ && !st.error()) {
        auto& ids = self(plugin_)->nodeTypes;
        for (size_t i = 0; i < ids.size(); ++i) {
            if (ids[i] == typeId.id()) {
                ids.erase(ids.begin() + static_cast<long>(i));
                self(plugin_)->nodeTypeNames.erase(self(plugin_)->nodeTypeNames.begin() + static_cast<long>(i));
                break;
            }
        }
    }
    return st;
}
