// Vectors and points; products with matrices use row vectors.
#include <maya/MFloatMatrix.h>
#include <maya/MFloatPoint.h>
#include <maya/MFloatVector.h>
#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <algorithm>
#include <cmath>
#include <ostream>

// ---------------------------------------------------------------- MVector

const MVector MVector::zero(0.0, 0.0, 0.0);
const MVector MVector::one(1.0, 1.0, 1.0);
const MVector MVector::xAxis(1.0, 0.0, 0.0);
const MVector MVector::yAxis(0.0, 1.0, 0.0);
const MVector MVector::zAxis(0.0, 0.0, 1.0);
const MVector MVector::xNegAxis(-1.0, 0.0, 0.0);
const MVector MVector::yNegAxis(0.0, -1.0, 0.0);
const MVector MVector::zNegAxis(0.0, 0.0, -1.0);

MVector::MVector(const MFloatVector& v) : x(v.x), y(v.y), z(v.z) {}
MVector::MVector(const MPoint& p) : x(p.x), y(p.y), z(p.z) {}
MVector::MVector(const MFloatPoint& p) : x(p.x), y(p.y), z(p.z) {}

MVector MVector::operator*(const MMatrix& m) const {
    return MVector(x * m.matrix[0][0] + y * m.matrix[1][0] + z * m.matrix[2][0],
                   x * m.matrix[0][1] + y * m.matrix[1][1] + z * m.matrix[2][1],
                   x * m.matrix[0][2] + y * m.matrix[1][2] + z * m.matrix[2][2]);
}

MVector& MVector::operator*=(const MMatrix& m) { return *this = *this * m; }

MVector operator*(const MMatrix& m, const MVector& v) {
    return MVector(m.matrix[0][0] * v.x + m.matrix[0][1] * v.y + m.matrix[0][2] * v.z,
                   m.matrix[1][0] * v.x + m.matrix[1][1] * v.y + m.matrix[1][2] * v.z,
                   m.matrix[2][0] * v.x + m.matrix[2][1] * v.y + m.matrix[2][2] * v.z);
}

MVector MVector::rotateBy(const MQuaternion& q) const { return *this * q.asMatrix(); }
MVector MVector::rotateBy(const MEulerRotation& e) const { return *this * e.asMatrix(); }
MVector MVector::rotateBy(Axis axis, double angle) const {
    MVector a = axis == kXaxis ? xAxis : axis == kYaxis ? yAxis : zAxis;
    if (axis == kWaxis) return *this;
    return rotateBy(MQuaternion(angle, a));
}
MQuaternion MVector::rotateTo(const MVector& target) const { return MQuaternion(*this, target); }

MStatus MVector::get(double d[3]) const {
    d[0] = x; d[1] = y; d[2] = z;
    return MStatus::kSuccess;
}

double MVector::length() const { return std::sqrt(x * x + y * y + z * z); }

MVector MVector::normal() const {
    MVector r(*this);
    r.normalize();
    return r;
}

MStatus MVector::normalize() {
    double l = length();
    if (l > 0.0) { x /= l; y /= l; z /= l; }
    return MStatus::kSuccess;
}

double MVector::angle(const MVector& o) const {
    // atan2 of |a x b| and a.b stays accurate near 0 and pi.
    double c = (*this ^ o).length();
    double d = *this * o;
    if (c == 0.0 && d == 0.0) return 0.0;
    return std::atan2(c, d);
}

bool MVector::isEquivalent(const MVector& o, double tol) const {
    return (*this - o).length() <= tol;
}

bool MVector::isParallel(const MVector& o, double tol) const {
    double la = length(), lb = o.length();
    if (la == 0.0 || lb == 0.0) return true;
    return std::fabs(std::fabs((*this * o) / (la * lb)) - 1.0) <= tol;
}

MVector MVector::transformAsNormal(const MMatrix& m) const {
    MVector r = *this * m.inverse().transpose();
    return r.normal();
}

