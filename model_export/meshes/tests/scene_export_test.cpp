// The scene walk, the hierarchy, the mesh list and the Simple and Wireframe
// formats, through scenes built in the host and files read back with the
// inspector's reader.
#include "scene_fixture.h"

#include "BadData.h"
#include "ExportDriver.h"
#include "ExportOptions.h"
#include "MeshList.h"
#include "SceneExtraction.h"

#include "scene/core/scene.h"

#include <runlog/RunLog.h>

#include <maya/MFnDependencyNode.h>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

using vl2::chunkread::Chunk;
using vl2::chunkread::ChunkFile;
using vl2test::cube;
using vl2test::quad;
using vl2test::SceneExport;

std::vector<double> numbers(const vl2::chunkread::Value* v) {
    std::vector<double> r;
    if (v)
        for (const auto& item : v->items()) r.push_back(item.asDouble());
    return r;
}

std::vector<std::string> topLevel(const ChunkFile& f) {
    std::vector<std::string> r;
    for (const Chunk& c : f.chunks) r.push_back(c.name);
    return r;
}

std::string errorText(const ChunkFile& f) {
    const Chunk* e = f.find("INFO/ERRR");
    return e ? e->field("text")->asString() : std::string();
}

// ---- the scene walk

class ExtractionWalk : public SceneExport {
protected:
    void buildScene() {
        mel("select -cl; joint -n Root; joint -n Engine -p 0 0 -4; select -cl;"
            "createNode transform -n hullGroup -p Root;"
            "createNode transform -n hull -p hullGroup; setAttr hull.t 1 2 3;"
            "createNode transform -n hidden -p hullGroup; setAttr hidden.visibility 0;"
            "createNode transform -n off -p Root; setAttr off.v 0; createNode transform -n under -p off;"
            "createNode transform -n inter -p Root;"
            "createNode transform -n lone;");
        meshUnder("hull", quad());
        meshUnder("hidden", quad());
        meshUnder("under", quad());
        MObject interShape = meshUnder("inter", quad());
        mel("setAttr " + MFnDependencyNode(interShape).name().str() + ".intermediateObject 1;");
        meshUnder("lone", cube());
    }
    vl2::SceneExtraction& walk(vl2::WalkMode mode) {
        vl2::SceneExtraction& s = vl2::extraction();
        s.settings() = vl2::ExtractionSettings();
        s.settings().walkMode = mode;
        s.initialiseScene();
        return s;
    }
    void TearDown() override {
        vl2::extraction().release();
        SceneExport::TearDown();
    }
};

TEST_F(ExtractionWalk, EntriesParentsAndVisibility) {
    buildScene();
    vl2::SceneExtraction& s = walk(vl2::WalkMode::AllNodes);
    struct Row {
        const char* name;
        bool group;
        int parent;
        const char* parentName;  // nullptr: none
    } expected[] = {
        {"Root", true, -1, nullptr},  {"Engine", true, 0, "Root"},  {"hullGroup", true, 0, "Root"},
        {"hull", false, 2, "hullGroup"}, {"off", true, 0, "Root"}, {"lone", false, -1, nullptr},
    };
    ASSERT_EQ(s.shapeCount(), int(std::size(expected)));
    for (int i = 0; i < s.shapeCount(); ++i) {
        const Row& r = expected[i];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(s.shape(i)->name, r.name);
        EXPECT_EQ(s.shape(i)->isGroup, r.group);
        EXPECT_EQ(s.parentIndex(i), r.parent);
        const std::string* pn = s.parentName(i);
        if (r.parentName) {
            ASSERT_NE(pn, nullptr);
            EXPECT_EQ(*pn, r.parentName);
        } else {
            EXPECT_EQ(pn, nullptr);
        }
    }
    const vl2::ShapeEntry* hull = s.shape(3);
    EXPECT_FLOAT_EQ(hull->localMatrix[12], 1);
    EXPECT_FLOAT_EQ(hull->localMatrix[13], 2);
    EXPECT_FLOAT_EQ(hull->localMatrix[14], 3);
    EXPECT_EQ(hull->positions.size(), 12u);  // in the shape's own space
    EXPECT_FLOAT_EQ(hull->positions[3], 1.0f);
    ASSERT_EQ(hull->groups.size(), 1u);
    EXPECT_EQ(hull->groups[0].positionIndices, (std::vector<int>{0, 1, 2, 3, -1}));
    EXPECT_EQ(vl2::SceneExtraction::polygonCount(s.shape(5)->groups[0].normalIndices), 6);
    ASSERT_EQ(s.materialCount(), 1);
    EXPECT_EQ(*s.materialName(s.shape(3)->groups[0].material), "lambert1");

    s.settings().parentLinks = false;
    EXPECT_EQ(s.parentIndex(3), -1);
    EXPECT_EQ(s.parentName(3), nullptr);
}

