// The keyboard: turns in cube notation of the faces as they lie on the screen now,
// whole-cube turns, a new game, the position copied and pasted, the keys panel.
#include <numbers>

#include "cube/Notation.h"
#include "cube/Position.h"
#include "view/EAGLView.h"

namespace gyrelle {

namespace {

// The screen axis (x right, y up, z toward the viewer) and its sense for each face
// letter; the middle slices turn as L, D and F.
struct Place {
    char letter;
    int axis;
    float sign;
};
constexpr Place kPlaces[] = {{'f', 2, 1},  {'b', 2, -1}, {'u', 1, 1},  {'d', 1, -1}, {'r', 0, 1},
                             {'l', 0, -1}, {'m', 0, -1}, {'e', 1, -1}, {'s', 2, 1}};

const Place* placeOf(char letter) {
    for (const Place& p : kPlaces) {
        if (p.letter == letter) {
            return &p;
        }
    }
    return nullptr;
}

}  // namespace

bool EAGLView::keyDown(const platform::KeyPress& key) {
    using platform::Key;
    if (panel_) {  // any key closes it, and does nothing else
        panel_->removeFromSuperview();
        panel_.reset();
        return true;
    }
    const char letter = key.key == Key::Letter ? key.letter : 0;
    if (key.ctrl && !key.alt) {
        if (letter == 'z' && !key.shift) {
            undo();
        } else if ((letter == 'z' && key.shift) || letter == 'y') {
            redo();
        } else if (letter == 'n') {
            newGame();
        } else if (letter == 'c') {
            queue({0, false, Request::Copy});
        } else if (letter == 'v') {
            std::string problem;
            if (!setPosition(platform_.clipboardText(), problem)) {
                showPanel(std::make_unique<MessageView>(bounds(), problem));
            }
        } else {
            return false;
        }
        return true;
    }
    if (key.ctrl || key.alt) {
        return false;
    }
    switch (key.key) {
        case Key::F1:
        case Key::Question:
            showPanel(std::make_unique<KeysView>(bounds()));
            return true;
        case Key::F2:
            showRecords();
            return true;
        case Key::Left:  // the front goes left: y
        case Key::Right:
            queue({'y', key.key == Key::Right, Request::None});
            return true;
        case Key::Up:  // the front goes up: x
        case Key::Down:
            queue({'x', key.key == Key::Down, Request::None});
            return true;
        case Key::Letter:
            if (placeOf(letter) || (letter >= 'x' && letter <= 'z')) {
                queue({letter, key.shift, Request::None});
                return true;
            }
            return false;
        default:
            return false;
    }
}

void EAGLView::queue(Action action) {
    if (action.request != Request::None && action.request != Request::Copy) {
        for (int i = 0; i < waitingCount_; ++i) {
            if (waiting_[i].request != Request::None) {
                return;  // one at a time: this one is not heard
            }
        }
    }
    if (waitingCount_ < kMostWaiting) {
        waiting_[waitingCount_++] = action;
    }
    startWaiting();
}

void EAGLView::startWaiting() {
    while (waitingCount_ > 0 && !magicCube->animating() && !(fMakeTopDistance > 0)) {
        const Action next = waiting_[0];
        std::copy(waiting_ + 1, waiting_ + waitingCount_, waiting_);
        --waitingCount_;
        next.request != Request::None ? perform(next.request) : startMove(next);
    }
}

void EAGLView::startMove(const Action& move) {
    if (move.letter >= 'x') {
        // A quarter turn about the screen's x (as R), y (as U) or z (as F), clockwise as
        // seen from that end, in the steps of a make-top.
        float axis[3] = {0, 0, 0};
        axis[move.letter - 'x'] = move.prime ? 1.0f : -1.0f;
        qMakeTop.setAxis(axis, static_cast<float>(kMakeTopStep));
        fMakeTopDistance = std::numbers::pi_v<float> / 2;
        return;
    }
    const Place& p = *placeOf(move.letter);
    const int face = faceTowards(p.axis, p.sign);
    if (face >= 0) {
        const bool middle = move.letter == 'm' || move.letter == 'e' || move.letter == 's';
        magicCube->startTurn(middle ? middleTurn(face, move.prime) : faceTurn(face, move.prime));
    }
}

bool EAGLView::setPosition(const std::string& code, std::string& problem) {
    if (!stickersOfCode(code, pasted_, problem)) {
        return false;
    }
    request(Request::Paste);
    return true;
}

void EAGLView::showPanel(std::unique_ptr<Panel> panel) {
    if (panel_) {
        panel_->removeFromSuperview();
    }
    panel_ = std::move(panel);
    addSubview(panel_.get());
}

}  // namespace gyrelle
