#include "WireframeMesh.h"

#include "SceneExtraction.h"

#include <runlog/RunLog.h>

#include <maya/MDagPath.h>
#include <maya/MItMeshEdge.h>
#include <maya/MPoint.h>

namespace vl2 {

bool wireframeVertices(const SceneExtraction& scene, int shape, SimpleMerge& out) {
    const ShapeEntry* entry = scene.shape(shape);
    if (!entry || entry->shape.isNull()) return false;
    MDagPath path;
    if (!MDagPath::getAPathTo(entry->shape, path)) return false;
    MStatus st;
    MItMeshEdge it(path, MObject::kNullObj, &st);
    if (!st) return false;
    int all = 0, hard = 0;
    for (; !it.isDone(); it.next()) {
        ++all;
        if (it.isSmooth()) continue;
        ++hard;
        for (int end = 0; end < 2; ++end) {
            const MPoint p = it.point(end, MSpace::kWorld);
            SimpleVertex v;
            v.position[0] = float(p.x);
            v.position[1] = float(p.y);
            v.position[2] = float(p.z);
            // Lines carry no shading: normal and uv stay zero (w = 1).
            out.vertices.push_back(v);
        }
    }
    logMessage(0, "Exporting a wireframe %d/%d edges\n", hard, all);
    return true;
}

bool writeWireframeMesh(ChunkWriter& out, const OutputMesh& mesh, const SceneExtraction& scene) {
    if (mesh.shapes.size() != 1) {
        logMessage(2, "unable to generate wireframe mesh from %s.  mesh contains too many shapes.\n", mesh.name.c_str());
        return false;
    }
    logMessage(0, "generating wireframe mesh %s ...\n", mesh.name.c_str());
    SimpleMerge lines;
    if (!wireframeVertices(scene, mesh.shapes[0], lines)) return false;
    return writeSimpleChunk(out, "", lines);
}

}  // namespace vl2
