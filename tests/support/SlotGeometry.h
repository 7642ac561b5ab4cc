#pragma once

// Where each sticker slot lies in space, from the face, column and row rule alone,
// and where a point of the cube lands on the screen. Shared by the tests; never
// derived from the code under test.
#include <array>
#include <cmath>

namespace gyrelle::testing {

using Vec = std::array<int, 3>;
using Vecd = std::array<double, 3>;

// Face slot f: outward direction, column axis, row axis.
inline const Vec kOut[6] = {{0, 0, 1}, {0, 1, 0}, {0, 0, -1}, {0, -1, 0}, {-1, 0, 0}, {1, 0, 0}};
inline const Vec kCol[6] = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 1, 0}};
inline const Vec kRow[6] = {{0, 1, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0, -1}, {0, 0, -1}, {0, 0, -1}};

inline Vec add(Vec a, Vec b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec scale(int k, Vec a) {
    return {k * a[0], k * a[1], k * a[2]};
}
inline int dot(Vec a, Vec b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

struct Place {
    Vec piece;   // grid position of the piece carrying the slot
    Vec normal;  // outward direction of the sticker
};

inline Place placeOf(int slot) {
    int f = slot / 9, col = slot % 3, row = (slot % 9) / 3;
    return {add(add(kOut[f], scale(col - 1, kCol[f])), scale(row - 1, kRow[f])), kOut[f]};
}

// The slot carried by the piece at `piece` on its side facing `normal`, or -1.
inline int slotAt(Vec piece, Vec normal) {
    for (int s = 0; s < 54; ++s) {
        if (placeOf(s).piece == piece && placeOf(s).normal == normal) {
            return s;
        }
    }
    return -1;
}

// Quarter turn by the right-hand rule about the positive axis (sign +1) or back.
inline Vec turn(Vec v, int axis, int sign) {
    Vec r = v;
    int a = (axis + 1) % 3, b = (axis + 2) % 3;  // a -> b for a positive turn
    r[a] = -sign * v[b];
    r[b] = sign * v[a];
    return r;
}

// A point on the sticker of `slot`: u, v in -1..1 span the sticker along its column
// and row axes (the sticker is 0.95 wide and sits 0.501 out from the piece centre).
inline Vecd stickerPoint(int slot, double u = 0, double v = 0) {
    Place p = placeOf(slot);
    int f = slot / 9;
    Vecd r{};
    for (int i = 0; i < 3; ++i) {
        r[i] = p.piece[i] + 0.501 * p.normal[i] + 0.475 * (u * kCol[f][i] + v * kRow[f][i]);
    }
    return r;
}

// Rotation by `angle` radians about `axis` (any length), right-handed (Rodrigues).
inline Vecd rotate(Vecd v, Vecd axis, double angle) {
    double n = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    Vecd k{axis[0] / n, axis[1] / n, axis[2] / n};
    double c = std::cos(angle), s = std::sin(angle);
    double kv = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    Vecd kxv{k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    Vecd r{};
    for (int i = 0; i < 3; ++i) {
        r[i] = v[i] * c + kxv[i] * s + k[i] * kv * (1 - c);
    }
    return r;
}

// The orientation the game starts in: 40 degrees about (1, 1, 0).
inline Vecd startOrientation(Vecd v) {
    return rotate(v, {1, 1, 0}, 0.6981311);
}

// Screen position in pixels of a point in screen space (x right, y up), in a
// picture of width x height pixels showing the box x -2.5..2.5, y -3.75..3.75.
struct Pixel {
    int column;
    int row;  // from the bottom
};

inline Pixel project(Vecd p, int width, int height) {
    return {static_cast<int>(std::floor((p[0] + 2.5) / 5.0 * width)),
            static_cast<int>(std::floor((p[1] + 3.75) / 7.5 * height))};
}

}  // namespace gyrelle::testing
