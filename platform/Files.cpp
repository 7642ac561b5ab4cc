#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace gyrelle::platform {

namespace {

// The suffix mkstemp fills in.
constexpr char kTemporarySuffix[] = ".XXXXXX";

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

// The file at `path`, after its links, is a regular one or none at all: never replace a
// device, a FIFO or a folder that a link leads to. False with `error` saying so.
bool regularOrNone(const std::string& path, const std::string& target, std::string& error) {
    struct stat st {};
    if (lstat(target.c_str(), &st) != 0 || S_ISREG(st.st_mode)) {
        return true;
    }
    error = (target == path ? "it is not a regular file"
                            : "it is a link to " + target + ", which is not a regular file") +
            std::string(": it is left as it is");
    return false;
}

}  // namespace

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
    if (dir.size() + sizeof "/cube_state.dat.XXXXXX" > PATH_MAX) {
        why = "the path of its folder is longer than the system allows";
        return {};
    }
    return !create || makeDirectories(dir, why) ? dir : std::string();
}

bool replaceFile(const std::string& path, void (*write)(std::FILE*, const void*),
                 const void* context, std::string& error) {
    const std::string target = finalTarget(path);
    if (!regularOrNone(path, target, error)) {
        return false;
    }
    std::string temporary = target + kTemporarySuffix;
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
    write(out, context);
    bool ok = !std::ferror(out) && std::fflush(out) == 0 && fsync(fd) == 0;
    int saved = errno;
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
    const std::string target = finalTarget(path);
    if (!regularOrNone(path, target, error)) {
        return false;
    }
    if (std::rename(target.c_str(), (target + suffix).c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

int removeStaleTemporaries(const std::string& path, double seconds) {
    const std::string target = finalTarget(path);
    const std::string dirName = directoryOf(target);
    const std::string prefix = target.substr(target.rfind('/') + 1) + ".";
    const size_t length = prefix.size() + sizeof kTemporarySuffix - 2;
    DIR* dir = opendir(dirName.c_str());
    if (dir == nullptr) {
        return 0;
    }
    int removed = 0;
    const std::time_t now = std::time(nullptr);
    for (dirent* entry; (entry = readdir(dir)) != nullptr;) {
        const std::string name = entry->d_name;
        if (name.size() != length || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        // Only mkstemp's six letters and digits: never the .bad copy or anything else.
        bool ours = true;
        for (size_t i = prefix.size(); i < name.size(); ++i) {
            ours = ours && std::isalnum(static_cast<unsigned char>(name[i]));
        }
        struct stat st {};
        const std::string file = dirName + "/" + name;
        if (ours && lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            std::difftime(now, st.st_mtime) > seconds && unlink(file.c_str()) == 0) {
            ++removed;
        }
    }
    closedir(dir);
    return removed;
}

bool replaceFileWith(const std::string& path, const std::string& text, std::string& error) {
    auto write = [](std::FILE* out, const void* t) {
        const std::string& s = *static_cast<const std::string*>(t);
        std::fwrite(s.data(), 1, s.size(), out);
    };
    return replaceFile(path, write, &text, error);
}

bool readRegularFile(const std::string& path, long largest, const char* what, std::string& text,
                     std::string& problem) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    struct stat st {};
    if (in == nullptr || fstat(fileno(in), &st) != 0) {
        problem = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        problem = "it is not a regular file";
    } else if (st.st_size > largest) {
        problem = std::string("it is larger than ") + what + " (" +
                  std::to_string(st.st_size >> 20) + " MB)";
    } else {
        char buffer[1 << 16];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, in)) {
            text.append(buffer, n);
            if (long(text.size()) > largest) {  // grown since it was looked at
                problem = std::string("it is larger than ") + what;
                break;
            }
        }
    }
    if (in) {
        std::fclose(in);
    }
    return problem.empty();
}

}  // namespace gyrelle::platform
