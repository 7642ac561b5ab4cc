// Shake (scramble or the reset question) and the information overlay, on the real view.
#include "platform/TouchDispatcher.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using platform::Point;
using Change = platform::TouchDispatcher::Change;

class ShakeTest : public HeadlessViewTest {
  protected:
    void SetUp() override {
        HeadlessViewTest::SetUp();
        platform.window().setContentView(view.get());
        view->layoutSubviews();
        touches = std::make_unique<platform::TouchDispatcher>(platform.window());
    }
    void shake() { view->accelerometerDidAccelerate({10, -1, 0}); }
    void tap(Point p, int taps = 1) {
        Change c{7, p, taps};
        touches->began(&c, 1);
        touches->ended(&c, 1);
    }
    static bool same(const MagicCube& a, const MagicCube& b) {
        for (int s = 0; s < 54; ++s) {
            if (rgbaOf(a.stickers()[s]) != rgbaOf(b.stickers()[s])) {
                return false;
            }
        }
        return true;
    }
    std::unique_ptr<platform::TouchDispatcher> touches;
};

TEST_F(ShakeTest, ADeviceAtRestNeverShakes) {
    platform.advance(10);  // 250 samples of (0, -1, 0), from an estimate of zero
    EXPECT_TRUE(view->magicCube->isSolved());
    EXPECT_EQ(platform.window().alertCount(), 0);
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
    EXPECT_EQ(platform.window().alertCount(), 0);
    const MagicCube scrambled = *view->magicCube;
    platform.advance(0.5);
    shake();  // too soon: ignored, and the interval is not extended
    EXPECT_EQ(platform.window().alertCount(), 0);
    EXPECT_TRUE(same(*view->magicCube, scrambled));
    platform.advance(0.3);
    shake();
    ASSERT_EQ(platform.window().alertCount(), 1);
    const platform::AlertView& q = *platform.window().frontAlert();
    EXPECT_EQ(q.title(), "");
    EXPECT_EQ(q.message(), "Do you want to reset the cube?");
    EXPECT_EQ(q.button(0).label(), "No");
    EXPECT_EQ(q.button(1).label(), "Yes");
    EXPECT_TRUE(same(*view->magicCube, scrambled));  // asking changes nothing
}

TEST_F(ShakeTest, AShakeExactlyTheIntervalLaterIsTooSoon) {
    view->magicCube->rotateFace(1);
    view->lastTime = platform.now() - 0.75;
    shake();
    EXPECT_EQ(platform.window().alertCount(), 0);
    view->lastTime = platform.now() - 0.7501;
    shake();
    EXPECT_EQ(platform.window().alertCount(), 1);
}

TEST_F(ShakeTest, YesResetsNoLeavesAndEachQuestionIsAnsweredOnItsOwn) {
    view->magicCube->scrambleCube();
    const MagicCube scrambled = *view->magicCube;
    shake();
    platform.advance(0.8);
    shake();
    ASSERT_EQ(platform.window().alertCount(), 2);
    platform.window().frontAlert()->clickButton(0);  // "No"
    EXPECT_TRUE(same(*view->magicCube, scrambled));
    ASSERT_EQ(platform.window().alertCount(), 1);
    tap({30 + 136 + 56, 165 + 98 + 20});  // a touch on the other one's "Yes"
    EXPECT_TRUE(view->magicCube->isSolved());
    EXPECT_EQ(platform.window().alertCount(), 0);
    platform.window().collectAnswered();
}

TEST_F(ShakeTest, AShakeDuringATurnScramblesAndTheTurnStillLands) {
    ASSERT_TRUE(view->magicCube->move(0, 1));
    shake();
    MagicCube expected = *view->magicCube;
    expected.rotateFace(+4);
    for (int i = 0; i < 4; ++i) {
        view->drawView();
    }
    EXPECT_TRUE(same(*view->magicCube, expected));

    ASSERT_TRUE(view->magicCube->move(0, 1));
    platform.advance(0.8);
    shake();  // unsolved now: the question, and "Yes" drops the running turn
    platform.window().frontAlert()->clickButton(1);
    for (int i = 0; i < 4; ++i) {
        view->drawView();
    }
    EXPECT_TRUE(view->magicCube->isSolved());
}

