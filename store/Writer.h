#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "store/Folder.h"

namespace gyrelle::store {

// Writes a save off the main thread, where a big one (a million solves) would stop the
// frames: one save at a time, with the folder's own replace. A save handed over while
// another is being written waits, merged with any that waits already (a later text of a
// file replaces the earlier). Where there are no threads (a browser), it writes at once.
class Writer {
  public:
    // A file's text in pieces that the writer shares (the records' solve lines, which
    // only grow, are not copied for it).
    using Pieces = std::vector<std::shared_ptr<const std::string>>;
    struct File {
        const char* name;
        Pieces pieces;
    };

    explicit Writer(Folder& folder);
    // Writes what waits first.
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void write(std::vector<File> files);
    // Writes on the calling thread, once nothing else is written; false when it failed.
    // A failure is said in the log when it differs from the last one said, or `sayAgain`.
    // `committed`: whether a failed save is whole in `saving` all the same.
    bool writeAtOnce(std::vector<File>& files, bool sayAgain, bool* committed = nullptr);
    // Waits until nothing is being written or waits; false when a save handed over since
    // the last call failed (said in the log).
    bool finish();
    // A save failed since the last call to finish or failedSince.
    bool failedSince() { return failed_.exchange(false); }

  private:
    void run();
    bool writeNow(std::vector<File>& files, bool sayAgain, bool* committed = nullptr);

    Folder& folder_;
    std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::vector<File> waiting_;
    bool busy_ = false, stopping_ = false;
    std::atomic<bool> failed_{false};
    std::string lastSaid_;  // by one save at a time, on whichever thread writes it
    std::thread thread_;
};

}  // namespace gyrelle::store
