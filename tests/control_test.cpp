// The controller with no GL: shakes (a new game, or the reset question), keys and the
// panels they open, the words a paste is answered with, the hint's words and the menu,
// the settings panel and the inspection's countdown, where the toolbar goes, and the
// question a second game on one folder asks.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "control/Toolbar.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "cube/Tables.h"
#include "overlay/RecordsView.h"
#include "overlay/SessionsView.h"
#include "overlay/SettingsView.h"
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
    // Ten items in two columns of 148 points, 8 in from the sides and 8 apart; five rows 48
    // high and 16 apart, centred: the first row's centre 112 down, Hint left, Solve right.
    const platform::Point menu{302, 12}, hint{82, 112}, solve{238, 112};
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

class ControllerSettingsTest : public ControllerTest {
  protected:
    void key(platform::Key k, char letter = 0) { services.window().keyDown({k, letter}); }
};

// F3 opens the panel; C, L and I change what they name at once; any other key closes
// it. By touch: the buttons step the settings, Done closes.
TEST_F(ControllerSettingsTest, ThePanelChangesTheSettingsByKeysAndByTouch) {
    key(platform::Key::F3);
    ASSERT_TRUE(controller->panelShown());
    key(platform::Key::Letter, 'c');
    EXPECT_EQ(game().settings().scheme, ColourScheme::HighContrast);
    key(platform::Key::Letter, 'c');
    EXPECT_EQ(game().settings().scheme, ColourScheme::ColourBlind);
    key(platform::Key::Letter, 'i');
    EXPECT_TRUE(game().settings().inspection);
    key(platform::Key::Letter, 'l');
    EXPECT_TRUE(game().settings().stickerLetters);
    key(platform::Key::F3);
    EXPECT_FALSE(controller->panelShown());

    key(platform::Key::F3);
    const auto* panel = dynamic_cast<const SettingsView*>(surface.subviews().back());
    ASSERT_NE(panel, nullptr);
    auto centre = [](const platform::View& v) {
        const platform::Rect f = v.frame();
        return platform::Point{f.x + f.width / 2, f.y + f.height / 2};
    };
    tap(centre(panel->inspectionButton()));
    EXPECT_FALSE(game().settings().inspection);
    // A face's button begins my colours from those shown, and steps that face on.
    tap(centre(panel->faceButton(0)));  // U, the colour-blind bluish green
    EXPECT_EQ(game().settings().scheme, ColourScheme::Custom);
    EXPECT_EQ(game().settings().faceColours[0], (Rgb{213, 94, 0})) << "F kept";
    EXPECT_NE(game().settings().faceColours[1], (Rgb{0, 158, 115})) << "U stepped on";
    tap(centre(panel->doneButton()));
    EXPECT_FALSE(controller->panelShown());
}

// Off by default; on, a scramble begins a 15 s countdown in the strip with the calls at 8
// and 12 seconds, then the clock, +2 after 15 s and DNF after 17.
TEST_F(ControllerSettingsTest, TheInspectionCountsDownInTheStrip) {
    game().newGame();
    frames(1);
    EXPECT_EQ(controller->statusStrip().text(), "");
    game().answerReset(true);
    Settings s;
    s.inspection = true;
    game().setSettings(s);
    game().newGame();
    frames(1);
    const StatusStrip& strip = controller->statusStrip();
    EXPECT_EQ(strip.text(), "Inspection: 15");
    EXPECT_FLOAT_EQ(strip.countdown(), 1);
    services.advance(8.05);
    EXPECT_EQ(strip.text(), "Inspection: 7 \u00b7 8 seconds");
    services.advance(4);
    EXPECT_EQ(strip.text(), "Inspection: 3 \u00b7 12 seconds");
    EXPECT_NEAR(strip.countdown(), 2.95 / 15, 0.01);
    services.advance(3.5);
    EXPECT_EQ(strip.text(), "0 moves \u00b7 0:00.5 +2");
    EXPECT_FLOAT_EQ(strip.countdown(), -1);
    services.advance(2);
    EXPECT_EQ(strip.text(), "0 moves \u00b7 0:02.5 DNF");
}

