// Step splits: solves built from their definitions (a scramble that undoes a solution made
// of steps each known to solve its part), and the splits found at their boundaries,
// however the cube is held, with skips, with undos, for CFOP and for Roux.
#include "game/Splits.h"

#include <gtest/gtest.h>

#include <string_view>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"

namespace gyrelle {
namespace {

// A solve played from the scramble that undoes it: the cube held as `hold` says (whole-cube
// turns, at the start), then each step's turns 100 ms apart, after a pause of its own
// before each step but the first. `turns` gets each step's count of quarter turns.
struct Built {
    SolveTurns solve;
    std::vector<int> turns;
    std::vector<double> pauses;  // seconds
};

Built build(const std::string& hold, const std::vector<std::string>& steps) {
    Built b;
    Reading reading;
    auto codesOf = [&](const std::string& text) {
        std::vector<int> codes;
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find(' ', at), text.size());
            int c[4];
            const int n = reading.codes(std::string_view(text).substr(at, end - at), c);
            EXPECT_TRUE(n > 0 || end == at) << text.substr(at, end - at);
            codes.insert(codes.end(), c, c + n);
            at = end + 1;
        }
        return codes;
    };
    for (int code : codesOf(hold)) {
        b.solve.turns.push_back({0, static_cast<std::int8_t>(code)});
    }
    std::int32_t ms = 0;
    std::vector<int> all;
    for (size_t k = 0; k < steps.size(); ++k) {
        const std::vector<int> codes = codesOf(steps[k]);
        // The clock starts at the first turn: no pause before it.
        const std::int32_t pause = all.empty() ? 0 : 400 + 100 * std::int32_t(k);
        b.pauses.push_back(pause / 1000.0);
        b.turns.push_back(int(codes.size()));
        for (size_t i = 0; i < codes.size(); ++i) {
            ms += i == 0 ? pause : 100;
            b.solve.turns.push_back({ms, static_cast<std::int8_t>(codes[i])});
            all.push_back(codes[i]);
        }
    }
    MagicCube cube;
    for (auto c = all.rbegin(); c != all.rend(); ++c) {
        cube.rotateFace(-*c);
    }
    b.solve.start = positionCode(cube.stickers());
    return b;
}

// Each step's turns, and its time: its pause, then 100 ms a turn after its first; none for a
// step with no turns.
void expectSplits(const Built& b, const std::vector<Split>& splits,
                  const std::vector<const char*>& names) {
    ASSERT_EQ(splits.size(), names.size());
    for (size_t k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(names[k]);
        EXPECT_STREQ(splits[k].name, names[k]);
        EXPECT_EQ(splits[k].turns, b.turns[k]);
        const double seconds = b.turns[k] ? b.pauses[k] + 0.1 * (b.turns[k] - 1) : 0;
        EXPECT_NEAR(splits[k].seconds, seconds, 1e-9);
        EXPECT_NEAR(splits[k].recognition, b.turns[k] ? b.pauses[k] : 0, 1e-9);
    }
}

// A cross on D, each pair put in by a trigger that touches nothing else of the first two
// layers, Sune, the T permutation.
const std::string kCross = "F R' D2 B L'";
const std::string kPairs[4] = {"R U R'", "L' U' L", "R' U' R", "L U L'"};
const std::string kSune = "R U R' U R U2 R'";
const std::string kT = "R U R' U' R' F R2 U' R' U' R U R' F'";
const std::vector<const char*> kCfop = {"cross", "F2L 1", "F2L 2", "F2L 3", "F2L 4", "OLL", "PLL"};

TEST(Splits, EachCfopStepEndsWhereItsPiecesAreSolvedOnAnyFaceDown) {
    // The cross on each face of the model in turn: held so that face is down.
    for (const char* hold : {"", "x", "x2", "x'", "z", "z'", "y x"}) {
        SCOPED_TRACE(hold);
        const Built b =
            build(hold, {kCross, kPairs[0], kPairs[1], kPairs[2], kPairs[3], kSune, kT});
        const auto splits = splitsOf(b.solve, Method::Cfop);
        ASSERT_TRUE(splits);
        expectSplits(b, *splits, kCfop);
        EXPECT_EQ(splits->back().end, b.solve.turns.size());
    }
}

