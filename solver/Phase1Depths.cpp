#include "solver/Phase1Depths.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "solver/Symmetry.h"

namespace gyrelle::solver {

namespace {

constexpr std::uint32_t kUnsorted = 0xFFFFFFFF;
constexpr int kEmpty = 3;
// A one in each two-bit entry of a word.
constexpr std::uint64_t kEntries = 0x5555555555555555;

int entry(const std::uint8_t* t, std::int64_t i) {
    return (t[i >> 2] >> ((i & 3) * 2)) & 3;
}

void setEntry(std::uint8_t* t, std::int64_t i, int value) {
    const int shift = static_cast<int>(i & 3) * 2;
    t[i >> 2] = static_cast<std::uint8_t>((t[i >> 2] & ~(3 << shift)) | (value << shift));
}

}  // namespace

std::size_t Phase1Depths::bytes() const {
    return sizeof(*this) + sizeof(std::uint32_t) * (of_ ? kFlipSlices : 0) + first_.size() * 5 +
           (built() || building_ ? size() : 0);
}

bool Phase1Depths::sortIntoClasses() {
    return sortSome(kFlipSlices);
}

bool Phase1Depths::sortSome(int count) {
    if (!of_) {
        of_.reset(new (std::nothrow) std::uint32_t[kFlipSlices]);
        if (!of_) {
            failed_ = true;
            return false;
        }
        std::fill(of_.get(), of_.get() + kFlipSlices, kUnsorted);
        first_.clear();
        keep_.clear();
        sortedTo_ = 0;
    }
    const int end = std::min(kFlipSlices, sortedTo_ + count);
    for (int fs = sortedTo_; fs < end; ++fs) {
        if (of_[fs] != kUnsorted) {
            continue;
        }
        const auto cls = static_cast<std::uint32_t>(first_.size());
        first_.push_back(static_cast<std::uint32_t>(fs));
        Cubies c;
        c.setSliceSorted(fs % M::kSlices * M::kSliceOrders);
        c.setFlip(fs / M::kSlices);
        int keep = 0;
        for (int s = 0; s < symmetry::kCount; ++s) {
            Cubies seen = symmetry::cube(s);
            seen.edgesTimes(c);
            seen.edgesTimes(symmetry::cube(symmetry::inverse(s)));
            const int w = seen.flip() * M::kSlices + seen.slice();
            if (of_[w] == kUnsorted) {
                of_[w] = cls << 3 | static_cast<std::uint32_t>(symmetry::inverse(s));
            }
            keep |= (w == fs) << s;
        }
        keep_.push_back(static_cast<std::uint8_t>(keep));
    }
    sortedTo_ = end;
    return sorted();
}

int Phase1Depths::neighbour(int i, int turn) const {
    const int fs = static_cast<int>(first_[i / M::kTwists]);
    return index(moves_.twistMove(i % M::kTwists, turn), moves_.flipMove(fs / M::kSlices, turn),
                 moves_.sliceMove(fs % M::kSlices, turn));
}

// Spread from home a depth at a time, as the pruning tables are, but kept modulo 3 from
// the start (3 for none yet): at depth d the entries whose value is d % 3 are d or d - 3
// deep, and those d - 3 deep have no neighbour left without a depth. Once most entries
// have one, each of the others looks for a neighbour at d instead (a neighbour of an
// entry more than d deep is at least d deep: d % 3 is d).
bool Phase1Depths::build(const std::atomic<bool>& stop) {
    while (!buildSome(1024)) {
        if (failed_ || stop.load(std::memory_order_relaxed)) {
            return false;
        }
    }
    return true;
}

bool Phase1Depths::buildSome(int count) {
    if (depths_) {
        return true;
    }
    if (failed_ || !sorted()) {
        failed_ = true;
        return false;
    }
    const auto classes = static_cast<int>(first_.size());
    if (!building_) {
        building_.reset(new (std::nothrow) std::uint8_t[size()]);
        if (!building_) {
            failed_ = true;
            return false;
        }
        cleared_ = 0;
        filled_ = 1;
        depth_ = cls_ = 0;
        grew_ = 0;
    }
    if (cleared_ < size()) {
        // Seventy megabytes to fill: a part a call too.
        const std::size_t n =
            std::min(size() - cleared_, static_cast<std::size_t>(count) * M::kTwists / 4 + 1);
        std::memset(building_.get() + cleared_, 0xFF, n);
        cleared_ += n;
        if (cleared_ < size()) {
            return false;
        }
        setEntry(building_.get(), 0, 0);
    }
    spread(std::min(classes, cls_ + count));
    if (cls_ < classes) {
        return false;
    }
    filled_ += grew_;
    if (grew_ == 0 || filled_ == static_cast<std::int64_t>(classes) * M::kTwists) {
        depths_ = std::move(building_);
        return true;
    }
    ++depth_;
    cls_ = 0;
    grew_ = 0;
    return false;
}

void Phase1Depths::spread(int end) {
    const std::int64_t count = static_cast<std::int64_t>(first_.size()) * M::kTwists;
    std::uint8_t* t = building_.get();
    const bool backward = filled_ > count / 2;
    const int now = depth_ % 3, next = (depth_ + 1) % 3;
    const std::uint64_t wanted = kEntries * static_cast<std::uint64_t>(backward ? kEmpty : now);
    std::int64_t grew = 0;
    int base[kFaceTurns], sym[kFaceTurns];
    for (int cls = cls_; cls < end; ++cls) {
        // What each turn makes of the class's first: once for all its twists.
        const int fs = static_cast<int>(first_[cls]);
        for (int turn = 0; turn < kFaceTurns; ++turn) {
            const std::uint32_t of = of_[moves_.flipMove(fs / M::kSlices, turn) * M::kSlices +
                                         moves_.sliceMove(fs % M::kSlices, turn)];
            base[turn] = static_cast<int>(of >> 3) * M::kTwists;
            sym[turn] = static_cast<int>(of & 7);
        }
        const std::int64_t from = static_cast<std::int64_t>(cls) * M::kTwists;
        const std::int64_t to = from + M::kTwists;
        // Thirty-two entries a word: those looked for found a word at a time.
        for (std::int64_t at = from & ~31; at < to; at += 32) {
            std::uint64_t word;
            std::memcpy(&word, t + at / 4, sizeof word);
            const std::uint64_t differ = word ^ wanted;
            for (std::uint64_t found = ~(differ | differ >> 1) & kEntries; found != 0;
                 found &= found - 1) {
                const std::int64_t i = at + std::countr_zero(found) / 2;
                if (i < from) {
                    continue;  // the class before's
                }
                if (i >= to) {
                    break;
                }
                const int twist = static_cast<int>(i - from);
                for (int turn = 0; turn < kFaceTurns; ++turn) {
                    const std::int64_t j =
                        base[turn] + classes_.twistSeen(moves_.twistMove(twist, turn), sym[turn]);
                    if (backward) {
                        if (entry(t, j) == now) {
                            setEntry(t, i, next);
                            ++grew;
                            break;
                        }
                        continue;
                    }
                    if (entry(t, j) != kEmpty) {
                        continue;
                    }
                    setEntry(t, j, next);
                    ++grew;
                    // A class's first that a symmetry keeps: its twists that symmetry
                    // makes of each other are one position, as deep.
                    const int keep = keep_[j / M::kTwists];
                    for (int s = 1; s < symmetry::kCount; ++s) {
                        if (keep >> s & 1) {
                            const std::int64_t k =
                                j - j % M::kTwists + classes_.twistSeen(j % M::kTwists, s);
                            if (entry(t, k) == kEmpty) {
                                setEntry(t, k, next);
                                ++grew;
                            }
                        }
                    }
                }
            }
        }
    }
    cls_ = end;
    grew_ += grew;
}

bool Phase1Depths::adopt(std::unique_ptr<std::uint8_t[]> depths, std::size_t bytes) {
    if (!depths || bytes != size() || (depths[0] & 3) != 0) {
        return false;
    }
    depths_ = std::move(depths);
    return true;
}

int Phase1Depths::depth(int twist, int flip, int slice) const {
    int i = index(twist, flip, slice), d = 0;
    while (i != 0) {
        const int lower = (depthMod3(i) + 2) % 3;
        int turn = 0;
        while (turn < kFaceTurns && depthMod3(neighbour(i, turn)) != lower) {
            ++turn;  // a position away from home has a neighbour one nearer
        }
        if (turn == kFaceTurns) {
            return d;  // only for depths not built so: still no more than the depth
        }
        i = neighbour(i, turn);
        ++d;
    }
    return d;
}

}  // namespace gyrelle::solver
