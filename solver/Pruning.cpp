#include "solver/Pruning.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "solver/Symmetry.h"

namespace gyrelle::solver {

namespace {

constexpr int kEmpty = 15;
// A one in each nibble of a word.
constexpr std::uint64_t kNibbles = 0x1111111111111111;
// Entries of a table handled between two looks at the clock.
constexpr int kChunk = 1 << 14;

int nibble(const std::uint8_t* t, int i) {
    return (t[i >> 1] >> ((i & 1) * 4)) & 15;
}

void setNibble(std::uint8_t* t, int i, int value) {
    const int shift = (i & 1) * 4;
    t[i >> 1] = static_cast<std::uint8_t>((t[i >> 1] & ~(15 << shift)) | (value << shift));
}

}  // namespace

int PruningTables::classCount(Pruning table) const {
    switch (table) {
        case TwistSlice:
            return classes_.sliceClasses();
        case FlipSlice:
        case TwistFlip:
            return classes_.flipClasses();
        case EdgeOrder:
            return classes_.edgeClasses();
        default:
            return classes_.cornerClasses();
    }
}

std::size_t PruningTables::bytes() const {
    std::size_t total = sizeof(PruningTables);
    for (int t = 0; t < kPrunings; ++t) {
        const auto entries = static_cast<std::size_t>(size(static_cast<Pruning>(t)));
        total += (entries + 3) / 4;
        if (kWholePhase2 && t >= EdgeOrder) {
            total += (entries + 15) / 16 * 8;
        }
    }
    return total;
}

int PruningTables::neighbour(Pruning table, int cls, int seen, int t) const {
    switch (table) {
        case TwistSlice: {
            const int m = classes_.sliceSym(moves_.sliceMove(classes_.sliceFirst(cls), t));
            return (m >> 3) * M::kTwists + classes_.twistSeen(moves_.twistMove(seen, t), m & 7);
        }
        case FlipSlice: {
            const int m = classes_.flipSym(moves_.flipMove(classes_.flipFirst(cls), t));
            return (m >> 3) * M::kSlices + classes_.sliceSeen(moves_.sliceMove(seen, t), m & 7);
        }
        case TwistFlip: {
            const int m = classes_.flipSym(moves_.flipMove(classes_.flipFirst(cls), t));
            return (m >> 3) * M::kTwists + classes_.twistSeen(moves_.twistMove(seen, t), m & 7);
        }
        case EdgeOrder: {
            const int m = classes_.edgeClassMove(cls, t);
            if constexpr (kEdgesWithCorners) {
                return (m >> 3) * M::kOrderCorners +
                       classes_.orderCornersSeen(moves_.orderCornersMove(seen, t), m & 7);
            }
            return (m >> 3) * M::kSliceOrders +
                   classes_.sliceOrderSeen(moves_.sliceOrderMove(seen, t), m & 7);
        }
        default: {
            const int m = classes_.cornerClassMove(cls, t);
            return (m >> 3) * M::kOrderCombs +
                   classes_.orderCombSeen(moves_.orderCombMove(seen, t), m & 7);
        }
    }
}

// One chunk of spreading a depth through a pruning table. A class whose first some
// symmetries leave as it is has pairs that are one position seen through those: they
// are given their depth together, as a search may meet any of them.
bool PruningTables::step(int stage) {
    const Pruning table = static_cast<Pruning>(stage);
    switch (table) {
        case TwistSlice:
            return spreadOn<TwistSlice>();
        case FlipSlice:
            return spreadOn<FlipSlice>();
        case TwistFlip:
            return spreadOn<TwistFlip>();
        case EdgeOrder:
            return spreadOn<EdgeOrder>();
        default:
            return spreadOn<CornerOrderComb>();
    }
}

// The work of neighbour(), split: what a turn makes of the class's first, once for a
// class, then of each seen coordinate.
template <PruningTables::Pruning table>
bool PruningTables::spreadOn() {
    constexpr int turns = table <= TwistFlip ? 18 : M::kPhase2Turns;
    constexpr int seenCount = seenSize(table);
    const int count = size(table);
    // The tables' addresses held here: the depths written as bytes could be anything to
    // the compiler, which would fetch them again after each write.
    const std::uint16_t* move;  // what a turn makes of the seen coordinate
    int moveStride;
    const auto* seenThrough = [&] {  // a seen coordinate seen through a symmetry
        if constexpr (table == TwistSlice || table == TwistFlip) {
            return classes_.twistSeen_.get();
        } else if constexpr (table == FlipSlice) {
            return classes_.sliceSeen_.get();
        } else if constexpr (table == CornerOrderComb) {
            return &classes_.orderCombSeen_[0];
        } else if constexpr (kEdgesWithCorners) {
            return &classes_.orderCornersSeen_[0];
        } else {
            return &classes_.sliceOrderSeen_[0];
        }
    }();
    if constexpr (table == TwistSlice || table == TwistFlip) {
        move = moves_.twistMove_.get(), moveStride = 18;
    } else if constexpr (table == FlipSlice) {
        move = moves_.sliceMove_.get(), moveStride = 18;
    } else if constexpr (table == CornerOrderComb) {
        move = moves_.orderCombMove_, moveStride = M::kPhase2Turns;
    } else if constexpr (kEdgesWithCorners) {
        move = moves_.orderCornersMove_, moveStride = M::kPhase2Turns;
    } else {
        move = moves_.sliceOrderMove_, moveStride = M::kPhase2Turns;
    }
    // The symmetries that leave a class's first as it is.
    const std::uint8_t* keeps = table == TwistSlice  ? classes_.slices_.keep.data()
                                : table <= TwistFlip ? classes_.flips_.keep.data()
                                : table == EdgeOrder ? classes_.edges_.keep.data()
                                                     : classes_.corners_.keep.data();
    auto seenMoved = [move, moveStride, seenThrough](int seen, int t, int s) {
        return static_cast<int>(seenThrough[move[seen * moveStride + t] * 8 + s]);
    };
    auto keepsOf = [keeps](int cls) { return static_cast<int>(keeps[cls]); };
    auto seenAgainOf = [seenThrough](int seen, int s) {
        return static_cast<int>(seenThrough[seen * 8 + s]);
    };
    if (next_ == 0 && depth_ == 0 && filled_ == 0) {
        // Whole words, for the search a word at a time.
        const std::size_t bytes = (static_cast<std::size_t>(count) + 15) / 16 * 8;
        whole_.reset(new std::uint8_t[bytes]);
        std::memset(whole_.get(), 0xFF, bytes);
        setNibble(whole_.get(), 0, 0);
        filled_ = 1;
    }
    if (next_ == 0) {  // a whole depth is spread one way
        backward_ = filled_ > count / 2;
    }
    std::uint8_t* whole = whole_.get();
    const int from = next_;
    next_ = std::min(count, from + kChunk);
    int base[turns], sym[turns];
    int cls = -1;
    // Sixteen depths a word: the entries looked for found a word at a time, as most
    // words hold none.
    const std::uint64_t wanted = kNibbles * static_cast<std::uint64_t>(backward_ ? kEmpty : depth_);
    for (int at = from; at < next_; at += 16) {
        std::uint64_t word;
        std::memcpy(&word, whole + at / 2, sizeof word);
        std::uint64_t differ = word ^ wanted;
        differ |= differ >> 1;
        differ |= differ >> 2;
        for (std::uint64_t found = ~differ & kNibbles; found != 0; found &= found - 1) {
            const int i = at + std::countr_zero(found) / 4;
            if (i >= next_) {
                break;
            }
            if (i / seenCount != cls) {
                cls = i / seenCount;
                for (int t = 0; t < turns; ++t) {
                    const int m = neighbour(table, cls, 0, t);
                    base[t] = m - m % seenCount;
                    // The symmetry the turn's result is seen through: that of the first's
                    // move.
                    int s;
                    if constexpr (table == TwistSlice) {
                        s = classes_.sliceSym(moves_.sliceMove(classes_.sliceFirst(cls), t)) & 7;
                    } else if constexpr (table <= TwistFlip) {
                        s = classes_.flipSym(moves_.flipMove(classes_.flipFirst(cls), t)) & 7;
                    } else if constexpr (table == EdgeOrder) {
                        s = classes_.edgeClassMove(cls, t) & 7;
                    } else {
                        s = classes_.cornerClassMove(cls, t) & 7;
                    }
                    sym[t] = s;
                }
            }
            const int seen = i - cls * seenCount;
            for (int t = 0; t < turns; ++t) {
                const int j = base[t] + seenMoved(seen, t, sym[t]);
                if (backward_) {
                    if (nibble(whole, j) == depth_) {
                        setNibble(whole, i, depth_ + 1);
                        ++filled_;
                        grew_ = true;
                        break;
                    }
                } else if (nibble(whole, j) == kEmpty) {
                    const int keep = keepsOf(j / seenCount);
                    setNibble(whole, j, depth_ + 1);
                    ++filled_;
                    for (int s = 1; s < symmetry::kCount; ++s) {
                        if (keep >> s & 1) {
                            const int k = j - j % seenCount + seenAgainOf(j % seenCount, s);
                            if (nibble(whole, k) == kEmpty) {
                                setNibble(whole, k, depth_ + 1);
                                ++filled_;
                            }
                        }
                    }
                    grew_ = true;
                }
            }
        }
    }
    if (next_ < count) {
        return false;
    }
    if (grew_ && filled_ < count) {
        ++depth_;
        next_ = 0;
        grew_ = false;
        return false;
    }
    pruning_[table].reset(new std::uint8_t[(count + 3) / 4]);
    std::uint8_t* packed = pruning_[table].get();
    // A byte of two depths, as two depths modulo 3 in four bits: a byte of the table from
    // two, rather than an entry at a time.
    std::uint8_t mod3[256];
    for (int b = 0; b < 256; ++b) {
        mod3[b] = static_cast<std::uint8_t>((b & 15) % 3 | (b >> 4) % 3 << 2);
    }
    for (int k = 0; k < (count + 3) / 4; ++k) {
        packed[k] = static_cast<std::uint8_t>(mod3[whole[2 * k]] | mod3[whole[2 * k + 1]] << 4);
    }
    if (kWholePhase2 && table >= EdgeOrder) {
        whole2_[table - EdgeOrder] = std::move(whole_);
    }
    whole_.reset();
    next_ = depth_ = filled_ = 0;
    grew_ = false;
    return true;
}

int PruningTables::depth(Pruning table, int cls, int seen) const {
    const int turns = table <= TwistFlip ? 18 : M::kPhase2Turns;
    const int seenCount = seenSize(table);
    int i = index(table, cls, seen), d = 0;
    while (i != 0) {
        const int lower = (depthMod3(table, i) + 2) % 3;
        int t = 0;
        while (t < turns &&
               depthMod3(table, neighbour(table, i / seenCount, i % seenCount, t)) != lower) {
            ++t;  // a pair away from home has a neighbour one nearer
        }
        if (t == turns) {
            return d;  // cannot be, for a pair of any position; and still no more than its depth
        }
        i = neighbour(table, i / seenCount, i % seenCount, t);
        ++d;
    }
    return d;
}

}  // namespace gyrelle::solver
