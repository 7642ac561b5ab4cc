// The real program in a real window, on an X server of the test's own (Xvfb): start-up,
// saving on every way of quitting, the mouse and keys as the game's input, resizing.
// The game's logic is tested headless; these check what only the window adds.
// In order: the helpers (WindowTest: launching, the clipboard, waiting for a pixel,
// telling whether the game sleeps), then quitting and saving (also behind a backlog), a
// drag that rests, a flood of motion, two games on one folder, mouse and keys, typed
// turns and the clipboard, a solve in the title, resizing, a restored spin, signals at
// start-up, a lost display, an unusable folder, no display at all.
#include <gtest/gtest.h>

// After gtest: Xlib defines macros (None, Bool) that clash with it.
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "platform/Geometry.h"
#include "tests/support/SlotGeometry.h"
#include "tests/support/X11Harness.h"

namespace gyrelle::testing {
namespace {

using platform::PixelRect;
using platform::Size;

bool isWhite(Rgb c) {
    return c.r >= 253 && c.g >= 253 && c.b >= 253;
}
bool isFrontCentre(Rgb c) {
    return c == Rgb{244, 0, 0};
}
bool isFrontCorner(Rgb c) {
    return c == Rgb{245, 0, 0};
}
bool isDrawn(Rgb c) {
    return !(c == Rgb{0, 0, 0});
}
bool isQuestion(Rgb c) {  // the question's box over the cube
    return c.r < 60 && c.g < 60 && c.b < 70 && c.b > 20;
}

// Everything written to the pipe `fd` until its writers close it; closes it.
std::string readToEnd(int fd) {
    std::string text;
    char buf[256];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) {
        text.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return text;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
        env = baseEnvironment();
        env.push_back("DISPLAY=" + server.display());
        char pattern[] = "/tmp/gyrelle-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dataHome = pattern;
        env.push_back("XDG_DATA_HOME=" + dataHome);  // never the user's own saved cube
        // SDL unloads Mesa at exit and the leak checker would blame the program for the
        // driver's memory; the headless tests check the same code for leaks.
        env.push_back("ASAN_OPTIONS=detect_leaks=0");
        dpy = XOpenDisplay(server.display().c_str());
        ASSERT_NE(dpy, nullptr);
        // A window that is not mapped yet answers with an error; the default handler
        // would end the test.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    void TearDown() override {
        if (dpy) {
            XCloseDisplay(dpy);
        }
        std::filesystem::remove_all(dataHome);
    }

    // The game's window, found by the title it opens with (a solve changes it).
    Window gameWindow() {
        if (windowOf != pid || window == 0) {
            window = findWindow(dpy, DefaultRootWindow(dpy), "Gyrelle", pid);
            windowOf = window ? pid : -1;
        }
        return window;
    }
    std::string title() { return windowTitle(dpy, gameWindow()); }

