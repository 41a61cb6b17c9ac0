// Cameras, lights and materials through their function sets, checked against
// values worked out by hand and against what the MEL commands set.
#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MFnAmbientLight.h>
#include <maya/MFnBlinnShader.h>
#include <maya/MFnCamera.h>
#include <maya/MFnDirectionalLight.h>
#include <maya/MFnLambertShader.h>
#include <maya/MFnPhongShader.h>
#include <maya/MFnPointLight.h>
#include <maya/MGlobal.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>

#include "plugins/host_init.h"
#include "scene/core/scene.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RenderFnSets : public ::testing::Test {
protected:
    void SetUp() override {
        host::initialize();
        host::scene::scene().newScene();
    }
    static MObject node(const char* name) {
        MSelectionList l;
        MObject o;
        if (l.add(name)) l.getDependNode(0, o);
        return o;
    }
    static size_t nodeCount() { return host::scene::scene().nodes().size(); }
};

// Film frustum: similar triangles between the film (aperture in inches, at the
// focal length in mm behind the eye) and the plane at the given distance.
TEST_F(RenderFnSets, FilmFrustumFollowsFocalLengthAndAperture) {
    struct Case {
        double fl, hfa, vfa, lsr, cs, distance, h, v;
    } cases[] = {
        {35, 1.41732, 0.94488, 1, 1, 35, 35.999928, 23.999952},  // the default camera at its focal length
        {35, 1.41732, 0.94488, 1, 1, 70, 71.999856, 47.999904},  // twice as far, twice as large
        {50, 1.0, 0.5, 1, 1, 100, 50.8, 25.4},
        {50, 1.0, 0.5, 2, 1, 100, 101.6, 25.4},                  // squeeze widens only
        {25, 1.0, 1.0, 1, 0.5, 25, 12.7, 12.7},                  // camera scale shrinks both
    };
    for (const Case& c : cases) {
        MStringArray made;
        ASSERT_TRUE(MGlobal::executeCommand("camera", made));
        ASSERT_EQ(made.length(), 2u);
        MFnCamera cam(node(made[1].asChar()));
        ASSERT_TRUE(cam.setFocalLength(c.fl));
        cam.setHorizontalFilmAperture(c.hfa);
        cam.setVerticalFilmAperture(c.vfa);
        cam.setLensSqueezeRatio(c.lsr);
        cam.setCameraScale(c.cs);
        double h = 0, v = 0, ho = 1, vo = 1;
        ASSERT_TRUE(cam.getFilmFrustum(c.distance, h, v, ho, vo));
        EXPECT_NEAR(h, c.h, 1e-6) << "focal " << c.fl << " distance " << c.distance;
        EXPECT_NEAR(v, c.v, 1e-6) << "focal " << c.fl << " distance " << c.distance;
        EXPECT_DOUBLE_EQ(ho, 0.0);
        EXPECT_DOUBLE_EQ(vo, 0.0);
    }
    // Field of view agrees with the frustum: 2 atan(h / 2f) at distance f.
    MFnCamera persp(node("perspShape"));
    EXPECT_NEAR(persp.horizontalFieldOfView(), 2 * std::atan(35.999928 / 70.0), 1e-9);
    // Orthographic cameras see their ortho width at any distance.
    MFnCamera top(node("topShape"));
    double h, v;
    ASSERT_TRUE(top.getFilmFrustum(1000, h, v));
    EXPECT_NEAR(h, 30.0, 1e-12);
    EXPECT_NEAR(v, 30.0 * 0.94488 / 1.41732, 1e-9);
}

