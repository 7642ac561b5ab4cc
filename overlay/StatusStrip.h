#pragma once

#include <string>

#include "platform/View.h"

namespace gyrelle {

// One line of words across the top of the view, over the black above the cube: the
// solve's moves and time, or how it ended; and under it, smaller, a line more (a finished
// solve's splits). Touches pass through it to the cube.
class StatusStrip : public platform::View {
  public:
    static constexpr float kHeight = 24;  // points, at most, and as much again with a detail
    explicit StatusStrip(float width);

    void setText(std::string text);
    const std::string& text() const { return text_; }
    void setDetail(std::string detail);
    const std::string& detail() const { return detail_; }
    // The inspection's countdown under the words: the part of it left (1 at its start, 0
    // at its end), with marks where 8 and 12 of its 15 seconds have gone; negative for none.
    void setCountdown(float left);
    float countdown() const { return countdown_; }

    void drawContent(platform::Painter& painter) const override;
    bool acceptsTouches() const override { return false; }

  private:
    std::string text_;
    std::string detail_;
    float countdown_ = -1;
};

}  // namespace gyrelle
