#pragma once

namespace gyrelle::platform {

// One line on the platform log (standard error), newline added.
void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace gyrelle::platform