TEST_F(ShakeTest, TheKeyShakeIsStrongEnough) {
    platform.advance(5);  // settled at rest
    platform.accelerometer().injectShake();
    platform.advance(0.04);
    EXPECT_FALSE(view->magicCube->isSolved());
}

using OverlayTest = ShakeTest;

const Point kInfoButton{295 + 12, 455 + 12};

TEST_F(OverlayTest, TheButtonOpensTheSameOverlayEveryTime) {
    ASSERT_EQ(view->infoButton->superview(), view.get());
    EXPECT_EQ(view->infoButton->frame().x, 295);
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
}

TEST_F(OverlayTest, ABlockOfTextsAsWritten) {
    tap(kInfoButton);
    const InfoView& info = *view->infoView;
    EXPECT_EQ(info.alpha(), 0.625f);
    ASSERT_EQ(info.texts().size(), 3u);
    const InfoText& title = *info.texts()[0];
    const InfoText& maker = *info.texts()[1];
    const InfoText& help = *info.texts()[2];
    EXPECT_EQ(title.text(), "Gyrelle");
    EXPECT_EQ(title.font().size, 28);
    EXPECT_EQ(title.frame().y, 10);
    EXPECT_EQ(title.textAlignment(), platform::TextAlignment::Center);
    EXPECT_EQ(maker.text(), "Pennowick Software");
    EXPECT_EQ(maker.font().size, 14);
    EXPECT_EQ(maker.textColor().green, 0);
    EXPECT_EQ(help.font().size, 16);
    EXPECT_EQ(help.frame().height, 400);
    EXPECT_EQ(help.textAlignment(), platform::TextAlignment::Left);
    EXPECT_NE(help.text().find("top face.\n\nTwo finger controls:\nDrag anywhere"),
              std::string::npos);
    EXPECT_EQ(help.text().rfind("INSTRUCTIONS - One finger controls:\n\n", 0), 0u);
    EXPECT_EQ(help.text().substr(help.text().size() - 36), "SHAKE to scramble or reset the cube.");
    EXPECT_EQ(help.text().size(), 458u);  // the seven pieces, counted by hand
}

TEST_F(OverlayTest, TheClosingTouchDoesNothingElse) {
    tap(kInfoButton);
    // A double tap on a sticker under the overlay: no make-top, and the overlay closes.
    Pixel p = onScreen(stickerPoint(4), startOrientation);
    const Point onSticker{p.column + 0.5f, 480 - (p.row + 0.5f)};
    tap(onSticker, 2);
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
    EXPECT_EQ(view->infoView->superview(), nullptr);

    tap(kInfoButton);
    view->bContinueToRotate = 1;  // spinning under the overlay
    const float axis[3] = {0, 1, 0};
    view->qdeltacontinue.setAxis(axis, 0.05f);
    view->drawView();
    shake();  // shakes still act
    EXPECT_FALSE(view->magicCube->isSolved());
    // The picture under the overlay is the cube's alone.
    Pixel front = onScreen(stickerPoint(4), [this](Vecd v) {
        const float in[3] = {float(v[0]), float(v[1]), float(v[2])};
        float out[3];
        view->currentRotation.rotateVector(in, out);
        return Vecd{out[0], out[1], out[2]};
    });
    EXPECT_EQ(pixel(front)[3], 255);
    EXPECT_EQ(pixel(0, 0), (Rgba{0, 0, 0, 255}));
    tap({10, 470});
    EXPECT_TRUE(view->bContinueToRotate) << "closing the overlay is not a touch on the cube";
}

}  // namespace
}  // namespace gyrelle::testing
