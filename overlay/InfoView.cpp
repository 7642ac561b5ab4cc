#include "overlay/InfoView.h"

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

InfoView::InfoView(platform::Rect frame) : View(frame) {
    setBackgroundColor(platform::colors::black);
    setAlpha(0.625f);
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

InfoText* InfoView::makeText(platform::Rect frame, std::string text, platform::Color color,
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

void InfoView::touchesEnded(const platform::TouchSet& touches, const platform::Event& event) {
    if (superview()) {
        superview()->touchesEnded(touches, event);
    }
}

}  // namespace gyrelle
