#include "platform/sdl/WindowPainter.h"

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstring>

namespace gyrelle::platform {

namespace {

// The file of the font that fontconfig offers for `family` (Liberation Sans for Arial).
std::string fontFile(const char* family) {
    std::string path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    if (pattern == nullptr) {
        return path;
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        path = reinterpret_cast<const char*>(file);
    }
    if (match) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

}  // namespace

GLuint newTexture(GLint filter) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return id;
}

TextCache::TextCache() {
    ttfStarted_ = TTF_Init() == 0;
}

TextCache::~TextCache() {
    clear();
    for (Font& f : fonts_) {
        TTF_CloseFont(f.font);
    }
    if (ttfStarted_) {
        TTF_Quit();
    }
}

void TextCache::clear() {
    for (Entry& e : entries_) {
        glDeleteTextures(1, &e.texture.id);
    }
    entries_.clear();
}

TTF_Font* TextCache::font(const char* family, int pixelSize) {
    for (Font& f : fonts_) {
        if (f.size == pixelSize && f.family == family) {
            return f.font;
        }
    }
    if (!ttfStarted_) {
        return nullptr;
    }
    std::string file = fontFile(family);
    TTF_Font* font = file.empty() ? nullptr : TTF_OpenFont(file.c_str(), pixelSize);
    if (font) {
        fonts_.push_back({family, pixelSize, font});
    }
    return font;
}

TextCache::Texture TextCache::get(const std::string& text, const char* family, int pixelSize,
                                  int wrapPixels, TextAlignment alignment) {
    for (const Entry& e : entries_) {
        if (e.size == pixelSize && e.wrap == wrapPixels && e.alignment == alignment &&
            e.text == text && e.family == family) {
            return e.texture;
        }
    }
    Texture texture;
    TTF_Font* f = font(family, pixelSize);
    if (f && !text.empty()) {
        TTF_SetFontWrappedAlign(f, alignment == TextAlignment::Center ? TTF_WRAPPED_ALIGN_CENTER
                                                                      : TTF_WRAPPED_ALIGN_LEFT);
        SDL_Surface* rendered = TTF_RenderUTF8_Blended_Wrapped(
            f, text.c_str(), SDL_Color{255, 255, 255, 255}, wrapPixels);
        // RGBA bytes in memory, as GL wants them.
        SDL_Surface* rgba =
            rendered ? SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ABGR8888, 0) : nullptr;
        if (rgba) {
            texture.id = newTexture(GL_LINEAR);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            // Rows may be padded: upload row by row when the pitch is not width * 4.
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, rgba->w, rgba->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         rgba->pitch == rgba->w * 4 ? rgba->pixels : nullptr);
            if (rgba->pitch != rgba->w * 4) {
                for (int row = 0; row < rgba->h; ++row) {
                    glTexSubImage2D(
                        GL_TEXTURE_2D, 0, 0, row, rgba->w, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                        static_cast<const unsigned char*>(rgba->pixels) + row * rgba->pitch);
                }
            }
            glBindTexture(GL_TEXTURE_2D, 0);
            texture.width = rgba->w;
            texture.height = rgba->h;
            SDL_FreeSurface(rgba);
        }
        if (rendered) {
            SDL_FreeSurface(rendered);
        }
    }
    entries_.push_back({text, family, pixelSize, wrapPixels, alignment, texture});
    return texture;
}

void WindowPainter::setColor(Color c) const {
    glColor4f(c.red, c.green, c.blue, c.alpha * alpha_);
}

void WindowPainter::fillRect(Rect r, Color c) {
    const GLfloat quad[8] = {px(r.x),           py(r.y + r.height),
                             px(r.x + r.width), py(r.y + r.height),
                             px(r.x),           py(r.y),
                             px(r.x + r.width), py(r.y)};
    setColor(c);
    glVertexPointer(2, GL_FLOAT, 0, quad);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void WindowPainter::strokeCircle(Point centre, float radius, float width, Color c) {
    constexpr int kSegments = 48;
    GLfloat ring[(kSegments + 1) * 4];
    for (int i = 0; i <= kSegments; ++i) {
        const float a = static_cast<float>(i) * 2.0f * 3.14159265f / kSegments;
        const float outer = radius + width / 2, inner = radius - width / 2;
        ring[i * 4 + 0] = px(centre.x + outer * std::cos(a));
        ring[i * 4 + 1] = py(centre.y + outer * std::sin(a));
        ring[i * 4 + 2] = px(centre.x + inner * std::cos(a));
        ring[i * 4 + 3] = py(centre.y + inner * std::sin(a));
    }
    setColor(c);
    glVertexPointer(2, GL_FLOAT, 0, ring);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, (kSegments + 1) * 2);
}

void WindowPainter::fillCircle(Point centre, float radius, Color c) {
    constexpr int kSegments = 24;
    GLfloat fan[(kSegments + 2) * 2];
    fan[0] = px(centre.x);
    fan[1] = py(centre.y);
    for (int i = 0; i <= kSegments; ++i) {
        const float a = static_cast<float>(i) * 2.0f * 3.14159265f / kSegments;
        fan[2 + i * 2] = px(centre.x + radius * std::cos(a));
        fan[3 + i * 2] = py(centre.y + radius * std::sin(a));
    }
    setColor(c);
    glVertexPointer(2, GL_FLOAT, 0, fan);
    glDrawArrays(GL_TRIANGLE_FAN, 0, kSegments + 2);
}

void WindowPainter::drawText(Rect r, const std::string& text, Color c, const char* font, float size,
                             TextAlignment alignment) {
    const int pixelSize = static_cast<int>(std::lround(size * scale_));
    const int wrap = static_cast<int>(std::lround(r.width * scale_));
    if (pixelSize <= 0 || wrap <= 0) {
        return;
    }
    TextCache::Texture t = text_.get(text, font, pixelSize, wrap, alignment);
    if (t.id == 0) {
        return;
    }
    // The rendered block is as wide as its longest line: place it within the rectangle.
    float left = px(r.x);
    if (alignment == TextAlignment::Center) {
        left += (static_cast<float>(wrap) - static_cast<float>(t.width)) / 2;
    }
    left = std::floor(left);
    const float top = std::floor(py(r.y));
    // Nothing below the rectangle: a text longer than its block is cut, as on the phone.
    const float visible = std::min(static_cast<float>(t.height), r.height * scale_);
    const float bottom = top - visible;
    const float v = visible / static_cast<float>(t.height);
    const GLfloat quad[8] = {left, bottom, left + t.width, bottom, left, top, left + t.width, top};
    const GLfloat uv[8] = {0, v, 1, v, 0, 0, 1, 0};
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.id);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glVertexPointer(2, GL_FLOAT, 0, quad);
    setColor(c);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

}  // namespace gyrelle::platform
