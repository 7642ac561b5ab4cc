// The rotation a Quaternion performs, checked against Rodrigues' formula for rotations
// about arbitrary axes, and its conventions for the degenerate cases.
#include "math/Quaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/support/Cubes.h"

namespace gyrelle::testing {
namespace {

constexpr float kHalfPi = 1.57079632679f;

TEST(Quaternion, StartsAsAHalfTurnAboutY) {
    Quaternion q;
    EXPECT_EQ(q.index(0), 0.0f);
    EXPECT_EQ(q.index(1), 1.0f);
    EXPECT_EQ(q.index(2), 0.0f);
    EXPECT_EQ(q.index(3), 0.0f);
    expectRotation(q, [](Vecd v) { return rotate(v, {0, 1, 0}, M_PI); });
}

// Random axes of random lengths and angles: rotating, composing and reading back the
// axis all agree with the textbook formula.
TEST(Quaternion, GeneralRotationsAgreeWithRodrigues) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> coord(-3, 3), turn(-3, 3);
    auto randomAxis = [&] { return Vecd{coord(rng), coord(rng), coord(rng)}; };
    for (int i = 0; i < 200; ++i) {
        const Vecd a = randomAxis(), b = randomAxis();
        const float angleA = turn(rng), angleB = turn(rng);
        const Quaternion qa = rotation(a[0], a[1], a[2], angleA);
        const Quaternion qb = rotation(b[0], b[1], b[2], angleB);
        EXPECT_NEAR(qa.norm(), 1.0f, 1e-6f);
        expectRotation(
            qa, [&](Vecd v) { return rotate(v, a, angleA); }, 1e-5);

        Quaternion ab = qa;
        ab.multiplyBy(qb);  // qa first, then qb
        expectRotation(
            ab, [&](Vecd v) { return rotate(rotate(v, a, angleA), b, angleB); }, 2e-5);

        float axis[3], angle;
        qa.getAxis(axis, &angle);
        expectRotation(
            rotation(axis[0], axis[1], axis[2], angle),
            [&](Vecd v) { return rotate(v, a, angleA); }, 2e-5);
    }
}

TEST(Quaternion, SetAxisIgnoresAZeroAxisAndAngleZeroIsTheIdentity) {
    Quaternion unchanged;
    const float none[3] = {0, 0, 0};
    unchanged.setAxis(none, 1.0f);
    EXPECT_EQ(unchanged.index(1), 1.0f);
    const Quaternion identity = rotation(3, 4, 0, 0);
    EXPECT_EQ(identity.index(0), 0.0f);
    EXPECT_EQ(identity.index(3), 1.0f);
}

TEST(Quaternion, GetAxisGivesALongAxisAndNothingForTheIdentity) {
    float axis[3] = {9, 9, 9}, angle = 9;
    rotation(0, 0, 2, kHalfPi).getAxis(axis, &angle);
    EXPECT_NEAR(axis[2], std::sqrt(2.0f), 1e-6f);  // length 1 / sin(45 degrees)
    EXPECT_NEAR(angle, kHalfPi, 1e-6f);

    float keep[3] = {7, 8, 9}, keepAngle = 5;
    rotation(1, 0, 0, 0).getAxis(keep, &keepAngle);
    EXPECT_EQ(keep[0], 7.0f);
    EXPECT_EQ(keepAngle, 5.0f);
}

TEST(Quaternion, AngleStaysANumberWhenWIsJustAboveOne) {
    // Not quite of unit length, as one copied or read from elsewhere can be.
    Quaternion q;
    q.q[0] = 1e-4f;
    q.q[1] = q.q[2] = 0;
    q.q[3] = std::nextafter(1.0f, 2.0f);
    float axis[3] = {}, angle = -1;
    q.getAxis(axis, &angle);
    EXPECT_EQ(angle, 0.0f);
    q.q[3] = -std::nextafter(1.0f, 2.0f);
    q.getAxis(axis, &angle);
    EXPECT_NEAR(angle, 2 * 3.14159265f, 1e-6f);
}

// A turn so small that its vector part squared is 0 in single precision is no turn of
// zero: it still reports an axis, so it is not saved as some other rotation.
TEST(Quaternion, ATinyTurnStillHasAnAxis) {
    for (float tiny : {5e-26f, 1e-40f}) {
        const Quaternion q = [&] {
            Quaternion r;
            r.q[0] = r.q[1] = 0;
            r.q[2] = tiny;
            r.q[3] = 1;
            return r;
        }();
        float axis[3] = {7, 7, 7}, angle = 7;
        q.getAxis(axis, &angle);
        EXPECT_EQ(axis[2], 1.0f) << tiny;
        EXPECT_EQ(angle, 0.0f);
    }
}

TEST(Quaternion, ProductsStayUnitLength) {
    Quaternion q = rotation(1, 1, 0, 0.6981311f);
    const Quaternion step = rotation(0.3f, -0.7f, 0.2f, 0.05f);
    for (int i = 0; i < 100000; ++i) {
        q.multiplyBy(step);
    }
    EXPECT_NEAR(q.norm(), 1.0f, 1e-5f);
}

}  // namespace
}  // namespace gyrelle::testing
