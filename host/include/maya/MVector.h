#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <iosfwd>

class MFloatVector;
class MPoint;
class MFloatPoint;
class MMatrix;
class MQuaternion;
class MEulerRotation;

// Double precision 3D direction. Multiplying by a matrix (v * M, row vector)
// ignores the matrix's translation row.
class MVector {
public:
    enum Axis { kXaxis = 0, kYaxis, kZaxis, kWaxis };

    MVector() = default;
    MVector(const MVector&) = default;
    MVector(const MFloatVector& v);
    MVector(const MPoint& p);
    MVector(const MFloatPoint& p);
    MVector(double xx, double yy, double zz = 0.0) : x(xx), y(yy), z(zz) {}
    MVector(const double d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
    MVector(const float d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
    MVector& operator=(const MVector&) = default;

    double operator()(unsigned int i) const { return (&x)[i]; }
    double& operator()(unsigned int i) { return (&x)[i]; }
    double operator[](unsigned int i) const { return (&x)[i]; }
    double& operator[](unsigned int i) { return (&x)[i]; }

    MVector operator^(const MVector& r) const {
        return MVector(y * r.z - z * r.y, z * r.x - x * r.z, x * r.y - y * r.x);
    }
    double operator*(const MVector& r) const { return x * r.x + y * r.y + z * r.z; }
    MVector operator+(const MVector& r) const { return MVector(x + r.x, y + r.y, z + r.z); }
    MVector operator-(const MVector& r) const { return MVector(x - r.x, y - r.y, z - r.z); }
    MVector operator-() const { return MVector(-x, -y, -z); }
    MVector operator*(double s) const { return MVector(x * s, y * s, z * s); }
    MVector operator/(double s) const { return MVector(x / s, y / s, z / s); }
    MVector& operator+=(const MVector& r) { x += r.x; y += r.y; z += r.z; return *this; }
    MVector& operator-=(const MVector& r) { x -= r.x; y -= r.y; z -= r.z; return *this; }
    MVector& operator*=(double s) { x *= s; y *= s; z *= s; return *this; }
    MVector& operator/=(double s) { x /= s; y /= s; z /= s; return *this; }
    MVector operator*(const MMatrix& m) const;
    MVector& operator*=(const MMatrix& m);
    bool operator==(const MVector& r) const { return x == r.x && y == r.y && z == r.z; }
    bool operator!=(const MVector& r) const { return !(*this == r); }

    MVector rotateBy(const MQuaternion& q) const;
    MVector rotateBy(const MEulerRotation& e) const;
    MVector rotateBy(Axis axis, double angle) const;
    MQuaternion rotateTo(const MVector& target) const;
    MStatus get(double d[3]) const;
    double length() const;
    MVector normal() const;
    MStatus normalize();
    double angle(const MVector& other) const;
    bool isEquivalent(const MVector& other, double tolerance = 1.0e-10) const;
    bool isParallel(const MVector& other, double tolerance = 1.0e-10) const;
    // Normals transform by the inverse transpose of the matrix.
    MVector transformAsNormal(const MMatrix& m) const;

    static const MVector zero;
    static const MVector one;
    static const MVector xAxis;
    static const MVector yAxis;
    static const MVector zAxis;
    static const MVector xNegAxis;
    static const MVector yNegAxis;
    static const MVector zNegAxis;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline MVector operator*(double s, const MVector& v) { return v * s; }
// M * v treats v as a column vector.
MVector operator*(const MMatrix& m, const MVector& v);
std::ostream& operator<<(std::ostream& os, const MVector& v);
