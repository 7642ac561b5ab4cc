#include "platform/Log.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace gyrelle::platform {

void logMessage(const char* format, ...) {
    // Format into one buffer so the line reaches stderr in a single write and never
    // interleaves with another writer's output; a long line (a long path) gets a
    // buffer of its own rather than being cut.
    char line[1024];
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int n = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return;
    }
    const size_t length = static_cast<size_t>(n);
    std::vector<char> longer;
    char* text = line;
    if (length >= sizeof line - 1) {
        longer.resize(length + 2);
        std::vsnprintf(longer.data(), length + 1, format, again);
        text = longer.data();
    }
    va_end(again);
    text[length] = '\n';
    std::fwrite(text, 1, length + 1, stderr);
    std::fflush(stderr);
}

}  // namespace gyrelle::platform
