// Concrete behaviour of the cube: colours, look-ups, the turn animation, scrambling
// and the revision that tells a change.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/support/Cubes.h"

namespace gyrelle::testing {
namespace {

int slotOf(const MagicCube& cube, unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char rgb[3] = {r, g, b};
    return cube.getStickerLocationWithColor(rgb);
}

TEST(Cube, ResetBuildsTheSolvedCubeWithFiftyFourDistinctColours) {
    MagicCube cube;
    EXPECT_TRUE(cube.isSolved());
    for (int s = 0; s < 54; ++s) {
        EXPECT_EQ(cube.stickers()[s].faceNumber, s / 9);
    }
    // Colours worked out by hand from the base colours and the offsets per position.
    EXPECT_EQ(slotOf(cube, 245, 0, 0), 0);
    EXPECT_EQ(slotOf(cube, 245, 0, 1), 1);
    EXPECT_EQ(slotOf(cube, 243, 0, 0), 8);
    EXPECT_EQ(slotOf(cube, 1, 200, 0), 13);
    EXPECT_EQ(slotOf(cube, 0, 1, 254), 30);
    EXPECT_EQ(slotOf(cube, 253, 255, 255), 44);
    EXPECT_EQ(slotOf(cube, 233, 245, 0), 53);
    EXPECT_EQ(slotOf(cube, 50, 50, 50), -1);  // the body
    EXPECT_EQ(slotOf(cube, 0, 0, 0), -1);     // the background
    EXPECT_EQ(slotOf(cube, 245, 0, 2), -1);
    std::set<std::vector<unsigned char>> colours;
    for (const Sticker& s : cube.stickers()) {
        colours.insert({s.rgb[0], s.rgb[1], s.rgb[2]});
    }
    EXPECT_EQ(colours.size(), 54u);
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
        EXPECT_EQ(cube.stickers()[9 * f].faceNumber, homes[f]) << "face " << f;
    }
}

TEST(CubeMove, RefusesWhatIsNotADragOntoANeighbourOrASliceCode) {
    MagicCube cube;
    const unsigned long revision = cube.revision();
    EXPECT_FALSE(cube.move(5, 5));
    EXPECT_FALSE(cube.move(-1, 3));
    EXPECT_FALSE(cube.move(3, -1));
    EXPECT_FALSE(cube.move(0, 2));  // two apart
    EXPECT_FALSE(cube.move(0, 54));
    EXPECT_FALSE(cube.move(54, 0));
    for (int code : {0, 10, -10, 1000}) {
        EXPECT_FALSE(cube.rotateFace(code));
    }
    EXPECT_FALSE(cube.animating());
    EXPECT_TRUE(sameStickers(cube, MagicCube()));
    EXPECT_EQ(cube.revision(), revision);  // a refusal changes nothing
}

// Each step is a change the picture must show; at rest a step changes nothing.
TEST(CubeMove, TurnIsAppliedAtTheEndOfTheFourthStep) {
    MagicCube cube;
    MagicCube expected;
    expected.rotateFace(+4);
    ASSERT_TRUE(cube.move(0, 1));
    for (int frame = 1; frame <= 3; ++frame) {
        const unsigned long revision = cube.revision();
        cube.stepAnimation();
        EXPECT_NE(cube.revision(), revision) << frame;
        EXPECT_TRUE(cube.animating()) << frame;
        EXPECT_TRUE(sameStickers(cube, MagicCube())) << frame;
    }
    EXPECT_EQ(cube.animatedAngle(), 72.0f);
    cube.stepAnimation();
    EXPECT_FALSE(cube.animating());
    EXPECT_TRUE(sameStickers(cube, expected));
    const unsigned long atRest = cube.revision();
    cube.stepAnimation();
    EXPECT_EQ(cube.revision(), atRest);
    EXPECT_TRUE(cube.move(4, 5));
}

TEST(CubeMove, ResetDuringATurnCancelsItAScrambleDoesNot) {
    MagicCube cube;
    ASSERT_TRUE(cube.move(0, 1));
    cube.stepAnimation();
    cube.resetCube();
    for (int frame = 0; frame < 5; ++frame) {
        cube.stepAnimation();
    }
    EXPECT_TRUE(sameStickers(cube, MagicCube()));

    ASSERT_TRUE(cube.move(0, 1));
    cube.scrambleCube();
    MagicCube expected = cube;
    expected.rotateFace(+4);
    for (int frame = 0; frame < 4; ++frame) {
        cube.stepAnimation();
    }
    EXPECT_TRUE(sameStickers(cube, expected));
}

// Plays back fixed values, counting how many were asked for.
class Scripted : public RandomSource {
  public:
    explicit Scripted(std::vector<long> values) : values_(std::move(values)) {}
    long next() override { return values_[asked++ % values_.size()]; }
    size_t asked = 0;

  private:
    std::vector<long> values_;
};

// Every one of the 18 quarter turns can come out of a scramble, and nothing else: the
// 18 residues give 18 different valid turns of a solved cube.
TEST(CubeScramble, EveryResidueGivesADifferentTurn) {
    std::set<std::vector<int>> results;
    for (long r : {0L, 1L, 8L, 9L, 17L}) {  // wrap-around: r and r + 18k agree
        EXPECT_EQ(MagicCube::scrambleCode(r), MagicCube::scrambleCode(r + 18 * 119304647L));
    }
    for (long r = 0; r < 18; ++r) {
        MagicCube cube;
        ASSERT_TRUE(cube.rotateFace(MagicCube::scrambleCode(r))) << r;
        std::vector<int> records;
        for (const Sticker& s : cube.stickers()) {
            records.insert(records.end(), {s.faceNumber, s.rgb[0], s.rgb[1], s.rgb[2]});
        }
        results.insert(records);
    }
    EXPECT_EQ(results.size(), 18u);
}

TEST(CubeScramble, TakesAHundredTurnsFromItsSource) {
    std::vector<long> values;
    for (long v = 0; v < 100; ++v) {
        values.push_back(v * 7919 + 13);
    }
    Scripted source(values);
    MagicCube cube;
    cube.scrambleCube(source);
    EXPECT_EQ(source.asked, 100u);
    MagicCube expected;
    for (long v : values) {
        expected.rotateFace(MagicCube::scrambleCode(v));
    }
    EXPECT_TRUE(sameStickers(cube, expected));
}

// The scramble's generator is the C library's, with a state of its own, for any seed
// (0 and those past 2^31 included).
TEST(CubeScramble, ClockSeededRandomIsTheCLibrarysGenerator) {
    for (unsigned seed : {12345u, 0u, 0x80000001u, 0xFFFFFFFFu}) {
        ClockSeededRandom ours(seed);
        srandom(seed);
        for (int i = 0; i < 1000; ++i) {
            ASSERT_EQ(ours.next(), random()) << seed << " " << i;
        }
    }
}

// Whatever replaces the stickers is a change the frame must see.
TEST(Cube, ReplacingTheStickersMovesTheRevision) {
    MagicCube cube, turned;
    turned.rotateFace(1);
    unsigned long before = cube.revision();
    cube.setStickers(turned.stickers());
    EXPECT_NE(cube.revision(), before);
    EXPECT_TRUE(sameStickers(cube, turned));
    before = cube.revision();
    cube = MagicCube();
    EXPECT_NE(cube.revision(), before);
}

}  // namespace
}  // namespace gyrelle::testing
