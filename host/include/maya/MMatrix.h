#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <iosfwd>

class MFloatMatrix;

// 4x4 double matrix for row vectors: a point p maps to p * M and the
// translation sits in the last row (matrix[3][0..2]).
class MMatrix {
public:
    MMatrix();
    MMatrix(const MMatrix&) = default;
    MMatrix(const double m[4][4]);
    MMatrix(const float m[4][4]);
    MMatrix& operator=(const MMatrix&) = default;

    double operator()(unsigned int row, unsigned int col) const { return matrix[row][col]; }
    double& operator()(unsigned int row, unsigned int col) { return matrix[row][col]; }
    const double* operator[](unsigned int row) const { return matrix[row]; }
    double* operator[](unsigned int row) { return matrix[row]; }

    MStatus get(double dest[4][4]) const;
    MStatus get(float dest[4][4]) const;
    MMatrix transpose() const;
    MMatrix& setToIdentity();
    MMatrix& setToProduct(const MMatrix& l, const MMatrix& r);
    MMatrix operator+(const MMatrix& r) const;
    MMatrix& operator+=(const MMatrix& r);
    MMatrix operator-(const MMatrix& r) const;
    MMatrix& operator-=(const MMatrix& r);
    MMatrix operator*(const MMatrix& r) const;
    MMatrix& operator*=(const MMatrix& r);
    MMatrix operator*(double s) const;
    MMatrix& operator*=(double s);
    bool operator==(const MMatrix& r) const;
    bool operator!=(const MMatrix& r) const { return !(*this == r); }
    // The inverse; a singular matrix gives the identity (check isSingular()
    // first where that matters).
    MMatrix inverse() const;
    MMatrix adjoint() const;
    MMatrix homogenize() const;
    double det4x4() const;
    double det3x3() const;
    bool isEquivalent(const MMatrix& other, double tolerance = 1.0e-10) const;
    bool isSingular() const;

    static const MMatrix identity;

    double matrix[4][4];
};

inline MMatrix operator*(double s, const MMatrix& m) { return m * s; }
std::ostream& operator<<(std::ostream& os, const MMatrix& m);
