#pragma once

#include <array>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace gyrelle {

// A colour as drawn: red, green, blue.
struct Rgb {
    unsigned char r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// How the six faces are coloured on the screen: a row of schemeRows(). The colour pick
// never sees these: it reads a picture of the stickers' own colours.
enum class ColourScheme : char {
    Classic,       // the stickers' own 54 shades, as the game has always drawn them
    HighContrast,  // bright colours far apart in lightness, on the dark body
    ColourBlind,   // Okabe and Ito's palette, told apart without red-green or blue-yellow
    Custom,        // the player's colour for each face
};

// A colour scheme: its name in the settings file and on the settings panel, the colours of
// the home faces 0..5 (Classic: the faces' base colours, whose stickers are drawn in their
// own shades of them) unless they are the player's own, and the colour of the hint's
// mark, one its faces, the dark body and the black around the cube all stand apart from.
struct SchemeRow {
    const char* key;
    const char* name;
    std::array<Rgb, 6> colours;
    bool playersOwn;  // the colours are Settings::faceColours
    Rgb mark;
};
std::span<const SchemeRow> schemeRows();
const SchemeRow& schemeRow(ColourScheme scheme);
int schemeCount();

// What the player chose, kept in the `settings` file beside the cube; every field but the
// unknown lines is a row of settingRows().
struct Settings {
    Settings();

    ColourScheme scheme;
    // The player's own colour of each home face (0..5, the cube's face slots).
    std::array<Rgb, 6> faceColours;
    // Each sticker shows its face's letter (U R F D L B), so colour is never the only cue.
    bool stickerLetters;
    // Fifteen seconds to look before the clock starts, with +2 and DNF as competitions.
    bool inspection;
    // How a solve's steps are found: a choice of methodChoices() (0 CFOP, 1 Roux).
    int method;
    // How quickly typed and played turns go: a choice of turnSpeedChoices(), the frames
    // each shows (0: four, as a swipe's; 3: one).
    int turnSpeed;
    // Lines of the file this version does not know, kept as they were when written back.
    std::vector<std::pair<std::string, std::string>> unknown;

    bool operator==(const Settings&) const = default;
};

// One of a choice: its word in the settings file, and its name on the panel.
struct SettingChoice {
    const char* key;
    const char* name;
};
// The methods splits are found by, as the setting offers them.
std::span<const SettingChoice> methodChoices();
// The frames a typed or played turn shows, as the setting offers them: 4, 3, 2, 1.
std::span<const SettingChoice> turnSpeedChoices();
int turnFrames(const Settings& settings);

// A setting: its key in the settings file, its label on the settings panel and the key
// that steps it there (lower case), the word the keys panel says for it, for a switch its
// field and its default, a line the panel says of it (or null), and for a choice its
// field and what it chooses from (the default first).
struct SettingRow {
    enum class Kind : char {
        Scheme,       // one of the schemes, by its key; the colours step through them
        FaceColours,  // six keys, the key and a face's letter: "#rrggbb"; a face's button each
        Switch,       // on or off
        Choice,       // one of a few, by its key; the panel's button steps through them
    };
    Kind kind;
    const char* key;
    const char* label;
    char panelKey;
    const char* keyWord;
    bool Settings::*flag;
    bool byDefault;
    const char* note;
    int Settings::*choice;
    std::span<const SettingChoice> (*choices)();
};
std::span<const SettingRow> settingRows();
// What a choice's row has chosen in `settings` (the first for a field out of range).
const SettingChoice& choiceOf(const SettingRow& row, const Settings& settings);

std::array<Rgb, 6> schemeColours(ColourScheme scheme, const std::array<Rgb, 6>& custom);
Rgb hintMarkColour(ColourScheme scheme);
const char* schemeKey(ColourScheme scheme);
const char* schemeName(ColourScheme scheme);
// The colours the settings panel offers a face, in the order a tap steps through them.
const std::vector<std::pair<const char*, Rgb>>& faceColourChoices();

// The letter of the face whose centre has home face `face` in position codes: U R F D L B.
char faceLetter(int face);
// The home face whose letter that is, or -1.
int homeFaceOf(char letter);

}  // namespace gyrelle
