// A Ship export of a hull with levels of detail writes one multi mesh whose
// levels are basic meshes numbered 0, 1, 2, read back by the inspector.
#include "scene_fixture.h"

#include <gtest/gtest.h>

#include <string>

using vl2::chunkread::Chunk;
using vl2::chunkread::ChunkFile;
using vl2::chunkread::Value;

namespace vl2test {
namespace {

std::int64_t trianglesOf(const Chunk& bmsh)
{
    std::int64_t n = 0;
    for (const Value& part : bmsh.field("parts")->items())
        for (const Value& group : part.field("groups")->items()) {
            const std::int64_t count = group.field("indexCount")->asInt();
            n += group.field("type")->asInt() == 518 ? count - 2 : count / 3;
        }
    return n;
}

TEST_F(SceneExport, ShipWritesAMultiMeshWithEveryLevel)
{
    mel("select -cl; joint -n Root; select -cl;"
        "createNode transform -n hull -p Root; createNode transform -n hull_LOD1 -p Root;"
        "createNode transform -n hull_LOD2 -p Root;");
    meshUnder("hull", cube(2));
    meshUnder("hull_LOD1", cube(2));
    meshUnder("hull_LOD2", quad(2));
    const ChunkFile f = exportScene("exportType=1");
    ASSERT_TRUE(f.ok()) << f.problemText();
    ASSERT_EQ(f.findDeep("MULT").size(), 1u) << log;
    const Chunk* mult = f.find("HVMD/MULT");
    ASSERT_NE(mult, nullptr) << log;
    ASSERT_TRUE(mult->decoded);
    EXPECT_EQ(mult->field("name")->asString(), "Root_mesh");
    EXPECT_EQ(mult->field("parent")->asString(), "Root");
    ASSERT_EQ(mult->field("levelCount")->asInt(), 3);
    ASSERT_EQ(mult->children.size(), 3u);
    const std::int64_t triangles[] = {12, 12, 2};
    for (std::size_t i = 0; i < 3; ++i) {
        const Chunk& level = mult->children[i];
        EXPECT_EQ(level.name, "BMSH");
        EXPECT_EQ(level.version, 1400u);
        EXPECT_EQ(level.field("level")->asInt(), std::int64_t(i));
        EXPECT_EQ(level.field("partCount")->asInt(), 1);
        EXPECT_EQ(level.field("parts.0.format")->asInt(), 0x1B);
        EXPECT_EQ(trianglesOf(level), triangles[i]) << "level " << i;
        EXPECT_NE(log.find("optimizing Root_mesh_LOD_" + std::to_string(i) + " level " + std::to_string(i) + ":"),
                  std::string::npos)
            << log;
    }
    EXPECT_EQ(f.findDeep("BMSH").size(), 3u) << "no basic mesh besides the levels";
}

} // namespace
} // namespace vl2test