std::ostream& operator<<(std::ostream& os, const MVector& v) {
    return os << "[" << v.x << ", " << v.y << ", " << v.z << "]";
}

// ----------------------------------------------------------- MFloatVector

const MFloatVector MFloatVector::zero(0.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::one(1.0f, 1.0f, 1.0f);
const MFloatVector MFloatVector::xAxis(1.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::yAxis(0.0f, 1.0f, 0.0f);
const MFloatVector MFloatVector::zAxis(0.0f, 0.0f, 1.0f);
const MFloatVector MFloatVector::xNegAxis(-1.0f, 0.0f, 0.0f);
const MFloatVector MFloatVector::yNegAxis(0.0f, -1.0f, 0.0f);
const MFloatVector MFloatVector::zNegAxis(0.0f, 0.0f, -1.0f);

MFloatVector::MFloatVector(const MVector& v)
    : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z)) {}
MFloatVector::MFloatVector(const MFloatPoint& p) : x(p.x), y(p.y), z(p.z) {}

MFloatVector MFloatVector::operator*(const MFloatMatrix& m) const {
    return MFloatVector(x * m.matrix[0][0] + y * m.matrix[1][0] + z * m.matrix[2][0],
                        x * m.matrix[0][1] + y * m.matrix[1][1] + z * m.matrix[2][1],
                        x * m.matrix[0][2] + y * m.matrix[1][2] + z * m.matrix[2][2]);
}
MFloatVector& MFloatVector::operator*=(const MFloatMatrix& m) { return *this = *this * m; }
MFloatVector operator*(const MFloatMatrix& m, const MFloatVector& v) {
    return MFloatVector(m.matrix[0][0] * v.x + m.matrix[0][1] * v.y + m.matrix[0][2] * v.z,
                        m.matrix[1][0] * v.x + m.matrix[1][1] * v.y + m.matrix[1][2] * v.z,
                        m.matrix[2][0] * v.x + m.matrix[2][1] * v.y + m.matrix[2][2] * v.z);
}

MStatus MFloatVector::get(float d[3]) const {
    d[0] = x; d[1] = y; d[2] = z;
    return MStatus::kSuccess;
}
float MFloatVector::length() const { return std::sqrt(x * x + y * y + z * z); }
MFloatVector MFloatVector::normal() const {
    MFloatVector r(*this);
    r.normalize();
    return r;
}
MStatus MFloatVector::normalize() {
    float l = length();
    if (l > 0.0f) { x /= l; y /= l; z /= l; }
    return MStatus::kSuccess;
}
float MFloatVector::angle(const MFloatVector& o) const {
    return static_cast<float>(MVector(*this).angle(MVector(o)));
}
bool MFloatVector::isEquivalent(const MFloatVector& o, float tol) const {
    return (*this - o).length() <= tol;
}
bool MFloatVector::isParallel(const MFloatVector& o, float tol) const {
    return MVector(*this).isParallel(MVector(o), tol);
}
MFloatVector MFloatVector::transformAsNormal(const MFloatMatrix& m) const {
    return (*this * m.inverse().transpose()).normal();
}
std::ostream& operator<<(std::ostream& os, const MFloatVector& v) {
    return os << "[" << v.x << ", " << v.y << ", " << v.z << "]";
}

// ----------------------------------------------------------------- MPoint

const MPoint MPoint::origin(0.0, 0.0, 0.0, 1.0);

MPoint::MPoint(const MFloatPoint& p) : x(p.x), y(p.y), z(p.z), w(p.w) {}
MPoint::MPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z), w(1.0) {}

namespace {
// Points with w != 1 take part in arithmetic by their cartesian form.
inline MVector cart(const MPoint& p) {
    if (p.w == 1.0 || p.w == 0.0) return MVector(p.x, p.y, p.z);
    return MVector(p.x / p.w, p.y / p.w, p.z / p.w);
}
}  // namespace

