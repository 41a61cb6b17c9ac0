#include "SceneExtraction.h"

#include <maya/MGlobal.h>

namespace vl2 {

SceneExtraction& extraction() {
    static SceneExtraction e;
    return e;
}

void SceneExtraction::setSceneName(const std::string& name) {
    std::string keepPath = record_.textureSearchPath;
    record_ = SceneRecord();
    record_.textureSearchPath = keepPath;
    record_.sceneName = name;
}

void SceneExtraction::setOutputDirectory(const std::string& dir) {
    record_.outputDirectory = dir;
    record_.hasOutputDirectory = true;
}

void SceneExtraction::appendTextureSearchPath(const std::string& text) { record_.textureSearchPath += text; }

bool SceneExtraction::outputDirectory(std::string& out) const {
    if (!record_.hasOutputDirectory) return false;
    out = record_.outputDirectory;
    return true;
}

const std::string* SceneExtraction::textureSearchPath() const {
    return record_.textureSearchPath.empty() ? nullptr : &record_.textureSearchPath;
}

void SceneExtraction::initialiseScene() {
    shapes_.clear();
    materials_.clear();
    record_.animated = record_.endFrame != record_.startFrame;
    // The DAG walk that fills the tables is added with the mesh extraction.
}

void SceneExtraction::setFrame(int frame) {
    if (frame < record_.startFrame || frame > record_.endFrame) return;
    record_.currentFrame = frame;
    MGlobal::viewFrame(static_cast<double>(frame));
}

void SceneExtraction::release() {
    shapes_.clear();
    materials_.clear();
    record_.textureSearchPath.clear();
}

const ShapeEntry* SceneExtraction::shape(int index) const {
    return index >= 0 && index < shapeCount() ? &shapes_[static_cast<size_t>(index)] : nullptr;
}

int SceneExtraction::parentIndex(int index) const {
    const ShapeEntry* s = shape(index);
    if (!s || !settings_.parentLinks) return -1;
    return s->parent;
}

const std::string* SceneExtraction::parentName(int index) const {
    const ShapeEntry* s = shape(index);
    if (!s || !settings_.parentLinks || !s->hasParentName) return nullptr;
    return &s->parentName;
}

int SceneExtraction::groupCount(int index) const {
    const ShapeEntry* s = shape(index);
    return s ? static_cast<int>(s->groups.size()) : 0;
}

const std::string* SceneExtraction::materialName(int index) const {
    return index >= 0 && index < materialCount() ? &materials_[static_cast<size_t>(index)] : nullptr;
}

int SceneExtraction::polygonCount(const std::vector<int>& indexList) {
    int n = 0;
    for (int i : indexList)
        if (i == -1) ++n;
    return n;
}

}  // namespace vl2
