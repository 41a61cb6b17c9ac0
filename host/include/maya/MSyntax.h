#pragma once
#include <maya/MString.h>
#include <memory>

// The flags and arguments a plug-in command accepts.
class MSyntax {
public:
    enum MArgType {
        kInvalidArgType,
        kNoArg,
        kBoolean,
        kLong,
        kDouble,
        kString,
        kUnsigned,
        kDistance,
        kAngle,
        kTime,
        kSelectionItem,
        kLastArgType
    };
    enum MObjectFormat { kInvalidObjectFormat, kNone, kStringObjects, kSelectionList, kLastObjectFormat };

    MSyntax();
    MSyntax(const MSyntax&);
    MSyntax& operator=(const MSyntax&);
    ~MSyntax();

    MStatus addFlag(const char* shortName, const char* longName, MArgType a1 = kNoArg, MArgType a2 = kNoArg,
                    MArgType a3 = kNoArg, MArgType a4 = kNoArg, MArgType a5 = kNoArg, MArgType a6 = kNoArg);
    MStatus makeFlagMultiUse(const char* flag);
    MStatus addArg(MArgType type);
    MStatus setObjectType(MObjectFormat format, unsigned int minimum = 0, unsigned int maximum = ~0u);
    MStatus useSelectionAsDefault(bool useSelection);
    void enableQuery(bool on = true);
    void enableEdit(bool on = true);

    struct Data;
    const Data& data() const { return *d_; }

private:
    std::unique_ptr<Data> d_;
};
