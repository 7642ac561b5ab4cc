#pragma once

// The desktop's window, through SDL; nothing of SDL shows here.
#include <memory>
#include <string>

#include "platform/Application.h"

namespace gyrelle::platform {

// Opens a window titled `title` for a screen of `points`, with OpenGL ES 1.1; null,
// with `error` saying why, when there is no display or no OpenGL ES 1.1.
std::unique_ptr<Application> openSdlApplication(const char* title, Size points, std::string& error);

}  // namespace gyrelle::platform
