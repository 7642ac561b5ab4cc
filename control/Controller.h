#pragma once

// The application's controller: it owns the game and its keeper, and everything over the
// picture that is not the cube (the toolbar, the menu, the panels, the undo button, the
// solve's and the hint's words and mark, the questions), and turns keys, buttons and
// shakes into the game's actions. It draws nothing and knows no GL: the GL view draws the
// cube under it, and hands it the keys and the shakes that reach the view.
// Its parts, one source file each:
//   Controller.cpp  construction, the files through the keeper, shakes, questions
//   Commands.cpp    keys, what every command does, the panels they open
//   Toolbar.cpp     the buttons for every command, in the space beside the picture, the menu
//   Words.cpp       what the game tells: the undo button, the solve's and the hint's words
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/Coach.h"
#include "game/Commands.h"
#include "game/Game.h"
#include "game/Replay.h"
#include "game/Splits.h"
#include "game/Trainer.h"
#include "overlay/HintMark.h"
#include "overlay/InfoView.h"
#include "overlay/ReplayView.h"
#include "overlay/StatusStrip.h"
#include "overlay/TrainerView.h"
#include "platform/Button.h"
#include "platform/Services.h"
#include "platform/View.h"
#include "store/Keeper.h"

namespace gyrelle {

class Controller : private Game::Listener, private Coach::Listener {
  public:
    // Over `surface` (the GL view, the phone's screen of 320 x 480 points), on `services`;
    // its questions are answered to `questions` (the GL view), which hands the answers on
    // to answered().
    Controller(platform::Services& services, platform::View& surface,
               platform::AlertViewDelegate& questions);
    ~Controller() override;

    Game& game() { return game_; }
    const Game& game() const { return game_; }
    // Once restoreState has run: what keeps the game in its folder.
    const store::Keeper& keeper() const { return *keeper_; }
    // The game the picture shows and gestures act on: a replay's while one is open, else
    // the trainer's while it is.
    Game& shownGame() { return replay_ ? replay_->game() : trainer_ ? trainer_->game() : game_; }
    const Game& shownGame() const {
        return replay_ ? replay_->game() : trainer_ ? trainer_->game() : game_;
    }
    // Moves on whenever the game shown becomes another (a replay opened or closed): a
    // new replay's game may have an old one's address and revision.
    unsigned long shownGames() const { return shownGames_; }
    // The replay of finished solve `index`, over the picture; false, with words, for one
    // whose turns are not known or cannot be played again.
    bool openReplay(size_t index);
    // A replay of `turns` (from an address), whatever the records hold.
    bool openReplay(std::shared_ptr<const SolveTurns> turns, std::string scramble);
    void closeReplay();
    // What an address (or any text pasted) carries: a replay opens, a scramble to race on
    // is set as a competition scramble marked shared (with the time to beat, if it has
    // one), a position is set; false, with words, for none of them.
    bool openAddress(const std::string& text);
    // The last-layer trainer, over the picture on a cube of its own; and closed.
    void openTrainer();
    void closeTrainer();
    const Trainer* trainer() const { return trainer_.get(); }
    TrainerView* trainerView() { return trainerView_.get(); }
    const Replay* replay() const { return replay_.get(); }
    const ReplayView* replayView() const { return replayView_.get(); }
    // Hints, solve-for-me and competition scrambles, beside the game.
    Coach& coach() { return coach_; }
    const Coach& coach() const { return coach_; }
    // Nothing moves, turns, waits or thinks: a frame would change nothing.
    bool still() const {
        return replay_    ? replay_->still()
               : trainer_ ? trainer_->game().still()
                          : game_.still() && coach_.still();
    }

    // Saved state: read back once the views listen; saved as the game is played, soon
    // when the player may be leaving (saveSoon), and at the end (terminate, false when
    // the cube could not be kept).
    void restoreState();
    void saveSoon();
    bool terminate();

    // Keys: what commandOf makes of them; while a panel shows, any key closes it.
    bool keyDown(const platform::KeyPress& key);
    // What a command does, by key, button or menu alike.
    void perform(const Command& command);
    // The wheel scrolls what a panel shows.
    bool scrollWheel(float lines) { return panel_ && panel_->scrollWheel(lines); }
    bool panelShown() const { return panel_ != nullptr; }
    const Panel* panel() const { return panel_.get(); }
    // A touch ended on the view: it closes a panel, and does nothing else then.
    bool closePanelOnTouch();

    // A sample of the accelerometer: a shake is a new game.
    void shake(const platform::Acceleration& sample);
    // Button `index` of one of its questions was chosen.
    void answered(const platform::AlertView& alert, int index);

