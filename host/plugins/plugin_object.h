#pragma once
#include "plugins/registry.h"
#include "scene/core/scene.h"

#include <maya/MObject.h>

namespace host::plugins {

// What the MObject handed to initializePlugin/uninitializePlugin names.
struct PluginObject : host::scene::Object {
    explicit PluginObject(Plugin* p) : plugin(p) {}
    Plugin* plugin;
    MFn::Type apiType() const override { return MFn::kNamedObject; }
};

inline MObject makePluginObject(Plugin* p) { return MObject(std::make_shared<PluginObject>(p)); }

inline Plugin* pluginOf(const MObject& o) {
    auto* po = dynamic_cast<PluginObject*>(o.object().get());
    return po ? po->plugin : nullptr;
}

MStatus undoLast(std::string* error);
MStatus redoLast(std::string* error);

}  // namespace host::plugins
