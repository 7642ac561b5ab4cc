#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "cube/MagicCube.h"

namespace gyrelle {

// Every completed change of the stickers, oldest first, and how many of them are in
// effect: the ones before `position` can be undone, the ones from it on redone.
class History {
  public:
    static constexpr size_t kMostEntries = 10000;

    // Competition: a position drawn fairly from all, set with the turns that make it.
    enum class Kind : char { Turn, Scramble, Reset, Paste, Competition };
    struct Entry {
        Kind kind;
        int code = 0;  // a turn's slice code
        // What a scramble, a reset or a pasted position replaced, and with what.
        std::shared_ptr<const std::array<MagicCube::Stickers, 2>> records;
        std::string scramble = {};  // a competition scramble's turns, in notation
        const MagicCube::Stickers& before() const { return (*records)[0]; }
        const MagicCube::Stickers& after() const { return (*records)[1]; }
    };

    // A new change: what was undone can no longer be redone, and past kMostEntries the
    // oldest is forgotten.
    void turned(int code);
    void replaced(Kind kind, const MagicCube::Stickers& before, const MagicCube::Stickers& after,
                  std::string scramble = {});

    bool canUndo() const { return position_ > 0; }
    bool canRedo() const { return position_ < entries_.size(); }
    // The entry an undo would take back, or a redo apply again.
    const Entry& toUndo() const { return entries_[position_ - 1]; }
    const Entry& toRedo() const { return entries_[position_]; }
    // It has been: the position moves past it.
    void undone() { --position_, ++changes_; }
    void redone() { ++position_, ++changes_; }
    // Moves on with every change of the history.
    unsigned long changes() const { return changes_; }

    const std::vector<Entry>& entries() const { return entries_; }
    size_t position() const { return position_; }
    // As read back from a file; `position` at most entries.size().
    void restore(std::vector<Entry> entries, size_t position);

  private:
    void add(Entry entry);

    std::vector<Entry> entries_;
    size_t position_ = 0;
    unsigned long changes_ = 0;
};

}  // namespace gyrelle
