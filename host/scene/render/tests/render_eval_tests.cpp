// Shading networks and sets, display layers, file textures, motion paths and
// aim constraints, evaluated at the scene's current time.
#include <maya/MDagPath.h>
#include <maya/MFnCamera.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MFnMesh.h>
#include <maya/MFnMotionPath.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MObjectArray.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>

#include "plugins/host_init.h"
#include "scene/core/scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

class RenderEval : public ::testing::Test {
protected:
    void SetUp() override {
        host::initialize();
        host::scene::scene().newScene();
    }
    static MObject node(const std::string& name) {
        MSelectionList l;
        MObject o;
        if (l.add(name.c_str())) l.getDependNode(0, o);
        return o;
    }
    static void run(const std::string& cmd) { ASSERT_TRUE(MGlobal::executeCommand(cmd.c_str())) << cmd; }
    static double num(const std::string& plug) {
        double v = 0;
        EXPECT_TRUE(MGlobal::executeCommand(("getAttr " + plug).c_str(), v)) << plug;
        return v;
    }
    static std::string str(const std::string& cmd) {
        MString s;
        EXPECT_TRUE(MGlobal::executeCommand(cmd.c_str(), s)) << cmd;
        return s.asChar();
    }
    static MStringArray strs(const std::string& cmd) {
        MStringArray s;
        EXPECT_TRUE(MGlobal::executeCommand(cmd.c_str(), s)) << cmd;
        return s;
    }
    static size_t nodeCount() { return host::scene::scene().nodes().size(); }
    // Shading group name per face, as the mesh function set reports it.
    static std::vector<std::string> faceShaders(const std::string& shape) {
        MFnMesh mesh(node(shape));
        MObjectArray sets;
        MIntArray idx;
        EXPECT_TRUE(mesh.getConnectedShaders(0, sets, idx));
        std::vector<std::string> out;
        for (unsigned i = 0; i < idx.length(); ++i)
            out.push_back(idx[i] < 0 ? "" : MFnDependencyNode(sets[static_cast<unsigned>(idx[i])]).name().asChar());
        return out;
    }
};

TEST_F(RenderEval, LambertShadingGroupWithPerFaceMembership) {
    run("polyCube -n box");
    run("shadingNode -asShader lambert -n red");
    EXPECT_EQ(str("sets -renderable true -noSurfaceShader true -empty -name redSG"), "redSG");
    run("connectAttr -f red.outColor redSG.surfaceShader");
    run("sets -e -forceElement redSG box.f[0:1]");
    std::vector<std::string> faces = faceShaders("boxShape");
    ASSERT_EQ(faces.size(), 6u);
    EXPECT_EQ(faces[0], "redSG");
    EXPECT_EQ(faces[1], "redSG");
    for (int f = 2; f < 6; ++f) EXPECT_EQ(faces[f], "initialShadingGroup") << f;
    // The whole object moves in with -forceElement, out of the faces' groups.
    run("sets -e -forceElement redSG box");
    for (const std::string& f : faceShaders("boxShape")) EXPECT_EQ(f, "redSG");
    MStringArray members = strs("sets -q redSG");
    ASSERT_EQ(members.length(), 1u);
    EXPECT_EQ(members[0], "boxShape");
}

