// The settings as the view shows them: the colour schemes and letters in the window while
// the pick reads the stickers' own colours; the settings panel by keys and by touch; the
// inspection's countdown; the toolbar beside the picture.
#include <cmath>
#include <cstring>

#include "control/Toolbar.h"
#include "overlay/SettingsView.h"
#include "platform/sdl/TtfText.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class SettingsViewTest : public HeadlessViewTest {
  protected:
    void set(ColourScheme scheme, bool letters = false) {
        Settings s = game().settings();
        s.scheme = scheme;
        s.stickerLetters = letters;
        game().setSettings(s);
        frames(1);
    }
    // The whole picture as the window shows it, and as the pick reads it.
    std::vector<unsigned char> shownPicture() { return platform.screenImage(); }
    std::vector<unsigned char> pickedPicture() {
        view->pickPicture();
        return readAll();
    }
    std::vector<unsigned char> readAll() {
        const platform::Size s = view->backingSize();
        std::vector<unsigned char> p(size_t(s.width) * s.height * 4);
        glReadPixels(0, 0, s.width, s.height, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
        return p;
    }
    Rgba at(const std::vector<unsigned char>& picture, Pixel p) {
        const size_t i = (size_t(p.row) * view->backingSize().width + p.column) * 4;
        return {picture[i], picture[i + 1], picture[i + 2], picture[i + 3]};
    }
    void key(platform::Key k, char letter = 0) { platform.window().keyDown({k, letter}); }
};

