#include "game/Settings.h"

namespace gyrelle {

namespace {

// Home faces 0..5: +z, +y, -z, -y, -x, +x; at the start F, U, B, D, L, R.
constexpr std::array<Rgb, 6> kClassic = {
    {{245, 0, 0}, {0, 200, 0}, {255, 140, 0}, {0, 0, 255}, {255, 255, 255}, {235, 245, 0}}};

// Pure, saturated colours as far apart as six can be, from one another and from the dark
// body, in normal sight and in the three simulated colour blindnesses alike (the set of
// twenty-odd saturated colours whose least CIEDE2000 difference in all four is largest,
// 19: see tests/colour_vision_test.cpp): red, teal, purple, sky blue, white, yellow.
constexpr std::array<Rgb, 6> kHighContrast = {
    {{255, 0, 0}, {0, 128, 128}, {128, 0, 255}, {86, 180, 233}, {255, 255, 255}, {255, 220, 0}}};

// Okabe and Ito, "Color Universal Design" (2008): eight colours chosen to stay apart for
// protanopes, deuteranopes and tritanopes alike, widely used in science's figures. Six of
// them, each standing in for the classic colour it is nearest to: vermillion for red,
// bluish green for green, reddish purple for orange, blue for blue, yellow for yellow;
// white is kept (a face a player finds first, and far from every other in lightness).
constexpr std::array<Rgb, 6> kColourBlind = {
    {{213, 94, 0}, {0, 158, 115}, {204, 121, 167}, {0, 114, 178}, {255, 255, 255}, {240, 228, 66}}};

}  // namespace

std::array<Rgb, 6> Settings::defaultFaceColours() {
    return kClassic;
}

std::array<Rgb, 6> schemeColours(ColourScheme scheme, const std::array<Rgb, 6>& custom) {
    switch (scheme) {
        case ColourScheme::HighContrast:
            return kHighContrast;
        case ColourScheme::ColourBlind:
            return kColourBlind;
        case ColourScheme::Custom:
            return custom;
        case ColourScheme::Classic:
            break;
    }
    return kClassic;
}

// Chosen, as the schemes were, by the least CIEDE2000 difference from the six faces and
// black in all four sights: magenta 13.5 from the classic faces (but 9 and less from the
// others' purples), light grey 14.6 from the high-contrast ones, lavender 16.1 from Okabe
// and Ito's.
Rgb hintMarkColour(ColourScheme scheme) {
    switch (scheme) {
        case ColourScheme::HighContrast:
            return {190, 190, 190};
        case ColourScheme::ColourBlind:
            return {200, 160, 255};
        case ColourScheme::Classic:
        case ColourScheme::Custom:
            break;
    }
    return {255, 0, 255};
}

const char* schemeKey(ColourScheme scheme) {
    const char* const kKeys[kColourSchemes] = {"classic", "high-contrast", "colour-blind",
                                               "custom"};
    return kKeys[static_cast<int>(scheme)];
}

const char* schemeName(ColourScheme scheme) {
    const char* const kNames[kColourSchemes] = {"Classic", "High contrast", "Colour-blind safe",
                                                "My colours"};
    return kNames[static_cast<int>(scheme)];
}

const std::vector<std::pair<const char*, Rgb>>& faceColourChoices() {
    static const std::vector<std::pair<const char*, Rgb>> kChoices = {
        {"red", {245, 0, 0}},       {"green", {0, 200, 0}},     {"orange", {255, 140, 0}},
        {"blue", {0, 0, 255}},      {"white", {255, 255, 255}}, {"yellow", {235, 245, 0}},
        {"purple", {150, 60, 220}}, {"pink", {255, 130, 200}},  {"cyan", {0, 220, 230}},
        {"brown", {150, 90, 30}},   {"grey", {150, 150, 150}},  {"sky blue", {86, 180, 233}},
    };
    return kChoices;
}

int homeFaceOf(char letter) {
    for (int face = 0; face < 6; ++face) {
        if (faceLetter(face) == letter) {
            return face;
        }
    }
    return -1;
}

char faceLetter(int face) {
    constexpr char kLetters[] = "FUBDLR";
    return face >= 0 && face < 6 ? kLetters[face] : '?';
}

}  // namespace gyrelle
