// Whole-program figures of the real game under Xvfb, side by side with the floor (a
// program that only draws two triangles with SDL2 and OpenGL ES 1.1), in interleaved
// rounds: time from start to the first frame on screen (of 6 launches each a round),
// peak resident memory, CPU at rest and while spinning at 60 frames a second; and the game
// alone quitting behind a backlog, and printing a thousand scrambles.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/X11Harness.h"

namespace {

using namespace gyrelle::testing;
using Clock = std::chrono::steady_clock;

double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 3; i < 14; ++i) {
        fields >> skip;
    }
    long utime = 0, stime = 0;
    fields >> utime >> stime;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long peakKilobytes(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

struct Run {
    double startMs = -1;
    double cpuPercent = -1;
    double peakMb = -1;
};

// Starts `argv` with `env`, waits for its window `title` to show something at its
// centre, lets it settle and measures it for `seconds`.
Run measure(const std::vector<std::string>& argv, std::vector<std::string> env,
            const std::string& display, const char* title, double seconds) {
    env.push_back("DISPLAY=" + display);
    Display* dpy = XOpenDisplay(display.c_str());
    Run r;
    if (!dpy) {
        return r;
    }
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const auto start = Clock::now();
    pid_t pid = spawn(argv, env, -1, open("/dev/null", O_WRONLY));
    Window w = 0;
    while (Clock::now() - start < std::chrono::seconds(20) && r.startMs < 0) {
        w = w ? w : findWindow(dpy, DefaultRootWindow(dpy), title, pid);
        XImage* image = w ? XGetImage(dpy, w, 160, 240, 1, 1, AllPlanes, ZPixmap) : nullptr;
        if (image) {
            if (!(pixelOf(image, 0, 0) == Rgb{0, 0, 0})) {
                r.startMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
            XDestroyImage(image);
        }
        if (r.startMs < 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }
    if (w) {  // focused, as a player's window is: 60 frames a second while moving
        XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
        XSync(dpy, False);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // settle
    const double before = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    r.cpuPercent = 100.0 * (cpuSeconds(pid) - before) / seconds;
    r.peakMb = static_cast<double>(peakKilobytes(pid)) / 1024.0;
    kill(pid, SIGTERM);
    waitFor(pid, 10);
    XCloseDisplay(dpy);
    return r;
}

// Seconds from the game's going on again, behind 100,000 key presses piled up while it was
// stopped, to its end after Ctrl+Q (at the queue's end) or SIGTERM: the quit is seen as
// it comes, not after the queue is worked through. Negative when it did not end.
double quitBehindBacklog(const std::string& game, std::vector<std::string> env,
                         const std::string& display, bool signal) {
    env.push_back("DISPLAY=" + display);
    Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy) {
        return -1;
    }
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const pid_t pid = spawn({game}, env, -1, open("/dev/null", O_WRONLY));
    Window w = 0;
    for (auto end = Clock::now() + std::chrono::seconds(20); !w && Clock::now() < end;) {
        w = findWindow(dpy, DefaultRootWindow(dpy), "Gyrelle", pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGSTOP);
    sendBacklog(dpy, w, !signal);
    const auto begin = Clock::now();
    kill(pid, SIGCONT);
    if (signal) {
        kill(pid, SIGTERM);
    }
    const int status = waitFor(pid, 60);
    const double took = std::chrono::duration<double>(Clock::now() - begin).count();
    XCloseDisplay(dpy);
    return status == 0 ? took : -1;
}

struct Spread {
    double min, median, max;
};
// Of the runs that showed a window; none when none did.
Spread spread(std::vector<double> v) {
    std::erase_if(v, [](double x) { return x < 0; });
    std::sort(v.begin(), v.end());
    return v.empty() ? Spread{-1, -1, -1} : Spread{v.front(), v[v.size() / 2], v.back()};
}

void row(const char* figure, const char* format, const std::vector<double>& game,
         const std::vector<double>& floor, bool ratio, double limit) {
    const Spread g = spread(game), f = spread(floor);
    char gs[64], fs[64], cmp[32], target[32];
    std::snprintf(gs, sizeof gs, format, g.min, g.median, g.max);
    std::snprintf(fs, sizeof fs, format, f.min, f.median, f.max);
    const double value = ratio ? g.median / f.median : g.median - f.median;
    std::snprintf(cmp, sizeof cmp, ratio ? "%.2f x" : "%+.2f", value);
    std::snprintf(target, sizeof target, ratio ? "<= %.1f x" : "<= %+.1f", limit);
    std::printf("| %-22s | %-22s | %-22s | %-8s | %-9s | %s |\n", figure, gs, fs, cmp, target,
                value <= limit ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string game = argc > 1 ? argv[1] : "build/app/gyrelle";
    const std::string floor = argc > 2 ? argv[2] : "build/bench/gyrelle_floor";
    const double seconds = argc > 3 ? std::atof(argv[3]) : 10.0;
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 5;
    XServer server;
    if (server.display().empty()) {
        std::fprintf(stderr, "program_bench: Xvfb did not start\n");
        return 1;
    }
    char pattern[] = "/tmp/gyrelle-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        return 1;
    }
    const std::string home = pattern;
    std::vector<std::string> env = baseEnvironment();
    env.push_back("XDG_DATA_HOME=" + home);

    // A saved cube with a spin, which resumes at start-up: the cube turns every frame.
    const std::string rested = home + "/rested", spinning = home + "/spinning";
    measure({game}, env, server.display(), "Gyrelle", 0.1);
    std::string state;
    {
        std::ifstream in(home + "/gyrelle/cube_state.dat");
        std::string line;
        for (int n = 0; n < 56 && std::getline(in, line); ++n) {
            state += line + "\n";
        }
    }
    std::filesystem::rename(home + "/gyrelle", rested);
    std::filesystem::create_directories(spinning + "/gyrelle");
    std::ofstream(spinning + "/gyrelle/cube_state.dat")
        << state << "drot 0 1 0 0.05\nbrot 1\nprem 0\n";
    std::vector<std::string> restEnv = baseEnvironment(), spinEnv = baseEnvironment();
    restEnv.push_back("XDG_DATA_HOME=" + rested);
    spinEnv.push_back("XDG_DATA_HOME=" + spinning);

    std::vector<double> start[2], memory[2], rest[2], spin[2];  // [0] the game, [1] the floor
    for (int round = 0; round < rounds; ++round) {
        // The game first in one round, the floor first in the next; a pause between runs
        // lets the X server settle after the last one ended.
        for (int k = 0; k < 4; ++k) {
            const int who = (k + round) % 2;  // 0 the game, 1 the floor
            const bool spinning = k >= 2;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const Run r = who == 0 ? measure({game}, spinning ? spinEnv : restEnv, server.display(),
                                             "Gyrelle", seconds)
                                   : measure({floor, spinning ? "spin" : "rest"}, env,
                                             server.display(), "Floor", seconds);
            start[who].push_back(r.startMs);
            memory[who].push_back(r.peakMb);
            (spinning ? spin : rest)[who].push_back(r.cpuPercent);
        }
        // Start-up varies most: more launches for it alone.
        for (int k = 0; k < 8; ++k) {
            const int who = (k + round) % 2;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            start[who].push_back((who == 0
                                      ? measure({game}, restEnv, server.display(), "Gyrelle", 0)
                                      : measure({floor, "rest"}, env, server.display(), "Floor", 0))
                                     .startMs);
        }
        std::fprintf(stderr, "round %d of %d done\n", round + 1, rounds);
    }
    std::vector<double> quitKey, quitSignal;
    for (int round = 0; round < rounds; ++round) {
        quitKey.push_back(quitBehindBacklog(game, restEnv, server.display(), false));
        quitSignal.push_back(quitBehindBacklog(game, restEnv, server.display(), true));
    }
    std::filesystem::remove_all(home);

    std::printf("%d interleaved rounds, %.0f s each; min / median / max\n\n", rounds, seconds);
    std::printf("| %-22s | %-22s | %-22s | %-8s | %-9s | |\n", "figure", "Gyrelle", "floor",
                "against", "target");
    std::printf("|---|---|---|---|---|---|\n");
    row("first frame, ms", "%.0f / %.0f / %.0f", start[0], start[1], true, 1.1);
    row("peak memory, MB", "%.1f / %.1f / %.1f", memory[0], memory[1], false, 4.0);
    row("CPU at rest, %", "%.2f / %.2f / %.2f", rest[0], rest[1], false, 0.1);
    row("CPU spinning, %", "%.1f / %.1f / %.1f", spin[0], spin[1], true, 2.5);
    // The game alone: a quit behind a backlog of 100,000 key presses.
    for (const auto& [what, v] :
         {std::pair{"quit by Ctrl+Q behind 100,000 keys, s", &quitKey},
          std::pair{"quit by SIGTERM behind 100,000 keys, s", &quitSignal}}) {
        const Spread s = spread(*v);
        std::printf("| %-22s | %.2f / %.2f / %.2f | | | <= 1.0 | %s |\n", what, s.min, s.median,
                    s.max, s.median >= 0 && s.median <= 1.0 ? "met" : "MISSED");
    }
    // The game alone: a thousand competition scrambles printed, from the start of the
    // program to its end.
    std::vector<double> scrambles;
    for (int round = 0; round < rounds; ++round) {
        const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
        const auto begin = Clock::now();
        const pid_t pid = spawn({game, "--scramble", "1000"}, env, quiet, quiet);
        close(quiet);
        const bool ended = waitFor(pid, 60) == 0;
        scrambles.push_back(ended ? std::chrono::duration<double>(Clock::now() - begin).count()
                                  : -1);
    }
    const Spread s = spread(scrambles);
    std::printf("| %-22s | %.2f / %.2f / %.2f | | | <= 2.0 | %s |\n", "--scramble 1000, s", s.min,
                s.median, s.max, s.median >= 0 && s.median <= 2.0 ? "met" : "MISSED");
    return 0;
}
