#pragma once

#include <cstdint>
#include <functional>

#include "solver/Cubies.h"

namespace gyrelle::solver {

// A position drawn uniformly from all 43,252,003,274,489,856,000 that turns can make:
// the corners' and edges' places (of equal parity) and their twists and flips, each drawn
// whole from `random`, which gives 32 random bits at a time.
Cubies randomPosition(const std::function<std::uint32_t()>& random);

// The position is solved, or one face turn from it.
bool withinOneTurn(const Cubies& cube);

// A competition scramble's position: drawn as randomPosition, and drawn again while it is
// within one turn of solved, as competitions require.
Cubies competitionPosition(const std::function<std::uint32_t()>& random);

}  // namespace gyrelle::solver
