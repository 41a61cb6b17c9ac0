#include "scene/mesh/mesh.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace host::scene {

using meshgeom::Rgba;
using meshgeom::Vec3;
using meshgeom::Vec3f;

double Vec3::length() const { return std::sqrt(x * x + y * y + z * z); }
Vec3 Vec3::normal() const {
    double l = length();
    return l > 0 ? Vec3{x / l, y / l, z / l} : Vec3{};
}

namespace {

bool fail(std::string* err, const std::string& msg) {
    if (err) *err = msg;
    return false;
}

// Sets stored normals above this mean "not set", as scene files write them.
constexpr double kUnsetNormal = 1e19;

}  // namespace

Mesh::Mesh() { clear(); }

void Mesh::clear() {
    points_.clear();
    edges_.clear();
    edgeIndex_.clear();
    tags_.clear();
    resetFaceData();
    uvSets_.clear();
    uvSets_.push_back(MeshUVSet{"map1", {}, {}, {}});
    currentUV_ = 0;
    colorSets_.clear();
    currentColor_ = -1;
    invalidateTopology();
}

void Mesh::resetFaceData() {
    counts_.clear();
    offsets_.assign(1, 0);
    fvVerts_.clear();
    fvEdges_.clear();
    lockedNormals_.clear();
    locked_.clear();
    for (auto& s : uvSets_) s.fvIds.clear();
    for (auto& s : colorSets_) s.fvIds.clear();
}

void Mesh::appendFaceVertexSlots(int n) {
    lockedNormals_.resize(lockedNormals_.size() + n);
    locked_.resize(locked_.size() + n, 0);
    for (auto& s : uvSets_) s.fvIds.resize(s.fvIds.size() + n, -1);
    for (auto& s : colorSets_) s.fvIds.resize(s.fvIds.size() + n, -1);
}

void Mesh::invalidateTopology() {
    adjacencyValid_ = false;
    invalidateNormals();
}

int Mesh::edgeKey(int a, int b) const {
    auto it = edgeIndex_.find({std::min(a, b), std::max(a, b)});
    return it == edgeIndex_.end() ? -1 : it->second;
}

int Mesh::findEdge(int a, int b) const { return edgeKey(a, b); }

bool Mesh::create(const std::vector<Vec3f>& points, const std::vector<int>& counts,
                  const std::vector<int>& connects, bool smoothEdges, std::string* err) {
    // Check everything first so that a bad list leaves the mesh as it was.
    size_t total = 0;
    for (size_t f = 0; f < counts.size(); ++f) {
        if (counts[f] < 3)
            return fail(err, "face " + std::to_string(f) + " has " + std::to_string(counts[f]) +
                                 " vertices; at least 3 are needed");
        total += size_t(counts[f]);
        if (total > connects.size())
            return fail(err, "vertex list too short for the face counts (" + std::to_string(connects.size()) +
                                 " entries)");
    }
    if (total != connects.size())
        return fail(err, "vertex list has " + std::to_string(connects.size()) + " entries, the face counts need " +
                             std::to_string(total));
    for (size_t i = 0; i < connects.size(); ++i)
        if (connects[i] < 0 || connects[i] >= int(points.size()))
            return fail(err, "face-vertex " + std::to_string(i) + " references vertex " + std::to_string(connects[i]) +
                                 " of " + std::to_string(points.size()));
    Mesh m;
    m.setPointList(points);
    size_t pos = 0;
    for (size_t f = 0; f < counts.size(); ++f) {
        std::vector<int> verts(connects.begin() + long(pos), connects.begin() + long(pos + size_t(counts[f])));
        pos += size_t(counts[f]);
        std::string e;
        if (!m.addFaceFromVertices(verts, smoothEdges, &e)) return fail(err, "face " + std::to_string(f) + ": " + e);
    }
    m.method_ = method_;
    *this = std::move(m);
    return true;
}

void Mesh::setPointList(std::vector<Vec3f> points) {
    points_ = std::move(points);
    invalidateTopology();
}

