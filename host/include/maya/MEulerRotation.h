#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <maya/MVector.h>
#include <iosfwd>

class MMatrix;
class MQuaternion;

// Three rotation angles in radians applied in the given order: kXYZ turns
// about X first, then Y, then Z (matrix Rx * Ry * Rz for row vectors).
class MEulerRotation {
public:
    enum RotationOrder { kXYZ = 0, kYZX = 1, kZXY = 2, kXZY = 3, kYXZ = 4, kZYX = 5 };

    MEulerRotation() = default;
    MEulerRotation(const MEulerRotation&) = default;
    MEulerRotation(const MVector& v, RotationOrder ord = kXYZ) : x(v.x), y(v.y), z(v.z), order(ord) {}
    MEulerRotation(double xx, double yy, double zz, RotationOrder ord = kXYZ)
        : x(xx), y(yy), z(zz), order(ord) {}
    MEulerRotation& operator=(const MEulerRotation&) = default;
    MEulerRotation& operator=(const MQuaternion& q);
    MEulerRotation& operator=(const MMatrix& m);
    MEulerRotation& operator=(const MVector& v);
    MEulerRotation& setValue(const MVector& v, RotationOrder ord = kXYZ);
    MEulerRotation& setValue(double xx, double yy, double zz, RotationOrder ord = kXYZ);

    double operator[](unsigned int i) const { return (&x)[i]; }
    double& operator[](unsigned int i) { return (&x)[i]; }

    MEulerRotation operator+(const MEulerRotation& o) const;
    MEulerRotation& operator+=(const MEulerRotation& o);
    MEulerRotation operator-(const MEulerRotation& o) const;
    MEulerRotation& operator-=(const MEulerRotation& o);
    MEulerRotation operator-() const;
    // Rotation composition: this rotation followed by the other one; the
    // result keeps this rotation's order.
    MEulerRotation operator*(const MEulerRotation& o) const;
    MEulerRotation operator*(const MQuaternion& q) const;
    MEulerRotation& operator*=(const MEulerRotation& o);
    MEulerRotation& operator*=(const MQuaternion& q);
    MEulerRotation operator*(double s) const;
    MEulerRotation& operator*=(double s);
    bool operator==(const MEulerRotation& o) const;
    bool operator!=(const MEulerRotation& o) const { return !(*this == o); }
    bool isEquivalent(const MEulerRotation& o, double tolerance = 1.0e-10) const;
    bool isZero(double tolerance = 1.0e-10) const;

    MEulerRotation inverse() const;
    MEulerRotation& invertIt();
    // Same rotation expressed in another order.
    MEulerRotation reorder(RotationOrder ord) const;
    MEulerRotation& reorderIt(RotationOrder ord);
    // Each angle wrapped into [-pi, pi].
    MEulerRotation bound() const;
    MEulerRotation& boundIt(const MEulerRotation& src);
    MEulerRotation& boundIt();
    // The other angle triple giving the same rotation in the same order.
    MEulerRotation alternateSolution() const;
    MEulerRotation& setToAlternateSolution(const MEulerRotation& src);
    MEulerRotation& setToAlternateSolution();
    // Same rotation, angles as close as possible to dst's (continuity of keys).
    MEulerRotation closestSolution(const MEulerRotation& dst) const;
    MEulerRotation& setToClosestSolution(const MEulerRotation& src, const MEulerRotation& dst);
    MEulerRotation& setToClosestSolution(const MEulerRotation& dst);
    // Each angle shifted by whole turns to be closest to dst's.
    MEulerRotation closestCut(const MEulerRotation& dst) const;
    MEulerRotation& setToClosestCut(const MEulerRotation& src, const MEulerRotation& dst);
    MEulerRotation& setToClosestCut(const MEulerRotation& dst);
    MEulerRotation& incrementalRotateBy(const MVector& axis, double angle);

    MQuaternion asQuaternion() const;
    MMatrix asMatrix() const;
    MVector asVector() const { return MVector(x, y, z); }

    // Angles of the rotation part of a matrix (scale removed) in the order.
    static MEulerRotation decompose(const MMatrix& m, RotationOrder ord);

    static const MEulerRotation identity;

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    RotationOrder order = kXYZ;
};

inline MEulerRotation operator*(double s, const MEulerRotation& e) { return e * s; }
std::ostream& operator<<(std::ostream& os, const MEulerRotation& e);
