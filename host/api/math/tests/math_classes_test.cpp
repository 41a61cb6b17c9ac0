// Vectors, matrices, Euler rotations, quaternions and boxes.
#include <maya/MBoundingBox.h>
#include <maya/MEulerRotation.h>
#include <maya/MMatrix.h>
#include <maya/MPoint.h>
#include <maya/MQuaternion.h>
#include <maya/MVector.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {
constexpr double kPi = 3.14159265358979323846;
const MEulerRotation::RotationOrder kOrders[] = {MEulerRotation::kXYZ, MEulerRotation::kYZX,
                                                 MEulerRotation::kZXY, MEulerRotation::kXZY,
                                                 MEulerRotation::kYXZ, MEulerRotation::kZYX};
}  // namespace

TEST(Vector, ProductsWithMatrixUseRowVectors) {
    MMatrix m;
    m.matrix[3][0] = 10;  // translation
    m.matrix[0][1] = 2;   // x feeds y
    MVector v(1, 0, 0);
    EXPECT_EQ(v * m, MVector(1, 2, 0));  // no translation for directions
    EXPECT_TRUE((MPoint(1, 0, 0) * m).isEquivalent(MPoint(11, 2, 0)));
    EXPECT_EQ(MVector(1, 0, 0) ^ MVector(0, 1, 0), MVector(0, 0, 1));
    EXPECT_DOUBLE_EQ(MVector(1, 2, 3) * MVector(4, 5, 6), 32.0);
    EXPECT_DOUBLE_EQ(MVector(3, 4, 0).length(), 5.0);
    EXPECT_TRUE(MVector(3, 4, 0).normal().isEquivalent(MVector(0.6, 0.8, 0)));
    EXPECT_NEAR(MVector(1, 0, 0).angle(MVector(0, 1, 0)), kPi / 2, 1e-15);
    EXPECT_NEAR(MVector(1, 0, 0).angle(MVector(-1, 1e-9, 0)), kPi, 1e-8);
    EXPECT_TRUE(MVector(1, 0, 0).rotateBy(MQuaternion(kPi / 2, MVector::zAxis)).isEquivalent(MVector(0, 1, 0), 1e-12));
    MPoint h(2, 4, 6, 2);
    EXPECT_TRUE(MPoint(h).cartesianize().isEquivalent(MPoint(1, 2, 3, 1)));
    EXPECT_TRUE(MPoint(1, 2, 3, 2).homogenize().isEquivalent(MPoint(2, 4, 6, 2)));
    EXPECT_EQ(MPoint(5, 5, 5) - MPoint(1, 2, 3), MVector(4, 3, 2));
}

TEST(Matrix, InverseDeterminantTranspose) {
    double d[4][4] = {{2, 0, 0, 0}, {1, 3, 0, 0}, {0, 0, 4, 0}, {5, 6, 7, 1}};
    MMatrix m(d);
    EXPECT_DOUBLE_EQ(m.det4x4(), 24.0);
    EXPECT_TRUE((m * m.inverse()).isEquivalent(MMatrix::identity, 1e-12));
    EXPECT_TRUE((m.inverse() * m).isEquivalent(MMatrix::identity, 1e-12));
    EXPECT_DOUBLE_EQ(m.transpose()(0, 1), 1.0);
    EXPECT_DOUBLE_EQ(m[3][2], 7.0);
    MMatrix s;
    s.matrix[2][2] = 0.0;
    EXPECT_TRUE(s.isSingular());
    EXPECT_FALSE(m.isSingular());
}

