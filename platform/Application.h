#pragma once

namespace gyrelle::platform {

// The life-cycle callbacks an application receives, all on the main thread.
class ApplicationDelegate {
  public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    virtual void applicationWillResignActive() = 0;
    virtual void applicationDidBecomeActive() = 0;
    virtual void applicationWillTerminate() = 0;
};

}  // namespace gyrelle::platform
