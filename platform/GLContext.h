#pragma once

#include <GLES/gl.h>
#include <GLES/glext.h>

#include "platform/Geometry.h"

namespace gyrelle::platform {

// The OES framebuffer-object entry points. Mesa's libGLESv1_CM does not export
// them, so each context looks them up.
struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSOESPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSOESPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFEROESPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFEROESPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSOESPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSOESPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSOESPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFEROESPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEOESPROC renderbufferStorage = nullptr;
    PFNGLGETRENDERBUFFERPARAMETERIVOESPROC getRenderbufferParameteriv = nullptr;

    // Fills every entry through `lookUp`; false when one is missing.
    bool load(void* (*lookUp)(const char*));
};

// The GL-drawable surface behind a view: its size in pixels, which is the view's size
// in points times the screen's scale.
class Layer {
  public:
    virtual ~Layer() = default;
    virtual Size pixelSize() const = 0;
};

// The GL view's layer in a window or a canvas: the largest rectangle of the view's shape
// that fits the drawable, centred (letterbox()), in the drawable's pixels.
class LetterboxLayer : public Layer {
  public:
    Size pixelSize() const override { return {rect.width, rect.height}; }
    PixelRect rect;
};

// What draws the GL view's picture into the bound framebuffer, in the viewport set.
class PictureSource {
  public:
    virtual ~PictureSource() = default;
    virtual void drawPicture() = 0;
};

// An OpenGL ES 1.x rendering context: the one context of the window. The view presents
// a new picture; the platform has the view's picture source draw it straight where the
// player sees it, and again whenever the window must be drawn again.
class GLContext {
  public:
    virtual ~GLContext() = default;

    virtual bool setCurrent() = 0;
    virtual bool isCurrent() const = 0;
    // Leaves no context current on this thread.
    virtual void clearCurrent() = 0;
    // Allocates RGBA8 storage for the bound renderbuffer at the layer's pixel size.
    virtual bool renderbufferStorage(const Layer& layer) = 0;
    // Shows the picture the source draws, with the views over it.
    virtual bool presentRenderbuffer() = 0;

    void setPictureSource(PictureSource* source) { source_ = source; }
    PictureSource* pictureSource() const { return source_; }
    const FramebufferApi& oes() const { return oes_; }

  protected:
    FramebufferApi oes_;
    PictureSource* source_ = nullptr;
};

}  // namespace gyrelle::platform
