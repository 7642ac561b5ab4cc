// The frame timer and its rates, the frames that need not be drawn, and the picture the
// pick reads.
#include <cmath>

#include "app/voxletAppDelegate.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using FrameTest = HeadlessViewTest;

// The delegate sets the rates: 60 frames a second with the focus, 5 without, and every
// animation goes on at the lower rate.
TEST_F(FrameTest, FocusSetsSixtyFramesASecondAndItsLossFive) {
    voxletAppDelegate delegate(view.get());
    motion().bContinueToRotate = 1;  // a spinning cube: every tick has a new picture
    motion().qdeltacontinue = rotation(0, 1, 0, 0.01f);
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
    ASSERT_TRUE(game().swipe(0, 1));
    platform.advance(0.6);  // three ticks: a turn goes on, slowly
    EXPECT_EQ(cube().animatedAngle(), 72.0f);

    delegate.applicationDidBecomeActive();
    before = platform.presentCount();
    platform.advance(0.5);
    EXPECT_NEAR(platform.presentCount() - before, 30, 1);
}

// Identical pictures are not drawn again, and every kind of change is; with nothing
// moving the frame timer stops, and nothing wakes the loop.
TEST_F(FrameTest, ATickDrawsOnlyWhenThePictureChanges) {
    view->startAnimation();
    const long first = view->framesDrawn();
    platform.advance(1.0);
    EXPECT_EQ(view->framesDrawn(), first);
    EXPECT_TRUE(std::isinf(platform.runLoop().secondsUntilNextTimer()));

    auto drawsOnNextTick = [&](const char* what, auto change) {
        const long before = view->framesDrawn();
        change();
        platform.advance(1.0 / 60 + 1e-6);
        EXPECT_EQ(view->framesDrawn(), before + 1) << what;
        platform.advance(0.1);
        EXPECT_EQ(view->framesDrawn(), before + 1) << what << " (then rest)";
        EXPECT_TRUE(std::isinf(platform.runLoop().secondsUntilNextTimer())) << what;
    };
    drawsOnNextTick("a whole-cube turn",
                    [&] { motion().currentRotation.multiplyBy(rotation(1, 0, 0, 0.2f)); });
    drawsOnNextTick("a scramble", [&] { game().newGame(); });
    drawsOnNextTick("a make-top", [&] {
        const float z[3] = {0, 0, 1};
        motion().startMakeTop(z, 0.05f);
    });

    const long before = view->framesDrawn();  // a turn draws each of its frames
    ASSERT_TRUE(game().swipe(0, 1));
    platform.advance(5.0 / 60 + 1e-6);
    EXPECT_EQ(view->framesDrawn(), before + 5);  // 18, 36, 54, 72, then at rest
    platform.advance(0.5);
    EXPECT_EQ(view->framesDrawn(), before + 5);

    const long beforeLayout = view->framesDrawn();  // new buffers, maybe with the same names
    view->layoutSubviews();
    EXPECT_EQ(view->framesDrawn(), beforeLayout + 1);
    // And what a skipped frame leaves to the pick is the picture shown.
    platform.advance(0.5);
    EXPECT_EQ(pixel(onScreen(stickerPoint(4))), rgbaOf(cube().stickers()[4]));
}

// The window shows the picture the pick reads, also between the frames of a turn, whose
// step comes after its frame is drawn.
TEST_F(FrameTest, ThePickReadsThePictureOnScreen) {
    std::vector<unsigned char> pick(4 * view->backingSize().width * view->backingSize().height);
    auto picked = [&] {
        view->pickPicture();
        glReadPixels(0, 0, view->backingSize().width, view->backingSize().height, GL_RGBA,
                     GL_UNSIGNED_BYTE, pick.data());
        return pick;
    };
    motion().currentRotation.multiplyBy(rotation(0, 1, 0, 0.3f));
    ASSERT_TRUE(game().swipe(0, 1));
    frames(2);
    const std::vector<unsigned char> screen = platform.screenImage();
    motion().currentRotation.multiplyBy(rotation(1, 0, 0, 0.3f));  // not drawn yet
    EXPECT_TRUE(picked() == screen);
}

// The window is drawn again from the picture the view keeps, the view not asked: a pick
// in between, which draws the stickers' own colours, leaves it as it was shown.
TEST_F(FrameTest, TheWindowIsDrawnAgainFromTheKeptPictureOrTheNextFrame) {
    Settings s = game().settings();
    s.scheme = ColourScheme::ColourBlind;
    game().setSettings(s);
    frames(1);
    const std::vector<unsigned char> shown = platform.screenImage();
    const long drawn = view->framesDrawn();
    const Pixel centre = onScreen(stickerPoint(4));
    const Rgba picked = pixel(centre);
    EXPECT_EQ(picked, rgbaOf(cube().stickers()[4]));
    EXPECT_TRUE(platform.showAgain());
    const std::vector<unsigned char> again = platform.screenImage();
    EXPECT_TRUE(again == shown);
    EXPECT_EQ(view->framesDrawn(), drawn);
    const size_t i = (size_t(centre.row) * view->backingSize().width + centre.column) * 4;
    EXPECT_NE((Rgba{again[i], again[i + 1], again[i + 2], again[i + 3]}), picked);

    // At a new size the picture is made anew, at that size, and shown.
    platform.headlessLayer().setPixelSize({640, 960});
    view->layoutSubviews();
    EXPECT_TRUE(platform.showAgain());
    const std::vector<unsigned char> large = platform.screenImage();
    ASSERT_EQ(large.size(), size_t(640) * 960 * 4);
    const Pixel c = onScreen(stickerPoint(4));
    const size_t j = (size_t(c.row) * 640 + c.column) * 4;
    EXPECT_EQ((Rgba{large[j], large[j + 1], large[j + 2], large[j + 3]}),
              (Rgba{again[i], again[i + 1], again[i + 2], again[i + 3]}));

    // While frames come nothing is kept: a redraw waits for the next frame, which draws
    // the same picture again; at rest the picture is kept once more.
    view->startAnimation();
    EXPECT_FALSE(platform.showAgain());
    const int presents = platform.presentCount();
    const long frames = view->framesDrawn();
    platform.advance(1.0 / 60 + 1e-6);
    EXPECT_EQ(platform.presentCount(), presents + 1);
    EXPECT_EQ(view->framesDrawn(), frames);
    EXPECT_TRUE(std::isinf(platform.runLoop().secondsUntilNextTimer()));  // at rest
    std::vector<unsigned char> rested = platform.screenImage();
    EXPECT_TRUE(platform.showAgain());
    EXPECT_EQ(platform.presentCount(), presents + 1);
    EXPECT_TRUE(platform.screenImage() == rested);
    EXPECT_EQ((Rgba{rested[j], rested[j + 1], rested[j + 2], rested[j + 3]}),
              (Rgba{again[i], again[i + 1], again[i + 2], again[i + 3]}));
}

}  // namespace
}  // namespace gyrelle::testing
