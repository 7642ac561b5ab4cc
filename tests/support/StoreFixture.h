#pragma once

// A game and its keeper on a folder of the test's own, on a clock stepped by hand: the
// files as the game writes and reads them, with no view and no GL.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/Game.h"
#include "platform/RunLoop.h"
#include "store/Keeper.h"
#include "tests/support/Cubes.h"

namespace gyrelle::testing {

class StoreTest : public ::testing::Test {
  protected:
    // A game and the keeper of its files: a session as the program runs one.
    struct Session {
        Game game;
        std::unique_ptr<store::Keeper> keeper;
    };

    void SetUp() override {
        char pattern[] = "/tmp/gyrelle-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A session reading the folder `in` (the test's by default); what it said goes to `log`.
    std::unique_ptr<Session> open(std::string* log = nullptr, const std::string& in = "") {
        auto s = std::make_unique<Session>();
        s->keeper = std::make_unique<store::Keeper>(s->game, loop, in.empty() ? dir : in, "");
        s->keeper->setWallClock([this] { return wall(); });
        ::testing::internal::CaptureStderr();
        s->keeper->restore();
        const std::string said = ::testing::internal::GetCapturedStderr();
        if (log) {
            *log = said;
        }
        return s;
    }

    // Frames of the game, as a view draws them, `n` of them at 60 a second.
    void frames(Session& s, int n) {
        for (int i = 0; i < n; ++i) {
            s.game.stepMotion();
            s.game.stepTurn(now);
            advance(1.0 / 60);
        }
    }
    // The turn `code` made and landed, its frames all at this moment.
    void land(Session& s, int code) {
        ASSERT_TRUE(s.game.turn(code));
        for (int i = 0; i < 4; ++i) {
            s.game.stepMotion();
            s.game.stepTurn(now);
        }
        ASSERT_FALSE(s.game.cube().animating());
    }
    // The clock moves on; the loop fires what falls due and tells its observers, as a
    // platform's loop does after every pass.
    void advance(double seconds) {
        loop.finishPass();
        const double end = now + seconds;
        for (double wait; !std::isinf(wait = loop.secondsUntilNextTimer()) && now + wait <= end;) {
            now += wait;
            loop.fireDueTimers();
            loop.finishPass();
        }
        now = end;
    }

    std::string path(const std::string& name = "cube_state.dat") const { return dir + "/" + name; }
    std::string file(const std::string& name = "cube_state.dat") const {
        std::stringstream s;
        s << std::ifstream(path(name), std::ios::binary).rdbuf();
        return s.str();
    }
    std::vector<std::string> lines(const std::string& name = "cube_state.dat") const {
        std::vector<std::string> out;
        std::ifstream in(path(name));
        for (std::string line; std::getline(in, line);) {
            out.push_back(line);
        }
        return out;
    }
    void write(const std::vector<std::string>& lines, const std::string& name = "cube_state.dat") {
        std::ofstream out(path(name), std::ios::binary);
        for (const auto& line : lines) {
            out << line << "\n";
        }
    }

    std::string dir;
    double now = 1000;
    // The wall clock: 2026-12-08T00:00:00Z when `now` is 1000, and on by `away` more, the
    // time a game was closed (the loop's clock of a new process has no idea of it).
    static constexpr double kWallAtStart = 1796688000;
    double away = 0;
    double wall() const { return kWallAtStart + (now - 1000) + away; }
    platform::RunLoop loop{[this] { return now; }};
};

}  // namespace gyrelle::testing
