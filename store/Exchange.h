#pragma once

#include <climits>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/Solves.h"
#include "platform/Files.h"

namespace gyrelle::store {

// Solves in and out of other programs: Gyrelle's own CSV, written and read, and the
// export file of csTimer, read.
//
// The CSV (RFC 4180, comma-separated, a field with a comma, a quote or a line break in
// quotes), a header and one row per solve, oldest first:
//
//   date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted,timed_moves
//   2026-12-06T23:30:17Z,83.412,+2,85.412,57,0.68,competition,R U2 F' D,no,UURUU... - R@0 U'@250
//   ...
//
// date: when it ended, ISO 8601 in UTC; seconds: the clock's time, to the millisecond;
// penalty: empty, +2 or DNF; result: the time that counts (seconds, +2 added) or DNF;
// moves: quarter turns, empty when not known; turns_per_second: moves over seconds, two
// decimals, empty when either is not known; scramble_kind: turns, competition, shared (a
// competition scramble that came by an address), pasted or unknown; scramble: a
// competition scramble's turns; assisted: yes or no; timed_moves:
// the solve's turns where they are known, as the records file's timed lines hold them
// (the position it began at, the inspection's seconds or "-", each turn with its
// milliseconds), else empty. Reading takes the date, seconds, penalty, moves, kind,
// scramble, assisted and timed moves; result and turns per second follow from them. A CSV
// of earlier versions, without timed_moves, is read too.
//
// csTimer's export (a JSON object: "session1".."sessionN", each a list of solves
// [[penalty, milliseconds], scramble, comment, seconds since 1970, ...], the penalty 0,
// 2000 for +2 or -1 for DNF; "properties" with "sessionData", a JSON text naming each
// session and its scramble type): the solves of 3x3x3 sessions, a scramble in the cube's
// notation kept as a fair one (csTimer's are random-state). A virtual cube's solve may
// carry a fifth item, [moves, puzzle], the moves each followed by its milliseconds
// ("R /*0*/ U' /*250*/"): they are its turns when they solve its scramble; else, as for
// every other solve, its turns are not known.
std::string recordsCsv(const std::vector<Solve>& solves);

// The most bytes a file to import may have: about a million solves of either kind.
constexpr long kLargestImport = 100L * 1024 * 1024;

// Where an import's bytes come from, a piece at a time: nothing is read whole.
using ImportSource = platform::ByteSource;

// What a file holds: its kind and solves, and what was passed over ("4 in the 2x2x2
// session \"warm-up\""), a line each.
struct Imported {
    std::string format;  // "Gyrelle CSV" or "csTimer"
    std::vector<Solve> solves;
    std::vector<std::string> skipped;
    // csTimer's sessions by number, with their names: a solve read from one has that
    // number as its session until it is taken (0 for a file of no sessions).
    std::map<long, std::string> sessionNames;
};

// Reads `source` as either kind, a piece at a time, handing each solve to `take`, which
// may end the reading with a problem of its own. False, with `problem` naming the line
// and what is wrong ("line 12: the time \"1:23\" is not a number of seconds"), when it is
// not wholly one (then nothing of it is to be used), or when `stop` said so between two
// pieces. A date later than `now` (give or take ten minutes of clocks that disagree) is
// wrong. `out.solves` is left as it is.
using TakeSolve = std::function<bool(Solve& solve, std::string& problem)>;
bool readSolves(ImportSource& source, std::time_t now, const TakeSolve& take, Imported& out,
                std::string& problem, const std::function<bool()>& stop = {});
// Every solve of `text` into `out.solves`.
bool readImport(const std::string& text, std::time_t now, Imported& out, std::string& problem);

// Solves merged with those kept as they come: a solve already kept (the same date and the
// same time to the millisecond), one repeated in what comes, and one of no time (0 s) are
// passed over; what is taken may make the records' solve lines `room` bytes longer at
// most, so that the records are never more than the game reads back.
class Merge {
  public:
    explicit Merge(const std::vector<Solve>& kept, long room = LONG_MAX);
    // False, with `problem`, when the records would grow past their room.
    bool add(const Solve& solve, std::string& problem);
    // The solves kept with those taken, in the order they ended; of one date, the kept
    // ones first. Once: the solves taken are given up as they are moved.
    std::vector<Solve> result();
    size_t taken = 0, alreadyKept = 0, repeated = 0, noTime = 0;
    bool full = false;

  private:
    using Key = std::pair<std::time_t, long long>;
    static Key keyOf(const Solve& s);
    // The slot of `key` among those taken: the one holding it, or the empty one where it
    // would go.
    size_t slotOf(const Key& key) const;
    const std::vector<Solve>& kept_;
    std::vector<Key> keptKeys_;  // sorted
    // In pieces, so that growing never copies them all, and freed as they are moved on.
    std::deque<Solve> taken_;
    // Open addressing over taken_: 1 + its index, 0 for an empty slot; never more than
    // half full.
    std::vector<std::uint32_t> slots_;
    long room_;
};

struct Merged {
    std::vector<Solve> solves;
    size_t taken = 0, alreadyKept = 0, repeated = 0, noTime = 0;
    bool full = false;  // more were taken than the records hold: none is to be used
};
Merged mergeSolves(const std::vector<Solve>& kept, const std::vector<Solve>& incoming);

// The solves of `source` merged with `kept` (as Merge, within `room`); false with
// `problem` as readSolves says it, and then nothing is to be used.
// The solves taken go into `session`; those of a csTimer session into the one
// `sessionNamed` gives for its name, where it is given.
bool importSolves(ImportSource& source, std::time_t now, const std::vector<Solve>& kept, long room,
                  Imported& about, Merged& merged, std::string& problem,
                  const std::function<bool()>& stop = {}, std::uint16_t session = 0,
                  const std::function<std::uint16_t(const std::string&)>& sessionNamed = {});

// A solve's replay in an address: "replay=" and the turns as a timed line holds them (the
// position it began at, the inspection, each turn with its milliseconds), '_' for each
// space, then "&scramble=" and its scramble's turns where it has them, the same way.
std::string replayFragment(const SolveTurns& turns, const std::string& scramble);
// The replay an address (or any text) carries after "#replay=", %-escapes read as the bytes
// they stand for; false, with `problem` in a sentence, for none, or for one whose turns do
// not solve where they begin.
bool readReplayAddress(const std::string& text, SolveTurns& turns, std::string& scramble,
                       std::string& problem);

// A competition scramble to race on in an address: "scramble=" and its turns, '_' for each
// space; with a result to beat, "&solved=" and the seconds it was solved in, to the
// hundredth ("scramble=R_U2_F'&solved=14.27").
std::string scrambleFragment(const std::string& scramble, double seconds = -1);
// The scramble an address (or any text) carries after "#scramble=", and the seconds after
// "&solved=" (else -1); false, with `problem` in a sentence, for no scramble of 1 to 30
// face turns, or a time that is no number of seconds.
bool readScrambleAddress(const std::string& text, std::string& scramble, double& seconds,
                         std::string& problem);

// What an import took and passed over, in a sentence or two: "Took 37 solves (csTimer).
// Passed over: 3 already kept; 1 repeated in the file."
std::string importReport(const Imported& imported, const Merged& merged);

}  // namespace gyrelle::store
