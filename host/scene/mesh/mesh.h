#pragma once
// Polygon mesh geometry as the host keeps it: vertices, faces as edge loops,
// explicit edges with a smooth flag, face-vertex normals (computed or locked),
// named UV and colour sets with per-face-vertex indices.
//
// Faces are stored twice over on purpose: as vertex lists (what the API hands
// out) and as signed edge references (what scene files store: ~e means edge e
// walked from its second vertex to its first). Both are kept consistent by
// every builder below.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace host::scene {

namespace meshgeom {

struct Vec3 {
    double x = 0, y = 0, z = 0;
    Vec3() = default;
    Vec3(double a, double b, double c) : x(a), y(b), z(c) {}
    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    Vec3& operator+=(const Vec3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    double dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec3 cross(const Vec3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    double length() const;
    Vec3 normal() const;  // unit vector, or zero for a zero vector
};

// Vertex positions are single precision, as the host stores them.
struct Vec3f {
    float x = 0, y = 0, z = 0;
    Vec3f() = default;
    Vec3f(float a, float b, float c) : x(a), y(b), z(c) {}
    explicit Vec3f(const Vec3& v) : x(float(v.x)), y(float(v.y)), z(float(v.z)) {}
    Vec3 d() const { return {x, y, z}; }
    bool operator==(const Vec3f& o) const { return x == o.x && y == o.y && z == o.z; }
};

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

}  // namespace meshgeom

struct MeshEdge {
    int v0 = 0, v1 = 0;
    bool smooth = false;
};

struct MeshUVSet {
    std::string name;
    std::vector<float> u, v;
    std::vector<int> fvIds;  // per face-vertex; -1 where the face has no UVs
};

struct MeshColorSet {
    std::string name;
    std::vector<meshgeom::Rgba> colors;
    std::vector<int> fvIds;  // per face-vertex; -1 where no colour is assigned
    int representation = 4;  // 1 alpha, 3 RGB, 4 RGBA (the host's numbering)
};

// Named component groups stored with the geometry (the host's component tags).
struct MeshComponentTag {
    std::string name;
    int componentKind = 0;  // 1 vertices, 2 edges, 3 faces
    std::vector<int> indices;
};

// How smooth vertex normals weight the faces around a vertex. The values are
// those of the host's "vertexNormalMethod" attribute.
enum class VertexNormalMethod {
    kUnweighted = 0,
    kAngleWeighted = 1,
    kAreaWeighted = 2,
    kAngleAndAreaWeighted = 3,
};

// Result of a closest-point query.
struct MeshHit {
    meshgeom::Vec3 point;
    int face = -1;
    int triangle = -1;        // within the face's triangulation
    int corners[3] = {0, 0, 0};  // face-vertex (global) indices of that triangle
    double bary[3] = {0, 0, 0};
    double distance = 0;
};

class Mesh {
public:
    using Vec3 = meshgeom::Vec3;
    using Vec3f = meshgeom::Vec3f;
    using Rgba = meshgeom::Rgba;

    Mesh();

    // --- Building -----------------------------------------------------------
    // Whole-mesh creation from vertex lists (creation commands and MFnMesh::create).
    // Edges are derived in order of first use; `smoothEdges` sets their flag.
    // On failure the mesh is left unchanged and `err` says why.
    bool create(const std::vector<Vec3f>& points, const std::vector<int>& counts,
                const std::vector<int>& connects, bool smoothEdges, std::string* err = nullptr);

    // Incremental filling in the order scene files store it: points, edges,
    // then faces as signed edge references.
    void clear();  // empty geometry with the default UV set "map1"
    void setPointList(std::vector<Vec3f> points);
    bool setEdgeList(std::vector<MeshEdge> edges, std::string* err = nullptr);
    bool addFaceFromEdges(const std::vector<int>& edgeRefs, std::string* err = nullptr);
    // Appends a face by vertex ids, adding edges that do not exist yet.
    bool addFaceFromVertices(const std::vector<int>& verts, bool smoothNewEdges, std::string* err = nullptr);

