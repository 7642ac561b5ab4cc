#include "overlay/TrainerView.h"

#include <algorithm>
#include <cstdio>

#include "platform/Painter.h"

namespace gyrelle {

namespace {
constexpr float kTarget = 44;  // points: a finger's
constexpr float kGap = 4;
constexpr float kLine = 18;
constexpr float kTopHeight = kTarget + 2 * kLine + 3 * kGap;
constexpr float kBottomHeight = kTarget + 2 * kGap;
constexpr platform::Color kMark{1, 0.8f, 0, 1};  // amber: the outcome
// The pad's keys, row by row, six a row: the turns, then what edits.
constexpr const char* kPadKeys[] = {"R",  "U",  "F",  "D",  "L",   "B",     "R'",   "U'",
                                    "F'", "D'", "L'", "B'", "M",   "M'",    "r",    "r'",
                                    "y",  "y'", "x",  "x'", "Del", "Clear", "Back", "Keep"};
constexpr int kPadColumns = 6;
constexpr float kPadHeight = 2 * kLine + 2 * kGap + 4 * (kTarget + kGap) + kGap;

std::string seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", s);
    return text;
}

// The turns typed so far, one quarter more of `turn`: the same face again is a half turn,
// then the other way, then none.
void addTurn(std::vector<std::string>& turns, const std::string& turn) {
    const bool prime = turn.back() == '\'';
    const std::string face = prime ? turn.substr(0, turn.size() - 1) : turn;
    int quarters = prime ? 3 : 1;
    if (!turns.empty()) {
        std::string last = turns.back();
        int had = 1;
        if (last.back() == '\'') {
            had = 3;
            last.pop_back();
        } else if (last.back() == '2') {
            had = 2;
            last.pop_back();
        }
        if (last == face) {
            turns.pop_back();
            quarters = (quarters + had) % 4;
        }
    }
    if (quarters != 0) {
        turns.push_back(face + (quarters == 2 ? "2" : quarters == 3 ? "'" : ""));
    }
}

std::vector<std::string> turnsOf(const std::string& text) {
    std::vector<std::string> turns;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) {
            turns.push_back(text.substr(at, end - at));
        }
        at = end + 1;
    }
    return turns;
}

std::string textOf(const std::vector<std::string>& turns) {
    std::string text;
    for (const std::string& t : turns) {
        text += (text.empty() ? "" : " ") + t;
    }
    return text;
}

}  // namespace

platform::Button* TrainerView::addButton(platform::View& to, platform::Rect frame,
                                         std::string label, std::function<void()> action,
                                         float size) {
    auto b =
        std::make_unique<platform::Button>(platform::Button::Style::Text, frame, std::move(label));
    b->setLabelSize(size);
    b->setAction(std::move(action));
    to.addSubview(b.get());
    buttons_.push_back(std::move(b));
    return buttons_.back().get();
}

TrainerView::TrainerView(platform::Rect frame, Trainer& trainer, std::function<void()> close,
                         std::function<void()> changed)
    : View(frame), trainer_(trainer), close_(std::move(close)), changed_(std::move(changed)) {
    top_ = std::make_unique<Strip>(
        platform::Rect{0, 0, frame.width, kTopHeight}, [this](platform::Painter& p) {
            const float w = this->frame().width - 16;
            p.drawText({8, kTarget + 2 * kGap, w, kLine}, status_, kMark, "Arial", 14,
                       platform::TextAlignment::Center);
            p.drawText({8, kTarget + 2 * kGap + kLine, w, kLine}, detail_, platform::colors::white,
                       "Arial", 12, platform::TextAlignment::Center);
        });
    bottom_ = std::make_unique<Strip>(
        platform::Rect{0, frame.height - kBottomHeight, frame.width, kBottomHeight},
        [](platform::Painter&) {});
    addSubview(top_.get());
    addSubview(bottom_.get());
    // Close frees this view: its action holds what it calls, not the view. All clear of
    // the menu button at the top right (282 on).
    addButton(*top_, {kGap, kGap, 58, kTarget}, "Close", [close = close_] { close(); });
    addButton(*top_, {66, kGap, 70, kTarget}, "", [this] { nextSet(); });
    addButton(
        *top_, {140, kGap, 66, kTarget}, "", [this] { toggleOrder(); }, 14);
    addButton(
        *top_, {210, kGap, 68, kTarget}, "", [this] { toggleTop(); }, 14);
    const char* foot[] = {"Cases", "Hint", "Algorithm", "Next"};
    const std::function<void()> actions[] = {[this] { showCases(); }, [this] { hint(); },
                                             [this] { showPad(); }, [this] { next(); }};
    const float width = (frame.width - 5 * kGap) / 4;
    for (size_t i = 0; i < std::size(foot); ++i) {
        addButton(*bottom_, {kGap + static_cast<float>(i) * (width + kGap), kGap, width, kTarget},
                  foot[i], actions[i], 16);
    }
    ownButtons_ = buttons_.size();
    labelOptions();
    trainer_.setListener(this);
    say();
}

