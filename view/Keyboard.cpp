// Keys, as commandOf reads them, and the panels they open.
#include "game/Keys.h"
#include "view/EAGLView.h"

namespace gyrelle {

bool EAGLView::keyDown(const platform::KeyPress& key) {
    if (panel_) {  // any key it does not use closes it, and does nothing else
        if (!panel_->keyDown(key)) {
            closePanel();
        }
        return true;
    }
    const Command command = commandOf(key);
    if (game_.solvingForMe() && command.kind != Command::Kind::SolveForMe) {
        game_.stopSolving();  // any key stops it, and does what it does
    }
    switch (command.kind) {
        case Command::Kind::None:
            return false;
        case Command::Kind::Move:
            game_.type(command.letter, command.prime);
            break;
        case Command::Kind::Undo:
            game_.undo();
            break;
        case Command::Kind::Redo:
            game_.redo();
            break;
        case Command::Kind::NewGame:
            game_.newGame();
            break;
        case Command::Kind::CompetitionScramble:
            game_.competitionScramble();
            break;
        case Command::Kind::Hint:
            game_.hint();
            break;
        case Command::Kind::SolveForMe:
            game_.solvingForMe() ? game_.stopSolving() : game_.solveForMe();
            break;
        case Command::Kind::Copy:
            game_.copy();
            break;
        case Command::Kind::Paste:
            paste();
            break;
        case Command::Kind::ShowKeys:
            showPanel(std::make_unique<KeysView>(bounds()));
            break;
        case Command::Kind::ShowRecords:
            showRecords();
            break;
        case Command::Kind::ShowSettings:
            showSettings();
            break;
    }
    return true;
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