    // --- Points ---------------------------------------------------------------
    int numVertices() const { return int(points_.size()); }
    const std::vector<Vec3f>& points() const { return points_; }
    bool setPoint(int v, const Vec3f& p);
    void setPoints(const std::vector<Vec3f>& pts);  // keeps topology; size must match or it is truncated/extended
    // Boundaries of the points; false for an empty mesh.
    bool bounds(Vec3& lo, Vec3& hi) const;

    // --- Faces ----------------------------------------------------------------
    int numFaces() const { return int(counts_.size()); }
    int numFaceVertices() const { return int(fvVerts_.size()); }
    int faceCount(int f) const { return counts_[f]; }
    int faceOffset(int f) const { return offsets_[f]; }  // first face-vertex of face f
    int faceVertex(int f, int i) const { return fvVerts_[offsets_[f] + i]; }
    int faceEdgeRef(int f, int i) const { return fvEdges_[offsets_[f] + i]; }  // edge from corner i to i+1
    int faceEdge(int f, int i) const { int r = faceEdgeRef(f, i); return r < 0 ? ~r : r; }
    const std::vector<int>& counts() const { return counts_; }
    const std::vector<int>& faceVertexList() const { return fvVerts_; }
    // Face-vertex index of vertex v in face f, or -1.
    int findCorner(int f, int v) const;
    bool validFace(int f) const { return f >= 0 && f < numFaces(); }

    // --- Edges ----------------------------------------------------------------
    int numEdges() const { return int(edges_.size()); }
    const MeshEdge& edge(int e) const { return edges_[e]; }
    const std::vector<MeshEdge>& edges() const { return edges_; }
    bool setEdgeSmooth(int e, bool smooth);
    const std::vector<int>& edgeFaces(int e) const;     // faces using edge e, in face order
    const std::vector<int>& vertexFaces(int v) const;   // faces around vertex v, in face order
    const std::vector<int>& vertexEdges(int v) const;   // edges at vertex v, in edge order
    int findEdge(int a, int b) const;                   // -1 when there is none
    bool onBoundaryEdge(int e) const { return edgeFaces(e).size() < 2; }

    // --- Geometry of faces ----------------------------------------------------
    Vec3 faceNormal(int f) const;        // unit Newell normal (zero for degenerate faces)
    double faceArea(int f) const;        // area of the (possibly non-planar) polygon
    Vec3 faceCenter(int f) const;        // average of the corner points
    double area() const;
    // Triangulation of a face in its own plane (ear clipping; fan as fall-back);
    // triangles hold local corner numbers 0..count-1.
    const std::vector<int>& faceTriangles(int f) const;
    int faceTriangleCount(int f) const { return int(faceTriangles(f).size() / 3); }

    // --- Normals --------------------------------------------------------------
    // The shared normal array and one id per face-vertex into it. Unlocked
    // corners share one normal per smooth fan (faces around a vertex joined by
    // smooth edges); a corner behind hard edges only gets its face's normal.
    int numNormals() const;
    const std::vector<Vec3f>& normals() const;
    int normalId(int fv) const;
    Vec3 faceVertexNormal(int fv) const { return normals()[normalId(fv)].d(); }
    void setFaceVertexNormal(int fv, const Vec3& n);  // locks it
    void unlockFaceVertexNormal(int fv);
    bool isNormalLocked(int fv) const { return locked_[fv] != 0; }
    // Scene files store every face-vertex normal; components of 1e20 or more mean "not set".
    bool setStoredNormals(const std::vector<Vec3>& perFaceVertex, std::string* err = nullptr);
    // Average of the normals at the vertex's corners.
    Vec3 vertexNormal(int v, bool angleWeighted) const;
    VertexNormalMethod normalMethod() const { return method_; }
    void setNormalMethod(VertexNormalMethod m) { method_ = m; invalidateNormals(); }

