#include "plugins/host_commands.h"

#include "mel/command.h"
#include "plugins/plugin_object.h"
#include "plugins/registry.h"

namespace host::plugins {

using host::mel::ArgParser;
using host::mel::ArgType;
using host::mel::CommandContext;
using host::mel::CommandError;
using host::mel::Value;

namespace {

std::vector<std::string> objectNames(const host::mel::ParsedArgs& a) {
    std::vector<std::string> r;
    for (const Value& v : a.objects()) {
        if (v.isArray()) {
            for (const auto& s : v.asStringArray()) r.push_back(s);
        } else {
            r.push_back(v.asString());
        }
    }
    return r;
}

Value loadPlugin(CommandContext& ctx) {
    static const ArgParser parser = ArgParser("loadPlugin").flag("qt", "quiet").objects(1);
    auto a = parser.parse(ctx);
    std::vector<std::string> loaded;
    for (const std::string& n : objectNames(a)) {
        std::string error, name;
        if (Registry::instance().load(n, &error, &name).error()) throw CommandError(error);
        loaded.push_back(name);
    }
    return Value(loaded);
}

Value unloadPlugin(CommandContext& ctx) {
    static const ArgParser parser = ArgParser("unloadPlugin").flag("f", "force").objects(1);
    auto a = parser.parse(ctx);
    std::vector<std::string> done;
    for (const std::string& n : objectNames(a)) {
        std::string error;
        if (Registry::instance().unload(n, &error).error()) throw CommandError(error);
        done.push_back(n);
    }
    return Value(done);
}

Value pluginInfo(CommandContext& ctx) {
    static const ArgParser parser = ArgParser("pluginInfo")
                                        .queryFlag("q", "query")
                                        .flag("l", "loaded")
                                        .flag("ls", "listPlugins")
                                        .flag("vd", "vendor")
                                        .flag("v", "version")
                                        .flag("p", "path")
                                        .flag("c", "command")
                                        .flag("dn", "dependNode")
                                        .flag("tr", "translator")
                                        .objects(0, 1);
    auto a = parser.parse(ctx);
    Registry& reg = Registry::instance();
    if (a.isSet("ls")) {
        std::vector<std::string> names;
        for (const Plugin* p : reg.plugins()) names.push_back(p->name);
        return Value(names);
    }
    auto names = objectNames(a);
    if (names.empty()) throw CommandError("pluginInfo: a plug-in name is required");
    std::string n = names[0];
    auto slash = n.rfind('/');
    if (slash != std::string::npos) n = n.substr(slash + 1);
    if (n.size() > 3 && n.compare(n.size() - 3, 3, ".so") == 0) n.resize(n.size() - 3);
    Plugin* p = reg.find(n);
    if (a.isSet("l")) return Value(p ? 1 : 0);
    if (!p) throw CommandError("Plug-in, \"" + n + "\", is not loaded.");
    if (a.isSet("vd")) return Value(p->vendor);
    if (a.isSet("v")) return Value(p->version);
    if (a.isSet("p")) return Value(p->path);
    if (a.isSet("c")) return Value(p->commands);
    if (a.isSet("dn")) return Value(p->nodeTypeNames);
    if (a.isSet("tr")) return Value(p->translators);
    throw CommandError("pluginInfo: no query flag given");
}

Value undoCmd(CommandContext&) {
    std::string error;
    if (undoLast(&error).error() && !error.empty()) throw CommandError(error);
    return Value();
}

Value redoCmd(CommandContext&) {
    std::string error;
    if (redoLast(&error).error() && !error.empty()) throw CommandError(error);
    return Value();
}

}  // namespace

void registerPluginCommands(host::mel::Interpreter& interp) {
    interp.registerCommand("loadPlugin", loadPlugin);
    interp.registerCommand("unloadPlugin", unloadPlugin);
    interp.registerCommand("pluginInfo", pluginInfo);
    interp.registerCommand("undo", undoCmd);
    interp.registerCommand("redo", redoCmd);
}

}  // namespace host::plugins
