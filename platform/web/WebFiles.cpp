#include "platform/web/WebFiles.h"

#include <emscripten.h>

namespace gyrelle::platform {

namespace {

void (*whenReady)() = nullptr;

// Where the browser will not keep files (no IndexedDB, or IndexedDB refused: cookies
// blocked, some private modes), the folder lives in memory, the page says so once, and
// nothing is attempted again: IndexedDB missing would abort Emscripten's file system.
// clang-format off
EM_JS(void, mountAndRead, (const char* folder), {
    var path = UTF8ToString(folder);
    FS.mkdir(path);
    var done = false;
    var ready = function() {
        if (!done) {
            done = true;
            _gyrelleFilesRead();
        }
    };
    var none = function(why) {
        Module.gyrelleNothingKept(why);
        ready();
    };
    var idb = null;
    try {
        idb = window.indexedDB;
    } catch (e) {
        // some browsers throw where they refuse it
    }
    if (!idb) {
        none("there is no IndexedDB");
        return;
    }
    try {
        FS.mount(IDBFS, {}, path);
        FS.syncfs(true, function(error) {
            if (error) {
                none("the files kept in this browser could not be read: " + error);
            } else {
                ready();
            }
        });
    } catch (e) {
        none("IndexedDB could not be used: " + e);
    }
});
// clang-format on

// clang-format off
EM_JS(void, writeOut, (), {
    if (Module.gyrelleNoStorage || Module.gyrelleHandedOver) {
        return;
    }
    var keep = Module.gyrelleKeep ||
               (Module.gyrelleKeep = {busy : false, again : false, waiting : []});
    if (keep.busy) {
        keep.again = true;
        return;
    }
    keep.busy = true;
    var done = function(error) {
        if (error) {
            keep.busy = false;
            Module.gyrelleNothingKept("could not keep the cube in this browser: " + error);
            keep.waiting.splice(0).forEach(function(then) { then(); });
        } else if (keep.again) {
            keep.again = false;
            sync();
        } else {
            keep.busy = false;
            keep.waiting.splice(0).forEach(function(then) { then(); });
        }
    };
    var sync = function() {
        try {
            FS.syncfs(false, done);
        } catch (e) {
            done(e);
        }
    };
    sync();
});
// clang-format on

// Said once, on the page and in the console; from then on nothing is written out.
// clang-format off
EM_JS(void, prepareNotice, (), {
    Module.gyrelleNothingKept = function(why) {
        console.error("gyrelle: " + why);
        if (Module.gyrelleNoStorage) {
            return;
        }
        Module.gyrelleNoStorage = true;
        if (typeof window.gyrelleNotice === "function") {
            window.gyrelleNotice(
                "This browser keeps nothing here: the cube lasts until the page closes");
        }
    };
});
// clang-format on

// Once what was written is kept, nothing more is: the game is another tab's now.
// clang-format off
EM_JS(void, handOver, (), {
    var keep = Module.gyrelleKeep;
    var then = function() {
        Module.gyrelleHandedOver = true;
        Module.gyrelleHandedOverThen();
    };
    if (keep && keep.busy) {
        keep.waiting.push(then);
    } else {
        then();
    }
});
// clang-format on

}  // namespace

void filesHandedOver() {
    handOver();
}

void whenFilesReady(void (*ready)()) {
    whenReady = ready;
    prepareNotice();
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
