#include "platform/Log.h"

#include <cstdarg>
#include <cstdio>

namespace gyrelle::platform {

void logMessage(const char* format, ...) {
    // Format into one buffer so the line reaches stderr in a single write and
    // never interleaves with another writer's output.
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    size_t len =
        static_cast<size_t>(n) < sizeof line - 1 ? static_cast<size_t>(n) : sizeof line - 2;
    line[len] = '\n';
    std::fwrite(line, 1, len + 1, stderr);
    std::fflush(stderr);
}

}  // namespace gyrelle::platform
