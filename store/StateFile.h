#pragma once

#include <cstdio>

#include "cube/MagicCube.h"
#include "game/Motion.h"
#include "math/Quaternion.h"
#include "store/Reading.h"

namespace gyrelle::store {

// What cube_state.dat holds: the stickers, the orientation and a running spin.
struct SavedState {
    MagicCube::Stickers stickers;
    Motion::Kept motion;
};

// A saved cube is about 1.5 KB; anything this large is not one.
constexpr long kLargestStateFile = 64 * 1024;

// The file's 59 lines.
void writeSavedState(std::FILE* out, const SavedState& state);

// Reads `in` into `state` item by item and stops at the first item it cannot read; what
// was read stays applied (Partial), unless the version line is wrong (Refused: nothing
// applied). A short run of sticker lines is kept and reading goes on after it. A sticker
// whose colour is none of the cube's 54 counts as a malformed line.
Reading readSavedState(std::FILE* in, SavedState& state);

}  // namespace gyrelle::store
