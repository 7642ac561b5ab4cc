// A solve on the real view: its words over the picture but never in it, in the title bar
// too, the result shown for five seconds.
#include "cube/Position.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class SolveTest : public HeadlessViewTest {
  protected:
    void turn(int code) {
        ASSERT_TRUE(game().turn(code));
        frames(4);
    }
    std::string strip() {
        const StatusStrip& s = view->controller().statusStrip();
        EXPECT_EQ(s.superview() != nullptr, !s.text().empty());
        std::string title = s.text();
        if (size_t dot = title.find(" \u00b7 "); dot != std::string::npos) {
            title.replace(dot, 4, ", ");
        }
        EXPECT_EQ(platform.window().subtitle(), title);
        return s.text();
    }
};

TEST_F(SolveTest, TheWordsShowOverThePictureAndInTheTitleForFiveSeconds) {
    EXPECT_EQ(strip(), "");  // the start-up picture as it always was
    MagicCube twice;
    twice.rotateFace(1);
    twice.rotateFace(5);
    std::string problem;
    ASSERT_TRUE(game().setPosition(positionCode(twice.stickers()), problem));
    platform.advance(10);  // looking at a scrambled cube is not solving it
    EXPECT_EQ(strip(), "");
    turn(-5);
    EXPECT_EQ(strip(), "1 move \u00b7 0:00.0");
    platform.advance(41.35);
    EXPECT_EQ(strip(), "1 move \u00b7 0:41.3");

    // The words are drawn over the view, never into the picture the pick reads.
    view->drawView();
    const int rows = static_cast<int>(StatusStrip::kHeight);
    const int width = view->backingSize().width;
    std::vector<unsigned char> top(4 * width * rows, 1);
    view->pickPicture();
    glReadPixels(0, view->backingSize().height - rows, width, rows, GL_RGBA, GL_UNSIGNED_BYTE,
                 top.data());
    for (size_t i = 0; i < top.size(); i += 4) {
        ASSERT_TRUE(top[i] == 0 && top[i + 1] == 0 && top[i + 2] == 0) << i / 4;
    }

    turn(-1);
    EXPECT_EQ(strip(), "Solved in 2 moves \u00b7 0:41.3");
    platform.advance(4.95);
    EXPECT_EQ(strip(), "Solved in 2 moves \u00b7 0:41.3");
    platform.advance(0.1);
    EXPECT_EQ(strip(), "");
}

}  // namespace
}  // namespace gyrelle::testing
