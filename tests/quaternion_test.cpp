// The rotation a Quaternion performs, checked against vectors worked out by hand.
#include "math/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using gyrelle::Quaternion;

constexpr float kHalfPi = 1.57079632679f;

Quaternion about(float x, float y, float z, float angle) {
    Quaternion q;
    const float axis[3] = {x, y, z};
    q.setAxis(axis, angle);
    return q;
}

void expectVec(const float* v, float x, float y, float z) {
    EXPECT_NEAR(v[0], x, 1e-6f);
    EXPECT_NEAR(v[1], y, 1e-6f);
    EXPECT_NEAR(v[2], z, 1e-6f);
}

TEST(Quaternion, StartsAsAHalfTurnAboutY) {
    Quaternion q;
    EXPECT_EQ(q.index(0), 0.0f);
    EXPECT_EQ(q.index(1), 1.0f);
    EXPECT_EQ(q.index(2), 0.0f);
    EXPECT_EQ(q.index(3), 0.0f);
    EXPECT_EQ(q.norm(), 1.0f);
    const float v[3] = {1, 0, 0};
    float out[3];
    q.rotateVector(v, out);
    expectVec(out, -1, 0, 0);
}

TEST(Quaternion, SetAxisIgnoresAxisLength) {
    const float h = 0.6981311f * 0.5f;
    Quaternion q = about(1, 1, 0, 0.6981311f);
    EXPECT_FLOAT_EQ(q.index(0), std::sin(h) / std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(q.index(1), std::sin(h) / std::sqrt(2.0f));
    EXPECT_EQ(q.index(2), 0.0f);
    EXPECT_FLOAT_EQ(q.index(3), std::cos(h));

    Quaternion zero = about(3, 4, 0, 0);
    EXPECT_EQ(zero.index(0), 0.0f);
    EXPECT_EQ(zero.index(3), 1.0f);

    Quaternion unchanged;
    const float none[3] = {0, 0, 0};
    unchanged.setAxis(none, 1.0f);
    EXPECT_EQ(unchanged.index(1), 1.0f);
    EXPECT_EQ(unchanged.index(3), 0.0f);
}

TEST(Quaternion, GetAxisReturnsALongAxisAndTheAngle) {
    Quaternion q = about(0, 0, 2, kHalfPi);
    float axis[3] = {9, 9, 9}, angle = 9;
    q.getAxis(axis, &angle);
    expectVec(axis, 0, 0, std::sqrt(2.0f));  // length 1 / sin(45 degrees)
    EXPECT_NEAR(angle, kHalfPi, 1e-6f);

    Quaternion identity = about(1, 0, 0, 0);
    float keep[3] = {7, 8, 9}, keepAngle = 5;
    identity.getAxis(keep, &keepAngle);
    EXPECT_EQ(keep[0], 7.0f);
    EXPECT_EQ(keep[2], 9.0f);
    EXPECT_EQ(keepAngle, 5.0f);
}

TEST(Quaternion, StartUpOrientationAxisAsSaved) {
    float axis[3], angle;
    about(1, 1, 0, 0.6981311f).getAxis(axis, &angle);
    EXPECT_NEAR(axis[0], 2.067444f, 2e-6f);
    EXPECT_NEAR(axis[1], 2.067444f, 2e-6f);
    EXPECT_EQ(axis[2], 0.0f);
    EXPECT_NEAR(angle, 0.698131f, 1e-6f);
}

TEST(Quaternion, AngleStaysANumberWhenWIsJustAboveOne) {
    // A quaternion that is not quite of unit length, such as one read back from a
    // file, can carry w a rounding step above 1 with a non-zero vector part.
    Quaternion q;
    q.q[0] = 1e-4f;
    q.q[1] = 0;
    q.q[2] = 0;
    q.q[3] = std::nextafter(1.0f, 2.0f);
    q.normalize();
    q.q[3] = std::nextafter(1.0f, 2.0f);  // as a rounding step could leave it
    float axis[3] = {}, angle = -1;
    q.getAxis(axis, &angle);
    EXPECT_TRUE(std::isfinite(angle));
    EXPECT_EQ(angle, 0.0f);
    EXPECT_GT(axis[0], 0.0f);

    q.q[3] = -std::nextafter(1.0f, 2.0f);
    q.getAxis(axis, &angle);
    EXPECT_NEAR(angle, 2 * 3.14159265f, 1e-6f);
}

TEST(Quaternion, RotatesVectorsActively) {
    Quaternion z90 = about(0, 0, 1, kHalfPi);
    const float x[3] = {1, 0, 0};
    float out[3];
    z90.rotateVector(x, out);
    expectVec(out, 0, 1, 0);

    Quaternion x90 = about(1, 0, 0, kHalfPi);
    const float y[3] = {0, 1, 0};
    x90.rotateVector(y, out);
    expectVec(out, 0, 0, 1);
}

TEST(Quaternion, MultiplyByAppliesTheReceiverFirst) {
    Quaternion q = about(1, 0, 0, kHalfPi);
    q.multiplyBy(about(0, 1, 0, kHalfPi));
    const float y[3] = {0, 1, 0};
    float out[3];
    q.rotateVector(y, out);
    expectVec(out, 1, 0, 0);  // y -> z about x, then z -> x about y
    EXPECT_NEAR(q.norm(), 1.0f, 1e-6f);

    Quaternion other = about(0, 1, 0, kHalfPi);
    other.multiplyBy(about(1, 0, 0, kHalfPi));
    other.rotateVector(y, out);
    expectVec(out, 0, 0, 1);
}

TEST(Quaternion, ManyProductsStayUnitLength) {
    Quaternion q = about(1, 1, 0, 0.6981311f);
    Quaternion step = about(0.3f, -0.7f, 0.2f, 0.05f);
    for (int i = 0; i < 100000; ++i) {
        q.multiplyBy(step);
    }
    EXPECT_NEAR(q.norm(), 1.0f, 1e-5f);
}

TEST(Quaternion, NormIsSquaredLengthAndNormalizeScales) {
    Quaternion q;
    q.q[1] = 2;
    EXPECT_EQ(q.norm(), 4.0f);
    q.normalize();
    EXPECT_EQ(q.index(1), 1.0f);

    Quaternion zero;
    zero.q[1] = 0;
    zero.normalize();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(zero.index(i), 0.0f);
    }

    Quaternion copy;
    copy.setEqualTo(about(0, 0, 1, kHalfPi));
    EXPECT_FLOAT_EQ(copy.index(2), std::sqrt(0.5f));
}

}  // namespace
