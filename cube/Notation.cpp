#include "cube/Notation.h"

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

}  // namespace

int faceTurn(int face, bool prime) {
    return turn(face, kLayer[face], prime);
}

int middleTurn(int face, bool prime) {
    return turn(face, 1, prime);
}

}  // namespace gyrelle
