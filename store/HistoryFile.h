#pragma once

#include <cstdio>

#include "game/History.h"
#include "store/Reading.h"

namespace gyrelle::store {

// The undo history as a small versioned text file, kept beside cube_state.dat:
//
//   gyrelle history 1
//   cube <fingerprint of the stickers it ends at: 16 hexadecimal digits>
//   position <how many entries are in effect>
//   turn <slice code>
//   scramble <stickers before> <stickers after>
//   reset <stickers before> <stickers after>
//   paste <stickers before> <stickers after>
//   competition <stickers before> <stickers after> <the scramble's turns: R U2 F' ...>
//   end
//
// one line per entry, oldest first. Stickers are written slot by slot, one character
// each naming which sticker of the solved cube lies there (0-9, A-Z, a-r for 0..53).

// A full history is at most 10,000 lines of at most 125 characters.
constexpr long kLargestHistoryFile = 2 * 1024 * 1024;

// False when some record is not one the game makes (a colour no sticker has, or a home
// face not its colour's), which the file cannot hold.
bool canWriteHistory(const History& history, const MagicCube::Stickers& current);
void writeHistory(std::FILE* out, const History& history, const MagicCube::Stickers& current);

// Reads a history that ends at `current` into `history`. A file that is malformed, ends
// elsewhere or holds more than History::kMostEntries entries is Refused, and `history`
// left untouched.
Reading readHistory(std::FILE* in, const MagicCube::Stickers& current, History& history);

}  // namespace gyrelle::store
