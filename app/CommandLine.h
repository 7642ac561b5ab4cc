#pragma once

#include <cstdio>
#include <string>

namespace gyrelle {

// The game takes --help, --version, --stats (print the records), --position CODE (start
// with the position the code names), --solve CODE (print a solution) or --scramble [N]
// (print N competition scrambles). Returns the exit status when the program should stop
// here (0 after --help, --version, --stats, --solve or --scramble, 1 when the records
// cannot be read, 2 after anything else it does not take, an invalid code or count), or
// -1 to go on and play, with `position` set to a valid code or left empty. An address a
// browser's Share gave is taken too: "#position=CODE" as --position CODE, and a replay's
// ("#replay=..."), checked, left whole in `position` for the game to open.
int handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                      std::string& position);

}  // namespace gyrelle
