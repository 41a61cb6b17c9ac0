#include "scene/poly/poly_split.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace host::scene {

using meshgeom::Rgba;
using meshgeom::Vec3;
using meshgeom::Vec3f;

namespace {

bool fail(std::string* err, const std::string& msg) {
    if (err) *err = msg;
    return false;
}

// One corner of a face under construction: its vertex and, per set, its UV
// or colour (as values, so new corners can be interpolated).
struct Corner {
    int vertex = -1;
    std::vector<int> uv;              // per UV set: id, or -1
    std::vector<int> color;           // per colour set: id, or -1
    bool locked = false;
    Vec3 normal;
};

}  // namespace

bool splitMesh(Mesh& m, const std::vector<EdgePoint>& points, std::string* err) {
    if (points.size() < 2) return fail(err, "polySplit needs at least two edge points");
    const int nUV = m.numUVSets(), nCol = m.numColorSets();
    std::vector<Vec3f> pts = m.points();
    std::vector<MeshEdge> edges = m.edges();
    std::vector<std::vector<float>> us(static_cast<size_t>(nUV)), vs(static_cast<size_t>(nUV));
    for (int s = 0; s < nUV; ++s) {
        us[size_t(s)] = m.uvSet(s).u;
        vs[size_t(s)] = m.uvSet(s).v;
    }
    std::vector<std::vector<Rgba>> cols(static_cast<size_t>(nCol));
    for (int s = 0; s < nCol; ++s) cols[size_t(s)] = m.colorSet(s).colors;

    // Resolve the points: an end vertex, or a new vertex splitting the edge.
    std::vector<int> pointVertex;
    std::map<int, std::pair<int, double>> splitAt;  // edge -> (new vertex, t)
    for (size_t k = 0; k < points.size(); ++k) {
        const EdgePoint& p = points[k];
        if (p.edge < 0 || p.edge >= m.numEdges())
            return fail(err, "polySplit: edge " + std::to_string(p.edge) + " does not exist (the mesh has " +
                                 std::to_string(m.numEdges()) + " edges)");
        if (!std::isfinite(p.t) || p.t < 0 || p.t > 1)
            return fail(err, "polySplit: the parameter on edge " + std::to_string(p.edge) + " must lie in 0..1");
        const MeshEdge& e = edges[size_t(p.edge)];
        if (p.t <= kSplitSnap) { pointVertex.push_back(e.v0); continue; }
        if (p.t >= 1 - kSplitSnap) { pointVertex.push_back(e.v1); continue; }
        if (splitAt.count(p.edge)) return fail(err, "polySplit: edge " + std::to_string(p.edge) + " is split twice");
        Vec3 a = pts[size_t(e.v0)].d(), b = pts[size_t(e.v1)].d();
        pts.push_back(Vec3f(a + (b - a) * p.t));
        int nv = int(pts.size()) - 1;
        splitAt[p.edge] = {nv, p.t};
        pointVertex.push_back(nv);
    }
    for (size_t k = 0; k + 1 < pointVertex.size(); ++k)
        if (pointVertex[k] == pointVertex[k + 1]) return fail(err, "polySplit: two consecutive points are the same vertex");

    // Faces as corner lists, with the new vertices inserted on split edges.
    std::vector<std::vector<Corner>> faces(size_t(m.numFaces()));
    for (int f = 0; f < m.numFaces(); ++f) {
        int n = m.faceCount(f), off = m.faceOffset(f);
        auto cornerOf = [&](int i) {
            Corner c;
            int fv = off + i;
            c.vertex = m.faceVertex(f, i);
            for (int s = 0; s < nUV; ++s) c.uv.push_back(m.uvId(s, fv));
            for (int s = 0; s < nCol; ++s) c.color.push_back(m.colorId(s, fv));
            c.locked = m.isNormalLocked(fv);
            if (c.locked) c.normal = m.faceVertexNormal(fv);
            return c;
        };
        for (int i = 0; i < n; ++i) {
            Corner a = cornerOf(i);
            faces[size_t(f)].push_back(a);
            auto it = splitAt.find(m.faceEdge(f, i));
            if (it == splitAt.end()) continue;
            Corner b = cornerOf((i + 1) % n);
            // Walking the edge backwards measures t from the other end.
            double t = m.faceEdgeRef(f, i) < 0 ? 1 - it->second.second : it->second.second;
            Corner c;
            c.vertex = it->second.first;
            for (int s = 0; s < nUV; ++s) {
                int ia = a.uv[size_t(s)], ib = b.uv[size_t(s)];
                if (ia < 0 || ib < 0) { c.uv.push_back(-1); continue; }
                auto& U = us[size_t(s)];
                auto& V = vs[size_t(s)];
                U.push_back(float(U[size_t(ia)] + (U[size_t(ib)] - U[size_t(ia)]) * t));
                V.push_back(float(V[size_t(ia)] + (V[size_t(ib)] - V[size_t(ia)]) * t));
                c.uv.push_back(int(U.size()) - 1);
            }
            for (int s = 0; s < nCol; ++s) {
                int ia = a.color[size_t(s)], ib = b.color[size_t(s)];
                if (ia < 0 || ib < 0) { c.color.push_back(-1); continue; }
                auto& C = cols[size_t(s)];
                Rgba x = C[size_t(ia)], y = C[size_t(ib)];
                auto mix = [&](float p, float q) { return float(p + (q - p) * t); };
                C.push_back(Rgba{mix(x.r, y.r), mix(x.g, y.g), mix(x.b, y.b), mix(x.a, y.a)});
                c.color.push_back(int(C.size()) - 1);
            }
            faces[size_t(f)].push_back(c);
        }
    }

    // Edges: split edges keep the half at their first vertex.
    for (const auto& [e, nv] : splitAt) {
        MeshEdge half{nv.first, edges[size_t(e)].v1, edges[size_t(e)].smooth};
        edges[size_t(e)].v1 = nv.first;
        edges.push_back(half);
    }
    // Cuts between consecutive points.
    for (size_t k = 0; k + 1 < pointVertex.size(); ++k) {
        int va = pointVertex[k], vb = pointVertex[k + 1];
        bool done = false;
        for (size_t f = 0; f < faces.size() && !done; ++f) {
            auto& F = faces[f];
            int n = int(F.size()), ia = -1, ib = -1;
            for (int i = 0; i < n; ++i) {
                if (F[size_t(i)].vertex == va) ia = i;
                if (F[size_t(i)].vertex == vb) ib = i;
            }
            if (ia < 0 || ib < 0) continue;
            if ((ia + 1) % n == ib || (ib + 1) % n == ia) {
                // Already joined by a side of this face: nothing to cut here.
                done = true;
                continue;
            }
            std::vector<Corner> first, second;
            for (int i = ia;; i = (i + 1) % n) {
                first.push_back(F[size_t(i)]);
                if (i == ib) break;
            }
            for (int i = ib;; i = (i + 1) % n) {
                second.push_back(F[size_t(i)]);
                if (i == ia) break;
            }
            F = std::move(first);
            faces.push_back(std::move(second));
            edges.push_back(MeshEdge{va, vb, true});
            done = true;
        }
        if (!done)
            return fail(err, "polySplit: points " + std::to_string(k) + " and " + std::to_string(k + 1) +
                                 " do not lie on one face");
    }

    // Rebuild the mesh from the pieces.
    Mesh out;
    out.setNormalMethod(m.normalMethod());
    out.setPointList(pts);
    if (!out.setEdgeList(edges, err)) return false;
    std::map<std::pair<int, int>, int> index;
    for (size_t e = 0; e < edges.size(); ++e)
        index.emplace(std::make_pair(std::min(edges[e].v0, edges[e].v1), std::max(edges[e].v0, edges[e].v1)), int(e));
    for (const auto& F : faces) {
        std::vector<int> refs;
        for (size_t i = 0; i < F.size(); ++i) {
            int a = F[i].vertex, b = F[(i + 1) % F.size()].vertex;
            auto it = index.find({std::min(a, b), std::max(a, b)});
            if (it == index.end()) return fail(err, "polySplit: internal edge lookup failed");
            refs.push_back(edges[size_t(it->second)].v0 == a ? it->second : ~it->second);
        }
        if (!out.addFaceFromEdges(refs, err)) return false;
    }
    for (int s = 0; s < nUV; ++s) {
        if (s == 0) out.renameUVSet(0, m.uvSet(0).name);
        else out.createUVSet(m.uvSet(s).name);
        out.setUVs(s, us[size_t(s)], vs[size_t(s)]);
    }
    for (int s = 0; s < nCol; ++s) {
        int cs = out.createColorSet(m.colorSet(s).name);
        out.setColorRepresentation(cs, m.colorSet(s).representation);
        out.setColors(cs, cols[size_t(s)]);
    }
    for (size_t f = 0; f < faces.size(); ++f)
        for (size_t i = 0; i < faces[f].size(); ++i) {
            int fv = out.faceOffset(int(f)) + int(i);
            const Corner& c = faces[f][i];
            for (int s = 0; s < nUV; ++s) out.setCornerUV(s, fv, c.uv[size_t(s)]);
            if (c.locked) out.setFaceVertexNormal(fv, c.normal);
        }
    for (int s = 0; s < nCol; ++s)
        for (size_t f = 0; f < faces.size(); ++f) {
            std::vector<int> ids;
            for (const Corner& c : faces[f]) ids.push_back(c.color[size_t(s)]);
            if (!out.setFaceColorIds(s, int(f), ids, err)) return false;
        }
    out.setCurrentUVSet(m.currentUVSet());
    if (nCol > 0) out.setCurrentColorSet(m.currentColorSet());
    out.componentTags() = m.componentTags();
    m = std::move(out);
    return true;
}

}  // namespace host::scene
