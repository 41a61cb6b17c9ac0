#include "scene/poly/primitives.h"

#include <cmath>
#include <functional>
#include <map>

namespace host::scene::primitives {

using meshgeom::Vec3;
using meshgeom::Vec3f;

namespace {

constexpr double kPi = 3.14159265358979323846;

bool fail(std::string* err, const std::string& msg) {
    if (err) *err = msg;
    return false;
}

bool checkSize(double v, const char* what, std::string* err) {
    if (!std::isfinite(v) || v < 0) return fail(err, std::string(what) + " must be a finite value of at least 0");
    return true;
}

bool checkCount(long v, long lo, const char* what, std::string* err) {
    if (v < lo || v > 100000) return fail(err, std::string(what) + " must be between " + std::to_string(lo) + " and 100000");
    return true;
}

bool checkFaces(double faces, std::string* err) {
    if (faces > double(kMaxFaces)) return fail(err, "too many faces (" + std::to_string(long(faces)) + ")");
    return true;
}

// Rotation that takes +Y onto `axis` (Rodrigues); identity for +Y or a zero axis.
struct AxisRotation {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    explicit AxisRotation(const Vec3& axis) {
        Vec3 a = axis.normal();
        if (a.length() == 0) return;
        Vec3 y(0, 1, 0);
        double c = y.dot(a);
        if (c > 1 - 1e-12) return;
        if (c < -1 + 1e-12) {  // half turn about X
            m[1][1] = -1;
            m[2][2] = -1;
            return;
        }
        Vec3 k = y.cross(a).normal();
        double s = std::sqrt(std::max(0.0, 1 - c * c)), t = 1 - c;
        m[0][0] = c + k.x * k.x * t;       m[0][1] = k.x * k.y * t - k.z * s; m[0][2] = k.x * k.z * t + k.y * s;
        m[1][0] = k.y * k.x * t + k.z * s; m[1][1] = c + k.y * k.y * t;       m[1][2] = k.y * k.z * t - k.x * s;
        m[2][0] = k.z * k.x * t - k.y * s; m[2][1] = k.z * k.y * t + k.x * s; m[2][2] = c + k.z * k.z * t;
    }
    Vec3f apply(const Vec3& p) const {
        return Vec3f(float(m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z), float(m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z),
                     float(m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z));
    }
};

// Collects a primitive and turns it into a Mesh: edges in the given order
// first, then any others in order of first use by the faces.
struct Builder {
    std::vector<Vec3> pts;
    std::vector<std::vector<int>> faces, faceUVs;
    std::vector<std::pair<int, int>> edgeOrder;
    std::vector<float> u, v;
    std::function<bool(int, int)> smooth = [](int, int) { return false; };

    int point(const Vec3& p) {
        pts.push_back(p);
        return int(pts.size()) - 1;
    }
    int uv(double a, double b) {
        u.push_back(float(a));
        v.push_back(float(b));
        return int(u.size()) - 1;
    }