TrainerView::~TrainerView() {
    trainer_.setListener(nullptr);
}

void TrainerView::labelOptions() {
    const TrainerRecords& r = trainer_.records();
    buttons_[1]->setLabel(r.setRow().label);
    buttons_[2]->setLabel(r.slowestFirst ? "Slowest" : "Random");
    buttons_[3]->setLabel(r.colourNeutral ? "Any top" : "Same top");
}

void TrainerView::trainerChanged() {
    say();
}

void TrainerView::say() {
    const LastLayerCase& c = lastLayerCases()[trainer_.caseIndex()];
    const TrainerRecords& r = trainer_.records();
    switch (trainer_.phase()) {
        case Trainer::Phase::Shown: {
            status_ =
                c.kind == CaseKind::Orientation ? "Orient the last layer" : "Solve the last layer";
            const size_t count = casesOfSet(r.setRow()).size();
            detail_ = std::string(r.setRow().label) + ": " + std::to_string(count) +
                      " cases, the clock starts at the first turn";
            break;
        }
        case Trainer::Phase::Solving:
            status_ = "Solving\u2026";
            detail_.clear();
            break;
        case Trainer::Phase::Done: {
            status_ = caseTitle(c) + ": " + seconds(trainer_.seconds(0)) + " s, seen in " +
                      seconds(trainer_.recognition()) + " s";
            const CaseStats s = caseStats(r, trainer_.caseIndex());
            detail_ = std::to_string(s.count) + " \u00d7, mean " + seconds(s.mean) + ", best " +
                      seconds(s.best) + " \u00b7 Space: next";
            break;
        }
    }
    top_->setNeedsDisplay();
}

void TrainerView::next() {
    leave();
    trainer_.next();
}

void TrainerView::hint() {
    const int index = trainer_.caseIndex();
    const LastLayerCase& c = lastLayerCases()[index];
    const auto& algorithms = trainer_.records().algorithms;
    if (auto a = algorithms.find(index); a != algorithms.end()) {
        detail_ = caseTitle(c) + ": " + a->second;
    } else {
        detail_ = "No algorithm of yours for the " + caseTitle(c) + ": Algorithm to type one";
    }
    top_->setNeedsDisplay();
}

void TrainerView::showPad() {
    leave();
    const platform::Rect f = frame();
    pad_ = std::make_unique<Strip>(
        platform::Rect{0, f.height - kPadHeight, f.width, kPadHeight},
        [this](platform::Painter& p) {
            const float w = this->frame().width - 16;
            const std::string title =
                "Your algorithm for the " + caseTitle(lastLayerCases()[trainer_.caseIndex()]);
            p.drawText({8, kGap, w, kLine}, title, platform::colors::white, "Arial", 12,
                       platform::TextAlignment::Center);
            p.drawText({8, kGap + kLine, w, kLine}, typed_.empty() ? "\u2026" : typed_, kMark,
                       "Arial", 14, platform::TextAlignment::Center);
        });
    addSubview(pad_.get());
    const auto& algorithms = trainer_.records().algorithms;
    const auto a = algorithms.find(trainer_.caseIndex());
    typed_ = a == algorithms.end() ? std::string() : a->second;
    const float width = (f.width - (kPadColumns + 1) * kGap) / kPadColumns;
    for (size_t i = 0; i < std::size(kPadKeys); ++i) {
        const std::string key = kPadKeys[i];
        const float x = kGap + static_cast<float>(i % kPadColumns) * (width + kGap);
        const float y =
            2 * kLine + 2 * kGap + static_cast<float>(i / kPadColumns) * (kTarget + kGap);
        std::function<void()> action =
            key == "Del"     ? std::function<void()>([this] { backspace(); })
            : key == "Clear" ? [this] { typed_.clear(), pad_->setNeedsDisplay(); }
            : key == "Back"  ? [this] { leave(); }
            : key == "Keep"  ? [this] { keep(); }
                             : std::function<void()>([this, key] { type(key); });
        addButton(*pad_, {x, y, width, kTarget}, key, std::move(action), 16);
    }
}

