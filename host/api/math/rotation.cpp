// Euler rotations and quaternions. Elementary rotations for row vectors:
//   Rx = [1 0 0; 0 c s; 0 -s c]  Ry = [c 0 -s; 0 1 0; s 0 c]  Rz = [c s 0; -s c 0; 0 0 1]
// and an Euler order lists the axes in the order they apply.
#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MQuaternion.h>

#include <cmath>
#include <ostream>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

struct OrderAxes {
    int first, second, third;
    bool odd;  // not a cyclic permutation of xyz
};

OrderAxes axesOf(MEulerRotation::RotationOrder o) {
    switch (o) {
        case MEulerRotation::kYZX: return {1, 2, 0, false};
        case MEulerRotation::kZXY: return {2, 0, 1, false};
        case MEulerRotation::kXZY: return {0, 2, 1, true};
        case MEulerRotation::kYXZ: return {1, 0, 2, true};
        case MEulerRotation::kZYX: return {2, 1, 0, true};
        case MEulerRotation::kXYZ:
        default: return {0, 1, 2, false};
    }
}

MMatrix axisRotation(int axis, double angle) {
    MMatrix m;
    double c = std::cos(angle), s = std::sin(angle);
    int a = (axis + 1) % 3, b = (axis + 2) % 3;
    m.matrix[a][a] = c;
    m.matrix[a][b] = s;
    m.matrix[b][a] = -s;
    m.matrix[b][b] = c;
    return m;
}

double wrapPi(double a) {
    if (!std::isfinite(a)) return a;
    a = std::fmod(a, kTwoPi);
    if (a > kPi) a -= kTwoPi;
    else if (a < -kPi) a += kTwoPi;
    return a;
}

double nearestCut(double a, double target) {
    if (!std::isfinite(a) || !std::isfinite(target)) return a;
    return a + kTwoPi * std::round((target - a) / kTwoPi);
}

// Hamilton product p q (column-vector convention: apply q, then p).
MQuaternion hamilton(const MQuaternion& p, const MQuaternion& q) {
    return MQuaternion(p.w * q.x + q.w * p.x + (p.y * q.z - p.z * q.y),
                       p.w * q.y + q.w * p.y + (p.z * q.x - p.x * q.z),
                       p.w * q.z + q.w * p.z + (p.x * q.y - p.y * q.x),
                       p.w * q.w - (p.x * q.x + p.y * q.y + p.z * q.z));
}

}  // namespace

// --------------------------------------------------------- MEulerRotation

const MEulerRotation MEulerRotation::identity;

MEulerRotation& MEulerRotation::operator=(const MQuaternion& q) {
    *this = decompose(q.asMatrix(), order);
    return *this;
}
MEulerRotation& MEulerRotation::operator=(const MMatrix& m) {
    *this = decompose(m, order);
    return *this;
}
MEulerRotation& MEulerRotation::operator=(const MVector& v) {
    x = v.x; y = v.y; z = v.z;
    return *this;
}
MEulerRotation& MEulerRotation::setValue(const MVector& v, RotationOrder ord) {
    return setValue(v.x, v.y, v.z, ord);
}
MEulerRotation& MEulerRotation::setValue(double xx, double yy, double zz, RotationOrder ord) {
    x = xx; y = yy; z = zz; order = ord;
    return *this;
}

