// A solve played again: from its scramble to the solved cube (compared with the model),
// each turn animated, in real time or faster, stepped and put anywhere; the game it is
// opened beside untouched; its reconstruction, which reads back as the same solve.
#include "game/Replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>

#include "cube/Notation.h"
#include "cube/Position.h"
#include "tests/support/Cubes.h"

namespace gyrelle::testing {
namespace {

// Turns in the usual notation from the scramble that undoes them, `gap` ms apart.
std::shared_ptr<const SolveTurns> solveOf(const std::string& solution, int gap = 250) {
    auto s = std::make_shared<SolveTurns>();
    Reading reading;
    std::vector<int> all;
    for (size_t at = 0; at < solution.size();) {
        const size_t end = std::min(solution.find(' ', at), solution.size());
        int c[4];
        const int n = reading.codes(std::string_view(solution).substr(at, end - at), c);
        for (int i = 0; i < n; ++i) {
            s->turns.push_back({std::int32_t(s->turns.size()) * gap, std::int8_t(c[i])});
            if (!isWholeCube(c[i])) {
                all.push_back(c[i]);
            }
        }
        at = end + 1;
    }
    MagicCube cube;
    for (auto c = all.rbegin(); c != all.rend(); ++c) {
        cube.rotateFace(-*c);
    }
    s->start = positionCode(cube.stickers());
    return s;
}

// The model's cube after the first `k` entries.
MagicCube modelAfter(const SolveTurns& s, size_t k) {
    MagicCube cube;
    std::string problem;
    MagicCube::Stickers start;
    EXPECT_TRUE(stickersOfCode(s.start, start, problem));
    cube.setStickers(start);
    for (size_t i = 0; i < k; ++i) {
        if (!isWholeCube(s.turns[i].code)) {
            cube.rotateFace(s.turns[i].code);
        }
    }
    return cube;
}

const std::string kSolution = "F R' D2 B L' R U R' L' U' L y R' U' R L U L' R U R' U R U2 R'";

struct Player {
    Replay& replay;
    double now = 100;
    int frames = 0, animated = 0;
    void frame() {
        replay.game().stepMotion();
        animated += replay.game().cube().animating();
        replay.game().stepTurn(now);
        now += 1.0 / 60;
        ++frames;
    }
    void untilStill(int most = 20000) {
        for (int i = 0; i < most && !(replay.still() && !replay.playing()); ++i) {
            frame();
        }
    }
};

TEST(Replay, FromTheScrambleToTheSolvedCubeEachTurnAnimatedInRealTime) {
    Game seen;
    const auto solve = solveOf(kSolution);
    auto replay = Replay::of(solve, Method::Cfop, seen);
    ASSERT_TRUE(replay);
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, 0)));
    EXPECT_FALSE(replay->game().cube().isSolved());
    Player p{*replay};
    p.frame();
    replay->playOrPause();
    const double began = p.now;
    // Real time: by 1.03 s in (a frame's lag), the turns of 0, 250, 500, 750 and 1000 ms
    // have begun, and no more.
    while (p.now < began + 1.03) {
        p.frame();
    }
    EXPECT_EQ(replay->applied(), 5u);
    p.untilStill();
    EXPECT_TRUE(replay->game().cube().isSolved());
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, solve->turns.size())));
    size_t slices = 0;
    for (const TimedTurn& t : solve->turns) {
        slices += !isWholeCube(t.code);
    }
    // Each turn played as a turn of its own, animated: never a flash to the next state.
    EXPECT_EQ(replay->game().history().entries().size(), 1 + slices);
    EXPECT_GE(p.animated, int(slices));
    // At 4x it takes a quarter of the time.
    replay->nextSpeed();
    replay->nextSpeed();
    EXPECT_EQ(replay->speed(), 4);
    replay->playOrPause();  // from the start again
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, 0)));
    const int before = p.frames;
    p.untilStill();
    const double seconds = (p.frames - before) / 60.0;
    EXPECT_NEAR(seconds, replay->length() / 1000 / 4, 0.2) << p.frames - before << " frames";
    EXPECT_TRUE(replay->game().cube().isSolved());
}

// A turn forward and back, animated; anywhere at once; the start and the end.
TEST(Replay, SteppedAndPutAnywhere) {
    Game seen;
    const auto solve = solveOf(kSolution);
    auto replay = Replay::of(solve, Method::Cfop, seen);
    ASSERT_TRUE(replay);
    Player p{*replay};
    for (int i = 0; i < 3; ++i) {
        replay->forward();
        p.untilStill();
    }
    EXPECT_EQ(replay->applied(), 3u);
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, 3)));
    replay->back();
    EXPECT_TRUE(replay->game().cube().animating() || replay->game().waiting());
    p.untilStill();
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, 2)));
    replay->seek(1600);  // the turns at 0..1500 ms landed
    EXPECT_EQ(replay->applied(), 7u);
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, 7)));
    replay->toEnd();
    EXPECT_TRUE(replay->game().cube().isSolved());
    replay->back();
    p.untilStill();
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, solve->turns.size() - 1)));
    replay->toStart();
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, 0)));
    EXPECT_EQ(replay->step(), 0u);
    // A solve of one moment (every turn at 0 ms) has a start and an end too.
    auto instant = std::make_shared<SolveTurns>(*solveOf("R U", 0));
    auto quick = Replay::of(instant, Method::Cfop, seen);
    ASSERT_TRUE(quick);
    quick->toEnd();
    EXPECT_TRUE(quick->game().cube().isSolved());
    quick->toStart();
    EXPECT_TRUE(sameStickers(quick->game().cube(), modelAfter(*instant, 0)));
    // A seek while a turn is animating drops it: the position is the one asked for.
    replay->forward();
    p.frame();
    replay->seek(0);
    p.untilStill();
    EXPECT_TRUE(sameStickers(replay->game().cube(), modelAfter(*solve, 0)));
}

