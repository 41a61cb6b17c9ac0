#pragma once
// Shared plumbing of the mesh function set and iterators: finding the
// geometry behind an MObject or MDagPath, spaces, conversions.
#include "scene/mesh/mesh_data.h"

#include <maya/MColor.h>
#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MSpace.h>
#include <maya/MString.h>
#include <maya/MVector.h>

#include <vector>

namespace host::api::meshapi {

using scene::Mesh;
using scene::MeshDataPtr;

// The mesh shape node named by o (null for data objects and other nodes).
scene::Node* shapeNode(const MObject& o);
// Geometry of a mesh shape node or mesh data object; null otherwise.
MeshDataPtr geometryOf(const MObject& o);
// Resolves a path to a mesh shape (extending from a transform to its one
// mesh shape); fails when there is none.
MStatus meshPath(const MDagPath& in, MDagPath& out);

// Object-to-world matrix when `space` asks for world and a path is known.
bool worldMatrix(const MDagPath* path, MSpace::Space space, MMatrix& m);

MPoint toPoint(const scene::meshgeom::Vec3f& p);
MPoint toPoint(const scene::meshgeom::Vec3& p);
scene::meshgeom::Vec3 toVec(const MPoint& p);
MVector toVector(const scene::meshgeom::Vec3& v);
MVector toVector(const scene::meshgeom::Vec3f& v);
MColor toColor(const scene::meshgeom::Rgba& c);
scene::meshgeom::Rgba toRgba(const MColor& c);

// Point of the mesh in the requested space.
MPoint pointIn(const Mesh& m, int v, const MDagPath* path, MSpace::Space space);
MVector normalIn(const MVector& n, const MDagPath* path, MSpace::Space space);

// UV or colour set named by `name` (null: the current one); -1 when absent.
int uvSetIndex(const Mesh& m, const MString* name);
int colorSetIndex(const Mesh& m, const MString* name);

// Component restriction: indices of `kind` that `component` lists, or all of
// them when it is null. Fails when the component is of another kind.
MStatus walkOrder(const MObject& component, MFn::Type kind, int count, std::vector<int>& out);

// A new single-indexed component object.
MObject makeComponent(MFn::Type kind, const std::vector<int>& elements);

}  // namespace host::api::meshapi