bool Mesh::setEdgeList(std::vector<MeshEdge> edges, std::string* err) {
    std::map<std::pair<int, int>, int> index;
    for (size_t e = 0; e < edges.size(); ++e) {
        const MeshEdge& ed = edges[e];
        if (ed.v0 < 0 || ed.v1 < 0 || ed.v0 >= numVertices() || ed.v1 >= numVertices())
            return fail(err, "edge " + std::to_string(e) + " references a missing vertex (" + std::to_string(ed.v0) +
                                 ", " + std::to_string(ed.v1) + ")");
        if (ed.v0 == ed.v1) return fail(err, "edge " + std::to_string(e) + " joins vertex " + std::to_string(ed.v0) + " to itself");
        // Duplicates keep the first index; faces may still reference either.
        index.emplace(std::make_pair(std::min(ed.v0, ed.v1), std::max(ed.v0, ed.v1)), int(e));
    }
    resetFaceData();
    edges_ = std::move(edges);
    edgeIndex_ = std::move(index);
    invalidateTopology();
    return true;
}

bool Mesh::addFaceFromEdges(const std::vector<int>& refs, std::string* err) {
    if (refs.size() < 3) return fail(err, "face with " + std::to_string(refs.size()) + " edges; at least 3 are needed");
    std::vector<int> verts(refs.size());
    for (size_t i = 0; i < refs.size(); ++i) {
        int r = refs[i];
        int e = r < 0 ? ~r : r;
        if (e >= numEdges())
            return fail(err, "face references edge " + std::to_string(e) + " of " + std::to_string(numEdges()));
        verts[i] = r < 0 ? edges_[e].v1 : edges_[e].v0;
    }
    // The loop must close: each edge ends where the next one starts.
    for (size_t i = 0; i < refs.size(); ++i) {
        int r = refs[i];
        int e = r < 0 ? ~r : r;
        int end = r < 0 ? edges_[e].v0 : edges_[e].v1;
        if (end != verts[(i + 1) % refs.size()])
            return fail(err, "face edges do not form a loop at edge " + std::to_string(e));
    }
    counts_.push_back(int(refs.size()));
    offsets_.push_back(offsets_.back() + int(refs.size()));
    fvVerts_.insert(fvVerts_.end(), verts.begin(), verts.end());
    fvEdges_.insert(fvEdges_.end(), refs.begin(), refs.end());
    appendFaceVertexSlots(int(refs.size()));
    invalidateTopology();
    return true;
}

bool Mesh::addFaceFromVertices(const std::vector<int>& verts, bool smoothNewEdges, std::string* err) {
    size_t n = verts.size();
    if (n < 3) return fail(err, "face with " + std::to_string(n) + " vertices; at least 3 are needed");
    for (size_t i = 0; i < n; ++i) {
        if (verts[i] < 0 || verts[i] >= numVertices())
            return fail(err, "face references vertex " + std::to_string(verts[i]) + " of " + std::to_string(numVertices()));
        if (verts[i] == verts[(i + 1) % n])
            return fail(err, "face repeats vertex " + std::to_string(verts[i]) + " on consecutive corners");
    }
    std::vector<int> refs(n);
    for (size_t i = 0; i < n; ++i) {
        int a = verts[i], b = verts[(i + 1) % n];
        int e = edgeKey(a, b);
        if (e < 0) {
            e = int(edges_.size());
            edges_.push_back(MeshEdge{a, b, smoothNewEdges});
            edgeIndex_.emplace(std::make_pair(std::min(a, b), std::max(a, b)), e);
        }
        refs[i] = edges_[e].v0 == a ? e : ~e;
    }
    counts_.push_back(int(n));
    offsets_.push_back(offsets_.back() + int(n));
    fvVerts_.insert(fvVerts_.end(), verts.begin(), verts.end());
    fvEdges_.insert(fvEdges_.end(), refs.begin(), refs.end());
    appendFaceVertexSlots(int(n));
    invalidateTopology();
    return true;
}

// --- Points -----------------------------------------------------------------

bool Mesh::setPoint(int v, const Vec3f& p) {
    if (v < 0 || v >= numVertices()) return false;
    points_[v] = p;
    invalidateNormals();
    return true;
}

void Mesh::setPoints(const std::vector<Vec3f>& pts) {
    size_t n = std::min(pts.size(), points_.size());
    std::copy(pts.begin(), pts.begin() + long(n), points_.begin());
    // New points beyond the old count are unused vertices; keep them.
    for (size_t i = n; i < pts.size(); ++i) points_.push_back(pts[i]);
    invalidateNormals();
}

