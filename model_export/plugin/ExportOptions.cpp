#include "ExportOptions.h"

#include <maya/MString.h>
#include <maya/MStringArray.h>

namespace vl2 {

ExportOptions& exportOptions() {
    static ExportOptions o;
    return o;
}

void ExportOptions::parse(const std::string& options) {
    MStringArray items;
    MString(options).split(';', items);
    for (const MString& item : items) {
        MStringArray kv;
        item.split('=', kv);
        if (kv.length() < 2) continue;
        const MString& key = kv[0];
        const int value = kv[1].asInt();
        if (key == "exportType") {
            exportType = value - 1;
        } else if (key == "geometryType") {
            meshFormat = value - 1;
        } else if (key == "textureFormat") {
            textureFormat = value - 1;
        } else if (key == "primitiveType") {
            if (value == 1) primitiveKind = PrimitiveKind::Strips;
            else if (value == 2) primitiveKind = PrimitiveKind::Lists;
        } else if (key == "mergeVertices") {
            mergeVertices = value == 1;
        } else if (key == "normalMapping") {
            if (value >= 1 && value <= 3) normalMapping = value - 1;
        }
    }
    applyExportType();
}

void ExportOptions::applyExportType() {
    struct Row {
        std::int32_t format;
        bool joints, bounding, trails, navlights, markers, damage, lights;
    };
    static const Row rows[] = {
        {Multi, true, true, true, true, true, true, false},     // Ship
        {Simple, false, false, false, false, false, false, false},  // Particle
        {Multi, true, false, false, false, false, false, true},  // Background
        {Multi, true, false, false, false, false, false, true},  // BackgroundNoMesh
        {WireframeFormat, false, false, false, false, false, false, false},  // Wireframe
    };
    if (exportType < Ship || exportType > Wireframe) return;
    const Row& r = rows[exportType];
    meshFormat = r.format;
    vl2_joints = r.joints;
    vl2_bounding = r.bounding;
    vl2_enginetrails = r.trails;
    vl2_navlights = r.navlights;
    vl2_markers = r.markers;
    vl2_damagepoints = r.damage;
    vl2_lights = r.lights;
}

const char* exportTypeWord(std::int32_t v) {
    switch (v) {
    case Ship: return "Ship";
    case Particle: return "Particle";
    case Background: return "Background";
    case BackgroundNoMesh: return "BackgroundNoMesh";
    case Wireframe: return "Wireframe";
    default: return "Unknown";
    }
}

const char* meshFormatWord(std::int32_t v) {
    switch (v) {
    case Progressive: return "Progressive";
    case Simple: return "Simple";
    case Validate: return "Validate";
    case WireframeFormat: return "Wireframe";
    case Multi: return "Muli";
    default: return "Unknown";
    }
}

const char* textureFormatWord(std::int32_t v) {
    switch (v) {
    case DXT1: return "DXT1 rgb";
    case DXT3: return "DXT3 rgba";
    case DXT5: return "DXT5 rgba";
    case RGBA32: return "32bit rgba";
    default: return "Unknown";
    }
}

const char* modelFileName(std::int32_t meshFormat) {
    switch (meshFormat) {
    case Progressive: return "Velmora2 Variable Mesh File";
    case Simple: return "Velmora2 Simple Mesh File";
    case WireframeFormat: return "Velmora2 Wireframe Mesh File";
    case Multi: return "Velmora2 Multi Mesh File";
    case Basic: return "Velmora2 Basic Mesh File";
    default: return nullptr;
    }
}

}  // namespace vl2
