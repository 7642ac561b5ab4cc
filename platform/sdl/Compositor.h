#pragma once

#include <GLES/gl.h>

#include "platform/Geometry.h"
#include "platform/View.h"
#include "platform/sdl/TextCache.h"

namespace gyrelle::platform {

// Shows the GL view's picture in the window, pixel for pixel inside the letterbox, with
// the views over it (the buttons, the overlay, questions). Nothing it draws reaches the
// view's own framebuffer, which the colour pick reads. The picture texture is shared
// between the view's context and the window's.
class Compositor {
  public:
    // `points`: the size of the views' world.
    explicit Compositor(Size points) : points_(points) {}
    // Needs the window's context current: the textures live there.
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    // With the view's context current: storage for a picture of `size`.
    void allocatePicture(Size size);
    // With the view's context current: the bound framebuffer's picture of `size` into
    // the texture.
    void copyPicture(Size size);
    // With the window's context current: the picture at `area` and the views in `root`
    // over it, into a drawable of `drawable` pixels.
    void draw(const View& root, Size drawable, PixelRect area);
    const TextCache& text() const { return text_; }

  private:
    Size points_;
    TextCache text_;
    int textScaleWidth_ = 0;  // the view's width in pixels the cached text was made for
    GLuint picture_ = 0;
    Size pictureSize_;
};

}  // namespace gyrelle::platform
