// 4x4 matrices (row vectors, translation in the last row).
#include <maya/MFloatMatrix.h>
#include <maya/MMatrix.h>

#include <cmath>
#include <ostream>
#include <utility>

namespace {

template <typename T>
void setIdentity(T m[4][4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] = r == c ? T(1) : T(0);
}

template <typename T>
void multiply(const T a[4][4], const T b[4][4], T out[4][4]) {
    T tmp[4][4];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            T s = 0;
            for (int k = 0; k < 4; ++k) s += a[r][k] * b[k][c];
            tmp[r][c] = s;
        }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r][c] = tmp[r][c];
}

double det3(double a, double b, double c, double d, double e, double f, double g, double h, double i) {
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

// Cofactor-based 4x4 determinant and adjoint, in double.
double minor3(const double m[4][4], int skipR, int skipC) {
    double v[9];
    int n = 0;
    for (int r = 0; r < 4; ++r) {
        if (r == skipR) continue;
        for (int c = 0; c < 4; ++c) {
            if (c == skipC) continue;
            v[n++] = m[r][c];
        }
    }
    return det3(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
}

double determinant(const double m[4][4]) {
    double d = 0.0;
    for (int c = 0; c < 4; ++c) d += ((c & 1) ? -1.0 : 1.0) * m[0][c] * minor3(m, 0, c);
    return d;
}

void adjointOf(const double m[4][4], double out[4][4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[c][r] = (((r + c) & 1) ? -1.0 : 1.0) * minor3(m, r, c);
}

// Gauss-Jordan with partial pivoting; false when singular.
bool invert(const double in[4][4], double out[4][4]) {
    double a[4][8];
    double maxAbs = 0.0;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = in[r][c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
            maxAbs = std::fmax(maxAbs, std::fabs(in[r][c]));
        }
    if (maxAbs == 0.0 || !std::isfinite(maxAbs)) return false;
    const double eps = maxAbs * 1e-14;
    for (int col = 0; col < 4; ++col) {
        int piv = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[piv][col])) piv = r;
        if (std::fabs(a[piv][col]) <= eps) return false;
        if (piv != col)
            for (int c = 0; c < 8; ++c) std::swap(a[piv][c], a[col][c]);
        double inv = 1.0 / a[col][col];
        for (int c = 0; c < 8; ++c) a[col][c] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == col || a[r][col] == 0.0) continue;
            double f = a[r][col];
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out[r][c] = a[r][c + 4];
    return true;
}

template <typename A, typename B>
void copy4(const A src[4][4], B dst[4][4]) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) dst[r][c] = static_cast<B>(src[r][c]);
}

}  // namespace

// ---------------------------------------------------------------- MMatrix

const MMatrix MMatrix::identity;

MMatrix::MMatrix() { setIdentity(matrix); }
MMatrix::MMatrix(const double m[4][4]) { copy4(m, matrix); }
MMatrix::MMatrix(const float m[4][4]) { copy4(m, matrix); }

MStatus MMatrix::get(double dest[4][4]) const { copy4(matrix, dest); return MStatus::kSuccess; }
MStatus MMatrix::get(float dest[4][4]) const { copy4(matrix, dest); return MStatus::kSuccess; }

MMatrix MMatrix::transpose() const {
    MMatrix t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t.matrix[r][c] = matrix[c][r];
    return t;
}

MMatrix& MMatrix::setToIdentity() { setIdentity(matrix); return *this; }
MMatrix& MMatrix::setToProduct(const MMatrix& l, const MMatrix& r) {
    multiply(l.matrix, r.matrix, matrix);
    return *this;
}

MMatrix MMatrix::operator+(const MMatrix& o) const { MMatrix t(*this); return t += o; }
MMatrix& MMatrix::operator+=(const MMatrix& o) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) matrix[r][c] += o.matrix[r][c];
    return *this;
}
MMatrix MMatrix::operator-(const MMatrix& o) const { MMatrix t(*this); return t -= o; }
MMatrix& MMatrix::operator-=(const MMatrix& o) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) matrix[r][c] -= o.matrix[r][c];
    return *this;
}
MMatrix MMatrix::operator*(const MMatrix& o) const {
    MMatrix t;
    multiply(matrix, o.matrix, t.matrix);
    return t;
}
MMatrix& MMatrix::operator*=(const MMatrix& o) { multiply(matrix, o.matrix, matrix); return *this; }
MMatrix MMatrix::operator*(double s) const { MMatrix t(*this); return t *= s; }
MMatrix& MMatrix::operator*=(double s) {
    for (auto& row : matrix)
        for (double& v : row) v *= s;
    return *this;
}
bool MMatrix::operator==(const MMatrix& o) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (matrix[r][c] != o.matrix[r][c]) return false;
    return true;
}

