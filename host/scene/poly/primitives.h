#pragma once
// The polygon primitives of the creation nodes, laid out as the host lays
// them out: vertex, edge and face order, UVs in "map1", edge smoothing.
#include "scene/mesh/mesh.h"

#include <string>

namespace host::scene::primitives {

struct CubeParams {
    double width = 1, height = 1, depth = 1;
    int subdivX = 1, subdivY = 1, subdivZ = 1;
};
struct PlaneParams {
    double width = 1, height = 1;
    int subdivX = 10, subdivY = 10;
};
struct SphereParams {
    double radius = 1;
    int subdivAxis = 20, subdivHeight = 20;
};
struct CylinderParams {
    double radius = 1, height = 2;
    int subdivAxis = 20, subdivHeight = 1, subdivCaps = 0;
};

// Upper bound on a primitive's face count, so a hostile subdivision count
// fails instead of exhausting memory.
constexpr long kMaxFaces = 4000000;

// False with *error when a size or subdivision is out of range. `axis` is
// the primitive's up direction (the host's default is +Y).
bool makeCube(const CubeParams& p, const meshgeom::Vec3& axis, bool uvs, Mesh& out, std::string* error);
bool makePlane(const PlaneParams& p, const meshgeom::Vec3& axis, bool uvs, Mesh& out, std::string* error);
bool makeSphere(const SphereParams& p, const meshgeom::Vec3& axis, bool uvs, Mesh& out, std::string* error);
bool makeCylinder(const CylinderParams& p, const meshgeom::Vec3& axis, bool uvs, Mesh& out, std::string* error);

}  // namespace host::scene::primitives
