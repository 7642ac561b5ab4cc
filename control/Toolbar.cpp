// Every action for fingers and the mouse: the toolbar in the space beside the picture,
// and the menu in the top strip that holds the same where there is none.
#include "control/Toolbar.h"

#include <algorithm>

#include "control/Controller.h"

namespace gyrelle {

namespace {
// Points: a button at least this wide and high however large the screen's points are,
// the space between buttons, and around them at the picture and the screen's edge.
// Five a row fit across the picture's 320 points.
constexpr float kLeastWidth = 56, kLeastHeight = 36, kGap = 4, kMargin = 6;
constexpr float kLabelSize = 12;
}  // namespace

namespace {
// `count` buttons `along` long and `across` deep, in lines of as many as fit in the
// `span` from `start`, the lines centred in the `room` beyond `edge`: rows (x along,
// y across) or, `transposed`, columns. None when they do not fit.
std::vector<platform::Rect> lines(int count, float along, float across, float start, float span,
                                  float edge, float room, bool transposed) {
    std::vector<platform::Rect> frames;
    const int perLine = static_cast<int>((span - 2 * kMargin + kGap) / (along + kGap));
    if (perLine <= 0) {
        return frames;
    }
    const int lineCount = (count + perLine - 1) / perLine;
    const float depth = lineCount * (across + kGap) - kGap;
    if (depth + 2 * kMargin > room) {
        return frames;
    }
    for (int i = 0; i < count; ++i) {
        const int line = i / perLine;
        const int inLine = std::min(perLine, count - line * perLine);
        const float a =
            start + (span - (inLine * (along + kGap) - kGap)) / 2 + (i % perLine) * (along + kGap);
        const float b = edge + (room - depth) / 2 + line * (across + kGap);
        frames.push_back(transposed ? platform::Rect{b, a, across, along}
                                    : platform::Rect{a, b, along, across});
    }
    return frames;
}
}  // namespace

std::vector<platform::Rect> toolbarFrames(platform::Rect reach, float leastSide, int count) {
    const float w = std::max(kLeastWidth, leastSide), h = std::max(kLeastHeight, leastSide);
    const float below = reach.y + reach.height - 480, right = reach.x + reach.width - 320;
    // Rows in the bar under the picture; else columns in the bar to its right.
    std::vector<platform::Rect> frames =
        lines(count, w, h, reach.x, reach.width, 480, below, false);
    if (frames.empty()) {
        frames = lines(count, h, w, reach.y, reach.height, 320, right, true);
    }
    return frames;
}

// A button for each command that has one, in the table's order.
void Controller::makeToolbar() {
    for (const CommandRow& row : commandRows()) {
        if (!row.shortLabel || !offers(row)) {
            continue;
        }
        auto b = std::make_unique<platform::Button>(platform::Button::Style::Text, platform::Rect{},
                                                    row.shortLabel);
        b->setLabelSize(kLabelSize);
        b->setAction([this, kind = row.kind] {
            if (panel_ && panel_->closesOnAnyTouch()) {
                closePanel();
            }
            perform({kind});
        });
        toolbar_.push_back(std::move(b));
    }
}

void Controller::placeToolbar() {
    const platform::Window& window = services_.window();
    const std::vector<platform::Rect> frames = toolbarFrames(
        window.touchReach(), window.leastTouchSide(), static_cast<int>(toolbar_.size()));
    for (size_t i = 0; i < toolbar_.size(); ++i) {
        if (frames.empty()) {
            toolbar_[i]->removeFromSuperview();
        } else {
            toolbar_[i]->setFrame(frames[i]);
            if (toolbar_[i]->superview() != &surface_) {
                surface_.addSubview(toolbar_[i].get());
            }
        }
    }
}

// The toolbar's commands, what fingers first had from the menu first.
void Controller::showMenu() {
    coach_.stopSolving();  // a touch, as any other
    std::vector<MenuView::Item> items;
    for (const bool first : {true, false}) {
        for (const CommandRow& row : commandRows()) {
            if (row.label && row.menuFirst == first && offers(row)) {
                items.push_back({row.label, [this, kind = row.kind] {
                                     closePanel();
                                     perform({kind});
                                 }});
            }
        }
    }
    showPanel(std::make_unique<MenuView>(surface_.bounds(), std::move(items)));
}

}  // namespace gyrelle
