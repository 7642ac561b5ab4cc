#include "overlay/ReplayView.h"

#include <algorithm>
#include <cstdio>

#include "cube/Notation.h"
#include "platform/Painter.h"

namespace gyrelle {

namespace {
constexpr float kTarget = 44;  // points: a finger's
constexpr float kGap = 4;
constexpr float kTopHeight = 2 * kTarget + 3 * kGap;
constexpr float kBottomHeight = 2 * kTarget + 3 * kGap;
constexpr platform::Color kGrey{0.6f, 0.6f, 0.6f, 1};
constexpr platform::Color kMark{1, 0.8f, 0, 1};  // amber: the turn shown, the steps' bounds
// Moves shown either side of the one shown.
constexpr size_t kMovesAround = 6;
}  // namespace

// The bar: the solve's length across it, the steps' ends marked, the moment shown as a
// knob; a touch or a drag puts the replay there.
class ReplayView::Scrub : public platform::View {
  public:
    Scrub(platform::Rect frame, Replay& replay) : View(frame), replay_(replay) {}
    void drawContent(platform::Painter& painter) const override {
        const platform::Rect b = bounds();
        const float y = b.height / 2;
        painter.fillRect({0, y - 2, b.width, 4}, kGrey);
        const double length = std::max(1.0, replay_.length());
        const auto& turns = replay_.turns().turns;
        for (const Split& s : replay_.splits()) {
            const double ms = s.end > 0 ? turns[s.end - 1].ms : 0;
            const float x = static_cast<float>(ms / length) * b.width;
            painter.fillRect({x - 1, y - 9, 2, 18}, kMark);
        }
        const float at = static_cast<float>(replay_.at() / length) * b.width;
        painter.fillCircle({at, y}, 8, platform::colors::white);
    }
    void touchesBegan(const platform::TouchSet& t, const platform::Event&) override { seek(t); }
    void touchesMoved(const platform::TouchSet& t, const platform::Event&) override { seek(t); }

