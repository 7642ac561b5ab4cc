#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "game/Solves.h"
#include "store/Reading.h"

namespace gyrelle::store {

// The solves as a small versioned text file, kept beside cube_state.dat:
//
//   gyrelle records 1
//   solve <date, UTC: 2026-12-06T23:30:00Z> <moves> <seconds, to the millisecond>
//   scrambled <fingerprint of the cube>
//   solving <fingerprint of the cube> <moves so far> <seconds played so far>
//   end
//
// one solve line per finished solve, oldest first; then at most one line for a solve
// armed or in progress, which holds only for the cube it names.
// Over a million solves; anything larger is not a records file.
constexpr long kLargestRecordsFile = 64 * 1024 * 1024;

struct SavedRecords {
    std::vector<Solve> done;
    Solves::Phase phase = Solves::Phase::None;
    std::string cube;  // the fingerprint of the cube it was armed or running on
    int moves = 0;
    double seconds = 0;
};

void writeRecords(std::FILE* out, const SavedRecords& records);
std::string recordsFileText(const SavedRecords& records);
// Refused, saying where, for a file that is not wholly such records; `records` is then
// left untouched.
Reading readRecords(std::FILE* in, SavedRecords& records);

}  // namespace gyrelle::store
