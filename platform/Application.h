#pragma once

#include <string>

#include "platform/Platform.h"

namespace gyrelle::platform {

// The life-cycle callbacks an application receives, all on the main thread.
class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    virtual void applicationWillResignActive() = 0;
    virtual void applicationDidBecomeActive() = 0;
    // False when what the game keeps could not be kept.
    virtual bool applicationWillTerminate() = 0;
};

// A platform with an event loop of its own: the program builds the GL view on it,
// makes the view the window's content and runs it.
class Application : public Platform {
  public:
    // Why the last thing asked of it (such as a GL context) could not be had.
    virtual const std::string& error() const = 0;
    // Delivers life-cycle events, input and timer ticks until the game is to end, then
    // applicationWillTerminate; returns the exit status: 1 when that failed.
    virtual int run(ApplicationDelegate& delegate) = 0;
};

}  // namespace gyrelle::platform
