#include "solver/Cubies.h"

#include <array>
#include <cstring>

namespace gyrelle::solver {

namespace {

// Facelets of the position code: U 0..8, R 9..17, F 18..26, D 27..35, L 36..44, B 45..53,
// each face row by row as seen from outside it.
enum : int { U = 0, R = 9, F = 18, D = 27, L = 36, B = 45 };

// The facelets of each corner place, its U or D facelet first, then the others clockwise
// as seen looking at the corner from outside; and the faces of each corner piece alike.
constexpr int kCornerFacelet[8][3] = {
    {U + 8, R + 0, F + 2}, {U + 6, F + 0, L + 2}, {U + 0, L + 0, B + 2}, {U + 2, B + 0, R + 2},
    {D + 2, F + 8, R + 6}, {D + 0, L + 8, F + 6}, {D + 6, B + 8, L + 6}, {D + 8, R + 8, B + 6}};
constexpr char kCornerFaces[8][4] = {"URF", "UFL", "ULB", "UBR", "DFR", "DLF", "DBL", "DRB"};
// The facelets of each edge place, its U or D facelet first (F or B for the middle layer).
constexpr int kEdgeFacelet[12][2] = {
    {U + 5, R + 1}, {U + 7, F + 1}, {U + 3, L + 1}, {U + 1, B + 1}, {D + 5, R + 7}, {D + 1, F + 7},
    {D + 3, L + 7}, {D + 7, B + 7}, {F + 5, R + 3}, {F + 3, L + 5}, {B + 5, L + 3}, {B + 3, R + 5}};
constexpr char kEdgeFaces[12][3] = {"UR", "UF", "UL", "UB", "DR", "DF",
                                    "DL", "DB", "FR", "FL", "BL", "BR"};

constexpr int kFactorial[9] = {1, 1, 2, 6, 24, 120, 720, 5040, 40320};

// The rank of the order of `n` distinct values in 0..n-1 (0 for rising).
int rankOf(const int* values, int n) {
    int rank = 0;
    for (int i = 0; i < n; ++i) {
        int smaller = 0;
        for (int j = i + 1; j < n; ++j) {
            smaller += values[j] < values[i];
        }
        rank += smaller * kFactorial[n - 1 - i];
    }
    return rank;
}

// The order of rank `rank` of the values 0..n-1.
void orderOf(int rank, int n, int* values) {
    bool used[12] = {};
    for (int i = 0; i < n; ++i) {
        int smaller = rank / kFactorial[n - 1 - i];
        rank %= kFactorial[n - 1 - i];
        for (int v = 0; v < n; ++v) {
            if (!used[v] && smaller-- == 0) {
                values[i] = v;
                used[v] = true;
                break;
            }
        }
    }
}

// The six face turns a quarter clockwise: where each place takes its piece from, and the
// twist or flip the turn gives it.
const std::array<Cubies, kFaceTurns>& allTurns() {
    static const std::array<Cubies, kFaceTurns> turns = [] {
        const Cubies quarter[6] = {
            Cubies::of({UBR, URF, UFL, ULB, DFR, DLF, DBL, DRB}, {0, 0, 0, 0, 0, 0, 0, 0},
                       {UB, UR, UF, UL, DR, DF, DL, DB, FR, FL, BL, BR}, {}),  // U
            Cubies::of({DFR, UFL, ULB, URF, DRB, DLF, DBL, UBR}, {2, 0, 0, 1, 1, 0, 0, 2},
                       {FR, UF, UL, UB, BR, DF, DL, DB, DR, FL, BL, UR}, {}),  // R
            Cubies::of({UFL, DLF, ULB, UBR, URF, DFR, DBL, DRB}, {1, 2, 0, 0, 2, 1, 0, 0},
                       {UR, FL, UL, UB, DR, FR, DL, DB, UF, DF, BL, BR},
                       {0, 1, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0}),  // F
            Cubies::of({URF, UFL, ULB, UBR, DLF, DBL, DRB, DFR}, {0, 0, 0, 0, 0, 0, 0, 0},
                       {UR, UF, UL, UB, DF, DL, DB, DR, FR, FL, BL, BR}, {}),  // D
            Cubies::of({URF, ULB, DBL, UBR, DFR, UFL, DLF, DRB}, {0, 1, 2, 0, 0, 2, 1, 0},
                       {UR, UF, BL, UB, DR, DF, FL, DB, FR, UL, DL, BR}, {}),  // L
            Cubies::of({URF, UFL, UBR, DRB, DFR, DLF, ULB, DBL}, {0, 0, 1, 2, 0, 0, 2, 1},
                       {UR, UF, UL, BR, DR, DF, DL, BL, FR, FL, UB, DB},
                       {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 1}),  // B
        };
        std::array<Cubies, kFaceTurns> t;
        for (int face = 0; face < 6; ++face) {
            Cubies c;
            for (int power = 0; power < 3; ++power) {
                c = c.times(quarter[face]);
                t[3 * face + power] = c;
            }
        }
        return t;
    }();
    return turns;
}

}  // namespace

Cubies::Cubies() {
    for (int i = 0; i < 8; ++i) {
        cp[i] = static_cast<std::uint8_t>(i);
        co[i] = 0;
    }
    for (int i = 0; i < 12; ++i) {
        ep[i] = static_cast<std::uint8_t>(i);
        eo[i] = 0;
    }
}

Cubies Cubies::of(const std::array<int, 8>& cp, const std::array<int, 8>& co,
                  const std::array<int, 12>& ep, const std::array<int, 12>& eo) {
    Cubies c;
    for (int i = 0; i < 8; ++i) {
        c.cp[i] = static_cast<std::uint8_t>(cp[i]);
        c.co[i] = static_cast<std::uint8_t>(co[i]);
    }
    for (int i = 0; i < 12; ++i) {
        c.ep[i] = static_cast<std::uint8_t>(ep[i]);
        c.eo[i] = static_cast<std::uint8_t>(eo[i]);
    }
    return c;
}

Cubies Cubies::times(const Cubies& b) const {
    Cubies c;
    for (int i = 0; i < 8; ++i) {
        c.cp[i] = cp[b.cp[i]];
        c.co[i] = static_cast<std::uint8_t>((co[b.cp[i]] + b.co[i]) % 3);
    }
    for (int i = 0; i < 12; ++i) {
        c.ep[i] = ep[b.ep[i]];
        c.eo[i] = static_cast<std::uint8_t>((eo[b.ep[i]] + b.eo[i]) % 2);
    }
    return c;
}

Cubies Cubies::inverse() const {
    Cubies c;
    for (int i = 0; i < 8; ++i) {
        c.cp[cp[i]] = static_cast<std::uint8_t>(i);
        c.co[cp[i]] = static_cast<std::uint8_t>((3 - co[i]) % 3);
    }
    for (int i = 0; i < 12; ++i) {
        c.ep[ep[i]] = static_cast<std::uint8_t>(i);
        c.eo[ep[i]] = eo[i];
    }
    return c;
}

bool Cubies::operator==(const Cubies& o) const {
    for (int i = 0; i < 8; ++i) {
        if (cp[i] != o.cp[i] || co[i] != o.co[i]) {
            return false;
        }
    }
    for (int i = 0; i < 12; ++i) {
        if (ep[i] != o.ep[i] || eo[i] != o.eo[i]) {
            return false;
        }
    }
    return true;
}

bool Cubies::fromCode(const std::string& code) {
    if (code.size() != 54) {
        return false;
    }
    bool cornerSeen[8] = {}, edgeSeen[12] = {};
    for (int i = 0; i < 8; ++i) {
        int twist = 0;
        while (twist < 3 && code[kCornerFacelet[i][twist]] != 'U' &&
               code[kCornerFacelet[i][twist]] != 'D') {
            ++twist;
        }
        if (twist == 3) {
            return false;
        }
        const char first = code[kCornerFacelet[i][(twist + 1) % 3]];
        const char second = code[kCornerFacelet[i][(twist + 2) % 3]];
        int piece = 0;
        while (piece < 8 &&
               !(kCornerFaces[piece][1] == first && kCornerFaces[piece][2] == second)) {
            ++piece;
        }
        if (piece == 8 || cornerSeen[piece] ||
            code[kCornerFacelet[i][twist]] != kCornerFaces[piece][0]) {
            return false;
        }
        cornerSeen[piece] = true;
        cp[i] = static_cast<std::uint8_t>(piece);
        co[i] = static_cast<std::uint8_t>(twist);
    }
    for (int i = 0; i < 12; ++i) {
        const char a = code[kEdgeFacelet[i][0]], b = code[kEdgeFacelet[i][1]];
        int piece = 0, flipped = 0;
        for (; piece < 12; ++piece) {
            if (kEdgeFaces[piece][0] == a && kEdgeFaces[piece][1] == b) {
                break;
            }
            if (kEdgeFaces[piece][0] == b && kEdgeFaces[piece][1] == a) {
                flipped = 1;
                break;
            }
        }
        if (piece == 12 || edgeSeen[piece]) {
            return false;
        }
        edgeSeen[piece] = true;
        ep[i] = static_cast<std::uint8_t>(piece);
        eo[i] = static_cast<std::uint8_t>(flipped);
    }
    int twists = 0, flips = 0, cornerOrder[8], edgeOrder[12];
    for (int i = 0; i < 8; ++i) {
        twists += co[i];
        cornerOrder[i] = cp[i];
    }
    for (int i = 0; i < 12; ++i) {
        flips += eo[i];
        edgeOrder[i] = ep[i];
    }
    auto parity = [](const int* values, int n) {
        int p = 0;
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n; ++j) {
                p ^= values[j] < values[i];
            }
        }
        return p;
    };
    return twists % 3 == 0 && flips % 2 == 0 && parity(cornerOrder, 8) == parity(edgeOrder, 12);
}

