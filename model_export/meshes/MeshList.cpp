#include "MeshList.h"

#include "SceneExtraction.h"
#include "attr_helpers.h"

#include <runlog/RunLog.h>
#include <triangulate/triangulate.h>

#include <maya/MFnMesh.h>
#include <maya/MIntArray.h>
#include <maya/MObjectArray.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>

namespace vl2 {

int levelOfName(const std::string& name) {
    if (name.compare(0, 3, "CM_") == 0) return -1;
    const auto at = name.find("_LOD");
    if (at == std::string::npos || at + 4 >= name.size()) return 0;
    const char c = name[at + 4];
    return c >= '1' && c <= '9' ? c - '0' : 0;
}

void SceneBounds::reset() {
    for (int i = 0; i < 3; ++i) {
        minimum[i] = 9999999.0f;
        maximum[i] = -9999999.0f;
    }
}

void SceneBounds::extend(float x, float y, float z) {
    const float p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        if (p[i] < minimum[i]) minimum[i] = p[i];
        if (p[i] > maximum[i]) maximum[i] = p[i];
    }
}

double SceneBounds::diagonal() const {
    double s = 0;
    for (int i = 0; i < 3; ++i) {
        const double d = double(maximum[i]) - double(minimum[i]);
        s += d * d;
    }
    return std::sqrt(s);
}

namespace {

using Matrix = std::array<double, 16>;

Matrix toMatrix(const float* m) {
    Matrix r;
    for (int i = 0; i < 16; ++i) r[static_cast<std::size_t>(i)] = m[i];
    return r;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[static_cast<std::size_t>(4 * i + k)] * b[static_cast<std::size_t>(4 * k + j)];
            r[static_cast<std::size_t>(4 * i + j)] = s;
        }
    return r;
}

// Row vector (x, y, z, w) times the matrix.
std::array<double, 3> apply(const Matrix& m, double x, double y, double z, double w) {
    std::array<double, 3> r;
    for (int j = 0; j < 3; ++j)
        r[static_cast<std::size_t>(j)] = x * m[static_cast<std::size_t>(j)] + y * m[static_cast<std::size_t>(4 + j)] +
                                         z * m[static_cast<std::size_t>(8 + j)] + w * m[static_cast<std::size_t>(12 + j)];
    return r;
}

// Local matrices of the shape and its ancestors, stopping below the topmost
// entry of the chain; false when the shape has no parent (no matrix at all).
bool sceneMatrix(const SceneExtraction& scene, int shape, Matrix& out) {
    if (scene.parentIndex(shape) < 0) return false;
    out = toMatrix(scene.shape(shape)->localMatrix);
    int guard = scene.shapeCount();
    for (int p = scene.parentIndex(shape); p >= 0 && scene.parentIndex(p) >= 0 && guard-- > 0; p = scene.parentIndex(p))
        out = multiply(out, toMatrix(scene.shape(p)->localMatrix));
    return true;
}

// A polygon's corner indices from a -1-separated list, starting at pos.
std::vector<int> nextPolygon(const std::vector<int>& list, std::size_t& pos) {
    std::vector<int> r;
    while (pos < list.size() && list[pos] != -1) r.push_back(list[pos++]);
    if (pos < list.size()) ++pos;  // the terminator
    return r;
}

void collectShaders(const ShapeEntry& shape, std::vector<MObject>* out) {
    MStatus st;
    MFnMesh mesh(shape.shape, &st);
    if (!st) {
        logMessage(1, "failed on MFnMesh\n");
        return;
    }
    logMessage(0, "Got Mesh\n");
    MObjectArray shaders;
    MIntArray indices;
    if (!mesh.getConnectedShaders(0, shaders, indices)) {
        logMessage(1, "Failed on getConnectedShaders\n");
        return;
    }
    logMessage(0, "Got Shaders\n");
    if (shaders.length() == 0) logMessage(1, "No shaders attached to shape %s\n", shape.name.c_str());
    if (!out) return;
    for (unsigned i = 0; i < shaders.length(); ++i) {
        bool known = false;
        for (const MObject& o : *out) known = known || o == shaders[i];
        if (!known) out->push_back(shaders[i]);
    }
}

bool contains(const std::string& s, const char* word) { return s.find(word) != std::string::npos; }

}  // namespace

