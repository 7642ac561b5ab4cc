#pragma once

#include "platform/gl/TextCache.h"

namespace gyrelle::platform {

// Text drawn by the browser's own canvas, in the family asked for (or its sans-serif),
// wrapped at word breaks and line feeds, then taken into a texture.
class CanvasText : public TextRenderer {
  public:
    TextTexture render(const std::string& text, const char* family, int pixelSize, int wrapPixels,
                       TextAlignment alignment) override;
};

}  // namespace gyrelle::platform
