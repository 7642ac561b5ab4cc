#pragma once

#include <GLES/gl.h>

#include <string>
#include <vector>

#include "platform/GLContext.h"
#include "platform/Painter.h"

namespace gyrelle::platform {

struct TextTexture {
    GLuint id = 0;
    int width = 0;  // pixels of the text
    int height = 0;
};

// Makes the texture of a text: white on transparent, wrapped at `wrapPixels`, with the
// window's context current; an empty texture when it cannot. Each window backend has
// its own (a font library on the desktop, the browser's canvas on the web).
class TextRenderer {
  public:
    virtual ~TextRenderer() = default;
    virtual TextTexture render(const std::string& text, const char* family, int pixelSize,
                               int wrapPixels, TextAlignment alignment) = 0;
    // Lets go of what it keeps for texts of the sizes drawn so far.
    virtual void clear() {}
};

// The textures of the texts drawn most recently; older ones are freed, so a window
// resized again and again does not keep every size it ever had.
class TextCache {
  public:
    static constexpr size_t kTextures = 24;
    using Texture = TextTexture;

    explicit TextCache(TextRenderer& renderer) : renderer_(renderer) {}
    ~TextCache() { clear(); }
    TextCache(const TextCache&) = delete;
    TextCache& operator=(const TextCache&) = delete;

    Texture get(const std::string& text, const char* family, int pixelSize, int wrapPixels,
                TextAlignment alignment);
    // Frees every texture, and the renderer's fonts (the context is going away, or the
    // text's size changed with the window's).
    void clear();
    size_t textureCount() const { return entries_.size(); }

  private:
    struct Entry {
        std::string text;
        std::string family;
        int size;
        int wrap;
        TextAlignment alignment;
        Texture texture;
        unsigned long lastUse;
    };
    TextRenderer& renderer_;
    std::vector<Entry> entries_;
    unsigned long uses_ = 0;
};

}  // namespace gyrelle::platform
