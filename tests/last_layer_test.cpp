// The last layer's cases: every last layer a solved first two layers can leave falls in
// exactly one case (the classes found here by brute force, not from the table), the names
// stand on the states published algorithms solve, a drawn case is the one asked for with
// its top turned at random, and an algorithm that does not solve its case is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "game/LastLayer.h"

namespace gyrelle {
namespace {

using solver::Cubies;

Cubies upTurns(int times) {
    Cubies c;
    for (int i = 0; i < times; ++i) {
        c = c.times(solver::faceTurn(0));
    }
    return c;
}

// Every state of the class: the top turned before and after.
std::set<std::string> classOf(const Cubies& c) {
    std::set<std::string> states;
    for (int a = 0; a < 4; ++a) {
        for (int b = 0; b < 4; ++b) {
            states.insert(upTurns(a).times(c).times(upTurns(b)).code());
        }
    }
    return states;
}

// The state `moves` leave the solved cube in, read back as pieces.
Cubies after(const std::string& moves) {
    MagicCube cube;
    EXPECT_TRUE(applyMoves(cube, moves)) << moves;
    Cubies c;
    EXPECT_TRUE(c.fromCode(positionCode(cube.stickers()))) << moves;
    return c;
}

// The algorithm backwards: the state it solves.
std::string inverse(const std::string& moves) {
    std::vector<std::string> tokens;
    for (size_t at = 0; at < moves.size();) {
        const size_t end = std::min(moves.find(' ', at), moves.size());
        std::string t = moves.substr(at, end - at);
        if (t.back() == '\'') {
            t.pop_back();
        } else if (t.back() != '2') {
            t += '\'';
        }
        tokens.push_back(t);
        at = end + 1;
    }
    std::string text;
    for (auto t = tokens.rbegin(); t != tokens.rend(); ++t) {
        text += *t + ' ';
    }
    return text;
}

TEST(LastLayerTest, ThereAre21PermutationsAnd57OrientationsEachItsOwnCase) {
    int permutations = 0, orientations = 0;
    const auto& cases = lastLayerCases();
    for (size_t i = 0; i < cases.size(); ++i) {
        (cases[i].kind == CaseKind::Permutation ? permutations : orientations) += 1;
        const Cubies c = caseCubies(cases[i]);
        EXPECT_EQ(caseOf(c, cases[i].kind), static_cast<int>(i)) << caseTitle(cases[i]);
        EXPECT_EQ(casePieces(c, cases[i].kind), cases[i].pieces) << caseTitle(cases[i]);
        EXPECT_FALSE(caseDone(c, cases[i].kind)) << caseTitle(cases[i]);
    }
    EXPECT_EQ(permutations, 21);
    EXPECT_EQ(orientations, 57);
}

// Every permutation of the last layer's pieces a cube can have (288), sorted into classes
// by turning the top before and after: 22 of them, the solved one and one for each case.
TEST(LastLayerTest, ThePermutationsCoverEveryLastLayerOnce) {
    std::map<std::string, int> classOfState;
    int classes = 0;
    std::array<int, 4> corners = {0, 1, 2, 3}, edges;
    int states = 0;
    do {
        edges = {0, 1, 2, 3};
        do {
            Cubies c;
            for (int i = 0; i < 4; ++i) {
                c.cp[i] = static_cast<std::uint8_t>(corners[i]);
                c.ep[i] = static_cast<std::uint8_t>(edges[i]);
            }
            Cubies check;
            if (!check.fromCode(c.code())) {
                continue;  // the other parity: no cube is so
            }
            ++states;
            if (!classOfState.count(c.code())) {
                for (const std::string& s : classOf(c)) {
                    classOfState[s] = classes;
                }
                ++classes;
            }
            const int found = caseOf(c, CaseKind::Permutation);
            EXPECT_EQ(found < 0, classOfState[c.code()] == classOfState[Cubies().code()]);
        } while (std::next_permutation(edges.begin(), edges.end()));
    } while (std::next_permutation(corners.begin(), corners.end()));
    EXPECT_EQ(states, 288);
    EXPECT_EQ(classes, 22);
    std::set<int> seen;
    for (const LastLayerCase& c : lastLayerCases()) {
        if (c.kind == CaseKind::Permutation) {
            EXPECT_TRUE(seen.insert(classOfState.at(caseCubies(c).code())).second) << c.name;
        }
    }
    EXPECT_EQ(seen.size(), 21u);
    EXPECT_FALSE(seen.count(classOfState[Cubies().code()]));
}

// Every orientation (27 corner twists by 8 edge flips), classes by the top's turn: 58.
TEST(LastLayerTest, TheOrientationsCoverEveryLastLayerOnce) {
    std::map<std::string, int> classOfPattern;
    int classes = 0, states = 0;
    for (int twists = 0; twists < 81; ++twists) {
        for (int flips = 0; flips < 16; ++flips) {
            Cubies c;
            int t = twists, sumT = 0, sumF = 0;
            for (int i = 0; i < 4; ++i, t /= 3) {
                c.co[i] = static_cast<std::uint8_t>(t % 3);
                c.eo[i] = static_cast<std::uint8_t>(flips >> i & 1);
                sumT += t % 3;
                sumF += flips >> i & 1;
            }
            if (sumT % 3 || sumF % 2) {
                continue;
            }
            ++states;
            const std::string pattern = casePieces(c, CaseKind::Orientation);
            if (!classOfPattern.count(pattern)) {
                for (int b = 0; b < 4; ++b) {
                    classOfPattern[casePieces(c.times(upTurns(b)), CaseKind::Orientation)] =
                        classes;
                }
                ++classes;
            }
            EXPECT_EQ(caseOf(c, CaseKind::Orientation) < 0, pattern == "UUUU UUUU") << pattern;
        }
    }
    EXPECT_EQ(states, 216);
    EXPECT_EQ(classes, 58);
    std::set<int> seen;
    for (const LastLayerCase& c : lastLayerCases()) {
        if (c.kind == CaseKind::Orientation) {
            EXPECT_TRUE(seen.insert(classOfPattern.at(c.pieces)).second) << c.name;
        }
    }
    EXPECT_EQ(seen.size(), 57u);
    EXPECT_FALSE(seen.count(classOfPattern["UUUU UUUU"]));
}

// Published algorithms, applied backwards, make the state their case is named for. These
// are not the algorithms the table was written from where another was to be had.
TEST(LastLayerTest, NamesStandOnThePublishedCases) {
    const std::pair<const char*, const char*> permutations[] = {
        {"Ua", "R U' R U R U R U' R' U' R2"},
        {"Ub", "R2 U R U R' U' R' U' R' U R'"},
        {"H", "M2 U M2 U2 M2 U M2"},
        {"T", "R U R' U' R' F R2 U' R' U' R U R' F'"},
        {"Jb", "R U R' F' R U R' U' R' F R2 U' R'"},
        {"Aa", "x R' U R' D2 R U' R' D2 R2 x'"},
        {"Y", "F R U' R' U' R U R' F' R U R' U' R' F R F'"},
        {"Ra", "R U' R' U' R U R D R' U' R D' R' U2 R'"},
    };
    for (const auto& [name, moves] : permutations) {
        const int found = caseOf(after(inverse(moves)), CaseKind::Permutation);
        ASSERT_GE(found, 0) << name;
        EXPECT_STREQ(lastLayerCases()[found].name, name);
    }
    const std::pair<const char*, const char*> orientations[] = {
        {"27", "R U R' U R U2 R'"},
        {"26", "R U2 R' U' R U' R'"},
        {"21", "R' U' R U' R' U R U' R' U2 R"},
        {"22", "R U2 R2 U' R2 U' R2 U2 R"},
        {"23", "R2 D R' U2 R D' R' U2 R'"},
        {"25", "F R' F' Rw U R U' Rw'"},
        {"24", "Rw U R' U' Rw' F R F'"},
        {"6", "Rw U2 R' U' R U' Rw'"},
        {"7", "Rw U R' U R U2 Rw'"},
        {"28", "Lw U L' U' M' U L U' L'"},
        {"33", "R U R' U' R' F R F'"},
        {"37", "F R' F' R U R U' R'"},
        {"43", "R' U' F R' F' R U R"},
        {"44", "F U R U' R' F'"},
        {"45", "F R U R' U' F'"},
        {"46", "R' U' R' F R F' U R"},
    };
    for (const auto& [name, moves] : orientations) {
        const int found = caseOf(after(inverse(moves)), CaseKind::Orientation);
        ASSERT_GE(found, 0) << name;
        EXPECT_STREQ(lastLayerCases()[found].name, name);
    }
}

TEST(LastLayerTest, SetsHoldTheirCases) {
    std::map<std::string, size_t> sizes;
    for (const TrainerSetRow& set : trainerSets()) {
        for (int i : casesOfSet(set)) {
            EXPECT_EQ(lastLayerCases()[i].kind, set.kind) << set.key;
        }
        sizes[set.key] = casesOfSet(set).size();
    }
    EXPECT_EQ(sizes["pll"], 21u);
    EXPECT_EQ(sizes["oll"], 57u);
    EXPECT_EQ(sizes["oll2"], 10u);
    EXPECT_EQ(sizes["pll2"], 6u);
}

// Over many draws each case comes out as itself, in every state of its class: the top
// turned at random before and after, an orientation's pieces anywhere.
TEST(LastLayerTest, ADrawnCaseIsTheCaseWithItsTopTurnedAtRandom) {
    std::mt19937 generator(31);
    auto random = [&] { return static_cast<std::uint32_t>(generator()); };
    for (const char* name : {"T", "H", "Gc", "E"}) {
        const LastLayerCase& c = lastLayerCases()[caseNamed(name)];
        const std::set<std::string> all = classOf(caseCubies(c));
        std::set<std::string> drawn;
        for (int i = 0; i < 400; ++i) {
            const Cubies d = drawnCase(c, random);
            EXPECT_EQ(caseOf(d, CaseKind::Permutation), caseNamed(name));
            drawn.insert(d.code());
        }
        EXPECT_EQ(drawn, all) << name;  // every one of them, and only they
    }
    const int sune = caseNamed("27");
    std::set<std::string> patterns, places;
    for (int i = 0; i < 4000; ++i) {
        const Cubies d = drawnCase(lastLayerCases()[sune], random);
        EXPECT_EQ(caseOf(d, CaseKind::Orientation), sune);
        patterns.insert(casePieces(d, CaseKind::Orientation));
        Cubies placesOnly = d;
        std::fill(placesOnly.co, placesOnly.co + 8, 0);
        std::fill(placesOnly.eo, placesOnly.eo + 12, 0);
        places.insert(placesOnly.code());
    }
    EXPECT_EQ(patterns.size(), 4u);  // the Sune seen from each side
    EXPECT_EQ(places.size(), 288u);  // its pieces in every order a cube allows
}

TEST(LastLayerTest, AnAlgorithmIsTakenOnlyWhenItSolvesItsCase) {
    const LastLayerCase& t = lastLayerCases()[caseNamed("T")];
    const std::string tPerm = "R U R' U' R' F R2 U' R' U' R U R' F'";
    EXPECT_TRUE(solvesCase(t, tPerm));
    EXPECT_TRUE(solvesCase(t, "U " + tPerm + " U'"));  // seen from another side
    EXPECT_TRUE(solvesCase(t, "(R U R' U') (R' F R2 U' R') U' (R U R' F')"));
    EXPECT_FALSE(solvesCase(t, "R U' R U R U R U' R' U' R2"));         // the Ua's
    EXPECT_FALSE(solvesCase(t, "R U R' U' R' F R2 U' R' U' R U R'"));  // one turn short
    EXPECT_FALSE(solvesCase(t, ""));
    EXPECT_FALSE(solvesCase(t, "R U Q"));
    const LastLayerCase& sune = lastLayerCases()[caseNamed("27")];
    EXPECT_TRUE(solvesCase(sune, "R U R' U R U2 R'"));
    EXPECT_TRUE(solvesCase(sune, "y' L' U2 L U L' U L"));  // the other hand's
    EXPECT_FALSE(solvesCase(sune, "R U2 R' U' R U' R'"));  // the anti-Sune's
}

TEST(LastLayerTest, DoneIsOrientedForAnOrientationAndSolvedForAPermutation) {
    const Cubies ua = after(inverse("R U' R U R U R U' R' U' R2"));
    EXPECT_TRUE(caseDone(ua, CaseKind::Orientation));
    EXPECT_FALSE(caseDone(ua, CaseKind::Permutation));
    EXPECT_TRUE(caseDone(upTurns(1), CaseKind::Permutation));        // a turn of the top is done
    EXPECT_FALSE(caseDone(after("R U R'"), CaseKind::Orientation));  // the first layers not
    EXPECT_EQ(caseOf(after("R U R'"), CaseKind::Orientation), -1);
}

}  // namespace
}  // namespace gyrelle
