#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace gyrelle::solver {

// The tables of the two-phase method: how each coordinate moves under each turn, and, for
// pairs of coordinates, how many turns at least bring them home (pruning tables). Built a
// slice at a time, so that a page can build them between its frames; once built, only
// read, by any number of solvers.
//
// Phase 1 takes a cube into the group <U, D, R2, L2, F2, B2>, pruned on (twist, slice) and
// (flip, slice); phase 2 solves it within that group, pruned on (corner permutation, slice
// order), (U and D edge permutation, slice order) and (corner permutation, the places of
// the four U edges among the eight U and D places).
//
// A pruning table keeps each depth modulo 3, in two bits: a turn changes a depth by at
// most one, so a search that knows the depth where it stands knows it after each turn.
class Tables {
  public:
    static constexpr int kTwists = 2187, kFlips = 2048, kSlices = 495, kSliceOrders = 24;
    static constexpr int kCornerPerms = 40320, kUdEdgePerms = 40320, kUpCombs = 70;
    // The phase-2 turns, as indices of the 18 face turns: U U2 U' D D2 D' R2 L2 F2 B2.
    static constexpr int kPhase2Turns = 10;
    static constexpr int kPhase2Turn[kPhase2Turns] = {0, 1, 2, 9, 10, 11, 4, 13, 7, 16};

    // The pruning tables, by what they prune on.
    enum Pruning { TwistSlice, FlipSlice, CornerOrder, EdgeOrder, CornerUpComb, kPrunings };

    Tables();
    ~Tables();
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;

    // Builds on for about `seconds` (a few milliseconds at a time); true once all is built.
    bool build(double seconds);
    bool built() const { return stage_ == kStages; }
    // The bytes the finished tables take.
    static std::size_t bytes();

    // Move tables: the coordinate after face turn `turn` (0..17), or phase-2 turn `p`.
    int twistMove(int twist, int turn) const { return twistMove_[twist * 18 + turn]; }
    int flipMove(int flip, int turn) const { return flipMove_[flip * 18 + turn]; }
    int sliceMove(int slice, int turn) const { return sliceMove_[slice * 18 + turn]; }
    int cornerPermMove(int perm, int p) const { return cornerMove_[perm * kPhase2Turns + p]; }
    int udEdgePermMove(int perm, int p) const { return udEdgeMove_[perm * kPhase2Turns + p]; }
    int sliceOrderMove(int order, int p) const { return sliceOrderMove_[order * kPhase2Turns + p]; }
    // The places of the four U edges among the eight U and D places, for a U and D edge
    // permutation (0 at home).
    int upComb(int udEdgePerm) const { return upComb_[udEdgePerm]; }

    // The index of a pair of coordinates in a pruning table.
    static int index(Pruning table, int outer, int inner) {
        return outer * (table <= FlipSlice      ? kSlices
                        : table == CornerUpComb ? kUpCombs
                                                : kSliceOrders) +
               inner;
    }
    // A pair's depth modulo 3.
    int depthMod3(Pruning table, int i) const {
        return (pruning_[table][i >> 2] >> ((i & 3) * 2)) & 3;
    }
    // A pair's depth, found by walking home from it (for the start of a search).
    int depth(Pruning table, int outer, int inner) const;

  private:
    static constexpr int kStages = 7 + kPrunings;
    // One step of the building; true when the stage is done.
    bool step();
    // The pair after turn `t` (of the 18, or of the 10 for phase 2).
    int neighbour(Pruning table, int i, int t) const;
    void spread(int turns, int innerSize, const std::uint16_t* outerMove,
                const std::uint16_t* innerMove);

    std::unique_ptr<std::uint16_t[]> twistMove_, flipMove_, sliceMove_;
    std::unique_ptr<std::uint16_t[]> cornerMove_, udEdgeMove_, sliceOrderMove_, upCombMove_;
    std::unique_ptr<std::uint8_t[]> upComb_;
    std::unique_ptr<std::uint8_t[]> pruning_[kPrunings];

    // Where the building is: the stage, and within it the entry (move tables) or the
    // depth and entry being spread (pruning tables), which are first built with whole
    // depths, four bits each.
    int stage_ = 0;
    int next_ = 0;
    int depth_ = 0;
    int filled_ = 0;
    bool grew_ = false;
    bool backward_ = false;
    std::unique_ptr<std::uint8_t[]> whole_;
};

}  // namespace gyrelle::solver
