// Exports through the headless host and reads the files back with the
// inspector's reader.
#include <chunkread/ChunkReader.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using vl2::chunkread::ChunkFile;
using vl2::chunkread::readChunkFile;

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string q(const std::string& s) {
    std::string r = "'";
    for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

class ModelExport : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/vl2export.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf " + q(dir)).c_str()); }

    int exportScene(const std::string& mel, const std::string& options, const std::string& file,
                    const std::string& extra = "") {
        std::string cmd = "USER=tester " + q(std::string(VL2_BIN_DIR) + "/vl2batch") + " -command " + q(mel) +
                          " -export vlm -options " + q(options) + " -o " + q(file) + " " + extra + " >" +
                          q(dir + "/out") + " 2>" + q(dir + "/err");
        int raw = std::system(cmd.c_str());
        out = slurp(dir + "/out");
        err = slurp(dir + "/err");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    std::string dir, out, err;
};

TEST_F(ModelExport, ShipFileLayoutWithOwnerAndErrorLog) {
    std::string file = dir + "/Ship.VLM";
    ASSERT_EQ(exportScene("select -cl; joint -n Root; select -cl;", "exportType=1", file), 0) << err;
    ChunkFile f = readChunkFile(dir + "/Ship.vlm");  // written under the lower-case extension
    ASSERT_TRUE(f.ok()) << f.problemText();
    ASSERT_EQ(f.chunks.size(), 5u);
    const char* order[] = {"VERS", "NAME", "HVMD", "DTRM", "INFO"};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(f.chunks[i].name, order[i]);
    EXPECT_EQ(f.find("VERS")->field("version")->asInt(), 512);
    EXPECT_EQ(f.find("NAME")->field("name")->asString(), "Velmora2 Multi Mesh File");
    ASSERT_EQ(f.find("DTRM")->children.size(), 1u);  // the hierarchy alone
    EXPECT_EQ(f.find("DTRM/HIER")->field("count")->asInt(), 1);
    const auto* info = f.find("INFO");
    ASSERT_NE(info, nullptr);
    ASSERT_EQ(info->children.size(), 1u);  // no warnings or errors: OWNR alone
    EXPECT_EQ(info->children[0].name, "OWNR");
    EXPECT_EQ(info->children[0].field("count")->asInt(), 7);
    EXPECT_EQ(info->children[0].field("user")->asString().substr(0, 6), "tester");

    EXPECT_NE(out.find("\n\n\nEXPORTING \"Ship\"\n\n** option vl2_exporttype is Ship **\n"
                       "** option vl2_meshformat is Muli **\n** option vl2_textureformat is DXT5 rgba **\n"
                       "** option transformType is 0 **\n** option vl2_joints is 1 **\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("** flat transform **\n"), std::string::npos);
    EXPECT_NE(out.find("Export of Ship.vlm\nNo warnings or errors.\n"), std::string::npos) << out;
    EXPECT_NE(out.find("done.\nexported 0 faces.\n"), std::string::npos) << out;
}

TEST_F(ModelExport, WireframeAndParticleFilesEndAfterHvmdWithoutErrorLog) {
    struct Case { const char* options; const char* name; const char* line; };
    for (const Case& c : {Case{"exportType=5", "Velmora2 Wireframe Mesh File", "exporting 'Wirefame'\n"},
                          Case{"exportType=2", "Velmora2 Simple Mesh File", "exporting 'Particle'\n"}}) {
        std::string file = dir + "/fx.vlm";
        ASSERT_EQ(exportScene("", c.options, file), 0) << err;
        ChunkFile f = readChunkFile(file);
        ASSERT_TRUE(f.ok()) << f.problemText();
        ASSERT_EQ(f.chunks.size(), 3u) << c.options;
        EXPECT_EQ(f.chunks[2].name, "HVMD");
        EXPECT_EQ(f.find("NAME")->field("name")->asString(), c.name);
        EXPECT_NE(out.find(c.line), std::string::npos) << out;
        EXPECT_EQ(out.find("Export of"), std::string::npos) << out;
    }
}

TEST_F(ModelExport, ValidationWritesNoFile) {
    std::string file = dir + "/check.vlm";
    ASSERT_EQ(exportScene("", "exportType=0;geometryType=3", file), 0) << err;
    EXPECT_NE(access(file.c_str(), F_OK), 0);
    EXPECT_NE(out.find("\nvalidation proceeding\n\n"), std::string::npos) << out;
    EXPECT_NE(out.find("validation completed.\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("exported"), std::string::npos) << out;
}

TEST_F(ModelExport, UnwritableFolderStillPrintsTheFaceCount) {
    ASSERT_EQ(exportScene("", "exportType=1", dir + "/no/such/folder/ship.vlm"), 0) << err;
    EXPECT_NE(out.find("done.\nexported 0 faces.\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Export of"), std::string::npos) << out;
}

TEST_F(ModelExport, FileChosenWithOtherExtensionGetsVlmAppended) {
    ASSERT_EQ(exportScene("", "exportType=1", dir + "/ship.txt"), 0) << err;
    EXPECT_TRUE(readChunkFile(dir + "/ship.txt.vlm").ok());
}

TEST_F(ModelExport, IdentifyFileDoesNotClaimModelFiles) {
    std::string file = dir + "/s.vlm";
    ASSERT_EQ(exportScene("", "exportType=1", file), 0) << err;
    std::string cmd = q(std::string(VL2_BIN_DIR) + "/vl2batch") + " -command " + q("file -i \"" + file + "\";") +
                      " >/dev/null 2>" + q(dir + "/err2");
    int raw = std::system(cmd.c_str());
    EXPECT_NE(WEXITSTATUS(raw), 0);
    EXPECT_NE(slurp(dir + "/err2").find("Unrecognized file type"), std::string::npos) << slurp(dir + "/err2");
}

}  // namespace
