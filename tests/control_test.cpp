// The controller with no GL: shakes (a new game, or the reset question), keys and the
// panels they open, the words a paste is answered with, the hint's words and the menu.
#include <cmath>

#include "cube/Position.h"
#include "overlay/RecordsView.h"
#include "solver/Preparation.h"
#include "tests/support/ControllerFixture.h"

namespace gyrelle::testing {
namespace {

class ShakeTest : public ControllerTest {
  protected:
    void shake() { controller->shake({10, -1, 0}); }
    int questions() { return services.window().alertCount(); }
};

class ControllerKeysTest : public ControllerTest {
  protected:
    void ctrl(char letter, bool shift = false) { press(letter, shift, true); }
};

TEST_F(ShakeTest, ADeviceAtRestNeverShakes) {
    services.accelerometer().setSource([](platform::Acceleration& a) {
        a = {0, -1, 0};
        return true;
    });
    services.advance(10);  // 250 samples of (0, -1, 0), from an estimate of zero
    EXPECT_TRUE(cube().isSolved());
    EXPECT_EQ(questions(), 0);
}

TEST_F(ShakeTest, ExactlyTheThresholdCounts) {
    // From an estimate of zero, a sample of 2.5 leaves 2.5 - 0.25 = 2.25.
    controller->shake({std::nextafter(2.5, 0.0), 0, 0});
    EXPECT_TRUE(cube().isSolved());
    Surface second;
    Controller other(services, second, second);
    other.shake({2.5, 0, 0});
    EXPECT_FALSE(other.game().cube().isSolved());
}

TEST_F(ShakeTest, SolvedScramblesUnsolvedAsksAndTooSoonIsIgnored) {
    shake();
    EXPECT_FALSE(cube().isSolved());
    EXPECT_EQ(questions(), 0);
    const MagicCube scrambled = cube();
    services.advance(0.5);
    shake();  // too soon: ignored, and the interval is not extended
    EXPECT_EQ(questions(), 0);
    services.advance(0.3);
    shake();
    ASSERT_EQ(questions(), 1);
    const platform::AlertView& q = *services.window().frontAlert();
    EXPECT_EQ(q.title(), "");
    EXPECT_EQ(q.message(), "Do you want to reset the cube?");
    EXPECT_EQ(q.button(0).label(), "No");
    EXPECT_EQ(q.button(1).label(), "Yes");
    EXPECT_TRUE(sameStickers(cube(), scrambled));  // asking changes nothing
}

// 0.75 s after the last accepted shake is still too soon; a hair later is not.
TEST_F(ShakeTest, AShakeExactlyTheIntervalLaterIsTooSoon) {
    shake();  // scrambles
    services.advance(0.75);
    shake();
    EXPECT_EQ(questions(), 0);
    services.advance(0.0001);
    shake();
    EXPECT_EQ(questions(), 1);
}

TEST_F(ShakeTest, YesResetsNoLeavesAndEachQuestionIsAnsweredOnItsOwn) {
    game().newGame();
    const MagicCube scrambled = cube();
    shake();
    services.advance(0.8);
    shake();
    ASSERT_EQ(questions(), 2);
    services.window().frontAlert()->clickButton(0);  // "No"
    EXPECT_TRUE(sameStickers(cube(), scrambled));
    ASSERT_EQ(questions(), 1);
    // A touch on the other one's "Yes", in the middle of the screen.
    tap({30 + 136 + 56, 165 + 98 + 20});
    EXPECT_TRUE(cube().isSolved());
    EXPECT_EQ(questions(), 0);
    services.window().collectAnswered();
}

// At the start-up orientation R turns the right face (+x): the front's right column
// shows the bottom's blue; C copies that position to the clipboard.
TEST_F(ControllerKeysTest, ALetterTurnsAndCtrlCCopies) {
    press('r');
    frames(5);
    press('c', false, true);
    EXPECT_EQ(services.clipboardText(), "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB");
}

TEST_F(ControllerKeysTest, APasteThatIsNoPositionSaysSoUntilAKey) {
    services.setClipboardText("UUU");
    press('v', false, true);
    ASSERT_TRUE(controller->panelShown());
    ASSERT_NE(panel(), nullptr);
    EXPECT_EQ(panel()->texts()[0]->text(), "Not a cube position: it must be 54 letters");
    press('f');  // closes the message, and turns nothing
    EXPECT_FALSE(controller->panelShown());
    frames(5);
    EXPECT_TRUE(cube().isSolved());

    MagicCube once;  // an outer layer: the centres stay home
    once.rotateFace(3);
    services.setClipboardText(positionCode(once.stickers()));
    press('v', false, true);
    EXPECT_TRUE(sameStickers(cube(), once));
}

TEST_F(ControllerKeysTest, F1ShowsTheKeysAndF2TheRecordsUntilAKeyOrATouch) {
    press(platform::Key::F1);
    ASSERT_TRUE(controller->panelShown());
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
    EXPECT_FALSE(controller->panelShown());
    press(platform::Key::Question);
    EXPECT_TRUE(controller->panelShown());
    press(platform::Key::F2);  // closes the keys, and does nothing else
    EXPECT_FALSE(controller->panelShown());
    press(platform::Key::F2);
    ASSERT_TRUE(controller->panelShown());
    const auto* records = dynamic_cast<const RecordsView*>(panel());
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(records->summary(),
              "0 solves \u00b7 best - \u00b7 fewest moves -\nAverage of 5: - \u00b7 of 12: -");
}

TEST_F(ControllerKeysTest, CtrlZUndoesCtrlShiftZAndCtrlYRedo) {
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

class HintTest : public ControllerTest {
  protected:
    void SetUp() override {
        ControllerTest::SetUp();
        static solver::Preparation tables;
        tables.wait();
        coach().setSolverTables(&tables);
    }
    void think() {
        for (int i = 0; i < 10000 && coach().thinking() != Coach::Thinking::None; ++i) {
            frames(1);
        }
        frames(1);
    }
    std::string strip() { return controller->statusStrip().text(); }
};

// Whatever letter turned a face, the hint to take it back names that letter: the key to
// type, as the keys read the cube where it lies.
TEST_F(HintTest, EachFaceIsNamedByTheKeyThatTurnsIt) {
    for (char letter : {'f', 'b', 'u', 'd', 'l', 'r'}) {
        press(letter);
        frames(5);
        press('h');
        think();
        EXPECT_EQ(strip(), std::string("Hint: ") + char(letter - 'a' + 'A') + "' \u2014 1 to go");
        press(letter, true);
        frames(5);
        ASSERT_TRUE(cube().isSolved()) << letter;
    }
}

// Two turns: the menu's Hint says the last one back first; its Solve for me plays both
// back, one at a time, and the cube is solved.
TEST_F(HintTest, TheMenuGivesAFingerTheHintAndSolveForMe) {
    press('u');
    frames(5);
    press('r');
    frames(5);
    // Nine items, 48 points high, 4.8 apart from the top: the first two centred at 28.8 and 81.6.
    const platform::Point menu{302, 12}, hint{160, 29}, solve{160, 82};
    tap(menu);
    ASSERT_TRUE(controller->panelShown());
    tap(hint);
    EXPECT_FALSE(controller->panelShown());
    think();
    EXPECT_EQ(strip(), "Hint: R' \u2014 2 to go");
    startFrames();  // as the application does: frames from the clock
    tap(menu);
    tap(solve);
    services.advance(0.3);
    EXPECT_FALSE(cube().isSolved()) << "a turn at a time";
    services.advance(3);
    EXPECT_TRUE(cube().isSolved());
    EXPECT_EQ(game().history().entries().size(), 4u) << "each turn one step of its own";
}

}  // namespace
}  // namespace gyrelle::testing
