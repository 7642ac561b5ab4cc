// The solver's figures on random positions from a fixed seed and on hard ones: the first
// answer's time and length, a hint's (looking on for shorter on its clock), and the
// tables' build time and size, each against its target. The hard ones: the superflip, the
// superflip with four spots, each one turn from either, other symmetric patterns, and the
// slowest of many random positions (by the nodes their first answer takes). Built
// natively and for the browser (the same source; there it prints to the page's console).
// A first answer's time is the least of three (the machine's other work only ever adds
// to it).
// Usage: gyrelle_solver_bench [browser] [POSITIONS] [TABLE-BUILDS] [DRAWS] [SLOWEST]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>
#ifndef __EMSCRIPTEN__
#include <thread>
#endif

#include "solver/Scramble.h"
#include "solver/Solver.h"

namespace {

using namespace gyrelle::solver;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

// The value at fraction `q` of the sorted figures (nearest rank).
double quantile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const size_t rank = static_cast<size_t>(q * static_cast<double>(v.size()) + 0.999999);
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

// A figure, and against its target (if it has one) met or MISSED.
void line(const char* what, const std::string& figure, const char* target = "", bool met = true) {
    if (*target == 0) {
        std::printf("  %-30s %s\n", what, figure.c_str());
    } else {
        std::printf("  %-30s %-14s %-10s %s\n", what, figure.c_str(), target,
                    met ? "met" : "MISSED");
    }
}

// Ours against another's figure: how many times faster or slower.
void compare(const char* what, double ours, double theirs) {
    std::printf("    %-38s %.1f times %s\n", what, ours < theirs ? theirs / ours : ours / theirs,
                ours < theirs ? "faster" : "slower");
}

std::string fixed(double value, int digits, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s", digits, value, unit);
    return text;
}

// A cube after the turns written in cube notation.
Cubies after(const std::string& moves) {
    Cubies c;
    std::istringstream words(moves);
    for (std::string w; words >> w;) {
        const int face = static_cast<int>(std::string("URFDLB").find(w[0]));
        const int power = w.size() == 1 ? 0 : w[1] == '2' ? 1 : 2;
        c = c.times(faceTurn(face * 3 + power));
    }
    return c;
}

// The least of three times of a first answer, checked on the cube (outside the time);
// false for none or a wrong one.
bool timeFirstAnswer(Solver& solver, const Cubies& cube, double& ms, std::size_t& length) {
    std::optional<Turns> answer;
    ms = 1e9;
    for (int round = 0; round < 3; ++round) {
        const Clock::time_point begin = Clock::now();
        answer = solver.solve(cube);
        ms = std::min(ms, millisecondsSince(begin));
    }
    Cubies end = cube;
    for (int t : answer.value_or(Turns{})) {
        end = end.times(faceTurn(t));
    }
    if (!answer || !(end == Cubies()) || answer->size() > Solver::kMostTurns) {
        std::printf("position %s: %s\n", cube.code().c_str(),
                    answer ? "the answer does not solve it" : "no answer");
        return false;
    }
    length = answer->size();
    return true;
}

// The superflip, the superflip with four spots, and each one turn from either; the
// checkerboard, four and six spots, the cube in a cube.
std::vector<Cubies> hardSet() {
    const std::string superflip = "U R2 F B R B2 R U2 L B2 R U' D' R2 F R' L B2 U2 F2";
    std::vector<Cubies> set;
    for (const std::string& moves : {superflip, superflip + " F2 B2 U D' R2 L2 U D'"}) {
        const Cubies c = after(moves);
        set.push_back(c);
        for (int t = 0; t < kFaceTurns; ++t) {
            set.push_back(c.times(faceTurn(t)));
        }
    }
    for (const char* moves : {"U2 D2 F2 B2 L2 R2", "F2 B2 U D' R2 L2 U D'", "U D' R L' F B' U D'",
                              "F L F U' R U F2 L2 U' L' B D' B' L2 U"}) {
        set.push_back(after(moves));
    }
    return set;
}

// The `count` of `cubes` whose first answers take the most nodes, on every core.
std::vector<Cubies> slowest(const Tables& tables, const Phase1Depths* depths,
                            const std::vector<Cubies>& cubes, int count) {
    std::vector<std::int64_t> nodes(cubes.size());
    auto some = [&](std::size_t from, std::size_t step) {
        Solver solver(tables, depths);
        for (std::size_t i = from; i < cubes.size(); i += step) {
            solver.solve(cubes[i]);
            nodes[i] = solver.nodes();
        }
    };
#ifdef __EMSCRIPTEN__
    some(0, 1);
#else
    const std::size_t threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> workers;
    for (std::size_t k = 0; k < threads; ++k) {
        workers.emplace_back(some, k, threads);
    }
    for (std::thread& w : workers) {
        w.join();
    }
#endif
    std::vector<std::size_t> order(cubes.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    const std::size_t kept = std::min<std::size_t>(static_cast<std::size_t>(count), order.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(kept), order.end(),
                      [&](std::size_t a, std::size_t b) { return nodes[a] > nodes[b]; });
    std::vector<Cubies> picked;
    for (std::size_t k = 0; k < kept; ++k) {
        picked.push_back(cubes[order[k]]);
    }
    return picked;
}

}  // namespace

// Every figure of one way to search: the pair tables alone (the browser's, and the
// desktop's until its depths are built), or with phase 1's whole depths (the desktop's).
// Targets printed where they apply to it. False when an answer is wrong.
bool measure(const Tables& tables, const Phase1Depths* depths, bool targets, bool browser,
             int positions, int draws, int slowestCount, double& median) {
    const double mostTarget = browser ? 150 : 50;
    std::mt19937 engine(20261207);
    const std::function<std::uint32_t()> random = [&] {
        return static_cast<std::uint32_t>(engine());
    };
    Solver solver(tables, depths);
    std::vector<Cubies> cubes;
    for (int p = 0; p < positions; ++p) {
        cubes.push_back(randomPosition(random));
    }
    // As solve answers (the first solution found), and as a hint asks: looking on for a
    // shorter one, on its clock.
    std::vector<double> times, hintTimes;
    double lengths = 0, hintLengths = 0;
    int longest = 0, hintsWithin20 = 0;
    for (const Cubies& cube : cubes) {
        const Clock::time_point begin = Clock::now();
        const std::optional<Turns> shorter = solver.solve(cube, Solver::kMostTurns, true);
        hintTimes.push_back(millisecondsSince(begin));
        hintLengths += static_cast<double>(shorter.value_or(Turns{}).size());
        hintsWithin20 += shorter && shorter->size() <= 20;
        double ms;
        std::size_t length;
        if (!timeFirstAnswer(solver, cube, ms, length)) {
            return false;
        }
        times.push_back(ms);
        lengths += static_cast<double>(length);
        longest = std::max(longest, static_cast<int>(length));
    }
    std::vector<double> hardTimes;
    const std::vector<Cubies> hard = hardSet();
    for (const Cubies& cube : hard) {
        double ms;
        std::size_t length;
        if (!timeFirstAnswer(solver, cube, ms, length)) {
            return false;
        }
        hardTimes.push_back(ms);
    }
    std::mt19937 drawing(20261208);
    std::vector<Cubies> drawn;
    for (int d = 0; d < draws; ++d) {
        drawn.push_back(randomPosition([&] { return static_cast<std::uint32_t>(drawing()); }));
    }
    std::vector<double> slowTimes;
    for (const Cubies& cube : slowest(tables, depths, drawn, slowestCount)) {
        double ms;
        std::size_t length;
        if (!timeFirstAnswer(solver, cube, ms, length)) {
            return false;
        }
        slowTimes.push_back(ms);
    }

    const double mean = lengths / positions, p99 = quantile(times, 0.99),
                 most = quantile(times, 1.0);
    median = quantile(times, 0.5);
    // A figure with its target where the target applies to this way, else alone.
    auto against = [targets](const char* target) { return targets ? target : ""; };
    line("first answer length, mean", fixed(mean, 2, " turns"), against("<= 20.5"), mean <= 20.5);
    line("first answer length, max", fixed(longest, 0, " turns"), against("<= 21"), longest <= 21);
    line("first answer, median", fixed(median, 3, " ms"), against(browser ? "<= 3 ms" : "<= 1 ms"),
         median <= (browser ? 3 : 1));
    line("first answer, 99th percentile", fixed(p99, 2, " ms"), against(browser ? "" : "<= 10 ms"),
         p99 <= 10);
    const std::string mostLabel = fixed(mostTarget, 0, " ms");
    const std::string atMost = "<= " + mostLabel;
    line("first answer, max", fixed(most, 2, " ms"), against(atMost.c_str()), most <= mostTarget);
    const double hardMost = quantile(hardTimes, 1.0);
    const std::string hardLabel = "hard set (" + std::to_string(hard.size()) + "), max";
    line(hardLabel.c_str(), fixed(hardMost, 2, " ms"), against(atMost.c_str()),
         hardMost <= mostTarget);
    line("  superflip", fixed(hardTimes[0], 2, " ms"));
    line("  superflip and four spots", fixed(hardTimes[kFaceTurns + 1], 2, " ms"));
    line(
        "  one turn from either, max",
        fixed(std::max(*std::max_element(hardTimes.begin() + 1, hardTimes.begin() + kFaceTurns + 1),
                       *std::max_element(hardTimes.begin() + kFaceTurns + 2,
                                         hardTimes.begin() + 2 * kFaceTurns + 2)),
              2, " ms"));
    const std::string slowLabel =
        "slowest " + std::to_string(slowTimes.size()) + " of " + std::to_string(draws) + ", median";
    line(slowLabel.c_str(), fixed(quantile(slowTimes, 0.5), 2, " ms"));
    const double slowMost = quantile(slowTimes, 1.0);
    line("  and max", fixed(slowMost, 2, " ms"), against(atMost.c_str()), slowMost <= mostTarget);
    const double hintShare = 100.0 * hintsWithin20 / positions;
    line("a hint's answer, mean", fixed(hintLengths / positions, 2, " turns"));
    line("a hint's answer, 20 turns or fewer", fixed(hintShare, 1, " %"), against(">= 99 %"),
         hintShare >= 99);
    line("a hint's search, median", fixed(quantile(hintTimes, 0.5), 1, " ms"));
    line("a hint's search, max", fixed(quantile(hintTimes, 1.0), 1, " ms"));
    return true;
}

int main(int argc, char** argv) {
    bool browser = false;
    int positions = 1000, builds = 5, draws = 100000, slowestCount = 1000;
    int arg = 1;
    if (arg < argc && std::strcmp(argv[arg], "browser") == 0) {
        browser = true;
        ++arg;
    }
    int* numbers[] = {&positions, &builds, &draws, &slowestCount};
    for (int* n : numbers) {
        if (arg < argc) {
            *n = std::max(1, std::atoi(argv[arg++]));
        }
    }
    // The targets: natively, and in the browser where they differ. The tables are larger
    // than they were: phase 2 pairs the corners with the slice order and the U edges'
    // places (2.2 MB), and on the desktop the edges with the slice order and the U
    // corners' places (2.2 MB more) and keeps both whole too (9 MB more). They take longer
    // to build: 300 ms in the browser, 500 to 600 on the desktop, not 150 (targets of 1.2
    // s and 700 ms). They pay: the hardest position's first answer on the desktop 1.4 s,
    // then 95 ms, now about 26.
    const double tablesTarget = browser ? 1200 : 700;

    std::vector<double> buildTimes;
    for (int b = 0; b < builds; ++b) {
        const Clock::time_point begin = Clock::now();
        Tables fresh;
        while (!fresh.build(1.0)) {
        }
        buildTimes.push_back(millisecondsSince(begin));
    }
    Tables tables;
    while (!tables.build(1.0)) {
    }
    const double build = quantile(buildTimes, 0.5), megabytes = tables.bytes() / 1e6;
    std::printf("solver, %s: %d random positions (fixed seed), tables built %d times\n",
                browser ? "in the browser" : "native", positions, builds);

    line("tables, build time (median)", fixed(build, 0, " ms"),
         browser ? "<= 1200 ms" : "<= 700 ms", build <= tablesTarget);
    // On the desktop phase 2's tables are larger and kept whole too (11 MB more): they
    // pay there.
    line("tables, memory", fixed(megabytes, 2, " MB"), browser ? "<= 4 MB" : "<= 15 MB",
         megabytes <= (browser ? 4 : 15));
    double median = 0;
    std::printf("  without phase 1's whole depths (the game's until they are built):\n");
    if (!measure(tables, nullptr, false, browser, positions, draws, slowestCount, median)) {
        return 1;
    }
    // Built as the game builds them once (on a thread, or in a page between its frames);
    // read back as each later game does.
    Clock::time_point begin = Clock::now();
    Phase1Depths depths(tables.moves(), tables.classes());
    depths.sortIntoClasses();
    const std::atomic<bool> never{false};
    depths.build(never);
    const double depthsBuild = millisecondsSince(begin);
    begin = Clock::now();
    Phase1Depths again(tables.moves(), tables.classes());
    again.sortIntoClasses();
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[depths.size()]);
    std::memcpy(copy.get(), depths.data(), depths.size());
    again.adopt(std::move(copy), depths.size());
    const double depthsTaken = millisecondsSince(begin);
    std::printf("  with them:\n");
    const double mostSeconds = browser ? 40 : 20;
    line("depths, built once", fixed(depthsBuild / 1000, 1, " s"), browser ? "<= 40 s" : "<= 20 s",
         depthsBuild <= mostSeconds * 1000);
    line("depths, taken at a start", fixed(depthsTaken, 0, " ms"));
    line("depths, memory", fixed(depths.bytes() / 1e6, 1, " MB"));
    if (!measure(tables, &again, true, browser, positions, draws, slowestCount, median)) {
        return 1;
    }
    // Published figures, on machines like this one (not measured here): the best for this
    // method, and a popular JavaScript solver.
    std::printf("  against published figures (not run here):\n");
    compare("best two-phase, 0.75 ms a solve", median, 0.75);
    compare("best two-phase, 200 ms of tables", build, 200);
    compare("JavaScript solver, 40 ms a solve", median, 40);
    compare("JavaScript solver, 1300 ms of tables", build, 1300);
    std::printf("done\n");
    return 0;
}
