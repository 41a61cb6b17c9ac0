#include "files/ma_hooks.h"

#include <map>

namespace host::files {

namespace {
std::map<std::string, DataFormatter>& formatters() {
    static std::map<std::string, DataFormatter> m;
    return m;
}
std::map<std::string, NodeSaveHook>& saveHooks() {
    static std::map<std::string, NodeSaveHook> m;
    return m;
}
std::map<std::pair<std::string, std::string>, RangeSetter>& rangeSetters() {
    static std::map<std::pair<std::string, std::string>, RangeSetter> m;
    return m;
}
}  // namespace

void registerRangeSetter(const std::string& nodeType, const std::string& attrName, RangeSetter f) {
    rangeSetters()[{nodeType, attrName}] = std::move(f);
}

const RangeSetter* findRangeSetter(const scene::Node& node, const scene::Attribute* attr) {
    if (!attr || rangeSetters().empty()) return nullptr;
    for (const scene::NodeType* t = node.type; t; t = t->parent) {
        auto it = rangeSetters().find({t->name, attr->name});
        if (it != rangeSetters().end()) return &it->second;
    }
    return nullptr;
}

void registerDataFormatter(const std::string& typeName, DataFormatter f) { formatters()[typeName] = std::move(f); }

const DataFormatter* findDataFormatter(const std::string& typeName) {
    auto it = formatters().find(typeName);
    return it == formatters().end() ? nullptr : &it->second;
}

void registerNodeSaveHook(const std::string& nodeType, NodeSaveHook hook) { saveHooks()[nodeType] = std::move(hook); }

const NodeSaveHook* findNodeSaveHook(const scene::Node& node) {
    for (const scene::NodeType* t = node.type; t; t = t->parent) {
        auto it = saveHooks().find(t->name);
        if (it != saveHooks().end()) return &it->second;
    }
    return nullptr;
}

}  // namespace host::files
