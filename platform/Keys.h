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
    Question,  // "?"
};

struct KeyPress {
    Key key = Key::Other;
    char letter = 0;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;  // or the system's own modifier key
    bool repeat = false;
};

}  // namespace gyrelle::platform
