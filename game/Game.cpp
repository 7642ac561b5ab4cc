// The session's rules: what waits for the cube to be still and in what order, undo and
// redo (turns taken back by the inverse turn, animated; scrambles, resets and pasted
// positions put back at once), a new game, and the solve that a scramble arms.
#include "game/Game.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <numbers>

#include "cube/Notation.h"
#include "cube/Position.h"

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

Game::Game() = default;

void Game::addListener(Listener* listener) {
    listeners_.push_back(listener);
}

void Game::removeListener(Listener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

bool Game::swipe(int start, int end) {
    const bool started = !replaying_ && cube_.move(start, end);
    hurried_ = hurried_ && !started;  // a swipe takes its four frames
    return started;
}

bool Game::turn(int code) {
    return startTurn(code);
}

bool Game::startTurn(int code) {
    const bool started = cube_.startTurn(code, turnFrames(settings_));
    hurried_ = hurried_ || started;
    return started;
}

void Game::type(char letter, bool prime) {
    if (placeOf(letter) || (letter >= 'x' && letter <= 'z')) {
        queue({letter, prime, Request::None});
    }
}

void Game::undo() {
    queue({0, false, Request::Undo});
}

void Game::play(int code) {
    queue({0, false, Request::Play, code});
}

void Game::redo() {
    queue({0, false, Request::Redo});
}

void Game::copy() {
    queue({0, false, Request::Copy});
}

bool Game::setPosition(const std::string& code, std::string& problem) {
    if (!stickersOfCode(code, pasted_, problem)) {
        return false;
    }
    queue({0, false, Request::Paste});
    return true;
}

void Game::newGame() {
    if (cube_.isSolved()) {
        const MagicCube::Stickers before = cube_.stickers();
        cube_.scrambleCube();
        replaced(History::Kind::Scramble, before);
    } else {
        tell([](Listener& l) { l.resetAsked(); });
    }
}

void Game::answerReset(bool yes) {
    if (!yes) {
        return;
    }
    const MagicCube::Stickers before = cube_.stickers();
    redoing_ = Request::None;  // the running turn is dropped, and all that waited for it
    waitingCount_ = 0;
    cube_.resetCube();
    tell([](Listener& l) { l.cubeReset(); });
    replaced(History::Kind::Reset, before);
}

void Game::queue(Action action) {
    if (action.request == Request::Paste) {
        for (int i = 0; i < waitingCount_; ++i) {
            if (waiting_[i].request == Request::Paste) {
                return;  // one position waits at a time: this one is not heard
            }
        }
    }
    if (waitingCount_ < kMostWaiting) {
        waiting_[waitingCount_++] = action;
    }
    startWaiting();
}

void Game::startWaiting() {
    while (waitingCount_ > 0 && !cube_.animating() && !motion_.makingTop()) {
        const Action next = waiting_[0];
        std::copy(waiting_ + 1, waiting_ + waitingCount_, waiting_);
        --waitingCount_;
        if (next.request == Request::Play) {
            isWholeCube(next.code) ? turnWholeCube(next.code) : (void)startTurn(next.code);
        } else {
            next.request != Request::None ? perform(next.request) : startMove(next);
        }
    }
}

void Game::startMove(const Action& move) {
    if (move.letter >= 'x') {
        // A quarter turn about the screen's x (as R), y (as U) or z (as F), clockwise as
        // seen from that end, in the steps of a make-top.
        const int screenAxis = move.letter - 'x';
        float axis[3] = {0, 0, 0};
        axis[screenAxis] = move.prime ? 1.0f : -1.0f;
        if (const int face = motion_.faceTowards(screenAxis, 1); face >= 0) {
            solves_.rotated(lastNow_, wholeCubeTurn(face, move.prime));
        }
        motion_.startMakeTop(axis, std::numbers::pi_v<float> / 2);
        return;
    }
    const Place& p = *placeOf(move.letter);
    const int face = motion_.faceTowards(p.axis, p.sign);
    if (face >= 0) {
        const bool middle = move.letter == 'm' || move.letter == 'e' || move.letter == 's';
        startTurn(middle ? middleTurn(face, move.prime) : faceTurn(face, move.prime));
    }
}

// The model's axis as the screen shows it now, to the nearest of the screen's: the
// make-top turns about that, as a typed x, y or z does.
void Game::turnWholeCube(int code, bool atOnce) {
    const int a = (code < 0 ? -code : code) - kWholeCube;
    float axis[3] = {0, 0, 0}, seen[3];
    axis[a] = 1;
    motion_.currentRotation.rotateVector(axis, seen);
    int k = 0;
    for (int i = 1; i < 3; ++i) {
        k = std::fabs(seen[i]) > std::fabs(seen[k]) ? i : k;
    }
    float about[3] = {0, 0, 0};
    about[k] = (seen[k] < 0) != (code < 0) ? -1.0f : 1.0f;
    if (atOnce) {
        Quaternion quarter;
        quarter.setAxis(about, std::numbers::pi_v<float> / 2);
        motion_.currentRotation.multiplyBy(quarter);
        return;
    }
    motion_.startMakeTop(about, std::numbers::pi_v<float> / 2);
}

void Game::perform(Request r) {
    if (r == Request::Copy) {
        const std::string code = positionCode(cube_.stickers());
        tell([&](Listener& l) { l.copied(code); });
        return;
    }
    if (r == Request::Paste) {
        const MagicCube::Stickers before = cube_.stickers();
        cube_.setStickers(pasted_);
        replaced(History::Kind::Paste, before);
        return;
    }
    const bool back = r == Request::Undo;
    if (back ? !history_.canUndo() : !history_.canRedo()) {
        return;
    }
    const History::Entry& e = back ? history_.toUndo() : history_.toRedo();
    if (e.kind == History::Kind::Turn) {
        if (startTurn(back ? -e.code : e.code)) {
            redoing_ = r;
            redoingFrom_ = history_.changes();
        }
        return;
    }
    cube_.setStickers(back ? e.before() : e.after());
    back ? history_.undone() : history_.redone();
    tell([](Listener& l) { l.historyChanged(); });
    solveReplaced(e, !back);
}

void Game::stepMotion() {
    // A whole-cube turn (or a face brought up) goes faster for the keys that wait on it.
    motion_.step(1 + waitingCount_);
    tell([](Listener& l) { l.framing(); });
}

// The history moves when the stickers do: an animated undo counts once its turn has
// landed, so a change made while it still turns simply comes first.
void Game::stepTurn(double now) {
    lastNow_ = now;
    solves_.beginInspection(now);  // the first frame that shows a scramble
    // A typed or played turn goes the faster the more wait behind it, down to a step.
    const int steps = hurried_ && waitingCount_ > 0 ? 1 + waitingCount_ : 1;
    if (const int code = cube_.stepAnimation(steps); code != 0) {
        hurried_ = false;
        if (redoing_ != Request::None && history_.changes() == redoingFrom_) {
            redoing_ == Request::Undo ? history_.undone() : history_.redone();
        } else {
            history_.turned(code);  // a new turn, or one the history moved on from
        }
        redoing_ = Request::None;
        tell([](Listener& l) { l.historyChanged(); });
        solveTurned(now, code);
    }
    startWaiting();
    tell([now](Listener& l) { l.stepped(now); });
}

// The one comparison of the orientation: fields a gesture writes directly change too.
unsigned long Game::shownRevision() const {
    if (cube_.revision() != shownCube_ ||
        std::memcmp(motion_.currentRotation.q, shownRotation_, sizeof shownRotation_) != 0) {
        shownCube_ = cube_.revision();
        std::memcpy(shownRotation_, motion_.currentRotation.q, sizeof shownRotation_);
        ++shownRevision_;
    }
    return shownRevision_;
}

bool Game::still() const {
    return !motion_.makingTop() && !motion_.bContinueToRotate && !cube_.animating() &&
           waitingCount_ == 0;
}

void Game::replaced(History::Kind kind, const MagicCube::Stickers& before, std::string scramble) {
    history_.replaced(kind, before, cube_.stickers(), std::move(scramble));
    tell([](Listener& l) { l.historyChanged(); });
    solveReplaced(history_.toUndo(), true);
}

void Game::setDrawnPosition(const MagicCube::Stickers& stickers, std::string scramble) {
    const MagicCube::Stickers before = cube_.stickers();
    waitingCount_ = 0;
    cube_.stopTurn();  // a turn landing later would turn the new position
    redoing_ = Request::None;
    hurried_ = false;
    cube_.setStickers(stickers);
    replaced(History::Kind::Competition, before, std::move(scramble));
}

void Game::solveTurned(double now, int code) {
    if (!replaying_ && solves_.turned(now, cube_.isSolved(), std::time(nullptr), code)) {
        celebrate();
        const Solve& record = solves_.done().back();
        const bool best = solves_.lastWasBest();
        tell([&](Listener& l) { l.solved(record, best); });
    }
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::solveReplaced(const History::Entry& e, bool forward) {
    const Scramble kind = e.kind == History::Kind::Scramble      ? Scramble::Turns
                          : e.kind == History::Kind::Paste       ? Scramble::Pasted
                          : e.kind == History::Kind::Competition ? Scramble::Competition
                                                                 : Scramble::Unknown;
    if (forward && kind != Scramble::Unknown && !cube_.isSolved() && !replaying_) {
        solves_.scrambled(kind, e.scramble, positionCode(cube_.stickers()));
    } else {
        solves_.abandoned();
    }
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::celebrate() {
    if (motion_.makingTop()) {
        return;  // a face on its way up gets there first
    }
    const float down[3] = {0, -1, 0};  // as a y turn: the front goes left
    motion_.startMakeTop(down, 2 * std::numbers::pi_v<float>);
}

void Game::restore(Kept&& kept, double now, double wallNow) {
    cube_.setStickers(kept.stickers);
    motion_.restore(kept.motion);
    history_.restore(kept.history.entries(), kept.history.position());
    solves_.setDone(std::move(kept.done));
    solves_.resume(kept.solve, now, wallNow);
    tell([](Listener& l) { l.historyChanged(); });
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::setSessions(std::vector<std::string> names, size_t shown,
                       const std::vector<std::uint16_t>& sessionOf) {
    solves_.setSessions(std::move(names), shown, sessionOf);
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::showSession(size_t index) {
    solves_.showSession(index);
    tell([](Listener& l) { l.solveChanged(); });
}

bool Game::addSession(std::string name, Solves::SessionsBefore& before) {
    const bool done = solves_.addSession(std::move(name), before);
    tell([](Listener& l) { l.solveChanged(); });
    return done;
}

bool Game::renameSession(size_t index, std::string name, Solves::SessionsBefore& before) {
    const bool done = solves_.renameSession(index, std::move(name), before);
    tell([](Listener& l) { l.solveChanged(); });
    return done;
}

bool Game::mergeSessions(size_t from, size_t into, Solves::SessionsBefore& before) {
    const bool done = solves_.mergeSessions(from, into, before);
    tell([](Listener& l) { l.solveChanged(); });
    return done;
}

bool Game::deleteSession(size_t index, Solves::SessionsBefore& before) {
    const bool done = solves_.deleteSession(index, before);
    tell([](Listener& l) { l.solveChanged(); });
    return done;
}

void Game::restoreSessions(Solves::SessionsBefore before) {
    solves_.restoreSessions(std::move(before));
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::markShared() {
    solves_.markShared();
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::setSettings(Settings settings) {
    if (settings == settings_) {
        return;
    }
    settings_ = std::move(settings);
    solves_.setInspection(settings_.inspection);
    ++settingsRevision_;
    tell([](Listener& l) { l.settingsChanged(); });
}

void Game::replaceSolves(std::vector<Solve> done) {
    solves_.setDone(std::move(done));
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::editSolve(size_t index, const Solve& solve) {
    solves_.edit(index, solve);
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::deleteSolve(size_t index) {
    solves_.remove(index);
    tell([](Listener& l) { l.solveChanged(); });
}

void Game::insertSolve(size_t index, const Solve& solve) {
    solves_.insert(index, solve);
    tell([](Listener& l) { l.solveChanged(); });
}

}  // namespace gyrelle
