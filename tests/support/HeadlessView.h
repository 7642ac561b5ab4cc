#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "platform/TouchDispatcher.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tests/support/Cubes.h"
#include "tests/support/PinDrivers.h"
#include "view/EAGLView.h"

namespace gyrelle::testing {

// The real GL view on a surfaceless EGL context, the window's content, laid out: real
// drawing, real pixels, and fingers that land on the window as the platform's would.
class HeadlessViewTest : public ::testing::Test {
  protected:
    using Change = platform::TouchDispatcher::Change;

    void SetUp() override {
        ASSERT_TRUE(platform.available()) << "no surfaceless EGL display";
        view = EAGLView::create(platform);
        ASSERT_NE(view, nullptr);
        pinGraphicsDrivers();
        platform.window().setContentView(view.get());
        view->layoutSubviews();
        touches = std::make_unique<platform::TouchDispatcher>(platform.window());
    }

    // The pixel the pick reads at column x, row y from the bottom.
    Rgba pixel(int x, int y) {
        Rgba c{};
        view->pickPicture();
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, c.data());
        return c;
    }
    Rgba pixel(Pixel p) { return pixel(p.column, p.row); }

    // Where a point of the cube, given in the cube's own frame, lands on screen when the
    // cube is turned by `orient` (by default, as it is now).
    template <class Orient>
    Pixel onScreen(Vecd cubePoint, Orient orient) {
        return project(orient(cubePoint), view->backingSize().width, view->backingSize().height);
    }
    Pixel onScreen(Vecd cubePoint) {
        return onScreen(cubePoint, [this](Vecd v) { return applied(motion().currentRotation, v); });
    }

    // The view point over a point of the cube in the current picture.
    platform::Point at(Vecd cubePoint) {
        const Pixel p = onScreen(cubePoint);
        const float scale = float(view->backingSize().width) / view->bounds().width;
        return {(p.column + 0.5f) / scale, view->bounds().height - (p.row + 0.5f) / scale};
    }
    platform::Point atSlot(int slot) { return at(stickerPoint(slot)); }

    void down(platform::Point p, int taps = 1) {
        Change c{1, p, taps};
        touches->began(&c, 1);
    }
    void moveTo(platform::Point p) {
        Change c{1, p};
        touches->moved(&c, 1);
    }
    void up(platform::Point p) {
        Change c{1, p};
        touches->ended(&c, 1);
    }
    void tap(platform::Point p, int taps = 1) {
        down(p, taps);
        up(p);
    }
    void down2(platform::Point a, platform::Point b) {
        Change c[2] = {{1, a}, {2, b}};
        touches->began(c, 2);
    }
    void move2(platform::Point a, platform::Point b) {
        Change c[2] = {{1, a}, {2, b}};
        touches->moved(c, 2);
    }
    // A one-finger swipe: down, a swallowed first movement, then each point.
    void swipe(platform::Point from, std::initializer_list<platform::Point> through) {
        down(from);
        moveTo(from);
        for (platform::Point p : through) {
            moveTo(p);
        }
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            view->drawView();
        }
    }
    Game& game() { return view->game(); }
    Coach& coach() { return view->controller().coach(); }
    const MagicCube& cube() { return view->game().cube(); }
    Motion& motion() { return view->game().motion(); }

    platform::HeadlessPlatform platform{EAGLView::kScreenPoints};
    std::unique_ptr<EAGLView> view;
    std::unique_ptr<platform::TouchDispatcher> touches;
};

// The same view keeping its files in a folder of its own, gone with the test.
class HeadlessViewWithFilesTest : public HeadlessViewTest {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/gyrelle-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        platform.setDocumentsDirectory(dir);
        HeadlessViewTest::SetUp();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A file of that folder, whole ("" when there is none).
    std::string file(const std::string& name) const {
        std::stringstream s;
        s << std::ifstream(dir + "/" + name, std::ios::binary).rdbuf();
        return s.str();
    }

    std::string dir;
};

}  // namespace gyrelle::testing
