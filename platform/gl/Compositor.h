#pragma once

#include <GLES/gl.h>

#include "platform/Geometry.h"
#include "platform/View.h"
#include "platform/gl/TextCache.h"

namespace gyrelle::platform {

// Draws the views over the GL view's picture (the buttons, the overlay, questions) into
// the window, after the picture, with OpenGL ES 1.1 calls: the window's context on the
// desktop, the calls over WebGL in a browser. Nothing it draws reaches the framebuffer
// the colour pick reads.
class Compositor {
  public:
    // `points`: the size of the views' world; `text` makes the textures of its texts.
    Compositor(Size points, TextRenderer& text) : points_(points), text_(text) {}
    // Needs the window's context current: the text textures live there.
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // The views in `root` over the picture at `area`, in a drawable of `drawable` pixels.
    void draw(const View& root, Size drawable, PixelRect area);
    const TextCache& text() const { return text_; }

  private:
    Size points_;
    TextCache text_;
    int textScaleWidth_ = 0;  // the view's width in pixels the cached text was made for
};

}  // namespace gyrelle::platform
