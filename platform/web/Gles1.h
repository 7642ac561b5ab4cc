#pragma once

namespace gyrelle::platform::web {

// The framebuffer-object entry points by their OpenGL ES 1.1 (OES) names, or null.
void* lookUp(const char* name);

// The emulated state starts afresh, for a new context.
void forgetContext();

}  // namespace gyrelle::platform::web
