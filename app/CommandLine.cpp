#include "app/CommandLine.h"

#include <cstring>

#include "cube/Position.h"

namespace gyrelle {

namespace {

const char kUsage[] =
    "Usage: gyrelle [--help | --version | --position CODE]\n"
    "A 3x3x3 twisty-cube puzzle. Drag from a sticker onto the next to turn a slice, drag\n"
    "the background (or right-drag, or Ctrl-drag to twist) to turn the whole cube,\n"
    "double-click a face to bring it up; or type F B U D R L M E S X Y Z (F1 lists the\n"
    "keys); Ctrl+N for a new game. The cube is saved as you play and on quitting in\n"
    "$XDG_DATA_HOME/gyrelle/cube_state.dat (~/.local/share/gyrelle by default).\n"
    "--position CODE starts with the position CODE names: 54 letters U R F D L B, as\n"
    "Ctrl+C copies them.\n";

}  // namespace

int handleCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err,
                      std::string& position) {
    if (argc <= 1) {
        return -1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--position") == 0) {
        MagicCube::Stickers stickers;
        std::string problem;
        if (!stickersOfCode(argv[2], stickers, problem)) {
            std::fprintf(err, "gyrelle: %s\n", problem.c_str());
            return 2;
        }
        position = argv[2];
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
