#include "plugins/registry.h"

#include "mel/interpreter.h"
#include "plugins/command_result.h"
#include "plugins/plugin_object.h"

#include <maya/MArgList.h>
#include <maya/MObject.h>
#include <maya/MPxCommand.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

namespace host::plugins {

namespace {
int gAccessMode = 0;

bool isFile(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    std::string n = slash == std::string::npos ? path : path.substr(slash + 1);
    if (n.size() > 3 && n.compare(n.size() - 3, 3, ".so") == 0) n.resize(n.size() - 3);
    return n;
}

using EntryFn = MStatus (*)(MObject);

// Words of a MEL call as a plug-in command sees them.
MArgList toArgList(const std::vector<host::mel::Value>& args) {
    MArgList list;
    for (const auto& v : args) {
        MArgList::Word w;
        if (v.isArray()) {
            w.isArray = true;
            for (const std::string& s : v.asStringArray()) w.elements.append(MString(s));
        } else {
            w.text = MString(v.asString());
        }
        list.addWord(std::move(w));
    }
    return list;
}

// Plug-in commands kept for undo, newest last.
std::vector<std::unique_ptr<MPxCommand>>& undoQueue() {
    static std::vector<std::unique_ptr<MPxCommand>> q;
    return q;
}
std::vector<std::unique_ptr<MPxCommand>>& redoQueue() {
    static std::vector<std::unique_ptr<MPxCommand>> q;
    return q;
}
}  // namespace

int currentAccessMode() { return gAccessMode; }
void setCurrentAccessMode(int mode) { gAccessMode = mode; }

CommandResult& currentCommandResult() {
    static CommandResult r;
    return r;
}

MPxFileTranslator* TranslatorEntry::get() {
    if (!instance && creator) instance.reset(static_cast<MPxFileTranslator*>(creator()));
    return instance.get();
}

Registry& Registry::instance() {
    static Registry r;
    return r;
}

std::vector<std::string> Registry::searchPath() const {
    std::vector<std::string> dirs;
    const char* env = std::getenv("MAYA_PLUG_IN_PATH");
    std::string path = env && *env ? env : "";
#ifdef VL2_DEFAULT_PLUGIN_DIR
    if (path.empty()) path = VL2_DEFAULT_PLUGIN_DIR;
#endif
    std::string cur;
    for (char c : path + ":") {
        if (c == ':') {
            if (!cur.empty()) dirs.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return dirs;
}

std::string Registry::locate(const std::string& nameOrPath) const {
    if (nameOrPath.find('/') != std::string::npos) {
        if (isFile(nameOrPath)) return nameOrPath;
        if (isFile(nameOrPath + ".so")) return nameOrPath + ".so";
        return "";
    }
    for (const std::string& dir : searchPath()) {
        for (const std::string& candidate : {nameOrPath, nameOrPath + ".so"}) {
            std::string p = dir + "/" + candidate;
            if (isFile(p)) return p;
        }
    }
    return "";
}

MStatus Registry::load(const std::string& nameOrPath, std::string* error, std::string* loadedName) {
    std::string name = baseName(nameOrPath);
    if (Plugin* existing = find(name)) {
        if (loadedName) *loadedName = existing->name;
        return MStatus::kSuccess;
    }
    std::string path = locate(nameOrPath);
    if (path.empty()) {
        if (error) *error = "Plug-in, \"" + nameOrPath + "\", was not found on MAYA_PLUG_IN_PATH.";
        return MStatus::kNotFound;
    }
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        if (error) *error = "Unable to dynamically load : " + path + "\n" + (why ? why : "");
        return MStatus::kFailure;
    }
    auto init = reinterpret_cast<EntryFn>(::dlsym(handle, "initializePlugin"));
    auto uninit = reinterpret_cast<EntryFn>(::dlsym(handle, "uninitializePlugin"));
    if (!init || !uninit) {
        ::dlclose(handle);
        if (error) *error = "Unable to load " + path + ": it has no initializePlugin/uninitializePlugin entry.";
        return MStatus::kFailure;
    }
    auto plugin = std::make_unique<Plugin>();
    plugin->name = name;
    plugin->path = path;
    plugin->handle = handle;
    Plugin* p = plugin.get();
    plugins_.push_back(std::move(plugin));
    MObject obj = makePluginObject(p);
    MStatus st = init(obj);
    if (st.error()) {
        // What it managed to register goes again, as the host unloads a failed plug-in.
        uninit(makePluginObject(p));
        for (const auto& t : p->translators) removeTranslator(t);
        for (const auto& c : p->commands) removeCommand(c);
        plugins_.erase(std::find_if(plugins_.begin(), plugins_.end(), [p](const auto& q) { return q.get() == p; }));
        ::dlclose(handle);
        if (error) *error = "initializePlugin function failed (" + path + ")";
        return MStatus::kFailure;
    }
    if (loadedName) *loadedName = name;
    return MStatus::kSuccess;
}

MStatus Registry::unload(const std::string& name, std::string* error) {
    Plugin* p = find(baseName(name));
    if (!p) {
        if (error) *error = "Plug-in, \"" + name + "\", is not loaded.";
        return MStatus::kNotFound;
    }
    auto uninit = reinterpret_cast<EntryFn>(::dlsym(p->handle, "uninitializePlugin"));
    MStatus st = uninit ? uninit(makePluginObject(p)) : MStatus(MStatus::kFailure);
    // Whatever the module forgot to deregister must not outlive its code.
    for (const auto& t : std::vector<std::string>(p->translators)) removeTranslator(t);
    for (const auto& c : std::vector<std::string>(p->commands)) removeCommand(c);
    undoQueue().clear();
    redoQueue().clear();
    void* handle = p->handle;
    plugins_.erase(std::find_if(plugins_.begin(), plugins_.end(), [p](const auto& q) { return q.get() == p; }));
    ::dlclose(handle);
    if (st.error() && error) *error = "uninitializePlugin function failed (" + name + ")";
    return st;
}

void Registry::unloadAll() {
    while (!plugins_.empty()) unload(plugins_.back()->name, nullptr);
}

Plugin* Registry::find(const std::string& name) {
    for (auto& p : plugins_)
        if (p->name == name) return p.get();
    return nullptr;
}

std::vector<const Plugin*> Registry::plugins() const {
    std::vector<const Plugin*> r;
    for (const auto& p : plugins_) r.push_back(p.get());
    return r;
}

MStatus Registry::addTranslator(Plugin* p, TranslatorEntry e) {
    if (e.name.empty() || !e.creator || translator(e.name)) return MStatus::kFailure;
    e.plugin = p ? p->name : "";
    if (p) p->translators.push_back(e.name);
    translators_.push_back(std::make_unique<TranslatorEntry>(std::move(e)));
    return MStatus::kSuccess;
}

MStatus Registry::addBuiltinTranslator(TranslatorEntry e) { return addTranslator(nullptr, std::move(e)); }

MStatus Registry::removeTranslator(const std::string& name) {
    auto it = std::find_if(translators_.begin(), translators_.end(), [&](const auto& t) { return t->name == name; });
    if (it == translators_.end()) return MStatus::kFailure;
    if (Plugin* p = find((*it)->plugin)) p->translators.erase(std::remove(p->translators.begin(), p->translators.end(), name), p->translators.end());
    translators_.erase(it);
    return MStatus::kSuccess;
}

TranslatorEntry* Registry::translator(const std::string& name) {
    for (auto& t : translators_)
        if (t->name == name) return t.get();
    return nullptr;
}

std::vector<TranslatorEntry*> Registry::translators() {
    std::vector<TranslatorEntry*> r;
    for (auto& t : translators_) r.push_back(t.get());
    return r;
}

MStatus Registry::addCommand(Plugin* p, CommandEntry e) {
    auto& interp = host::mel::interpreter();
    if (e.name.empty() || !e.creator || interp.hasCommand(e.name)) return MStatus::kFailure;
    CreatorFn creator = e.creator;
    SyntaxFn syntaxFn = e.syntax;
    std::string name = e.name;
    bool ok = interp.registerCommand(name, [creator, syntaxFn, name](host::mel::CommandContext& ctx) {
        std::unique_ptr<MPxCommand> cmd(static_cast<MPxCommand*>(creator()));
        if (!cmd) throw host::mel::CommandError("Command '" + name + "' could not be created.");
        if (syntaxFn) cmd->setRegisteredSyntax(syntaxFn());
        cmd->setCommandString(MString(name));
        CommandResult& result = currentCommandResult();
        result.clear();
        MStatus st = cmd->doIt(toArgList(ctx.args()));
        host::mel::Value value = result.value;
        result.clear();
        if (st.error()) throw host::mel::CommandError(st.errorString().str());
        if (cmd->isUndoable()) {
            undoQueue().push_back(std::move(cmd));
            redoQueue().clear();
        }
        return value;
    });
    if (!ok) return MStatus::kFailure;
    e.plugin = p ? p->name : "";
    if (p) p->commands.push_back(e.name);
    commands_.push_back(std::move(e));
    return MStatus::kSuccess;
}

MStatus Registry::removeCommand(const std::string& name) {
    auto it = std::find_if(commands_.begin(), commands_.end(), [&](const CommandEntry& c) { return c.name == name; });
    if (it == commands_.end()) return MStatus::kFailure;
    host::mel::interpreter().unregisterCommand(name);
    if (Plugin* p = find(it->plugin)) p->commands.erase(std::remove(p->commands.begin(), p->commands.end(), name), p->commands.end());
    commands_.erase(it);
    return MStatus::kSuccess;
}

// undo/redo of plug-in commands: the only undoable work the host keeps.
MStatus undoLast(std::string* error) {
    auto& q = undoQueue();
    if (q.empty()) {
        if (error) *error = "There are no more commands to undo.";
        return MStatus::kFailure;
    }
    std::unique_ptr<MPxCommand> cmd = std::move(q.back());
    q.pop_back();
    MStatus st = cmd->undoIt();
    redoQueue().push_back(std::move(cmd));
    return st;
}

MStatus redoLast(std::string* error) {
    auto& q = redoQueue();
    if (q.empty()) {
        if (error) *error = "There are no more commands to redo.";
        return MStatus::kFailure;
    }
    std::unique_ptr<MPxCommand> cmd = std::move(q.back());
    q.pop_back();
    MStatus st = cmd->redoIt();
    undoQueue().push_back(std::move(cmd));
    return st;
}

}  // namespace host::plugins
