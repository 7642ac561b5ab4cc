// What the game tells the player: the undo button, the solve's words at the top and in
// the title bar, and the solver's hints (the key to type, and the face outlined on the
// cube with the way it turns).
#include <cmath>
#include <cstdio>
#include <cstring>

#include "control/Controller.h"
#include "cube/Tables.h"

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

void Controller::historyChanged() {
    updateUndoButton();
    if (!coach_.solvingForMe()) {
        hideHint();  // a hint is for the cube it was given on
    }
}

void Controller::updateUndoButton() {
    if (game_.history().canUndo() && !overlayShown_) {
        if (undoButton_->superview() != &surface_) {
            surface_.addSubview(undoButton_.get());
        }
    } else {
        undoButton_->removeFromSuperview();
    }
}

namespace {
std::string hundredths(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    return text;
}
}  // namespace

void Controller::solved(const Solve& s, bool best) {
    result_ =
        "Solved in " + movesText(s.moves) + kDot + clockText(s.seconds) + penaltyText(s.penalty);
    if (best) {
        result_ += std::string(kDot) + "New best!";
    }
    // A race: how it went against the time sent with the scramble.
    if (s.shared && rival_.seconds >= 0 && rival_.scramble == s.scramble) {
        const double by = s.result() - rival_.seconds;
        char versus[96];
        std::snprintf(versus, sizeof versus, "%s%.2f s %s the %.2f s sent", kDot, std::fabs(by),
                      by < 0   ? "faster than"
                      : by > 0 ? "slower than"
                               : "as fast as",
                      rival_.seconds);
        result_ += by == 0 ? std::string(kDot) + "as fast as the time sent" : std::string(versus);
        rival_ = {};
    }
    resultSplits_.clear();
    if (s.turns) {
        if (const auto splits = splitsOf(*s.turns, static_cast<Method>(game_.settings().method))) {
            resultSplits_ = splitsLine(*splits);
        }
    }
    resultUntil_ = services_.absoluteTime() + kResultShown;
}

void Controller::solveChanged() {
    showSolveStatus();
}

void Controller::showSolveStatus() {
    const double now = services_.absoluteTime();
    const Solves& solves = game_.solves();
    std::string words, detail;
    const double inspected = solves.inspected(now);
    float countdown = -1;
    if (coach_.thinking() != Coach::Thinking::None &&
        now >= coach_.thinkingSince() + kPreparingShownAfter) {
        words = coach_.thinking() == Coach::Thinking::Preparing ? "Preparing the solver\u2026"
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
        if (solves.isShared()) {
            detail = rival_.seconds >= 0 && rival_.scramble == solves.scrambleText()
                         ? "To beat: solved in " + hundredths(rival_.seconds) + " s"
                         : std::string("A shared scramble: race whoever sent it");
        }
    } else if (solves.phase() == Solves::Phase::Running) {
        words = movesText(solves.moves()) + kDot + clockText(solves.seconds(now)) +
                penaltyText(solves.penaltyTaken());
    } else if (now < resultUntil_) {
        words = result_;
        detail = resultSplits_;
    }
    if (replay_ || trainer_) {  // the game's words wait under a cube of another
        words.clear();
        detail.clear();
    }
    statusStrip_->setText(words);
    statusStrip_->setDetail(detail);
    statusStrip_->setCountdown(countdown);
    services_.window().setSubtitle(titleOf(words));
    // The clock goes on while the solver prepares, to say so if it takes long.
    if (words.empty()) {
        statusStrip_->removeFromSuperview();
    } else if (statusStrip_->superview() != &surface_) {
        surface_.addSubview(statusStrip_.get());
    }
    if (words.empty() && coach_.thinking() == Coach::Thinking::None) {
        if (statusTimer_) {
            statusTimer_->invalidate();
            statusTimer_ = nullptr;
        }
        return;
    }
    if (!statusTimer_) {
        statusTimer_ =
            services_.runLoop().scheduledTimer(kClockInterval, [this] { showSolveStatus(); });
    }
}

namespace {

// Each key letter's direction on the screen: axis (x right, y up, z toward the viewer)
// and sense.
struct Place {
    char key;
    int axis;
    float sign;
};
constexpr Place kKeys[6] = {{'F', 2, 1},  {'B', 2, -1}, {'U', 1, 1},
                            {'D', 1, -1}, {'R', 0, 1},  {'L', 0, -1}};

// View points per unit of the cube's frame, and the screen's centre in points.
constexpr float kScale = 64;
constexpr float kCentreX = 160, kCentreY = 240;

}  // namespace

