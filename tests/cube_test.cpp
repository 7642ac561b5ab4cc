// Concrete behaviour of the cube: colours, look-ups, turns, the turn animation,
// scrambling and the sticker lines of the saved state.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cube/MagicCube.h"

namespace {

using gyrelle::MagicCube;

bool sameStickers(const MagicCube& a, const MagicCube& b) {
    for (int s = 0; s < 54; ++s) {
        if (std::memcmp(a.stickers[s].rgb, b.stickers[s].rgb, 3) != 0 ||
            a.stickers[s].faceNumber != b.stickers[s].faceNumber) {
            return false;
        }
    }
    return true;
}

int slotOf(const MagicCube& cube, unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char rgb[3] = {r, g, b};
    return cube.getStickerLocationWithColor(rgb);
}

TEST(Cube, ResetBuildsTheSolvedCubeAndSaysSo) {
    testing::internal::CaptureStderr();
    MagicCube cube;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "reset: solved\n");
    EXPECT_TRUE(cube.isSolved());
    for (int s = 0; s < 54; ++s) {
        EXPECT_EQ(cube.stickers[s].faceNumber, s / 9);
    }
}

TEST(Cube, StickerColoursAreUniqueAndDistinctFromBodyAndBackground) {
    MagicCube cube;
    EXPECT_EQ(slotOf(cube, 245, 0, 0), 0);
    EXPECT_EQ(slotOf(cube, 245, 0, 1), 1);
    EXPECT_EQ(slotOf(cube, 243, 0, 0), 8);
    EXPECT_EQ(slotOf(cube, 1, 200, 0), 13);
    EXPECT_EQ(slotOf(cube, 0, 1, 254), 30);
    EXPECT_EQ(slotOf(cube, 253, 255, 255), 44);
    EXPECT_EQ(slotOf(cube, 234, 245, 0), 49);
    EXPECT_EQ(slotOf(cube, 233, 245, 0), 53);
    EXPECT_EQ(slotOf(cube, 50, 50, 50), -1);
    EXPECT_EQ(slotOf(cube, 0, 0, 0), -1);
    EXPECT_EQ(slotOf(cube, 245, 0, 2), -1);
    const unsigned char black[3] = {0, 0, 0};
    EXPECT_EQ(cube.getFaceWithColor(black), -1);
    for (int a = 0; a < 54; ++a) {
        for (int b = a + 1; b < 54; ++b) {
            EXPECT_NE(0, std::memcmp(cube.stickers[a].rgb, cube.stickers[b].rgb, 3))
                << a << " " << b;
        }
    }
}

TEST(Cube, LookUpsFollowTheStickerAfterATurn) {
    MagicCube cube;
    cube.rotateFace(+3);
    const unsigned char corner[4] = {243, 0, 0, 255};  // a read-back pixel: alpha is ignored
    EXPECT_EQ(cube.getStickerLocationWithColor(corner), 29);
    EXPECT_EQ(cube.getFaceWithColor(corner), 3);
    EXPECT_EQ(cube.stickers[8].rgb[0], 2);
    EXPECT_EQ(cube.stickers[8].rgb[1], 200);
    EXPECT_EQ(cube.stickers[8].rgb[2], 0);
    EXPECT_EQ(cube.stickers[8].faceNumber, 1);
    EXPECT_FALSE(cube.isSolved());
}

TEST(Cube, NamedStickersLandWhereTheTurnsCarryThem) {
    MagicCube plus;
    plus.rotateFace(+4);
    EXPECT_EQ(slotOf(plus, 245, 0, 0), 45);
    MagicCube minus;
    minus.rotateFace(-4);
    EXPECT_EQ(slotOf(minus, 245, 0, 0), 42);
}

TEST(Cube, AllThreeSlicesOfAnAxisTurnTheWholeCubeAndStaySolved) {
    MagicCube cube;
    cube.rotateFace(+1);
    EXPECT_FALSE(cube.isSolved());
    cube.rotateFace(+2);
    cube.rotateFace(+3);
    EXPECT_TRUE(cube.isSolved());
    const int homes[6] = {1, 2, 3, 0, 4, 5};
    for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(cube.stickers[9 * f].faceNumber, homes[f]) << "face " << f;
    }
}

