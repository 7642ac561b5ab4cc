// The real program in a real window: an X server of the test's own (Xvfb), a
// screenshot of the window, and a clean exit on every way of closing it.
#include <gtest/gtest.h>

// After gtest: Xlib defines macros (None, Bool) that clash with it.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/SlotGeometry.h"
#include "tests/support/X11Harness.h"

namespace gyrelle::testing {
namespace {

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
        if (!dataHome.empty()) {
            std::filesystem::remove_all(dataHome);
        }
    }

    // Starts the game and waits for its window to show the cube.
    XImage* startAndCapture(pid_t& pid) {
        pid = spawn({GYRELLE_BINARY}, env);
        auto end = Clock::now() + std::chrono::seconds(20);
        while (Clock::now() < end) {
            Window w = findWindow(dpy, DefaultRootWindow(dpy), "Gyrelle", pid);
            XWindowAttributes a{};
            if (w && XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable) {
                XImage* image = XGetImage(dpy, w, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
                if (image && !(pixelOf(image, 160, 240) == Rgb{0, 0, 0})) {
                    width = a.width;
                    height = a.height;
                    return image;
                }
                if (image) {
                    XDestroyImage(image);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return nullptr;
    }

    // Runs xdotool against the test's X server and waits for it.
    void xdo(std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        EXPECT_EQ(waitFor(spawn(args, env), 20), 0) << "xdotool " << args[1];
    }

    Window gameWindow() { return findWindow(dpy, DefaultRootWindow(dpy), "Gyrelle", pid); }

    // Starts the game and waits for the cube; `id` is then its window for xdotool.
    bool launch() {
        XImage* image = startAndCapture(pid);
        if (image == nullptr) {
            return false;
        }
        XDestroyImage(image);
        id = std::to_string(gameWindow());
        return true;
    }
    void quit() {
        kill(pid, SIGTERM);
        EXPECT_EQ(waitFor(pid, 10), 0);
    }
    // The pointer to a point of the cube at the start-up orientation, then `then`.
    void mouseAt(Vecd cubePoint, std::vector<std::string> then = {}, int nudge = 0) {
        std::vector<std::string> args{"mousemove", "--window", id};
        for (const std::string& a : windowXY(cubePoint, startOrientation, nudge)) {
            args.push_back(a);
        }
        args.insert(args.end(), then.begin(), then.end());
        xdo(args);
    }
    // A left-button swipe: down, a first movement (swallowed), a second one.
    void swipe(int fromSlot, int toSlot) {
        mouseAt(stickerPoint(fromSlot), {"mousedown", "1"});
        mouseAt(stickerPoint(toSlot));
        mouseAt(stickerPoint(toSlot), {"mouseup", "1"}, 1);
    }

    // Waits until the window shows `want` at view pixel `at` (row from the bottom).
    bool shows(Pixel at, bool (*want)(Rgb), double seconds = 10) {
        auto end = Clock::now() + std::chrono::duration<double>(seconds);
        Window w = gameWindow();
        while (Clock::now() < end) {
            XImage* image = XGetImage(dpy, w, 0, 0, 320, 480, AllPlanes, ZPixmap);
            if (image) {
                bool ok = want(pixelOf(image, at.column, 479 - at.row));
                XDestroyImage(image);
                if (ok) {
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Window coordinates (from the top left) of a point of the cube at `orient`.
    template <class Orient>
    std::vector<std::string> windowXY(Vecd cubePoint, Orient orient, int nudge = 0) {
        Pixel p = project(orient(cubePoint), 320, 480);
        return {std::to_string(p.column + nudge), std::to_string(479 - p.row)};
    }

    XServer server;
    pid_t pid = -1;
    std::string id;
    std::string dataHome;
    std::vector<std::string> env;
    Display* dpy = nullptr;
    int width = 0, height = 0;
};

TEST_F(WindowTest, ShowsTheCubeAndExitsCleanlyOnSigtermSigintAndCtrlQ) {
    for (int signal : {SIGTERM, SIGINT, 0}) {  // 0: Ctrl+Q
        XImage* image = startAndCapture(pid);
        ASSERT_NE(image, nullptr) << "no window showing the cube";
        EXPECT_EQ(width, 320);
        EXPECT_EQ(height, 480);
        // The front face's centre sticker, and black around the cube.
        Pixel at = project(startOrientation(stickerPoint(4)), 320, 480);
        EXPECT_EQ(pixelOf(image, at.column, 479 - at.row), (Rgb{245 - 1, 0, 0}));
        Pixel top = project(startOrientation(stickerPoint(9 + 4)), 320, 480);
        EXPECT_EQ(pixelOf(image, top.column, 479 - top.row), (Rgb{1, 200, 0}));
        EXPECT_EQ(pixelOf(image, 2, 2), (Rgb{0, 0, 0}));
        XDestroyImage(image);
        if (signal) {
            kill(pid, signal);
        } else {
            // The window is gone before xdotool sends the key releases: it fails then.
            waitFor(
                spawn({"xdotool", "key", "--window", std::to_string(gameWindow()), "ctrl+q"}, env),
                20);
        }
        EXPECT_EQ(waitFor(pid, 10), 0) << "signal " << signal;
        EXPECT_TRUE(std::filesystem::exists(dataHome + "/gyrelle/cube_state.dat")) << "not saved";
        std::filesystem::remove(dataHome + "/gyrelle/cube_state.dat");
    }
}

TEST_F(WindowTest, ResizedWindowKeepsTheViewCentredAndSharp) {
    ASSERT_TRUE(launch());
    Window w = gameWindow();
    struct Case {
        int width, height;  // window
        int x, y, w, h;     // where the view lands, from the top left
    };
    for (Case c : {Case{640, 480, 160, 0, 320, 480}, Case{640, 960, 0, 0, 640, 960}}) {
        XMoveResizeWindow(dpy, w, 0, 0, c.width, c.height);  // XGetImage needs it on screen
        XSync(dpy, False);
        Pixel at = project(startOrientation(stickerPoint(4)), c.w, c.h);
        Rgb seen{};
        auto end = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < end && !(seen == Rgb{244, 0, 0})) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            XImage* image = XGetImage(dpy, w, 0, 0, c.width, c.height, AllPlanes, ZPixmap);
            if (image) {
                seen = pixelOf(image, c.x + at.column, c.y + c.h - 1 - at.row);
                XDestroyImage(image);
            }
        }
        EXPECT_EQ(seen, (Rgb{244, 0, 0})) << c.width << "x" << c.height;
    }
    quit();
}

bool isWhite(Rgb c) {
    return c.r >= 253 && c.g >= 253 && c.b >= 253;
}
bool isFrontCentre(Rgb c) {
    return c == Rgb{244, 0, 0};
}

TEST_F(WindowTest, MouseSwipeTurnsASlice) {
    ASSERT_TRUE(launch());
    // Front face, bottom row, from the left sticker onto the middle one: the bottom
    // layer turns to the right and the left face's white comes round to the front.
    swipe(0, 1);
    EXPECT_TRUE(shows(project(startOrientation(stickerPoint(0)), 320, 480), isWhite));
    quit();
}

TEST_F(WindowTest, DoubleClickBringsASideFaceUp) {
    ASSERT_TRUE(launch());
    mouseAt(stickerPoint(40), {"click", "--repeat", "2", "--delay", "60", "1"});
    // The white face's centre ends up where the face normal (0, 2, 1) / sqrt(5) puts it.
    Pixel top = project({0, 1.501 * 0.894427, 1.501 * 0.447214}, 320, 480);
    EXPECT_TRUE(shows(top, isWhite));
    quit();
}

TEST_F(WindowTest, RightButtonDragTurnsTheWholeCube) {
    ASSERT_TRUE(launch());
    // Two fingers together: the first movement is swallowed, then 38 points right turn
    // the cube by 2 * 38 * 0.4 degrees about the screen's y axis, and a last small step
    // keeps it from spinning on.
    xdo({"mousemove", "--window", id, "60", "60", "mousedown", "3"});
    xdo({"mousemove", "--window", id, "61", "60"});
    xdo({"mousemove", "--window", id, "99", "60"});
    xdo({"mousemove", "--window", id, "100", "60", "mouseup", "3"});
    const double angle = (2 * 38 + 2 * 1) * 0.4 * M_PI / 180;
    auto turned = [angle](Vecd v) { return rotate(startOrientation(v), {0, 1, 0}, angle); };
    EXPECT_TRUE(shows(project(turned(stickerPoint(4)), 320, 480), isFrontCentre));
    quit();
}

bool isDimmedRed(Rgb c) {
    return c.r > 60 && c.r < 120 && c.g < 10 && c.b < 10;
}
bool isYellowTitle(Rgb c) {
    return c.r > 120 && c.g > 120 && c.b < 40;
}  // at 62.5 %

TEST_F(WindowTest, KeysShakeAndAnswerAndTheCubeIsThereAfterARestart) {
    ASSERT_TRUE(launch());
    const Pixel centre = project(startOrientation(stickerPoint(4)), 320, 480);
    const Pixel corner = project(startOrientation(stickerPoint(0)), 320, 480);
    // "s" on a solved cube scrambles it: the front's centre may stay, not all nine.
    xdo({"key", "--window", id, "s"});
    bool changed = false;
    auto end = Clock::now() + std::chrono::seconds(10);
    while (!changed && Clock::now() < end) {
        changed = !shows(
                      corner,
                      [](Rgb c) {
                          return c == Rgb{245, 0, 0};
                      },
                      0.2) ||
                  !shows(centre, isFrontCentre, 0.01);
    }
    EXPECT_TRUE(changed) << "the cube was not scrambled";
    // Another "s" asks the question; "y" resets.
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    xdo({"key", "--window", id, "s"});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdo({"key", "--window", id, "y"});
    EXPECT_TRUE(shows(corner, [](Rgb c) { return c == Rgb{245, 0, 0}; }));
    // Turn the bottom row, quit, start again: the same cube is back.
    swipe(0, 1);
    EXPECT_TRUE(shows(corner, isWhite));
    // A turn still being animated is not saved; without the focus a frame takes 0.2 s.
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    quit();
    XImage* image = startAndCapture(pid);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(isWhite(pixelOf(image, corner.column, 479 - corner.row)));
    XDestroyImage(image);
    quit();
}

TEST_F(WindowTest, TheInformationButtonOpensTheOverlayAndAClickClosesIt) {
    ASSERT_TRUE(launch());
    xdo({"mousemove", "--window", id, "307", "467", "click", "1"});
    const Pixel centre = project(startOrientation(stickerPoint(4)), 320, 480);
    EXPECT_TRUE(shows(centre, isDimmedRed)) << "the cube is not dimmed";
    // Somewhere in the yellow title "Gyrelle".
    bool title = false;
    auto end = Clock::now() + std::chrono::seconds(5);
    while (!title && Clock::now() < end) {
        XImage* shot = XGetImage(dpy, gameWindow(), 0, 0, 320, 480, AllPlanes, ZPixmap);
        for (int y = 10; shot && y < 45 && !title; ++y) {
            for (int x = 100; x < 220 && !title; ++x) {
                title = isYellowTitle(pixelOf(shot, x, y));
            }
        }
        if (shot) {
            XDestroyImage(shot);
        }
    }
    EXPECT_TRUE(title);
    xdo({"mousemove", "--window", id, "160", "300", "click", "1"});
    EXPECT_TRUE(shows(centre, isFrontCentre));
    quit();
}

TEST(NoDisplay, SaysSoInOneLineAndFails) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = spawn({GYRELLE_BINARY}, baseEnvironment(), -1, fds[1]);
    close(fds[1]);
    std::string err;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) {
        err.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    EXPECT_NE(waitFor(pid, 10), 0);
    EXPECT_EQ(err.rfind("gyrelle: ", 0), 0u) << err;
    EXPECT_NE(err.find("display"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
}  // namespace gyrelle::testing