    // --- UV sets ----------------------------------------------------------------
    int numUVSets() const { return int(uvSets_.size()); }
    const MeshUVSet& uvSet(int s) const { return uvSets_[s]; }
    int findUVSet(const std::string& name) const;  // -1 when absent
    int createUVSet(const std::string& name);      // index; existing index when the name is taken
    bool renameUVSet(int s, const std::string& name);
    bool deleteUVSet(int s);
    int currentUVSet() const { return currentUV_; }
    bool setCurrentUVSet(int s);
    bool setUVs(int s, const std::vector<float>& u, const std::vector<float>& v);
    // Assigns one UV id per corner of face f (ids must be valid in set s).
    bool setFaceUVIds(int s, int f, const std::vector<int>& ids, std::string* err = nullptr);
    // All faces at once: `counts` per face (0 = no UVs for that face), ids in order.
    bool assignUVs(int s, const std::vector<int>& counts, const std::vector<int>& ids, std::string* err = nullptr);
    // One corner at a time (a face counts as mapped once all its corners are).
    bool setCornerUV(int s, int fv, int id);
    bool faceHasUVs(int s, int f) const;
    int uvId(int s, int fv) const { return uvSets_[s].fvIds[fv]; }

    // --- Colour sets ------------------------------------------------------------
    int numColorSets() const { return int(colorSets_.size()); }
    const MeshColorSet& colorSet(int s) const { return colorSets_[s]; }
    int findColorSet(const std::string& name) const;
    int createColorSet(const std::string& name);
    bool deleteColorSet(int s);
    bool renameColorSet(int s, const std::string& name);  // false when taken or empty
    bool setColorRepresentation(int s, int representation);  // 1, 3 or 4
    int currentColorSet() const { return currentColor_; }  // -1 without colour sets
    bool setCurrentColorSet(int s);
    bool setColors(int s, const std::vector<Rgba>& colors);
    bool setFaceColorIds(int s, int f, const std::vector<int>& ids, std::string* err = nullptr);
    int colorId(int s, int fv) const { return colorSets_[s].fvIds[fv]; }
    // Appends a colour and assigns it to one corner / to every corner of a vertex.
    bool setFaceVertexColor(int s, int fv, const Rgba& c);
    bool setVertexColor(int s, int v, const Rgba& c);

    // --- Component tags -----------------------------------------------------------
    std::vector<MeshComponentTag>& componentTags() { return tags_; }
    const std::vector<MeshComponentTag>& componentTags() const { return tags_; }

    // --- Queries --------------------------------------------------------------------
    // Closest point on the surface; false for a mesh without faces.
    bool closestPoint(const Vec3& p, MeshHit& hit) const;
    // Interpolated shading normal at a hit.
    Vec3 normalAtHit(const MeshHit& hit) const;
    // UV at a hit through set s; false when the face has no UVs.
    bool uvAtHit(int s, const MeshHit& hit, float& u, float& v) const;

    // Internal consistency (sizes and index ranges); used after file loading.
    bool validate(std::string* err = nullptr) const;

private:
    void resetFaceData();
    void appendFaceVertexSlots(int n);
    void invalidateTopology();
    void invalidateNormals() { normalsValid_ = false; trianglesValid_ = false; }
    void buildAdjacency() const;
    void buildNormals() const;
    void buildTriangles() const;
    int edgeKey(int a, int b) const;

    std::vector<Vec3f> points_;
    std::vector<int> counts_, offsets_{0}, fvVerts_, fvEdges_;
    std::vector<MeshEdge> edges_;
    std::vector<Vec3f> lockedNormals_;
    std::vector<uint8_t> locked_;
    std::vector<MeshUVSet> uvSets_;
    int currentUV_ = 0;
    std::vector<MeshColorSet> colorSets_;
    int currentColor_ = -1;
    std::vector<MeshComponentTag> tags_;
    VertexNormalMethod method_ = VertexNormalMethod::kAngleAndAreaWeighted;

    // Derived data, rebuilt on demand.
    mutable bool adjacencyValid_ = false;
    mutable std::vector<std::vector<int>> edgeFaces_, vertexFaces_, vertexEdges_;
    mutable std::map<std::pair<int, int>, int> edgeIndex_;
    mutable bool normalsValid_ = false;
    mutable std::vector<Vec3f> normals_;
    mutable std::vector<int> normalIds_;
    mutable bool trianglesValid_ = false;
    mutable std::vector<std::vector<int>> triangles_;
};

}  // namespace host::scene
