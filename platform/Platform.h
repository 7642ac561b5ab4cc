#pragma once

#include <memory>

#include "platform/GLContext.h"
#include "platform/Services.h"

namespace gyrelle::platform {

// What the GL view needs besides: an OpenGL ES 1.x context and the drawable it draws.
class Platform : public Services {
  public:
    // An OpenGL ES 1.x context for the GL view, or null when none can be had.
    virtual std::unique_ptr<GLContext> createGLContext() = 0;
    // The GL view's drawable.
    virtual const Layer& layer() const = 0;
};

}  // namespace gyrelle::platform