    bool build(const Vec3& axis, bool withUVs, Mesh& out, std::string* err) {
        AxisRotation rot(axis);
        std::vector<Vec3f> p;
        p.reserve(pts.size());
        for (const Vec3& q : pts) p.push_back(rot.apply(q));
        std::map<std::pair<int, int>, int> index;
        std::vector<MeshEdge> edges;
        auto addEdge = [&](int a, int b) {
            auto key = std::make_pair(std::min(a, b), std::max(a, b));
            if (index.count(key)) return;
            index[key] = int(edges.size());
            edges.push_back(MeshEdge{a, b, smooth(a, b)});
        };
        for (const auto& e : edgeOrder) addEdge(e.first, e.second);
        for (const auto& f : faces)
            for (size_t i = 0; i < f.size(); ++i) addEdge(f[i], f[(i + 1) % f.size()]);
        Mesh m;
        m.setPointList(std::move(p));
        if (!m.setEdgeList(edges, err)) return false;
        for (const auto& f : faces) {
            std::vector<int> refs;
            for (size_t i = 0; i < f.size(); ++i) {
                int a = f[i], b = f[(i + 1) % f.size()];
                int e = index[{std::min(a, b), std::max(a, b)}];
                refs.push_back(edges[e].v0 == a ? e : ~e);
            }
            if (!m.addFaceFromEdges(refs, err)) return false;
        }
        if (withUVs) {
            m.setUVs(0, u, v);
            for (size_t f = 0; f < faceUVs.size(); ++f)
                if (!m.setFaceUVIds(0, int(f), faceUVs[f], err)) return false;
        }
        out = std::move(m);
        return true;
    }
};

// Angle of ring vertex i of n: the host starts one step short of +X and walks
// from +X towards -Z.
double ringAngle(int i, int n) { return -2.0 * kPi * double(i + 1) / double(n); }

}  // namespace

bool makeCube(const CubeParams& p, const Vec3& axis, bool uvs, Mesh& out, std::string* err) {
    if (!checkSize(p.width, "width", err) || !checkSize(p.height, "height", err) || !checkSize(p.depth, "depth", err) ||
        !checkCount(p.subdivX, 1, "subdivisionsX", err) || !checkCount(p.subdivY, 1, "subdivisionsY", err) ||
        !checkCount(p.subdivZ, 1, "subdivisionsZ", err))
        return false;
    const int sx = p.subdivX, sy = p.subdivY, sz = p.subdivZ;
    if (!checkFaces(2.0 * (double(sx) * sy + double(sy) * sz + double(sx) * sz), err)) return false;
    const double w = p.width, h = p.height, d = p.depth;
    Builder b;
    // A strip of rows around X: front (bottom to top), top (front to back),
    // back (top to bottom), bottom (back to front); then the two end caps.
    const int R = 2 * (sy + sz);
    auto rowYZ = [&](int r, double& y, double& z) {
        if (r <= sy) { y = -h / 2 + h * r / sy; z = d / 2; }
        else if (r <= sy + sz) { y = h / 2; z = d / 2 - d * (r - sy) / sz; }
        else if (r <= 2 * sy + sz) { y = h / 2 - h * (r - sy - sz) / sy; z = -d / 2; }
        else { y = -h / 2; z = -d / 2 + d * (r - 2 * sy - sz) / sz; }
    };
    auto ring = [&](int r, int c) { return (r % R) * (sx + 1) + c; };
    for (int r = 0; r < R; ++r) {
        double y, z;
        rowYZ(r, y, z);
        for (int c = 0; c <= sx; ++c) b.point(Vec3(-w / 2 + w * c / sx, y, z));
    }
    // Cap point by its position from the front (zk) and from the bottom (j).
    auto ringRow = [&](int zk, int j) {
        if (zk == 0) return j;
        if (j == sy) return sy + zk;
        if (zk == sz) return sy + sz + (sy - j);
        return (2 * sy + sz + (sz - zk)) % R;  // j == 0
    };
    std::vector<int> rightInner, leftInner;
    for (int side = 0; side < 2; ++side) {
        auto& inner = side == 0 ? rightInner : leftInner;
        for (int j = 1; j < sy; ++j)
            for (int k = 1; k < sz; ++k) {
                double z = side == 0 ? d / 2 - d * k / sz : -d / 2 + d * k / sz;
                inner.push_back(b.point(Vec3(side == 0 ? w / 2 : -w / 2, -h / 2 + h * j / sy, z)));
            }
    }
    auto rightV = [&](int zk, int j) {
        if (zk == 0 || zk == sz || j == 0 || j == sy) return ring(ringRow(zk, j), sx);
        return rightInner[size_t((j - 1) * (sz - 1) + (zk - 1))];
    };
    // The left cap runs from the back (k = 0) to the front.
    auto leftV = [&](int k, int j) {
        if (k == 0 || k == sz || j == 0 || j == sy) return ring(ringRow(sz - k, j), 0);
        return leftInner[size_t((j - 1) * (sz - 1) + (k - 1))];
    };
    // UVs: the strip as a column in the middle, the caps to its sides.
    auto rowV = [&](int r) {
        if (r <= sy) return 0.25 * r / sy;
        if (r <= sy + sz) return 0.25 + 0.25 * (r - sy) / sz;
        if (r <= 2 * sy + sz) return 0.5 + 0.25 * (r - sy - sz) / sy;
        return 0.75 + 0.25 * (r - 2 * sy - sz) / sz;
    };
    for (int r = 0; r <= R; ++r)
        for (int c = 0; c <= sx; ++c) b.uv(0.375 + 0.25 * c / sx, rowV(r));
    auto stripUV = [&](int r, int c) { return r * (sx + 1) + c; };
    std::vector<int> rightUV((sy + 1) * (sz + 1)), leftUV((sy + 1) * (sz + 1));
    for (int j = 0; j <= sy; ++j)
        for (int k = 0; k <= sz; ++k)
            rightUV[j * (sz + 1) + k] = k == 0 ? stripUV(j, sx) : b.uv(0.625 + 0.25 * k / sz, 0.25 * j / sy);
    for (int j = 0; j <= sy; ++j)
        for (int k = 0; k <= sz; ++k)
            leftUV[j * (sz + 1) + k] = k == sz ? stripUV(j, 0) : b.uv(0.125 + 0.25 * k / sz, 0.25 * j / sy);
    for (int r = 0; r < R; ++r)
        for (int c = 0; c < sx; ++c) {
            b.faces.push_back({ring(r, c), ring(r, c + 1), ring(r + 1, c + 1), ring(r + 1, c)});
            b.faceUVs.push_back({stripUV(r, c), stripUV(r, c + 1), stripUV(r + 1, c + 1), stripUV(r + 1, c)});
        }
    for (int j = 0; j < sy; ++j)
        for (int k = 0; k < sz; ++k) {
            b.faces.push_back({rightV(k, j), rightV(k + 1, j), rightV(k + 1, j + 1), rightV(k, j + 1)});
            auto id = [&](int kk, int jj) { return rightUV[jj * (sz + 1) + kk]; };
            b.faceUVs.push_back({id(k, j), id(k + 1, j), id(k + 1, j + 1), id(k, j + 1)});
        }
    for (int j = 0; j < sy; ++j)
        for (int k = 0; k < sz; ++k) {
            b.faces.push_back({leftV(k, j), leftV(k + 1, j), leftV(k + 1, j + 1), leftV(k, j + 1)});
            auto id = [&](int kk, int jj) { return leftUV[jj * (sz + 1) + kk]; };
            b.faceUVs.push_back({id(k, j), id(k + 1, j), id(k + 1, j + 1), id(k, j + 1)});
        }
    for (int r = 0; r < R; ++r)
        for (int c = 0; c < sx; ++c) b.edgeOrder.emplace_back(ring(r, c), ring(r, c + 1));
    for (int r = 0; r < R; ++r)
        for (int c = 0; c <= sx; ++c) b.edgeOrder.emplace_back(ring(r, c), ring(r + 1, c));
    return b.build(axis, uvs, out, err);
}

bool makePlane(const PlaneParams& p, const Vec3& axis, bool uvs, Mesh& out, std::string* err) {
    if (!checkSize(p.width, "width", err) || !checkSize(p.height, "height", err) ||
        !checkCount(p.subdivX, 1, "subdivisionsX", err) || !checkCount(p.subdivY, 1, "subdivisionsY", err) ||
        !checkFaces(double(p.subdivX) * p.subdivY, err))
        return false;
    const int sx = p.subdivX, sy = p.subdivY;
    Builder b;
    // Rows from +Z to -Z, columns from -X to +X; the face normal is +Y.
    for (int j = 0; j <= sy; ++j)
        for (int i = 0; i <= sx; ++i) {
            b.point(Vec3(-p.width / 2 + p.width * i / sx, 0, p.height / 2 - p.height * j / sy));
            b.uv(double(i) / sx, double(j) / sy);
        }
    auto at = [&](int i, int j) { return j * (sx + 1) + i; };
    for (int j = 0; j < sy; ++j)
        for (int i = 0; i < sx; ++i) {
            b.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)});
            b.faceUVs.push_back(b.faces.back());
        }
    for (int j = 0; j <= sy; ++j) {
        for (int i = 0; i < sx; ++i) b.edgeOrder.emplace_back(at(i, j), at(i + 1, j));
        if (j < sy)
            for (int i = 0; i <= sx; ++i) b.edgeOrder.emplace_back(at(i, j), at(i, j + 1));
    }
    return b.build(axis, uvs, out, err);
}

