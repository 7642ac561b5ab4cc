#include "overlay/InfoView.h"

#include <algorithm>

namespace gyrelle {

InfoText::InfoText(platform::Rect frame) : View(frame) {
    setBackgroundColor(platform::colors::black);
    setAlpha(1.0f);
}

void InfoText::drawContent(platform::Painter& painter) const {
    // The text view's inset from its edges.
    const platform::Rect b = bounds();
    painter.drawText({8, 8, b.width - 16, b.height - 8}, text_, color_, font_.name, font_.size,
                     alignment_);
}

void InfoText::touchesEnded(const platform::TouchSet& touches, const platform::Event& event) {
    if (superview()) {
        superview()->touchesEnded(touches, event);
    }
}

Panel::Panel(platform::Rect frame, float alpha) : View(frame) {
    setBackgroundColor(platform::colors::black);
    setAlpha(alpha);
}

InfoText* Panel::makeText(platform::Rect frame, std::string text, platform::Color color,
                          Font font) {
    auto block = std::make_unique<InfoText>(frame);
    block->setTextColor(color);
    block->setText(std::move(text));
    block->setFont(font);
    block->setAlpha(1.0f);
    addSubview(block.get());
    texts_.push_back(std::move(block));
    return texts_.back().get();
}

void Panel::touchesEnded(const platform::TouchSet& touches, const platform::Event& event) {
    if (superview()) {
        superview()->touchesEnded(touches, event);
    }
}

InfoView::InfoView(platform::Rect frame) : Panel(frame, kSeenThrough) {
    makeText({0, 10, 320, 35}, "Gyrelle", platform::colors::yellow, {"Arial", 28})
        ->setTextAlignment(platform::TextAlignment::Center);
    makeText({0, 50, 320, 30}, "Pennowick Software", platform::colors::red, {"Arial", 14})
        ->setTextAlignment(platform::TextAlignment::Center);
    std::string instructions;
    instructions.reserve(1024);
    instructions +=
        "INSTRUCTIONS - One finger controls:\n\nTurn the faces of the cube using a single finger "
        "swipe.\n\n";
    instructions += "Rotate the entire cube by dragging one finger outside of the cube area.\n\n";
    instructions += "Double tap a face of the cube to make it the top face.\n\n";
    instructions += "Two finger controls:\n";
    instructions +=
        "Drag anywhere with two fingers to rotate the entire cube around an arbitrary axis.\n\n";
    instructions +=
        "Twist two fingers in opposite directions to turn the entire cube in the plane of the "
        "screen.\n\n";
    instructions += "SHAKE to scramble or reset the cube.";
    makeText({0, 80, 320, 400}, instructions, platform::colors::white, {"Arial", 16});
}

KeysView::KeysView(platform::Rect frame, const std::vector<Line>& lines, const std::string& after)
    : Panel(frame) {
    makeText({0, 10, frame.width, 35}, "Keys", platform::colors::yellow, {"Arial", 28})
        ->setTextAlignment(platform::TextAlignment::Center);
    // Keys on the left, what they do beside them, a line or more as the words need;
    // the text's blocks are inset by 8 points. Lines as long as a narrow font's worst.
    constexpr float kKeysWidth = 120, kLine = 15, kSize = 12;
    constexpr size_t kKeysPerLine = 17, kHelpPerLine = 30;
    auto linesOf = [](const std::string& text, size_t perLine) {
        return static_cast<float>(std::max<size_t>(1, (text.size() + perLine - 1) / perLine));
    };
    float y = 48;
    for (const Line& line : lines) {
        const float height =
            std::max(linesOf(line.keys, kKeysPerLine), linesOf(line.help, kHelpPerLine)) * kLine +
            8;
        makeText({0, y - 4, kKeysWidth, height}, line.keys, platform::colors::yellow,
                 {"Arial", kSize});
        makeText({kKeysWidth - 8, y - 4, frame.width - kKeysWidth + 8, height}, line.help,
                 platform::colors::white, {"Arial", kSize});
        y += height - 8;
    }
    makeText({0, y + 4, frame.width, frame.height - y - 4}, after, platform::colors::white,
             {"Arial", kSize});
}

MenuView::MenuView(platform::Rect frame, std::vector<Item> items) : Panel(frame) {
    // Targets a finger can hit: 48 points high, most of the width; in two columns, row by
    // row, when more than nine would not leave room between them.
    constexpr float kHeight = 48, kWidth = 260, kColumnGap = 8;
    const int columns = items.size() > 9 ? 2 : 1;
    const float width = columns == 1 ? kWidth : (frame.width - 3 * kColumnGap) / 2;
    const size_t rows = (items.size() + columns - 1) / columns;
    // Apart by 16 points where they fit so, closer where there are many.
    const float n = static_cast<float>(rows);
    const float kGap = std::min(16.0f, (frame.height - n * kHeight) / (n + 1));
    const float top = (frame.height - n * (kHeight + kGap) + kGap) / 2;
    const float left = (frame.width - columns * width - (columns - 1) * kColumnGap) / 2;
    for (size_t i = 0; i < items.size(); ++i) {
        const size_t row = i / columns, column = i % columns;
        auto button = std::make_unique<platform::Button>(
            platform::Button::Style::Text,
            platform::Rect{left + column * (width + kColumnGap), top + row * (kHeight + kGap),
                           width, kHeight},
            items[i].label);
        if (columns > 1) {
            button->setLabelSize(14);
        }
        button->setAction(std::move(items[i].action));
        addSubview(button.get());
        buttons_.push_back(std::move(button));
    }
}

MessageView::MessageView(platform::Rect frame, std::string message) : Panel(frame) {
    makeText({0, frame.height / 2 - 40, frame.width, 80}, std::move(message),
             platform::colors::white, {"Arial", 17})
        ->setTextAlignment(platform::TextAlignment::Center);
}

}  // namespace gyrelle
