#pragma once
// The model exporter's option record: what the option string sets and the
// section switches the export type derives. Module-wide; values persist from
// one export to the next while the plug-in stays loaded.
#include <cstdint>
#include <string>

namespace vl2 {

// Stored values are the option numbers minus one.
enum ExportType : std::int32_t { Ship = 0, Particle = 1, Background = 2, BackgroundNoMesh = 3, Wireframe = 4 };
enum MeshFormat : std::int32_t {
    Progressive = 0,
    Simple = 1,
    Validate = 2,
    WireframeFormat = 3,
    Multi = 4,
    Basic = 5
};
enum TextureFormat : std::int32_t { DXT1 = 0, DXT3 = 1, DXT5 = 2, RGBA32 = 3 };
enum class PrimitiveKind { Strips, Lists };

struct ExportOptions {
    std::int32_t exportType = Ship;
    std::int32_t meshFormat = Multi;
    std::int32_t textureFormat = DXT5;
    PrimitiveKind primitiveKind = PrimitiveKind::Lists;
    bool mergeVertices = true;
    std::int32_t normalMapping = 0;
    bool vl2_joints = false;
    bool vl2_bounding = false;
    bool vl2_enginetrails = false;
    bool vl2_navlights = false;
    bool vl2_markers = false;
    bool vl2_damagepoints = false;
    bool vl2_lights = false;

    // Applies "key=value;..." items, then the export type table.
    void parse(const std::string& options);
    void applyExportType();
};

ExportOptions& exportOptions();

// Words the run log prints for each value.
const char* exportTypeWord(std::int32_t v);
const char* meshFormatWord(std::int32_t v);
const char* textureFormatWord(std::int32_t v);
// Name form text per mesh format, nullptr when no name form is written.
const char* modelFileName(std::int32_t meshFormat);

}  // namespace vl2
