#include "overlay/RecordsView.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>

#include "platform/Painter.h"

namespace gyrelle {

namespace {

constexpr platform::Rect kPlot{40, 124, 272, 74};
constexpr platform::Rect kHistogram{40, 204, 272, 40};
constexpr int kBins = 12;
constexpr platform::Color kGrey{0.6f, 0.6f, 0.6f, 1};
constexpr platform::Color kAo5{1, 0.8f, 0, 1};      // amber
constexpr platform::Color kAo12{0.3f, 0.8f, 1, 1};  // sky blue
constexpr platform::Color kBest{1, 0.3f, 0.3f, 1};
constexpr platform::Color kSelected{0.25f, 0.3f, 0.45f, 1};
// Export and Import end left of the menu button in the top strip's right end.
constexpr float kClearOfMenu = 282;
// Share, Export and Import at the top right, clear of the title at the left.
constexpr float kTopWidth = 58;
// More solves than this are drawn as one line a column, from the fastest to the slowest.
constexpr size_t kMostPointsDrawn = 640;

bool counts(const Solve& s) {
    return !s.assisted;
}

// The average of `count` (5 or 12) results ending with solve `end`, as averageOfLast
// takes them: without the best and the worst, a DNF the worst, two a DNF; NaN with
// fewer solves that count.
double averageEndingAt(const std::vector<Solve>& solves, size_t end, size_t count) {
    std::array<double, 12> times{};
    size_t n = 0;
    for (size_t i = end + 1; i-- > 0 && n < count;) {
        if (counts(solves[i])) {
            times[n++] = solves[i].result();
        }
    }
    if (n < count) {
        return NAN;
    }
    for (size_t i = 1; i < n; ++i) {  // twelve at most: sorted by insertion
        for (size_t j = i; j > 0 && times[j] < times[j - 1]; --j) {
            std::swap(times[j], times[j - 1]);
        }
    }
    if (std::isinf(times[n - 2])) {
        return HUGE_VAL;
    }
    double sum = 0;
    for (size_t i = 1; i + 1 < n; ++i) {
        sum += times[i];
    }
    return sum / static_cast<double>(n - 2);
}

std::string dateOf(std::time_t t) {
    char text[32] = "";
    std::tm local{};
    if (localtime_r(&t, &local)) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    }
    return text;
}

const char* kindName(Scramble kind) {
    const char* const kNames[] = {"scramble not known", "random turns", "competition", "pasted"};
    return kNames[static_cast<int>(kind)];
}

}  // namespace

RecordsPlot plotOf(const std::vector<Solve>& solves, platform::Rect area) {
    RecordsPlot plot;
    bool any = false;
    for (size_t i = 0; i < solves.size(); ++i) {
        const double r = solves[i].result();
        if (std::isinf(r)) {
            continue;
        }
        plot.fastest = any ? std::min(plot.fastest, r) : r;
        plot.slowest = any ? std::max(plot.slowest, r) : r;
        if (counts(solves[i]) && (plot.best < 0 || r < solves[plot.best].result())) {
            plot.best = static_cast<int>(i);
        }
        any = true;
    }
    const double span = plot.slowest > plot.fastest ? plot.slowest - plot.fastest : 1;
    auto y = [&](double result) {
        if (std::isinf(result)) {
            return area.y;
        }
        return static_cast<float>(area.y + area.height * (1 - (result - plot.fastest) / span));
    };
    const size_t n = solves.size();
    auto x = [&](size_t i) {
        return n < 2 ? area.x + area.width / 2
                     : area.x + area.width * static_cast<float>(i) / static_cast<float>(n - 1);
    };
    for (size_t i = 0; i < n; ++i) {
        plot.points.push_back({x(i), y(solves[i].result())});
        plot.dnf.push_back(solves[i].penalty == Penalty::Dnf);
        for (auto [line, count] : {std::pair{&plot.ao5, size_t(5)}, {&plot.ao12, size_t(12)}}) {
            const double a = averageEndingAt(solves, i, count);
            if (!std::isnan(a)) {
                line->push_back({x(i), y(std::min(a, plot.slowest))});
                if (std::isinf(a)) {
                    line->back().y = area.y;
                }
            }
        }
    }
    return plot;
}

