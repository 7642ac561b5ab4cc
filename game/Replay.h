#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/Game.h"
#include "game/Splits.h"

namespace gyrelle {

// A solve played again on a cube of its own: set to where the solve began, then its turns
// in real time or faster or slower, each animated; paused, stepped a turn either way, or
// put at any moment of it. The game it is opened beside is never touched: the replay has
// its own Game (no history kept, no solve counted, no swipe heard), which a view draws
// and steps in the game's place while the replay is open.
class Replay : private Game::Listener {
  public:
    // The speeds offered, slowest first; 1 is real time.
    static constexpr double kSpeeds[] = {0.25, 0.5, 1, 2, 4};

    // Told whenever what the replay shows changed (its clock, its turn, its cube).
    class Listener {
      public:
        virtual ~Listener() = default;
        virtual void replayChanged() = 0;
    };

    // `turns` must solve their start (splitsOf finds its steps); `seenAs` gives the
    // orientation and the settings the replay starts with. Null when the turns cannot be
    // replayed.
    static std::unique_ptr<Replay> of(std::shared_ptr<const SolveTurns> turns, Method method,
                                      const Game& seenAs, std::string scramble = {});
    ~Replay() override;

    void setListener(Listener* listener) { listener_ = listener; }
    Game& game() { return game_; }
    const Game& game() const { return game_; }
    const SolveTurns& turns() const { return *turns_; }
    const std::vector<Split>& splits() const { return splits_; }
    const std::string& scramble() const { return scramble_; }

    // --- What the player does ---
    void playOrPause();
    void pause();
    // One turn forward or back, animated; paused.
    void forward();
    void back();
    // To the start (the scramble) or the end (solved), at once; paused.
    void toStart() { seekTo(0, false); }
    void toEnd() { seekTo(length(), true); }
    // To `ms` into the solve, at once: the turns made before then applied (all at the end).
    void seek(double ms) { seekTo(ms, length() > 0 && ms >= length()); }
    // The next speed of kSpeeds, round to the slowest.
    void nextSpeed();

    // --- What it shows ---
    bool playing() const { return playing_; }
    double speed() const { return kSpeeds[speed_]; }
    // The turns applied (0 at the scramble, all of them at the end), and the replay's clock
    // in milliseconds of the solve.
    size_t applied() const { return applied_; }
    double at() const { return at_; }
    double length() const { return turns_->turns.empty() ? 0 : turns_->turns.back().ms; }
    // The step the next turn belongs to (the last at the end).
    size_t step() const;
    // Nothing plays, moves or waits.
    bool still() const { return !playing_ && game_.still(); }

    // The reconstruction: where the solve began (its scramble, else its position's code),
    // then each step a line: its name, its time, turns, turns per second and the pause
    // before its first turn, its moves in the usual notation.
    std::string reconstruction() const;

  private:
    Replay(std::shared_ptr<const SolveTurns> turns, std::vector<Split> splits,
           MagicCube::Stickers start, const Game& seenAs, std::string scramble);
    void stepped(double now) override;
    // To `ms`, with every turn applied when `end` (a solve of one moment has no other).
    void seekTo(double ms, bool end);
    void changed();

    Game game_;
    std::shared_ptr<const SolveTurns> turns_;
    std::vector<Split> splits_;
    MagicCube::Stickers start_;
    Motion::Kept held_;  // the orientation it started with
    std::string scramble_;
    Listener* listener_ = nullptr;
    bool playing_ = false;
    size_t speed_ = 2;  // real time
    size_t applied_ = 0;
    double at_ = 0;
    double lastNow_ = -1;  // the frame's time the clock last moved at
};

// The reconstruction's text (see Replay::reconstruction) of `turns` split as `splits`.
std::string reconstructionText(const SolveTurns& turns, const std::vector<Split>& splits,
                               const std::string& scramble);

}  // namespace gyrelle
