// Undo and redo of every change of the stickers, on the real view: turns animated back,
// scrambles and resets put back at once, the button, the keys, and the history kept
// across a restart.
#include <fstream>

#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class UndoTest : public HeadlessViewWithFilesTest {
  protected:
    // A swipe from the front face's bottom left sticker onto its neighbour (code +4).
    void swipeAndLand() {
        swipe(atSlot(0), {atSlot(1)});
        up(atSlot(1));
        frames(5);
    }
    void key(char letter, bool shift = false) {
        platform::KeyPress press{platform::Key::Letter, letter, shift, true};
        platform.window().keyDown(press);
    }
    bool undoShown() { return view->undoButton->superview() == view.get(); }
};

TEST_F(UndoTest, ATurnIsTakenBackAndAppliedAgainOverFourFrames) {
    const MagicCube solved = *view->magicCube;
    swipeAndLand();
    const MagicCube turned = *view->magicCube;
    ASSERT_FALSE(sameStickers(turned, solved));
    for (auto [request, from, to] :
         {std::tuple{&EAGLView::undo, &turned, &solved}, {&EAGLView::redo, &solved, &turned}}) {
        ((*view).*request)();
        ASSERT_TRUE(view->magicCube->animating());
        EXPECT_EQ(view->magicCube->animatedSlice(), 3);
        for (int frame = 1; frame <= 3; ++frame) {
            view->drawView();
            EXPECT_TRUE(sameStickers(*view->magicCube, *from)) << frame;
        }
        view->drawView();
        EXPECT_TRUE(sameStickers(*view->magicCube, *to));
    }
    EXPECT_EQ(view->history.entries().size(), 1u);
}

TEST_F(UndoTest, AScrambleAndAResetAreTakenBackAtOnceToTheExactCube) {
    const MagicCube solved = *view->magicCube;
    view->accelerometerDidAccelerate({10, -1, 0});  // a shake scrambles the solved cube
    const MagicCube scrambled = *view->magicCube;
    view->undo();
    EXPECT_TRUE(sameStickers(*view->magicCube, solved));
    view->redo();
    EXPECT_TRUE(sameStickers(*view->magicCube, scrambled));

    platform.advance(1);
    view->accelerometerDidAccelerate({10, -1, 0});  // unsolved: the question; "Yes"
    platform.window().frontAlert()->clickButton(1);
    EXPECT_TRUE(view->magicCube->isSolved());
    view->undo();
    EXPECT_TRUE(sameStickers(*view->magicCube, scrambled));
    EXPECT_FALSE(view->magicCube->animating());
}

TEST_F(UndoTest, ANewChangeDropsWhatCouldBeRedone) {
    swipeAndLand();
    view->undo();
    frames(4);
    ASSERT_TRUE(view->history.canRedo());
    swipeAndLand();
    EXPECT_FALSE(view->history.canRedo());
    EXPECT_EQ(view->history.entries().size(), 1u);
}

// While a turn animates, one request waits for it; more are ignored.
TEST_F(UndoTest, RequestsDuringATurnWaitForIt) {
    swipeAndLand();
    const MagicCube once = *view->magicCube;
    swipe(atSlot(0), {atSlot(1)});
    up(atSlot(1));
    ASSERT_TRUE(view->magicCube->animating());
    view->undo();
    view->redo();  // the first request waits; this one is not heard
    frames(4);     // the second turn lands, then the undo starts
    EXPECT_TRUE(view->magicCube->animating());
    frames(4);
    EXPECT_TRUE(sameStickers(*view->magicCube, once));
    frames(10);
    EXPECT_TRUE(sameStickers(*view->magicCube, once));
    EXPECT_EQ(view->history.position(), 1u);
}

