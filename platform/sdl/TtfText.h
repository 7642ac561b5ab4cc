#pragma once

#include <string>
#include <vector>

#include "platform/gl/TextCache.h"
#include "platform/sdl/TextLibrary.h"

namespace gyrelle::platform {

// Text rendered by SDL_ttf in the font fontconfig finds for a family name; both are
// opened with the first text. The fonts used most recently stay open.
class TtfText : public TextRenderer {
  public:
    static constexpr size_t kFonts = 8;

    TtfText() = default;
    ~TtfText() override;
    TtfText(const TtfText&) = delete;
    TtfText& operator=(const TtfText&) = delete;

    TextTexture render(const std::string& text, const char* family, int pixelSize, int wrapPixels,
                       TextAlignment alignment) override;
    void clear() override;
    size_t fontCount() const { return fonts_.size(); }

  private:
    // The libraries open and SDL_ttf started, at the first text; false for good, said
    // once, when they cannot be.
    bool start();
    TTF_Font* font(const char* family, int pixelSize);

    struct Font {
        std::string family;
        int size;
        TTF_Font* font;
        unsigned long lastUse;
    };
    TextLibrary lib_;
    bool tried_ = false;
    bool ttfStarted_ = false;
    std::vector<Font> fonts_;
    std::vector<std::string> missing_;  // families already reported without a font
    unsigned long uses_ = 0;
};

}  // namespace gyrelle::platform
