#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "cube/MagicCube.h"
#include "cube/Tables.h"

namespace gyrelle {
namespace {

int sliceCodeFor(int start, int end) {
    for (const auto& pair : moves[start]) {
        if (pair[0] == end) {
            return pair[1];
        }
    }
    return 0;
}

}  // namespace

bool MagicCube::move(int start, int end) {
    // Slots past 53 cannot come from the colour look-ups; refuse them rather than read
    // past the table.
    if (start == end || animating || start < 0 || end < 0 || start >= kStickers ||
        end >= kStickers) {
        return false;
    }
    int code = sliceCodeFor(start, end);
    if (code == 0) {
        return false;
    }
    animating = 1;
    animatedDirection = code >= 0 ? 1 : -1;
    animatedSlice = (code < 0 ? -code : code) - 1;
    moveStart = start;
    moveEnd = end;
    animatedAngle = 18.0f;
    return true;
}

bool MagicCube::rotateFace(int code) {
    const int i = (code < 0 ? -code : code) - 1;
    if (i < 0 || i > 8) {
        return false;  // not a slice code
    }
    const bool forward = code > 0;
    const int* g = rotations[i];  // groups at g, g + 3, g + 6, g + 9

    Sticker kept[3];
    for (int j = 0; j < 3; ++j) {
        kept[j] = stickers[g[j]];
    }
    if (forward) {
        for (int j = 0; j < 3; ++j) {
            stickers[g[j]] = stickers[g[9 + j]];
            stickers[g[9 + j]] = stickers[g[6 + j]];
            stickers[g[6 + j]] = stickers[g[3 + j]];
            stickers[g[3 + j]] = kept[j];
        }
    } else {
        for (int j = 0; j < 3; ++j) {
            stickers[g[j]] = stickers[g[3 + j]];
            stickers[g[3 + j]] = stickers[g[6 + j]];
            stickers[g[6 + j]] = stickers[g[9 + j]];
            stickers[g[9 + j]] = kept[j];
        }
    }

    if (i != 1 && i != 4 && i != 7) {
        const int* c = cornerrots[i];
        const int* e = edgerots[i];
        if (forward) {
            Sticker keptC = stickers[c[3]];
            Sticker keptE = stickers[e[3]];
            for (int j = 3; j >= 1; --j) {
                stickers[c[j]] = stickers[c[j - 1]];
                stickers[e[j]] = stickers[e[j - 1]];
            }
            stickers[c[0]] = keptC;
            stickers[e[0]] = keptE;
        } else {
            Sticker keptC = stickers[c[0]];
            Sticker keptE = stickers[e[0]];
            for (int j = 0; j <= 2; ++j) {
                stickers[c[j]] = stickers[c[j + 1]];
                stickers[e[j]] = stickers[e[j + 1]];
            }
            stickers[c[3]] = keptC;
            stickers[e[3]] = keptE;
        }
    }
    return true;
}

void MagicCube::stepAnimation() {
    if (!animating) {
        return;
    }
    animatedAngle = 18.0f + animatedAngle;
    if (animatedAngle >= 90.0f) {
        animating = 0;
        if (moveStart >= 0 && moveEnd >= 0) {
            int code = sliceCodeFor(moveStart, moveEnd);
            if (code != 0) {
                rotateFace(code);
            }
        }
    }
}

void MagicCube::scrambleCube() {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    srandom(static_cast<unsigned>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu));
    for (int n = 0; n < 100; ++n) {
        int r = static_cast<int>(random() % 18);
        rotateFace(r < 9 ? r - 9 : r - 8);
    }
}

}  // namespace gyrelle
