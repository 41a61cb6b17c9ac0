// Evaluation of file textures, motion paths, aim constraints and lookAt
// nodes. The types themselves are registered with the built-ins; this file
// adds the attributes their evaluation needs and the compute functions.
#include "scene/render/render_types.h"

#include "api/math/xform.h"
#include "imf/image_library.h"
#include "scene/nurbs/nurbs_data.h"

#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <platform/platform.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <filesystem>
#include <memory>

namespace host::scene {

namespace {

constexpr double kPi = 3.14159265358979323846;

using Vec = std::array<double, 3>;
using Mat3 = std::array<Vec, 3>;  // rows: images of the local x, y, z axes

Vec add(const Vec& a, const Vec& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Vec sub(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec scale(const Vec& a, double k) { return {a[0] * k, a[1] * k, a[2] * k}; }
double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double len(const Vec& a) { return std::sqrt(dot(a, a)); }
bool normalize(Vec& a) {
    double l = len(a);
    if (!(l > 1e-12)) return false;
    a = scale(a, 1.0 / l);
    return true;
}
// Row-vector transforms: p * M.
Vec xformPoint(const Vec& p, const Matrix4& m) {
    Vec r;
    for (int k = 0; k < 3; ++k) r[k] = p[0] * m.m[0][k] + p[1] * m.m[1][k] + p[2] * m.m[2][k] + m.m[3][k];
    return r;
}
Vec xformVector(const Vec& v, const Matrix4& m) {
    Vec r;
    for (int k = 0; k < 3; ++k) r[k] = v[0] * m.m[0][k] + v[1] * m.m[1][k] + v[2] * m.m[2][k];
    return r;
}
Mat3 mul(const Mat3& a, const Mat3& b) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return r;
}
Mat3 transpose(const Mat3& a) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r[i][j] = a[j][i];
    return r;
}
Mat3 identity3() { return {Vec{1, 0, 0}, Vec{0, 1, 0}, Vec{0, 0, 1}}; }
// Rotation by angle about a unit axis, for row vectors.
Mat3 axisAngle(const Vec& axis, double angle) {
    double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    double x = axis[0], y = axis[1], z = axis[2];
    // Column-vector form transposed.
    Mat3 col = {Vec{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                Vec{t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                Vec{t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
    return transpose(col);
}
Mat3 eulerMatrix(const Vec& r, int order) {
    MMatrix m = host::math::rotationMatrix(MVector(r[0], r[1], r[2]), order);
    Mat3 out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = m.matrix[i][j];
    return out;
}
Vec eulerOf(const Mat3& r, int order) {
    double m[4][4] = {{r[0][0], r[0][1], r[0][2], 0}, {r[1][0], r[1][1], r[1][2], 0}, {r[2][0], r[2][1], r[2][2], 0},
                      {0, 0, 0, 1}};
    if (order < 0 || order > 5) order = 0;
    MEulerRotation e = MEulerRotation::decompose(MMatrix(m), static_cast<MEulerRotation::RotationOrder>(order));
    return {e.x, e.y, e.z};
}
// Rotation taking unit vector a onto unit vector b along the shortest arc.
Mat3 rotationBetween(const Vec& a, const Vec& b) {
    Vec axis = cross(a, b);
    double c = std::max(-1.0, std::min(1.0, dot(a, b)));
    if (len(axis) < 1e-12) {
        if (c > 0) return identity3();
        // Opposite: half a turn about any axis perpendicular to a.
        Vec p = std::fabs(a[0]) < 0.9 ? Vec{1, 0, 0} : Vec{0, 1, 0};
        Vec ax = cross(a, p);
        normalize(ax);
        return axisAngle(ax, kPi);
    }
    normalize(axis);
    return axisAngle(axis, std::acos(c));
}
// Orthonormal frame whose first row is `aim` and whose second lies in the
// plane of aim and up, toward up. False when aim is zero.
bool frame(Vec aim, Vec up, Mat3& out) {
    if (!normalize(aim)) return false;
    Vec side = cross(aim, up);
    if (!normalize(side)) {
        // Up parallel to aim: any perpendicular will do.
        Vec p = std::fabs(aim[0]) < 0.9 ? Vec{1, 0, 0} : Vec{0, 1, 0};
        side = cross(aim, p);
        normalize(side);
    }
    out = {aim, cross(side, aim), side};
    return true;
}

Vec vec3(Scene& s, const Plug& p) {
    std::vector<double> v = s.getNumbers(p);
    v.resize(3, 0.0);
    return {v[0], v[1], v[2]};
}
void setVec3(Scene& s, const Plug& p, const Vec& v) {
    for (unsigned k = 0; k < 3; ++k) s.setComputed(p.child(k), v[k]);
    s.setComputed(p, Value());
}

// Adds an attribute to a type and, as a separate copy, to each derived type
// registered before (their attribute lists were copied at registration).
void addToFamily(std::initializer_list<NodeType*> types, const std::function<AttrPtr()>& make) {
    for (NodeType* t : types)
        if (t) t->addAttribute(make());
}

void markComputed(NodeType* t, std::initializer_list<const char*> outs, std::initializer_list<const char*> ins) {
    if (!t) return;
    for (const char* o : outs) {
        Attribute* oa = t->attribute(o);
        if (!oa) continue;
        oa->computed = true;
        oa->storable = false;
        for (const char* i : ins) {
            Attribute* ia = t->attribute(i);
            if (!ia || std::find(ia->affects.begin(), ia->affects.end(), oa) != ia->affects.end()) continue;
            ia->affects.push_back(oa);
            oa->affectedBy.push_back(ia);
        }
    }
}

// ---------------------------------------------------------------- textures

struct CachedImage {
    std::string path;
    std::filesystem::file_time_type stamp;
    std::uintmax_t size = 0;
    bool ok = false;
    vl2imf::RgbaImage image;
};

std::deque<CachedImage>& imageCache() {
    static std::deque<CachedImage> c;
    return c;
}
constexpr std::size_t kImageCacheEntries = 8;

const CachedImage* cachedImage(const std::string& rawPath) {
    std::string path = vl2platform::resolvePath(rawPath);
    std::error_code ec;
    auto stamp = std::filesystem::last_write_time(path, ec);
    if (ec) return nullptr;
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return nullptr;
    auto& cache = imageCache();
    for (const CachedImage& c : cache)
        if (c.path == path && c.stamp == stamp && c.size == size) return c.ok ? &c : nullptr;
    CachedImage e;
    e.path = path;
    e.stamp = stamp;
    e.size = size;
    e.ok = vl2imf::readImage(path, e.image) && e.image.width > 0 && e.image.height > 0 &&
           e.image.pixels.size() == static_cast<std::size_t>(e.image.width) * static_cast<std::size_t>(e.image.height);
    cache.erase(std::remove_if(cache.begin(), cache.end(), [&](const CachedImage& c) { return c.path == path; }),
                cache.end());
    if (cache.size() >= kImageCacheEntries) cache.pop_front();
    cache.push_back(std::move(e));
    return cache.back().ok ? &cache.back() : nullptr;
}

double wrap01(double x) {
    double f = x - std::floor(x);
    return f >= 1.0 ? 0.0 : f;
}

MStatus computeTexture(Node& n, const Plug& p) {
    std::string path;
    if (Attribute* a = n.type->attribute("fileTextureName")) path = scene().getString(n.plug(a));
    return computeTextureOutput(n, p, path);
}

// ---------------------------------------------------------------- motion paths

// Parameter at which the arc length from the start is `fraction` of the whole.
double paramAtFraction(const nurbs::CurveGeom& c, double fraction) {
    double t0, t1;
    c.domain(t0, t1);
    double total = c.arcLength(t0, t1);
    if (!(total > 0)) return t0 + (t1 - t0) * fraction;
    double want = fraction * total, lo = t0, hi = t1;
    for (int i = 0; i < 60 && hi - lo > 1e-12 * (1 + std::fabs(t1 - t0)); ++i) {
        double mid = 0.5 * (lo + hi);
        if (c.arcLength(t0, mid) < want) lo = mid;
        else hi = mid;
    }
    return 0.5 * (lo + hi);
}

MStatus computeMotionPath(Node& n, const Plug& p) {
    Scene& s = scene();
    Vec pos{0, 0, 0}, front{1, 0, 0}, normal{0, 0, 0};
    bool haveCurve = false;
    auto cd = std::dynamic_pointer_cast<NurbsCurveData>(s.getData(n.plug("geometryPath")));
    if (cd && cd->curve.validate()) {
        const nurbs::CurveGeom& c = cd->curve;
        double t0, t1;
        c.domain(t0, t1);
        double u = s.getDouble(n.plug("uValue"));
        double t;
        if (s.getDouble(n.plug("fractionMode")) != 0) {
            double f = c.form == nurbs::kPeriodic ? wrap01(u) : std::max(0.0, std::min(1.0, u));
            t = paramAtFraction(c, f);
        } else {
            t = c.toDomain(u);
        }
        pos = c.point(t);
        front = c.derivative(t);
        // The curve's normal: how the tangent turns, from a small step either side.
        double h = 1e-4 * std::max(1e-9, t1 - t0);
        Vec d1 = c.derivative(c.toDomain(std::max(t0, t - h))), d2 = c.derivative(c.toDomain(std::min(t1, t + h)));
        normal = sub(d2, d1);
        haveCurve = true;
    }
    setVec3(s, n.plug("allCoordinates"), pos);

    Vec rot{0, 0, 0};
    if (haveCurve && s.getDouble(n.plug("follow")) != 0 && normalize(front)) {
        int fa = static_cast<int>(s.getDouble(n.plug("frontAxis")));
        int ua = static_cast<int>(s.getDouble(n.plug("upAxis")));
        fa = std::max(0, std::min(2, fa));
        ua = std::max(0, std::min(2, ua));
        if (ua == fa) ua = (fa + 1) % 3;
        if (s.getDouble(n.plug("inverseFront")) != 0) front = scale(front, -1);
        Vec up{0, 1, 0};
        Matrix4 wum = s.getMatrix(n.plug("worldUpMatrix"));
        switch (static_cast<int>(s.getDouble(n.plug("worldUpType")))) {
            case 1: up = sub(Vec{wum.m[3][0], wum.m[3][1], wum.m[3][2]}, pos); break;
            case 2: up = xformVector(vec3(s, n.plug("worldUpVector")), wum); break;
            case 3: up = vec3(s, n.plug("worldUpVector")); break;
            case 4: {
                Vec nn = sub(normal, scale(front, dot(normal, front)));
                if (normalize(nn)) up = nn;
                break;
            }
            default: break;
        }
        if (s.getDouble(n.plug("inverseUp")) != 0) up = scale(up, -1);
        Mat3 f;
        frame(front, up, f);
        Mat3 r{};
        int sa = 3 - fa - ua;
        r[fa] = f[0];
        r[ua] = f[1];
        r[sa] = cross(r[(sa + 1) % 3], r[(sa + 2) % 3]);
        // Twists turn the object about its own front, up and side axes, in that order.
        Vec axes[3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
        axes[0][fa] = 1;
        axes[1][ua] = 1;
        axes[2][sa] = 1;
        const char* twists[3] = {"frontTwist", "upTwist", "sideTwist"};
        Mat3 tw = identity3();
        for (int k = 0; k < 3; ++k) {
            double a = s.getDouble(n.plug(twists[k]));
            if (a != 0) tw = mul(tw, axisAngle(axes[k], a));
        }
        rot = eulerOf(mul(tw, r), static_cast<int>(s.getDouble(n.plug("rotateOrder"))));
    }
    setVec3(s, n.plug("rotate"), rot);
    return MStatus::kSuccess;
}

// ---------------------------------------------------------------- aim constraints

MStatus computeAim(Node& n, const Plug& p) {
    Scene& s = scene();
    const bool isLookAt = n.hasFn(MFn::kLookAt);
    Matrix4 cpim = s.getMatrix(n.plug("constraintParentInverseMatrix"));
    Matrix4 parentWorld = cpim.inverse();
    Vec local = add(add(vec3(s, n.plug("constraintTranslate")), vec3(s, n.plug("constraintRotatePivot"))),
                    vec3(s, n.plug("constraintRotateTranslate")));
    Vec here = xformPoint(local, parentWorld);

    // Weighted target position in world space.
    Plug targets = n.plug("target");
    Attribute* ttA = n.type->attribute("targetTranslate");
    Attribute* tpmA = n.type->attribute("targetParentMatrix");
    Attribute* twA = n.type->attribute("targetWeight");
    Vec sum{0, 0, 0};
    double wsum = 0;
    for (unsigned i : s.logicalIndices(targets)) {
        Plug e = targets.element(i);
        double w = s.getDouble(e.child(twA));
        if (!(w > 0)) continue;
        Vec t = xformPoint(vec3(s, e.child(ttA)), s.getMatrix(e.child(tpmA)));
        sum = add(sum, scale(t, w));
        wsum += w;
    }
    Vec rot = vec3(s, n.plug("constraintRotate"));
    double distance = 0;
    if (wsum > 0) {
        Vec target = scale(sum, 1.0 / wsum);
        Vec aimWorld = sub(target, here);
        distance = len(aimWorld);
        Vec aimVec = vec3(s, n.plug("aimVector")), upVec = vec3(s, n.plug("upVector"));
        Vec worldUp{0, 1, 0};
        Matrix4 wum = s.getMatrix(n.plug("worldUpMatrix"));
        int upType = static_cast<int>(s.getDouble(n.plug("worldUpType")));
        if (upType == 1) worldUp = sub(Vec{wum.m[3][0], wum.m[3][1], wum.m[3][2]}, here);
        else if (upType == 2) worldUp = xformVector(vec3(s, n.plug("worldUpVector")), wum);
        else if (upType == 3) worldUp = vec3(s, n.plug("worldUpVector"));
        // Into the constrained object's parent space, where its rotation lives.
        Vec aimLocal = xformVector(aimWorld, cpim), upLocal = xformVector(worldUp, cpim);
        Mat3 r;
        bool ok = false;
        if (upType == 4) {
            Vec a = aimVec, b = aimLocal;
            if (normalize(a) && normalize(b)) {
                r = rotationBetween(a, b);
                ok = true;
            }
        } else {
            Mat3 fa, fb;
            if (frame(aimVec, upVec, fa) && frame(aimLocal, upLocal, fb)) {
                r = mul(transpose(fa), fb);
                ok = true;
            }
        }
        if (ok) {
            if (isLookAt) {
                double twist = s.getDouble(n.plug("twist"));
                Vec axis = aimVec;
                if (twist != 0 && normalize(axis)) r = mul(axisAngle(axis, twist), r);
            }
            Vec offset = vec3(s, n.plug("offset"));
            if (len(offset) > 0) r = mul(eulerMatrix(offset, 0), r);
            // A joint's orientation follows its rotation: take it out again.
            Vec jo = vec3(s, n.plug("constraintJointOrient"));
            if (len(jo) > 0) r = mul(r, transpose(eulerMatrix(jo, 0)));
            rot = eulerOf(r, static_cast<int>(s.getDouble(n.plug("constraintRotateOrder"))));
        }
    }
    setVec3(s, n.plug("constraintRotate"), rot);
    if (isLookAt) s.setComputed(n.plug("distanceBetween"), distance);
    return MStatus::kSuccess;
}

}  // namespace

bool sampleImageFile(const std::string& path, double u, double v, double rgba[4]) {
    if (path.empty()) return false;
    const CachedImage* c = cachedImage(path);
    if (!c) return false;
    const vl2imf::RgbaImage& im = c->image;
    int x = std::min(im.width - 1, static_cast<int>(wrap01(u) * im.width));
    // Row 0 is the top; v runs up.
    int y = std::min(im.height - 1, static_cast<int>((1.0 - wrap01(v)) * im.height));
    y = std::max(0, y);
    std::uint32_t px = im.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(im.width) + static_cast<std::size_t>(x)];
    for (int k = 0; k < 4; ++k) rgba[k] = static_cast<double>((px >> (8 * k)) & 0xffu) / 255.0;
    return true;
}

MStatus computeTextureOutput(Node& n, const Plug& p, const std::string& imagePath) {
    Scene& s = scene();
    auto numbers = [&](const char* a, std::size_t count, double def) {
        Attribute* at = n.type->attribute(a);
        std::vector<double> v = at ? s.getNumbers(n.plug(at)) : std::vector<double>();
        v.resize(count, def);
        return v;
    };
    auto number = [&](const char* a, double def) {
        Attribute* at = n.type->attribute(a);
        return at ? s.getDouble(n.plug(at)) : def;
    };
    std::vector<double> uv = numbers("uvCoord", 2, 0.0);
    double texel[4];
    bool haveImage = sampleImageFile(imagePath, uv[0], uv[1], texel);
    if (!haveImage) {
        std::vector<double> d = numbers("defaultColor", 3, 0.5);
        texel[0] = d[0], texel[1] = d[1], texel[2] = d[2], texel[3] = 1.0;
    }
    if (number("invert", 0) != 0)
        for (int k = 0; k < 4; ++k) texel[k] = 1.0 - texel[k];
    std::vector<double> gain = numbers("colorGain", 3, 1.0), offset = numbers("colorOffset", 3, 0.0);
    Vec out;
    for (int k = 0; k < 3; ++k) out[k] = static_cast<double>(static_cast<float>(texel[k] * gain[k] + offset[k]));
    if (Attribute* oc = n.type->attribute("outColor")) setVec3(s, n.plug(oc), out);
    if (Attribute* oa = n.type->attribute("outAlpha")) {
        double alpha = number("alphaIsLuminance", 0) != 0
                           ? 0.3 * texel[0] + 0.59 * texel[1] + 0.11 * texel[2]
                           : texel[3];
        s.setComputed(n.plug(oa), static_cast<double>(static_cast<float>(alpha * number("alphaGain", 1) + number("alphaOffset", 0))));
    }
    return MStatus::kSuccess;
}

void registerRenderTypes(Scene& s) {
    auto unit3 = [](const char* l, const char* sn, UnitType u) {
        return [=]() {
            std::string L(l), S(sn);
            return makeUnitCompound(L, S, u, {L + "X", L + "Y", L + "Z"}, {S + "x", S + "y", S + "z"});
        };
    };

    // ---- textures
    if (NodeType* tex = s.findType("texture2d")) {
        tex->compute = computeTexture;
        markComputed(tex, {"outColor", "outAlpha"},
                     {"uvCoord", "defaultColor", "colorGain", "colorOffset", "alphaGain", "alphaOffset",
                      "alphaIsLuminance", "invert"});
    }
    if (NodeType* file = s.findType("file")) {
        // outColor/outAlpha were copied from texture2d and are marked already;
        // the file name affects them too.
        markComputed(file, {"outColor", "outAlpha"}, {"fileTextureName", "uvCoord", "colorGain", "colorOffset"});
    }

    // ---- motion paths
    if (NodeType* mp = s.findType("motionPath")) {
        mp->compute = computeMotionPath;
        markComputed(mp, {"allCoordinates", "rotate"},
                     {"geometryPath", "uValue", "fractionMode", "follow", "frontAxis", "upAxis", "worldUpType",
                      "worldUpVector", "worldUpMatrix", "inverseUp", "inverseFront", "frontTwist", "upTwist",
                      "sideTwist", "rotateOrder"});
    }

    // ---- aim constraints and lookAt (lookAt copied aimConstraint's list)
    NodeType* aim = s.findType("aimConstraint");
    NodeType* look = s.findType("lookAt");
    if (aim) {
        addToFamily({aim, look}, unit3("constraintRotatePivot", "crp", UnitType::kDistance));
        addToFamily({aim, look}, unit3("constraintRotateTranslate", "crt", UnitType::kDistance));
        addToFamily({aim, look}, unit3("constraintJointOrient", "cjo", UnitType::kAngle));
        addToFamily({aim, look}, [] {
            std::vector<std::pair<std::string, int>> f;
            int i = 0;
            for (const char* o : {"xyz", "yzx", "zxy", "xzy", "yxz", "zyx"}) f.emplace_back(o, i++);
            return makeEnum("constraintRotateOrder", "cro", f, 0);
        });
        aim->compute = computeAim;
        for (NodeType* t : {aim, look})
            markComputed(t, {"constraintRotate"},
                         {"target", "targetTranslate", "targetParentMatrix", "targetWeight", "aimVector", "upVector",
                          "worldUpType", "worldUpVector", "worldUpMatrix", "constraintParentInverseMatrix",
                          "constraintTranslate", "constraintRotatePivot", "constraintRotateTranslate",
                          "constraintJointOrient", "constraintRotateOrder", "offset", "twist"});
    }
    if (look)
        markComputed(look, {"distanceBetween"},
                     {"target", "targetTranslate", "targetParentMatrix", "constraintTranslate",
                      "constraintParentInverseMatrix"});
}

}  // namespace host::scene
