#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "solver/Moves.h"

namespace gyrelle::solver {

// The coordinates in classes of the positions the symmetries (solver/Symmetry.h) make of
// each other, which are as far from home: a coordinate by its class, written
// `class << 3 | s` where S_s x S_s^-1 is the class's first. The slices are in classes of
// all eight symmetries, the flips of the four that flip no edge, the permutations of all
// eight; and the other coordinate of a pair seen through a symmetry. Built a stage at a
// time.
class SymmetryClasses {
  public:
    static constexpr int kStages = 5;
    using M = MoveTables;

    SymmetryClasses();

    // Phase 1: a slice or a flip as `class << 3 | s`, a class's first, and a twist or a
    // slice seen through symmetry s.
    int sliceSym(int slice) const { return slices_.of[slice]; }
    int flipSym(int flip) const { return flips_.of[flip]; }
    int sliceFirst(int cls) const { return slices_.first[cls]; }
    int flipFirst(int cls) const { return flips_.first[cls]; }
    int twistSeen(int twist, int s) const { return twistSeen_[twist * 8 + s]; }
    int sliceSeen(int slice, int s) const { return sliceSeen_[slice * 8 + s]; }

    // Phase 2, for phase-2 turn `p` (0..9) and symmetry `s` (0..7). A corner or U and D
    // edge permutation as `class << 3 | s`:
    int cornerSym(int perm) const { return corners_.of[perm]; }
    int edgeSym(int perm) const { return edges_.of[perm]; }
    // the same of what turn `p` makes of a class's first;
    int cornerClassMove(int cls, int p) const { return corners_.move[cls * M::kPhase2Turns + p]; }
    int edgeClassMove(int cls, int p) const { return edges_.move[cls * M::kPhase2Turns + p]; }
    // a permutation `class << 3 | s` after turn p: turn S_s p S_s^-1 made on the class's
    // first, the symmetries composed;
    int cornerSymMove(int sym, int p) const {
        const int m = cornerClassMove(sym >> 3, turnSeen(sym & 7, p));
        return (m & ~7) | symTimes(m & 7, sym & 7);
    }
    int edgeSymMove(int sym, int p) const {
        const int m = edgeClassMove(sym >> 3, turnSeen(sym & 7, p));
        return (m & ~7) | symTimes(m & 7, sym & 7);
    }
    // the phase-2 turn that is S_s p S_s^-1, and the symmetry that is S_a S_b;
    int turnSeen(int s, int p) const { return turnSeen_[s][p]; }
    int symTimes(int a, int b) const { return symTimes_[a][b]; }
    // the slice order and U edges' places seen through a symmetry.
    int sliceOrderSeen(int order, int s) const { return sliceOrderSeen_[order * 8 + s]; }
    int upCombSeen(int comb, int s) const { return upCombSeen_[comb * 8 + s]; }
    int orderCombSeen(int orderComb, int s) const { return orderCombSeen_[orderComb * 8 + s]; }
    // The U corners' places, and with the slice order, likewise.
    int upCornersSeen(int comb, int s) const { return upCornersSeen_[comb * 8 + s]; }
    int orderCornersSeen(int orderCorners, int s) const {
        return orderCornersSeen_[orderCorners * 8 + s];
    }

    // How many classes; and the symmetries that leave a class's first as it is (bit s).
    int sliceClasses() const { return static_cast<int>(slices_.first.size()); }
    int flipClasses() const { return static_cast<int>(flips_.first.size()); }
    int cornerClasses() const { return static_cast<int>(corners_.first.size()); }
    int edgeClasses() const { return static_cast<int>(edges_.first.size()); }
    int sliceKeeps(int cls) const { return slices_.keep[cls]; }
    int flipKeeps(int cls) const { return flips_.keep[cls]; }
    int cornerKeeps(int cls) const { return corners_.keep[cls]; }
    int edgeKeeps(int cls) const { return edges_.keep[cls]; }

    // Builds on in `stage` (0..kStages - 1) for a chunk; true when the stage is done.
    bool step(int stage);
    std::size_t bytes() const;

  private:
    friend class PruningTables;  // its builder reads the tables straight
    // Values of a coordinate in classes: for each, `class << 3 | s`; for each class, its
    // first (the least), the symmetries that leave the first as it is (bit s), and for
    // phase 2 what each phase-2 turn makes of the first.
    struct Classes {
        std::unique_ptr<std::uint16_t[]> of;
        std::vector<std::uint16_t> first;
        std::vector<std::uint8_t> keep;
        std::unique_ptr<std::uint16_t[]> move;
    };
    bool sortIntoClasses(Classes& classes, bool corners);
    bool moveClasses(Classes& classes, bool corners);
    void smallTables();

    Classes corners_, edges_, flips_, slices_;
    std::unique_ptr<std::uint16_t[]> twistSeen_, flipSeen_, sliceSeen_;
    std::uint8_t sliceOrderSeen_[M::kSliceOrders * 8] = {};
    std::uint8_t upCombSeen_[M::kUpCombs * 8] = {};
    std::uint16_t orderCombSeen_[M::kOrderCombs * 8] = {};
    std::uint8_t upCornersSeen_[M::kUpCombs * 8] = {};
    std::uint16_t orderCornersSeen_[M::kOrderCorners * 8] = {};
    std::uint8_t turnSeen_[8][M::kPhase2Turns] = {};
    std::uint8_t symTimes_[8][8] = {};
    int next_ = 0;  // the entry or class the stage goes on from
};

}  // namespace gyrelle::solver