MEulerRotation MEulerRotation::operator+(const MEulerRotation& o) const {
    return MEulerRotation(x + o.x, y + o.y, z + o.z, order);
}
MEulerRotation& MEulerRotation::operator+=(const MEulerRotation& o) { return *this = *this + o; }
MEulerRotation MEulerRotation::operator-(const MEulerRotation& o) const {
    return MEulerRotation(x - o.x, y - o.y, z - o.z, order);
}
MEulerRotation& MEulerRotation::operator-=(const MEulerRotation& o) { return *this = *this - o; }
MEulerRotation MEulerRotation::operator-() const { return MEulerRotation(-x, -y, -z, order); }
MEulerRotation MEulerRotation::operator*(const MEulerRotation& o) const {
    return decompose(asMatrix() * o.asMatrix(), order);
}
MEulerRotation MEulerRotation::operator*(const MQuaternion& q) const {
    return decompose(asMatrix() * q.asMatrix(), order);
}
MEulerRotation& MEulerRotation::operator*=(const MEulerRotation& o) { return *this = *this * o; }
MEulerRotation& MEulerRotation::operator*=(const MQuaternion& q) { return *this = *this * q; }
MEulerRotation MEulerRotation::operator*(double s) const { return MEulerRotation(x * s, y * s, z * s, order); }
MEulerRotation& MEulerRotation::operator*=(double s) { return *this = *this * s; }
bool MEulerRotation::operator==(const MEulerRotation& o) const {
    return x == o.x && y == o.y && z == o.z && order == o.order;
}
bool MEulerRotation::isEquivalent(const MEulerRotation& o, double tol) const {
    return order == o.order && std::fabs(x - o.x) <= tol && std::fabs(y - o.y) <= tol &&
           std::fabs(z - o.z) <= tol;
}
bool MEulerRotation::isZero(double tol) const {
    return std::fabs(x) <= tol && std::fabs(y) <= tol && std::fabs(z) <= tol;
}

MEulerRotation MEulerRotation::inverse() const {
    // Reversing the angles means reversing the order too; express the result
    // in this rotation's order.
    return decompose(asMatrix().transpose(), order);
}
MEulerRotation& MEulerRotation::invertIt() { return *this = inverse(); }

MEulerRotation MEulerRotation::reorder(RotationOrder ord) const {
    if (ord == order) return *this;
    return decompose(asMatrix(), ord);
}
MEulerRotation& MEulerRotation::reorderIt(RotationOrder ord) { return *this = reorder(ord); }

MEulerRotation MEulerRotation::bound() const {
    return MEulerRotation(wrapPi(x), wrapPi(y), wrapPi(z), order);
}
MEulerRotation& MEulerRotation::boundIt(const MEulerRotation& src) { return *this = src.bound(); }
MEulerRotation& MEulerRotation::boundIt() { return *this = bound(); }

MEulerRotation MEulerRotation::alternateSolution() const {
    // Ri(a) Rj(b) Rk(c) == Ri(a+pi) Rj(pi-b) Rk(c+pi) for any distinct axes.
    double v[3] = {x, y, z};
    OrderAxes ax = axesOf(order);
    v[ax.first] += kPi;
    v[ax.second] = kPi - v[ax.second];
    v[ax.third] += kPi;
    return MEulerRotation(v[0], v[1], v[2], order).bound();
}
MEulerRotation& MEulerRotation::setToAlternateSolution(const MEulerRotation& src) {
    return *this = src.alternateSolution();
}
MEulerRotation& MEulerRotation::setToAlternateSolution() { return *this = alternateSolution(); }

MEulerRotation MEulerRotation::closestCut(const MEulerRotation& dst) const {
    return MEulerRotation(nearestCut(x, dst.x), nearestCut(y, dst.y), nearestCut(z, dst.z), order);
}
MEulerRotation& MEulerRotation::setToClosestCut(const MEulerRotation& src, const MEulerRotation& dst) {
    return *this = src.closestCut(dst);
}
MEulerRotation& MEulerRotation::setToClosestCut(const MEulerRotation& dst) { return *this = closestCut(dst); }

MEulerRotation MEulerRotation::closestSolution(const MEulerRotation& dst) const {
    MEulerRotation a = closestCut(dst);
    MEulerRotation b = alternateSolution().closestCut(dst);
    auto dist = [&](const MEulerRotation& e) {
        return std::fabs(e.x - dst.x) + std::fabs(e.y - dst.y) + std::fabs(e.z - dst.z);
    };
    return dist(b) < dist(a) ? b : a;
}
MEulerRotation& MEulerRotation::setToClosestSolution(const MEulerRotation& src, const MEulerRotation& dst) {
    return *this = src.closestSolution(dst);
}
MEulerRotation& MEulerRotation::setToClosestSolution(const MEulerRotation& dst) {
    return *this = closestSolution(dst);
}

