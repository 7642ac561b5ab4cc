#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cube/MagicCube.h"
#include "game/History.h"
#include "game/Motion.h"
#include "game/Settings.h"
#include "game/Solves.h"

namespace gyrelle {

// One game session, with no drawing and no files in it: the cube, its motion, the
// history of changes, the solves, and what waits for the cube to be still. Swipes, keys,
// shakes and answers all come in as actions; frames come in as two steps, with the
// time passed in; what happened goes out to the listeners (the view that shows the game,
// the keeper that saves it).
class Game {
  public:
    // Told what happened, as it happens. Every call has a default that does nothing.
    class Listener {
      public:
        virtual ~Listener() = default;
        // The cube became the solved cube by a reset (also the one it starts with).
        virtual void cubeReset() {}
        // A new game on a cube that is not solved asks first: answerReset takes the reply.
        virtual void resetAsked() {}
        // What can be undone or redone changed.
        virtual void historyChanged() {}
        // The solve changed: armed, started, a move counted, ended, or dropped.
        virtual void solveChanged() {}
        // A solve ended as `record`, now the newest of solves().done(); `best` when it
        // beat every earlier one on time or on moves.
        virtual void solved(const Solve& record, bool best) {
            (void)record;
            (void)best;
        }
        // A copy of the position asked for, once the moves typed before it have played.
        virtual void copied(const std::string& code) { (void)code; }
        // A frame is about to be drawn, its motion stepped: what it shows may be new.
        virtual void framing() {}
        // A frame's turn step is done, at `now`: what waits for frames may go on.
        virtual void stepped(double now) { (void)now; }
        // The settings changed.
        virtual void settingsChanged() {}
    };

    // The solved cube at the start-up orientation, nothing moving, nothing to undo.
    Game();
    // Listeners are told in the order they were added; each stays until removed.
    void addListener(Listener* listener);
    void removeListener(Listener* listener);

    // --- Actions ---
    // A swipe from sticker slot `start` onto its neighbour `end`: that slice starts
    // turning now. False, changing nothing, while a turn is animating, or for two slots
    // that are not neighbours.
    bool swipe(int start, int end);
    // The quarter turn `code` (+-1..+-9), starting now; false while a turn is animating.
    bool turn(int code);
    // A typed move, played once the cube is still: a face as it lies on the screen
    // (f b u d r l), a middle slice (m as l, e as d, s as f), or the whole cube (x as r,
    // y as u, z as f); `prime` the other way. 32 wait at most; more are not heard. A
    // typed turn running goes the faster the more wait behind it: one waiting, twice as
    // fast, and so on, landing at the next frame at the most.
    void type(char letter, bool prime);
    // A turn of a solve played again (cube/Notation.h: a slice or the whole cube, in the
    // cube's own frame), waiting in order as a typed move does.
    void play(int code);
    // A quarter turn of the whole cube about the model's axis, as its code says: in the
    // steps of a make-top, or at once (a replay put at a moment).
    void turnWholeCube(int code, bool atOnce = false);
    // A replay's game, which only plays what was played: swipes turn nothing, and no solve
    // is armed, timed or celebrated.
    void setReplaying() { replaying_ = true; }
    // Take back the last change, or make again the last one taken back, once the cube
    // is still. They wait in order with the typed moves (a held key's repeats too).
    void undo();
    void redo();
    // What a shake does: scrambles a solved cube, or asks whether to reset it.
    void newGame();
    // The reply to that question: yes resets the cube, dropping the running turn and all
    // that waits.
    void answerReset(bool yes);
    // Sets the stickers to the position `code` names, in one undoable step, once a
    // running turn has landed (one position waits at a time); false, changing nothing,
    // with `problem` saying what is wrong with the code.
    bool setPosition(const std::string& code, std::string& problem);
    // The position as the code cube solvers read, once the moves typed before have played.
    void copy();

    // --- For the coach (game/Coach.h) ---
    // The solve armed or under way was helped (a hint, solve-for-me).
    void assisted() { solves_.assisted(); }
    // The competition scramble armed came by an address, to race whoever sent it: its
    // solve is marked so.
    void markShared();
    // Actions wait for the cube to be still.
    bool waiting() const { return waitingCount_ > 0; }
    int waitingCount() const { return waitingCount_; }
    // A drawn position set at once, dropping the running turn and what waits, as one
    // undoable step of a competition scramble armed with `scramble`'s turns.
    void setDrawnPosition(const MagicCube::Stickers& stickers, std::string scramble);

    // --- Time ---
    // Once per frame, before it is drawn: the whole cube's motion.
    void stepMotion();
    // Once per frame, after it is drawn, at `now` (seconds on a clock that only moves
    // forward): the turn's animation, what its landing means, and what waits.
    void stepTurn(double now);
    // Nothing turns, nothing moves, nothing waits: a frame would change nothing.
    bool still() const;

