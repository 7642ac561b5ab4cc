#pragma once

#include "platform/Application.h"
#include "view/EAGLView.h"

namespace gyrelle {

// Receives the application's life-cycle callbacks and passes them to the GL view.
class voxletAppDelegate : public platform::ApplicationDelegate {
  public:
    explicit voxletAppDelegate(EAGLView* glView) : glView(glView) {}

    void applicationDidFinishLaunching() override;
    void applicationWillResignActive() override;
    void applicationDidBecomeActive() override;
    bool applicationWillTerminate() override;

  private:
    EAGLView* glView;
};

}  // namespace gyrelle
