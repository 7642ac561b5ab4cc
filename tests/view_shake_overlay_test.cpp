// Shake (scramble or the reset question) and the information overlay, on the real view.
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using platform::Point;

class ShakeTest : public HeadlessViewTest {
  protected:
    void shake() { view->accelerometerDidAccelerate({10, -1, 0}); }
    int questions() { return platform.window().alertCount(); }
};

TEST_F(ShakeTest, ADeviceAtRestNeverShakes) {
    platform.accelerometer().setSource([](platform::Acceleration& a) {
        a = {0, -1, 0};
        return true;
    });
    platform.advance(10);  // 250 samples of (0, -1, 0), from an estimate of zero
    EXPECT_TRUE(view->magicCube->isSolved());
    EXPECT_EQ(questions(), 0);
    EXPECT_NEAR(view->myAccelerometer[1], -1, 1e-6);
}

TEST_F(ShakeTest, ExactlyTheThresholdCounts) {
    // From an estimate of zero, a sample of 2.5 leaves 2.5 - 0.25 = 2.25.
    view->accelerometerDidAccelerate({std::nextafter(2.5, 0.0), 0, 0});
    EXPECT_TRUE(view->magicCube->isSolved());
    auto other = EAGLView::create(platform);
    other->accelerometerDidAccelerate({2.5, 0, 0});
    EXPECT_FALSE(other->magicCube->isSolved());
}

TEST_F(ShakeTest, SolvedScramblesUnsolvedAsksAndTooSoonIsIgnored) {
    shake();
    EXPECT_FALSE(view->magicCube->isSolved());
    EXPECT_EQ(questions(), 0);
    const MagicCube scrambled = *view->magicCube;
    platform.advance(0.5);
    shake();  // too soon: ignored, and the interval is not extended
    EXPECT_EQ(questions(), 0);
    platform.advance(0.3);
    shake();
    ASSERT_EQ(questions(), 1);
    const platform::AlertView& q = *platform.window().frontAlert();
    EXPECT_EQ(q.title(), "");
    EXPECT_EQ(q.message(), "Do you want to reset the cube?");
    EXPECT_EQ(q.button(0).label(), "No");
    EXPECT_EQ(q.button(1).label(), "Yes");
    EXPECT_TRUE(sameStickers(*view->magicCube, scrambled));  // asking changes nothing
}

TEST_F(ShakeTest, AShakeExactlyTheIntervalLaterIsTooSoon) {
    view->magicCube->rotateFace(1);
    view->lastTime = platform.now() - 0.75;
    shake();
    EXPECT_EQ(questions(), 0);
    view->lastTime = platform.now() - 0.7501;
    shake();
    EXPECT_EQ(questions(), 1);
}

TEST_F(ShakeTest, YesResetsNoLeavesAndEachQuestionIsAnsweredOnItsOwn) {
    view->magicCube->scrambleCube();
    const MagicCube scrambled = *view->magicCube;
    shake();
    platform.advance(0.8);
    shake();
    ASSERT_EQ(questions(), 2);
    platform.window().frontAlert()->clickButton(0);  // "No"
    EXPECT_TRUE(sameStickers(*view->magicCube, scrambled));
    ASSERT_EQ(questions(), 1);
    // A touch on the other one's "Yes", in the middle of the screen.
    ::testing::internal::CaptureStderr();
    tap({30 + 136 + 56, 165 + 98 + 20});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "reset: solved\n");
    EXPECT_TRUE(view->magicCube->isSolved());
    EXPECT_EQ(questions(), 0);
    platform.window().collectAnswered();
}

using OverlayTest = ShakeTest;

const Point kInfoButton{295 + 12, 455 + 12};

TEST_F(OverlayTest, TheButtonOpensTheSameOverlayEveryTimeAndComesBack) {
    ASSERT_EQ(view->infoButton->superview(), view.get());
    tap(kInfoButton);
    ASSERT_NE(view->infoView, nullptr);
    EXPECT_EQ(view->infoView->superview(), view.get());
    EXPECT_EQ(view->infoButton->superview(), nullptr);
    InfoView* first = view->infoView.get();
    tap({160, 240});  // closes
    EXPECT_EQ(view->infoView->superview(), nullptr);
    EXPECT_EQ(view->infoButton->superview(), view.get());
    const platform::Rect f = view->infoButton->frame();
    EXPECT_TRUE(f.x == 295 && f.y == 455 && f.width == 25 && f.height == 25);
    tap(kInfoButton);
    EXPECT_EQ(view->infoView.get(), first);
    const std::string& help = first->texts()[2]->text();
    EXPECT_NE(help.find("top face.\n\nTwo finger controls:\nDrag anywhere"), std::string::npos);
    EXPECT_EQ(help.substr(help.size() - 37), "\nSHAKE to scramble or reset the cube.");
}

TEST_F(OverlayTest, TheClosingTouchDoesNothingElse) {
    tap(kInfoButton);
    tap(atSlot(4), 2);  // a double tap on a sticker under the overlay: no make-top
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
    EXPECT_EQ(view->infoView->superview(), nullptr);

    tap(kInfoButton);
    view->bContinueToRotate = 1;  // spinning under the overlay
    view->qdeltacontinue = rotation(0, 1, 0, 0.05f);
    view->drawView();
    shake();  // shakes still act
    EXPECT_FALSE(view->magicCube->isSolved());
    // The picture under the overlay is the cube's alone.
    view->drawView();
    EXPECT_EQ(pixel(onScreen(stickerPoint(4))), rgbaOf(view->magicCube->stickers()[4]));
    EXPECT_EQ(pixel(0, 0), (Rgba{0, 0, 0, 255}));
    tap({10, 470});
    EXPECT_TRUE(view->bContinueToRotate) << "closing the overlay is not a touch on the cube";
}

}  // namespace
}  // namespace gyrelle::testing