void TrainerView::type(const std::string& turn) {
    std::vector<std::string> turns = turnsOf(typed_);
    addTurn(turns, turn);
    typed_ = textOf(turns);
    if (pad_) {
        pad_->setNeedsDisplay();
    }
}

void TrainerView::backspace() {
    std::vector<std::string> turns = turnsOf(typed_);
    if (!turns.empty()) {
        turns.pop_back();
    }
    typed_ = textOf(turns);
    if (pad_) {
        pad_->setNeedsDisplay();
    }
}

void TrainerView::keep() {
    std::string problem;
    const int index = trainer_.caseIndex();
    if (!trainer_.setAlgorithm(index, typed_, problem)) {
        detail_ = problem;
        top_->setNeedsDisplay();
        return;
    }
    detail_ = typed_.empty()
                  ? "Forgotten: no algorithm of yours for the " + caseTitle(lastLayerCases()[index])
                  : "Kept for the " + caseTitle(lastLayerCases()[index]) + ": " + typed_;
    top_->setNeedsDisplay();
    leave();
    changed_();
}

void TrainerView::leave() {
    for (std::unique_ptr<Strip>* strip : {&pad_, &cases_}) {
        if (*strip) {
            (*strip)->removeFromSuperview();
            strip->reset();
        }
    }
    buttons_.resize(ownButtons_);  // theirs went with them
}

void TrainerView::showCases() {
    leave();
    const TrainerRecords& r = trainer_.records();
    caseLines_.clear();
    caseDetails_.clear();
    for (int index : casesOfSet(r.setRow())) {
        const CaseStats s = caseStats(r, index);
        // Two lines a case: its figures, then its newest five, its angles, its algorithm.
        std::string line = caseTitle(lastLayerCases()[index]) + ": ", detail;
        if (s.count == 0) {
            line += "not yet";
        } else {
            line += std::to_string(s.count) + " \u00d7, mean " + seconds(s.mean) + ", best " +
                    seconds(s.best) + ", seen in " + seconds(s.recognition);
            detail = "last";
            // Appended a piece at a time: GCC 12 at -O3 warns falsely of a + b + c here.
            for (double t : s.lastFive) {
                detail.append(" ").append(seconds(t));
            }
            detail += "; by angle";  // how many times, and the mean, from each
            for (int a = 0; a < 4; ++a) {
                detail.append(a ? " \u00b7 " : " ").append(std::to_string(s.byAngle[a]));
                if (s.byAngle[a]) {
                    detail.append(" (").append(seconds(s.meanByAngle[a])).append(")");
                }
            }
        }
        if (r.algorithms.count(index)) {
            detail += (detail.empty() ? "" : " \u00b7 ") + r.algorithms.at(index);
        }
        caseLines_.push_back(std::move(line));
        caseDetails_.push_back(std::move(detail));
    }
    casesFrom_ = 0;
    const platform::Rect f = frame();
    cases_ = std::make_unique<Strip>(
        platform::Rect{0, 0, f.width, f.height}, [this](platform::Painter& p) {
            const float w = this->frame().width - 16;
            p.drawText({8, kGap, w, 24},
                       std::string(trainer_.records().setRow().label) + ", each case",
                       platform::colors::yellow, "Arial", 18, platform::TextAlignment::Center);
            const size_t rows = casesPerPage();
            for (size_t i = casesFrom_; i < caseLines_.size() && i < casesFrom_ + rows; ++i) {
                const float top = 36 + static_cast<float>(i - casesFrom_) * 2 * kLine;
                p.drawText({8, top, w, kLine}, caseLines_[i], platform::colors::white, "Arial", 11,
                           platform::TextAlignment::Left);
                p.drawText({16, top + kLine - 2, w - 8, kLine}, caseDetails_[i], kMark, "Arial", 10,
                           platform::TextAlignment::Left);
            }
        });
    cases_->setAlpha(0.97f);  // words to read, not the cube
    addSubview(cases_.get());
    const float width = (f.width - 4 * kGap) / 3;
    const float y = f.height - kBottomHeight + kGap;
    addButton(
        *cases_, {kGap, y, width, kTarget}, "<", [this] { pageCases(-1); }, 17);
    addButton(
        *cases_, {2 * kGap + width, y, width, kTarget}, ">", [this] { pageCases(1); }, 17);
    addButton(
        *cases_, {3 * kGap + 2 * width, y, width, kTarget}, "Back", [this] { leave(); }, 16);
}

