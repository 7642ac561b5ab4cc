#include "store/Folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/Log.h"
#include "store/HistoryFile.h"
#include "store/Lines.h"
#include "store/RecordsFile.h"
#include "store/SessionsFile.h"
#include "store/SettingsFile.h"
#include "store/StateFile.h"
#include "store/TrainerFile.h"

namespace gyrelle::store {

namespace {

constexpr char kSavingHeader[] = "gyrelle saving 1";
// A temporary older than this was left by a save that was cut short (seconds).
constexpr double kStaleTemporary = 60.0;

// The files a save may hold, and the most bytes each may have.
struct Kept {
    const char* name;
    long largest;
};
constexpr Kept kKept[] = {
    {Folder::kCube, kLargestStateFile},      {Folder::kHistory, kLargestHistoryFile},
    {Folder::kRecords, kLargestRecordsFile}, {Folder::kSettings, kLargestSettingsFile},
    {Folder::kTrainer, kLargestTrainerFile}, {Folder::kSessions, kLargestSessionsFile}};
constexpr long kLargestSaving = kLargestStateFile + kLargestHistoryFile + kLargestRecordsFile +
                                kLargestSettingsFile + kLargestTrainerFile + kLargestSessionsFile +
                                1024;

// The game's own files, never written or read through a link: set aside copies of every
// kept file and of `saving`, `saving` itself, the lock, the records before an import and
// the solver's table.
const std::vector<std::string>& ownFiles() {
    static const std::vector<std::string> own = [] {
        std::vector<std::string> names{Folder::kLock, Folder::kSaving,
                                       std::string(Folder::kSaving) + ".bad", Folder::kBeforeImport,
                                       Folder::kDepths};
        for (const Kept& k : kKept) {
            names.push_back(std::string(k.name) + ".bad");
        }
        return names;
    }();
    return own;
}

// Every file a save of the game's may write, and so have a temporary of.
std::vector<std::string> writtenFiles() {
    std::vector<std::string> names = ownFiles();
    for (const Kept& k : kKept) {
        names.push_back(k.name);
    }
    return names;
}

bool writeText(const std::string& path, const std::string& text, std::string& error,
               platform::Links links) {
    if (!platform::replaceFileWith(path, text, error, links)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool writePieces(std::FILE* out, const Folder::Pieces& pieces) {
    for (const std::string* piece : pieces) {
        if (std::fwrite(piece->data(), 1, piece->size(), out) != piece->size()) {
            return false;
        }
    }
    return true;
}

bool writeFile(const std::string& path, const Folder::Pieces& pieces, std::string& error) {
    auto write = [](std::FILE* out, const void* p) {
        return writePieces(out, *static_cast<const Folder::Pieces*>(p));
    };
    if (!platform::replaceFile(path, write, &pieces, error, platform::Links::Follow)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

size_t sizeOf(const Folder::Pieces& pieces) {
    size_t n = 0;
    for (const std::string* piece : pieces) {
        n += piece->size();
    }
    return n;
}

// `saving` as it streams out: its header, each file's line and pieces, its end.
bool writeSaving(std::FILE* out, const Folder::Texts& files) {
    bool ok = std::fprintf(out, "%s\n", kSavingHeader) > 0;
    for (const auto& [name, pieces] : files) {
        ok = ok && std::fprintf(out, "file %s %zu\n", name, sizeOf(pieces)) > 0 &&
             writePieces(out, pieces);
    }
    return ok && std::fputs("end\n", out) >= 0;
}

// The file at `path` opened for reading if it is a regular one of at most `largest` bytes
// (no `what` is larger); else null, with `reading` saying why, unless there is no file
// at all. A file that is there but cannot be read is the player's all the same: kept
// aside before the game writes its own. Only a regular file: opening a FIFO put there
// would wait for ever.
std::FILE* openFile(const std::string& path, long largest, const char* what, Reading& reading,
                    platform::Links links = platform::Links::Follow) {
    reading = {};
    std::string problem;
    bool exists = false;
    const int fd = platform::openRegularFile(path, largest, what, problem, &exists, links);
    if (fd < 0) {
        if (exists) {
            const bool regular = platform::unusable(path, links).empty();
            reading = Reading::refused(problem, regular);
        }
        return nullptr;
    }
    if (std::FILE* in = fdopen(fd, "r")) {
        return in;
    }
    reading = Reading::refused(std::strerror(errno));
    close(fd);
    return nullptr;
}

bool syncFolder(const std::string& dir, std::string& error) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && fsync(fd) == 0;
    if (!ok) {
        error = std::string("the folder could not be synced: ") + std::strerror(errno);
    }
    if (fd >= 0) {
        close(fd);
    }
    return ok;
}

}  // namespace

Folder::Folder(std::string dir, Access access)
    : dir_(std::move(dir)), writable_(access == Access::Write) {}

Folder::~Folder() {
    if (lockFd_ >= 0) {
        close(lockFd_);  // and the lock goes with it, as it does when the process dies
    }
}

std::string Folder::path(const char* name) const {
    return dir_ + "/" + name;
}

bool Folder::refuse(const char* name, const std::string& why) {
    refusal_ = path(name) + " " + why;
    writable_ = false;
    return false;
}

bool Folder::lock() {
    // Never what a link there leads to: a link, a folder or a FIFO at the lock's place
    // would be no lock at all, and two games would write over each other. Nothing is
    // made (not even the lock) while one of the game's own names is taken so.
    for (const std::string& name : ownFiles()) {
        if (const std::string why = platform::unusable(path(name.c_str()), platform::Links::Refuse);
            !why.empty()) {
            return refuse(name.c_str(), why);
        }
    }
    lockFd_ =
        ::open(path(kLock).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat st {};
    if (lockFd_ < 0 && errno != EROFS) {
        return refuse(kLock, std::string("cannot be opened (") + std::strerror(errno) + ")");
    }
    if (lockFd_ >= 0 && (fstat(lockFd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        return refuse(kLock, "is not a regular file");
    }
    if (lockFd_ >= 0 && flock(lockFd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        writable_ = false;
        return false;
    }
    // Where no lock can be had at all (a read-only file system, one without locks) two
    // games cannot be told apart; the saves say what goes wrong.
    return true;
}

bool Folder::retake() {
    if (writable_ || refusal_.empty()) {
        return writable_;
    }
    if (lockFd_ >= 0) {
        close(lockFd_);
        lockFd_ = -1;
    }
    refusal_.clear();
    writable_ = true;
    if (!lock()) {
        return false;
    }
    pending_.clear();
    recover();
    unfinished_ = true;  // what the files hold is older than the game: all of it again
    return writable_;
}

void Folder::recover() {
    Reading reading;
    std::FILE* in =
        openFile(path(kSaving), kLargestSaving, "any save", reading, platform::Links::Refuse);
    std::map<std::string, std::string> texts;
    const bool whole = in && readSaving(in, texts);
    if (in) {
        std::fclose(in);
    }
    if (!writable_) {
        if (whole) {
            pending_ = std::move(texts);  // read as it would be completed, but left as it is
        }
        return;
    }
    platform::removeStaleTemporaries(dir_, writtenFiles(), kStaleTemporary);
    if (!whole) {
        if (!reading.whole() || in) {
            std::string error;
            const bool kept =
                (in || reading.keepAside) && platform::moveAside(path(kSaving), ".bad", error);
            platform::logMessage(
                "%s was not used: %s%s", path(kSaving).c_str(),
                reading.whole() ? "it is not a whole save" : reading.problem.c_str(),
                kept ? "; it is kept as saving.bad" : "");
            if (!kept && (in || reading.keepAside)) {
                // Replaced by the next save, its bytes would be lost without a word.
                refuse(kSaving, "cannot be kept aside (" + error + ")");
            }
        }
        return;
    }
    std::string error;
    for (const auto& [name, text] : texts) {
        if (!writeText(path(name.c_str()), text, error, platform::Links::Follow)) {
            platform::logMessage("the save cut short in %s could not be completed: %s",
                                 dir_.c_str(), error.c_str());
            pending_ = std::move(texts);
            unfinished_ = true;
            return;
        }
    }
    // Complete; but a record of it left behind must not outlive the next save.
    unfinished_ = unlink(path(kSaving).c_str()) != 0 || !syncFolder(dir_, error);
}

std::string Folder::savingText(const Texts& files) {
    char* text = nullptr;
    size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (out) {
        writeSaving(out, files);
        std::fclose(out);
    }
    std::string saving(text ? text : "", length);
    std::free(text);
    return saving;
}

bool Folder::readSaving(std::FILE* in, std::map<std::string, std::string>& texts) {
    LineReader lines(in, 100);
    std::string line;
    if (!lines.next(line) || line != kSavingHeader) {
        return false;
    }
    while (lines.next(line)) {
        if (line == "end") {
            return std::getc(in) == EOF && !texts.empty();
        }
        const std::vector<std::string> w = words(line);
        const Kept* kept = nullptr;
        for (const Kept& k : kKept) {
            kept = w.size() == 3 && w[1] == k.name ? &k : kept;
        }
        long length = -1;
        const char* end = w.size() == 3 ? w[2].data() + w[2].size() : nullptr;
        if (!kept || w[0] != "file" || texts.count(w[1]) ||
            std::from_chars(w[2].data(), end, length).ptr != end || length < 0 ||
            length > kept->largest) {
            return false;
        }
        std::string text(static_cast<size_t>(length), '\0');
        if (std::fread(text.data(), 1, text.size(), in) != text.size()) {
            return false;
        }
        texts[w[1]] = std::move(text);
    }
    return false;
}

std::FILE* Folder::open(const char* name, long largest, const char* what, Reading& reading) const {
    reading = {};
    if (auto it = pending_.find(name); it != pending_.end()) {
        const std::string& text = it->second;
        if (long(text.size()) > largest) {
            reading = Reading::refused(std::string("it is larger than ") + what);
            return nullptr;
        }
        return fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    }
    return openFile(path(name), largest, what, reading);
}

bool Folder::setAside(const char* name, std::string& error) {
    if (!platform::moveAside(path(name), ".bad", error)) {
        error = path(name) + ": " + error;
        return false;
    }
    return true;
}

bool Folder::keepCopy(const char* name, const char* copy, std::string& error) const {
    if (auto it = pending_.find(name); it != pending_.end()) {
        return writeText(path(copy), it->second, error, platform::Links::Refuse);
    }
    struct stat st {};
    if (stat(path(name).c_str(), &st) != 0 && errno == ENOENT) {
        return true;  // none yet: nothing to keep
    }
    return platform::copyFile(path(name), path(copy), error);
}

bool Folder::replace(const Texts& files, std::string& error, bool* committed) {
    if (committed) {
        *committed = false;
    }
    if (!writable_) {
        error = refusal_.empty() ? "another game has " + dir_ : refusal_;
        return false;
    }
    if (files.size() == 1 && !unfinished_) {
        return writeFile(path(files[0].first), files[0].second, error);
    }
    auto write = [](std::FILE* out, const void* f) {
        return writeSaving(out, *static_cast<const Texts*>(f));
    };
    if (!platform::replaceFile(path(kSaving), write, &files, error, platform::Links::Refuse)) {
        error = path(kSaving) + ": " + error;
        return false;
    }
    // From here on the save is made: a crash leaves `saving` for the next start, and
    // until it is gone every save is a whole one through it.
    unfinished_ = true;
    if (committed) {
        *committed = true;
    }
    for (const auto& [name, pieces] : files) {
        if (!writeFile(path(name), pieces, error)) {
            return false;
        }
    }
    if (unlink(path(kSaving).c_str()) != 0) {
        error = path(kSaving) + " could not be removed: " + std::strerror(errno);
        return false;
    }
    if (!syncFolder(dir_, error)) {
        return false;
    }
    unfinished_ = false;
    return true;
}

}  // namespace gyrelle::store
