#pragma once
// The command interface: every MEL command (built-in, scene, plug-in) is a C++
// function in the interpreter's one table.
#include "mel/value.h"

#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace host::mel {

class Interpreter;

// Thrown by a command to fail. The interpreter prints "// Error: msg //"
// (with the script location when it has one) and stops the enclosing
// top-level script unless a catch() is active.
class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& msg) : std::runtime_error(msg) {}
};

// What a command sees of its call. The words come in order as Values in both
// call syntaxes: `cmd -flag v arg;` and `cmd("-flag", v, "arg")`. In command
// syntax bare words are strings, numeric words are int or float; flags are
// strings that begin with '-' (a negative number is a number, not a flag).
class CommandContext {
public:
    CommandContext(Interpreter& interp, const std::string& name, const std::vector<Value>& args)
        : interp_(interp), name_(name), args_(args) {}

    const std::string& name() const { return name_; }
    const std::vector<Value>& args() const { return args_; }
    std::size_t argCount() const { return args_.size(); }
    const Value& arg(std::size_t i) const { return args_.at(i); }
    // True when word i is a flag: a string starting with '-' followed by a letter.
    bool isFlag(std::size_t i) const;

    Interpreter& interpreter() { return interp_; }

    // Messages through the interpreter's sinks.
    void print(const std::string& text);    // as the print command, no newline added
    void warning(const std::string& msg);   // "// Warning: msg //"
    void error(const std::string& msg);     // "// Error: msg //" without failing
    [[noreturn]] void fail(const std::string& msg) { throw CommandError(msg); }

private:
    Interpreter& interp_;
    const std::string& name_;
    const std::vector<Value>& args_;
};

using CommandFn = std::function<Value(CommandContext&)>;

// Kinds of flag arguments. Bool takes on/off, true/false, yes/no or a number.
enum class ArgType { Int, Float, String, Bool, Any };

class ParsedArgs;

// Table of a command's flags, then the parse of its words: flags with their
// arguments, then the positional arguments (objects). A flag may appear
// anywhere before or between objects. Errors are CommandErrors worded as the
// host words them:
//   "Invalid flag '-foo'"
//   "Flag '-name' needs 1 argument(s)"           (missing argument)
//   "Invalid argument 1 for flag '-name'. Expected int, got string"
//   "Flag '-name' can only be used once"
// In query mode (a declared query flag such as -q/-query is present), flags
// take no arguments unless declared with queryArgs.
class ArgParser {
public:
    struct FlagSpec {
        std::string shortName;  // without '-': "n"
        std::string longName;   // without '-': "name"
        std::vector<ArgType> args;
        bool multiUse = false;
        bool queryArgs = false;  // still takes its arguments in query mode
    };

    explicit ArgParser(std::string commandName = {}) : command_(std::move(commandName)) {}

    // flag("n", "name", {ArgType::String}); names given without the '-'.
    ArgParser& flag(const std::string& shortName, const std::string& longName,
                    std::initializer_list<ArgType> args = {}, bool multiUse = false,
                    bool queryArgs = false);
    // Marks which declared flags switch query mode on (usually "q").
    ArgParser& queryFlag(const std::string& shortName, const std::string& longName);
    // Positional argument count limits (max -1: unlimited).
    ArgParser& objects(int minCount, int maxCount = -1);

    ParsedArgs parse(const std::vector<Value>& words) const;
    ParsedArgs parse(const CommandContext& ctx) const;

    const std::vector<FlagSpec>& flags() const { return flags_; }

private:
    friend class ParsedArgs;
    int find(const std::string& word) const;  // index of "-n"/"-name", -1 if unknown
    std::string command_;
    std::vector<FlagSpec> flags_;
    int queryIndex_ = -1;
    int minObjects_ = 0, maxObjects_ = -1;
};

class ParsedArgs {
public:
    // Names are the short or long name, with or without the '-'.
    bool isSet(const std::string& name) const { return useCount(name) > 0; }
    std::size_t useCount(const std::string& name) const;
    bool isQuery() const { return query_; }

    // Argument argIndex of the use-th use of a flag, converted to the flag's
    // declared type. Throws CommandError when the flag is not set.
    const Value& flagArg(const std::string& name, std::size_t argIndex = 0, std::size_t use = 0) const;
    int flagInt(const std::string& name, std::size_t argIndex = 0, std::size_t use = 0) const;
    double flagFloat(const std::string& name, std::size_t argIndex = 0, std::size_t use = 0) const;
    std::string flagString(const std::string& name, std::size_t argIndex = 0, std::size_t use = 0) const;
    bool flagBool(const std::string& name, std::size_t argIndex = 0, std::size_t use = 0) const;
    // Value of the flag's first argument, or def when the flag is absent.
    std::string flagStringOr(const std::string& name, const std::string& def) const;
    int flagIntOr(const std::string& name, int def) const;
    double flagFloatOr(const std::string& name, double def) const;

    // Positional words in order (a string array argument stays one Value).
    const std::vector<Value>& objects() const { return objects_; }

private:
    friend class ArgParser;
    struct Use {
        int flag;
        std::vector<Value> args;
    };
    const ArgParser* parser_ = nullptr;
    const Use* use(const std::string& name, std::size_t n) const;
    std::vector<Use> uses_;
    std::vector<Value> objects_;
    bool query_ = false;
};

// Parses a boolean word as the host does: on/off, true/false, yes/no, numbers.
bool parseBoolWord(const Value& v, bool& out);

}  // namespace host::mel