// Put at a moment, the cube is held as the solve held it then: its whole-cube turns before
// that moment made, none after; as when it is played there.
TEST(Replay, PutAtAMomentTheCubeIsHeldAsItWasThen) {
    Game seen;
    const auto solve = solveOf(kSolution);  // y is the thirteenth entry (D2 is two), at 3000 ms
    auto replay = Replay::of(solve, Method::Cfop, seen);
    ASSERT_TRUE(replay);
    const Quaternion start = replay->game().motion().currentRotation;
    Player p{*replay};
    replay->seek(3100);
    p.untilStill();
    const Quaternion afterY = replay->game().motion().currentRotation;
    float after[4], moved = 0;
    for (int i = 0; i < 4; ++i) {
        after[i] = afterY.q[i];
        moved += std::fabs(start.q[i] - after[i]);
    }
    EXPECT_GT(moved, 0.3f);  // a quarter turn
    replay->seek(2900);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(replay->game().motion().currentRotation.q[i], start.q[i], 1e-5) << i;
    }
    // Played from there across the y, it comes to where the seek put it.
    replay->playOrPause();
    while (replay->applied() < 13) {
        p.frame();
    }
    replay->pause();
    p.untilStill();
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(replay->game().motion().currentRotation.q[i], after[i], 1e-4) << i;
    }
}

// The game it is opened beside keeps its cube, history, orientation and solves.
TEST(Replay, TheGameBesideItIsUntouched) {
    Game game;
    game.turn(faceTurn(0, false));
    for (int i = 0; i < 4; ++i) {
        game.stepMotion();
        game.stepTurn(1);
    }
    const MagicCube cube = game.cube();
    const unsigned long history = game.history().changes(), solves = game.solves().revision();
    auto replay = Replay::of(solveOf(kSolution), Method::Cfop, game);
    ASSERT_TRUE(replay);
    Player p{*replay};
    replay->playOrPause();
    p.untilStill();
    replay->seek(500);
    replay.reset();
    EXPECT_TRUE(sameStickers(game.cube(), cube));
    EXPECT_EQ(game.history().changes(), history);
    EXPECT_EQ(game.solves().revision(), solves);
    EXPECT_FALSE(Replay::of(nullptr, Method::Cfop, game));
    auto unsolved = std::make_shared<SolveTurns>(*solveOf(kSolution));
    unsolved->turns.pop_back();
    EXPECT_FALSE(Replay::of(unsolved, Method::Cfop, game));
}

// Each step a line, timed, in the usual notation, the half turns as such; read back, the
// moves solve the position from the same start.
TEST(Replay, TheReconstructionNamesAndTimesEachStepAndReadsBackAsTheSameSolve) {
    Game seen;
    const auto solve = solveOf("R2 U' x U R' L U' L'", 500);
    auto replay = Replay::of(solve, Method::Cfop, seen, "R U");
    ASSERT_TRUE(replay);
    const std::string text = replay->reconstruction();
    EXPECT_TRUE(text.starts_with("Scramble: R U\ncross (")) << text;
    // Read back: every step's moves, one frame over them all.
    MagicCube cube = modelAfter(*solve, 0);
    Reading reading;
    std::vector<int> codes;
    size_t lines = 0;
    for (size_t at = text.find('\n') + 1; at < text.size(); ++lines) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        for (size_t w = line.find("): ") == std::string::npos ? line.size() : line.find("): ") + 3;
             w < line.size();) {
            const size_t stop = std::min(line.find(' ', w), line.size());
            int c[4];
            const int n = reading.codes(std::string_view(line).substr(w, stop - w), c);
            EXPECT_GT(n, 0) << line;
            codes.insert(codes.end(), c, c + n);
            w = stop + 1;
        }
        at = end + 1;
    }
    EXPECT_EQ(lines, 7u);  // cross, four pairs, OLL, PLL
    ASSERT_EQ(codes.size(), solve->turns.size());
    for (size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(codes[i], solve->turns[i].code) << i;
        if (!isWholeCube(codes[i])) {
            cube.rotateFace(codes[i]);
        }
    }
    EXPECT_TRUE(cube.isSolved());
    EXPECT_NE(text.find(" R2"), std::string::npos) << text;
    EXPECT_NE(text.find(" x "), std::string::npos) << text;
    auto position = Replay::of(solve, Method::Cfop, seen);
    EXPECT_TRUE(position->reconstruction().starts_with("Position: " + solve->start + "\n"));
}

}  // namespace
}  // namespace gyrelle::testing
