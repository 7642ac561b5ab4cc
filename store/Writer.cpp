#include "store/Writer.h"

#include "platform/Log.h"

namespace gyrelle::store {

Writer::Writer(Folder& folder) : folder_(folder) {
#ifndef __EMSCRIPTEN__
    thread_ = std::thread([this] { run(); });
#endif
}

Writer::~Writer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Writer::write(std::vector<File> files) {
#ifdef __EMSCRIPTEN__
    writeNow(files, false);  // failed_ says so
#else
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (File& f : files) {
            bool merged = false;
            for (File& w : waiting_) {
                if (std::string(w.name) == f.name) {
                    w.pieces = std::move(f.pieces);
                    merged = true;
                }
            }
            if (!merged) {
                waiting_.push_back(std::move(f));
            }
        }
    }
    wake_.notify_one();
#endif
}

bool Writer::writeAtOnce(std::vector<File>& files, bool sayAgain, bool* committed) {
    finish();
    return writeNow(files, sayAgain, committed);
}

bool Writer::finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return !busy_ && waiting_.empty(); });
    return !failed_.exchange(false);
}

void Writer::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;  // stopping, with nothing left to write
        }
        std::vector<File> files = std::move(waiting_);
        waiting_.clear();
        busy_ = true;
        lock.unlock();
        writeNow(files, false);
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

bool Writer::writeNow(std::vector<File>& files, bool sayAgain, bool* committed) {
    Folder::Texts named;
    for (const File& f : files) {
        Folder::Pieces pieces;
        for (const auto& piece : f.pieces) {
            pieces.push_back(piece.get());
        }
        named.push_back({f.name, std::move(pieces)});
    }
    std::string error;
    if (!folder_.replace(named, error, committed)) {
        // Said once while it goes on failing the same way, however often the game saves.
        const std::string said = "could not save the game: " + error;
        if (sayAgain || said != lastSaid_) {
            platform::logMessage("%s", said.c_str());
        }
        lastSaid_ = said;
        failed_ = true;
        return false;
    }
    lastSaid_.clear();
    return true;
}

}  // namespace gyrelle::store
