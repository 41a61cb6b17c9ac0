#pragma once
#include <maya/MArgList.h>
#include <maya/MStringArray.h>
#include <maya/MSyntax.h>
#include <map>
#include <vector>

class MSelectionList;

// A command's arguments parsed against its syntax.
class MArgParser {
public:
    MArgParser() = default;
    MArgParser(const MSyntax& syntax, const MArgList& args, MStatus* status = nullptr);
    virtual ~MArgParser() = default;

    bool isFlagSet(const char* flag, MStatus* status = nullptr) const;
    bool isQuery(MStatus* status = nullptr) const;
    bool isEdit(MStatus* status = nullptr) const;
    unsigned int numberOfFlagUses(const char* flag) const;
    unsigned int numberOfFlagsUsed() const;

    MStatus getFlagArgument(const char* flag, unsigned int index, bool& v) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, int& v) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, unsigned int& v) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, double& v) const;
    MStatus getFlagArgument(const char* flag, unsigned int index, MString& v) const;
    // Arguments of one use of a multi-use flag.
    MStatus getFlagArgumentList(const char* flag, unsigned int use, MArgList& out) const;

    MStatus getCommandArgument(unsigned int index, bool& v) const;
    MStatus getCommandArgument(unsigned int index, int& v) const;
    MStatus getCommandArgument(unsigned int index, double& v) const;
    MStatus getCommandArgument(unsigned int index, MString& v) const;
    MStatus getObjects(MStringArray& out) const;

    // Text of the last parse failure, as the host words it.
    const MString& errorText() const { return error_; }

protected:
    struct FlagUse {
        std::vector<MString> values;
    };
    // keyed by the flag's short name
    std::map<std::string, std::vector<FlagUse>> flags_;
    std::vector<MString> commandArgs_;
    std::vector<MString> objects_;
    bool query_ = false;
    bool edit_ = false;
    MString error_;

    const MString* flagValue(const char* flag, unsigned int index, MStatus* status) const;
};

class MArgDatabase : public MArgParser {
public:
    MArgDatabase() = default;
    MArgDatabase(const MSyntax& syntax, const MArgList& args, MStatus* status = nullptr)
        : MArgParser(syntax, args, status) {}
    MStatus getObjects(MStringArray& out) const { return MArgParser::getObjects(out); }
    MStatus getObjects(MSelectionList& out) const;
};