Histogram histogramOf(const std::vector<Solve>& solves, int bins) {
    Histogram h;
    h.counts.assign(static_cast<size_t>(bins), 0);
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (const Solve& s : solves) {
        if (counts(s) && !std::isinf(s.result())) {
            lo = std::min(lo, s.result());
            hi = std::max(hi, s.result());
        }
    }
    if (lo > hi) {
        return h;
    }
    h.from = lo;
    h.width = hi > lo ? (hi - lo) / bins : 1;
    for (const Solve& s : solves) {
        if (!counts(s)) {
            continue;
        }
        if (std::isinf(s.result())) {
            ++h.dnfs;
            continue;
        }
        const int bin = std::min(bins - 1, static_cast<int>((s.result() - lo) / h.width));
        ++h.counts[static_cast<size_t>(bin)];
    }
    return h;
}

RecordsView::RecordsView(platform::Rect frame, const std::vector<Solve>& solves, Changes changes,
                         std::vector<Item> items, Method method, std::string session)
    : Panel(frame),
      solves_(solves),
      changes_(std::move(changes)),
      method_(method),
      session_(std::move(session)) {
    setAlpha(0.9f);  // a plot and a list to read: the cube shows only faintly behind
    if (!changes_.sessions) {
        makeText({0, 4, 200, 36}, "Records", platform::colors::yellow, {"Arial", 24});
    }
    // Export and Import at the top right; the selected solve's buttons along the foot.
    std::vector<Item> all = {{"+2", [this] { mark(Penalty::PlusTwo); }},
                             {"DNF", [this] { mark(Penalty::Dnf); }},
                             {"OK", [this] { mark(Penalty::None); }},
                             {"Delete", [this] { removeSelected(); }},
                             {"Undo", [this] { undo(); }},
                             {"Replay", [this] { replaySelected(); }}};
    const size_t edits = all.size();
    if (changes_.share) {
        all.push_back({"Share", [this] { shareSelected(); }});
    }
    for (Item& item : items) {
        all.push_back(std::move(item));
    }
    constexpr float kGap = 4, kHeight = 48;
    const float width = (frame.width - kGap * (edits + 1)) / edits;
    if (changes_.sessions) {  // in the title's place
        auto button = std::make_unique<platform::Button>(platform::Button::Style::Text,
                                                         platform::Rect{2, 2, 90, 44}, "Sessions");
        button->setLabelSize(15);
        button->setAction([sessions = changes_.sessions] { sessions(); });
        addSubview(button.get());
        sessionsButton_ = std::move(button);
    }
    for (size_t i = 0; i < all.size(); ++i) {
        const platform::Rect r =
            i < edits ? platform::Rect{kGap + i * (width + kGap), frame.height - kHeight - kGap,
                                       width, kHeight}
                      : platform::Rect{kClearOfMenu - (all.size() - i) * (kTopWidth + kGap), 2,
                                       kTopWidth, 44};
        auto button =
            std::make_unique<platform::Button>(platform::Button::Style::Text, r, all[i].label);
        button->setLabelSize(15);
        button->setAction(std::move(all[i].action));
        addSubview(button.get());
        buttons_.push_back(std::move(button));
    }
    update();
}

