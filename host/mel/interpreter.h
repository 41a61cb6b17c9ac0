#pragma once
// The MEL interpreter of the host: one per process.
#include "mel/command.h"
#include "mel/value.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host::mel {

struct ExecResult {
    bool ok = true;
    Value value;        // result of the last statement / of the proc
    std::string error;  // message as printed between "// Error: " and " //"
    explicit operator bool() const { return ok; }
};

class Interpreter {
public:
    using Sink = std::function<void(const std::string&)>;

    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Commands. Registering a name already taken returns false and keeps the
    // old command; plug-ins unregister theirs on unload.
    bool registerCommand(const std::string& name, CommandFn fn);
    bool unregisterCommand(const std::string& name);
    bool hasCommand(const std::string& name) const;
    std::vector<std::string> commandNames() const;

    // Runs MEL text. sourceName (a file path, or empty for typed/API text)
    // appears in error locations: "file: <name> line N: msg", or "line N: msg".
    // Statements run one at a time as they are parsed, so large scene files
    // stream. A failing statement stops the text; the error is printed to the
    // error sink unless reportErrors is false. At the outermost level, queued
    // evalDeferred commands run before returning.
    ExecResult execute(std::string_view text, const std::string& sourceName = {},
                       bool reportErrors = true);
    // Reads and runs a script file; a bare name is looked up on MAYA_SCRIPT_PATH
    // (':'-separated), "foo" also as "foo.mel".
    ExecResult sourceFile(const std::string& path, bool reportErrors = true);
    // Full path of a script on MAYA_SCRIPT_PATH, empty when not found.
    std::string findScript(const std::string& name) const;

    // Procs (global procs defined by scripts).
    bool procExists(const std::string& name) const;
    ExecResult callProc(const std::string& name, const std::vector<Value>& args,
                        bool reportErrors = true);
    // Calls a command or proc by name with argument values, as function syntax does.
    ExecResult call(const std::string& name, const std::vector<Value>& args,
                    bool reportErrors = true);

    // Queues MEL to run after the current top-level command completes.
    void evalDeferred(const std::string& text);
    // Runs everything queued (also done by the outermost execute()).
    void flushDeferred();

    // Global variables ("$name" with or without the '$').
    bool globalExists(const std::string& name) const;
    bool getGlobal(const std::string& name, Value& out) const;
    // Declares the global with v's type if needed, then assigns.
    void setGlobal(const std::string& name, const Value& v);

    // Output. Defaults: print/info to stdout, warnings and errors to stderr.
    // Sinks get complete texts: warnings as "// Warning: msg //\n", errors as
    // "// Error: msg //\n", print output exactly as printed.
    void setOutputSink(Sink s);
    void setWarningSink(Sink s);
    void setErrorSink(Sink s);
    void resetSinks();
    // The current warning sink (so a caller can wrap it and restore it).
    Sink warningSink() const;
    void print(const std::string& text);
    void warning(const std::string& msg);
    void error(const std::string& msg);

    // A new session: drops globals, script procs, the deferred queue and the
    // random seed; registered commands stay.
    void resetSession();

    // Seeds rand (the host's `seed` command).
    void seedRandom(unsigned seed);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// The process's interpreter, created on first use with the built-in commands.
Interpreter& interpreter();

}  // namespace host::mel
