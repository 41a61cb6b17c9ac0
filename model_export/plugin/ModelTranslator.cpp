#include "ModelTranslator.h"

#include "ExportDriver.h"
#include "ExportOptions.h"
#include "SceneExtraction.h"

#include <runlog/RunLog.h>

#include <maya/MGlobal.h>
#include <maya/MStringArray.h>

#include <cstring>

namespace vl2 {

void* ModelTranslator::creator() { return new ModelTranslator; }

ModelTranslator::~ModelTranslator() = default;

MStatus ModelTranslator::reader(const MFileObject&, const MString&, FileAccessMode) { return MStatus::kSuccess; }
bool ModelTranslator::haveReadMethod() const { return false; }
bool ModelTranslator::haveWriteMethod() const { return true; }
MString ModelTranslator::defaultExtension() const { return "vlm"; }
bool ModelTranslator::canBeOpened() const { return true; }

MPxFileTranslator::MFileKind ModelTranslator::identifyFile(const MFileObject&, const char* buffer, short size) const {
    static const char kMagic[] = "VL2_EXPORTER";
    const short magicLength = static_cast<short>(sizeof kMagic - 1);
    if (size < magicLength || !buffer) return kNotMyFileType;
    return std::memcmp(buffer, kMagic, static_cast<size_t>(magicLength)) == 0 ? kIsMyFileType : kNotMyFileType;
}

MString modelBaseName(const MString& shortName) {
    const int dot = shortName.rindex('.');
    if (dot > 0 && shortName.substring(dot, static_cast<int>(shortName.length()) - 1).toLowerCase() == ".vlm")
        return shortName.substring(0, dot - 1);
    return shortName;
}

MString modelOutputDirectory(const MString& fullName) {
    const int slash = fullName.rindex('/');
    if (slash < 0 || slash >= 512) return MString();
    return fullName.substring(0, slash - 1);
}

MStatus ModelTranslator::writer(const MFileObject& file, const MString& optionsString, FileAccessMode mode) {
    SceneExtraction& scene = extraction();
    ExportOptions& opt = exportOptions();

    const MString fullName = file.fullName();
    const MString baseName = modelBaseName(file.name());
    scene.setSceneName(baseName.str());

    opt.parse(optionsString.str());

    logMessage(0, "\n\n\nEXPORTING \"%s\"\n\n", baseName.asChar());
    logMessage(0, "** option vl2_exporttype is %s **\n", exportTypeWord(opt.exportType));
    logMessage(0, "** option vl2_meshformat is %s **\n", meshFormatWord(opt.meshFormat));
    logMessage(0, "** option vl2_textureformat is %s **\n", textureFormatWord(opt.textureFormat));
    logMessage(0, "** option transformType is %d **\n", 0);
    logMessage(0, "** option vl2_joints is %d **\n", opt.vl2_joints ? 1 : 0);
    logMessage(0, "** option vl2_bounding is %d **\n", opt.vl2_bounding ? 1 : 0);
    logMessage(0, "** option vl2_enginetrails is %d **\n", opt.vl2_enginetrails ? 1 : 0);
    logMessage(0, "** option vl2_navlights is %d **\n", opt.vl2_navlights ? 1 : 0);
    logMessage(0, "** option vl2_damagepoints is %d **\n", opt.vl2_damagepoints ? 1 : 0);
    logMessage(0, "\n");

    const WalkMode walk = static_cast<int>(mode) == 5 ? WalkMode::SelectedSubtrees : WalkMode::AllNodes;

    scene.setOutputDirectory(modelOutputDirectory(fullName).str());

    MStringArray roots, types;
    MGlobal::executeCommand("workspace -q -rd", roots, false, false);
    MGlobal::executeCommand("workspace -q -rtl", types, false, false);
    std::string path;
    std::string separator = scene.textureSearchPath() ? "|" : "";
    for (const MString& r : roots) {
        for (const MString& t : types) {
            path += separator + r.str() + "/" + t.str();
            separator = "|";
            if (t == "sourceImages") path += "|" + r.str() + "/sourceimages|" + r.str() + "/";
        }
    }
    scene.appendTextureSearchPath(path);

    logMessage(0, "** %s transform **\n", "flat");

    ExtractionSettings& s = scene.settings();
    s.transformMode = 2;
    s.parentLinks = true;
    s.transformGroups = 0;
    s.maxTextureWidth = 512;
    s.maxTextureHeight = 512;
    s.keepTexturePlacement = 1;
    s.layeredShaders = 0;
    s.tessellationMode = 3;
    s.walkMode = walk;

    scene.initialiseScene();
    MGlobal::viewFrame(0.0);

    runExportDriver();

    scene.release();
    return MStatus::kSuccess;
}

}  // namespace vl2