TEST_F(RenderEval, SetsFlagCombinations) {
    run("polyCube -n box");
    struct Case {
        const char* command;
        const char* type;
        bool defaultShader;  // surfaceShader fed by lambert1
        bool inPartition;
    } cases[] = {
        {"sets -renderable true -noSurfaceShader true -empty -name aSG", "shadingEngine", false, true},
        {"sets -renderable true -empty -name bSG", "shadingEngine", true, true},
        {"sets -renderable false -empty -name plain", "objectSet", false, false},
        {"sets -empty -name plain2 -text \"notes\"", "objectSet", false, false},
    };
    for (const Case& c : cases) {
        std::string name = str(c.command);
        EXPECT_EQ(str("nodeType " + name), c.type) << c.command;
        if (std::string(c.type) == "shadingEngine") {
            MStringArray ss = strs("listConnections -s 1 -d 0 " + name + ".surfaceShader");
            EXPECT_EQ(ss.length() == 1 && ss[0] == "lambert1", c.defaultShader) << c.command;
        }
        MStringArray part = strs("listConnections -d 1 -s 0 " + name + ".partition");
        EXPECT_EQ(part.length() == 1 && part[0] == "renderPartition", c.inPartition) << c.command;
        EXPECT_EQ(strs("sets -q " + name).length(), 0u) << c.command;
    }
    EXPECT_EQ(str("getAttr plain2.annotation"), "notes");

    // -add respects the shading partition; -forceElement moves.
    MStatus st = MGlobal::executeCommand("sets -add aSG box");
    EXPECT_FALSE(st);
    EXPECT_EQ(faceShaders("boxShape")[0], "initialShadingGroup");
    run("sets -e -forceElement aSG box.f[3]");
    EXPECT_FALSE(MGlobal::executeCommand("sets -add bSG box.f[3]"));
    EXPECT_FALSE(MGlobal::executeCommand("sets -add bSG box.f[4]"));  // still initialShadingGroup's
    std::vector<std::string> faces = faceShaders("boxShape");
    for (int f = 0; f < 6; ++f) EXPECT_EQ(faces[f], f == 3 ? "aSG" : "initialShadingGroup") << f;
    MStringArray initial = strs("sets -q initialShadingGroup");
    ASSERT_EQ(initial.length(), 2u);  // the other faces, as f[0:2] and f[4:5]
    EXPECT_EQ(initial[0], "boxShape.f[0:2]");
    // A mesh that left every group can be added.
    run("polyCube -n lone");
    run("sets -e -remove initialShadingGroup lone");
    run("sets -add bSG lone");
    EXPECT_EQ(faceShaders("loneShape")[0], "bSG");
    // Ordinary sets hold anything, alongside shading groups.
    run("sets -add plain box");
    int member = 0;
    ASSERT_TRUE(MGlobal::executeCommand("sets -isMember plain box", member));
    EXPECT_EQ(member, 1);

    // Failures leave no half-made set behind.
    size_t before = nodeCount();
    EXPECT_FALSE(MGlobal::executeCommand("sets -renderable true -name cSG noSuchObject"));
    EXPECT_FALSE(MGlobal::executeCommand("sets -e -forceElement noSuchSet box"));
    EXPECT_FALSE(MGlobal::executeCommand("sets -e -forceElement box box"));
    EXPECT_EQ(nodeCount(), before);
}

TEST_F(RenderEval, DisplayLayerVisibilityDrivesDrawOverride) {
    run("polyCube -n box");
    run("createDisplayLayer -name hidden box");
    EXPECT_EQ(num("box.overrideVisibility"), 1);
    EXPECT_EQ(num("box.overrideEnabled"), 1);
    run("setAttr hidden.visibility 0");
    EXPECT_EQ(num("box.overrideVisibility"), 0);
    EXPECT_EQ(num("boxShape.overrideVisibility"), 0);
    MStringArray members = strs("editDisplayLayerMembers -q hidden");
    EXPECT_GE(members.length(), 1u);
    // Back to the default layer: no longer driven.
    run("editDisplayLayerMembers defaultLayer box");
    EXPECT_EQ(num("box.overrideVisibility"), 1);
}

TEST_F(RenderEval, FileTextureOutputFollowsGainAndOffset) {
    run("shadingNode -asTexture file -n tex");
    run("shadingNode -asShader lambert -n mat");
    run("connectAttr tex.outColor mat.color");
    // No image (missing file): the default colour, through gain and offset.
    run("setAttr -type \"string\" tex.fileTextureName \"/no/such/image.psd\"");
    run("setAttr tex.colorGain 2 1 1");
    run("setAttr tex.colorOffset 0 0.1 0");
    EXPECT_NEAR(num("tex.outColorR"), 1.0, 1e-6);
    EXPECT_NEAR(num("tex.outColorG"), 0.6, 1e-6);
    EXPECT_NEAR(num("mat.colorB"), 0.5, 1e-6);
    run("setAttr tex.invert 1");
    run("setAttr tex.defaultColor 0.25 0.25 0.25");
    EXPECT_NEAR(num("mat.colorR"), 1.5, 1e-6);
    EXPECT_NEAR(num("tex.outAlpha"), 0.0, 1e-6);
}

