#include <algorithm>

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
    if (start == end || s_.animating || start < 0 || end < 0 || start >= kStickers ||
        end >= kStickers) {
        return false;
    }
    int code = sliceCodeFor(start, end);
    if (code == 0) {
        return false;
    }
    animate(code);
    return true;
}

bool MagicCube::startTurn(int code, int frames) {
    if (s_.animating || code == 0 || code < -9 || code > 9) {
        return false;
    }
    // Four frames at 18 degrees, and the fifth step lands it: 90 / (frames + 1) a step.
    animate(code, frames == kTurnFrames ? kTurnStep
                                        : 90.0f / static_cast<float>(std::clamp(frames, 1, 4) + 1));
    return true;
}

void MagicCube::animate(int code, float step) {
    s_.animating = true;
    s_.animatedDirection = code >= 0 ? 1 : -1;
    s_.animatedSlice = (code < 0 ? -code : code) - 1;
    s_.turnStep = step;
    s_.animatedAngle = step;
    s_.turnCode = code;
    ++revision_;
}

bool MagicCube::rotateFace(int code) {
    const int i = (code < 0 ? -code : code) - 1;
    if (i < 0 || i > 8) {
        return false;  // not a slice code
    }
    const bool forward = code > 0;
    const int* g = rotations[i];  // groups at g, g + 3, g + 6, g + 9
    Sticker* st = s_.stickers.data();

    Sticker kept[3];
    for (int j = 0; j < 3; ++j) {
        kept[j] = st[g[j]];
    }
    if (forward) {
        for (int j = 0; j < 3; ++j) {
            st[g[j]] = st[g[9 + j]];
            st[g[9 + j]] = st[g[6 + j]];
            st[g[6 + j]] = st[g[3 + j]];
            st[g[3 + j]] = kept[j];
        }
    } else {
        for (int j = 0; j < 3; ++j) {
            st[g[j]] = st[g[3 + j]];
            st[g[3 + j]] = st[g[6 + j]];
            st[g[6 + j]] = st[g[9 + j]];
            st[g[9 + j]] = kept[j];
        }
    }

    if (i != 1 && i != 4 && i != 7) {
        const int* c = cornerrots[i];
        const int* e = edgerots[i];
        if (forward) {
            Sticker keptC = st[c[3]];
            Sticker keptE = st[e[3]];
            for (int j = 3; j >= 1; --j) {
                st[c[j]] = st[c[j - 1]];
                st[e[j]] = st[e[j - 1]];
            }
            st[c[0]] = keptC;
            st[e[0]] = keptE;
        } else {
            Sticker keptC = st[c[0]];
            Sticker keptE = st[e[0]];
            for (int j = 0; j <= 2; ++j) {
                st[c[j]] = st[c[j + 1]];
                st[e[j]] = st[e[j + 1]];
            }
            st[c[3]] = keptC;
            st[e[3]] = keptE;
        }
    }
    ++revision_;
    return true;
}

int MagicCube::stepAnimation(int steps) {
    if (!s_.animating) {
        return 0;
    }
    s_.animatedAngle = s_.turnStep * static_cast<float>(std::max(steps, 1)) + s_.animatedAngle;
    ++revision_;
    if (s_.animatedAngle < 90.0f) {
        return 0;
    }
    s_.animating = false;
    rotateFace(s_.turnCode);  // the code the drag found, or the one asked for
    return s_.turnCode;
}

int MagicCube::scrambleCode(long random) {
    const int r = static_cast<int>(random % 18);
    return r < 9 ? r - 9 : r - 8;
}

void MagicCube::scrambleCube(RandomSource& random) {
    for (int n = 0; n < kScrambleTurns; ++n) {
        rotateFace(scrambleCode(random.next()));
    }
}

void MagicCube::scrambleCube() {
    ClockSeededRandom random;
    scrambleCube(random);
}

}  // namespace gyrelle
