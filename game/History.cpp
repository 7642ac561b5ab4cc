#include "game/History.h"

namespace gyrelle {

void History::turned(int code) {
    add({Kind::Turn, code, nullptr});
}

void History::replaced(Kind kind, const MagicCube::Stickers& before,
                       const MagicCube::Stickers& after, std::string scramble) {
    auto records = std::make_shared<std::array<MagicCube::Stickers, 2>>();
    (*records)[0] = before;
    (*records)[1] = after;
    add({kind, 0, std::move(records), std::move(scramble)});
}

void History::add(Entry entry) {
    entries_.resize(position_);
    if (entries_.size() >= kMostEntries) {
        entries_.erase(entries_.begin(), entries_.end() - (kMostEntries - 1));
    }
    entries_.push_back(std::move(entry));
    position_ = entries_.size();
    ++changes_;
}

void History::restore(std::vector<Entry> entries, size_t position) {
    entries_ = std::move(entries);
    position_ = position <= entries_.size() ? position : entries_.size();
    ++changes_;
}

}  // namespace gyrelle
