// Touch on the real view, headless: synthetic fingers, real pixels, real picks.
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using platform::Point;

class TouchTest : public HeadlessViewTest {
  protected:
    // The orientation is `from` turned by `angle` about the screen's `axis`.
    void expectScreenTurn(const Quaternion& from, Vecd axis, double angle) {
        expectRotation(motion().currentRotation,
                       [&](Vecd v) { return rotate(applied(from, v), axis, angle); });
    }

    const Point kBackground{20, 20};
};

TEST_F(TouchTest, SwipeOntoANeighbourTurnsItsSliceOnTheSecondMovement) {
    down(atSlot(0));
    EXPECT_EQ(view->gesture().stickerStart, 0);
    moveTo(atSlot(1));  // the first movement is swallowed
    EXPECT_FALSE(cube().animating());
    moveTo(atSlot(1));
    ASSERT_TRUE(cube().animating());
    EXPECT_EQ(cube().animatedSlice(), 3);  // code +4
    EXPECT_EQ(cube().animatedDirection(), 1);
    EXPECT_TRUE(view->gesture().bTouchesIgnore);
    frames(5);          // four turning, one at rest
    moveTo(atSlot(4));  // the gesture is done: nothing more turns
    EXPECT_FALSE(cube().animating());
}

TEST_F(TouchTest, DiagonalsBodyAndBackgroundTurnNothing) {
    const Quaternion start = motion().currentRotation;
    swipe(atSlot(0), {atSlot(4), atSlot(8)});
    up(atSlot(8));
    swipe(at({-0.5, -0.5, 1.5}), {atSlot(1), atSlot(2)});  // from the body
    EXPECT_EQ(view->gesture().stickerStart, -1);
    EXPECT_NE(view->gesture().rgbTouchStart[0], 0);
    up(atSlot(2));
    EXPECT_FALSE(cube().animating());
    EXPECT_EQ(std::memcmp(motion().currentRotation.q, start.q, sizeof start.q), 0);
}

TEST_F(TouchTest, ASwipeDuringAnotherTurnWaitsForIt) {
    ASSERT_TRUE(game().swipe(15, 16));  // the back slice, out of the way
    swipe(atSlot(0), {atSlot(1)});
    EXPECT_EQ(cube().animatedSlice(), 8);
    frames(4);
    moveTo(atSlot(1));
    ASSERT_TRUE(cube().animating());
    EXPECT_EQ(cube().animatedSlice(), 3);
}

// Also when the only movement was swallowed, and when the second tap of a double tap
// slides onto the neighbour: then it turns instead of bringing the face up.
TEST_F(TouchTest, ASwipeThatArrivesOnlyAtTheReleaseTurnsThen) {
    swipe(atSlot(0), {atSlot(0)});
    EXPECT_FALSE(cube().animating());
    up(atSlot(1));
    ASSERT_TRUE(cube().animating());
    EXPECT_EQ(cube().animatedSlice(), 3);
    frames(5);

    down(atSlot(0), 2);
    moveTo(atSlot(1));  // swallowed
    up(atSlot(1));
    EXPECT_TRUE(cube().animating());
    EXPECT_EQ(motion().fMakeTopDistance, 0.0f);
}

// Sideways about the cube's most upright axis (its y at start-up), up and down about
// the screen's x.
TEST_F(TouchTest, BackgroundDragTurnsAboutTheLockAxisAndTilts) {
    swipe(kBackground, {{30, 20}});
    expectRotation(motion().currentRotation, [](Vecd v) {
        return startOrientation(rotate(v, {0, 1, 0}, 0.12));
    });
    EXPECT_TRUE(motion().bContinuePremultiply);
    const Quaternion before = motion().currentRotation;
    moveTo({30, 30});
    expectScreenTurn(before, {1, 0, 0}, 0.1);
}

TEST_F(TouchTest, TwoFingersTogetherTurnAboutTheScreensAxis) {
    const Quaternion start = motion().currentRotation;
    down2({20, 100}, {20, 150});
    move2({20, 100}, {20, 150});
    move2({25, 100}, {25, 150});
    expectScreenTurn(start, {0, 1, 0}, 4 * 3.14159 / 180);
    EXPECT_FALSE(motion().bContinuePremultiply);
}

TEST_F(TouchTest, TwistRightUpLeftDownTurnsCounterClockwise) {
    const Quaternion start = motion().currentRotation;
    down2({100, 240}, {220, 240});
    move2({100, 240}, {220, 240});
    move2({100, 250}, {220, 230});
    // c = -((10 - -10) * (100 - 220)) = 2400
    expectScreenTurn(start, {0, 0, 1}, 2400 * 4.7e-05);

    const Quaternion before = motion().currentRotation;
    move2({100, 250}, {220, 240});  // one still, one moving: a twist too
    expectScreenTurn(before, {0, 0, 1}, -1200 * 4.7e-05);
}

TEST_F(TouchTest, ReleaseKeepsTheCubeSpinningOnlyAfterAFastLastStep) {
    swipe(kBackground, {{21, 20}, {30, 20}});  // last step 9 units: 0.108 rad
    up({30, 20});
    ASSERT_TRUE(motion().bContinueToRotate);
    const Quaternion before = motion().currentRotation;
    view->drawView();  // one frame's turn, about the cube's own y axis
    expectRotation(motion().currentRotation, [&](Vecd v) {
        return applied(before, rotate(v, {0, 1, 0}, 0.108 * 0.475));
    });

    down(kBackground);  // a touch stops it at once
    EXPECT_FALSE(motion().bContinueToRotate);
    up(kBackground);

    swipe(kBackground, {{21, 20}, {29, 20}});  // 8 units: 0.096 rad
    up({29, 20});
    EXPECT_FALSE(motion().bContinueToRotate);
}