bool makeSphere(const SphereParams& p, const Vec3& axis, bool uvs, Mesh& out, std::string* err) {
    if (!checkSize(p.radius, "radius", err) || !checkCount(p.subdivAxis, 3, "subdivisionsAxis", err) ||
        !checkCount(p.subdivHeight, 2, "subdivisionsHeight", err) ||
        !checkFaces(double(p.subdivAxis) * p.subdivHeight, err))
        return false;
    const int sa = p.subdivAxis, sh = p.subdivHeight;
    const double r = p.radius;
    Builder b;
    b.smooth = [](int, int) { return true; };
    // Rings from the bottom up, then the bottom and the top pole.
    for (int j = 1; j < sh; ++j) {
        double phi = -kPi / 2 + kPi * j / sh;
        double y = r * std::sin(phi), rho = r * std::cos(phi);
        for (int i = 0; i < sa; ++i) {
            double t = ringAngle(i, sa);
            b.point(Vec3(rho * std::cos(t), y, rho * std::sin(t)));
        }
    }
    const int bottom = b.point(Vec3(0, -r, 0));
    const int top = b.point(Vec3(0, r, 0));
    auto at = [&](int j, int i) { return (j - 1) * sa + (i % sa); };
    for (int j = 1; j < sh; ++j)
        for (int i = 0; i <= sa; ++i) b.uv(double(i) / sa, double(j) / sh);
    for (int i = 0; i < sa; ++i) b.uv((i + 0.5) / sa, 0);
    for (int i = 0; i < sa; ++i) b.uv((i + 0.5) / sa, 1);
    auto uvAt = [&](int j, int i) { return (j - 1) * (sa + 1) + i; };
    const int poleUV = (sa + 1) * (sh - 1);
    for (int j = 1; j + 1 < sh; ++j)
        for (int i = 0; i < sa; ++i) {
            b.faces.push_back({at(j, i), at(j, i + 1), at(j + 1, i + 1), at(j + 1, i)});
            b.faceUVs.push_back({uvAt(j, i), uvAt(j, i + 1), uvAt(j + 1, i + 1), uvAt(j + 1, i)});
        }
    for (int i = 0; i < sa; ++i) {
        b.faces.push_back({bottom, at(1, i + 1), at(1, i)});
        b.faceUVs.push_back({poleUV + i, uvAt(1, i + 1), uvAt(1, i)});
    }
    for (int i = 0; i < sa; ++i) {
        b.faces.push_back({at(sh - 1, i), at(sh - 1, i + 1), top});
        b.faceUVs.push_back({uvAt(sh - 1, i), uvAt(sh - 1, i + 1), poleUV + sa + i});
    }
    return b.build(axis, uvs, out, err);
}

