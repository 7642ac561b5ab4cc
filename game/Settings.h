#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace gyrelle {

// A colour as drawn: red, green, blue.
struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// How the six faces are coloured on the screen. The colour pick never sees these: it
// reads a picture of the stickers' own colours.
enum class ColourScheme : char {
    Classic,       // the stickers' own 54 shades, as the game has always drawn them
    HighContrast,  // bright colours far apart in lightness, on the dark body
    ColourBlind,   // Okabe and Ito's palette, told apart without red-green or blue-yellow
    Custom,        // the player's colour for each face
};
constexpr int kColourSchemes = 4;

// What the player chose, kept in the `settings` file beside the cube.
struct Settings {
    ColourScheme scheme = ColourScheme::Classic;
    // The Custom scheme's colour of each home face (0..5, the cube's face slots).
    std::array<Rgb, 6> faceColours = defaultFaceColours();
    // Each sticker shows its face's letter (U R F D L B), so colour is never the only cue.
    bool stickerLetters = false;
    // Fifteen seconds to look before the clock starts, with +2 and DNF as competitions.
    bool inspection = false;
    // Lines of the file this version does not know, kept as they were when written back.
    std::vector<std::pair<std::string, std::string>> unknown;

    static std::array<Rgb, 6> defaultFaceColours();
    bool operator==(const Settings&) const = default;
};

// The six colours the scheme gives the home faces 0..5 (Classic: the faces' base colours,
// whose stickers are drawn in their own shades of them).
std::array<Rgb, 6> schemeColours(ColourScheme scheme, const std::array<Rgb, 6>& custom);
// The colour of the hint's mark in the scheme: one its faces, the dark body and the black
// around the cube all stand apart from (magenta for the classic colours and one's own).
Rgb hintMarkColour(ColourScheme scheme);
// The scheme's name in the settings file and on the settings panel.
const char* schemeKey(ColourScheme scheme);
const char* schemeName(ColourScheme scheme);
// The colours the settings panel offers a face, in the order a tap steps through them.
const std::vector<std::pair<const char*, Rgb>>& faceColourChoices();

// The letter of the face whose centre has home face `face` in position codes: U R F D L B.
char faceLetter(int face);
// The home face whose letter that is, or -1.
int homeFaceOf(char letter);

}  // namespace gyrelle
