#pragma once
// The model exporter's view of the scene: one walk per export into numbered
// shape and material tables, then numbered queries. The exporter never walks
// meshes through the host API itself.
#include <maya/MObject.h>

#include <string>
#include <vector>

namespace vl2 {

enum class WalkMode { AllNodes, SelectedSubtrees };

struct ExtractionSettings {
    int transformMode = 2;  // 2: flat, shapes in their own space
    bool parentLinks = true;
    int transformGroups = 0;
    int maxTextureWidth = 512;
    int maxTextureHeight = 512;
    int keepTexturePlacement = 1;
    int layeredShaders = 0;
    int tessellationMode = 3;
    WalkMode walkMode = WalkMode::AllNodes;
};

struct SceneRecord {
    std::string sceneName;
    std::string outputDirectory;
    bool hasOutputDirectory = false;
    int startFrame = 0;
    int endFrame = 0;
    int currentFrame = 0;
    bool animated = false;
    std::string textureSearchPath;
};

// One material group of a shape: every polygon's corner indices, each polygon
// followed by -1, in the same polygon order in all four lists.
struct ShapeGroup {
    int material = 0;
    std::vector<int> positionIndices, normalIndices, uvIndices, colourIndices;
};

struct ShapeEntry {
    std::string name;  // short name of the transform node
    MObject transform;
    MObject shape;
    int parent = -1;
    std::string parentName;
    bool hasParentName = false;
    float localMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<float> positions;  // x y z
    std::vector<float> normals;    // x y z
    std::vector<float> uvs;        // u v
    std::vector<unsigned> colours;  // packed
    std::vector<ShapeGroup> groups;
    bool isGroup = false;  // joint or transform with transform children
};

class SceneExtraction {
public:
    // Set-up, in the writer's order.
    void setSceneName(const std::string& name);
    void setOutputDirectory(const std::string& dir);
    void appendTextureSearchPath(const std::string& text);
    ExtractionSettings& settings() { return settings_; }
    // Walks the scene and fills the tables.
    void initialiseScene();
    void setFrame(int frame);
    void release();

    // Queries.
    bool outputDirectory(std::string& out) const;
    const std::string& sceneName() const { return record_.sceneName; }
    const std::string* textureSearchPath() const;
    int startFrame() const { return record_.startFrame; }
    int shapeCount() const { return static_cast<int>(shapes_.size()); }
    const ShapeEntry* shape(int index) const;
    int parentIndex(int index) const;
    const std::string* parentName(int index) const;
    int groupCount(int index) const;
    int materialCount() const { return static_cast<int>(materials_.size()); }
    const std::string* materialName(int index) const;
    static int polygonCount(const std::vector<int>& indexList);

    const SceneRecord& record() const { return record_; }

    // The scene walk fills these (tests also build tables by hand).
    std::vector<ShapeEntry>& shapes() { return shapes_; }
    std::vector<std::string>& materials() { return materials_; }

private:
    void walkScene();
    bool fillMesh(ShapeEntry& entry, const MObject& meshNode);
    int materialNumber(const std::string& name);

    SceneRecord record_;
    ExtractionSettings settings_;
    std::vector<ShapeEntry> shapes_;
    std::vector<std::string> materials_;
};

// The module's extraction layer.
SceneExtraction& extraction();

}  // namespace vl2
