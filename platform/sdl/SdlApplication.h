#pragma once

#include <SDL.h>

#include <string>

#include "platform/Application.h"
#include "platform/DesktopInput.h"
#include "platform/Platform.h"
#include "platform/View.h"

namespace gyrelle::platform {

class SdlContext;
class TextCache;

// The GL view's drawable in the window: the largest rectangle of the view's shape
// that fits the window, in the window's pixels.
class WindowLayer : public Layer {
  public:
    Size pixelSize() const override { return {rect.width, rect.height}; }
    PixelRect rect;
};

// The desktop: one SDL window with an OpenGL ES 1.1 context for the GL view, which
// draws into its own framebuffer, and a second context, sharing its objects, that
// composites that picture and the subviews into the window. Timer ticks, input and
// life-cycle events all arrive on the thread that calls run().
class SdlApplication : public Platform {
  public:
    SdlApplication();
    ~SdlApplication() override;

    // Opens the window, `points` in size and title `title`; false with error() set when
    // there is no display or no OpenGL ES 1.1.
    bool open(const char* title, Size points);
    const std::string& error() const { return error_; }

    std::unique_ptr<GLContext> createGLContext() override;
    const Layer& layer() const override { return layer_; }
    RunLoop& runLoop() override { return runLoop_; }
    std::string documentsDirectory() override;

    Window& window() override { return *root_; }
    Accelerometer& accelerometer() override { return accelerometer_; }
    // Delivers events and timer ticks until the window is closed, Ctrl+Q is pressed
    // or the process is asked to stop; returns the exit status.
    int run(ApplicationDelegate& delegate);
    void quit() { quit_ = true; }

  private:
    friend class SdlContext;
    void updateLayer();
    void handle(const SDL_Event& event, ApplicationDelegate& delegate);
    // Copies the view's bound framebuffer into the shared picture and shows it.
    void present();
    void composite();
    void paintSubviews(const View& view, float x, float y, float alpha,
                       const Color* groupBackground = nullptr);
    // A position in the window's own coordinates (SDL's points) in view points.
    Point toViewPoints(float windowX, float windowY) const;
    void handlePointer(const SDL_Event& event);
    void handleKey(const SDL_KeyboardEvent& key);
    void openSensor();
    bool readSensor(Acceleration& out);

    SDL_Window* window_ = nullptr;
    SDL_GLContext compositor_ = nullptr;
    SdlContext* viewContext_ = nullptr;
    Size points_;
    WindowLayer layer_;
    RunLoop runLoop_;
    std::unique_ptr<Window> root_;
    std::unique_ptr<TextCache> text_;
    Accelerometer accelerometer_{runLoop_};
    SDL_Sensor* sensor_ = nullptr;
    SDL_GameController* controller_ = nullptr;
    std::unique_ptr<TouchDispatcher> touches_;
    std::unique_ptr<DesktopInput> input_;
    Uint8 pointerButton_ = 0;
    unsigned compositedGeneration_ = ~0u;
    GLuint picture_ = 0;  // texture shared by both contexts
    Size pictureSize_;
    std::string error_;
    bool quit_ = false;
    bool sdlStarted_ = false;
};

}  // namespace gyrelle::platform
