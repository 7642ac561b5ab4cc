#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace gyrelle::solver {

struct Cubies;

// How each coordinate of the two-phase method moves: phase 1's (the corners' twists, the
// edges' flips, the middle-layer edges' places) under the 18 face turns, phase 2's small
// ones (the middle-layer edges' order, the U edges' places among the U and D places)
// under its 10 turns. Built a stage at a time.
class MoveTables {
  public:
    static constexpr int kTwists = 2187, kFlips = 2048, kSlices = 495, kSliceOrders = 24;
    static constexpr int kPerms = 40320, kUpCombs = 70;
    // The slice order and the U edges' places as one: order * kUpCombs + places; and the
    // same with the U corners' places among the eight corner places.
    static constexpr int kOrderCombs = kSliceOrders * kUpCombs;
    static constexpr int kOrderCorners = kSliceOrders * kUpCombs;
    // The phase-2 turns, as indices of the 18 face turns: U U2 U' D D2 D' R2 L2 F2 B2.
    static constexpr int kPhase2Turns = 10;
    static constexpr int kPhase2Turn[kPhase2Turns] = {0, 1, 2, 9, 10, 11, 4, 13, 7, 16};
    static constexpr int kStages = 4;

    MoveTables();

    // Phase 1: the coordinate after face turn `turn` (0..17).
    int twistMove(int twist, int turn) const { return twistMove_[twist * 18 + turn]; }
    int flipMove(int flip, int turn) const { return flipMove_[flip * 18 + turn]; }
    int sliceMove(int slice, int turn) const { return sliceMove_[slice * 18 + turn]; }
    // Phase 2: the slice order and U edges' places after phase-2 turn `p` (0..9).
    int sliceOrderMove(int order, int p) const { return sliceOrderMove_[order * kPhase2Turns + p]; }
    int upCombMove(int comb, int p) const { return upCombMove_[comb * kPhase2Turns + p]; }
    int orderCombMove(int orderComb, int p) const {
        return orderCombMove_[orderComb * kPhase2Turns + p];
    }
    int upCornersMove(int comb, int p) const { return upCornersMove_[comb * kPhase2Turns + p]; }
    int orderCornersMove(int orderCorners, int p) const {
        return orderCornersMove_[orderCorners * kPhase2Turns + p];
    }
    // The places of the four U edges among the eight U and D places of a cube whose U and
    // D edges are there (0 at home).
    static int upComb(const Cubies& cube);
    // A cube whose U edges lie at the places of four-bit `mask` (of the eight U and D
    // places), the D edges at the others; false for a mask of other than four bits.
    static bool upCombCube(int mask, Cubies& cube);
    // The same of the four U corners among the eight corner places.
    static int upCorners(const Cubies& cube);
    static bool upCornersCube(int mask, Cubies& cube);

    // Builds on in `stage` (0..kStages - 1) for a chunk; true when the stage is done.
    bool step(int stage);
    std::size_t bytes() const;

  private:
    friend class PruningTables;  // its builder reads the tables straight
    std::unique_ptr<std::uint16_t[]> twistMove_, flipMove_, sliceMove_;
    std::uint16_t sliceOrderMove_[kSliceOrders * kPhase2Turns] = {};
    std::uint16_t upCombMove_[kUpCombs * kPhase2Turns] = {};
    std::uint16_t orderCombMove_[kOrderCombs * kPhase2Turns] = {};
    std::uint16_t upCornersMove_[kUpCombs * kPhase2Turns] = {};
    std::uint16_t orderCornersMove_[kOrderCorners * kPhase2Turns] = {};
    int next_ = 0;  // the entry the stage goes on from
};

// Phase 1's coordinates of a cube, a value: what a turn makes of them, by the move tables.
struct Phase1Coordinates {
    int twist = 0, flip = 0, slice = 0;

    // (The search does the same a coordinate at a time, the flip only for the turns the
    // other two let through: measured, that is the faster.)
    Phase1Coordinates apply(int turn, const MoveTables& moves) const {
        return {moves.twistMove(twist, turn), moves.flipMove(flip, turn),
                moves.sliceMove(slice, turn)};
    }
    // In the group phase 2 solves within.
    bool home() const { return (twist | flip | slice) == 0; }
};

}  // namespace gyrelle::solver
