#include "overlay/HintMark.h"

#include "platform/Painter.h"

namespace gyrelle {

namespace {
constexpr float kFacingWidth = 3, kHiddenWidth = 1.5f;  // points
}  // namespace

void HintMark::setMark(const platform::Point (&corners)[4], const platform::Point (&arrows)[2][3],
                       int arrowCount, bool facing) {
    for (int i = 0; i < 4; ++i) {
        corners_[i] = corners[i];
    }
    for (int a = 0; a < 2; ++a) {
        for (int k = 0; k < 3; ++k) {
            arrows_[a][k] = arrows[a][k];
        }
    }
    arrowCount_ = arrowCount;
    facing_ = facing;
    setNeedsDisplay();
}

void HintMark::drawContent(platform::Painter& painter) const {
    const float width = facing_ ? kFacingWidth : kHiddenWidth;
    for (int i = 0; i < 4; ++i) {
        painter.strokeLine(corners_[i], corners_[(i + 1) % 4], width, color_);
    }
    for (int a = 0; a < arrowCount_; ++a) {
        painter.fillTriangle(arrows_[a][0], arrows_[a][1], arrows_[a][2], color_);
    }
}

}  // namespace gyrelle
