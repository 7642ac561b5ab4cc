#pragma once

#include <EGL/egl.h>

#include <vector>

#include "platform/Platform.h"
#include "platform/headless/HeadlessServices.h"

namespace gyrelle::platform {

// A layer of a chosen size, for a view without a window.
class HeadlessLayer : public Layer {
  public:
    explicit HeadlessLayer(Size size) : size_(size) {}
    Size pixelSize() const override { return size_; }
    void setPixelSize(Size size) { size_ = size; }

  private:
    Size size_;
};

// Runs the GL view without a display: one EGL context with no surface at all, drawing
// into framebuffer objects (one stands in for the window), and a run loop on a clock
// stepped by hand. Several views may each have a context of it at once.
class HeadlessPlatform : public HeadlessServicesOf<Platform>, public GLContext::Host {
  public:
    // A screen of `points`, drawn one pixel per point until the layer says otherwise.
    explicit HeadlessPlatform(Size points);
    ~HeadlessPlatform() override;

    // False when EGL offers no surfaceless OpenGL ES 1.x here.
    bool available() const { return context_ != EGL_NO_CONTEXT; }

    std::unique_ptr<GLContext> createGLContext() override;
    const Layer& layer() const override { return layer_; }

    bool makeCurrent() override;
    bool isCurrent() const override;
    void clearCurrent() override;
    // A window of the layer's size, a framebuffer.
    bool beginPicture(GLContext& context) override;
    void showPicture(GLContext& context) override;
    // What a window does when it must be drawn again (a view over the picture changed,
    // the window was uncovered): shows the picture the view keeps, or leaves it to the
    // next frame while frames come (false); it asks the view nothing.
    bool showAgain();
    void forget(GLContext& context) override;

    HeadlessLayer& headlessLayer() { return layer_; }
    // Text as a window would draw it, for a test that gives a renderer.
    TextRenderer* textRenderer() override { return text_; }
    void setTextRenderer(TextRenderer* text) { text_ = text; }
    int presentCount() const { return presents_; }
    // What a window would show now: RGBA rows from the bottom, the layer's size.
    std::vector<unsigned char> screenImage();

  private:
    void deleteScreen();

    EGLDisplay display_ = EGL_NO_DISPLAY;
    EGLContext context_ = EGL_NO_CONTEXT;
    FramebufferApi oes_;
    HeadlessLayer layer_;
    TextRenderer* text_ = nullptr;
    int presents_ = 0;
    GLContext* shown_ = nullptr;  // whose picture the screen shows
    // The framebuffer that stands in for the window, made at the first picture.
    GLuint screen_ = 0;
    GLuint screenBuffers_[2] = {};
    Size screenSize_;
};

}  // namespace gyrelle::platform