void RecordsView::update() {
    plot_ = plotOf(solves_, kPlot);
    histogram_ = histogramOf(solves_, kBins);
    const std::vector<Solve>& s = solves_;
    auto average = [&](size_t count) {
        const std::optional<double> a = averageOfLast(s, count);
        return a ? clockText(*a) : std::string("-");
    };
    std::string best = "-";
    int fewest = 0;
    for (const Solve& solve : s) {
        if (counts(solve) && solve.penalty != Penalty::Dnf && solve.moves > 0 &&
            (fewest == 0 || solve.moves < fewest)) {
            fewest = solve.moves;
        }
    }
    if (plot_.best >= 0) {
        best = clockText(s[static_cast<size_t>(plot_.best)].result());
    }
    summary_ = (session_.empty() ? std::string() : session_ + ": ") + std::to_string(s.size()) +
               (s.size() == 1 ? " solve" : " solves") + " \u00b7 best " + best +
               " \u00b7 fewest moves " + (fewest ? std::to_string(fewest) : "-") +
               "\nAverage of 5: " + average(5) + " \u00b7 of 12: " + average(12);
    for (size_t count : {5, 12}) {
        if (const auto mean = meanSplits(s, count, method_)) {
            summary_ += "\nSteps of " + std::to_string(count) + ": " + splitsLine(*mean);
        }
    }
    if (selected_ >= static_cast<long>(s.size())) {
        selected_ = static_cast<long>(s.size()) - 1;
    }
    showSelectedSplits();
    scrollTo(offset_);
    setNeedsDisplay();
}

void RecordsView::scrollTo(float offset) {
    const float most =
        std::max(0.0f, static_cast<float>(solves_.size()) * kRowHeight - kList.height);
    offset_ = std::clamp(offset, 0.0f, most);
    setNeedsDisplay();
}

void RecordsView::showSelectedSplits() {
    selectedSplits_.clear();
    if (selected_ >= 0 && solves_[static_cast<size_t>(selected_)].turns) {
        if (const auto splits = splitsOf(*solves_[static_cast<size_t>(selected_)].turns, method_)) {
            selectedSplits_ = splitsLine(*splits);
        }
    }
}

// Row r of the list is the r-th newest solve.
void RecordsView::select(long index) {
    if (solves_.empty()) {
        return;
    }
    selected_ = std::clamp(index, 0L, static_cast<long>(solves_.size()) - 1);
    showSelectedSplits();
    const float top =
        static_cast<float>(static_cast<long>(solves_.size()) - 1 - selected_) * kRowHeight;
    if (top < offset_) {
        scrollTo(top);
    } else if (top + kRowHeight > offset_ + kList.height) {
        scrollTo(top + kRowHeight - kList.height);
    }
    setNeedsDisplay();
}

void RecordsView::mark(Penalty penalty) {
    if (selected_ < 0) {
        return;
    }
    const size_t i = static_cast<size_t>(selected_);
    Solve changed = solves_[i];
    if (changed.penalty == penalty) {
        return;
    }
    changesMade_.push_back({i, solves_[i], false});
    changed.penalty = penalty;
    changes_.edit(i, changed);
    update();
}

void RecordsView::removeSelected() {
    if (selected_ < 0) {
        return;
    }
    const size_t i = static_cast<size_t>(selected_);
    changesMade_.push_back({i, solves_[i], true});
    changes_.remove(i);
    selected_ =
        solves_.empty() ? -1 : std::min<long>(selected_, static_cast<long>(solves_.size()) - 1);
    update();
}

void RecordsView::replaySelected() {
    if (selected_ >= 0 && changes_.replay) {
        changes_.replay(static_cast<size_t>(selected_));  // last: it may close this panel
    }
}

void RecordsView::shareSelected() {
    if (selected_ >= 0 && changes_.share) {
        changes_.share(static_cast<size_t>(selected_));  // last: it may close this panel
    }
}

void RecordsView::undo() {
    if (changesMade_.empty()) {
        return;
    }
    const Change c = changesMade_.back();
    changesMade_.pop_back();
    if (c.removed) {
        changes_.insert(c.index, c.before);
    } else {
        changes_.edit(c.index, c.before);
    }
    update();
    select(static_cast<long>(c.index));
}