// A finger that rests before it lifts leaves the cube still: a phone sends no movement
// while it rests. A tenth of a second's rest still spins; a rest of any longer does not.
TEST_F(TouchTest, AFingerThatRestedBeforeItLiftedLeavesTheCubeStill) {
    for (double rest : {0.1, 0.1 + 1e-6, 0.3}) {
        swipe(kBackground, {{21, 20}, {30, 20}});
        platform.advance(rest);
        up({30, 20});
        EXPECT_EQ(motion().bContinueToRotate, rest == 0.1) << rest;
        down(kBackground);
        up(kBackground);
    }
    // Two fingers twisting (0.11 rad a step), lifted at once or after a rest.
    for (double rest : {0.0, 0.3}) {
        down2({100, 240}, {220, 240});
        move2({100, 240}, {220, 240});
        move2({100, 250}, {220, 230});
        platform.advance(rest);
        Change lift[2] = {{1, {100, 250}, 1}, {2, {220, 230}, 1}};
        touches->ended(lift, 2);
        EXPECT_EQ(motion().bContinueToRotate, rest == 0) << rest;
        down(kBackground);
        up(kBackground);
    }
}

TEST_F(TouchTest, LiftingOneOfTwoFingersMaySpinButLooksForNoTapOrSwipe) {
    down2(atSlot(4), {200, 100});
    move2(atSlot(4), {200, 100});
    move2({atSlot(4).x + 10, atSlot(4).y}, {210, 100});  // two-finger drag, 8 degrees
    Change lift{2, {210, 100}, 2};
    touches->ended(&lift, 1);
    EXPECT_TRUE(motion().bContinueToRotate);
    EXPECT_FALSE(cube().animating());
    EXPECT_EQ(motion().fMakeTopDistance, 0.0f);
}

TEST_F(TouchTest, ATouchDoesNotStopAMakeTop) {
    tap(atSlot(4), 2);
    ASSERT_GT(motion().fMakeTopDistance, 0.0f);
    const float distance = motion().fMakeTopDistance;
    down(kBackground);
    EXPECT_EQ(motion().fMakeTopDistance, distance);
}

// A double tap on any face brings its normal to (0, 2, 1) / sqrt(5) on the screen.
TEST_F(TouchTest, DoubleTapBringsTheFaceUp) {
    const Quaternion start = motion().currentRotation;
    for (int slot : {4, 0, 39, 13}) {  // front centre, front corner, left face, top face
        const int face = slot / 9;
        motion().currentRotation = start;
        view->drawView();
        tap(atSlot(slot), 2);
        frames(40);
        EXPECT_EQ(motion().fMakeTopDistance, 0.0f);
        Place p = placeOf(slot);
        Vecd n = applied(motion().currentRotation,
                         {double(p.normal[0]), double(p.normal[1]), double(p.normal[2])});
        EXPECT_NEAR(n[0], 0, 1e-4) << "face " << face;
        EXPECT_NEAR(n[1], 0.894427, 1e-4) << "face " << face;
        EXPECT_NEAR(n[2], 0.447214, 1e-4) << "face " << face;
    }
}

TEST_F(TouchTest, SingleAndTripleTapsAndTapsOffTheCubeDoNothing) {
    tap(atSlot(4));
    tap(atSlot(4), 3);
    tap(kBackground, 2);
    tap(at({-0.5, -0.5, 1.5}), 2);  // the body
    EXPECT_EQ(motion().fMakeTopDistance, 0.0f);
    EXPECT_FALSE(cube().animating());
    EXPECT_FALSE(motion().bContinueToRotate);
}

TEST_F(TouchTest, MakeTopAngleStaysANumberForParallelVectors) {
    const float up[3] = {0, 0.894427f, 0.447214f};
    float axis[3], angle = -1;
    EAGLView::fromVecToVec(up, up, axis, &angle);
    EXPECT_EQ(angle, 0.0f);
    const float down[3] = {0, -0.894427f, -0.447214f};
    EAGLView::fromVecToVec(up, down, axis, &angle);
    EXPECT_NEAR(angle, 3.14159265f, 1e-6f);
}

TEST_F(TouchTest, PickAtScaleTwoFindsTheSameSticker) {
    platform.headlessLayer().setPixelSize({640, 960});
    view->layoutSubviews();
    for (int slot : {0, 4, 13, 39}) {
        down(atSlot(slot));
        EXPECT_EQ(view->gesture().stickerStart, slot);
        up(atSlot(slot));
    }
}

TEST_F(TouchTest, TheTopEdgeIsNeitherStickerNorBackground) {
    const Quaternion start = motion().currentRotation;
    swipe({160, 0}, {{170, 0}, {200, 0}});
    EXPECT_EQ(view->gesture().stickerStart, -1);
    EXPECT_EQ(std::memcmp(motion().currentRotation.q, start.q, sizeof start.q), 0);
}

}  // namespace
}  // namespace gyrelle::testing
