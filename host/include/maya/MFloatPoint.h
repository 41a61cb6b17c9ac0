#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <maya/MFloatVector.h>
#include <iosfwd>

class MPoint;
class MFloatMatrix;

// Homogeneous single precision point.
class MFloatPoint {
public:
    MFloatPoint() = default;
    MFloatPoint(const MFloatPoint&) = default;
    MFloatPoint(const MPoint& p);
    MFloatPoint(const MFloatVector& v) : x(v.x), y(v.y), z(v.z), w(1.0f) {}
    MFloatPoint(float xx, float yy, float zz = 0.0f, float ww = 1.0f) : x(xx), y(yy), z(zz), w(ww) {}
    MFloatPoint(const float d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    MFloatPoint(const double d[4])
        : x(static_cast<float>(d[0])), y(static_cast<float>(d[1])),
          z(static_cast<float>(d[2])), w(static_cast<float>(d[3])) {}
    MFloatPoint& operator=(const MFloatPoint&) = default;

    float operator()(unsigned int i) const { return (&x)[i]; }
    float& operator()(unsigned int i) { return (&x)[i]; }
    float operator[](unsigned int i) const { return (&x)[i]; }
    float& operator[](unsigned int i) { return (&x)[i]; }

    MFloatVector operator-(const MFloatPoint& o) const;
    MFloatPoint operator+(const MFloatVector& v) const;
    MFloatPoint operator-(const MFloatVector& v) const;
    MFloatPoint& operator+=(const MFloatVector& v);
    MFloatPoint& operator-=(const MFloatVector& v);
    MFloatPoint operator+(const MFloatPoint& o) const;
    MFloatPoint operator*(float s) const;
    MFloatPoint operator/(float s) const;
    MFloatPoint operator*(const MFloatMatrix& m) const;
    MFloatPoint& operator*=(const MFloatMatrix& m);
    bool operator==(const MFloatPoint& o) const;
    bool operator!=(const MFloatPoint& o) const { return !(*this == o); }

    MFloatPoint& cartesianize();
    MFloatPoint& rationalize();
    MFloatPoint& homogenize();
    MStatus get(float d[4]) const;
    float distanceTo(const MFloatPoint& o) const;
    bool isEquivalent(const MFloatPoint& o, float tolerance = 1.0e-5f) const;

    static const MFloatPoint origin;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;
};

MFloatPoint operator*(const MFloatMatrix& m, const MFloatPoint& p);
std::ostream& operator<<(std::ostream& os, const MFloatPoint& p);
