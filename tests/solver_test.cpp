// The two-phase solver: the cube as its pieces against the sticker model, the
// coordinates, the tables, and solutions checked by turning the model with them.
#include "solver/Solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "solver/Symmetry.h"

namespace gyrelle::testing {
namespace {

using solver::Cubies;

// The face slots of the model for U R F D L B, and whether a solver turn of power p (1, 2,
// 3) is a quarter turn one way or the other in the model.
constexpr int kSlotOf[6] = {1, 5, 0, 3, 4, 2};

// The model turned by solver turn `t`.
void turnModel(MagicCube& cube, int t) {
    const int code = faceTurn(kSlotOf[t / 3], t % 3 == 2);
    for (int q = 0; q < (t % 3 == 1 ? 2 : 1); ++q) {
        ASSERT_TRUE(cube.rotateFace(code));
    }
}

Cubies cubiesOf(const MagicCube& cube) {
    Cubies c;
    EXPECT_TRUE(c.fromCode(positionCode(cube.stickers())));
    return c;
}

// Each of the 18 turns moves the pieces as turning the sticker model moves them, alone and
// in a long random sequence: a wrong entry of a turn's table shows.
TEST(Cubies, EveryTurnMovesThePiecesAsTheModelDoes) {
    for (int t = 0; t < solver::kFaceTurns; ++t) {
        MagicCube cube;
        turnModel(cube, t);
        EXPECT_TRUE(cubiesOf(cube) == solver::faceTurn(t)) << solver::turnName(t);
    }
    std::mt19937 rng(7);
    MagicCube cube;
    Cubies c;
    for (int i = 0; i < 300; ++i) {
        const int t = static_cast<int>(rng() % 18);
        turnModel(cube, t);
        c = c.times(solver::faceTurn(t));
        ASSERT_EQ(c.code(), positionCode(cube.stickers())) << "after turn " << i;
    }
    EXPECT_TRUE(c.times(c.inverse()) == Cubies());
}

// A code that is no position is refused: a corner twisted, an edge flipped, two pieces
// swapped (the parity), a piece twice.
TEST(Cubies, OnlyReachablePositionsAreRead) {
    const std::string solved = Cubies().code();
    EXPECT_EQ(solved, "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB");
    std::string twisted = solved;  // URF turned in place: U R F facelets 8, 9, 20
    twisted[8] = 'F', twisted[9] = 'U', twisted[20] = 'R';
    std::string flipped = solved;  // UR: facelets 5 and 10
    flipped[5] = 'R', flipped[10] = 'U';
    std::string swapped = solved;  // UR and UF exchanged: 5/10 and 7/19
    swapped[5] = 'U', swapped[10] = 'F', swapped[7] = 'U', swapped[19] = 'R';
    for (const std::string& bad : {twisted, flipped, swapped, std::string(54, 'U')}) {
        Cubies c;
        EXPECT_FALSE(c.fromCode(bad)) << bad;
    }
}

TEST(Cubies, EveryCoordinateReadsBackAsItWasSet) {
    for (int v = 0; v < 2187; ++v) {
        Cubies c;
        c.setTwist(v);
        ASSERT_EQ(c.twist(), v);
    }
    for (int v = 0; v < 2048; ++v) {
        Cubies c;
        c.setFlip(v);
        ASSERT_EQ(c.flip(), v);
    }
    for (int v = 0; v < 11880; ++v) {
        Cubies c;
        c.setSliceSorted(v);
        ASSERT_EQ(c.sliceSorted(), v);
        ASSERT_EQ(c.slice(), v / 24);
    }
    for (int v = 0; v < 40320; ++v) {
        Cubies c;
        c.setCornerPerm(v);
        c.setUdEdgePerm(v);
        ASSERT_EQ(c.cornerPerm(), v);
        ASSERT_EQ(c.udEdgePerm(), v);
    }
    const Cubies solved;
    EXPECT_EQ(solved.twist() + solved.flip() + solved.sliceSorted() + solved.cornerPerm() +
                  solved.udEdgePerm(),
              0);
}

const solver::Tables& tables() {
    static solver::Tables t;
    while (!t.build(10)) {
    }
    return t;
}

// A cube `n` random turns from solved (no turn of a face right after the same face).
Cubies turnedRandomly(std::mt19937& rng, int n, const std::vector<int>& from = {}) {
    Cubies c;
    int last = -1;
    for (int i = 0; i < n; ++i) {
        int t;
        do {
            t = from.empty() ? static_cast<int>(rng() % 18) : from[rng() % from.size()];
        } while (t / 3 == last);
        last = t / 3;
        c = c.times(solver::faceTurn(t));
    }
    return c;
}

// The symmetries, as the cube turned in the hand: a quarter turn about U-D (the front going
// to the left) puts the back where the right was, so R seen through it is B; a half turn
// about F-B swaps U and D, and R and L.
TEST(Symmetry, EachTurnsTheFacesAsTheWholeCubeTurns) {
    namespace sym = solver::symmetry;
    auto turn = [](int s, const char* name) {
        for (int t = 0; t < solver::kFaceTurns; ++t) {
            if (solver::turnName(t) == name) {
                return solver::turnName(sym::turn(s, t));
            }
        }
        return std::string("?");
    };
    EXPECT_EQ(turn(1, "R"), "B");
    EXPECT_EQ(turn(1, "F"), "R");
    EXPECT_EQ(turn(1, "U'"), "U'");
    EXPECT_EQ(turn(2, "R2"), "L2");
    EXPECT_EQ(turn(4, "U"), "D");
    EXPECT_EQ(turn(4, "R'"), "L'");
    EXPECT_EQ(turn(4, "F"), "F");
    for (int s = 0; s < sym::kCount; ++s) {
        EXPECT_TRUE(sym::cube(s).times(sym::cube(sym::inverse(s))) == Cubies()) << s;
    }
}

// The move tables say what turning the pieces says. A phase-2 permutation followed as its
// class and symmetry stays what the turned cube is: seen through that symmetry, the cube's
// permutation is its class's first.
TEST(Tables, MoveAsThePiecesMove) {
    const solver::Tables& t = tables();
    // With phase 2's larger tables, kept whole too, as the desktop keeps them (the page's, 3.4 MB,
    // are measured by its bench).
    EXPECT_LE(t.bytes(), 15u << 20);
    std::mt19937 rng(11);
    for (int k = 0; k < 2000; ++k) {
        const Cubies c = turnedRandomly(rng, 25);
        const int turn = static_cast<int>(rng() % 18);
        const Cubies d = c.times(solver::faceTurn(turn));
        ASSERT_EQ(t.moves().twistMove(c.twist(), turn), d.twist());
        ASSERT_EQ(t.moves().flipMove(c.flip(), turn), d.flip());
        ASSERT_EQ(t.moves().sliceMove(c.slice(), turn), d.slice());
        const solver::Phase1Coordinates at{c.twist(), c.flip(), c.slice()};
        const solver::Phase1Coordinates next = at.apply(turn, t.moves());
        ASSERT_TRUE(next.twist == d.twist() && next.flip == d.flip() && next.slice == d.slice());
        ASSERT_EQ(next.home(), d.twist() + d.flip() + d.slice() == 0);
    }
    using T = solver::MoveTables;
    const std::vector<int> phase2(T::kPhase2Turn, T::kPhase2Turn + T::kPhase2Turns);
    auto seen = [](const Cubies& c, int s) {
        namespace sym = solver::symmetry;
        return sym::cube(s).times(c).times(sym::cube(sym::inverse(s)));
    };
    for (int k = 0; k < 200; ++k) {
        Cubies c = turnedRandomly(rng, 5, phase2);
        int corners = t.classes().cornerSym(c.cornerPerm()),
            edges = t.classes().edgeSym(c.udEdgePerm());
        for (int step = 0; step < 20; ++step) {
            const int p = static_cast<int>(rng() % T::kPhase2Turns);
            const int order = c.sliceSorted() % 24, comb = T::upComb(c), corners4 = T::upCorners(c);
            c = c.times(solver::faceTurn(phase2[p]));
            ASSERT_EQ(t.moves().sliceOrderMove(order, p), c.sliceSorted() % 24);
            ASSERT_EQ(t.moves().upCombMove(comb, p), T::upComb(c));
            ASSERT_EQ(t.moves().orderCombMove(order * T::kUpCombs + comb, p),
                      c.sliceSorted() % 24 * T::kUpCombs + T::upComb(c));
            ASSERT_EQ(t.moves().upCornersMove(corners4, p), T::upCorners(c));
            ASSERT_EQ(t.moves().orderCornersMove(order * T::kUpCombs + corners4, p),
                      c.sliceSorted() % 24 * T::kUpCombs + T::upCorners(c));
            for (int* x : {&corners, &edges}) {
                const bool isCorners = x == &corners;
                *x = isCorners ? t.classes().cornerSymMove(*x, p) : t.classes().edgeSymMove(*x, p);
                const Cubies first = seen(c, *x & 7);
                ASSERT_EQ(isCorners ? t.classes().cornerSym(first.cornerPerm())
                                    : t.classes().edgeSym(first.udEdgePerm()),
                          *x & ~7)
                    << (isCorners ? "corners" : "edges") << " after " << step;
            }
            const Cubies first = seen(c, corners & 7);
            ASSERT_EQ(t.classes().sliceOrderSeen(c.sliceSorted() % 24, corners & 7),
                      first.sliceSorted() % 24);
            ASSERT_EQ(t.classes().upCombSeen(T::upComb(c), corners & 7), T::upComb(first));
            ASSERT_EQ(t.classes().orderCombSeen(c.sliceSorted() % 24 * T::kUpCombs + T::upComb(c),
                                                corners & 7),
                      first.sliceSorted() % 24 * T::kUpCombs + T::upComb(first));
            const Cubies edgesFirst = seen(c, edges & 7);
            ASSERT_EQ(t.classes().upCornersSeen(T::upCorners(c), edges & 7),
                      T::upCorners(edgesFirst));
            ASSERT_EQ(t.classes().orderCornersSeen(
                          c.sliceSorted() % 24 * T::kUpCombs + T::upCorners(c), edges & 7),
                      edgesFirst.sliceSorted() % 24 * T::kUpCombs + T::upCorners(edgesFirst));
        }
    }
}

// The depths, against a plain search over every pair with no symmetry: (twist, flip) by
// the move tables (checked above), (corner permutation, slice order) and (edge
// permutation, slice order) by turning pieces. Each depth is exact; so are one turn's.
// The corners with the slice order and the U edges' places, and the edges with the slice
// order and the U corners' places, too many pairs for a plain search here, are held to
// what makes a depth the fewest turns home: 0 only at home, and elsewhere one more than
// the nearest of the pairs one turn away, none of which is further than one more; and no
// less than the plain search's depth of the pair they hold.
TEST(Tables, EveryDepthIsTheFewestTurnsHome) {
    const solver::Tables& t = tables();
    using T = solver::MoveTables;
    using P = solver::PruningTables;
    auto fewest = [](int size, int turns, auto&& next) {
        std::vector<std::uint8_t> depth(size, 255);
        std::vector<int> queue{0};
        depth[0] = 0;
        for (size_t h = 0; h < queue.size(); ++h) {
            for (int u = 0; u < turns; ++u) {
                const int j = next(queue[h], u);
                if (depth[j] == 255) {
                    depth[j] = static_cast<std::uint8_t>(depth[queue[h]] + 1);
                    queue.push_back(j);
                }
            }
        }
        return depth;
    };
    const std::vector<std::uint8_t> twistFlip =
        fewest(T::kTwists * T::kFlips, 18, [&](int i, int u) {
            return t.moves().twistMove(i / T::kFlips, u) * T::kFlips +
                   t.moves().flipMove(i % T::kFlips, u);
        });
    std::vector<int> cornerMove(T::kPerms * T::kPhase2Turns);
    for (int v = 0; v < T::kPerms; ++v) {
        Cubies c;
        c.setCornerPerm(v);
        for (int p = 0; p < T::kPhase2Turns; ++p) {
            cornerMove[v * T::kPhase2Turns + p] =
                c.times(solver::faceTurn(T::kPhase2Turn[p])).cornerPerm();
        }
    }
    const std::vector<std::uint8_t> cornerOrder =
        fewest(T::kPerms * 24, T::kPhase2Turns, [&](int i, int p) {
            return cornerMove[i / 24 * T::kPhase2Turns + p] * 24 +
                   t.moves().sliceOrderMove(i % 24, p);
        });
    std::mt19937 rng(13);
    for (int k = 0; k < 20000; ++k) {
        const int twist = static_cast<int>(rng() % T::kTwists),
                  flip = static_cast<int>(rng() % T::kFlips);
        const int f = t.classes().flipSym(flip);
        ASSERT_EQ(t.pruning().depth(P::TwistFlip, f >> 3, t.classes().twistSeen(twist, f & 7)),
                  twistFlip[twist * T::kFlips + flip]);
        const int perm = static_cast<int>(rng() % T::kPerms), order = static_cast<int>(rng() % 24);
        const int comb = static_cast<int>(rng() % T::kUpCombs);
        auto depthOf = [&](int cornerPerm, int orderComb) {
            const int c = t.classes().cornerSym(cornerPerm);
            const int seen = t.classes().orderCombSeen(orderComb, c & 7);
            const int walked = t.pruning().depth(P::CornerOrderComb, c >> 3, seen);
            EXPECT_EQ(t.pruning().startDepth(P::CornerOrderComb, c >> 3, seen), walked);
            return walked;
        };
        const int d = depthOf(perm, order * T::kUpCombs + comb);
        ASSERT_GE(d, cornerOrder[perm * 24 + order]);
        ASSERT_EQ(d == 0, perm == 0 && order == 0 && comb == 0);
        int nearest = 99;
        for (int p = 0; p < T::kPhase2Turns; ++p) {
            const int next = depthOf(
                cornerMove[perm * T::kPhase2Turns + p],
                t.moves().sliceOrderMove(order, p) * T::kUpCombs + t.moves().upCombMove(comb, p));
            ASSERT_LE(next, d + 1);
            nearest = std::min(nearest, next);
        }
        if (d > 0) {
            ASSERT_EQ(nearest, d - 1) << perm << " " << order << " " << comb;
        }
    }
    // The U and D edges with the slice order and the U corners' places, alike: above a
    // plain search of (edges, slice order), and the fewest turns home among themselves.
    std::vector<int> edgeMove(T::kPerms * T::kPhase2Turns);
    for (int v = 0; v < T::kPerms; ++v) {
        Cubies c;
        c.setUdEdgePerm(v);
        for (int p = 0; p < T::kPhase2Turns; ++p) {
            edgeMove[v * T::kPhase2Turns + p] =
                c.times(solver::faceTurn(T::kPhase2Turn[p])).udEdgePerm();
        }
    }
    const std::vector<std::uint8_t> edgeOrder =
        fewest(T::kPerms * 24, T::kPhase2Turns, [&](int i, int p) {
            return edgeMove[i / 24 * T::kPhase2Turns + p] * 24 +
                   t.moves().sliceOrderMove(i % 24, p);
        });
    for (int k = 0; k < 20000; ++k) {
        const int perm = static_cast<int>(rng() % T::kPerms), order = static_cast<int>(rng() % 24);
        const int comb = static_cast<int>(rng() % T::kUpCombs);
        auto depthOf = [&](int edgePerm, int orderCorners) {
            const int e = t.classes().edgeSym(edgePerm);
            const int seen = t.classes().orderCornersSeen(orderCorners, e & 7);
            const int walked = t.pruning().depth(P::EdgeOrder, e >> 3, seen);
            EXPECT_EQ(t.pruning().startDepth(P::EdgeOrder, e >> 3, seen), walked);
            return walked;
        };
        const int d = depthOf(perm, order * T::kUpCombs + comb);
        ASSERT_GE(d, edgeOrder[perm * 24 + order]);
        ASSERT_EQ(d == 0, perm == 0 && order == 0 && comb == 0);
        int nearest = 99;
        for (int p = 0; p < T::kPhase2Turns; ++p) {
            const int next = depthOf(edgeMove[perm * T::kPhase2Turns + p],
                                     t.moves().sliceOrderMove(order, p) * T::kUpCombs +
                                         t.moves().upCornersMove(comb, p));
            ASSERT_LE(next, d + 1);
            nearest = std::min(nearest, next);
        }
        if (d > 0) {
            ASSERT_EQ(nearest, d - 1) << perm << " " << order << " " << comb;
        }
    }
    for (int turn = 0; turn < 18; ++turn) {  // R: its corners twisted, its edges moved
        const Cubies c = solver::faceTurn(turn);
        const bool phase1 = turn / 3 != 0 && turn / 3 != 3 && turn % 3 != 1;
        const int slice = t.classes().sliceSym(c.slice()), flip = t.classes().flipSym(c.flip());
        EXPECT_EQ(std::max({t.pruning().depth(P::TwistSlice, slice >> 3,
                                              t.classes().twistSeen(c.twist(), slice & 7)),
                            t.pruning().depth(P::FlipSlice, flip >> 3,
                                              t.classes().sliceSeen(c.slice(), flip & 7)),
                            t.pruning().depth(P::TwistFlip, flip >> 3,
                                              t.classes().twistSeen(c.twist(), flip & 7))}),
                  phase1 ? 1 : 0)
            << solver::turnName(turn);
        if (!phase1) {
            const int corners = t.classes().cornerSym(c.cornerPerm()),
                      edges = t.classes().edgeSym(c.udEdgePerm());
            const int order = c.sliceSorted() % 24;
            const int orderComb = order * T::kUpCombs + T::upComb(c);
            const int orderCorners = order * T::kUpCombs + T::upCorners(c);
            EXPECT_EQ(
                std::max(t.pruning().depth(P::EdgeOrder, edges >> 3,
                                           t.classes().orderCornersSeen(orderCorners, edges & 7)),
                         t.pruning().depth(P::CornerOrderComb, corners >> 3,
                                           t.classes().orderCombSeen(orderComb, corners & 7))),
                1)
                << solver::turnName(turn);
        }
    }
}

// Every answer turns the model solved, in at most 21 turns (half turns count one).
void expectSolves(solver::Solver& s, const Cubies& c, int most = 21) {
    const std::optional<solver::Turns> turns = s.solve(c);
    ASSERT_TRUE(turns.has_value()) << c.code();
    EXPECT_LE(static_cast<int>(turns->size()), most) << c.code();
    MagicCube cube;
    MagicCube::Stickers stickers;
    std::string problem;
    ASSERT_TRUE(stickersOfCode(c.code(), stickers, problem)) << problem;
    cube.setStickers(stickers);
    for (int t : *turns) {
        turnModel(cube, t);
    }
    EXPECT_TRUE(cube.isSolved()) << c.code() << ": " << solver::notation(*turns);
}

TEST(Solver, SolvesEveryPositionWithinTwentyOneTurns) {
    solver::Solver s(tables());
    EXPECT_EQ(s.solve(Cubies())->size(), 0u);  // the solved cube answers nothing
    for (int t = 0; t < 18; ++t) {
        const std::optional<solver::Turns> one = s.solve(solver::faceTurn(t));
        ASSERT_EQ(one->size(), 1u) << solver::turnName(t);
        EXPECT_EQ((*one)[0], solver::inverse({t})[0]);
    }
    std::mt19937 rng(2026);
    for (int k = 0; k < 60; ++k) {  // random states, every coordinate drawn
        Cubies c;
        c.setCornerPerm(static_cast<int>(rng() % 40320));
        int ep[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        std::shuffle(ep, ep + 12, rng);
        for (int i = 0; i < 12; ++i) {
            c.ep[i] = static_cast<std::uint8_t>(ep[i]);
        }
        c.setTwist(static_cast<int>(rng() % 2187));
        c.setFlip(static_cast<int>(rng() % 2048));
        std::string code = c.code();
        if (!Cubies().fromCode(code)) {  // the other parity: two edges swapped back
            std::swap(c.ep[10], c.ep[11]);
            code = c.code();
        }
        expectSolves(s, c);
    }
    for (int k = 0; k < 20; ++k) {
        expectSolves(s, turnedRandomly(rng, 1 + k));
    }
    // Well-known hard positions: the superflip (20 turns at best), the superflip with the
    // four-spot, and the checkerboard.
    Cubies superflip;
    superflip.setFlip(2047);
    expectSolves(s, superflip);
    Cubies checker;
    for (int t : {1, 4, 7, 10, 13, 16}) {  // U2 R2 F2 D2 L2 B2
        checker = checker.times(solver::faceTurn(t));
    }
    expectSolves(s, checker);
    const std::optional<solver::Turns> fromChecker = s.solve(checker);
    EXPECT_LE(fromChecker->size(), 6u);
    Cubies flipSpot = superflip;
    for (int t : {1, 10, 4, 13}) {  // U2 D2 R2 L2
        flipSpot = flipSpot.times(solver::faceTurn(t));
    }
    expectSolves(s, flipSpot);
}

// A bound is a bound exactly: a position whose shortest solution has as many turns as the
// bound is solved within it, and with one turn less there is none. The checkerboard (U2
// R2 F2 D2 L2 B2) takes six turns at best, all in phase 2; R U F three, from phase 1.
TEST(Solver, AnAnswerAsLongAsItsBoundIsFoundAndOneTurnLessIsNot) {
    solver::Solver s(tables());
    Cubies checker, ruf;
    for (int t : {1, 4, 7, 10, 13, 16}) {
        checker = checker.times(solver::faceTurn(t));
    }
    for (int t : {3, 0, 6}) {  // R U F
        ruf = ruf.times(solver::faceTurn(t));
    }
    for (const auto& [cube, least] : {std::pair{checker, 6}, std::pair{ruf, 3}}) {
        const std::optional<solver::Turns> at = s.solve(cube, least);
        ASSERT_TRUE(at.has_value()) << least;
        EXPECT_EQ(at->size(), static_cast<size_t>(least));
        expectSolves(s, cube);
        EXPECT_FALSE(s.solve(cube, least - 1).has_value()) << least;
        EXPECT_FALSE(s.solve(cube, least - 1, true).has_value()) << least;
    }
}

// The fewest turns that solve `cube`, up to seven, by brute force: every position four
// turns from solved, met from every one three turns from the cube (-1 beyond seven).
int fewestTurns(const Cubies& cube) {
    auto key = [](const Cubies& c) {
        return std::string(reinterpret_cast<const char*>(&c), sizeof c);
    };
    auto spread = [&](const Cubies& from, int most) {
        std::unordered_map<std::string, int> depth{{key(from), 0}};
        std::vector<Cubies> layer{from};
        for (int d = 1; d <= most; ++d) {
            std::vector<Cubies> next;
            for (const Cubies& c : layer) {
                for (int t = 0; t < 18; ++t) {
                    const Cubies n = c.times(solver::faceTurn(t));
                    if (depth.emplace(key(n), d).second) {
                        next.push_back(n);
                    }
                }
            }
            layer = std::move(next);
        }
        return depth;
    };
    static const std::unordered_map<std::string, int> home = spread(Cubies(), 4);
    int fewest = -1;
    for (const auto& [k, d] : spread(cube, 3)) {
        const auto it = home.find(k);
        if (it != home.end() && (fewest < 0 || d + it->second < fewest)) {
            fewest = d + it->second;
        }
    }
    return fewest;
}

// A cube a turn of the whole cube leaves as it is is searched only once for each of the
// paths the turn makes of each other; none is lost. Positions built to be left as they
// are by a half turn about R-L (of R, L and the pairs U2 D2, F2 B2 only), each solved
// within its fewest turns, found by brute force, and not within one less.
TEST(Solver, ASymmetricCubeIsSolvedWithinItsFewestTurns) {
    solver::Solver s(tables());
    std::mt19937 rng(21);
    const std::vector<std::vector<int>> pieces = {{3},  {5},  {4},     {12},
                                                  {14}, {13}, {1, 10}, {7, 16}};
    namespace sym = solver::symmetry;
    int tried = 0;
    for (int k = 0; tried < 12; ++k) {
        Cubies c;
        for (int n = 0; n < 3 + k % 4; ++n) {
            for (int t : pieces[rng() % pieces.size()]) {
                c = c.times(solver::faceTurn(t));
            }
        }
        bool symmetric = false;
        for (int k2 = 1; k2 < sym::kCount; ++k2) {
            symmetric = symmetric || sym::cube(k2).times(c).times(sym::cube(sym::inverse(k2))) == c;
        }
        ASSERT_TRUE(symmetric);
        const int least = fewestTurns(c);
        if (least <= 0) {
            continue;
        }
        ++tried;
        const std::optional<solver::Turns> at = s.solve(c, least);
        ASSERT_TRUE(at.has_value()) << least << " " << c.code();
        EXPECT_EQ(at->size(), static_cast<size_t>(least));
        EXPECT_FALSE(s.solve(c, least - 1).has_value()) << least << " " << c.code();
    }
}

// Looking on for shorter (from the phase-1 path the first was found on) answers no
// longer than the first, and still solves the cube.
TEST(Solver, AShorterAnswerStillSolvesTheCube) {
    solver::Solver s(tables());
    std::mt19937 rng(8);
    for (int k = 0; k < 20; ++k) {
        const Cubies c = turnedRandomly(rng, 40);
        const std::size_t first = s.solve(c)->size();
        const std::optional<solver::Turns> turns = s.solve(c, solver::Solver::kMostTurns, true);
        ASSERT_TRUE(turns.has_value());
        EXPECT_LE(turns->size(), first);
        Cubies after = c;
        for (int t : *turns) {
            after = after.times(solver::faceTurn(t));
        }
        EXPECT_TRUE(after == Cubies()) << c.code() << ": " << solver::notation(*turns);
    }
}

// A slice at a time, the search answers as it does at once, and stops at each slice.
TEST(Solver, ASliceAtATimeAnswersAsAtOnce) {
    solver::Solver whole(tables()), sliced(tables());
    std::mt19937 rng(5);
    for (int k = 0; k < 5; ++k) {
        const Cubies c = turnedRandomly(rng, 30);
        sliced.start(c);
        int slices = 1;
        while (!sliced.work(50)) {
            ++slices;
        }
        EXPECT_GT(slices, 2);
        ASSERT_TRUE(sliced.answer().has_value());
        EXPECT_EQ(solver::notation(*sliced.answer()), solver::notation(*whole.solve(c)));
    }
}

// A slice's work is bounded on the hardest positions too: the superflip, and the superflip
// after R (a hint there once froze the picture for a second and more), each slice within
// its nodes but for the one phase-2 search it ends in, counted in both phases.
TEST(Solver, ASliceOfAHardPositionStaysASlice) {
    const Cubies superflip = [] {
        Cubies c;
        EXPECT_TRUE(c.fromCode("UBULURUFURURFRBRDRFUFLFRFDFDFDLDRDBDLULBLFLDLBUBRBLBDB"));
        return c;
    }();
    for (const Cubies& c : {superflip, superflip.times(solver::faceTurn(3))}) {
        solver::Solver s(tables());
        s.start(c);
        std::int64_t most = 0;
        for (std::int64_t before = 0;; before = s.nodes()) {
            const bool done = s.work(50000);
            most = std::max(most, s.nodes() - before);
            if (done) {
                break;
            }
        }
        ASSERT_TRUE(s.answer().has_value());
        EXPECT_LE(most, 2 * 50000) << "nodes in one slice";
    }
}

TEST(Solver, TurnsReadAsCubeNotationAndTurnBack) {
    const solver::Turns turns = {3, 1, 8, 11};
    EXPECT_EQ(solver::notation(turns), "R U2 F' D'");
    EXPECT_EQ(solver::notation(solver::inverse(turns)), "D F U2 R'");
    EXPECT_EQ(solver::notation({}), "");
    Cubies c;
    for (int t : turns) {
        c = c.times(solver::faceTurn(t));
    }
    for (int t : solver::inverse(turns)) {
        c = c.times(solver::faceTurn(t));
    }
    EXPECT_TRUE(c == Cubies());
}

}  // namespace
}  // namespace gyrelle::testing
