// Keys on the real view, through the window: a letter turns a face, the panels open and
// any key or touch closes them, a paste that is no position says so, and a question
// takes every key and touch.
#include "cube/Position.h"
#include "overlay/RecordsView.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class KeysTest : public HeadlessViewTest {
  protected:
    void press(char letter, bool shift = false, bool ctrl = false) {
        platform.window().keyDown({platform::Key::Letter, letter, shift, ctrl});
    }
    void press(platform::Key key) { platform.window().keyDown({key}); }
    const Panel* panel() { return dynamic_cast<const Panel*>(view->subviews().back()); }
};

// The question is modal: no key but its answers and no touch elsewhere reach the cube.
TEST_F(KeysTest, AQuestionTakesEveryKeyAndTouch) {
    game().turn(1);
    frames(5);
    view->accelerometerDidAccelerate({10, -1, 0});
    ASSERT_EQ(platform.window().alertCount(), 1);
    const MagicCube before = cube();
    press('f');
    swipe(atSlot(0), {atSlot(1)});
    up(atSlot(1));
    swipe({20, 20}, {{60, 20}, {100, 20}});
    up({100, 20});
    frames(5);
    EXPECT_TRUE(sameStickers(cube(), before));
    EXPECT_FALSE(motion().bContinueToRotate);
    press('n');
    EXPECT_EQ(platform.window().alertCount(), 0);
}

}  // namespace
}  // namespace gyrelle::testing