std::shared_ptr<RawMesh> buildRawMesh(const SceneExtraction& scene, const std::vector<int>& shapes, bool joints,
                                      MeshListContext& context) {
    auto raw = std::make_shared<RawMesh>();
    bool bad = false;
    for (int index : shapes) {
        const ShapeEntry* shape = scene.shape(index);
        if (!shape) continue;
        const std::uint32_t basePos = static_cast<std::uint32_t>(raw->positions.size());
        const std::uint32_t baseNormal = static_cast<std::uint32_t>(raw->normals.size());
        const std::uint32_t baseUv = static_cast<std::uint32_t>(raw->uvs.size());
        const std::uint32_t baseColour = static_cast<std::uint32_t>(raw->colours.size());
        const Matrix local = toMatrix(shape->localMatrix);
        Matrix toScene;
        const bool hasSceneMatrix = sceneMatrix(scene, index, toScene);

        const std::size_t nPos = shape->positions.size() / 3;
        for (std::size_t i = 0; i < nPos; ++i) {
            const float* p = &shape->positions[3 * i];
            std::array<float, 3> q = {p[0], p[1], p[2]};
            if (joints) {
                auto t = apply(local, p[0], p[1], p[2], 1.0);
                q = {float(t[0]), float(t[1]), float(t[2])};
            }
            raw->positions.push_back(q);
            if (hasSceneMatrix) {
                auto s = apply(toScene, p[0], p[1], p[2], 1.0);
                context.bounds.extend(float(s[0]), float(s[1]), float(s[2]));
            } else {
                context.bounds.extend(p[0], p[1], p[2]);
            }
        }
        const std::size_t nNormal = shape->normals.size() / 3;
        for (std::size_t i = 0; i < nNormal; ++i) {
            const float* n = &shape->normals[3 * i];
            std::array<float, 3> q = {n[0], n[1], n[2]};
            if (joints) {
                auto t = apply(local, n[0], n[1], n[2], 0.0);  // the linear part only
                const double len = std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
                if (len > 0) q = {float(t[0] / len), float(t[1] / len), float(t[2] / len)};
                else q = {float(t[0]), float(t[1]), float(t[2])};
            }
            raw->normals.push_back(q);
        }
        const std::size_t nUv = shape->uvs.size() / 2;
        for (std::size_t i = 0; i < nUv; ++i) raw->uvs.push_back({shape->uvs[2 * i], shape->uvs[2 * i + 1]});
        if (nUv == 0) raw->uvs.push_back({0.0f, 0.0f});
        for (std::uint32_t c : shape->colours) raw->colours.push_back(c);
        // Absent colour lists use index 0, so a shape without colours gets one.
        if (shape->colours.empty()) raw->colours.push_back(0xFFFFFFFFu);
        const std::size_t nShapeUv = nUv == 0 ? 1 : nUv;
        const std::size_t nShapeColour = shape->colours.empty() ? 1 : shape->colours.size();

        for (std::size_t g = 0; g < shape->groups.size(); ++g) {
            const ShapeGroup& group = shape->groups[g];
            std::size_t pp = 0, pn = 0, pu = 0, pc = 0;
            const int polygons = SceneExtraction::polygonCount(group.positionIndices);
            for (int face = 0; face < polygons; ++face) {
                std::vector<int> v = nextPolygon(group.positionIndices, pp);
                std::vector<int> n = nextPolygon(group.normalIndices, pn);
                std::vector<int> uv = nextPolygon(group.uvIndices, pu);
                std::vector<int> c = nextPolygon(group.colourIndices, pc);
                const int nv = int(v.size()), nn = int(n.size()), nu = int(uv.size()), nc = int(c.size());
                const char* shapeName = shape->name.c_str();
                if (nv < 3) logMessage(2, "Invalid number of vertices (%d) in face %d, group %d of shape %s\n", nv, face, int(g), shapeName);
                if (nn != nv) logMessage(2, "nNorm != nVert (%d != %d).  face %d of group %d of shape %s\n", nn, nv, face, int(g), shapeName);
                if (nu != 0 && nu != nv) logMessage(2, "nUV != nVert (%d != %d). face %d of group %d of shape %s\n", nu, nv, face, int(g), shapeName);
                if (nc != 0 && nc != nv) logMessage(2, "nColor != nVert (%d != %d). face %d of group %d of shape %s\n", nc, nv, face, int(g), shapeName);
                if (nu == 0) uv.assign(v.size(), 0);
                if (nc == 0) c.assign(v.size(), 0);
                if (nv >= 3) context.faceCount += nv - 2;
                if (n.size() != v.size() || uv.size() != v.size() || c.size() != v.size()) {
                    char text[1024];
                    std::snprintf(text, sizeof text, "face %d index mismatch.  v %d, n %d, uv %d, c %d\n", face, nv, nn,
                                  int(uv.size()), int(c.size()));
                    context.badData.push_back(text);
                    bad = true;
                    continue;
                }
                if (nv < 3 || bad) continue;
                // Hostile tables: an index outside its shape's table would
                // read past the data later, so the level is not built.
                bool inRange = true;
                for (int k = 0; k < nv; ++k)
                    inRange = inRange && v[k] >= 0 && std::size_t(v[k]) < nPos && n[k] >= 0 && std::size_t(n[k]) < nNormal &&
                              uv[k] >= 0 && std::size_t(uv[k]) < nShapeUv && c[k] >= 0 && std::size_t(c[k]) < nShapeColour;
                if (!inRange) {
                    logMessage(2, "face %d of group %d of shape %s has an index outside its table\n", face, int(g), shapeName);
                    bad = true;
                    continue;
                }
                for (const CornerTriangle& t : fanTriangles(v.size())) {
                    RawTriangle tri;
                    tri.material = group.material;
                    for (int k = 0; k < 3; ++k) {
                        const std::size_t corner = t[static_cast<std::size_t>(k)];
                        tri.position[static_cast<std::size_t>(k)] = basePos + std::uint32_t(v[corner]);
                        tri.normal[static_cast<std::size_t>(k)] = baseNormal + std::uint32_t(n[corner]);
                        tri.uv[static_cast<std::size_t>(k)] = baseUv + std::uint32_t(uv[corner]);
                        tri.colour[static_cast<std::size_t>(k)] = baseColour + std::uint32_t(c[corner]);
                    }
                    raw->triangles.push_back(tri);
                }
            }
        }
    }
    if (bad) return nullptr;
    return raw;
}

