#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace gyrelle::solver {

struct Cubies;

// The tables of the two-phase method: how each coordinate moves under each turn, and, for
// pairs of coordinates, how many turns at least bring them home (pruning tables). Built a
// slice at a time, so that a page can build them between its frames; once built, only
// read, by any number of solvers.
//
// Phase 1 takes a cube into the group <U, D, R2, L2, F2, B2>, pruned on (twist, slice),
// (flip, slice) and (twist, flip); phase 2 solves it within that group, pruned on (corner
// permutation, slice order), (U and D edge permutation, slice order) and (corner
// permutation, the places of the four U edges among the eight U and D places).
//
// Positions that a symmetry (solver/Symmetry.h) makes of each other are as far from home,
// so a pruning table keeps one entry for them all: one of a pair's coordinates by its
// class, written `class << 3 | s` where S_s x S_s^-1 is the class's first, the other seen
// through that symmetry. The slices are in classes of all eight symmetries, the flips of
// the four that flip no edge, the permutations of all eight.
//
// A pruning table keeps each depth modulo 3, in two bits: a turn changes a depth by at
// most one, so a search that knows the depth where it stands knows it after each turn.
class Tables {
  public:
    static constexpr int kTwists = 2187, kFlips = 2048, kSlices = 495, kSliceOrders = 24;
    static constexpr int kPerms = 40320, kUpCombs = 70;
    // The phase-2 turns, as indices of the 18 face turns: U U2 U' D D2 D' R2 L2 F2 B2.
    static constexpr int kPhase2Turns = 10;
    static constexpr int kPhase2Turn[kPhase2Turns] = {0, 1, 2, 9, 10, 11, 4, 13, 7, 16};

    // The pruning tables, by what they prune on.
    enum Pruning {
        TwistSlice,
        FlipSlice,
        TwistFlip,
        CornerOrder,
        EdgeOrder,
        CornerUpComb,
        kPrunings
    };

    Tables();
    ~Tables();
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;

    // Builds on for about `seconds` (a few milliseconds at a time); true once all is built.
    bool build(double seconds);
    bool built() const { return stage_ == kStages; }
    // The bytes the tables take once built.
    std::size_t bytes() const;

    // Phase 1: the coordinate after face turn `turn` (0..17).
    int twistMove(int twist, int turn) const { return twistMove_[twist * 18 + turn]; }
    int flipMove(int flip, int turn) const { return flipMove_[flip * 18 + turn]; }
    int sliceMove(int slice, int turn) const { return sliceMove_[slice * 18 + turn]; }
    // A slice or a flip as `class << 3 | s`, and a twist or a slice seen through symmetry s.
    int sliceSym(int slice) const { return slices_.of[slice]; }
    int flipSym(int flip) const { return flips_.of[flip]; }
    int twistSeen(int twist, int s) const { return twistSeen_[twist * 8 + s]; }
    int sliceSeen(int slice, int s) const { return sliceSeen_[slice * 8 + s]; }

    // Phase 2, for phase-2 turn `p` (0..9) and symmetry `s` (0..7). A corner or U and D
    // edge permutation as `class << 3 | s`:
    int cornerSym(int perm) const { return corners_.of[perm]; }
    int edgeSym(int perm) const { return edges_.of[perm]; }
    // the same of what turn `p` makes of a class's first;
    int cornerClassMove(int cls, int p) const { return corners_.move[cls * kPhase2Turns + p]; }
    int edgeClassMove(int cls, int p) const { return edges_.move[cls * kPhase2Turns + p]; }
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
    int cornerClasses() const { return static_cast<int>(corners_.first.size()); }
    int edgeClasses() const { return static_cast<int>(edges_.first.size()); }
    // the phase-2 turn that is S_s p S_s^-1, and the symmetry that is S_a S_b;
    int turnSeen(int s, int p) const { return turnSeen_[s][p]; }
    int symTimes(int a, int b) const { return symTimes_[a][b]; }
    // the slice order and U edges' places after a turn, and seen through a symmetry.
    int sliceOrderMove(int order, int p) const { return sliceOrderMove_[order * kPhase2Turns + p]; }
    int upCombMove(int comb, int p) const { return upCombMove_[comb * kPhase2Turns + p]; }
    int sliceOrderSeen(int order, int s) const { return sliceOrderSeen_[order * 8 + s]; }
    int upCombSeen(int comb, int s) const { return upCombSeen_[comb * 8 + s]; }
    // The places of the four U edges among the eight U and D places of a cube whose U and
    // D edges are there (0 at home).
    static int upComb(const Cubies& cube);

