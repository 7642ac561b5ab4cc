#pragma once

#include <string>

#include "solver/Phase1Depths.h"

namespace gyrelle::store {

// Phase 1's whole depths (solver::Phase1Depths) kept in the game's folder, so that they
// are built once, not at each start:
//
//   gyrelle depths 1 <bytes> <checksum: 16 hex digits>
//   <the bytes>
//
// A file that is not whole (cut short, changed on the disk, of another build's size) is
// not taken: the depths are built again and the file replaced. Never through a link.
constexpr long kLargestDepthsFile = 80'000'000;

// False, taking nothing, with `problem` empty when there is no file, else saying why.
bool readDepths(const std::string& path, solver::Phase1Depths& depths, std::string& problem);
bool writeDepths(const std::string& path, const solver::Phase1Depths& depths, std::string& error);

}  // namespace gyrelle::store
