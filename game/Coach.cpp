// The solver beside the game: hints, solve-for-me and competition scrambles. What is
// asked waits for the solver's tables (built once for the whole process) and for the
// cube to be still; then each frame searches a slice, so that no frame waits for the
// answer.
#include "game/Coach.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "cube/Notation.h"
#include "cube/Position.h"
#include "solver/Preparation.h"
#include "solver/Scramble.h"

namespace gyrelle {

namespace {

// A frame gives the tables this long to build where no thread builds them, and the
// search as long (seconds), a few thousand nodes of both phases at a time: about 50,000
// natively, fewer in a browser, whose frames keep coming all the same.
constexpr double kTablesSlice = 0.006;
constexpr double kSearchSlice = 0.006;
constexpr std::int64_t kNodesAtOnce = 4000;
// Solve-for-me waits this long after each turn of the plan lands (seconds).
constexpr double kSolvePace = 0.45;

// The model's face slot for each face letter U R F D L B at home.
constexpr int kHomeSlot[6] = {1, 5, 0, 3, 4, 2};

// The face slot a solver turn turns: the letter names the face by its centre's colour,
// and after middle-slice turns that face need not be at home.
int faceOfTurn(const MagicCube& cube, int turn) {
    const int home = kHomeSlot[turn / 3];
    for (int slot = 0; slot < 6; ++slot) {
        if (cube.stickers()[9 * slot + 4].faceNumber == home) {
            return slot;
        }
    }
    return home;
}

}  // namespace

Coach::Coach(Game& game)
    : game_(game), searchClock_([] {
          return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
              .count();
      }) {
    game_.addListener(this);
}

Coach::~Coach() {
    game_.removeListener(this);
}

void Coach::addListener(Listener* listener) {
    listeners_.push_back(listener);
}

void Coach::removeListener(Listener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

bool Coach::still() const {
    return want_ == Want::Nothing && !autoplay_;
}

void Coach::stepped(double now) {
    now_ = now;
    think(now);
}

std::string Coach::positionNow() const {
    return positionCode(game_.cube().stickers());
}

solver::Turns Coach::plan() const {
    if (plan_.empty()) {
        return {};
    }
    return solver::Turns(plan_.begin() + static_cast<long>(planAt_), plan_.end());
}

void Coach::hint() {
    game_.assisted();
    if (!plan_.empty()) {
        tellHint();
        return;
    }
    want(Want::Hint);
}

void Coach::solveForMe() {
    game_.assisted();
    autoplay_ = true;
    autoplayQuarters_ = 0;
    nextPlayAt_ = now_;
    if (plan_.empty()) {
        want(Want::SolveForMe);
    }
}

void Coach::stopSolving() {
    autoplay_ = false;
    autoplayQuarters_ = 0;
    if (want_ == Want::SolveForMe) {
        want_ = Want::Nothing;
        searching_ = false;
        setThinking(Thinking::None, now_);
    }
}

void Coach::competitionScramble() {
    stopSolving();
    want(Want::Competition);
}

void Coach::want(Want what) {
    want_ = what;
    searching_ = false;
    if (!tables_) {
        tables_ = &solver::Preparation::shared();
    }
    tables_->begin();
    setThinking(tables_->ready() ? Thinking::Solving : Thinking::Preparing, now_);
}

void Coach::setThinking(Thinking thinking, double now) {
    if (thinking != thinking_) {
        thinking_ = thinking;
        thinkingSince_ = now;
        tell([](Listener& l) { l.thinkingChanged(); });
    }
}

void Coach::think(double now) {
    if (want_ != Want::Nothing) {
        if (!tables_->ready(kTablesSlice)) {
            setThinking(Thinking::Preparing, now);
            return;
        }
        setThinking(Thinking::Solving, now);
        if (!solver_) {
            solver_ = std::make_unique<solver::Solver>(tables_->tables());
        }
        if (!searching_) {
            if (game_.cube().animating() || game_.waiting()) {
                return;  // the plan starts from the cube at rest
            }
            searching_ = true;
            solver::Cubies c;
            if (want_ == Want::Competition) {
                if (!random_) {
                    random_ = [device = std::make_shared<std::random_device>()] {
                        return static_cast<std::uint32_t>((*device)());
                    };
                }
                c = drawn_ = solver::competitionPosition(random_);
            } else {
                c.fromCode(positionNow());
            }
            // A competition scramble needs any solution of 21 turns, not a short one.
            solver_->setDepths(tables_->depths());  // once there are any: the same, sooner
            solver_->start(c, solver::Solver::kMostTurns, want_ != Want::Competition);
        }
        const double until = searchClock_() + kSearchSlice;
        bool found = false;
        do {
            found = solver_->work(kNodesAtOnce);
        } while (!found && searchClock_() < until);
        if (!found) {
            return;
        }
        searching_ = false;
        const Want done = want_;
        want_ = Want::Nothing;
        setThinking(Thinking::None, now);
        const solver::Turns turns = solver_->answer().value_or(solver::Turns{});
        if (done == Want::Competition) {
            MagicCube::Stickers stickers;
            std::string problem;
            if (stickersOfCode(drawn_.code(), stickers, problem)) {
                game_.setDrawnPosition(stickers, solver::notation(solver::inverse(turns)));
            }
            return;
        }
        planned(turns);
        if (done == Want::Hint) {
            tellHint();
        }
    }
    playPlan(now);
}

void Coach::planned(const solver::Turns& turns) {
    plan_ = turns;
    planAt_ = 0;
    halfWay_ = 0;
    planPositions_.clear();
    solver::Cubies c;
    c.fromCode(positionNow());
    planPositions_.push_back(c.code());
    for (int t : turns) {
        c = c.times(solver::faceTurn(t));
        planPositions_.push_back(c.code());
    }
    if (plan_.empty()) {
        autoplay_ = false;
    }
}

void Coach::followPlan() {
    if (plan_.empty()) {
        return;
    }
    const std::string now = positionNow();
    for (size_t k = 0; k < planPositions_.size(); ++k) {
        if (planPositions_[k] == now) {
            planAt_ = k;
            halfWay_ = 0;
            if (k == plan_.size()) {
                plan_.clear();  // done: solved as planned
                autoplay_ = false;
            }
            return;
        }
    }
    // Half way through a half turn of the plan: a quarter turn of its face either way.
    if (planAt_ < plan_.size() && plan_[planAt_] % 3 == 1) {
        solver::Cubies c;
        c.fromCode(planPositions_[planAt_]);
        for (int power : {1, 3}) {
            const int quarter = plan_[planAt_] / 3 * 3 + power - 1;
            if (c.times(solver::faceTurn(quarter)).code() == now) {
                halfWay_ = power;
                return;
            }
        }
    }
    plan_.clear();  // the player has left it: made again at the next hint
    autoplay_ = false;
}

void Coach::tellHint() {
    if (plan_.empty() || planAt_ >= plan_.size()) {
        tell([](Listener& l) { l.hinted(-1, 0, 0); });
        return;
    }
    const int turn = plan_[planAt_];
    const int face = faceOfTurn(game_.cube(), turn);
    const int power = halfWay_ ? halfWay_ : turn % 3 + 1;
    const int remaining = static_cast<int>(plan_.size() - planAt_);
    tell([&](Listener& l) { l.hinted(face, power, remaining); });
}

void Coach::playPlan(double now) {
    if (!autoplay_ || plan_.empty() || game_.cube().animating() || game_.waiting() ||
        game_.motion().makingTop() || now < nextPlayAt_) {
        return;
    }
    if (autoplayQuarters_ == 0) {
        tellHint();
        autoplayQuarters_ = plan_[planAt_] % 3 == 1 && halfWay_ == 0 ? 2 : 1;
    }
    const int power = halfWay_ ? halfWay_ : plan_[planAt_] % 3 + 1;
    // Played as a player's turn is.
    game_.turn(faceTurn(faceOfTurn(game_.cube(), plan_[planAt_]), power == 3));
    if (--autoplayQuarters_ == 0) {
        nextPlayAt_ = now + kSolvePace;
    }
}

}  // namespace gyrelle
