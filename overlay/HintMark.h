#pragma once

#include "platform/View.h"

namespace gyrelle {

// The face a hint says to turn, outlined over the cube, with arrowheads along its edge
// the way it turns (two, opposite, for a half turn). Drawn over the picture, never into
// it; touches pass through it.
class HintMark : public platform::View {
  public:
    explicit HintMark(platform::Rect frame) : View(frame) {}

    // The face's corners in view points, in order round it; the arrowheads, each its tip
    // and its two other points; `facing`: the face is turned toward the viewer.
    void setMark(const platform::Point (&corners)[4], const platform::Point (&arrows)[2][3],
                 int arrowCount, bool facing);

    // Magenta, which no classic sticker has, unless told otherwise (a colour scheme's own).
    void setColor(platform::Color color) {
        color_ = color;
        setNeedsDisplay();
    }
    const platform::Color& color() const { return color_; }

    void drawContent(platform::Painter& painter) const override;
    bool acceptsTouches() const override { return false; }

  private:
    platform::Color color_{1, 0, 1, 1};
    platform::Point corners_[4] = {};
    platform::Point arrows_[2][3] = {};
    int arrowCount_ = 0;
    bool facing_ = true;
};

}  // namespace gyrelle
