#include "RenderMesh.h"

#include "Welding.h"

#include <runlog/RunLog.h>
#include <tri_stripper/tri_stripper.h>

#include <algorithm>
#include <cmath>
#include <exception>

namespace vl2 {

namespace {

bool near(const float* x, const float* y, int n, float tolerance)
{
    for (int i = 0; i < n; ++i)
        if (!(std::fabs(x[i] - y[i]) <= tolerance))
            return false;
    return true;
}

template <class Table>
bool inTable(const Table& table, std::uint32_t index)
{
    return index < table.size();
}

} // namespace

bool vertexMatches(const RenderVertex& v, const RenderVertex& w, std::uint32_t mask, float a, float b)
{
    if ((mask & (kComparePosition | kComparePosition2)) && !near(v.position, w.position, 3, a))
        return false;
    if ((mask & kCompareNormal) && !near(v.normal, w.normal, 3, b))
        return false;
    if ((mask & kCompareColour) && v.colour != w.colour)
        return false;
    if ((mask & kCompareTangent) && !near(v.tangent, w.tangent, 3, b))
        return false;
    if ((mask & kCompareBinormal) && !near(v.binormal, w.binormal, 3, b))
        return false;
    for (int set = 0; set < 4; ++set)
        if ((mask & (kCompareUv0 << set)) && !near(v.uv[set], w.uv[set], 2, b))
            return false;
    if ((mask & kCompareTangentBinormal) && !near(v.tangent, w.binormal, 3, b))
        return false;
    return true;
}

void computeBounds(RenderMesh& mesh)
{
    const RenderVertex* first = nullptr;
    for (const RenderPart& part : mesh.parts)
        if (!part.vertices.empty()) {
            first = &part.vertices.front();
            break;
        }
    if (first == nullptr) {
        mesh.radius = 1.0f;
        mesh.centre[0] = mesh.centre[1] = mesh.centre[2] = 0.0f;
        return;
    }
    float lo[3], hi[3];
    for (int i = 0; i < 3; ++i)
        lo[i] = hi[i] = first->position[i];
    for (const RenderPart& part : mesh.parts)
        for (const RenderVertex& v : part.vertices)
            for (int i = 0; i < 3; ++i) {
                lo[i] = std::min(lo[i], v.position[i]);
                hi[i] = std::max(hi[i], v.position[i]);
            }
    for (int i = 0; i < 3; ++i)
        mesh.centre[i] = (lo[i] + hi[i]) * 0.5f;
    float largest = 1.0f;
    for (const RenderPart& part : mesh.parts)
        for (const RenderVertex& v : part.vertices) {
            const float dx = v.position[0] - mesh.centre[0];
            const float dy = v.position[1] - mesh.centre[1];
            const float dz = v.position[2] - mesh.centre[2];
            largest = std::max(largest, dx * dx + dy * dy + dz * dz);
        }
    mesh.radius = std::sqrt(largest);
}

bool buildRenderMesh(const RawMesh& raw, const std::string& name, const BuildSettings& settings,
                     const MaterialRegistry& materials, RenderMesh& out)
{
    out = RenderMesh{};
    out.name = name;
    if (raw.triangles.empty())
        return false;
    // Corners pointing outside the tables would read beyond them: refuse the level.
    for (std::size_t t = 0; t < raw.triangles.size(); ++t) {
        const RawTriangle& tri = raw.triangles[t];
        for (int c = 0; c < 3; ++c)
            if (!inTable(raw.positions, tri.position[c]) || !inTable(raw.normals, tri.normal[c]) ||
                !inTable(raw.uvs, tri.uv[c]) || !inTable(raw.colours, tri.colour[c])) {
                logMessage(2, "%s: triangle %zu refers to a table entry that does not exist\n", name.c_str(), t);
                return false;
            }
    }

    std::vector<std::int32_t> numbers; // distinct, in order of first appearance
    std::vector<std::size_t> partOf(raw.triangles.size());
    for (std::size_t t = 0; t < raw.triangles.size(); ++t) {
        const std::int32_t number = raw.triangles[t].material;
        MaterialInfo info;
        const std::uint32_t index = materials.lookup(number, info) ? info.index : 0;
        std::size_t p = 0;
        while (p < out.parts.size() && out.parts[p].materialIndex != index)
            ++p;
        if (p == out.parts.size()) {
            out.parts.emplace_back();
            out.parts.back().materialIndex = index;
        }
        out.parts[p].triangles.resize(out.parts[p].triangles.size() + 3);
        out.parts[p].materialNumber = number;
        partOf[t] = p;
        if (std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    }

    logMessage(0, "%s uses %i materials;", name.c_str(), int(numbers.size()));
    for (std::int32_t number : numbers) {
        MaterialInfo info;
        if (materials.lookup(number, info))
            logMessage(0, " %s(%i) ", info.name.c_str(), int(number));
        else
            logMessage(0, " UNKNOWN(%i) ", int(number));
    }
    logMessage(0, ". Building raw mesh");

    float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    if (!raw.positions.empty())
        for (int i = 0; i < 3; ++i)
            lo[i] = hi[i] = raw.positions.front()[i];
    for (const auto& p : raw.positions)
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], p[i]);
            hi[i] = std::max(hi[i], p[i]);
        }
    const float diagonal = std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                                     (hi[2] - lo[2]) * (hi[2] - lo[2]));
    const float tolerance = kWeldTolerance * diagonal;

    out.vertexFormat = settings.vertexFormat;

    std::vector<VertexWelder> welders;
    if (settings.mergeVertices)
        welders.assign(out.parts.size(), VertexWelder(lo, tolerance, kWeldTolerance));
    std::vector<std::size_t> filled(out.parts.size(), 0);

    for (std::size_t t = 0; t < raw.triangles.size(); ++t) {
        if (t % 100 == 0)
            logMessage(0, ".");
        const RawTriangle& tri = raw.triangles[t];
        RenderPart& part = out.parts[partOf[t]];
        for (int c = 0; c < 3; ++c) {
            RenderVertex v;
            const auto& p = raw.positions[tri.position[c]];
            const auto& n = raw.normals[tri.normal[c]];
            const auto& uv = raw.uvs[tri.uv[c]];
            for (int i = 0; i < 3; ++i) {
                v.position[i] = p[i];
                v.normal[i] = n[i];
            }
            v.colour = raw.colours[tri.colour[c]];
            for (auto& set : v.uv) {
                set[0] = uv[0];
                set[1] = uv[1];
            }
            long number = -1;
            if (settings.mergeVertices)
                number = welders[partOf[t]].find(part.vertices, v);
            if (number < 0) {
                // 16-bit indices cannot address another vertex: a wrapped
                // index would silently point at the wrong one, so the whole
                // mesh is refused instead.
                if (part.vertices.size() >= kMaxPartVertices) {
                    logMessage(2,
                               "%s: material %u needs more than %zu vertices, which 16-bit indices cannot address; "
                               "the mesh is not exported\n",
                               name.c_str(), part.materialIndex, kMaxPartVertices);
                    out.parts.clear();
                    return false;
                }
                number = long(part.vertices.size());
                part.vertices.push_back(v);
                if (settings.mergeVertices)
                    welders[partOf[t]].add(v, std::uint32_t(number));
            }
            part.triangles[filled[partOf[t]]++] = static_cast<std::uint16_t>(number);
        }
    }

    if (settings.normalMapping == 0) {
        logMessage(0, "\n");
    } else {
        logMessage(0, " Building Tangent Basis.\n");
        bool all = true;
        for (std::size_t p = 0; p < out.parts.size(); ++p) {
            const bool ok = settings.tangents != nullptr && settings.tangents->buildPart(out.parts[p]);
            if (!ok) {
                logMessage(2, "Could not build tangent basis for %s material %i.\n", name.c_str(), int(p));
                all = false;
            } else {
                settings.tangents->smooth(out.parts[p], diagonal);
            }
        }
        // Or-ed rather than added: a mask that already carries the bits
        // must not carry over into 0x8000.
        if (all)
            out.vertexFormat |= 0x6000;
    }

    computeBounds(out);
    if (out.radius > 20000.0f)
        logMessage(1, "%s has a radius of %f and a centre of %f,%f,%f\n", name.c_str(), double(out.radius),
                   double(out.centre[0]), double(out.centre[1]), double(out.centre[2]));
    return true;
}

