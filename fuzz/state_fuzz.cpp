// Fuzzes the saved-state reader: any file is read without harm, and what it leaves
// is written back and read again to the same cube.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Scan.h"
#include "platform/headless/HeadlessPlatform.h"
#include "view/EAGLView.h"

namespace {

using namespace gyrelle;

struct Fixture {
    Fixture() {
        char pattern[] = "/tmp/gyrelle-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::abort();
        }
        dir = pattern;
        platform.setDocumentsDirectory(dir);
        view = EAGLView::create(platform);
        if (!view) {
            std::abort();
        }
        start = view->currentRotation;
        still = view->qdeltacontinue;
    }
    void defaults() {
        view->magicCube->resetCube();
        view->currentRotation = start;
        view->qdeltacontinue = still;
        view->bContinueToRotate = 0;
        view->bContinuePremultiply = 0;
    }
    std::string path() const { return dir + "/cube_state.dat"; }
    std::string load() const {
        std::string text;
        if (std::FILE* f = std::fopen(path().c_str(), "rb")) {
            char buf[4096];
            for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) {
                text.append(buf, n);
            }
            std::fclose(f);
        }
        return text;
    }
    void store(const uint8_t* data, size_t size) const {
        std::FILE* f = std::fopen(path().c_str(), "wb");
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }

    platform::HeadlessPlatform platform{EAGLView::kScreenPoints};
    std::string dir;
    std::unique_ptr<EAGLView> view;
    Quaternion start, still;
};

bool finite(const Quaternion& q) {
    return std::isfinite(q.q[0]) && std::isfinite(q.q[1]) && std::isfinite(q.q[2]) &&
           std::isfinite(q.q[3]);
}

// The same rotation, to the precision of the file's six decimals.
void expectSame(const Quaternion& a, const Quaternion& b) {
    const float basis[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& v : basis) {
        float x[3], y[3];
        a.rotateVector(v, x);
        b.rotateVector(v, y);
        for (int i = 0; i < 3; ++i) {
            if (!(std::fabs(x[i] - y[i]) < 1e-3f)) {
                std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Fixture* f = new Fixture();
    EAGLView& v = *f->view;
    f->store(data, size);
    f->defaults();
    v.restoreState();
    if (!finite(v.currentRotation) || !finite(v.qdeltacontinue)) {
        std::abort();  // a non-finite orientation would hide the cube for good
    }
    // Write back what was read, read that from the start again: the same cube.
    const MagicCube cube = *v.magicCube;
    const Quaternion rotation = v.currentRotation, spin = v.qdeltacontinue;
    const signed char spinning = v.bContinueToRotate, premultiply = v.bContinuePremultiply;
    v.terminate();
    f->defaults();
    v.restoreState();
    for (int s = 0; s < MagicCube::kStickers; ++s) {
        if (std::memcmp(&cube.stickers()[s], &v.magicCube->stickers()[s], sizeof(Sticker)) != 0) {
            std::abort();
        }
    }
    if (v.bContinueToRotate != spinning || v.bContinuePremultiply != premultiply) {
        std::abort();
    }
    expectSame(v.currentRotation, rotation);
    // With no spin (a zero vector part) the file repeats the orientation instead.
    if (spin.q[0] != 0 || spin.q[1] != 0 || spin.q[2] != 0) {
        expectSame(v.qdeltacontinue, spin);
    }
    return 0;
}
