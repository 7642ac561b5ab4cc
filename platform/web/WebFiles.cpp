#include "platform/web/WebFiles.h"

#include <emscripten.h>

namespace gyrelle::platform {

namespace {

void (*whenReady)() = nullptr;

// clang-format off
EM_JS(void, mountAndRead, (const char* folder), {
    var path = UTF8ToString(folder);
    try {
        FS.mkdir(path);
        FS.mount(IDBFS, {}, path);
    } catch (e) {
        console.error("gyrelle: no lasting storage for the cube: " + e);
    }
    FS.syncfs(
        true, function(error) {
            if (error) {
                console.error("gyrelle: the cube kept in this browser could not be read: " + error);
            }
            _gyrelleFilesRead();
        });
});
// clang-format on

// clang-format off
EM_JS(void, writeOut, (), {
    var keep = Module.gyrelleKeep || (Module.gyrelleKeep = {busy : false, again : false});
    if (keep.busy) {
        keep.again = true;
        return;
    }
    keep.busy = true;
    FS.syncfs(
        false, function done(error) {
            if (error) {
                console.error("gyrelle: could not keep the cube in this browser: " + error);
            }
            if (keep.again) {
                keep.again = false;
                FS.syncfs(false, done);
            } else {
                keep.busy = false;
            }
        });
});
// clang-format on

}  // namespace

void whenFilesReady(void (*ready)()) {
    whenReady = ready;
    mountAndRead(kDocuments);
}

void keepFiles() {
    writeOut();
}

}  // namespace gyrelle::platform

extern "C" EMSCRIPTEN_KEEPALIVE void gyrelleFilesRead() {
    if (auto ready = gyrelle::platform::whenReady) {
        gyrelle::platform::whenReady = nullptr;
        ready();
    }
}
