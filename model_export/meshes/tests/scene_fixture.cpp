#include "scene_fixture.h"

#include "ModelTranslator.h"

#include "mel/interpreter.h"
#include "plugins/host_init.h"
#include "scene/core/scene.h"

#include <runlog/RunLog.h>

#include <maya/MFileObject.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MSelectionList.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vl2test {

MeshSpec quad(float s) {
    return {{0, 0, 0, s, 0, 0, s, s, 0, 0, s, 0}, {4}, {0, 1, 2, 3}};
}

MeshSpec cube(float s) {
    const float h = s / 2;
    return {{-h, -h, h, h, -h, h, -h, h, h, h, h, h, -h, h, -h, h, h, -h, -h, -h, -h, h, -h, -h},
            {4, 4, 4, 4, 4, 4},
            {0, 1, 3, 2, 2, 3, 5, 4, 4, 5, 7, 6, 6, 7, 1, 0, 1, 7, 5, 3, 6, 0, 2, 4}};
}

void SceneExport::SetUp() {
    host::initialize();
    host::scene::scene().newScene();
    auto& interp = host::mel::interpreter();
    interp.setErrorSink([this](const std::string& s) { melErrors += s; });
    char tmpl[] = "/tmp/vl2scene.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
}

void SceneExport::TearDown() {
    host::mel::interpreter().resetSinks();
    std::system(("rm -rf '" + dir + "'").c_str());
}

void SceneExport::mel(const std::string& text) {
    auto r = host::mel::interpreter().execute(text);
    ASSERT_TRUE(r.ok) << text << "\n" << melErrors;
}

MObject SceneExport::meshUnder(const std::string& transform, const MeshSpec& spec) {
    MSelectionList list;
    list.add(MString(transform.c_str()));
    MObject parent;
    list.getDependNode(0, parent);
    MFloatPointArray points;
    for (std::size_t i = 0; i + 2 < spec.points.size(); i += 3)
        points.append(spec.points[i], spec.points[i + 1], spec.points[i + 2]);
    MFnMesh fn;
    MStatus st;
    MObject shape = fn.create(int(points.length()), int(spec.counts.size()), points, MIntArray(spec.counts),
                              MIntArray(spec.connects), parent, &st);
    EXPECT_TRUE(st) << "mesh under " << transform;
    mel("sets -e -forceElement initialShadingGroup " + fn.name().str() + ";");
    return shape;
}

vl2::chunkread::ChunkFile SceneExport::exportScene(const std::string& options, const std::string& name,
                                                   bool selectionOnly) {
    std::FILE* echo = std::tmpfile();
    vl2::runLog().setEchoStream(echo);
    vl2::ModelTranslator translator;
    MFileObject file;
    file.setRawFullName(MString((dir + "/" + name + ".vlm").c_str()));
    translator.writer(file, MString(options.c_str()),
                      selectionOnly ? MPxFileTranslator::kExportActiveAccessMode : MPxFileTranslator::kExportAccessMode);
    std::fflush(echo);
    std::rewind(echo);
    log.clear();
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, echo)) > 0) log.append(buf, n);
    std::fclose(echo);
    vl2::runLog().setEchoStream(stdout);
    return vl2::chunkread::readChunkFile(dir + "/" + name + ".vlm");
}

}  // namespace vl2test
