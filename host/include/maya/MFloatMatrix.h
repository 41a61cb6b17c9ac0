#pragma once
#include <maya/MTypes.h>
#include <maya/MStatus.h>
#include <iosfwd>

class MMatrix;

// 4x4 float matrix, row vectors, translation in the last row.
class MFloatMatrix {
public:
    MFloatMatrix();
    MFloatMatrix(const MFloatMatrix&) = default;
    MFloatMatrix(const float m[4][4]);
    MFloatMatrix(const double m[4][4]);
    MFloatMatrix& operator=(const MFloatMatrix&) = default;

    float operator()(unsigned int row, unsigned int col) const { return matrix[row][col]; }
    float& operator()(unsigned int row, unsigned int col) { return matrix[row][col]; }
    const float* operator[](unsigned int row) const { return matrix[row]; }
    float* operator[](unsigned int row) { return matrix[row]; }

    MStatus get(float dest[4][4]) const;
    MStatus get(double dest[4][4]) const;
    MFloatMatrix transpose() const;
    MFloatMatrix& setToIdentity();
    MFloatMatrix& setToProduct(const MFloatMatrix& l, const MFloatMatrix& r);
    MFloatMatrix operator+(const MFloatMatrix& r) const;
    MFloatMatrix& operator+=(const MFloatMatrix& r);
    MFloatMatrix operator-(const MFloatMatrix& r) const;
    MFloatMatrix& operator-=(const MFloatMatrix& r);
    MFloatMatrix operator*(const MFloatMatrix& r) const;
    MFloatMatrix& operator*=(const MFloatMatrix& r);
    MFloatMatrix operator*(float s) const;
    MFloatMatrix& operator*=(float s);
    bool operator==(const MFloatMatrix& r) const;
    bool operator!=(const MFloatMatrix& r) const { return !(*this == r); }
    MFloatMatrix inverse() const;
    MFloatMatrix adjoint() const;
    MFloatMatrix homogenize() const;
    float det4x4() const;
    float det3x3() const;
    bool isEquivalent(const MFloatMatrix& other, float tolerance = 1.0e-5f) const;

    float matrix[4][4];
};

inline MFloatMatrix operator*(float s, const MFloatMatrix& m) { return m * s; }
std::ostream& operator<<(std::ostream& os, const MFloatMatrix& m);
