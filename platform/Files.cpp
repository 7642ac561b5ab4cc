#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace gyrelle::platform {

namespace {

bool makeDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string userDataDirectory() {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {  // relative values are to be ignored
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.local/share";
    } else {
        return {};
    }
    std::string dir = base + "/gyrelle";
    return makeDirectories(dir) ? dir : std::string();
}

bool replaceFile(const std::string& path, void (*write)(std::FILE*, const void*),
                 const void* context, std::string& error) {
    std::string temporary = path + ".XXXXXX";
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
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        error = std::strerror(saved ? saved : EIO);
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the directory: until then a crash
    // may bring the old file back, so a failure here is a failed save.
    int dir = open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

}  // namespace gyrelle::platform
