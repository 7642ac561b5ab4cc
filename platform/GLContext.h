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
    PFNGLFRAMEBUFFERTEXTURE2DOESPROC framebufferTexture2D = nullptr;
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

// Binds a new 2-D texture, clamped at its edges, with `filter` both ways.
GLuint newTexture(GLint filter);

// Draws `texture`, a picture of the viewport's size, into the viewport pixel for pixel.
// Leaves texturing off and no texture bound.
void drawPictureTexture(GLuint texture);

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
        // Binds where `context`'s next picture is drawn (the window's framebuffer, the
        // viewport at the layer, the window clear of anything else); false when it
        // cannot be.
        virtual bool beginPicture(GLContext& context) = 0;
        // `context`'s picture is drawn: shows it, with the views over it.
        virtual void showPicture(GLContext& context) = 0;
        // `context` keeps its picture now (or none): a redraw of the window left waiting
        // for the next picture is done now, from it.
        virtual void pictureKept(GLContext& context) { (void)context; }
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
    // A frame: the picture drawn between these two, where beginPicture binds, is shown.
    bool beginPicture() { return host_.beginPicture(*this); }
    void presentPicture() {
        wanted_ = false;
        host_.showPicture(*this);
    }
    // Between frames the view keeps its picture in `texture`, the layer's size, which the
    // host shows whenever the window must be drawn again, never asking the view; none (0)
    // shows black. While frames come (expectPictures) nothing is kept: the host leaves a
    // redraw to the next frame and says so (pictureWanted), which draws one even if the
    // cube did not move.
    void keepPicture(GLuint texture) {
        kept_ = texture;
        coming_ = false;
        host_.pictureKept(*this);
    }
    void expectPictures() {
        kept_ = 0;
        coming_ = true;
    }
    // The kept texture is going away.
    void withdrawPicture() { kept_ = 0; }
    GLuint keptPicture() const { return kept_; }
    bool picturesComing() const { return coming_; }
    void wantPicture() { wanted_ = true; }
    bool pictureWanted() const { return wanted_; }
    const FramebufferApi& oes() const { return oes_; }

  private:
    explicit GLContext(Host& host) : host_(host) {}

    Host& host_;
    FramebufferApi oes_;
    GLuint kept_ = 0;
    bool coming_ = false;
    bool wanted_ = false;
};

}  // namespace gyrelle::platform
