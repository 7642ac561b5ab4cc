// The whole cube's motion on its own: make-top steps, then the spin, and the face that
// lies toward a side of the screen.
#include "game/Motion.h"

#include <cmath>

#include "tests/support/Cubes.h"

namespace gyrelle::testing {
namespace {

TEST(Motion, StartsAtFortyDegreesAboutOneOneZeroAndStill) {
    const Motion m;
    expectRotation(m.currentRotation, startOrientation);
    EXPECT_FALSE(m.moving());
}

TEST(Motion, MakeTopOfPoint4TakesTwoFullStepsAndTheRest) {
    Motion m;
    const float z[3] = {0, 0, 1};
    m.startMakeTop(z, 0.4f);
    m.step();
    EXPECT_FLOAT_EQ(m.fMakeTopDistance, float(0.4f - 0.1570795));
    m.step();
    EXPECT_GT(m.fMakeTopDistance, 0.0f);
    m.step();
    EXPECT_EQ(m.fMakeTopDistance, 0.0f);
    // 0.4 rad about the screen's z axis, after the start-up orientation.
    expectRotation(m.currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {0, 0, 1}, 0.4);
    });
    float axis[3], angle;
    m.qMakeTop.getAxis(axis, &angle);
    EXPECT_NEAR(angle, 0.4 - 2 * 0.1570795, 1e-6);  // the remainder stays in qMakeTop
}

// The step is compared in double: a float distance just above the double step takes
// two frames, one just below it one.
TEST(Motion, MakeTopStepIsComparedInDouble) {
    const float step = 0.1570795f;  // a little above the double 0.1570795
    const float x[3] = {1, 0, 0};
    Motion m;
    m.startMakeTop(x, step);
    m.step();
    EXPECT_GT(m.fMakeTopDistance, 0.0f);
    EXPECT_LT(m.fMakeTopDistance, 1e-8f);
    m.step();
    EXPECT_EQ(m.fMakeTopDistance, 0.0f);

    m.startMakeTop(x, std::nextafter(step, 0.0f));
    m.step();
    EXPECT_EQ(m.fMakeTopDistance, 0.0f);
}

TEST(Motion, MakeTopRunsBeforeTheSpin) {
    Motion m;
    const float z[3] = {0, 0, 1};
    m.startMakeTop(z, 0.1f);
    m.bContinueToRotate = 1;
    m.qdeltacontinue = rotation(1, 0, 0, 0.5f);
    m.step();  // make-top only
    expectRotation(m.currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {0, 0, 1}, 0.1);
    });
    m.step();  // then the spin
    expectRotation(m.currentRotation, [](Vecd v) {
        return rotate(rotate(startOrientation(v), {0, 0, 1}, 0.1), {1, 0, 0}, 0.5);
    });
}

TEST(Motion, SpinTurnsAboutTheScreenOrTheCubeAxis) {
    Motion m;
    m.bContinueToRotate = 1;
    m.qdeltacontinue = rotation(1, 0, 0, 0.3f);
    m.step();
    m.step();
    // Screen side: about the screen's x axis, after the orientation.
    expectRotation(m.currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {1, 0, 0}, 0.6);
    });

    m.currentRotation = rotation(1, 1, 0, 0.6981311f);
    m.bContinuePremultiply = 1;
    m.step();
    m.step();
    // Cube side: about the cube's own x axis, before the orientation.
    expectRotation(m.currentRotation, [](Vecd v) {
        return startOrientation(rotate(v, {1, 0, 0}, 0.6));
    });
}

TEST(Motion, ATouchStopsTheSpinAndForgetsIt) {
    Motion m;
    m.bContinueToRotate = 1;
    m.qdeltacontinue = rotation(0, 1, 0, 0.3f);
    m.stopSpin();
    EXPECT_FALSE(m.moving());
    EXPECT_EQ(m.qdeltacontinue.q[0], 0.0f);
    EXPECT_EQ(m.qdeltacontinue.q[1], 0.0f);
    EXPECT_EQ(m.qdeltacontinue.q[3], 1.0f);
}

// At the start-up orientation the front (+z, slot 0) faces the viewer most, the top
// (+y, slot 1) is most up, the right (+x, slot 5) most right, the left (-x, slot 4) most
// left; an orientation without numbers finds no face.
TEST(Motion, TheFaceTowardEachSideOfTheScreen) {
    Motion m;
    EXPECT_EQ(m.faceTowards(2, 1), 0);
    EXPECT_EQ(m.faceTowards(1, 1), 1);
    EXPECT_EQ(m.faceTowards(0, 1), 5);
    EXPECT_EQ(m.faceTowards(0, -1), 4);
    EXPECT_EQ(m.faceTowards(1, -1), 3);
    EXPECT_EQ(m.faceTowards(2, -1), 2);
    m.currentRotation.q[0] = NAN;
    EXPECT_EQ(m.faceTowards(1, 1), -1);
}

}  // namespace
}  // namespace gyrelle::testing
