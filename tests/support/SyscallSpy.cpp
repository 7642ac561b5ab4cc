#include "tests/support/SyscallSpy.h"

#include <dlfcn.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace gyrelle::testing::spy {

std::vector<std::string>* calls = nullptr;
std::vector<std::string>* renamedFrom = nullptr;
bool failFolderSync = false;
std::time_t fixedTime = 0;

namespace {
int killAtMoment = 0;
int counted = 0;

// One more moment of a save: before or after one of its calls.
void moment() {
    if (++counted == killAtMoment) {
        raise(SIGKILL);
    }
}

const char* nameOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

template <class F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
}  // namespace

void killAt(int moment) {
    killAtMoment = moment;
    counted = 0;
}

int moments() {
    return counted;
}

}  // namespace gyrelle::testing::spy

using namespace gyrelle::testing;

extern "C" int fsync(int fd) {
    static auto next = spy::real<int (*)(int)>("fsync");
    struct stat st {};
    const bool folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    if (spy::calls) {
        spy::calls->push_back(folder ? "fsync folder" : "fsync file");
    }
    if (folder && spy::failFolderSync) {
        spy::failFolderSync = false;
        errno = EIO;
        return -1;
    }
    spy::moment();
    const int result = next(fd);
    spy::moment();
    return result;
}

extern "C" int rename(const char* from, const char* to) {
    static auto next = spy::real<int (*)(const char*, const char*)>("rename");
    if (spy::calls) {
        spy::calls->push_back(std::string("rename to ") + spy::nameOf(to));
    }
    if (spy::renamedFrom) {
        spy::renamedFrom->push_back(from);
    }
    spy::moment();
    const int result = next(from, to);
    spy::moment();
    return result;
}

extern "C" int unlink(const char* path) {
    static auto next = spy::real<int (*)(const char*)>("unlink");
    if (spy::calls) {
        spy::calls->push_back(std::string("unlink ") + spy::nameOf(path));
    }
    spy::moment();
    const int result = next(path);
    spy::moment();
    return result;
}

extern "C" time_t time(time_t* out) {
    static auto next = spy::real<time_t (*)(time_t*)>("time");
    if (spy::fixedTime == 0) {
        return next(out);
    }
    if (out) {
        *out = spy::fixedTime;
    }
    return spy::fixedTime;
}
