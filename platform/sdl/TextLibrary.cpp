#include "platform/sdl/TextLibrary.h"

#include <dlfcn.h>

namespace gyrelle::platform {

namespace {

template <class Function>
bool find(void* library, const char* name, Function& entry, std::string& why) {
    entry = reinterpret_cast<Function>(dlsym(library, name));
    if (!entry && why.empty()) {
        why = std::string("no ") + name;
    }
    return entry != nullptr;
}

}  // namespace

bool TextLibrary::open() {
    ttf_ = dlopen("libSDL2_ttf-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    fontconfig_ = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!ttf_ || !fontconfig_) {
        why_ = dlerror();
        return false;
    }
    bool ok = find(ttf_, "TTF_Init", init, why_);
    ok = find(ttf_, "TTF_Quit", quit, why_) && ok;
    ok = find(ttf_, "TTF_OpenFont", openFont, why_) && ok;
    ok = find(ttf_, "TTF_CloseFont", closeFont, why_) && ok;
    ok = find(ttf_, "TTF_SetFontWrappedAlign", setWrappedAlign, why_) && ok;
    ok = find(ttf_, "TTF_RenderUTF8_Blended_Wrapped", renderWrapped, why_) && ok;
    ok = find(fontconfig_, "FcNameParse", nameParse, why_) && ok;
    ok = find(fontconfig_, "FcConfigSubstitute", configSubstitute, why_) && ok;
    ok = find(fontconfig_, "FcDefaultSubstitute", defaultSubstitute, why_) && ok;
    ok = find(fontconfig_, "FcFontMatch", fontMatch, why_) && ok;
    ok = find(fontconfig_, "FcPatternGetString", patternGetString, why_) && ok;
    ok = find(fontconfig_, "FcPatternDestroy", patternDestroy, why_) && ok;
    return ok;
}

TextLibrary::~TextLibrary() {
    for (void* library : {ttf_, fontconfig_}) {
        if (library) {
            dlclose(library);
        }
    }
}

}  // namespace gyrelle::platform