    // The drawable's size changed: the toolbar goes where there is room.
    void placeToolbar();
    // The information overlay opened or closed: the undo button hides under it.
    void setOverlayShown(bool shown);
    // The cube was drawn turned: the hint's mark and its key follow it.
    void cubeMoved();

    // What a player sees over the picture, for tests to look at.
    const platform::Button& undoButton() const { return *undoButton_; }
    const platform::Button& menuButton() const { return *menuButton_; }
    // New game, undo, redo, hint, solve, scramble, records, settings, help, share: in the
    // window's bars where there is room (then subviews), else behind the menu button.
    const std::vector<std::unique_ptr<platform::Button>>& toolbar() const { return toolbar_; }
    const StatusStrip& statusStrip() const { return *statusStrip_; }
    const HintMark& hintMark() const { return *hintMark_; }
    // The key that turns face slot `face` as it lies on the screen now: F B U D R L.
    char keyOfFace(int face) const;

  private:
    // What the game tells.
    void resetAsked() override;
    void historyChanged() override;
    void solveChanged() override;
    void solved(const Solve& record, bool best) override;
    void copied(const std::string& code) override;
    void hinted(int face, int power, int remaining) override;
    void thinkingChanged() override;
    void settingsChanged() override;

    bool offers(const CommandRow& row) const;
    void showPanel(std::unique_ptr<Panel> panel);
    void closePanel();
    void showKeys();
    void showMenu();
    void showSettings();
    void showRecords();
    void showSessions();
    void paste();
    // Share: the scramble armed or under way, else a scramble just solved with its time,
    // else the position.
    void share();
    void raceOn(const std::string& scramble, double seconds);
    void shareSolve(size_t index);
    void importRecords(platform::ByteSource& bytes, const std::string& problem = {});
    void say(const std::string& words);
    void makeToolbar();
    // The hint's mark over the face it turns, as the cube lies now.
    void placeHintMark();
    void nameHint();
    void hideHint();
    // The strip, the title and the clock's timer as the solve now is.
    void showSolveStatus();
    void updateUndoButton();

    platform::Services& services_;
    platform::View& surface_;
    platform::AlertViewDelegate& questions_;
    Game game_;
    Coach coach_{game_};  // listens before the controller: the plan moves first
    std::unique_ptr<store::Keeper> keeper_;

    // Not the accelerometer: the running estimate of gravity that a shake stands out
    // from (x, y, z in g). And the time the last accepted shake was acted on.
    double myAccelerometer[3] = {};
    double lastTime = -HUGE_VAL;

    // In the lower left corner while there is something to undo, but under the overlay.
    std::unique_ptr<platform::Button> undoButton_;
    bool overlayShown_ = false;
    // In the top strip's right end: the menu of what keys do, for fingers.
    std::unique_ptr<platform::Button> menuButton_;
    std::vector<std::unique_ptr<platform::Button>> toolbar_;
    std::unique_ptr<Panel> panel_;
    // Asked at start when another game has the folder: quit, or play without saving.
    const platform::AlertView* folderQuestion_ = nullptr;

    // The solve's line at the top, and how the last solve ended, shown for a while.
    std::unique_ptr<StatusStrip> statusStrip_;
    platform::Timer* statusTimer_ = nullptr;  // while there are words to show
    std::unique_ptr<Replay> replay_;
    unsigned long shownGames_ = 0;
    std::unique_ptr<ReplayView> replayView_;
    std::unique_ptr<Trainer> trainer_;
    std::unique_ptr<TrainerView> trainerView_;
    std::mt19937 trainerDraws_{std::random_device{}()};
    std::string result_;
    std::string resultSplits_;  // its splits, the line under it
    // A shared scramble's time to beat, as its address gave it (negative for none).
    struct Rival {
        std::string scramble;
        double seconds = -1;
    };
    Rival rival_;
    // The solves the records panel shows, those of the session shown, and where each is
    // among all the solves; while there is one session, all of them as they are (`all`).
    // Deletions made there, where each was, for their undo to put back.
    struct ShownSolves {
        bool all = true;
        std::vector<Solve> solves;
        std::vector<size_t> at;
        std::vector<size_t> removedAt;
        size_t index(size_t i) const { return all ? i : at[i]; }
    };
    ShownSolves recordsShown_;
    double resultUntil_ = 0;
    // The hint: its words and the face it marks (-1 for none), until the cube changes.
    std::string hint_;
    int hintFace_ = -1;
    int hintPower_ = 0;
    int hintRemaining_ = 0;
    char hintKey_ = 0;  // the key that turns that face now
    std::unique_ptr<HintMark> hintMark_;
};

}  // namespace gyrelle
