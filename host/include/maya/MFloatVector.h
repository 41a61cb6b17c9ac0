#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <iosfwd>

class MVector;
class MFloatPoint;
class MFloatMatrix;

// Single precision 3D direction; v * M ignores the translation row.
class MFloatVector {
public:
    enum Axis { kXaxis = 0, kYaxis, kZaxis, kWaxis };

    MFloatVector() = default;
    MFloatVector(const MFloatVector&) = default;
    MFloatVector(const MVector& v);
    MFloatVector(const MFloatPoint& p);
    MFloatVector(float xx, float yy, float zz = 0.0f) : x(xx), y(yy), z(zz) {}
    MFloatVector(const float d[3]) : x(d[0]), y(d[1]), z(d[2]) {}
    MFloatVector(const double d[3])
        : x(static_cast<float>(d[0])), y(static_cast<float>(d[1])), z(static_cast<float>(d[2])) {}
    MFloatVector& operator=(const MFloatVector&) = default;

    float operator()(unsigned int i) const { return (&x)[i]; }
    float& operator()(unsigned int i) { return (&x)[i]; }
    float operator[](unsigned int i) const { return (&x)[i]; }
    float& operator[](unsigned int i) { return (&x)[i]; }

    MFloatVector operator^(const MFloatVector& r) const {
        return MFloatVector(y * r.z - z * r.y, z * r.x - x * r.z, x * r.y - y * r.x);
    }
    float operator*(const MFloatVector& r) const { return x * r.x + y * r.y + z * r.z; }
    MFloatVector operator+(const MFloatVector& r) const { return MFloatVector(x + r.x, y + r.y, z + r.z); }
    MFloatVector operator-(const MFloatVector& r) const { return MFloatVector(x - r.x, y - r.y, z - r.z); }
    MFloatVector operator-() const { return MFloatVector(-x, -y, -z); }
    MFloatVector operator*(float s) const { return MFloatVector(x * s, y * s, z * s); }
    MFloatVector operator/(float s) const { return MFloatVector(x / s, y / s, z / s); }
    MFloatVector& operator+=(const MFloatVector& r) { x += r.x; y += r.y; z += r.z; return *this; }
    MFloatVector& operator-=(const MFloatVector& r) { x -= r.x; y -= r.y; z -= r.z; return *this; }
    MFloatVector& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    MFloatVector& operator/=(float s) { x /= s; y /= s; z /= s; return *this; }
    MFloatVector operator*(const MFloatMatrix& m) const;
    MFloatVector& operator*=(const MFloatMatrix& m);
    bool operator==(const MFloatVector& r) const { return x == r.x && y == r.y && z == r.z; }
    bool operator!=(const MFloatVector& r) const { return !(*this == r); }

    MStatus get(float d[3]) const;
    float length() const;
    MFloatVector normal() const;
    MStatus normalize();
    float angle(const MFloatVector& other) const;
    bool isEquivalent(const MFloatVector& other, float tolerance = 1.0e-5f) const;
    bool isParallel(const MFloatVector& other, float tolerance = 1.0e-5f) const;
    MFloatVector transformAsNormal(const MFloatMatrix& m) const;

    static const MFloatVector zero;
    static const MFloatVector one;
    static const MFloatVector xAxis;
    static const MFloatVector yAxis;
    static const MFloatVector zAxis;
    static const MFloatVector xNegAxis;
    static const MFloatVector yNegAxis;
    static const MFloatVector zNegAxis;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

inline MFloatVector operator*(float s, const MFloatVector& v) { return v * s; }
MFloatVector operator*(const MFloatMatrix& m, const MFloatVector& v);
std::ostream& operator<<(std::ostream& os, const MFloatVector& v);
