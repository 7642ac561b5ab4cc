#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "solver/Cubies.h"
#include "solver/Phase1Depths.h"
#include "solver/Tables.h"

namespace gyrelle::solver {

// Face turns as the solver answers them: 0..17, as faceTurn numbers them.
using Turns = std::vector<int>;

// The two-phase method: phase 1 brings the cube into <U, D, R2, L2, F2, B2> by iterative
// deepening on the corner twists, the edge flips and the middle-layer edges' places;
// phase 2 solves it there, on the permutations. Phase-1 solutions are tried shortest
// first, each followed by the shortest phase 2 that keeps the whole within the bound and
// takes at most 11 turns (more only if no solution has so short a phase 2).
//
// Six ways to look at one cube are searched side by side: as it is, and seen turned about
// its URF-DBL diagonal once and twice, each also taken backwards (its inverse); a way that
// a turn of the whole cube makes of an earlier one is not searched again. The first that
// leads to a whole solution within the bound answers; when asked, a shorter one is then
// looked for until the search has taken kShortening seconds in all.
//
// The search can be done a slice at a time (start, then work until it says it is done),
// so that a page need not stop drawing while it thinks.
class Solver {
  public:
    // Within 21 turns every position has a solution this method finds.
    static constexpr int kMostTurns = 21;
    // The search's own time (not the frames between its slices) a shorter solution is
    // looked for within, from the start: long enough for 20 turns or fewer on nearly
    // every position, short enough not to keep a hint waiting. As WebAssembly the same
    // search takes 1.5 to 2 times as long: in a page, 80 ms (75 gave 99.1 % within 20
    // turns, too near the 99 % it is for).
#ifdef __EMSCRIPTEN__
    static constexpr double kShortening = 0.08;
#else
    static constexpr double kShortening = 0.05;
#endif

    // `tables` must be built; `depths`, where there are any, built on them.
    explicit Solver(const Tables& tables, const Phase1Depths* depths = nullptr)
        : t_(tables), givenDepths_(depths) {}
    // Phase 1's whole depths, from the next start on: the same answers, found sooner.
    void setDepths(const Phase1Depths* depths) {
        givenDepths_ = depths;
    }

    // Turns (half turns count one) that solve `cube`, at most `most` of them; none for the
    // solved cube. Nothing only when no solution so short was found. With `shorten`, a
    // shorter one is looked for after the first.
    std::optional<Turns> solve(const Cubies& cube, int most = kMostTurns, bool shorten = false);

    // The same, a slice at a time: start, then work for about `nodes` nodes at a time
    // until it returns true; then answer() holds what solve would have returned (what
    // shorter one it finds depends on the time it is given).
    void start(const Cubies& cube, int most = kMostTurns, bool shorten = false);
    bool work(std::int64_t nodes);
    const std::optional<Turns>& answer() const {
        return best_;
    }
    // The nodes of both phases searched since start.
    std::int64_t nodes() const {
        return nodes_;
    }

  private:
    // A node of each phase: its coordinates, and its depths in the phase's pruning tables.
    struct Node1 {
        Phase1Coordinates at;
        int twistSlice, flipSlice, twistFlip;
        int whole;  // with Phase1Depths, the depth of all three (the others then unused)
    };
    // Phase 2's permutations as `class << 3 | symmetry` (SymmetryClasses), and the slice
    // order with the U edges' places (MoveTables::kOrderCombs) and with the U corners'.
    struct Node2 {
        int corners, edges, orderComb, orderCorners, edgeOrder, cornerOrderComb;
    };
    enum class Outcome { Found, Exhausted, Paused };

    // A search for a solution within `most` turns, from the shallowest phase 1 on, with
    // at most `phase2Most` of them in phase 2.
    void begin(int most, int phase2Most = kPhase2Most);
    // What a search found (or not): the answer so far, and whether to look for a shorter.
    void ended(std::optional<Turns> found);
    // The depth-first phase 1 of the way `variant_` at `depth_`, on from where it paused.
    Outcome phase1(std::int64_t& allowance);
    bool pruned(const Node1& from, Node1& next, int turn, int togo) const;
    bool phase2Start(int done);
    bool phase2(const Node2& node, int done, int togo);

    // The nodes solve searches between two looks at the clock.
    static constexpr std::int64_t kNodesAtOnce = 4096;
    // A long phase 2 is slow to search, and a longer phase 1 soon finds a short one: at
    // most this many turns in phase 2, unless no solution has so few.
    static constexpr int kPhase2Most = 11;

    const Tables& t_;
    const Phase1Depths* givenDepths_;
    const Phase1Depths* depths_ = nullptr;  // those of the search under way
    const MoveTables& moves() const {
        return t_.moves();
    }
    const SymmetryClasses& classes() const {
        return t_.classes();
    }
    const PruningTables& pruning() const {
        return t_.pruning();
    }
    Cubies seen_[6];
    Node1 start_[6];
    int least_[6] = {};
    bool twin_[6] = {};  // the same as an earlier way (a symmetric cube): not searched again
    // The symmetries (bit s, solver/Symmetry.h) that leave each way as it is.
    int keeps_[6] = {};

    // The search under way: its bound, phase-1 depth and way, and the phase-1 path.
    int most_ = kMostTurns;
    int phase2Most_ = kPhase2Most;
    int depth_ = 0;
    int variant_ = 0;
    bool inPath_ = false;
    struct Frame {
        Node1 node;
        int turn;    // the next turn to try from it
        int keeps;   // the symmetries that leave the cube and the path to it as they are
        bool ahead;  // its turns' nodes are in ahead_
    };
    Frame path_[32] = {};
    // With the whole depths, the nodes each turn makes of a frame's, found all at once
    // (lookAhead): their reads from memory overlap.
    Node1 ahead_[32][kFaceTurns] = {};
    void lookAhead(int done);
    // The cube after each turn of the path, as far as the path has not changed since:
    // phase 2 starts at many ends of paths that share most of their turns.
    Cubies cubes_[33];
    int cubesKept_ = 0;
    int cubesOf_ = -1;  // the way they are of
    int done_ = 0;
    int turns_[32] = {};
    int length_ = 0;

    std::optional<Turns> best_;
    bool finished_ = true;
    bool shorten_ = false;
    bool shortening_ = false;
    std::int64_t nodes_ = 0;
    double searched_ = 0;  // seconds, in work
};

// The turns as cube notation: "R U2 F'"; "" for none.
std::string notation(const Turns& turns);
// The turns that undo `turns`: backwards, each the other way.
Turns inverse(const Turns& turns);

}  // namespace gyrelle::solver
