// The frame timer: one drawView per tick, 1/60 s while active, 0.2 s while not.
#include "view/EAGLView.h"

namespace gyrelle {

void EAGLView::startAnimation() {
    resting_ = false;
    setAnimationTimer(platform_.runLoop().scheduledTimer(animationInterval, [this] {
        drawView();
        restIfStill();
    }));
}

void EAGLView::stopAnimation() {
    setAnimationTimer(nullptr);
}

void EAGLView::setAnimationTimer(platform::Timer* timer) {
    if (animationTimer) {
        animationTimer->invalidate();
    }
    animationTimer = timer;
}

void EAGLView::setAnimationInterval(double interval) {
    animationInterval = interval;
    if (animationTimer) {
        stopAnimation();
        startAnimation();
    }
}

}  // namespace gyrelle
