// Touch on the real view, headless: synthetic fingers, real pixels, real picks.
#include "platform/TouchDispatcher.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using platform::Point;
using Change = platform::TouchDispatcher::Change;

class TouchTest : public HeadlessViewTest {
  protected:
    void SetUp() override {
        HeadlessViewTest::SetUp();
        view->layoutSubviews();
        touches = std::make_unique<platform::TouchDispatcher>(*view);
    }

    // The view point over a point of the cube (cube frame), in the current picture.
    Point at(Vecd cubePoint) {
        Pixel p = onScreen(cubePoint, [this](Vecd v) { return applied(view->currentRotation, v); });
        return {p.column + 0.5f, view->bounds().height - (p.row + 0.5f)};
    }
    Point atSlot(int slot) { return at(stickerPoint(slot)); }

    static Vecd applied(const Quaternion& q, Vecd v) {
        const float in[3] = {float(v[0]), float(v[1]), float(v[2])};
        float out[3];
        q.rotateVector(in, out);
        return {out[0], out[1], out[2]};
    }

    void down(Point p, int taps = 1) {
        Change c{1, p, taps};
        touches->began(&c, 1);
    }
    void moveTo(Point p) {
        Change c{1, p};
        touches->moved(&c, 1);
    }
    void up(Point p) {
        Change c{1, p};
        touches->ended(&c, 1);
    }
    void down2(Point a, Point b) {
        Change c[2] = {{1, a}, {2, b}};
        touches->began(c, 2);
    }
    void move2(Point a, Point b) {
        Change c[2] = {{1, a}, {2, b}};
        touches->moved(c, 2);
    }
    // A one-finger swipe: down, a swallowed first movement, then each point.
    void swipe(Point from, std::initializer_list<Point> through) {
        down(from);
        moveTo(from);
        for (Point p : through) {
            moveTo(p);
        }
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            view->drawView();
        }
    }
    // The orientation equals want(start) for the three axes.
    template <class F>
    void expectOrientation(F want, const Quaternion& from, double tolerance = 2e-5) {
        for (Vecd v : {Vecd{1, 0, 0}, Vecd{0, 1, 0}, Vecd{0, 0, 1}}) {
            Vecd got = applied(view->currentRotation, v);
            Vecd exp = want(applied(from, v), v);
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(got[i], exp[i], tolerance) << "axis " << v[0] << v[1] << v[2];
            }
        }
    }

    const Point kBackground{20, 20};
    std::unique_ptr<platform::TouchDispatcher> touches;
};

TEST_F(TouchTest, SwipeOntoANeighbourTurnsItsSliceOnTheSecondMovement) {
    down(atSlot(0));
    EXPECT_EQ(view->gesture.stickerStart, 0);
    moveTo(atSlot(1));  // the first movement is swallowed
    EXPECT_FALSE(view->magicCube->animating());
    moveTo(atSlot(1));
    ASSERT_TRUE(view->magicCube->animating());
    EXPECT_EQ(view->magicCube->animatedSlice(), 3);  // code +4
    EXPECT_EQ(view->magicCube->animatedDirection(), 1);
    EXPECT_TRUE(view->gesture.bTouchesIgnore);
    frames(5);          // four turning, one at rest
    moveTo(atSlot(4));  // the gesture is done: nothing more turns
    EXPECT_FALSE(view->magicCube->animating());
    up(atSlot(4));

    swipe(atSlot(0), {atSlot(3)});
    ASSERT_TRUE(view->magicCube->animating());
    EXPECT_EQ(view->magicCube->animatedSlice(), 0);  // code -1
    EXPECT_EQ(view->magicCube->animatedDirection(), -1);
}

TEST_F(TouchTest, DiagonalsBodyAndBackgroundTurnNothing) {
    const Quaternion start = view->currentRotation;
    swipe(atSlot(0), {atSlot(4), atSlot(8)});
    up(atSlot(8));
    swipe(at({-0.5, -0.5, 1.5}), {atSlot(1), atSlot(2)});  // from the body
    EXPECT_EQ(view->gesture.stickerStart, -1);
    EXPECT_NE(view->gesture.rgbTouchStart[0], 0);
    up(atSlot(2));
    EXPECT_FALSE(view->magicCube->animating());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(view->currentRotation.q[i], start.q[i]);
    }
}

