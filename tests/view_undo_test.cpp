// The undo button on the real view: shown while there is something to undo, its touch
// undoes and does nothing else, hidden under the overlay; and Ctrl+Z through the window.
#include "solver/Preparation.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class UndoButtonTest : public HeadlessViewTest {
  protected:
    bool undoShown() { return view->controller().undoButton().superview() == view.get(); }
    void ctrl(char letter, bool shift = false) {
        platform.window().keyDown({platform::Key::Letter, letter, shift, true});
    }
};

TEST_F(UndoButtonTest, ShowsWithSomethingToUndoAndTakesItsTouch) {
    EXPECT_FALSE(undoShown());
    swipe(atSlot(0), {atSlot(1)});
    up(atSlot(1));
    frames(5);
    ASSERT_TRUE(undoShown());
    const platform::Rect f = view->controller().undoButton().frame();
    EXPECT_TRUE(f.x == 0 && f.y == 455 && f.width == 25 && f.height == 25);
    const Quaternion orientation = motion().currentRotation;
    tap({12, 467}, 2);  // a double tap: on the button, not a make-top
    EXPECT_TRUE(cube().animating());
    EXPECT_EQ(motion().fMakeTopDistance, 0.0f);
    frames(4);
    EXPECT_FALSE(undoShown());
    EXPECT_EQ(std::memcmp(motion().currentRotation.q, orientation.q, sizeof orientation.q), 0);

    game().redo();
    frames(4);
    view->infoButtonCB();
    EXPECT_FALSE(undoShown());
    tap({160, 240});  // closes the overlay
    EXPECT_TRUE(undoShown());
}

// The button is a second way to undo: it stops solve-for-me first, as Ctrl+Z (any key)
// and any touch do, and then undoes.
TEST_F(UndoButtonTest, ItStopsSolveForMeAsCtrlZDoes) {
    static solver::Preparation tables;
    tables.wait();
    coach().setSolverTables(&tables);
    for (bool button : {true, false}) {
        game().answerReset(true);
        swipe(atSlot(0), {atSlot(1)});
        up(atSlot(1));
        frames(5);
        game().type('r', false);
        frames(5);
        coach().solveForMe();
        for (int i = 0; i < 600 && game().history().position() == 2; ++i) {
            frames(1);
        }
        ASSERT_TRUE(coach().solvingForMe());
        frames(5);  // its first turn lands
        const size_t made = game().history().position();
        button ? tap({12, 467}) : ctrl('z');
        EXPECT_FALSE(coach().solvingForMe()) << (button ? "the button" : "Ctrl+Z");
        frames(120);
        EXPECT_EQ(game().history().position(), made - 1) << (button ? "the button" : "Ctrl+Z");
    }
}

}  // namespace
}  // namespace gyrelle::testing
