#pragma once

#include <cstddef>
#include <cstdint>

namespace gyrelle::platform {

// Large bytes kept in the browser's IndexedDB apart from the game's folder (whose files
// are all read back at each start): read only when asked, written whole or not at all.
// One read at a time.

// Whether this device has at least `gigabytes` of memory: true where the browser does not
// say (only some do, navigator.deviceMemory).
bool deviceHasMemory(int gigabytes);

// What is kept under `name` into `into` when it is exactly `size` bytes: then `done`
// (true), else `done` (false: nothing kept, another size, no storage), later.
void readKept(const char* name, std::uint8_t* into, std::size_t size,
              void (*done)(bool got, void* context), void* context);

// Keeps `size` bytes and then `tailSize` more from `tail` as one piece under `name`,
// replacing what was; nothing once another tab has the game, or where the browser keeps
// nothing. The bytes are read over the next few tasks and must stay as they are; the
// tail is read at once.
void keepBytes(const char* name, const std::uint8_t* bytes, std::size_t size,
               const std::uint8_t* tail, std::size_t tailSize);

// Calls `work` between the page's frames until it returns false.
void workBetweenFrames(bool (*work)());

}  // namespace gyrelle::platform
