#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "solver/Classes.h"
#include "solver/Moves.h"

namespace gyrelle::solver {

// For pairs of coordinates, how many turns at least bring them home: phase 1 on (twist,
// slice), (flip, slice) and (twist, flip); phase 2 on (U and D edge permutation, slice
// order, and on the desktop the places of the four U corners among the eight) and (corner
// permutation, slice order and the places of the four U edges among the eight U and D
// places): each permutation with the other kind's coarse places, which bound each other. One
// coordinate of a pair by its class (SymmetryClasses), the other seen through its symmetry: one
// entry for all the positions the symmetries make of each other.
//
// Each depth is kept modulo 3, in two bits: a turn changes a depth by at most one, so a
// search that knows the depth where it stands knows it after each turn. Built from the
// move tables and the classes, a table at a time, a chunk at a time.
class PruningTables {
  public:
    using M = MoveTables;
    // The edges' pair holds the U corners' places too on the desktop: 2.2 MB and a
    // quarter of a second more, for the hardest position 2.4 times faster. In the browser
    // that did not pay: the positions it is slow on need phase 1, not phase 2.
#ifdef __EMSCRIPTEN__
    static constexpr bool kEdgesWithCorners = false;
#else
    static constexpr bool kEdgesWithCorners = true;
#endif
    enum Pruning { TwistSlice, FlipSlice, TwistFlip, EdgeOrder, CornerOrderComb, kPrunings };
    static constexpr int kStages = kPrunings;

    PruningTables(const MoveTables& moves, const SymmetryClasses& classes)
        : moves_(moves), classes_(classes) {}

    // The index of a pair, by the class and the other coordinate seen: (slice class,
    // twist), (flip class, slice), (flip class, twist), (edge class, slice order and on
    // the desktop U corners' places), (corner class, slice order and U edges' places).
    static int index(Pruning table, int cls, int seen) {
        return cls * seenSize(table) + seen;
    }
    // A pair's depth modulo 3.
    int depthMod3(Pruning table, int i) const {
        return (pruning_[table][i >> 2] >> ((i & 3) * 2)) & 3;
    }
    // A pair's depth, found by walking home from it (for the start of a search).
    int depth(Pruning table, int cls, int seen) const;
    // The same for phase 2's, from their whole depths where they are kept.
    int startDepth(Pruning table, int cls, int seen) const {
        if constexpr (kWholePhase2) {
            const int i = index(table, cls, seen);
            return (whole2_[table - EdgeOrder][i >> 1] >> ((i & 1) * 4)) & 15;
        }
        return depth(table, cls, seen);
    }

    // Builds on in stage `table` for a chunk; true when that table is done.
    bool step(int table);
    std::size_t bytes() const;

  private:
    // Where memory is plenty (the desktop), phase 2's whole depths are kept as well, four
    // bits each (9 MB): a phase-2 search starts at every phase-1 solution, and the walk
    // home for its depth took a fifth of the time on the hardest positions.
#ifdef __EMSCRIPTEN__
    static constexpr bool kWholePhase2 = false;
#else
    static constexpr bool kWholePhase2 = true;
#endif
    static constexpr int seenSize(Pruning table) {
        switch (table) {
            case TwistSlice:
            case TwistFlip:
                return M::kTwists;
            case FlipSlice:
                return M::kSlices;
            case CornerOrderComb:
                return M::kOrderCombs;
            default:
                return kEdgesWithCorners ? M::kOrderCorners : M::kSliceOrders;
        }
    }
    int classCount(Pruning table) const;
    int size(Pruning table) const {
        return classCount(table) * seenSize(table);
    }
    template <Pruning table>
    bool spreadOn();
    // The pair a turn (of the 18, or of the 10 for phase 2) makes of a pair: the turn
    // made on the class's first, the result seen through the symmetry that takes it to
    // its class's first.
    int neighbour(Pruning table, int cls, int seen, int t) const;

    const MoveTables& moves_;
    const SymmetryClasses& classes_;
    std::unique_ptr<std::uint8_t[]> pruning_[kPrunings];

    // Where the building of a table is: the depth and entry being spread (first with whole
    // depths, four bits each).
    int next_ = 0;
    int depth_ = 0;
    int filled_ = 0;
    bool grew_ = false;
    bool backward_ = false;
    std::unique_ptr<std::uint8_t[]> whole_;
    std::unique_ptr<std::uint8_t[]> whole2_[2];  // EdgeOrder' and CornerOrderComb's
};

}  // namespace gyrelle::solver