  private:
    void seek(const platform::TouchSet& touches) {
        if (const platform::Touch* t = touches.anyObject()) {
            const float x = std::clamp(t->locationInView(this).x / bounds().width, 0.0f, 1.0f);
            replay_.seek(x * replay_.length());
        }
    }
    Replay& replay_;
};

ReplayView::ReplayView(platform::Rect frame, Replay& replay, std::function<void()> close,
                       std::function<void()> copy, std::function<void()> share)
    : View(frame), replay_(replay), close_(std::move(close)), copy_(std::move(copy)) {
    top_ = std::make_unique<Strip>(
        platform::Rect{0, 0, frame.width, kTopHeight}, [this](platform::Painter& p) {
            p.drawText({8, kTarget + 2 * kGap, this->frame().width - 16, 18}, status_,
                       platform::colors::white, "Arial", 13, platform::TextAlignment::Center);
            p.drawText({8, kTarget + 2 * kGap + 20, this->frame().width - 16, 22}, moves_, kMark,
                       "Arial", 13, platform::TextAlignment::Center);
        });
    bottom_ = std::make_unique<Strip>(
        platform::Rect{0, frame.height - kBottomHeight, frame.width, kBottomHeight},
        [](platform::Painter&) {});
    addSubview(top_.get());
    addSubview(bottom_.get());
    scrub_ = std::make_unique<Scrub>(
        platform::Rect{2 * kGap, kGap, frame.width - 4 * kGap, kTarget}, replay_);
    bottom_->addSubview(scrub_.get());
    struct Item {
        const char* label;
        std::function<void()> action;
    };
    const Item transport[] = {{"|<", [this] { replay_.toStart(); }},
                              {"<", [this] { replay_.back(); }},
                              {"Play", [this] { replay_.playOrPause(); }},
                              {">", [this] { replay_.forward(); }},
                              {">|", [this] { replay_.toEnd(); }}};
    const float width = (frame.width - kGap * 6) / 5;
    for (size_t i = 0; i < std::size(transport); ++i) {
        auto b = std::make_unique<platform::Button>(
            platform::Button::Style::Text,
            platform::Rect{kGap + static_cast<float>(i) * (width + kGap), 2 * kGap + kTarget, width,
                           kTarget},
            transport[i].label);
        b->setLabelSize(17);
        b->setAction(transport[i].action);
        bottom_->addSubview(b.get());
        buttons_.push_back(std::move(b));
    }
    // Clear of the menu button at the top right, as the records' Export and Import are.
    // Close frees this view: its action holds what it calls, not the view.
    // Share only where there is a way to send it; all clear of the menu button (282 on).
    const Item top[] = {{"Close", [close = close_] { close(); }},
                        {"1x", [this] { replay_.nextSpeed(); }},
                        {"Copy", [this] { copy_(); }},
                        {"Share", share}};
    const platform::Rect places[] = {{kGap, kGap, 62, kTarget},
                                     {70, kGap, 50, kTarget},
                                     {124, kGap, 62, kTarget},
                                     {190, kGap, 64, kTarget}};
    for (size_t i = 0; i < std::size(top) - (share ? 0 : 1); ++i) {
        auto b = std::make_unique<platform::Button>(platform::Button::Style::Text, places[i],
                                                    top[i].label);
        b->setLabelSize(15);
        b->setAction(top[i].action);
        top_->addSubview(b.get());
        buttons_.push_back(std::move(b));
    }
    replay_.setListener(this);
    replayChanged();
}

ReplayView::~ReplayView() {
    replay_.setListener(nullptr);
}

platform::Rect ReplayView::scrubBar() const {
    const platform::Rect s = scrub_->frame(), b = bottom_->frame();
    return {b.x + s.x, b.y + s.y, s.width, s.height};
}

void ReplayView::replayChanged() {
    // Told at every frame while it plays: the words are made again only when they change
    // (a turn, a tenth of the clock, play or pause, the speed).
    const Shown shown{replay_.applied(), static_cast<long>(replay_.at() / 100), replay_.playing(),
                      replay_.speed()};
    if (shown == shown_) {
        scrub_->setNeedsDisplay();
        return;
    }
    shown_ = shown;
    const std::vector<Split>& splits = replay_.splits();
    const Split& step = splits[replay_.step()];
    char text[96];
    std::snprintf(text, sizeof text, "%s \u00b7 %.1f / %.1f s", step.name, replay_.at() / 1000,
                  replay_.length() / 1000);
    status_ = text;
    // The moves around the next to be shown, the step's name where one begins, the turn
    // last shown in brackets.
    const auto& turns = replay_.turns().turns;
    const size_t now = replay_.applied();
    const size_t from = now > kMovesAround ? now - kMovesAround : 0;
    const size_t to = std::min(turns.size(), now + kMovesAround);
    Reading reading;
    std::string line;
    for (size_t i = 0; i < to; ++i) {
        const std::string token = reading.text(turns[i].code);  // every turn: the frame follows
        if (i < from) {
            continue;
        }
        for (const Split& s : splits) {
            if (s.first == i && s.first < s.end) {
                line += std::string(line.empty() ? "" : " ") + s.name + ":";
            }
        }
        line += (line.empty() ? "" : " ") + (i + 1 == now ? "[" + token + "]" : token);
    }
    moves_ = line;
    buttons_[2]->setLabel(replay_.playing() ? "Pause" : "Play");
    char speed[16];
    std::snprintf(speed, sizeof speed, "%gx", replay_.speed());
    buttons_[6]->setLabel(speed);
    top_->setNeedsDisplay();
    scrub_->setNeedsDisplay();
}

bool ReplayView::keyDown(const platform::KeyPress& key) {
    using platform::Key;
    if (key.ctrl) {
        if (key.key == Key::Letter && key.letter == 'c') {
            copy_();
            return true;
        }
        return false;
    }
    switch (key.key) {
        case Key::Space:
            replay_.playOrPause();
            return true;
        case Key::Left:
            replay_.back();
            return true;
        case Key::Right:
            replay_.forward();
            return true;
        case Key::Home:
            replay_.toStart();
            return true;
        case Key::End:
            replay_.toEnd();
            return true;
        case Key::Up:
        case Key::Down:
            replay_.nextSpeed();
            return true;
        default:
            return false;
    }
}

}  // namespace gyrelle
