#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace gyrelle::platform {

// The folder for the game's own files, created (mode 0700) when missing, as the XDG
// rules have it: $XDG_DATA_HOME/gyrelle when that is an absolute path, else
// ~/.local/share/gyrelle. Empty, with `why` saying so, when it cannot be had or written
// to; an unusable $XDG_DATA_HOME is reported, not passed over. Only to read what is
// there, `create` false: the folder's path, whether it exists or not.
std::string userDataDirectory(std::string& why, bool create = true);

// How a path of the game's folder is taken. The player's files (the cube, its history,
// the records, the settings) are followed through symbolic links to a regular file, so
// that they may live among the player's dotfiles; the game's own (its lock, `saving`,
// temporaries, the copies it sets aside) never through a link.
enum class Links : char { Follow, Refuse };

// Why the game must not use what is at `path`, in words that follow the path ("is a
// symbolic link", "is a FIFO", "is a folder", "is a link to /x/fifo, which is a FIFO");
// empty when there is nothing there, or a regular file (after its links, with Follow).
std::string unusable(const std::string& path, Links links);

// Replaces the file at `path` with what `write` puts into a stream (false when it could
// not give all of it), so that the old
// file stays whole until the new one is complete on disk: a temporary file in the same
// folder is written, flushed and synced, then renamed over `path`, and the folder
// synced. With Follow a symbolic link at `path` is written through: its target is
// replaced, in the target's folder. Only a regular file is replaced: anything else at
// `path` (or, with Follow, at the end of its links) is refused and left as it is. On
// failure the old file is left as it was, the temporary removed and false returned with
// `error` saying why.
bool replaceFile(const std::string& path, bool (*write)(std::FILE*, const void*),
                 const void* context, std::string& error, Links links = Links::Follow);

// replaceFile with `text` as the file's bytes.
bool replaceFileWith(const std::string& path, const std::string& text, std::string& error,
                     Links links = Links::Follow);

// The regular file at `path` opened for reading, never waiting (a FIFO or a device is
// refused before anything is read from it): -1 with `problem` ("it is not a regular
// file", "it is larger than <what> (N MB)", or the system's words), and `exists` false
// when there is no file at all. At most `largest` bytes.
int openRegularFile(const std::string& path, long largest, const char* what, std::string& problem,
                    bool* exists = nullptr, Links links = Links::Follow);

// The bytes of the regular file at `path` into `text` when it has at most `largest`;
// false otherwise, with `problem` as openRegularFile says it.
bool readRegularFile(const std::string& path, long largest, const char* what, std::string& text,
                     std::string& problem, Links links = Links::Follow);

// Keeps the file at `path` as `path` + `suffix`, replacing an earlier copy: a regular file
// is renamed; for a link to one, the copy is made of its target's bytes, and the link
// and its target stay. The copy is never written through a link. False with `error` on
// failure, the file then as it was.
bool moveAside(const std::string& path, const char* suffix, std::string& error);

// A copy of the regular file at `from` (through its links) as the file `to` (never
// through a link), replaced as replaceFile does; false with `error` on failure.
bool copyFile(const std::string& from, const std::string& to, std::string& error);

// Bytes read a piece at a time, so that nothing need be held whole.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to `most` bytes into `into`: how many, 0 at the end, or -1 with `problem`.
    virtual long read(char* into, size_t most, std::string& problem) = 0;
    // Back to the first byte; false where it cannot be.
    virtual bool rewind() = 0;
};

// Bytes in memory, not copied: they must outlive the source.
class TextSource : public ByteSource {
  public:
    explicit TextSource(std::string_view text) : text_(text) {}
    long read(char* into, size_t most, std::string& problem) override;
    bool rewind() override;

  private:
    std::string_view text_;
    size_t at_ = 0;
};

// A regular file, opened as openRegularFile opens it.
class FileSource : public ByteSource {
  public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool open(const std::string& path, long largest, const char* what, std::string& problem);
    long read(char* into, size_t most, std::string& problem) override;
    bool rewind() override;

  private:
    int fd_ = -1;
};

// The name replaceFile gives its temporary for the file `name`, before mkstemp's six
// letters and digits: nothing of the player's is named so.
std::string temporaryPrefix(const std::string& name);

// Removes, from the folder `dir` itself, the temporaries replaceFile left there for the
// files `names` when a save was cut short: this user's regular files, named as above,
// older than `seconds`. Nothing through a link, nothing outside `dir`. Returns how many.
int removeStaleTemporaries(const std::string& dir, const std::vector<std::string>& names,
                           double seconds);

}  // namespace gyrelle::platform
