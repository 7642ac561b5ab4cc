// The trainer: the case it sets up is the one it names, on the face the player has up (any
// face when colour-neutral) and held every way round; its clock runs from the first turn
// to done; its figures and its draw toward the slowest; the player's algorithms.
#include "game/Trainer.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "cube/Notation.h"
#include "cube/Position.h"

namespace gyrelle {
namespace {

// The trainer's cube turned, centres and all, until the face up on its screen is the
// model's U; read then as pieces.
solver::Cubies seenFromAbove(const Game& game) {
    const int up = game.motion().faceTowards(1, 1);
    MagicCube cube = game.cube();
    auto centreOfUpAt = [&] {
        for (int slot = 0; slot < 6; ++slot) {
            if (cube.stickers()[9 * slot + 4].faceNumber == up) {
                return slot;
            }
        }
        return -1;
    };
    // x (slices 1..3) and z (7..9) bring any face to +y (slot 1).
    for (int i = 0; i < 4 && centreOfUpAt() != 1; ++i) {
        for (int j = 0; j < 4 && centreOfUpAt() != 1; ++j) {
            for (int s = 7; s <= 9; ++s) {
                cube.rotateFace(s);
            }
        }
        if (centreOfUpAt() != 1) {
            for (int s = 1; s <= 3; ++s) {
                cube.rotateFace(s);
            }
        }
    }
    EXPECT_EQ(centreOfUpAt(), 1);
    solver::Cubies c;
    EXPECT_TRUE(c.fromCode(positionCode(cube.stickers())));
    return c;
}

struct TrainerTest : ::testing::Test {
    std::mt19937 generator{7};
    std::function<std::uint32_t()> random = [this] {
        return static_cast<std::uint32_t>(generator());
    };
    TrainerRecords records;
    Game player;
};

TEST_F(TrainerTest, EachCaseSetUpIsTheOneNamedOnTheFaceThePlayerHasUp) {
    const int top = player.motion().faceTowards(1, 1);
    Trainer trainer(records, player, random);
    std::set<int> fronts, cases;
    for (int i = 0; i < 200; ++i) {
        trainer.next();
        const Game& g = trainer.game();
        EXPECT_EQ(g.motion().faceTowards(1, 1), top);
        // The face up shows the colour it had on the player's cube.
        EXPECT_EQ(g.cube().stickers()[9 * top + 4].faceNumber, top);
        EXPECT_EQ(caseOf(seenFromAbove(g), CaseKind::Permutation), trainer.caseIndex());
        fronts.insert(g.motion().faceTowards(2, 1));
        cases.insert(trainer.caseIndex());
        EXPECT_FALSE(g.solves().phase() != Solves::Phase::None) << "no solve armed";
        EXPECT_FALSE(g.history().canUndo());
    }
    EXPECT_EQ(cases.size(), 21u);
    // The cube is held every way round the face up.
    EXPECT_EQ(fronts.size(), 4u);
}

TEST_F(TrainerTest, ColourNeutralPutsTheLastLayerOnEveryColourAndBringsItUp) {
    records.colourNeutral = true;
    records.set = "oll";
    Trainer trainer(records, player, random);
    std::set<int> colours;
    for (int i = 0; i < 300; ++i) {
        trainer.next();
        const Game& g = trainer.game();
        const int up = g.motion().faceTowards(1, 1);
        colours.insert(g.cube().stickers()[9 * up + 4].faceNumber);
        EXPECT_EQ(caseOf(seenFromAbove(g), CaseKind::Orientation), trainer.caseIndex());
    }
    EXPECT_EQ(colours.size(), 6u);
}

TEST_F(TrainerTest, TheClockRunsFromTheFirstTurnToDone) {
    records.set = "oll";
    Trainer trainer(records, player, random);
    Game& g = trainer.game();
    double now = 10;
    auto frames = [&](int n) {
        for (int i = 0; i < n; ++i) {
            g.stepMotion();
            g.stepTurn(now);
            now += 0.25;
        }
    };
    frames(4);  // shown at 10, a second looked at
    EXPECT_EQ(trainer.phase(), Trainer::Phase::Shown);
    EXPECT_EQ(trainer.seconds(now), 0);
    ASSERT_TRUE(g.turn(-7));  // a turn of a slice: the clock starts at its first frame
    frames(1);
    EXPECT_EQ(trainer.phase(), Trainer::Phase::Solving);
    EXPECT_DOUBLE_EQ(trainer.recognition(), 1.0);
    frames(7);
    EXPECT_DOUBLE_EQ(trainer.seconds(now), 2.0 - 0.25 + 0.25);
    // Oriented but not permuted is done for an orientation: the Ua's state.
    MagicCube ua;
    applyMoves(ua, "R2 U R U R' U' R' U' R' U R'");
    std::string problem;
    ASSERT_TRUE(g.setPosition(positionCode(ua.stickers()), problem));
    frames(1);  // lands at 13
    ASSERT_EQ(trainer.phase(), Trainer::Phase::Done);
    EXPECT_DOUBLE_EQ(trainer.seconds(now + 5), 2.0);
    ASSERT_EQ(records.attempts.size(), 1u);
    EXPECT_EQ(records.attempts[0].caseIndex, trainer.caseIndex());
    EXPECT_EQ(records.attempts[0].ms, 2000);
    EXPECT_EQ(records.attempts[0].recognitionMs, 1000);
    // Nothing more is counted until the next case.
    ASSERT_TRUE(g.turn(1));
    frames(6);
    EXPECT_EQ(records.attempts.size(), 1u);
}

TEST_F(TrainerTest, APermutationIsDoneOnlyWhenSolved) {
    records.set = "pll";
    Trainer trainer(records, player, random);
    Game& g = trainer.game();
    auto frame = [&](double now) {
        g.stepMotion();
        g.stepTurn(now);
    };
    frame(0);
    MagicCube ua;
    applyMoves(ua, "R2 U R U R' U' R' U' R' U R'");
    std::string problem;
    ASSERT_TRUE(g.setPosition(positionCode(ua.stickers()), problem));
    frame(1);
    EXPECT_EQ(trainer.phase(), Trainer::Phase::Solving);
    MagicCube solved;
    applyMoves(solved, "U'");  // solved but for a turn of the top
    ASSERT_TRUE(g.setPosition(positionCode(solved.stickers()), problem));
    frame(2);
    EXPECT_EQ(trainer.phase(), Trainer::Phase::Done);
    EXPECT_EQ(records.attempts.size(), 1u);
}

// The angle a case is seen from is the number of turns of the top, as the player holds the
// cube, after which the case's algorithm (from the angle its pieces are written at) orients
// the last layer; from any other angle an asymmetric case's algorithm does not.
TEST_F(TrainerTest, TheAngleACaseIsSeenFromIsTheTurnsOfTheTopItsAlgorithmWants) {
    records.set = "oll2";
    records.colourNeutral = true;
    const std::map<std::string, std::string> algorithms = {
        {"20", "r U R' U' M2 U R U' R' U' M'"}, {"28", "r U R' U' M U R U' R'"},
        {"57", "R U R' U' M' U R U' r'"},       {"21", "R U2 R' U' R U R' U' R U' R'"},
        {"22", "R U2 R2 U' R2 U' R2 U2 R"},     {"23", "R2 D' R U2 R' D R U2 R"},
        {"24", "r U R' U' r' F R F'"},          {"25", "F' r U R' U' r' F R"},
        {"26", "R U2 R' U' R U' R'"},           {"27", "R U R' U R U2 R'"}};
    Trainer trainer(records, player, random);
    std::set<int> angles;
    for (int i = 0; i < 120; ++i) {
        trainer.next();
        const Game& g = trainer.game();
        const int up = g.motion().faceTowards(1, 1), front = g.motion().faceTowards(2, 1);
        // Whole-cube turns that rename the faces as the player holds the cube.
        std::string hold;
        const char* tokens[] = {"", "x", "y", "z", "x'", "y'", "z'"};
        for (const char* a : tokens) {
            for (const char* b : tokens) {
                for (const char* c : tokens) {
                    Reading r;
                    int codes[4];
                    for (const char* t : {a, b, c}) {
                        r.codes(t, codes);
                    }
                    if (hold.empty() && r.slotAt(0) == up && r.slotAt(2) == front) {
                        hold = std::string(a) + " " + b + " " + c + " ";
                    }
                }
            }
        }
        ASSERT_FALSE(hold.empty());
        auto orients = [&](int turns) {
            MagicCube cube = g.cube();
            std::string moves = hold;
            for (int t = 0; t < turns; ++t) {
                moves += "U ";
            }
            EXPECT_TRUE(applyMoves(
                cube, moves + algorithms.at(lastLayerCases()[trainer.caseIndex()].name)));
            for (int k = 0; k < 9; ++k) {
                if (cube.stickers()[9 * up + k].faceNumber !=
                    cube.stickers()[9 * up + 4].faceNumber) {
                    return false;
                }
            }
            return true;
        };
        const int angle = trainer.angle();
        EXPECT_TRUE(orients(angle)) << lastLayerCases()[trainer.caseIndex()].name << " " << angle;
        if (lastLayerCases()[trainer.caseIndex()].name == std::string("27")) {
            for (int other = 1; other < 4; ++other) {
                EXPECT_FALSE(orients((angle + other) % 4));
            }
            angles.insert(angle);
        }
    }
    EXPECT_EQ(angles.size(), 4u) << "the Sune seen from every angle";
}

TEST_F(TrainerTest, FiguresOfACase) {
    const int t = caseNamed("T"), y = caseNamed("Y");
    const int times[] = {3000, 2000, 4000, 1000, 5000, 6000};
    for (int i = 0; i < 6; ++i) {
        records.add({t, times[i], 500 + 100 * i, i, i % 4});
        records.add({y, 9000, 0, i});  // another case's: never counted in T's
    }
    const CaseStats s = caseStats(records, t);
    EXPECT_EQ(s.count, 6);
    EXPECT_DOUBLE_EQ(s.mean, 3.5);
    EXPECT_DOUBLE_EQ(s.best, 1.0);
    EXPECT_DOUBLE_EQ(s.recognition, 0.75);
    EXPECT_EQ(s.lastFive, (std::vector<double>{6, 5, 1, 4, 2}));
    // Seen from angles 0 1 2 3 0 1: 3 and 5 s, 2 and 6, 4, 1.
    EXPECT_EQ(std::vector<int>(s.byAngle, s.byAngle + 4), (std::vector<int>{2, 2, 1, 1}));
    EXPECT_EQ(std::vector<double>(s.meanByAngle, s.meanByAngle + 4),
              (std::vector<double>{4, 4, 4, 1}));
    EXPECT_EQ(caseStats(records, caseNamed("Z")).count, 0);
}

TEST_F(TrainerTest, TheOldestAttemptGivesWayPastTheMost) {
    for (size_t i = 0; i < TrainerRecords::kMostAttempts; ++i) {
        records.add({0, 1000, 0, static_cast<std::int64_t>(i)});
    }
    EXPECT_EQ(records.attempts.size(), 100000u);
    EXPECT_EQ(records.attempts.front().when, 0);
    records.add({0, 1000, 0, -1});
    EXPECT_EQ(records.attempts.size(), 100000u);
    EXPECT_EQ(records.attempts.front().when, 1);
    EXPECT_EQ(records.attempts.back().when, -1);
}

// The slowest drawn the most: T's newest five take 5 s, the others 1 s, so T has half the
// weight of the six cases; drawn at random, each has a sixth.
TEST_F(TrainerTest, SlowestFirstDrawsTheSlowCasesMoreOften) {
    records.set = "pll2";
    for (int i : casesOfSet(records.setRow())) {
        for (int k = 0; k < 5; ++k) {
            records.add({i, i == caseNamed("T") ? 5000 : 1000, 0, k});
        }
        records.add({i, 60000, 0, -1});  // older than the newest five: not looked at
        std::rotate(records.attempts.begin(), records.attempts.end() - 1, records.attempts.end());
    }
    for (bool slowest : {true, false}) {
        records.slowestFirst = slowest;
        Trainer trainer(records, player, random);
        std::map<int, int> drawn;
        const int n = 6000;
        for (int i = 0; i < n; ++i) {
            trainer.next();
            ++drawn[trainer.caseIndex()];
        }
        EXPECT_EQ(drawn.size(), 6u);
        for (auto [index, count] : drawn) {
            const double want = !slowest ? 1.0 / 6 : index == caseNamed("T") ? 0.5 : 0.1;
            EXPECT_NEAR(count / double(n), want, 0.03) << lastLayerCases()[index].name;
        }
    }
}

TEST_F(TrainerTest, ACaseNotTrainedYetComesAsOftenAsTheSlowest) {
    records.set = "pll2";
    records.slowestFirst = true;
    for (int i : casesOfSet(records.setRow())) {
        if (i != caseNamed("Z")) {
            records.add({i, i == caseNamed("H") ? 4000 : 1000, 0, 0});
        }
    }
    Trainer trainer(records, player, random);
    std::map<int, int> drawn;
    for (int i = 0; i < 6000; ++i) {
        trainer.next();
        ++drawn[trainer.caseIndex()];
    }
    // Weights 1 1 1 1 4 4: H and the untrained Z a third each.
    EXPECT_NEAR(drawn[caseNamed("Z")] / 6000.0, 1.0 / 3, 0.03);
    EXPECT_NEAR(drawn[caseNamed("H")] / 6000.0, 1.0 / 3, 0.03);
}

TEST_F(TrainerTest, AnAlgorithmIsKeptOnlyWhenItSolvesItsCase) {
    Trainer trainer(records, player, random);
    std::string problem;
    const int t = caseNamed("T");
    EXPECT_FALSE(trainer.setAlgorithm(t, "R U R' U'", problem));
    EXPECT_EQ(problem, "These moves do not solve the T perm: R U R' U'");
    EXPECT_TRUE(records.algorithms.empty());
    const unsigned long before = records.revision;
    EXPECT_TRUE(trainer.setAlgorithm(t, "R U R' U' R' F R2 U' R' U' R U R' F'", problem));
    EXPECT_EQ(records.algorithms.at(t), "R U R' U' R' F R2 U' R' U' R U R' F'");
    EXPECT_GT(records.revision, before);
    EXPECT_TRUE(trainer.setAlgorithm(t, " ", problem));  // forgotten
    EXPECT_TRUE(records.algorithms.empty());
}

}  // namespace
}  // namespace gyrelle
