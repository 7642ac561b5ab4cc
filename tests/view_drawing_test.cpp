// The GL view draws the cube where geometry says it lies, in exact colours.
#include <dlfcn.h>

#include "tests/support/HeadlessView.h"

namespace {
int drawCalls = 0;
}

// Counts draw calls on the way to the real libGLESv1_CM: nothing is faked.
extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    using Fn = void (*)(GLenum, GLint, GLsizei);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "glDrawArrays"));
    ++drawCalls;
    real(mode, first, count);
}

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
    view->layoutSubviews();
    ASSERT_EQ(view->backingWidth, 320);
    ASSERT_EQ(view->backingHeight, 480);
    int checked = 0;
    for (int s = 0; s < 54; ++s) {
        if (facing(s) < 0.3) {
            continue;  // turned away or nearly edge-on
        }
        for (double u : {-0.7, 0.0, 0.7}) {
            for (double v : {-0.7, 0.0, 0.7}) {
                Pixel at = onScreen(stickerPoint(s, u, v), startOrientation);
                EXPECT_EQ(pixel(at), rgbaOf(view->magicCube->stickers()[s]))
                    << "slot " << s << " at " << at.column << "," << at.row;
            }
        }
        ++checked;
    }
    EXPECT_EQ(checked, 27);  // three faces turned toward the viewer
}

TEST_F(DrawingTest, BackgroundIsBlackAndTheBodyDarkGreyBetweenStickers) {
    view->layoutSubviews();
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 479}, {319, 479}, {160, 20}}) {
        EXPECT_EQ(pixel(x, y), kBlack);
    }
    // Where four stickers of the front face meet, only the body shows.
    for (Vecd corner : {Vecd{-0.5, -0.5, 1.5}, Vecd{0.5, 0.5, 1.5}, Vecd{0.5, -0.5, 1.5}}) {
        EXPECT_EQ(pixel(onScreen(corner, startOrientation)), kBody);
    }
}

TEST_F(DrawingTest, SolvedIdleCubeTakes108DrawCalls) {
    drawCalls = 0;
    view->layoutSubviews();  // draws one frame
    EXPECT_EQ(drawCalls, 108);
}

TEST_F(DrawingTest, BackingSizeFollowsTheLayerAndPicturesScale) {
    platform.headlessLayer().setPixelSize({640, 960});
    view->layoutSubviews();
    EXPECT_EQ(view->backingWidth, 640);
    EXPECT_EQ(view->backingHeight, 960);
    Pixel centre = onScreen(stickerPoint(4), startOrientation);
    EXPECT_EQ(pixel(centre), rgbaOf(view->magicCube->stickers()[4]));
}

TEST_F(DrawingTest, BeforeTheFirstLayoutFramesShowNothingButStillAnimate) {
    EXPECT_EQ(view->backingWidth, 0);
    EXPECT_EQ(view->viewFramebuffer, 0u);
    ASSERT_TRUE(view->magicCube->move(0, 1));
    view->drawView();
    EXPECT_EQ(view->magicCube->animatedAngle(), 36.0f);
}

TEST_F(DrawingTest, IdentityOrientationShowsTheFrontFaceSquarely) {
    view->currentRotation.setAxis(std::array<float, 3>{1, 0, 0}.data(), 0.0f);
    view->layoutSubviews();
    auto straight = [](Vecd v) { return v; };
    for (int s = 0; s < 9; ++s) {
        EXPECT_EQ(pixel(onScreen(stickerPoint(s), straight)),
                  rgbaOf(view->magicCube->stickers()[s]));
    }
    EXPECT_EQ(pixel(onScreen({1.6, 0, 1.5}, straight)), kBlack);
}

// A turn started by move shows turned by 18, 36, 54 and 72 degrees on the next four
// frames and is applied to the stickers at the end of the fourth. The top layer is
// turned, so its stickers stay in view as they turn.
TEST_F(DrawingTest, SliceTurnIsDrawnOverFourFramesThenApplied) {
    view->layoutSubviews();
    MagicCube& cube = *view->magicCube;
    const MagicCube before = cube;
    ASSERT_TRUE(cube.move(6, 7));  // front face's top row to the right: y = +1, +90 about y
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
    for (int s = 0; s < 54; ++s) {
        EXPECT_EQ(cube.stickers()[s].faceNumber, expected.stickers()[s].faceNumber) << s;
        EXPECT_EQ(rgbaOf(cube.stickers()[s]), rgbaOf(expected.stickers()[s])) << s;
    }
    view->drawView();  // at rest again, turned
    for (int s : {0, 6, 9, 12, 17}) {
        EXPECT_EQ(pixel(onScreen(stickerPoint(s), startOrientation)), rgbaOf(cube.stickers()[s]))
            << s;
    }
    EXPECT_NE(rgbaOf(cube.stickers()[6]), rgbaOf(before.stickers()[6]));
}

}  // namespace
}  // namespace gyrelle::testing
