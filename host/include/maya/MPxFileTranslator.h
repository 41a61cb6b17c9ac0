#pragma once
#include <maya/MFileObject.h>
#include <maya/MString.h>

// Base class of file translators: the entries of the host's import/export dialogs.
class MPxFileTranslator {
public:
    enum MFileKind { kIsMyFileType, kCouldBeMyFileType, kNotMyFileType };
    // Numbered as at API level 500, which the plug-ins assume.
    enum FileAccessMode {
        kUnknownAccessMode = 0,
        kOpenAccessMode = 1,
        kImportAccessMode = 2,
        kSaveAccessMode = 3,
        kExportAccessMode = 4,
        kExportActiveAccessMode = 5
    };

    MPxFileTranslator();
    // Slot order as the host declares them.
    virtual ~MPxFileTranslator();
    virtual MStatus reader(const MFileObject& file, const MString& optionsString, FileAccessMode mode);
    virtual MStatus writer(const MFileObject& file, const MString& optionsString, FileAccessMode mode);
    virtual bool haveReadMethod() const;
    virtual bool haveWriteMethod() const;
    virtual bool haveNamespaceSupport() const;
    virtual MString defaultExtension() const;
    virtual MString filter() const;
    virtual bool canBeOpened() const;
    virtual MFileKind identifyFile(const MFileObject& file, const char* buffer, short size) const;

    // The mode of the file operation in progress.
    static FileAccessMode fileAccessMode();
};
