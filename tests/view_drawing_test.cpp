// The GL view draws the cube where geometry says it lies, in exact colours.
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kBody{50, 50, 50, 255};

// The rotated normal's component toward the viewer.
double facing(int slot) {
    Place p = placeOf(slot);
    return startOrientation({double(p.normal[0]), double(p.normal[1]), double(p.normal[2])})[2];
}

using DrawingTest = HeadlessViewTest;

TEST_F(DrawingTest, StartUpFrameShowsEveryVisibleStickerInItsExactColour) {
    ASSERT_EQ(view->backingSize().width, 320);
    ASSERT_EQ(view->backingSize().height, 480);
    int checked = 0;
    for (int s = 0; s < 54; ++s) {
        if (facing(s) < 0.3) {
            continue;  // turned away or nearly edge-on
        }
        for (double u : {-0.7, 0.0, 0.7}) {
            for (double v : {-0.7, 0.0, 0.7}) {
                Pixel at = onScreen(stickerPoint(s, u, v), startOrientation);
                EXPECT_EQ(pixel(at), rgbaOf(cube().stickers()[s]))
                    << "slot " << s << " at " << at.column << "," << at.row;
            }
        }
        ++checked;
    }
    EXPECT_EQ(checked, 27);  // three faces turned toward the viewer
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 479}, {319, 479}, {160, 20}}) {
        EXPECT_EQ(pixel(x, y), kBlack);
    }
    // Where four stickers of the front face meet, only the body shows.
    for (Vecd corner : {Vecd{-0.5, -0.5, 1.5}, Vecd{0.5, 0.5, 1.5}, Vecd{0.5, -0.5, 1.5}}) {
        EXPECT_EQ(pixel(onScreen(corner, startOrientation)), kBody);
    }
}

TEST_F(DrawingTest, BeforeTheFirstLayoutFramesShowNothingButStillAnimate) {
    auto fresh = EAGLView::create(platform);
    EXPECT_EQ(fresh->backingSize().width, 0);
    ASSERT_TRUE(fresh->game().swipe(0, 1));
    fresh->drawView();
    EXPECT_EQ(fresh->game().cube().animatedAngle(), 36.0f);
}

// A failed set-up leaves a line in the log; the frame goes on all the same.
TEST_F(DrawingTest, AFramebufferThatCannotBeMadeIsLogged) {
    platform.headlessLayer().setPixelSize({100000, 100000});
    ::testing::internal::CaptureStderr();
    view->layoutSubviews();  // the picture's, at the frame it draws
    view->pickPicture();     // and the pick's
    EXPECT_EQ(::testing::internal::GetCapturedStderr().rfind(
                  "failed to make complete framebuffer object 8c", 0),
              0u);
}

TEST_F(DrawingTest, IdentityOrientationShowsTheFrontFaceSquarely) {
    motion().currentRotation = rotation(1, 0, 0, 0);
    view->drawView();
    auto straight = [](Vecd v) { return v; };
    for (int s = 0; s < 9; ++s) {
        EXPECT_EQ(pixel(onScreen(stickerPoint(s), straight)), rgbaOf(cube().stickers()[s]));
    }
    EXPECT_EQ(pixel(onScreen({1.6, 0, 1.5}, straight)), kBlack);
}

// A turn started by move shows turned by 18, 36, 54 and 72 degrees on the next four
// frames and is applied to the stickers at the end of the fourth. The top layer is
// turned, so its stickers stay in view as they turn.
TEST_F(DrawingTest, SliceTurnIsDrawnOverFourFramesThenApplied) {
    const MagicCube& cube = view->game().cube();
    const MagicCube before = cube;
    ASSERT_TRUE(game().swipe(6, 7));  // front face's top row to the right: y = +1, +90 about y
    for (int frame = 1; frame <= 4; ++frame) {
        double angle = 18.0 * frame * M_PI / 180.0;
        auto turned = [angle](Vecd v) { return startOrientation(rotate(v, {0, 1, 0}, angle)); };
        view->drawView();
        for (int s : {9, 12, 17}) {
            EXPECT_EQ(pixel(onScreen(stickerPoint(s), turned)), rgbaOf(before.stickers()[s]))
                << "slot " << s << " frame " << frame;
        }
        EXPECT_EQ(cube.animating(), frame < 4) << "frame " << frame;
    }
    MagicCube expected;
    expected.rotateFace(+6);
    EXPECT_TRUE(sameStickers(cube, expected));
    view->drawView();  // at rest again, turned
    for (int s : {0, 6, 9, 12, 17}) {
        EXPECT_EQ(pixel(onScreen(stickerPoint(s), startOrientation)), rgbaOf(cube.stickers()[s]))
            << s;
    }
    EXPECT_NE(rgbaOf(cube.stickers()[6]), rgbaOf(before.stickers()[6]));
}

}  // namespace
}  // namespace gyrelle::testing
