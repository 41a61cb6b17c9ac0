#include "MeshWriters.h"

#include <runlog/RunLog.h>

#include <cstdio>
#include <exception>
#include <vector>

namespace vl2 {

namespace {

bool writeFloats(ChunkWriter& out, const float* values, int n)
{
    bool ok = true;
    for (int i = 0; i < n; ++i)
        ok = out.writeFloat(values[i]) && ok;
    return ok;
}

// Stands in when the export has no material section: every material number
// is then unknown, as an unregistered number is, and falls into index 0.
class NoMaterials : public MaterialRegistry {
public:
    bool lookup(std::int32_t, MaterialInfo&) const override { return false; }
};

bool buildAndOptimise(const RawMesh* raw, const std::string& buildName, const OutputMesh& entry,
                      const MeshWriteSettings& settings, RenderMesh& render)
{
    if (raw == nullptr)
        return false;
    static const NoMaterials noMaterials;
    const MaterialRegistry& materials = settings.materials != nullptr ? *settings.materials : noMaterials;
    BuildSettings build;
    build.mergeVertices = settings.mergeVertices;
    build.vertexFormat = entry.vertexFormat;
    build.normalMapping = settings.normalMapping;
    build.tangents = settings.tangents;
    // Nothing thrown below (memory, a tangent builder) may reach the host:
    // the mesh is reported as failed instead.
    try {
        if (!buildRenderMesh(*raw, buildName, build, materials, render))
            return false;
        optimiseRenderMesh(render, settings.strips, entry.name, materials);
        return true;
    } catch (const std::exception& e) {
        logMessage(2, "%s: %s\n", buildName.c_str(), e.what());
    } catch (...) {
        logMessage(2, "%s: unexpected failure building the render mesh\n", buildName.c_str());
    }
    render = RenderMesh{};
    return false;
}

} // namespace

bool writeBmsh(ChunkWriter& out, const RenderMesh& mesh, std::uint32_t levelIndex)
{
    bool ok = out.beginNrml(fourCC("BMSH"), kMeshChunkVersion) != 0;
    ok = out.writeUInt32(levelIndex) && ok;
    ok = out.writeUInt32(std::uint32_t(mesh.parts.size())) && ok;
    bool corrupt = false;
    const std::uint32_t mask = mesh.vertexFormat;
    for (const RenderPart& part : mesh.parts) {
        ok = out.writeUInt32(part.materialIndex) && ok;
        ok = out.writeUInt32(mask) && ok;
        ok = out.writeUInt32(std::uint32_t(part.vertices.size())) && ok;
        for (const RenderVertex& v : part.vertices) {
            if (mask & 0x1)
                ok = writeFloats(out, v.position, 4) && ok;
            if (mask & 0x2)
                ok = writeFloats(out, v.normal, 4) && ok;
            if (mask & 0x4)
                ok = out.writeUInt32(v.colour) && ok;
            if (mask & 0x8)
                ok = writeFloats(out, v.uv[0], 2) && ok;
            if (mask & 0x2000)
                ok = writeFloats(out, v.tangent, 3) && ok;
            if (mask & 0x4000)
                ok = writeFloats(out, v.binormal, 3) && ok;
        }
        // The count has 16 bits: more groups cannot be written consistently.
        std::size_t groupCount = part.groups.size();
        if (groupCount > 0xFFFF) {
            logMessage(2, "corrupt data found in basic mesh");
            corrupt = true;
            groupCount = 0xFFFF;
        }
        ok = out.writeUInt16(static_cast<std::uint16_t>(groupCount)) && ok;
        for (std::size_t gi = 0; gi < groupCount; ++gi) {
            const PrimitiveGroup& g = part.groups[gi];
            std::uint32_t code = 0;
            switch (PrimitiveKind(g.kind)) {
            case PrimitiveKind::List:
                code = kListTypeCode;
                break;
            case PrimitiveKind::Strip:
                code = kStripTypeCode;
                break;
            case PrimitiveKind::Other:
                code = kOtherTypeCode;
                break;
            default:
                logMessage(2, "corrupt data found in basic mesh");
                corrupt = true;
                break;
            }
            ok = out.writeUInt32(code) && ok;
            ok = out.writeUInt32(std::uint32_t(g.indices.size())) && ok;
            if (!g.indices.empty())
                ok = out.writeBytes(g.indices.data(), sizeof(std::uint16_t), g.indices.size()) && ok;
        }
    }
    ok = out.endChunk() != 0 && ok;
    return ok && !corrupt;
}

bool writeBasicMesh(ChunkWriter& out, const OutputMesh& mesh, const MeshWriteSettings& settings)
{
    if (mesh.levels.empty()) {
        logMessage(2, "no mesh to export for %s\n", mesh.name.c_str());
        return false;
    }
    logMessage(0, "generating basic mesh %s ...\n", mesh.name.c_str());
    RenderMesh render;
    if (!buildAndOptimise(mesh.levels[0].get(), mesh.name, mesh, settings, render)) {
        logMessage(2, "Error computing basic mesh %s\n", mesh.name.c_str());
        return false;
    }
    writeBmsh(out, render, 0);
    return true;
}

bool writeMultiMesh(ChunkWriter& out, const OutputMesh& mesh, const MeshWriteSettings& settings)
{
    // All levels are built before anything is written, so a failing level
    // leaves no partial MULT behind.
    std::vector<RenderMesh> levels(mesh.levels.size());
    for (std::size_t i = 0; i < mesh.levels.size(); ++i) {
        char levelName[512];
        std::snprintf(levelName, sizeof levelName, "%s_LOD_%d", mesh.name.c_str(), int(i));
        const std::string buildName = std::string(levelName) + " level " + std::to_string(i);
        if (!buildAndOptimise(mesh.levels[i].get(), buildName, mesh, settings, levels[i])) {
            logMessage(2, "Error computing multi mesh %s\n", mesh.name.c_str());
            return false;
        }
    }
    if (levels.empty()) {
        logMessage(2, "Error computing multi mesh %s\n", mesh.name.c_str());
        return false;
    }
    out.beginNrml(fourCC("MULT"), kMeshChunkVersion);
    out.writeString(mesh.name);
    out.writeString(mesh.parentName);
    out.writeUInt32(std::uint32_t(levels.size()));
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (!writeBmsh(out, levels[i], std::uint32_t(i)) && !out.failed())
            logMessage(2, "LOD (basic mesh) export problem for %s", mesh.name.c_str());
    out.endChunk();
    return true;
}

} // namespace vl2
