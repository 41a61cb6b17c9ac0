#include "batch.h"

#include "mel/interpreter.h"
#include "plugins/host_init.h"
#include "plugins/registry.h"

#include <dirent.h>

#include <algorithm>

#include <cstdio>
#include <iostream>

namespace vl2batch {

namespace {
// A MEL string literal holding any text intact.
std::string quote(const std::string& s) {
    std::string r = "\"";
    for (char c : s) {
        switch (c) {
        case '"': r += "\\\""; break;
        case '\\': r += "\\\\"; break;
        case '\n': r += "\\n"; break;
        case '\t': r += "\\t"; break;
        case '\r': r += "\\r"; break;
        default: r += c;
        }
    }
    return r + "\"";
}

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Every module on the plug-in path, as the host's auto-load does.
void autoLoadPlugins() {
    auto& reg = host::plugins::Registry::instance();
    for (const std::string& dir : reg.searchPath()) {
        DIR* d = ::opendir(dir.c_str());
        if (!d) continue;
        std::vector<std::string> names;
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (endsWith(n, ".so")) names.push_back(n);
        }
        ::closedir(d);
        std::sort(names.begin(), names.end());
        for (const std::string& n : names) {
            std::string error;
            if (reg.load(dir + "/" + n, &error).error())
                host::mel::interpreter().warning("Plug-in " + n + " was not loaded: " + error);
        }
    }
}
}  // namespace

std::string usage() {
    return R"(vl2batch: the headless host. Runs MEL, opens and saves scenes, and exports
or imports through the plug-ins' file translators.

Usage: vl2batch [options] [scene.ma]

Steps run in the order given; the first failing step stops the run and the
exit status is 1 (2 for a misused command line).

  scene.ma               open this scene first (same as -open scene.ma)
  -open FILE             open a scene (file -o)
  -command "MEL"         run MEL text (may repeat)
  -file SCRIPT.mel       source a MEL script (may repeat)
  -plugin NAME           load a plug-in by name or path (may repeat)
  -noautoload            do not load every plug-in found on MAYA_PLUG_IN_PATH
  -export TYPE           export the scene with the file translator TYPE ...
     -o PATH             ... to this file (required)
     -options "k=v;..."  ... with these translator options
     -selected           ... exporting only the selection (file -es)
  -import FILE           import a file; -type TYPE and -options as above
  -save FILE.ma          save the scene as Maya ASCII
  -h, --help             this text

Environment:
  MAYA_PLUG_IN_PATH      folders of plug-in modules (':'-separated; default:
                         the build's plug-ins folder)
  MAYA_SCRIPT_PATH       folders of MEL scripts (default: game_scripts/)
  VL2_Root, VL2_ROOT     the game's data folder (shader scripts, model lists)

Examples:
  vl2batch -command 'polyCube -n box; print(`xform -q -ws -t box`)'
  vl2batch ship.ma -export vlm -options "exportType=1" -o ship.vlm
  vl2batch -file build_scene.mel -save scene.ma
)";
}

bool parseArgs(const std::vector<std::string>& args, Options& out, std::string* error) {
    auto need = [&](size_t& i, const char* what) -> const std::string* {
        if (i + 1 >= args.size()) {
            *error = std::string(args[i]) + " needs " + what;
            return nullptr;
        }
        return &args[++i];
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::string* v = nullptr;
        if (a == "-h" || a == "--help" || a == "-help") {
            out.help = true;
        } else if (a == "-command" || a == "-c") {
            if (!(v = need(i, "MEL text"))) return false;
            out.steps.push_back({Step::Command, *v, "", "", false});
        } else if (a == "-file") {
            if (!(v = need(i, "a script file"))) return false;
            out.steps.push_back({Step::Script, *v, "", "", false});
        } else if (a == "-open") {
            if (!(v = need(i, "a scene file"))) return false;
            out.steps.push_back({Step::Open, *v, "", "", false});
        } else if (a == "-plugin") {
            if (!(v = need(i, "a plug-in name"))) return false;
            out.steps.push_back({Step::LoadPlugin, *v, "", "", false});
        } else if (a == "-noautoload") {
            out.autoLoad = false;
        } else if (a == "-export") {
            if (!(v = need(i, "a file type"))) return false;
            out.steps.push_back({Step::Export, "", *v, "", false});
        } else if (a == "-import") {
            if (!(v = need(i, "a file"))) return false;
            out.steps.push_back({Step::Import, *v, "", "", false});
        } else if (a == "-save") {
            if (!(v = need(i, "a file"))) return false;
            out.steps.push_back({Step::Save, *v, "mayaAscii", "", false});
        } else if (a == "-o" || a == "-options" || a == "-type" || a == "-selected") {
            Step* lastIo = nullptr;
            for (auto it = out.steps.rbegin(); it != out.steps.rend(); ++it)
                if (it->kind == Step::Export || it->kind == Step::Import) {
                    lastIo = &*it;
                    break;
                }
            if (!lastIo) {
                *error = a + " belongs to -export or -import";
                return false;
            }
            if (a == "-selected") {
                lastIo->selected = true;
                continue;
            }
            if (!(v = need(i, "a value"))) return false;
            if (a == "-o") {
                if (lastIo->kind != Step::Export) {
                    *error = "-o belongs to -export";
                    return false;
                }
                lastIo->text = *v;
            } else if (a == "-options") {
                lastIo->options = *v;
            } else {
                lastIo->type = *v;
            }
        } else if (!a.empty() && a[0] == '-') {
            *error = "unknown option " + a;
            return false;
        } else {
            out.steps.push_back({Step::Open, a, "", "", false});
        }
    }
    for (const Step& s : out.steps) {
        if (s.kind == Step::Export && s.text.empty()) {
            *error = "-export " + s.type + " needs -o PATH";
            return false;
        }
    }
    return true;
}

std::string melFor(const Step& s) {
    switch (s.kind) {
    case Step::Command: return s.text;
    case Step::Script: return "source " + quote(s.text) + ";";
    case Step::Open: return "file -f -o " + quote(s.text) + ";";
    case Step::LoadPlugin: return "loadPlugin " + quote(s.text) + ";";
    case Step::Import: {
        std::string m = "file -i";
        if (!s.type.empty()) m += " -type " + quote(s.type);
        if (!s.options.empty()) m += " -options " + quote(s.options);
        return m + " " + quote(s.text) + ";";
    }
    case Step::Export: {
        std::string m = "file -f -type " + quote(s.type);
        if (!s.options.empty()) m += " -options " + quote(s.options);
        return m + (s.selected ? " -es " : " -ea ") + quote(s.text) + ";";
    }
    case Step::Save: return "file -rename " + quote(s.text) + "; file -f -save -type \"mayaAscii\";";
    }
    return "";
}

int run(const Options& o) {
    host::initialize();
    if (o.autoLoad) autoLoadPlugins();
    int status = 0;
    for (const Step& s : o.steps) {
        std::string mel = melFor(s);
        host::mel::ExecResult r = s.kind == Step::Script
                                      ? host::mel::interpreter().sourceFile(s.text, true)
                                      : host::mel::interpreter().execute(mel, std::string(), true);
        std::fflush(stdout);
        if (!r.ok) {
            status = 1;
            break;
        }
    }
    std::fflush(stdout);
    std::fflush(stderr);
    host::shutdown();
    return status;
}

}  // namespace vl2batch
