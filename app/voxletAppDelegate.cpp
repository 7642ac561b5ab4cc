#include "app/voxletAppDelegate.h"

namespace gyrelle {

void voxletAppDelegate::applicationDidFinishLaunching() {
    glView->setAnimationInterval(EAGLView::kActiveInterval);
    glView->startAnimation();
}

// Inactive, the cube goes on moving at five steps a second.
void voxletAppDelegate::applicationWillResignActive() {
    glView->setAnimationInterval(EAGLView::kInactiveInterval);
}

void voxletAppDelegate::applicationDidBecomeActive() {
    glView->setAnimationInterval(EAGLView::kActiveInterval);
}

void voxletAppDelegate::applicationWillTerminate() {
    glView->terminate();
}

}  // namespace gyrelle
