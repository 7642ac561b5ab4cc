// A game with a million solves kept, the newest 10,000 with their turns (60 each, as
// speedsolves have): how long the start takes to read them back, and what
// a save costs the frame path (its solve under way changes the records at every save),
// each against its target; and the whole save, written on the writer's thread, for
// comparison. The least of five, in a folder of its own under /tmp.
// Usage: gyrelle_records_bench [SOLVES]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/Game.h"
#include "platform/RunLoop.h"
#include "store/Keeper.h"

namespace {

using namespace gyrelle;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

void line(const char* what, double ms, double target) {
    if (target > 0) {
        std::printf("  %-44s %8.1f ms   at most %-5.0f %s\n", what, ms, target,
                    ms <= target ? "met" : "MISSED");
    } else {
        std::printf("  %-44s %8.1f ms\n", what, ms);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long solves = argc > 1 ? std::atol(argv[1]) : 1000000;
    char pattern[] = "/tmp/gyrelle-records-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return 1;
    }
    const std::string dir = pattern;
    {
        std::ofstream out(dir + "/records");
        out << "gyrelle records 2\n";
        char text[96];
        for (long i = 0; i < solves; ++i) {
            const long t = 1700000000 + i * 60;
            const long day = t / 86400, second = t % 86400;
            // Days to a civil date, as the records file writes them.
            const long z = day + 719468, era = z / 146097, doe = z - era * 146097;
            const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
            const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
            const long d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
            std::snprintf(text, sizeof text,
                          "solve %04ld-%02ld-%02ldT%02ld:%02ld:%02ldZ %ld %.3f turns\n",
                          yoe + era * 400 + (m <= 2), m, d, second / 3600, second / 60 % 60,
                          second % 60, 20 + i % 50, 10 + static_cast<double>(i % 997) / 10);
            out << text;
        }
        // Their turns: R U R' U' ..., a turn every 150 ms.
        const char* const kTurns[] = {"R", "U", "R'", "U'", "F", "D'"};
        const long timed = std::min<long>(solves, 10000);
        for (long i = solves - timed; i < solves; ++i) {
            out << "timed " << i + 1
                << " UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB 7.250";
            for (int t = 0; t < 60; ++t) {
                out << ' ' << kTurns[(t + i) % 6] << '@' << t * 150;
            }
            out << '\n';
        }
        out << "end\n";
    }
    std::printf("records: %ld solves kept, the newest 10,000 with their turns; least of five\n",
                solves);
    double start = 1e9, frame = 1e9, whole = 1e9;
    for (int round = 0; round < 5; ++round) {
        double now = 1000;
        platform::RunLoop loop([&] { return now; });
        Game game;
        Clock::time_point begin = Clock::now();
        store::Keeper keeper(game, loop, dir, "");
        keeper.restore();
        start = std::min(start, millisecondsSince(begin));
        if (game.solves().done().size() != static_cast<size_t>(solves)) {
            std::fprintf(stderr, "the solves were not read back\n");
            return 1;
        }
        if (round == 0) {
            game.newGame();  // a solve armed, kept by the first save
        }
        // A turn: the solve is under way, and its line changes at every save.
        game.turn(round % 2 ? 4 : -4);
        for (int step = 0; step < 4; ++step) {
            game.stepMotion();
            game.stepTurn(now);
        }
        now += 5;
        begin = Clock::now();
        keeper.saveSoon();
        frame = std::min(frame, millisecondsSince(begin));
        begin = Clock::now();
        keeper.saveNow();
        whole = std::min(whole, millisecondsSince(begin));
    }
    line("start-up: the records read back", start, 300);
    line("a save, on the frame path", frame, 5);
    line("the end's save, written whole", whole, 0);
    std::filesystem::remove_all(dir);
    return 0;
}
