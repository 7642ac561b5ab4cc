#include "platform/Button.h"

#include "platform/AlertView.h"
#include "platform/Painter.h"

namespace gyrelle::platform {

void Button::touchesEnded(const TouchSet& touches, const Event&) {
    const Touch* t = touches.anyObject();
    // Lifted within the area it could be touched in, which may be larger than the button.
    const View* root = this;
    while (root->superview()) {
        root = root->superview();
    }
    const Window* window = root->asWindow();
    bool inside = t && (bounds().contains(t->locationInView(this)) ||
                        (window && window->touchArea(*this).contains(t->locationInView(nullptr))));
    bool act = tracking_ && inside;
    tracking_ = false;
    if (act && action_) {
        // The action may free this button (a menu closing): it runs from a copy, and
        // nothing of the button is used after.
        const std::function<void()> action = action_;
        action();
    }
}

void Button::drawContent(Painter& painter) const {
    const Rect b = bounds();
    if (style_ == Style::Undo) {
        const float r = (b.width < b.height ? b.width : b.height) * 0.3f;
        const float cx = b.width / 2, cy = b.height / 2 + r * 0.15f;
        const float pi = 3.14159265f;
        // Over the top from the lower right, ending on the left in a head pointing down.
        painter.strokeArc({cx, cy}, r, 1.6f, pi / 3, -pi, colors::white);
        const float head = r * 0.42f;
        painter.fillTriangle({cx - r - head, cy - 0.5f}, {cx - r + head, cy - 0.5f},
                             {cx - r, cy + head * 1.3f}, colors::white);
        return;
    }
    if (style_ == Style::InfoLight) {
        const float r = (b.width < b.height ? b.width : b.height) * 0.36f;
        // Drawn, not typeset: no font need be loaded for the first frame.
        const float cx = b.width / 2, cy = b.height / 2;
        painter.strokeCircle({cx, cy}, r, 1.6f, colors::white);
        painter.fillCircle({cx, cy - r * 0.48f}, r * 0.14f, colors::white);
        painter.fillRect({cx - r * 0.11f, cy - r * 0.22f, r * 0.22f, r * 0.72f}, colors::white);
        return;
    }
    if (style_ == Style::Menu) {
        const float w = b.width * 0.5f, h = 2.0f, gap = 5.0f;
        for (int i = -1; i <= 1; ++i) {
            painter.fillRect({(b.width - w) / 2, b.height / 2 + i * gap - h / 2, w, h},
                             colors::white);
        }
        return;
    }
    painter.fillRect(b, face_);
    // The text's box begins a little above its middle: 17 points sit centred in 24.
    const float box = labelSize_ + 7;
    painter.drawText({0, b.height / 2 - box * 10 / 24, b.width, box}, label_, labelColor_, "Arial",
                     labelSize_, TextAlignment::Center);
}

}  // namespace gyrelle::platform
