#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "solver/Cubies.h"

namespace gyrelle {

// What a case of the last layer asks of the player: to orient its pieces (the top colour up
// on all nine stickers), or, with them oriented, to put them in place.
enum class CaseKind : char { Orientation, Permutation };

// One case of the last layer, by its pieces as they sit with the first two layers solved,
// the last layer on U, seen from the front:
//   Orientation: where each piece's top colour faces, the corners UBL UBR UFR UFL, then
//     the edges UB UR UF UL; U for up, else the side ("BRFU UUUU" is the Sune).
//   Permutation: cycles of pieces, "A>B>C": the piece of place A is at B, B's at C, C's at
//     A ("UL>UR UFR>UBR" is the T).
struct LastLayerCase {
    CaseKind kind;
    const char* name;  // "T", "Ua"; "1".."57" for the orientations
    const char* pieces;
};

// The 21 permutations, then the 57 orientations, each by its usual name.
const std::vector<LastLayerCase>& lastLayerCases();
// The index in lastLayerCases() of the case called `name` ("T", "27"), or -1.
int caseNamed(std::string_view name);
// "T perm", "OLL 27": what a player calls it.
std::string caseTitle(const LastLayerCase& c);

// The case as its pieces say, the rest of the cube solved (an orientation's pieces in their
// places).
solver::Cubies caseCubies(const LastLayerCase& c);
// The pieces of `cube`'s last layer as a case of `kind` writes them.
std::string casePieces(const solver::Cubies& cube, CaseKind kind);
// The case the last layer of `cube` shows, up to turns of the top layer before and after
// (for orientations, whatever its pieces' places): its index in lastLayerCases(); -1 when the
// first two layers are not solved, or the last layer has nothing of that kind left to do.
int caseOf(const solver::Cubies& cube, CaseKind kind);
// How many quarter turns of the top (U, clockwise seen from above) show the last layer of
// `cube` as `c`'s pieces are written, the angle it is seen from; -1 when it is not `c`.
int caseAngle(const solver::Cubies& cube, const LastLayerCase& c);
// The first two layers solved, and the top colour up on all of the last layer (when
// `kind` is Orientation) or the cube solved up to a turn of the top (Permutation).
bool caseDone(const solver::Cubies& cube, CaseKind kind);

// What a trainer drills: one of these sets of cases, a row each.
struct TrainerSetRow {
    const char* key;    // in the trainer's file
    const char* label;  // on the panel
    CaseKind kind;
    const char* names;  // its cases' names apart by spaces; null for every case of its kind
};
const std::vector<TrainerSetRow>& trainerSets();
// The indexes in lastLayerCases() of the set's cases.
std::vector<int> casesOfSet(const TrainerSetRow& set);

// `c` set up to be trained: its pieces with a random turn of the top layer before and after
// (an orientation's pieces in random places, as a solve leaves them), by `random` (each
// call a uniform 32-bit value).
solver::Cubies drawnCase(const LastLayerCase& c, const std::function<std::uint32_t()>& random);

// `moves` (the usual notation; a turn of the top before or after is allowed) take the case
// to done; false for moves that do not, or text that is no moves.
bool solvesCase(const LastLayerCase& c, const std::string& moves);

}  // namespace gyrelle
