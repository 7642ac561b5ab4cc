#include "game/Settings.h"

#include <algorithm>

namespace gyrelle {

namespace {

// clang-format off
// Home faces 0..5: +z, +y, -z, -y, -x, +x; at the start F, U, B, D, L, R.
constexpr SchemeRow kSchemes[] = {
    {"classic", "Classic",
     {{{245, 0, 0}, {0, 200, 0}, {255, 140, 0}, {0, 0, 255}, {255, 255, 255}, {235, 245, 0}}},
     false, {255, 0, 255}},
    // Pure, saturated colours as far apart as six can be, from one another and from the
    // dark body, in normal sight and in the three simulated colour blindnesses alike (the
    // set of twenty-odd saturated colours whose least CIEDE2000 difference in all four is
    // largest, 19: see tests/colour_vision_test.cpp): red, teal, purple, sky blue, white,
    // yellow.
    {"high-contrast", "High contrast",
     {{{255, 0, 0}, {0, 128, 128}, {128, 0, 255}, {86, 180, 233}, {255, 255, 255}, {255, 220, 0}}},
     false, {190, 190, 190}},
    // Okabe and Ito, "Color Universal Design" (2008): eight colours chosen to stay apart
    // for protanopes, deuteranopes and tritanopes alike, widely used in science's figures.
    // Six of them, each standing in for the classic colour it is nearest to: vermillion for
    // red, bluish green for green, reddish purple for orange, blue for blue, yellow for
    // yellow; white is kept (a face a player finds first, and far from every other in
    // lightness).
    {"colour-blind", "Colour-blind safe",
     {{{213, 94, 0}, {0, 158, 115}, {204, 121, 167}, {0, 114, 178}, {255, 255, 255}, {240, 228, 66}}},
     false, {200, 160, 255}},
    {"custom", "My colours", {}, true, {255, 0, 255}},
};
// The marks were chosen, as the schemes were, by the least CIEDE2000 difference from the
// six faces and black in all four sights: magenta 13.5 from the classic faces (but 9 and
// less from the others' purples), light grey 14.6 from the high-contrast ones, lavender
// 16.1 from Okabe and Ito's.

constexpr SettingChoice kMethods[] = {{"cfop", "CFOP"}, {"roux", "Roux"}};
constexpr SettingChoice kTurnSpeeds[] = {
    {"4", "4 frames"}, {"3", "3 frames"}, {"2", "2 frames"}, {"1", "1 frame"}};

constexpr SettingRow kSettings[] = {
    // kind, key in the file, panel's label, panel's key, keys panel's word, field, default,
    // what the panel says of it, a choice's field and choices
    {SettingRow::Kind::Scheme, "colours", "Colours", 'c', "colours", nullptr, false, nullptr,
     nullptr, nullptr},
    {SettingRow::Kind::FaceColours, "colour_", nullptr, 0, nullptr, nullptr, false, nullptr,
     nullptr, nullptr},
    {SettingRow::Kind::Switch, "sticker_letters", "Sticker letters", 'l', "letters",
     &Settings::stickerLetters, false, nullptr, nullptr, nullptr},
    {SettingRow::Kind::Switch, "inspection", "Inspection", 'i', "inspection",
     &Settings::inspection, false,
     "15 seconds to look after a scramble; the clock starts at the first turn or when they "
     "end. Later than 15 s is +2, later than 17 s a DNF.", nullptr, nullptr},
    {SettingRow::Kind::Choice, "method", "Splits", 'm', "method", nullptr, false, nullptr,
     &Settings::method, methodChoices},
    {SettingRow::Kind::Choice, "turn_frames", "Typed turns", 't', "turn speed", nullptr, false,
     nullptr, &Settings::turnSpeed, turnSpeedChoices},
};
// clang-format on

}  // namespace

std::span<const SchemeRow> schemeRows() {
    return kSchemes;
}

int schemeCount() {
    return static_cast<int>(std::size(kSchemes));
}

// A scheme past the table's (none is read or stepped to) is the first.
const SchemeRow& schemeRow(ColourScheme scheme) {
    const int i = static_cast<int>(scheme);
    return kSchemes[i >= 0 && i < schemeCount() ? i : 0];
}

std::span<const SettingRow> settingRows() {
    return kSettings;
}

std::span<const SettingChoice> methodChoices() {
    return kMethods;
}

std::span<const SettingChoice> turnSpeedChoices() {
    return kTurnSpeeds;
}

int turnFrames(const Settings& settings) {
    return std::clamp(4 - settings.turnSpeed, 1, 4);
}

const SettingChoice& choiceOf(const SettingRow& row, const Settings& settings) {
    const auto choices = row.choices();
    const int i = settings.*row.choice;
    return choices[i >= 0 && static_cast<size_t>(i) < choices.size() ? static_cast<size_t>(i) : 0];
}

Settings::Settings() : scheme(ColourScheme::Classic), faceColours(kSchemes[0].colours) {
    for (const SettingRow& row : kSettings) {
        if (row.flag) {
            this->*row.flag = row.byDefault;
        }
        if (row.choice) {
            this->*row.choice = 0;
        }
    }
}

std::array<Rgb, 6> schemeColours(ColourScheme scheme, const std::array<Rgb, 6>& custom) {
    const SchemeRow& row = schemeRow(scheme);
    return row.playersOwn ? custom : row.colours;
}

Rgb hintMarkColour(ColourScheme scheme) {
    return schemeRow(scheme).mark;
}

const char* schemeKey(ColourScheme scheme) {
    return schemeRow(scheme).key;
}

const char* schemeName(ColourScheme scheme) {
    return schemeRow(scheme).name;
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