TEST_F(RenderEval, MotionPathPlacesTheObjectAlongAStraightCurve) {
    // A straight curve whose parameter runs unevenly: CVs at x = 0, 2, 10.
    run("curve -d 1 -p 0 0 0 -p 2 0 0 -p 10 0 0 -n path");
    struct Case {
        bool fraction;
        double frame, x;
    } cases[] = {
        {false, 1, 0}, {false, 6, 2}, {false, 11, 10},  // parameter 0..2
        {true, 6, 5}, {true, 3.5, 2.5},                  // half / quarter of the length
    };
    for (const Case& c : cases) {
        host::scene::scene().newScene();
        run("curve -d 1 -p 0 0 0 -p 2 0 0 -p 10 0 0 -n path");
        run("spaceLocator -n rider");
        std::string mp = str(std::string("pathAnimation -c path -su 1 -eu 11 -fm ") + (c.fraction ? "true" : "false") +
                             " rider");
        run("currentTime " + std::to_string(c.frame));
        EXPECT_NEAR(num("rider.translateX"), c.x, 1e-6) << "fraction " << c.fraction << " frame " << c.frame;
        EXPECT_NEAR(num("rider.translateY"), 0, 1e-9);
        // The channels come through adders fed by the path, as the exporters expect.
        MStringArray src = strs("listConnections -s 1 -d 0 rider.translateX");
        ASSERT_EQ(src.length(), 1u);
        EXPECT_EQ(str("nodeType " + std::string(src[0].asChar())), "addDoubleLinear");
        EXPECT_EQ(strs("listConnections -s 1 -d 0 " + std::string(src[0].asChar()) + ".input1")[0], MString(mp.c_str()));
        MFnMotionPath fn(node(mp));
        MDagPath curve;
        ASSERT_TRUE(fn.pathObject(curve));
        EXPECT_EQ(curve.partialPathName(), "pathShape");
        EXPECT_EQ(fn.isFractionMode(), c.fraction);
        EXPECT_NEAR(fn.uTimeStart(), 1.0 / 24.0, 1e-9);
        EXPECT_NEAR(fn.uTimeEnd(), 11.0 / 24.0, 1e-9);
    }
}

TEST_F(RenderEval, MotionPathFollowTurnsTheFrontAxisAlongThePath) {
    run("curve -d 1 -p 0 0 0 -p 0 0 10 -n path");
    run("spaceLocator -n rider");
    std::string mp = str("pathAnimation -c path -f true -fa x -ua y -su 1 -eu 11 rider");
    run("currentTime 6");
    EXPECT_NEAR(num("rider.translateZ"), 5, 1e-6);
    // x turned onto +z: -90 degrees about y.
    EXPECT_NEAR(num("rider.rotateY"), -90, 1e-6);
    EXPECT_NEAR(num("rider.rotateX"), 0, 1e-6);
    MFnMotionPath fn(node(mp));
    EXPECT_TRUE(fn.follow());
    EXPECT_EQ(fn.followAxis(), MFnMotionPath::kXaxis);
    EXPECT_EQ(fn.upAxis(), MFnMotionPath::kYaxis);
    // A twist about the front axis shows in the rotation.
    run("setAttr " + mp + ".frontTwist 30");
    EXPECT_NEAR(num("rider.rotateY"), -90, 1e-6);
    EXPECT_NEAR(num("rider.rotateX"), 30, 1e-6);

    const char* bad[] = {
        "pathAnimation -c rider rider",         // not a curve
        "pathAnimation -c path -fa q rider",    // no such axis
        "pathAnimation -c path -fa y -ua y rider",
        "pathAnimation -c path -su 10 -eu 2 rider",
        "pathAnimation -c path rider",          // already on a path
    };
    for (const char* cmd : bad) {
        size_t before = nodeCount();
        EXPECT_FALSE(MGlobal::executeCommand(cmd)) << cmd;
        EXPECT_EQ(nodeCount(), before) << cmd;
    }
}

TEST_F(RenderEval, AimConstraintTurnsTheAimVectorOntoTheTargets) {
    struct Case {
        const char* targets;  // translations of a, b (b unused when weight 0)
        double ax, ay, az, bx, by, bz, weightB;
        double rx, ry, rz;
    } cases[] = {
        {"a", 0, 0, -10, 0, 0, 0, 0, 0, 90, 0},    // x onto -z: +90 about y
        {"a", 10, 10, 0, 0, 0, 0, 0, 0, 0, 45},    // x onto (1,1,0): +45 about z
        {"a b", 10, 0, 0, 0, 0, -10, 1, 0, 45, 0}, // the weighted mean (5,0,-5)
    };
    for (const Case& c : cases) {
        host::scene::scene().newScene();
        run("spaceLocator -n a");
        run("spaceLocator -n b");
        run("spaceLocator -n obj");
        run("setAttr a.translate " + std::to_string(c.ax) + " " + std::to_string(c.ay) + " " + std::to_string(c.az));
        run("setAttr b.translate " + std::to_string(c.bx) + " " + std::to_string(c.by) + " " + std::to_string(c.bz));
        MStringArray con = strs(std::string("aimConstraint ") + c.targets + " obj");
        ASSERT_EQ(con.length(), 1u);
        EXPECT_EQ(con[0], "obj_aimConstraint1");
        EXPECT_NEAR(num("obj.rotateX"), c.rx, 1e-6) << c.targets << " case ry " << c.ry;
        EXPECT_NEAR(num("obj.rotateY"), c.ry, 1e-6) << c.targets << " case ry " << c.ry;
        EXPECT_NEAR(num("obj.rotateZ"), c.rz, 1e-6) << c.targets << " case ry " << c.ry;
    }
    // Re-evaluated when the target moves, and a weight can drop a target.
    run("setAttr b.translate 0 0 -10");
    run("setAttr obj_aimConstraint1.bW1 0");
    EXPECT_NEAR(num("obj.rotateY"), 0, 1e-6);
    MStringArray tl = strs("aimConstraint -q -tl obj");
    ASSERT_EQ(tl.length(), 2u);
    EXPECT_EQ(tl[1], "b");
    size_t before = nodeCount();
    EXPECT_FALSE(MGlobal::executeCommand("aimConstraint obj"));
    EXPECT_FALSE(MGlobal::executeCommand("aimConstraint -wut sideways a b"));
    run("spaceLocator -n driven");
    run("connectAttr a.rotate driven.rotate");
    before = nodeCount();
    EXPECT_FALSE(MGlobal::executeCommand("aimConstraint b driven"));  // its rotation is taken
    EXPECT_EQ(nodeCount(), before);
}

