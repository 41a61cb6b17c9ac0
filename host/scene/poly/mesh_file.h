#pragma once
// Mesh geometry in the form scene files store it on mesh shapes: points
// (.vt), edges with their smooth flag (.ed), faces as signed edge loops with
// their UV and colour ids (.fc, "polyFaces" data), UV sets (.uvst), colour
// sets (.clst), face-vertex normals (.n, 1e20 = not set) and vertex tweaks
// (.pt). Reading goes through setAttr into those attributes; the shape turns
// them into its Mesh when it is evaluated. Writing produces the same
// statements from a Mesh.
#include "scene/core/scene.h"
#include "scene/mesh/mesh.h"

#include <string>
#include <vector>

namespace host::scene {

// One face of "polyFaces" data: "f n e0 e1 ..." (edge ids, ~e = -e-1 walks
// edge e backwards), "h n ..." hole loops, "mu set n ids" and
// "mc set n ids" per UV / colour set.
struct PolyFace {
    std::vector<int> edges;
    std::vector<std::vector<int>> holes;
    std::vector<std::pair<int, std::vector<int>>> uvs;
    std::vector<std::pair<int, std::vector<int>>> colors;
};

// The value of one element of a mesh's .fc attribute.
struct PolyFacesData : TypedData {
    std::vector<PolyFace> faces;
    MFn::Type apiType() const override { return MFn::kData; }
    std::string typeName() const override { return "polyFaces"; }
    DataPtr clone() const override { return std::make_shared<PolyFacesData>(*this); }
};

// Reads the faces of one .fc element from words[pos...]: one "f" record
// with its sections, stopping at the next "f" or the end. When `edgeCount`
// is not negative, edge ids must be below it. False with *error on bad data.
bool parsePolyFaces(const std::vector<std::string>& words, std::size_t& pos, int edgeCount, PolyFacesData& out,
                    std::string* error);
// The words of one face record, as parsePolyFaces reads them.
void formatPolyFace(const PolyFace& f, std::vector<std::string>& words);

// True when the shape holds file geometry attributes (.vt .ed .fc .n,
// UV or colour set points) that are not yet part of its mesh.
bool hasFileGeometry(const Node& shape);
// Builds the mesh the shape's file attributes describe, on top of `base`
// (the shape's current mesh, or null): points overlay base points by index;
// .ed/.fc replace the topology when given. False with *error when the data
// disagree (missing edges, sizes that do not match).
bool buildFileGeometry(const Node& shape, const Mesh* base, Mesh& out, std::string* error);
// Forgets the file geometry attributes once they are part of the mesh.
void clearFileGeometry(Node& shape);

// Vertex tweaks stored on the shape (.pt), by vertex index; empty when none.
std::vector<std::pair<int, meshgeom::Vec3f>> shapeTweaks(const Node& shape);
void clearShapeTweaks(Node& shape);

// The setAttr statements (tab-indented, ';'-terminated) that rebuild `m` on
// a mesh shape: UV sets, colour sets, points, edges, normals when any is
// locked, faces.
std::vector<std::string> meshSetAttrStatements(const Mesh& m);
// Shortest text of a float that reads back to the same value.
std::string floatText(float v);

// Registers the "polyFaces" data parser and formatter and the mesh save hook.
void registerMeshFileFormat();

}  // namespace host::scene
