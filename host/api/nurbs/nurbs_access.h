#pragma once
// Shared plumbing of the NURBS function sets: the shape behind an MObject or
// MDagPath, spaces, creating shapes for parentOrOwner arguments.
#include "scene/nurbs/nurbs_data.h"

#include <maya/MDagPath.h>
#include <maya/MMatrix.h>
#include <maya/MObject.h>
#include <maya/MPoint.h>
#include <maya/MSpace.h>
#include <maya/MVector.h>

#include <string>

namespace host::api::nurbsapi {

// The shape node of the kind named by o (null for data objects and other nodes).
scene::Node* shapeNode(const MObject& o, MFn::Type kind);
// Resolves a path to a shape of `kind`, extending from a transform to its shape.
MStatus shapePath(const MDagPath& in, MFn::Type kind, MDagPath& out);
// Object-to-world matrix when `space` asks for world and a path is known.
bool worldMatrix(const MDagPath& path, MSpace::Space space, MMatrix& m);

// A CV (x, y, z, weight) as a rational MPoint, placed by m when given.
MPoint toPoint(const scene::nurbs::Cv& c, const MMatrix* m);
// Back to a CV; the point's w is its weight (0 reads as 1).
scene::nurbs::Cv toCv(const MPoint& p, const MMatrix* inverse);
MPoint toPoint(const scene::nurbs::Vec3d& p, const MMatrix* m);
MVector toVector(const scene::nurbs::Vec3d& v, const MMatrix* m);

// Puts new geometry where a create() call's parentOrOwner says: into a data
// object of the matching kind, under a transform, or under a new transform
// named baseName#. Returns the object create() returns; *shapeOut the shape
// (or data) the function set then attaches to.
MObject placeGeometry(scene::DataPtr data, const MObject& parentOrOwner, const char* shapeType,
                      const char* baseName, MObject* attachTo, MStatus* status);

}  // namespace host::api::nurbsapi
