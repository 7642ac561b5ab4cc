#include "platform/gl/TextCache.h"

#include <algorithm>

namespace gyrelle::platform {

void TextCache::clear() {
    for (Entry& e : entries_) {
        glDeleteTextures(1, &e.texture.id);
    }
    entries_.clear();
    renderer_.clear();
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
    const Texture texture =
        text.empty() ? Texture{} : renderer_.render(text, family, pixelSize, wrapPixels, alignment);
    if (entries_.size() >= kTextures) {
        auto old =
            std::min_element(entries_.begin(), entries_.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        glDeleteTextures(1, &old->texture.id);
        entries_.erase(old);
    }
    entries_.push_back({text, family, pixelSize, wrapPixels, alignment, texture, uses_});
    return texture;
}

}  // namespace gyrelle::platform
