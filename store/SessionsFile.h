#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/Solves.h"
#include "store/Reading.h"

namespace gyrelle::store {

// The sessions beside the records, in a file of their own so that the records stay as
// every version reads them:
//
//   gyrelle sessions 1
//   shown 2                                   the session shown, from 1
//   session Main                              each session's name, in order
//   session One-handed
//   in 2 2026-12-01T00:00:00Z 83.412          a solve, by when it ended and its time,
//                                             in a session other than the first
//
// A solve no line names is in the first session (so are those an older version adds); a
// line naming no solve kept is passed over. Anything else is no sessions file: Refused,
// and the solves are all in one session.
constexpr long kLargestSessionsFile = 64 * 1024 * 1024;

std::string sessionsText(const Solves& solves);

struct SavedSessions {
    std::vector<std::string> names;
    size_t shown = 0;
    std::vector<std::uint16_t> sessionOf;  // for each solve of `done`
};
// The file read for the solves `done` (as the records hold them).
Reading readSessions(std::FILE* in, const std::vector<Solve>& done, SavedSessions& sessions);

}  // namespace gyrelle::store