namespace {

void removeUnusedVertices(RenderPart& part)
{
    std::vector<char> used(part.vertices.size(), 0);
    for (std::uint16_t i : part.triangles)
        used[i] = 1;
    std::vector<std::uint16_t> shift(part.vertices.size());
    std::size_t removed = 0;
    std::vector<RenderVertex> kept;
    kept.reserve(part.vertices.size());
    for (std::size_t v = 0; v < part.vertices.size(); ++v) {
        shift[v] = static_cast<std::uint16_t>(removed);
        if (used[v])
            kept.push_back(part.vertices[v]);
        else
            ++removed;
    }
    const int tris = int(part.triangles.size() / 3);
    if (removed == 0) {
        logMessage(0, "%i verts, %i tris...", int(part.vertices.size()), tris);
        return;
    }
    for (std::uint16_t& i : part.triangles)
        i = static_cast<std::uint16_t>(i - shift[i]);
    part.vertices.swap(kept);
    logMessage(0, ".Removed %i unused verts leaving %i verts (%i tris)...", int(removed), int(part.vertices.size()),
               tris);
}

PrimitiveGroup wholeList(const RenderPart& part)
{
    PrimitiveGroup g;
    g.kind = std::uint32_t(PrimitiveKind::List);
    g.indices = part.triangles;
    return g;
}

// The stripper is a library of its own: nothing it throws may reach the host.
bool stripPart(RenderPart& part, std::vector<PrimitiveGroup>& groups)
{
    try {
        triangle_stripper::tri_stripper stripper(
            triangle_stripper::index_list(part.triangles.begin(), part.triangles.end()));
        stripper.set_cache_size(10);
        stripper.set_min_strip_size(2);
        triangle_stripper::primitive_vector out;
        stripper.strip(out);
        groups.clear();
        for (const auto& g : out) {
            PrimitiveGroup group;
            group.kind = g.type == triangle_stripper::primitive_type::triangle_strip
                             ? std::uint32_t(PrimitiveKind::Strip)
                             : std::uint32_t(PrimitiveKind::List);
            group.indices.reserve(g.indices.size());
            for (auto i : g.indices) {
                if (i >= part.vertices.size()) {
                    logMessage(2, "triangle stripper returned vertex %u of %zu\n", unsigned(i), part.vertices.size());
                    return false;
                }
                group.indices.push_back(static_cast<std::uint16_t>(i));
            }
            groups.push_back(std::move(group));
        }
        return true;
    } catch (const std::exception& e) {
        logMessage(2, "triangle stripper failed: %s\n", e.what());
    } catch (...) {
        logMessage(2, "triangle stripper failed\n");
    }
    return false;
}

} // namespace

