#pragma once

namespace gyrelle::platform {

// A key as the game sees it, whatever the keyboard's layout.
enum class Key {
    Other,
    Letter,  // `letter` says which, in lower case
    Return,
    Escape,
    Left,
    Right,
    Up,
    Down,
    F1,
    F2,
    F3,
    F4,
    Question,  // "?"
    Space,
    Home,
    End,
    Backspace,
};

// Whose keys the game may have: a desktop window has them all, a browser keeps some for
// itself (Ctrl+N, Ctrl+Shift+N).
enum class Keyboard : char { Desktop, Browser };

struct KeyPress {
    Key key = Key::Other;
    char letter = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;  // or the system's own modifier key
    bool repeat = false;
};

}  // namespace gyrelle::platform
