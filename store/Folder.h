#pragma once

#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "store/Reading.h"

namespace gyrelle::store {

// The one place that knows the files kept side by side in the game's folder: their
// paths, the lock that gives the folder to one game, the copies set aside, and the save
// that replaces several of them at once.
//
// A save of more than one file is first written whole to `saving` (in one atomic
// replace); then each file is replaced; then `saving` is removed. A save cut short at
// any instant thus leaves either the files as they were (no `saving` yet) or a whole
// `saving`, which the next start completes. So the files always read back as one save
// or the other, never a mix:
//
//   gyrelle saving 1
//   file <name> <length in bytes>
//   <the file's bytes>
//   ...
//   end
class Folder {
  public:
    static constexpr char kCube[] = "cube_state.dat";
    static constexpr char kHistory[] = "history";
    static constexpr char kRecords[] = "records";
    static constexpr char kSettings[] = "settings";
    static constexpr char kTrainer[] = "trainer";
    static constexpr char kSessions[] = "sessions";
    static constexpr char kSaving[] = "saving";
    static constexpr char kLock[] = "lock";
    // The records as they were before an import.
    static constexpr char kBeforeImport[] = "records.before-import";
    // The solver's largest table, built once and kept (store/DepthsFile.h).
    static constexpr char kDepths[] = "solver_depths";

    enum class Access : char { Write, Read };
    // `dir`: an existing folder; with Read, one the game only looks into (--stats).
    explicit Folder(std::string dir, Access access = Access::Write);
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::string& dir() const { return dir_; }
    // The path of the file `name` of the folder.
    std::string path(const char* name) const;

    // Takes the folder for this game alone, for as long as the Folder lives. False when
    // this game may not write in it: another game has it (elsewhere), or one of the
    // game's own files (the lock, `saving`, a copy set aside) is a link or anything but
    // a regular file (refusal says which, and what it is). From then on this one only
    // reads, and never writes.
    bool lock();
    bool writable() const { return writable_; }
    bool elsewhere() const { return !writable_ && refusal_.empty(); }
    // "/…/saving is a symbolic link", or empty.
    const std::string& refusal() const { return refusal_; }
    // What was refused is looked at again: true once it is gone and the folder is this
    // game's, a save cut short meanwhile completed.
    bool retake();

    // At start, before anything is read: a save that was cut short is completed, and the
    // temporaries of saves cut short earlier are removed (only when writable). What went
    // wrong is said in the log. A `saving` that cannot be read is kept as saving.bad; one
    // that cannot be kept so either is refused.
    void recover();

    // The file `name` opened for reading, as the last save left it; null when there is
    // none (`reading` whole), or with `reading` saying why: not a regular file, larger
    // than `largest` bytes (no `what` is larger), or not readable.
    std::FILE* open(const char* name, long largest, const char* what, Reading& reading) const;

    // Keeps the file `name` as the same name with ".bad", replacing any earlier one: a
    // regular file is renamed, a link's target copied (the link stays, its target the
    // player's). False with `error` on failure, the file then as it was.
    bool setAside(const char* name, std::string& error);
    // The file `name` as the last save left it, copied whole to `copy` (a file of the
    // game's own, never written through a link); false with `error` on failure.
    bool keepCopy(const char* name, const char* copy, std::string& error) const;

    // Replaces the files named with the texts given: after a crash at any instant, all or
    // none of them. A symbolic link is written through to its target. False, with
    // `error` naming the file, when the save may not be on the disk; `committed` then
    // says whether it is whole in `saving` all the same, to be completed by the next
    // save or start.
    // Each file's text in pieces, written one after the other: a big file is never
    // copied whole to be written.
    using Pieces = std::vector<const std::string*>;
    using Texts = std::vector<std::pair<const char*, Pieces>>;
    bool replace(const Texts& files, std::string& error, bool* committed = nullptr);
    // A save cut short may still wait to be completed: the next save must hold every
    // file, not only those that changed.
    bool wholeSaveNeeded() const { return unfinished_.load(); }

    // The text of `saving` for these files; and a `saving` read back into the texts of
    // its files, by name: false for anything that is not one whole.
    static std::string savingText(const Texts& files);
    static bool readSaving(std::FILE* in, std::map<std::string, std::string>& texts);

  private:
    bool refuse(const char* name, const std::string& why);
    std::string dir_;
    std::string refusal_;
    int lockFd_ = -1;
    bool writable_ = true;
    // The files of a save cut short that could not be completed here (another game has
    // the folder, or the disk refused): read from here rather than the disk.
    std::map<std::string, std::string> pending_;
    std::atomic<bool> unfinished_{false};  // written by the save in flight, read by the next
};

}  // namespace gyrelle::store