    // Starts the game, its log in log(), and waits for its window to show the cube.
    bool launch(std::vector<std::string> args = {}) {
        args.insert(args.begin(), GYRELLE_BINARY);
        pid = spawn(args, env, -1,
                    open((dataHome + "/log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
        bool shown = shows(project(startOrientation(stickerPoint(4)), 320, 480), isDrawn, 20);
        id = std::to_string(gameWindow());
        // The first frame can be on screen before the window takes the pointer's input.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return shown;
    }
    // What the system's clipboard holds.
    std::string clipboard() {
        int out[2];
        if (pipe(out) != 0) {
            return {};
        }
        // Quiet while the clipboard is still empty.
        const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
        const pid_t pid = spawn({"xclip", "-selection", "clipboard", "-o"}, env, out[1], quiet);
        close(quiet);
        close(out[1]);
        const std::string text = readToEnd(out[0]);
        waitFor(pid, 10);
        return text;
    }
    // The clipboard's text, once there is any (a fresh display has none).
    std::string clipboardOnceSet() {
        for (auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
            if (std::string text = clipboard(); !text.empty()) {
                return text;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }
    std::string log() {
        std::stringstream s;
        s << std::ifstream(dataHome + "/log").rdbuf();
        return s.str();
    }
    bool saved() { return std::filesystem::exists(dataHome + "/gyrelle/cube_state.dat"); }
    // The game's main thread sleeps: in one of two half seconds it wakes at most once,
    // where a frame timer would wake it 2 or 30 times in each, and its CPU time stands
    // still, where a thread busy with a backlog of events runs without ever waking, as it
    // never slept. (A save, which waits for the disk, may fall in the other half.)
    bool asleep() {
        const std::string task = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid);
        auto wakes = [&] {
            std::ifstream status(task + "/status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
                    return std::stol(line.substr(24));
                }
            }
            return -100L;
        };
        auto ran = [&] {  // nanoseconds on a processor
            long long ns = -1;
            std::ifstream(task + "/schedstat") >> ns;
            return ns;
        };
        for (int half = 0; half < 2; ++half) {
            const long before = wakes();
            const long long ranBefore = ran();
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            // At rest a wake-up is microseconds; 5 ms would be a few frames, or work.
            if (wakes() - before <= 1 && ran() - ranBefore < 5'000'000) {
                return true;
            }
        }
        return false;
    }
    int quitWith(int signal) {
        kill(pid, signal);
        return waitFor(pid, 10);
    }
    // Runs xdotool against the test's X server on the game's window.
    void xdo(std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        EXPECT_EQ(waitFor(spawn(args, env), 20), 0) << "xdotool " << args[1];
    }
    // The pointer to where a point of the cube lies, turned by `orient`, then `then`.
    template <class Orient>
    void mouseAt(Vecd cubePoint, Orient orient, std::vector<std::string> then = {}, int nudge = 0) {
        Pixel p = project(orient(cubePoint), 320, 480);
        std::vector<std::string> args{"mousemove", "--window", id, std::to_string(p.column + nudge),
                                      std::to_string(479 - p.row)};
        args.insert(args.end(), then.begin(), then.end());
        xdo(args);
    }
    // A left-button swipe: down, a first movement (swallowed), a second one.
    void swipe(int fromSlot, int toSlot) {
        mouseAt(stickerPoint(fromSlot), startOrientation, {"mousedown", "1"});
        mouseAt(stickerPoint(toSlot), startOrientation);
        mouseAt(stickerPoint(toSlot), startOrientation, {"mouseup", "1"}, 1);
    }

    // Two fingers dragged together (the right button) from the start-up orientation: the
    // first movement is swallowed, then 38 points right turn the cube by 2 * 38 * 0.4
    // degrees about the screen's y axis, and a last small step keeps it from spinning on.
    // Where that leaves a point of the cube.
    std::function<Vecd(Vecd)> dragTwoFingersRight() {
        xdo({"mousemove", "--window", id, "60", "60", "mousedown", "3"});
        xdo({"mousemove", "--window", id, "61", "60"});
        xdo({"mousemove", "--window", id, "99", "60"});
        xdo({"mousemove", "--window", id, "100", "60", "mouseup", "3"});
        const double angle = (2 * 38 + 2 * 1) * 0.4 * M_PI / 180;
        return [angle](Vecd v) { return rotate(startOrientation(v), {0, 1, 0}, angle); };
    }
    // Waits until the window shows what `want` accepts at view pixel `at` (row from the
    // bottom) of a view of w x h at (x, y) from the window's top left.
    bool shows(Pixel at, bool (*want)(Rgb), double seconds = 10,
               PixelRect view = {0, 0, 320, 480}) {
        auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end) {
            XImage* image = XGetImage(dpy, gameWindow(), 0, 0, view.x + view.width,
                                      view.y + view.height, AllPlanes, ZPixmap);
            if (image) {
                bool ok =
                    want(pixelOf(image, view.x + at.column, view.y + view.height - 1 - at.row));
                XDestroyImage(image);
                if (ok) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    XServer server;
    pid_t pid = -1;
    Window window = 0;
    pid_t windowOf = -1;
    std::string id;
    std::string dataHome;
    std::vector<std::string> env;
    Display* dpy = nullptr;
};

const Pixel kCorner = project(startOrientation(stickerPoint(0)), 320, 480);

// A turned cube is saved however the game is ended, and is there at the next start;
// also when a flood of input has piled up: SDL drops events once its queue is full, so a
// signal must not travel through it and pointer motion must not fill it.
TEST_F(WindowTest, EveryWayOfQuittingSavesTheCube) {
    ASSERT_TRUE(launch()) << "no window showing the cube";
    EXPECT_TRUE(shows(kCorner, isFrontCorner));
    swipe(0, 1);  // the bottom layer turns to the right: the left face's white comes round
    ASSERT_TRUE(shows(kCorner, isWhite));
    // Without the focus a frame takes 0.2 s: let the turn land, or it is not saved.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    for (int signal : {SIGTERM, SIGINT, SIGHUP, 0}) {  // 0: Ctrl+Q
        const Window w = gameWindow();
        kill(pid, SIGSTOP);  // busy for a moment, as in a long frame: the events pile up
        for (int i = 0; i < 150000; ++i) {
            XWarpPointer(dpy, 0, w, 0, 0, 0, 0, 100 + i % 2, 100);
        }
        XSync(dpy, False);
        kill(pid, SIGCONT);
        if (signal) {
            EXPECT_EQ(quitWith(signal), 0) << "signal " << signal;
        } else {
            // The window is gone before xdotool sends the key releases: it fails then, and
            // the keys may be left held down for the next game to read: let them go.
            waitFor(
                spawn({"xdotool", "key", "--window", std::to_string(gameWindow()), "ctrl+q"}, env),
                20);
            EXPECT_EQ(waitFor(pid, 10), 0) << "Ctrl+Q";
            xdo({"keyup", "ctrl+q"});
        }
        ASSERT_TRUE(saved());
        ASSERT_TRUE(launch());
        EXPECT_TRUE(shows(kCorner, isWhite, 1)) << "not restored after signal " << signal;
    }
    quitWith(SIGTERM);
}

// Ctrl+Q or a signal behind a backlog of 100,000 key presses: the game sees the quit as
// it enters the queue, and ends, saved, without working through what is before it (how
// soon: make bench).
TEST_F(WindowTest, AQuitBehindABacklogEndsTheGameSaved) {
    for (int signal : {0, SIGTERM}) {  // 0: Ctrl+Q
        ASSERT_TRUE(launch());
        kill(pid, SIGSTOP);
        sendBacklog(dpy, gameWindow(), signal == 0);
        const auto begin = Clock::now();
        kill(pid, SIGCONT);
        if (signal) {
            kill(pid, signal);
        }
        EXPECT_EQ(waitFor(pid, 60), 0) << signal;
        // How soon (a second here) is make bench's: the machine's load is in it too.
        const double took = std::chrono::duration<double>(Clock::now() - begin).count();
        std::printf("quit %d behind the backlog after %.2f s\n", signal, took);
        EXPECT_TRUE(saved());
    }
}

// A drag of the background released at once leaves the cube spinning; one that rests
// 0.3 s before the release leaves it still (a finger at rest sends no movement).
TEST_F(WindowTest, ADragThatRestsBeforeTheReleaseLeavesTheCubeStill) {
    ASSERT_TRUE(launch());
    auto picture = [&] {
        std::vector<unsigned long> pixels;
        if (XImage* image = XGetImage(dpy, gameWindow(), 0, 0, 320, 480, AllPlanes, ZPixmap)) {
            for (int y = 0; y < 480; y += 4) {
                for (int x = 0; x < 320; x += 4) {
                    pixels.push_back(XGetPixel(image, x, y));
                }
            }
            XDestroyImage(image);
        }
        return pixels;
    };
    // Without the focus a frame takes 0.2 s: two of them apart.
    auto spinning = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto before = picture();
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        return picture() != before;
    };
    xdo({"mousemove", "--window", id, "20", "100", "mousedown", "1"});
    xdo({"mousemove", "--window", id, "21", "100"});  // swallowed
    xdo({"mousemove", "--window", id, "40", "100"});  // 19 points: 0.228 rad
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdo({"mouseup", "1"});
    EXPECT_FALSE(spinning()) << "it spins after a rest";
    xdo({"mousemove", "--window", id, "20", "100", "mousedown", "1"});
    xdo({"mousemove", "--window", id, "21", "100"});
    xdo({"mousemove", "--window", id, "40", "100", "mouseup", "1"});
    EXPECT_TRUE(spinning()) << "it does not spin after a quick release";
    EXPECT_EQ(quitWith(SIGTERM), 0);
}

// A flood of pointer motion while the game is busy: what SDL's queue cannot hold is
// dropped, and the game still plays once it has caught up.
TEST_F(WindowTest, AFloodOfPointerMotionLeavesTheGamePlayable) {
    ASSERT_TRUE(launch());
    const Window w = gameWindow();
    kill(pid, SIGSTOP);
    for (int i = 0; i < 150000; ++i) {
        XWarpPointer(dpy, 0, w, 0, 0, 0, 0, 100 + i % 2, 100);
    }
    XSync(dpy, False);
    kill(pid, SIGCONT);
    // Until it has caught up (slow under the sanitizers, slower on a loaded machine):
    // input meanwhile may be dropped. Two minutes is no limit, only the end of waiting.
    for (auto end = Clock::now() + std::chrono::minutes(2); !asleep() && Clock::now() < end;) {
    }
    // A drag of two fingers, which moves the cube only as the pointer moves (a swipe would
    // still turn at its release, with no motion at all).
    const auto turned = dragTwoFingersRight();
    EXPECT_TRUE(shows(project(turned(stickerPoint(4)), 320, 480), isFrontCentre))
        << "a drag after the flood did not turn the cube";
    EXPECT_EQ(quitWith(SIGTERM), 0);
}

// Two games on one folder: the second asks, over its cube, whether to quit or to play
// without saving. Either way it writes nothing; the first keeps the folder.
TEST_F(WindowTest, ASecondGameOnTheFolderAsksAndWritesNothing) {
    ASSERT_TRUE(launch());
    const pid_t first = pid;
    swipe(0, 1);
    ASSERT_TRUE(shows(kCorner, isWhite));
    // Without the focus a frame takes 0.2 s: the turn lands, and two seconds later it is
    // saved.
    for (auto end = Clock::now() + std::chrono::seconds(10); !saved() && Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(saved());
    auto folder = [&] {
        std::string all;
        for (const auto& e : std::filesystem::directory_iterator(dataHome + "/gyrelle")) {
            std::stringstream s;
            s << std::ifstream(e.path()).rdbuf();
            all += e.path().filename().string() + ":" + s.str() + "\n";
        }
        return all;
    };
    const std::string before = folder();
    for (const char* answer : {"Escape", "Return"}) {
        ASSERT_TRUE(launch());
        EXPECT_TRUE(shows({160, 240}, isQuestion)) << answer;
        if (std::string(answer) == "Escape") {  // Quit
            // The window is gone before xdotool sends the key's release: it fails then,
            // and the X server may be left holding Escape down, which the next game would
            // read as its own press when it takes the focus (and quit): let it go.
            waitFor(spawn({"xdotool", "key", "--window", id, answer}, env), 20);
            EXPECT_EQ(waitFor(pid, 10), 0);
            xdo({"keyup", "Escape"});
            continue;
        }
        xdo({"key", "--window", id, answer});
        EXPECT_TRUE(shows(kCorner, isWhite)) << "the cube as the first game saved it";
        xdo({"key", "--window", id, "ctrl+n"});  // plays: the question to reset
        xdo({"key", "--window", id, "y"});
        EXPECT_TRUE(shows(kCorner, isFrontCorner));
        EXPECT_EQ(quitWith(SIGTERM), 0);
    }
    EXPECT_EQ(folder(), before);
    pid = first;
    EXPECT_EQ(quitWith(SIGTERM), 0);
    EXPECT_NE(log().find("another Gyrelle has "), std::string::npos) << log();
}

// A scramble sent by address, given to the program, is set at once marked shared; sessions
// made in the records by keys: both kept in the files when the game ends.
TEST_F(WindowTest, ARaceAddressAndASessionAreKept) {
    ASSERT_TRUE(launch({"https://example.org/#scramble=R_U&solved=14.27"}));
    for (auto end = Clock::now() + std::chrono::seconds(10);
         title().find("R U") == std::string::npos && Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(title().find("Scramble: R U"), std::string::npos) << title();
    xdo({"key", "--window", id, "F2"});
    xdo({"key", "--window", id, "e"});
    xdo({"key", "--window", id, "n"});
    xdo({"key", "--window", id, "Return"});
    xdo({"key", "--window", id, "Escape"});
    // Saved soon after the change: then the keys were all taken.
    for (auto end = Clock::now() + std::chrono::seconds(10);
         !std::filesystem::exists(dataHome + "/gyrelle/sessions") && Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(quitWith(SIGTERM), 0);
    auto read = [&](const char* name) {
        std::stringstream s;
        s << std::ifstream(dataHome + "/gyrelle/" + name).rdbuf();
        return s.str();
    };
    EXPECT_NE(read("records").find(" competition shared R U\n"), std::string::npos)
        << read("records");
    EXPECT_EQ(read("sessions"), "gyrelle sessions 1\nshown 2\nsession Main\nsession Session 2\n");
}

// The trainer in a real window: F4 puts its strips over the picture (the Close button where
// the window is black otherwise) with a cube of its own, which the keys turn; F4 again
// leaves it, and the game's cube is as it was.
TEST_F(WindowTest, TheTrainerOpensAndClosesByItsKey) {
    ASSERT_TRUE(launch());
    const Pixel close{31, 479 - 26}, centre = project(startOrientation(stickerPoint(4)), 320, 480);
    auto isBlack = [](Rgb c) { return c == Rgb{0, 0, 0}; };
    ASSERT_TRUE(shows(close, isBlack));
    xdo({"key", "--window", id, "F4"});
    EXPECT_TRUE(shows(close, isDrawn)) << "no trainer";
    xdo({"key", "--window", id, "u"});
    xdo({"key", "--window", id, "space"});
    xdo({"key", "--window", id, "F4"});
    EXPECT_TRUE(shows(close, isBlack)) << "the trainer did not close";
    EXPECT_TRUE(shows(kCorner, isFrontCorner) && shows(centre, isFrontCentre))
        << "the game's cube changed";
    EXPECT_EQ(quitWith(SIGTERM), 0);
}

// The mouse stands in for one finger (left), two together (right), a double tap (double
// click); keys shake, answer, undo and redo.
TEST_F(WindowTest, MouseAndKeysPlayTheGame) {
    ASSERT_TRUE(launch());
    EXPECT_TRUE(asleep()) << "at start";  // each change below wakes it
    // Ctrl+N on a solved cube scrambles it; Ctrl+Z brings the solved cube back.
    const Pixel centre = project(startOrientation(stickerPoint(4)), 320, 480);
    xdo({"key", "--window", id, "ctrl+n"});
    auto end = Clock::now() + std::chrono::seconds(10);
    bool scrambled = false;
    while (!scrambled && Clock::now() < end) {
        scrambled = !shows(kCorner, isFrontCorner, 0.05) || !shows(centre, isFrontCentre, 0.05);
    }
    EXPECT_TRUE(scrambled);
    xdo({"key", "--window", id, "ctrl+z"});
    EXPECT_TRUE(shows(kCorner, isFrontCorner) && shows(centre, isFrontCentre)) << "not undone";
    EXPECT_TRUE(asleep()) << "after the undo";

    swipe(0, 1);
    EXPECT_TRUE(shows(kCorner, isWhite));
    // Without the focus a frame takes 0.2 s: let the turn land before asking.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    xdo({"key", "--window", id, "ctrl+n"});  // unsolved: the question
    EXPECT_TRUE(shows({160, 240}, isQuestion));
    EXPECT_TRUE(asleep()) << "with the question";
    xdo({"key", "--window", id, "y"});
    EXPECT_TRUE(shows(kCorner, isFrontCorner)) << "not reset";
    xdo({"key", "--window", id, "ctrl+z"});  // the reset taken back, then done again
    EXPECT_TRUE(shows(kCorner, isWhite));
    xdo({"key", "--window", id, "ctrl+shift+z"});
    EXPECT_TRUE(shows(kCorner, isFrontCorner));

    const auto turned = dragTwoFingersRight();
    EXPECT_TRUE(shows(project(turned(stickerPoint(4)), 320, 480), isFrontCentre));

    // The white face's centre ends up where the face normal (0, 2, 1) / sqrt(5) puts it.
    mouseAt(stickerPoint(40), turned, {"click", "--repeat", "2", "--delay", "60", "1"});
    EXPECT_TRUE(shows(project({0, 1.501 * 0.894427, 1.501 * 0.447214}, 320, 480), isWhite));

    quitWith(SIGTERM);
}

// Typed in cube notation, a sequence and its inverse leave the cube as it was; a position
// goes through the system's clipboard both ways.
TEST_F(WindowTest, TypedTurnsAndThePositionThroughTheClipboard) {
    ASSERT_TRUE(launch());
    const Pixel upRight = project(startOrientation(stickerPoint(8)), 320, 480);
    xdo({"key", "--window", id, "r", "u", "shift+r", "shift+u"});
    EXPECT_TRUE(shows(upRight, [](Rgb c) { return !(c == Rgb{243, 0, 0}); }));
    // The copy waits for the moves typed before it, which take back the first four.
    xdo({"key", "--window", id, "u", "r", "shift+u", "shift+r", "ctrl+c"});
    EXPECT_EQ(clipboardOnceSet(), "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB");

    // The cube after R: the front's right column shows the bottom face's blue.
    const std::string afterR = "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB";
    int in[2];
    ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);  // the writing end stays out of xclip
    const pid_t fill = spawn({"xclip", "-selection", "clipboard", "-i"}, env, -1, -1, in[0]);
    close(in[0]);
    ASSERT_EQ(write(in[1], afterR.data(), afterR.size()), ssize_t(afterR.size()));
    close(in[1]);
    EXPECT_EQ(waitFor(fill, 10), 0);
    xdo({"key", "--window", id, "ctrl+v"});
    EXPECT_TRUE(shows(upRight, [](Rgb c) { return c.b > 200 && c.r < 10; }));
    quitWith(SIGTERM);
}

// 200 turns typed at 20 a second, as fast as fingers: none is lost, and the position the
// copy then gives is the model's after those turns (the letters name the faces as the
// cube starts, F toward the player).
TEST_F(WindowTest, TwoHundredKeysAtTwentyASecondAreAllPlayed) {
    ASSERT_TRUE(launch());
    std::vector<std::string> keys = {"key", "--window", id, "--delay", "50"};
    MagicCube model;
    Reading reading;
    unsigned seed = 30;
    for (int k = 0; k < 200; ++k) {
        seed = seed * 1103515245 + 12345;
        const char letter = "rulfdb"[(seed >> 16) % 6];
        const bool prime = (seed >> 8) % 2;
        keys.push_back(std::string(prime ? "shift+" : "") + letter);
        int codes[4];
        const std::string token = std::string(1, char(letter - 'a' + 'A')) + (prime ? "'" : "");
        ASSERT_EQ(reading.codes(token, codes), 1);
        model.rotateFace(codes[0]);
    }
    keys.push_back("ctrl+c");
    xdo(keys);
    EXPECT_EQ(clipboardOnceSet(), positionCode(model.stickers()));
    quitWith(SIGTERM);
}

// An inspection across a real kill: the game killed (SIGKILL: nothing saved at its end)
// while its scramble is inspected, started again 18 seconds after the inspection began;
// the first turn then is a DNF, as it would have been had the game stayed open (before,
// the restart began the 15 seconds again and the turn was clean).
TEST_F(WindowTest, AnInspectionGoesOnAcrossAKill) {
    std::filesystem::create_directories(dataHome + "/gyrelle");
    std::ofstream(dataHome + "/gyrelle/settings") << "inspection = on\n";
    auto records = [&] {
        std::stringstream s;
        s << std::ifstream(dataHome + "/gyrelle/records").rdbuf();
        return s.str();
    };
    ASSERT_TRUE(launch());
    xdo({"key", "--window", id, "ctrl+n"});  // scrambles the solved cube
    // Saved two seconds after the cube comes to rest, with when the inspection began.
    double began = -1;
    for (auto end = Clock::now() + std::chrono::seconds(60); began < 0 && Clock::now() < end;) {
        const std::string r = records();
        if (const size_t at = r.find(" inspection "); at != std::string::npos) {
            began = std::strtod(r.c_str() + at + 12, nullptr);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ASSERT_GT(began, 0) << records();
    kill(pid, SIGKILL);
    waitFor(pid, 10);
    auto wall = [] {
        return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    while (wall() < began + 18) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(launch());
    xdo({"key", "--window", id, "f"});  // the first turn
    bool dnf = false;
    for (auto end = Clock::now() + std::chrono::seconds(60); !dnf && Clock::now() < end;) {
        const std::string r = records();
        const size_t at = r.find("\nsolving ");
        dnf = at != std::string::npos && r.find(" dnf", at) < r.find('\n', at + 1);
        if (!dnf) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    EXPECT_TRUE(dnf) << records();
    EXPECT_EQ(quitWith(SIGTERM), 0);
}

// One turn from solved: the turn that solves it is said in the title and recorded.
TEST_F(WindowTest, TheTurnThatSolvesTheCubeIsSaidAndRecorded) {
    ASSERT_TRUE(launch({"--position", "UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB"}));
    EXPECT_EQ(title(), "Gyrelle");
    xdo({"key", "--window", id, "shift+r"});
    std::string said;
    for (auto end = Clock::now() + std::chrono::seconds(10);
         (said = title()).find("Solved") == std::string::npos && Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(said, "Solved in 1 move, 0:00.0 - Gyrelle");
    EXPECT_EQ(quitWith(SIGTERM), 0);
    std::stringstream records;
    records << std::ifstream(dataHome + "/gyrelle/records").rdbuf();
    EXPECT_TRUE(records.str().starts_with("gyrelle records 2\nsolve ")) << records.str();
    // Its turn kept with it: from the position pasted, R' as the player typed it.
    EXPECT_TRUE(records.str().ends_with(
        " 1 0.000 pasted\ntimed 1 UUFUUFUUFRRRRRRRRRFFDFFDFFDDDBDDBDDBLLLLLLLLLUBBUBBUBB - "
        "R'@0\nend\n"))
        << records.str();
}

TEST_F(WindowTest, ResizedWindowKeepsTheViewCentredAndSharp) {
    ASSERT_TRUE(launch());
    EXPECT_TRUE(asleep());  // each new size wakes it
    Window w = gameWindow();
    // Window sizes, and where the view lands in them.
    for (auto [window, view] : {std::pair{Size{640, 480}, PixelRect{160, 0, 320, 480}},
                                {Size{640, 960}, PixelRect{0, 0, 640, 960}},
                                {Size{480, 1000}, PixelRect{0, 140, 480, 720}}}) {
        // At the top left: XGetImage needs it on screen.
        XMoveResizeWindow(dpy, w, 0, 0, window.width, window.height);
        XSync(dpy, False);
        Pixel at = project(startOrientation(stickerPoint(4)), view.width, view.height);
        EXPECT_TRUE(shows(at, isFrontCentre, 10, view)) << window.width << "x" << window.height;
    }
    quitWith(SIGTERM);
}

// A window wider than the picture holds the toolbar to its right: at 640 x 480 ten 56 x 44
// buttons (Share the tenth), 4 apart, in columns of nine, the two centred in the 160
// pixels right of the view (x 502 and 562) and the first in its height (y 26). A click on
// Settings (the eighth, y 362) opens the settings; C twice there gives the colour-blind
// scheme, and the front shows its vermillion.
TEST_F(WindowTest, AWideWindowHoldsTheToolbarBesideTheCube) {
    ASSERT_TRUE(launch());
    XMoveResizeWindow(dpy, gameWindow(), 0, 0, 640, 480);
    XSync(dpy, False);
    const PixelRect view{160, 0, 320, 480};
    const Pixel centre = project(startOrientation(stickerPoint(4)), 320, 480);
    ASSERT_TRUE(shows(centre, isFrontCentre, 10, view));
    // The window's pixel (530, 384), as a pixel of the whole window (rows from the bottom).
    ASSERT_TRUE(shows({530, 480 - 1 - 384}, [](Rgb c) { return c.b > 60; }, 10, {0, 0, 640, 480}))
        << "no button there";
    xdo({"mousemove", "--window", id, "530", "384", "click", "1"});
    xdo({"key", "--window", id, "c", "c", "Escape"});
    EXPECT_TRUE(shows(
        centre,
        [](Rgb c) {
            return c == Rgb{213, 94, 0};
        },
        10, view));
    EXPECT_EQ(quitWith(SIGTERM), 0);
    std::stringstream settings;
    settings << std::ifstream(dataHome + "/gyrelle/settings").rdbuf();
    EXPECT_TRUE(settings.str().starts_with("colours = colour-blind\n")) << settings.str();
}

// The records' Export on the desktop writes the CSV among the player's downloads (here a
// home of the test's own with a Downloads folder), under a name not taken yet, and says
// where. The panel's Export lies at x 134..204, y 2..46.
TEST_F(WindowTest, ExportWritesTheRecordsAmongTheDownloads) {
    const std::string home = dataHome + "/home";
    std::filesystem::create_directories(home + "/Downloads");
    std::ofstream(home + "/Downloads/gyrelle-records.csv") << "someone else's\n";
    std::replace_if(
        env.begin(), env.end(), [](const std::string& e) { return e.rfind("HOME=", 0) == 0; },
        "HOME=" + home);
    if (std::find(env.begin(), env.end(), "HOME=" + home) == env.end()) {
        env.push_back("HOME=" + home);
    }
    ASSERT_TRUE(launch());
    xdo({"key", "--window", id, "F2"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    xdo({"mousemove", "--window", id, "169", "24", "click", "1"});
    const std::string written = home + "/Downloads/gyrelle-records-2.csv";
    for (auto end = Clock::now() + std::chrono::seconds(10);
         !std::filesystem::exists(written) && Clock::now() < end;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::stringstream csv;
    csv << std::ifstream(written).rdbuf();
    EXPECT_EQ(csv.str(),
              "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted,"
              "timed_moves\n");
    EXPECT_EQ(quitWith(SIGTERM), 0);
}

// A spin kept in the saved cube goes on at start-up: the loop never rests.
TEST_F(WindowTest, ARestoredSpinKeepsTheLoopAwake) {
    ASSERT_TRUE(launch());
    EXPECT_EQ(quitWith(SIGTERM), 0);
    const std::string path = dataHome + "/gyrelle/cube_state.dat";
    std::string state;
    {
        std::ifstream in(path);
        std::string line;
        for (int n = 0; n < 56 && std::getline(in, line); ++n) {
            state += line + "\n";
        }
    }
    std::ofstream(path) << state << "drot 0 1 0 0.05\nbrot 1\nprem 0\n";
    ASSERT_TRUE(launch());
    EXPECT_FALSE(asleep());
    EXPECT_TRUE(shows(
        kCorner, [](Rgb c) { return !isFrontCorner(c); }, 5))
        << "not turning";
    quitWith(SIGTERM);
}

// From the first line of main a request to end the game saves the cube, also one that
// comes while the game is still starting.
TEST_F(WindowTest, ASignalDuringStartUpStillSaves) {
    pid = spawn({GYRELLE_BINARY}, env);
    auto caughtHup = [&] {  // the process's mask of caught signals has SIGHUP's bit
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line) && line.rfind("SigCgt:", 0) != 0) {
        }
        return !line.empty() && (std::stoull(line.substr(7), nullptr, 16) & 1) != 0;
    };
    auto end = Clock::now() + std::chrono::seconds(10);
    while (!caughtHup() && Clock::now() < end) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(caughtHup()) << "not caught from the start";
    EXPECT_EQ(quitWith(SIGTERM), 0);
    EXPECT_TRUE(saved());
}

// Saved, so the exit status says all is kept, as at any end.
TEST_F(WindowTest, ALostDisplaySavesTheCubeAndSaysSo) {
    ASSERT_TRUE(launch());
    XCloseDisplay(dpy);
    dpy = nullptr;
    server.stop(SIGKILL);
    EXPECT_EQ(waitFor(pid, 10), 0);
    EXPECT_TRUE(saved());
    EXPECT_NE(log().find("gyrelle: the display went away; the cube was saved\n"), std::string::npos)
        << log();
}

// The game plays, but says at once that the cube will not be kept; its end says the save
// failed, and so does its exit status.
TEST_F(WindowTest, AFolderThatCannotBeUsedIsSaidAndTheExitFails) {
    std::ofstream(dataHome + "/plain") << "a file, not a folder";
    std::replace(env.begin(), env.end(), "XDG_DATA_HOME=" + dataHome,
                 "XDG_DATA_HOME=" + dataHome + "/plain");
    ASSERT_TRUE(launch());
    EXPECT_EQ(quitWith(SIGTERM), 1);
    const std::string said = log();
    EXPECT_EQ(said.find("reset: solved\nthe cube cannot be kept: "), 0u) << said;
    EXPECT_NE(said.find("\ncould not save the cube: "), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
}

TEST(NoDisplay, SaysSoInOneLineAndFails) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = spawn({GYRELLE_BINARY}, baseEnvironment(), -1, fds[1]);
    close(fds[1]);
    const std::string err = readToEnd(fds[0]);
    EXPECT_NE(waitFor(pid, 10), 0);
    EXPECT_EQ(err.rfind("gyrelle: ", 0), 0u) << err;
    EXPECT_NE(err.find("display"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
}  // namespace gyrelle::testing
