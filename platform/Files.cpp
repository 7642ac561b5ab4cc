#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace gyrelle::platform {

namespace {

// What mkstemp fills in.
constexpr char kTemporarySuffix[] = "XXXXXX";
// The longest path of the folder's files: a temporary of the records before an import.
constexpr char kLongestName[] = "/.records.before-import.gyrelle-XXXXXX";

bool makeDirectories(const std::string& path, std::string& why) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            why = "cannot make the folder " + part + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = path + " is not a folder";
        return false;
    }
    if (access(path.c_str(), W_OK | X_OK) != 0) {
        why = "cannot write in " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links at `path` ends at, which need not exist yet;
// `path` itself when it is no link.
std::string finalTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        char target[PATH_MAX];
        ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        if (n < 0) {
            break;
        }
        target[n] = '\0';
        path = target[0] == '/' ? std::string(target) : directoryOf(path) + "/" + target;
    }
    return path;
}

std::string baseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

const char* kindOf(mode_t mode) {
    return S_ISLNK(mode)                    ? "a symbolic link"
           : S_ISDIR(mode)                  ? "a folder"
           : S_ISFIFO(mode)                 ? "a FIFO"
           : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
           : S_ISSOCK(mode)                 ? "a socket"
                                            : "not a regular file";
}

}  // namespace

std::string unusable(const std::string& path, Links links) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
        return {};
    }
    if (S_ISLNK(st.st_mode) && links == Links::Refuse) {
        return "is a symbolic link";
    }
    if (!S_ISLNK(st.st_mode)) {
        return std::string("is ") + kindOf(st.st_mode) + ", not a regular file";
    }
    const std::string target = finalTarget(path);
    if (lstat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
        return {};  // none yet: the first save makes it
    }
    return "is a link to " + target + ", which is " + kindOf(st.st_mode) +
           (S_ISLNK(st.st_mode) ? " too many times over" : ", not a regular file");
}

std::string temporaryPrefix(const std::string& name) {
    return "." + name + ".gyrelle-";
}

std::string userDataDirectory(std::string& why, bool create) {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {  // a relative value is to be ignored
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.local/share";
    } else {
        why = "neither XDG_DATA_HOME nor HOME names a folder";
        return {};
    }
    std::string dir = base + "/gyrelle";
    if (dir.size() + sizeof kLongestName > PATH_MAX) {
        why = "the path of its folder is longer than the system allows";
        return {};
    }
    return !create || makeDirectories(dir, why) ? dir : std::string();
}

bool replaceFile(const std::string& path, bool (*write)(std::FILE*, const void*),
                 const void* context, std::string& error, Links links) {
    if (const std::string why = unusable(path, links); !why.empty()) {
        error = "it " + why + ": it is left as it is";
        return false;
    }
    const std::string target = links == Links::Follow ? finalTarget(path) : path;
    std::string temporary =
        directoryOf(target) + "/" + temporaryPrefix(baseName(target)) + kTemporarySuffix;
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    std::FILE* out = fdopen(fd, "w");
    if (out == nullptr) {
        error = std::strerror(errno);
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    errno = 0;
    const bool given = write(out, context);
    bool ok = given && !std::ferror(out) && std::fflush(out) == 0 && fsync(fd) == 0;
    int saved = given ? errno : EIO;
    ok = (std::fclose(out) == 0) && ok;
    if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        error = std::strerror(saved ? saved : EIO);
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder: until then a crash
    // may bring the old file back, so a failure here is a failed save.
    int dir = open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || fsync(dir) != 0) {
        error = std::string("the new file may not outlive a crash: ") + std::strerror(errno);
        if (dir >= 0) {
            close(dir);
        }
        return false;
    }
    close(dir);
    return true;
}

bool moveAside(const std::string& path, const char* suffix, std::string& error) {
    const std::string copy = path + suffix;
    if (const std::string why = unusable(copy, Links::Refuse); !why.empty()) {
        error = copy + " " + why + ": it is left as it is";
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT || (error = std::strerror(errno), false);
    }
    if (S_ISREG(st.st_mode)) {
        if (std::rename(path.c_str(), copy.c_str()) != 0) {
            error = std::strerror(errno);
            return false;
        }
        return true;
    }
    // A link: its target is the player's, where they keep it; the copy stays in the folder.
    return copyFile(path, copy, error);
}

