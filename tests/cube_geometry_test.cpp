// Checks the cube's tables against the geometry they describe: every sticker slot
// is placed in space from its face, column and row, and turns are checked as real
// quarter rotations of that space. No table is copied here.
#include <gtest/gtest.h>

#include <cstring>

#include "cube/MagicCube.h"
#include "cube/Tables.h"
#include "tests/support/SlotGeometry.h"

namespace {

using gyrelle::MagicCube;
using gyrelle::Sticker;
using namespace gyrelle::testing;

Vec cross(Vec a, Vec b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// A slice code's axis (0 = x), layer and sense of rotation.
struct Slice {
    int axis;
    int layer;
    int sign;
};

Slice sliceOf(int code) {
    int i = (code < 0 ? -code : code) - 1;
    int axis = i / 3;
    int layer = axis < 2 ? i % 3 - 1 : 1 - i % 3;  // z slices run from +1 down to -1
    return {axis, layer, code > 0 ? 1 : -1};
}

Vec unit(int axis) {
    Vec e{0, 0, 0};
    e[axis] = 1;
    return e;
}

TEST(CubeGeometry, EveryPieceShowsEachSlotOnTheFacePointingItsWay) {
    MagicCube cube;
    int seen[54] = {};
    for (const auto& v : cube.voxlets()) {
        Vec at{v.xyz[0], v.xyz[1], v.xyz[2]};
        for (int d = 0; d < 6; ++d) {
            int s = v.faces[d];
            if (s < 0) {
                EXPECT_NE(dot(at, kOut[d]), 1) << "outward side left bare";
                continue;
            }
            ASSERT_LT(s, 54);
            ++seen[s];
            EXPECT_EQ(placeOf(s).piece, at) << "slot " << s;
            EXPECT_EQ(placeOf(s).normal, kOut[d]) << "slot " << s;
        }
    }
    for (int s = 0; s < 54; ++s) {
        EXPECT_EQ(seen[s], 1) << "slot " << s;
    }
}

// Every one of the 18 quarter turns carries each sticker of its slice to where a
// real 90-degree rotation of that slice carries it, and leaves the rest alone.
TEST(CubeGeometry, EveryTurnIsARotationOfItsSlice) {
    for (int code = -9; code <= 9; ++code) {
        if (code == 0) {
            continue;
        }
        MagicCube cube;
        MagicCube before = cube;
        cube.rotateFace(code);
        Slice sl = sliceOf(code);
        int moved = 0;
        for (int s = 0; s < 54; ++s) {
            Place p = placeOf(s);
            int dest = s;
            if (p.piece[sl.axis] == sl.layer) {
                dest = slotAt(turn(p.piece, sl.axis, sl.sign), turn(p.normal, sl.axis, sl.sign));
                moved += dest != s;
            }
            ASSERT_GE(dest, 0);
            EXPECT_EQ(0,
                      std::memcmp(&cube.stickers()[dest], &before.stickers()[s], sizeof(Sticker)))
                << "code " << code << " slot " << s << " -> " << dest;
        }
        EXPECT_EQ(moved, sl.layer == 0 ? 12 : 20) << "code " << code;
    }
}

// Each entry of moves names the slot one step away in its direction (across the edge
// onto the next face when the step leaves the face), and a code whose slice holds both
// slots and moves the start sticker towards that step.
TEST(CubeGeometry, MovesNameTheNeighbourAndTheTurnTowardsIt) {
    for (int s = 0; s < 54; ++s) {
        Place p = placeOf(s);
        int f = s / 9;
        const Vec steps[4] = {kCol[f], scale(-1, kCol[f]), kRow[f], scale(-1, kRow[f])};
        for (int d = 0; d < 4; ++d) {
            Vec next = add(p.piece, steps[d]);
            bool onFace = next[0] >= -1 && next[0] <= 1 && next[1] >= -1 && next[1] <= 1 &&
                          next[2] >= -1 && next[2] <= 1;
            int neighbour = onFace ? slotAt(next, p.normal) : slotAt(p.piece, steps[d]);
            EXPECT_EQ(gyrelle::moves[s][d][0], neighbour) << "slot " << s << " direction " << d;

            int code = gyrelle::moves[s][d][1];
            ASSERT_TRUE(code != 0 && code >= -9 && code <= 9);
            Slice sl = sliceOf(code);
            EXPECT_EQ(p.piece[sl.axis], sl.layer) << "slot " << s << " not in slice " << code;
            EXPECT_EQ(placeOf(neighbour).piece[sl.axis], sl.layer)
                << "neighbour of " << s << " not in slice " << code;
            // Velocity of the sticker's centre (doubled to stay integral) under the turn.
            Vec centre = add(scale(2, p.piece), p.normal);
            Vec velocity = cross(scale(sl.sign, unit(sl.axis)), centre);
            EXPECT_GT(dot(velocity, steps[d]), 0) << "slot " << s << " direction " << d;
        }
    }
}

// The drawn animation turns exactly the pieces of the slice about the slice's axis.
TEST(CubeGeometry, AnimatedSliceSelectsItsLayer) {
    MagicCube cube;
    for (int i = 0; i < 9; ++i) {
        Slice sl = sliceOf(i + 1);
        const int* row = gyrelle::animatedVoxlets[i];
        int members = 0;
        for (const auto& v : cube.voxlets()) {
            bool in = v.xyz[0] == row[0] || v.xyz[1] == row[1] || v.xyz[2] == row[2];
            EXPECT_EQ(in, v.xyz[sl.axis] == sl.layer) << "slice " << i;
            members += in;
        }
        EXPECT_EQ(members, 9);
        const int* axis = gyrelle::animatedAxisAngle[i / 3];
        EXPECT_EQ((Vec{axis[0], axis[1], axis[2]}), unit(sl.axis));
    }
}

}  // namespace
