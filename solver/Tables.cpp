#include "solver/Tables.h"

#include <chrono>

namespace gyrelle::solver {

std::size_t Tables::bytes() const {
    return moves_.bytes() + classes_.bytes() + pruning_.bytes();
}

bool Tables::build(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (stage_ < kStages) {
        if (step()) {
            ++stage_;
        }
        if (Clock::now() >= end) {
            break;
        }
    }
    return built();
}

bool Tables::step() {
    constexpr int kClassesFrom = MoveTables::kStages;
    constexpr int kPruningFrom = kClassesFrom + SymmetryClasses::kStages;
    if (stage_ < kClassesFrom) {
        return moves_.step(stage_);
    }
    if (stage_ < kPruningFrom) {
        return classes_.step(stage_ - kClassesFrom);
    }
    // The pruning tables, spread from home one depth at a time: every pair at the depth
    // reached passes it on to what one turn makes of it; once most pairs have a depth,
    // the others look for a neighbour at that depth instead. Then each depth is kept
    // modulo 3.
    return pruning_.step(stage_ - kPruningFrom);
}

}  // namespace gyrelle::solver
