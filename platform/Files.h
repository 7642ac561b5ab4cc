#pragma once

#include <cstdio>
#include <string>

namespace gyrelle::platform {

// The folder for the game's own files, created (mode 0700) when missing, as the XDG
// rules have it: $XDG_DATA_HOME/gyrelle when that is an absolute path, else
// ~/.local/share/gyrelle. Empty, with `why` saying so, when it cannot be had or written
// to; an unusable $XDG_DATA_HOME is reported, not passed over. Only to read what is
// there, `create` false: the folder's path, whether it exists or not.
std::string userDataDirectory(std::string& why, bool create = true);

// Replaces the file at `path` with what `write` puts into a stream, so that the old
// file stays whole until the new one is complete on disk: a temporary file in the same
// folder is written, flushed and synced, then renamed over `path`, and the folder
// synced. A symbolic link at `path` is written through: its target is replaced, in the
// target's folder. Only a regular file is replaced: a device, FIFO or folder at `path`
// or at the end of its links is refused and left as it is. On failure the old file is
// left as it was, the temporary removed and false returned with `error` saying why.
bool replaceFile(const std::string& path, void (*write)(std::FILE*, const void*),
                 const void* context, std::string& error);

// replaceFile with `text` as the file's bytes.
bool replaceFileWith(const std::string& path, const std::string& text, std::string& error);

// The bytes of the regular file at `path` into `text` when it has at most `largest`;
// false otherwise, with `problem`: the system's words, "it is not a regular file", or
// "it is larger than <what> (N MB)".
bool readRegularFile(const std::string& path, long largest, const char* what, std::string& text,
                     std::string& problem);

// Renames the regular file at `path` (a link's target, for a link) to the same name with
// `suffix`, replacing any file of that name; false with `error` on failure.
bool moveAside(const std::string& path, const char* suffix, std::string& error);

// Removes the temporaries replaceFile left beside `path` when a save was cut short, if
// they are older than `seconds`; returns how many.
int removeStaleTemporaries(const std::string& path, double seconds);

}  // namespace gyrelle::platform
