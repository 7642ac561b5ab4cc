// The frame's orientation step (make-top, spin), the frame timer and its rates, and
// the frames that need not be drawn.
#include <cmath>

#include "app/voxletAppDelegate.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using FrameTest = HeadlessViewTest;

TEST_F(FrameTest, MakeTopOfPoint4TakesTwoFullStepsAndTheRest) {
    view->qMakeTop = rotation(0, 0, 1, 0.1570795f);
    view->fMakeTopDistance = 0.4f;
    view->drawView();
    EXPECT_FLOAT_EQ(view->fMakeTopDistance, float(0.4f - 0.1570795));
    view->drawView();
    EXPECT_GT(view->fMakeTopDistance, 0.0f);
    view->drawView();
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
    // 0.4 rad about the screen's z axis, after the start-up orientation.
    expectRotation(view->currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {0, 0, 1}, 0.4);
    });
    float axis[3], angle;
    view->qMakeTop.getAxis(axis, &angle);
    EXPECT_NEAR(angle, 0.4 - 2 * 0.1570795, 1e-6);  // the remainder stays in qMakeTop
}

TEST_F(FrameTest, MakeTopStepIsComparedInDouble) {
    const float step = 0.1570795f;  // a little above the double 0.1570795
    view->qMakeTop = rotation(1, 0, 0, step);
    view->fMakeTopDistance = step;
    view->drawView();
    EXPECT_GT(view->fMakeTopDistance, 0.0f);
    EXPECT_LT(view->fMakeTopDistance, 1e-8f);
    view->drawView();
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);

    view->qMakeTop = rotation(1, 0, 0, step);
    view->fMakeTopDistance = std::nextafter(step, 0.0f);
    view->drawView();
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
}

TEST_F(FrameTest, MakeTopRunsBeforeTheSpin) {
    view->qMakeTop = rotation(0, 0, 1, 0.1570795f);
    view->fMakeTopDistance = 0.1f;
    view->bContinueToRotate = 1;
    view->qdeltacontinue = rotation(1, 0, 0, 0.5f);
    view->drawView();  // make-top only
    expectRotation(view->currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {0, 0, 1}, 0.1);
    });
    view->drawView();  // then the spin
    expectRotation(view->currentRotation, [](Vecd v) {
        return rotate(rotate(startOrientation(v), {0, 0, 1}, 0.1), {1, 0, 0}, 0.5);
    });
}

TEST_F(FrameTest, SpinTurnsAboutTheScreenOrTheCubeAxis) {
    view->bContinueToRotate = 1;
    view->qdeltacontinue = rotation(1, 0, 0, 0.3f);
    frames(2);
    // Screen side: about the screen's x axis, after the orientation.
    expectRotation(view->currentRotation, [](Vecd v) {
        return rotate(startOrientation(v), {1, 0, 0}, 0.6);
    });

    view->currentRotation = rotation(1, 1, 0, 0.6981311f);
    view->bContinuePremultiply = 1;
    frames(2);
    // Cube side: about the cube's own x axis, before the orientation.
    expectRotation(view->currentRotation, [](Vecd v) {
        return startOrientation(rotate(v, {1, 0, 0}, 0.6));
    });
}

// The delegate sets the rates: 60 frames a second with the focus, 5 without, and every
// animation goes on at the lower rate.
TEST_F(FrameTest, FocusSetsSixtyFramesASecondAndItsLossFive) {
    voxletAppDelegate delegate(&platform.window(), view.get());
    view->bContinueToRotate = 1;  // a spinning cube: every tick has a new picture
    view->qdeltacontinue = rotation(0, 1, 0, 0.01f);
    delegate.applicationDidFinishLaunching();
    int before = platform.presentCount();
    platform.advance(1.0);
    EXPECT_NEAR(platform.presentCount() - before, 60, 1);

    delegate.applicationWillResignActive();
    before = platform.presentCount();
    platform.advance(0.19);  // the new period starts at the change
    EXPECT_EQ(platform.presentCount(), before);
    platform.advance(0.82);
    EXPECT_EQ(platform.presentCount() - before, 5);
    ASSERT_TRUE(view->magicCube->move(0, 1));
    platform.advance(0.6);  // three ticks: a turn goes on, slowly
    EXPECT_EQ(view->magicCube->animatedAngle(), 72.0f);

    delegate.applicationDidBecomeActive();
    before = platform.presentCount();
    platform.advance(0.5);
    EXPECT_NEAR(platform.presentCount() - before, 30, 1);
}

// Identical pictures are not drawn again, and every kind of change is; with nothing
// moving the frame timer stops, and nothing wakes the loop.
TEST_F(FrameTest, ATickDrawsOnlyWhenThePictureChanges) {
    view->startAnimation();
    const long first = view->framesDrawn;
    platform.advance(1.0);
    EXPECT_EQ(view->framesDrawn, first);
    EXPECT_TRUE(std::isinf(platform.runLoop().secondsUntilNextTimer()));

    auto drawsOnNextTick = [&](const char* what, auto change) {
        const long before = view->framesDrawn;
        change();
        platform.advance(1.0 / 60 + 1e-6);
        EXPECT_EQ(view->framesDrawn, before + 1) << what;
        platform.advance(0.1);
        EXPECT_EQ(view->framesDrawn, before + 1) << what << " (then rest)";
        EXPECT_TRUE(std::isinf(platform.runLoop().secondsUntilNextTimer())) << what;
    };
    drawsOnNextTick("a whole-cube turn",
                    [&] { view->currentRotation.multiplyBy(rotation(1, 0, 0, 0.2f)); });
    drawsOnNextTick("a scramble", [&] { view->magicCube->scrambleCube(); });
    drawsOnNextTick("a make-top", [&] {
        view->qMakeTop = rotation(0, 0, 1, 0.1570795f);
        view->fMakeTopDistance = 0.05f;
    });

    const long before = view->framesDrawn;  // a turn draws each of its frames
    ASSERT_TRUE(view->magicCube->move(0, 1));
    platform.advance(5.0 / 60 + 1e-6);
    EXPECT_EQ(view->framesDrawn, before + 5);  // 18, 36, 54, 72, then at rest
    platform.advance(0.5);
    EXPECT_EQ(view->framesDrawn, before + 5);

    const long beforeLayout = view->framesDrawn;  // new buffers, maybe with the same names
    view->layoutSubviews();
    EXPECT_EQ(view->framesDrawn, beforeLayout + 1);
    // And what a skipped frame leaves to the pick is the picture shown.
    platform.advance(0.5);
    EXPECT_EQ(pixel(onScreen(stickerPoint(4))), rgbaOf(view->magicCube->stickers()[4]));
}

// The window shows the picture the pick reads, also between the frames of a turn, whose
// step comes after its frame is drawn.
TEST_F(FrameTest, ThePickReadsThePictureOnScreen) {
    std::vector<unsigned char> pick(4 * view->backingWidth * view->backingHeight);
    auto picked = [&] {
        view->pickPicture();
        glReadPixels(0, 0, view->backingWidth, view->backingHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                     pick.data());
        return pick;
    };
    view->currentRotation.multiplyBy(rotation(0, 1, 0, 0.3f));
    ASSERT_TRUE(view->magicCube->move(0, 1));
    frames(2);
    const std::vector<unsigned char> screen = platform.screenImage();
    view->currentRotation.multiplyBy(rotation(1, 0, 0, 0.3f));  // not drawn yet
    EXPECT_TRUE(picked() == screen);
}

}  // namespace
}  // namespace gyrelle::testing
