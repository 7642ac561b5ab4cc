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

using OverlayTest = ShakeTest;

const Point kInfoButton{295 + 12, 455 + 12};

TEST_F(OverlayTest, TheButtonOpensTheSameOverlayEveryTimeAndComesBack) {
    ASSERT_EQ(view->infoButton().superview(), view.get());
    tap(kInfoButton);
    ASSERT_NE(view->infoView(), nullptr);
    EXPECT_EQ(view->infoView()->superview(), view.get());
    EXPECT_EQ(view->infoButton().superview(), nullptr);
    const InfoView* first = view->infoView();
    tap({160, 240});  // closes
    EXPECT_EQ(view->infoView()->superview(), nullptr);
    EXPECT_EQ(view->infoButton().superview(), view.get());
    const platform::Rect f = view->infoButton().frame();
    EXPECT_TRUE(f.x == 295 && f.y == 455 && f.width == 25 && f.height == 25);
    tap(kInfoButton);
    EXPECT_EQ(view->infoView(), first);
    const std::string& help = first->texts()[2]->text();
    EXPECT_NE(help.find("top face.\n\nTwo finger controls:\nDrag anywhere"), std::string::npos);
    EXPECT_EQ(help.substr(help.size() - 37), "\nSHAKE to scramble or reset the cube.");
}

TEST_F(OverlayTest, TheClosingTouchDoesNothingElse) {
    tap(kInfoButton);
    tap(atSlot(4), 2);  // a double tap on a sticker under the overlay: no make-top
    EXPECT_EQ(motion().fMakeTopDistance, 0.0f);
    EXPECT_EQ(view->infoView()->superview(), nullptr);

    tap(kInfoButton);
    motion().bContinueToRotate = 1;  // spinning under the overlay
    motion().qdeltacontinue = rotation(0, 1, 0, 0.05f);
    view->drawView();
    shake();  // shakes still act
    EXPECT_FALSE(cube().isSolved());
    // The picture under the overlay is the cube's alone.
    view->drawView();
    EXPECT_EQ(pixel(onScreen(stickerPoint(4))), rgbaOf(cube().stickers()[4]));
    EXPECT_EQ(pixel(0, 0), (Rgba{0, 0, 0, 255}));
    tap({10, 470});
    EXPECT_TRUE(motion().bContinueToRotate) << "closing the overlay is not a touch on the cube";
}

}  // namespace
}  // namespace gyrelle::testing
