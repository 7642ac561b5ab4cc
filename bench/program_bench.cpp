// Whole-program figures: the real game under Xvfb. Time from start to the first
// frame on screen, CPU use over 10 s at rest and while spinning, peak memory.
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

struct Figures {
    double startMs = -1;
    double cpuPercent = -1;
    long peakKb = -1;
};

std::vector<std::string> extraEnvironment;

Figures measure(const char* binary, const std::string& display, const std::string& dataHome,
                double seconds) {
    std::vector<std::string> env = baseEnvironment();
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    env.push_back("DISPLAY=" + display);
    env.push_back("XDG_DATA_HOME=" + dataHome);
    Display* dpy = XOpenDisplay(display.c_str());
    Figures f;
    if (!dpy) {
        return f;
    }
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const auto start = Clock::now();
    pid_t pid = spawn({binary}, env, -1, open("/dev/null", O_WRONLY));
    while (Clock::now() - start < std::chrono::seconds(20) && f.startMs < 0) {
        Window w = findWindow(dpy, DefaultRootWindow(dpy), "Gyrelle", pid);
        XImage* image = w ? XGetImage(dpy, w, 160, 240, 1, 1, AllPlanes, ZPixmap) : nullptr;
        if (image) {
            if (!(pixelOf(image, 0, 0) == Rgb{0, 0, 0})) {
                f.startMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
            XDestroyImage(image);
        }
        if (f.startMs < 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }
    // Focused, as a player's window is: the frame timer runs at 60 ticks a second.
    if (Window w = findWindow(dpy, DefaultRootWindow(dpy), "Gyrelle", pid)) {
        XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
        XSync(dpy, False);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // settle
    const double before = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    f.cpuPercent = 100.0 * (cpuSeconds(pid) - before) / seconds;
    f.peakKb = peakKilobytes(pid);
    kill(pid, SIGTERM);
    waitFor(pid, 10);
    XCloseDisplay(dpy);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const char* binary = argc > 1 ? argv[1] : "build/app/gyrelle";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    for (int i = 3; i < argc; ++i) {  // NAME=value for the game's environment
        extraEnvironment.push_back(argv[i]);
    }
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
    Figures rest = measure(binary, server.display(), home, seconds);
    // A saved spin resumes at start-up: the cube turns every frame.
    std::filesystem::create_directories(home + "/gyrelle");
    std::string state;
    {
        std::ifstream in(home + "/gyrelle/cube_state.dat");
        std::string line;
        for (int n = 0; n < 56 && std::getline(in, line); ++n) {
            state += line + "\n";
        }
    }
    std::ofstream(home + "/gyrelle/cube_state.dat") << state << "drot 0 1 0 0.05\nbrot 1\nprem 0\n";
    Figures spin = measure(binary, server.display(), home, seconds);
    std::filesystem::remove_all(home);

    std::printf("start to first frame on screen: %.0f ms (target 150 ms)\n", rest.startMs);
    std::printf("CPU at rest over %.0f s:          %.2f %% of a core (target 1 %%)\n", seconds,
                rest.cpuPercent);
    std::printf("CPU while spinning over %.0f s:   %.1f %% of a core\n", seconds, spin.cpuPercent);
    std::printf("peak resident memory:           %.1f MB (target 60 MB)\n",
                static_cast<double>(std::max(rest.peakKb, spin.peakKb)) / 1024.0);
    return 0;
}