std::string Cubies::code() const {
    std::string text(54, '?');
    for (int f = 0; f < 6; ++f) {
        text[9 * f + 4] = "URFDLB"[f];
    }
    for (int i = 0; i < 8; ++i) {
        for (int k = 0; k < 3; ++k) {
            text[kCornerFacelet[i][(k + co[i]) % 3]] = kCornerFaces[cp[i]][k];
        }
    }
    for (int i = 0; i < 12; ++i) {
        for (int k = 0; k < 2; ++k) {
            text[kEdgeFacelet[i][(k + eo[i]) % 2]] = kEdgeFaces[ep[i]][k];
        }
    }
    return text;
}

int Cubies::twist() const {
    int t = 0;
    for (int i = 0; i < 7; ++i) {
        t = 3 * t + co[i];
    }
    return t;
}

void Cubies::setTwist(int value) {
    int sum = 0;
    for (int i = 6; i >= 0; --i) {
        co[i] = static_cast<std::uint8_t>(value % 3);
        sum += co[i];
        value /= 3;
    }
    co[7] = static_cast<std::uint8_t>((3 - sum % 3) % 3);
}

int Cubies::flip() const {
    int f = 0;
    for (int i = 0; i < 11; ++i) {
        f = 2 * f + eo[i];
    }
    return f;
}