MVector MPoint::operator-(const MPoint& o) const { return cart(*this) - cart(o); }
MPoint MPoint::operator+(const MVector& v) const { return MPoint(cart(*this) + v); }
MPoint MPoint::operator-(const MVector& v) const { return MPoint(cart(*this) - v); }
MPoint& MPoint::operator+=(const MVector& v) { return *this = *this + v; }
MPoint& MPoint::operator-=(const MVector& v) { return *this = *this - v; }
MPoint MPoint::operator+(const MPoint& o) const { return MPoint(cart(*this) + cart(o)); }
MPoint MPoint::operator*(double s) const { return MPoint(x * s, y * s, z * s, w); }
MPoint MPoint::operator/(double s) const { return MPoint(x / s, y / s, z / s, w); }
MPoint& MPoint::operator*=(double s) { return *this = *this * s; }
MPoint& MPoint::operator/=(double s) { return *this = *this / s; }

MPoint MPoint::operator*(const MMatrix& m) const {
    const auto& a = m.matrix;
    return MPoint(x * a[0][0] + y * a[1][0] + z * a[2][0] + w * a[3][0],
                  x * a[0][1] + y * a[1][1] + z * a[2][1] + w * a[3][1],
                  x * a[0][2] + y * a[1][2] + z * a[2][2] + w * a[3][2],
                  x * a[0][3] + y * a[1][3] + z * a[2][3] + w * a[3][3]);
}
MPoint& MPoint::operator*=(const MMatrix& m) { return *this = *this * m; }
MPoint operator*(const MMatrix& m, const MPoint& p) {
    const auto& a = m.matrix;
    return MPoint(a[0][0] * p.x + a[0][1] * p.y + a[0][2] * p.z + a[0][3] * p.w,
                  a[1][0] * p.x + a[1][1] * p.y + a[1][2] * p.z + a[1][3] * p.w,
                  a[2][0] * p.x + a[2][1] * p.y + a[2][2] * p.z + a[2][3] * p.w,
                  a[3][0] * p.x + a[3][1] * p.y + a[3][2] * p.z + a[3][3] * p.w);
}

bool MPoint::operator==(const MPoint& o) const {
    return x == o.x && y == o.y && z == o.z && w == o.w;
}

MPoint& MPoint::cartesianize() {
    if (w != 0.0 && w != 1.0) { x /= w; y /= w; z /= w; }
    if (w != 0.0) w = 1.0;
    return *this;
}
MPoint& MPoint::rationalize() {
    if (w != 0.0 && w != 1.0) { x /= w; y /= w; z /= w; }
    return *this;
}
MPoint& MPoint::homogenize() {
    x *= w; y *= w; z *= w;
    return *this;
}
MStatus MPoint::get(double d[4]) const {
    d[0] = x; d[1] = y; d[2] = z; d[3] = w;
    return MStatus::kSuccess;
}
MStatus MPoint::get(float d[4]) const {
    d[0] = static_cast<float>(x); d[1] = static_cast<float>(y);
    d[2] = static_cast<float>(z); d[3] = static_cast<float>(w);
    return MStatus::kSuccess;
}
double MPoint::distanceTo(const MPoint& o) const { return (*this - o).length(); }
bool MPoint::isEquivalent(const MPoint& o, double tol) const {
    return std::fabs(x - o.x) <= tol && std::fabs(y - o.y) <= tol &&
           std::fabs(z - o.z) <= tol && std::fabs(w - o.w) <= tol;
}
std::ostream& operator<<(std::ostream& os, const MPoint& p) {
    return os << "[" << p.x << ", " << p.y << ", " << p.z << ", " << p.w << "]";
}

// ------------------------------------------------------------ MFloatPoint

const MFloatPoint MFloatPoint::origin(0.0f, 0.0f, 0.0f, 1.0f);

MFloatPoint::MFloatPoint(const MPoint& p)
    : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)),
      z(static_cast<float>(p.z)), w(static_cast<float>(p.w)) {}

