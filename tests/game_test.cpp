// The session's rules, with no view and no GL: undo and redo, typed moves and what waits
// for the cube to be still, a new game and its question, positions copied and set.
// In order:
//   UndoTest   turns taken back animated, scrambles and resets at once, what waits
//   KeysTest   what each key asks for, letters on the faces as they lie, the queue,
//              whole-cube turns, copy and paste
//   SolveTest  armed, timed, ended; undo and redo as moves; a solve restored
//   HintTest   hints followed and left, solve-for-me, competition scrambles, the
//              solver's tables built and searched a frame at a time; fair scrambles
#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "cube/Notation.h"
#include "cube/Position.h"
#include "cube/Tables.h"
#include "game/Commands.h"
#include "solver/Preparation.h"
#include "solver/Scramble.h"
#include "tests/support/GameFixture.h"

namespace gyrelle::testing {
namespace {

using UndoTest = GameTest;

// What a picture shows moves one number on: each step of a turn, the orientation written
// by a gesture or stepped by a spin, a position set; nothing else, however often read.
TEST_F(UndoTest, TheShownRevisionMovesWithWhatAPictureShowsAndOnlyThen) {
    unsigned long seen = game.shownRevision();
    EXPECT_EQ(game.shownRevision(), seen);
    frames(3);
    EXPECT_EQ(game.shownRevision(), seen) << "frames of a cube at rest";
    ASSERT_TRUE(game.turn(1));
    for (int step = 1; step <= 4; ++step) {
        frames(1);
        EXPECT_GT(game.shownRevision(), seen) << "step " << step;
        seen = game.shownRevision();
    }
    frames(2);
    EXPECT_EQ(game.shownRevision(), seen) << "landed";
    Quaternion quarter;
    const float up[3] = {0, 1, 0};
    quarter.setAxis(up, 0.1f);
    game.motion().currentRotation.multiplyBy(quarter);  // as a drag writes it
    EXPECT_GT(game.shownRevision(), seen);
    seen = game.shownRevision();
    game.answerReset(true);
    EXPECT_GT(game.shownRevision(), seen);
}

// Slot 0 swiped onto slot 1: the front face's bottom row to the right, code +4.
TEST_F(UndoTest, ATurnIsTakenBackAndAppliedAgainOverFourFrames) {
    const MagicCube solved = cube();
    ASSERT_TRUE(game.swipe(0, 1));
    frames(5);
    const MagicCube turned = cube();
    ASSERT_FALSE(sameStickers(turned, solved));
    for (auto [undo, from, to] : {std::tuple{true, &turned, &solved}, {false, &solved, &turned}}) {
        undo ? game.undo() : game.redo();
        ASSERT_TRUE(cube().animating());
        EXPECT_EQ(cube().animatedSlice(), 3);
        for (int frame = 1; frame <= 3; ++frame) {
            frames(1);
            EXPECT_TRUE(same(*from)) << frame;
        }
        frames(1);
        EXPECT_TRUE(same(*to));
    }
    EXPECT_EQ(game.history().entries().size(), 1u);
    EXPECT_EQ(game.history().position(), 1u);
}

TEST_F(UndoTest, AScrambleAndAResetAreTakenBackAtOnceToTheExactCube) {
    const MagicCube solved = cube();
    game.newGame();  // a solved cube is scrambled
    const MagicCube scrambled = cube();
    ASSERT_FALSE(scrambled.isSolved());
    game.undo();
    EXPECT_TRUE(same(solved));
    game.redo();
    EXPECT_TRUE(same(scrambled));

    game.newGame();  // unsolved: the question, and nothing else
    EXPECT_EQ(told.questions, 1);
    EXPECT_TRUE(same(scrambled));
    game.answerReset(false);
    EXPECT_TRUE(same(scrambled));
    game.answerReset(true);
    EXPECT_TRUE(cube().isSolved());
    EXPECT_EQ(told.resets, 1);
    game.undo();
    EXPECT_TRUE(same(scrambled));
    EXPECT_FALSE(cube().animating());
}

TEST_F(UndoTest, ANewChangeDropsWhatCouldBeRedone) {
    turned(4);
    game.undo();
    frames(4);
    ASSERT_TRUE(game.history().canRedo());
    turned(-7);
    EXPECT_FALSE(game.history().canRedo());
    ASSERT_EQ(game.history().entries().size(), 1u);
    EXPECT_EQ(game.history().entries()[0].code, -7);
}

// While a turn animates, requests wait for it, in order, as a held key's repeats do:
// eight in all, as typed moves; the ninth is not heard.
TEST_F(UndoTest, RequestsDuringATurnWaitForItInOrder) {
    turned(4);
    const MagicCube once = cube();
    ASSERT_TRUE(game.turn(4));
    const MagicCube twice = [&] {
        MagicCube c = once;
        c.rotateFace(4);
        return c;
    }();
    game.undo();
    game.redo();
    // The second turn lands, is undone, and redone, each as it comes.
    std::vector<size_t> positions = {game.history().position()};
    std::vector<bool> cubes = {same(once)};
    for (int i = 0; i < 20; ++i) {
        frames(1);
        if (game.history().position() != positions.back()) {
            positions.push_back(game.history().position());
            cubes.push_back(same(positions.back() == 1 ? once : twice));
        }
    }
    EXPECT_EQ(positions, (std::vector<size_t>{1, 2, 1, 2}));
    EXPECT_EQ(cubes, (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(same(twice));

    for (int i = 0; i < 38; ++i) {
        turned(1);
    }
    ASSERT_TRUE(game.turn(4));  // 41 turns in the history once it lands
    for (int i = 0; i < 33; ++i) {
        game.undo();  // 32 wait; the last is not heard
    }
    frames(300);
    EXPECT_EQ(game.history().position(), 41u - 32u);
}

// The history moves when the stickers do: a scramble made while an undo is still
// turning (the cube still solved) comes before that turn, which lands as a new one.
TEST_F(UndoTest, AScrambleDuringAnUndoTurnKeepsTheHistoryWhole) {
    turned(4);
    turned(-4);
    game.undo();
    game.newGame();
    frames(5);
    EXPECT_EQ(game.history().entries().size(), 4u);
    while (game.history().canUndo()) {
        game.undo();
        frames(5);
    }
    EXPECT_TRUE(same(MagicCube()));
}

// A reset drops the turn under way and all that waits.
TEST_F(UndoTest, AResetDropsTheRunningTurnAndWhatWaits) {
    turned(2);
    ASSERT_TRUE(game.turn(5));
    game.type('f', false);
    game.undo();
    game.answerReset(true);
    frames(20);
    EXPECT_TRUE(cube().isSolved());
    ASSERT_EQ(game.history().entries().size(), 2u);
    EXPECT_EQ(game.history().toUndo().kind, History::Kind::Reset);
}

// The layer at `n` (the outer one, or the middle one across it) of `before` turned a
// quarter turn clockwise as seen from outside along `n`, or back.
MagicCube::Stickers turnedLayer(const MagicCube::Stickers& before, Vec n, bool middle, bool prime) {
    const int axis = n[0] ? 0 : n[1] ? 1 : 2;
    const int sign = (n[axis] > 0) == prime ? 1 : -1;  // -90 degrees about n when clockwise
    MagicCube::Stickers after = before;
    for (int s = 0; s < 54; ++s) {
        const Place p = placeOf(s);
        if (dot(p.piece, n) == (middle ? 0 : 1)) {
            after[slotAt(turn(p.piece, axis, sign), turn(p.normal, axis, sign))] = before[s];
        }
    }
    return after;
}

using KeysTest = GameTest;

// Each key's command, as the README's table gives it.
TEST_F(KeysTest, EachKeyAsksForWhatItsTableSays) {
    using platform::Key;
    using Kind = Command::Kind;
    struct Case {
        platform::KeyPress key;
        Kind kind;
        char letter;
        bool prime;
    };
    const Case cases[] = {
        {{Key::Letter, 'z', false, true}, Kind::Undo, 0, false},
        {{Key::Letter, 'z', true, true}, Kind::Redo, 0, false},
        {{Key::Letter, 'y', false, true}, Kind::Redo, 0, false},
        {{Key::Letter, 'n', false, true}, Kind::NewGame, 0, false},
        {{Key::Letter, 'c', false, true}, Kind::Copy, 0, false},
        {{Key::Letter, 'v', false, true}, Kind::Paste, 0, false},
        {{Key::Letter, 'q', false, true}, Kind::None, 0, false},         // the window's own
        {{Key::Letter, 'z', false, true, true}, Kind::None, 0, false},   // Ctrl+Alt
        {{Key::Letter, 'r', false, false, true}, Kind::None, 0, false},  // Alt
        {{Key::Letter, 'r', true}, Kind::Move, 'r', true},
        {{Key::Letter, 'm'}, Kind::Move, 'm', false},
        {{Key::Letter, 'z'}, Kind::Move, 'z', false},
        {{Key::Letter, 'w'}, Kind::None, 0, false},
        {{Key::Left}, Kind::Move, 'y', false},
        {{Key::Right}, Kind::Move, 'y', true},
        {{Key::Up}, Kind::Move, 'x', false},
        {{Key::Down}, Kind::Move, 'x', true},
        {{Key::F1}, Kind::ShowKeys, 0, false},
        {{Key::Question}, Kind::ShowKeys, 0, false},
        {{Key::F2}, Kind::ShowRecords, 0, false},
        {{Key::Return}, Kind::None, 0, false},
        {{Key::Letter, 'h'}, Kind::Hint, 0, false},
        {{Key::Letter, 'h', true}, Kind::SolveForMe, 0, false},
        {{Key::Letter, 'n', true, true}, Kind::CompetitionScramble, 0, false},
    };
    for (const Case& c : cases) {
        const Command got = commandOf(c.key);
        EXPECT_EQ(got.kind, c.kind) << c.key.letter << int(c.key.key);
        EXPECT_EQ(got.letter, c.letter) << c.key.letter << int(c.key.key);
        EXPECT_EQ(got.prime, c.prime) << c.key.letter << int(c.key.key);
    }
}

// A browser keeps Ctrl+N and Ctrl+Shift+N: there Alt+N and Alt+C stand in, and only there;
// Ctrl+Q is the window's own; Shift with Ctrl is passed over where no key names it.
TEST_F(KeysTest, TheBrowsersKeysAndTheWindowsOwnAreAsTheRowsSay) {
    using platform::Key;
    using Kind = Command::Kind;
    struct Case {
        platform::KeyPress key;
        Kind desktop, browser;
    };
    const Case cases[] = {
        {{Key::Letter, 'n', false, false, true}, Kind::None, Kind::NewGame},
        {{Key::Letter, 'c', false, false, true}, Kind::None, Kind::CompetitionScramble},
        {{Key::Letter, 'n', false, true}, Kind::NewGame, Kind::None},
        {{Key::Letter, 'n', true, true}, Kind::CompetitionScramble, Kind::None},
        {{Key::Letter, 'n', true, false, true}, Kind::None, Kind::NewGame},  // Alt+Shift+N
        {{Key::Letter, 'q', false, true}, Kind::None, Kind::None},
        {{Key::Letter, 'c', true, true}, Kind::Copy, Kind::Copy},
        {{Key::Letter, 'y', true, true}, Kind::Redo, Kind::Redo},
        {{Key::Letter, 'z', true, true}, Kind::Redo, Kind::Redo},
        {{Key::F3, 0, true}, Kind::ShowSettings, Kind::ShowSettings},
        {{Key::Question, 0, true}, Kind::ShowKeys, Kind::ShowKeys},
        {{Key::Left, 0, true}, Kind::Move, Kind::Move},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commandOf(c.key, Keyboard::Desktop).kind, c.desktop) << c.key.letter;
        EXPECT_EQ(commandOf(c.key, Keyboard::Browser).kind, c.browser) << c.key.letter;
    }
}

// Every command is a line of the README's keys table, its keys as the keys panel shows
// them, on the desktop and (where they differ) in a browser; every command with a button
// has its labels in the README's account of the toolbar and the menu; the manual page
// names every key of more than a letter (the arrows as "arrow keys").
TEST_F(KeysTest, TheReadmesTableListsEveryCommand) {
    std::ifstream readme(GYRELLE_SOURCE_DIR "/README.md");
    ASSERT_TRUE(readme) << "README.md";
    std::multimap<std::string, std::string> table;  // keys, browser's keys
    std::string toolbar, menu, line;
    bool inTable = false;
    while (std::getline(readme, line)) {
        if (line.find("toolbar beside the cube") != std::string::npos) {
            toolbar = line;
        } else if (line.find("a menu of the same") != std::string::npos) {
            menu = line;
        } else if (line.rfind("| key | in a browser", 0) == 0) {
            inTable = true;
        } else if (inTable && line.rfind("| ", 0) == 0) {
            std::vector<std::string> cells;
            std::istringstream row(line.substr(1));
            for (std::string cell; std::getline(row, cell, '|');) {
                const size_t begin = cell.find_first_not_of(' ');
                cells.push_back(begin == std::string::npos
                                    ? ""
                                    : cell.substr(begin, cell.find_last_not_of(' ') + 1 - begin));
            }
            table.emplace(cells.at(0), cells.at(1));
        } else if (inTable && line.rfind("|---", 0) != 0) {
            inTable = false;
        }
    }
    ASSERT_GT(table.size(), 10u);
    // The manual page names every key that is more than a letter.
    std::stringstream manual;
    manual << std::ifstream(GYRELLE_SOURCE_DIR "/data/gyrelle.6").rdbuf();
    for (const CommandRow& row : commandRows()) {
        std::string keys = keysText(row, Keyboard::Desktop);
        std::string browser = keysText(row, Keyboard::Browser);
        browser = browser == keys ? "" : browser.empty() ? "—" : browser;
        keys = keys.empty() ? "—" : keys;
        bool listed = false;
        for (auto [at, end] = table.equal_range(keys); at != end; ++at) {
            listed |= at->second == browser;
        }
        EXPECT_TRUE(listed) << "| " << keys << " | " << browser << " |  (" << row.help << ")";
        std::istringstream words(row.keys);
        for (std::string key; words >> key;) {
            if (key.size() > 1 && key != "Left" && key != "Right" && key != "Up" && key != "Down") {
                EXPECT_NE(manual.str().find(key), std::string::npos) << key << " in gyrelle.6";
            }
        }
        if (row.shortLabel) {
            EXPECT_NE(toolbar.find(std::string(" ") + row.shortLabel), std::string::npos)
                << row.shortLabel;
        }
        if (row.label) {
            EXPECT_NE(menu.find(std::string(" ") + row.label), std::string::npos) << row.label;
        }
    }
}

// From several orientations, each letter turns the face (or middle slice) whose normal
// points most along its direction on the screen: F toward the viewer, B away, U up, D
// down, R right, L left; M as L, E as D, S as F.
TEST_F(KeysTest, EachLetterTurnsTheFaceThatLiesThereNow) {
    const Vecd toward[9] = {{0, 0, 1},  {0, 0, -1}, {0, 1, 0},  {0, -1, 0}, {1, 0, 0},
                            {-1, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    const char letters[] = "fbudrlmes";
    for (const Quaternion& orientation :
         {game.motion().currentRotation, rotation(0.3f, 1, -0.2f, 2.1f),
          rotation(-1, 0.4f, 0.5f, 4.0f)}) {
        for (int i = 0; i < 9; ++i) {
            for (bool prime : {false, true}) {
                game.motion().currentRotation = orientation;
                const MagicCube::Stickers before = cube().stickers();
                Vec n{};
                double best = -2;
                for (const Vec& out : kOut) {
                    const Vecd v =
                        applied(orientation, {double(out[0]), double(out[1]), double(out[2])});
                    const double along =
                        v[0] * toward[i][0] + v[1] * toward[i][1] + v[2] * toward[i][2];
                    if (along > best) {
                        best = along;
                        n = out;
                    }
                }
                game.type(letters[i], prime);
                frames(5);
                const MagicCube::Stickers want = turnedLayer(before, n, i >= 6, prime);
                EXPECT_EQ(std::memcmp(cube().stickers().data(), want.data(), sizeof want), 0)
                    << letters[i] << (prime ? "'" : "");
            }
        }
    }
}

// Typed while the cube turns, moves play out in order, eight at most waiting.
TEST_F(KeysTest, MovesTypedDuringATurnWaitTheirTurn) {
    Game other;
    for (auto [letter, prime] : {std::pair{'r', false}, {'u', false}, {'r', true}, {'f', true}}) {
        game.type(letter, prime);  // all at once
        other.type(letter, prime);
        for (int f = 0; f < 5; ++f) {
            other.stepMotion();
            other.stepTurn(now);
        }
    }
    frames(25);
    EXPECT_TRUE(sameStickers(cube(), other.cube()));

    // At the start-up orientation F is face slot 0, +z.
    const MagicCube::Stickers before = cube().stickers();
    for (int n = 0; n < 36; ++n) {
        game.type('f', false);  // one turns, 32 wait, three are not heard: 33 in all
    }
    frames(200);
    const MagicCube::Stickers once = turnedLayer(before, {0, 0, 1}, false, false);
    EXPECT_EQ(std::memcmp(cube().stickers().data(), once.data(), sizeof once), 0);
    EXPECT_EQ(game.history().entries().size(), 4u + 33u);
}

// A typed turn goes faster the more wait behind it: four frames alone, two with one or
// two behind it, one with three; each goes on from where it was.
TEST_F(KeysTest, ATypedTurnGoesFasterTheMoreWaitBehindIt) {
    for (auto [waiting, shown] : {std::pair{0, 4}, {1, 2}, {2, 2}, {3, 1}}) {
        game.type('r', false);
        for (int i = 0; i < waiting; ++i) {
            game.type('u', i % 2 == 1);
        }
        const size_t before = game.history().entries().size();
        int frames = 0;
        while (game.history().entries().size() == before) {
            ASSERT_TRUE(cube().animating());
            ++frames;
            this->frames(1);
        }
        EXPECT_EQ(frames, shown) << waiting << " waiting";
        this->frames(20);
    }
}

// At twenty keys a second, 200 of them, every one is played: the cube ends as it does
// when each waits for the last to land. Whole-cube turns among them too.
TEST_F(KeysTest, TwoHundredKeysAtTwentyASecondAreNoneOfThemLost) {
    Game slow;
    std::mt19937 random(20);
    const char letters[] = "fbudrlmesfbudrlx";
    for (int k = 0; k < 200; ++k) {
        const char letter = letters[random() % 16];
        const bool prime = random() % 2;
        game.type(letter, prime);
        frames(3);  // 60 frames a second
        slow.type(letter, prime);
        for (int i = 0; i < 100 && !slow.still(); ++i) {
            slow.stepMotion();
            slow.stepTurn(now);
        }
    }
    frames(100);
    EXPECT_TRUE(sameStickers(cube(), slow.cube()));
    EXPECT_EQ(game.history().entries().size(), slow.history().entries().size());
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(game.motion().currentRotation.q[i], slow.motion().currentRotation.q[i], 1e-4);
    }
}

// The setting makes typed turns quicker, down to a frame; a swipe keeps its four.
TEST_F(KeysTest, TheTurnSpeedSettingIsForTypedTurnsOnly) {
    Settings s;
    s.turnSpeed = 3;
    game.setSettings(s);
    game.type('r', false);
    frames(1);
    EXPECT_FALSE(cube().animating());
    EXPECT_EQ(game.history().entries().size(), 1u);
    ASSERT_TRUE(game.swipe(0, moves[0][0][0]));
    frames(3);  // a frame drawn before each step: the fourth step lands it
    EXPECT_TRUE(cube().animating());
    frames(1);
    EXPECT_FALSE(cube().animating());
    s.turnSpeed = 1;  // three frames
    game.setSettings(s);
    game.type('u', false);
    frames(2);
    EXPECT_TRUE(cube().animating());
    frames(1);
    EXPECT_FALSE(cube().animating());
}

// An undo asked for after typed moves comes after them: it takes back the last one.
TEST_F(KeysTest, AnUndoWaitsBehindTheMovesTypedBeforeIt) {
    game.type('r', false);
    game.type('u', false);
    game.undo();
    frames(20);
    EXPECT_EQ(game.history().entries().size(), 2u);
    EXPECT_EQ(game.history().position(), 1u);
}

// X as R, Y as U, Z as F: a quarter turn of the whole cube about the screen's axis,
// clockwise as seen from that end, in make-top steps; what is typed after it waits.
TEST_F(KeysTest, XYZTurnTheWholeCube) {
    for (auto [letter, prime, axis] : {std::tuple{'x', false, Vecd{-1, 0, 0}},
                                       {'y', true, Vecd{0, 1, 0}},
                                       {'z', false, Vecd{0, 0, -1}}}) {
        const Quaternion before = game.motion().currentRotation;
        game.type(letter, prime);
        frames(10);  // 9 degrees a frame: not there yet
        EXPECT_TRUE(game.motion().makingTop()) << letter;
        frames(1);
        EXPECT_FALSE(game.motion().makingTop()) << letter;
        expectRotation(game.motion().currentRotation,
                       [&](Vecd v) { return rotate(applied(before, v), axis, M_PI / 2); });
    }
    EXPECT_TRUE(cube().isSolved());
    game.type('x', false);
    game.type('f', false);
    frames(5);
    EXPECT_FALSE(cube().animating()) << "a face turn waits for the whole cube";
}

TEST_F(KeysTest, CopyAndPasteThePositionAndAPasteThatIsNoneSaysSo) {
    game.newGame();
    const MagicCube scrambled = cube();
    game.copy();
    ASSERT_EQ(told.copies.size(), 1u);
    const std::string code = told.copies[0];
    EXPECT_EQ(code, positionCode(scrambled.stickers()));
    game.undo();
    std::string problem;
    ASSERT_TRUE(game.setPosition(code, problem));  // the same position, centres brought home
    EXPECT_EQ(positionCode(cube().stickers()), code);
    game.undo();  // one step
    EXPECT_TRUE(cube().isSolved());

    const size_t entries = game.history().entries().size();
    EXPECT_FALSE(game.setPosition("UUU", problem));
    EXPECT_EQ(problem, "Not a cube position: it must be 54 letters");
    frames(1);
    EXPECT_TRUE(cube().isSolved());
    EXPECT_EQ(game.history().entries().size(), entries);
}

// A copy typed after moves holds them; a paste waits for the turn under way.
TEST_F(KeysTest, ACopyAndAPasteWaitForTheTurnsBeforeThem) {
    game.type('r', false);
    game.copy();
    EXPECT_TRUE(told.copies.empty());
    frames(5);
    ASSERT_EQ(told.copies.size(), 1u);
    EXPECT_EQ(told.copies[0], "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB");

    ASSERT_TRUE(game.turn(1));
    std::string problem;
    ASSERT_TRUE(game.setPosition(positionCode(MagicCube().stickers()), problem));
    EXPECT_FALSE(cube().isSolved());
    frames(4);
    EXPECT_TRUE(cube().isSolved());
}

using SolveTest = GameTest;

// The solved cube with `turns` made, set as a paste sets it.
void setTurned(Game& game, std::initializer_list<int> turns) {
    MagicCube cube;
    for (int code : turns) {
        cube.rotateFace(code);
    }
    std::string problem;
    ASSERT_TRUE(game.setPosition(positionCode(cube.stickers()), problem));
}

TEST_F(SolveTest, TimedFromTheFirstTurnToTheSolvedCube) {
    setTurned(game, {1, 5});
    EXPECT_EQ(game.solves().phase(), Solves::Phase::Scrambled);
    now += 10;  // looking at a scrambled cube is not solving it
    turned(-5);
    EXPECT_EQ(game.solves().phase(), Solves::Phase::Running);
    EXPECT_EQ(game.solves().moves(), 1);
    now += 41.35;
    EXPECT_NEAR(game.solves().seconds(now), 41.35, 1e-9);
    const Quaternion solvedIn = game.motion().currentRotation;
    turned(-1);
    ASSERT_EQ(told.solves.size(), 1u);
    EXPECT_EQ(told.solves[0].first.moves, 2);
    EXPECT_NEAR(told.solves[0].first.seconds, 41.35, 1e-9);
    EXPECT_FALSE(told.solves[0].second);  // a first solve beats nothing
    EXPECT_EQ(game.solves().done().size(), 1u);
    EXPECT_EQ(game.solves().phase(), Solves::Phase::None);

    // A full turn about the screen's vertical, back to where it was solved.
    frames(20);  // half way round: the cube's x seen mirrored
    EXPECT_NEAR(applied(game.motion().currentRotation, {1, 0, 0})[0],
                -applied(solvedIn, {1, 0, 0})[0], 0.02);
    frames(21);
    EXPECT_FALSE(game.motion().makingTop());
    const Vecd v = applied(game.motion().currentRotation, {1, 2, 3});
    const Vecd w = applied(solvedIn, {1, 2, 3});
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(v[i], w[i], 1e-4);
    }
}

TEST_F(SolveTest, UndoAndRedoAreMovesAndTakingBackTheScrambleEndsTheSolve) {
    setTurned(game, {1});
    turned(1);  // the wrong way
    for (bool undo : {true, false, true}) {
        undo ? game.undo() : game.redo();
        frames(4);
    }
    turned(-1);
    ASSERT_EQ(game.solves().done().size(), 1u);
    EXPECT_EQ(game.solves().done()[0].moves, 5);
    frames(41);  // the cube's spin of joy, which what waits waits for

    turned(5);  // turned by hand, not scrambled
    setTurned(game, {1});
    turned(1);
    game.undo();
    frames(4);
    EXPECT_EQ(game.solves().moves(), 2);
    game.undo();  // the pasted position: back to the cube turned by hand
    EXPECT_EQ(game.solves().phase(), Solves::Phase::None);
    turned(-5);  // solving what was never scrambled is no solve
    EXPECT_EQ(game.solves().done().size(), 1u);

    setTurned(game, {1});
    turned(1);
    game.answerReset(true);
    EXPECT_EQ(game.solves().phase(), Solves::Phase::None);
    EXPECT_EQ(game.solves().done().size(), 1u);
}

// A position that is solved arms nothing; a scramble arms a solve only when the cube it
// leaves is not solved.
TEST_F(SolveTest, OnlyAnUnsolvedPositionArmsASolve) {
    std::string problem;
    ASSERT_TRUE(game.setPosition(positionCode(MagicCube().stickers()), problem));
    EXPECT_EQ(game.solves().phase(), Solves::Phase::None);
    game.newGame();
    EXPECT_EQ(game.solves().phase(), Solves::Phase::Scrambled);
    EXPECT_GT(told.solveChanges, 0);
}

// What a session put back from its files: the solve under way goes on from the time
// already played, the cube turns about as it did.
TEST_F(SolveTest, ARestoredSolveGoesOnFromTheTimePlayed) {
    Game::Kept kept;
    MagicCube turnedOnce;
    turnedOnce.rotateFace(1);
    kept.stickers = turnedOnce.stickers();
    kept.motion.bContinueToRotate = 1;
    kept.solve.phase = Solves::Phase::Running;
    kept.solve.moves = 3;
    kept.solve.seconds = 30;
    game.restore(kept, now, 0);
    EXPECT_EQ(game.solves().moves(), 3);
    EXPECT_NEAR(game.solves().seconds(now + 2), 32, 1e-9);
    EXPECT_TRUE(game.motion().bContinueToRotate);
    EXPECT_FALSE(game.still());
    turned(-1);
    ASSERT_EQ(game.solves().done().size(), 1u);
    EXPECT_EQ(game.solves().done()[0].moves, 4);
}

// The solver in the game: its tables built once for the test's process.
class HintTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        tables().wait();
        coach.setSolverTables(&tables());
    }
    static solver::Preparation& tables() {
        static solver::Preparation t;
        return t;
    }
    // Frames at 60 a second.
    void play(int n) {
        for (int i = 0; i < n; ++i) {
            frames(1);
            now += 1.0 / 60;
        }
    }
    // Frames until what was asked is answered (a slice of search a frame).
    void think() {
        for (int i = 0; i < 100000 && coach.thinking() != Coach::Thinking::None; ++i) {
            frames(1);
        }
        ASSERT_EQ(coach.thinking(), Coach::Thinking::None);
    }
    // The last hint, as the turn it asks for: face slot and power.
    struct Hint {
        int face = -2, power = 0, remaining = 0;
    };
    struct Hints : Coach::Listener {
        Hint last;
        int count = 0;
        void hinted(int face, int power, int remaining) override {
            last = {face, power, remaining};
            ++count;
        }
    } hints;
    // Turns as the hint says: its face, its way (a half turn as two quarters).
    void follow(const Hint& h) {
        for (int q = 0; q < (h.power == 2 ? 2 : 1); ++q) {
            turned(gyrelle::faceTurn(h.face, h.power == 3));
        }
    }
    void setTurned(std::initializer_list<int> codes) {
        MagicCube cube;
        for (int code : codes) {
            cube.rotateFace(code);
        }
        std::string problem;
        ASSERT_TRUE(game.setPosition(positionCode(cube.stickers()), problem));
    }
};

// Hints followed to the end solve the cube; each says one turn fewer to go; the plan is
// made once (the same plan, hint after hint).
TEST_F(HintTest, HintsFollowedToTheEndSolveTheCube) {
    coach.addListener(&hints);
    setTurned({1, 5, -7, 3, 9, -2, 4});
    coach.hint();
    think();
    ASSERT_GE(hints.last.face, 0);
    const solver::Turns plan = coach.plan();
    int remaining = hints.last.remaining;
    EXPECT_EQ(remaining, static_cast<int>(plan.size()));
    for (int guard = 0; !cube().isSolved() && guard < 30; ++guard) {
        follow(hints.last);
        if (cube().isSolved()) {
            break;
        }
        coach.hint();
        ASSERT_EQ(hints.last.remaining, --remaining);
        const solver::Turns rest = coach.plan();
        ASSERT_TRUE(
            std::equal(rest.begin(), rest.end(), plan.end() - static_cast<long>(rest.size())));
    }
    EXPECT_TRUE(cube().isSolved());
    coach.hint();  // a solved cube has no hint
    think();
    EXPECT_EQ(hints.last.face, -1);
}

// A player who leaves the plan gets a new one, from where the cube is; one who turns a
// half turn of it a quarter at a time, or undoes and redoes, stays on it.
TEST_F(HintTest, AHintAfterLeavingThePlanStartsFromWhereTheCubeIs) {
    coach.addListener(&hints);
    setTurned({1, 4, 8, -6, 2});
    coach.hint();
    think();
    const solver::Turns first = coach.plan();
    ASSERT_FALSE(first.empty());
    follow(hints.last);
    game.undo();
    frames(5);
    game.redo();
    frames(5);
    EXPECT_EQ(coach.plan().size(), first.size() - 1) << "undo and redo stay on the plan";
    turned(7);  // off the plan
    EXPECT_TRUE(coach.plan().empty());
    const int count = hints.count;
    coach.hint();
    think();
    EXPECT_EQ(hints.count, count + 1);
    const solver::Turns second = coach.plan();
    solver::Cubies c;
    ASSERT_TRUE(c.fromCode(positionCode(cube().stickers())));
    for (int t : second) {
        c = c.times(solver::faceTurn(t));
    }
    EXPECT_TRUE(c == solver::Cubies()) << "the new plan solves the cube as it is";
}

// Solve-for-me plays the plan a turn at a time, each one undoable; a key (stopSolving)
// stops it; the solve it helps is recorded as assisted.
TEST_F(HintTest, SolveForMePlaysTheRestStopsAndIsUndoneTurnByTurn) {
    setTurned({1, 5, -7, 3});
    turned(2);  // the solve begins
    turned(-2);
    const size_t before = game.history().entries().size();
    coach.solveForMe();
    EXPECT_TRUE(coach.solvingForMe());
    think();
    play(60);  // a second: a turn, its pause, the next
    EXPECT_GE(game.history().entries().size(), before + 2);
    EXPECT_LE(game.history().entries().size(), before + 4) << "at a pace a person can follow";
    coach.stopSolving();
    frames(4);  // the turn under way lands
    const size_t entries = game.history().entries().size();
    play(120);
    EXPECT_EQ(game.history().entries().size(), entries) << "stopped";
    EXPECT_FALSE(cube().isSolved());
    const MagicCube stoppedAt = cube();
    game.undo();
    frames(5);
    EXPECT_FALSE(same(stoppedAt)) << "its turn undone like any";
    game.redo();
    frames(5);
    coach.solveForMe();
    for (int i = 0; i < 3000 && !cube().isSolved(); ++i) {
        play(1);
    }
    EXPECT_TRUE(cube().isSolved());
    ASSERT_EQ(game.solves().done().size(), 1u);
    EXPECT_TRUE(game.solves().done()[0].assisted);
    EXPECT_FALSE(coach.solvingForMe());
}

// A competition scramble: one undoable step to a position at least two turns from solved,
// with the turns that make it armed with the solve and kept with its record.
TEST_F(HintTest, ACompetitionScrambleIsOneStepWithItsTurns) {
    std::mt19937 rng(99);
    coach.setRandom([&] { return static_cast<std::uint32_t>(rng()); });
    coach.competitionScramble();
    think();
    ASSERT_EQ(game.history().entries().size(), 1u);
    EXPECT_EQ(game.history().toUndo().kind, History::Kind::Competition);
    EXPECT_EQ(game.solves().phase(), Solves::Phase::Scrambled);
    EXPECT_EQ(game.solves().kind(), Scramble::Competition);
    const std::string text = game.solves().scrambleText();
    // The text's turns make the position from the solved cube.
    MagicCube made;
    std::istringstream turns(text);
    int count = 0;
    for (std::string t; turns >> t; ++count) {
        const int face = std::string("URFDLB").find(t[0]);
        const int slot = std::array{1, 5, 0, 3, 4, 2}[face];
        for (int q = 0; q < (t.size() == 2 && t[1] == '2' ? 2 : 1); ++q) {
            made.rotateFace(gyrelle::faceTurn(slot, t.size() == 2 && t[1] == '\''));
        }
    }
    EXPECT_GE(count, 2);
    EXPECT_LE(count, 21);
    EXPECT_EQ(positionCode(made.stickers()), positionCode(cube().stickers())) << text;
    game.undo();
    EXPECT_TRUE(cube().isSolved());
    EXPECT_EQ(game.solves().phase(), Solves::Phase::None);
    game.redo();
    EXPECT_EQ(game.solves().scrambleText(), text) << "redone with its turns";
}

// A draw that lands within one turn of solved is drawn again. The random source, scripted:
// first the numbers that leave each shuffle's every place as it is (a draw of j = i at
// each step of the corners' seven and the edges' eleven) with no twist and no flip (the
// solved cube), then a generator's.
TEST_F(HintTest, ACompetitionDrawWithinOneTurnOfSolvedIsDrawnAgain) {
    std::vector<std::uint32_t> script;
    for (std::uint32_t i = 7; i > 0; --i) {
        script.push_back(i);
    }
    for (std::uint32_t i = 11; i > 0; --i) {
        script.push_back(i);
    }
    script.push_back(0);  // no twist
    script.push_back(0);  // no flip
    std::mt19937 rng(7);
    size_t drawn = 0;
    coach.setRandom([&] {
        return drawn < script.size() ? script[drawn++]
                                     : (++drawn, static_cast<std::uint32_t>(rng()));
    });
    coach.competitionScramble();
    think();
    EXPECT_GT(drawn, script.size()) << "the solved cube was not drawn again";
    EXPECT_FALSE(cube().isSolved());
    solver::Cubies c;
    ASSERT_TRUE(c.fromCode(positionCode(cube().stickers())));
    EXPECT_FALSE(solver::withinOneTurn(c));
    // One turn from solved, on its own: drawn again too.
    for (int t = 0; t < 18; t += 5) {
        EXPECT_TRUE(solver::withinOneTurn(solver::faceTurn(t))) << t;
        EXPECT_FALSE(
            solver::withinOneTurn(solver::faceTurn(t).times(solver::faceTurn((t + 3) % 18))))
            << t;
    }
}

// A drawn position set while a turn still turns drops that turn: it would land on the new
// position, start the competition solve by itself (no inspection, no look at the scramble)
// and leave a cube its scramble does not make.
TEST_F(HintTest, ADrawnPositionDropsTheTurnStillTurning) {
    MagicCube drawn;
    drawn.rotateFace(gyrelle::faceTurn(0, false));
    drawn.rotateFace(gyrelle::faceTurn(1, false));
    ASSERT_TRUE(game.turn(gyrelle::faceTurn(5, false)));
    frames(1);
    game.setDrawnPosition(drawn.stickers(), "F U");
    frames(10);
    EXPECT_TRUE(same(drawn));
    EXPECT_EQ(game.history().toUndo().kind, History::Kind::Competition);
    EXPECT_EQ(game.solves().phase(), Solves::Phase::Scrambled);
}

// Half way through a half turn of the plan (one quarter of it made, either way) the hint
// asks for the other quarter the same way, and the plan holds.
TEST_F(HintTest, AHintHalfWayThroughAPlannedHalfTurnAsksForItsOtherQuarter) {
    coach.addListener(&hints);
    for (bool prime : {false, true}) {
        setTurned({3, 3});  // a half turn from solved: the plan is its undoing
        coach.hint();
        think();
        ASSERT_EQ(hints.last.power, 2);
        const int face = hints.last.face;
        turned(gyrelle::faceTurn(face, prime));
        coach.hint();
        think();
        EXPECT_EQ(hints.last.face, face) << prime;
        EXPECT_EQ(hints.last.power, prime ? 3 : 1) << prime;
        EXPECT_EQ(hints.last.remaining, 1) << prime;
        EXPECT_EQ(coach.plan().size(), 1u) << "the plan holds";
        follow(hints.last);
        EXPECT_TRUE(cube().isSolved()) << prime;
    }
}

// While a hint thinks on the hardest position (the superflip with four spots: its first
// answer alone is some 160,000 nodes), the search is cut into the frames' slices. On a
// clock of the search's own work (a node 0.3 microseconds, a slow machine's pace), no
// frame's slice takes more than 10 ms, far within the 50 a frame may be late; and the
// hint comes, frames later.
TEST_F(HintTest, NoFrameIsLateWhileAHintThinksOnTheHardestPosition) {
    coach.addListener(&hints);
    coach.setSearchClock([this] { return static_cast<double>(coach.searched()) * 3e-7; });
    MagicCube hardest;
    applyMoves(hardest, "U R2 F B R B2 R U2 L B2 R U' D' R2 F R' L B2 U2 F2 F2 B2 U D' R2 L2 U D'");
    std::string problem;
    ASSERT_TRUE(game.setPosition(positionCode(hardest.stickers()), problem)) << problem;
    frames(1);
    coach.hint();
    int count = 0;
    std::int64_t most = 0;
    for (; coach.thinking() != Coach::Thinking::None && count < 100000; ++count) {
        const std::int64_t before = coach.searched();
        now += 1.0 / 60;
        frames(1);
        most = std::max(most, coach.searched() - before);
    }
    EXPECT_LE(static_cast<double>(most) * 3e-7, 0.010) << most << " nodes in a frame";
    EXPECT_GT(count, 5) << "frames while it thought";
    ASSERT_GE(hints.last.face, 0);
    EXPECT_LE(hints.last.remaining, 21);
}

// Where no thread builds the tables, the frames build them a slice at a time, saying so;
// then the search, then the hint.
TEST_F(GameTest, TheSolverPreparesAndThinksFrameByFrame) {
    solver::Preparation slices(false);
    coach.setSolverTables(&slices);
    frames(1);  // the game knows the time from its frames
    coach.hint();
    EXPECT_EQ(coach.thinking(), Coach::Thinking::Preparing);
    EXPECT_EQ(coach.thinkingSince(), now);
    EXPECT_FALSE(game.still() && coach.still()) << "frames go on while it thinks";
    int frames = 0;
    while (coach.thinking() == Coach::Thinking::Preparing && frames < 100000) {
        now += 1.0 / 60;
        this->frames(1);
        ++frames;
    }
    EXPECT_GT(frames, 2) << "in slices";
    EXPECT_TRUE(slices.ready());
    EXPECT_EQ(told.solveChanges, 0);
    while (coach.thinking() != Coach::Thinking::None) {
        this->frames(1);
    }
    EXPECT_TRUE(game.still() && coach.still());
}

// Over many draws from a fixed seed, every corner and edge is as likely in each place and
// each way round, and the permutations' parity is even as often as odd.
TEST(FairScramble, EveryPlaceAndTwistIsAsLikely) {
    std::mt19937 rng(4242);
    const std::function<std::uint32_t()> random = [&] { return static_cast<std::uint32_t>(rng()); };
    constexpr int kDraws = 24000;
    int cornerAt[8][8] = {}, twist[8][3] = {}, edgeAt[12][12] = {}, flip[12][2] = {}, odd = 0;
    for (int d = 0; d < kDraws; ++d) {
        const solver::Cubies c = solver::randomPosition(random);
        int parity = 0;
        for (int i = 0; i < 8; ++i) {
            ++cornerAt[c.cp[i]][i];
            ++twist[i][c.co[i]];
            for (int j = i + 1; j < 8; ++j) {
                parity ^= c.cp[j] < c.cp[i];
            }
        }
        for (int i = 0; i < 12; ++i) {
            ++edgeAt[c.ep[i]][i];
            ++flip[i][c.eo[i]];
        }
        odd += parity;
        ASSERT_TRUE(solver::Cubies().fromCode(c.code())) << "a position turns can make";
    }
    // Each count within five standard deviations of its expectation.
    auto near = [](int count, double p) {
        const double mean = kDraws * p, sd = std::sqrt(kDraws * p * (1 - p));
        return std::abs(count - mean) < 5 * sd;
    };
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
            EXPECT_TRUE(near(cornerAt[i][j], 1.0 / 8)) << i << " at " << j;
        }
        for (int t = 0; t < 3; ++t) {
            EXPECT_TRUE(near(twist[i][t], 1.0 / 3)) << i << " twist " << t;
        }
    }
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 12; ++j) {
            EXPECT_TRUE(near(edgeAt[i][j], 1.0 / 12)) << i << " at " << j;
        }
        EXPECT_TRUE(near(flip[i][1], 0.5)) << i;
    }
    EXPECT_TRUE(near(odd, 0.5)) << odd;
    EXPECT_TRUE(solver::withinOneTurn(solver::faceTurn(7)));
    EXPECT_FALSE(solver::withinOneTurn(solver::faceTurn(7).times(solver::faceTurn(0))));
}

}  // namespace
}  // namespace gyrelle::testing