MEulerRotation& MEulerRotation::incrementalRotateBy(const MVector& axis, double angle) {
    MEulerRotation before = *this;
    *this = decompose(asMatrix() * MQuaternion(angle, axis).asMatrix(), order);
    return setToClosestSolution(before);
}

MQuaternion MEulerRotation::asQuaternion() const {
    MQuaternion q;
    q = asMatrix();
    return q;
}

MMatrix MEulerRotation::asMatrix() const {
    const double v[3] = {x, y, z};
    OrderAxes ax = axesOf(order);
    return axisRotation(ax.first, v[ax.first]) * axisRotation(ax.second, v[ax.second]) *
           axisRotation(ax.third, v[ax.third]);
}

MEulerRotation MEulerRotation::decompose(const MMatrix& in, RotationOrder ord) {
    // Strip scale: normalise the rows of the upper 3x3.
    double m[3][3];
    for (int r = 0; r < 3; ++r) {
        double l = std::sqrt(in.matrix[r][0] * in.matrix[r][0] + in.matrix[r][1] * in.matrix[r][1] +
                             in.matrix[r][2] * in.matrix[r][2]);
        for (int c = 0; c < 3; ++c) m[r][c] = l > 0.0 ? in.matrix[r][c] / l : (r == c ? 1.0 : 0.0);
    }
    OrderAxes ax = axesOf(ord);
    const int i = ax.first, j = ax.second, k = ax.third;
    // With the axes relabelled to x, y, z the cyclic orders are xyz; the
    // others are xyz in a left-handed frame, so their angles change sign.
    const double sg = ax.odd ? -1.0 : 1.0;
    double a, b, c;
    double cb = std::sqrt(m[i][i] * m[i][i] + m[i][j] * m[i][j]);
    b = std::atan2(-sg * m[i][k], cb);
    if (cb > 1.0e-12) {
        a = std::atan2(sg * m[j][k], m[k][k]);
        c = std::atan2(sg * m[i][j], m[i][i]);
    } else {
        // Gimbal lock: only a +/- c is defined; put it all in the first angle.
        a = std::atan2(-sg * m[k][j], m[j][j]);
        c = 0.0;
    }
    double v[3];
    v[i] = a;
    v[j] = b;
    v[k] = c;
    return MEulerRotation(v[0], v[1], v[2], ord);
}

std::ostream& operator<<(std::ostream& os, const MEulerRotation& e) {
    return os << "[" << e.x << ", " << e.y << ", " << e.z << ", order " << static_cast<int>(e.order) << "]";
}

// ------------------------------------------------------------ MQuaternion

const MQuaternion MQuaternion::identity;

MQuaternion::MQuaternion(const MVector& a, const MVector& b) : MQuaternion(a, b, 1.0) {}

MQuaternion::MQuaternion(const MVector& a, const MVector& b, double factor) {
    MVector na = a.normal(), nb = b.normal();
    if (na.length() == 0.0 || nb.length() == 0.0) return;
    MVector axis = na ^ nb;
    double angle = na.angle(nb);
    if (axis.length() < 1.0e-12) {
        if (na * nb > 0.0) return;  // same direction: identity
        // Opposite: any axis perpendicular to a.
        axis = na ^ MVector::xAxis;
        if (axis.length() < 1.0e-6) axis = na ^ MVector::yAxis;
    }
    setAxisAngle(axis, angle * factor);
}

MQuaternion::MQuaternion(double angle, const MVector& axis) { setAxisAngle(axis, angle); }