bool Mesh::bounds(Vec3& lo, Vec3& hi) const {
    if (points_.empty()) return false;
    lo = hi = points_[0].d();
    for (const Vec3f& p : points_) {
        lo.x = std::min(lo.x, double(p.x)); lo.y = std::min(lo.y, double(p.y)); lo.z = std::min(lo.z, double(p.z));
        hi.x = std::max(hi.x, double(p.x)); hi.y = std::max(hi.y, double(p.y)); hi.z = std::max(hi.z, double(p.z));
    }
    return true;
}

int Mesh::findCorner(int f, int v) const {
    if (!validFace(f)) return -1;
    for (int i = 0; i < counts_[f]; ++i)
        if (fvVerts_[offsets_[f] + i] == v) return offsets_[f] + i;
    return -1;
}

// --- Edges and adjacency ------------------------------------------------------

bool Mesh::setEdgeSmooth(int e, bool smooth) {
    if (e < 0 || e >= numEdges()) return false;
    if (edges_[e].smooth != smooth) {
        edges_[e].smooth = smooth;
        invalidateNormals();
    }
    return true;
}

void Mesh::buildAdjacency() const {
    if (adjacencyValid_) return;
    edgeFaces_.assign(edges_.size(), {});
    vertexFaces_.assign(points_.size(), {});
    vertexEdges_.assign(points_.size(), {});
    for (int f = 0; f < numFaces(); ++f) {
        for (int i = 0; i < counts_[f]; ++i) {
            int fv = offsets_[f] + i;
            int e = fvEdges_[fv] < 0 ? ~fvEdges_[fv] : fvEdges_[fv];
            auto& ef = edgeFaces_[e];
            if (ef.empty() || ef.back() != f) ef.push_back(f);
            auto& vf = vertexFaces_[fvVerts_[fv]];
            if (vf.empty() || vf.back() != f) vf.push_back(f);
        }
    }
    for (int e = 0; e < numEdges(); ++e) {
        vertexEdges_[edges_[e].v0].push_back(e);
        vertexEdges_[edges_[e].v1].push_back(e);
    }
    adjacencyValid_ = true;
}

const std::vector<int>& Mesh::edgeFaces(int e) const { buildAdjacency(); return edgeFaces_[e]; }
const std::vector<int>& Mesh::vertexFaces(int v) const { buildAdjacency(); return vertexFaces_[v]; }
const std::vector<int>& Mesh::vertexEdges(int v) const { buildAdjacency(); return vertexEdges_[v]; }

// --- Face geometry ------------------------------------------------------------

namespace {

// Newell's method: robust for non-planar and concave polygons; its length is
// twice the area of a planar polygon.
Vec3 newell(const std::vector<Vec3f>& pts, const int* verts, int n) {
    Vec3 s;
    for (int i = 0; i < n; ++i) {
        Vec3 a = pts[verts[i]].d(), b = pts[verts[(i + 1) % n]].d();
        s.x += (a.y - b.y) * (a.z + b.z);
        s.y += (a.z - b.z) * (a.x + b.x);
        s.z += (a.x - b.x) * (a.y + b.y);
    }
    return s;
}

double cornerAngle(const Vec3& prev, const Vec3& cur, const Vec3& next) {
    Vec3 a = (prev - cur).normal(), b = (next - cur).normal();
    double c = std::max(-1.0, std::min(1.0, a.dot(b)));
    return std::acos(c);
}

}  // namespace

Vec3 Mesh::faceNormal(int f) const {
    return newell(points_, &fvVerts_[offsets_[f]], counts_[f]).normal();
}

double Mesh::faceArea(int f) const {
    // Sum of the triangulation's areas, so non-planar faces measure what is drawn.
    const auto& tri = faceTriangles(f);
    double a = 0;
    for (size_t t = 0; t + 2 < tri.size(); t += 3) {
        Vec3 p0 = points_[faceVertex(f, tri[t])].d(), p1 = points_[faceVertex(f, tri[t + 1])].d(),
             p2 = points_[faceVertex(f, tri[t + 2])].d();
        a += 0.5 * (p1 - p0).cross(p2 - p0).length();
    }
    return a;
}

Vec3 Mesh::faceCenter(int f) const {
    Vec3 c;
    for (int i = 0; i < counts_[f]; ++i) c += points_[faceVertex(f, i)].d();
    return c * (1.0 / counts_[f]);
}

double Mesh::area() const {
    double a = 0;
    for (int f = 0; f < numFaces(); ++f) a += faceArea(f);
    return a;
}

