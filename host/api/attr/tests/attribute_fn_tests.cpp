// A node type described the way plug-ins describe theirs: attributes made
// with the attribute function sets, an output computed from its inputs.
#include <maya/MDataBlock.h>
#include <maya/MFnCompoundAttribute.h>
#include <maya/MFnEnumAttribute.h>
#include <maya/MFnMessageAttribute.h>
#include <maya/MFnNumericAttribute.h>
#include <maya/MFnTypedAttribute.h>
#include <maya/MFnUnitAttribute.h>
#include <maya/MPlug.h>
#include <maya/MPxNode.h>

#include "mel/interpreter.h"
#include "plugins/host_init.h"
#include "scene/core/scene.h"

#include <gtest/gtest.h>

namespace {

class Doubler : public MPxNode {
public:
    static MObject input, output, label, mode, offset, target;
    static void* creator() { return new Doubler; }
    static MStatus initialize() {
        MFnNumericAttribute n;
        input = n.create("input", "in", MFnNumericData::kDouble, 1.5);
        n.setKeyable(true);
        n.setMin(-10.0);
        n.setMax(10.0);
        output = n.create("output", "out", MFnNumericData::kDouble);
        n.setWritable(false);
        n.setStorable(false);
        MFnTypedAttribute t;
        label = t.create("label", "lb", MFnData::kString);
        MFnEnumAttribute e;
        mode = e.create("mode", "md", 1);
        e.addField("off", 0);
        e.addField("on", 1);
        MFnUnitAttribute u;
        offset = u.create("offset", "ofs", MFnUnitAttribute::kDistance, 2.0);
        MFnMessageAttribute m;
        target = m.create("target", "tg");
        for (MObject* a : {&input, &output, &label, &mode, &offset, &target}) {
            MStatus st = addAttribute(*a);
            if (st.error()) return st;
        }
        attributeAffects(input, output);
        attributeAffects(offset, output);
        return MStatus::kSuccess;
    }
    MStatus compute(const MPlug& plug, MDataBlock& data) override {
        if (!(plug == output)) return MStatus::kUnknownParameter;
        double v = data.inputValue(input).asDouble() * 2.0 + data.inputValue(offset).asDouble();
        data.outputValue(output).set(v);
        data.setClean(plug);
        return MStatus::kSuccess;
    }
};
MObject Doubler::input, Doubler::output, Doubler::label, Doubler::mode, Doubler::offset, Doubler::target;

class AttributeFns : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host::initialize();
        std::string error;
        auto& s = host::scene::scene();
        if (!s.findType("vl2Doubler"))
            ASSERT_FALSE(s.registerPluginType("vl2Doubler", 0x7f001, [] { return static_cast<MPxNode*>(Doubler::creator()); },
                                              [] { return Doubler::initialize(); }, MPxNode::kDependNode, "tests", &error)
                             .error())
                << error;
    }
    void SetUp() override {
        host::scene::scene().newScene();
        host::mel::interpreter().setErrorSink([this](const std::string& t) { err += t; });
    }
    void TearDown() override {
        host::mel::interpreter().resetSinks();
        host::scene::scene().newScene();  // the node objects go while this binary's code is alive
    }
    host::mel::Value mel(const std::string& text) {
        auto r = host::mel::interpreter().execute(text);
        EXPECT_TRUE(r.ok) << text << "\n" << err;
        return r.value;
    }
    std::string err;
};

TEST_F(AttributeFns, DescribedAttributesBehaveOnNodes) {
    mel("createNode vl2Doubler -n d;");
    EXPECT_DOUBLE_EQ(mel("getAttr d.input").asFloat(), 1.5);          // default
    EXPECT_DOUBLE_EQ(mel("getAttr d.output").asFloat(), 5.0);         // 1.5 * 2 + 2
    mel("setAttr d.in 3;");
    EXPECT_DOUBLE_EQ(mel("getAttr d.out").asFloat(), 8.0);            // recomputed
    mel("setAttr d.in 50;");
    EXPECT_DOUBLE_EQ(mel("getAttr d.in").asFloat(), 10.0);            // clamped to the maximum
    EXPECT_EQ(mel("getAttr -asString d.mode").asString(), "on");
    EXPECT_EQ(mel("attributeQuery -n d -k input").asInt(), 1);
    EXPECT_EQ(mel("attributeQuery -n d -w output").asInt(), 0);
    mel("setAttr -type \"string\" d.label \"hull\";");
    EXPECT_EQ(mel("getAttr d.lb").asString(), "hull");

    // The output follows a connected input.
    mel("createNode vl2Doubler -n src; setAttr src.in 1; connectAttr src.out d.in;");
    EXPECT_DOUBLE_EQ(mel("getAttr d.out").asFloat(), 10.0);  // (1*2+2)*2+2

    // Writing a computed, non-writable output is refused.
    auto r = host::mel::interpreter().execute("setAttr d.output 1;");
    EXPECT_FALSE(r.ok);
}

TEST(AttributeFnSets, CompoundsEnumsAndQueries) {
    MFnNumericAttribute n;
    MStatus st;
    MObject colour = n.createColor("tint", "ti", &st);
    ASSERT_FALSE(st.error());
    EXPECT_TRUE(n.isUsedAsColor());
    EXPECT_EQ(n.unitType(), MFnNumericData::k3Float);
    MFnCompoundAttribute c(colour, &st);
    ASSERT_FALSE(st.error());
    ASSERT_EQ(c.numChildren(), 3u);
    EXPECT_EQ(MFnAttribute(c.child(0)).name(), "tintR");

    MObject three = n.create("offsetAll", "oa", MFnNumericData::k3Double);
    EXPECT_TRUE(three.hasFn(MFn::kNumericAttribute));
    EXPECT_EQ(MFnCompoundAttribute(three).numChildren(), 3u);
    EXPECT_EQ(MFnAttribute(MFnCompoundAttribute(three).child(2)).pathName(), "offsetAll.offsetAllZ");

    MFnEnumAttribute e;
    e.create("kind", "k");
    EXPECT_FALSE(e.addField("a", 0).error());
    EXPECT_TRUE(e.addField("a", 3).error());  // names are unique
    EXPECT_TRUE(e.addField("b", 0).error());  // and so are values
    EXPECT_FALSE(e.addField("c", 7).error());
    short lo = -1, hi = -1;
    e.getMin(lo);
    e.getMax(hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 7);
    EXPECT_EQ(e.fieldIndex("c"), 7);
    EXPECT_TRUE(e.setDefault("zzz").error());

    MFnCompoundAttribute group;
    MObject g = group.create("group", "grp");
    MFnMessageAttribute m;
    MObject link = m.create("link", "lk");
    EXPECT_FALSE(group.addChild(link).error());
    EXPECT_TRUE(group.addChild(link).error());  // a child joins once

    MFnAttribute none;
    EXPECT_TRUE(none.setKeyable(true).error());  // no attribute attached
}

}  // namespace
