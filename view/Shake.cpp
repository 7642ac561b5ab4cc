// Shake: a new game, which scrambles a solved cube or asks whether to reset it; and the
// answers to the questions the view asks.
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
    game_.newGame();
    lastTime = platform_.absoluteTime();
}

void EAGLView::resetAsked() {
    platform_.window().showAlert(std::make_unique<platform::AlertView>(
        "", "Do you want to reset the cube?", this, "No", "Yes"));
}

void EAGLView::alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) {
    if (&alert != folderQuestion_) {
        game_.answerReset(index == 1);
        return;
    }
    folderQuestion_ = nullptr;
    if (index == 0) {
        platform_.quit();
    }
}

}  // namespace gyrelle