// The history moves when the stickers do: a scramble made while an undo is still
// turning (the cube still solved) comes before that turn, which lands as a new one.
TEST_F(UndoTest, AScrambleDuringAnUndoTurnKeepsTheHistoryWhole) {
    for (int code : {4, -4}) {
        view->magicCube->startTurn(code);
        frames(5);
    }
    view->undo();
    view->accelerometerDidAccelerate({10, -1, 0});
    frames(5);
    EXPECT_EQ(view->history.entries().size(), 4u);
    while (view->history.canUndo()) {
        view->undo();
        frames(5);
    }
    EXPECT_TRUE(view->magicCube->isSolved());
    EXPECT_TRUE(sameStickers(*view->magicCube, MagicCube()));
}

// In the lower left, only while there is something to undo; a touch on it undoes and
// does nothing else; hidden under the overlay.
TEST_F(UndoTest, TheButtonShowsWithSomethingToUndoAndTakesItsTouch) {
    EXPECT_FALSE(undoShown());
    swipeAndLand();
    ASSERT_TRUE(undoShown());
    const platform::Rect f = view->undoButton->frame();
    EXPECT_TRUE(f.x == 0 && f.y == 455 && f.width == 25 && f.height == 25);
    const Quaternion orientation = view->currentRotation;
    tap({12, 467}, 2);
    EXPECT_TRUE(view->magicCube->animating());
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
    frames(4);
    EXPECT_FALSE(undoShown());
    EXPECT_EQ(std::memcmp(view->currentRotation.q, orientation.q, sizeof orientation.q), 0);

    view->redo();
    frames(4);
    view->infoButtonCB();
    EXPECT_FALSE(undoShown());
    tap({160, 240});  // closes the overlay
    EXPECT_TRUE(undoShown());
}

TEST_F(UndoTest, CtrlZUndoesCtrlShiftZAndCtrlYRedo) {
    view->accelerometerDidAccelerate({10, -1, 0});
    key('z');
    EXPECT_TRUE(view->magicCube->isSolved());
    key('z', true);
    EXPECT_FALSE(view->magicCube->isSolved());
    key('z');
    key('y');
    EXPECT_FALSE(view->magicCube->isSolved());
}

TEST_F(UndoTest, TheHistoryIsKeptAcrossARestartIfItEndsAtTheCube) {
    view->accelerometerDidAccelerate({10, -1, 0});
    frames(1);  // the scrambled cube on screen, for the swipe's picks
    swipeAndLand();
    view->undo();
    frames(4);
    view->terminate();
    auto again = EAGLView::create(platform);
    EXPECT_EQ(again->history.entries().size(), 2u);
    EXPECT_EQ(again->history.position(), 1u);
    again->undo();
    EXPECT_TRUE(again->magicCube->isSolved());

    std::ofstream(dir + "/cube_state.dat") << "version 4\n";  // another cube: not its history
    ::testing::internal::CaptureStderr();
    auto other = EAGLView::create(platform);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(other->history.canUndo());
    EXPECT_NE(said.find(dir + "/history was not used: it does not end at the saved cube\n"),
              std::string::npos)
        << said;
}

// Any other file is set aside with one line, and the game goes on without a history.
TEST_F(UndoTest, AHistoryFileThatIsNotOneIsIgnoredWithALine) {
    swipeAndLand();
    view->terminate();
    const std::string good = file("history");
    ASSERT_NE(good.find("\nturn 4\nend\n"), std::string::npos) << good;
    for (const std::string& bad :
         {std::string("garbage"), good.substr(0, good.size() - 4),
          good.substr(0, good.find("turn")) + "turn 10\nend\n",
          good.substr(0, good.find("position")) + "position 2\nturn 4\nend\n",
          good.substr(0, good.find("turn")) + "scramble 012 345\nend\n",
          std::string(3 << 20, 'x')}) {
        std::ofstream(dir + "/history") << bad;
        ::testing::internal::CaptureStderr();
        auto again = EAGLView::create(platform);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_FALSE(again->history.canUndo()) << bad.substr(0, 80);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;  // and the reset
        EXPECT_NE(said.find("/history was not used: "), std::string::npos) << said;
    }
}

}  // namespace
}  // namespace gyrelle::testing
