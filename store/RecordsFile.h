#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "game/Solves.h"
#include "store/Reading.h"

namespace gyrelle::store {

// The solves as a small versioned text file, kept beside cube_state.dat:
//
//   gyrelle records 2
//   solve <date, UTC: 2026-12-06T23:30:00Z> <moves> <seconds, to the millisecond> <how>
//   scrambled <fingerprint of the cube> <how>
//   timed <solve> <start> <inspection> <turn>@<ms> ...
//   solving <fingerprint of the cube> <moves so far> <seconds played so far> <how>
//   timing <start> <inspection> <turn>@<ms> ...
//   end
//
// one solve line per finished solve, oldest first; then at most one line for a solve
// armed or in progress, which holds only for the cube it names. <how> is how the cube
// was scrambled ("turns", "competition", "pasted", or "-" when not known), then "shared"
// for a competition scramble that came by an address (a race; older versions set such a
// file aside), then "assisted" when a hint or solve-for-me was used, then "+2" or "dnf" for a solve
// started late after its inspection, then (for a solve armed with an inspection) the
// word "inspection" and when it began, in seconds since 1970 to the millisecond, then a
// competition scramble's turns (R U2 F' ...).
// <seconds> is the clock's time, without the penalty. Version 1 files (lines without
// <how>) are still read: their solves' scrambles are not known, and none was assisted.
// A file without penalties is as the previous version wrote it, and read by it.
// A timed line holds the turns of the solve numbered <solve> (1 for the oldest; each
// after the solve lines, in order of their solves, one at most for a solve): <start> the
// position it began at (54 letters, as cube/Position.h writes it), <inspection> the
// seconds looked at before its clock started ("-" for none), then every turn with the
// milliseconds from the start when it landed, in the usual notation (R U' M x): a
// whole-cube turn (x y z) renames the faces after it, as a player holding the cube reads
// them. The timing line holds the same for the solve armed or under way. A file without
// them is as the previous version wrote it.
// Over a million solves; anything larger is not a records file.
constexpr long kLargestRecordsFile = 64 * 1024 * 1024;

struct SavedRecords {
    std::vector<Solve> done;
    // The solve armed or under way (its phase None for none), and the fingerprint of the
    // cube it was armed or running on.
    Solves::UnderWay solve;
    std::string cube;
};

void writeRecords(std::FILE* out, const SavedRecords& records);
// The words of the file, for other files to share: seconds to the millisecond ("83.412"),
// and dates in UTC ("2026-12-06T23:30:00Z"); false for what is not one.
bool readSeconds(const std::string& word, double& value);
bool readDate(const std::string& word, std::time_t& value);
std::string utcDateText(std::time_t date);
std::string millisecondsText(double seconds);
// A competition scramble holds at most this many turns, as the history keeps.
constexpr size_t kMostScrambleTurns = 30;
std::string recordsFileText(const SavedRecords& records);
// The file's text in three: its first line, a solve's line, and what follows the solves
// (the line of a solve armed or under way, and the end), each with its line feed.
inline constexpr char kRecordsHeader[] = "gyrelle records 2\n";
std::string solveLine(const Solve& solve);
std::string recordsTail(const SavedRecords& records);
// "<start> <inspection> <turn>@<ms> ...", as a timed line holds them; and read back, false
// for what is not such turns.
std::string turnsText(const SolveTurns& turns);
bool readTurns(std::string_view text, SolveTurns& turns);
// The timed line of the solve at `index` (from 0).
std::string timedLine(size_t index, const SolveTurns& turns);
// The lines a big records file is written again from as they are: the solves' lines, and
// each timed line with the index of its solve.
struct RecordLines {
    std::string solves;
    std::vector<std::pair<size_t, std::string>> timed;
};
// Refused, saying where, for a file that is not wholly such records; `records` is then
// left untouched.
// Partial, with the records read, when text (not blank lines, not zero bytes) follows
// the end line. With `lines`, the lines to be written again as they are.
Reading readRecords(std::FILE* in, SavedRecords& records, RecordLines* lines = nullptr);

}  // namespace gyrelle::store
