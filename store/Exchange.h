#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "game/Solves.h"

namespace gyrelle::store {

// Solves in and out of other programs: Gyrelle's own CSV, written and read, and the
// export file of csTimer, read.
//
// The CSV (RFC 4180, comma-separated, a field with a comma, a quote or a line break in
// quotes), a header and one row per solve, oldest first:
//
//   date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted
//   2026-12-06T23:30:17Z,83.412,+2,85.412,57,0.68,competition,R U2 F' D,no
//
// date: when it ended, ISO 8601 in UTC; seconds: the clock's time, to the millisecond;
// penalty: empty, +2 or DNF; result: the time that counts (seconds, +2 added) or DNF;
// moves: quarter turns, empty when not known; turns_per_second: moves over seconds, two
// decimals, empty when either is not known; scramble_kind: turns, competition, pasted or
// unknown; scramble: a competition scramble's turns; assisted: yes or no. Reading takes
// the date, seconds, penalty, moves, kind, scramble and assisted; result and turns per
// second follow from them.
//
// csTimer's export (a JSON object: "session1".."sessionN", each a list of solves
// [[penalty, milliseconds], scramble, comment, seconds since 1970, ...], the penalty 0,
// 2000 for +2 or -1 for DNF; "properties" with "sessionData", a JSON text naming each
// session and its scramble type): the solves of 3x3x3 sessions, their moves not known,
// a scramble in the cube's notation kept as a fair one (csTimer's are random-state).
std::string recordsCsv(const std::vector<Solve>& solves);

// The most bytes a file to import may have: about a million solves of either kind.
constexpr long kLargestImport = 100L * 1024 * 1024;

struct Imported {
    std::string format;  // "Gyrelle CSV" or "csTimer"
    std::vector<Solve> solves;
    // What was passed over, and why ("4 in the 2x2x2 session \"warm-up\""), a line each.
    std::vector<std::string> skipped;
};
// Reads `text` as either kind; false, with `problem` naming the line and what is wrong
// ("line 12: the time \"1:23\" is not a number of seconds"), when it is not wholly one:
// then nothing of it is to be used. A date later than `now` (give or take ten minutes of
// clocks that disagree) is wrong.
bool readImport(const std::string& text, std::time_t now, Imported& out, std::string& problem);

// The solves `kept` with those of `incoming` that are not among them (the same date and
// the same time to the millisecond), in the order they ended; how many were taken, and
// how many were passed over as kept already or as repeated in `incoming`.
struct Merged {
    std::vector<Solve> solves;
    size_t taken = 0, alreadyKept = 0, repeated = 0;
};
Merged mergeSolves(const std::vector<Solve>& kept, const std::vector<Solve>& incoming);

// What an import took and passed over, in a sentence or two: "Took 37 solves (csTimer).
// Passed over: 3 already kept; 1 repeated in the file."
std::string importReport(const Imported& imported, const Merged& merged);

}  // namespace gyrelle::store
