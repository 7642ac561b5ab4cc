#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Application.h"
#include "platform/gl/Compositor.h"

namespace gyrelle::platform {

// What a window backend is alike on the desktop and in a browser: the window's root view,
// the GL view's layer letterboxed in it, the one GL context, compositing the picture and
// the views over it, the title, and the end of every pass of the loop. A backend adds its
// window, its events and how its context is made current.
class WindowHost : public Application, public GLContext::Host {
  public:
    const std::string& error() const override { return error_; }
    // The one context of the window, or null while the view has one already.
    std::unique_ptr<GLContext> createGLContext() override;
    const Layer& layer() const override { return layer_; }
    TextRenderer* textRenderer() override { return textRenderer_; }
    RunLoop& runLoop() override { return runLoop_; }
    Window& window() override { return *root_; }
    Accelerometer& accelerometer() override { return accelerometer_; }

    bool beginPicture(GLContext& context) override;
    void showPicture(GLContext& context) override;
    void pictureKept(GLContext& context) override;
    void forget(GLContext& context) override;

  protected:
    // `lookUp` finds the context's framebuffer-object entry points.
    WindowHost(void* (*lookUp)(const char*), std::function<double()> clock = monotonicSeconds);
    ~WindowHost() override;

    // With the backend's context current: the window's views for a screen of `points`,
    // their text drawn by `text`, and the title `name` shown when there are no words.
    void openViews(const char* name, Size points, TextRenderer& text);
    // The end of a pass of the loop: due timers fired, the run loop's observers told,
    // answered questions freed (once no finger can be on one), the window composited if
    // anything over the picture changed, the title if its words did.
    void endPass(int activeTouches);
    // The window drawn again: the GL view's kept picture and the views over it; while
    // the view's frames come, left to the next of them.
    void composite();
    // The layer in a drawable of `drawable` pixels; true when it moved, and the view was
    // laid out again.
    bool placeLayer(Size drawable);
    // The context was lost and is back, empty, and current: the compositor's text and
    // the view's framebuffers are made again, and the window drawn.
    void rebuildAfterContextLoss();

    // The drawable's size in pixels.
    virtual Size drawableSize() const = 0;
    // The least side of a touch target, in the drawable's pixels.
    virtual float leastTouchPixels() const = 0;
    // Shows what was composited (the desktop swaps its buffers; a browser shows a canvas
    // by itself).
    virtual void presentWindow() {}
    virtual void setTitle(const std::string& title) = 0;

    RunLoop runLoop_;
    LetterboxLayer layer_;
    Size points_;
    std::unique_ptr<Window> root_;
    std::unique_ptr<Compositor> compositor_;
    Accelerometer accelerometer_{runLoop_};
    std::string error_;

  private:
    void updateTitle();
    // The views over the picture drawn, and the window shown.
    void finishWindow();

    void* (*lookUp_)(const char*);
    GLContext* viewContext_ = nullptr;
    std::string name_;
    TextRenderer* textRenderer_ = nullptr;
    unsigned compositedGeneration_ = ~0u;
    unsigned titleGeneration_ = 0;
};

}  // namespace gyrelle::platform
