// The frame's orientation step (make-top, spin) and the frame timer.
#include <cmath>

#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using FrameTest = HeadlessViewTest;

Vecd applied(const Quaternion& q, Vecd v) {
    const float in[3] = {float(v[0]), float(v[1]), float(v[2])};
    float out[3];
    q.rotateVector(in, out);
    return {out[0], out[1], out[2]};
}

void expectSameRotation(const Quaternion& q, Vecd (*want)(Vecd), double tolerance = 2e-5) {
    for (Vecd v : {Vecd{1, 0, 0}, Vecd{0, 1, 0}, Vecd{0, 0, 1}}) {
        Vecd got = applied(q, v), exp = want(v);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(got[i], exp[i], tolerance);
        }
    }
}

void setAxis(Quaternion& q, float x, float y, float z, float angle) {
    const float axis[3] = {x, y, z};
    q.setAxis(axis, angle);
}

TEST_F(FrameTest, MakeTopOfPoint4TakesTwoFullStepsAndTheRest) {
    view->layoutSubviews();
    setAxis(view->qMakeTop, 0, 0, 1, 0.1570795f);
    view->fMakeTopDistance = 0.4f;
    view->drawView();
    EXPECT_FLOAT_EQ(view->fMakeTopDistance, float(0.4f - 0.1570795));
    view->drawView();
    EXPECT_GT(view->fMakeTopDistance, 0.0f);
    view->drawView();
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
    // 0.4 rad about the screen's z axis, after the start-up orientation.
    expectSameRotation(view->currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {0, 0, 1}, 0.4);
    });
    float axis[3], angle;
    view->qMakeTop.getAxis(axis, &angle);
    EXPECT_NEAR(angle, 0.4 - 2 * 0.1570795, 1e-6);  // the remainder stays in qMakeTop
    const Quaternion before = view->currentRotation;
    view->drawView();
    EXPECT_EQ(view->currentRotation.q[0], before.q[0]);
}

TEST_F(FrameTest, MakeTopStepIsComparedInDouble) {
    view->layoutSubviews();
    const float step = 0.1570795f;  // a little above the double 0.1570795
    setAxis(view->qMakeTop, 1, 0, 0, step);
    view->fMakeTopDistance = step;
    view->drawView();
    EXPECT_GT(view->fMakeTopDistance, 0.0f);
    EXPECT_LT(view->fMakeTopDistance, 1e-8f);
    view->drawView();
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);

    setAxis(view->qMakeTop, 1, 0, 0, step);
    view->fMakeTopDistance = std::nextafter(step, 0.0f);
    view->drawView();
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
}

TEST_F(FrameTest, MakeTopRunsBeforeTheSpin) {
    view->layoutSubviews();
    setAxis(view->qMakeTop, 0, 0, 1, 0.1570795f);
    view->fMakeTopDistance = 0.1f;
    view->bContinueToRotate = 1;
    setAxis(view->qdeltacontinue, 1, 0, 0, 0.5f);
    view->drawView();  // make-top only
    expectSameRotation(view->currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {0, 0, 1}, 0.1);
    });
    view->drawView();  // then the spin
    expectSameRotation(view->currentRotation, [](Vecd v) {
        return rotate(rotate(startOrientation(v), {0, 0, 1}, 0.1), {1, 0, 0}, 0.5);
    });
}

TEST_F(FrameTest, SpinTurnsAboutTheScreenOrTheCubeAxis) {
    view->layoutSubviews();
    view->bContinueToRotate = 1;
    setAxis(view->qdeltacontinue, 1, 0, 0, 0.3f);
    view->drawView();
    view->drawView();
    // Screen side: about the screen's x axis, after the orientation.
    expectSameRotation(view->currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {1, 0, 0}, 0.6);
    });
    EXPECT_NEAR(view->currentRotation.norm(), 1.0f, 1e-6f);

    auto other = EAGLView::create(platform);
    ASSERT_NE(other, nullptr);
    other->layoutSubviews();
    other->bContinueToRotate = 1;
    other->bContinuePremultiply = 1;
    setAxis(other->qdeltacontinue, 1, 0, 0, 0.3f);
    other->drawView();
    other->drawView();
    // Cube side: about the cube's own x axis, before the orientation.
    expectSameRotation(other->currentRotation, [](Vecd v) {
        return startOrientation(rotate(v, {1, 0, 0}, 0.6));
    });
}

TEST_F(FrameTest, NothingMovesWhenIdleOrWithAZeroSpin) {
    view->layoutSubviews();
    const Quaternion start = view->currentRotation;
    view->bContinueToRotate = 1;  // increment is the identity
    for (int i = 0; i < 10; ++i) {
        view->drawView();
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(view->currentRotation.q[i], start.q[i], 1e-6f);
    }
}

