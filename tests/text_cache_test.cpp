// The window's text: only the texts drawn lately are kept, and a missing font is said.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "overlay/InfoView.h"
#include "platform/gl/Compositor.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/TtfText.h"
#include "tests/support/PinDrivers.h"

namespace gyrelle::platform {
namespace {

// As a window resized again and again asks for the same texts at ever new sizes.
TEST(TextCache, OlderTextsAndFontsAreFreedAndAMissingFontIsSaidOnce) {
    HeadlessPlatform platform{{320, 480}};
    ASSERT_TRUE(platform.available());
    auto context = platform.createGLContext();  // current from here on
    ASSERT_NE(context, nullptr);
    gyrelle::testing::pinGraphicsDrivers();
    TtfText ttf;
    TextCache cache(ttf);
    auto text = [&](const char* s, int size, const char* family = "Arial") {
        return cache.get(s, family, size, 200, TextAlignment::Left).id;
    };
    const GLuint first = text("Gyrelle", 16);
    ASSERT_NE(first, 0u);
    for (int size = 10; size < 110; ++size) {
        text("Gyrelle", size);
        text("Pennowick Software", size);
    }
    EXPECT_LE(cache.textureCount(), TextCache::kTextures);
    EXPECT_LE(ttf.fontCount(), TtfText::kFonts);
    EXPECT_FALSE(glIsTexture(first));
    const GLuint latest = text("Gyrelle", 109);
    EXPECT_TRUE(glIsTexture(latest));
    EXPECT_EQ(text("Gyrelle", 109), latest);  // kept, not made again

    FcConfig* fonts = FcConfigReference(nullptr);
    FcConfig* none = FcConfigCreate();  // no fonts at all
    FcConfigSetCurrent(none);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(text("Gyrelle", 200, "Helvetica"), 0u);
    EXPECT_EQ(text("Gyrelle", 201, "Helvetica"), 0u);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "no font for \"Helvetica\": its text is not shown\n");
    FcConfigSetCurrent(fonts);
    FcConfigDestroy(fonts);
    FcConfigDestroy(none);
}

int openFiles() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                          std::filesystem::directory_iterator()));
}

// With the overlay open, a window resized again and again keeps the text of its present
// size only: neither textures nor fonts (open files) pile up.
TEST(Compositor, KeepsOnlyTheTextOfThePresentSize) {
    HeadlessPlatform platform{{320, 480}};
    ASSERT_TRUE(platform.available());
    auto context = platform.createGLContext();
    ASSERT_NE(context, nullptr);
    gyrelle::testing::pinGraphicsDrivers();
    Window window({320, 480});
    View content({0, 0, 320, 480});
    window.setContentView(&content);
    gyrelle::InfoView overlay({0, 0, 320, 480});
    content.addSubview(&overlay);
    TtfText ttf;
    Compositor compositor({320, 480}, ttf);
    compositor.draw(window, {320, 480}, {0, 0, 320, 480});
    const int files = openFiles();
    for (int width = 200; width < 500; ++width) {
        compositor.draw(window, {width, width * 2}, letterbox({width, width * 2}, {320, 480}));
    }
    EXPECT_EQ(compositor.text().textureCount(), 3u);  // title, maker line, instructions
    EXPECT_LE(ttf.fontCount(), 3u);
    EXPECT_LE(openFiles(), files);
}

}  // namespace
}  // namespace gyrelle::platform
