#pragma once

#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "game/Game.h"
#include "platform/RunLoop.h"
#include "solver/Preparation.h"
#include "store/Exchange.h"
#include "store/Folder.h"
#include "store/RecordsFile.h"
#include "store/SessionsFile.h"
#include "store/StateFile.h"
#include "store/TrainerFile.h"
#include "store/Writer.h"

namespace gyrelle::store {

// Keeps a game in its folder as it is played: reads it back at the start, and saves the
// cube, its history and the solves together, as one save, a while after the cube comes
// to rest, as soon as may be when the player may be leaving, at once when a solve ends,
// and when the game ends. What goes wrong is said in the log, once.
class Keeper : public Game::Listener {
  public:
    // A save waits for the cube to rest this long, and saves are this far apart at least,
    // but for the one that ends the game and the one that keeps a finished solve
    // (seconds).
    static constexpr double kSaveAfterRest = 2.0;
    static constexpr double kSaveInterval = 1.0;

    // `dir`: the game's folder, or empty when there is none: then nothing is kept, by
    // design when `why` is empty too. `written` is told after every save (where files
    // last only when told, a browser's). Times come from `loop`.
    Keeper(Game& game, platform::RunLoop& loop, std::string dir, std::string why,
           std::function<void()> written = {});
    ~Keeper() override;
    Keeper(const Keeper&) = delete;
    Keeper& operator=(const Keeper&) = delete;

    // Reads what was kept into the game. Another game having the folder is said here too:
    // then this one reads it and never writes.
    void restore();
    bool lockedElsewhere() const { return folder_ && folder_->elsewhere(); }
    // Why this game saves nothing until a file of its own is removed ("/…/saving is a
    // symbolic link"), or empty. Each save looks again.
    std::string refusal() const {
        return folder_ && !folder_->writable() ? folder_->refusal() : std::string();
    }

    // Where the solver keeps its largest table, after restore: read from the folder, and
    // built and written there only while this game has the folder. Nothing without one.
    solver::Preparation::Keeping depthsKeeping() const;

    // The player may be leaving: save now if anything changed, or as soon as saves may
    // follow one another.
    void saveSoon();
    // The game ends: saves whatever changed. False when the cube, its history or the
    // records could not be kept (said in the log).
    bool saveNow();

    // The finished solves replaced by `solves` (an import merged with them), the records
    // file as it was first kept as records.before-import; saved at once. NotMade, with
    // `error`, changes nothing: the records cannot be kept or that copy not made.
    // Unfinished: the save is whole in `saving` (`error` names it) but not in the records
    // yet; the next save or start completes it. NotSaved: nothing of it reached the disk;
    // the game has the solves, and its next saves try again.
    enum class Import { Saved, Unfinished, NotSaved, NotMade, BadFile };
    // `sessions`, where given, are the sessions' names after it (an import of csTimer's
    // sessions adds theirs).
    Import importSolves(std::vector<Solve> solves, std::string& error,
                        std::vector<std::string> sessions = {});
    // The solves of `source` not kept yet, taken into the records as importSolves does;
    // `words` what happened: what was taken and passed over (Saved; Unfinished and
    // NotSaved, then with where they are), or why nothing was (NotMade; BadFile: the file
    // is not wholly solves, or not one at all, and says where). `stop`, asked as the file is read,
    // ends it with nothing changed.
    Import importFrom(ImportSource& source, std::time_t now, std::string& words,
                      const std::function<bool()>& stop = {});
    // The records file could be read (or there was none): solves can be added to it.
    bool recordsReadable() const { return recordsKept_; }
    // How many bytes of solve lines the records file may still take: none is ever
    // written larger than the game reads back.
    long recordsRoom();

    // What the files would hold if saved now (the cube's lines, the history, the records:
    // left empty without `records`).
    struct Texts {
        std::string cube, history, records;
    };
    Texts texts(bool records = true) const;

    // What the trainer keeps, read back with the game and saved with it: a change (its
    // revision moved) is saved soon after the caller says so (saveSoon).
    TrainerRecords& trainer() { return trainer_; }
    // Seconds since 1970, for what must outlast the game: when an inspection began.
    void setWallClock(std::function<double()> clock) { wallClock_ = std::move(clock); }

