#include "MeshDispatch.h"

#include "MeshWriters.h"
#include "SimpleMesh.h"
#include "WireframeMesh.h"

#include <runlog/RunLog.h>

namespace vl2 {

bool writeMeshForFormat(ChunkWriter* out, const OutputMesh& mesh, const MeshDispatchSettings& settings) {
    MeshWriteSettings write;
    write.mergeVertices = settings.mergeVertices;
    write.strips = settings.strips;
    write.normalMapping = settings.normalMapping;
    write.materials = settings.materials;
    write.tangents = settings.tangents;
    switch (settings.format) {
    case kFormatProgressive:
        if (mesh.levels.empty()) return false;
        logMessage(0, "generating progressive mesh %s ...\n", mesh.name.c_str());
        // Progressive meshes are not built by this exporter yet.
        logMessage(2, "Unable to generate progressive mesh for object %s\n", mesh.name.c_str());
        return false;
    case kFormatSimple:
        return out && writeSimpleMesh(*out, mesh, settings.sceneDiagonal);
    case kFormatWireframe:
        return out && settings.scene && writeWireframeMesh(*out, mesh, *settings.scene);
    case kFormatMulti:
        return out && writeMultiMesh(*out, mesh, write);
    case kFormatBasic:
        return out && writeBasicMesh(*out, mesh, write);
    default:
        logMessage(2, "unknown meshformat '%d'\n", int(settings.format));
        return false;
    }
}

}  // namespace vl2
