#pragma once
// NURBS geometry as scene values ("nurbsCurve" and "nurbsSurface" data), the
// curve and surface shapes' geometry, the scene-file words of both data
// kinds, tessellation into mesh data, and the registration of the NURBS node
// behaviour and commands.
#include "scene/core/scene.h"
#include "scene/mesh/mesh_data.h"
#include "scene/nurbs/nurbs_geom.h"

#include <memory>
#include <string>
#include <vector>

namespace host::mel {
class Interpreter;
}

namespace host::scene {

struct NurbsCurveData : TypedData {
    nurbs::CurveGeom curve;
    MFn::Type apiType() const override { return MFn::kNurbsCurveData; }
    bool hasFn(MFn::Type t) const override { return t == MFn::kGeometryData || TypedData::hasFn(t); }
    std::string typeName() const override { return "nurbsCurve"; }
    DataPtr clone() const override { return std::make_shared<NurbsCurveData>(*this); }
};
using NurbsCurveDataPtr = std::shared_ptr<NurbsCurveData>;

struct NurbsSurfaceData : TypedData {
    nurbs::SurfaceGeom surface;
    MFn::Type apiType() const override { return MFn::kNurbsSurfaceData; }
    bool hasFn(MFn::Type t) const override { return t == MFn::kGeometryData || TypedData::hasFn(t); }
    std::string typeName() const override { return "nurbsSurface"; }
    DataPtr clone() const override { return std::make_shared<NurbsSurfaceData>(*this); }
};
using NurbsSurfaceDataPtr = std::shared_ptr<NurbsSurfaceData>;

namespace nurbs {

bool isCurveShape(const Node* n);
bool isSurfaceShape(const Node* n);

// Object-space geometry of a shape (its "local" output); null when the shape
// has none or holds data it could not read. Values are shared: do not edit.
NurbsCurveDataPtr shapeCurve(Node* shape);
NurbsSurfaceDataPtr shapeSurface(Node* shape);
// World-space geometry of instance `instance` ("worldSpace[i]").
NurbsCurveDataPtr shapeCurveWorld(Node* shape, unsigned instance = 0);
// Gives a shape its own geometry (stored on "cached", as scene files keep
// shapes without history). Fails on connected or locked plugs.
MStatus setShapeCurve(Node* shape, NurbsCurveDataPtr data, std::string* error = nullptr);
MStatus setShapeSurface(Node* shape, NurbsSurfaceDataPtr data, std::string* error = nullptr);

// The value words of `setAttr -type "nurbsCurve"`: "degree spans form
// rational dimension", knot count, knots, CV count, CVs (dimension
// coordinates, then the weight when rational). Forms are stored as the
// host's numbers less one. Reads from words[pos] and advances pos.
bool parseCurveWords(const std::vector<std::string>& words, std::size_t& pos, CurveGeom& out, std::string* err);
void formatCurveWords(const CurveGeom& c, std::vector<std::string>& words);
// "degreeU degreeV formU formV rational", u knots, v knots, CV count, CVs (v fastest).
bool parseSurfaceWords(const std::vector<std::string>& words, std::size_t& pos, SurfaceGeom& out, std::string* err);
void formatSurfaceWords(const SurfaceGeom& s, std::vector<std::string>& words);

// A polygon mesh of the surface sampled at the grid: points welded where the
// surface closes or collapses (seams, poles), quads or triangles wound so
// their normals follow du x dv, smooth edges, UVs from the normalised
// parameters. Null with *err when the grid is empty.
MeshDataPtr tessellate(const SurfaceGeom& s, const TessGrid& grid, bool quads, std::string* err = nullptr);

// Installs the data kinds' scene-file parsers and formatters, the
// evaluation of curve and surface shapes, subCurve, curveInfo and the
// makeNurbCircle / makeNurbPlane / makeNurbSphere history nodes, and the
// commands curve, circle, nurbsPlane and sphere. Safe to call more than once.
void registerNurbs(host::mel::Interpreter& interp);
// The node behaviour alone (no commands); also called by registerNurbs.
void registerNurbsNodes();

}  // namespace nurbs
}  // namespace host::scene