    void solved(const Solve& record, bool best) override;
    // A change of the settings is kept soon, as the player may close the game next.
    void settingsChanged() override;
    // Each frame: when it shows the cube changed or turned, a save waits a while longer.
    void framing() override;

  private:
    // What the state file holds, and what tells the other files changed: a save is due
    // only when this differs from what was saved.
    struct Snapshot {
        SavedState state;
        unsigned long historyChanges = 0;
        unsigned long solvesRevision = 0;
        unsigned long settingsRevision = 0;
        unsigned long trainerRevision = 0;
        bool operator==(const Snapshot& other) const;
    };
    Snapshot snapshot() const;
    void restoreRecords(Game::Kept& kept);
    void restoreSettings();
    void restoreTrainer();
    void restoreSessions();
    // A file of `name` the game could not use, as `reading` says: set aside where the
    // folder is the game's, and said in the log with what the game does `instead`.
    void unread(const char* name, const Reading& reading, const char* instead);
    // `atOnce`: written before it returns, else a big save (over kWrittenInBackground
    // bytes) is written by the writer's thread.
    bool save(bool atOnce = false, bool* committed = nullptr);
    // The folder is this game's, or may become so once a file refused there is removed.
    bool mayWrite() const {
        return folder_ && (folder_->writable() || !folder_->refusal().empty());
    }
    void updateSolveLines();
    // The records without their finished solves: the solve armed or under way.
    SavedRecords underWay() const;
    // The records file's size with the solves' lines as kept and `tail` after them.
    long recordsBytes(const std::string& tail) const;
    // Solves may be imported here; else false with `why`.
    bool mayImport(std::string& why) const;
    void arm(double seconds);
    void tick();

    Game& game_;
    platform::RunLoop& loop_;
    static constexpr size_t kWrittenInBackground = 1 << 20;
    std::unique_ptr<Folder> folder_;  // null when nothing is kept
    std::unique_ptr<Writer> writer_;  // with the folder, and gone before it
    std::string why_;                 // why nothing is kept, or empty by design
    std::function<void()> written_;
    std::function<double()> wallClock_;
    bool keepAside_ = false;     // the state file read at start was not whole: keep it
    bool historyAside_ = false;  // nor was the history file
    bool recordsKept_ = true;    // false when the records file is there but unreadable
    // The settings file is written once there is one, or the player changed a setting:
    // a player who never did gets no file.
    bool settingsKept_ = false;
    // Nor a trainer file before the trainer is used.
    TrainerRecords trainer_;
    bool trainerKept_ = false;
    // Nor a sessions file while all the solves are in the first session, shown. What it
    // was last written for: it is made again only when one of these changed.
    bool sessionsKept_ = false;
    struct SessionsMark {
        unsigned long rewrites = ~0UL;
        size_t solves = 0, shown = 0;
        std::vector<std::string> names;
        bool operator==(const SessionsMark&) const = default;
    };
    SessionsMark sessionsWritten_;
    bool restored_ = false;
    Snapshot saved_;           // as the files hold it now
    std::string historyText_;  // what the history file holds now
    // The records file is written when the solves changed since the last save, or when
    // it must be whatever they hold (set aside, or holding a solve that was dropped).
    bool recordsDue_ = false;
    std::string asideSaid_;  // the last failure to keep a file aside, said
    unsigned long saidSettingsAt_ = -1;
    unsigned long saidRecordsAt_ = -1;  // the solves' revision when they were too many  // the
                                        // settings' revision when they could not be kept
    // The lines of the first solveLinesCount_ solves, as the records file holds them.
    std::shared_ptr<std::string> solveLines_ = std::make_shared<std::string>();
    size_t solveLinesCount_ = 0;
    unsigned long solveLinesRewrites_ = 0;  // the solves' rewrites() they were made at
    // The timed lines of the solves that have turns, oldest first, with each one's index.
    std::deque<std::pair<size_t, std::shared_ptr<const std::string>>> timedLines_;
    size_t timedBytes_ = 0;
    // The cube as last noticed, for telling when it moves.
    unsigned long seenRevision_ = 0;  // the game's shownRevision at the last frame
    double lastChange_ = 0;
    double lastSave_ = -HUGE_VAL;
    bool wanted_ = false;  // a save was asked for and waits only for the interval
    platform::Timer* timer_ = nullptr;
};

}  // namespace gyrelle::store