void Mesh::buildTriangles() const {
    if (trianglesValid_) return;
    triangles_.assign(counts_.size(), {});
    for (int f = 0; f < numFaces(); ++f) {
        int n = counts_[f];
        auto& out = triangles_[f];
        if (n == 3) { out = {0, 1, 2}; continue; }
        Vec3 nrm = newell(points_, &fvVerts_[offsets_[f]], n);
        // Project onto the plane that drops the normal's dominant axis, keeping orientation.
        int ax = 2;
        double ab[3] = {std::fabs(nrm.x), std::fabs(nrm.y), std::fabs(nrm.z)};
        if (ab[0] >= ab[1] && ab[0] >= ab[2]) ax = 0; else if (ab[1] >= ab[2]) ax = 1;
        double sign = (ax == 0 ? nrm.x : ax == 1 ? nrm.y : nrm.z) < 0 ? -1.0 : 1.0;
        std::vector<double> px(n), py(n);
        for (int i = 0; i < n; ++i) {
            Vec3 p = points_[faceVertex(f, i)].d();
            if (ax == 0) { px[i] = p.y; py[i] = p.z; }
            else if (ax == 1) { px[i] = p.z; py[i] = p.x; }
            else { px[i] = p.x; py[i] = p.y; }
            py[i] *= sign;
        }
        auto cross2 = [&](int a, int b, int c) {
            return (px[b] - px[a]) * (py[c] - py[a]) - (py[b] - py[a]) * (px[c] - px[a]);
        };
        std::vector<int> ring(n);
        std::iota(ring.begin(), ring.end(), 0);
        bool degenerate = ab[0] + ab[1] + ab[2] == 0;
        while (ring.size() > 3 && !degenerate) {
            int m = int(ring.size());
            int ear = -1;
            for (int k = 0; k < m && ear < 0; ++k) {
                int a = ring[(k + m - 1) % m], b = ring[k], c = ring[(k + 1) % m];
                if (cross2(a, b, c) <= 0) continue;  // reflex or flat corner
                bool inside = false;
                for (int j = 0; j < m && !inside; ++j) {
                    int q = ring[j];
                    if (q == a || q == b || q == c) continue;
                    inside = cross2(a, b, q) >= 0 && cross2(b, c, q) >= 0 && cross2(c, a, q) >= 0;
                }
                if (!inside) ear = k;
            }
            if (ear < 0) break;  // self-intersecting outline: fan the rest
            out.insert(out.end(), {ring[(ear + m - 1) % m], ring[ear], ring[(ear + 1) % m]});
            ring.erase(ring.begin() + ear);
        }
        for (size_t k = 1; k + 1 < ring.size(); ++k) out.insert(out.end(), {ring[0], ring[k], ring[k + 1]});
    }
    trianglesValid_ = true;
}

const std::vector<int>& Mesh::faceTriangles(int f) const {
    buildTriangles();
    return triangles_[f];
}

// --- Normals --------------------------------------------------------------------

