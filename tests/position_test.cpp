// The position code: facelet strings worked out by hand for the solved cube and single
// turns, round trips of random cubes, and each kind of text that is no position.
#include "cube/Position.h"

#include <gtest/gtest.h>

#include <random>

#include "cube/Notation.h"
#include "tests/support/Cubes.h"

namespace gyrelle::testing {
namespace {

std::string turned(int code) {
    MagicCube cube;
    cube.rotateFace(code);
    return positionCode(cube.stickers());
}

// Face slots 1, 5 and 0 are U, R and F; each turned clockwise as seen from outside.
TEST(PositionCode, NamesTheSolvedCubeAndSingleTurns) {
    EXPECT_EQ(positionCode(MagicCube().stickers()),
              "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB");
    EXPECT_EQ(turned(faceTurn(1, false)),  // U: the top rows go round to the left
              "UUUUUUUUUBBBRRRRRRRRRFFFFFFDDDDDDDDDFFFLLLLLLLLLBBBBBB");
    EXPECT_EQ(turned(faceTurn(5, false)),  // R: the right columns go up
              "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB");
    EXPECT_EQ(turned(faceTurn(0, true)),  // F': the ring round the front goes back
              "UUUUUURRRDRRDRRDRRFFFFFFFFFLLLDDDDDDLLULLULLUBBBBBBBBB");
}

// Any cube the turns reach, middle slices included, reads back from its own code; the
// centres come home, so a cube turned by outer layers only comes back exactly.
TEST(PositionCode, RandomCubesComeBackFromTheirCodes) {
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> pick(0, 17);
    for (int round = 0; round < 200; ++round) {
        const bool outerOnly = round % 2 == 0;
        MagicCube cube;
        for (int n = 0; n < 40; ++n) {
            const int code = MagicCube::scrambleCode(pick(rng));
            if (!outerOnly ||
                (code != 2 && code != -2 && code != 5 && code != -5 && code != 8 && code != -8)) {
                cube.rotateFace(code);
            }
        }
        const std::string code = positionCode(cube.stickers());
        MagicCube::Stickers back;
        std::string problem;
        ASSERT_TRUE(stickersOfCode(" " + code + "\n", back, problem)) << code << ": " << problem;
        EXPECT_EQ(positionCode(back), code);
        if (outerOnly) {
            EXPECT_EQ(std::memcmp(back.data(), cube.stickers().data(), sizeof back), 0);
        }
    }
}

TEST(PositionCode, EachKindOfTextThatIsNoPositionIsNamed) {
    const std::string solved = "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB";
    // Facelets are numbered as the code lists them: U1..U9 are 0..8, R1..R9 9..17, and so on.
    auto with = [&](std::initializer_list<std::pair<int, char>> changes) {
        std::string code = solved;
        for (auto [at, letter] : changes) {
            code[at] = letter;
        }
        return code;
    };
    const std::pair<std::string, const char*> cases[] = {
        {"UUU", "it must be 54 letters"},
        {with({{0, 'X'}}), "only U, R, F, D, L and B may be used, and character 1 is \"X\""},
        {with({{53, 'u'}}), "only U, R, F, D, L and B may be used, and character 54 is \"u\""},
        {with({{9, '\a'}}), "only U, R, F, D, L and B may be used, and character 10 is U+0007"},
        {with({{2, '\xff'}}),
         "only U, R, F, D, L and B may be used, and character 3 is the byte 0xFF"},
        // Look-alike letters are characters of two or three bytes: 54 characters all the
        // same, and the first of them named. A full-width U, a Cyrillic Ve for B.
        {"UU\xEF\xBC\xB5" + solved.substr(3, 50) + "\xD0\x92",
         "only U, R, F, D, L and B may be used, and character 3 is \"\xEF\xBC\xB5\""},
        {solved.substr(0, 53) + "\xD0\x92",
         "only U, R, F, D, L and B may be used, and character 54 is \"\xD0\x92\""},
        {solved + "\xD0\x92", "it must be 54 letters"},
        {solved.substr(0, 52) + "\xD0", "it must be 54 letters"},  // a cut-off character
        {with({{0, 'R'}}), "each letter must be there nine times"},
        {with({{4, 'R'}, {13, 'U'}}), "a centre is out of place"},
        {with({{8, 'F'}, {9, 'U'}, {20, 'R'}}), "one corner is twisted"},  // U9 R1 F3
        {with({{7, 'F'}, {19, 'U'}}), "one edge is flipped"},              // U8 F2
        {with({{19, 'R'}, {10, 'F'}}), "two pieces are swapped"},          // F2 R2
        {with({{8, 'F'}, {19, 'U'}}), "an edge no cube has"},              // U9 F2
        {with({{38, 'R'}, {17, 'L'}}), "a corner is there twice"},         // L3 R9
    };
    for (const auto& [code, why] : cases) {
        MagicCube::Stickers untouched = MagicCube().stickers(), stickers = untouched;
        std::string problem;
        EXPECT_FALSE(stickersOfCode(code, stickers, problem)) << code;
        EXPECT_EQ(problem, std::string("Not a cube position: ") + why) << code;
        EXPECT_EQ(std::memcmp(stickers.data(), untouched.data(), sizeof stickers), 0) << code;
    }
}

}  // namespace
}  // namespace gyrelle::testing
