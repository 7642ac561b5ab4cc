// What the game tells the view: the undo button, the solve's words at the top and in the
// title bar, a copied position, a reset.
#include <cmath>
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
// Building the solver's tables, or searching, is said only when it takes longer than this
// (seconds).
constexpr double kPreparingShownAfter = 0.3;

// The title bar takes ASCII only (the window system reads other characters only in a
// UTF-8 locale, which the game does not set).
std::string titleOf(std::string words) {
    const std::pair<const char*, const char*> kPlain[] = {
        {kDot, ", "}, {" \u2014 ", ", "}, {"\u2026", "..."}};
    for (const auto& [from, to] : kPlain) {
        for (size_t at; (at = words.find(from)) != std::string::npos;) {
            words.replace(at, std::strlen(from), to);
        }
    }
    return words;
}
}  // namespace

// The model logs nothing itself; its resets are reported here.
void EAGLView::cubeReset() {
    platform::logMessage(game_.cube().isSolved() ? "reset: solved" : "reset: not solved");
}

void EAGLView::historyChanged() {
    updateUndoButton();
    if (!game_.solvingForMe()) {
        hideHint();  // a hint is for the cube it was given on
    }
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
    result_ =
        "Solved in " + movesText(s.moves) + kDot + clockText(s.seconds) + penaltyText(s.penalty);
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
    const double inspected = solves.inspected(now);
    float countdown = -1;
    if (game_.thinking() != Game::Thinking::None &&
        now >= game_.thinkingSince() + kPreparingShownAfter) {
        words = game_.thinking() == Game::Thinking::Preparing ? "Preparing the solver\u2026"
                                                              : "Thinking\u2026";
    } else if (!hint_.empty()) {
        words = hint_;
    } else if (inspected >= 0 && inspected < Solves::kInspection) {
        // Counted down in whole seconds; the judge's calls at 8 and 12 seconds gone.
        const double left = Solves::kInspection - inspected;
        words = "Inspection: " + std::to_string(static_cast<int>(std::ceil(left)));
        words += inspected >= 12  ? std::string(kDot) + "12 seconds"
                 : inspected >= 8 ? std::string(kDot) + "8 seconds"
                                  : std::string();
        countdown = static_cast<float>(left / Solves::kInspection);
    } else if (inspected >= 0) {  // the clock runs, no turn made yet
        words =
            movesText(0) + kDot + clockText(solves.seconds(now)) + penaltyText(solves.penalty(now));
    } else if (solves.phase() == Solves::Phase::Scrambled &&
               solves.kind() == Scramble::Competition) {
        words = "Scramble: " + solves.scrambleText();
    } else if (solves.phase() == Solves::Phase::Running) {
        words = movesText(solves.moves()) + kDot + clockText(solves.seconds(now)) +
                penaltyText(solves.penaltyTaken());
    } else if (now < resultUntil_) {
        words = result_;
    }
    statusStrip_->setText(words);
    statusStrip_->setCountdown(countdown);
    platform_.window().setSubtitle(titleOf(words));
    // The clock goes on while the solver prepares, to say so if it takes long.
    if (words.empty()) {
        statusStrip_->removeFromSuperview();
    } else if (statusStrip_->superview() != this) {
        addSubview(statusStrip_.get());
    }
    if (words.empty() && game_.thinking() == Game::Thinking::None) {
        if (statusTimer_) {
            statusTimer_->invalidate();
            statusTimer_ = nullptr;
        }
        return;
    }
    if (!statusTimer_) {
        statusTimer_ =
            platform_.runLoop().scheduledTimer(kClockInterval, [this] { showSolveStatus(); });
    }
}

}  // namespace gyrelle
