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
    std::vector<unsigned char> shownPicture() {
        view->pickPicture();  // its framebuffer, bound, is borrowed for the window's picture
        view->drawPicture();
        std::vector<unsigned char> p = readAll();
        view->layoutSubviews();  // the pick's framebuffer made again, holding nothing yet
        return p;
    }
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

// F3 opens the panel; C, L and I change what they name at once; any other key closes
// it. By touch: the buttons step the settings, Done closes.
TEST_F(SettingsViewTest, ThePanelChangesTheSettingsByKeysAndByTouch) {
    key(platform::Key::F3);
    ASSERT_TRUE(view->panelShown());
    key(platform::Key::Letter, 'c');
    EXPECT_EQ(game().settings().scheme, ColourScheme::HighContrast);
    key(platform::Key::Letter, 'c');
    EXPECT_EQ(game().settings().scheme, ColourScheme::ColourBlind);
    key(platform::Key::Letter, 'i');
    EXPECT_TRUE(game().settings().inspection);
    key(platform::Key::Letter, 'l');
    EXPECT_TRUE(game().settings().stickerLetters);
    key(platform::Key::F3);
    EXPECT_FALSE(view->panelShown());

    key(platform::Key::F3);
    const auto* panel = dynamic_cast<const SettingsView*>(view->subviews().back());
    ASSERT_NE(panel, nullptr);
    auto centre = [](const platform::View& v) {
        const platform::Rect f = v.frame();
        return platform::Point{f.x + f.width / 2, f.y + f.height / 2};
    };
    tap(centre(panel->inspectionButton()));
    EXPECT_FALSE(game().settings().inspection);
    // A face's button begins my colours from those shown, and steps that face on.
    tap(centre(panel->faceButton(0)));  // U, the colour-blind bluish green
    EXPECT_EQ(game().settings().scheme, ColourScheme::Custom);
    EXPECT_EQ(game().settings().faceColours[0], (Rgb{213, 94, 0})) << "F kept";
    EXPECT_NE(game().settings().faceColours[1], (Rgb{0, 158, 115})) << "U stepped on";
    tap(centre(panel->doneButton()));
    EXPECT_FALSE(view->panelShown());
}

// Off by default; on, a scramble begins a 15 s countdown in the strip with the calls at 8
// and 12 seconds, then the clock, +2 after 15 s and DNF after 17.
TEST_F(SettingsViewTest, TheInspectionCountsDownInTheStrip) {
    game().newGame();
    frames(1);
    EXPECT_EQ(view->controller().statusStrip().text(), "");
    game().answerReset(true);
    Settings s;
    s.inspection = true;
    game().setSettings(s);
    game().newGame();
    frames(1);
    const StatusStrip& strip = view->controller().statusStrip();
    EXPECT_EQ(strip.text(), "Inspection: 15");
    EXPECT_FLOAT_EQ(strip.countdown(), 1);
    platform.advance(8.05);
    EXPECT_EQ(strip.text(), "Inspection: 7 \u00b7 8 seconds");
    platform.advance(4);
    EXPECT_EQ(strip.text(), "Inspection: 3 \u00b7 12 seconds");
    EXPECT_NEAR(strip.countdown(), 2.95 / 15, 0.01);
    platform.advance(3.5);
    EXPECT_EQ(strip.text(), "0 moves \u00b7 0:00.5 +2");
    EXPECT_FLOAT_EQ(strip.countdown(), -1);
    platform.advance(2);
    EXPECT_EQ(strip.text(), "0 moves \u00b7 0:02.5 DNF");
}

// Rows under the picture on a phone held upright, a column beside it in a wide window,
// none in a window of the picture's own shape: each at least the least side, none over
// the picture or another, all within reach.
TEST(Toolbar, ItFindsTheSpaceTheLetterboxLeaves) {
    // 390 x 844 CSS pixels at a ratio of 3: 1170 x 2532, the picture 1170 x 1755 between
    // bars of 388 and 389 pixels; 48 CSS pixels a target.
    const float phone = 320.0f / 1170;
    const platform::Rect phoneReach{0, -388 * phone, 320, 2532 * phone};
    std::vector<platform::Rect> f = toolbarFrames(phoneReach, 144 * phone, 9);
    ASSERT_EQ(f.size(), 9u);
    // 1280 x 720: the picture 480 x 720 between bars of 400; 44 pixels a target.
    const float wide = 320.0f / 480;
    const platform::Rect wideReach{-400 * wide, 0, 1280 * wide, 480};
    std::vector<platform::Rect> g = toolbarFrames(wideReach, 44 * wide, 9);
    ASSERT_EQ(g.size(), 9u);
    for (const auto& [frames, reach, least] :
         {std::tuple{f, phoneReach, 144 * phone}, std::tuple{g, wideReach, 44 * wide}}) {
        for (size_t i = 0; i < frames.size(); ++i) {
            const platform::Rect& a = frames[i];
            EXPECT_GE(a.width, least);
            EXPECT_GE(a.height, least);
            EXPECT_TRUE(a.y >= 480 || a.x >= 320) << i << ": beside the picture";
            EXPECT_TRUE(a.x >= reach.x && a.y >= reach.y &&
                        a.x + a.width <= reach.x + reach.width &&
                        a.y + a.height <= reach.y + reach.height);
            for (size_t j = 0; j < i; ++j) {
                const platform::Rect& b = frames[j];
                EXPECT_FALSE(a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
                             b.y < a.y + a.height)
                    << i << " and " << j;
            }
        }
    }
    EXPECT_GE(f[0].y, 480);  // the phone's under the picture, in two rows
    EXPECT_EQ(f[5].y, f[8].y);
    EXPECT_GT(f[5].y, f[4].y);
    EXPECT_GE(g[0].x, 320);  // the wide window's in one column to its right
    EXPECT_EQ(g[0].x, g[8].x);
    EXPECT_TRUE(toolbarFrames({0, 0, 320, 480}, 44, 9).empty());
    // Two rows of 36 with 4 between and 6 above and below: a bar of 88 takes them, of 87.9 not.
    EXPECT_EQ(toolbarFrames({0, 0, 320, 568}, 30, 9).size(), 9u);
    EXPECT_TRUE(toolbarFrames({0, 0, 320, 567.9f}, 30, 9).empty());
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
