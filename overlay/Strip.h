#pragma once

#include <functional>

#include "platform/Painter.h"
#include "platform/View.h"

namespace gyrelle {

// A strip of controls over the picture: black, not quite opaque, its words drawn by the
// view that owns it.
class Strip : public platform::View {
  public:
    Strip(platform::Rect frame, std::function<void(platform::Painter&)> draw, float alpha = 0.85f)
        : View(frame), draw_(std::move(draw)) {
        setBackgroundColor(platform::colors::black);
        setAlpha(alpha);
    }
    void drawContent(platform::Painter& painter) const override { draw_(painter); }

  private:
    std::function<void(platform::Painter&)> draw_;
};

}  // namespace gyrelle
