// Solves on the real view: armed by a position set, timed from the first turn to the
// solved cube, shown over the picture but never in it, kept across a restart.
#include <fstream>

#include "cube/Notation.h"
#include "cube/Position.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class SolveTest : public HeadlessViewWithFilesTest {
  protected:
    // The solved cube with `turns` made, set as a paste sets it.
    void setTurned(std::initializer_list<int> turns) {
        MagicCube cube;
        for (int code : turns) {
            cube.rotateFace(code);
        }
        std::string problem;
        ASSERT_TRUE(view->setPosition(positionCode(cube.stickers()), problem));
    }
    void turn(int code) {
        ASSERT_TRUE(view->magicCube->startTurn(code));
        frames(4);
    }
    std::string strip() {
        EXPECT_EQ(view->statusStrip->superview() != nullptr, !view->statusStrip->text().empty());
        std::string title = view->statusStrip->text();
        if (size_t dot = title.find(" \u00b7 "); dot != std::string::npos) {
            title.replace(dot, 4, ", ");
        }
        EXPECT_EQ(platform.window().subtitle(), title);
        return view->statusStrip->text();
    }

    const int front = faceTurn(0, false), right = faceTurn(1, false);
};

TEST_F(SolveTest, TimedFromTheFirstTurnToTheSolvedCubeAndShownOverThePicture) {
    EXPECT_EQ(strip(), "");  // the start-up picture as it always was
    setTurned({front, right});
    platform.advance(10);  // looking at a scrambled cube is not solving it
    EXPECT_EQ(strip(), "");
    turn(-right);
    EXPECT_EQ(strip(), "1 move \u00b7 0:00.0");
    platform.advance(41.35);
    EXPECT_EQ(strip(), "1 move \u00b7 0:41.3");

    // The words are drawn over the view, never into the picture the pick reads.
    view->drawView();
    const int rows = static_cast<int>(StatusStrip::kHeight);
    std::vector<unsigned char> top(4 * view->backingWidth * rows, 1);
    view->pickPicture();
    glReadPixels(0, view->backingHeight - rows, view->backingWidth, rows, GL_RGBA, GL_UNSIGNED_BYTE,
                 top.data());
    for (size_t i = 0; i < top.size(); i += 4) {
        ASSERT_TRUE(top[i] == 0 && top[i + 1] == 0 && top[i + 2] == 0) << i / 4;
    }

    const Quaternion solvedIn = view->currentRotation;
    turn(-front);
    ASSERT_EQ(view->solves.done().size(), 1u);
    EXPECT_EQ(view->solves.done()[0].moves, 2);
    EXPECT_NEAR(view->solves.done()[0].seconds, 41.35, 1e-9);
    EXPECT_EQ(strip(), "Solved in 2 moves \u00b7 0:41.3");
    EXPECT_NE(file("records").find(" 2 41.350\nend\n"), std::string::npos) << file("records");
    // A full turn about the screen's vertical, back to where it was solved.
    frames(20);  // half way round the screen's vertical: the cube's x seen mirrored
    EXPECT_NEAR(applied(view->currentRotation, {1, 0, 0})[0], -applied(solvedIn, {1, 0, 0})[0],
                0.02);
    frames(21);
    EXPECT_EQ(view->fMakeTopDistance, 0.0f);
    const Vecd v = applied(view->currentRotation, {1, 2, 3}), w = applied(solvedIn, {1, 2, 3});
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(v[i], w[i], 1e-4);
    }
    platform.advance(EAGLView::kResultShown + EAGLView::kClockInterval);
    EXPECT_EQ(strip(), "");
}

TEST_F(SolveTest, UndoAndRedoAreMovesAndTakingBackTheScrambleEndsTheSolve) {
    setTurned({front});
    turn(front);  // the wrong way
    for (void (EAGLView::*request)() : {&EAGLView::undo, &EAGLView::redo, &EAGLView::undo}) {
        ((*view).*request)();
        frames(4);
    }
    turn(-front);
    ASSERT_EQ(view->solves.done().size(), 1u);
    EXPECT_EQ(view->solves.done()[0].moves, 5);
    frames(41);  // the cube's spin of joy, which what waits waits for

    turn(right);  // turned by hand, not scrambled
    setTurned({front});
    turn(front);
    view->undo();
    frames(4);
    EXPECT_EQ(view->solves.moves(), 2);
    view->undo();  // the pasted position: back to the cube turned by hand
    EXPECT_EQ(view->solves.phase(), Solves::Phase::None);
    turn(-right);  // solving what was never scrambled is no solve
    EXPECT_EQ(view->solves.done().size(), 1u);

    setTurned({front});
    turn(front);
    view->newGame();
    view->alertViewClickedButtonAtIndex(*platform.window().frontAlert(), 1);  // "Yes": reset
    EXPECT_EQ(view->solves.phase(), Solves::Phase::None);
    EXPECT_EQ(view->solves.done().size(), 1u);
}

// Time while the game is not running does not count; the solve holds only for its cube.
TEST_F(SolveTest, ASolveUnderWayGoesOnAfterARestart) {
    setTurned({front, right});
    turn(-right);
    platform.advance(30);
    view->terminate();
    view.reset();
    platform.advance(100);
    view = EAGLView::create(platform);
    EXPECT_EQ(view->solves.phase(), Solves::Phase::Running);
    EXPECT_EQ(view->solves.moves(), 1);
    EXPECT_NEAR(view->solves.seconds(platform.now()), 30, 0.11);

    view->terminate();
    std::ofstream(dir + "/cube_state.dat") << "version 4\n";  // another cube
    ::testing::internal::CaptureStderr();
    view = EAGLView::create(platform);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(view->solves.phase(), Solves::Phase::None);
    EXPECT_NE(said.find("the solve under way was on another cube"), std::string::npos) << said;
}

// Set aside whole, with one line, and new records begun; never lost, never a crash.
TEST_F(SolveTest, ARecordsFileThatIsNotOneIsSetAside) {
    const std::string bad = "gyrelle records 1\nsolve yesterday 12 30.000\nend\n";
    std::ofstream(dir + "/records") << bad;
    ::testing::internal::CaptureStderr();
    view = EAGLView::create(platform);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(file("records.bad"), bad);
    EXPECT_NE(said.find("/records was not read: line 2 is malformed; it is kept as "),
              std::string::npos)
        << said;
    EXPECT_TRUE(view->solves.done().empty());
    setTurned({front});
    turn(-front);
    EXPECT_TRUE(file("records").starts_with("gyrelle records 1\nsolve ")) << file("records");
    EXPECT_EQ(file("records.bad"), bad);
}

}  // namespace
}  // namespace gyrelle::testing