// A solve's words say its splits in a line under them, by the method chosen; the title bar
// says only the words. R then U undone: U' makes the cross on L and the rest with it, R'
// a second and a half later is all of PLL.
TEST_F(ControllerSettingsTest, TheSolvedWordsHaveTheSplitsUnderThem) {
    MagicCube scrambled;
    scrambled.rotateFace(gyrelle::faceTurn(5, false));
    scrambled.rotateFace(gyrelle::faceTurn(1, false));
    for (int method : {0, 1}) {
        Settings s;
        s.method = method;
        game().setSettings(s);
        std::string problem;
        ASSERT_TRUE(game().setPosition(positionCode(scrambled.stickers()), problem));
        for (int i = 0; i < 1000 && !game().still(); ++i) {
            frames(1);  // the last solve's celebration ends, then the position is set
        }
        ASSERT_TRUE(game().turn(gyrelle::faceTurn(1, true)));
        frames(4);
        services.advance(1.5 - 4.0 / 60);
        ASSERT_TRUE(game().turn(gyrelle::faceTurn(5, true)));
        frames(4);
        const StatusStrip& strip = controller->statusStrip();
        EXPECT_EQ(strip.text(), "Solved in 2 moves \u00b7 0:01.5");
        EXPECT_EQ(strip.detail(), method == 0
                                      ? "cross 0.0 \u00b7 F2L 0.0 \u00b7 OLL 0.0 \u00b7 PLL 1.5"
                                      : "FB 0.0 \u00b7 SB 0.0 \u00b7 CMLL 0.0 \u00b7 LSE 1.5");
        services.advance(6);
        EXPECT_EQ(strip.detail(), "");
    }
}

// Rows under the picture on a phone held upright, a column beside it in a wide window,
// none in a window of the picture's own shape: each at least the least side, none over
// the picture or another, all within reach.
TEST(Toolbar, ItFindsTheSpaceTheLetterboxLeaves) {
    // 390 x 844 CSS pixels at a ratio of 3: 1170 x 2532, the picture 1170 x 1755 between
    // bars of 388 and 389 pixels; 48 CSS pixels a target.
    const float phone = 320.0f / 1170;
    const platform::Rect phoneReach{0, -388 * phone, 320, 2532 * phone};
    std::vector<platform::Rect> f = toolbarFrames(phoneReach, 144 * phone, 9);
    ASSERT_EQ(f.size(), 9u);
    // 1280 x 720: the picture 480 x 720 between bars of 400; 44 pixels a target.
    const float wide = 320.0f / 480;
    const platform::Rect wideReach{-400 * wide, 0, 1280 * wide, 480};
    std::vector<platform::Rect> g = toolbarFrames(wideReach, 44 * wide, 9);
    ASSERT_EQ(g.size(), 9u);
    for (const auto& [frames, reach, least] :
         {std::tuple{f, phoneReach, 144 * phone}, std::tuple{g, wideReach, 44 * wide}}) {
        for (size_t i = 0; i < frames.size(); ++i) {
            const platform::Rect& a = frames[i];
            EXPECT_GE(a.width, least);
            EXPECT_GE(a.height, least);
            EXPECT_TRUE(a.y >= 480 || a.x >= 320) << i << ": beside the picture";
            EXPECT_TRUE(a.x >= reach.x && a.y >= reach.y &&
                        a.x + a.width <= reach.x + reach.width &&
                        a.y + a.height <= reach.y + reach.height);
            for (size_t j = 0; j < i; ++j) {
                const platform::Rect& b = frames[j];
                EXPECT_FALSE(a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
                             b.y < a.y + a.height)
                    << i << " and " << j;
            }
        }
    }
    EXPECT_GE(f[0].y, 480);  // the phone's under the picture, in two rows
    EXPECT_EQ(f[5].y, f[8].y);
    EXPECT_GT(f[5].y, f[4].y);
    EXPECT_GE(g[0].x, 320);  // the wide window's in one column to its right
    EXPECT_EQ(g[0].x, g[8].x);
    EXPECT_TRUE(toolbarFrames({0, 0, 320, 480}, 44, 9).empty());
    // Two rows of 36 with 4 between and 6 above and below: a bar of 88 takes them, of 87.9 not.
    EXPECT_EQ(toolbarFrames({0, 0, 320, 568}, 30, 9).size(), 9u);
    EXPECT_TRUE(toolbarFrames({0, 0, 320, 567.9f}, 30, 9).empty());
}