bool copyFile(const std::string& from, const std::string& to, std::string& error) {
    std::string problem;
    const int fd = openRegularFile(from, LONG_MAX, "", problem);
    if (fd < 0) {
        error = from + ": " + problem;
        return false;
    }
    std::FILE* in = fdopen(fd, "rb");
    if (in == nullptr) {
        error = std::strerror(errno);
        close(fd);
        return false;
    }
    auto pour = [](std::FILE* out, const void* from) {
        std::FILE* source = static_cast<std::FILE*>(const_cast<void*>(from));
        char buffer[1 << 16];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, source)) {
            std::fwrite(buffer, 1, n, out);
        }
        return !std::ferror(source);
    };
    const bool ok = replaceFile(to, pour, in, error, Links::Refuse);
    std::fclose(in);
    return ok;
}

int removeStaleTemporaries(const std::string& dirName, const std::vector<std::string>& names,
                           double seconds) {
    DIR* dir = opendir(dirName.c_str());
    if (dir == nullptr) {
        return 0;
    }
    int removed = 0;
    const std::time_t now = std::time(nullptr);
    for (dirent* entry; (entry = readdir(dir)) != nullptr;) {
        const std::string name = entry->d_name;
        bool ours = false;
        for (const std::string& kept : names) {
            const std::string prefix = temporaryPrefix(kept);
            if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
                ours = true;  // and mkstemp's six letters and digits after it
                for (size_t i = prefix.size(); i < name.size(); ++i) {
                    ours = ours && std::isalnum(static_cast<unsigned char>(name[i]));
                }
            }
        }
        struct stat st {};
        const std::string file = dirName + "/" + name;
        if (ours && lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == geteuid() && std::difftime(now, st.st_mtime) > seconds &&
            unlink(file.c_str()) == 0) {
            ++removed;
        }
    }
    closedir(dir);
    return removed;
}

bool replaceFileWith(const std::string& path, const std::string& text, std::string& error,
                     Links links) {
    auto write = [](std::FILE* out, const void* t) {
        const std::string& s = *static_cast<const std::string*>(t);
        return std::fwrite(s.data(), 1, s.size(), out) == s.size();
    };
    return replaceFile(path, write, &text, error, links);
}

int openRegularFile(const std::string& path, long largest, const char* what, std::string& problem,
                    bool* exists, Links links) {
    if (exists) {
        *exists = true;
    }
    // Not blocking: opening a FIFO would wait for a writer, for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC |
                                            (links == Links::Refuse ? O_NOFOLLOW : 0));
    struct stat st {};
    if (fd < 0) {
        if (exists) {
            *exists = errno != ENOENT;
        }
        problem = errno == ELOOP && links == Links::Refuse ? "it is a symbolic link"
                                                           : std::strerror(errno);
    } else if (fstat(fd, &st) != 0) {
        problem = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        problem = std::string("it is ") + kindOf(st.st_mode) + ", not a regular file";
    } else if (st.st_size > largest) {
        problem = std::string("it is larger than ") + what +
                  (st.st_size >> 20 ? " (" + std::to_string(st.st_size >> 20) + " MB)" : "");
    } else {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    if (fd >= 0) {
        close(fd);
    }
    return -1;
}

bool readRegularFile(const std::string& path, long largest, const char* what, std::string& text,
                     std::string& problem, Links links) {
    const int fd = openRegularFile(path, largest, what, problem, nullptr, links);
    if (fd < 0) {
        return false;
    }
    char buffer[1 << 16];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            problem = std::strerror(errno);
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
        if (long(text.size()) > largest) {  // grown since it was looked at
            problem = std::string("it is larger than ") + what;
            break;
        }
    }
    close(fd);
    return problem.empty();
}

long TextSource::read(char* into, size_t most, std::string&) {
    const size_t n = std::min(most, text_.size() - at_);
    std::memcpy(into, text_.data() + at_, n);
    at_ += n;
    return static_cast<long>(n);
}

bool TextSource::rewind() {
    at_ = 0;
    return true;
}

FileSource::~FileSource() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool FileSource::open(const std::string& path, long largest, const char* what,
                      std::string& problem) {
    fd_ = openRegularFile(path, largest, what, problem);
    return fd_ >= 0;
}

long FileSource::read(char* into, size_t most, std::string& problem) {
    for (;;) {
        const ssize_t n = ::read(fd_, into, most);
        if (n >= 0 || errno != EINTR) {
            if (n < 0) {
                problem = std::strerror(errno);
            }
            return n;
        }
    }
}

bool FileSource::rewind() {
    return lseek(fd_, 0, SEEK_SET) == 0;
}

}  // namespace gyrelle::platform