TEST_F(RenderFnSets, CameraCommandSetsOpticsAndPlacement) {
    MStringArray made;
    ASSERT_TRUE(MGlobal::executeCommand(
        "camera -fl 50 -hfa 1.5 -vfa 1 -coi 12 -ncp 0.5 -fcp 500 -p 0 0 10 -rot 0 90 0", made));
    EXPECT_EQ(made[0], "camera1");
    EXPECT_EQ(made[1], "cameraShape1");
    MFnCamera cam(node("cameraShape1"));
    EXPECT_DOUBLE_EQ(cam.focalLength(), 50);
    EXPECT_DOUBLE_EQ(cam.horizontalFilmAperture(), 1.5);
    EXPECT_DOUBLE_EQ(cam.aspectRatio(), 1.5);
    EXPECT_DOUBLE_EQ(cam.centerOfInterest(), 12);
    EXPECT_DOUBLE_EQ(cam.nearClippingPlane(), 0.5);
    EXPECT_DOUBLE_EQ(cam.farClippingPlane(), 500);
    // Looking down local -z turned 90 degrees about y: along world -x.
    MPoint eye = cam.eyePoint(MSpace::kWorld);
    MVector dir = cam.viewDirection(MSpace::kWorld);
    EXPECT_NEAR(eye.z, 10, 1e-9);
    EXPECT_NEAR(dir.x, -1, 1e-9);
    EXPECT_NEAR(dir.z, 0, 1e-9);
    MPoint coi = cam.centerOfInterestPoint(MSpace::kWorld);
    EXPECT_NEAR(coi.x, -12, 1e-9);
    EXPECT_NEAR(coi.z, 10, 1e-9);
    double fl = 0;
    ASSERT_TRUE(MGlobal::executeCommand("camera -q -fl camera1", fl));
    EXPECT_DOUBLE_EQ(fl, 50);
    ASSERT_TRUE(MGlobal::executeCommand("camera -e -fl 85 camera1"));
    EXPECT_DOUBLE_EQ(cam.focalLength(), 85);
}

TEST_F(RenderFnSets, CameraCommandRejectsBadValuesWithoutChangingTheScene) {
    const char* bad[] = {
        "camera -fl -5", "camera -fl 0", "camera -ff sideways", "camera -ncp 10 -fcp 5",
        "camera -hfa 0", "camera -q -fl noSuchCamera", "camera -q -fl time1",
    };
    for (const char* cmd : bad) {
        size_t before = nodeCount();
        EXPECT_FALSE(MGlobal::executeCommand(cmd)) << cmd;
        EXPECT_EQ(nodeCount(), before) << cmd;
    }
}

TEST_F(RenderFnSets, LightColourAndIntensityThroughFunctionSets) {
    struct Case {
        const char* command;
        MFn::Type kind;
    } cases[] = {
        {"pointLight -i 2.5 -rgb 1 0.5 0.25", MFn::kPointLight},
        {"directionalLight -i 2.5 -rgb 1 0.5 0.25", MFn::kDirectionalLight},
        {"ambientLight -i 2.5 -rgb 1 0.5 0.25", MFn::kAmbientLight},
    };
    for (const Case& c : cases) {
        MString shape;
        ASSERT_TRUE(MGlobal::executeCommand(c.command, shape)) << c.command;
        MObject o = node(shape.asChar());
        ASSERT_TRUE(o.hasFn(c.kind)) << c.command;
        MStatus st;
        MFnLight light(o, &st);
        ASSERT_TRUE(st) << c.command;
        EXPECT_FLOAT_EQ(light.intensity(), 2.5f) << c.command;
        MColor col = light.color();
        EXPECT_FLOAT_EQ(col.r, 1.0f);
        EXPECT_FLOAT_EQ(col.g, 0.5f);
        EXPECT_FLOAT_EQ(col.b, 0.25f);
        // Written through the function set, read back through MEL.
        ASSERT_TRUE(light.setColor(MColor(0.1f, 0.2f, 0.3f)));
        ASSERT_TRUE(light.setIntensity(4.0f));
        double i = 0;
        ASSERT_TRUE(MGlobal::executeCommand("getAttr " + shape + ".intensity", i));
        EXPECT_NEAR(i, 4.0, 1e-6);
        double g = 0;
        ASSERT_TRUE(MGlobal::executeCommand("getAttr " + shape + ".colorG", g));
        EXPECT_NEAR(g, 0.2, 1e-6);
    }
    // A function set refuses a light of another kind.
    MString point;
    ASSERT_TRUE(MGlobal::executeCommand("pointLight", point));
    MStatus st;
    MFnDirectionalLight wrong(node(point.asChar()), &st);
    EXPECT_FALSE(st);
    EXPECT_FALSE(MGlobal::executeCommand("pointLight -d 7"));
}