// A second game on one folder asks, in its window, whether to quit or play without
// saving; every key and touch goes to that question first.
class FolderQuestionTest : public ControllerTest {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/gyrelle-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        services.setDocumentsDirectory(dir);
        ControllerTest::SetUp();
    }
    void TearDown() override {
        ControllerTest::TearDown();
        controller.reset();
        std::filesystem::remove_all(dir);
    }
    // Another game on the same services, as a second window would be.
    std::unique_ptr<Controller> another(Surface& surface) {
        auto c = std::make_unique<Controller>(services, surface, surface);
        surface.controller = c.get();
        c->restoreState();
        return c;
    }
    std::string dir;
};

TEST_F(FolderQuestionTest, ASecondGameOnTheFolderAsksToQuitOrPlayWithoutSaving) {
    Surface surface2;
    ::testing::internal::CaptureStderr();
    auto second = another(surface2);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "another Gyrelle has " + dir + " open: this one saves nothing\n");
    ASSERT_EQ(services.window().alertCount(), 1);
    const platform::AlertView& q = *services.window().frontAlert();
    EXPECT_EQ(q.message(), "Gyrelle is already open with this folder. Play here without saving?");
    EXPECT_EQ(q.button(0).label(), "Quit");
    EXPECT_EQ(q.button(1).label(), "Play");
    services.window().keyDown({platform::Key::Return});  // Play
    EXPECT_EQ(services.window().alertCount(), 0);
    EXPECT_FALSE(services.quitAsked());
    EXPECT_TRUE(second->game().cube().isSolved()) << "the answer is not a reset";
    second.reset();

    second = another(surface2);
    services.window().keyDown({platform::Key::Escape});  // Quit
    EXPECT_TRUE(services.quitAsked());
}

// One of the game's own files that it must not write through (here `saving`, a link) is
// named in the question; the game plays without saving, and saves again at its end once
// the link is gone.
TEST_F(FolderQuestionTest, AFileTheGameMustNotWriteThroughIsNamedInTheQuestion) {
    controller.reset();  // the folder is free
    std::filesystem::create_symlink(dir + "-elsewhere", dir + "/saving");
    Surface surface2;
    ::testing::internal::CaptureStderr();
    auto game = another(surface2);
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(services.window().alertCount(), 1);
    EXPECT_EQ(services.window().frontAlert()->message(),
              "Gyrelle saves nothing while " + dir +
                  "/saving is a symbolic link: remove it to keep your game. Play without saving?");
    services.window().keyDown({platform::Key::Return});  // Play
    EXPECT_FALSE(services.quitAsked());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(game->terminate());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "could not save the game: " + dir + "/saving is a symbolic link\n");
    EXPECT_FALSE(std::filesystem::exists(dir + "/cube_state.dat"));
    std::filesystem::remove(dir + "/saving");
    EXPECT_TRUE(game->terminate());
    EXPECT_TRUE(std::filesystem::exists(dir + "/cube_state.dat"));
}

