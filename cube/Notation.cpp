#include "cube/Notation.h"

#include "cube/MagicCube.h"

namespace gyrelle {

namespace {

// Face slots 0..5 point +z, +y, -z, -y, -x, +x: each one's axis and the layer, among its
// axis's three slices, that carries it.
constexpr int kAxis[6] = {2, 1, 2, 1, 0, 0};
constexpr int kLayer[6] = {0, 2, 2, 0, 0, 2};  // z slices run from +1 down to -1
constexpr bool kPositive[6] = {true, true, false, false, false, true};

// Clockwise seen from outside is -90 degrees about the outward normal: a negative code
// for a face toward the positive end of its axis.
int turn(int face, int layer, bool prime) {
    const int code = kAxis[face] * 3 + layer + 1;
    return (kPositive[face] != prime) ? -code : code;
}

// Places, as a player names them.
enum Place { U, R, F, D, L, B };
constexpr char kPlaceLetters[] = "URFDLB";
// The places around each one, clockwise as seen looking at it: a clockwise turn of the
// whole cube as that face moves what is in each place to the next.
constexpr int kAround[6][4] = {{F, L, B, R}, {F, U, B, D}, {U, R, D, L},
                               {F, R, B, L}, {F, D, B, U}, {U, L, D, R}};
// Where the middle slices and the whole cube's turns take their sense from: M as L, E as
// D, S as F; x as R, y as U, z as F. By the axis of the place, R/L, U/D, F/B.
constexpr int kMiddleAs[3] = {L, D, F};
constexpr char kMiddleLetter[3] = {'M', 'E', 'S'};
constexpr int kWholeAs[3] = {R, U, F};
constexpr char kWholeLetter[3] = {'x', 'y', 'z'};
constexpr int axisOfPlace(int place) {
    return place == R || place == L ? 0 : place == U || place == D ? 1 : 2;
}

int absolute(int v) {
    return v < 0 ? -v : v;
}

}  // namespace

int faceTurn(int face, bool prime) {
    return turn(face, kLayer[face], prime);
}

int middleTurn(int face, bool prime) {
    return turn(face, 1, prime);
}

int wholeCubeTurn(int face, bool prime) {
    return faceTurn(face, prime) < 0 ? -(kWholeCube + kAxis[face]) : kWholeCube + kAxis[face];
}

void Reading::turned(int place, bool prime) {
    const int* around = kAround[place];
    const int was[6] = {slotAt_[0], slotAt_[1], slotAt_[2], slotAt_[3], slotAt_[4], slotAt_[5]};
    for (int i = 0; i < 4; ++i) {
        const int from = around[i], to = around[(i + 1) % 4];
        prime ? (slotAt_[from] = was[to]) : (slotAt_[to] = was[from]);
    }
}

std::string Reading::text(int code) {
    const bool whole = isWholeCube(code);
    if (code == 0 || (!whole && absolute(code) > 9)) {
        return {};
    }
    const int axis = whole ? absolute(code) - kWholeCube : (absolute(code) - 1) / 3;
    const int layer = whole ? 1 : (absolute(code) - 1) % 3;
    // A face slot of that axis (the one of that layer, for a face), and the place it is in.
    int slot = 0;
    while (kAxis[slot] != axis || (layer != 1 && kLayer[slot] != layer)) {
        ++slot;
    }
    int place = 0;
    while (slotAt_[place] != slot) {
        ++place;
    }
    const int asSlot = whole        ? wholeCubeTurn(slot, false)
                       : layer == 1 ? middleTurn(slot, false)
                                    : faceTurn(slot, false);
    bool prime = code != asSlot;  // as that face turns, or the other way
    if (layer != 1) {
        return std::string(1, kPlaceLetters[place]) + (prime ? "'" : "");
    }
    const int placeAxis = axisOfPlace(place);
    const int as = whole ? kWholeAs[placeAxis] : kMiddleAs[placeAxis];
    prime = prime != (as != place);  // the opposite face turns the other way
    if (whole) {
        turned(as, prime);
    }
    return std::string(1, whole ? kWholeLetter[placeAxis] : kMiddleLetter[placeAxis]) +
           (prime ? "'" : "");
}

int Reading::codes(std::string_view token, int out[4]) {
    if (token.empty()) {
        return 0;
    }
    int times = 1;
    bool prime = false;
    if (token.back() == '\'') {
        prime = true;
        token.remove_suffix(1);
        if (!token.empty() && token.back() == '2') {  // R2' is R2
            token.remove_suffix(1);
            times = 2;
        }
    } else if (token.back() == '2') {
        times = 2;
        token.remove_suffix(1);
    }
    bool wide = false;
    if (token.size() == 2 && token[1] == 'w') {
        wide = true;
        token.remove_suffix(1);
    }
    if (token.size() != 1) {
        return 0;
    }
    const char c = token[0];
    auto placeOf = [](char letter) {
        for (int p = 0; p < 6; ++p) {
            if (kPlaceLetters[p] == letter) {
                return p;
            }
        }
        return -1;
    };
    int one[2] = {0, 0}, count = 0;
    int wholeAs = -1;
    if (const int p = placeOf(c); p >= 0) {
        one[count++] = faceTurn(slotAt_[p], prime);
        if (wide) {
            one[count++] = middleTurn(slotAt_[p], prime);
        }
    } else if (wide) {
        return 0;
    } else if (const int q = placeOf(static_cast<char>(c - 'a' + 'A')); c >= 'a' && q >= 0) {
        one[count++] = faceTurn(slotAt_[q], prime);  // r: R and M' together
        one[count++] = middleTurn(slotAt_[q], prime);
    } else if (c == 'M' || c == 'E' || c == 'S') {
        const int axis = c == 'M' ? 0 : c == 'E' ? 1 : 2;
        one[count++] = middleTurn(slotAt_[kMiddleAs[axis]], prime);
    } else if (c == 'x' || c == 'y' || c == 'z') {
        wholeAs = kWholeAs[c - 'x'];
    } else {
        return 0;
    }
    int n = 0;
    for (int t = 0; t < times; ++t) {
        if (wholeAs >= 0) {
            out[n++] = wholeCubeTurn(slotAt_[wholeAs], prime);
            turned(wholeAs, prime);
        } else {
            for (int i = 0; i < count; ++i) {
                out[n++] = one[i];
            }
        }
    }
    return n;
}

bool applyMoves(MagicCube& cube, std::string_view moves) {
    MagicCube turned = cube;
    Reading reading;
    int codes[4];
    bool any = false;
    for (size_t at = 0; at < moves.size();) {
        const char c = moves[at];
        if (c == ' ' || c == '(' || c == ')') {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < moves.size() && moves[end] != ' ' && moves[end] != '(' && moves[end] != ')') {
            ++end;
        }
        const int n = reading.codes(moves.substr(at, end - at), codes);
        if (n == 0) {
            return false;
        }
        for (int i = 0; i < n; ++i) {
            turned.rotateFace(codes[i]);  // a whole-cube turn only renames the faces after it
        }
        any = true;
        at = end;
    }
    if (any) {
        cube = turned;
    }
    return any;
}

}  // namespace gyrelle
