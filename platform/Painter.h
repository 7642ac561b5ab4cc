#pragma once

#include "platform/Geometry.h"

namespace gyrelle::platform {

// Draws a view's content when views are composited over the GL view's picture.
// Coordinates are the view's own points.
class Painter {
  public:
    virtual ~Painter() = default;
    virtual void fillRect(Rect rect, Color color) = 0;
};

}  // namespace gyrelle::platform