// A scramble sent with a time: pasted, it is set as a competition scramble marked shared,
// with the time to beat under it; solved, the result says how it went, and Share (and the
// records' Share) sends the scramble back with this time. One that is none changes nothing.
TEST_F(FolderQuestionTest, AScrambleSentIsRacedAndSentBack) {
    services.setCanShare(true);
    const MagicCube before = cube();
    services.setClipboardText("https://example.org/#scramble=Q");
    press('v', false, true);
    EXPECT_TRUE(controller->panelShown());
    EXPECT_TRUE(sameStickers(cube(), before));
    press(platform::Key::Escape);

    services.setClipboardText("https://example.org/#scramble=R_U&solved=14.27");
    press('v', false, true);
    MagicCube scrambled;
    applyMoves(scrambled, "R U");
    EXPECT_TRUE(sameStickers(cube(), scrambled));
    EXPECT_EQ(game().solves().phase(), Solves::Phase::Scrambled);
    EXPECT_TRUE(game().solves().isShared());
    EXPECT_EQ(controller->statusStrip().text(), "Scramble: R U");
    EXPECT_EQ(controller->statusStrip().detail(), "To beat: solved in 14.27 s");
    // Share now: the scramble alone.
    controller->perform({Command::Kind::Share});
    EXPECT_EQ(services.clipboardText(), "#scramble=R_U");
    press(platform::Key::Escape);
    press('u', true);
    frames(10);
    services.advance(1.5);
    press('r', true);
    frames(10);
    ASSERT_TRUE(cube().isSolved());
    ASSERT_EQ(game().solves().done().size(), 1u);
    const Solve& s = game().solves().done()[0];
    EXPECT_TRUE(s.shared);
    char time[16];
    std::snprintf(time, sizeof time, "%.2f", s.result());
    char versus[64];
    std::snprintf(versus, sizeof versus, " \u00b7 %.2f s faster than the 14.27 s sent",
                  14.27 - s.result());
    EXPECT_NE(controller->statusStrip().text().find(versus), std::string::npos)
        << controller->statusStrip().text();
    controller->perform({Command::Kind::Share});
    EXPECT_EQ(services.clipboardText(), std::string("#scramble=R_U&solved=") + time);
    services.setClipboardText("");
    press(platform::Key::F2);
    press(platform::Key::Up);  // the newest
    press('s');
    EXPECT_EQ(services.clipboardText(), std::string("#scramble=R_U&solved=") + time);
}

// Sessions by keys: a new one shown and its records alone; a name typed, and one asked of
// the platform; a merge and a deletion taken back; a deletion in a session's records put
// back where it was among all the solves.
TEST_F(FolderQuestionTest, SessionsAreMadeShownRenamedMergedAndDeleted) {
    std::vector<Solve> three(3, Solve{1796083200, 2, 10});
    for (int i = 0; i < 3; ++i) {
        three[i].date += 60 * i;
        three[i].seconds += i;
    }
    game().replaceSolves(three);
    auto sessions = [&] { return dynamic_cast<const SessionsView*>(controller->panel()); };
    auto records = [&] { return dynamic_cast<const RecordsView*>(controller->panel()); };
    press(platform::Key::F2);
    ASSERT_NE(records(), nullptr);
    press('e');
    ASSERT_NE(sessions(), nullptr);
    EXPECT_EQ(sessions()->rows().size(), 1u);
    press('n');
    EXPECT_EQ(game().solves().sessions(), (std::vector<std::string>{"Main", "Session 2"}));
    press(platform::Key::Return);  // shown: its records, none yet
    ASSERT_NE(records(), nullptr);
    EXPECT_TRUE(records()->summary().starts_with("Session 2: 0 solves")) << records()->summary();
    // A name typed on the panel.
    press('e');
    press('r');
    ASSERT_TRUE(sessions()->typing());
    for (size_t i = 0; i < 10; ++i) {
        press(platform::Key::Backspace);
    }
    press('o', true);
    press('h');
    press(platform::Key::Space);
    press('x');
    press(platform::Key::Return);
    EXPECT_EQ(game().solves().sessions()[1], "Oh x");
    // One asked of the platform, where it asks.
    services.setTextAnswer("One-handed");
    press('r');
    EXPECT_EQ(game().solves().sessions()[1], "One-handed");
    services.setTextAnswer(std::nullopt);
    // Main merged into the one shown, then taken back.
    press(platform::Key::Up);
    press('m');
    EXPECT_EQ(game().solves().sessions(), std::vector<std::string>{"One-handed"});
    EXPECT_EQ(game().solves().done().size(), 3u);
    press('u');
    EXPECT_EQ(game().solves().sessions(), (std::vector<std::string>{"Main", "One-handed"}));
    EXPECT_EQ(game().solves().done()[0].session, 0);
    // Main deleted with its solves, taken back.
    press('x');
    EXPECT_TRUE(game().solves().done().empty());
    press('u');
    EXPECT_EQ(game().solves().done().size(), 3u);
    // In Main's records, the middle solve deleted and put back where it was.
    press(platform::Key::Return);  // Main shown
    ASSERT_NE(records(), nullptr);
    const Solve moved = game().solves().done()[2];
    // The middle one in the other session: Main's are not all together.
    game().editSolve(1, [&] {
        Solve s = game().solves().done()[1];
        s.session = 1;
        return s;
    }());
    press(platform::Key::Escape);
    press(platform::Key::F2);
    ASSERT_NE(records(), nullptr);
    EXPECT_TRUE(records()->summary().starts_with("Main: 2 solves")) << records()->summary();
    press(platform::Key::Up);  // Main's newest: the third of all
    press('x');
    ASSERT_EQ(game().solves().done().size(), 2u);
    press('u');
    ASSERT_EQ(game().solves().done().size(), 3u);
    EXPECT_EQ(game().solves().done()[2].date, moved.date);
    EXPECT_EQ(game().solves().done()[1].session, 1);
}

