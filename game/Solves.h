#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace gyrelle {

// How the cube of a solve was scrambled.
enum class Scramble : char {
    Unknown,      // not recorded (solves of older versions)
    Turns,        // random turns: a shake, or a new game
    Competition,  // a position drawn fairly from all, with its scramble text
    Pasted,       // a position set by its code
};

// One finished solve.
struct Solve {
    std::time_t date = 0;  // when it ended
    int moves = 0;         // quarter turns, undo and redo included
    double seconds = 0;    // from the first turn to the solved cube
    Scramble kind = Scramble::Unknown;
    // A hint or solve-for-me was used: it never counts toward bests or averages.
    bool assisted = false;
    std::string scramble = {};  // the turns that make a competition scramble, in notation
};

// The solve in progress and the solves finished. A solve is armed by a scramble (or a
// position set that is not solved), starts with the next turn and ends when a turn
// leaves the cube solved. Time comes from outside, in seconds on a clock that only
// moves forward; a solve read back resumes from the time already played.
class Solves {
  public:
    // A solve is done with more moves than this, or longer, only by a cheat or a fault.
    static constexpr int kMostMoves = 1000000000;
    static constexpr double kLongest = 1e9;  // seconds, about 31 years

    enum class Phase { None, Scrambled, Running };
    Phase phase() const { return phase_; }
    int moves() const { return moves_; }
    double seconds(double now) const { return phase_ == Phase::Running ? now - startedAt_ : 0; }

    // The cube was scrambled or set to a position that is not solved: any solve in
    // progress is dropped, and the next turn starts a new one.
    void scrambled(Scramble kind, std::string scramble = {});
    // A hint or solve-for-me was used on the solve armed or under way.
    void assisted();
    // The stickers changed other than by a turn (the scramble undone, a reset, a solved
    // position set): any solve ends, without a record.
    void abandoned();
    // A turn landed at `now` (swiped, typed, undone or redone), leaving the cube
    // `solved` or not. True when it finished a solve, which is then the newest record.
    bool turned(double now, bool solved, std::time_t date);
    // A solve in progress read back, `moves` made in `seconds` played, going on at `now`.
    void resume(int moves, double seconds, double now);
    // What the solve armed or under way is, as its record will say.
    Scramble kind() const { return kind_; }
    bool isAssisted() const { return assisted_; }
    const std::string& scrambleText() const { return scramble_; }
    // Its kind, help and scramble read back with it.
    void setKind(Scramble kind, bool assisted, std::string scramble);

    const std::vector<Solve>& done() const { return done_; }
    void setDone(std::vector<Solve> done) {
        done_ = std::move(done);
        ++revision_;
    }
    // Moves on with every change.
    unsigned long revision() const { return revision_; }
    // The newest record, not assisted, beat every earlier one that was not, on time or on
    // moves.
    bool lastWasBest() const;

  private:
    Phase phase_ = Phase::None;
    int moves_ = 0;
    double startedAt_ = 0;
    Scramble kind_ = Scramble::Unknown;
    bool assisted_ = false;
    std::string scramble_;
    std::vector<Solve> done_;
    unsigned long revision_ = 0;
};

// The mean of the newest `count` solves' times without the best and the worst of them,
// as cubers average; none with fewer solves. Assisted solves do not count.
std::optional<double> averageOfLast(const std::vector<Solve>& solves, size_t count);

// "1:23.4": minutes, seconds and tenths (cut, not rounded, as a running clock shows
// them); hours in front when there are any.
std::string clockText(double seconds);
// "1 move", "57 moves".
std::string movesText(int moves);
// Best time, fewest moves, the averages of 5 and 12 (of solves not assisted) and the
// newest 12 solves, one item a line; dates in local time.
std::string recordsText(const std::vector<Solve>& solves);

}  // namespace gyrelle
