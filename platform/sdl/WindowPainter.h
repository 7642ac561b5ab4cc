#pragma once

#include <GLES/gl.h>
#include <SDL_ttf.h>

#include <string>
#include <vector>

#include "platform/Painter.h"

namespace gyrelle::platform {

// Binds a new 2-D texture, clamped at its edges, with `filter` both ways.
GLuint newTexture(GLint filter);

// Text as textures, rendered once by SDL_ttf in the font fontconfig finds for a family
// name, and kept while the same text is drawn at the same size.
class TextCache {
  public:
    TextCache();
    ~TextCache();
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    struct Texture {
        GLuint id = 0;
        int width = 0;  // pixels of the text
        int height = 0;
    };
    // White text on transparent, wrapped at wrapPixels. Needs the compositor's context.
    Texture get(const std::string& text, const char* family, int pixelSize, int wrapPixels,
                TextAlignment alignment);
    // Forgets every texture (the context is going away).
    void clear();

  private:
    TTF_Font* font(const char* family, int pixelSize);

    struct Entry {
        std::string text;
        std::string family;
        int size;
        int wrap;
        TextAlignment alignment;
        Texture texture;
    };
    struct Font {
        std::string family;
        int size;
        TTF_Font* font;
    };
    std::vector<Entry> entries_;
    std::vector<Font> fonts_;
    bool ttfStarted_ = false;
};

// Paints views into the window in pixels: `area` is where the view's points land.
class WindowPainter : public Painter {
  public:
    WindowPainter(TextCache& text, PixelRect area, float scale)
        : text_(text), area_(area), scale_(scale) {}

    void setOrigin(float x, float y, float alpha) {
        x_ = x;
        y_ = y;
        alpha_ = alpha;
    }

    void fillRect(Rect rect, Color color) override;
    void strokeCircle(Point centre, float radius, float width, Color color) override;
    void fillCircle(Point centre, float radius, Color color) override;
    void drawText(Rect rect, const std::string& text, Color color, const char* font, float size,
                  TextAlignment alignment) override;

  private:
    float px(float x) const { return static_cast<float>(area_.x) + (x_ + x) * scale_; }
    // Points grow downward from the top; pixels upward from the bottom.
    float py(float y) const {
        return static_cast<float>(area_.y + area_.height) - (y_ + y) * scale_;
    }
    void setColor(Color c) const;

    TextCache& text_;
    PixelRect area_;
    float scale_;
    float x_ = 0, y_ = 0, alpha_ = 1;
};

}  // namespace gyrelle::platform
