// The saved state: the stickers, the orientation and a running spin, written when the
// game ends and read back while the view is built.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Scan.h"
#include "view/EAGLView.h"

namespace gyrelle {

namespace {

constexpr int kVersion = 4;

std::string statePath(platform::Platform& platform) {
    std::string dir = platform.documentsDirectory();
    return dir.empty() ? dir : dir + "/cube_state.dat";
}

// One line per sticker slot, in slot order: red, green, blue, home face.
void writeStickers(std::FILE* out, const MagicCube::Stickers& stickers) {
    for (const Sticker& s : stickers) {
        std::fprintf(out, "%d %d %d %d\n", s.rgb[0], s.rgb[1], s.rgb[2], s.faceNumber);
    }
}

// Reads up to 54 sticker lines into `stickers`, stopping at the first incomplete one;
// returns how many were read. Each number keeps its low 8 bits.
int readStickers(std::FILE* in, MagicCube::Stickers& stickers) {
    int read = 0;
    for (Sticker& s : stickers) {
        platform::ScannedInt v[4];
        if (platform::scanText(in, "%d %d %d %d\n", {&v[0], &v[1], &v[2], &v[3]}) < 4) {
            break;
        }
        for (int c = 0; c < 3; ++c) {
            s.rgb[c] = v[c].low8;
        }
        s.faceNumber = static_cast<signed char>(v[3].low8);
        ++read;
    }
    return read;
}

// Reads "<keyword> %f %f %f %f\n"; on failure says why. A line whose numbers are not
// finite is refused, since a NaN orientation would hide the cube for good; so is an
// axis too long to measure in single precision, which would leave a quaternion of the
// wrong length.
bool readRotation(std::FILE* in, const char* keyword, float* axis, float* angle,
                  std::string& problem) {
    const std::string format = std::string(keyword) + " %f %f %f %f\n";
    if (platform::scanText(in, format.c_str(), {&axis[0], &axis[1], &axis[2], angle}) != 4) {
        problem = std::string("its ") + keyword + " line is missing or malformed";
        return false;
    }
    if (!std::isfinite(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]) ||
        !std::isfinite(*angle)) {
        problem = std::string("its ") + keyword + " line holds a number too large or not a number";
        return false;
    }
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

}  // namespace

void EAGLView::writeState(std::FILE* out) const {
    std::fprintf(out, "version %d\n", kVersion);
    writeStickers(out, magicCube->stickers());
    // The identity has no axis to report; any axis with angle 0 reads back as it.
    float axis[3] = {1, 0, 0};
    float angle = 0;
    currentRotation.getAxis(axis, &angle);
    std::fprintf(out, "crot %f %f %f %f\n", axis[0], axis[1], axis[2], angle);
    qdeltacontinue.getAxis(axis, &angle);
    std::fprintf(out, "drot %f %f %f %f\n", axis[0], axis[1], axis[2], angle);
    std::fprintf(out, "brot %d\n", bContinueToRotate);
    std::fprintf(out, "prem %d\n", bContinuePremultiply);
}

void EAGLView::terminate() {
    const std::string path = statePath(platform_);
    if (path.empty()) {
        return;
    }
    std::string error;
    auto write = [](std::FILE* out, const void* self) {
        static_cast<const EAGLView*>(self)->writeState(out);
    };
    if (!platform::replaceFile(path, write, this, error)) {
        platform::logMessage("could not save the cube to %s: %s", path.c_str(), error.c_str());
    }
}

// Applies what it can, item by item, and stops at the first item it cannot read (the
// stickers excepted: a short run of them is kept and reading goes on after it). The
// first problem is logged, so a refused file never goes unexplained.
void EAGLView::restoreState() {
    const std::string path = statePath(platform_);
    if (path.empty()) {
        return;
    }
    // Only a regular file: opening a FIFO put there would wait for ever.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            platform::logMessage("could not read %s: %s", path.c_str(), std::strerror(errno));
        }
        return;
    }
    struct stat st {};
    std::FILE* in = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "r") : nullptr;
    if (in == nullptr) {
        platform::logMessage("%s was not read: it is not a regular file", path.c_str());
        close(fd);
        return;
    }
    std::string problem;
    bool refused = false;
    platform::ScannedInt version;
    if (platform::scanText(in, "version %d\n", {&version}) != 1) {
        problem = "it does not begin with a version line";
        refused = true;
    } else if (!version.fitsInt || version.value != kVersion) {
        problem = version.fitsInt ? "it is version " + std::to_string(version.value) + ", not 4"
                                  : std::string("its version is not 4");
        refused = true;
    } else {
        MagicCube::Stickers stickers = magicCube->stickers();
        const int read = readStickers(in, stickers);
        magicCube->setStickers(stickers);
        if (read < MagicCube::kStickers) {
            problem = "sticker line " + std::to_string(read + 1) + " is missing or malformed";
        }
        float axis[3], angle;
        std::string next;
        if (readRotation(in, "crot", axis, &angle, next)) {
            currentRotation.setAxis(axis, angle);
            if (readRotation(in, "drot", axis, &angle, next)) {
                qdeltacontinue.setAxis(axis, angle);
                if (readFlag(in, "brot", bContinueToRotate, next)) {
                    readFlag(in, "prem", bContinuePremultiply, next);
                }
            }
        }
        if (problem.empty()) {
            problem = next;
        }
    }
    std::fclose(in);
    if (!problem.empty()) {
        platform::logMessage("%s was %s: %s", path.c_str(),
                             refused ? "not read" : "read only in part", problem.c_str());
    }
}

}  // namespace gyrelle