MQuaternion& MQuaternion::operator=(const MMatrix& in) {
    // Column-vector rotation R = transpose of the row-vector matrix; rows
    // are normalised to strip scale.
    double R[3][3];
    for (int r = 0; r < 3; ++r) {
        double l = std::sqrt(in.matrix[r][0] * in.matrix[r][0] + in.matrix[r][1] * in.matrix[r][1] +
                             in.matrix[r][2] * in.matrix[r][2]);
        for (int c = 0; c < 3; ++c) R[c][r] = l > 0.0 ? in.matrix[r][c] / l : (r == c ? 1.0 : 0.0);
    }
    double tr = R[0][0] + R[1][1] + R[2][2];
    if (tr > 0.0) {
        double s = std::sqrt(tr + 1.0) * 2.0;
        w = 0.25 * s;
        x = (R[2][1] - R[1][2]) / s;
        y = (R[0][2] - R[2][0]) / s;
        z = (R[1][0] - R[0][1]) / s;
    } else if (R[0][0] > R[1][1] && R[0][0] > R[2][2]) {
        double s = std::sqrt(1.0 + R[0][0] - R[1][1] - R[2][2]) * 2.0;
        w = (R[2][1] - R[1][2]) / s;
        x = 0.25 * s;
        y = (R[0][1] + R[1][0]) / s;
        z = (R[0][2] + R[2][0]) / s;
    } else if (R[1][1] > R[2][2]) {
        double s = std::sqrt(1.0 + R[1][1] - R[0][0] - R[2][2]) * 2.0;
        w = (R[0][2] - R[2][0]) / s;
        x = (R[0][1] + R[1][0]) / s;
        y = 0.25 * s;
        z = (R[1][2] + R[2][1]) / s;
    } else {
        double s = std::sqrt(1.0 + R[2][2] - R[0][0] - R[1][1]) * 2.0;
        w = (R[1][0] - R[0][1]) / s;
        x = (R[0][2] + R[2][0]) / s;
        y = (R[1][2] + R[2][1]) / s;
        z = 0.25 * s;
    }
    if (w < 0.0) negateIt();
    return normalizeIt();
}

MQuaternion& MQuaternion::operator=(const MEulerRotation& e) { return *this = e.asMatrix(); }

MMatrix MQuaternion::asMatrix() const {
    MQuaternion q = normal();
    double xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    double xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    double wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
    MMatrix m;
    // Transpose of the column-vector rotation matrix.
    m.matrix[0][0] = 1.0 - 2.0 * (yy + zz);
    m.matrix[0][1] = 2.0 * (xy + wz);
    m.matrix[0][2] = 2.0 * (xz - wy);
    m.matrix[1][0] = 2.0 * (xy - wz);
    m.matrix[1][1] = 1.0 - 2.0 * (xx + zz);
    m.matrix[1][2] = 2.0 * (yz + wx);
    m.matrix[2][0] = 2.0 * (xz + wy);
    m.matrix[2][1] = 2.0 * (yz - wx);
    m.matrix[2][2] = 1.0 - 2.0 * (xx + yy);
    return m;
}

MEulerRotation MQuaternion::asEulerRotation() const {
    return MEulerRotation::decompose(asMatrix(), MEulerRotation::kXYZ);
}

MQuaternion& MQuaternion::setAxisAngle(const MVector& axis, double theta) {
    MVector n = axis.normal();
    if (n.length() == 0.0) {
        x = y = z = 0.0;
        w = 1.0;
        return *this;
    }
    double s = std::sin(theta * 0.5);
    x = n.x * s; y = n.y * s; z = n.z * s;
    w = std::cos(theta * 0.5);
    return *this;
}

bool MQuaternion::getAxisAngle(MVector& axis, double& theta) const {
    MQuaternion q = normal();
    double s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    theta = 2.0 * std::atan2(s, q.w);
    if (s < 1.0e-15) {
        axis = MVector::zAxis;
        theta = 0.0;
        return false;
    }
    axis = MVector(q.x / s, q.y / s, q.z / s);
    return true;
}

MQuaternion& MQuaternion::setToXAxis(double t) { return setAxisAngle(MVector::xAxis, t); }
MQuaternion& MQuaternion::setToYAxis(double t) { return setAxisAngle(MVector::yAxis, t); }
MQuaternion& MQuaternion::setToZAxis(double t) { return setAxisAngle(MVector::zAxis, t); }
MStatus MQuaternion::get(double d[4]) const {
    d[0] = x; d[1] = y; d[2] = z; d[3] = w;
    return MStatus::kSuccess;
}

