#include <maya/MFnNurbsSurface.h>
#include <maya/MFnNurbsSurfaceData.h>

#include "api/nurbs/nurbs_access.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace host;
using namespace host::api::nurbsapi;
using scene::NurbsSurfaceData;
using scene::nurbs::Cv;
using scene::nurbs::SurfaceGeom;

const MTesselationParams MTesselationParams::fsDefaultTesselationParams;

namespace {

MStatus setStatus(MStatus* s, MStatus v) {
    if (s) *s = v;
    return v;
}

bool usable(const SurfaceGeom& s) {
    return s.degreeU >= 1 && s.degreeV >= 1 && s.numCVsU >= s.degreeU + 1 && s.numCVsV >= s.degreeV + 1 &&
           static_cast<int>(s.knotsU.size()) == s.numCVsU + s.degreeU - 1 &&
           static_cast<int>(s.knotsV.size()) == s.numCVsV + s.degreeV - 1 &&
           s.cvs.size() == static_cast<std::size_t>(s.numCVsU) * static_cast<std::size_t>(s.numCVsV);
}

}  // namespace

#define SURFACE_OR_FAIL(ret)                                                     \
    auto geom_ = surfaceData();                                                  \
    if (!geom_ || !usable(geom_->surface)) {                                     \
        setStatus(status, MStatus::kInvalidParameter);                           \
        return ret;                                                              \
    }                                                                            \
    const SurfaceGeom& s = geom_->surface;                                       \
    (void)s;                                                                     \
    setStatus(status, MStatus::kSuccess)

MFnNurbsSurface::MFnNurbsSurface(const MObject& object, MStatus* status) { setStatus(status, setObject(object)); }
MFnNurbsSurface::MFnNurbsSurface(const MDagPath& path, MStatus* status) { setStatus(status, setObject(path)); }

