#pragma once

#include <cstdio>
#include <string>

namespace gyrelle {

// The game takes --help, --version, or --position CODE (start with the position the
// code names). Returns the exit status when the program should stop here (0 after
// --help or --version, 2 after anything else it does not take, or an invalid code),
// or -1 to go on and play, with `position` set to a valid code or left empty.
int handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                      std::string& position);

}  // namespace gyrelle