    // The index of a pair in a pruning table, by the class and the other coordinate seen:
    // (slice class, twist), (flip class, slice), (flip class, twist), (corner class, slice
    // order), (edge class, slice order), (corner class, U edges' places).
    static int index(Pruning table, int cls, int seen) { return cls * seenSize(table) + seen; }
    // A pair's depth modulo 3.
    int depthMod3(Pruning table, int i) const {
        return (pruning_[table][i >> 2] >> ((i & 3) * 2)) & 3;
    }
    // A pair's depth, found by walking home from it (for the start of a search).
    int depth(Pruning table, int cls, int seen) const;

  private:
    // Values of a coordinate in classes: for each, `class << 3 | s`; for each class, its
    // first (the least), the symmetries that leave the first as it is (bit s), and for
    // phase 2 what each phase-2 turn makes of the first.
    struct Classes {
        std::unique_ptr<std::uint16_t[]> of;
        std::vector<std::uint16_t> first;
        std::vector<std::uint8_t> keep;
        std::unique_ptr<std::uint16_t[]> move;
    };

    static constexpr int kMoveStages = 8;
    static constexpr int kStages = kMoveStages + kPrunings;
    int classCount(Pruning table) const;
    static constexpr int seenSize(Pruning table) {
        switch (table) {
            case TwistSlice:
            case TwistFlip:
                return kTwists;
            case FlipSlice:
                return kSlices;
            case CornerUpComb:
                return kUpCombs;
            default:
                return kSliceOrders;
        }
    }
    int size(Pruning table) const { return classCount(table) * seenSize(table); }
    // One step of the building; true when the stage is done.
    bool step();
    bool sortIntoClasses(Classes& classes, bool corners);
    bool moveClasses(Classes& classes, bool corners);
    void smallTables();
    bool spread(Pruning table);
    template <Pruning table>
    bool spreadOn();
    // The pair a turn (of the 18, or of the 10 for phase 2) makes of a pair: the turn
    // made on the class's first, the result seen through the symmetry that takes it to
    // its class's first.
    int neighbour(Pruning table, int cls, int seen, int t) const;
    // The symmetries that leave a class's first as it is, and a seen coordinate seen
    // through one of them.
    int keeps(Pruning table, int cls) const;
    int seenAgain(Pruning table, int seen, int s) const;

    std::unique_ptr<std::uint16_t[]> twistMove_, flipMove_, sliceMove_;
    Classes corners_, edges_, flips_, slices_;
    std::unique_ptr<std::uint16_t[]> twistSeen_, flipSeen_, sliceSeen_;
    std::uint16_t sliceOrderMove_[kSliceOrders * kPhase2Turns] = {};
    std::uint16_t upCombMove_[kUpCombs * kPhase2Turns] = {};
    std::uint8_t sliceOrderSeen_[kSliceOrders * 8] = {};
    std::uint8_t upCombSeen_[kUpCombs * 8] = {};
    std::uint8_t turnSeen_[8][kPhase2Turns] = {};
    std::uint8_t symTimes_[8][8] = {};
    std::unique_ptr<std::uint8_t[]> pruning_[kPrunings];

    // Where the building is: the stage, and within it the entry (move tables, classes) or
    // the depth and entry being spread (pruning tables, first built with whole depths,
    // four bits each).
    int stage_ = 0;
    int next_ = 0;
    int depth_ = 0;
    int filled_ = 0;
    bool grew_ = false;
    bool backward_ = false;
    std::unique_ptr<std::uint8_t[]> whole_;
};

}  // namespace gyrelle::solver