TEST(Cube, MiddleSliceMovesCentresButNoCorner) {
    MagicCube cube;
    MagicCube solved;
    cube.rotateFace(+2);
    EXPECT_FALSE(cube.isSolved());
    EXPECT_EQ(slotOf(cube, solved.stickers[4].rgb[0], solved.stickers[4].rgb[1],
                     solved.stickers[4].rgb[2]),
              31);
    EXPECT_EQ(slotOf(cube, solved.stickers[13].rgb[0], solved.stickers[13].rgb[1],
                     solved.stickers[13].rgb[2]),
              4);
    for (int f = 0; f < 6; ++f) {
        for (int k : {0, 2, 6, 8}) {
            EXPECT_EQ(0,
                      std::memcmp(cube.stickers[9 * f + k].rgb, solved.stickers[9 * f + k].rgb, 3));
        }
    }
}

TEST(Cube, TurnsAreUndoneByTheirInverseAndByFourOfThemselves) {
    MagicCube scrambled;
    scrambled.scrambleCube();  // not the solved cube, so symmetric mistakes show
    for (int code = -9; code <= 9; ++code) {
        if (code == 0) {
            continue;
        }
        MagicCube cube = scrambled;
        cube.rotateFace(code);
        EXPECT_FALSE(sameStickers(cube, scrambled)) << code;
        cube.rotateFace(-code);
        EXPECT_TRUE(sameStickers(cube, scrambled)) << code;
        for (int n = 0; n < 4; ++n) {
            cube.rotateFace(code);
        }
        EXPECT_TRUE(sameStickers(cube, scrambled)) << code;
    }
}

TEST(Cube, InvalidSliceCodeChangesNothing) {
    MagicCube cube;
    MagicCube before = cube;
    for (int code : {0, 10, -10, 1000}) {
        EXPECT_FALSE(cube.rotateFace(code));
    }
    EXPECT_TRUE(sameStickers(cube, before));
}

TEST(CubeMove, RefusesWhatIsNotADragOntoANeighbour) {
    MagicCube cube;
    EXPECT_FALSE(cube.move(5, 5));
    EXPECT_FALSE(cube.move(-1, 3));
    EXPECT_FALSE(cube.move(3, -1));
    EXPECT_FALSE(cube.move(0, 2));  // two apart
    EXPECT_FALSE(cube.move(0, 54));
    EXPECT_FALSE(cube.move(54, 0));
    EXPECT_FALSE(cube.animating);
}

TEST(CubeMove, StartsTheTurnFoundForTheDrag) {
    MagicCube cube;
    ASSERT_TRUE(cube.move(0, 1));
    EXPECT_TRUE(cube.animating);
    EXPECT_EQ(cube.animatedSlice, 3);
    EXPECT_EQ(cube.animatedDirection, 1);
    EXPECT_EQ(cube.moveStart, 0);
    EXPECT_EQ(cube.moveEnd, 1);
    EXPECT_EQ(cube.animatedAngle, 18.0f);
    EXPECT_FALSE(cube.move(4, 5));  // one turn at a time

    MagicCube other;
    ASSERT_TRUE(other.move(0, 36));
    EXPECT_EQ(other.animatedSlice, 3);
    EXPECT_EQ(other.animatedDirection, -1);
}

TEST(CubeMove, TurnIsAppliedAtTheEndOfTheFourthFrame) {
    MagicCube cube;
    MagicCube expected;
    expected.rotateFace(+4);
    MagicCube solved;
    ASSERT_TRUE(cube.move(0, 1));
    for (int frame = 1; frame <= 3; ++frame) {
        cube.stepAnimation();
        EXPECT_TRUE(cube.animating) << frame;
        EXPECT_TRUE(sameStickers(cube, solved)) << frame;
    }
    EXPECT_EQ(cube.animatedAngle, 72.0f);
    cube.stepAnimation();
    EXPECT_FALSE(cube.animating);
    EXPECT_TRUE(sameStickers(cube, expected));
    cube.stepAnimation();  // idle: nothing more happens
    EXPECT_TRUE(sameStickers(cube, expected));
    EXPECT_TRUE(cube.move(4, 5));
}

