#include "attr_helpers.h"

#include <maya/MDagPath.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnDependencyNode.h>
#include <maya/MGlobal.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MSelectionList.h>
#include <maya/MStringArray.h>

#include <cstdio>

namespace vl2 {

namespace {
MString firstPiece(const MString& plugName) {
    MStringArray parts;
    plugName.split('.', parts);
    return parts.length() ? parts[0] : MString();
}

MString lastPiece(const MString& plugName) {
    MStringArray parts;
    plugName.split('.', parts);
    return parts.length() ? parts[parts.length() - 1] : MString();
}

// The node an operation works on, or null.
MObject target(MObject node, bool followChild) { return followChild ? followSingleChild(node) : node; }
}  // namespace

MString melQuoted(const MString& text) {
    std::string r;
    for (char c : text.str()) {
        if (c == '"' || c == '\\') r += '\\';
        r += c;
    }
    return MString(r);
}

MString connectedNodeName(MObject node, MString attribute, bool asDestination, bool asSource) {
    MFnDependencyNode fn(node);
    MPlugArray plugs;
    fn.getConnections(plugs);
    for (unsigned i = 0; i < plugs.length(); ++i) {
        MString piece = lastPiece(plugs[i].name());
        if (piece != attribute) continue;
        MPlugArray others;
        if (!plugs[i].connectedTo(others, asDestination, asSource)) continue;
        if (others.length() != 1) {
            std::printf("Warning: %s is connected to %d plugs!\n", piece.asChar(), static_cast<int>(others.length()));
            std::fflush(stdout);
        }
        if (others.length() >= 1) return firstPiece(others[0].name());
    }
    return MString();
}

MString displayLayerName(MObject node) { return connectedNodeName(node, "drawOverride", true, false); }

bool isLayerVisible(MString layerName) {
    if (layerName.length() == 0) return true;
    int visible = 0;
    MGlobal::executeCommand(MString("getAttr ") + layerName + ".visibility;", visible, false, false);
    return visible != 0;
}

MObject followSingleChild(MObject node) {
    while (!node.isNull() && node.hasFn(MFn::kTransform)) {
        MFnDagNode fn(node);
        if (fn.childCount() != 1) break;
        node = fn.child(0);
    }
    return node;
}

MObject objectByName(MString name) {
    MSelectionList list;
    list.add(name);
    if (list.length() != 1) return MObject::kNullObj;
    MObject node;
    list.getDependNode(0, node);
    return node;
}

MString nodeName(MObject node) {
    MFnDependencyNode fn(node);
    return fn.name();
}

MString dagPathName(MObject node) {
    MFnDagNode fn(node);
    MDagPath path;
    fn.getPath(path);
    return path.fullPathName();
}

bool attributeExists(MObject node, MString attribute) {
    MString path = dagPathName(node);
    int exists = 0;
    MGlobal::executeCommand(MString("objExists \"") + path + "\";", exists, false, false);
    if (!exists) return false;
    exists = 0;
    MGlobal::executeCommand(MString("attributeQuery -n \"") + path + "\" -ex " + attribute + ";", exists, false,
                            false);
    if (!exists) return false;
    if (!node.hasFn(MFn::kDagNode)) return false;
    MStatus status;
    MFnDependencyNode fn(node);
    fn.attribute(attribute, &status);
    return status == MStatus::kSuccess;
}

template <typename T>
static MStatus getAttrAs(MObject node, const MString& attribute, T& value, bool followChild) {
    MObject t = target(node, followChild);
    if (t.isNull()) return MStatus::kFailure;
    if (!attributeExists(t, attribute)) return MStatus::kFailure;
    return MGlobal::executeCommand(MString("getAttr ") + dagPathName(t) + "." + attribute + ";", value, false, false);
}

MStatus getAttrString(MObject node, MString attribute, MString& value, bool followChild) {
    return getAttrAs(node, attribute, value, followChild);
}
MStatus getAttrInt(MObject node, MString attribute, int& value, bool followChild) {
    return getAttrAs(node, attribute, value, followChild);
}
MStatus getAttrDouble(MObject node, MString attribute, double& value, bool followChild) {
    return getAttrAs(node, attribute, value, followChild);
}

MStatus setAttrString(MObject node, MString attribute, MString value, bool followChild) {
    MObject t = target(node, followChild);
    if (t.isNull()) return MStatus::kFailure;
    MString path = dagPathName(t);
    if (!attributeExists(t, attribute))
        MGlobal::executeCommand(MString("addAttr -ln \"") + attribute + "\" -dt \"string\" " + path + ";", false,
                                false);
    // Escaped so that quotes and backslashes in the value cannot end the string.
    return MGlobal::executeCommand(MString("setAttr -type \"string\" ") + path + "." + attribute + " \"" +
                                       melQuoted(value) + "\";",
                                   false, false);
}

MStatus setAttrInt(MObject node, MString attribute, int value, bool followChild, bool asBool) {
    MObject t = target(node, followChild);
    if (t.isNull()) return MStatus::kFailure;
    MString path = dagPathName(t);
    if (!attributeExists(t, attribute)) {
        MStatus st = MGlobal::executeCommand(
            MString("addAttr -ln \"") + attribute + "\" -at " + (asBool ? "bool " : "long ") + path + ";", false,
            false);
        if (st.error()) return st;
    }
    MString cmd = MString("setAttr ") + path + "." + attribute + " ";
    cmd += value;
    cmd += ";";
    return MGlobal::executeCommand(cmd, false, false);
}

MString objectTypeOf(MObject node) {
    MString result;
    getAttrString(node, "objectType", result, true);
    return result;
}

int nextKeyTime(MObject node, int frame) {
    char cmd[64];
    std::snprintf(cmd, sizeof cmd, "findKeyframe -time %d -which next ", frame);
    int next = frame;
    if (MGlobal::executeCommand(MString(cmd) + nodeName(node), next, false, false).error()) return -1;
    return next == frame ? -1 : next;
}

void setCurrentFrame(int frame) {
    char cmd[32];
    std::snprintf(cmd, sizeof cmd, "currentTime %d", frame);
    MGlobal::executeCommand(MString(cmd), false, false);
}

}  // namespace vl2
