#pragma once

// A game session on its own (and its coach), with no view: frames stepped by hand on a clock of the
// test's, and what the game tells written down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Coach.h"
#include "game/Game.h"
#include "tests/support/Cubes.h"

namespace gyrelle::testing {

struct Told : Game::Listener {
    int resets = 0, questions = 0, historyChanges = 0, solveChanges = 0;
    std::vector<std::pair<Solve, bool>> solves;
    std::vector<std::string> copies;

    void cubeReset() override { ++resets; }
    void resetAsked() override { ++questions; }
    void historyChanged() override { ++historyChanges; }
    void solveChanged() override { ++solveChanges; }
    void solved(const Solve& s, bool best) override { solves.emplace_back(s, best); }
    void copied(const std::string& code) override { copies.push_back(code); }
};

class GameTest : public ::testing::Test {
  protected:
    void SetUp() override { game.addListener(&told); }

    // One frame as the view draws it: the motion, then (after the picture) the turn.
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            game.stepMotion();
            game.stepTurn(now);
        }
    }
    // A turn by slice code, landed.
    void turned(int code) {
        ASSERT_TRUE(game.turn(code));
        frames(4);
    }
    const MagicCube& cube() const { return game.cube(); }
    bool same(const MagicCube& other) const { return sameStickers(game.cube(), other); }

    Game game;
    Coach coach{game};  // hints, solve-for-me and competition scrambles beside it
    Told told;
    double now = 1000;  // seconds, moved on by the tests
};

}  // namespace gyrelle::testing
