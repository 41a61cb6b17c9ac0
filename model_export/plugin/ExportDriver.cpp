#include "ExportDriver.h"

#include "BadData.h"
#include "ExportOptions.h"
#include "ExportState.h"
#include "HierarchyWriter.h"
#include "MeshDispatch.h"
#include "MeshList.h"
#include "SceneExtraction.h"

#include <chunk/ChunkWriter.h>
#include <chunk/StandardChunks.h>
#include <runlog/RunLog.h>

#include <maya/MGlobal.h>

#include <platform/platform.h>

#include <cstdio>
#include <cstring>

namespace vl2 {

ExportState& exportState() {
    static ExportState s;
    return s;
}

namespace {

// Text between double quotes in MEL: quotes and backslashes escaped so that a
// message holding them reaches the procedure intact instead of breaking (or
// extending) the command.
std::string melEscaped(const std::string& text) {
    std::string r;
    for (char c : text) {
        if (c == '"' || c == '\\') r += '\\';
        r += c;
    }
    return r;
}

void writeTextChunk(ChunkWriter& w, const char* id, const char* text) {
    w.beginPlainChunk(fourCC(reinterpret_cast<const char(&)[5]>(*id)));
    const std::uint32_t length = static_cast<std::uint32_t>(std::strlen(text));
    w.writeUInt32(length);
    w.writeBytes(text, 1, length);
    w.endChunk();
}

std::string fileNameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Builds the mesh list into the export state, adding its faces and its
// bad-data texts to the export's counters.
void buildMeshes(const ExportOptions& opt, SceneExtraction& scene, ExportState& state) {
    MeshListSettings settings;
    settings.validation = opt.meshFormat == Validate;
    settings.wireframe = opt.meshFormat == WireframeFormat;
    settings.joints = opt.vl2_joints;
    settings.bounding = opt.vl2_bounding;
    settings.engineTrails = opt.vl2_enginetrails;
    MeshListContext context;
    context.shaderObjects = &state.shaderObjects;
    state.meshList = buildMeshList(scene, settings, context);
    state.sceneBounds = context.bounds;
    state.faceCount += context.faceCount;
    for (const std::string& text : context.badData) badData().report("%s", text.c_str());
}

void writeMeshes(const ExportOptions& opt, SceneExtraction& scene, ExportState& state, std::int32_t format) {
    MeshDispatchSettings settings;
    settings.format = format;
    settings.mergeVertices = opt.mergeVertices;
    settings.strips = opt.primitiveKind == PrimitiveKind::Strips;
    settings.normalMapping = opt.normalMapping;
    settings.materials = state.materials;
    settings.sceneDiagonal = state.sceneBounds.diagonal();
    settings.scene = &scene;
    for (const OutputMeshPtr& mesh : state.meshList)
        if (mesh) writeMeshForFormat(state.writer, *mesh, settings);
}

}  // namespace

std::string errorLogCommand(const std::string& fileName, const std::string& warnings, const std::string& errors) {
    std::string cmd = "vl2ErrorLog(\"" + melEscaped(fileName) + "\", \"" + melEscaped(warnings) + "\", \"" +
                      melEscaped(errors) + "\")";
    for (char& c : cmd)
        if (c == '\n') c = '#';
    return cmd + "\n";
}

std::string ownerRecord(const std::string& userName) {
    // The user-name service fills a 32-character buffer: a longer name would
    // make it fail, so the owner is kept as its first 31 characters.
    std::string name = userName.substr(0, 31);
    const std::uint32_t count = static_cast<std::uint32_t>(name.size() + 1);
    std::string r(4, '\0');
    for (int i = 0; i < 4; ++i) r[static_cast<size_t>(i)] = static_cast<char>((count >> (8 * i)) & 0xff);
    r += name;
    r += '\0';
    return r;
}

void runExportDriver() {
    ExportOptions& opt = exportOptions();
    ExportState& state = exportState();
    SceneExtraction& scene = extraction();

    resetLog();
    state = ExportState();

    const bool validation = opt.meshFormat == Validate;
    std::string dir;
    scene.outputDirectory(dir);
    // A file chosen without a folder is written beside the current directory,
    // not at the file system's root.
    const std::string outputPath = (dir.empty() ? std::string() : dir + "/") + scene.sceneName() + ".vlm";

    if (!validation) {
        ChunkWriter writer;
        if (writer.openFile(outputPath)) {
            state.writer = &writer;
            badData().reset();
            state.faceCount = 0;
            writeVersionChunk(writer);
            if (const char* name = modelFileName(opt.meshFormat)) writeNameChunk(writer, name);
            writer.beginForm(fourCC("HVMD"));
            const bool simpleKind = opt.meshFormat == WireframeFormat || opt.meshFormat == Simple;
            if (simpleKind) {
                logMessage(0, opt.meshFormat == WireframeFormat ? "exporting 'Wirefame'\n" : "exporting 'Particle'\n");
                buildMeshes(opt, scene, state);
                writeMeshes(opt, scene, state, opt.meshFormat);
                state.meshList.clear();
                if (badData().flags() & 1u) writeBadDataChunk(writer, badData().text().c_str());
                writer.endChunk();  // HVMD
            } else {
                const bool withMeshes = opt.exportType != BackgroundNoMesh;
                // Lights are collected here (before the mesh list).
                buildMeshes(opt, scene, state);
                // The light chunk goes here when vl2_lights is on.
                if (withMeshes) {
                    // Materials, then textures, go here: they register what the meshes refer to.
                    writeMeshes(opt, scene, state, opt.meshFormat);
                    // Goblins go here.
                    if (badData().flags() & 1u) writeBadDataChunk(writer, badData().text().c_str());
                }
                writer.endChunk();  // HVMD

                writer.beginForm(fourCC("DTRM"));
                if (withMeshes) {
                    if (opt.vl2_joints) writeHierarchy(writer);
                    // Engine shapes, glows and burns; navigation lights; damage
                    // points; docking paths; markers; star fields; bounding
                    // volume; collision meshes; per-mesh bounds follow here.
                }
                writer.endChunk();

                writer.beginForm(fourCC("INFO"));
                if (const char* w = channelText(1)) writeTextChunk(writer, "WARN", w);
                if (const char* e = channelText(2)) writeTextChunk(writer, "ERRR", e);
                writer.beginPlainChunk(fourCC("OWNR"));
                std::string owner = ownerRecord(vl2platform::userName());
                writer.writeBytes(owner.data(), 1, owner.size());
                writer.endChunk();  // OWNR
                writer.endChunk();  // INFO

                const char* w = channelText(1);
                const char* e = channelText(2);
                MGlobal::executeCommand(MString(errorLogCommand(fileNameOf(outputPath), w ? w : "", e ? e : "")),
                                        false, false);
                state.meshList.clear();
            }
            if (!writer.closeFile())
                logMessage(2, "could not write '%s': %s\n", outputPath.c_str(), writer.errorText().c_str());
            state.writer = nullptr;
        }
        logMessage(0, "done.\nexported %d faces.\n", state.faceCount);
        std::fflush(stdout);
    } else {
        logMessage(0, "\nvalidation proceeding\n\n");
        badData().reset();
        buildMeshes(opt, scene, state);
        writeMeshes(opt, scene, state, Validate);
        // Materials and textures are checked here as in an export, writing nothing.
        if (badData().flags() & 1u) {
            logMessage(0, "** bad data found **\n");
            logMessage(0, "%s\n", badData().text().c_str());
        }
        logMessage(0, "validation completed.\n");
        state.meshList.clear();
    }
    state.shaderObjects.clear();
    releaseLog();
}

}  // namespace vl2