namespace {
inline MFloatVector cartf(const MFloatPoint& p) {
    if (p.w == 1.0f || p.w == 0.0f) return MFloatVector(p.x, p.y, p.z);
    return MFloatVector(p.x / p.w, p.y / p.w, p.z / p.w);
}
}  // namespace

MFloatVector MFloatPoint::operator-(const MFloatPoint& o) const { return cartf(*this) - cartf(o); }
MFloatPoint MFloatPoint::operator+(const MFloatVector& v) const { return MFloatPoint(cartf(*this) + v); }
MFloatPoint MFloatPoint::operator-(const MFloatVector& v) const { return MFloatPoint(cartf(*this) - v); }
MFloatPoint& MFloatPoint::operator+=(const MFloatVector& v) { return *this = *this + v; }
MFloatPoint& MFloatPoint::operator-=(const MFloatVector& v) { return *this = *this - v; }
MFloatPoint MFloatPoint::operator+(const MFloatPoint& o) const { return MFloatPoint(cartf(*this) + cartf(o)); }
MFloatPoint MFloatPoint::operator*(float s) const { return MFloatPoint(x * s, y * s, z * s, w); }
MFloatPoint MFloatPoint::operator/(float s) const { return MFloatPoint(x / s, y / s, z / s, w); }
MFloatPoint MFloatPoint::operator*(const MFloatMatrix& m) const {
    const auto& a = m.matrix;
    return MFloatPoint(x * a[0][0] + y * a[1][0] + z * a[2][0] + w * a[3][0],
                       x * a[0][1] + y * a[1][1] + z * a[2][1] + w * a[3][1],
                       x * a[0][2] + y * a[1][2] + z * a[2][2] + w * a[3][2],
                       x * a[0][3] + y * a[1][3] + z * a[2][3] + w * a[3][3]);
}
MFloatPoint& MFloatPoint::operator*=(const MFloatMatrix& m) { return *this = *this * m; }
MFloatPoint operator*(const MFloatMatrix& m, const MFloatPoint& p) {
    const auto& a = m.matrix;
    return MFloatPoint(a[0][0] * p.x + a[0][1] * p.y + a[0][2] * p.z + a[0][3] * p.w,
                       a[1][0] * p.x + a[1][1] * p.y + a[1][2] * p.z + a[1][3] * p.w,
                       a[2][0] * p.x + a[2][1] * p.y + a[2][2] * p.z + a[2][3] * p.w,
                       a[3][0] * p.x + a[3][1] * p.y + a[3][2] * p.z + a[3][3] * p.w);
}
bool MFloatPoint::operator==(const MFloatPoint& o) const {
    return x == o.x && y == o.y && z == o.z && w == o.w;
}
MFloatPoint& MFloatPoint::cartesianize() {
    if (w != 0.0f && w != 1.0f) { x /= w; y /= w; z /= w; }
    if (w != 0.0f) w = 1.0f;
    return *this;
}
MFloatPoint& MFloatPoint::rationalize() {
    if (w != 0.0f && w != 1.0f) { x /= w; y /= w; z /= w; }
    return *this;
}
MFloatPoint& MFloatPoint::homogenize() {
    x *= w; y *= w; z *= w;
    return *this;
}
MStatus MFloatPoint::get(float d[4]) const {
    d[0] = x; d[1] = y; d[2] = z; d[3] = w;
    return MStatus::kSuccess;
}
float MFloatPoint::distanceTo(const MFloatPoint& o) const { return (*this - o).length(); }
bool MFloatPoint::isEquivalent(const MFloatPoint& o, float tol) const {
    return std::fabs(x - o.x) <= tol && std::fabs(y - o.y) <= tol &&
           std::fabs(z - o.z) <= tol && std::fabs(w - o.w) <= tol;
}
std::ostream& operator<<(std::ostream& os, const MFloatPoint& p) {
    return os << "[" << p.x << ", " << p.y << ", " << p.z << ", " << p.w << "]";
}
