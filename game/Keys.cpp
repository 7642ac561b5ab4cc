#include "game/Keys.h"

#include <cstring>

namespace gyrelle {

Command commandOf(const platform::KeyPress& key) {
    using platform::Key;
    using Kind = Command::Kind;
    const char letter = key.key == Key::Letter ? key.letter : 0;
    if (key.ctrl && !key.alt) {
        switch (letter) {
            case 'z':
                return {key.shift ? Kind::Redo : Kind::Undo};
            case 'y':
                return {Kind::Redo};
            case 'n':
                return {key.shift ? Kind::CompetitionScramble : Kind::NewGame};
            case 'c':
                return {Kind::Copy};
            case 'v':
                return {Kind::Paste};
            default:
                return {};
        }
    }
    if (key.ctrl || key.alt) {
        return {};
    }
    switch (key.key) {
        case Key::F1:
        case Key::Question:
            return {Kind::ShowKeys};
        case Key::F2:
            return {Kind::ShowRecords};
        case Key::F3:
            return {Kind::ShowSettings};
        case Key::Left:  // the front goes left: y
        case Key::Right:
            return {Kind::Move, 'y', key.key == Key::Right};
        case Key::Up:  // the front goes up: x
        case Key::Down:
            return {Kind::Move, 'x', key.key == Key::Down};
        case Key::Letter:
            if (letter == 'h') {
                return {key.shift ? Kind::SolveForMe : Kind::Hint};
            }
            if (letter != 0 && std::strchr("fbudrlmesxyz", letter)) {
                return {Kind::Move, letter, key.shift};
            }
            return {};
        default:
            return {};
    }
}

}  // namespace gyrelle
