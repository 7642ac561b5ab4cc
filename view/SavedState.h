#pragma once

#include <cstdio>
#include <string>

#include "cube/MagicCube.h"
#include "math/Quaternion.h"

namespace gyrelle {

// What cube_state.dat holds: the stickers, the orientation and a running spin.
struct SavedState {
    MagicCube::Stickers stickers;
    Quaternion currentRotation;
    Quaternion qdeltacontinue;
    signed char bContinueToRotate = 0;
    signed char bContinuePremultiply = 0;
};

// The file's 59 lines.
void writeSavedState(std::FILE* out, const SavedState& state);

// How far reading a file got.
struct ReadOutcome {
    bool refused = false;  // nothing of it was applied
    std::string problem;   // the first thing wrong; empty when the file was read whole
};

// Reads `in` into `state` item by item and stops at the first item it cannot read; what
// was read stays applied. A short run of sticker lines is kept and reading goes on after
// it. A sticker whose colour is none of the cube's 54 counts as a malformed line.
ReadOutcome readSavedState(std::FILE* in, SavedState& state);

}  // namespace gyrelle