TEST_F(FrameTest, TimerDrawsSixtyFramesASecondActiveAndFiveInactive) {
    view->layoutSubviews();
    view->bContinueToRotate = 1;  // a spinning cube: every tick has a new picture
    setAxis(view->qdeltacontinue, 0, 1, 0, 0.01f);
    const int others = platform.runLoop().validTimerCount();  // the accelerometer's
    view->startAnimation();
    int before = platform.presentCount();
    platform.advance(1.0);
    EXPECT_NEAR(platform.presentCount() - before, 60, 1);

    view->setAnimationInterval(EAGLView::kInactiveInterval);
    EXPECT_EQ(platform.runLoop().validTimerCount(), others + 1);
    before = platform.presentCount();
    platform.advance(0.19);  // the new period starts at the change
    EXPECT_EQ(platform.presentCount(), before);
    platform.advance(0.82);
    EXPECT_EQ(platform.presentCount() - before, 5);

    view->setAnimationInterval(EAGLView::kActiveInterval);
    EXPECT_EQ(platform.runLoop().validTimerCount(), others + 1);
    before = platform.presentCount();
    platform.advance(0.5);
    EXPECT_NEAR(platform.presentCount() - before, 30, 1);
}

TEST_F(FrameTest, IntervalWithoutATimerIsOnlyStored) {
    const int others = platform.runLoop().validTimerCount();  // the accelerometer's
    view->setAnimationInterval(0.2);
    EXPECT_EQ(platform.runLoop().validTimerCount(), others);
    EXPECT_EQ(view->animationTimer, nullptr);
    view->startAnimation();
    EXPECT_DOUBLE_EQ(view->animationTimer->interval(), 0.2);
    view->stopAnimation();
    view->stopAnimation();
    EXPECT_EQ(platform.runLoop().validTimerCount(), others);
}

// Identical pictures are not drawn again, and every kind of change is.
TEST_F(FrameTest, ATickDrawsOnlyWhenThePictureChanges) {
    view->layoutSubviews();
    view->startAnimation();
    const long first = view->framesDrawn;
    const int presents = platform.presentCount();
    platform.advance(1.0);
    EXPECT_EQ(view->framesDrawn, first);  // at rest: sixty ticks, nothing drawn
    EXPECT_EQ(platform.presentCount(), presents);

    auto drawsOnNextTick = [&](const char* what, auto change) {
        const long before = view->framesDrawn;
        change();
        platform.advance(1.0 / 60 + 1e-6);
        EXPECT_EQ(view->framesDrawn, before + 1) << what;
        platform.advance(0.1);
        EXPECT_EQ(view->framesDrawn, before + 1) << what << " (then rest)";
    };
    drawsOnNextTick("a whole-cube turn", [&] {
        Quaternion step;
        setAxis(step, 1, 0, 0, 0.2f);
        view->currentRotation.multiplyBy(step);
    });
    drawsOnNextTick("a scramble", [&] { view->magicCube->scrambleCube(); });
    drawsOnNextTick("a make-top", [&] {
        setAxis(view->qMakeTop, 0, 0, 1, 0.1570795f);
        view->fMakeTopDistance = 0.05f;
    });

    const long before = view->framesDrawn;  // a turn draws each of its frames
    ASSERT_TRUE(view->magicCube->move(0, 1));
    platform.advance(5.0 / 60 + 1e-6);
    EXPECT_EQ(view->framesDrawn, before + 5);  // 18, 36, 54, 72, then at rest
    platform.advance(0.5);
    EXPECT_EQ(view->framesDrawn, before + 5);

    const long sameSize = view->framesDrawn;  // new buffers of the same size, maybe the same names
    view->layoutSubviews();
    EXPECT_EQ(view->framesDrawn, sameSize + 1);
    EXPECT_NE(pixel(onScreen(stickerPoint(4),
                             [this](Vecd v) { return applied(view->currentRotation, v); })),
              (Rgba{0, 0, 0, 0}));

    const long beforeLayout = view->framesDrawn;  // a new backing store
    platform.headlessLayer().setPixelSize({640, 960});
    view->layoutSubviews();
    EXPECT_EQ(view->framesDrawn, beforeLayout + 1);
    // And what a skipped frame leaves to the pick is the picture shown.
    platform.advance(0.5);
    Pixel centre =
        onScreen(stickerPoint(4), [this](Vecd v) { return applied(view->currentRotation, v); });
    EXPECT_EQ(pixel(centre), rgbaOf(view->magicCube->stickers()[4]));
}

TEST_F(FrameTest, AnimationsGoOnAtTheInactiveRate) {
    view->layoutSubviews();
    view->setAnimationInterval(EAGLView::kInactiveInterval);
    view->startAnimation();
    ASSERT_TRUE(view->magicCube->move(0, 1));
    platform.advance(0.61);  // three ticks
    EXPECT_TRUE(view->magicCube->animating());
    EXPECT_EQ(view->magicCube->animatedAngle(), 72.0f);
    platform.advance(0.2);
    EXPECT_FALSE(view->magicCube->animating());
}

}  // namespace
}  // namespace gyrelle::testing
