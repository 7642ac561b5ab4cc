// Keys, as commandOf reads them, what every command does, and the panels they open.
#include "cube/Position.h"
#include "game/Commands.h"
#include "overlay/SettingsView.h"
#include "view/EAGLView.h"

namespace gyrelle {

bool EAGLView::keyDown(const platform::KeyPress& key) {
    if (panel_) {  // any key it does not use closes it, and does nothing else
        if (!panel_->keyDown(key)) {
            closePanel();
        }
        return true;
    }
    const Command command = commandOf(key, platform_.keyboard());
    if (command.kind == Command::Kind::None) {
        game_.stopSolving();  // any key stops it
        return false;
    }
    perform(command);
    return true;
}

// What each command does, by key, button or menu alike: each stops solve-for-me first
// (but for the one that does that), as any key or touch does.
void EAGLView::perform(const Command& command) {
    using Kind = Command::Kind;
    if (command.kind != Kind::SolveForMe) {
        game_.stopSolving();
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
            game_.competitionScramble();
            break;
        case Kind::Hint:
            game_.hint();
            break;
        case Kind::SolveForMe:
            game_.solvingForMe() ? game_.stopSolving() : game_.solveForMe();
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
        case Kind::Share:  // the page's address with the position in it, or the code
            say(platform_.share(positionCode(game_.cube().stickers())));
            break;
        case Kind::Quit:
            platform_.quit();
            break;
    }
}

// A command a player may ask for here: sharing only where the platform shares.
bool EAGLView::offers(const CommandRow& row) const {
    return row.kind != Command::Kind::Share || platform_.canShare();
}

// Every command with its keys on this keyboard, and the settings panel's own.
void EAGLView::showKeys() {
    std::vector<KeysView::Line> lines;
    for (const CommandRow& row : commandRows()) {
        const std::string keys = keysText(row, platform_.keyboard());
        // A command with neither keys nor a button here is not to be had here (quit, in
        // a browser).
        if (offers(row) && !(keys.empty() && !row.shortLabel)) {
            lines.push_back({keys.empty() ? "toolbar, menu" : keys, row.help});
        }
    }
    showPanel(std::make_unique<KeysView>(
        bounds(), lines,
        "In the settings: " + SettingsView::keysText() + "." +
            "\n\nMouse: drag from a sticker onto the next to turn its slice; drag the "
            "background, or right-drag, to turn the cube; Ctrl+drag to twist it; double-click "
            "a face to bring it up."));
}

void EAGLView::paste() {
    std::string problem;
    if (!game_.setPosition(platform_.clipboardText(), problem)) {
        showPanel(std::make_unique<MessageView>(bounds(), problem));
    }
}

void EAGLView::showPanel(std::unique_ptr<Panel> panel) {
    if (panel_) {
        panel_->removeFromSuperview();
    }
    panel_ = std::move(panel);
    addSubview(panel_.get());
}

void EAGLView::closePanel() {
    panel_->removeFromSuperview();
    panel_.reset();
}

}  // namespace gyrelle
