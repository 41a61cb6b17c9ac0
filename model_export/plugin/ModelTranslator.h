#pragma once
#include <maya/MPxFileTranslator.h>

namespace vl2 {

// The "vlm" translator: writes the scene as a model file. All option and
// export state is module-wide, so it has no members.
class ModelTranslator : public MPxFileTranslator {
public:
    static void* creator();

    ~ModelTranslator() override;
    MStatus reader(const MFileObject& file, const MString& optionsString, FileAccessMode mode) override;
    MStatus writer(const MFileObject& file, const MString& optionsString, FileAccessMode mode) override;
    bool haveReadMethod() const override;
    bool haveWriteMethod() const override;
    MString defaultExtension() const override;
    bool canBeOpened() const override;
    MFileKind identifyFile(const MFileObject& file, const char* buffer, short size) const override;
};

// The base name the file is written under (without a ".vlm" of any case).
MString modelBaseName(const MString& shortName);
// The folder part of a full name ("" when none or when 512 characters or longer).
MString modelOutputDirectory(const MString& fullName);

}  // namespace vl2
