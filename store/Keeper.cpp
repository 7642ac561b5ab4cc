#include "store/Keeper.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/Log.h"
#include "store/DepthsFile.h"
#include "store/Fingerprint.h"
#include "store/HistoryFile.h"
#include "store/RecordsFile.h"
#include "store/SettingsFile.h"

namespace gyrelle::store {

namespace {

// The text `write` puts into a stream.
template <class Write>
std::string textOf(Write write) {
    char* text = nullptr;
    size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (out == nullptr) {
        return {};
    }
    write(out);
    std::fclose(out);
    std::string copy(text, length);
    std::free(text);
    return copy;
}

}  // namespace

bool Keeper::Snapshot::operator==(const Snapshot& o) const {
    const SavedState& a = state;
    const SavedState& b = o.state;
    return std::memcmp(a.stickers.data(), b.stickers.data(), sizeof a.stickers) == 0 &&
           std::memcmp(a.motion.currentRotation.q, b.motion.currentRotation.q,
                       sizeof a.motion.currentRotation.q) == 0 &&
           std::memcmp(a.motion.qdeltacontinue.q, b.motion.qdeltacontinue.q,
                       sizeof a.motion.qdeltacontinue.q) == 0 &&
           a.motion.bContinueToRotate == b.motion.bContinueToRotate &&
           a.motion.bContinuePremultiply == b.motion.bContinuePremultiply &&
           historyChanges == o.historyChanges && solvesRevision == o.solvesRevision &&
           settingsRevision == o.settingsRevision && trainerRevision == o.trainerRevision;
}

Keeper::Keeper(Game& game, platform::RunLoop& loop, std::string dir, std::string why,
               std::function<void()> written)
    : game_(game), loop_(loop), why_(std::move(why)), written_(std::move(written)), wallClock_([] {
          return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
              .count();
      }) {
    if (!dir.empty()) {
        folder_ = std::make_unique<Folder>(std::move(dir));
        writer_ = std::make_unique<Writer>(*folder_);
    }
    saved_ = snapshot();
    game_.addListener(this);
}

Keeper::~Keeper() {
    game_.removeListener(this);
    if (timer_) {
        timer_->invalidate();
    }
}

Keeper::Snapshot Keeper::snapshot() const {
    const Motion& m = game_.motion();
    return {{game_.cube().stickers(), m.kept()},
            game_.history().changes(),
            game_.solves().revision(),
            game_.settingsRevision(),
            trainer_.revision};
}

solver::Preparation::Keeping Keeper::depthsKeeping() const {
    if (!folder_) {
        return {};
    }
    solver::Preparation::Keeping keeping;
    keeping.read = [path = folder_->path(Folder::kDepths)](solver::Phase1Depths& depths) {
        std::string problem;
        if (readDepths(path, depths, problem)) {
            return true;
        }
        if (!problem.empty()) {
            platform::logMessage("%s was not used: %s", path.c_str(), problem.c_str());
        }
        return false;
    };
    if (folder_->writable()) {
        keeping.write = [path =
                             folder_->path(Folder::kDepths)](const solver::Phase1Depths& depths) {
            if (std::string error; !writeDepths(path, depths, error)) {
                platform::logMessage("the solver's table was not kept: %s: %s", path.c_str(),
                                     error.c_str());
            }
        };
    }
    return keeping;
}

void Keeper::restore() {
    if (!folder_) {
        if (!why_.empty()) {
            platform::logMessage("the cube cannot be kept: %s", why_.c_str());
        }
        return;
    }
    if (!folder_->lock()) {
        if (folder_->elsewhere()) {
            platform::logMessage("another Gyrelle has %s open: this one saves nothing",
                                 folder_->dir().c_str());
        } else {
            platform::logMessage(
                "%s, which Gyrelle never writes through: remove it; until then "
                "this game saves nothing",
                folder_->refusal().c_str());
        }
    }
    folder_->recover();
    // First: the inspection setting holds for a solve armed before the game ended.
    restoreSettings();
    restoreTrainer();

    Game::Kept kept;
    kept.stickers = game_.cube().stickers();
    kept.motion = game_.motion().kept();
    SavedState state = snapshot().state;
    const std::string cubePath = folder_->path(Folder::kCube);
    Reading reading;
    if (std::FILE* in =
            folder_->open(Folder::kCube, kLargestStateFile, "any saved cube", reading)) {
        reading = readSavedState(in, state);
        std::fclose(in);
        if (reading.outcome != Reading::Outcome::Refused) {
            kept.stickers = state.stickers;
            kept.motion = state.motion;
        }
        if (!reading.whole()) {
            platform::logMessage(
                "%s was %s: %s", cubePath.c_str(),
                reading.outcome == Reading::Outcome::Refused ? "not read" : "read only in part",
                reading.problem.c_str());
        }
    } else if (!reading.whole()) {
        platform::logMessage("%s was not read: %s", cubePath.c_str(), reading.problem.c_str());
    }
    keepAside_ = reading.keepAside;

    // Of use only if it ends at the cube restored.
    if (std::FILE* in =
            folder_->open(Folder::kHistory, kLargestHistoryFile, "any history", reading)) {
        reading = readHistory(in, kept.stickers, kept.history);
        std::fclose(in);
    }
    historyAside_ = reading.keepAside;
    if (!reading.whole()) {
        platform::logMessage("%s was not used: %s", folder_->path(Folder::kHistory).c_str(),
                             reading.problem.c_str());
    }
    restoreRecords(kept);
    game_.restore(std::move(kept), loop_.now(), wallClock_());
    restoreSessions();
    solveLinesRewrites_ = game_.solves().rewrites();  // the lines read are those solves
    saved_ = snapshot();
    restored_ = true;
}

void Keeper::restoreSettings() {
    const std::string path = folder_->path(Folder::kSettings);
    Reading reading;
    std::FILE* in = folder_->open(Folder::kSettings, kLargestSettingsFile, "any settings", reading);
    if (in) {
        Settings settings;
        std::vector<std::string> problems;
        reading = readSettings(in, settings, problems);
        std::fclose(in);
        for (const std::string& problem : problems) {
            platform::logMessage("%s, %s", path.c_str(), problem.c_str());
        }
        if (reading.whole()) {
            settingsKept_ = true;
            game_.setSettings(std::move(settings));
            return;
        }
    } else if (reading.whole()) {
        return;  // none: the defaults, and no file until a setting is changed
    }
    unread(Folder::kSettings, reading, "the defaults are used");
}

void Keeper::unread(const char* name, const Reading& reading, const char* instead) {
    const std::string path = folder_->path(name);
    std::string error;
    if (reading.keepAside && folder_->writable() && folder_->setAside(name, error)) {
        platform::logMessage("%s was not read: %s; it is kept as %s.bad and %s", path.c_str(),
                             reading.problem.c_str(), path.c_str(), instead);
    } else {
        platform::logMessage("%s was not read: %s; %s", path.c_str(),
                             (error.empty() ? reading.problem : error).c_str(), instead);
    }
}

void Keeper::restoreSessions() {
    Reading reading;
    std::FILE* in = folder_->open(Folder::kSessions, kLargestSessionsFile, "any sessions", reading);
    if (in) {
        SavedSessions sessions;
        reading = readSessions(in, game_.solves().done(), sessions);
        std::fclose(in);
        if (reading.whole()) {
            sessionsKept_ = true;
            game_.setSessions(std::move(sessions.names), sessions.shown, sessions.sessionOf);
            return;
        }
    } else if (reading.whole()) {
        return;
    }
    unread(Folder::kSessions, reading, "the solves are all in one session");
}

void Keeper::restoreTrainer() {
    const std::string path = folder_->path(Folder::kTrainer);
    Reading reading;
    std::FILE* in = folder_->open(Folder::kTrainer, kLargestTrainerFile, "any trainer", reading);
    if (in) {
        std::vector<std::string> problems;
        reading = readTrainer(in, trainer_, problems);
        std::fclose(in);
        for (const std::string& problem : problems) {
            platform::logMessage("%s, %s", path.c_str(), problem.c_str());
        }
        if (reading.whole()) {
            trainerKept_ = true;
            return;
        }
    } else if (reading.whole()) {
        return;
    }
    unread(Folder::kTrainer, reading, "the trainer begins afresh");
}

void Keeper::settingsChanged() {
    if (restored_) {
        settingsKept_ = true;
        saveSoon();
    }
}

// After the cube: a solve under way holds only for the cube it was on.
void Keeper::restoreRecords(Game::Kept& kept) {
    const std::string path = folder_->path(Folder::kRecords);
    Reading reading;
    SavedRecords records;
    std::FILE* in = folder_->open(Folder::kRecords, kLargestRecordsFile, "any records", reading);
    if (in) {
        RecordLines lines;
        reading = readRecords(in, records, &lines);
        if (reading.outcome != Reading::Outcome::Refused) {
            solveLines_ = std::make_shared<std::string>(std::move(lines.solves));
            solveLinesCount_ = records.done.size();
            timedLines_.clear();
            timedBytes_ = 0;
            for (auto& [index, line] : lines.timed) {
                timedBytes_ += line.size();
                timedLines_.push_back(
                    {index, std::make_shared<const std::string>(std::move(line))});
            }
        }
        std::fclose(in);
    } else if (reading.whole()) {
        return;  // none yet, and none needed until a solve
    }
    bool aside = false;
    if (reading.outcome == Reading::Outcome::Partial) {
        // The solves are used; what followed them stays the player's, set aside now, and
        // the next save writes the solves alone.
        std::string error;
        aside = folder_->writable() && folder_->setAside(Folder::kRecords, error);
        platform::logMessage("%s was read only in part: %s; %s", path.c_str(),
                             reading.problem.c_str(),
                             aside ? ("the file as it was is kept as " + path + ".bad").c_str()
                                   : ("it could not be kept aside: " + error).c_str());
        reading = {};
    }
    if (!reading.whole()) {
        std::string error;
        if (reading.keepAside && folder_->writable() &&
            folder_->setAside(Folder::kRecords, error)) {
            platform::logMessage("%s was not read: %s; it is kept as %s.bad and new records begin",
                                 path.c_str(), reading.problem.c_str(), path.c_str());
            recordsDue_ = true;
        } else {
            recordsKept_ = false;
            platform::logMessage("%s was not read: %s; solves will not be recorded", path.c_str(),
                                 (error.empty() ? reading.problem : error).c_str());
        }
        return;
    }
    recordsDue_ = aside;
    kept.done = std::move(records.done);
    if (records.solve.phase == Solves::Phase::None) {
        return;
    }
    MagicCube cube;
    cube.setStickers(kept.stickers);
    if (records.cube != cubeFingerprint(kept.stickers) || cube.isSolved()) {
        platform::logMessage("%s: the solve under way was on another cube and is dropped",
                             path.c_str());
        recordsDue_ = true;
        return;
    }
    kept.solve = records.solve;
}

SavedRecords Keeper::underWay() const {
    SavedRecords r;
    r.solve = game_.solves().underWay(loop_.now(), wallClock_());
    r.cube = cubeFingerprint(game_.cube().stickers());
    return r;
}

Keeper::Texts Keeper::texts(bool records) const {
    const SavedState state = snapshot().state;
    const MagicCube::Stickers& stickers = game_.cube().stickers();
    const Solves& solves = game_.solves();
    Texts t;
    t.cube = textOf([&](std::FILE* out) { writeSavedState(out, state); });
    if (canWriteHistory(game_.history(), stickers)) {
        t.history = textOf([&](std::FILE* out) { writeHistory(out, game_.history(), stickers); });
    }
    if (records) {
        t.records = recordsFileText([&] {
            SavedRecords r = underWay();
            r.done = solves.done();
            return r;
        }());
    }
    return t;
}

// The solves' lines as the records file holds them, brought up to the solves: those
// that ended since are added (a file of a million is not made again for one more).
void Keeper::updateSolveLines() {
    const std::vector<Solve>& done = game_.solves().done();
    // Fewer than before, or changed in the middle: made again.
    if (done.size() < solveLinesCount_ || game_.solves().rewrites() != solveLinesRewrites_) {
        solveLinesRewrites_ = game_.solves().rewrites();
        solveLines_ = std::make_shared<std::string>();
        solveLinesCount_ = 0;
        timedLines_.clear();
        timedBytes_ = 0;
    }
    // The oldest turns give way to new ones, and only they.
    while (!timedLines_.empty() && !done[timedLines_.front().first].turns) {
        timedBytes_ -= timedLines_.front().second->size();
        timedLines_.pop_front();
    }
    if (done.size() == solveLinesCount_) {
        return;
    }
    for (size_t i = solveLinesCount_; i < done.size(); ++i) {
        if (done[i].turns) {
            auto line = std::make_shared<const std::string>(timedLine(i, *done[i].turns));
            timedBytes_ += line->size();
            timedLines_.push_back({i, std::move(line)});
        }
    }
    if (solveLines_.use_count() > 1) {  // the writer still has the lines it was given
        solveLines_ = std::make_shared<std::string>(*solveLines_);
    }
    for (size_t i = solveLinesCount_; i < done.size(); ++i) {
        *solveLines_ += solveLine(done[i]);
    }
    solveLinesCount_ = done.size();
}

bool Keeper::save(bool atOnce, bool* committed) {
    if (committed) {
        *committed = false;
    }
    if (!folder_) {
        if (!why_.empty()) {
            platform::logMessage("could not save the cube: %s", why_.c_str());
        }
        return why_.empty();
    }
    if (!folder_->writable() && !folder_->retake()) {
        if (folder_->elsewhere()) {
            return true;  // another game has the folder: this one was never to save
        }
        if (atOnce) {
            platform::logMessage("could not save the game: %s", folder_->refusal().c_str());
        }
        return false;
    }
    // What a save written aside was thought to have put in the files did not reach them:
    // all of it again.
    auto failed = [this] {
        historyText_.clear();
        recordsDue_ = true;
    };
    if (writer_->failedSince()) {
        failed();
    }
    std::string error;
    // A file read at start-up that could not be used whole: the player's bytes stay.
    for (auto [aside, name, what] : {std::tuple{&keepAside_, Folder::kCube, "saved cube"},
                                     {&historyAside_, Folder::kHistory, "undo history"}}) {
        if (*aside) {
            *aside = false;
            if (!writer_->finish()) {
                failed();
            }
            const std::string path = folder_->path(name);
            if (folder_->setAside(name, error)) {
                platform::logMessage("the %s that could not be read is kept as %s.bad", what,
                                     path.c_str());
            } else {
                // Written over, the player's bytes would be gone: no save until they are kept.
                *aside = true;
                const std::string said =
                    "could not keep " + path + " aside, so nothing is saved: " + error;
                if (atOnce || said != asideSaid_) {
                    platform::logMessage("%s", said.c_str());
                }
                asideSaid_ = said;
                return false;
            }
        }
    }
    lastSave_ = loop_.now();
    const bool whole = folder_->wholeSaveNeeded();
    // The records only when they changed (a solve under way changes with the clock): a
    // file of a million solves is not made again at every save.
    const Solves& solves = game_.solves();
    const bool records =
        recordsKept_ && (whole || recordsDue_ || solves.revision() != saved_.solvesRevision ||
                         solves.phase() == Solves::Phase::Running);
    const Texts t = texts(false);
    std::vector<Writer::File> files{{Folder::kCube, {std::make_shared<std::string>(t.cube)}}};
    size_t bytes = t.cube.size();
    if (t.history.empty()) {
        platform::logMessage(
            "could not save the undo history to %s: it holds a sticker the game does not make",
            folder_->path(Folder::kHistory).c_str());
    } else if (whole || t.history != historyText_) {
        files.push_back({Folder::kHistory, {std::make_shared<std::string>(t.history)}});
        bytes += t.history.size();
    }
    // Settings that cannot be written (a FIFO or a folder in their place) stop no other file.
    const std::string settingsPath = folder_->path(Folder::kSettings);
    const std::string settingsUnusable = platform::unusable(settingsPath, platform::Links::Follow);
    if (settingsKept_ && !settingsUnusable.empty() &&
        (atOnce || game_.settingsRevision() != saidSettingsAt_)) {
        saidSettingsAt_ = game_.settingsRevision();
        platform::logMessage("could not keep the settings: %s %s; remove it to keep them",
                             settingsPath.c_str(), settingsUnusable.c_str());
    }
    if (settingsKept_ && settingsUnusable.empty() &&
        (whole || game_.settingsRevision() != saved_.settingsRevision)) {
        const std::string text = settingsText(game_.settings());
        files.push_back({Folder::kSettings, {std::make_shared<std::string>(text)}});
        bytes += text.size();
    }
    const Solves& all = game_.solves();
    sessionsKept_ = sessionsKept_ || all.sessions().size() > 1 || all.shownSession() != 0 ||
                    all.sessions().front() != "Main";
    const SessionsMark mark{all.rewrites(), all.done().size(), all.shownSession(), all.sessions()};
    if (sessionsKept_ && recordsKept_ && (whole || !(mark == sessionsWritten_))) {
        auto text = std::make_shared<std::string>(sessionsText(all));
        bytes += text->size();
        files.push_back({Folder::kSessions, {std::move(text)}});
        sessionsWritten_ = mark;
    }
    trainerKept_ = trainerKept_ || trainer_.revision != saved_.trainerRevision;
    if (trainerKept_ && (whole || trainer_.revision != saved_.trainerRevision)) {
        auto text = std::make_shared<std::string>(trainerText(trainer_));
        bytes += text->size();
        files.push_back({Folder::kTrainer, {std::move(text)}});
    }
    bool recordsFit = true;
    if (records) {
        updateSolveLines();
        static const auto header = std::make_shared<const std::string>(kRecordsHeader);
        auto tail = std::make_shared<std::string>(recordsTail(underWay()));
        const long size = recordsBytes(*tail);
        // Never a file the next start would refuse to read, and set aside whole.
        recordsFit = size <= kLargestRecordsFile;
        if (recordsFit) {
            Writer::Pieces pieces{header, solveLines_};
            pieces.reserve(3 + timedLines_.size());
            for (const auto& timed : timedLines_) {
                pieces.push_back(timed.second);
            }
            pieces.push_back(std::move(tail));
            files.push_back({Folder::kRecords, std::move(pieces)});
            bytes += solveLines_->size() + timedBytes_;
        } else if (atOnce || solves.revision() != saidRecordsAt_) {
            saidRecordsAt_ = solves.revision();
            platform::logMessage(
                "could not keep the records in %s: at %ld bytes they would be larger than any "
                "records Gyrelle reads (%ld); delete old solves (F2) to keep new ones",
                folder_->path(Folder::kRecords).c_str(), size, kLargestRecordsFile);
        }
    }
    if (!atOnce && bytes > kWrittenInBackground) {
        writer_->write(std::move(files));  // what failed is said, and written again, later
    } else {
        if (!writer_->finish()) {  // nothing of an earlier save may land after this one
            failed();
            return save(atOnce, committed);  // with every file, over the failed one
        }
        if (!writer_->writeAtOnce(files, atOnce, committed)) {
            return false;  // said by the writer
        }
    }
    saved_ = snapshot();
    historyText_ = t.history.empty() ? historyText_ : t.history;
    // Records too many to keep are tried again at the next save (after a deletion, say).
    recordsDue_ = (records && !recordsFit) || (recordsDue_ && !records);
    if (written_) {
        written_();
    }
    // Else a file could not be kept, as said.
    return !t.history.empty() && recordsKept_ && recordsFit;
}

long Keeper::recordsBytes(const std::string& tail) const {
    return long(sizeof kRecordsHeader) - 1 + long(solveLines_->size()) + long(timedBytes_) +
           long(tail.size());
}

long Keeper::recordsRoom() {
    updateSolveLines();  // as a save would write them
    return kLargestRecordsFile - recordsBytes(recordsTail(underWay()));
}

bool Keeper::mayImport(std::string& why) const {
    why = !folder_               ? (why_.empty() ? "nothing is kept here" : why_)
          : !recordsKept_        ? "the records file cannot be read"
          : folder_->writable()  ? ""
          : folder_->elsewhere() ? "another game has " + folder_->dir()
                                 : folder_->refusal();
    return why.empty();
}

Keeper::Import Keeper::importSolves(std::vector<Solve> solves, std::string& error,
                                    std::vector<std::string> sessions) {
    if (!mayImport(error)) {
        return Import::NotMade;
    }
    if (!folder_->keepCopy(Folder::kRecords, Folder::kBeforeImport, error)) {
        return Import::NotMade;
    }
    game_.replaceSolves(std::move(solves));
    if (!sessions.empty()) {
        std::vector<std::uint16_t> sessionOf;
        for (const Solve& s : game_.solves().done()) {
            sessionOf.push_back(s.session);
        }
        game_.setSessions(std::move(sessions), game_.solves().shownSession(), sessionOf);
    }
    bool committed = false;
    if (save(true, &committed)) {
        return Import::Saved;
    }
    if (committed) {
        error = folder_->path(Folder::kSaving);
        return Import::Unfinished;
    }
    // Nothing of it reached the disk: the game has them, and saves them as it can.
    error = "the records could not be saved (said above)";
    return Import::NotSaved;
}

Keeper::Import Keeper::importFrom(ImportSource& source, std::time_t now, std::string& words,
                                  const std::function<bool()>& stop) {
    if (!mayImport(words)) {
        return Import::NotMade;
    }
    Imported about;
    Merged merged;
    std::string problem;
    // Into the session shown; csTimer's sessions each into the one of its name, made for it
    // (past the most sessions, or for a name that cannot be one, the one shown).
    const auto shown = static_cast<std::uint16_t>(game_.solves().shownSession());
    std::vector<std::string> names = game_.solves().sessions();
    auto sessionNamed = [&](const std::string& name) {
        const std::string cut = name.substr(0, Solves::kLongestSessionName);
        const auto found = std::find(names.begin(), names.end(), cut);
        if (found != names.end()) {
            return static_cast<std::uint16_t>(found - names.begin());
        }
        if (names.size() >= Solves::kMostSessions || !Solves::sessionName(cut)) {
            return shown;
        }
        names.push_back(cut);
        return static_cast<std::uint16_t>(names.size() - 1);
    };
    if (!store::importSolves(source, now, game_.solves().done(), recordsRoom(), about, merged,
                             problem, stop, shown, sessionNamed)) {
        words = problem;
        return merged.full || (stop && stop()) ? Import::NotMade : Import::BadFile;
    }
    if (stop && stop()) {  // the last moment to change nothing
        words = "the import was stopped";
        return Import::NotMade;
    }
    const std::string report = importReport(about, merged);
    if (merged.taken == 0) {
        words = report;
        return Import::Saved;
    }
    std::string error;
    const Import done = importSolves(
        std::move(merged.solves), error,
        names.size() > game_.solves().sessions().size() ? names : std::vector<std::string>{});
    words = done == Import::Saved ? report
            : done == Import::Unfinished
                ? report + " They wait in " + error +
                      " (the save stopped, as said above): the next save or start of Gyrelle "
                      "puts them in the records."
            : done == Import::NotSaved
                ? report + " They are not saved yet (" + error +
                      "): the game saves them with the cube as soon as it can."
                : error;
    return done;
}

bool Keeper::saveNow() {
    return save(true);
}

void Keeper::solved(const Solve&, bool) {
    save();  // a record is kept at once, whatever happens next
}

void Keeper::framing() {
    if (game_.shownRevision() == seenRevision_) {
        return;
    }
    seenRevision_ = game_.shownRevision();
    lastChange_ = loop_.now();
    if (timer_ == nullptr && mayWrite()) {
        arm(kSaveAfterRest);
    }
}

void Keeper::arm(double seconds) {
    if (timer_) {
        timer_->invalidate();
    }
    timer_ = loop_.scheduledTimer(seconds, [this] { tick(); });
}

void Keeper::tick() {
    const double now = loop_.now();
    double due = lastSave_ + kSaveInterval;
    if (!wanted_) {
        due = std::max(due, lastChange_ + kSaveAfterRest);
    }
    if (now < due) {  // still moving, or just saved: look again when it may be time
        arm(due - now);
        return;
    }
    timer_->invalidate();
    timer_ = nullptr;
    wanted_ = false;
    if (!(snapshot() == saved_)) {
        save();
    }
}

void Keeper::saveSoon() {
    if (!mayWrite() || snapshot() == saved_) {
        return;
    }
    const double now = loop_.now();
    if (now >= lastSave_ + kSaveInterval) {
        save();
    } else {
        wanted_ = true;  // as soon as saves may follow, moving or not
        arm(lastSave_ + kSaveInterval - now);
    }
}

}  // namespace gyrelle::store
