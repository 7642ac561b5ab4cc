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

// A second game on one folder asks, in its window, whether to quit or play without
// saving; every key and touch goes to that question first.
class FolderQuestionTest : public HeadlessViewWithFilesTest {};

TEST_F(FolderQuestionTest, ASecondGameOnTheFolderAsksToQuitOrPlayWithoutSaving) {
    ::testing::internal::CaptureStderr();
    auto second = EAGLView::create(platform);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said,
              "reset: solved\nanother Gyrelle has " + dir + " open: this one saves nothing\n");
    ASSERT_EQ(platform.window().alertCount(), 1);
    const platform::AlertView& q = *platform.window().frontAlert();
    EXPECT_EQ(q.message(), "Gyrelle is already open with this folder. Play here without saving?");
    EXPECT_EQ(q.button(0).label(), "Quit");
    EXPECT_EQ(q.button(1).label(), "Play");
    platform.window().keyDown({platform::Key::Return});  // Play
    EXPECT_EQ(platform.window().alertCount(), 0);
    EXPECT_FALSE(platform.quitAsked());
    EXPECT_TRUE(second->game().cube().isSolved()) << "the answer is not a reset";
    second.reset();

    second = EAGLView::create(platform);
    platform.window().keyDown({platform::Key::Escape});  // Quit
    EXPECT_TRUE(platform.quitAsked());
}

// One of the game's own files that it must not write through (here `saving`, a link) is
// named in the question; the game plays without saving, and saves again at its end once
// the link is gone.
TEST_F(FolderQuestionTest, AFileTheGameMustNotWriteThroughIsNamedInTheQuestion) {
    view.reset();  // the folder is free
    std::filesystem::create_symlink(dir + "-elsewhere", dir + "/saving");
    ::testing::internal::CaptureStderr();
    auto game = EAGLView::create(platform);
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(platform.window().alertCount(), 1);
    EXPECT_EQ(platform.window().frontAlert()->message(),
              "Gyrelle saves nothing while " + dir +
                  "/saving is a symbolic link: remove it to keep your game. Play without saving?");
    platform.window().keyDown({platform::Key::Return});  // Play
    EXPECT_FALSE(platform.quitAsked());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(game->terminate());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "could not save the game: " + dir + "/saving is a symbolic link\n");
    EXPECT_FALSE(std::filesystem::exists(dir + "/cube_state.dat"));
    std::filesystem::remove(dir + "/saving");
    EXPECT_TRUE(game->terminate());
    EXPECT_TRUE(std::filesystem::exists(dir + "/cube_state.dat"));
}

}  // namespace
}  // namespace gyrelle::testing
