#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
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

// What competition inspection adds to a solve: starting more than 15 s after the
// scramble costs 2 s, more than 17 s the solve (Did Not Finish).
enum class Penalty : char { None, PlusTwo, Dnf };

// One turn of a solve as it landed: its code (cube/Notation.h: a slice, or the whole
// cube), and when, in milliseconds from the solve's start.
struct TimedTurn {
    std::int32_t ms;
    std::int8_t code;
    bool operator==(const TimedTurn&) const = default;
};
// How a solve was made, turn by turn, from where it began.
struct SolveTurns {
    std::string start;       // the position code it began at (cube/Position.h)
    double inspection = -1;  // seconds looked at before the clock started; negative for none
    std::vector<TimedTurn> turns;
    bool operator==(const SolveTurns&) const = default;
};

// One finished solve.
// (The small members side by side: a million solves are kept, and copied whole.)
struct Solve {
    std::time_t date = 0;  // when it ended
    int moves = 0;         // quarter turns, undo and redo included; 0 when not known
    double seconds = 0;    // from the first turn to the solved cube
    Scramble kind = Scramble::Unknown;
    // A hint or solve-for-me was used: it never counts toward bests or averages.
    bool assisted = false;
    Penalty penalty = Penalty::None;
    // A competition scramble that came by an address: raced with whoever sent it.
    bool shared = false;
    // The session it is kept in: its index in Solves::sessions().
    std::uint16_t session = 0;
    std::string scramble = {};  // the turns that make a competition scramble, in notation
    // Its turns, when they are known: shared, as solves are copied whole and never change.
    std::shared_ptr<const SolveTurns> turns = {};
    // The time that counts: +2 added; a DNF is slower than any (infinite).
    double result() const;
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
    // Competition inspection (seconds): the clock starts by itself at the end of it.
    // The turns of the newest solves that have them are kept, this many solves and this many
    // turns in all at the most (about 18 MB in the records file); a solve of more turns
    // than kMostTimedTurns keeps none.
    static constexpr size_t kMostTimedSolves = 10000;
    static constexpr size_t kMostTimedInAll = 2000000;
    static constexpr size_t kMostTimedTurns = 10000;
    static constexpr double kInspection = 15;
    static constexpr double kPlusTwoUntil = 17;

    enum class Phase { None, Scrambled, Running };

    // A solve armed or under way, whole, as it outlasts a restart: its phase, its clock,
    // what it is and its penalty, and when its inspection began on the wall's clock
    // (seconds since 1970; negative for none), so that time away counts.
    struct UnderWay {
        Phase phase = Phase::None;
        int moves = 0;
        double seconds = 0;
        Scramble kind = Scramble::Unknown;
        bool assisted = false;
        std::string scramble;
        Penalty penalty = Penalty::None;
        double inspectionStart = -1;
        // Its turns so far (no turn yet while armed), where they are known.
        std::shared_ptr<const SolveTurns> turns = {};
        bool shared = false;
    };
    // The solve at `now`, `wallNow` on the wall's clock; and one read back, going on.
    UnderWay underWay(double now, double wallNow) const;
    void resume(const UnderWay& solve, double now, double wallNow);

    Phase phase() const { return phase_; }
    int moves() const { return moves_; }
    // The clock: from the first turn, or from the end of an inspection not cut short.
    double seconds(double now) const;

    // Solves armed from now on begin with an inspection (or not).
    void setInspection(bool on) { inspection_ = on; }
    // Seconds of the inspection of the solve armed, at `now`; negative when it has none.
    // It begins at the first frame after the scramble (beginInspection).
    double inspected(double now) const;
    void beginInspection(double now);
    // An inspection read back, `seconds` of it gone, going on at `now`.
    void resumeInspection(double seconds, double now);
    // The penalty the solve has, or would have if its first turn came at `now`.
    Penalty penalty(double now) const;

    // The cube was scrambled or set to a position that is not solved: any solve in
    // progress is dropped, and the next turn starts a new one.
    // `start` is the position it begins at (its code), for its turns to be kept.
    void scrambled(Scramble kind, std::string scramble = {}, std::string start = {});
    // A hint or solve-for-me was used on the solve armed or under way.
    void assisted();
    // The competition scramble armed came by an address (it is marked so); and whether
    // the solve armed or under way did.
    void markShared();
    bool isShared() const { return shared_; }
    // The stickers changed other than by a turn (the scramble undone, a reset, a solved
    // position set): any solve ends, without a record.
    void abandoned();
    // A turn landed at `now` (swiped, typed, undone or redone), leaving the cube
    // `solved` or not. True when it finished a solve, which is then the newest record.
    // `code` is the turn's (cube/Notation.h), kept with the solve.
    bool turned(double now, bool solved, std::time_t date, int code = 0);
    // The whole cube was given a quarter turn (`code`): kept with the solve armed or under way.
    void rotated(double now, int code);
    // The turns of the solve armed or under way so far; null when they are not known.
    const SolveTurns* timing() const { return timingKnown_ ? &timing_ : nullptr; }
    // A solve in progress read back, `moves` made in `seconds` played, going on at `now`.
    void resume(int moves, double seconds, double now);
    // The penalty of the solve under way, fixed at its first turn; and one read back.
    Penalty penaltyTaken() const { return penalty_; }
    void setPenalty(Penalty penalty) { penalty_ = penalty; }
    // What the solve armed or under way is, as its record will say.
    Scramble kind() const { return kind_; }
    bool isAssisted() const { return assisted_; }
    const std::string& scrambleText() const { return scramble_; }
    // Its kind, help and scramble read back with it.
    void setKind(Scramble kind, bool assisted, std::string scramble);