void stripOrList(RenderPart& part, bool strips)
{
    // Callers outside the build hand in their own parts: an index past the
    // vertices would be read and written out of bounds below.
    for (std::uint16_t i : part.triangles)
        if (i >= part.vertices.size()) {
            logMessage(2, "material %u: index %u is not below the part's %zu vertices; no primitives written\n",
                       part.materialIndex, unsigned(i), part.vertices.size());
            part.groups.clear();
            return;
        }
    removeUnusedVertices(part);

    std::vector<PrimitiveGroup> groups;
    if (strips && !stripPart(part, groups)) {
        logMessage(2, "writing material %u as a triangle list\n", part.materialIndex);
        groups.clear();
    }
    if (groups.empty())
        groups.push_back(wholeList(part));
    // The group count is written in 16 bits.
    if (groups.size() > 0xFFFF) {
        logMessage(1, "material %u gives %zu primitive groups, more than a mesh part holds; writing a triangle list\n",
                   part.materialIndex, groups.size());
        groups.assign(1, wholeList(part));
    }

    int s = 0, lists = 0;
    long stripTris = 0;
    std::size_t listIndices = 0;
    for (const PrimitiveGroup& g : groups) {
        if (g.kind == std::uint32_t(PrimitiveKind::Strip)) {
            ++s;
            stripTris += long(g.indices.size()) - 2;
        } else {
            ++lists;
            listIndices = g.indices.size();
        }
    }
    if (lists == 1 && s == 0)
        logMessage(0, "1 list of %i.", int(listIndices / 3));
    else if (lists == 1)
        logMessage(0, "%i strips averaging %f tris and 1 list of %i.", s, double(stripTris) / s, int(listIndices / 3));
    else if (s == 0)
        logMessage(0, "1 list of");
    else if (lists == 0)
        logMessage(0, "%i strips averaging %f tris.", s, double(stripTris) / s);
    else
        logMessage(0, "%i strips averaging %f tris and %i lists.", s, double(stripTris) / s, lists);

    logMessage(0, "remapping indices...");
    constexpr std::uint32_t kUnset = 0xFFFFFFFFu;
    std::vector<std::uint32_t> newNumber(part.vertices.size(), kUnset);
    std::uint32_t next = 0;
    for (PrimitiveGroup& g : groups)
        for (std::uint16_t& i : g.indices) {
            if (newNumber[i] == kUnset)
                newNumber[i] = next++;
            i = static_cast<std::uint16_t>(newNumber[i]);
        }
    // Vertices no group uses keep their relative order behind the used ones.
    for (std::uint32_t& n : newNumber)
        if (n == kUnset)
            n = next++;

    logMessage(0, "finishing...");
    std::vector<RenderVertex> ordered(part.vertices.size());
    for (std::size_t v = 0; v < part.vertices.size(); ++v)
        ordered[newNumber[v]] = part.vertices[v];
    part.vertices.swap(ordered);
    part.groups = std::move(groups);
}

