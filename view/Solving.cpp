// Solves: a scramble arms one, the next turn starts its clock, the turn that leaves the
// cube solved ends it with a record, a spin and a few seconds of words at the top.
#include <cstring>
#include <ctime>
#include <numbers>

#include "platform/Files.h"
#include "platform/Log.h"
#include "view/EAGLView.h"
#include "view/SavedHistory.h"
#include "view/SavedRecords.h"

namespace gyrelle {

namespace {
constexpr char kDot[] = " \u00b7 ";
}  // namespace

void EAGLView::solveTurned() {
    const double now = platform_.absoluteTime();
    if (solves.turned(now, magicCube->isSolved(), std::time(nullptr))) {
        const Solve& s = solves.done().back();
        solveDisplay_.result = "Solved in " + movesText(s.moves) + kDot + clockText(s.seconds);
        if (solves.lastWasBest()) {
            solveDisplay_.result += std::string(kDot) + "New best!";
        }
        solveDisplay_.resultUntil = now + kResultShown;
        celebrate();
        saveRecords();  // a record is kept at once, whatever happens next
    }
    showSolveStatus();
}

void EAGLView::solveReplaced(History::Kind kind, bool forward) {
    const bool scrambling = kind == History::Kind::Scramble || kind == History::Kind::Paste;
    if (forward && scrambling && !magicCube->isSolved()) {
        solves.scrambled();
    } else {
        solves.abandoned();
    }
    showSolveStatus();
}

void EAGLView::showSolveStatus() {
    const double now = platform_.absoluteTime();
    std::string words;
    if (solves.phase() == Solves::Phase::Running) {
        words = movesText(solves.moves()) + kDot + clockText(solves.seconds(now));
    } else if (now < solveDisplay_.resultUntil) {
        words = solveDisplay_.result;
    }
    statusStrip->setText(words);
    std::string title = words;
    for (size_t at; (at = title.find(kDot)) != std::string::npos;) {
        title.replace(at, std::strlen(kDot), ", ");
    }
    platform_.window().setSubtitle(title);
    if (words.empty()) {
        statusStrip->removeFromSuperview();
        if (solveDisplay_.timer) {
            solveDisplay_.timer->invalidate();
            solveDisplay_.timer = nullptr;
        }
        return;
    }
    if (statusStrip->superview() != this) {
        addSubview(statusStrip.get());
    }
    if (!solveDisplay_.timer) {
        solveDisplay_.timer =
            platform_.runLoop().scheduledTimer(kClockInterval, [this] { showSolveStatus(); });
    }
}

void EAGLView::celebrate() {
    if (fMakeTopDistance > 0) {
        return;  // a face on its way up gets there first
    }
    const float down[3] = {0, -1, 0};  // as a y turn: the front goes left
    qMakeTop.setAxis(down, static_cast<float>(kMakeTopStep));
    fMakeTopDistance = 2 * std::numbers::pi_v<float>;
}

void EAGLView::showRecords() {
    showPanel(std::make_unique<RecordsView>(bounds(), recordsText(solves.done())));
}

std::string EAGLView::recordsPath() const {
    return saving_.path.substr(0, saving_.path.rfind('/') + 1) + "records";
}

void EAGLView::saveRecords() {
    if (saving_.path.empty() || !saving_.recordsKept) {
        return;
    }
    const std::string text =
        recordsFileText({solves.done(), solves.phase(), fingerprint(magicCube->stickers()),
                         solves.moves(), solves.seconds(platform_.absoluteTime())});
    if (text == saving_.records) {
        return;
    }
    const std::string path = recordsPath();
    std::string error;
    auto write = [](std::FILE* out, const void* t) {
        std::fputs(static_cast<const std::string*>(t)->c_str(), out);
    };
    if (platform::replaceFile(path, write, &text, error)) {
        saving_.records = text;
        platform_.documentsWritten();
    } else {
        platform::logMessage("could not save the records to %s: %s", path.c_str(), error.c_str());
    }
}

// After the cube and its history: a solve under way holds only for the cube it was on.
void EAGLView::restoreRecords() {
    if (saving_.path.empty()) {
        return;
    }
    const std::string path = recordsPath();
    std::string problem;
    bool tooLarge = false;
    SavedRecords records;
    std::FILE* in =
        platform::openSmallFile(path, kLargestRecordsFile, "any records", problem, &tooLarge);
    bool read = false;
    if (in) {
        read = readRecords(in, records, problem);
        std::fclose(in);
    } else if (problem.empty()) {
        saving_.records = recordsFileText({});  // none yet, and none needed until a solve
        return;
    }
    if (!read) {
        std::string error;
        if ((in || tooLarge) && platform::moveAside(path, ".bad", error)) {
            platform::logMessage("%s was not read: %s; it is kept as %s.bad and new records begin",
                                 path.c_str(), problem.c_str(), path.c_str());
        } else {
            saving_.recordsKept = false;
            platform::logMessage("%s was not read: %s; solves will not be recorded", path.c_str(),
                                 (error.empty() ? problem : error).c_str());
        }
        return;
    }
    saving_.records = recordsFileText(records);
    solves.setDone(std::move(records.done));
    if (records.phase == Solves::Phase::None) {
        return;
    }
    if (records.cube != fingerprint(magicCube->stickers()) || magicCube->isSolved()) {
        platform::logMessage("%s: the solve under way was on another cube and is dropped",
                             path.c_str());
    } else if (records.phase == Solves::Phase::Scrambled) {
        solves.scrambled();
    } else {
        solves.resume(records.moves, records.seconds, platform_.absoluteTime());
    }
}

}  // namespace gyrelle
