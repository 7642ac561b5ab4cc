// Text front end: prints the cube as an unfolded net and applies quarter turns
// typed as slice codes. It stands in for the window until the GL view exists.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cube/MagicCube.h"

namespace {

using gyrelle::MagicCube;

const char kFaceLetters[] = "RGOBWY";  // home faces 0..5: red, green, orange, blue, white, yellow

// The slot on face f shown at printed row pr and column pc, looking at that face
// from outside with +y (or the front face, for up and down) at the top.
int slotAt(int f, int pr, int pc) {
    int col = 0, row = 0;
    switch (f) {
        case 0:
        case 1:
            col = pc;
            row = 2 - pr;
            break;  // front, up
        case 2:
            col = 2 - pc;
            row = 2 - pr;
            break;  // back
        case 3:
            col = pc;
            row = pr;
            break;  // down
        case 4:
            col = 2 - pr;
            row = 2 - pc;
            break;  // left
        case 5:
            col = 2 - pr;
            row = pc;
            break;  // right
        default:
            break;
    }
    return 9 * f + 3 * row + col;
}

char letter(const MagicCube& cube, int slot) {
    int home = cube.stickers[slot].faceNumber;
    return home >= 0 && home < 6 ? kFaceLetters[home] : '?';
}

void printRowOf(const MagicCube& cube, int face, int pr) {
    for (int pc = 0; pc < 3; ++pc) {
        std::printf("%c", letter(cube, slotAt(face, pr, pc)));
    }
}

void printNet(const MagicCube& cube) {
    for (int pr = 0; pr < 3; ++pr) {
        std::printf("    ");
        printRowOf(cube, 1, pr);
        std::printf("\n");
    }
    for (int pr = 0; pr < 3; ++pr) {
        const int belt[4] = {4, 0, 5, 2};
        for (int i = 0; i < 4; ++i) {
            printRowOf(cube, belt[i], pr);
            std::printf(" ");
        }
        std::printf("\n");
    }
    for (int pr = 0; pr < 3; ++pr) {
        std::printf("    ");
        printRowOf(cube, 3, pr);
        std::printf("\n");
    }
    std::printf("%s\n", cube.isSolved() ? "solved" : "not solved");
}

void printHelp() {
    std::printf(
        "Commands: a slice code from -9 to 9 (not 0) turns a slice a quarter turn,\n"
        "  1-3: x slices (left, middle, right), 4-6: y slices (down, middle, up),\n"
        "  7-9: z slices (front, middle, back); positive turns counter-clockwise\n"
        "  seen from the positive end of the axis.\n"
        "  s: scramble   r: reset   h: help   q: quit\n");
}

}  // namespace

int main() {
    MagicCube cube;
    printHelp();
    printNet(cube);
    char line[256];
    while (std::printf("> "), std::fflush(stdout), std::fgets(line, sizeof line, stdin)) {
        char* end = nullptr;
        long code = std::strtol(line, &end, 10);
        if (end != line && code != 0 && code >= -9 && code <= 9) {
            cube.rotateFace(static_cast<int>(code));
        } else if (line[0] == 's') {
            cube.scrambleCube();
        } else if (line[0] == 'r') {
            cube.resetCube();
        } else if (line[0] == 'q') {
            break;
        } else {
            printHelp();
            continue;
        }
        printNet(cube);
    }
    std::printf("\n");
    return 0;
}