TEST_F(ExtractionWalk, SelectedSubtreesOnly) {
    buildScene();
    mel("select -r hullGroup lone;");
    vl2::SceneExtraction& s = walk(vl2::WalkMode::SelectedSubtrees);
    ASSERT_EQ(s.shapeCount(), 3);
    EXPECT_EQ(s.shape(0)->name, "hullGroup");
    EXPECT_EQ(s.parentIndex(0), -1);  // Root is not in the table
    EXPECT_EQ(s.shape(1)->name, "hull");
    EXPECT_EQ(s.parentIndex(1), 0);
    EXPECT_EQ(s.shape(2)->name, "lone");
}

// ---- hierarchy

TEST_F(SceneExport, HierarchyRecordsTwoTreesAndRotationOrder) {
    mel("select -cl; joint -n Root -p 0 1 0; joint -n Spine -p 0 1 -4; select -cl;"
        "setAttr Spine.rotateOrder 5; setAttr Spine.rx 90; setAttr Spine.s 2 2 2; setAttr Spine.jointTypeY 0;"
        "setAttr Spine.jointOrientZ 45;"
        "createNode transform -n grp; setAttr grp.t 5 0 0;"
        "select -cl; joint -n Second -p 7 0 0; parent Second grp; select -cl;");
    ChunkFile f = exportScene("exportType=1");
    ASSERT_TRUE(f.ok()) << f.problemText();
    const Chunk* hier = f.find("DTRM/HIER");
    ASSERT_NE(hier, nullptr) << log;
    ASSERT_EQ(hier->field("count")->asInt(), 3);
    const auto& joints = *hier->field("joints");
    EXPECT_EQ(joints[0].field("name")->asString(), "Root");
    EXPECT_EQ(joints[0].field("parent")->asString(), "");
    EXPECT_EQ(numbers(joints[0].field("translation")), (std::vector<double>{0, 0, 0}));

    EXPECT_EQ(joints[1].field("name")->asString(), "Spine");
    EXPECT_EQ(joints[1].field("parent")->asString(), "Root");
    EXPECT_EQ(numbers(joints[1].field("translation")), (std::vector<double>{0, 0, -4}));
    auto rot = numbers(joints[1].field("rotation"));
    ASSERT_EQ(rot.size(), 3u);
    EXPECT_NEAR(rot[0], M_PI / 2, 1e-6);
    EXPECT_EQ(numbers(joints[1].field("scale")), (std::vector<double>{2, 2, 2}));
    EXPECT_NEAR(numbers(joints[1].field("orientation"))[2], M_PI / 4, 1e-6);
    EXPECT_EQ(numbers(joints[1].field("dof")), (std::vector<double>{1, 0, 1}));

    // The second tree's top joint hangs under a group: no parent, no translation.
    EXPECT_EQ(joints[2].field("name")->asString(), "Second");
    EXPECT_EQ(joints[2].field("parent")->asString(), "");
    EXPECT_EQ(numbers(joints[2].field("translation")), (std::vector<double>{0, 0, 0}));

    EXPECT_EQ(errorText(f), "Rotation order of node Spine is not xyz\n");
}