TEST_F(TouchTest, ASwipeDuringAnotherTurnWaitsForIt) {
    ASSERT_TRUE(view->magicCube->move(15, 16));  // the back slice, out of the way
    swipe(atSlot(0), {atSlot(1)});
    EXPECT_EQ(view->magicCube->animatedSlice(), 8);
    frames(4);
    moveTo(atSlot(1));
    ASSERT_TRUE(view->magicCube->animating());
    EXPECT_EQ(view->magicCube->animatedSlice(), 3);
}

TEST_F(TouchTest, ASwipeThatArrivesOnlyAtTheReleaseTurnsThen) {
    swipe(atSlot(0), {atSlot(0)});
    EXPECT_FALSE(view->magicCube->animating());
    up(atSlot(1));
    ASSERT_TRUE(view->magicCube->animating());
    EXPECT_EQ(view->magicCube->animatedSlice(), 3);
}

TEST_F(TouchTest, ATapOnAStickerDoesNothing) {
    down(atSlot(4));
    up(atSlot(4));
    EXPECT_FALSE(view->magicCube->animating());
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
    EXPECT_FALSE(view->bContinueToRotate);
}

TEST_F(TouchTest, LockAxisAtStartUpIsTheCubesY) {
    float axis[3] = {9, 9, 9};
    ASSERT_TRUE(view->determineAxisLockAxis(axis));
    EXPECT_EQ(axis[0], 0.0f);
    EXPECT_EQ(axis[1], 1.0f);
    EXPECT_EQ(axis[2], 0.0f);

    view->currentRotation.q[0] = NAN;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(view->determineAxisLockAxis(axis));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ERROR: bad determineAxisLockAxis!!!!!!\n");
}

TEST_F(TouchTest, BackgroundDragTurnsAboutTheLockAxisOnly) {
    const Quaternion start = view->currentRotation;
    swipe(kBackground, {{30, 20}});
    expectOrientation(
        [](Vecd, Vecd v) {
            return startOrientation(rotate(v, {0, 1, 0}, 0.12));
        },
        start);
    EXPECT_TRUE(view->bContinuePremultiply);
}

TEST_F(TouchTest, BackgroundDragDownTiltsTheFrontDown) {
    swipe(kBackground, {{20, 30}});
    expectOrientation(
        [](Vecd o, Vecd) {
            return rotate(o, {1, 0, 0}, 0.1);
        },
        [] {
            Quaternion q;
            const float a[3] = {1, 1, 0};
            q.setAxis(a, 0.6981311f);
            return q;
        }());
}

TEST_F(TouchTest, TwoFingersTogetherTurnAboutTheScreensAxis) {
    const Quaternion start = view->currentRotation;
    down2({20, 100}, {20, 150});
    move2({20, 100}, {20, 150});
    move2({25, 100}, {25, 150});
    expectOrientation([](Vecd o, Vecd) { return rotate(o, {0, 1, 0}, 4 * 3.14159 / 180); }, start);
    EXPECT_FALSE(view->bContinuePremultiply);
}

TEST_F(TouchTest, TwistRightUpLeftDownTurnsCounterClockwise) {
    const Quaternion start = view->currentRotation;
    down2({100, 240}, {220, 240});
    move2({100, 240}, {220, 240});
    move2({100, 250}, {220, 230});
    // c = -((10 - -10) * (100 - 220)) = 2400
    expectOrientation([](Vecd o, Vecd) { return rotate(o, {0, 0, 1}, 2400 * 4.7e-05); }, start);

    const Quaternion before = view->currentRotation;
    move2({100, 250}, {220, 240});  // one still, one moving: a twist too
    expectOrientation([](Vecd o, Vecd) { return rotate(o, {0, 0, 1}, -1200 * 4.7e-05); }, before);
}

