#include "SimpleMesh.h"

#include <runlog/RunLog.h>

#include <cmath>
#include <limits>
#include <unordered_map>

namespace vl2 {

namespace {

bool near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

SimpleVertex corner(const RawMesh& level, const RawTriangle& t, int k) {
    SimpleVertex v;
    const auto& p = level.positions[t.position[static_cast<std::size_t>(k)]];
    const auto& n = level.normals[t.normal[static_cast<std::size_t>(k)]];
    const auto& uv = level.uvs[t.uv[static_cast<std::size_t>(k)]];
    for (int i = 0; i < 3; ++i) {
        v.position[i] = p[static_cast<std::size_t>(i)];
        v.normal[i] = n[static_cast<std::size_t>(i)];
    }
    v.colour = level.colours[t.colour[static_cast<std::size_t>(k)]];
    v.uv[0] = uv[0];
    v.uv[1] = uv[1];
    return v;
}

// Triangles whose corners point outside the tables (only hand-made data can
// have them) are left out by both merges alike.
bool triangleInRange(const RawMesh& level, const RawTriangle& t) {
    for (std::size_t k = 0; k < 3; ++k)
        if (t.position[k] >= level.positions.size() || t.normal[k] >= level.normals.size() ||
            t.uv[k] >= level.uvs.size() || t.colour[k] >= level.colours.size())
            return false;
    return true;
}

bool allFinite(const SimpleVertex& v) {
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(v.position[i]) || !std::isfinite(v.normal[i])) return false;
    return std::isfinite(v.uv[0]) && std::isfinite(v.uv[1]);
}

struct CellKey {
    std::int64_t x, y, z;
    bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct CellHash {
    std::size_t operator()(const CellKey& k) const {
        std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
        h ^= static_cast<std::uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

std::int64_t cellOf(double value, double cellSize) {
    const double c = std::floor(value / cellSize);
    const double limit = 4.0e18;
    if (c > limit) return static_cast<std::int64_t>(limit);
    if (c < -limit) return -static_cast<std::int64_t>(limit);
    return static_cast<std::int64_t>(c);
}

}  // namespace

bool simpleVerticesMatch(const SimpleVertex& a, const SimpleVertex& b, double tolerance) {
    for (int i = 0; i < 3; ++i)
        if (!near(a.position[i], b.position[i], tolerance)) return false;
    for (int i = 0; i < 3; ++i)
        if (!near(a.normal[i], b.normal[i], tolerance)) return false;
    return near(double(a.colour), double(b.colour), tolerance) && near(a.uv[0], b.uv[0], tolerance) &&
           near(a.uv[1], b.uv[1], tolerance);
}

SimpleMerge mergeSimpleLinear(const RawMesh& level, double tolerance) {
    SimpleMerge out;
    for (const RawTriangle& t : level.triangles) {
        if (!triangleInRange(level, t)) continue;
        for (int k = 0; k < 3; ++k) {
            const SimpleVertex v = corner(level, t, k);
            std::size_t found = out.vertices.size();
            for (std::size_t i = 0; i < out.vertices.size(); ++i)
                if (simpleVerticesMatch(v, out.vertices[i], tolerance)) {
                    found = i;
                    break;
                }
            if (found == out.vertices.size()) out.vertices.push_back(v);
            out.indices.push_back(static_cast<std::uint32_t>(found));
        }
    }
    return out;
}

SimpleMerge mergeSimple(const RawMesh& level, double tolerance) {
    SimpleMerge out;
    // A match differs by at most the tolerance per axis, so it lies in the
    // corner's cell or a neighbour when cells are a little wider than the
    // tolerance. The first match is the lowest index over those cells.
    const double cellSize = tolerance > 0 && std::isfinite(tolerance) ? tolerance * 1.0001 : 1e-30;
    const bool usable = std::isfinite(tolerance) && tolerance >= 0;
    std::unordered_map<CellKey, std::vector<std::uint32_t>, CellHash> cells;
    cells.reserve(level.triangles.size() * 2);
    for (const RawTriangle& t : level.triangles) {
        if (!triangleInRange(level, t)) continue;
        for (int k = 0; k < 3; ++k) {
            const SimpleVertex v = corner(level, t, k);
            std::size_t found = out.vertices.size();
            if (!usable) {
                // No finite tolerance to build cells with: search like the reference.
                for (std::size_t i = 0; i < out.vertices.size(); ++i)
                    if (simpleVerticesMatch(v, out.vertices[i], tolerance)) {
                        found = i;
                        break;
                    }
            } else if (allFinite(v)) {
                const CellKey home{cellOf(v.position[0], cellSize), cellOf(v.position[1], cellSize),
                                   cellOf(v.position[2], cellSize)};
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dz = -1; dz <= 1; ++dz) {
                            auto it = cells.find({home.x + dx, home.y + dy, home.z + dz});
                            if (it == cells.end()) continue;
                            // Indices ascend within a cell: stop at the first
                            // match or once past the best so far.
                            for (std::uint32_t i : it->second) {
                                if (i >= found) break;
                                if (simpleVerticesMatch(v, out.vertices[i], tolerance)) {
                                    found = i;
                                    break;
                                }
                            }
                        }
                if (found == out.vertices.size()) cells[home].push_back(static_cast<std::uint32_t>(found));
            }
            // A corner with a non-finite component matches nothing and is
            // matched by nothing, so it is stored without a cell.
            if (found == out.vertices.size()) out.vertices.push_back(v);
            out.indices.push_back(static_cast<std::uint32_t>(found));
        }
    }
    return out;
}

bool writeSimpleChunk(ChunkWriter& out, const std::string& name, const SimpleMerge& mesh) {
    bool ok = out.beginPlainChunk(fourCC("SIMP")) != 0;
    ok = out.writeString(name) && ok;
    ok = out.writeUInt32(static_cast<std::uint32_t>(mesh.vertices.size())) && ok;
    for (const SimpleVertex& v : mesh.vertices) {
        for (float f : v.position) ok = out.writeFloat(f) && ok;
        for (float f : v.normal) ok = out.writeFloat(f) && ok;
        ok = out.writeFloat(v.uv[0]) && ok;
        ok = out.writeFloat(v.uv[1]) && ok;
    }
    ok = out.writeUInt32(static_cast<std::uint32_t>(mesh.indices.size())) && ok;
    if (!mesh.indices.empty()) ok = out.writeBytes(mesh.indices.data(), sizeof(std::uint32_t), mesh.indices.size()) && ok;
    return out.endChunk() != 0 && ok;
}

bool writeSimpleMesh(ChunkWriter& out, const OutputMesh& mesh, double sceneDiagonal) {
    if (mesh.levels.empty()) return false;
    logMessage(0, "generating simple mesh %s ...\n", mesh.name.c_str());
    if (!mesh.levels[0]) return false;  // its data were reported as bad
    const SimpleMerge merged = mergeSimple(*mesh.levels[0], 0.0002 * sceneDiagonal);
    return writeSimpleChunk(out, mesh.name, merged);
}

}  // namespace vl2