void Mesh::buildNormals() const {
    if (normalsValid_) return;
    int nfv = numFaceVertices();
    // Corners at the same vertex join when a smooth edge connects their faces.
    std::vector<int> parent(nfv);
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](int x) {
        while (parent[x] != x) x = parent[x] = parent[parent[x]];
        return x;
    };
    auto unite = [&](int a, int b) {
        a = find(a); b = find(b);
        if (a != b) parent[std::max(a, b)] = std::min(a, b);
    };
    std::vector<int> firstAt0(edges_.size(), -1), firstAt1(edges_.size(), -1);
    for (int f = 0; f < numFaces(); ++f) {
        int n = counts_[f], off = offsets_[f];
        for (int i = 0; i < n; ++i) {
            int r = fvEdges_[off + i];
            int e = r < 0 ? ~r : r;
            if (!edges_[e].smooth) continue;
            int cA = off + i, cB = off + (i + 1) % n;  // corners at the edge's start and end in walk order
            int at0 = r < 0 ? cB : cA, at1 = r < 0 ? cA : cB;
            if (firstAt0[e] < 0) { firstAt0[e] = at0; firstAt1[e] = at1; }
            else { unite(firstAt0[e], at0); unite(firstAt1[e], at1); }
        }
    }
    // Weighted sums per fan.
    std::vector<Vec3> sum(nfv);
    bool angle = method_ == VertexNormalMethod::kAngleWeighted || method_ == VertexNormalMethod::kAngleAndAreaWeighted;
    bool areaW = method_ == VertexNormalMethod::kAreaWeighted || method_ == VertexNormalMethod::kAngleAndAreaWeighted;
    std::vector<Vec3> faceN(counts_.size());
    for (int f = 0; f < numFaces(); ++f) {
        int n = counts_[f], off = offsets_[f];
        Vec3 raw = newell(points_, &fvVerts_[off], n);
        Vec3 unit = raw.normal();
        faceN[f] = unit;
        double area = 0.5 * raw.length();
        for (int i = 0; i < n; ++i) {
            double w = 1.0;
            if (angle) {
                Vec3 prev = points_[fvVerts_[off + (i + n - 1) % n]].d(), cur = points_[fvVerts_[off + i]].d(),
                     next = points_[fvVerts_[off + (i + 1) % n]].d();
                w *= cornerAngle(prev, cur, next);
            }
            if (areaW) w *= area;
            sum[find(off + i)] += unit * w;
        }
    }
    normals_.clear();
    normalIds_.assign(nfv, -1);
    std::vector<int> fanId(nfv, -1);
    std::vector<std::vector<std::pair<Vec3f, int>>> lockedIds(nfv);
    for (int f = 0; f < numFaces(); ++f) {
        for (int i = 0; i < counts_[f]; ++i) {
            int fv = offsets_[f] + i, root = find(fv);
            if (locked_[fv]) {
                auto& lst = lockedIds[root];
                auto it = std::find_if(lst.begin(), lst.end(), [&](const auto& p) { return p.first == lockedNormals_[fv]; });
                if (it != lst.end()) { normalIds_[fv] = it->second; continue; }
                lst.emplace_back(lockedNormals_[fv], int(normals_.size()));
                normalIds_[fv] = int(normals_.size());
                normals_.push_back(lockedNormals_[fv]);
                continue;
            }
            if (fanId[root] < 0) {
                Vec3 nrm = sum[root].normal();
                // Zero-area or zero-angle fans fall back to the face's own normal.
                if (nrm.length() == 0) nrm = faceN[f];
                fanId[root] = int(normals_.size());
                normals_.push_back(Vec3f(nrm));
            }
            normalIds_[fv] = fanId[root];
        }
    }
    normalsValid_ = true;
}

int Mesh::numNormals() const { buildNormals(); return int(normals_.size()); }
const std::vector<Vec3f>& Mesh::normals() const { buildNormals(); return normals_; }
int Mesh::normalId(int fv) const { buildNormals(); return normalIds_[fv]; }

void Mesh::setFaceVertexNormal(int fv, const Vec3& n) {
    lockedNormals_[fv] = Vec3f(n);
    locked_[fv] = 1;
    normalsValid_ = false;
}

void Mesh::unlockFaceVertexNormal(int fv) {
    locked_[fv] = 0;
    normalsValid_ = false;
}

bool Mesh::setStoredNormals(const std::vector<Vec3>& n, std::string* err) {
    if (n.size() != size_t(numFaceVertices()))
        return fail(err, "normal data holds " + std::to_string(n.size()) + " entries for " +
                             std::to_string(numFaceVertices()) + " face-vertices");
    for (size_t i = 0; i < n.size(); ++i) {
        bool unset = std::fabs(n[i].x) >= kUnsetNormal || std::fabs(n[i].y) >= kUnsetNormal ||
                     std::fabs(n[i].z) >= kUnsetNormal || !std::isfinite(n[i].x) || !std::isfinite(n[i].y) ||
                     !std::isfinite(n[i].z);
        locked_[i] = unset ? 0 : 1;
        lockedNormals_[i] = unset ? Vec3f() : Vec3f(n[i]);
    }
    normalsValid_ = false;
    return true;
}

Vec3 Mesh::vertexNormal(int v, bool angleWeighted) const {
    Vec3 s;
    for (int f : vertexFaces(v)) {
        int n = counts_[f], off = offsets_[f];
        for (int i = 0; i < n; ++i) {
            if (fvVerts_[off + i] != v) continue;
            double w = 1.0;
            if (angleWeighted)
                w = cornerAngle(points_[fvVerts_[off + (i + n - 1) % n]].d(), points_[v].d(),
                                points_[fvVerts_[off + (i + 1) % n]].d());
            s += faceVertexNormal(off + i) * w;
        }
    }
    return s.normal();
}

// --- UV sets ----------------------------------------------------------------------