class TrainerControlTest : public FolderQuestionTest {
  protected:
    // The slice codes of `moves` as keys make them on the trainer's cube as it lies now.
    std::vector<int> codesOnScreen(const std::string& moves) {
        const Motion& m = controller->shownGame().motion();
        auto slot = [&](char key) {
            switch (key) {
                case 'U':
                    return m.faceTowards(1, 1);
                case 'D':
                    return m.faceTowards(1, -1);
                case 'R':
                    return m.faceTowards(0, 1);
                case 'L':
                    return m.faceTowards(0, -1);
                case 'F':
                    return m.faceTowards(2, 1);
                default:
                    return m.faceTowards(2, -1);
            }
        };
        std::vector<int> codes;
        for (size_t at = 0; at < moves.size(); ++at) {
            if (moves[at] == ' ' || moves[at] == '\'' || moves[at] == '2') {
                continue;
            }
            const char key = moves[at];
            const bool prime = at + 1 < moves.size() && moves[at + 1] == '\'';
            const int times = at + 1 < moves.size() && moves[at + 1] == '2' ? 2 : 1;
            for (int t = 0; t < times; ++t) {
                codes.push_back(key == 'M' ? gyrelle::middleTurn(slot('L'), prime)
                                           : gyrelle::faceTurn(slot(key), prime));
            }
        }
        return codes;
    }
    // The keys of `moves`, pressed, each turn landed before the next.
    void typeMoves(const std::string& moves) {
        for (size_t at = 0; at < moves.size(); ++at) {
            if (moves[at] == ' ' || moves[at] == '\'' || moves[at] == '2') {
                continue;
            }
            const char key = static_cast<char>(moves[at] - 'A' + 'a');
            const bool prime = at + 1 < moves.size() && moves[at + 1] == '\'';
            const int times = at + 1 < moves.size() && moves[at + 1] == '2' ? 2 : 1;
            for (int t = 0; t < times; ++t) {
                press(key, prime);
                frames(6);
            }
        }
    }
};

// While the trainer shows, the toolbar's and the undo button's Undo and Redo are its cube's,
// a shake scrambles nothing, and the game's words wait; any other command leaves it first.
TEST_F(TrainerControlTest, TheGameIsLeftAloneWhileTheTrainerShows) {
    const MagicCube before = cube();  // solved: a shake would scramble it
    const unsigned long history = game().history().changes();
    press(platform::Key::F4);
    ASSERT_NE(controller->trainer(), nullptr);
    EXPECT_EQ(controller->statusStrip().superview(), nullptr);
    const MagicCube set = controller->shownGame().cube();
    press('u');
    frames(6);
    controller->perform({Command::Kind::Undo});
    frames(6);
    EXPECT_TRUE(sameStickers(controller->shownGame().cube(), set));
    controller->perform({Command::Kind::Redo});
    frames(6);
    EXPECT_FALSE(sameStickers(controller->shownGame().cube(), set));
    controller->shake({10, -1, 0});
    EXPECT_TRUE(sameStickers(cube(), before));
    EXPECT_EQ(game().history().changes(), history);
    controller->perform({Command::Kind::ShowRecords});  // leaves it
    EXPECT_EQ(controller->trainer(), nullptr);
    EXPECT_TRUE(controller->panelShown());
}

