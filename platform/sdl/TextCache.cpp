#include "platform/sdl/TextCache.h"

#include <algorithm>

#include "platform/Log.h"

namespace gyrelle::platform {

namespace {

// The file of the font that fontconfig offers for `family` (Liberation Sans for Arial).
std::string fontFile(const TextLibrary& lib, const char* family) {
    std::string path;
    FcPattern* pattern = lib.nameParse(reinterpret_cast<const FcChar8*>(family));
    if (pattern == nullptr) {
        return path;
    }
    lib.configSubstitute(nullptr, pattern, FcMatchPattern);
    lib.defaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = lib.fontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (match && lib.patternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        path = reinterpret_cast<const char*>(file);
    }
    if (match) {
        lib.patternDestroy(match);
    }
    lib.patternDestroy(pattern);
    return path;
}

// The least recently used of `items`.
template <class T>
typename std::vector<T>::iterator oldest(std::vector<T>& items) {
    return std::min_element(items.begin(), items.end(),
                            [](const T& a, const T& b) { return a.lastUse < b.lastUse; });
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

TextCache::TextCache() = default;

TextCache::~TextCache() {
    clear();
    if (ttfStarted_) {
        lib_.quit();
    }
}

bool TextCache::start() {
    if (!tried_) {
        tried_ = true;
        if (!lib_.open()) {
            logMessage("no text can be shown: %s", lib_.why().c_str());
        } else if (!(ttfStarted_ = lib_.init() == 0)) {
            logMessage("no text can be shown: %s", SDL_GetError());
        }
    }
    return ttfStarted_;
}

void TextCache::clear() {
    for (Entry& e : entries_) {
        glDeleteTextures(1, &e.texture.id);
    }
    entries_.clear();
    for (Font& f : fonts_) {
        lib_.closeFont(f.font);
    }
    fonts_.clear();
}

TTF_Font* TextCache::font(const char* family, int pixelSize) {
    for (Font& f : fonts_) {
        if (f.size == pixelSize && f.family == family) {
            f.lastUse = uses_;
            return f.font;
        }
    }
    if (!start()) {
        return nullptr;
    }
    std::string file = fontFile(lib_, family);
    TTF_Font* font = file.empty() ? nullptr : lib_.openFont(file.c_str(), pixelSize);
    if (font == nullptr) {
        if (std::find(missing_.begin(), missing_.end(), family) == missing_.end()) {
            missing_.push_back(family);
            logMessage("no font for \"%s\"%s%s: its text is not shown", family,
                       file.empty() ? "" : " in ", file.c_str());
        }
        return nullptr;
    }
    if (fonts_.size() >= kFonts) {
        auto old = oldest(fonts_);
        lib_.closeFont(old->font);
        fonts_.erase(old);
    }
    fonts_.push_back({family, pixelSize, font, uses_});
    return font;
}

TextCache::Texture TextCache::get(const std::string& text, const char* family, int pixelSize,
                                  int wrapPixels, TextAlignment alignment) {
    ++uses_;
    for (Entry& e : entries_) {
        if (e.size == pixelSize && e.wrap == wrapPixels && e.alignment == alignment &&
            e.text == text && e.family == family) {
            e.lastUse = uses_;
            return e.texture;
        }
    }
    Texture texture;
    if (TTF_Font* f = text.empty() ? nullptr : font(family, pixelSize)) {
        texture = render(text, f, wrapPixels, alignment);
    }
    if (entries_.size() >= kTextures) {
        auto old = oldest(entries_);
        glDeleteTextures(1, &old->texture.id);
        entries_.erase(old);
    }
    entries_.push_back({text, family, pixelSize, wrapPixels, alignment, texture, uses_});
    return texture;
}

TextCache::Texture TextCache::render(const std::string& text, TTF_Font* f, int wrapPixels,
                                     TextAlignment alignment) {
    Texture texture;
    lib_.setWrappedAlign(
        f, alignment == TextAlignment::Center ? TTF_WRAPPED_ALIGN_CENTER : TTF_WRAPPED_ALIGN_LEFT);
    SDL_Surface* rendered = lib_.renderWrapped(f, text.c_str(), SDL_Color{255, 255, 255, 255},
                                               static_cast<Uint32>(wrapPixels));
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
    return texture;
}

}  // namespace gyrelle::platform
