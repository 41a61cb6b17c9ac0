#include "SceneExtraction.h"

#include <maya/MColorArray.h>
#include <maya/MDagPath.h>
#include <maya/MFloatArray.h>
#include <maya/MFloatPointArray.h>
#include <maya/MFloatVectorArray.h>
#include <maya/MFnDagNode.h>
#include <maya/MFnMesh.h>
#include <maya/MGlobal.h>
#include <maya/MIntArray.h>
#include <maya/MItDag.h>
#include <maya/MItMeshPolygon.h>
#include <maya/MMatrix.h>
#include <maya/MObjectArray.h>
#include <maya/MPlug.h>
#include <maya/MPlugArray.h>
#include <maya/MSelectionList.h>

#include <cstdint>
#include <utility>

namespace vl2 {

SceneExtraction& extraction() {
    static SceneExtraction e;
    return e;
}

void SceneExtraction::setSceneName(const std::string& name) {
    std::string keepPath = record_.textureSearchPath;
    record_ = SceneRecord();
    record_.textureSearchPath = keepPath;
    record_.sceneName = name;
}

void SceneExtraction::setOutputDirectory(const std::string& dir) {
    record_.outputDirectory = dir;
    record_.hasOutputDirectory = true;
}

void SceneExtraction::appendTextureSearchPath(const std::string& text) { record_.textureSearchPath += text; }

bool SceneExtraction::outputDirectory(std::string& out) const {
    if (!record_.hasOutputDirectory) return false;
    out = record_.outputDirectory;
    return true;
}

const std::string* SceneExtraction::textureSearchPath() const {
    return record_.textureSearchPath.empty() ? nullptr : &record_.textureSearchPath;
}

void SceneExtraction::initialiseScene() {
    shapes_.clear();
    materials_.clear();
    record_.animated = record_.endFrame != record_.startFrame;
    walkScene();
}

namespace {

bool boolPlug(const MObject& node, const char* name, bool fallback) {
    MFnDependencyNode fn(node);
    MStatus st;
    MPlug p = fn.findPlug(MString(name), &st);
    if (!st || p.isNull()) return fallback;
    bool v = fallback;
    return p.getValue(v) ? v : fallback;
}

MObject firstParent(const MObject& node) {
    MFnDagNode fn(node);
    if (fn.parentCount() == 0) return MObject();
    MObject p = fn.parent(0);
    return p.isNull() || p.hasFn(MFn::kWorld) ? MObject() : p;
}

// Visible means on and not an intermediate object, for the node and every
// ancestor up to the top.
bool pathVisible(const MObject& shapeNode) {
    for (MObject n = shapeNode; !n.isNull(); n = firstParent(n)) {
        if (!boolPlug(n, "visibility", true)) return false;
        if (boolPlug(n, "intermediateObject", false)) return false;
    }
    return true;
}

std::string shortName(const MObject& node) { return MFnDependencyNode(node).name().str(); }

// Opaque white for corners without a colour; otherwise 0xAARRGGBB.
std::uint32_t packColour(const MColor& c) {
    if (c.r < 0 || c.g < 0 || c.b < 0 || c.a < 0) return 0xFFFFFFFFu;
    auto byte = [](float f) {
        f = f > 1.0f ? 1.0f : f;
        return static_cast<std::uint32_t>(f * 255.0f + 0.5f);
    };
    return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

// The surface shader connected to a shading group, by name; the group's own
// name when nothing is connected.
std::string surfaceShaderName(const MObject& shadingGroup) {
    MFnDependencyNode fn(shadingGroup);
    MStatus st;
    MPlug p = fn.findPlug("surfaceShader", &st);
    if (st && !p.isNull()) {
        MPlugArray sources;
        if (p.connectedTo(sources, true, false) && sources.length() > 0)
            return MFnDependencyNode(sources[0].node()).name().str();
    }
    return fn.name().str();
}

}  // namespace

int SceneExtraction::materialNumber(const std::string& name) {
    for (std::size_t i = 0; i < materials_.size(); ++i)
        if (materials_[i] == name) return static_cast<int>(i);
    materials_.push_back(name);
    return static_cast<int>(materials_.size()) - 1;
}

bool SceneExtraction::fillMesh(ShapeEntry& entry, const MObject& meshNode) {
    MDagPath path;
    MStatus st = MDagPath::getAPathTo(meshNode, path);
    if (!st) return false;
    MFnMesh mesh(path, &st);
    if (!st) return false;

    MFloatPointArray points;
    mesh.getPoints(points, MSpace::kObject);
    entry.positions.reserve(3 * points.length());
    for (unsigned i = 0; i < points.length(); ++i) {
        entry.positions.push_back(points[i].x);
        entry.positions.push_back(points[i].y);
        entry.positions.push_back(points[i].z);
    }
    MFloatVectorArray normals;
    mesh.getNormals(normals, MSpace::kObject);
    entry.normals.reserve(3 * normals.length());
    for (unsigned i = 0; i < normals.length(); ++i) {
        entry.normals.push_back(normals[i].x);
        entry.normals.push_back(normals[i].y);
        entry.normals.push_back(normals[i].z);
    }
    MFloatArray us, vs;
    mesh.getUVs(us, vs);
    for (unsigned i = 0; i < us.length() && i < vs.length(); ++i) {
        entry.uvs.push_back(us[i]);
        entry.uvs.push_back(vs[i]);
    }
    // One colour per face corner: a corner's colour index is its face-vertex
    // number, which is what the face-vertex colour index means.
    MColorArray colours;
    mesh.getFaceVertexColors(colours);
    entry.colours.reserve(colours.length());
    for (unsigned i = 0; i < colours.length(); ++i) entry.colours.push_back(packColour(colours[i]));
    MIntArray counts, connects;
    mesh.getVertices(counts, connects);
    std::vector<int> faceOffset(counts.length() + 1, 0);
    for (unsigned f = 0; f < counts.length(); ++f) faceOffset[f + 1] = faceOffset[f] + counts[f];

    MObjectArray sets, comps;
    mesh.getConnectedSetsAndMembers(path.instanceNumber(), sets, comps, true);
    for (unsigned s = 0; s < sets.length(); ++s) {
        ShapeGroup group;
        group.material = materialNumber(surfaceShaderName(sets[s]));
        MItMeshPolygon it(path, comps[s], &st);
        if (!st) continue;
        for (; !it.isDone(); it.next()) {
            const int face = it.index();
            const int corners = static_cast<int>(it.polygonVertexCount());
            const bool hasUvs = it.hasUVs();
            for (int k = 0; k < corners; ++k) {
                // A failed lookup leaves its list short (reported by the mesh
                // builder) rather than writing -1, which ends a polygon.
                const int v = it.vertexIndex(k);
                if (v >= 0) group.positionIndices.push_back(v);
                const int n = it.normalIndex(k);
                if (n >= 0) group.normalIndices.push_back(n);
                int uv = -1;
                if (hasUvs && it.getUVIndex(k, uv) && uv >= 0) group.uvIndices.push_back(uv);
                if (face >= 0 && static_cast<std::size_t>(face) < counts.length() &&
                    static_cast<std::size_t>(faceOffset[static_cast<std::size_t>(face)] + k) < entry.colours.size())
                    group.colourIndices.push_back(faceOffset[static_cast<std::size_t>(face)] + k);
            }
            group.positionIndices.push_back(-1);
            group.normalIndices.push_back(-1);
            group.uvIndices.push_back(-1);
            group.colourIndices.push_back(-1);
        }
        entry.groups.push_back(std::move(group));
    }
    return true;
}

void SceneExtraction::walkScene() {
    // Selected subtrees: a node enters when its path is a selected path or
    // lies below one.
    std::vector<std::string> selected;
    if (settings_.walkMode == WalkMode::SelectedSubtrees) {
        MSelectionList list;
        MGlobal::getActiveSelectionList(list);
        for (unsigned i = 0; i < list.length(); ++i) {
            MDagPath p;
            if (list.getDagPath(i, p)) selected.push_back(p.fullPathName().str());
        }
    }
    auto inSelection = [&](const std::string& fullPath) {
        for (const std::string& s : selected)
            if (fullPath == s || (fullPath.size() > s.size() && fullPath.compare(0, s.size(), s) == 0 &&
                                  fullPath[s.size()] == '|'))
                return true;
        return false;
    };

    // Transform node -> its entry, for the parent links.
    std::vector<std::pair<MObject, int>> entryOf;
    auto findEntry = [&](const MObject& node) {
        for (auto it = entryOf.rbegin(); it != entryOf.rend(); ++it)
            if (it->first == node) return it->second;
        return -1;
    };

    MStatus st;
    for (MItDag it(MItDag::kDepthFirst, MFn::kTransform, &st); st && !it.isDone(); it.next()) {
        MObject node = it.item();
        MFnDagNode fn(node);
        if (settings_.walkMode == WalkMode::SelectedSubtrees && !inSelection(fn.fullPathName().str())) continue;

        MObject meshChild;
        bool transformChildren = false;
        for (unsigned c = 0; c < fn.childCount(); ++c) {
            MObject child = fn.child(c);
            if (child.hasFn(MFn::kTransform)) {
                transformChildren = true;
            } else if (child.hasFn(MFn::kMesh) && meshChild.isNull() && pathVisible(child)) {
                meshChild = child;
            }
        }
        const bool joint = node.hasFn(MFn::kJoint);
        if (!joint && meshChild.isNull() && !transformChildren) continue;

        ShapeEntry entry;
        entry.name = shortName(node);
        entry.transform = node;
        MObject parentNode = firstParent(node);
        if (!parentNode.isNull()) {
            entry.parent = findEntry(parentNode);
            if (entry.parent >= 0) {
                entry.parentName = shortName(parentNode);
                entry.hasParentName = true;
            }
        }
        float m[4][4];
        fn.transformationMatrix().get(m);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) entry.localMatrix[4 * r + c] = m[r][c];

        if (!joint && !meshChild.isNull()) {
            entry.shape = meshChild;
            if (!fillMesh(entry, meshChild)) continue;
        } else {
            entry.isGroup = true;
        }
        entryOf.emplace_back(node, static_cast<int>(shapes_.size()));
        shapes_.push_back(std::move(entry));
    }
}

void SceneExtraction::setFrame(int frame) {
    if (frame < record_.startFrame || frame > record_.endFrame) return;
    record_.currentFrame = frame;
    MGlobal::viewFrame(static_cast<double>(frame));
}

void SceneExtraction::release() {
    shapes_.clear();
    materials_.clear();
    record_.textureSearchPath.clear();
}

const ShapeEntry* SceneExtraction::shape(int index) const {
    return index >= 0 && index < shapeCount() ? &shapes_[static_cast<size_t>(index)] : nullptr;
}

int SceneExtraction::parentIndex(int index) const {
    const ShapeEntry* s = shape(index);
    if (!s || !settings_.parentLinks) return -1;
    return s->parent;
}

const std::string* SceneExtraction::parentName(int index) const {
    const ShapeEntry* s = shape(index);
    if (!s || !settings_.parentLinks || !s->hasParentName) return nullptr;
    return &s->parentName;
}

int SceneExtraction::groupCount(int index) const {
    const ShapeEntry* s = shape(index);
    return s ? static_cast<int>(s->groups.size()) : 0;
}

const std::string* SceneExtraction::materialName(int index) const {
    return index >= 0 && index < materialCount() ? &materials_[static_cast<size_t>(index)] : nullptr;
}

int SceneExtraction::polygonCount(const std::vector<int>& indexList) {
    int n = 0;
    for (int i : indexList)
        if (i == -1) ++n;
    return n;
}

}  // namespace vl2
