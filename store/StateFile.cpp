#include "store/StateFile.h"

#include <algorithm>
#include <cmath>

#include "platform/Scan.h"

namespace gyrelle::store {

namespace {

constexpr int kVersion = 4;

bool isStickerColour(const unsigned char* rgb) {
    return MagicCube::solved().getStickerLocationWithColor(rgb) >= 0;
}

// Reads up to 54 sticker lines into `stickers`, stopping at the first incomplete one or
// one of a colour no sticker has; on stopping early, says why. Each number keeps its
// low 8 bits.
void readStickers(std::FILE* in, MagicCube::Stickers& stickers, std::string& problem) {
    for (int slot = 0; slot < MagicCube::kStickers; ++slot) {
        platform::ScannedInt v[4];
        if (platform::scanText(in, "%d %d %d %d\n", {&v[0], &v[1], &v[2], &v[3]}) < 4) {
            problem = "sticker line " + std::to_string(slot + 1) + " is missing or malformed";
            return;
        }
        const unsigned char rgb[3] = {v[0].low8, v[1].low8, v[2].low8};
        if (!isStickerColour(rgb)) {
            // A cube drawn in such colours could be neither seen nor picked.
            problem = "sticker line " + std::to_string(slot + 1) + " holds no sticker's colour";
            return;
        }
        std::copy(rgb, rgb + 3, stickers[slot].rgb);
        stickers[slot].faceNumber = static_cast<signed char>(v[3].low8);
    }
}

// Reads "<keyword> %f %f %f %f\n" into `q`; on failure says why. A line whose numbers
// are not finite is refused, since a NaN orientation would hide the cube for good.
bool readRotation(std::FILE* in, const char* keyword, Quaternion& q, std::string& problem) {
    const std::string format = std::string(keyword) + " %f %f %f %f\n";
    float axis[3], angle;
    if (platform::scanText(in, format.c_str(), {&axis[0], &axis[1], &axis[2], &angle}) != 4) {
        problem = std::string("its ") + keyword + " line is missing or malformed";
        return false;
    }
    if (!std::isfinite(axis[0]) || !std::isfinite(axis[1]) || !std::isfinite(axis[2]) ||
        !std::isfinite(angle)) {
        problem = std::string("its ") + keyword + " line holds a number too large or not a number";
        return false;
    }
    // The axis of a rotation by a tiny angle is written very long (its length is
    // 1 / sin(angle / 2)), too long to measure in single precision: only its direction
    // counts, so it is brought to a measurable length first.
    if (!std::isfinite(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2])) {
        const float longest =
            std::max({std::fabs(axis[0]), std::fabs(axis[1]), std::fabs(axis[2])});
        for (float& a : axis) {
            a /= longest;
        }
    }
    q.setAxis(axis, angle);
    return true;
}

bool readFlag(std::FILE* in, const char* keyword, signed char& flag, std::string& problem) {
    const std::string format = std::string(keyword) + " %d\n";
    platform::ScannedInt v;
    if (platform::scanText(in, format.c_str(), {&v}) != 1) {
        problem = std::string("its ") + keyword + " line is missing or malformed";
        return false;
    }
    flag = static_cast<signed char>(v.low8);
    return true;
}

void writeRotation(std::FILE* out, const char* keyword, const Quaternion& q, float* axis,
                   float& angle) {
    q.getAxis(axis, &angle);
    std::fprintf(out, "%s %f %f %f %f\n", keyword, axis[0], axis[1], axis[2], angle);
}

}  // namespace

void writeSavedState(std::FILE* out, const SavedState& state) {
    std::fprintf(out, "version %d\n", kVersion);
    for (const Sticker& s : state.stickers) {
        std::fprintf(out, "%d %d %d %d\n", s.rgb[0], s.rgb[1], s.rgb[2], s.faceNumber);
    }
    // The identity has no axis to report; any axis with angle 0 reads back as it. A
    // rotation with no axis repeats the line before, as it always has.
    float axis[3] = {1, 0, 0};
    float angle = 0;
    writeRotation(out, "crot", state.motion.currentRotation, axis, angle);
    writeRotation(out, "drot", state.motion.qdeltacontinue, axis, angle);
    std::fprintf(out, "brot %d\n", state.motion.bContinueToRotate);
    std::fprintf(out, "prem %d\n", state.motion.bContinuePremultiply);
}

Reading readSavedState(std::FILE* in, SavedState& state) {
    platform::ScannedInt version;
    if (platform::scanText(in, "version %d\n", {&version}) != 1) {
        return Reading::refused("it does not begin with a version line");
    }
    if (!version.fitsInt || version.value != kVersion) {
        return Reading::refused(version.fitsInt
                                    ? "it is version " + std::to_string(version.value) + ", not 4"
                                    : std::string("its version is not 4"));
    }
    std::string problem;
    readStickers(in, state.stickers, problem);
    std::string next;
    if (readRotation(in, "crot", state.motion.currentRotation, next) &&
        readRotation(in, "drot", state.motion.qdeltacontinue, next) &&
        readFlag(in, "brot", state.motion.bContinueToRotate, next)) {
        readFlag(in, "prem", state.motion.bContinuePremultiply, next);
    }
    if (problem.empty()) {
        problem = next;
    }
    return problem.empty() ? Reading{} : Reading::partial(problem);
}

}  // namespace gyrelle::store
