#include "plugins/host_init.h"

#include "psd_texture_node.h"  // the game library (game_scripts/)
#include "mel/interpreter.h"
#include "plugins/host_commands.h"
#include "plugins/registry.h"
#include "scene/commands/scene_commands.h"
#include "scene/core/scene.h"

#include <cstdlib>

namespace host {

void initialize() {
    static bool done = false;
    if (done) return;
    done = true;
#ifdef VL2_DEFAULT_SCRIPT_DIR
    // As the host: scripts come from MAYA_SCRIPT_PATH, by default the game's library.
    const char* scripts = std::getenv("MAYA_SCRIPT_PATH");
    if (!scripts || !*scripts) ::setenv("MAYA_SCRIPT_PATH", VL2_DEFAULT_SCRIPT_DIR, 1);
#endif
    auto& interp = host::mel::interpreter();
    host::scene::registerSceneCommands(interp);
    host::plugins::registerPluginCommands(interp);
    host::files::registerFileCommands(interp);
    vl2game::registerGameNodeTypes(host::scene::scene());
}

void shutdown() {
    // Nodes of plug-in types go while their modules' code is still loaded.
    host::scene::scene().newScene();
    host::plugins::Registry::instance().unloadAll();
}

}  // namespace host
