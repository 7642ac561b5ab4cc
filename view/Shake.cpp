// Shake: a solved cube is scrambled, an unsolved one asks to be reset.
#include <cmath>

#include "view/EAGLView.h"

namespace gyrelle {

namespace {
constexpr double kFilterFactor = 0.1;     // weight of a new sample in the gravity estimate
constexpr double kFilterKeep = 0.9;       // weight of the estimate so far
constexpr double kShakeThreshold = 2.25;  // gravity-free acceleration, in units of gravity
constexpr double kShakeInterval = 0.75;   // seconds between accepted shakes
}  // namespace

void EAGLView::accelerometerDidAccelerate(const platform::Acceleration& a) {
    const double sample[3] = {a.x, a.y, a.z};
    double d[3];
    for (int i = 0; i < 3; ++i) {
        myAccelerometer[i] = sample[i] * kFilterFactor + myAccelerometer[i] * kFilterKeep;
        d[i] = sample[i] - myAccelerometer[i];
    }
    const double length = std::sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]);
    if (std::isnan(length) || length < kShakeThreshold) {
        return;
    }
    if (!(platform_.absoluteTime() > lastTime + kShakeInterval)) {
        return;
    }
    newGame();
    lastTime = platform_.absoluteTime();
}

void EAGLView::newGame() {
    if (magicCube->isSolved()) {
        const MagicCube::Stickers before = magicCube->stickers();
        magicCube->scrambleCube();
        replaced(History::Kind::Scramble, before);
    } else {
        platform_.window().showAlert(std::make_unique<platform::AlertView>(
            "", "Do you want to reset the cube?", this, "No", "Yes"));
    }
}

void EAGLView::alertViewClickedButtonAtIndex(platform::AlertView&, int index) {
    if (index == 1) {
        const MagicCube::Stickers before = magicCube->stickers();
        dropRunningTurn();
        magicCube->resetCube();
        reportReset();
        replaced(History::Kind::Reset, before);
    }
}

}  // namespace gyrelle