// Opened by its key, the trainer shows a cube of its own and leaves the game as it was; a
// case solved by keys is timed and kept; the pad refuses an algorithm that does not solve
// the case and keeps one that does; the cases' figures; its file is saved with the game.
TEST_F(TrainerControlTest, ACaseSolvedByKeysIsKeptApartFromTheGame) {
    const MagicCube before = cube();
    press(platform::Key::F4);
    ASSERT_NE(controller->trainer(), nullptr);
    EXPECT_NE(&controller->shownGame(), &game());
    for (const auto& b : controller->trainerView()->buttons()) {
        EXPECT_GE(b->frame().width, 44);
        EXPECT_GE(b->frame().height, 44);
    }
    // The set by touch, three taps on its button: PLL, OLL, 2-look OLL, 2-look PLL.
    for (int i = 0; i < 3; ++i) {
        tap({101, 26});
    }
    const Trainer& trainer = *controller->trainer();
    ASSERT_EQ(trainer.records().set, "pll2");
    EXPECT_EQ(controller->trainerView()->status(), "Solve the last layer");
    // Which turn of the top before and after the case's algorithm solves it, tried on a copy.
    const std::map<std::string, std::string> algorithms = {
        {"T", "R U R' U' R' F R2 U' R' U' R U R' F'"},
        {"Y", "F R U' R' U' R U R' F' R U R' U' R' F R F'"},
        {"Ua", "R U' R U R U R U' R' U' R2"},
        {"Ub", "R2 U R U R' U' R' U' R' U R'"},
        {"H", "M2 U M2 U2 M2 U M2"},
        {"Z", "M' U M2 U M2 U M' U2 M2 U'"}};
    const std::string alg = algorithms.at(lastLayerCases()[trainer.caseIndex()].name);
    std::string solution;
    for (int a = 0; a < 4 && solution.empty(); ++a) {
        for (int b = 0; b < 4 && solution.empty(); ++b) {
            const std::string moves = std::string(a == 0   ? ""
                                                  : a == 1 ? "U "
                                                  : a == 2 ? "U2 "
                                                           : "U' ") +
                                      alg +
                                      (b == 0   ? ""
                                       : b == 1 ? " U"
                                       : b == 2 ? " U2"
                                                : " U'");
            MagicCube copy = controller->shownGame().cube();
            for (int code : codesOnScreen(moves)) {
                copy.rotateFace(code);
            }
            if (copy.isSolved()) {
                solution = moves;
            }
        }
    }
    ASSERT_FALSE(solution.empty()) << lastLayerCases()[trainer.caseIndex()].name;
    frames(30);  // half a second looked at
    typeMoves(solution);
    ASSERT_EQ(trainer.phase(), Trainer::Phase::Done) << solution;
    ASSERT_EQ(trainer.records().attempts.size(), 1u);
    EXPECT_EQ(trainer.records().attempts[0].caseIndex, trainer.caseIndex());
    EXPECT_NEAR(trainer.records().attempts[0].recognitionMs, 500, 20);
    const std::string title = caseTitle(lastLayerCases()[trainer.caseIndex()]);
    const std::string name = lastLayerCases()[trainer.caseIndex()].name;
    EXPECT_TRUE(controller->trainerView()->status().starts_with(title + ": ")) << title;
    EXPECT_TRUE(game().solves().done().empty()) << "never in the records";
    EXPECT_TRUE(sameStickers(cube(), before));

    // The pad: a wrong algorithm refused, the pad still there; the right one kept.
    press('h');
    EXPECT_EQ(controller->trainerView()->detail(),
              "No algorithm of yours for the " + title + ": Algorithm to type one");
    press('a');
    ASSERT_TRUE(controller->trainerView()->padShown());
    press('r');
    press('r');
    press('u', true);
    EXPECT_EQ(controller->trainerView()->typed(), "R2 U'");
    press(platform::Key::Return);
    EXPECT_TRUE(controller->trainerView()->padShown());
    EXPECT_EQ(controller->trainerView()->detail(),
              "These moves do not solve the " + title + ": R2 U'");
    press(platform::Key::Backspace);
    press(platform::Key::Backspace);
    EXPECT_EQ(controller->trainerView()->typed(), "");
    for (TrainerView* v = controller->trainerView(); const std::string& turn : [&] {
             std::vector<std::string> t;
             for (size_t at = 0; at < alg.size();) {
                 const size_t end = std::min(alg.find(' ', at), alg.size());
                 t.push_back(alg.substr(at, end - at));
                 at = end + 1;
             }
             return t;
         }()) {
        v->type(turn.substr(0, turn.size() - (turn.back() == '2')));
        if (turn.back() == '2') {
            v->type(turn.substr(0, turn.size() - 1));
        }
    }
    EXPECT_EQ(controller->trainerView()->typed(), alg);
    press(platform::Key::Return);
    EXPECT_FALSE(controller->trainerView()->padShown());
    press('h');
    EXPECT_EQ(controller->trainerView()->detail(), title + ": " + alg);
    press('c');
    ASSERT_TRUE(controller->trainerView()->casesShown());
    const auto& lines = controller->trainerView()->caseLines();
    EXPECT_EQ(lines.size(), 6u);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [&](const std::string& l) { return l.starts_with(title + ": 1 \u00d7"); }),
        1);
    press(platform::Key::Escape);  // the cases go
    ASSERT_NE(controller->trainer(), nullptr);
    // Next, by touch.
    tap({278, 454});
    EXPECT_EQ(trainer.phase(), Trainer::Phase::Shown);
    EXPECT_EQ(controller->trainerView()->status(), "Solve the last layer");
    press(platform::Key::Escape);
    EXPECT_EQ(controller->trainer(), nullptr);
    EXPECT_EQ(&controller->shownGame(), &game());
    EXPECT_TRUE(sameStickers(cube(), before));
    services.advance(5);
    std::ifstream in(dir + "/trainer");
    const std::string file(std::istreambuf_iterator<char>(in), {});
    EXPECT_TRUE(file.starts_with("gyrelle trainer 1\nset pll2\n")) << file;
    EXPECT_NE(file.find("\nalgorithm " + name + " " + alg + "\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\ncase " + name + " "), std::string::npos) << file;
}

}  // namespace
}  // namespace gyrelle::testing

