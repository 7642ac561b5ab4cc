#pragma once

#include <memory>

#include "platform/GLContext.h"
#include "platform/Services.h"

namespace gyrelle::platform {

class TextRenderer;

// What the GL view needs besides: an OpenGL ES 1.x context and the drawable it draws.
class Platform : public Services {
  public:
    // An OpenGL ES 1.x context for the GL view, or null when none can be had.
    virtual std::unique_ptr<GLContext> createGLContext() = 0;
    // The GL view's drawable.
    virtual const Layer& layer() const = 0;
    // What draws text into textures in the view's context (the game's font), once there
    // is a window; null where there is none.
    virtual TextRenderer* textRenderer() { return nullptr; }
};

}  // namespace gyrelle::platform
