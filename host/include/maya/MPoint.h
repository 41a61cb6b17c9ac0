#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>
#include <iosfwd>

class MFloatPoint;
class MMatrix;

// Homogeneous double precision point (w = 1 for a cartesian point). p * M
// is a row vector times the matrix, so the matrix's translation applies.
class MPoint {
public:
    MPoint() = default;
    MPoint(const MPoint&) = default;
    MPoint(const MFloatPoint& p);
    MPoint(const MVector& v) : x(v.x), y(v.y), z(v.z), w(1.0) {}
    MPoint(const MFloatVector& v);
    MPoint(double xx, double yy, double zz = 0.0, double ww = 1.0) : x(xx), y(yy), z(zz), w(ww) {}
    MPoint(const double d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    MPoint(const float d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    MPoint& operator=(const MPoint&) = default;

    double operator()(unsigned int i) const { return (&x)[i]; }
    double& operator()(unsigned int i) { return (&x)[i]; }
    double operator[](unsigned int i) const { return (&x)[i]; }
    double& operator[](unsigned int i) { return (&x)[i]; }

    MVector operator-(const MPoint& o) const;
    MPoint operator+(const MVector& v) const;
    MPoint operator-(const MVector& v) const;
    MPoint& operator+=(const MVector& v);
    MPoint& operator-=(const MVector& v);
    // Component sum of the cartesian forms (used for averaging points).
    MPoint operator+(const MPoint& o) const;
    MPoint operator*(double s) const;
    MPoint operator/(double s) const;
    MPoint& operator*=(double s);
    MPoint& operator/=(double s);
    MPoint operator*(const MMatrix& m) const;
    MPoint& operator*=(const MMatrix& m);
    bool operator==(const MPoint& o) const;
    bool operator!=(const MPoint& o) const { return !(*this == o); }

    // x/w, y/w, z/w and w = 1.
    MPoint& cartesianize();
    // x/w, y/w, z/w keeping w.
    MPoint& rationalize();
    // x*w, y*w, z*w keeping w.
    MPoint& homogenize();
    MStatus get(double d[4]) const;
    MStatus get(float d[4]) const;
    double distanceTo(const MPoint& o) const;
    bool isEquivalent(const MPoint& o, double tolerance = 1.0e-10) const;

    static const MPoint origin;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

inline MPoint operator*(double s, const MPoint& p) { return p * s; }
MPoint operator*(const MMatrix& m, const MPoint& p);
std::ostream& operator<<(std::ostream& os, const MPoint& p);
