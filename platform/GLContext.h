#pragma once

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <memory>

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

// An OpenGL ES 1.x rendering context as the GL view holds it. What differs from one
// platform to the next (how the context is made current, where a picture goes) is its
// host's; the rest is here, once.
class GLContext {
  public:
    // What a backend does for its contexts.
    class Host {
      public:
        virtual ~Host() = default;
        virtual bool makeCurrent() = 0;
        virtual bool isCurrent() const = 0;
        // Leaves no context current on this thread.
        virtual void clearCurrent() = 0;
        // Shows the picture `context`'s source draws, with the views over it, where the
        // player sees it; and again whenever the window must be drawn again.
        virtual void showPicture(GLContext& context) = 0;
        // `context` is going away.
        virtual void forget(GLContext& context) { (void)context; }
    };

    // A context of `host`'s, its framebuffer-object entry points found through `lookUp`
    // (made current to do so); null when one of them is missing.
    static std::unique_ptr<GLContext> create(Host& host, void* (*lookUp)(const char*));
    ~GLContext() { host_.forget(*this); }
    GLContext(const GLContext&) = delete;
    GLContext& operator=(const GLContext&) = delete;

    bool setCurrent() { return host_.makeCurrent(); }
    bool isCurrent() const { return host_.isCurrent(); }
    void clearCurrent() { host_.clearCurrent(); }
    // Allocates RGBA8 storage for the bound renderbuffer at the layer's pixel size.
    bool renderbufferStorage(const Layer& layer);
    // A new picture is ready: the host has the source draw it where the player sees it.
    void showPicture() { host_.showPicture(*this); }

    void setPictureSource(PictureSource* source) { source_ = source; }
    PictureSource* pictureSource() const { return source_; }
    const FramebufferApi& oes() const { return oes_; }

  private:
    explicit GLContext(Host& host) : host_(host) {}

    Host& host_;
    FramebufferApi oes_;
    PictureSource* source_ = nullptr;
};

}  // namespace gyrelle::platform
