#pragma once
// The host's plug-in manager: loaded modules and what they registered
// (file translators, commands, node types).
#include <maya/MPxFileTranslator.h>
#include <maya/MStatus.h>
#include <maya/MSyntax.h>

#include <memory>
#include <string>
#include <vector>

class MPxCommand;

namespace host::plugins {

using CreatorFn = void* (*)();
using SyntaxFn = MSyntax (*)();

struct TranslatorEntry {
    std::string name;
    std::string pixmap;
    CreatorFn creator = nullptr;
    std::string optionsScript;
    std::string defaultOptions;
    bool requiresFullMel = false;
    std::string plugin;
    // One instance per registration, created on first use, as the host keeps it.
    std::unique_ptr<MPxFileTranslator> instance;
    MPxFileTranslator* get();
};

struct CommandEntry {
    std::string name;
    CreatorFn creator = nullptr;
    SyntaxFn syntax = nullptr;
    std::string plugin;
};

struct Plugin {
    std::string name;  // file name without folder and ".so"
    std::string path;
    void* handle = nullptr;
    std::string vendor = "Unknown";
    std::string version = "Unknown";
    std::string apiVersion = "Any";
    std::vector<std::string> translators;
    std::vector<std::string> commands;
    std::vector<unsigned> nodeTypes;
    std::vector<std::string> nodeTypeNames;
};

class Registry {
public:
    static Registry& instance();

    // Loads a module by name ("ModelExporter", "ModelExporter.so") found on
    // MAYA_PLUG_IN_PATH, or by path. Loading one already loaded succeeds.
    MStatus load(const std::string& nameOrPath, std::string* error, std::string* loadedName = nullptr);
    MStatus unload(const std::string& name, std::string* error);
    void unloadAll();
    Plugin* find(const std::string& name);
    std::vector<const Plugin*> plugins() const;
    std::vector<std::string> searchPath() const;
    std::string locate(const std::string& nameOrPath) const;

    // Registration, called through MFnPlugin while a module initialises.
    MStatus addTranslator(Plugin* p, TranslatorEntry e);
    MStatus removeTranslator(const std::string& name);
    MStatus addCommand(Plugin* p, CommandEntry e);
    MStatus removeCommand(const std::string& name);

    TranslatorEntry* translator(const std::string& name);
    std::vector<TranslatorEntry*> translators();

    // Built-in translators (e.g. the scene file formats) join the same table.
    MStatus addBuiltinTranslator(TranslatorEntry e);

private:
    Registry() = default;
    std::vector<std::unique_ptr<Plugin>> plugins_;
    std::vector<std::unique_ptr<TranslatorEntry>> translators_;
    std::vector<CommandEntry> commands_;
};

// The access mode of the file operation in progress (MPxFileTranslator::fileAccessMode).
int currentAccessMode();
void setCurrentAccessMode(int mode);

// Result a plug-in command sets through MPxCommand::setResult.
struct CommandResult;
CommandResult& currentCommandResult();

}  // namespace host::plugins