int Mesh::findUVSet(const std::string& name) const {
    for (int i = 0; i < numUVSets(); ++i)
        if (uvSets_[i].name == name) return i;
    return -1;
}

int Mesh::createUVSet(const std::string& name) {
    int s = findUVSet(name);
    if (s >= 0) return s;
    uvSets_.push_back(MeshUVSet{name, {}, {}, std::vector<int>(fvVerts_.size(), -1)});
    return numUVSets() - 1;
}

bool Mesh::renameUVSet(int s, const std::string& name) {
    if (s < 0 || s >= numUVSets() || name.empty()) return false;
    int other = findUVSet(name);
    if (other >= 0 && other != s) return false;
    uvSets_[s].name = name;
    return true;
}

bool Mesh::deleteUVSet(int s) {
    if (s < 0 || s >= numUVSets()) return false;
    uvSets_.erase(uvSets_.begin() + s);
    if (currentUV_ >= numUVSets()) currentUV_ = std::max(0, numUVSets() - 1);
    return true;
}

bool Mesh::setCurrentUVSet(int s) {
    if (s < 0 || s >= numUVSets()) return false;
    currentUV_ = s;
    return true;
}

bool Mesh::setUVs(int s, const std::vector<float>& u, const std::vector<float>& v) {
    if (s < 0 || s >= numUVSets() || u.size() != v.size()) return false;
    MeshUVSet& set = uvSets_[s];
    // Shrinking the table drops assignments that would dangle.
    for (int& id : set.fvIds)
        if (id >= int(u.size())) id = -1;
    set.u = u;
    set.v = v;
    return true;
}

bool Mesh::setFaceUVIds(int s, int f, const std::vector<int>& ids, std::string* err) {
    if (s < 0 || s >= numUVSets()) return fail(err, "no UV set " + std::to_string(s));
    if (!validFace(f)) return fail(err, "no face " + std::to_string(f));
    if (int(ids.size()) != counts_[f])
        return fail(err, "face " + std::to_string(f) + " has " + std::to_string(counts_[f]) + " corners, " +
                             std::to_string(ids.size()) + " UV ids given");
    MeshUVSet& set = uvSets_[s];
    for (int id : ids)
        if (id < 0 || id >= int(set.u.size()))
            return fail(err, "UV id " + std::to_string(id) + " out of range (" + std::to_string(set.u.size()) + " UVs)");
    std::copy(ids.begin(), ids.end(), set.fvIds.begin() + offsets_[f]);
    return true;
}

bool Mesh::assignUVs(int s, const std::vector<int>& counts, const std::vector<int>& ids, std::string* err) {
    if (s < 0 || s >= numUVSets()) return fail(err, "no UV set " + std::to_string(s));
    if (int(counts.size()) != numFaces())
        return fail(err, "UV counts for " + std::to_string(counts.size()) + " faces, mesh has " + std::to_string(numFaces()));
    size_t pos = 0;
    for (int f = 0; f < numFaces(); ++f) {
        if (counts[f] != 0 && counts[f] != counts_[f])
            return fail(err, "face " + std::to_string(f) + " has " + std::to_string(counts_[f]) + " corners, UV count " +
                                 std::to_string(counts[f]));
        pos += size_t(counts[f]);
    }
    if (pos != ids.size()) return fail(err, "UV id list has " + std::to_string(ids.size()) + " entries, counts need " + std::to_string(pos));
    for (int id : ids)
        if (id < 0 || id >= int(uvSets_[s].u.size()))
            return fail(err, "UV id " + std::to_string(id) + " out of range (" + std::to_string(uvSets_[s].u.size()) + " UVs)");
    pos = 0;
    for (int f = 0; f < numFaces(); ++f) {
        for (int i = 0; i < counts_[f]; ++i) uvSets_[s].fvIds[offsets_[f] + i] = counts[f] ? ids[pos + size_t(i)] : -1;
        pos += size_t(counts[f]);
    }
    return true;
}

bool Mesh::setCornerUV(int s, int fv, int id) {
    if (s < 0 || s >= numUVSets() || fv < 0 || fv >= numFaceVertices() || id < -1 || id >= int(uvSets_[s].u.size()))
        return false;
    uvSets_[s].fvIds[fv] = id;
    return true;
}

