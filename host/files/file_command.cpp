// The file command: opening, importing, saving and exporting scenes, through
// the registered file translators.
#include "files/ma_reader.h"
#include "files/ma_writer.h"
#include "mel/command.h"
#include "mel/interpreter.h"
#include "plugins/host_commands.h"
#include "plugins/registry.h"
#include "scene/commands/file_records.h"
#include "scene/core/scene.h"

#include <maya/MFileObject.h>
#include <maya/MPxFileTranslator.h>

#include <platform/platform.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <map>

namespace host::files {

using host::mel::ArgParser;
using host::mel::ArgType;
using host::mel::CommandContext;
using host::mel::CommandError;
using host::mel::Value;
using host::plugins::Registry;
using host::plugins::TranslatorEntry;

namespace {

struct FileState {
    std::string sceneName;  // the current scene's file, "" for untitled
    std::string sceneType = "mayaAscii";
    std::map<std::string, std::string> fileInfo;
    std::vector<std::vector<std::string>> requires;  // words after "requires", as given
    std::vector<MaReference> references;   // file -r statements: recorded, not loaded
};

FileState& state() {
    static FileState s;
    return s;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string extensionOf(const std::string& path) {
    auto slash = path.rfind('/');
    auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    return lower(path.substr(dot + 1));
}

// Restores the access mode however the translator call ends.
struct AccessModeScope {
    explicit AccessModeScope(int mode) { host::plugins::setCurrentAccessMode(mode); }
    ~AccessModeScope() { host::plugins::setCurrentAccessMode(0); }
};

TranslatorEntry* translatorNamed(const std::string& type) {
    TranslatorEntry* t = Registry::instance().translator(type);
    if (!t) throw CommandError("Invalid file type specified: " + type);
    if (!t->get()) throw CommandError("The translator '" + type + "' could not be created.");
    return t;
}

// The translator claiming a file opened without -type: its own magic test
// first, then its extension.
TranslatorEntry* identify(const std::string& path) {
    std::string resolved = vl2platform::resolvePath(path);
    char buffer[2048];
    size_t n = 0;
    if (std::FILE* f = std::fopen(resolved.c_str(), "rb")) {
        n = std::fread(buffer, 1, sizeof buffer, f);
        std::fclose(f);
    }
    MFileObject file;
    file.setRawFullName(MString(path));
    TranslatorEntry* byExtension = nullptr;
    for (TranslatorEntry* t : Registry::instance().translators()) {
        MPxFileTranslator* tr = t->get();
        if (!tr || !tr->haveReadMethod()) continue;
        auto kind = tr->identifyFile(file, buffer, static_cast<short>(n));
        if (kind == MPxFileTranslator::kIsMyFileType) return t;
        if (!byExtension && kind == MPxFileTranslator::kCouldBeMyFileType &&
            lower(tr->defaultExtension().str()) == extensionOf(path))
            byExtension = t;
    }
    return byExtension;
}

void readAscii(const std::string& path) {
    std::string resolved = vl2platform::resolvePath(path);
    if (!vl2platform::fileExists(resolved)) throw CommandError("File not found: " + path);
    MaReadResult r = readMayaAsciiFile(resolved);
    if (!r.ok) {
        host::mel::interpreter().error(r.error);
        throw CommandError("Error reading file. " + path);
    }
}

void writeAscii(const std::string& path, bool selectionOnly) {
    FileState& st = state();
    MaWriteOptions o;
    o.selectionOnly = selectionOnly;
    o.requires = st.requires;
    for (const auto& kv : st.fileInfo) o.fileInfo.push_back(kv);
    o.references = st.references;
    std::string err;
    if (!writeMayaAsciiFile(path, o, &err)) throw CommandError(err);
}

void clearFileState() {
    state() = FileState();
    host::scene::records::clearAll();
}

void runReader(TranslatorEntry* t, const std::string& path, const std::string& options, int mode) {
    MPxFileTranslator* tr = t->get();
    if (!tr->haveReadMethod()) throw CommandError("The file type '" + t->name + "' cannot be read.");
    if (!vl2platform::fileExists(vl2platform::resolvePath(path))) throw CommandError("File not found: " + path);
    MFileObject file;
    file.setRawFullName(MString(path));
    AccessModeScope scope(mode);
    MStatus st = tr->reader(file, MString(options), static_cast<MPxFileTranslator::FileAccessMode>(mode));
    if (st.error()) throw CommandError("Error reading file. " + path);
}

void runWriter(TranslatorEntry* t, const std::string& path, const std::string& options, int mode) {
    MPxFileTranslator* tr = t->get();
    if (!tr->haveWriteMethod()) throw CommandError("The file type '" + t->name + "' cannot be written.");
    MFileObject file;
    file.setRawFullName(MString(path));
    AccessModeScope scope(mode);
    MStatus st = tr->writer(file, MString(options), static_cast<MPxFileTranslator::FileAccessMode>(mode));
    if (st.error()) throw CommandError("Error writing file. " + path);
}


// The project folder the host resolves relative file names against, and its
// file rules ("images", "sourceImages" ...), as `workspace` reports them.
struct Workspace {
    std::string root;  // with a trailing '/'
    std::vector<std::pair<std::string, std::string>> renderTypes = {
        {"images", "images"}, {"sourceImages", "sourceimages"}, {"textures", "textures"}};
};

Workspace& workspace() {
    static Workspace w;
    if (w.root.empty()) {
        char buf[4096];
        w.root = ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
        if (w.root.back() != '/') w.root += '/';
    }
    return w;
}

Value workspaceCommand(CommandContext& ctx) {
    static const ArgParser parser = ArgParser("workspace")
                                        .queryFlag("q", "query")
                                        .flag("rd", "rootDirectory")
                                        .flag("rtl", "renderTypeList")
                                        .flag("fn", "fullName")
                                        .flag("o", "openWorkspace")
                                        .flag("rt", "renderType", {ArgType::String, ArgType::String}, true, true)
                                        .objects(0, 1);
    auto a = parser.parse(ctx);
    Workspace& w = workspace();
    if (a.isQuery()) {
        if (a.isSet("rd")) return Value(w.root);
        if (a.isSet("fn")) return Value(w.root.size() > 1 ? w.root.substr(0, w.root.size() - 1) : w.root);
        if (a.isSet("rtl")) {
            std::vector<std::string> names;
            for (const auto& rt : w.renderTypes) names.push_back(rt.first);
            return Value(names);
        }
        if (a.isSet("rt")) {
            std::string key = a.flagString("rt");
            for (const auto& rt : w.renderTypes)
                if (rt.first == key) return Value(rt.second);
            return Value(std::string());
        }
        throw CommandError("workspace: no query flag given");
    }
    if (a.isSet("rt")) {
        for (std::size_t u = 0; u < a.useCount("rt"); ++u) {
            std::string key = a.flagString("rt", 0, u), value = a.flagString("rt", 1, u);
            bool found = false;
            for (auto& rt : w.renderTypes)
                if (rt.first == key) {
                    rt.second = value;
                    found = true;
                }
            if (!found) w.renderTypes.emplace_back(key, value);
        }
    }
    if (a.isSet("o")) {
        if (a.objects().empty()) throw CommandError("workspace: -openWorkspace needs a folder");
        std::string dir = vl2platform::toNativeSeparators(a.objects()[0].asString());
        if (!vl2platform::fileExists(vl2platform::resolvePath(dir)))
            throw CommandError("workspace: the folder '" + dir + "' does not exist");
        w.root = vl2platform::resolvePath(dir);
        if (w.root.empty() || w.root.back() != '/') w.root += '/';
        return Value(w.root);
    }
    return Value();
}

// Relative names are taken against the workspace root, as the host does.
std::string absolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return workspace().root + path;
}

bool isAsciiType(const std::string& type) { return type == "mayaAscii"; }

Value fileCommand(CommandContext& ctx) {
    static const ArgParser parser = ArgParser("file")
                                        .queryFlag("q", "query")
                                        .flag("f", "force")
                                        .flag("o", "open")
                                        .flag("i", "import")
                                        .flag("s", "save")
                                        .flag("ea", "exportAll")
                                        .flag("es", "exportSelected")
                                        .flag("new", "newFile")
                                        .flag("rn", "rename", {ArgType::String})
                                        .flag("typ", "type", {ArgType::String}, false, true)
                                        .flag("op", "options", {ArgType::String})
                                        .flag("sn", "sceneName")
                                        .flag("pr", "preserveReferences")
                                        .flag("iv", "ignoreVersion")
                                        .flag("pmt", "prompt", {ArgType::Bool})
                                        .flag("l", "list")
                                        .flag("r", "reference")
                                        .flag("rdi", "referenceDepthInfo", {ArgType::Int})
                                        .flag("ns", "namespace", {ArgType::String})
                                        .flag("rfn", "referenceNode", {ArgType::String})
                                        .flag("dr", "deferReference", {ArgType::Bool})
                                        .flag("shd", "sharedNodes", {ArgType::String}, true)
                                        .flag("gl", "groupLocator")
                                        .objects(0, 1);
    auto a = parser.parse(ctx);
    FileState& st = state();
    std::string path = a.objects().empty() ? std::string() : a.objects()[0].asString();
    std::string type = a.isSet("typ") && !a.isQuery() ? a.flagString("typ") : std::string();
    std::string options = a.flagStringOr("op", std::string());

    if (a.isQuery()) {
        if (a.isSet("r")) {
            std::vector<std::string> paths;
            for (const MaReference& r : st.references) paths.push_back(r.path);
            return Value(paths);
        }
        if (a.isSet("sn")) return Value(st.sceneName);
        if (a.isSet("typ")) return Value(std::vector<std::string>{st.sceneType});
        if (a.isSet("l")) return Value(st.sceneName.empty() ? std::vector<std::string>{} : std::vector<std::string>{st.sceneName});
        throw CommandError("file: no query flag given");
    }
    if (a.isSet("new")) {
        host::scene::scene().newScene();
        clearFileState();
        return Value(std::string());
    }
    // References of scene files are recorded (and saved again) but not
    // loaded: the referenced files are not part of what this host reads.
    if (a.isSet("rdi")) return Value(std::string());
    if (a.isSet("r")) {
        if (path.empty()) throw CommandError("file: a file name is required");
        MaReference r;
        r.path = path;
        r.ns = a.flagStringOr("ns", "");
        r.referenceNode = a.flagStringOr("rfn", "");
        r.type = type;
        r.options = options;
        r.deferred = a.isSet("dr") && a.flagBool("dr");
        st.references.push_back(r);
        host::scene::records::unloadedReferences() = true;
        ctx.warning("The reference '" + path + "' is recorded but not loaded.");
        return Value(path);
    }
    if (a.isSet("rn")) {
        st.sceneName = vl2platform::toNativeSeparators(a.flagString("rn"));
        return Value(st.sceneName);
    }
    path = absolutePath(vl2platform::toNativeSeparators(path));

    if (a.isSet("o") || a.isSet("i")) {
        if (path.empty()) throw CommandError("file: a file name is required");
        const bool open = a.isSet("o");
        const int mode = open ? MPxFileTranslator::kOpenAccessMode : MPxFileTranslator::kImportAccessMode;
        TranslatorEntry* t = nullptr;
        if (!type.empty() && !isAsciiType(type)) t = translatorNamed(type);
        if (type.empty()) t = identify(path);
        if (open) {
            host::scene::scene().newScene();
            clearFileState();
        }
        if (t) {
            runReader(t, path, options, mode);
            if (open) st.sceneType = t->name;
        } else if (type.empty() && extensionOf(path) != "ma") {
            throw CommandError("Unrecognized file type for '" + path + "'.");
        } else {
            readAscii(path);
        }
        if (open) st.sceneName = path;
        return Value(path);
    }

    if (a.isSet("ea") || a.isSet("es") || a.isSet("s")) {
        const bool save = a.isSet("s");
        if (save && path.empty()) path = st.sceneName;
        if (path.empty()) throw CommandError("file: a file name is required");
        if (type.empty()) type = save ? st.sceneType : "mayaAscii";
        if (isAsciiType(type)) {
            writeAscii(path, a.isSet("es"));
            if (save) {
                st.sceneName = path;
                st.sceneType = type;
            }
            return Value(path);
        }
        const int mode = save ? MPxFileTranslator::kSaveAccessMode
                              : a.isSet("es") ? MPxFileTranslator::kExportActiveAccessMode
                                              : MPxFileTranslator::kExportAccessMode;
        runWriter(translatorNamed(type), path, options, mode);
        if (save) {
            st.sceneName = path;
            st.sceneType = type;
        }
        return Value(path);
    }
    throw CommandError("file: no action given (use -o, -i, -s, -ea, -es, -new or -rename)");
}

Value requiresCommand(CommandContext& ctx) {
    // "requires maya "5.0";" and plug-in requirements: recorded, not enforced.
    static const ArgParser parser = ArgParser("requires").flag("nodeType", "nodeType", {ArgType::String}, true)
                                        .flag("dataType", "dataType", {ArgType::String}, true).objects(0);
    auto a = parser.parse(ctx);
    std::vector<std::string> words;
    for (std::size_t u = 0; u < a.useCount("nodeType"); ++u) {
        words.push_back("-nodeType");
        words.push_back(a.flagString("nodeType", 0, u));
    }
    for (std::size_t u = 0; u < a.useCount("dataType"); ++u) {
        words.push_back("-dataType");
        words.push_back(a.flagString("dataType", 0, u));
    }
    for (const Value& v : a.objects()) words.push_back(v.asString());
    // The host itself is written as the first requirement of every save.
    if (!a.objects().empty() && a.objects()[0].asString() == "maya") return Value();
    for (const auto& r : state().requires)
        if (r == words) return Value();
    state().requires.push_back(words);
    return Value();
}

Value fileInfoCommand(CommandContext& ctx) {
    static const ArgParser parser = ArgParser("fileInfo").queryFlag("q", "query").flag("rm", "remove", {ArgType::String}).objects(0, 2);
    auto a = parser.parse(ctx);
    auto& info = state().fileInfo;
    if (a.isSet("rm")) {
        info.erase(a.flagString("rm"));
        return Value();
    }
    if (a.isQuery()) {
        std::vector<std::string> r;
        if (a.objects().empty()) {
            for (const auto& kv : info) {
                r.push_back(kv.first);
                r.push_back(kv.second);
            }
        } else {
            auto it = info.find(a.objects()[0].asString());
            if (it != info.end()) r.push_back(it->second);
        }
        return Value(r);
    }
    if (a.objects().size() != 2) throw CommandError("fileInfo: a keyword and a value are required");
    info[a.objects()[0].asString()] = a.objects()[1].asString();
    return Value();
}

}  // namespace

void registerFileCommands(host::mel::Interpreter& interp) {
    interp.registerCommand("file", fileCommand);
    interp.registerCommand("requires", requiresCommand);
    interp.registerCommand("fileInfo", fileInfoCommand);
    interp.registerCommand("workspace", workspaceCommand);
}

}  // namespace host::files
