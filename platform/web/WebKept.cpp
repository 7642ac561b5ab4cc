#include "platform/web/WebKept.h"

#include <emscripten.h>

namespace gyrelle::platform {

namespace {

void (*readDone)(bool, void*) = nullptr;
void* readContext = nullptr;
bool (*working)() = nullptr;

// A database of its own, opened when first needed: its one store holds each piece as an
// ArrayBuffer under its name.
// clang-format off
EM_JS(void, openPieces, (), {
    if (Module.gyrelleKept) {
        return;
    }
    Module.gyrelleKept = new Promise(function(resolve, reject) {
        var idb = null;
        try {
            idb = window.indexedDB;
        } catch (e) {
        }
        if (!idb) {
            reject("there is no IndexedDB");
            return;
        }
        var request = idb.open("gyrelle-kept", 1);
        request.onupgradeneeded = function() { request.result.createObjectStore("kept"); };
        request.onsuccess = function() { resolve(request.result); };
        request.onerror = function() { reject(request.error); };
    });
});

EM_JS(bool, deviceHas, (int gigabytes), {
    var has = navigator.deviceMemory;
    return !has || has >= gigabytes;
});

// A piece is a Blob, put in and read out a few megabytes a task, so that no frame waits
// on copying it whole.
EM_JS(void, readPiece, (const char* name, std::uint8_t* into, double size), {
    var key = UTF8ToString(name);
    var failed = function(why) {
        console.error("gyrelle: " + key + " was not read: " + why);
        _gyrelleKeptRead(0);
    };
    Module.gyrelleKept.then(function(db) {
        return new Promise(function(resolve, reject) {
            var request = db.transaction("kept", "readonly").objectStore("kept").get(key);
            request.onsuccess = function() { resolve(request.result); };
            request.onerror = function() { reject(request.error); };
        });
    }).then(function(piece) {
        if (!(piece instanceof Blob) || piece.size !== size) {
            _gyrelleKeptRead(0);
            return;
        }
        var at = 0;
        var next = function() {
            if (at === size) {
                _gyrelleKeptRead(1);
                return;
            }
            var end = Math.min(size, at + 4194304);
            piece.slice(at, end).arrayBuffer().then(function(part) {
                HEAPU8.set(new Uint8Array(part), into + at);
                at = end;
                next();
            }, failed);
        };
        next();
    }, failed);
});

EM_JS(void, keepPiece, (const char* name, const std::uint8_t* bytes, double size,
                       const std::uint8_t* tail, double tailSize), {
    var key = UTF8ToString(name);
    var last = new Blob([HEAPU8.subarray(tail, tail + tailSize)]);  // the tail is not kept
    var parts = [];
    var at = 0;
    var failed = function(why) { console.error("gyrelle: " + key + " was not kept: " + why); };
    var next = function() {
        if (Module.gyrelleNoStorage || Module.gyrelleHandedOver) {
            return;
        }
        if (at < size) {
            var end = Math.min(size, at + 4194304);
            parts.push(new Blob([HEAPU8.subarray(bytes + at, bytes + end)]));
            at = end;
            setTimeout(next, 0);
            return;
        }
        parts.push(last);
        var piece = new Blob(parts);
        Module.gyrelleKept.then(function(db) {
            var done = db.transaction("kept", "readwrite");
            done.objectStore("kept").put(piece, key);
            done.onerror = function() { failed(done.error); };
        }, failed);
    };
    next();
});

// A task of its own each time, so that frames and events come between; one run at a time.
EM_JS(void, workSoon, (), {
    if (Module.gyrelleWorking) {
        return;
    }
    Module.gyrelleWorking = true;
    var step = function() {
        if (_gyrelleWorkBetweenFrames()) {
            setTimeout(step, 0);
        } else {
            Module.gyrelleWorking = false;
        }
    };
    setTimeout(step, 0);
});
// clang-format on

}  // namespace

bool deviceHasMemory(int gigabytes) {
    return deviceHas(gigabytes);
}

void readKept(const char* name, std::uint8_t* into, std::size_t size,
              void (*done)(bool got, void* context), void* context) {
    readDone = done;
    readContext = context;
    openPieces();
    readPiece(name, into, static_cast<double>(size));
}

void keepBytes(const char* name, const std::uint8_t* bytes, std::size_t size,
               const std::uint8_t* tail, std::size_t tailSize) {
    openPieces();
    keepPiece(name, bytes, static_cast<double>(size), tail, static_cast<double>(tailSize));
}

void workBetweenFrames(bool (*work)()) {
    working = work;
    workSoon();
}

}  // namespace gyrelle::platform

extern "C" EMSCRIPTEN_KEEPALIVE void gyrelleKeptRead(int got) {
    if (auto done = gyrelle::platform::readDone) {
        gyrelle::platform::readDone = nullptr;
        done(got != 0, gyrelle::platform::readContext);
    }
}

extern "C" EMSCRIPTEN_KEEPALIVE bool gyrelleWorkBetweenFrames() {
    return gyrelle::platform::working && gyrelle::platform::working();
}
