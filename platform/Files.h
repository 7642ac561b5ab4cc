#pragma once

#include <cstdio>
#include <string>

namespace gyrelle::platform {

// The directory for the game's own files: $XDG_DATA_HOME/gyrelle, or
// ~/.local/share/gyrelle, created when missing. Empty when there is none to be had.
std::string userDataDirectory();

// Replaces the file at `path` with what `write` puts into a stream, so that the old
// file stays whole until the new one is complete on disk: a temporary file in the same
// directory is written, flushed and synced, then renamed over `path`, and the directory
// synced. On failure the old file is left as it was, the temporary removed and false
// returned with `error` saying why.
bool replaceFile(const std::string& path, void (*write)(std::FILE*, const void*),
                 const void* context, std::string& error);

}  // namespace gyrelle::platform