TEST_F(SceneExport, HierarchyRefusedWithoutARootJoint) {
    struct Case {
        const char* scene;
        const char* error;
    } cases[] = {
        {"createNode transform -n hull;", "No joint defined, please create a joint name 'Root'\n"},
        {"select -cl; joint -n root; select -cl;", "Root joint not name 'Root', please rename"},
        {"select -cl; joint -n RootBone; select -cl;", "Root joint not name 'Root', please rename"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scene);
        host::scene::scene().newScene();
        mel(c.scene);
        ChunkFile f = exportScene("exportType=1");
        ASSERT_TRUE(f.ok()) << f.problemText();
        EXPECT_EQ(f.find("DTRM/HIER"), nullptr);
        EXPECT_EQ(errorText(f), c.error);
    }
}

// ---- the mesh list

TEST(LevelOfName, NameRules) {
    struct Case {
        const char* name;
        int level;
    } cases[] = {{"hull", 0},      {"hull_LOD1", 1},  {"hull_LOD2", 2},     {"hull_LOD12", 1}, {"hull_LOD0", 0},
                 {"hull_LOD", 0},  {"hull_LODx", 0},  {"CM_hull_LOD2", -1}, {"cm_hull", 0},    {"a_LOD3_LOD5", 3},
                 {"hull_lod1", 0}, {"x_LOD9", 9}};
    for (const Case& c : cases) EXPECT_EQ(vl2::levelOfName(c.name), c.level) << c.name;
}

class MeshListBuild : public ExtractionWalk {
protected:
    std::vector<vl2::OutputMeshPtr> build(vl2::MeshListContext& context, bool joints = true) {
        vl2::SceneExtraction& s = walk(vl2::WalkMode::AllNodes);
        vl2::MeshListSettings settings;
        settings.joints = joints;
        context.shaderObjects = &shaders;
        return vl2::buildMeshList(s, settings, context);
    }
    std::vector<MObject> shaders;
};

TEST_F(MeshListBuild, LevelsNeedConsecutiveBuckets) {
    struct Case {
        std::vector<std::string> shapes;
        int levels;  // -1: no entry
    } cases[] = {
        {{"hull", "hull_LOD1", "hull_LOD2"}, 3},
        {{"hull_LOD2", "hull", "hull_LOD1"}, 3},
        {{"hull", "hull_LOD2"}, 1},
        {{"hull_LOD1", "hull_LOD2"}, -1},
        {{"hull", "CM_hull"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shapes[0] + " ... " + std::to_string(c.shapes.size()));
        host::scene::scene().newScene();
        mel("select -cl; joint -n Root; select -cl;");
        for (const std::string& name : c.shapes) {
            mel("createNode transform -n " + name + " -p Root;");
            meshUnder(name, quad());
        }
        vl2::MeshListContext context;
        auto list = build(context);
        if (c.levels < 0) {
            EXPECT_TRUE(list.empty());
            continue;
        }
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0]->name, "Root_mesh");
        EXPECT_EQ(list[0]->parentName, "Root");
        EXPECT_EQ(int(list[0]->levels.size()), c.levels);
        for (const auto& level : list[0]->levels) EXPECT_NE(level, nullptr);
    }
}