bool RecordsView::keyDown(const platform::KeyPress& key) {
    using platform::Key;
    const long newest = static_cast<long>(solves_.size()) - 1;
    if (key.key == Key::Up || key.key == Key::Down) {
        // Up: a newer solve (the list is newest first).
        select(selected_ < 0 ? newest : selected_ + (key.key == Key::Up ? 1 : -1));
        return true;
    }
    if (key.key == Key::Return) {
        replaySelected();
        return true;
    }
    if (key.key != Key::Letter || key.alt) {
        return false;
    }
    if (key.ctrl) {
        if (key.letter == 'z') {
            undo();
            return true;
        }
        return false;
    }
    switch (key.letter) {
        case 'p':
            mark(Penalty::PlusTwo);
            return true;
        case 'd':
            mark(Penalty::Dnf);
            return true;
        case 'o':
            mark(Penalty::None);
            return true;
        case 'x':
            removeSelected();
            return true;
        case 'u':
            undo();
            return true;
        case 'r':
            replaySelected();
            return true;
        case 's':
            shareSelected();
            return true;
        case 'e':
            if (changes_.sessions) {
                changes_.sessions();  // last: it closes this panel
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool RecordsView::scrollWheel(float lines) {
    scrollTo(offset_ + lines * kRowHeight / 2);
    return true;
}

long RecordsView::rowAt(platform::Point p) const {
    if (!kList.contains(p)) {
        return -1;
    }
    const long row = static_cast<long>((p.y - kList.y + offset_) / kRowHeight);
    const long index = static_cast<long>(solves_.size()) - 1 - row;
    return index >= 0 ? index : -1;
}

void RecordsView::touchesBegan(const platform::TouchSet& touches, const platform::Event&) {
    const platform::Touch* t = touches.anyObject();
    touchStart_ = t ? t->locationInView(this) : platform::Point{};
    offsetAtStart_ = offset_;
    dragging_ = false;
    touchOnList_ = kList.contains(touchStart_);
}

void RecordsView::touchesMoved(const platform::TouchSet& touches, const platform::Event&) {
    const platform::Touch* t = touches.anyObject();
    if (!t || !touchOnList_) {
        return;
    }
    const float dy = t->locationInView(this).y - touchStart_.y;
    dragging_ = dragging_ || std::fabs(dy) > 6;  // a finger's tremor is no drag
    if (dragging_) {
        scrollTo(offsetAtStart_ - dy);
    }
}

void RecordsView::touchesEnded(const platform::TouchSet& touches, const platform::Event& event) {
    if (touchOnList_) {
        if (!dragging_) {
            if (const long index = rowAt(touchStart_); index >= 0) {
                select(index);
            }
        }
        return;
    }
    Panel::touchesEnded(touches, event);  // elsewhere: closes it, as before
}

void RecordsView::drawContent(platform::Painter& painter) const {
    const platform::Color white = platform::colors::white;
    painter.drawText({8, 44, 312, 64}, summary_, white, "Arial", 12, platform::TextAlignment::Left);
    // The plot: its range at the left, the solves as dots (a DNF as a red one at the top),
    // the averages as lines, the best ringed.
    painter.fillRect({kPlot.x, kPlot.y + kPlot.height, kPlot.width, 1}, kGrey);
    if (plot_.best >= 0) {
        painter.drawText({0, kPlot.y - 6, kPlot.x - 2, 14}, clockText(plot_.slowest), kGrey,
                         "Arial", 9, platform::TextAlignment::Left);
        painter.drawText({0, kPlot.y + kPlot.height - 8, kPlot.x - 2, 14}, clockText(plot_.fastest),
                         kGrey, "Arial", 9, platform::TextAlignment::Left);
    }
    const size_t n = plot_.points.size();
    if (n <= kMostPointsDrawn) {
        for (size_t i = 0; i < n; ++i) {
            painter.fillCircle(plot_.points[i], 1.6f, plot_.dnf[i] ? kBest : white);
        }
    } else {  // a column of the plot a line, from its fastest point to its slowest
        const int columns = static_cast<int>(kPlot.width);
        for (int c = 0; c < columns; ++c) {
            const size_t from = n * static_cast<size_t>(c) / static_cast<size_t>(columns);
            const size_t to = n * static_cast<size_t>(c + 1) / static_cast<size_t>(columns);
            float lo = kPlot.y + kPlot.height, hi = kPlot.y;
            for (size_t i = from; i < to; ++i) {
                lo = std::min(lo, plot_.points[i].y);
                hi = std::max(hi, plot_.points[i].y);
            }
            painter.fillRect({kPlot.x + static_cast<float>(c), lo, 1, std::max(1.0f, hi - lo)},
                             white);
        }
    }
    for (const auto& [line, color] : {std::pair{&plot_.ao5, kAo5}, {&plot_.ao12, kAo12}}) {
        const size_t step = std::max<size_t>(1, line->size() / kMostPointsDrawn);
        for (size_t i = step; i < line->size(); i += step) {
            painter.strokeLine((*line)[i - step], (*line)[i], 1.2f, color);
        }
    }
    if (plot_.best >= 0) {
        painter.fillCircle(plot_.points[static_cast<size_t>(plot_.best)], 4, kBest);
    }
    painter.drawText({kPlot.x + kPlot.width - 120, kPlot.y - 14, 60, 12}, "ao5", kAo5, "Arial", 10,
                     platform::TextAlignment::Left);
    painter.drawText({kPlot.x + kPlot.width - 90, kPlot.y - 14, 60, 12}, "ao12", kAo12, "Arial", 10,
                     platform::TextAlignment::Left);
    painter.drawText({kPlot.x + kPlot.width - 56, kPlot.y - 14, 60, 12}, "best", kBest, "Arial", 10,
                     platform::TextAlignment::Left);
    // The histogram: a bar a range, as high as its share of the most in any.
    const int most = histogram_.counts.empty()
                         ? 0
                         : *std::max_element(histogram_.counts.begin(), histogram_.counts.end());
    const float bar = kHistogram.width / kBins;
    for (size_t b = 0; most > 0 && b < histogram_.counts.size(); ++b) {
        const float h = kHistogram.height * static_cast<float>(histogram_.counts[b]) / most;
        painter.fillRect(
            {kHistogram.x + b * bar + 1, kHistogram.y + kHistogram.height - h, bar - 2, h}, kAo12);
    }
    if (histogram_.dnfs > 0) {
        painter.drawText({0, kHistogram.y + 12, kHistogram.x - 2, 14},
                         std::to_string(histogram_.dnfs) + " DNF", kBest, "Arial", 9,
                         platform::TextAlignment::Left);
    }
    // The list, newest first: the rows that show.
    const long first = static_cast<long>(offset_ / kRowHeight);
    for (long row = first; row < static_cast<long>(solves_.size()); ++row) {
        const float top = kList.y + static_cast<float>(row) * kRowHeight - offset_;
        if (top >= kList.y + kList.height) {
            break;
        }
        const long index = static_cast<long>(solves_.size()) - 1 - row;
        const Solve& s = solves_[static_cast<size_t>(index)];
        if (index == selected_) {
            painter.fillRect({0, std::max(top, kList.y), kList.width,
                              std::min(kRowHeight, kList.y + kList.height - top)},
                             kSelected);
        }
        if (top + 32 > kList.y + kList.height || top < kList.y) {
            continue;  // a row cut at the list's edges shows as its highlight alone
        }
        std::string line = dateOf(s.date) + "   " + clockText(s.seconds) + penaltyText(s.penalty);
        if (s.moves > 0) {
            line += "   " + movesText(s.moves);
            if (s.seconds > 0) {
                char tps[32];
                std::snprintf(tps, sizeof tps, " \u00b7 %.2f/s", s.moves / s.seconds);
                line += tps;
            }
        }
        std::string more = kindName(s.kind);
        if (!s.scramble.empty()) {
            more += " \u00b7 " + s.scramble;
        }
        if (s.assisted) {
            more += " \u00b7 assisted";
        }
        if (index == selected_ && !selectedSplits_.empty()) {
            more = selectedSplits_;
        }
        painter.drawText({8, top + 3, 312, 18}, line, white, "Arial", 13,
                         platform::TextAlignment::Left);
        painter.drawText({8, top + 20, 312, 16}, more, kGrey, "Arial", 11,
                         platform::TextAlignment::Left);
    }
}

}  // namespace gyrelle