char Controller::keyOfFace(int face) const {
    const Motion& m = game_.motion();
    for (const Place& p : kKeys) {
        if (m.faceTowards(p.axis, p.sign) == face) {
            return p.key;
        }
    }
    // Exactly between two sides of the screen, no key has it first: the side its normal
    // points most along.
    float n[3];
    m.currentRotation.rotateVector(faceNormals[face], n);
    const Place* best = &kKeys[0];
    for (const Place& p : kKeys) {
        if (p.sign * n[p.axis] > best->sign * n[best->axis]) {
            best = &p;
        }
    }
    return best->key;
}

void Controller::hinted(int face, int power, int remaining) {
    if (face < 0) {
        hint_ = game_.cube().isSolved() ? "Solved: no hint" : "";
        hintFace_ = -1;
        hintMark_->removeFromSuperview();
        showSolveStatus();
        return;
    }
    hintFace_ = face;
    hintPower_ = power;
    hintRemaining_ = remaining;
    nameHint();
    placeHintMark();
    if (hintMark_->superview() != &surface_) {
        surface_.addSubview(hintMark_.get());
    }
}

// The words name the key that turns the face where it lies now: again when the whole
// cube turns under the hint.
void Controller::nameHint() {
    hintKey_ = keyOfFace(hintFace_);
    const char* const kPower[4] = {"", "", "2", "'"};
    hint_ = std::string(coach_.solvingForMe() ? "Solving: " : "Hint: ") + hintKey_ +
            kPower[hintPower_] + " \u2014 " + std::to_string(hintRemaining_) + " to go";
    showSolveStatus();
}

void Controller::hideHint() {
    if (hintFace_ < 0 && hint_.empty()) {
        return;
    }
    hint_.clear();
    hintFace_ = -1;
    hintMark_->removeFromSuperview();
    showSolveStatus();
}

// The face's corners at 1.5 units out along its normal, the arrowheads at the middles of
// two opposite edges, pointing the way those points move: clockwise seen from outside,
// a point p of the face moves along p x n.
void Controller::placeHintMark() {
    const Quaternion& q = game_.motion().currentRotation;
    const float* n = faceNormals[hintFace_];
    // Two directions across the face: any other axis, and their cross product.
    const int axis = n[0] != 0 ? 1 : 0;
    float u[3] = {0, 0, 0};
    u[axis] = 1;
    const float v[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2],
                        n[0] * u[1] - n[1] * u[0]};
    auto onScreen = [&](const float* p) {
        float s[3];
        q.rotateVector(p, s);
        return platform::Point{kCentreX + kScale * s[0], kCentreY - kScale * s[1]};
    };
    platform::Point corners[4];
    const float kCorner[4][2] = {{1.5f, 1.5f}, {1.5f, -1.5f}, {-1.5f, -1.5f}, {-1.5f, 1.5f}};
    for (int i = 0; i < 4; ++i) {
        float p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = 1.5f * n[k] + kCorner[i][0] * u[k] + kCorner[i][1] * v[k];
        }
        corners[i] = onScreen(p);
    }
    platform::Point arrows[2][3];
    const int count = hintPower_ == 2 ? 2 : 1;
    const float sense = hintPower_ == 3 ? -1.0f : 1.0f;
    for (int a = 0; a < count; ++a) {
        const float side = a == 0 ? 1.5f : -1.5f;
        float mid[3], along[3], tip[3], back1[3], back2[3];
        for (int k = 0; k < 3; ++k) {
            mid[k] = 1.5f * n[k] + side * v[k];
        }
        along[0] = sense * (mid[1] * n[2] - mid[2] * n[1]);
        along[1] = sense * (mid[2] * n[0] - mid[0] * n[2]);
        along[2] = sense * (mid[0] * n[1] - mid[1] * n[0]);
        const float length =
            std::sqrt(along[0] * along[0] + along[1] * along[1] + along[2] * along[2]);
        // An arrowhead half a unit long and as wide, on the edge, pointing along it.
        for (int k = 0; k < 3; ++k) {
            const float d = along[k] / length;
            tip[k] = mid[k] + 0.3f * d;
            back1[k] = mid[k] - 0.25f * d + 0.25f * v[k];
            back2[k] = mid[k] - 0.25f * d - 0.25f * v[k];
        }
        arrows[a][0] = onScreen(tip);
        arrows[a][1] = onScreen(back1);
        arrows[a][2] = onScreen(back2);
    }
    float facing[3];
    q.rotateVector(n, facing);
    hintMark_->setMark(corners, arrows, count, facing[2] > 0);
}

// The cube was drawn turned under the hint.
void Controller::cubeMoved() {
    if (hintFace_ >= 0) {
        placeHintMark();
        if (keyOfFace(hintFace_) != hintKey_) {
            nameHint();
        }
    }
}

void Controller::thinkingChanged() {
    showSolveStatus();
}

}  // namespace gyrelle