void optimiseRenderMesh(RenderMesh& mesh, bool strips, const std::string& exportName,
                        const MaterialRegistry& materials)
{
    logMessage(0, "optimizing %s:", mesh.name.c_str());
    const float radius = mesh.radius;
    const float centre[3] = {mesh.centre[0], mesh.centre[1], mesh.centre[2]};

    for (std::size_t i = 0; i < mesh.parts.size(); ++i) {
        RenderPart& part = mesh.parts[i];
        MaterialInfo info;
        if (materials.lookup(part.materialNumber, info)) {
            logMessage(0, "\n\tstripping material %i (%s(%i))...", int(part.materialIndex), info.name.c_str(),
                       int(part.materialNumber));
            if (info.name == "lambert1" && exportName.find("EngineGlow") == std::string::npos &&
                exportName.find("CM2_") == std::string::npos)
                logMessage(2, "\n**ERROR** Don't use the lambert shader for renderable objects. \n");
        } else {
            logMessage(0, "\n\tstripping material %i (UNKNOWN) %i/%i...", int(part.materialIndex), int(i + 1),
                       int(mesh.parts.size()));
        }
        stripOrList(part, strips);
    }

    computeBounds(mesh);
    // The format's "%'s" prints the bare name; written so without the flag.
    if (mesh.radius != radius)
        logMessage(1, "%s radius changed from %f to %f\n", mesh.name.c_str(), double(radius), double(mesh.radius));
    if (mesh.centre[0] != centre[0])
        logMessage(1, "%s centre x position changed %f to %f\n", mesh.name.c_str(), double(centre[0]),
                   double(mesh.centre[0]));
    if (mesh.centre[1] != centre[1])
        logMessage(1, "%s centre y position changed %f to %f\n", mesh.name.c_str(), double(centre[1]),
                   double(mesh.centre[1]));
    if (mesh.centre[2] != centre[2])
        logMessage(1, "%s centre z position changed %f to %f\n", mesh.name.c_str(), double(centre[2]),
                   double(mesh.centre[2]));
    logMessage(0, "\ndone\n\n");
}

} // namespace vl2