void TrainerView::pageCases(int by) {
    if (!cases_) {
        return;
    }
    const size_t rows = casesPerPage();
    const long from = static_cast<long>(casesFrom_) + by * static_cast<long>(rows);
    const long last = std::max<long>(0, static_cast<long>(caseLines_.size()) - 1);
    casesFrom_ = static_cast<size_t>(
        std::clamp<long>(from, 0, last / static_cast<long>(rows) * static_cast<long>(rows)));
    cases_->setNeedsDisplay();
}

size_t TrainerView::casesPerPage() const {
    return static_cast<size_t>((frame().height - 40 - kBottomHeight) / (2 * kLine));
}

bool TrainerView::scrollWheel(float lines) {
    if (!cases_) {
        return false;
    }
    pageCases(lines > 0 ? 1 : -1);
    return true;
}

void TrainerView::nextSet() {
    TrainerRecords& r = trainer_.records();
    const auto& sets = trainerSets();
    size_t i = 0;
    while (i < sets.size() && r.set != sets[i].key) {
        ++i;
    }
    r.set = sets[(i + 1) % sets.size()].key;
    ++r.revision;
    labelOptions();
    changed_();
    next();
}

void TrainerView::toggleOrder() {
    TrainerRecords& r = trainer_.records();
    r.slowestFirst = !r.slowestFirst;
    ++r.revision;
    labelOptions();
    changed_();
}

void TrainerView::toggleTop() {
    TrainerRecords& r = trainer_.records();
    r.colourNeutral = !r.colourNeutral;
    ++r.revision;
    labelOptions();
    changed_();
    next();
}

bool TrainerView::keyDown(const platform::KeyPress& key) {
    using platform::Key;
    if (pad_) {
        if (key.key == Key::Letter && !key.ctrl && !key.alt) {
            const char l = key.letter;
            const std::string faces = "rufdlbmesxyz";
            if (faces.find(l) == std::string::npos) {
                return true;
            }
            // Faces and slices in capitals, whole-cube turns as written.
            const bool whole = l == 'x' || l == 'y' || l == 'z';
            type(std::string(1, whole ? l : static_cast<char>(l - 'a' + 'A')) +
                 (key.shift ? "'" : ""));
        } else if (key.key == Key::Backspace) {
            backspace();
        } else if (key.key == Key::Return) {
            keep();
        } else if (key.key == Key::Escape) {
            leave();
        }
        return true;  // the pad takes every key while it shows
    }
    if (cases_) {
        if (key.key == Key::Up || key.key == Key::Down) {
            pageCases(key.key == Key::Up ? -1 : 1);
        } else {
            leave();
        }
        return true;
    }
    if (key.ctrl || key.alt) {
        return false;
    }
    switch (key.key) {
        case Key::Space:
        case Key::Return:
            next();
            return true;
        case Key::Escape:
            close_();
            return true;
        case Key::Letter:
            if (key.letter == 'h' && !key.shift) {
                hint();
                return true;
            }
            if (key.letter == 'a') {
                showPad();
                return true;
            }
            if (key.letter == 'c') {
                showCases();
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace gyrelle
