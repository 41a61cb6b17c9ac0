#include "Lights.h"

#include <chunk/ChunkWriter.h>
#include <runlog/RunLog.h>

#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MItDependencyNodes.h>
#include <maya/MMatrix.h>
#include <maya/MPlug.h>
#include <maya/MString.h>

namespace vl2 {

namespace {

float plugFloat(const MFnDependencyNode& fn, const char* attr, float fallback)
{
    MStatus st;
    MPlug plug = fn.findPlug(attr, true, &st);
    float v = fallback;
    if (st && !plug.isNull() && plug.getValue(v))
        return v;
    return fallback;
}

}  // namespace

std::vector<LightRecord> collectLights()
{
    std::vector<LightRecord> lights;
    for (MItDependencyNodes it(MFn::kLight); !it.isDone(); it.next()) {
        const MObject node = it.item();
        MFnDependencyNode fn(node);
        const std::string nodeName = fn.name().asChar();
        logMessage(0, "Light : %s\n", nodeName.c_str());

        LightRecord r;
        const float intensity = plugFloat(fn, "intensity", 1.0f);
        r.colour[0] = plugFloat(fn, "colorR", 1.0f) * intensity;
        r.colour[1] = plugFloat(fn, "colorG", 1.0f) * intensity;
        r.colour[2] = plugFloat(fn, "colorB", 1.0f) * intensity;
        for (int i = 0; i < 3; ++i)
            r.halfColour[i] = r.colour[i] * 0.5f;

        MFnDagNode dag(node);
        MObject parent = dag.parentCount() > 0 ? dag.parent(0) : MObject();
        MMatrix local;
        if (!parent.isNull() && parent.hasFn(MFn::kTransform)) {
            MFnDagNode parentFn(parent);
            r.name = parentFn.name().asChar();
            local = parentFn.transformationMatrix();
        } else {
            r.name = nodeName;
        }

        if (node.hasFn(MFn::kPointLight)) {
            r.type = kLightPoint;
            for (int i = 0; i < 3; ++i)
                r.vector[i] = float(local(3, unsigned(i)));
            MStatus st;
            MPlug attenuation = fn.findPlug("attenuation", true, &st);
            MString kind;
            if (!st || attenuation.isNull() || !attenuation.getValue(kind)) {
                logMessage(1, "Light %s is missing VL2 attenuation attributes\n", nodeName.c_str());
            } else {
                r.attenuation = kind == "Quadratic" ? kAttenuationQuadratic
                                : kind == "Linear"  ? kAttenuationLinear
                                                    : kAttenuationNone;
            }
            // Without a distance the light does not fall off with it.
            r.distance = plugFloat(fn, "attenuationDistance", 0.0f);
        } else if (node.hasFn(MFn::kDirectionalLight)) {
            r.type = kLightDirectional;
            for (int i = 0; i < 3; ++i)
                r.vector[i] = float(local(2, unsigned(i)));
        } else if (node.hasFn(MFn::kAmbientLight)) {
            r.type = kLightAmbient;
        } else {
            logMessage(1, "Light %s is of type %s, which background files cannot hold; not exported\n",
                       nodeName.c_str(), fn.typeName().asChar());
            continue;
        }
        lights.push_back(r);
    }
    return lights;
}

bool writeLights(ChunkWriter& w, const std::vector<LightRecord>& lights)
{
    bool ok = w.beginPlainChunk(fourCC("LITE")) > 0;
    ok = w.writeUInt32(std::uint32_t(lights.size())) && ok;
    for (const LightRecord& l : lights) {
        ok = w.writeString(l.name) && ok;
        ok = w.writeInt32(l.type) && ok;
        for (float f : l.vector)
            ok = w.writeFloat(f) && ok;
        for (float f : l.colour)
            ok = w.writeFloat(f) && ok;
        for (float f : l.halfColour)
            ok = w.writeFloat(f) && ok;
        ok = w.writeInt32(l.attenuation) && ok;
        ok = w.writeFloat(l.distance) && ok;
    }
    return w.endChunk() != 0 && ok;
}

}  // namespace vl2
