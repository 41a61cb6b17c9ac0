#pragma once
// Mesh geometry as a scene value, mesh shape nodes' geometry, and the
// single-indexed components that name parts of a mesh.
#include "scene/core/scene.h"
#include "scene/mesh/mesh.h"

#include <memory>
#include <string>
#include <vector>

namespace host::scene {

// The "mesh" data type: what inMesh/outMesh plugs and the shape's stored
// geometry hold. Registered with registerDataType at load time.
struct MeshData : TypedData {
    Mesh mesh;
    MFn::Type apiType() const override { return MFn::kMeshData; }
    bool hasFn(MFn::Type t) const override {
        return t == MFn::kMeshData || t == MFn::kGeometryData || t == MFn::kMeshGeom || TypedData::hasFn(t);
    }
    std::string typeName() const override { return "mesh"; }
    DataPtr clone() const override { return std::make_shared<MeshData>(*this); }
};
using MeshDataPtr = std::shared_ptr<MeshData>;

// A list of element indices of one kind (vertices, edges, faces). `complete`
// stands for all `completeCount` elements without listing them.
struct SingleIndexedComponent : Object {
    MFn::Type kind = MFn::kSingleIndexedComponent;
    std::vector<int> elements;  // order of addition, no duplicates
    bool complete = false;
    int completeCount = 0;

    MFn::Type apiType() const override { return kind; }
    bool hasFn(MFn::Type t) const override;
    void add(int e);
    // The indices a walk over `count` elements visits, in order; out-of-range ones are dropped.
    std::vector<int> resolve(int count) const;
    // Text as scene files and selection lists write it: "f[0:3]", "vtx[5]" ...
    std::vector<std::string> toStrings() const;
};
using ComponentPtr = std::shared_ptr<SingleIndexedComponent>;

// "f" for polygon components, "vtx" for vertices, "e" for edges; "" otherwise.
const char* componentPrefix(MFn::Type kind);
// Builds a component from strings such as "f[0:5]", "vtx[*]" (all of `count`);
// null when no item names that kind.
ComponentPtr componentFromStrings(MFn::Type kind, const std::vector<std::string>& items, int count);

// ------------------------------------------------------------ mesh shapes

// The "mesh" node type (registered on first use when the scene lacks it).
NodeType* meshNodeType(Scene& s);
bool isMeshShape(const Node* n);

// The geometry a mesh shape shows: its own (inMesh's stored value when
// unconnected, cachedInMesh edits when connected), else what the connected
// inMesh delivers; null when it has neither.
MeshDataPtr shapeGeometry(Node* shape);
// Geometry to edit in place: the shape's own, created (from the upstream
// input when connected, else empty) on first use. Null when `shape` is not a mesh.
MeshDataPtr editableShapeGeometry(Node* shape);
// Replaces the shape's own geometry (the mesh data is stored, not copied).
MStatus setShapeGeometry(Node* shape, MeshDataPtr data, std::string* error = nullptr);
// Call after editing the Mesh of editableShapeGeometry so dependants re-evaluate.
void geometryChanged(Node* shape);

}  // namespace host::scene
