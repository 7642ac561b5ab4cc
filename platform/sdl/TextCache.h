#pragma once

#include <GLES/gl.h>

#include <string>
#include <vector>

#include "platform/Painter.h"
#include "platform/sdl/TextLibrary.h"

namespace gyrelle::platform {

// Binds a new 2-D texture, clamped at its edges, with `filter` both ways.
GLuint newTexture(GLint filter);

// Text as textures, rendered by SDL_ttf in the font fontconfig finds for a family name;
// both are opened with the first text.
// The texts and fonts drawn most recently are kept; older ones are freed, so a window
// resized again and again does not keep every size it ever had.
class TextCache {
  public:
    static constexpr size_t kTextures = 24;
    static constexpr size_t kFonts = 8;

    TextCache();
    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    struct Texture {
        GLuint id = 0;
        int width = 0;  // pixels of the text
        int height = 0;
    };
    // White text on transparent, wrapped at wrapPixels. Needs the compositor's context;
    // an empty texture when there is no font.
    Texture get(const std::string& text, const char* family, int pixelSize, int wrapPixels,
                TextAlignment alignment);
    // Frees every texture and font (the context is going away, or the text's size
    // changed with the window's).
    void clear();
    size_t textureCount() const { return entries_.size(); }
    size_t fontCount() const { return fonts_.size(); }

  private:
    // The libraries open and SDL_ttf started, at the first text; false for good, said
    // once, when they cannot be.
    bool start();
    TTF_Font* font(const char* family, int pixelSize);
    Texture render(const std::string& text, TTF_Font* font, int wrapPixels,
                   TextAlignment alignment);

    struct Entry {
        std::string text;
        std::string family;
        int size;
        int wrap;
        TextAlignment alignment;
        Texture texture;
        unsigned long lastUse;
    };
    struct Font {
        std::string family;
        int size;
        TTF_Font* font;
        unsigned long lastUse;
    };
    std::vector<Entry> entries_;
    std::vector<Font> fonts_;
    std::vector<std::string> missing_;  // families already reported without a font
    unsigned long uses_ = 0;
    TextLibrary lib_;
    bool tried_ = false;
    bool ttfStarted_ = false;
};

}  // namespace gyrelle::platform
