// What the game tells the view: the undo button, the solve's words at the top and in the
// title bar, a copied position, a reset.
#include <cstring>

#include "platform/Log.h"
#include "view/EAGLView.h"

namespace gyrelle {

namespace {
constexpr char kDot[] = " \u00b7 ";
// How long the words of a finished solve stay, and how often the running clock is shown
// again (seconds).
constexpr double kResultShown = 5.0;
constexpr double kClockInterval = 0.1;
}  // namespace

// The model logs nothing itself; its resets are reported here.
void EAGLView::cubeReset() {
    platform::logMessage(game_.cube().isSolved() ? "reset: solved" : "reset: not solved");
}

void EAGLView::historyChanged() {
    updateUndoButton();
}

void EAGLView::copied(const std::string& code) {
    platform_.setClipboardText(code);
}

void EAGLView::updateUndoButton() {
    const bool overlayShown = infoView_ && infoView_->superview();
    if (game_.history().canUndo() && !overlayShown) {
        if (undoButton_->superview() != this) {
            addSubview(undoButton_.get());
        }
    } else {
        undoButton_->removeFromSuperview();
    }
}

void EAGLView::solved(const Solve& s, bool best) {
    result_ = "Solved in " + movesText(s.moves) + kDot + clockText(s.seconds);
    if (best) {
        result_ += std::string(kDot) + "New best!";
    }
    resultUntil_ = platform_.absoluteTime() + kResultShown;
}

void EAGLView::solveChanged() {
    showSolveStatus();
}

void EAGLView::showSolveStatus() {
    const double now = platform_.absoluteTime();
    const Solves& solves = game_.solves();
    std::string words;
    if (solves.phase() == Solves::Phase::Running) {
        words = movesText(solves.moves()) + kDot + clockText(solves.seconds(now));
    } else if (now < resultUntil_) {
        words = result_;
    }
    statusStrip_->setText(words);
    std::string title = words;
    for (size_t at; (at = title.find(kDot)) != std::string::npos;) {
        title.replace(at, std::strlen(kDot), ", ");
    }
    platform_.window().setSubtitle(title);
    if (words.empty()) {
        statusStrip_->removeFromSuperview();
        if (statusTimer_) {
            statusTimer_->invalidate();
            statusTimer_ = nullptr;
        }
        return;
    }
    if (statusStrip_->superview() != this) {
        addSubview(statusStrip_.get());
    }
    if (!statusTimer_) {
        statusTimer_ =
            platform_.runLoop().scheduledTimer(kClockInterval, [this] { showSolveStatus(); });
    }
}

}  // namespace gyrelle
