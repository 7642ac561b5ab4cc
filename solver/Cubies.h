#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace gyrelle::solver {

// The cube as its pieces: which corner and edge sits in each place, and how it is turned.
// Places and pieces are numbered alike:
//   corners URF UFL ULB UBR DFR DLF DBL DRB   (0..7)
//   edges   UR UF UL UB DR DF DL DB FR FL BL BR   (0..11)
// A corner's twist counts its U or D facelet's turns clockwise from the place's U or D
// side (0..2); an edge's flip is 1 when its first facelet (U/D, else F/B) is not on the
// place's first side.
enum Corner { URF, UFL, ULB, UBR, DFR, DLF, DBL, DRB };
enum Edge { UR, UF, UL, UB, DR, DF, DL, DB, FR, FL, BL, BR };

struct Cubies {
    std::uint8_t cp[8], co[8], ep[12], eo[12];

    // The solved cube.
    Cubies();
    // The cube whose places take their pieces from `cp` and `ep`, turned by `co` and `eo`.
    static Cubies of(const std::array<int, 8>& cp, const std::array<int, 8>& co,
                     const std::array<int, 12>& ep, const std::array<int, 12>& eo);
    // The cube after `b` is applied to this one: places are taken from this cube as b moves
    // them.
    Cubies times(const Cubies& b) const;
    // The same for one kind of piece only, in place: the corners, or the edges (inline:
    // the tables are built on them).
    void cornersTimes(const Cubies& b) {
        std::uint8_t p[8], o[8];
        for (int i = 0; i < 8; ++i) {
            p[i] = cp[b.cp[i]];
            o[i] = static_cast<std::uint8_t>((co[b.cp[i]] + b.co[i]) % 3);
        }
        std::memcpy(cp, p, 8);
        std::memcpy(co, o, 8);
    }
    void edgesTimes(const Cubies& b) {
        std::uint8_t p[12], o[12];
        for (int i = 0; i < 12; ++i) {
            p[i] = ep[b.ep[i]];
            o[i] = static_cast<std::uint8_t>((eo[b.ep[i]] + b.eo[i]) % 2);
        }
        std::memcpy(ep, p, 12);
        std::memcpy(eo, o, 12);
    }
    // The inverse: this cube times it is solved.
    Cubies inverse() const;
    bool operator==(const Cubies& other) const;

    // From the 54-letter position code (U R F D L B faces, each row by row as cube solvers
    // read them); false for a code that names no reachable position.
    bool fromCode(const std::string& code);
    std::string code() const;

    // Coordinates, as the two-phase method counts them:
    int twist() const;        // corner twists, 0..2186
    int flip() const;         // edge flips, 0..2047
    int slice() const;        // the places of the four middle-layer edges, 0..494 (0 home)
    int sliceSorted() const;  // those places and the order of the edges in them, 0..11879
    int cornerPerm() const;   // 0..40319
    int udEdgePerm() const;   // the eight U and D edges, when they lie in U and D, 0..40319
    void setTwist(int value);
    void setFlip(int value);
    void setSliceSorted(int value);  // the other edges take the other places, in order
    void setCornerPerm(int value);
    void setUdEdgePerm(int value);  // the middle-layer edges stay where they are
};

// n things chosen k at a time (0 when k is out of 0..n).
constexpr int choose(int n, int k) {
    if (k < 0 || k > n) {
        return 0;
    }
    int c = 1;
    for (int i = 0; i < k; ++i) {
        c = c * (n - i) / (i + 1);
    }
    return c;
}

// The 18 face turns: face * 3 + power - 1, faces U R F D L B (0..5), power 1 (a quarter
// turn clockwise as seen looking at that face), 2 (a half turn), 3 (counter-clockwise).
constexpr int kFaceTurns = 18;
const Cubies& faceTurn(int turn);
// "R", "U2", "F'".
std::string turnName(int turn);

}  // namespace gyrelle::solver
