#include "game/Commands.h"

#include <string_view>

namespace gyrelle {

namespace {

using Kind = Command::Kind;

// clang-format off
constexpr CommandRow kRows[] = {
    // kind, keys, browser's keys, turns, button, menu, help, first in the menu, the window's
    {Kind::Move, "F B U D R L", nullptr, nullptr, nullptr, nullptr,
     "turn the face in front, at the back, up, down, right, left; with Shift the other way",
     false, false},
    {Kind::Move, "M E S", nullptr, nullptr, nullptr, nullptr,
     "turn a middle slice, as L, D, F", false, false},
    {Kind::Move, "X Y Z", nullptr, nullptr, nullptr, nullptr,
     "turn the whole cube, as R, U, F", false, false},
    {Kind::Move, "Left Right Up Down", nullptr, "y y' x x'", nullptr, nullptr,
     "turn the whole cube, as Y, Y', X, X'", false, false},
    {Kind::NewGame, "Ctrl+N", "Alt+N", nullptr, "New", "New game",
     "new game: scramble, or ask to reset", false, false},
    {Kind::Undo, "Ctrl+Z", nullptr, nullptr, "Undo", "Undo", "undo", false, false},
    {Kind::Redo, "Ctrl+Shift+Z Ctrl+Y", nullptr, nullptr, "Redo", "Redo", "redo", false, false},
    {Kind::Hint, "H", nullptr, nullptr, "Hint", "Hint", "a hint: the next turn", true, false},
    {Kind::SolveForMe, "Shift+H", nullptr, nullptr, "Solve", "Solve for me",
     "solve it for me; again to stop", true, false},
    {Kind::CompetitionScramble, "Ctrl+Shift+N", "Alt+C", nullptr, "Scramble",
     "Competition scramble", "competition scramble", true, false},
    {Kind::ShowRecords, "F2", nullptr, nullptr, "Records", "Records", "records", false, false},
    // In the menu only: a phone's bar under the picture holds two rows of five.
    {Kind::Trainer, "F4", nullptr, nullptr, nullptr, "Last-layer trainer",
     "the last-layer trainer; again to leave it", false, false},
    {Kind::ShowSettings, "F3", nullptr, nullptr, "Settings", "Settings", "settings", false, false},
    {Kind::ShowKeys, "F1 ?", nullptr, nullptr, "Help", "Help", "these keys", false, false},
    {Kind::Share, "", nullptr, nullptr, "Share", "Share this position",
     "share this position", false, false},
    {Kind::Copy, "Ctrl+C", nullptr, nullptr, nullptr, nullptr, "copy the position", false, false},
    {Kind::Paste, "Ctrl+V", nullptr, nullptr, nullptr, nullptr, "paste a position", false, false},
    {Kind::Quit, "Ctrl+Q", "", nullptr, nullptr, nullptr, "save and quit", false, true},
};
// clang-format on

// One key of a row's keys, as written: modifiers joined by "+" to the key's name.
struct Chord {
    platform::Key key = platform::Key::Other;
    char letter = 0;
    bool shift = false, ctrl = false, alt = false;
};

Chord chordOf(std::string_view text) {
    using platform::Key;
    Chord chord;
    for (size_t plus; (plus = text.find('+')) != std::string_view::npos && plus + 1 < text.size();
         text.remove_prefix(plus + 1)) {
        const std::string_view modifier = text.substr(0, plus);
        chord.shift |= modifier == "Shift";
        chord.ctrl |= modifier == "Ctrl";
        chord.alt |= modifier == "Alt";
    }
    struct Named {
        std::string_view name;
        Key key;
    };
    constexpr Named kNames[] = {{"Left", Key::Left}, {"Right", Key::Right}, {"Up", Key::Up},
                                {"Down", Key::Down}, {"F1", Key::F1},       {"F2", Key::F2},
                                {"F3", Key::F3},     {"F4", Key::F4},       {"?", Key::Question}};
    for (const Named& n : kNames) {
        if (text == n.name) {
            chord.key = n.key;
            return chord;
        }
    }
    if (text.size() == 1 && text[0] >= 'A' && text[0] <= 'Z') {
        chord.key = Key::Letter;
        chord.letter = static_cast<char>(text[0] - 'A' + 'a');
    }
    return chord;
}

// The `index`th key of a space-separated list, or empty.
std::string_view word(std::string_view keys, int index) {
    while (index-- > 0) {
        const size_t space = keys.find(' ');
        keys = space == std::string_view::npos ? std::string_view{} : keys.substr(space + 1);
    }
    return keys.substr(0, keys.find(' '));
}

const char* keysOf(const CommandRow& row, Keyboard keyboard) {
    return keyboard == Keyboard::Browser && row.browserKeys ? row.browserKeys : row.keys;
}

}  // namespace

std::span<const CommandRow> commandRows() {
    return kRows;
}

Command commandOf(const platform::KeyPress& key, Keyboard keyboard) {
    using platform::Key;
    // Shift as written first; then, for a key no row names with this Shift, without it
    // (Ctrl+Shift+C copies as Ctrl+C does).
    for (const bool exact : {true, false}) {
        for (const CommandRow& row : kRows) {
            const std::string_view keys = keysOf(row, keyboard);
            const bool letterMove = row.kind == Kind::Move && !row.turns;
            for (int i = 0; !word(keys, i).empty(); ++i) {
                const Chord chord = chordOf(word(keys, i));
                if (chord.key != key.key || chord.letter != key.letter || chord.ctrl != key.ctrl ||
                    chord.alt != key.alt) {
                    continue;
                }
                // Shift turns a letter the other way; keys other than letters take it or not.
                if (exact && !letterMove && key.key == Key::Letter && chord.shift != key.shift) {
                    continue;
                }
                if (!exact && letterMove) {
                    continue;
                }
                if (row.windowsOwn) {
                    return {};
                }
                if (letterMove) {
                    return {Kind::Move, key.letter, key.shift};
                }
                if (row.turns) {
                    const std::string_view turn = word(row.turns, i);
                    return {Kind::Move, turn[0], turn.size() > 1};
                }
                return {row.kind};
            }
        }
    }
    return {};
}

std::string keysText(const CommandRow& row, Keyboard keyboard) {
    std::string text;
    const std::string_view keys = keysOf(row, keyboard);
    for (int i = 0; !word(keys, i).empty(); ++i) {
        text += (i ? ", " : "") + std::string(word(keys, i));
    }
    return text;
}

}  // namespace gyrelle