TEST_F(TouchTest, ReleaseKeepsTheCubeSpinningOnlyAfterAFastLastStep) {
    swipe(kBackground, {{21, 20}, {30, 20}});  // last step 9 units: 0.108 rad
    up({30, 20});
    ASSERT_TRUE(view->bContinueToRotate);
    float axis[3], angle;
    view->qdeltacontinue.getAxis(axis, &angle);
    EXPECT_NEAR(angle, 0.108 * 0.475, 1e-5);
    EXPECT_NEAR(axis[0], 0, 1e-6);
    EXPECT_GT(axis[1], 0);
    EXPECT_NEAR(axis[2], 0, 1e-6);
    const Quaternion before = view->currentRotation;
    view->drawView();  // one frame's turn, about the cube's own y axis
    expectOrientation(
        [&](Vecd, Vecd v) {
            return applied(before, rotate(v, {0, 1, 0}, 0.108 * 0.475));
        },
        before);

    down(kBackground);  // a touch stops it at once
    EXPECT_FALSE(view->bContinueToRotate);
    up(kBackground);

    swipe(kBackground, {{21, 20}, {29, 20}});  // 8 units: 0.096 rad
    up({29, 20});
    EXPECT_FALSE(view->bContinueToRotate);
}

TEST_F(TouchTest, LiftingOneOfTwoFingersMaySpinButLooksForNoTapOrSwipe) {
    down2(atSlot(4), {200, 100});
    move2(atSlot(4), {200, 100});
    move2({atSlot(4).x + 10, atSlot(4).y}, {210, 100});  // two-finger drag, 8 degrees
    Change lift{2, {210, 100}, 2};
    touches->ended(&lift, 1);
    EXPECT_TRUE(view->bContinueToRotate);
    EXPECT_FALSE(view->magicCube->animating());
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
}

TEST_F(TouchTest, ATouchDoesNotStopAMakeTop) {
    down(atSlot(4), 2);
    up(atSlot(4));
    ASSERT_GT(view->fMakeTopDistance, 0.0f);
    const float distance = view->fMakeTopDistance;
    down(kBackground);
    EXPECT_EQ(view->fMakeTopDistance, distance);
}

// A double tap on any face brings its normal to (0, 2, 1) / sqrt(5) on the screen.
TEST_F(TouchTest, DoubleTapBringsTheFaceUp) {
    const Quaternion start = view->currentRotation;
    for (int slot : {4, 0, 39, 13}) {  // front centre, front corner, left face, top face
        const int face = slot / 9;
        view->currentRotation = start;
        view->drawView();
        down(atSlot(slot), 2);
        up(atSlot(slot));
        frames(40);
        EXPECT_EQ(view->fMakeTopDistance, 0.0f);
        Place p = placeOf(slot);
        Vecd n = applied(view->currentRotation,
                         {double(p.normal[0]), double(p.normal[1]), double(p.normal[2])});
        EXPECT_NEAR(n[0], 0, 1e-4) << "face " << face;
        EXPECT_NEAR(n[1], 0.894427, 1e-4) << "face " << face;
        EXPECT_NEAR(n[2], 0.447214, 1e-4) << "face " << face;
    }
}

TEST_F(TouchTest, TripleTapsAndTapsOffTheCubeDoNothing) {
    down(atSlot(4), 3);
    up(atSlot(4));
    down(kBackground, 2);
    up(kBackground);
    down(at({-0.5, -0.5, 1.5}), 2);  // the body
    up(at({-0.5, -0.5, 1.5}));
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
}

TEST_F(TouchTest, ADoubleTapThatSlidesOntoANeighbourTurnsInstead) {
    down(atSlot(0), 2);
    moveTo(atSlot(1));  // swallowed
    up(atSlot(1));
    EXPECT_TRUE(view->magicCube->animating());
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
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
    for (int slot : {0, 4, 13, 39}) {
        down(atSlot(slot));
        EXPECT_EQ(view->gesture.stickerStart, slot);
        up(atSlot(slot));
    }
    const Point points[4] = {atSlot(0), atSlot(4), atSlot(13), atSlot(39)};
    platform.headlessLayer().setPixelSize({640, 960});
    view->layoutSubviews();
    const int slots[4] = {0, 4, 13, 39};
    for (int i = 0; i < 4; ++i) {
        down(points[i]);
        EXPECT_EQ(view->gesture.stickerStart, slots[i]);
        up(points[i]);
    }
}

TEST_F(TouchTest, TheTopEdgeIsNeitherStickerNorBackground) {
    const Quaternion start = view->currentRotation;
    swipe({160, 0}, {{170, 0}, {200, 0}});
    EXPECT_EQ(view->gesture.stickerStart, -1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(view->currentRotation.q[i], start.q[i]);
    }
}

}  // namespace
}  // namespace gyrelle::testing
