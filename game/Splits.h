#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/Solves.h"

namespace gyrelle {

// How a solve's steps are told apart: as methodChoices() orders them.
enum class Method : char { Cfop, Roux };

// One step of a solve: what it is called, the slice turns it took, its time from the end of
// the step before (or from the start) to its last turn, and the pause before its first
// turn (recognition). Its turns are the solve's entries first..end-1 (whole-cube turns
// among them, which are not counted). A step the cube skipped has no turns and no time.
struct Split {
    const char* name;
    int turns = 0;
    double seconds = 0;
    double recognition = 0;
    size_t first = 0, end = 0;
    double turnsPerSecond() const { return seconds > 0 ? turns / seconds : 0; }
};

// Each step is found from the cube's states as it was solved, by the pieces it solves,
// however the cube is held: a step ends at the first state, from the end of the one
// before, where its pieces are all in place with one another and with the centres among
// them (and those of the steps before it stay so). CFOP: the cross on any face, then the
// four first-two-layer pairs around it in the order they were made, the last layer's
// orientation, its permutation (the solved cube). Roux: a 1x2x3 block on any side, the
// second one opposite it, the last layer's corners, the last six edges. Where several
// crosses or blocks are made at once, the one whose later steps end first is taken.
// None when the turns do not solve their start.
std::optional<std::vector<Split>> splitsOf(const SolveTurns& turns, Method method);

// The steps as a solved message says them, the first-two-layer pairs as one:
// "cross 2.1 · F2L 9.8 · OLL 3.0 · PLL 3.5"; "FB 3.2 · SB 6.1 · CMLL 2.9 · LSE 4.0".
std::string splitsLine(const std::vector<Split>& splits);
// The steps joined as that line has them: their names, turns and times summed, the
// recognition of the first.
std::vector<Split> groupedSplits(const std::vector<Split>& splits);

// Of `solves`, the newest `count` whose splits are known (by `method`): each step's mean
// time, as groupedSplits names them; none when fewer have them.
std::optional<std::vector<Split>> meanSplits(const std::vector<Solve>& solves, size_t count,
                                             Method method);

}  // namespace gyrelle