    // --- State ---
    const MagicCube& cube() const { return cube_; }
    // Moves on whenever what a picture of the game shows changes: the cube (each change,
    // each step of a turn) or its orientation, however it was changed. What draws or
    // saves the game keeps the number it last saw.
    unsigned long shownRevision() const;
    Motion& motion() { return motion_; }
    const Motion& motion() const { return motion_; }
    const History& history() const { return history_; }
    const Solves& solves() const { return solves_; }

    // What was kept of an earlier session, put back at `now`: the cube, its motion, the
    // history (which must end at these stickers) and the solves.
    struct Kept {
        MagicCube::Stickers stickers;
        Motion::Kept motion;
        History history;
        std::vector<Solve> done;
        Solves::UnderWay solve;  // on these very stickers
    };
    // At `now`, `wallNow` on the wall's clock (an inspection counts the time away).
    // The finished solves are taken, not copied: there may be a million.
    void restore(Kept&& kept, double now, double wallNow);
    void restore(const Kept& kept, double now, double wallNow) {
        restore(Kept(kept), now, wallNow);
    }

    // The finished solves replaced (imported, merged; corrected or deleted): told as a
    // change of the solve.
    void replaceSolves(std::vector<Solve> done);
    // The sessions read back (Solves::setSessions), and changed: each told as a change of
    // the solve; a change returns what takes it back (while the records show).
    void setSessions(std::vector<std::string> names, size_t shown,
                     const std::vector<std::uint16_t>& sessionOf);
    void showSession(size_t index);
    bool addSession(std::string name, Solves::SessionsBefore& before);
    bool renameSession(size_t index, std::string name, Solves::SessionsBefore& before);
    bool mergeSessions(size_t from, size_t into, Solves::SessionsBefore& before);
    bool deleteSession(size_t index, Solves::SessionsBefore& before);
    void restoreSessions(Solves::SessionsBefore before);
    // One finished solve corrected, deleted, or put back (an edit undone).
    void editSolve(size_t index, const Solve& solve);
    void deleteSolve(size_t index);
    void insertSolve(size_t index, const Solve& solve);

    // --- Settings ---
    // What the player chose: how the game is shown, and whether solves begin with an
    // inspection (from the next scramble on). Told to the listeners (settingsChanged).
    const Settings& settings() const { return settings_; }
    void setSettings(Settings settings);
    // Moves on with every change.
    unsigned long settingsRevision() const { return settingsRevision_; }

  private:
    enum class Request : char { None, Undo, Redo, Paste, Copy, Play };
    // Something asked for while the cube turns: a typed move (`letter`), or a request.
    struct Action {
        char letter;  // f b u d r l m e s x y z; else 0
        bool prime;
        Request request;
        int code = 0;  // what Play plays
    };
    // Enough for keys held at 20 a second through a frame late by more than a second.
    static constexpr int kMostWaiting = 32;

    void queue(Action action);
    // A typed, played, undone or redone turn starts, as quick as the settings say.
    bool startTurn(int code);
    // Starts what waits, once no turn and no make-top is under way.
    void startWaiting();
    void startMove(const Action& move);

    void perform(Request request);
    // A change of the stickers other than a turn, now made: into the history and the solve.
    void replaced(History::Kind kind, const MagicCube::Stickers& before, std::string scramble = {});
    // What a landed turn, or stickers replaced at once (`forward`: done or redone, not
    // undone), mean for the solve.
    void solveTurned(double now, int code);
    void solveReplaced(const History::Entry& e, bool forward);
    // A full turn about the screen's vertical, in make-top steps, back to where it was.
    void celebrate();

    template <class Call>
    void tell(Call call) {
        for (Listener* l : listeners_) {
            call(*l);
        }
    }

    MagicCube cube_;
    Motion motion_;
    History history_;
    Solves solves_;
    Settings settings_;
    unsigned long settingsRevision_ = 0;
    Action waiting_[kMostWaiting] = {};
    int waitingCount_ = 0;
    MagicCube::Stickers pasted_{};  // what a waiting paste sets
    double lastNow_ = 0;            // the time of the last frame's turn step
    bool hurried_ = false;          // the running turn may go faster for what waits
    bool replaying_ = false;
    Request redoing_ = Request::None;  // the running turn is an undo or a redo...
    unsigned long redoingFrom_ = 0;    // ...of the history as it was then
    std::vector<Listener*> listeners_;
    // What shownRevision last saw.
    mutable unsigned long shownRevision_ = 0;
    mutable unsigned long shownCube_ = ~0UL;
    mutable float shownRotation_[4] = {};
};

}  // namespace gyrelle