TEST(EulerRotation, MatrixAndQuaternionRoundTrips) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> a(-kPi, kPi), mid(-1.5, 1.5);
    static const int middle[6] = {1, 2, 0, 2, 0, 1};
    for (auto ord : kOrders) {
        for (int i = 0; i < 200; ++i) {
            double v[3] = {a(rng), a(rng), a(rng)};
            v[middle[ord]] = mid(rng);
            MEulerRotation e(v[0], v[1], v[2], ord);
            MMatrix m = e.asMatrix();
            MEulerRotation back = MEulerRotation::decompose(m, ord);
            EXPECT_TRUE(back.isEquivalent(e, 1e-9)) << ord << " " << e << " " << back;
            MQuaternion q = e.asQuaternion();
            EXPECT_TRUE(q.asMatrix().isEquivalent(m, 1e-12));
            MEulerRotation fromQ = q.asEulerRotation().reorder(ord);
            EXPECT_TRUE(fromQ.asMatrix().isEquivalent(m, 1e-9));
            // Reorder keeps the rotation for every target order.
            for (auto other : kOrders) {
                MEulerRotation r = e.reorder(other);
                EXPECT_EQ(r.order, other);
                EXPECT_TRUE(r.asMatrix().isEquivalent(m, 1e-9)) << ord << "->" << other;
            }
            EXPECT_TRUE(e.alternateSolution().asMatrix().isEquivalent(m, 1e-9));
            EXPECT_TRUE(e.inverse().asMatrix().isEquivalent(m.transpose(), 1e-9));
        }
        // Gimbal lock still reproduces the matrix.
        double v[3] = {0.3, 0.4, 0.5};
        v[middle[ord]] = kPi / 2;
        MEulerRotation g(v[0], v[1], v[2], ord);
        EXPECT_TRUE(MEulerRotation::decompose(g.asMatrix(), ord).asMatrix().isEquivalent(g.asMatrix(), 1e-9)) << ord;
    }
}

TEST(EulerRotation, BoundAndClosestCut) {
    MEulerRotation e(3 * kPi / 2, -3 * kPi / 2, 0.25);
    MEulerRotation b = e.bound();
    EXPECT_NEAR(b.x, -kPi / 2, 1e-12);
    EXPECT_NEAR(b.y, kPi / 2, 1e-12);
    EXPECT_NEAR(b.z, 0.25, 1e-12);
    MEulerRotation c = MEulerRotation(0.1, 0, 0).closestCut(MEulerRotation(2 * kPi, 0, 0));
    EXPECT_NEAR(c.x, 2 * kPi + 0.1, 1e-12);
}

TEST(Quaternion, CompositionAxisAngleSlerp) {
    MQuaternion a(0.7, MVector(1, 2, 3)), b(-1.1, MVector(0, 1, -1));
    EXPECT_TRUE((a * b).asMatrix().isEquivalent(a.asMatrix() * b.asMatrix(), 1e-12));
    EXPECT_TRUE((a * a.inverse()).isEquivalent(MQuaternion::identity, 1e-12));
    EXPECT_TRUE(a.conjugate().isEquivalent(a.inverse(), 1e-12));
    MVector axis;
    double theta;
    ASSERT_TRUE(a.getAxisAngle(axis, theta));
    EXPECT_NEAR(theta, 0.7, 1e-12);
    EXPECT_TRUE(axis.isEquivalent(MVector(1, 2, 3).normal(), 1e-12));
    MQuaternion half = slerp(MQuaternion(), MQuaternion(kPi / 2, MVector::zAxis), 0.5);
    EXPECT_TRUE(half.isEquivalent(MQuaternion(kPi / 4, MVector::zAxis), 1e-12));
    MQuaternion turn(MVector(1, 0, 0), MVector(0, 0, 1));
    EXPECT_TRUE(MVector(1, 0, 0).rotateBy(turn).isEquivalent(MVector(0, 0, 1), 1e-12));
    MQuaternion flip(MVector(1, 0, 0), MVector(-1, 0, 0));
    EXPECT_TRUE(MVector(1, 0, 0).rotateBy(flip).isEquivalent(MVector(-1, 0, 0), 1e-12));
}

TEST(BoundingBox, ExpandContainsTransform) {
    MBoundingBox b;
    EXPECT_TRUE(b.isEmpty());
    b.expand(MPoint(1, 2, 3));
    EXPECT_DOUBLE_EQ(b.width(), 0.0);  // origin not included
    b.expand(MPoint(3, 0, 4));
    EXPECT_TRUE(b.min().isEquivalent(MPoint(1, 0, 3)));
    EXPECT_TRUE(b.max().isEquivalent(MPoint(3, 2, 4)));
    EXPECT_TRUE(b.center().isEquivalent(MPoint(2, 1, 3.5)));
    EXPECT_TRUE(b.contains(MPoint(2, 1, 3.5)));
    EXPECT_FALSE(b.contains(MPoint(0, 0, 0)));
    MBoundingBox u(MPoint(1, 1, 1), MPoint(-1, -1, -1));
    u.transformUsing(MQuaternion(kPi / 4, MVector::zAxis).asMatrix());
    EXPECT_NEAR(u.width(), 2 * std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(u.depth(), 2.0, 1e-12);
}