TEST_F(RenderFnSets, LightsMadeThroughTheApiAndTheirDirection) {
    MFnDirectionalLight dl;
    MStatus st;
    MObject xf = dl.create(true, &st);
    ASSERT_TRUE(st);
    ASSERT_TRUE(xf.hasFn(MFn::kTransform));
    EXPECT_TRUE(dl.object().hasFn(MFn::kDirectionalLight));
    MFnDependencyNode xfn(xf);
    // Turn the light -90 degrees about x: its -z axis points down.
    ASSERT_TRUE(MGlobal::executeCommand("setAttr " + xfn.name() + ".rotateX -90"));
    MFloatVector d = dl.lightDirection(0, MSpace::kWorld);
    EXPECT_NEAR(d.x, 0, 1e-6);
    EXPECT_NEAR(d.y, -1, 1e-6);
    EXPECT_NEAR(d.z, 0, 1e-6);

    MFnPointLight pl;
    pl.create(true, &st);
    ASSERT_TRUE(st);
    ASSERT_TRUE(pl.setDecayRate(2));
    EXPECT_EQ(pl.decayRate(), 2);
    EXPECT_FALSE(pl.setDecayRate(9));
    int rate = -1;
    ASSERT_TRUE(MGlobal::executeCommand("pointLight -q -d " + pl.name(), rate));
    EXPECT_EQ(rate, 2);

    MFnAmbientLight al;
    al.create(true, &st);
    ASSERT_TRUE(st);
    EXPECT_FLOAT_EQ(al.ambientShade(), 0.45f);
}

TEST_F(RenderFnSets, MaterialsReadAndWriteTheirColours) {
    MFnLambertShader lam;
    MStatus st;
    MObject l = lam.create(true, &st);
    ASSERT_TRUE(st);
    EXPECT_EQ(lam.name(), "lambert2");  // lambert1 is the default material
    EXPECT_FLOAT_EQ(lam.diffuseCoeff(), 0.8f);
    EXPECT_FLOAT_EQ(lam.color().r, 0.5f);
    ASSERT_TRUE(lam.setColor(MColor(0.2f, 0.4f, 0.6f)));
    ASSERT_TRUE(lam.setAmbientColor(MColor(0.1f, 0.1f, 0.1f)));
    ASSERT_TRUE(lam.setIncandescence(MColor(0.0f, 0.3f, 0.0f)));
    double b = 0;
    ASSERT_TRUE(MGlobal::executeCommand("getAttr " + lam.name() + ".colorB", b));
    EXPECT_NEAR(b, 0.6, 1e-6);
    EXPECT_FLOAT_EQ(lam.incandescence().g, 0.3f);

    MFnPhongShader phong;
    phong.create(true, &st);
    ASSERT_TRUE(st);
    EXPECT_FLOAT_EQ(phong.cosPower(), 20.0f);
    ASSERT_TRUE(phong.setCosPower(55.0f));
    ASSERT_TRUE(phong.setSpecularColor(MColor(1, 1, 0)));
    EXPECT_FLOAT_EQ(phong.specularColor().b, 0.0f);
    // A phong is a lambert too, but a lambert is not a phong.
    MFnLambertShader asLambert(phong.object(), &st);
    EXPECT_TRUE(st);
    EXPECT_FLOAT_EQ(asLambert.diffuseCoeff(), 0.8f);
    MFnPhongShader notPhong(l, &st);
    EXPECT_FALSE(st);
    MFnBlinnShader blinnOnPhong(phong.object(), &st);
    EXPECT_FALSE(st);

    MFnBlinnShader blinn;
    blinn.create(true, &st);
    ASSERT_TRUE(st);
    EXPECT_FLOAT_EQ(blinn.eccentricity(), 0.3f);
    EXPECT_FLOAT_EQ(blinn.specularRollOff(), 0.7f);
}

}  // namespace
