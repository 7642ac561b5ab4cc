#include "store/Fingerprint.h"

#include <cinttypes>
#include <cstdio>

namespace gyrelle::store {

std::string cubeFingerprint(const MagicCube::Stickers& stickers) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const Sticker& s : stickers) {
        for (unsigned char byte :
             {s.rgb[0], s.rgb[1], s.rgb[2], static_cast<unsigned char>(s.faceNumber)}) {
            hash = (hash ^ byte) * 1099511628211ull;
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

bool isCubeFingerprint(const std::string& word) {
    return word.size() == 16 && word.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace gyrelle::store
