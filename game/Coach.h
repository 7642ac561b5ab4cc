#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Game.h"
#include "solver/Cubies.h"
#include "solver/Solver.h"

namespace gyrelle::solver {
class Preparation;
}

namespace gyrelle {

// The solver beside the game: hints, solve-for-me and competition scrambles. It watches
// the game as a listener (each frame's end, each change of the stickers) and plays its
// turns, and sets its scrambles, through the game as a player's are.
class Coach : private Game::Listener {
  public:
    // What the coach tells.
    class Listener {
      public:
        virtual ~Listener() = default;
        // The next turn of the plan that solves the cube: face slot `face` (0..5) a quarter
        // turn clockwise as seen looking at it (`power` 1), a half turn (2) or counter-
        // clockwise (3); `remaining` turns to go with it. A face of -1: no hint now.
        virtual void hinted(int face, int power, int remaining) {
            (void)face;
            (void)power;
            (void)remaining;
        }
        // What it is thinking about changed (thinking()).
        virtual void thinkingChanged() {}
    };

    // Beside `game`, which outlives it; it listens from now on.
    explicit Coach(Game& game);
    ~Coach() override;
    Coach(const Coach&) = delete;
    Coach& operator=(const Coach&) = delete;
    void addListener(Listener* listener);
    void removeListener(Listener* listener);

    // The next turn of a plan that solves the cube, told to the listeners (hinted). The
    // plan is made once and followed while the cube stays on it; made again only when the
    // player leaves it. Any solve armed or under way is assisted from now on.
    void hint();
    // The rest of the plan played out, one turn at a time at a pace a person can follow,
    // each turn undoable as any; until stopSolving. Assists as hint does.
    void solveForMe();
    void stopSolving();
    bool solvingForMe() const { return autoplay_; }
    // A position drawn from all that need two turns or more, each as likely as any (the
    // operating system's random source), set at once as one step, with its scramble's
    // turns (the inverse of a solution, at most 21) armed with the solve.
    void competitionScramble();
    // Where the solver's tables come from (by default the process's, built at first need)
    // and the random source of competition scrambles (by default the system's).
    void setSolverTables(solver::Preparation* tables) { tables_ = tables; }
    void setRandom(std::function<std::uint32_t()> random) { random_ = std::move(random); }
    // The clock, in seconds, each frame's slice of the search is measured on (by default
    // the steady clock), and the nodes the search under way, or the last, has taken.
    void setSearchClock(std::function<double()> clock) { searchClock_ = std::move(clock); }
    std::int64_t searched() const { return solver_ ? solver_->nodes() : 0; }
    // What it is thinking about, and since when (the `now` of the frame it began).
    enum class Thinking { None, Preparing, Solving };
    Thinking thinking() const { return thinking_; }
    double thinkingSince() const { return thinkingSince_; }
    // The plan's turns still to go; empty without a plan.
    solver::Turns plan() const;
    // Nothing asked and nothing to play: a frame would do nothing for it.
    bool still() const;

  private:
    // What the game tells: a change of the stickers (the plan followed or dropped), and
    // each frame's end (a slice of the tables or the search, solve-for-me's next turn).
    void historyChanged() override { followPlan(); }
    void stepped(double now) override;

    enum class Want : char { Nothing, Hint, SolveForMe, Competition };
    void want(Want what);
    void think(double now);
    void planned(const solver::Turns& turns);
    // The plan goes on from where the cube is on it, or is dropped.
    void followPlan();
    void tellHint();
    void playPlan(double now);
    void setThinking(Thinking thinking, double now);
    std::string positionNow() const;

    template <class Call>
    void tell(Call call) {
        for (Listener* l : listeners_) {
            call(*l);
        }
    }

    Game& game_;
    std::vector<Listener*> listeners_;
    solver::Preparation* tables_ = nullptr;
    std::function<std::uint32_t()> random_;
    std::function<double()> searchClock_;
    std::unique_ptr<solver::Solver> solver_;
    Want want_ = Want::Nothing;
    bool searching_ = false;
    solver::Cubies drawn_;  // the competition position being solved
    Thinking thinking_ = Thinking::None;
    double thinkingSince_ = 0;
    double now_ = 0;  // of the last frame
    // The plan: its turns, the position before each (and after the last), where the cube
    // is on it, and, half way through a half turn, which way the player turned.
    solver::Turns plan_;
    std::vector<std::string> planPositions_;
    size_t planAt_ = 0;
    int halfWay_ = 0;
    bool autoplay_ = false;
    int autoplayQuarters_ = 0;  // quarter turns left of the plan turn being played
    double nextPlayAt_ = 0;
};

}  // namespace gyrelle
