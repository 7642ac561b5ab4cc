#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Trainer.h"
#include "overlay/Strip.h"
#include "platform/Button.h"
#include "platform/View.h"

namespace gyrelle {

// The trainer's controls over the picture, the cube clear between them to be solved by
// finger, mouse or keys. At the top: Close, the set, the order (random or the slowest
// first), the top (the same face or any), and what the case came to; at the foot: the
// cases' figures, the player's algorithm as a hint, the algorithm pad, the next case.
// The pad types an algorithm by its turns (a key a turn, the same turn again making it a
// half turn, then the other way) and keeps it when it solves the case.
// Keys: Space or Return the next case, H the hint, A the pad, C the cases, Escape closes;
// on the pad, a letter its turn (with Shift the other way), Backspace, Return keeps,
// Escape leaves; on the cases, Up and Down page, any other key leaves. Every target at
// least 44 points.
class TrainerView : public platform::View, private Trainer::Listener {
  public:
    TrainerView(platform::Rect frame, Trainer& trainer, std::function<void()> close,
                std::function<void()> changed);
    ~TrainerView() override;

    bool keyDown(const platform::KeyPress& key) override;
    bool scrollWheel(float lines) override;
    bool acceptsTouches() const override { return false; }

    // What it says, for tests: the case's outcome, and the line under it.
    const std::string& status() const { return status_; }
    const std::string& detail() const { return detail_; }
    // The algorithm typed on the pad, while it shows; the cases' page, while it shows.
    bool padShown() const { return pad_ != nullptr; }
    const std::string& typed() const { return typed_; }
    bool casesShown() const { return cases_ != nullptr; }
    const std::vector<std::string>& caseLines() const { return caseLines_; }
    // Close, the set, the order, the top; Cases, Hint, Algorithm, Next; then the pad's or
    // the cases' own while they show.
    const std::vector<std::unique_ptr<platform::Button>>& buttons() const { return buttons_; }

    // What the buttons do.
    void next();
    void hint();
    void showPad();
    void showCases();
    void nextSet();
    void toggleOrder();
    void toggleTop();
    // The pad: a turn typed ("R", "U'", "M"), one taken back, the algorithm kept.
    void type(const std::string& turn);
    void backspace();
    void keep();
    void leave();  // the pad or the cases

  private:
    void trainerChanged() override;
    void say();
    void labelOptions();
    void pageCases(int by);
    size_t casesPerPage() const;
    platform::Button* addButton(platform::View& to, platform::Rect frame, std::string label,
                                std::function<void()> action, float size = 15);

    Trainer& trainer_;
    std::function<void()> close_, changed_;
    std::unique_ptr<Strip> top_, bottom_;
    std::unique_ptr<Strip> pad_, cases_;
    std::vector<std::unique_ptr<platform::Button>> buttons_;
    size_t ownButtons_ = 0;  // those of the strips, before the pad's or the cases'
    std::string status_, detail_, typed_;
    std::vector<std::string> caseLines_, caseDetails_;
    size_t casesFrom_ = 0;
};

}  // namespace gyrelle
