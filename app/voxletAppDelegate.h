#pragma once

#include "platform/Application.h"
#include "platform/View.h"
#include "view/EAGLView.h"

namespace gyrelle {

// Receives the application's life-cycle callbacks and passes them to the GL view.
class voxletAppDelegate : public platform::ApplicationDelegate {
  public:
    voxletAppDelegate(platform::View* window, EAGLView* glView) : window(window), glView(glView) {}

    void applicationDidFinishLaunching() override;
    void applicationWillResignActive() override;
    void applicationDidBecomeActive() override;
    bool applicationWillTerminate() override;

    platform::View* window;
    EAGLView* glView;
};

}  // namespace gyrelle
