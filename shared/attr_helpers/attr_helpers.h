#pragma once
// Scene queries every exporter shares: custom attributes, connected nodes,
// display layers, lookup by name and stepping through keys. Stateless; most
// operations run MEL through the host, with display and undo off.
#include <maya/MObject.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

namespace vl2 {

MString connectedNodeName(MObject node, MString attribute, bool asDestination, bool asSource);
MString displayLayerName(MObject node);
bool isLayerVisible(MString layerName);
MObject followSingleChild(MObject node);
MObject objectByName(MString name);
MString nodeName(MObject node);
MString dagPathName(MObject node);
bool attributeExists(MObject node, MString attribute);

MStatus getAttrString(MObject node, MString attribute, MString& value, bool followChild);
MStatus getAttrInt(MObject node, MString attribute, int& value, bool followChild);
MStatus getAttrDouble(MObject node, MString attribute, double& value, bool followChild);
MStatus setAttrString(MObject node, MString attribute, MString value, bool followChild);
MStatus setAttrInt(MObject node, MString attribute, int value, bool followChild, bool asBool);

MString objectTypeOf(MObject node);
int nextKeyTime(MObject node, int frame);
void setCurrentFrame(int frame);

// Text placed between double quotes in MEL arrives intact: '"' and '\' escaped.
MString melQuoted(const MString& text);

}  // namespace vl2
