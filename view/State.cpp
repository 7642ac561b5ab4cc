// The saved state: the stickers, the orientation and a running spin, written when the
// game ends and read back while the view is built.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

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

// Reads "<keyword> %f %f %f %f\n". A line whose numbers are not finite is malformed,
// since a NaN orientation would hide the cube for good; so is an axis too long to
// measure in single precision, which would leave a quaternion of the wrong length.
bool readRotation(std::FILE* in, const char* format, float* axis, float* angle) {
    if (platform::scanText(in, format, {&axis[0], &axis[1], &axis[2], angle}) != 4) {
        return false;
    }
    return std::isfinite(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]) &&
           std::isfinite(*angle);
}

bool readFlag(std::FILE* in, const char* format, signed char& flag) {
    platform::ScannedInt v;
    if (platform::scanText(in, format, {&v}) != 1) {
        return false;
    }
    flag = static_cast<signed char>(v.low8);
    return true;
}

}  // namespace

void EAGLView::writeState(std::FILE* out) const {
    std::fprintf(out, "version %d\n", kVersion);
    magicCube->writeStickers(out);
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

void EAGLView::restoreState() {
    const std::string path = statePath(platform_);
    if (path.empty()) {
        return;
    }
    // Only a regular file: opening a FIFO put there would wait for ever.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat st {};
    std::FILE* in = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "r") : nullptr;
    if (in == nullptr) {
        close(fd);
        return;
    }
    platform::ScannedInt version;
    if (platform::scanText(in, "version %d\n", {&version}) == 1 && version.fitsInt &&
        version.value == kVersion) {
        magicCube->readStickers(in);
        float axis[3], angle;
        if (readRotation(in, "crot %f %f %f %f\n", axis, &angle)) {
            currentRotation.setAxis(axis, angle);
            if (readRotation(in, "drot %f %f %f %f\n", axis, &angle)) {
                qdeltacontinue.setAxis(axis, angle);
                if (readFlag(in, "brot %d\n", bContinueToRotate)) {
                    readFlag(in, "prem %d\n", bContinuePremultiply);
                }
            }
        }
    }
    std::fclose(in);
}

}  // namespace gyrelle
