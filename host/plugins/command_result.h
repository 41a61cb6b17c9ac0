#pragma once
#include "mel/value.h"

namespace host::plugins {

// What MPxCommand::setResult/appendToResult left for the running command.
struct CommandResult {
    host::mel::Value value;
    bool set = false;
    void clear() {
        value = host::mel::Value();
        set = false;
    }
};

}  // namespace host::plugins
