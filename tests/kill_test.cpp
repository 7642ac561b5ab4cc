// A save killed at any moment leaves a whole saved cube: the old file or the new one,
// never a torn or empty one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tests/support/X11Harness.h"

namespace gyrelle::testing {
namespace {

// A whole file: the version, 54 stickers of a legal cube, the four closing lines.
bool whole(const std::string& text, std::string& why) {
    std::istringstream in(text);
    std::string line;
    int homes[6] = {};
    std::getline(in, line);
    if (line != "version 4") {
        why = "first line: " + line;
        return false;
    }
    for (int s = 0; s < 54; ++s) {
        int r, g, b, f;
        if (!std::getline(in, line) ||
            std::sscanf(line.c_str(), "%d %d %d %d", &r, &g, &b, &f) != 4 || f < 0 || f > 5) {
            why = "sticker line " + std::to_string(s) + ": " + line;
            return false;
        }
        ++homes[f];
    }
    for (int h : homes) {
        if (h != 9) {
            why = "not a legal cube";
            return false;
        }
    }
    for (const char* keyword : {"crot ", "drot ", "brot ", "prem "}) {
        if (!std::getline(in, line) || line.rfind(keyword, 0) != 0) {
            why = std::string("missing ") + keyword;
            return false;
        }
    }
    if (text.back() != '\n' || std::getline(in, line)) {
        why = "bad ending";
        return false;
    }
    return true;
}

TEST(CrashSafeSave, KilledAtRandomMomentsTheFileIsAlwaysWhole) {
    char pattern[] = "/tmp/gyrelle-kill-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string file = dir + "/cube_state.dat";
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> delay(0, 30000);  // microseconds
    int checked = 0;
    for (int round = 0; round < 60; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t pid =
            spawn({SAVE_LOOP, dir}, baseEnvironment(), ready[1], open("/dev/null", O_WRONLY));
        close(ready[1]);
        char buf[8];
        ASSERT_GT(read(ready[0], buf, sizeof buf), 0) << "the saving process did not start";
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
        kill(pid, SIGKILL);
        waitFor(pid, 10);
        if (!std::filesystem::exists(file)) {
            continue;  // killed before its first save was complete: nothing was there before
        }
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string why;
        EXPECT_TRUE(whole(text.str(), why)) << "round " << round << ": " << why;
        ++checked;
    }
    EXPECT_GT(checked, 40);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace gyrelle::testing
