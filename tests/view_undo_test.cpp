// The undo button on the real view: shown while there is something to undo, its touch
// undoes and does nothing else, hidden under the overlay; and Ctrl+Z through the window.
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class UndoButtonTest : public HeadlessViewTest {
  protected:
    bool undoShown() { return view->undoButton().superview() == view.get(); }
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
    const platform::Rect f = view->undoButton().frame();
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

TEST_F(UndoButtonTest, CtrlZUndoesCtrlShiftZAndCtrlYRedo) {
    ctrl('n');
    ASSERT_FALSE(cube().isSolved());
    ctrl('z');
    EXPECT_TRUE(cube().isSolved());
    ctrl('z', true);
    EXPECT_FALSE(cube().isSolved());
    ctrl('z');
    ctrl('y');
    EXPECT_FALSE(cube().isSolved());
}

}  // namespace
}  // namespace gyrelle::testing
