#include "ExportDriver.h"
#include "ExportOptions.h"
#include "ModelTranslator.h"

#include <gtest/gtest.h>

namespace {

using vl2::ExportOptions;

TEST(ExportOptions, InitialValuesExportAShipAsMultiWithDxt5) {
    ExportOptions o;
    o.parse("");
    EXPECT_EQ(o.exportType, vl2::Ship);
    EXPECT_EQ(o.meshFormat, vl2::Multi);
    EXPECT_EQ(o.textureFormat, vl2::DXT5);
    EXPECT_TRUE(o.vl2_joints && o.vl2_bounding && o.vl2_enginetrails && o.vl2_navlights && o.vl2_markers &&
                o.vl2_damagepoints);
    EXPECT_FALSE(o.vl2_lights);
}

TEST(ExportOptions, ExportTypeTableOverridesTheGeometryType) {
    struct Case {
        const char* options;
        int exportType, meshFormat;
        bool joints, markers, lights;
    };
    const Case cases[] = {
        {"exportType=2;geometryType=3", vl2::Particle, vl2::Simple, false, false, false},
        {"exportType=0;geometryType=3", -1, vl2::Validate, true, true, false},  // out of range: geometry type applies
        {"exportType=3", vl2::Background, vl2::Multi, true, false, true},
        {"exportType=4;geometryType=1", vl2::BackgroundNoMesh, vl2::Multi, true, false, true},
        {"exportType=5", vl2::Wireframe, vl2::WireframeFormat, false, false, false},
        {"exportType=9;geometryType=6", 8, vl2::Basic, true, true, false},
        {"exportType=1;geometryType=1", vl2::Ship, vl2::Multi, true, true, false},
    };
    for (const Case& c : cases) {
        ExportOptions o;  // a Ship's switches are what an out-of-range type leaves unchanged
        o.parse("exportType=1");
        o.parse(c.options);
        EXPECT_EQ(o.exportType, c.exportType) << c.options;
        EXPECT_EQ(o.meshFormat, c.meshFormat) << c.options;
        EXPECT_EQ(o.vl2_joints, c.joints) << c.options;
        EXPECT_EQ(o.vl2_markers, c.markers) << c.options;
        EXPECT_EQ(o.vl2_lights, c.lights) << c.options;
    }
}

TEST(ExportOptions, ItemRulesAndPersistence) {
    ExportOptions o;
    o.parse("mergeVertices=0");
    EXPECT_FALSE(o.mergeVertices);
    o.parse("mergeVertices=1");
    EXPECT_TRUE(o.mergeVertices);
    o.parse("mergeVertices=2");
    EXPECT_FALSE(o.mergeVertices);

    o.parse("normalMapping=3");
    EXPECT_EQ(o.normalMapping, 2);
    o.parse("normalMapping=4");  // unchanged
    EXPECT_EQ(o.normalMapping, 2);
    o.parse("normalMapping=1");
    EXPECT_EQ(o.normalMapping, 0);

    o.parse("primitiveType=1");
    EXPECT_EQ(o.primitiveKind, vl2::PrimitiveKind::Strips);
    o.parse("primitiveType=7");
    EXPECT_EQ(o.primitiveKind, vl2::PrimitiveKind::Strips);
    o.parse("primitiveType=2");
    EXPECT_EQ(o.primitiveKind, vl2::PrimitiveKind::Lists);

    // Malformed items are skipped; keys are case-sensitive; non-numbers read as 0.
    o.parse("textureFormat=1;;garbage;TextureFormat=4;textureFormat");
    EXPECT_EQ(o.textureFormat, vl2::DXT1);
    o.parse("textureFormat=abc");
    EXPECT_EQ(o.textureFormat, -1);
    EXPECT_STREQ(vl2::textureFormatWord(o.textureFormat), "Unknown");
}

TEST(ExportOptions, LogWords) {
    EXPECT_STREQ(vl2::meshFormatWord(vl2::Multi), "Muli");
    EXPECT_STREQ(vl2::meshFormatWord(vl2::Basic), "Unknown");
    EXPECT_STREQ(vl2::exportTypeWord(7), "Unknown");
    EXPECT_STREQ(vl2::textureFormatWord(vl2::RGBA32), "32bit rgba");
    EXPECT_EQ(vl2::modelFileName(vl2::Validate), nullptr);
    EXPECT_STREQ(vl2::modelFileName(vl2::Progressive), "Velmora2 Variable Mesh File");
}

TEST(ModelFileNaming, BaseNameAndFolder) {
    struct Case { const char* shortName; const char* base; };
    const Case cases[] = {
        {"ship.vlm", "ship"}, {"Ship.VLM", "Ship"}, {"ship.txt", "ship.txt"},
        {".vlm", ".vlm"}, {"ship", "ship"}, {"a.b.vlm", "a.b"},
    };
    for (const Case& c : cases) EXPECT_EQ(vl2::modelBaseName(c.shortName), c.base) << c.shortName;
    EXPECT_EQ(vl2::modelOutputDirectory("/data/ships/ship.vlm"), "/data/ships");
    EXPECT_EQ(vl2::modelOutputDirectory("ship.vlm"), "");
    EXPECT_EQ(vl2::modelOutputDirectory(MString(("/" + std::string(520, 'd') + "/x.vlm").c_str())), "");
}

TEST(ErrorLogHandOff, NewlinesBecomeHashesAndQuotesStayInsideTheStrings) {
    EXPECT_EQ(vl2::errorLogCommand("ship.vlm", "", ""), "vl2ErrorLog(\"ship.vlm\", \"\", \"\")\n");
    EXPECT_EQ(vl2::errorLogCommand("ship.vlm", "one\ntwo\n", ""), "vl2ErrorLog(\"ship.vlm\", \"one#two#\", \"\")\n");
    EXPECT_EQ(vl2::errorLogCommand("s.vlm", "", "bad \"x\" in C:\\a\n"),
              "vl2ErrorLog(\"s.vlm\", \"\", \"bad \\\"x\\\" in C:\\\\a#\")\n");
}

TEST(OwnerRecord, CountIncludesTheTerminator) {
    std::string r = vl2::ownerRecord("ann");
    ASSERT_EQ(r.size(), 8u);
    EXPECT_EQ(r[0], 4);
    EXPECT_EQ(r.substr(4), std::string("ann\0", 4));
    std::string longName(40, 'x');
    r = vl2::ownerRecord(longName);
    EXPECT_EQ(static_cast<unsigned char>(r[0]), 32u);
    EXPECT_EQ(r.size(), 36u);
}

}  // namespace
