// A solve on the real view: its words over the picture but never in it, in the title bar
// too, the result shown for five seconds.
#include "cube/Notation.h"
#include "cube/Position.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class SolveTest : public HeadlessViewTest {
  protected:
    void turn(int code) {
        ASSERT_TRUE(game().turn(code));
        frames(4);
    }
    std::string strip() {
        const StatusStrip& s = view->controller().statusStrip();
        EXPECT_EQ(s.superview() != nullptr, !s.text().empty());
        std::string title = s.text();
        if (size_t dot = title.find(" \u00b7 "); dot != std::string::npos) {
            title.replace(dot, 4, ", ");
        }
        EXPECT_EQ(platform.window().subtitle(), title);
        return s.text();
    }
};

TEST_F(SolveTest, TheWordsShowOverThePictureAndInTheTitleForFiveSeconds) {
    EXPECT_EQ(strip(), "");  // the start-up picture as it always was
    MagicCube twice;
    twice.rotateFace(1);
    twice.rotateFace(5);
    std::string problem;
    ASSERT_TRUE(game().setPosition(positionCode(twice.stickers()), problem));
    platform.advance(10);  // looking at a scrambled cube is not solving it
    EXPECT_EQ(strip(), "");
    turn(-5);
    EXPECT_EQ(strip(), "1 move \u00b7 0:00.0");
    platform.advance(41.35);
    EXPECT_EQ(strip(), "1 move \u00b7 0:41.3");

    // The words are drawn over the view, never into the picture the pick reads.
    view->drawView();
    const int rows = static_cast<int>(StatusStrip::kHeight);
    const int width = view->backingSize().width;
    std::vector<unsigned char> top(4 * width * rows, 1);
    view->pickPicture();
    glReadPixels(0, view->backingSize().height - rows, width, rows, GL_RGBA, GL_UNSIGNED_BYTE,
                 top.data());
    for (size_t i = 0; i < top.size(); i += 4) {
        ASSERT_TRUE(top[i] == 0 && top[i + 1] == 0 && top[i + 2] == 0) << i / 4;
    }

    turn(-1);
    EXPECT_EQ(strip(), "Solved in 2 moves \u00b7 0:41.3");
    platform.advance(4.95);
    EXPECT_EQ(strip(), "Solved in 2 moves \u00b7 0:41.3");
    platform.advance(0.1);
    EXPECT_EQ(strip(), "");
}

// A replay is drawn in the game's place, from where its solve began to the solved cube,
// each picture read from the pick (every sticker its own colour) and compared with the
// model; a second replay opened where the first was is drawn too (its game may take the
// first's place in memory), and closing shows the game's own cube again.
TEST_F(SolveTest, AReplayIsDrawnInTheGamesPlaceFromItsStartToTheSolvedCube) {
    auto solveOf = [](std::initializer_list<int> codes) {
        auto s = std::make_shared<SolveTurns>();
        MagicCube cube;
        for (auto c = std::rbegin(codes); c != std::rend(codes); ++c) {
            cube.rotateFace(-*c);
        }
        s->start = positionCode(cube.stickers());
        for (int c : codes) {
            s->turns.push_back({std::int32_t(200 * s->turns.size()), std::int8_t(c)});
        }
        return s;
    };
    std::vector<Solve> solves(2, Solve{1796083200, 2, 0.2});
    solves[0].turns = solveOf({faceTurn(1, true), faceTurn(5, true)});    // U' R'
    solves[1].turns = solveOf({faceTurn(0, false), faceTurn(3, false)});  // F D
    view->controller().game().replaceSolves(solves);
    frames(2);
    // The stickers a picture shows on the front face, and those the model has there.
    auto shown = [&] {
        std::vector<int> slots;
        for (int slot = 0; slot < 9; ++slot) {
            const Rgba c = pixel(onScreen(stickerPoint(slot)));
            slots.push_back(MagicCube::solved().getStickerLocationWithColor(c.data()) < 0
                                ? -1
                                : game().cube().getStickerLocationWithColor(c.data()));
        }
        return slots;
    };
    auto model = [&](const SolveTurns& s, bool solved) {
        MagicCube::Stickers start;
        std::string problem;
        EXPECT_TRUE(stickersOfCode(s.start, start, problem));
        MagicCube cube;
        cube.setStickers(start);
        for (const TimedTurn& t : s.turns) {
            if (solved) {
                cube.rotateFace(t.code);
            }
        }
        std::vector<int> slots;
        for (int slot = 0; slot < 9; ++slot) {
            slots.push_back(game().cube().getStickerLocationWithColor(cube.stickers()[slot].rgb));
        }
        return slots;
    };
    for (size_t i : {0, 1, 0}) {
        ASSERT_TRUE(view->controller().openReplay(i));
        frames(1);
        EXPECT_EQ(shown(), model(*solves[i].turns, false)) << i;
        EXPECT_FALSE(game().cube().isSolved());
        view->controller().closeReplay();
        frames(1);
    }
    ASSERT_TRUE(view->controller().openReplay(1));
    frames(1);
    ASSERT_NE(view->controller().replay(), nullptr);
    const_cast<Replay*>(view->controller().replay())->toEnd();
    frames(1);
    EXPECT_TRUE(game().cube().isSolved());
    EXPECT_EQ(shown(), model(*solves[1].turns, true));
    view->controller().closeReplay();
    frames(1);
    EXPECT_TRUE(game().cube().isSolved());
    EXPECT_EQ(&game(), &view->controller().game());
}

// The trainer's cube is drawn in the game's place, held as its motion says: every sticker
// seen (its face toward the viewer) is the one the trainer's cube has in that slot, for each
// new case; closed, the game's own cube again.
TEST_F(SolveTest, TheTrainersCubeIsDrawnInTheGamesPlaceForEachCase) {
    auto allSeenInPlace = [&] {
        int seen = 0;
        for (int slot = 0; slot < MagicCube::kStickers; ++slot) {
            const Vecd n = applied(motion().currentRotation, Vecd{double(placeOf(slot).normal[0]),
                                                                  double(placeOf(slot).normal[1]),
                                                                  double(placeOf(slot).normal[2])});
            if (n[2] < 0.3) {
                continue;  // edge-on or away
            }
            ++seen;
            const Rgba c = pixel(onScreen(stickerPoint(slot)));
            if (cube().getStickerLocationWithColor(c.data()) != slot) {
                return false;
            }
        }
        return seen >= 18;
    };
    view->controller().perform({Command::Kind::Trainer});
    ASSERT_NE(view->controller().trainer(), nullptr);
    for (int i = 0; i < 4; ++i) {
        frames(1);
        EXPECT_FALSE(cube().isSolved());
        EXPECT_TRUE(allSeenInPlace()) << "case " << i;
        view->controller().trainerView()->next();
    }
    view->controller().perform({Command::Kind::Trainer});
    frames(1);
    EXPECT_EQ(&game(), &view->controller().game());
    EXPECT_TRUE(cube().isSolved());
    EXPECT_TRUE(allSeenInPlace());
}

}  // namespace
}  // namespace gyrelle::testing
