// The saved state: the stickers, the orientation and a running spin, read back while
// the view is built, saved as the game is played and when it ends.
#include <cstring>

#include "platform/Files.h"
#include "platform/Log.h"
#include "view/EAGLView.h"
#include "view/SavedHistory.h"

namespace gyrelle {

namespace {
// A saved cube is about 1.5 KB; anything this large is not one. A full history is at
// most 10,000 lines of at most 125 characters.
constexpr long kLargestFile = 64 * 1024;
constexpr long kLargestHistory = 2 * 1024 * 1024;
// A save waits for the cube to rest this long, and saves are this far apart at least
// (seconds).
constexpr double kSaveAfterRest = 2.0;
constexpr double kSaveInterval = 1.0;
// A temporary older than this was left by a save that was cut short (seconds).
constexpr double kStaleTemporary = 60.0;

SavedState stateOf(const EAGLView& view) {
    return {view.magicCube->stickers(), view.currentRotation, view.qdeltacontinue,
            view.bContinueToRotate, view.bContinuePremultiply};
}

bool same(const SavedState& a, const SavedState& b) {
    return std::memcmp(a.stickers.data(), b.stickers.data(), sizeof a.stickers) == 0 &&
           std::memcmp(a.currentRotation.q, b.currentRotation.q, sizeof a.currentRotation.q) == 0 &&
           std::memcmp(a.qdeltacontinue.q, b.qdeltacontinue.q, sizeof a.qdeltacontinue.q) == 0 &&
           a.bContinueToRotate == b.bContinueToRotate &&
           a.bContinuePremultiply == b.bContinuePremultiply;
}
}  // namespace

void EAGLView::writeState(std::FILE* out) const {
    writeSavedState(out, stateOf(*this));
}

bool EAGLView::save() {
    if (saving_.path.empty()) {
        if (!saving_.why.empty()) {
            platform::logMessage("could not save the cube: %s", saving_.why.c_str());
        }
        return saving_.why.empty();
    }
    std::string error;
    if (saving_.keepAside) {
        // The file read at start-up could not be read whole: the player's bytes stay.
        saving_.keepAside = false;
        if (platform::moveAside(saving_.path, ".bad", error)) {
            platform::logMessage("the saved cube that could not be read is kept as %s.bad",
                                 saving_.path.c_str());
        } else {
            platform::logMessage("could not keep %s aside: %s", saving_.path.c_str(),
                                 error.c_str());
        }
    }
    saving_.lastSave = platform_.absoluteTime();
    auto write = [](std::FILE* out, const void* self) {
        static_cast<const EAGLView*>(self)->writeState(out);
    };
    if (!platform::replaceFile(saving_.path, write, this, error)) {
        platform::logMessage("could not save the cube to %s: %s", saving_.path.c_str(),
                             error.c_str());
        return false;
    }
    saving_.saved = stateOf(*this);
    saveHistory();
    saveRecords();
    platform_.documentsWritten();
    return true;
}

void EAGLView::saveHistory() {
    const std::string path = historyPath();
    if (!canWriteHistory(history, magicCube->stickers())) {
        platform::logMessage(
            "could not save the undo history to %s: it holds a sticker the "
            "game does not make",
            path.c_str());
        return;
    }
    std::string error;
    auto write = [](std::FILE* out, const void* self) {
        const EAGLView& view = *static_cast<const EAGLView*>(self);
        writeHistory(out, view.history, view.magicCube->stickers());
    };
    if (!platform::replaceFile(path, write, this, error)) {
        platform::logMessage("could not save the undo history to %s: %s", path.c_str(),
                             error.c_str());
    }
}

std::string EAGLView::historyPath() const {
    return saving_.path.substr(0, saving_.path.rfind('/') + 1) + "history";
}

// After the cube: a history that does not end at the cube restored is of no use.
void EAGLView::restoreHistory() {
    const std::string path = historyPath();
    std::string problem;
    if (std::FILE* in = platform::openSmallFile(path, kLargestHistory, "any history", problem)) {
        readHistory(in, magicCube->stickers(), history, problem);
        std::fclose(in);
    }
    if (!problem.empty()) {
        platform::logMessage("%s was not used: %s", path.c_str(), problem.c_str());
    }
}

bool EAGLView::terminate() {
    return save();
}

void EAGLView::noteChange() {
    saving_.lastChange = platform_.absoluteTime();
    if (saving_.timer == nullptr && !saving_.path.empty()) {
        armSaveTimer(kSaveAfterRest);
    }
}

void EAGLView::armSaveTimer(double seconds) {
    if (saving_.timer) {
        saving_.timer->invalidate();
    }
    saving_.timer = platform_.runLoop().scheduledTimer(seconds, [this] { saveTick(); });
}

void EAGLView::saveTick() {
    const double now = platform_.absoluteTime();
    double due = saving_.lastSave + kSaveInterval;
    if (!saving_.wanted) {
        due = std::max(due, saving_.lastChange + kSaveAfterRest);
    }
    if (now < due) {  // still moving, or just saved: look again when it may be time
        armSaveTimer(due - now);
        return;
    }
    saving_.timer->invalidate();
    saving_.timer = nullptr;
    saving_.wanted = false;
    if (!same(stateOf(*this), saving_.saved)) {
        save();
    }
}

void EAGLView::saveIfChanged() {
    if (saving_.path.empty() || same(stateOf(*this), saving_.saved)) {
        return;
    }
    const double now = platform_.absoluteTime();
    if (now >= saving_.lastSave + kSaveInterval) {
        save();
    } else {
        saving_.wanted = true;  // as soon as saves may follow, moving or not
        armSaveTimer(saving_.lastSave + kSaveInterval - now);
    }
}

void EAGLView::restoreState() {
    const std::string dir = platform_.documentsDirectory(saving_.why);
    if (dir.empty()) {
        if (!saving_.why.empty()) {
            platform::logMessage("the cube cannot be kept: %s", saving_.why.c_str());
        }
        return;
    }
    saving_.path = dir + "/cube_state.dat";
    const std::string& path = saving_.path;
    SavedState state = stateOf(*this);
    saving_.saved = state;
    platform::removeStaleTemporaries(path, kStaleTemporary);

    std::string problem;
    bool tooLarge = false;
    std::FILE* in =
        platform::openSmallFile(path, kLargestFile, "any saved cube", problem, &tooLarge);
    if (in == nullptr) {
        if (!problem.empty()) {
            platform::logMessage("%s was not read: %s", path.c_str(), problem.c_str());
            saving_.keepAside = tooLarge;
        }
        restoreHistory();
        return;
    }
    const ReadOutcome outcome = readSavedState(in, state);
    std::fclose(in);
    if (!outcome.refused) {
        magicCube->setStickers(state.stickers);
        currentRotation = state.currentRotation;
        qdeltacontinue = state.qdeltacontinue;
        bContinueToRotate = state.bContinueToRotate;
        bContinuePremultiply = state.bContinuePremultiply;
        saving_.saved = state;
    }
    if (!outcome.problem.empty()) {
        platform::logMessage("%s was %s: %s", path.c_str(),
                             outcome.refused ? "not read" : "read only in part",
                             outcome.problem.c_str());
        saving_.keepAside = true;
    }
    restoreHistory();
}

}  // namespace gyrelle
