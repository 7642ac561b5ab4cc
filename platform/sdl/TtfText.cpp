#include "platform/sdl/TtfText.h"

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

}  // namespace

TtfText::~TtfText() {
    clear();
    if (ttfStarted_) {
        lib_.quit();
    }
}

bool TtfText::start() {
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

void TtfText::clear() {
    for (Font& f : fonts_) {
        lib_.closeFont(f.font);
    }
    fonts_.clear();
}

TTF_Font* TtfText::font(const char* family, int pixelSize) {
    ++uses_;
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
        auto old = std::min_element(fonts_.begin(), fonts_.end(), [](const Font& a, const Font& b) {
            return a.lastUse < b.lastUse;
        });
        lib_.closeFont(old->font);
        fonts_.erase(old);
    }
    fonts_.push_back({family, pixelSize, font, uses_});
    return font;
}

TextTexture TtfText::render(const std::string& text, const char* family, int pixelSize,
                            int wrapPixels, TextAlignment alignment) {
    TextTexture texture;
    TTF_Font* f = font(family, pixelSize);
    if (f == nullptr) {
        return texture;
    }
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
