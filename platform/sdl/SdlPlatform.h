#pragma once

#include <SDL.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/Application.h"
#include "platform/gl/Compositor.h"
#include "platform/sdl/SdlInput.h"
#include "platform/sdl/SdlSensor.h"
#include "platform/sdl/TtfText.h"

namespace gyrelle::platform {

class SdlContext;

// The desktop: one SDL window with an OpenGL ES 1.1 context for the GL view, which
// draws into its own framebuffer, and the window's own context, sharing its objects,
// in which the compositor shows that picture and the views over it. Timer ticks, input
// and life-cycle events all arrive on the thread that calls run().
class SdlPlatform : public Application {
  public:
    SdlPlatform() = default;
    ~SdlPlatform() override;

    // Opens the window; false with error() set when there is no display or no
    // OpenGL ES 1.1.
    bool open(const char* title, Size points);

    const std::string& error() const override { return error_; }
    std::unique_ptr<GLContext> createGLContext() override;
    const Layer& layer() const override { return layer_; }
    RunLoop& runLoop() override { return runLoop_; }
    std::string documentsDirectory(std::string& why) override;
    Window& window() override { return *root_; }
    Accelerometer& accelerometer() override { return accelerometer_; }
    std::string clipboardText() override;
    void setClipboardText(const std::string& text) override;
    int run(ApplicationDelegate& delegate) override;

  private:
    friend class SdlContext;
    bool quitting() const;
    // A termination signal wakes the event wait: SDL's own wait sleeps through signals.
    void startSignalWaker();
    // Motion events beyond a few frames' worth are dropped as they arrive, so that a
    // flood of them cannot fill SDL's queue.
    static int admitEvent(void* self, SDL_Event* event);
    void updateLayer();
    void handle(const SDL_Event& event, ApplicationDelegate& delegate);
    // The view's picture and the views over it, into the window.
    void composite();
    // The title bar: the window's subtitle, then the name it opened with.
    void updateTitle();

    SDL_Window* window_ = nullptr;
    SDL_GLContext windowContext_ = nullptr;
    SdlContext* viewContext_ = nullptr;
    Size points_;
    LetterboxLayer layer_;
    RunLoop runLoop_;
    std::unique_ptr<Window> root_;
    TtfText text_;  // before the compositor, which draws with it
    std::unique_ptr<Compositor> compositor_;
    Accelerometer accelerometer_{runLoop_};
    std::unique_ptr<SdlSensor> sensor_;
    std::unique_ptr<SdlInput> input_;
    std::thread signalWaker_;
    int stopWaker_[2] = {-1, -1};
    std::atomic<int> queuedMotion_{0};
    unsigned compositedGeneration_ = ~0u;
    std::string name_;
    unsigned titleGeneration_ = 0;
    std::string error_;
    bool quit_ = false;
    bool sdlStarted_ = false;
};

}  // namespace gyrelle::platform
