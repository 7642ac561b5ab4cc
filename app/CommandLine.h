#pragma once

#include <cstdio>

namespace gyrelle {

// The game takes no options but --help and --version. Returns the exit status when
// the program should stop here (0 after --help or --version, 2 after anything else),
// or -1 to go on and play.
int handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace gyrelle