bool Mesh::faceHasUVs(int s, int f) const {
    if (s < 0 || s >= numUVSets() || !validFace(f)) return false;
    for (int i = 0; i < counts_[f]; ++i)
        if (uvSets_[s].fvIds[offsets_[f] + i] < 0) return false;
    return true;
}

// --- Colour sets ------------------------------------------------------------------

int Mesh::findColorSet(const std::string& name) const {
    for (int i = 0; i < numColorSets(); ++i)
        if (colorSets_[i].name == name) return i;
    return -1;
}

int Mesh::createColorSet(const std::string& name) {
    int s = findColorSet(name);
    if (s >= 0) return s;
    MeshColorSet set;
    set.name = name;
    set.fvIds.assign(fvVerts_.size(), -1);
    colorSets_.push_back(std::move(set));
    if (currentColor_ < 0) currentColor_ = numColorSets() - 1;
    return numColorSets() - 1;
}

bool Mesh::deleteColorSet(int s) {
    if (s < 0 || s >= numColorSets()) return false;
    colorSets_.erase(colorSets_.begin() + s);
    if (currentColor_ >= numColorSets()) currentColor_ = numColorSets() - 1;
    return true;
}

bool Mesh::renameColorSet(int s, const std::string& name) {
    if (s < 0 || s >= numColorSets() || name.empty()) return false;
    int other = findColorSet(name);
    if (other >= 0 && other != s) return false;
    colorSets_[s].name = name;
    return true;
}

bool Mesh::setColorRepresentation(int s, int representation) {
    if (s < 0 || s >= numColorSets() || (representation != 1 && representation != 3 && representation != 4)) return false;
    colorSets_[s].representation = representation;
    return true;
}

bool Mesh::setCurrentColorSet(int s) {
    if (s < 0 || s >= numColorSets()) return false;
    currentColor_ = s;
    return true;
}

bool Mesh::setColors(int s, const std::vector<Rgba>& colors) {
    if (s < 0 || s >= numColorSets()) return false;
    for (int& id : colorSets_[s].fvIds)
        if (id >= int(colors.size())) id = -1;
    colorSets_[s].colors = colors;
    return true;
}

bool Mesh::setFaceColorIds(int s, int f, const std::vector<int>& ids, std::string* err) {
    if (s < 0 || s >= numColorSets()) return fail(err, "no colour set " + std::to_string(s));
    if (!validFace(f)) return fail(err, "no face " + std::to_string(f));
    if (int(ids.size()) != counts_[f])
        return fail(err, "face " + std::to_string(f) + " has " + std::to_string(counts_[f]) + " corners, " +
                             std::to_string(ids.size()) + " colour ids given");
    MeshColorSet& set = colorSets_[s];
    // -1 leaves a corner without colour, as scene files allow.
    for (int id : ids)
        if (id < -1 || id >= int(set.colors.size()))
            return fail(err, "colour id " + std::to_string(id) + " out of range (" + std::to_string(set.colors.size()) + " colours)");
    std::copy(ids.begin(), ids.end(), set.fvIds.begin() + offsets_[f]);
    return true;
}

bool Mesh::setFaceVertexColor(int s, int fv, const Rgba& c) {
    if (s < 0 || s >= numColorSets() || fv < 0 || fv >= numFaceVertices()) return false;
    MeshColorSet& set = colorSets_[s];
    set.colors.push_back(c);
    set.fvIds[fv] = int(set.colors.size()) - 1;
    return true;
}

bool Mesh::setVertexColor(int s, int v, const Rgba& c) {
    if (s < 0 || s >= numColorSets() || v < 0 || v >= numVertices()) return false;
    MeshColorSet& set = colorSets_[s];
    int id = int(set.colors.size());
    set.colors.push_back(c);
    for (int f : vertexFaces(v))
        for (int i = 0; i < counts_[f]; ++i)
            if (fvVerts_[offsets_[f] + i] == v) set.fvIds[offsets_[f] + i] = id;
    return true;
}

// --- Closest point ----------------------------------------------------------------

