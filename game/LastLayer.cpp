#include "game/LastLayer.h"

#include <array>
#include <cstring>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"

namespace gyrelle {

namespace {

using solver::Cubies;

// The last layer's places as the definitions name them, in their order, with the
// solver's number of each place and the facelets of the position code it shows (its U
// facelet first) and the sides they face.
struct Place {
    const char* name;
    int index;
    int facelets[3];
    char sides[4];
};
constexpr Place kCorners[4] = {{"UBL", solver::ULB, {0, 36, 47}, "ULB"},
                               {"UBR", solver::UBR, {2, 11, 45}, "URB"},
                               {"UFR", solver::URF, {8, 9, 20}, "URF"},
                               {"UFL", solver::UFL, {6, 18, 38}, "UFL"}};
constexpr Place kEdges[4] = {{"UB", solver::UB, {1, 46, -1}, "UB"},
                             {"UR", solver::UR, {5, 10, -1}, "UR"},
                             {"UF", solver::UF, {7, 19, -1}, "UF"},
                             {"UL", solver::UL, {3, 37, -1}, "UL"}};

// The cases by their usual names, as the lists players learn from number and name them:
// each is the state a published algorithm for it solves, written with the top turned so
// that the fewest pieces move (permutations) or as the list shows it (orientations).
const std::vector<LastLayerCase> kCases = {
    // The permutations.
    {CaseKind::Permutation, "Aa", "UBL>UFL>UBR"},
    {CaseKind::Permutation, "Ab", "UBL>UBR>UFL"},
    {CaseKind::Permutation, "E", "UBL>UBR UFR>UFL"},
    {CaseKind::Permutation, "F", "UBL>UBR UR>UL"},
    {CaseKind::Permutation, "Ga", "UBL>UBR UB>UR>UL>UF"},
    {CaseKind::Permutation, "Gb", "UBL>UBR UB>UF>UL>UR"},
    {CaseKind::Permutation, "Gc", "UBL>UBR UB>UL>UR>UF"},
    {CaseKind::Permutation, "Gd", "UBL>UBR UB>UF>UR>UL"},
    {CaseKind::Permutation, "H", "UB>UF UR>UL"},
    {CaseKind::Permutation, "Ja", "UBL>UBR UB>UL"},
    {CaseKind::Permutation, "Jb", "UBL>UBR UB>UR"},
    {CaseKind::Permutation, "Na", "UBL>UFR UB>UF"},
    {CaseKind::Permutation, "Nb", "UBL>UFR UR>UL"},
    {CaseKind::Permutation, "Ra", "UBL>UBR UF>UL"},
    {CaseKind::Permutation, "Rb", "UBL>UBR UR>UF"},
    {CaseKind::Permutation, "T", "UBL>UBR UB>UF"},
    {CaseKind::Permutation, "Ua", "UB>UF>UL"},
    {CaseKind::Permutation, "Ub", "UB>UF>UR"},
    {CaseKind::Permutation, "V", "UBL>UFR UB>UR"},
    {CaseKind::Permutation, "Y", "UBL>UFR UB>UL"},
    {CaseKind::Permutation, "Z", "UB>UL UR>UF"},
    // The orientations.
    {CaseKind::Orientation, "1", "LRRL BRFL"},
    {CaseKind::Orientation, "2", "LBFL BRFL"},
    {CaseKind::Orientation, "3", "BRUL BRFL"},
    {CaseKind::Orientation, "4", "LURF BRFL"},
    {CaseKind::Orientation, "5", "BRUL BUUL"},
    {CaseKind::Orientation, "6", "LURF UUFL"},
    {CaseKind::Orientation, "7", "BRFU URFU"},
    {CaseKind::Orientation, "8", "LBUF UUFL"},
    {CaseKind::Orientation, "9", "LBUF URFU"},
    {CaseKind::Orientation, "10", "BUFL BRUU"},
    {CaseKind::Orientation, "11", "BUFL URFU"},
    {CaseKind::Orientation, "12", "UBRF UUFL"},
    {CaseKind::Orientation, "13", "BRFU BUFU"},
    {CaseKind::Orientation, "14", "LBUF BUFU"},
    {CaseKind::Orientation, "15", "URFL BUFU"},
    {CaseKind::Orientation, "16", "LURF BUFU"},
    {CaseKind::Orientation, "17", "URUF BRFL"},
    {CaseKind::Orientation, "18", "UUFF BRFL"},
    {CaseKind::Orientation, "19", "UURL BRFL"},
    {CaseKind::Orientation, "20", "UUUU BRFL"},
    {CaseKind::Orientation, "21", "BBFF UUUU"},
    {CaseKind::Orientation, "22", "LBFL UUUU"},
    {CaseKind::Orientation, "23", "BBUU UUUU"},
    {CaseKind::Orientation, "24", "BUUF UUUU"},
    {CaseKind::Orientation, "25", "LUFU UUUU"},
    {CaseKind::Orientation, "26", "LURF UUUU"},
    {CaseKind::Orientation, "27", "BRFU UUUU"},
    {CaseKind::Orientation, "28", "UUUU URFU"},
    {CaseKind::Orientation, "29", "BUUF URFU"},
    {CaseKind::Orientation, "30", "LRUU URFU"},
    {CaseKind::Orientation, "31", "BUUF UUFL"},
    {CaseKind::Orientation, "32", "UBFU URFU"},
    {CaseKind::Orientation, "33", "BUUF BUFU"},
    {CaseKind::Orientation, "34", "LRUU BUFU"},
    {CaseKind::Orientation, "35", "URUF BUUL"},
    {CaseKind::Orientation, "36", "UBUL UUFL"},
    {CaseKind::Orientation, "37", "URUF URFU"},
    {CaseKind::Orientation, "38", "BURU URFU"},
    {CaseKind::Orientation, "39", "BURU BUFU"},
    {CaseKind::Orientation, "40", "UBUL BUFU"},
    {CaseKind::Orientation, "41", "BBUU URFU"},
    {CaseKind::Orientation, "42", "UUFF BRUU"},
    {CaseKind::Orientation, "43", "LUUL UUFL"},
    {CaseKind::Orientation, "44", "URRU URFU"},
    {CaseKind::Orientation, "45", "LUUL BUFU"},
    {CaseKind::Orientation, "46", "URRU URUL"},
    {CaseKind::Orientation, "47", "BRRF UUFL"},
    {CaseKind::Orientation, "48", "LBFL URFU"},
    {CaseKind::Orientation, "49", "LBFL UUFL"},
    {CaseKind::Orientation, "50", "LBFL BUUL"},
    {CaseKind::Orientation, "51", "BRRF BUFU"},
    {CaseKind::Orientation, "52", "BRRF URUL"},
    {CaseKind::Orientation, "53", "BBFF UUFL"},
    {CaseKind::Orientation, "54", "BBFF URFU"},
    {CaseKind::Orientation, "55", "BBFF BUFU"},
    {CaseKind::Orientation, "56", "LRRL BUFU"},
    {CaseKind::Orientation, "57", "UUUU BUFU"},
};

const TrainerSetRow kSets[] = {
    {"pll", "PLL", CaseKind::Permutation, nullptr},
    {"oll", "OLL", CaseKind::Orientation, nullptr},
    // What two looks at the last layer learn: the edges' three shapes (here with the
    // corners up) and the seven corner cases; the corners' two cases and the edges' four.
    {"oll2", "2-look OLL", CaseKind::Orientation, "20 28 57 21 22 23 24 25 26 27"},
    {"pll2", "2-look PLL", CaseKind::Permutation, "T Y Ua Ub H Z"},
};

const Cubies& upTurn() {
    return solver::faceTurn(0);
}

bool firstTwoLayersSolved(const Cubies& c) {
    for (int i = 4; i < 8; ++i) {
        if (c.cp[i] != i || c.co[i] != 0) {
            return false;
        }
    }
    for (int i = 4; i < 12; ++i) {
        if (c.ep[i] != i || c.eo[i] != 0) {
            return false;
        }
    }
    return true;
}

// Where the top colour of each last-layer piece faces, as the orientations are written.
std::string orientationText(const Cubies& cube) {
    const std::string code = cube.code();
    std::string text;
    for (const Place* places : {kCorners, kEdges}) {
        for (int p = 0; p < 4; ++p) {
            char side = '?';
            for (int k = 0; k < 3 && places[p].facelets[k] >= 0; ++k) {
                if (code[places[p].facelets[k]] == 'U') {
                    side = places[p].sides[k];
                }
            }
            text += side;
        }
        text += ' ';
    }
    text.pop_back();
    return text;
}

std::string permutationText(const Cubies& cube) {
    std::string text;
    auto cycles = [&](const Place* places, const std::uint8_t* at) {
        bool seen[4] = {};
        for (int p = 0; p < 4; ++p) {
            if (seen[p] || at[places[p].index] == places[p].index) {
                continue;
            }
            std::string cycle = places[p].name;
            seen[p] = true;
            for (int q = p;;) {
                // The place where q's piece sits.
                int next = 0;
                while (at[places[next].index] != places[q].index) {
                    ++next;
                }
                if (next == p) {
                    break;
                }
                cycle += std::string(">") + places[next].name;
                seen[next] = true;
                q = next;
            }
            text += (text.empty() ? "" : " ") + cycle;
        }
    };
    cycles(kCorners, cube.cp);
    cycles(kEdges, cube.ep);
    return text;
}

const Place* placeNamed(std::string_view name) {
    for (const Place* places : {kCorners, kEdges}) {
        for (int p = 0; p < 4; ++p) {
            if (name == places[p].name) {
                return &places[p];
            }
        }
    }
    return nullptr;
}

Cubies ofOrientation(const char* pieces) {
    Cubies cube;
    for (int n = 0; n < 8; ++n) {
        const char side = pieces[n < 4 ? n : n + 1];
        const Place& place = n < 4 ? kCorners[n] : kEdges[n - 4];
        std::uint8_t* twist = n < 4 ? cube.co : cube.eo;
        for (int t = 0; t < (n < 4 ? 3 : 2); ++t) {
            twist[place.index] = static_cast<std::uint8_t>(t);
            if (cube.code()[place.facelets[std::strchr(place.sides, side) - place.sides]] == 'U') {
                break;
            }
        }
    }
    return cube;
}

Cubies ofPermutation(std::string_view pieces) {
    Cubies cube;
    while (!pieces.empty()) {
        const size_t end = std::min(pieces.find(' '), pieces.size());
        std::string_view cycle = pieces.substr(0, end);
        pieces.remove_prefix(std::min(end + 1, pieces.size()));
        std::vector<const Place*> places;
        while (!cycle.empty()) {
            const size_t stop = std::min(cycle.find('>'), cycle.size());
            places.push_back(placeNamed(cycle.substr(0, stop)));
            cycle.remove_prefix(std::min(stop + 1, cycle.size()));
        }
        const bool corners = places.front() >= kCorners && places.front() < kCorners + 4;
        std::uint8_t* at = corners ? cube.cp : cube.ep;
        for (size_t i = 0; i < places.size(); ++i) {
            at[places[(i + 1) % places.size()]->index] =
                static_cast<std::uint8_t>(places[i]->index);
        }
    }
    return cube;
}

Cubies turnedUp(Cubies cube, int times) {
    for (int t = 0; t < times; ++t) {
        cube = cube.times(upTurn());
    }
    return cube;
}

Cubies upFirst(const Cubies& cube, int times) {
    return turnedUp(Cubies(), times).times(cube);
}

}  // namespace

const std::vector<LastLayerCase>& lastLayerCases() {
    return kCases;
}

int caseNamed(std::string_view name) {
    for (size_t i = 0; i < kCases.size(); ++i) {
        if (name == kCases[i].name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string caseTitle(const LastLayerCase& c) {
    return c.kind == CaseKind::Permutation ? std::string(c.name) + " perm"
                                           : std::string("OLL ") + c.name;
}

Cubies caseCubies(const LastLayerCase& c) {
    return c.kind == CaseKind::Orientation ? ofOrientation(c.pieces) : ofPermutation(c.pieces);
}

std::string casePieces(const Cubies& cube, CaseKind kind) {
    return kind == CaseKind::Orientation ? orientationText(cube) : permutationText(cube);
}

bool caseDone(const Cubies& cube, CaseKind kind) {
    if (!firstTwoLayersSolved(cube)) {
        return false;
    }
    if (kind == CaseKind::Orientation) {
        return orientationText(cube) == "UUUU UUUU";
    }
    for (int b = 0; b < 4; ++b) {
        if (turnedUp(cube, b) == Cubies()) {
            return true;
        }
    }
    return false;
}

int caseOf(const Cubies& cube, CaseKind kind) {
    if (!firstTwoLayersSolved(cube) || caseDone(cube, kind)) {
        return -1;
    }
    if (kind == CaseKind::Orientation) {
        for (int b = 0; b < 4; ++b) {
            const std::string seen = orientationText(turnedUp(cube, b));
            for (size_t i = 0; i < kCases.size(); ++i) {
                if (kCases[i].kind == kind && seen == kCases[i].pieces) {
                    return static_cast<int>(i);
                }
            }
        }
        return -1;
    }
    if (orientationText(cube) != "UUUU UUUU") {
        return -1;
    }
    for (size_t i = 0; i < kCases.size(); ++i) {
        if (kCases[i].kind != kind) {
            continue;
        }
        const Cubies want = caseCubies(kCases[i]);
        for (int a = 0; a < 4; ++a) {
            for (int b = 0; b < 4; ++b) {
                if (turnedUp(upFirst(cube, a), b) == want) {
                    return static_cast<int>(i);
                }
            }
        }
    }
    return -1;
}

int caseAngle(const Cubies& cube, const LastLayerCase& c) {
    if (!firstTwoLayersSolved(cube)) {
        return -1;
    }
    const Cubies want = caseCubies(c);
    for (int t = 0; t < 4; ++t) {
        const Cubies seen = turnedUp(cube, t);
        if (c.kind == CaseKind::Orientation) {
            if (orientationText(seen) == c.pieces) {
                return t;
            }
            continue;
        }
        for (int a = 0; a < 4; ++a) {
            if (upFirst(seen, a) == want) {
                return t;
            }
        }
    }
    return -1;
}

const std::vector<TrainerSetRow>& trainerSets() {
    static const std::vector<TrainerSetRow> rows(std::begin(kSets), std::end(kSets));
    return rows;
}

std::vector<int> casesOfSet(const TrainerSetRow& set) {
    std::vector<int> found;
    for (size_t i = 0; i < kCases.size(); ++i) {
        if (kCases[i].kind != set.kind) {
            continue;
        }
        if (set.names) {
            const std::string names = std::string(" ") + set.names + " ";
            if (names.find(std::string(" ") + kCases[i].name + " ") == std::string::npos) {
                continue;
            }
        }
        found.push_back(static_cast<int>(i));
    }
    return found;
}

Cubies drawnCase(const LastLayerCase& c, const std::function<std::uint32_t()>& random) {
    Cubies cube = caseCubies(c);
    if (c.kind == CaseKind::Orientation) {
        // The pieces anywhere among themselves, as long as a cube can be so.
        int swaps = 0;
        for (std::uint8_t* at : {cube.cp, cube.ep}) {
            for (int i = 3; i > 0; --i) {
                const int j = static_cast<int>(random() % static_cast<std::uint32_t>(i + 1));
                if (j != i) {
                    std::swap(at[i], at[j]);
                    ++swaps;
                }
            }
        }
        if (swaps % 2) {
            std::swap(cube.ep[0], cube.ep[1]);
        }
    }
    const int before = static_cast<int>(random() % 4), after = static_cast<int>(random() % 4);
    return turnedUp(upFirst(cube, before), after);
}

bool solvesCase(const LastLayerCase& c, const std::string& moves) {
    const Cubies start = caseCubies(c);
    for (int a = 0; a < 4; ++a) {
        MagicCube::Stickers stickers;
        std::string problem;
        if (!stickersOfCode(turnedUp(start, a).code(), stickers, problem)) {
            return false;
        }
        MagicCube cube;
        cube.setStickers(stickers);
        if (!applyMoves(cube, moves)) {
            return false;
        }
        Cubies after;
        if (after.fromCode(positionCode(cube.stickers())) && caseDone(after, c.kind)) {
            return true;
        }
    }
    return false;
}

}  // namespace gyrelle