MMatrix MMatrix::inverse() const {
    MMatrix t;
    if (!invert(matrix, t.matrix)) t.setToIdentity();
    return t;
}
MMatrix MMatrix::adjoint() const {
    MMatrix t;
    adjointOf(matrix, t.matrix);
    return t;
}
MMatrix MMatrix::homogenize() const {
    MMatrix t(*this);
    double w = matrix[3][3];
    if (w != 0.0 && w != 1.0) t *= 1.0 / w;
    return t;
}
double MMatrix::det4x4() const { return determinant(matrix); }
double MMatrix::det3x3() const {
    const auto& m = matrix;
    return det3(m[0][0], m[0][1], m[0][2], m[1][0], m[1][1], m[1][2], m[2][0], m[2][1], m[2][2]);
}
bool MMatrix::isEquivalent(const MMatrix& o, double tol) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(matrix[r][c] - o.matrix[r][c]) > tol) return false;
    return true;
}
bool MMatrix::isSingular() const {
    double t[4][4];
    return !invert(matrix, t);
}

std::ostream& operator<<(std::ostream& os, const MMatrix& m) {
    os << "[";
    for (int r = 0; r < 4; ++r) {
        os << (r ? ", [" : "[");
        for (int c = 0; c < 4; ++c) os << (c ? ", " : "") << m.matrix[r][c];
        os << "]";
    }
    return os << "]";
}

// ----------------------------------------------------------- MFloatMatrix

namespace {
MFloatMatrix fromDouble(const MMatrix& m) { return MFloatMatrix(m.matrix); }
MMatrix toDouble(const MFloatMatrix& m) { return MMatrix(m.matrix); }
}  // namespace

MFloatMatrix::MFloatMatrix() { setIdentity(matrix); }
MFloatMatrix::MFloatMatrix(const float m[4][4]) { copy4(m, matrix); }
MFloatMatrix::MFloatMatrix(const double m[4][4]) { copy4(m, matrix); }

MStatus MFloatMatrix::get(float dest[4][4]) const { copy4(matrix, dest); return MStatus::kSuccess; }
MStatus MFloatMatrix::get(double dest[4][4]) const { copy4(matrix, dest); return MStatus::kSuccess; }
MFloatMatrix MFloatMatrix::transpose() const {
    MFloatMatrix t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t.matrix[r][c] = matrix[c][r];
    return t;
}
MFloatMatrix& MFloatMatrix::setToIdentity() { setIdentity(matrix); return *this; }
MFloatMatrix& MFloatMatrix::setToProduct(const MFloatMatrix& l, const MFloatMatrix& r) {
    multiply(l.matrix, r.matrix, matrix);
    return *this;
}
MFloatMatrix MFloatMatrix::operator+(const MFloatMatrix& o) const { MFloatMatrix t(*this); return t += o; }
MFloatMatrix& MFloatMatrix::operator+=(const MFloatMatrix& o) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) matrix[r][c] += o.matrix[r][c];
    return *this;
}
MFloatMatrix MFloatMatrix::operator-(const MFloatMatrix& o) const { MFloatMatrix t(*this); return t -= o; }
MFloatMatrix& MFloatMatrix::operator-=(const MFloatMatrix& o) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) matrix[r][c] -= o.matrix[r][c];
    return *this;
}
MFloatMatrix MFloatMatrix::operator*(const MFloatMatrix& o) const {
    MFloatMatrix t;
    multiply(matrix, o.matrix, t.matrix);
    return t;
}
MFloatMatrix& MFloatMatrix::operator*=(const MFloatMatrix& o) { multiply(matrix, o.matrix, matrix); return *this; }
MFloatMatrix MFloatMatrix::operator*(float s) const { MFloatMatrix t(*this); return t *= s; }
MFloatMatrix& MFloatMatrix::operator*=(float s) {
    for (auto& row : matrix)
        for (float& v : row) v *= s;
    return *this;
}
bool MFloatMatrix::operator==(const MFloatMatrix& o) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (matrix[r][c] != o.matrix[r][c]) return false;
    return true;
}
MFloatMatrix MFloatMatrix::inverse() const { return fromDouble(toDouble(*this).inverse()); }
MFloatMatrix MFloatMatrix::adjoint() const { return fromDouble(toDouble(*this).adjoint()); }
MFloatMatrix MFloatMatrix::homogenize() const { return fromDouble(toDouble(*this).homogenize()); }
float MFloatMatrix::det4x4() const { return static_cast<float>(toDouble(*this).det4x4()); }
float MFloatMatrix::det3x3() const { return static_cast<float>(toDouble(*this).det3x3()); }
bool MFloatMatrix::isEquivalent(const MFloatMatrix& o, float tol) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(matrix[r][c] - o.matrix[r][c]) > tol) return false;
    return true;
}
std::ostream& operator<<(std::ostream& os, const MFloatMatrix& m) { return os << toDouble(m); }
