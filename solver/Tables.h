#pragma once

#include <cstddef>

#include "solver/Classes.h"
#include "solver/Moves.h"
#include "solver/Pruning.h"

namespace gyrelle::solver {

// The tables of the two-phase method, each kind apart: how coordinates move
// (MoveTables), their classes under the symmetries (SymmetryClasses), and how far pairs
// of them are from home (PruningTables). Built in that order a slice at a time, so that
// a page can build them between its frames; once built, only read, by any number of
// solvers.
class Tables {
  public:
    Tables() = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;

    // Builds on for about `seconds` (a few milliseconds at a time); true once all is built.
    bool build(double seconds);
    bool built() const { return stage_ == kStages; }
    // The bytes the tables take once built.
    std::size_t bytes() const;

    const MoveTables& moves() const { return moves_; }
    const SymmetryClasses& classes() const { return classes_; }
    const PruningTables& pruning() const { return pruning_; }

  private:
    static constexpr int kStages =
        MoveTables::kStages + SymmetryClasses::kStages + PruningTables::kStages;
    // One chunk of the stage under way; true when it is done.
    bool step();

    MoveTables moves_;
    SymmetryClasses classes_;
    PruningTables pruning_{moves_, classes_};
    int stage_ = 0;
};

}  // namespace gyrelle::solver