TEST_F(RenderEval, LookAtAimsACameraAndMeasuresTheDistance) {
    MStringArray cam = strs("camera");
    run("spaceLocator -n target");
    run("setAttr target.translate 10 0 0");
    run("createNode lookAt -n aim -p camera1");
    run("setAttr aim.aimVector 0 0 -1");
    run("connectAttr target.translate aim.target[0].targetTranslate");
    run("connectAttr target.parentMatrix[0] aim.target[0].targetParentMatrix");
    run("connectAttr camera1.translate aim.constraintTranslate");
    run("connectAttr camera1.parentInverseMatrix[0] aim.constraintParentInverseMatrix");
    for (const char* ch : {"X", "Y", "Z"})
        run(std::string("connectAttr aim.constraintRotate") + ch + " camera1.rotate" + ch);
    EXPECT_NEAR(num("camera1.rotateY"), -90, 1e-6);  // -z onto +x
    EXPECT_NEAR(num("aim.distanceBetween"), 10, 1e-9);
    // Twist turns the camera about its view axis: still looking along +x, up now along z.
    run("setAttr aim.twist 90");
    MFnCamera fn(node("cameraShape1"));
    MVector view = fn.viewDirection(MSpace::kWorld), up = fn.upDirection(MSpace::kWorld);
    EXPECT_NEAR(view.x, 1, 1e-9);
    EXPECT_NEAR(std::abs(up.z), 1, 1e-9);
    EXPECT_NEAR(up.y, 0, 1e-9);
}

// The tile importer's material set-up, command for command.
TEST_F(RenderEval, LayeredTextureMaterialAsTheTileImporterBuildsIt) {
    run("polyPlane -n tile");
    MStringArray made = strs("hyperShade -createNode \"PSDTextureNode\" \"hyperShadePanel1HyperShadeEd\";");
    ASSERT_GE(made.length(), 1u);
    std::string x = made[0].asChar();
    EXPECT_EQ(str("nodeType " + x), "PSDTextureNode");
    std::string m = str("shadingNode -asShader lambert");
    std::string e = str("sets -renderable true -noSurfaceShader true -empty -name " + m + "SG");
    EXPECT_EQ(e, m + "SG");
    run("connectAttr -f " + m + ".outColor " + e + ".surfaceShader");
    run("connectAttr " + x + ".outColor " + m + ".color");
    run("setAttr " + x + ".resolution 256");
    run("setAttr -type \"string\" " + x + ".fileTextureName \"tiles/rock.psd\"");
    run("sets -edit -forceElement " + e + " tileShape");
    EXPECT_EQ(str("getAttr " + str("listConnections " + m + ".color") + ".fileTextureName"), "tiles/rock.psd");
    EXPECT_EQ(num(x + ".resolution"), 256);
    EXPECT_NEAR(num(x + ".colorGainR"), 1.0, 1e-12);  // what the model exporter reads off the texture
    EXPECT_EQ(str("listConnections " + m + ".outColor"), e);
    for (const std::string& f : faceShaders("tileShape")) EXPECT_EQ(f, e);
    EXPECT_FALSE(MGlobal::executeCommand("hyperShade -createNode \"noSuchType\" \"hyperShadePanel1HyperShadeEd\""));
    EXPECT_FALSE(MGlobal::executeCommand("shadingNode -asTexture lambert"));
    EXPECT_FALSE(MGlobal::executeCommand("shadingNode lambert"));
}

}  // namespace