namespace {

// Closest point on triangle abc to p, with barycentric weights (Ericson's regions).
Vec3 closestOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c, double bary[3]) {
    Vec3 ab = b - a, ac = c - a, ap = p - a;
    double d1 = ab.dot(ap), d2 = ac.dot(ap);
    if (d1 <= 0 && d2 <= 0) { bary[0] = 1; bary[1] = bary[2] = 0; return a; }
    Vec3 bp = p - b;
    double d3 = ab.dot(bp), d4 = ac.dot(bp);
    if (d3 >= 0 && d4 <= d3) { bary[1] = 1; bary[0] = bary[2] = 0; return b; }
    double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) {
        double v = d1 / (d1 - d3);
        bary[0] = 1 - v; bary[1] = v; bary[2] = 0;
        return a + ab * v;
    }
    Vec3 cp = p - c;
    double d5 = ab.dot(cp), d6 = ac.dot(cp);
    if (d6 >= 0 && d5 <= d6) { bary[2] = 1; bary[0] = bary[1] = 0; return c; }
    double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) {
        double w = d2 / (d2 - d6);
        bary[0] = 1 - w; bary[1] = 0; bary[2] = w;
        return a + ac * w;
    }
    double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
        double w = (d4 - d3) / ((d4 - d3) + (d5 - d6));
        bary[0] = 0; bary[1] = 1 - w; bary[2] = w;
        return b + (c - b) * w;
    }
    double denom = va + vb + vc;
    if (denom == 0) { bary[0] = 1; bary[1] = bary[2] = 0; return a; }  // collapsed triangle
    double v = vb / denom, w = vc / denom;
    bary[0] = 1 - v - w; bary[1] = v; bary[2] = w;
    return a + ab * v + ac * w;
}

}  // namespace

bool Mesh::closestPoint(const Vec3& p, MeshHit& hit) const {
    bool found = false;
    double best = 0;
    for (int f = 0; f < numFaces(); ++f) {
        const auto& tri = faceTriangles(f);
        for (size_t t = 0; t + 2 < tri.size(); t += 3) {
            int c[3] = {offsets_[f] + tri[t], offsets_[f] + tri[t + 1], offsets_[f] + tri[t + 2]};
            double bary[3];
            Vec3 q = closestOnTriangle(p, points_[fvVerts_[c[0]]].d(), points_[fvVerts_[c[1]]].d(),
                                       points_[fvVerts_[c[2]]].d(), bary);
            double d = (q - p).length();
            if (!found || d < best) {
                found = true;
                best = d;
                hit.point = q;
                hit.face = f;
                hit.triangle = int(t / 3);
                for (int k = 0; k < 3; ++k) { hit.corners[k] = c[k]; hit.bary[k] = bary[k]; }
                hit.distance = d;
            }
        }
    }
    return found;
}

Vec3 Mesh::normalAtHit(const MeshHit& hit) const {
    Vec3 n;
    for (int k = 0; k < 3; ++k) n += faceVertexNormal(hit.corners[k]) * hit.bary[k];
    Vec3 u = n.normal();
    return u.length() > 0 ? u : faceNormal(hit.face);
}

bool Mesh::uvAtHit(int s, const MeshHit& hit, float& u, float& v) const {
    if (s < 0 || s >= numUVSets() || !faceHasUVs(s, hit.face)) return false;
    const MeshUVSet& set = uvSets_[s];
    double uu = 0, vv = 0;
    for (int k = 0; k < 3; ++k) {
        int id = set.fvIds[hit.corners[k]];
        uu += set.u[id] * hit.bary[k];
        vv += set.v[id] * hit.bary[k];
    }
    u = float(uu);
    v = float(vv);
    return true;
}

bool Mesh::validate(std::string* err) const {
    size_t nfv = fvVerts_.size();
    if (offsets_.size() != counts_.size() + 1 || size_t(offsets_.back()) != nfv || fvEdges_.size() != nfv ||
        locked_.size() != nfv || lockedNormals_.size() != nfv)
        return fail(err, "inconsistent face tables");
    for (int v : fvVerts_)
        if (v < 0 || v >= numVertices()) return fail(err, "face references vertex " + std::to_string(v));
    for (const auto& s : uvSets_) {
        if (s.fvIds.size() != nfv || s.u.size() != s.v.size()) return fail(err, "inconsistent UV set " + s.name);
        for (int id : s.fvIds)
            if (id < -1 || id >= int(s.u.size())) return fail(err, "UV id " + std::to_string(id) + " out of range in " + s.name);
    }
    for (const auto& s : colorSets_) {
        if (s.fvIds.size() != nfv) return fail(err, "inconsistent colour set " + s.name);
        for (int id : s.fvIds)
            if (id < -1 || id >= int(s.colors.size())) return fail(err, "colour id out of range in " + s.name);
    }
    return true;
}

}  // namespace host::scene