void Cubies::setFlip(int value) {
    int sum = 0;
    for (int i = 10; i >= 0; --i) {
        eo[i] = static_cast<std::uint8_t>(value % 2);
        sum += eo[i];
        value /= 2;
    }
    eo[11] = static_cast<std::uint8_t>(sum % 2);
}

// The places of the middle-layer edges (FR FL BL BR, 8..11) counted from the last place
// back, in the combinatorial number system: their home places are 0. The order of the
// edges in those places, from the first place on, is the rest: 0 when they are in order.
int Cubies::sliceSorted() const {
    int comb = 0, found = 0, order[4];
    for (int j = 11; j >= 0; --j) {
        if (ep[j] >= 8) {
            order[3 - found] = ep[j] - 8;
            ++found;
            comb += choose(11 - j, found);
        }
    }
    return comb * 24 + rankOf(order, 4);
}

int Cubies::slice() const {
    return sliceSorted() / 24;
}

void Cubies::setSliceSorted(int value) {
    int order[4];
    orderOf(value % 24, 4, order);
    int comb = value / 24;
    bool middle[12] = {};
    for (int k = 4; k >= 1; --k) {
        int q = k - 1;
        while (choose(q + 1, k) <= comb) {
            ++q;
        }
        comb -= choose(q, k);
        middle[11 - q] = true;
        ep[11 - q] = static_cast<std::uint8_t>(8 + order[4 - k]);
    }
    int other = 0;
    for (int j = 0; j < 12; ++j) {
        if (!middle[j]) {
            ep[j] = static_cast<std::uint8_t>(other++);
        }
    }
}

int Cubies::cornerPerm() const {
    int values[8];
    for (int i = 0; i < 8; ++i) {
        values[i] = cp[i];
    }
    return rankOf(values, 8);
}

void Cubies::setCornerPerm(int value) {
    int values[8];
    orderOf(value, 8, values);
    for (int i = 0; i < 8; ++i) {
        cp[i] = static_cast<std::uint8_t>(values[i]);
    }
}

int Cubies::udEdgePerm() const {
    int values[8];
    for (int i = 0; i < 8; ++i) {
        values[i] = ep[i];
    }
    return rankOf(values, 8);
}

void Cubies::setUdEdgePerm(int value) {
    int values[8];
    orderOf(value, 8, values);
    for (int i = 0; i < 8; ++i) {
        ep[i] = static_cast<std::uint8_t>(values[i]);
    }
}

const Cubies& faceTurn(int turn) {
    return allTurns()[turn];
}

std::string turnName(int turn) {
    static const char* const kPower[3] = {"", "2", "'"};
    return std::string(1, "URFDLB"[turn / 3]) + kPower[turn % 3];
}

}  // namespace gyrelle::solver
