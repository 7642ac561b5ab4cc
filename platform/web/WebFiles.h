#pragma once

namespace gyrelle::platform {

// The game's folder in the browser: an IndexedDB-backed file system mounted at
// kDocuments. Reading it back is asynchronous: `ready` is called once the files kept by
// an earlier visit are in place (or could not be had: then the folder starts empty).
// Where the browser keeps nothing (IndexedDB missing or refused), the folder is in
// memory, and the page says so once.
inline constexpr char kDocuments[] = "/gyrelle";
void whenFilesReady(void (*ready)());

// Keeps what was written in the folder: in IndexedDB once the browser has it. Calls
// while one is under way are gathered into one more.
void keepFiles();

// Another tab takes the game over: once what was written is kept, nothing more is, and
// the page's Module.gyrelleHandedOverThen is called.
void filesHandedOver();

}  // namespace gyrelle::platform
