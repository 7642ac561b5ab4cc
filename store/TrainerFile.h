#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "game/Trainer.h"
#include "store/Reading.h"

namespace gyrelle::store {

// What the trainer keeps, apart from the records, a line each:
//
//   gyrelle trainer 1
//   set pll                     a set of trainerSets(): pll, oll, pll2, oll2
//   order random                random, or slowest (drawn weighted toward the slowest)
//   top same                    same (the face the player has up), or any
//   algorithm T R U R' U' ...   the player's algorithm for a case, by its name
//   case T 1840 610 1765000000 2  a case trained: its name, milliseconds from the first
//                               turn to done and before the first turn, when it was (seconds
//                               since 1970), the angle it was seen from (the quarter turns
//                               of the top that showed it as its pieces are written, 0..3)
//
// A keyword this version does not know, a case of a name it does not know, and an
// algorithm that does not solve its case are passed over, said in `problems`. A line
// that is not what its keyword says, one longer than 1024 bytes, or a file larger than
// kLargestTrainerFile is no trainer file: Refused, nothing used.
constexpr long kLargestTrainerFile = 8 * 1024 * 1024;
static_assert(TrainerRecords::kMostAttempts * 48 + 200 * 1024 <= kLargestTrainerFile);

std::string trainerText(const TrainerRecords& records);
Reading readTrainer(std::FILE* in, TrainerRecords& records, std::vector<std::string>& problems);

}  // namespace gyrelle::store
