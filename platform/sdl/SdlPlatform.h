#pragma once

#include <SDL.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/gl/WindowHost.h"
#include "platform/sdl/SdlInput.h"
#include "platform/sdl/SdlSensor.h"
#include "platform/sdl/TtfText.h"

namespace gyrelle::platform {

// The desktop: one SDL window with one OpenGL ES 1.1 context, in which the GL view draws
// its picture straight into the window and the compositor draws the views over it. Timer
// ticks, input and life-cycle events all arrive on the thread that calls run().
class SdlPlatform : public WindowHost {
  public:
    SdlPlatform();
    ~SdlPlatform() override;

    // Opens the window; false with error() set when there is no display or no
    // OpenGL ES 1.1.
    bool open(const char* title, Size points);

    std::string documentsDirectory(std::string& why) override;
    std::string clipboardText() override;
    void setClipboardText(const std::string& text) override;
    void quit() override { quit_ = true; }
    bool canShare() const override { return true; }
    std::string share(const std::string& code) override;
    std::string shareFragment(const std::string& fragment) override;
    bool exchangesFiles() const override { return true; }
    std::string offerFile(const std::string& name, const std::string& text) override;
    std::string askForFile(FileTaker take) override;
    void onFileDropped(FileTaker dropped) override { dropped_ = std::move(dropped); }
    int run(ApplicationDelegate& delegate) override;

    bool makeCurrent() override;
    bool isCurrent() const override;
    void clearCurrent() override;

  private:
    Size drawableSize() const override;
    float leastTouchPixels() const override;
    void presentWindow() override;
    void setTitle(const std::string& title) override;

    bool quitting() const;
    // A termination signal wakes the event wait: SDL's own wait sleeps through signals.
    void startSignalWaker();
    // Motion events beyond a few frames' worth are dropped as they arrive, so that a
    // flood of them cannot fill SDL's queue. And a quit is honoured within it: SDL reads
    // a whole backlog of input before the loop sees any of it, which takes it minutes
    // for 100,000 key presses (its key-repeat check scans the queue at each release).
    static int admitEvent(void* self, SDL_Event* event);
    // In the middle of a backlog: a quit asked for (a signal, a closed window, Ctrl+Q,
    // also still in X's queue) ends the game here, saved.
    void quitInBacklog(const SDL_Event& event);
    bool quitInXQueue();
    void handle(const SDL_Event& event, ApplicationDelegate& delegate);
    void dropFile(const char* path);

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    TtfText text_;
    std::unique_ptr<SdlSensor> sensor_;
    std::unique_ptr<SdlInput> input_;
    std::thread signalWaker_;
    int stopWaker_[2] = {-1, -1};
    std::atomic<int> queuedMotion_{0};
    std::thread::id loopThread_;
    // Events SDL has read since the loop last had one; X's queue for a Ctrl+Q, if on X.
    long readSinceLoop_ = 0;
    long keysSinceLoop_ = 0;
    void* x11_ = nullptr;  // the X Display, when the window is on X
    bool quit_ = false;
    FileTaker dropped_;  // files dropped on the window go here
    bool sdlStarted_ = false;
};

}  // namespace gyrelle::platform
