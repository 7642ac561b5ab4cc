#include "app/CommandLine.h"

#include <cstring>

namespace gyrelle {

namespace {

const char kUsage[] =
    "Usage: gyrelle [--help | --version]\n"
    "A 3x3x3 twisty-cube puzzle. Drag from a sticker onto the next to turn a slice, drag\n"
    "the background (or right-drag, or Ctrl-drag to twist) to turn the whole cube,\n"
    "double-click a face to bring it up, press s to shake. The cube is saved on quitting\n"
    "in $XDG_DATA_HOME/gyrelle/cube_state.dat (~/.local/share/gyrelle by default).\n";

}  // namespace

int handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    if (argc <= 1) {
        return -1;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, out);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fprintf(out, "gyrelle %s\n", GYRELLE_VERSION);
        return 0;
    }
    const char* bad = argv[1];
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") != 0 && std::strcmp(argv[i], "--version") != 0) {
            bad = argv[i];
            break;
        }
    }
    if (argc > 2 && bad == argv[1] &&
        (std::strcmp(bad, "--help") == 0 || std::strcmp(bad, "--version") == 0)) {
        std::fprintf(err, "gyrelle: too many arguments\n");
    } else {
        std::fprintf(err, "gyrelle: unknown option '%s'\n", bad);
    }
    std::fputs(kUsage, err);
    return 2;
}

}  // namespace gyrelle
