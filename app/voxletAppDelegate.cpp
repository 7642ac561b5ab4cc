#include "app/voxletAppDelegate.h"

namespace gyrelle {

void voxletAppDelegate::applicationDidFinishLaunching() {
    glView->setAnimationInterval(EAGLView::kActiveInterval);
    glView->startAnimation();
}

// Inactive, the cube goes on moving at five steps a second.
void voxletAppDelegate::applicationWillResignActive() {
    glView->setAnimationInterval(EAGLView::kInactiveInterval);
    glView->saveSoon();  // the player may be about to leave for good
}

void voxletAppDelegate::applicationDidBecomeActive() {
    glView->setAnimationInterval(EAGLView::kActiveInterval);
}

bool voxletAppDelegate::applicationWillTerminate() {
    return glView->terminate();
}

}  // namespace gyrelle
