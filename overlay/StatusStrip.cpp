#include "overlay/StatusStrip.h"

#include "platform/Painter.h"

namespace gyrelle {

namespace {
constexpr float kTextSize = 14;
constexpr float kTextTop = 4;
}  // namespace

StatusStrip::StatusStrip(float width) : View({0, 0, width, kHeight}) {}

void StatusStrip::setText(std::string text) {
    if (text != text_) {
        text_ = std::move(text);
        setNeedsDisplay();
    }
}

void StatusStrip::drawContent(platform::Painter& painter) const {
    const platform::Rect b = bounds();
    painter.drawText({0, kTextTop, b.width, b.height - kTextTop}, text_, platform::colors::white,
                     "Arial", kTextSize, platform::TextAlignment::Center);
}

}  // namespace gyrelle
