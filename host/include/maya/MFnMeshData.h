#pragma once
#include <maya/MFnBase.h>

// Mesh geometry data (what inMesh/outMesh plugs hold); a created data object
// serves as parentOrOwner of MFnMesh::create.
class MFnMeshData : public MFnBase {
public:
    MFnMeshData() = default;
    MFnMeshData(MObject& object, MStatus* status = nullptr);
    MFnMeshData(const MObject& object, MStatus* status = nullptr);
    MFn::Type type() const override { return MFn::kMeshData; }

    MObject create(MStatus* status = nullptr);
};
