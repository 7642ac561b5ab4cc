// Undo and redo: turns are taken back by the inverse turn, animated as any turn;
// scrambles and resets by putting back the stickers they replaced, at once. The history
// moves when the stickers do: an animated undo counts once its turn has landed.
#include "cube/Position.h"
#include "view/EAGLView.h"

namespace gyrelle {

void EAGLView::undo() {
    request(Request::Undo);
}

void EAGLView::redo() {
    request(Request::Redo);
}

void EAGLView::request(Request r) {
    queue({0, false, r});
}

void EAGLView::perform(Request r) {
    if (r == Request::Copy) {
        platform_.setClipboardText(positionCode(magicCube->stickers()));
        return;
    }
    if (r == Request::Paste) {
        const MagicCube::Stickers before = magicCube->stickers();
        magicCube->setStickers(pasted_);
        replaced(History::Kind::Paste, before);
        return;
    }
    const bool back = r == Request::Undo;
    if (back ? !history.canUndo() : !history.canRedo()) {
        return;
    }
    const History::Entry& e = back ? history.toUndo() : history.toRedo();
    if (e.kind == History::Kind::Turn) {
        if (magicCube->startTurn(back ? -e.code : e.code)) {
            replaying_ = r;
            replayingFrom_ = history.changes();
        }
        return;
    }
    magicCube->setStickers(back ? e.before() : e.after());
    back ? history.undone() : history.redone();
    updateUndoButton();
    solveReplaced(e.kind, !back);
}

void EAGLView::afterTurnStep(int code) {
    if (code != 0) {
        if (replaying_ != Request::None && history.changes() == replayingFrom_) {
            replaying_ == Request::Undo ? history.undone() : history.redone();
        } else {
            history.turned(code);  // a new turn, or one the history moved on from
        }
        replaying_ = Request::None;
        updateUndoButton();
        solveTurned();
    }
    startWaiting();
}

void EAGLView::dropRunningTurn() {
    replaying_ = Request::None;
    waitingCount_ = 0;
}

void EAGLView::replaced(History::Kind kind, const MagicCube::Stickers& before) {
    history.replaced(kind, before, magicCube->stickers());
    updateUndoButton();
    solveReplaced(kind, true);
}

void EAGLView::updateUndoButton() {
    const bool overlayShown = infoView && infoView->superview();
    if (history.canUndo() && !overlayShown) {
        if (undoButton->superview() != this) {
            addSubview(undoButton.get());
        }
    } else {
        undoButton->removeFromSuperview();
    }
}

}  // namespace gyrelle
