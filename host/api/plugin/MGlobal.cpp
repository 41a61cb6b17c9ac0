#include <maya/MGlobal.h>

#include "mel/interpreter.h"
#include "scene/core/scene.h"

#include <maya/MTime.h>

using host::mel::interpreter;

namespace {
// Runs MEL; the interpreter has already printed any error.
MStatus run(const MString& command, bool displayEnabled, host::mel::Value* out) {
    if (displayEnabled) interpreter().print(command.str() + "\n");
    host::mel::ExecResult r = interpreter().execute(command.str(), std::string(), true);
    if (!r.ok) return MStatus::kFailure;
    if (out) *out = r.value;
    return MStatus::kSuccess;
}
}  // namespace

MGlobal::MMayaState MGlobal::mayaState(MStatus* status) {
    if (status) *status = MStatus::kSuccess;
    return kBatch;
}

MString MGlobal::mayaVersion() { return "5.0"; }
int MGlobal::apiVersion() { return MAYA_API_VERSION; }

MStatus MGlobal::executeCommand(const MString& command, bool displayEnabled, bool) {
    return run(command, displayEnabled, nullptr);
}

MStatus MGlobal::executeCommand(const MString& command, int& result, bool displayEnabled, bool) {
    host::mel::Value v;
    MStatus st = run(command, displayEnabled, &v);
    if (!st.error()) result = v.asInt();
    return st;
}

MStatus MGlobal::executeCommand(const MString& command, double& result, bool displayEnabled, bool) {
    host::mel::Value v;
    MStatus st = run(command, displayEnabled, &v);
    if (!st.error()) result = v.asFloat();
    return st;
}

MStatus MGlobal::executeCommand(const MString& command, MString& result, bool displayEnabled, bool) {
    host::mel::Value v;
    MStatus st = run(command, displayEnabled, &v);
    if (!st.error()) result = MString(v.asString());
    return st;
}

MStatus MGlobal::executeCommand(const MString& command, MStringArray& result, bool displayEnabled, bool) {
    host::mel::Value v;
    MStatus st = run(command, displayEnabled, &v);
    if (!st.error()) {
        result.clear();
        if (!v.isNone())
            for (const std::string& s : v.asStringArray()) result.append(MString(s));
    }
    return st;
}

MStatus MGlobal::executeCommand(const MString& command, MIntArray& result, bool displayEnabled, bool) {
    host::mel::Value v;
    MStatus st = run(command, displayEnabled, &v);
    if (!st.error()) {
        result.clear();
        if (!v.isNone())
            for (int i : v.asIntArray()) result.append(i);
    }
    return st;
}

MStatus MGlobal::executeCommand(const MString& command, MDoubleArray& result, bool displayEnabled, bool) {
    host::mel::Value v;
    MStatus st = run(command, displayEnabled, &v);
    if (!st.error()) {
        result.clear();
        if (!v.isNone())
            for (double d : v.asFloatArray()) result.append(d);
    }
    return st;
}

MStatus MGlobal::executeCommandOnIdle(const MString& command, bool displayEnabled) {
    if (displayEnabled) interpreter().print(command.str() + "\n");
    interpreter().evalDeferred(command.str());
    return MStatus::kSuccess;
}

MStatus MGlobal::sourceFile(const MString& fileName) {
    return interpreter().sourceFile(fileName.str(), true).ok ? MStatus::kSuccess : MStatus::kFailure;
}

void MGlobal::displayInfo(const MString& text) { interpreter().print(text.str() + "\n"); }
void MGlobal::displayWarning(const MString& text) { interpreter().warning(text.str()); }
void MGlobal::displayError(const MString& text) { interpreter().error(text.str()); }

MStatus MGlobal::viewFrame(const MTime& time) {
    host::scene::scene().setCurrentTime(time.as(MTime::kSeconds));
    return MStatus::kSuccess;
}

MStatus MGlobal::viewFrame(double frame) {
    auto& s = host::scene::scene();
    s.setCurrentTime(frame / s.fps());
    return MStatus::kSuccess;
}
