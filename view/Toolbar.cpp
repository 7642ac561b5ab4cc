// Every action for fingers and the mouse: the toolbar in the space beside the picture,
// and the menu in the top strip that holds the same where there is none.
#include "view/Toolbar.h"

#include <algorithm>
#include <cmath>

#include "overlay/InfoView.h"
#include "view/EAGLView.h"

namespace gyrelle {

namespace {
// Points: a button at least this wide and high however large the screen's points are,
// the space between buttons, and around them at the picture and the screen's edge.
// Five a row fit across the picture's 320 points.
constexpr float kLeastWidth = 56, kLeastHeight = 36, kGap = 4, kMargin = 6;
constexpr float kLabelSize = 12;
}  // namespace

std::vector<platform::Rect> toolbarFrames(platform::Rect reach, float leastSide, int count) {
    const float w = std::max(kLeastWidth, leastSide), h = std::max(kLeastHeight, leastSide);
    const float below = reach.y + reach.height - 480, right = reach.x + reach.width - 320;
    std::vector<platform::Rect> frames;
    // Rows, as many a row as the width takes, in the bar under the picture.
    const int perRow = static_cast<int>((reach.width - 2 * kMargin + kGap) / (w + kGap));
    if (perRow > 0) {
        const int rows = (count + perRow - 1) / perRow;
        if (rows * (h + kGap) - kGap + 2 * kMargin <= below) {
            const float top = 480 + (below - (rows * (h + kGap) - kGap)) / 2;
            for (int i = 0; i < count; ++i) {
                const int row = i / perRow;
                const int inRow = std::min(perRow, count - row * perRow);
                const float left = reach.x + (reach.width - (inRow * (w + kGap) - kGap)) / 2;
                frames.push_back({left + (i % perRow) * (w + kGap), top + row * (h + kGap), w, h});
            }
            return frames;
        }
    }
    // Columns, as many a column as the height takes, in the bar to the right.
    const int perColumn = static_cast<int>((reach.height - 2 * kMargin + kGap) / (h + kGap));
    if (perColumn > 0) {
        const int columns = (count + perColumn - 1) / perColumn;
        if (columns * (w + kGap) - kGap + 2 * kMargin <= right) {
            const float left = 320 + (right - (columns * (w + kGap) - kGap)) / 2;
            for (int i = 0; i < count; ++i) {
                const int column = i / perColumn;
                const int inColumn = std::min(perColumn, count - column * perColumn);
                const float top = reach.y + (reach.height - (inColumn * (h + kGap) - kGap)) / 2;
                frames.push_back(
                    {left + column * (w + kGap), top + (i % perColumn) * (h + kGap), w, h});
            }
        }
    }
    return frames;
}

// What each action does, for the toolbar and the menu alike: as a touch, it stops
// solve-for-me first (but for the button that does that).
std::vector<EAGLView::Action> EAGLView::actions() {
    EAGLView* self = this;
    auto stopping = [self](auto act) {
        return [self, act] {
            self->game_.stopSolving();
            act();
        };
    };
    return {
        {"New", "New game", stopping([self] { self->game_.newGame(); })},
        {"Undo", "Undo", stopping([self] { self->game_.undo(); })},
        {"Redo", "Redo", stopping([self] { self->game_.redo(); })},
        {"Hint", "Hint", stopping([self] { self->game_.hint(); })},
        {"Solve", "Solve for me",
         [self] {
             self->game_.solvingForMe() ? self->game_.stopSolving() : self->game_.solveForMe();
         }},
        {"Scramble", "Competition scramble",
         stopping([self] { self->game_.competitionScramble(); })},
        {"Records", "Records", stopping([self] {
             self->showPanel(std::make_unique<RecordsView>(
                 self->bounds(), recordsText(self->game_.solves().done())));
         })},
        {"Settings", "Settings", [self] { self->showSettings(); }},
        {"Help", "Help",
         stopping([self] { self->showPanel(std::make_unique<KeysView>(self->bounds())); })},
    };
}

void EAGLView::makeToolbar() {
    for (Action& a : actions()) {
        auto b = std::make_unique<platform::Button>(platform::Button::Style::Text, platform::Rect{},
                                                    a.shortLabel);
        b->setLabelSize(kLabelSize);
        b->setAction(std::move(a.action));
        toolbar_.push_back(std::move(b));
    }
}

void EAGLView::placeToolbar() {
    const platform::Window& window = platform_.window();
    const std::vector<platform::Rect> frames = toolbarFrames(
        window.touchReach(), window.leastTouchSide(), static_cast<int>(toolbar_.size()));
    for (size_t i = 0; i < toolbar_.size(); ++i) {
        if (frames.empty()) {
            toolbar_[i]->removeFromSuperview();
        } else {
            toolbar_[i]->setFrame(frames[i]);
            if (toolbar_[i]->superview() != this) {
                addSubview(toolbar_[i].get());
            }
        }
    }
}

void EAGLView::showMenu() {
    game_.stopSolving();  // a touch, as any other
    EAGLView* self = this;
    std::vector<Action> all = actions();
    std::vector<MenuView::Item> items;
    // What fingers first had from it first, then the rest in the toolbar's order.
    for (int i : {3, 4, 5, 0, 1, 2, 6, 7, 8}) {
        items.push_back({all[i].label, [self, act = std::move(all[i].action)] {
                             self->closePanel();
                             act();
                         }});
    }
    showPanel(std::make_unique<MenuView>(bounds(), std::move(items)));
}

}  // namespace gyrelle
