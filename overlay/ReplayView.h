#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Replay.h"
#include "overlay/Strip.h"
#include "platform/Button.h"
#include "platform/View.h"

namespace gyrelle {

// A replay's controls over the picture, the cube left clear between them to be seen (and
// turned about by a finger or the mouse): at the top, Close, the speed, Share, Copy, the step and
// the clock, and the moves around the one shown, the step's name before them; at the foot,
// a bar to scrub with the steps marked on it, and to the start, a turn back, play or
// pause, a turn forward, to the end. Every target at least 44 points.
// Keys: Space plays or pauses, Left and Right step a turn, Home and End go to the start
// and the end, Up and Down change the speed, Ctrl+C copies; any other key closes it.
class ReplayView : public platform::View, private Replay::Listener {
  public:
    // `share`, where there is a way to send it (else none), gives its address.
    ReplayView(platform::Rect frame, Replay& replay, std::function<void()> close,
               std::function<void()> copy, std::function<void()> share = {});
    ~ReplayView() override;

    bool keyDown(const platform::KeyPress& key) override;
    // Only its strips take touches: between them they reach the cube.
    bool acceptsTouches() const override { return false; }

    // What it says, for tests: the step and clock, and the moves with the one shown marked.
    const std::string& status() const { return status_; }
    const std::string& moves() const { return moves_; }
    // To the start, back, play, forward, to the end, then Close, the speed, Copy and Share.
    const std::vector<std::unique_ptr<platform::Button>>& buttons() const { return buttons_; }
    // The scrub bar, in the view's points.
    platform::Rect scrubBar() const;

  private:
    class Scrub;
    void replayChanged() override;

    Replay& replay_;
    std::unique_ptr<Strip> top_, bottom_;
    std::unique_ptr<Scrub> scrub_;
    std::vector<std::unique_ptr<platform::Button>> buttons_;
    std::string status_, moves_;
    // What the words were made for: the turns applied, the clock in tenths, playing, speed.
    struct Shown {
        size_t applied = ~size_t(0);
        long tenths = -1;
        bool playing = false;
        double speed = 0;
        bool operator==(const Shown&) const = default;
    };
    Shown shown_;
    std::function<void()> close_, copy_;
};

}  // namespace gyrelle
