#include "overlay/SessionsView.h"

#include <algorithm>
#include <cmath>

#include "platform/Painter.h"

namespace gyrelle {

namespace {
constexpr platform::Color kSelected{0.25f, 0.3f, 0.45f, 1};
constexpr platform::Color kGrey{0.6f, 0.6f, 0.6f, 1};
}  // namespace

SessionsView::SessionsView(platform::Rect frame, const Solves& solves, Actions actions)
    : Panel(frame), solves_(solves), actions_(std::move(actions)) {
    makeText({0, 4, 200, 36}, "Sessions", platform::colors::yellow, {"Arial", 24});
    selected_ = solves_.shownSession();
    const std::pair<const char*, std::function<void()>> all[] = {
        {"Show", [this] { showSelected(); }},     {"New", [this] { addOne(); }},
        {"Rename", [this] { renameSelected(); }}, {"Merge", [this] { mergeSelected(); }},
        {"Delete", [this] { removeSelected(); }}, {"Undo", [this] { undo(); }}};
    constexpr float kGap = 4, kHeight = 48;
    const float width = (frame.width - kGap * (std::size(all) + 1)) / std::size(all);
    for (size_t i = 0; i < std::size(all); ++i) {
        auto b = std::make_unique<platform::Button>(
            platform::Button::Style::Text,
            platform::Rect{kGap + i * (width + kGap), frame.height - kHeight - kGap, width,
                           kHeight},
            all[i].first);
        b->setLabelSize(12);  // "Rename" within 48 points
        b->setAction(all[i].second);
        addSubview(b.get());
        buttons_.push_back(std::move(b));
    }
    update();
}

void SessionsView::update() {
    rows_.clear();
    const auto& names = solves_.sessions();
    std::vector<size_t> count(names.size(), 0);
    std::vector<double> best(names.size(), HUGE_VAL);
    for (const Solve& s : solves_.done()) {
        if (s.session < names.size()) {
            ++count[s.session];
            if (!s.assisted && s.penalty != Penalty::Dnf) {
                best[s.session] = std::min(best[s.session], s.result());
            }
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        rows_.push_back((i == solves_.shownSession() ? "\u25cf " : "   ") + names[i] + " \u00b7 " +
                        std::to_string(count[i]) + (count[i] == 1 ? " solve" : " solves") +
                        (std::isinf(best[i]) ? "" : " \u00b7 best " + clockText(best[i])));
    }
    selected_ = std::min(selected_, names.size() - 1);
    setNeedsDisplay();
}

void SessionsView::showSelected() {
    if (actions_.show) {
        actions_.show(selected_);  // last: it closes this panel
    }
}

void SessionsView::addOne() {
    // The first "Session N" not taken.
    std::string name;
    for (int n = static_cast<int>(solves_.sessions().size()) + 1;; ++n) {
        name = "Session " + std::to_string(n);
        if (std::find(solves_.sessions().begin(), solves_.sessions().end(), name) ==
            solves_.sessions().end()) {
            break;
        }
    }
    Solves::SessionsBefore before;
    if (!actions_.add(name, before)) {
        said_ = "No more sessions: " + std::to_string(Solves::kMostSessions) + " at most.";
    } else {
        taken_.push_back(std::move(before));
        selected_ = solves_.sessions().size() - 1;
        said_.clear();
    }
    update();
}

void SessionsView::renameSelected() {
    const std::string& now = solves_.sessions()[selected_];
    if (actions_.askName &&
        actions_.askName("A name for the session", now, [this](std::string name) {
            if (!name.empty()) {
                rename(std::move(name));
            }
        })) {
        return;
    }
    typing_ = true;
    typed_ = now;
    said_ = "Type its name, then Return";
    setNeedsDisplay();
}

void SessionsView::rename(std::string name) {
    Solves::SessionsBefore before;
    if (actions_.rename(selected_, name, before)) {
        taken_.push_back(std::move(before));
        said_.clear();
    } else {
        said_ = "A name is 1 to " + std::to_string(Solves::kLongestSessionName) + " bytes.";
    }
    update();
}

void SessionsView::mergeSelected() {
    const size_t into = solves_.shownSession();
    Solves::SessionsBefore before;
    if (selected_ == into || !actions_.merge(selected_, into, before)) {
        said_ = "Select another session to merge into the one shown (\u25cf).";
    } else {
        taken_.push_back(std::move(before));
        selected_ = solves_.shownSession();
        said_.clear();
    }
    update();
}

void SessionsView::removeSelected() {
    Solves::SessionsBefore before;
    if (!actions_.remove(selected_, before)) {
        said_ = "The only session stays.";
    } else {
        taken_.push_back(std::move(before));
        said_.clear();
    }
    update();
}

void SessionsView::undo() {
    if (taken_.empty()) {
        return;
    }
    actions_.restore(std::move(taken_.back()));
    taken_.pop_back();
    said_.clear();
    update();
}

bool SessionsView::keyDown(const platform::KeyPress& key) {
    using platform::Key;
    if (typing_) {
        if (key.key == Key::Letter && !key.ctrl && !key.alt) {
            if (typed_.size() < Solves::kLongestSessionName) {
                typed_ += static_cast<char>(key.shift ? key.letter - 'a' + 'A' : key.letter);
            }
        } else if (key.key == Key::Space && typed_.size() < Solves::kLongestSessionName) {
            typed_ += ' ';
        } else if (key.key == Key::Backspace && !typed_.empty()) {
            typed_.pop_back();
        } else if (key.key == Key::Return) {
            typing_ = false;
            rename(typed_);
        } else if (key.key == Key::Escape) {
            typing_ = false;
            said_.clear();
        }
        setNeedsDisplay();
        return true;  // the name takes every key while it is typed
    }
    if (key.ctrl && key.key == Key::Letter && key.letter == 'z') {
        undo();
        return true;
    }
    if (key.ctrl || key.alt) {
        return false;
    }
    switch (key.key) {
        case Key::Up:
            selected_ = selected_ > 0 ? selected_ - 1 : 0;
            setNeedsDisplay();
            return true;
        case Key::Down:
            selected_ = std::min(selected_ + 1, solves_.sessions().size() - 1);
            setNeedsDisplay();
            return true;
        case Key::Return:
            showSelected();
            return true;
        case Key::Letter:
            switch (key.letter) {
                case 'n':
                    addOne();
                    return true;
                case 'r':
                    renameSelected();
                    return true;
                case 'm':
                    mergeSelected();
                    return true;
                case 'x':
                    removeSelected();
                    return true;
                case 'u':
                    undo();
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

void SessionsView::touchesBegan(const platform::TouchSet& touches, const platform::Event&) {
    const platform::Touch* t = touches.anyObject();
    touchStart_ = t ? t->locationInView(this) : platform::Point{};
}

void SessionsView::touchesEnded(const platform::TouchSet& touches, const platform::Event& event) {
    if (kList.contains(touchStart_)) {
        const size_t row = static_cast<size_t>((touchStart_.y - kList.y) / kRowHeight);
        if (row < rows_.size() && !typing_) {
            selected_ = row;
            setNeedsDisplay();
        }
        return;
    }
    Panel::touchesEnded(touches, event);  // elsewhere: closes it
}

void SessionsView::drawContent(platform::Painter& painter) const {
    const size_t fit = static_cast<size_t>(kList.height / kRowHeight) - 1;
    const size_t first = selected_ >= fit ? selected_ - fit + 1 : 0;
    for (size_t i = first; i < rows_.size() && i < first + fit; ++i) {
        const float top = kList.y + static_cast<float>(i - first) * kRowHeight;
        if (i == selected_) {
            painter.fillRect({0, top, kList.width, kRowHeight - 2}, kSelected);
        }
        const std::string text = typing_ && i == selected_ ? "   " + typed_ + "_" : rows_[i];
        painter.drawText({8, top + 12, 304, 20}, text, platform::colors::white, "Arial", 14,
                         platform::TextAlignment::Left);
    }
    painter.drawText({8, kList.y + kList.height - 24, 304, 20}, said_, kGrey, "Arial", 12,
                     platform::TextAlignment::Left);
}

}  // namespace gyrelle