// A skipped step takes no turn of the step beside it, whichever is skipped.
TEST(Splits, ASkippedStepHasNoTurnsAndNoTime) {
    struct {
        std::vector<std::string> steps;
    } cases[] = {
        {{kCross, kPairs[0], kPairs[1], kPairs[2], kPairs[3], "", kT}},     // OLL skip
        {{kCross, kPairs[0], kPairs[1], kPairs[2], kPairs[3], kSune, ""}},  // PLL skip
        {{kCross, kPairs[0], kPairs[1], kPairs[2], kPairs[3], "", ""}},     // both
        {{"", kPairs[0], kPairs[1], kPairs[2], kPairs[3], kSune, kT}},      // the cross
    };
    for (const auto& c : cases) {
        const Built b = build("", c.steps);
        const auto splits = splitsOf(b.solve, Method::Cfop);
        ASSERT_TRUE(splits);
        expectSplits(b, *splits, kCfop);
    }
}

// A turn taken back counts as a turn of the step it was made in, even one that broke the
// cross just made; a slip after a step's last turn is the next step's.
TEST(Splits, TurnsTakenBackBelongToTheStepTheyWereMadeIn) {
    const Built b =
        build("", {kCross, "D D' " + kPairs[0], "L' U' U U' L", kPairs[2], kPairs[3], kSune, kT});
    const auto splits = splitsOf(b.solve, Method::Cfop);
    ASSERT_TRUE(splits);
    expectSplits(b, *splits, kCfop);
    EXPECT_EQ((*splits)[1].turns, 5);
    EXPECT_EQ((*splits)[2].turns, 5);
}

// Roux: the first block on either side, the second opposite it, the corners by Sune, the
// last six edges by M and U.
TEST(Splits, RouxBlocksOnEitherSideThenTheCornersAndTheLastSixEdges) {
    for (const char* hold : {"", "y2", "z", "x y"}) {
        SCOPED_TRACE(hold);
        const Built b = build(
            hold, {"L2 D' B R F' U2 L D", "R U' r' U2 R' U M' U' R2", kSune, "M' U M U2 M' U M"});
        const auto splits = splitsOf(b.solve, Method::Roux);
        ASSERT_TRUE(splits);
        expectSplits(b, *splits, {"FB", "SB", "CMLL", "LSE"});
    }
}

TEST(Splits, TurnsThatDoNotSolveTheirStartHaveNone) {
    Built b = build("", {kCross, kPairs[0], kPairs[1], kPairs[2], kPairs[3], kSune, kT});
    b.solve.turns.pop_back();
    EXPECT_FALSE(splitsOf(b.solve, Method::Cfop));
    EXPECT_FALSE(splitsOf(b.solve, Method::Roux));
    b.solve.start = "nonsense";
    EXPECT_FALSE(splitsOf(b.solve, Method::Cfop));
}

// The line of a solved message: pairs as one, tenths; and each step's mean over the newest
// solves that have splits, none with fewer.
TEST(Splits, TheLineAndTheMeansOfTheNewest) {
    const Built b = build("", {kCross, kPairs[0], kPairs[1], kPairs[2], kPairs[3], kSune, kT});
    const auto splits = splitsOf(b.solve, Method::Cfop);
    ASSERT_TRUE(splits);
    // cross: 5 x 0.1 (D2 is two); F2L: pauses 0.5..0.8 and 2 x 0.1 each; OLL 0.9 + 0.7; PLL 1.0
    // + 1.4.
    EXPECT_EQ(splitsLine(*splits), "cross 0.5 \u00b7 F2L 3.4 \u00b7 OLL 1.6 \u00b7 PLL 2.4");

    std::vector<Solve> solves(5, Solve{0, 30, 8.2});
    for (Solve& s : solves) {
        s.turns = std::make_shared<const SolveTurns>(b.solve);
    }
    Built slow = build("", {kCross, kPairs[0], kPairs[1], kPairs[2], kPairs[3], kSune, kT});
    for (TimedTurn& t : slow.solve.turns) {
        t.ms *= 3;
    }
    solves[0].turns = std::make_shared<const SolveTurns>(slow.solve);  // the oldest
    solves.push_back(Solve{0, 5, 1.0});                                // none known: passed
    const auto five = meanSplits(solves, 5, Method::Cfop);
    ASSERT_TRUE(five);
    ASSERT_EQ(five->size(), 4u);
    EXPECT_STREQ((*five)[1].name, "F2L");
    // Four at 3.4, one three times slower.
    EXPECT_NEAR((*five)[1].seconds, (4 * 3.4 + 3 * 3.4) / 5, 1e-9);
    EXPECT_FALSE(meanSplits(solves, 6, Method::Cfop));
}

}  // namespace
}  // namespace gyrelle