MStatus MFnNurbsSurface::setObject(const MObject& object) {
    obj_ = MObject();
    data_ = MObject();
    path_ = MDagPath();
    if (std::dynamic_pointer_cast<NurbsSurfaceData>(object.object())) {
        obj_ = data_ = object;
        return MStatus::kSuccess;
    }
    if (!shapeNode(object, MFn::kNurbsSurface)) return MStatus::kInvalidParameter;
    obj_ = object;
    MDagPath::getAPathTo(object, path_);
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::setObject(const MDagPath& path) {
    obj_ = MObject();
    data_ = MObject();
    path_ = MDagPath();
    MDagPath p;
    MStatus st = shapePath(path, MFn::kNurbsSurface, p);
    if (st.error()) return st;
    obj_ = p.node();
    path_ = p;
    return MStatus::kSuccess;
}

std::shared_ptr<NurbsSurfaceData> MFnNurbsSurface::surfaceData() const {
    if (auto d = std::dynamic_pointer_cast<NurbsSurfaceData>(data_.object())) return d;
    if (scene::Node* n = shapeNode(obj_, MFn::kNurbsSurface)) return scene::nurbs::shapeSurface(n);
    return nullptr;
}

MObject MFnNurbsSurface::create(const MPointArray& cvs, const MDoubleArray& uKnots, const MDoubleArray& vKnots,
                                unsigned int degreeInU, unsigned int degreeInV, Form formU, Form formV,
                                bool createRational, const MObject& parentOrOwner, MStatus* status) {
    auto data = std::make_shared<NurbsSurfaceData>();
    SurfaceGeom& g = data->surface;
    g.degreeU = static_cast<int>(std::min(degreeInU, 100u));
    g.degreeV = static_cast<int>(std::min(degreeInV, 100u));
    g.formU = formU;
    g.formV = formV;
    g.rational = createRational;
    g.knotsU = uKnots.vec();
    g.knotsV = vKnots.vec();
    g.numCVsU = static_cast<int>(g.knotsU.size()) - g.degreeU + 1;
    g.numCVsV = static_cast<int>(g.knotsV.size()) - g.degreeV + 1;
    for (const MPoint& p : cvs) {
        Cv cv = toCv(p, nullptr);
        if (!createRational) cv[3] = 1.0;
        g.cvs.push_back(cv);
    }
    std::string err;
    if (!g.validate(&err)) {
        std::fprintf(stderr, "// Error: MFnNurbsSurface::create: %s //\n", err.c_str());
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    MObject attach;
    MObject r = placeGeometry(data, parentOrOwner, "nurbsSurface", "nurbsSurface", &attach, status);
    if (!r.isNull()) setObject(attach);
    return r;
}

int MFnNurbsSurface::degreeU(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return s.degreeU;
}
int MFnNurbsSurface::degreeV(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return s.degreeV;
}
MFnNurbsSurface::Form MFnNurbsSurface::formInU(MStatus* status) const {
    SURFACE_OR_FAIL(kInvalid);
    return static_cast<Form>(s.formU);
}
MFnNurbsSurface::Form MFnNurbsSurface::formInV(MStatus* status) const {
    SURFACE_OR_FAIL(kInvalid);
    return static_cast<Form>(s.formV);
}
int MFnNurbsSurface::numCVsInU(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return s.numCVsU;
}
int MFnNurbsSurface::numCVsInV(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return s.numCVsV;
}
int MFnNurbsSurface::numSpansInU(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return s.numSpansU();
}
int MFnNurbsSurface::numSpansInV(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return s.numSpansV();
}
int MFnNurbsSurface::numKnotsInU(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return static_cast<int>(s.knotsU.size());
}
int MFnNurbsSurface::numKnotsInV(MStatus* status) const {
    SURFACE_OR_FAIL(0);
    return static_cast<int>(s.knotsV.size());
}

MStatus MFnNurbsSurface::getCV(unsigned int indexU, unsigned int indexV, MPoint& point, MSpace::Space space) const {
    MStatus* status = nullptr;
    SURFACE_OR_FAIL(MStatus::kInvalidParameter);
    if (indexU >= static_cast<unsigned>(s.numCVsU) || indexV >= static_cast<unsigned>(s.numCVsV))
        return MStatus::kInvalidParameter;
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    point = toPoint(s.cv(static_cast<int>(indexU), static_cast<int>(indexV)), w ? &m : nullptr);
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::getCVs(MPointArray& points, MSpace::Space space) const {
    MStatus* status = nullptr;
    SURFACE_OR_FAIL(MStatus::kInvalidParameter);
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    points.clear();
    for (const Cv& cv : s.cvs) points.append(toPoint(cv, w ? &m : nullptr));
    return MStatus::kSuccess;
}

double MFnNurbsSurface::knotInU(unsigned int index, MStatus* status) const {
    SURFACE_OR_FAIL(0.0);
    if (index >= s.knotsU.size()) {
        setStatus(status, MStatus::kInvalidParameter);
        return 0.0;
    }
    return s.knotsU[index];
}

double MFnNurbsSurface::knotInV(unsigned int index, MStatus* status) const {
    SURFACE_OR_FAIL(0.0);
    if (index >= s.knotsV.size()) {
        setStatus(status, MStatus::kInvalidParameter);
        return 0.0;
    }
    return s.knotsV[index];
}

MStatus MFnNurbsSurface::getKnotsInU(MDoubleArray& knots) const {
    MStatus* status = nullptr;
    SURFACE_OR_FAIL(MStatus::kInvalidParameter);
    knots = MDoubleArray(s.knotsU);
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::getKnotsInV(MDoubleArray& knots) const {
    MStatus* status = nullptr;
    SURFACE_OR_FAIL(MStatus::kInvalidParameter);
    knots = MDoubleArray(s.knotsV);
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::getKnotDomain(double& startU, double& endU, double& startV, double& endV) const {
    MStatus* status = nullptr;
    SURFACE_OR_FAIL(MStatus::kInvalidParameter);
    s.domain(startU, endU, startV, endV);
    return MStatus::kSuccess;
}

MStatus MFnNurbsSurface::getPointAtParam(double u, double v, MPoint& point, MSpace::Space space) const {
    MStatus* status = nullptr;
    SURFACE_OR_FAIL(MStatus::kInvalidParameter);
    if (!s.inDomain(u, v)) return MStatus::kInvalidParameter;
    MMatrix m;
    bool w = worldMatrix(path_, space, m);
    point = toPoint(s.point(u, v), w ? &m : nullptr);
    return MStatus::kSuccess;
}

MVector MFnNurbsSurface::normal(double u, double v, MSpace::Space space, MStatus* status) const {
    SURFACE_OR_FAIL(MVector());
    if (!s.inDomain(u, v)) {
        setStatus(status, MStatus::kInvalidParameter);
        return MVector();
    }
    MVector n = toVector(s.normal(u, v), nullptr);
    MMatrix m;
    if (worldMatrix(path_, space, m)) {
        n = n.transformAsNormal(m);
        double len = n.length();
        if (len > 0) n = n * (1.0 / len);
    }
    return n;
}

MObject MFnNurbsSurface::tesselate(const MTesselationParams& params, const MObject& parentOrOwner,
                                   MStatus* status) {
    SURFACE_OR_FAIL(MObject());
    scene::nurbs::TessGrid grid;
    const double tol = params.fitTolerance() > 0 ? params.fitTolerance() : 0.01;
    switch (params.formatType()) {
    case MTesselationParams::kGeneralFormat: {
        scene::nurbs::TessGrid perSpan =
            scene::nurbs::tessellationGrid(s, std::max(1, params.uNumber()), std::max(1, params.vNumber()), tol);
        scene::nurbs::TessGrid whole = scene::nurbs::uniformGrid(s, params.uNumber(), params.vNumber());
        grid.us = params.uIsoparmType() == MTesselationParams::kSpanEquiSpaced ? perSpan.us : whole.us;
        grid.vs = params.vIsoparmType() == MTesselationParams::kSpanEquiSpaced ? perSpan.vs : whole.vs;
        break;
    }
    case MTesselationParams::kTriangleCountFormat: {
        // Equal cuts per span, as many as bring the triangles near the count.
        double spans = static_cast<double>(s.numSpansU()) * s.numSpansV();
        int per = static_cast<int>(std::lround(std::sqrt(std::max(1, params.triangleCount()) / (2.0 * spans))));
        per = std::clamp(per, 1, 256);
        grid = scene::nurbs::tessellationGrid(s, per, per, tol);
        break;
    }
    case MTesselationParams::kStandardFitFormat:
    case MTesselationParams::kCurvatureBasedFormat:
        grid = scene::nurbs::tessellationGrid(s, 0, 0, tol);
        break;
    default:
        setStatus(status, MStatus::kInvalidParameter);
        return MObject();
    }
    std::string err;
    scene::MeshDataPtr mesh =
        scene::nurbs::tessellate(s, grid, params.outputType() == MTesselationParams::kQuads, &err);
    if (!mesh) {
        std::fprintf(stderr, "// Error: MFnNurbsSurface::tesselate: %s //\n", err.c_str());
        setStatus(status, MStatus::kFailure);
        return MObject();
    }
    // A mesh data owner is filled in place.
    if (auto owner = std::dynamic_pointer_cast<scene::MeshData>(parentOrOwner.object())) {
        owner->mesh = std::move(mesh->mesh);
        return parentOrOwner;
    }
    scene::Scene& sc = scene::scene();
    if (!scene::meshNodeType(sc)) {
        setStatus(status, MStatus::kFailure);
        return MObject();
    }
    scene::Node* parent = nullptr;
    bool madeTransform = false;
    if (!parentOrOwner.isNull()) {
        parent = std::dynamic_pointer_cast<scene::Node>(parentOrOwner.object()).get();
        if (!parent || !parent->alive() || !parent->type->isTransform) {
            setStatus(status, MStatus::kInvalidParameter);
            return MObject();
        }
    } else {
        parent = sc.createNode("transform", "polySurface#", nullptr, &err);
        if (!parent) {
            std::fprintf(stderr, "// Error: MFnNurbsSurface::tesselate: %s //\n", err.c_str());
            setStatus(status, MStatus::kFailure);
            return MObject();
        }
        madeTransform = true;
    }
    scene::Node* shape = sc.createNode("mesh", "polySurfaceShape#", parent, &err);
    if (!shape || scene::setShapeGeometry(shape, mesh, &err).error()) {
        std::fprintf(stderr, "// Error: MFnNurbsSurface::tesselate: %s //\n", err.c_str());
        if (shape) sc.deleteNode(shape);
        if (madeTransform) sc.deleteNode(parent);
        setStatus(status, MStatus::kFailure);
        return MObject();
    }
    return madeTransform ? MObject(sc.ptr(parent)) : MObject(sc.ptr(shape));
}

// ------------------------------------------------------------------ MFnNurbsSurfaceData

MFnNurbsSurfaceData::MFnNurbsSurfaceData(const MObject& object, MStatus* status) {
    if (std::dynamic_pointer_cast<NurbsSurfaceData>(object.object())) {
        obj_ = object;
        setStatus(status, MStatus::kSuccess);
    } else {
        setStatus(status, MStatus::kInvalidParameter);
    }
}

MObject MFnNurbsSurfaceData::create(MStatus* status) {
    obj_ = MObject(std::make_shared<NurbsSurfaceData>());
    setStatus(status, MStatus::kSuccess);
    return obj_;
}
