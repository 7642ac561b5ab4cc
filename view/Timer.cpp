// The frame timer: one drawView per tick, 1/60 s while active, 0.2 s while not.
#include "view/EAGLView.h"

namespace gyrelle {

void EAGLView::startAnimation() {
    resting_ = false;
    context_->expectPictures();
    setAnimationTimer(platform_.runLoop().scheduledTimer(animationInterval, [this] {
        drawView();
        restIfStill();
    }));
}

void EAGLView::stopAnimation() {
    if (animationTimer) {
        setAnimationTimer(nullptr);
        keepPicture();  // what the window shows between frames
    }
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
        setAnimationTimer(nullptr);
        startAnimation();
    }
}

}  // namespace gyrelle
