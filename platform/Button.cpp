#include "platform/Button.h"

#include "platform/Painter.h"

namespace gyrelle::platform {

void Button::touchesEnded(const TouchSet& touches, const Event&) {
    const Touch* t = touches.anyObject();
    bool inside = t && bounds().contains(t->locationInView(this));
    bool act = tracking_ && inside;
    tracking_ = false;
    if (act && action_) {
        action_();  // may remove or replace this button: nothing of it is used after
    }
}

void Button::drawContent(Painter& painter) const {
    const Rect b = bounds();
    if (style_ == Style::InfoLight) {
        const float r = (b.width < b.height ? b.width : b.height) * 0.36f;
        painter.strokeCircle({b.width / 2, b.height / 2}, r, 1.6f, colors::white);
        painter.drawText({0, b.height / 2 - r * 0.95f, b.width, r * 2}, "i", colors::white, "Arial",
                         r * 1.45f, TextAlignment::Center);
        return;
    }
    painter.fillRect(b, {0.32f, 0.34f, 0.4f, 1});
    painter.drawText({0, b.height / 2 - 10, b.width, 24}, label_, colors::white, "Arial", 17,
                     TextAlignment::Center);
}

}  // namespace gyrelle::platform