    const std::vector<Solve>& done() const { return done_; }
    void setDone(std::vector<Solve> done) {
        done_ = std::move(done);
        timedFrom_ = 0;
        keepTurnsWithin();
        ++revision_;
        ++rewrites_;
    }
    // A finished solve corrected (its penalty), taken out, or put back where it was.
    void edit(size_t index, const Solve& solve) {
        done_.at(index) = solve;
        timedFrom_ = std::min(timedFrom_, index);
        keepTurnsWithin();
        ++revision_;
        ++rewrites_;
    }
    void remove(size_t index) {
        done_.erase(done_.begin() + static_cast<long>(index));
        timedFrom_ = std::min(timedFrom_, index);
        ++revision_;
        ++rewrites_;
    }
    void insert(size_t index, const Solve& solve) {
        index = std::min(index, done_.size());
        done_.insert(done_.begin() + static_cast<long>(index), solve);
        timedFrom_ = std::min(timedFrom_, index);
        keepTurnsWithin();
        ++revision_;
        ++rewrites_;
    }
    // Moves on whenever the finished solves change other than by one more at the end
    // (read back, imported, corrected, deleted).
    unsigned long rewrites() const { return rewrites_; }
    // Moves on with every change.
    unsigned long revision() const { return revision_; }
    // The newest record, not assisted, beat every earlier one that was not, on time or on
    // moves.
    bool lastWasBest() const;

    // Sessions: the solves kept apart by name (one-handed, a new cube, practice), each
    // solve in one, by its index here. Always one at least, at first "Main"; a new solve
    // goes to the one shown.
    static constexpr size_t kMostSessions = 100;
    static constexpr size_t kLongestSessionName = 40;  // bytes
    const std::vector<std::string>& sessions() const { return sessions_; }
    size_t shownSession() const { return shownSession_; }
    // Names read back (none taken when there are none, or more than the most), the one
    // shown, and each solve's session (as many as there are solves, else all the first's);
    // a session past the last is the first.
    void setSessions(std::vector<std::string> names, size_t shown,
                     const std::vector<std::uint16_t>& sessionOf = {});
    void showSession(size_t index);
    // What takes a change of the sessions back: the names, the one shown and every solve's
    // session as they were, and the solves a deletion took with where they were.
    struct SessionsBefore {
        std::vector<std::string> names;
        size_t shown = 0;
        std::vector<std::uint16_t> sessionOf;
        std::vector<std::pair<size_t, Solve>> removed;
    };
    // A session more, shown; false (nothing changed) past the most, or for a name that is
    // empty, too long, or holds a line's end.
    bool addSession(std::string name, SessionsBefore& before);
    bool renameSession(size_t index, std::string name, SessionsBefore& before);
    // Every solve of `from` into `into`, `from` gone; false when they are the same or either
    // is none.
    bool mergeSessions(size_t from, size_t into, SessionsBefore& before);
    // The session and its solves gone; false for the only one.
    bool deleteSession(size_t index, SessionsBefore& before);
    void restoreSessions(SessionsBefore before);
    // A name a session may have.
    static bool sessionName(const std::string& name);

  private:
    Phase phase_ = Phase::None;
    int moves_ = 0;
    double startedAt_ = 0;
    Scramble kind_ = Scramble::Unknown;
    bool assisted_ = false;
    bool shared_ = false;
    std::string scramble_;
    std::vector<std::string> sessions_{"Main"};
    size_t shownSession_ = 0;
    SessionsBefore snapshot() const;
    bool inspection_ = false;
    // When the armed solve's inspection began: NaN before its first frame; -inf for none.
    double inspectedFrom_ = -HUGE_VAL;
    Penalty penalty_ = Penalty::None;  // of the solve under way
    // The turns of the newest solves that have them kept within the limits; the solves
    // before timedFrom_ have none.
    void keepTurnsWithin();
    void timed(double now, int code);

    SolveTurns timing_;
    bool timingKnown_ = false;
    size_t timedFrom_ = 0;
    std::vector<Solve> done_;
    unsigned long revision_ = 0;
    unsigned long rewrites_ = 0;
};

// The mean of the newest `count` solves' results without the best and the worst of them,
// as cubers average; none with fewer solves. Assisted solves do not count. A DNF is the
// worst; with two the average is a DNF too (infinite).
std::optional<double> averageOfLast(const std::vector<Solve>& solves, size_t count);

// "1:23.4": minutes, seconds and tenths (cut, not rounded, as a running clock shows
// them); hours in front when there are any; "DNF" for an infinite time.
std::string clockText(double seconds);
// " +2", " DNF", or nothing, as a time is followed.
std::string penaltyText(Penalty penalty);
// "1 move", "57 moves".
std::string movesText(int moves);
// Best time, fewest moves, the averages of 5 and 12 (of solves not assisted) and the
// newest 12 solves, one item a line; dates in local time.
std::string recordsText(const std::vector<Solve>& solves);

}  // namespace gyrelle
