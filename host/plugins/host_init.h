#pragma once

namespace host {

// Brings the host up once per process: the interpreter with every built-in
// command (language, scene, file, plug-in manager) and a new scene.
void initialize();

// Unloads plug-ins (their code must be gone before static destructors run).
void shutdown();

}  // namespace host
