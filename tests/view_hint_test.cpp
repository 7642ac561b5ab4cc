// The hint on the real view: the key to type as the face lies now, the face marked on the
// screen but never in the picture the pick reads, and the menu that gives a finger the
// hint and solve-for-me.
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/Painter.h"
#include "solver/Preparation.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class HintViewTest : public HeadlessViewTest {
  protected:
    void SetUp() override {
        HeadlessViewTest::SetUp();
        static solver::Preparation tables;
        tables.wait();
        coach().setSolverTables(&tables);
    }
    void press(char letter, bool shift = false) {
        platform.window().keyDown({platform::Key::Letter, letter, shift});
    }
    void think() {
        for (int i = 0; i < 10000 && coach().thinking() != Coach::Thinking::None; ++i) {
            frames(1);
        }
        frames(1);
    }
    std::string strip() { return view->controller().statusStrip().text(); }

    // What the compositor would paint in magenta: the outline's lines and the arrowheads,
    // in window points.
    struct Mark : platform::Canvas {
        std::vector<std::pair<platform::Point, platform::Point>> lines;
        std::vector<std::array<platform::Point, 3>> arrows;
        platform::Point origin{};
        static bool magenta(platform::Color c) { return c.red == 1 && c.green == 0 && c.blue == 1; }
        platform::Point moved(platform::Point p) const { return {p.x + origin.x, p.y + origin.y}; }
        void setOrigin(platform::Point o, float) override { origin = o; }
        void strokeLine(platform::Point a, platform::Point b, float, platform::Color c) override {
            if (magenta(c)) {
                lines.push_back({moved(a), moved(b)});
            }
        }
        void fillTriangle(platform::Point a, platform::Point b, platform::Point c,
                          platform::Color color) override {
            if (magenta(color)) {
                arrows.push_back({moved(a), moved(b), moved(c)});
            }
        }
        void fillRect(platform::Rect, platform::Color) override {}
        void strokeCircle(platform::Point, float, float, platform::Color) override {}
        void strokeArc(platform::Point, float, float, float, float, platform::Color) override {}
        void fillCircle(platform::Point, float, platform::Color) override {}
        void drawText(platform::Rect, const std::string&, platform::Color, const char*, float,
                      platform::TextAlignment) override {}
    };
    Mark mark() {
        Mark m;
        platform::paintSubviews(*view, m);
        return m;
    }
    static int magenta(const std::vector<unsigned char>& rgba) {
        int count = 0;
        for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
            count += rgba[i] > 200 && rgba[i + 1] < 60 && rgba[i + 2] > 200;
        }
        return count;
    }
    std::vector<unsigned char> picked() {
        std::vector<unsigned char> rgba(4 * view->backingSize().width * view->backingSize().height);
        view->pickPicture();
        glReadPixels(0, 0, view->backingSize().width, view->backingSize().height, GL_RGBA,
                     GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }
};

// After R the hint is R'. Its outline and arrowhead lie round the right face (their mean
// near the face's centre on the screen). A whole-cube Y brings that face to the front:
// the same turn is now F'.
TEST_F(HintViewTest, TheHintNamesTheKeyAsTheFaceLiesNowAndMarksItOverThePicture) {
    press('r');
    frames(5);
    press('h');
    think();
    EXPECT_EQ(strip(), "Hint: R' \u2014 1 to go");
    // The outline: four lines round the face's corners, 1.5 out on x.
    const Mark m = mark();
    ASSERT_EQ(m.lines.size(), 4u);
    for (const auto& [a, b] : m.lines) {
        const bool nearCorner = std::ranges::any_of(
            std::array<Vecd, 4>{
                {{1.5, 1.5, 1.5}, {1.5, 1.5, -1.5}, {1.5, -1.5, 1.5}, {1.5, -1.5, -1.5}}},
            [&](Vecd corner) {
                const platform::Point c = at(corner);
                return std::hypot(a.x - c.x, a.y - c.y) < 1.5f;
            });
        EXPECT_TRUE(nearCorner) << a.x << "," << a.y;
    }
    // One arrowhead, on the edge by the front, its tip (the point away from the two that
    // lie close together) 0.3 down it: R' takes that edge down.
    ASSERT_EQ(m.arrows.size(), 1u);
    const auto& t = m.arrows[0];
    auto apart = [&](int i, int j) { return std::hypot(t[i].x - t[j].x, t[i].y - t[j].y); };
    const int tip = apart(1, 2) < apart(0, 2) && apart(1, 2) < apart(0, 1) ? 0
                    : apart(0, 2) < apart(0, 1)                            ? 1
                                                                           : 2;
    const platform::Point want = at({1.5, -0.3, 1.5});
    EXPECT_NEAR(t[tip].x, want.x, 1.5);
    EXPECT_NEAR(t[tip].y, want.y, 1.5);
    EXPECT_EQ(magenta(picked()), 0) << "marked in the picture the pick reads";

    press('y');
    frames(12);
    EXPECT_EQ(strip(), "Hint: F' \u2014 1 to go");
    press('f', true);
    frames(5);
    EXPECT_TRUE(cube().isSolved());
    EXPECT_EQ(strip(), "");
    EXPECT_TRUE(mark().lines.empty());
}

}  // namespace
}  // namespace gyrelle::testing
