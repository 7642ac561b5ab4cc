// A solve's turns, kept as it is played: the notation a player reads them in, the turns and
// their times as the game keeps them, their limits, and the records file's timed lines.
#include <random>

#include "cube/Notation.h"
#include "cube/Position.h"
#include "store/RecordsFile.h"
#include "tests/support/GameFixture.h"
#include "tests/support/StoreFixture.h"

namespace gyrelle::testing {
namespace {

// Face slots of the model: F U B D L R point +z +y -z -y -x +x.
enum Slot { kF, kU, kB, kD, kL, kR };

int codeOf(Reading& reading, const char* token) {
    int codes[4];
    EXPECT_EQ(reading.codes(token, codes), 1) << token;
    return codes[0];
}

// Held as a player holds it: x turns the cube as R (the front goes up), y as U (the front
// goes left), z as F (the top goes right); the letters then name the faces where they are.
TEST(Notation, AfterAWholeCubeTurnTheLettersNameTheFacesWhereTheyAreNow) {
    struct {
        const char* turns;
        const char* letter;
        int slot;  // the model's face now there
    } cases[] = {{"x", "U", kF},   {"x", "F", kD},   {"x", "R", kR},  {"x'", "U", kB},
                 {"x2", "U", kD},  {"y", "F", kR},   {"y", "L", kF},  {"y'", "F", kL},
                 {"y", "U", kU},   {"z", "U", kL},   {"z", "R", kU},  {"z'", "U", kR},
                 {"x y", "F", kR}, {"y x", "U", kR}, {"x z", "R", kF}};
    for (const auto& c : cases) {
        Reading reading;
        std::string turns = c.turns;
        for (size_t at = 0; at < turns.size();) {
            const size_t end = std::min(turns.find(' ', at), turns.size());
            int codes[4];
            EXPECT_GE(reading.codes(std::string_view(turns).substr(at, end - at), codes), 1);
            at = end + 1;
        }
        EXPECT_EQ(codeOf(reading, c.letter), faceTurn(c.slot, false)) << c.turns << " " << c.letter;
        EXPECT_EQ(reading.slotAt(std::string("URFDLB").find(c.letter[0])), c.slot);
    }
}

// Where a centre goes, on the model: M as L takes the top centre to the front, E as D the
// front's to the right, S as F the top's to the right; r is R with the middle slice.
TEST(Notation, MiddleSlicesTurnAsTheirFacesAndWideTurnsAreTwo) {
    auto centreAfter = [](const char* token, int to) {
        Reading reading;
        MagicCube cube;
        int codes[4];
        const int n = reading.codes(token, codes);
        for (int i = 0; i < n; ++i) {
            cube.rotateFace(codes[i]);
        }
        return cube.stickers()[9 * to + 4].faceNumber;
    };
    EXPECT_EQ(centreAfter("M", kF), kU);
    EXPECT_EQ(centreAfter("M'", kF), kD);
    EXPECT_EQ(centreAfter("E", kR), kF);
    EXPECT_EQ(centreAfter("S", kR), kU);
    EXPECT_EQ(centreAfter("r", kU), kF);  // the middle slice goes as R: front to top
    EXPECT_EQ(centreAfter("Rw", kU), kF);
    Reading reading;
    int codes[4];
    EXPECT_EQ(reading.codes("r2", codes), 4);
    EXPECT_EQ(reading.codes("R2'", codes), 2);  // a half turn the other way round
    EXPECT_EQ(codes[1], faceTurn(kR, true));
    for (const char* bad : {"", "Q", "R3", "RR", "xw", "Mw", "2", "'", "m"}) {
        EXPECT_EQ(reading.codes(bad, codes), 0) << bad;
    }
}

// Any turns written out read back as the same turns, whole-cube turns among them.
TEST(Notation, TheTextOfTurnsReadsBackAsThoseTurns) {
    std::mt19937 random(7);
    std::vector<int> codes;
    for (int i = 0; i < 400; ++i) {
        const int n = int(random() % 12) + 1;
        const int code = n > 9 ? kWholeCube + n - 10 : n;
        codes.push_back(random() % 2 ? code : -code);
    }
    Reading writing, reading;
    for (int code : codes) {
        const std::string token = writing.text(code);
        int back[4];
        ASSERT_EQ(reading.codes(token, back), 1) << token;
        EXPECT_EQ(back[0], code) << token;
    }
    EXPECT_EQ(Reading().text(0), "");
    EXPECT_EQ(Reading().text(13), "");
}

using TimedTest = GameTest;

// From the position set, each turn with the milliseconds since the first landed; an undo
// is the turn it made.
TEST_F(TimedTest, EveryTurnOfASolveIsKeptWithItsTimeAndWhereItBegan) {
    MagicCube scrambled;
    scrambled.rotateFace(faceTurn(kF, false));
    scrambled.rotateFace(faceTurn(kR, false));
    std::string problem;
    ASSERT_TRUE(game.setPosition(positionCode(scrambled.stickers()), problem));
    frames(1);
    const std::string start = positionCode(game.cube().stickers());
    turned(faceTurn(kR, true));
    now += 0.25;
    turned(faceTurn(kU, false));  // a slip...
    now += 0.25;
    game.undo();  // ...taken back
    frames(4);
    now += 1.0;
    turned(faceTurn(kF, true));
    ASSERT_EQ(told.solves.size(), 1u);
    const Solve& s = told.solves[0].first;
    ASSERT_TRUE(s.turns);
    EXPECT_EQ(s.turns->start, start);
    EXPECT_EQ(s.turns->inspection, -1);
    const std::vector<TimedTurn> expected = {{0, static_cast<std::int8_t>(faceTurn(kR, true))},
                                             {250, static_cast<std::int8_t>(faceTurn(kU, false))},
                                             {500, static_cast<std::int8_t>(faceTurn(kU, true))},
                                             {1500, static_cast<std::int8_t>(faceTurn(kF, true))}};
    EXPECT_EQ(s.turns->turns, expected);
    EXPECT_EQ(s.moves, 4);
    EXPECT_EQ(game.solves().done().back().turns, s.turns);
}

// A whole-cube turn is kept with the solve, before its clock (at 0) or during it; the
// inspection's length with it.
TEST_F(TimedTest, WholeCubeTurnsAndTheInspectionAreKept) {
    Settings settings = game.settings();
    settings.inspection = true;
    game.setSettings(settings);
    MagicCube scrambled;
    scrambled.rotateFace(faceTurn(kR, false));
    std::string problem;
    ASSERT_TRUE(game.setPosition(positionCode(scrambled.stickers()), problem));
    frames(1);  // the inspection begins
    now += 3;
    game.type('y', false);
    frames(8);
    const int y = game.solves().timing()->turns.at(0).code;
    EXPECT_TRUE(isWholeCube(y));
    now += 2;
    turned(faceTurn(kU, false));
    now += 0.5;
    turned(faceTurn(kU, true));
    turned(faceTurn(kR, true));
    ASSERT_EQ(told.solves.size(), 1u);
    const SolveTurns& t = *told.solves[0].first.turns;
    EXPECT_DOUBLE_EQ(t.inspection, 5);
    ASSERT_EQ(t.turns.size(), 4u);
    EXPECT_EQ(t.turns[0].ms, 0);
    EXPECT_EQ(t.turns[0].code, y);
    EXPECT_EQ(t.turns[1].ms, 0);
    EXPECT_EQ(t.turns[2].ms, 500);
    EXPECT_EQ(t.turns[3].ms, 500);
}

// The turns of a solve the game was closed in are kept only while they are whole.
TEST(SolveTurns, TheNewestSolvesKeepTheirTurnsWithinTheLimits) {
    Solves s;
    auto solve = [&](int turns) {
        s.scrambled(Scramble::Turns, {}, positionCode(MagicCube().stickers()));
        for (int i = 1; i < turns; ++i) {
            s.turned(1, false, 0, 1);
        }
        s.turned(2, true, 0, 1);
    };
    solve(10000);  // the most a solve keeps
    EXPECT_EQ(s.done().back().turns->turns.size(), 10000u);
    solve(10001);
    EXPECT_FALSE(s.done().back().turns);  // not whole: none

    // Of solves that have turns, the newest 10,000 keep them...
    std::vector<Solve> done(10000, Solve{0, 1, 1.0});
    auto one = std::make_shared<const SolveTurns>(SolveTurns{"", -1, {{0, 1}}});
    for (Solve& d : done) {
        d.turns = one;
    }
    done.insert(done.begin(), Solve{0, 1, 1.0});  // an imported one, with none
    s.setDone(done);
    EXPECT_TRUE(s.done()[1].turns);
    solve(1);
    EXPECT_FALSE(s.done()[1].turns);
    EXPECT_TRUE(s.done()[2].turns);
    EXPECT_TRUE(s.done().back().turns);
    // ...as long as they hold 2,000,000 turns in all.
    auto many = std::make_shared<const SolveTurns>(
        SolveTurns{"", -1, std::vector<TimedTurn>(500000, {0, 1})});
    std::vector<Solve> big(4, Solve{.date = 0,
                                    .moves = 1,
                                    .seconds = 1.0,
                                    .kind = Scramble::Turns,
                                    .assisted = false,
                                    .penalty = Penalty::None,
                                    .scramble = "",
                                    .turns = many});
    s.setDone(big);
    EXPECT_TRUE(s.done()[0].turns);
    solve(1);
    EXPECT_FALSE(s.done()[0].turns);
    EXPECT_TRUE(s.done()[1].turns);
}

bool read(const std::string& text, store::SavedRecords& records, std::string& problem) {
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const store::Reading reading = store::readRecords(in, records);
    std::fclose(in);
    problem = reading.problem;
    return reading.whole();
}

const std::string kSolved = "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB";

TEST(RecordsFile, TimedLinesFollowTheSolvesAndReadBack) {
    store::SavedRecords r;
    r.done = {{1765063817, 3, 1.5, Scramble::Turns}, {1765063900, 2, 0.3, Scramble::Pasted}};
    // After x the model's F face is on top: its turn reads U.
    r.done[1].turns = std::make_shared<const SolveTurns>(
        SolveTurns{kSolved,
                   8.5,
                   {{0, static_cast<std::int8_t>(wholeCubeTurn(kR, false))},
                    {0, static_cast<std::int8_t>(faceTurn(kF, false))},
                    {120, static_cast<std::int8_t>(middleTurn(kL, true))}}});
    r.solve.phase = Solves::Phase::Running;
    r.cube = "0123456789abcdef";
    r.solve.moves = 1;
    r.solve.seconds = 2;
    r.solve.kind = Scramble::Turns;
    r.solve.turns = std::make_shared<const SolveTurns>(
        SolveTurns{kSolved, -1, {{0, static_cast<std::int8_t>(faceTurn(kD, true))}}});
    const std::string text = store::recordsFileText(r);
    EXPECT_EQ(text,
              "gyrelle records 2\n"
              "solve 2025-12-06T23:30:17Z 3 1.500 turns\n"
              "solve 2025-12-06T23:31:40Z 2 0.300 pasted\n"
              "timed 2 " +
                  kSolved +
                  " 8.500 x@0 U@0 M'@120\n"
                  "solving 0123456789abcdef 1 2.000 turns\n"
                  "timing " +
                  kSolved +
                  " - D'@0\n"
                  "end\n");
    store::SavedRecords back;
    std::string problem;
    ASSERT_TRUE(read(text, back, problem)) << problem;
    EXPECT_FALSE(back.done[0].turns);
    ASSERT_TRUE(back.done[1].turns);
    EXPECT_EQ(*back.done[1].turns, *r.done[1].turns);
    ASSERT_TRUE(back.solve.turns);
    EXPECT_EQ(*back.solve.turns, *r.solve.turns);

    const std::string head =
        "gyrelle records 2\nsolve 2025-12-06T23:30:17Z 3 1.500 turns\n"
        "solve 2025-12-06T23:31:40Z 2 0.300 pasted\n";
    const std::string timed = " " + kSolved + " - R@0 U@5";
    for (const std::string& bad :
         {head + "timed 3" + timed + "\nend\n",                        // no such solve
          head + "timed 0" + timed + "\nend\n",                        //
          head + "timed 02" + timed + "\nend\n",                       //
          head + "timed 2" + timed + "\ntimed 2" + timed + "\nend\n",  // twice
          head + "timed 2" + timed + "\ntimed 1" + timed + "\nend\n",  // out of order
          head + "timed 1" + timed + "\nsolve 2025-12-06T23:31:40Z 2 0.300 pasted\nend\n",
          head + "timed 1 " + kSolved + " - R@5 U@4\nend\n",  // time going back
          head + "timed 1 " + kSolved + " - R2@5\nend\n",     // one quarter a turn
          head + "timed 1 " + kSolved + " - R@\nend\n",       //
          head + "timed 1 " + kSolved + " - R@-1\nend\n",     //
          head + "timed 1 " + kSolved + " - R\nend\n",        //
          head + "timed 1 " + kSolved + " 1:00 R@0\nend\n",   //
          head + "timed 1 " + kSolved.substr(1) + " - R@0\nend\n",
          head + "timed 1 " + kSolved.substr(1) + "X - R@0\nend\n",
          head + "timing" + timed + "\nend\n",  // no solve under way
          head + "scrambled 0123456789abcdef turns\ntiming" + timed + "\nend\n",
          head + "solving 0123456789abcdef 1 2.000 turns\ntiming" + timed + "\ntiming" + timed +
              "\nend\n",
          "gyrelle records 1\nsolve 2025-12-06T23:30:17Z 3 1.500\ntimed 1" + timed + "\nend\n"}) {
        store::SavedRecords untouched;
        EXPECT_FALSE(read(bad, untouched, problem)) << bad;
    }
    // A whole-cube turn while armed is no turn of the solve yet.
    EXPECT_TRUE(read(head + "scrambled 0123456789abcdef turns\ntiming " + kSolved + " - y@0\nend\n",
                     back, problem))
        << problem;
}

// The longest timed line a solve can have (10,000 turns, each "M'@" and the latest time
// there is) is read; one turn more is not.
TEST(RecordsFile, TheLongestTimedLineIsReadAndOneTurnMoreIsNot) {
    const std::string head = "gyrelle records 2\nsolve 2025-12-06T23:30:17Z 3 1.500 turns\n";
    for (int turns : {10000, 10001}) {
        std::string line = "timed 1 " + kSolved + " 999999999.999";
        for (int i = 0; i < turns; ++i) {
            line += " M'@2147483647";
        }
        store::SavedRecords r;
        std::string problem;
        EXPECT_EQ(read(head + line + "\nend\n", r, problem), turns == 10000) << problem;
        if (turns == 10000) {
            ASSERT_TRUE(r.done[0].turns);
            EXPECT_EQ(r.done[0].turns->turns.size(), 10000u);
        }
    }
}

using TimedStoreTest = StoreTest;

// Past 10,000 solves with turns, a new one takes the place of the oldest in the file as
// in the game, and what is read back is what was played.
TEST_F(TimedStoreTest, TheNewestTurnsAreKeptInTheFileAndTheOldestGiveWay) {
    auto s = open();
    std::vector<Solve> done(10000, Solve{1765063817, 1, 1.0});
    auto one = std::make_shared<const SolveTurns>(
        SolveTurns{kSolved, -1, {{0, static_cast<std::int8_t>(faceTurn(kR, false))}}});
    for (Solve& d : done) {
        d.turns = one;
    }
    s->game.replaceSolves(done);
    ASSERT_TRUE(s->keeper->saveNow());
    auto timedLines = [&] {
        std::ifstream in(dir + "/records");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("timed ")) {
                lines.push_back(line.substr(0, line.find(' ', 6)));
            }
        }
        return lines;
    };
    EXPECT_EQ(timedLines().size(), 10000u);
    EXPECT_EQ(timedLines().front(), "timed 1");

    MagicCube scrambled;
    scrambled.rotateFace(faceTurn(kU, false));
    std::string problem;
    ASSERT_TRUE(s->game.setPosition(positionCode(scrambled.stickers()), problem));
    frames(*s, 1);
    land(*s, faceTurn(kU, true));
    ASSERT_TRUE(s->keeper->saveNow());
    const auto lines = timedLines();
    ASSERT_EQ(lines.size(), 10000u);
    EXPECT_EQ(lines.front(), "timed 2");
    EXPECT_EQ(lines.back(), "timed 10001");

    s.reset();
    s = open();
    const auto& back = s->game.solves().done();
    ASSERT_EQ(back.size(), 10001u);
    EXPECT_FALSE(back[0].turns);
    ASSERT_TRUE(back.back().turns);
    EXPECT_EQ(back.back().turns->start, positionCode(scrambled.stickers()));
    ASSERT_EQ(back.back().turns->turns.size(), 1u);
    EXPECT_EQ(back.back().turns->turns[0].code, faceTurn(kU, true));
}

}  // namespace
}  // namespace gyrelle::testing
