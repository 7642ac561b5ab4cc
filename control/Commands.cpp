// Keys, as commandOf reads them, what every command does, and the panels they open.
#include <ctime>

#include "control/Controller.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "overlay/RecordsView.h"
#include "overlay/SessionsView.h"
#include "overlay/SettingsView.h"
#include "platform/Signals.h"
#include "store/Exchange.h"

namespace gyrelle {

bool Controller::keyDown(const platform::KeyPress& key) {
    if (replayView_) {  // as a panel: any key it does not use closes it
        if (!replayView_->keyDown(key)) {
            closeReplay();
        }
        return true;
    }
    if (panel_) {  // any key it does not use closes it, and does nothing else
        if (!panel_->keyDown(key)) {
            closePanel();
        }
        return true;
    }
    const Command command = commandOf(key, services_.keyboard());
    if (trainerView_ && trainerView_->keyDown(key)) {  // its own keys first
        return true;
    }
    if (command.kind == Command::Kind::None) {
        coach_.stopSolving();  // any key stops it
        return false;
    }
    perform(command);
    return true;
}

// What each command does, by key, button or menu alike: each stops solve-for-me first
// (but for the one that does that), as any key or touch does.
void Controller::perform(const Command& command) {
    using Kind = Command::Kind;
    // A button under a replay closes it and does nothing else, as a key does.
    if (replay_ && command.kind != Kind::None) {
        closeReplay();
        return;
    }
    // While the trainer shows, turns and undo are its cube's; the help shows over it; any
    // other command leaves it (F4 only that) and is then the game's.
    if (trainer_) {
        switch (command.kind) {
            case Kind::Move:
                trainer_->game().type(command.letter, command.prime);
                return;
            case Kind::Undo:
                trainer_->game().undo();
                return;
            case Kind::Redo:
                trainer_->game().redo();
                return;
            case Kind::None:
            case Kind::ShowKeys:
                break;
            case Kind::Trainer:
                closeTrainer();
                return;
            default:
                closeTrainer();
                break;
        }
    }
    if (command.kind != Kind::SolveForMe) {
        coach_.stopSolving();
    }
    switch (command.kind) {
        case Kind::None:
            break;
        case Kind::Move:
            game_.type(command.letter, command.prime);
            break;
        case Kind::Undo:
            game_.undo();
            break;
        case Kind::Redo:
            game_.redo();
            break;
        case Kind::NewGame:
            game_.newGame();
            break;
        case Kind::CompetitionScramble:
            coach_.competitionScramble();
            break;
        case Kind::Hint:
            coach_.hint();
            break;
        case Kind::SolveForMe:
            coach_.solvingForMe() ? coach_.stopSolving() : coach_.solveForMe();
            break;
        case Kind::Copy:
            game_.copy();
            break;
        case Kind::Paste:
            paste();
            break;
        case Kind::ShowKeys:
            showKeys();
            break;
        case Kind::ShowRecords:
            showRecords();
            break;
        case Kind::ShowSettings:
            showSettings();
            break;
        case Kind::Trainer:
            trainer_ ? closeTrainer() : openTrainer();
            break;
        case Kind::Share:
            share();
            break;
        case Kind::Quit:
            services_.quit();
            break;
    }
}

// A command a player may ask for here: sharing only where the platform shares.
bool Controller::offers(const CommandRow& row) const {
    return row.kind != Command::Kind::Share || services_.canShare();
}

// Every command with its keys on this keyboard, and the settings panel's own.
void Controller::showKeys() {
    std::vector<KeysView::Line> lines;
    for (const CommandRow& row : commandRows()) {
        const std::string keys = keysText(row, services_.keyboard());
        // A command with neither keys nor a button here is not to be had here (quit, in
        // a browser).
        if (offers(row) && !(keys.empty() && !row.label)) {
            lines.push_back({keys.empty() ? "toolbar, menu" : keys, row.help});
        }
    }
    showPanel(std::make_unique<KeysView>(
        surface_.bounds(), lines,
        "In the settings: " + SettingsView::keysText() + "." +
            "\n\nMouse: drag from a sticker onto the next to turn its slice; drag the "
            "background, or right-drag, to turn the cube; Ctrl+drag to twist it; double-click "
            "a face to bring it up."));
}

void Controller::paste() {
    openAddress(services_.clipboardText());
}

bool Controller::openAddress(const std::string& text) {
    std::string problem;
    if (text.find("#replay=") != std::string::npos) {  // a replay's address: it opens
        auto turns = std::make_shared<SolveTurns>();
        std::string scramble;
        if (!store::readReplayAddress(text, *turns, scramble, problem)) {
            say(problem);  // and nothing changes
            return false;
        }
        return openReplay(std::move(turns), std::move(scramble));
    }
    if (text.find("#scramble=") != std::string::npos) {
        std::string scramble;
        double seconds = -1;
        if (!store::readScrambleAddress(text, scramble, seconds, problem)) {
            say(problem);
            return false;
        }
        raceOn(scramble, seconds);
        return true;
    }
    if (!game_.setPosition(text, problem)) {
        showPanel(std::make_unique<MessageView>(surface_.bounds(), problem));
        return false;
    }
    return true;
}

// The scramble set at once, as a competition scramble is, with inspection where it is on.
void Controller::raceOn(const std::string& scramble, double seconds) {
    closeReplay();
    closeTrainer();
    if (panel_) {
        closePanel();
    }
    coach_.stopSolving();
    MagicCube cube;
    applyMoves(cube, scramble);
    rival_ = {scramble, seconds};
    game_.setDrawnPosition(cube.stickers(), scramble);
    game_.markShared();
}

namespace {
// A finished solve of a competition scramble to race on: the scramble, and its time where
// it has one.
bool racesOn(const Solve& s) {
    return s.kind == Scramble::Competition && !s.scramble.empty();
}
std::string raceFragment(const Solve& s) {
    return store::scrambleFragment(s.scramble, s.penalty == Penalty::Dnf ? -1 : s.result());
}
}  // namespace

// A solve of the records: its scramble and its time, to race on.
void Controller::shareSolve(size_t index) {
    const std::vector<Solve>& done = game_.solves().done();
    if (index >= done.size()) {
        return;
    }
    const Solve& s = done[index];
    if (!racesOn(s)) {
        say("Only a solve of a competition scramble can be raced: this one's scramble is not "
            "known.");
        return;
    }
    say(services_.shareFragment(raceFragment(s)));
}

void Controller::share() {
    const Solves& solves = game_.solves();
    if (solves.phase() != Solves::Phase::None && solves.kind() == Scramble::Competition &&
        !solves.scrambleText().empty()) {
        say(services_.shareFragment(store::scrambleFragment(solves.scrambleText())));
        return;
    }
    if (solves.phase() == Solves::Phase::None && !solves.done().empty() &&
        game_.cube().isSolved()) {
        const Solve& last = solves.done().back();  // just solved: it and its time
        if (racesOn(last)) {
            say(services_.shareFragment(raceFragment(last)));
            return;
        }
    }
    // The page's address with the position in it, or the code.
    say(services_.share(positionCode(game_.cube().stickers())));
}

void Controller::showPanel(std::unique_ptr<Panel> panel) {
    if (panel_) {
        panel_->removeFromSuperview();
    }
    panel_ = std::move(panel);
    surface_.addSubview(panel_.get());
}

void Controller::closePanel() {
    panel_->removeFromSuperview();
    panel_.reset();
}

void Controller::showRecords() {
    Controller* self = this;
    const Solves& solves = game_.solves();
    ShownSolves& shown = recordsShown_;
    shown = {};
    shown.all = solves.sessions().size() == 1;
    if (!shown.all) {
        for (size_t i = 0; i < solves.done().size(); ++i) {
            if (solves.done()[i].session == solves.shownSession()) {
                shown.solves.push_back(solves.done()[i]);
                shown.at.push_back(i);
            }
        }
    }
    const std::vector<Solve>& list = shown.all ? solves.done() : shown.solves;
    std::vector<RecordsView::Item> items;
    if (services_.exchangesFiles()) {
        items.push_back({"Export", [self, &list] {
                             self->say(self->services_.offerFile("gyrelle-records.csv",
                                                                 store::recordsCsv(list)));
                         }});
        items.push_back({"Import", [self] {
                             self->say(self->services_.askForFile(
                                 [self](platform::ByteSource& bytes, const std::string& problem) {
                                     self->importRecords(bytes, problem);
                                 }));
                         }});
    }
    // Each change is the game's at once, and saved soon; the session's own list follows.
    RecordsView::Changes changes{
        [self](size_t i, const Solve& s) {
            ShownSolves& r = self->recordsShown_;
            self->game_.editSolve(r.index(i), s);
            if (!r.all) {
                r.solves[i] = s;
            }
            self->keeper_->saveSoon();
        },
        [self](size_t i) {
            ShownSolves& r = self->recordsShown_;
            const size_t at = r.index(i);
            self->game_.deleteSolve(at);
            r.removedAt.push_back(at);
            if (!r.all) {
                r.solves.erase(r.solves.begin() + static_cast<long>(i));
                r.at.erase(r.at.begin() + static_cast<long>(i));
                for (size_t k = i; k < r.at.size(); ++k) {
                    --r.at[k];
                }
            }
            self->keeper_->saveSoon();
        },
        [self](size_t i, const Solve& s) {  // a deletion taken back: where it was
            ShownSolves& r = self->recordsShown_;
            size_t at = i;
            if (!r.removedAt.empty()) {
                at = r.removedAt.back();
                r.removedAt.pop_back();
            }
            self->game_.insertSolve(at, s);
            if (!r.all) {
                r.solves.insert(r.solves.begin() + static_cast<long>(i), s);
                r.at.insert(r.at.begin() + static_cast<long>(i), at);
                for (size_t k = i + 1; k < r.at.size(); ++k) {
                    ++r.at[k];
                }
            }
            self->keeper_->saveSoon();
        },
        [self](size_t i) { self->openReplay(self->recordsShown_.index(i)); }};
    if (services_.canShare()) {
        changes.share = [self](size_t i) { self->shareSolve(self->recordsShown_.index(i)); };
    }
    changes.sessions = [self] { self->showSessions(); };
    showPanel(std::make_unique<RecordsView>(
        surface_.bounds(), list, std::move(changes), std::move(items),
        static_cast<Method>(game_.settings().method),
        shown.all ? std::string() : solves.sessions()[solves.shownSession()]));
}

void Controller::showSessions() {
    Controller* self = this;
    SessionsView::Actions actions{
        [self](size_t i) {
            self->game_.showSession(i);
            self->keeper_->saveSoon();
            self->showRecords();
        },
        [self](std::string name, Solves::SessionsBefore& before) {
            return self->game_.addSession(std::move(name), before) &&
                   (self->keeper_->saveSoon(), true);
        },
        [self](size_t i, std::string name, Solves::SessionsBefore& before) {
            return self->game_.renameSession(i, std::move(name), before) &&
                   (self->keeper_->saveSoon(), true);
        },
        [self](size_t from, size_t into, Solves::SessionsBefore& before) {
            return self->game_.mergeSessions(from, into, before) &&
                   (self->keeper_->saveSoon(), true);
        },
        [self](size_t i, Solves::SessionsBefore& before) {
            return self->game_.deleteSession(i, before) && (self->keeper_->saveSoon(), true);
        },
        [self](Solves::SessionsBefore before) {
            self->game_.restoreSessions(std::move(before));
            self->keeper_->saveSoon();
        },
        [self](const std::string& question, const std::string& initial,
               std::function<void(std::string)> answer) {
            return self->services_.askText(question, initial, std::move(answer));
        }};
    showPanel(
        std::make_unique<SessionsView>(surface_.bounds(), game_.solves(), std::move(actions)));
}

bool Controller::openReplay(size_t index) {
    const std::vector<Solve>& done = game_.solves().done();
    if (index >= done.size()) {
        return false;
    }
    const Solve& solve = done[index];
    if (!solve.turns) {
        say("This solve's turns are not known: it cannot be replayed.");
        return false;
    }
    return openReplay(solve.turns, solve.kind == Scramble::Competition ? solve.scramble : "");
}

bool Controller::openReplay(std::shared_ptr<const SolveTurns> turns, std::string scramble) {
    auto replay = Replay::of(std::move(turns), static_cast<Method>(game_.settings().method), game_,
                             std::move(scramble));
    if (!replay) {
        say("This solve's turns do not solve where it began: it cannot be replayed.");
        return false;
    }
    coach_.stopSolving();
    if (panel_) {
        closePanel();
    }
    replay_ = std::move(replay);
    ++shownGames_;
    std::function<void()> share;
    if (services_.canShare()) {
        share = [this] {
            say(services_.shareFragment(
                store::replayFragment(replay_->turns(), replay_->scramble())));
        };
    }
    replayView_ = std::make_unique<ReplayView>(
        surface_.bounds(), *replay_, [this] { closeReplay(); },
        [this] { services_.setClipboardText(replay_->reconstruction()); }, std::move(share));
    surface_.addSubview(replayView_.get());
    showSolveStatus();
    return true;
}

void Controller::openTrainer() {
    coach_.stopSolving();
    hideHint();
    if (panel_) {
        closePanel();
    }
    closeReplay();
    trainer_ = std::make_unique<Trainer>(
        keeper_->trainer(), game_, [this] { return static_cast<std::uint32_t>(trainerDraws_()); });
    ++shownGames_;
    trainerView_ = std::make_unique<TrainerView>(
        surface_.bounds(), *trainer_, [this] { closeTrainer(); }, [this] { keeper_->saveSoon(); });
    surface_.addSubview(trainerView_.get());
    showSolveStatus();
}

void Controller::closeTrainer() {
    if (!trainer_) {
        return;
    }
    trainerView_->removeFromSuperview();
    trainerView_.reset();  // first: it listens to the trainer
    trainer_.reset();
    ++shownGames_;
    keeper_->saveSoon();
    showSolveStatus();
}

void Controller::closeReplay() {
    if (!replay_) {
        return;
    }
    replayView_->removeFromSuperview();
    replayView_.reset();  // first: it listens to the replay
    replay_.reset();
    ++shownGames_;
    showSolveStatus();
}

// Words the platform gives (where a file went, what to do next), over the cube.
void Controller::say(const std::string& words) {
    if (!words.empty()) {
        showPanel(std::make_unique<MessageView>(surface_.bounds(), words));
    }
}

// What a file chosen in the browser, or dropped on the window, holds, merged into the
// records as the command line's --import-records does; what was taken and passed over is
// said.
void Controller::importRecords(platform::ByteSource& bytes, const std::string& problem) {
    std::string message = "Nothing was imported: " + problem;
    if (problem.empty()) {
        std::string words;
        const auto stop = [] { return platform::terminationRequested() != 0; };
        const store::Keeper::Import done =
            keeper_->importFrom(bytes, std::time(nullptr), words, stop);
        message = done == store::Keeper::Import::NotMade || done == store::Keeper::Import::BadFile
                      ? "Nothing was imported: " + words
                      : words;
    }
    showPanel(std::make_unique<MessageView>(surface_.bounds(), message));
    services_.tell(message);
}

bool Controller::closePanelOnTouch() {
    if (!panel_) {
        return false;
    }
    closePanel();
    return true;
}

void Controller::showSettings() {
    coach_.stopSolving();  // a touch, as any other
    showPanel(std::make_unique<SettingsView>(
        surface_.bounds(), game_.settings(), [this](const Settings& s) { game_.setSettings(s); },
        [this] { closePanel(); }));
}

}  // namespace gyrelle
