#pragma once
#include "mel/interpreter.h"

namespace host::plugins {
// loadPlugin, unloadPlugin, pluginInfo, undo, redo.
void registerPluginCommands(host::mel::Interpreter& interp);
}

namespace host::files {
// file, requires, fileInfo, and the scene-file formats.
void registerFileCommands(host::mel::Interpreter& interp);
}
