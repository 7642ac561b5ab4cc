#pragma once

#include "platform/Keys.h"

namespace gyrelle {

// What a key asks for, whatever the keyboard.
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
    };
    Kind kind = Kind::None;
    char letter = 0;  // for a Move
    bool prime = false;
};

// Letters turn in cube notation (with Shift the other way), the arrows turn the whole
// cube, Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo, Ctrl+N is a new game, Ctrl+Shift+N a
// competition scramble, H a hint, Shift+H solve-for-me, Ctrl+C and Ctrl+V copy and paste
// the position, F1 and ? show the keys, F2 the records, F3 the settings.
Command commandOf(const platform::KeyPress& key);

}  // namespace gyrelle
