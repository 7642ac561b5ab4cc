#include "solver/Symmetry.h"

#include <array>
#include <cstdlib>

namespace gyrelle::solver::symmetry {

namespace {

// Where each place takes its piece from. A turn of the whole cube keeps the U-D side of a
// corner on U or D: no corner is twisted.
Cubies moved(const std::array<int, 8>& cp, const std::array<int, 12>& ep,
             const std::array<int, 12>& eo) {
    return Cubies::of(cp, {}, ep, eo);
}

struct All {
    Cubies cube[kCount];
    int times[kCount][kCount];
    int inverse[kCount];
    int turn[kCount][kFaceTurns];
};

const All& all() {
    static const All a = [] {
        All a;
        // As U: the front goes to the left. The middle-layer edges' F or B facelets go to
        // R or L: they are flipped.
        const Cubies quarter = moved({UBR, URF, UFL, ULB, DRB, DFR, DLF, DBL},
                                     {UB, UR, UF, UL, DB, DR, DF, DL, BR, FR, FL, BL},
                                     {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1});
        // As F2: U and D change places, and R and L.
        const Cubies half = moved({DLF, DFR, DRB, DBL, UFL, URF, UBR, ULB},
                                  {DL, DF, DR, DB, UL, UF, UR, UB, FL, FR, BR, BL}, {});
        for (int s = 0; s < kCount; ++s) {
            Cubies c = s >= 4 ? half : Cubies();
            for (int b = 0; b < s % 4; ++b) {
                c = c.times(quarter);
            }
            a.cube[s] = c;
        }
        auto find = [&](const Cubies& c) {
            for (int s = 0; s < kCount; ++s) {
                if (a.cube[s] == c) {
                    return s;
                }
            }
            std::abort();  // the eight are a group: this cannot be
        };
        for (int s = 0; s < kCount; ++s) {
            for (int r = 0; r < kCount; ++r) {
                a.times[s][r] = find(a.cube[s].times(a.cube[r]));
            }
            a.inverse[s] = find(a.cube[s].inverse());
        }
        for (int s = 0; s < kCount; ++s) {
            const Cubies back = a.cube[s].inverse();
            for (int t = 0; t < kFaceTurns; ++t) {
                const Cubies seen = a.cube[s].times(faceTurn(t)).times(back);
                a.turn[s][t] = -1;
                for (int u = 0; u < kFaceTurns; ++u) {
                    if (faceTurn(u) == seen) {
                        a.turn[s][t] = u;
                    }
                }
                if (a.turn[s][t] < 0) {
                    std::abort();  // the cubes of the symmetries are wrong
                }
            }
        }
        return a;
    }();
    return a;
}

}  // namespace

const Cubies& cube(int s) {
    return all().cube[s];
}

int times(int a, int b) {
    return all().times[a][b];
}

int inverse(int s) {
    return all().inverse[s];
}

int turn(int s, int t) {
    return all().turn[s][t];
}

}  // namespace gyrelle::solver::symmetry