TEST(CubeMove, ResetDuringATurnCancelsIt) {
    MagicCube cube;
    ASSERT_TRUE(cube.move(0, 1));
    cube.stepAnimation();
    cube.resetCube();
    for (int frame = 0; frame < 5; ++frame) {
        cube.stepAnimation();
    }
    EXPECT_TRUE(sameStickers(cube, MagicCube()));
}

TEST(CubeMove, ScrambleDuringATurnStillAppliesTheTurnAfterwards) {
    MagicCube cube;
    ASSERT_TRUE(cube.move(0, 1));
    cube.scrambleCube();
    MagicCube expected = cube;
    expected.rotateFace(+4);
    for (int frame = 0; frame < 4; ++frame) {
        cube.stepAnimation();
    }
    EXPECT_TRUE(sameStickers(cube, expected));
}

TEST(Cube, ScrambleKeepsEveryStickerAndResetRestoresAll) {
    MagicCube cube;
    MagicCube solved;
    for (int round = 0; round < 20; ++round) {
        cube.scrambleCube();
        int homes[6] = {};
        for (const auto& s : cube.stickers) {
            ASSERT_TRUE(s.faceNumber >= 0 && s.faceNumber < 6);
            ++homes[s.faceNumber];
        }
        for (int h : homes) {
            EXPECT_EQ(h, 9);
        }
        for (int f = 0; f < 6; ++f) {  // centres move only with middle slices
            for (int k = 0; k < 9; ++k) {
                EXPECT_GE(
                    slotOf(cube, solved.stickers[9 * f + k].rgb[0],
                           solved.stickers[9 * f + k].rgb[1], solved.stickers[9 * f + k].rgb[2]),
                    0);
            }
        }
    }
    cube.resetCube();
    EXPECT_TRUE(sameStickers(cube, solved));
    EXPECT_EQ(0, std::memcmp(cube.voxlets, solved.voxlets, sizeof cube.voxlets));
}

// --- sticker lines -----------------------------------------------------------------

std::string written(const MagicCube& cube) {
    char* buf = nullptr;
    size_t len = 0;
    FILE* f = open_memstream(&buf, &len);
    cube.writeStickers(f);
    std::fclose(f);
    std::string text(buf, len);
    std::free(buf);
    return text;
}

// Reads text into cube and returns what the reading left unread.
std::string readInto(MagicCube& cube, const std::string& text) {
    FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    cube.readStickers(f);
    std::string rest;
    for (int c; (c = std::fgetc(f)) != EOF;) {
        rest.push_back(static_cast<char>(c));
    }
    std::fclose(f);
    return rest;
}

TEST(CubeStickerLines, SolvedCubeWritesOneLinePerSlot) {
    std::string text = written(MagicCube());
    EXPECT_EQ(text.rfind("245 0 0 0\n245 0 1 0\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 12), "233 245 0 5\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 54);
}

TEST(CubeStickerLines, RoundTripRestoresATurnedCube) {
    MagicCube turned;
    turned.scrambleCube();
    MagicCube cube;
    EXPECT_EQ(readInto(cube, written(turned) + "crot"), "crot");
    EXPECT_TRUE(sameStickers(cube, turned));
}

TEST(CubeStickerLines, ThirtyLinesThenCrotApplyThirty) {
    MagicCube turned;
    turned.scrambleCube();
    std::string all = written(turned);
    size_t cut = 0;
    for (int line = 0; line < 30; ++line) {
        cut = all.find('\n', cut) + 1;
    }
    MagicCube cube;
    MagicCube solved;
    EXPECT_EQ(readInto(cube, all.substr(0, cut) + "crot 0 1 0 1\n"), "crot 0 1 0 1\n");
    for (int s = 0; s < 54; ++s) {
        const MagicCube& want = s < 30 ? turned : solved;
        EXPECT_EQ(0, std::memcmp(cube.stickers[s].rgb, want.stickers[s].rgb, 3)) << s;
        EXPECT_EQ(cube.stickers[s].faceNumber, want.stickers[s].faceNumber) << s;
    }
}

}  // namespace
