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

// At the start-up orientation R turns the right face (+x): the front's right column
// shows the bottom's blue; C copies that position to the clipboard.
TEST_F(KeysTest, ALetterTurnsAndCtrlCCopies) {
    press('r');
    frames(5);
    press('c', false, true);
    EXPECT_EQ(platform.clipboardText(), "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB");
}

TEST_F(KeysTest, APasteThatIsNoPositionSaysSoUntilAKey) {
    platform.setClipboardText("UUU");
    press('v', false, true);
    ASSERT_TRUE(view->panelShown());
    ASSERT_NE(panel(), nullptr);
    EXPECT_EQ(panel()->texts()[0]->text(), "Not a cube position: it must be 54 letters");
    press('f');  // closes the message, and turns nothing
    EXPECT_FALSE(view->panelShown());
    frames(5);
    EXPECT_TRUE(cube().isSolved());

    MagicCube once;  // an outer layer: the centres stay home
    once.rotateFace(3);
    platform.setClipboardText(positionCode(once.stickers()));
    press('v', false, true);
    EXPECT_TRUE(sameStickers(cube(), once));
}

TEST_F(KeysTest, F1ShowsTheKeysAndF2TheRecordsUntilAKeyOrATouch) {
    press(platform::Key::F1);
    ASSERT_TRUE(view->panelShown());
    // Every command's keys, those the old panel forgot too, and the settings panel's.
    std::string shown;
    for (const auto& text : panel()->texts()) {
        shown += "|" + text->text();
    }
    for (const char* keys : {"|H|", "|Shift+H|", "|Ctrl+Shift+N|", "|Ctrl+Shift+Z, Ctrl+Y|",
                             "|F1, ?|", "|Ctrl+Q|", "|Left, Right, Up, Down|", "I inspection"}) {
        EXPECT_NE(shown.find(keys), std::string::npos) << keys;
    }
    tap({160, 240});
    EXPECT_FALSE(view->panelShown());
    press(platform::Key::Question);
    EXPECT_TRUE(view->panelShown());
    press(platform::Key::F2);  // closes the keys, and does nothing else
    EXPECT_FALSE(view->panelShown());
    press(platform::Key::F2);
    ASSERT_TRUE(view->panelShown());
    const auto* records = dynamic_cast<const RecordsView*>(panel());
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(records->summary(),
              "0 solves \u00b7 best - \u00b7 fewest moves -\nAverage of 5: - \u00b7 of 12: -");
}

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
