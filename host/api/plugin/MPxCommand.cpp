#include <maya/MGlobal.h>
#include <maya/MPxCommand.h>

#include "plugins/command_result.h"
#include "plugins/registry.h"

using host::mel::Value;

namespace {
host::plugins::CommandResult& result() { return host::plugins::currentCommandResult(); }

void store(Value v) {
    result().value = std::move(v);
    result().set = true;
}
}  // namespace

MPxCommand::MPxCommand() = default;
MPxCommand::~MPxCommand() = default;
MStatus MPxCommand::doIt(const MArgList&) { return MStatus::kSuccess; }
MStatus MPxCommand::undoIt() { return MStatus::kSuccess; }
MStatus MPxCommand::redoIt() { return MStatus::kSuccess; }
bool MPxCommand::isUndoable() const { return undoable_; }
bool MPxCommand::hasSyntax() const { return true; }
MSyntax MPxCommand::syntax() const { return syntax_; }

void MPxCommand::displayInfo(const MString& text) { MGlobal::displayInfo(text); }
void MPxCommand::displayWarning(const MString& text) { MGlobal::displayWarning(text); }
void MPxCommand::displayError(const MString& text) { MGlobal::displayError(text); }

void MPxCommand::clearResult() { result().clear(); }
void MPxCommand::setResult(bool v) { store(Value(v ? 1 : 0)); }
void MPxCommand::setResult(int v) { store(Value(v)); }
void MPxCommand::setResult(double v) { store(Value(v)); }
void MPxCommand::setResult(const MString& v) { store(Value(v.str())); }
void MPxCommand::setResult(const MIntArray& v) { store(Value(v.vec())); }
void MPxCommand::setResult(const MDoubleArray& v) { store(Value(v.vec())); }
void MPxCommand::setResult(const MStringArray& v) {
    std::vector<std::string> s;
    for (const MString& e : v) s.push_back(e.str());
    store(Value(std::move(s)));
}

// Appending turns the result into an array of the appended kind, as the host does.
void MPxCommand::appendToResult(int v) {
    Value& cur = result().value;
    if (cur.type() == host::mel::Type::IntArray) {
        cur.ints().push_back(v);
    } else if (cur.type() == host::mel::Type::Int) {
        cur = Value(std::vector<int>{cur.asInt(), v});
    } else {
        cur = Value(std::vector<int>{v});
    }
    result().set = true;
}
void MPxCommand::appendToResult(double v) {
    Value& cur = result().value;
    if (cur.type() == host::mel::Type::FloatArray) {
        cur.floats().push_back(v);
    } else if (cur.type() == host::mel::Type::Float) {
        cur = Value(std::vector<double>{cur.asFloat(), v});
    } else {
        cur = Value(std::vector<double>{v});
    }
    result().set = true;
}
void MPxCommand::appendToResult(const MString& v) {
    Value& cur = result().value;
    if (cur.type() == host::mel::Type::StringArray) {
        cur.strings().push_back(v.str());
    } else if (cur.type() == host::mel::Type::String) {
        cur = Value(std::vector<std::string>{cur.asString(), v.str()});
    } else {
        cur = Value(std::vector<std::string>{v.str()});
    }
    result().set = true;
}

bool MPxCommand::isCurrentResultArray() { return result().value.isArray(); }