TEST_F(MeshListBuild, GroupsInByteOrderWithoutTheNullGroup) {
    mel("createNode transform -n alpha; createNode transform -n a -p alpha;"
        "createNode transform -n Zeta; createNode transform -n z -p Zeta;"
        "createNode transform -n Beta; createNode transform -n b -p Beta;"
        "createNode transform -n top;");
    for (const char* t : {"a", "z", "b", "top"}) meshUnder(t, quad());
    vl2::MeshListContext context;
    auto list = build(context);
    std::vector<std::string> names;
    for (const auto& m : list) names.push_back(m->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Beta_mesh", "Zeta_mesh", "alpha_mesh"}));
    EXPECT_EQ(shaders.size(), 1u);  // every shape is in initialShadingGroup
    EXPECT_EQ(context.faceCount, 6);  // three quads built; "top" hangs under nothing
}

TEST_F(MeshListBuild, QuadFansAndPositionsMoveToTheParentSpace) {
    mel("select -cl; joint -n Root; select -cl; createNode transform -n hull -p Root; setAttr hull.t 10 0 0;");
    meshUnder("hull", quad(2));
    for (bool joints : {true, false}) {
        SCOPED_TRACE(joints);
        vl2::MeshListContext context;
        auto list = build(context, joints);
        ASSERT_EQ(list.size(), 1u);
        ASSERT_EQ(list[0]->levels.size(), 1u);
        const vl2::RawMesh& raw = *list[0]->levels[0];
        ASSERT_EQ(raw.triangles.size(), 2u);
        EXPECT_EQ(raw.triangles[0].position, (std::array<std::uint32_t, 3>{0, 1, 2}));
        EXPECT_EQ(raw.triangles[1].position, (std::array<std::uint32_t, 3>{0, 2, 3}));
        EXPECT_EQ(raw.uvs.size(), 1u);  // no texture coordinates: one (0, 0)
        ASSERT_EQ(raw.positions.size(), 4u);
        EXPECT_FLOAT_EQ(raw.positions[1][0], joints ? 12.0f : 2.0f);
        // The scene box uses the matrices below the top of the chain.
        EXPECT_FLOAT_EQ(context.bounds.minimum[0], 10.0f);
        EXPECT_FLOAT_EQ(context.bounds.maximum[0], 12.0f);
    }
}

// A table built by hand: one polygon with four positions but three normals.
TEST_F(SceneExport, MismatchedPolygonDiscardsItsLevelAndWritesBadData) {
    vl2::SceneExtraction& s = vl2::extraction();
    s.release();
    s.setSceneName("bad");
    s.setOutputDirectory(dir);
    vl2::ShapeEntry group;
    group.name = "fx";
    group.isGroup = true;
    vl2::ShapeEntry shape;
    shape.name = "spark";
    shape.parent = 0;
    shape.parentName = "fx";
    shape.hasParentName = true;
    shape.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    shape.normals = {0, 0, 1};
    vl2::ShapeGroup g;
    g.positionIndices = {0, 1, 2, 3, -1};
    g.normalIndices = {0, 0, 0, -1};
    g.uvIndices = {-1};
    g.colourIndices = {-1};
    shape.groups.push_back(g);
    s.shapes() = {group, shape};
    s.materials() = {"lambert1"};

    vl2::exportOptions().parse("exportType=2");
    std::FILE* echo = std::tmpfile();
    vl2::runLog().setEchoStream(echo);
    vl2::runExportDriver();
    vl2::runLog().setEchoStream(stdout);
    std::fclose(echo);
    s.release();

    ChunkFile f = vl2::chunkread::readChunkFile(dir + "/bad.vlm");
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(topLevel(f), (std::vector<std::string>{"VERS", "NAME", "HVMD"}));
    const Chunk* hvmd = f.find("HVMD");
    ASSERT_EQ(hvmd->children.size(), 1u);  // no SIMP for the discarded level
    EXPECT_EQ(hvmd->children[0].name, "BADD");
    EXPECT_EQ(hvmd->children[0].field("text")->asString(), "face 0 index mismatch.  v 4, n 3, uv 4, c 4\n");
}

// ---- Simple and Wireframe

TEST_F(SceneExport, ParticleMergesCornersIntoSimpleMesh) {
    mel("createNode transform -n fx; createNode transform -n spark -p fx;"
        "createNode transform -n strip -p fx; createNode transform -n other;"
        "createNode transform -n puff -p other;");
    meshUnder("spark", cube(2));
    // Two coplanar quads sharing an edge: the shared corners merge.
    meshUnder("puff", {{0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0, 1, 1, 0, 2, 1, 0}, {4, 4}, {0, 1, 4, 3, 1, 2, 5, 4}});
    ChunkFile f = exportScene("exportType=2", "fx");
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(topLevel(f), (std::vector<std::string>{"VERS", "NAME", "HVMD"}));
    EXPECT_EQ(f.find("NAME")->field("name")->asString(), "Velmora2 Simple Mesh File");
    auto simps = f.findAll("HVMD/SIMP");
    ASSERT_EQ(simps.size(), 2u) << log;
    const Chunk& fx = *simps[0];
    EXPECT_EQ(fx.field("name")->asString(), "fx_mesh");
    EXPECT_EQ(fx.field("vertexCount")->asInt(), 24);  // hard edges: a vertex per face corner
    EXPECT_EQ(fx.field("indexCount")->asInt(), 36);
    auto first = numbers(fx.field("indices"));
    EXPECT_EQ(std::vector<double>(first.begin(), first.begin() + 6), (std::vector<double>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(numbers(fx.field("vertices.1.position")), (std::vector<double>{1, -1, 1, 1}));
    EXPECT_EQ(numbers(fx.field("vertices.0.normal")), (std::vector<double>{0, 0, 1, 1}));

    const Chunk& other = *simps[1];
    EXPECT_EQ(other.field("name")->asString(), "other_mesh");
    EXPECT_EQ(other.field("vertexCount")->asInt(), 6);
    EXPECT_EQ(numbers(other.field("indices")), (std::vector<double>{0, 1, 2, 0, 2, 3, 1, 4, 5, 1, 5, 2}));
    EXPECT_NE(log.find("exporting 'Particle'\n"), std::string::npos);
    EXPECT_NE(log.find("generating simple mesh fx_mesh ...\n"), std::string::npos);
    EXPECT_NE(log.find("done.\nexported 16 faces.\n"), std::string::npos) << log;
}

TEST_F(SceneExport, WireframeWritesHardEdgesInWorldSpace) {
    mel("createNode transform -n frame; setAttr frame.t 10 0 0; createNode transform -n wire -p frame;");
    meshUnder("wire", cube(1));
    ChunkFile f = exportScene("exportType=5", "wire");
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(topLevel(f), (std::vector<std::string>{"VERS", "NAME", "HVMD"}));
    EXPECT_EQ(f.find("NAME")->field("name")->asString(), "Velmora2 Wireframe Mesh File");
    const Chunk* simp = f.find("HVMD/SIMP");
    ASSERT_NE(simp, nullptr) << log;
    EXPECT_EQ(simp->field("name")->asString(), "");
    ASSERT_EQ(simp->field("vertexCount")->asInt(), 24);
    EXPECT_EQ(simp->field("indexCount")->asInt(), 0);
    std::set<std::vector<double>> corners;
    for (const auto& v : simp->field("vertices")->items()) corners.insert(numbers(v.field("position")));
    EXPECT_EQ(corners.size(), 8u);
    for (const auto& c : corners) EXPECT_NEAR(std::fabs(c[0] - 10), 0.5, 1e-6);
    EXPECT_NE(log.find("exporting 'Wirefame'\n"), std::string::npos);
    EXPECT_NE(log.find("Exporting a wireframe 12/12 edges\n"), std::string::npos) << log;
}

TEST_F(SceneExport, WireframeGroupOfTwoShapesWritesNothing) {
    mel("createNode transform -n frame; createNode transform -n a -p frame; createNode transform -n b -p frame;");
    meshUnder("a", cube());
    meshUnder("b", cube());
    ChunkFile f = exportScene("exportType=5", "wire");
    ASSERT_TRUE(f.ok()) << f.problemText();
    EXPECT_EQ(f.find("HVMD/SIMP"), nullptr);
    EXPECT_NE(log.find("unable to generate wireframe mesh from frame_mesh.  mesh contains too many shapes.\n"),
              std::string::npos)
        << log;
}

TEST_F(SceneExport, ValidationReportsEveryMeshAsUnknownFormat) {
    mel("select -cl; joint -n Root; select -cl; createNode transform -n hull -p Root;");
    meshUnder("hull", quad());
    ChunkFile f = exportScene("exportType=0;geometryType=3", "checked");
    EXPECT_FALSE(f.ok());  // no file is written
    EXPECT_NE(log.find("\nvalidation proceeding\n\n"), std::string::npos);
    EXPECT_NE(log.find("validating shape \"hull\" 1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("unknown meshformat '2'\n"), std::string::npos);
    EXPECT_NE(log.find("validation completed.\n"), std::string::npos);
}

}  // namespace
