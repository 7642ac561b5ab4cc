// The records panel: where the plot puts each solve and its averages, the histogram, and
// the panel's own selection, corrections and their undoing.
#include <gtest/gtest.h>

#include <cmath>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "overlay/RecordsView.h"

namespace gyrelle {
namespace {

std::vector<Solve> times(std::initializer_list<double> seconds) {
    std::vector<Solve> solves;
    std::time_t date = 1796083200;
    for (double s : seconds) {
        solves.push_back({.date = date += 60,
                          .moves = 20,
                          .seconds = s < 0 ? 30 : s,
                          .kind = Scramble::Turns,
                          .assisted = false,
                          .penalty = s < 0 ? Penalty::Dnf : Penalty::None,
                          .scramble = ""});
    }
    return solves;
}

constexpr platform::Rect kArea{40, 100, 200, 100};

// A point's height follows its result: the fastest on the bottom edge, the slowest on the
// top, the rest in proportion; a DNF on the top edge; the best marked; the average of 5
// from the fifth solve on, with a DNF the worst of it.
TEST(RecordsPlot, APointsHeightFollowsItsTime) {
    std::vector<Solve> solves = times({10, 20, -1, 15, 12});
    solves[4].penalty = Penalty::PlusTwo;  // 14
    const RecordsPlot plot = plotOf(solves, kArea);
    ASSERT_EQ(plot.points.size(), 5u);
    EXPECT_DOUBLE_EQ(plot.fastest, 10);
    EXPECT_DOUBLE_EQ(plot.slowest, 20);
    const float bottom = kArea.y + kArea.height;
    EXPECT_FLOAT_EQ(plot.points[0].y, bottom);
    EXPECT_FLOAT_EQ(plot.points[1].y, kArea.y);
    EXPECT_FLOAT_EQ(plot.points[2].y, kArea.y) << "a DNF on top";
    EXPECT_TRUE(plot.dnf[2]);
    EXPECT_FLOAT_EQ(plot.points[3].y, bottom - 50);  // 15: half way
    EXPECT_FLOAT_EQ(plot.points[4].y, bottom - 40);  // 12 + 2
    EXPECT_FLOAT_EQ(plot.points[0].x, kArea.x);
    EXPECT_FLOAT_EQ(plot.points[4].x, kArea.x + kArea.width);
    EXPECT_EQ(plot.best, 0);
    // 10 20 DNF 15 14: without 10 and the DNF, (20 + 15 + 14) / 3 = 16.33.
    ASSERT_EQ(plot.ao5.size(), 1u);
    EXPECT_NEAR(plot.ao5[0].y, bottom - 100 * (49.0 / 3 - 10) / 10, 1e-3);
    EXPECT_TRUE(plot.ao12.empty());
    // Two DNFs: the average is a DNF, on the top edge.
    solves.push_back(times({-1})[0]);
    const RecordsPlot two = plotOf(solves, kArea);
    ASSERT_EQ(two.ao5.size(), 2u);
    EXPECT_FLOAT_EQ(two.ao5[1].y, kArea.y);
}

// The best is that of the solves that count: not an assisted one, however fast.
TEST(RecordsPlot, AnAssistedSolveIsNeverTheBest) {
    std::vector<Solve> solves = times({10, 5, 12});
    solves[1].assisted = true;
    EXPECT_EQ(plotOf(solves, kArea).best, 0);
    EXPECT_EQ(plotOf({}, kArea).best, -1);
    const Histogram h = histogramOf(times({10, 11, 19.99, 20, -1}), 2);
    EXPECT_EQ(h.counts, (std::vector<int>{2, 2}));
    EXPECT_EQ(h.dnfs, 1);
    EXPECT_DOUBLE_EQ(h.from, 10);
    EXPECT_DOUBLE_EQ(h.width, 5);
}

// Marks and deletes go to the game's solves, and come back one at a time.
TEST(RecordsPanel, CorrectionsAreMadeAndTakenBack) {
    std::vector<Solve> solves = times({10, 20, 30});
    RecordsView::Changes changes{
        [&](size_t i, const Solve& s) { solves[i] = s; },
        [&](size_t i) { solves.erase(solves.begin() + long(i)); },
        [&](size_t i, const Solve& s) { solves.insert(solves.begin() + long(i), s); }};
    RecordsView panel({0, 0, 320, 480}, solves, changes);
    auto key = [&](platform::Key k, char letter = 0, bool ctrl = false) {
        return panel.keyDown({k, letter, false, ctrl});
    };
    EXPECT_TRUE(key(platform::Key::Up));  // the newest first
    EXPECT_EQ(panel.selected(), 2);
    EXPECT_TRUE(key(platform::Key::Down));
    EXPECT_EQ(panel.selected(), 1);
    EXPECT_TRUE(key(platform::Key::Letter, 'p'));
    EXPECT_EQ(solves[1].penalty, Penalty::PlusTwo);
    EXPECT_TRUE(key(platform::Key::Letter, 'd'));
    EXPECT_EQ(solves[1].penalty, Penalty::Dnf);
    EXPECT_TRUE(key(platform::Key::Letter, 'x'));
    ASSERT_EQ(solves.size(), 2u);
    EXPECT_TRUE(panel.summary().starts_with("2 solves \u00b7 best 0:10.0 ")) << panel.summary();
    EXPECT_TRUE(key(platform::Key::Letter, 'z', true));  // the delete taken back
    ASSERT_EQ(solves.size(), 3u);
    EXPECT_EQ(solves[1].penalty, Penalty::Dnf);
    EXPECT_TRUE(key(platform::Key::Letter, 'u'));
    EXPECT_EQ(solves[1].penalty, Penalty::PlusTwo);
    EXPECT_TRUE(key(platform::Key::Letter, 'u'));
    EXPECT_EQ(solves[1].penalty, Penalty::None);
    EXPECT_TRUE(key(platform::Key::Letter, 'u')) << "nothing more to take back";
    EXPECT_FALSE(key(platform::Key::Letter, 'q')) << "any other key closes it";
    // The buttons do the same: +2, DNF, OK, Delete, Undo, Replay.
    ASSERT_EQ(panel.buttons().size(), 6u);
    EXPECT_EQ(panel.buttons()[3]->label(), "Delete");
    EXPECT_EQ(panel.buttons()[5]->label(), "Replay");
    for (const auto& b : panel.buttons()) {
        EXPECT_GE(b->frame().width, 44);  // a finger's
        EXPECT_GE(b->frame().height, 44);
    }
}

// Twenty solves in a list that shows four: the wheel scrolls it, as far as the oldest
// and no further; a selection out of sight is scrolled to.
TEST(RecordsPanel, TheListScrollsToTheEndAndNoFurther) {
    std::vector<Solve> solves =
        times({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
    RecordsView panel({0, 0, 320, 480}, solves, {});
    EXPECT_TRUE(panel.scrollWheel(3));
    EXPECT_FLOAT_EQ(panel.scrolled(), 3 * RecordsView::kRowHeight / 2);
    panel.scrollWheel(1000);
    EXPECT_FLOAT_EQ(panel.scrolled(), 20 * RecordsView::kRowHeight - RecordsView::kList.height);
    panel.scrollWheel(-1000);
    EXPECT_FLOAT_EQ(panel.scrolled(), 0);
    panel.keyDown({platform::Key::Up});
    for (int i = 0; i < 5; ++i) {
        panel.keyDown({platform::Key::Down});
    }
    EXPECT_EQ(panel.selected(), 14);  // the sixth row: scrolled to show it whole
    EXPECT_FLOAT_EQ(panel.scrolled(), 6 * RecordsView::kRowHeight - RecordsView::kList.height);
}

// The selected solve's row shows its splits where its turns are known; the summary each
// step's mean over the newest 5 and 12 that have them. R then U undone: U' makes the cross
// on L and all that goes with it, R' after a second and a half is the whole of PLL.
TEST(RecordsPanel, TheSelectedSolvesSplitsAndTheMeansOfTheNewest) {
    MagicCube scrambled;
    scrambled.rotateFace(faceTurn(5, false));
    scrambled.rotateFace(faceTurn(1, false));
    auto turns = std::make_shared<const SolveTurns>(
        SolveTurns{positionCode(scrambled.stickers()),
                   -1,
                   {{0, static_cast<std::int8_t>(faceTurn(1, true))},
                    {1500, static_cast<std::int8_t>(faceTurn(5, true))}}});
    std::vector<Solve> solves = times({10, 11, 12, 13, 14, 15});
    for (size_t i = 1; i < solves.size(); ++i) {
        solves[i].turns = turns;
    }
    RecordsView panel({0, 0, 320, 480}, solves, {});
    EXPECT_NE(panel.summary().find(
                  "\nSteps of 5: cross 0.0 \u00b7 F2L 0.0 \u00b7 OLL 0.0 \u00b7 PLL 1.5"),
              std::string::npos)
        << panel.summary();
    EXPECT_EQ(panel.summary().find("Steps of 12"), std::string::npos);
    EXPECT_TRUE(panel.keyDown({platform::Key::Up}));
    EXPECT_EQ(panel.selectedSplits(), "cross 0.0 \u00b7 F2L 0.0 \u00b7 OLL 0.0 \u00b7 PLL 1.5");
    for (int i = 0; i < 5; ++i) {
        panel.keyDown({platform::Key::Down});
    }
    EXPECT_EQ(panel.selected(), 0);
    EXPECT_EQ(panel.selectedSplits(), "");  // its turns are not known
    // R and Return replay the selected solve.
    std::vector<size_t> replayed;
    RecordsView::Changes changes;
    changes.replay = [&](size_t i) { replayed.push_back(i); };
    RecordsView replays({0, 0, 320, 480}, solves, changes);
    replays.keyDown({platform::Key::Up});
    replays.keyDown({platform::Key::Down});
    EXPECT_TRUE(replays.keyDown({platform::Key::Letter, 'r'}));
    EXPECT_TRUE(replays.keyDown({platform::Key::Return}));
    EXPECT_EQ(replayed, (std::vector<size_t>{4, 4}));
    RecordsView roux({0, 0, 320, 480}, solves, {}, {}, Method::Roux);
    EXPECT_NE(roux.summary().find("\nSteps of 5: FB "), std::string::npos) << roux.summary();
}
}  // namespace
}  // namespace gyrelle