MQuaternion MQuaternion::operator+(const MQuaternion& o) const { return MQuaternion(x + o.x, y + o.y, z + o.z, w + o.w); }
MQuaternion MQuaternion::operator-(const MQuaternion& o) const { return MQuaternion(x - o.x, y - o.y, z - o.z, w - o.w); }
MQuaternion MQuaternion::operator-() const { return MQuaternion(-x, -y, -z, -w); }
MQuaternion MQuaternion::operator*(const MQuaternion& o) const { return hamilton(o, *this); }
MQuaternion& MQuaternion::operator*=(const MQuaternion& o) { return *this = *this * o; }
bool MQuaternion::operator==(const MQuaternion& o) const {
    return x == o.x && y == o.y && z == o.z && w == o.w;
}
bool MQuaternion::isEquivalent(const MQuaternion& o, double tol) const {
    // q and -q are the same rotation.
    auto close = [&](double s) {
        return std::fabs(x - s * o.x) <= tol && std::fabs(y - s * o.y) <= tol &&
               std::fabs(z - s * o.z) <= tol && std::fabs(w - s * o.w) <= tol;
    };
    return close(1.0) || close(-1.0);
}

MQuaternion& MQuaternion::scaleIt(double s) { x *= s; y *= s; z *= s; w *= s; return *this; }
MQuaternion MQuaternion::normal() const { MQuaternion q(*this); return q.normalizeIt(); }
MQuaternion& MQuaternion::normalizeIt() {
    double l = std::sqrt(x * x + y * y + z * z + w * w);
    if (l > 0.0) scaleIt(1.0 / l);
    else { x = y = z = 0.0; w = 1.0; }
    return *this;
}
MQuaternion MQuaternion::conjugate() const { return MQuaternion(-x, -y, -z, w); }
MQuaternion& MQuaternion::conjugateIt() { return *this = conjugate(); }
MQuaternion MQuaternion::inverse() const {
    double n = x * x + y * y + z * z + w * w;
    if (n == 0.0) return MQuaternion();
    return MQuaternion(-x / n, -y / n, -z / n, w / n);
}
MQuaternion& MQuaternion::invertIt() { return *this = inverse(); }
MQuaternion MQuaternion::log() const {
    double s = std::sqrt(x * x + y * y + z * z);
    double t = std::atan2(s, w);
    double f = s > 1.0e-15 ? t / s : 1.0;
    return MQuaternion(x * f, y * f, z * f, 0.0);
}
MQuaternion MQuaternion::exp() const {
    double t = std::sqrt(x * x + y * y + z * z);
    double f = t > 1.0e-15 ? std::sin(t) / t : 1.0;
    return MQuaternion(x * f, y * f, z * f, std::cos(t));
}
MQuaternion& MQuaternion::negateIt() { return scaleIt(-1.0); }

MQuaternion operator*(double s, const MQuaternion& q) { return MQuaternion(q).scaleIt(s); }

MQuaternion slerp(const MQuaternion& p, const MQuaternion& qIn, double t, short spin) {
    MQuaternion q = qIn;
    double c = p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w;
    if (c < 0.0) {
        c = -c;
        q.negateIt();
    }
    c = std::fmin(c, 1.0);
    double theta = std::acos(c);
    double sinT = std::sin(theta);
    double a, b;
    if (sinT < 1.0e-9) {
        // Ends (nearly) equal: no defined arc to spin along.
        a = 1.0 - t;
        b = t;
    } else {
        double phi = theta + spin * kPi;
        a = std::sin(theta - t * phi) / sinT;
        b = std::sin(t * phi) / sinT;
    }
    return MQuaternion(a * p.x + b * q.x, a * p.y + b * q.y, a * p.z + b * q.z, a * p.w + b * q.w);
}

std::ostream& operator<<(std::ostream& os, const MQuaternion& q) {
    return os << "[" << q.x << ", " << q.y << ", " << q.z << ", " << q.w << "]";
}
