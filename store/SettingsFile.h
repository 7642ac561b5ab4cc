#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "game/Settings.h"
#include "store/Reading.h"

namespace gyrelle::store {

// The player's settings beside the cube, one `key = value` a line, for people to read and
// edit:
//
//   colours = classic            classic, high-contrast, colour-blind or custom
//   colour_U = #00c800           the custom colour of each face, by its letter
//   ...
//   sticker_letters = off        on or off
//   inspection = off             on or off
//
// Blank lines and lines beginning with # are passed over. A key this version does not
// know is kept, with its value, and written back after the known ones; a key given twice
// has its last value. A known key with a value it cannot take keeps its default, said in
// one line of `problems` each; the file is not written again for it (a newer version may
// have written it). Anything else (a line with no "=", a key with spaces or strange
// characters, a zero byte, a line of more than 1024 bytes as written back, more than 50
// keys this version does not know, more than kLargestSettingsFile bytes) is no settings
// file: Refused, nothing used. So whatever is written is read back.
constexpr long kLargestSettingsFile = 64 * 1024;

std::string settingsText(const Settings& settings);
Reading readSettings(std::FILE* in, Settings& settings, std::vector<std::string>& problems);

}  // namespace gyrelle::store
