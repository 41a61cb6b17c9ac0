#pragma once
// Attach logic shared by the mesh iterators.
#include "api/mesh/mesh_access.h"

namespace host::api::meshapi {

inline MStatus setStatus(MStatus* s, MStatus v) {
    if (s) *s = v;
    return v;
}

// Finds the geometry for an iterator from an object or a path, and its walk order.
inline MStatus attachIterator(const MObject& obj, const MDagPath* path, const MObject& component, MFn::Type kind,
                              MeshDataPtr& data, MDagPath& outPath, bool& hasPath, std::vector<int>& order,
                              int (*countOf)(const scene::Mesh&)) {
    data.reset();
    order.clear();
    hasPath = false;
    if (path) {
        MDagPath p;
        MStatus st = meshPath(*path, p);
        if (st.error()) return st;
        outPath = p;
        hasPath = true;
        data = geometryOf(p.node());
    } else {
        data = geometryOf(obj);
        if (shapeNode(obj) && MDagPath::getAPathTo(obj, outPath) == MStatus::kSuccess) hasPath = true;
    }
    if (!data) return MStatus::kInvalidParameter;
    MStatus st = walkOrder(component, kind, countOf(data->mesh), order);
    if (st.error()) data.reset();
    return st;
}

}  // namespace host::api::meshapi