// Classic, no letters: one picture serves the window and the pick, byte for byte. Any
// other look changes the window's picture and never the pick's.
TEST_F(SettingsViewTest, TheWindowShowsTheSchemeAndThePickReadsTheStickers) {
    EXPECT_EQ(shownPicture(), pickedPicture());
    const std::vector<unsigned char> classic = pickedPicture();
    set(ColourScheme::ColourBlind);
    const std::vector<unsigned char> shown = shownPicture();
    EXPECT_NE(shown, classic);
    EXPECT_EQ(pickedPicture(), classic);
    // Okabe and Ito's vermillion on the front (home face 0), bluish green on top (1), white
    // on the left (4); the pick's exact sticker colours under them.
    const Pixel front = onScreen(stickerPoint(0, 0.6, 0.6)), top = onScreen(stickerPoint(13));
    const Pixel left = onScreen(stickerPoint(40));
    EXPECT_EQ(at(shown, front), (Rgba{213, 94, 0, 255}));
    EXPECT_EQ(at(shown, top), (Rgba{0, 158, 115, 255}));
    EXPECT_EQ(at(shown, left), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(at(classic, front), (Rgba{245, 0, 0, 255}));
    EXPECT_EQ(at(classic, top), (Rgba{1, 200, 0, 255}));
    const platform::Color mark = view->controller().hintMark().color();
    EXPECT_FLOAT_EQ(mark.green * 255, 160) << "lavender";
    set(ColourScheme::Classic);
    EXPECT_EQ(shownPicture(), classic);
    EXPECT_EQ(view->controller().hintMark().color().green, 0) << "magenta again";
}

// The same swipe turns the same slice under every scheme: the pick never sees them.
TEST_F(SettingsViewTest, ASwipeTurnsTheSameSliceUnderEveryScheme) {
    for (ColourScheme scheme : {ColourScheme::Classic, ColourScheme::HighContrast,
                                ColourScheme::ColourBlind, ColourScheme::Custom}) {
        set(scheme, true);
        shownPicture();  // the window drawn between, as it is when it shows
        swipe(atSlot(0), {atSlot(1)});
        ASSERT_TRUE(cube().animating()) << schemeKey(scheme);
        EXPECT_EQ(cube().animatedSlice(), 3);
        EXPECT_EQ(cube().animatedDirection(), 1);
        up(atSlot(1));
        frames(5);
        ASSERT_TRUE(game().swipe(1, 0));  // and back
        frames(5);
    }
}

// Each sticker's face letter in the game's font, upright on the screen, dark on a light
// colour and light on a dark one, in the window only.
TEST_F(SettingsViewTest, LettersAreOnTheStickersInTheWindowOnly) {
    platform::TtfText font;
    platform.setTextRenderer(&font);
    // Dark pixels over the front's centre sticker (slot 4), on a grid in the sticker's own
    // frame (u right, v up at the start; the front leans back), by where they lie.
    struct Ink {
        int left = 0, right = 0, top = 0, bottom = 0, all = 0;
    };
    auto inkOn = [&](const std::vector<unsigned char>& picture) {
        Ink ink;
        for (int i = -12; i <= 12; ++i) {
            for (int j = -12; j <= 12; ++j) {
                const double u = i * 0.05, v = j * 0.05;
                const Rgba c = at(picture, onScreen(stickerPoint(4, u, v)));
                if (c[0] < 100 && c[1] < 60 && c[2] < 60) {  // the red sticker's own is 244
                    ++ink.all;
                    ink.left += u<-0.2, ink.right += u> 0.2;
                    ink.top += v > 0.2, ink.bottom += v < -0.2;
                }
            }
        }
        return ink;
    };
    set(ColourScheme::Classic, true);
    // An F: its stem on the left, its bars at the top and the middle.
    const Ink f = inkOn(shownPicture());
    EXPECT_GT(f.all, 40);
    EXPECT_GT(f.left, 2 * f.right);
    EXPECT_GT(f.top, 2 * f.bottom);
    EXPECT_EQ(inkOn(pickedPicture()).all, 0) << "the pick reads the stickers alone";
    // The high-contrast scheme's teal top (dark) has its U in white.
    auto whiteNear = [&](const std::vector<unsigned char>& picture, Pixel c) {
        int white = 0;
        for (int dy = -12; dy <= 12; ++dy) {
            for (int dx = -12; dx <= 12; ++dx) {
                const Rgba p = at(picture, {c.column + dx, c.row + dy});
                white += p[0] > 230 && p[1] > 230 && p[2] > 230;
            }
        }
        return white;
    };
    set(ColourScheme::HighContrast, true);
    EXPECT_GT(whiteNear(shownPicture(), onScreen(stickerPoint(13))), 10);
    set(ColourScheme::HighContrast, false);
    EXPECT_EQ(whiteNear(shownPicture(), onScreen(stickerPoint(13))), 0);
    set(ColourScheme::Classic, true);
    // Turned over, the front's F is still upright on the screen: in the sticker's frame,
    // turned half round with it, its stem is on the right and its bars at the bottom.
    motion().currentRotation = [] {
        Quaternion q;
        q.setAxis(std::array<float, 3>{0, 0, 1}.data(), float(M_PI));
        return q;
    }();
    frames(1);
    const Ink over = inkOn(shownPicture());
    EXPECT_GT(over.right, 2 * over.left);
    EXPECT_GT(over.bottom, 2 * over.top);
    platform.setTextRenderer(nullptr);
    view->layoutSubviews();  // the letters let go while the font is still there
}

// In the window the toolbar's buttons are touched where they are drawn: a touch on Undo
// undoes; on Settings, the panel; none of them is there in a window without bars.
TEST_F(SettingsViewTest, TheToolbarIsTouchedWhereItIsDrawn) {
    for (const auto& b : view->controller().toolbar()) {
        EXPECT_EQ(b->superview(), nullptr) << "no room at 320 x 480";
    }
    const float phone = 320.0f / 1170;
    platform.window().setTouchReach({0, -388 * phone, 320, 2532 * phone}, 144 * phone);
    view->layoutSubviews();
    const auto& bar = view->controller().toolbar();
    ASSERT_EQ(bar.size(), 9u);
    std::vector<std::string> labels;
    for (const auto& b : bar) {
        EXPECT_EQ(b->superview(), view.get());
        labels.push_back(b->label());
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"New", "Undo", "Redo", "Hint", "Solve", "Scramble",
                                                "Records", "Settings", "Help"}));
    ASSERT_TRUE(game().swipe(0, 1));
    frames(5);
    const platform::Rect undo = bar[1]->frame();
    tap({undo.x + 2, undo.y + undo.height - 2});
    frames(5);
    EXPECT_TRUE(cube().isSolved());
    const platform::Rect settings = bar[7]->frame();
    tap({settings.x + settings.width / 2, settings.y + settings.height / 2});
    EXPECT_TRUE(view->panelShown());
    tap({160, 84});  // the panel's Colours
    EXPECT_TRUE(view->panelShown());
    EXPECT_EQ(game().settings().scheme, ColourScheme::HighContrast);
}

}  // namespace
}  // namespace gyrelle::testing
