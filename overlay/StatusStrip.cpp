#include "overlay/StatusStrip.h"

#include <algorithm>

#include "platform/Painter.h"

namespace gyrelle {

namespace {
constexpr float kTextSize = 14;
constexpr float kTextTop = 4;
// About how wide a character of the strip's font is, for its size.
constexpr float kCharacterWidth = 0.52f;
// Clear of the menu button at the right end, and as much at the left: centred.
constexpr float kSideRoom = 36;
}  // namespace

StatusStrip::StatusStrip(float width) : View({kSideRoom, 0, width - 2 * kSideRoom, kHeight}) {}

void StatusStrip::setText(std::string text) {
    if (text != text_) {
        text_ = std::move(text);
        setNeedsDisplay();
    }
}

void StatusStrip::setDetail(std::string detail) {
    if (detail != detail_) {
        detail_ = std::move(detail);
        platform::Rect f = frame();
        f.height = detail_.empty() ? kHeight : 2 * kHeight;
        setFrame(f);
        setNeedsDisplay();
    }
}

namespace {
// The letters' size for `text` to fit one line of `width`, at most `most`.
float sizeToFit(const std::string& text, float width, float most) {
    size_t characters = 0;
    for (unsigned char c : text) {
        characters += (c & 0xC0) != 0x80;  // not a UTF-8 continuation byte
    }
    return std::min(most, width / (kCharacterWidth * static_cast<float>(characters + 1)));
}
}  // namespace

// One line always: a long one (a scramble's turns) in smaller letters.
void StatusStrip::drawContent(platform::Painter& painter) const {
    const platform::Rect b = {0, 0, bounds().width, kHeight};
    const float size = sizeToFit(text_, b.width, kTextSize);
    painter.drawText({0, kTextTop + (kTextSize - size) / 2, b.width, b.height - kTextTop}, text_,
                     platform::colors::white, "Arial", size, platform::TextAlignment::Center);
    if (!detail_.empty()) {
        const float small = sizeToFit(detail_, b.width, kTextSize - 2);
        painter.drawText({0, kHeight + (kTextSize - small) / 2, b.width, kHeight}, detail_,
                         platform::Color{0.8f, 0.8f, 0.8f, 1}, "Arial", small,
                         platform::TextAlignment::Center);
    }
    if (countdown_ >= 0) {
        // Amber after the 8 s call, red after the 12 s call, as the time left runs out.
        const float gone = 1 - countdown_;
        const platform::Color bar = gone >= 12.0f / 15  ? platform::Color{1, 0.2f, 0.2f, 1}
                                    : gone >= 8.0f / 15 ? platform::Color{1, 0.7f, 0, 1}
                                                        : platform::Color{0.4f, 0.8f, 1, 1};
        painter.fillRect({0, b.height - 3, b.width * countdown_, 2}, bar);
        for (float mark : {8.0f / 15, 12.0f / 15}) {
            painter.fillRect({b.width * (1 - mark) - 1, b.height - 6, 2, 6},
                             platform::colors::white);
        }
    }
}

void StatusStrip::setCountdown(float left) {
    if (left != countdown_) {
        countdown_ = left;
        setNeedsDisplay();
    }
}

}  // namespace gyrelle
