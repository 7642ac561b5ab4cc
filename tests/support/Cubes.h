#pragma once

// Comparisons of cubes and rotations that several suites make.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "cube/MagicCube.h"
#include "math/Quaternion.h"
#include "tests/support/SlotGeometry.h"

namespace gyrelle::testing {

using Rgba = std::array<unsigned char, 4>;

inline Rgba rgbaOf(const Sticker& s) {
    return {s.rgb[0], s.rgb[1], s.rgb[2], 255};
}

inline bool sameStickers(const MagicCube& a, const MagicCube& b) {
    return std::memcmp(a.stickers().data(), b.stickers().data(), sizeof(MagicCube::Stickers)) == 0;
}

// v turned by q, through the quaternion's own rotation.
inline Vecd applied(const Quaternion& q, Vecd v) {
    const float in[3] = {float(v[0]), float(v[1]), float(v[2])};
    float out[3];
    q.rotateVector(in, out);
    return {out[0], out[1], out[2]};
}

// q turns each axis as `want` does.
template <class Want>
void expectRotation(const Quaternion& q, Want want, double tolerance = 2e-5) {
    for (Vecd v : {Vecd{1, 0, 0}, Vecd{0, 1, 0}, Vecd{0, 0, 1}}) {
        Vecd got = applied(q, v), exp = want(v);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(got[i], exp[i], tolerance) << "axis " << v[0] << v[1] << v[2];
        }
    }
}

inline void expectSameRotation(const Quaternion& a, const Quaternion& b, double tolerance = 1e-5) {
    expectRotation(
        a, [&](Vecd v) { return applied(b, v); }, tolerance);
}

inline Quaternion rotation(float x, float y, float z, float angle) {
    Quaternion q;
    const float axis[3] = {x, y, z};
    q.setAxis(axis, angle);
    return q;
}

}  // namespace gyrelle::testing