namespace gyrelle::testing {
namespace {

// A solve made, then replayed from the records by keys: from where it began to the solved
// cube, copied, stepped, closed; the game and its files are as they were, byte for byte.
class ReplayControlTest : public FolderQuestionTest {};

TEST_F(ReplayControlTest, AReplayFromTheRecordsLeavesTheGameAndItsFilesAsTheyWere) {
    MagicCube scrambled;
    scrambled.rotateFace(gyrelle::faceTurn(5, false));
    scrambled.rotateFace(gyrelle::faceTurn(1, false));
    std::string problem;
    ASSERT_TRUE(game().setPosition(positionCode(scrambled.stickers()), problem));
    frames(1);
    ASSERT_TRUE(game().turn(gyrelle::faceTurn(1, true)));
    frames(30);
    ASSERT_TRUE(game().turn(gyrelle::faceTurn(5, true)));
    frames(120);
    ASSERT_EQ(game().solves().done().size(), 1u);
    auto files = [&] {
        controller->saveSoon();
        services.advance(5);
        std::string all;
        for (const char* name : {"cube_state.dat", "history", "records"}) {
            std::ifstream in(dir + "/" + name, std::ios::binary);
            all += std::string(std::istreambuf_iterator<char>(in), {}) + "\n--\n";
        }
        return all;
    };
    const std::string before = files();
    const unsigned long history = game().history().changes();

    press(platform::Key::F2);
    press(platform::Key::Up);  // the newest
    press('r');
    ASSERT_NE(controller->replay(), nullptr);
    EXPECT_FALSE(controller->panelShown());
    const Game& shown = controller->shownGame();
    EXPECT_NE(&shown, &game());
    EXPECT_TRUE(sameStickers(shown.cube(), scrambled) ||
                positionCode(shown.cube().stickers()) == positionCode(scrambled.stickers()));
    EXPECT_TRUE(controller->still());  // paused at the start: only its picture is new
    for (const auto& b : controller->replayView()->buttons()) {
        EXPECT_GE(b->frame().width, 44);
        EXPECT_GE(b->frame().height, 44);
    }
    EXPECT_GE(controller->replayView()->scrubBar().height, 44);
    press(platform::Key::Space);
    EXPECT_FALSE(controller->still());
    for (int i = 0; i < 600 && !controller->still(); ++i) {
        frames(1);
    }
    EXPECT_TRUE(shown.cube().isSolved());
    EXPECT_EQ(controller->replayView()->moves(), "cross: U' PLL: [R']");
    press('c', false, true);
    EXPECT_TRUE(services.clipboardText().starts_with(
        "Position: " + positionCode(scrambled.stickers()) +
        "\ncross (0.00 s, 1 turn, 0.0/s, 0.00 s to see): U'\n"))
        << services.clipboardText();
    press(platform::Key::Home);
    EXPECT_EQ(positionCode(shown.cube().stickers()), positionCode(scrambled.stickers()));
    press(platform::Key::Right);
    frames(10);
    EXPECT_EQ(controller->replay()->applied(), 1u);
    // A swipe on the replay's cube turns nothing; a shake scrambles nothing.
    EXPECT_FALSE(controller->shownGame().swipe(0, moves[0][0][0]));
    press(platform::Key::Escape);
    EXPECT_EQ(controller->replay(), nullptr);
    EXPECT_EQ(&controller->shownGame(), &game());
    EXPECT_TRUE(game().cube().isSolved());
    EXPECT_EQ(game().history().changes(), history);
    EXPECT_EQ(files(), before);
}

// A solve whose turns are not known says so, and opens nothing.
// A button under a replay (the undo button, the toolbar's) closes it and changes nothing.
TEST_F(ReplayControlTest, AButtonUnderAReplayClosesItAndDoesNothingElse) {
    auto s = std::make_shared<SolveTurns>();
    MagicCube afterR;
    afterR.rotateFace(gyrelle::faceTurn(5, false));
    s->start = positionCode(afterR.stickers());
    s->turns.push_back({0, static_cast<std::int8_t>(gyrelle::faceTurn(5, true))});
    press('u');
    frames(6);
    const unsigned long history = game().history().changes();
    ASSERT_TRUE(controller->openReplay(s, ""));
    controller->perform({Command::Kind::Undo});
    EXPECT_EQ(controller->replay(), nullptr);
    frames(6);
    EXPECT_EQ(game().history().changes(), history);
}

TEST_F(ReplayControlTest, ASolveWithoutTurnsIsNotReplayed) {
    game().replaceSolves({Solve{1796083200, 20, 12.5}});
    EXPECT_FALSE(controller->openReplay(0));
    EXPECT_FALSE(controller->openReplay(5));
    EXPECT_EQ(controller->replay(), nullptr);
    EXPECT_TRUE(controller->panelShown());  // it says why
    press(platform::Key::Escape);
    // A replay's address pasted opens it; one that is none says so, and changes nothing.
    const MagicCube before = cube();
    services.setClipboardText("https://example.org/#replay=nonsense");
    press('v', false, true);
    EXPECT_EQ(controller->replay(), nullptr);
    EXPECT_TRUE(controller->panelShown());
    EXPECT_TRUE(sameStickers(cube(), before));
    press(platform::Key::Escape);
    services.setClipboardText(
        "#replay=UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB_-_R'@0&scramble=R");
    press('v', false, true);
    ASSERT_NE(controller->replay(), nullptr);
    EXPECT_EQ(controller->replay()->scramble(), "R");
    EXPECT_FALSE(controller->shownGame().cube().isSolved());
}
}  // namespace
}  // namespace gyrelle::testing
