#pragma once
#include <maya/MArgList.h>
#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <maya/MSyntax.h>

// Base class of plug-in MEL commands.
class MPxCommand {
public:
    MPxCommand();
    virtual ~MPxCommand();
    virtual MStatus doIt(const MArgList& args);
    virtual MStatus undoIt();
    virtual MStatus redoIt();
    virtual bool isUndoable() const;
    virtual bool hasSyntax() const;

    MSyntax syntax() const;
    bool isHistoryOn() const { return false; }
    MString commandString() const { return commandString_; }
    void setCommandString(const MString& s) { commandString_ = s; }
    void setUndoable(bool on) { undoable_ = on; }

    static void displayInfo(const MString& text);
    static void displayWarning(const MString& text);
    static void displayError(const MString& text);

    static void clearResult();
    static void setResult(bool v);
    static void setResult(int v);
    static void setResult(unsigned int v) { setResult(static_cast<int>(v)); }
    static void setResult(double v);
    static void setResult(const char* v) { setResult(MString(v)); }
    static void setResult(const MString& v);
    static void setResult(const MIntArray& v);
    static void setResult(const MDoubleArray& v);
    static void setResult(const MStringArray& v);
    static void appendToResult(int v);
    static void appendToResult(double v);
    static void appendToResult(const char* v) { appendToResult(MString(v)); }
    static void appendToResult(const MString& v);

    static bool isCurrentResultArray();

    // Host-internal: the syntax the command was registered with.
    void setRegisteredSyntax(const MSyntax& s) { syntax_ = s; }

private:
    MString commandString_;
    bool undoable_ = false;
    MSyntax syntax_;
};
