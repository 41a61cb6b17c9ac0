#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>
#include <iosfwd>

class MMatrix;
class MEulerRotation;

// Unit quaternion rotation (x, y, z imaginary, w real). Products compose
// like the matrices: (a * b).asMatrix() == a.asMatrix() * b.asMatrix(),
// i.e. rotation a followed by rotation b.
class MQuaternion {
public:
    MQuaternion() = default;
    MQuaternion(const MQuaternion&) = default;
    MQuaternion(double xx, double yy, double zz, double ww) : x(xx), y(yy), z(zz), w(ww) {}
    MQuaternion(const double d[4]) : x(d[0]), y(d[1]), z(d[2]), w(d[3]) {}
    // Shortest rotation turning a into b.
    MQuaternion(const MVector& a, const MVector& b);
    MQuaternion(const MVector& a, const MVector& b, double angleFactor);
    MQuaternion(double angle, const MVector& axis);
    MQuaternion& operator=(const MQuaternion&) = default;
    MQuaternion& operator=(const MMatrix& m);
    MQuaternion& operator=(const MEulerRotation& e);

    double operator[](unsigned int i) const { return (&x)[i]; }
    double& operator[](unsigned int i) { return (&x)[i]; }
    double operator()(unsigned int i) const { return (&x)[i]; }
    double& operator()(unsigned int i) { return (&x)[i]; }

    MMatrix asMatrix() const;
    MEulerRotation asEulerRotation() const;
    MQuaternion& setAxisAngle(const MVector& axis, double theta);
    bool getAxisAngle(MVector& axis, double& theta) const;
    MQuaternion& setToXAxis(double theta);
    MQuaternion& setToYAxis(double theta);
    MQuaternion& setToZAxis(double theta);
    MStatus get(double d[4]) const;

    MQuaternion operator+(const MQuaternion& o) const;
    MQuaternion operator-(const MQuaternion& o) const;
    MQuaternion operator-() const;
    MQuaternion operator*(const MQuaternion& o) const;
    MQuaternion& operator*=(const MQuaternion& o);
    bool operator==(const MQuaternion& o) const;
    bool operator!=(const MQuaternion& o) const { return !(*this == o); }
    bool isEquivalent(const MQuaternion& o, double tolerance = 1.0e-10) const;

    MQuaternion& scaleIt(double s);
    MQuaternion normal() const;
    MQuaternion& normalizeIt();
    MQuaternion conjugate() const;
    MQuaternion& conjugateIt();
    MQuaternion inverse() const;
    MQuaternion& invertIt();
    MQuaternion log() const;
    MQuaternion exp() const;
    MQuaternion& negateIt();

    static const MQuaternion identity;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

MQuaternion operator*(double s, const MQuaternion& q);
// Spherical interpolation along the shorter arc; spin adds whole turns.
MQuaternion slerp(const MQuaternion& p, const MQuaternion& q, double t, short spin = 0);
std::ostream& operator<<(std::ostream& os, const MQuaternion& q);
