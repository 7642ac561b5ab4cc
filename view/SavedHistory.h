#pragma once

#include <cstdio>
#include <string>

#include "cube/History.h"

namespace gyrelle {

// The undo history as a small versioned text file, kept beside cube_state.dat:
//
//   gyrelle history 1
//   cube <fingerprint of the stickers it ends at: 16 hexadecimal digits>
//   position <how many entries are in effect>
//   turn <slice code>
//   scramble <stickers before> <stickers after>
//   reset <stickers before> <stickers after>
//   paste <stickers before> <stickers after>
//   end
//
// one line per entry, oldest first. Stickers are written slot by slot, one character
// each naming which sticker of the solved cube lies there (0-9, A-Z, a-r for 0..53).

// The fingerprint of a cube's sticker records.
std::string fingerprint(const MagicCube::Stickers& stickers);

// False when some record is not one the game makes (a colour no sticker has, or a home
// face not its colour's), which the file cannot hold.
bool canWriteHistory(const History& history, const MagicCube::Stickers& current);
void writeHistory(std::FILE* out, const History& history, const MagicCube::Stickers& current);

// Reads a history that ends at `current` into `history`; false, with `problem` saying
// why and `history` untouched, for a file that is malformed, ends elsewhere or holds
// more than History::kMostEntries entries.
bool readHistory(std::FILE* in, const MagicCube::Stickers& current, History& history,
                 std::string& problem);

}  // namespace gyrelle
