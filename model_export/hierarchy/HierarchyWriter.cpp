#include "HierarchyWriter.h"

#include <chunk/ChunkWriter.h>
#include <runlog/RunLog.h>

#include <maya/MFnDagNode.h>
#include <maya/MItDag.h>
#include <maya/MPlug.h>

#include <cstdio>
#include <string>

namespace vl2 {

namespace {

struct JointValues {
    std::string name;
    std::string parentName;  // empty unless the only parent is a joint
    unsigned parentCount = 0;
    double translation[3] = {0, 0, 0};
    double rotation[3] = {0, 0, 0};
    int rotationOrder = 0;  // 0 is xyz
    double scale[3] = {1, 1, 1};
    double orientation[3] = {0, 0, 0};
    int orientationOrder = 0;  // joint orientation is always xyz
    bool freedom[3] = {true, true, true};
};

double numberPlug(const MFnDependencyNode& fn, const char* name, double fallback) {
    MStatus st;
    MPlug p = fn.findPlug(MString(name), &st);
    double v = fallback;
    if (st && !p.isNull()) p.getValue(v);
    return v;
}

void vectorPlug(const MFnDependencyNode& fn, const char* const names[3], double fallback, double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = numberPlug(fn, names[i], fallback);
}

// The transform-space components, in internal units (centimetres, radians).
JointValues readJoint(const MObject& joint) {
    JointValues j;
    MFnDagNode fn(joint);
    j.name = fn.name().str();
    j.parentCount = fn.parentCount();
    if (j.parentCount > 0) {
        MObject parent = fn.parent(0);
        if (!parent.isNull() && parent.hasFn(MFn::kJoint)) j.parentName = MFnDependencyNode(parent).name().str();
    }
    static const char* const kTranslate[3] = {"translateX", "translateY", "translateZ"};
    static const char* const kRotate[3] = {"rotateX", "rotateY", "rotateZ"};
    static const char* const kScale[3] = {"scaleX", "scaleY", "scaleZ"};
    static const char* const kOrient[3] = {"jointOrientX", "jointOrientY", "jointOrientZ"};
    static const char* const kFree[3] = {"jointTypeX", "jointTypeY", "jointTypeZ"};
    vectorPlug(fn, kTranslate, 0, j.translation);
    vectorPlug(fn, kRotate, 0, j.rotation);
    vectorPlug(fn, kScale, 1, j.scale);
    vectorPlug(fn, kOrient, 0, j.orientation);
    j.rotationOrder = static_cast<int>(numberPlug(fn, "rotateOrder", 0));
    for (int i = 0; i < 3; ++i) j.freedom[i] = numberPlug(fn, kFree[i], 1) != 0;
    return j;
}

bool writeFloats(ChunkWriter& out, const double v[3]) {
    bool ok = true;
    for (int i = 0; i < 3; ++i) ok = out.writeFloat(static_cast<float>(v[i])) && ok;
    return ok;
}

}  // namespace

bool writeHierarchy(ChunkWriter& out) {
    MStatus st;
    MItDag it(MItDag::kDepthFirst, MFn::kJoint, &st);
    if (!st) {
        logMessage(2, "Error writing HIER chunk : could not create DAG iterator\n");
        return false;
    }
    unsigned count = 0;
    for (; !it.isDone(); it.next()) {
        MObject item = it.item();
        if (item.isNull() || !item.hasFn(MFn::kJoint)) {
            logMessage(2, "Error writing HIER chunk : could not process node\n");
            return false;
        }
        ++count;
    }
    if (!it.reset()) {
        logMessage(2, "Error writing HIER chunk : could not reset hierarchy iterator\n");
        return false;
    }
    if (count == 0) {
        logMessage(2, "No joint defined, please create a joint name 'Root'\n");
        return false;
    }
    if (MFnDependencyNode(it.item()).name() != "Root") {
        logMessage(2, "Root joint not name 'Root', please rename");
        return false;
    }

    out.beginPlainChunk(fourCC("HIER"));
    std::printf("%u joint(s) in hierarchy.\n", count);
    out.writeUInt32(count);
    for (unsigned i = 0; i < count && !it.isDone(); ++i, it.next()) {
        JointValues j = readJoint(it.item());
        if (j.parentCount > 1) logMessage(2, "Too many parents on node %s\n", j.name.c_str());
        if (j.parentName.empty())
            for (double& t : j.translation) t = 0;
        if (j.rotationOrder != 0) logMessage(2, "Rotation order of node %s is not xyz\n", j.name.c_str());
        if (j.orientationOrder != 0) logMessage(2, "Orientation order of node %s is not xyz\n", j.name.c_str());
        std::printf("Writing node %s.\n", j.name.c_str());
        out.writeString(j.name);
        out.writeString(j.parentName);
        writeFloats(out, j.translation);
        writeFloats(out, j.rotation);
        writeFloats(out, j.scale);
        writeFloats(out, j.orientation);
        for (bool f : j.freedom) out.writeUInt8(f ? 1 : 0);
    }
    // The joints walked again must be the ones counted.
    if (!it.isDone()) logMessage(2, "Error writing HIER chunk : joint count mismatch\n");
    out.endChunk();
    return true;
}

}  // namespace vl2