bool makeCylinder(const CylinderParams& p, const Vec3& axis, bool uvs, Mesh& out, std::string* err) {
    if (!checkSize(p.radius, "radius", err) || !checkSize(p.height, "height", err) ||
        !checkCount(p.subdivAxis, 3, "subdivisionsAxis", err) || !checkCount(p.subdivHeight, 1, "subdivisionsHeight", err) ||
        !checkCount(p.subdivCaps, 0, "subdivisionsCaps", err) ||
        !checkFaces(double(p.subdivAxis) * (p.subdivHeight + 2.0 * std::max(1, p.subdivCaps)), err))
        return false;
    const int sa = p.subdivAxis, sh = p.subdivHeight, sc = p.subdivCaps;
    const double r = p.radius, h = p.height;
    Builder b;
    // Side rings bottom to top; then the inner rings of the bottom and the
    // top cap (outside in) and the two cap centres.
    for (int j = 0; j <= sh; ++j)
        for (int i = 0; i < sa; ++i) {
            double t = ringAngle(i, sa);
            b.point(Vec3(r * std::cos(t), -h / 2 + h * j / sh, r * std::sin(t)));
        }
    auto side = [&](int j, int i) { return j * sa + (i % sa); };
    std::vector<std::vector<int>> capRings[2];  // [bottom/top][m] -> vertex ids, m = 0 the side ring
    for (int c = 0; c < 2; ++c) {
        std::vector<int> outer;
        for (int i = 0; i < sa; ++i) outer.push_back(side(c == 0 ? 0 : sh, i));
        capRings[c].push_back(outer);
    }
    for (int c = 0; c < 2; ++c)
        for (int m = 1; m < sc; ++m) {
            std::vector<int> ringIds;
            double rho = r * (1.0 - double(m) / sc);
            for (int i = 0; i < sa; ++i) {
                double t = ringAngle(i, sa);
                ringIds.push_back(b.point(Vec3(rho * std::cos(t), c == 0 ? -h / 2 : h / 2, rho * std::sin(t))));
            }
            capRings[c].push_back(ringIds);
        }
    int centre[2] = {-1, -1};
    if (sc > 0) {
        centre[0] = b.point(Vec3(0, -h / 2, 0));
        centre[1] = b.point(Vec3(0, h / 2, 0));
    }
    // UVs: the side as a band in the middle, the caps as discs above and below.
    for (int j = 0; j <= sh; ++j)
        for (int i = 0; i <= sa; ++i) b.uv(0.375 + 0.25 * i / sa, 0.3125 + 0.375 * j / sh);
    auto sideUV = [&](int j, int i) { return j * (sa + 1) + i; };
    std::vector<std::vector<int>> capUV[2];
    int centreUV[2] = {-1, -1};
    const double cy[2] = {0.15625, 0.84375}, cr = 0.15625;
    for (int c = 0; c < 2; ++c) {
        for (int m = 0; m < std::max(1, sc); ++m) {
            std::vector<int> ids;
            double rho = cr * (sc > 0 ? 1.0 - double(m) / sc : 1.0);
            for (int i = 0; i < sa; ++i) {
                double t = ringAngle(i, sa);
                ids.push_back(b.uv(0.5 + rho * std::cos(t), cy[c] + (c == 0 ? rho : -rho) * std::sin(t)));
            }
            capUV[c].push_back(ids);
        }
        if (sc > 0) centreUV[c] = b.uv(0.5, cy[c]);
    }
    for (int j = 0; j < sh; ++j)
        for (int i = 0; i < sa; ++i) {
            b.faces.push_back({side(j, i), side(j, i + 1), side(j + 1, i + 1), side(j + 1, i)});
            b.faceUVs.push_back({sideUV(j, i), sideUV(j, i + 1), sideUV(j + 1, i + 1), sideUV(j + 1, i)});
        }
    for (int c = 0; c < 2; ++c) {
        const auto& R = capRings[c];
        const auto& U = capUV[c];
        auto nx = [&](int i) { return (i + 1) % sa; };
        if (sc == 0) {
            // One n-gon; the bottom one walks the ring backwards to face down.
            std::vector<int> f, fu;
            for (int k = 0; k < sa; ++k) {
                int i = c == 0 ? (sa - k) % sa : k;
                f.push_back(R[0][i]);
                fu.push_back(U[0][i]);
            }
            b.faces.push_back(f);
            b.faceUVs.push_back(fu);
            continue;
        }
        for (int m = 0; m + 1 < sc; ++m)
            for (int i = 0; i < sa; ++i) {
                if (c == 0) {
                    b.faces.push_back({R[m][nx(i)], R[m][i], R[m + 1][i], R[m + 1][nx(i)]});
                    b.faceUVs.push_back({U[m][nx(i)], U[m][i], U[m + 1][i], U[m + 1][nx(i)]});
                } else {
                    b.faces.push_back({R[m][i], R[m][nx(i)], R[m + 1][nx(i)], R[m + 1][i]});
                    b.faceUVs.push_back({U[m][i], U[m][nx(i)], U[m + 1][nx(i)], U[m + 1][i]});
                }
            }
        int m = sc - 1;
        for (int i = 0; i < sa; ++i) {
            if (c == 0) {
                b.faces.push_back({R[m][nx(i)], R[m][i], centre[0]});
                b.faceUVs.push_back({U[m][nx(i)], U[m][i], centreUV[0]});
            } else {
                b.faces.push_back({R[m][i], R[m][nx(i)], centre[1]});
                b.faceUVs.push_back({U[m][i], U[m][nx(i)], centreUV[1]});
            }
        }
    }
    // The rims between side and caps are hard; everything else is smooth.
    const int rimTop = sh * sa;
    b.smooth = [sa, rimTop](int a, int c) {
        bool bottomRim = a < sa && c < sa;
        bool topRim = a >= rimTop && a < rimTop + sa && c >= rimTop && c < rimTop + sa;
        return !(bottomRim || topRim);
    };
    return b.build(axis, uvs, out, err);
}

}  // namespace host::scene::primitives
