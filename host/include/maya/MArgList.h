#pragma once
#include <maya/MDoubleArray.h>
#include <maya/MIntArray.h>
#include <maya/MString.h>
#include <maya/MStringArray.h>
#include <vector>

class MVector;
class MPoint;

// The words a command was called with, in order; flags are words starting with '-'.
class MArgList {
public:
    static const unsigned int kInvalidArgIndex = 0xffffffffu;

    MArgList() = default;
    unsigned int length(MStatus* status = nullptr) const;

    bool asBool(unsigned int index, MStatus* status = nullptr) const;
    int asInt(unsigned int index, MStatus* status = nullptr) const;
    double asDouble(unsigned int index, MStatus* status = nullptr) const;
    MString asString(unsigned int index, MStatus* status = nullptr) const;
    MStringArray asStringArray(unsigned int& index, MStatus* status = nullptr) const;
    MIntArray asIntArray(unsigned int& index, MStatus* status = nullptr) const;
    MDoubleArray asDoubleArray(unsigned int& index, MStatus* status = nullptr) const;

    MStatus get(unsigned int index, bool& v) const;
    MStatus get(unsigned int index, int& v) const;
    MStatus get(unsigned int index, unsigned int& v) const;
    MStatus get(unsigned int index, double& v) const;
    MStatus get(unsigned int index, MString& v) const;

    // Index of the flag given by either name, or kInvalidArgIndex.
    unsigned int flagIndex(const char* shortFlag, const char* longFlag = nullptr) const;

    MArgList& addArg(bool v);
    MArgList& addArg(int v);
    MArgList& addArg(double v);
    MArgList& addArg(const MString& v);
    MArgList& addArg(const MStringArray& v);

    // Host-internal: each word with the elements of array arguments.
    struct Word {
        MString text;
        MStringArray elements;
        bool isArray = false;
        bool isString = false;
    };
    const std::vector<Word>& words() const { return words_; }
    void addWord(Word w) { words_.push_back(std::move(w)); }

private:
    bool check(unsigned int index, MStatus* status) const;
    std::vector<Word> words_;
};
