#pragma once

#include <string>

#include "cube/MagicCube.h"

namespace gyrelle::store {

// A cube's sticker records as 16 hexadecimal digits (FNV-1a): what ties the history and a
// solve under way to the cube they belong to.
std::string cubeFingerprint(const MagicCube::Stickers& stickers);

// `word` has the form of one.
bool isCubeFingerprint(const std::string& word);

}  // namespace gyrelle::store
