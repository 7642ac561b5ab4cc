#pragma once

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <string>

namespace gyrelle::platform {

// SDL_ttf and fontconfig, opened when text is first drawn rather than linked: a game
// that shows no words does not load them (about 1.7 MB and some start-up time).
class TextLibrary {
  public:
    // Opens both libraries; false, with why(), when one or an entry point is missing.
    bool open();
    ~TextLibrary();
    const std::string& why() const { return why_; }

    int (*init)() = nullptr;
    void (*quit)() = nullptr;
    TTF_Font* (*openFont)(const char* file, int pixelSize) = nullptr;
    void (*closeFont)(TTF_Font* font) = nullptr;
    void (*setWrappedAlign)(TTF_Font* font, int align) = nullptr;
    SDL_Surface* (*renderWrapped)(TTF_Font* font, const char* text, SDL_Color colour,
                                  Uint32 wrapPixels) = nullptr;

    FcPattern* (*nameParse)(const FcChar8* name) = nullptr;
    FcBool (*configSubstitute)(FcConfig* config, FcPattern* pattern, FcMatchKind kind) = nullptr;
    void (*defaultSubstitute)(FcPattern* pattern) = nullptr;
    FcPattern* (*fontMatch)(FcConfig* config, FcPattern* pattern, FcResult* result) = nullptr;
    FcResult (*patternGetString)(const FcPattern* pattern, const char* object, int n,
                                 FcChar8** value) = nullptr;
    void (*patternDestroy)(FcPattern* pattern) = nullptr;

  private:
    void* ttf_ = nullptr;
    void* fontconfig_ = nullptr;
    std::string why_;
};

}  // namespace gyrelle::platform
