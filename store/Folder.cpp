#include "store/Folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/Files.h"
#include "platform/Log.h"
#include "store/HistoryFile.h"
#include "store/Lines.h"
#include "store/RecordsFile.h"
#include "store/SettingsFile.h"
#include "store/StateFile.h"

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
constexpr Kept kKept[] = {{Folder::kCube, kLargestStateFile},
                          {Folder::kHistory, kLargestHistoryFile},
                          {Folder::kRecords, kLargestRecordsFile},
                          {Folder::kSettings, kLargestSettingsFile}};
constexpr long kLargestSaving =
    kLargestStateFile + kLargestHistoryFile + kLargestRecordsFile + kLargestSettingsFile + 1024;

bool writeText(const std::string& path, const std::string& text, std::string& error) {
    return platform::replaceFileWith(path, text, error);
}

// The file at `path` opened for reading if it is a regular one of at most `largest` bytes
// (no `what` is larger); else null, with `reading` saying why, unless there is no file
// at all. Only a regular file: opening a FIFO put there would wait for ever.
std::FILE* openFile(const std::string& path, long largest, const char* what, Reading& reading) {
    reading = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            reading = Reading::refused(std::strerror(errno), false);
        }
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reading = Reading::refused("it is not a regular file", false);
    } else if (st.st_size > largest) {
        reading = Reading::refused("it is larger than " + std::string(what));
    } else if (std::FILE* in = fdopen(fd, "r")) {
        return in;
    } else {
        reading = Reading::refused(std::strerror(errno), false);
    }
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

bool Folder::lock() {
    lockFd_ = ::open(path(kLock).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ >= 0 && flock(lockFd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        writable_ = false;
        return false;
    }
    // Where no lock can be had at all (a folder that cannot be written in, a file system
    // without locks) two games cannot be told apart; the saves say what goes wrong.
    return true;
}

void Folder::recover() {
    Reading reading;
    std::FILE* in = openFile(path(kSaving), kLargestSaving, "any save", reading);
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
    for (const Kept& k : kKept) {
        platform::removeStaleTemporaries(path(k.name), kStaleTemporary);
    }
    platform::removeStaleTemporaries(path(kSaving), kStaleTemporary);
    if (!whole) {
        if (!reading.whole() || in) {
            std::string error;
            const bool kept =
                (in || reading.keepAside) && platform::moveAside(path(kSaving), ".bad", error);
            platform::logMessage(
                "%s was not used: %s%s", path(kSaving).c_str(),
                reading.whole() ? "it is not a whole save" : reading.problem.c_str(),
                kept ? "; it is kept as saving.bad" : "");
        }
        return;
    }
    std::string error;
    for (const auto& [name, text] : texts) {
        if (!writeText(path(name.c_str()), text, error)) {
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
    std::string saving = std::string(kSavingHeader) + "\n";
    for (const auto& [name, text] : files) {
        saving += "file " + std::string(name) + " " + std::to_string(text->size()) + "\n" + *text;
    }
    return saving + "end\n";
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
    return platform::moveAside(path(name), ".bad", error);
}

bool Folder::replace(const Texts& files, std::string& error) {
    if (!writable_) {
        error = "another game has " + dir_;
        return false;
    }
    if (files.size() == 1 && !unfinished_) {
        return writeText(path(files[0].first), *files[0].second, error);
    }
    if (!writeText(path(kSaving), savingText(files), error)) {
        return false;
    }
    // From here on the save is made: a crash leaves `saving` for the next start, and
    // until it is gone every save is a whole one through it.
    unfinished_ = true;
    for (const auto& [name, text] : files) {
        if (!writeText(path(name), *text, error)) {
            return false;
        }
    }
    if (unlink(path(kSaving).c_str()) != 0) {
        error = std::string("the save's record could not be removed: ") + std::strerror(errno);
        return false;
    }
    if (!syncFolder(dir_, error)) {
        return false;
    }
    unfinished_ = false;
    return true;
}

}  // namespace gyrelle::store
