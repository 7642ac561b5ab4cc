#pragma once

#include <span>
#include <string>

#include "platform/Keys.h"

namespace gyrelle {

// What a key, a button or the menu asks for, whatever the keyboard.
struct Command {
    enum class Kind : char {
        None,  // nothing: the key means nothing to the game
        Move,  // a typed move, as Game::type takes it
        Undo,
        Redo,
        NewGame,
        CompetitionScramble,
        Hint,
        SolveForMe,
        Copy,
        Paste,
        ShowKeys,
        ShowRecords,
        ShowSettings,
        Trainer,
        Share,
        Quit,
    };
    Kind kind = Kind::None;
    char letter = 0;  // for a Move
    bool prime = false;
};

// One command as the player meets it. Keys are written as the keys panel and the README
// show them, several apart by spaces ("Ctrl+Shift+Z Ctrl+Y"), and read from that same
// text: a letter of a Move row turns as its letter, with Shift the other way; `turns`
// gives each key of a row its own move instead ("y y' x x'" for the arrows).
struct CommandRow {
    Command::Kind kind;
    const char* keys;         // on the desktop; empty for none
    const char* browserKeys;  // in a browser, where its own keys are taken: null for the same
    const char* turns;        // for a Move row whose keys are not letters, else null
    const char* shortLabel;   // on its toolbar button; null for none
    const char* label;        // in the menu; null for none
    const char* help;         // its line on the keys panel
    bool menuFirst;           // among what the menu shows first: what fingers first had from it
    bool windowsOwn;          // done by the window itself, as it reads the key (quit)
};

// Every command, in the toolbar's and the keys panel's order.
std::span<const CommandRow> commandRows();

using platform::Keyboard;

// What a key asks for on `keyboard`, as the rows say.
Command commandOf(const platform::KeyPress& key, Keyboard keyboard = Keyboard::Desktop);

// A row's keys on `keyboard`, as a player reads them ("Ctrl+Shift+Z, Ctrl+Y"); empty for
// none.
std::string keysText(const CommandRow& row, Keyboard keyboard);

}  // namespace gyrelle