std::vector<OutputMeshPtr> buildMeshList(const SceneExtraction& scene, const MeshListSettings& settings,
                                         MeshListContext& context) {
    context.bounds.reset();
    std::vector<int> meshShapes;
    for (int i = 0; i < scene.shapeCount(); ++i) {
        const ShapeEntry* shape = scene.shape(i);
        const std::string& name = shape->name;
        if (settings.bounding && contains(name, "collision")) continue;
        if (name.compare(0, 3, "CM_") == 0) continue;
        if (settings.engineTrails &&
            (contains(name, "EngineShape") || contains(name, "EngineGlow") || contains(name, "EngineBurn")))
            continue;
        if (shape->transform.hasFn(MFn::kJoint)) {
            logMessage(0, "joint \"%s\" %d\n", name.c_str(), i);
            if (scene.parentIndex(i) >= 0)
                logMessage(0, "parent translation (%g, %g, %g)\n", double(shape->localMatrix[12]),
                           double(shape->localMatrix[13]), double(shape->localMatrix[14]));
            continue;
        }
        if (shape->isGroup) {
            // A group transform carries no polygons; it is in the table so
            // that the shapes below it have a parent entry.
            logMessage(0, "group \"%s\" %d\n", name.c_str(), i);
            continue;
        }
        logMessage(0, "%s shape \"%s\" %d\n", settings.validation ? "validating" : "defining",
                   name.empty() ? "unnamed" : name.c_str(), i);
        const std::string type = objectTypeOf(shape->transform).str();
        const bool goblin = settings.isGoblin && settings.isGoblin(i);
        if (!goblin && type != "DockingPath" && type != "ResourceWellhead" && type != "ResourceWell")
            meshShapes.push_back(i);
        collectShaders(*shape, context.shaderObjects);
    }

    std::map<std::string, std::vector<int>> groups;  // std::string orders by bytes
    for (int i : meshShapes) {
        const std::string* parent = scene.parentName(i);
        groups[parent ? *parent : std::string("NULL")].push_back(i);
    }

    std::vector<OutputMeshPtr> list;
    for (const auto& [parent, shapes] : groups) {
        if (parent == "NULL") continue;
        std::vector<int> buckets[10];
        for (int i : shapes) {
            const int level = levelOfName(scene.shape(i)->name);
            if (level >= 0 && level <= 9) buckets[level].push_back(i);
        }
        int levels = 0;
        while (levels < 10 && !buckets[levels].empty()) ++levels;
        if (levels == 0) continue;
        auto mesh = std::make_shared<OutputMesh>();
        mesh->parentName = parent;
        mesh->name = parent + "_mesh";
        if (!settings.wireframe)
            for (int l = 0; l < levels; ++l) mesh->levels.push_back(buildRawMesh(scene, buckets[l], settings.joints, context));
        mesh->shapes = shapes;
        list.push_back(mesh);
    }
    return list;
}

}  // namespace vl2
