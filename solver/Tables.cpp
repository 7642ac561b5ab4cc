#include "solver/Tables.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "solver/Cubies.h"
#include "solver/Symmetry.h"

namespace gyrelle::solver {

namespace {

constexpr int kEmpty = 15;
constexpr std::uint16_t kUnsorted = 0xFFFF;
// Entries of a table handled between two looks at the clock.
constexpr int kChunk = 1 << 14;

// The corners, or the edges, of `a` after `b`: what Cubies::times does for one kind only.
void cornersTimes(Cubies& a, const Cubies& b) {
    std::uint8_t cp[8], co[8];
    for (int i = 0; i < 8; ++i) {
        cp[i] = a.cp[b.cp[i]];
        co[i] = static_cast<std::uint8_t>((a.co[b.cp[i]] + b.co[i]) % 3);
    }
    std::memcpy(a.cp, cp, 8);
    std::memcpy(a.co, co, 8);
}

void edgesTimes(Cubies& a, const Cubies& b) {
    std::uint8_t ep[12], eo[12];
    for (int i = 0; i < 12; ++i) {
        ep[i] = a.ep[b.ep[i]];
        eo[i] = static_cast<std::uint8_t>((a.eo[b.ep[i]] + b.eo[i]) % 2);
    }
    std::memcpy(a.ep, ep, 12);
    std::memcpy(a.eo, eo, 12);
}

int nibble(const std::uint8_t* t, int i) {
    return (t[i >> 1] >> ((i & 1) * 4)) & 15;
}

void setNibble(std::uint8_t* t, int i, int value) {
    const int shift = (i & 1) * 4;
    t[i >> 1] = static_cast<std::uint8_t>((t[i >> 1] & ~(15 << shift)) | (value << shift));
}

// A permutation of eight (the corners, or the U and D edges) seen through symmetry `s`:
// the places of S_s x S_s^-1.
int permSeen(int perm, int s, bool corners) {
    const Cubies& sym = symmetry::cube(s);
    const Cubies& back = symmetry::cube(symmetry::inverse(s));
    Cubies x;
    if (corners) {
        x.setCornerPerm(perm);
        return sym.times(x).times(back).cornerPerm();
    }
    x.setUdEdgePerm(perm);
    return sym.times(x).times(back).udEdgePerm();
}

}  // namespace

Tables::Tables()
    : twistMove_(new std::uint16_t[kTwists * 18]),
      flipMove_(new std::uint16_t[kFlips * 18]),
      sliceMove_(new std::uint16_t[kSlices * 18]),
      twistSeen_(new std::uint16_t[kTwists * 8]),
      flipSeen_(new std::uint16_t[kFlips * 8]),
      sliceSeen_(new std::uint16_t[kSlices * 8]) {
    for (Classes* c : {&corners_, &edges_}) {
        c->of.reset(new std::uint16_t[kPerms]);
        std::fill(c->of.get(), c->of.get() + kPerms, kUnsorted);
    }
}

Tables::~Tables() = default;

int Tables::classCount(Pruning table) const {
    switch (table) {
        case TwistSlice:
            return static_cast<int>(slices_.first.size());
        case FlipSlice:
        case TwistFlip:
            return static_cast<int>(flips_.first.size());
        case EdgeOrder:
            return edgeClasses();
        default:
            return cornerClasses();
    }
}

std::size_t Tables::bytes() const {
    std::size_t total = sizeof(Tables) + 2 * (18 + 8) * (kTwists + kFlips + kSlices);
    for (const Classes* c : {&corners_, &edges_}) {
        total += 2 * kPerms + c->first.size() * (3 + 2 * kPhase2Turns);
    }
    for (const Classes* c : {&flips_, &slices_}) {
        total += c->first.size() * 3;
    }
    total += 2 * (kFlips + kSlices);
    for (int t = 0; t < kPrunings; ++t) {
        total += (static_cast<std::size_t>(size(static_cast<Pruning>(t))) + 3) / 4;
    }
    return total;
}

int Tables::upComb(const Cubies& c) {
    int rank = 0, found = 0;
    for (int place = 0; place < 8; ++place) {
        if (c.ep[place] < 4) {
            rank += choose(place, ++found);
        }
    }
    return rank;
}

bool Tables::build(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (stage_ < kStages) {
        if (step()) {
            ++stage_;
            next_ = depth_ = filled_ = 0;
            grew_ = false;
        }
        if (Clock::now() >= end) {
            break;
        }
    }
    return built();
}

// Each permutation not yet in a class begins one, with all the symmetries make of it.
bool Tables::sortIntoClasses(Classes& classes, bool corners) {
    const int from = next_;
    next_ = std::min(kPerms, from + kChunk / 4);
    for (int perm = from; perm < next_; ++perm) {
        if (classes.of[perm] != kUnsorted) {
            continue;
        }
        const int cls = static_cast<int>(classes.first.size());
        classes.first.push_back(static_cast<std::uint16_t>(perm));
        int keep = 0;
        for (int s = 0; s < symmetry::kCount; ++s) {
            // seen = S_s perm S_s^-1, so S_s^-1 seen S_s is the first
            const int seen = permSeen(perm, s, corners);
            if (classes.of[seen] == kUnsorted) {
                classes.of[seen] = static_cast<std::uint16_t>(cls << 3 | symmetry::inverse(s));
            }
            keep |= (seen == perm) << s;
        }
        classes.keep.push_back(static_cast<std::uint8_t>(keep));
    }
    return next_ == kPerms;
}

bool Tables::moveClasses(Classes& classes, bool corners) {
    const int count = static_cast<int>(classes.first.size());
    if (next_ == 0) {
        classes.move.reset(new std::uint16_t[count * kPhase2Turns]);
    }
    const int from = next_;
    next_ = std::min(count, from + kChunk / 16);
    for (int cls = from; cls < next_; ++cls) {
        Cubies c;
        corners ? c.setCornerPerm(classes.first[cls]) : c.setUdEdgePerm(classes.first[cls]);
        for (int p = 0; p < kPhase2Turns; ++p) {
            Cubies d = c;
            if (corners) {
                cornersTimes(d, faceTurn(kPhase2Turn[p]));
            } else {
                edgesTimes(d, faceTurn(kPhase2Turn[p]));
            }
            classes.move[cls * kPhase2Turns + p] =
                classes.of[corners ? d.cornerPerm() : d.udEdgePerm()];
        }
    }
    return next_ == count;
}

// Phase 1's coordinates seen through the symmetries, and the flips' and slices' classes;
// phase 2's slice order and U edges' places, their moves and symmetries; the symmetries'
// own tables.
void Tables::smallTables() {
    auto seen = [](const Cubies& c, int s) {
        return symmetry::cube(s).times(c).times(symmetry::cube(symmetry::inverse(s)));
    };
    // The twists and slices seen through all eight; the flips through the four that flip
    // no edge (a quarter turn about U-D flips the middle layer's, by the slice).
    constexpr int kAll = 0xFF, kFlipKeeping = 0x55;
    for (int s = 0; s < symmetry::kCount; ++s) {
        for (int v = 0; v < kTwists; ++v) {
            Cubies c;
            c.setTwist(v);
            twistSeen_[v * 8 + s] = static_cast<std::uint16_t>(seen(c, s).twist());
        }
        for (int v = 0; v < kFlips; ++v) {
            Cubies c;
            c.setFlip(v);
            flipSeen_[v * 8 + s] =
                kFlipKeeping >> s & 1 ? static_cast<std::uint16_t>(seen(c, s).flip()) : 0;
        }
        for (int v = 0; v < kSlices; ++v) {
            Cubies c;
            c.setSliceSorted(v * kSliceOrders);
            sliceSeen_[v * 8 + s] = static_cast<std::uint16_t>(seen(c, s).slice());
        }
    }
    auto sort = [](Classes& classes, int size, int symmetries, const std::uint16_t* seenTable) {
        classes.of.reset(new std::uint16_t[size]);
        std::fill(classes.of.get(), classes.of.get() + size, kUnsorted);
        for (int v = 0; v < size; ++v) {
            if (classes.of[v] != kUnsorted) {
                continue;
            }
            const int cls = static_cast<int>(classes.first.size());
            classes.first.push_back(static_cast<std::uint16_t>(v));
            int keep = 0;
            for (int s = 0; s < symmetry::kCount; ++s) {
                if (symmetries >> s & 1) {
                    const int w = seenTable[v * 8 + s];
                    if (classes.of[w] == kUnsorted) {
                        classes.of[w] = static_cast<std::uint16_t>(cls << 3 | symmetry::inverse(s));
                    }
                    keep |= (w == v) << s;
                }
            }
            classes.keep.push_back(static_cast<std::uint8_t>(keep));
        }
    };
    sort(flips_, kFlips, kFlipKeeping, flipSeen_.get());
    sort(slices_, kSlices, kAll, sliceSeen_.get());

    int phase2Of[kFaceTurns];
    std::fill(phase2Of, phase2Of + kFaceTurns, -1);
    for (int p = 0; p < kPhase2Turns; ++p) {
        phase2Of[kPhase2Turn[p]] = p;
    }
    for (int s = 0; s < symmetry::kCount; ++s) {
        for (int p = 0; p < kPhase2Turns; ++p) {
            turnSeen_[s][p] =
                static_cast<std::uint8_t>(phase2Of[symmetry::turn(s, kPhase2Turn[p])]);
        }
        for (int r = 0; r < symmetry::kCount; ++r) {
            symTimes_[s][r] = static_cast<std::uint8_t>(symmetry::times(s, r));
        }
    }
    for (int order = 0; order < kSliceOrders; ++order) {
        Cubies c;
        c.setSliceSorted(order);  // the middle-layer edges at home, in order `order`
        for (int p = 0; p < kPhase2Turns; ++p) {
            Cubies d = c;
            edgesTimes(d, faceTurn(kPhase2Turn[p]));
            sliceOrderMove_[order * kPhase2Turns + p] =
                static_cast<std::uint16_t>(d.sliceSorted() % kSliceOrders);
        }
        for (int s = 0; s < symmetry::kCount; ++s) {
            sliceOrderSeen_[order * 8 + s] =
                static_cast<std::uint8_t>(seen(c, s).sliceSorted() % kSliceOrders);
        }
    }
    // Each choice of four of the eight U and D places for the U edges.
    for (int mask = 0; mask < 256; ++mask) {
        if (__builtin_popcount(static_cast<unsigned>(mask)) != 4) {
            continue;
        }
        Cubies c;
        int up = 0, down = 4;
        for (int place = 0; place < 8; ++place) {
            c.ep[place] = static_cast<std::uint8_t>(mask >> place & 1 ? up++ : down++);
        }
        const int comb = upComb(c);
        for (int p = 0; p < kPhase2Turns; ++p) {
            Cubies d = c;
            edgesTimes(d, faceTurn(kPhase2Turn[p]));
            upCombMove_[comb * kPhase2Turns + p] = static_cast<std::uint16_t>(upComb(d));
        }
        for (int s = 0; s < symmetry::kCount; ++s) {
            upCombSeen_[comb * 8 + s] = static_cast<std::uint8_t>(upComb(seen(c, s)));
        }
    }
}

int Tables::neighbour(Pruning table, int cls, int seen, int t) const {
    switch (table) {
        case TwistSlice: {
            const int m = slices_.of[sliceMove(slices_.first[cls], t)];
            return (m >> 3) * kTwists + twistSeen(twistMove(seen, t), m & 7);
        }
        case FlipSlice: {
            const int m = flips_.of[flipMove(flips_.first[cls], t)];
            return (m >> 3) * kSlices + sliceSeen(sliceMove(seen, t), m & 7);
        }
        case TwistFlip: {
            const int m = flips_.of[flipMove(flips_.first[cls], t)];
            return (m >> 3) * kTwists + twistSeen(twistMove(seen, t), m & 7);
        }
        case CornerOrder: {
            const int m = cornerClassMove(cls, t);
            return (m >> 3) * kSliceOrders + sliceOrderSeen(sliceOrderMove(seen, t), m & 7);
        }
        case EdgeOrder: {
            const int m = edgeClassMove(cls, t);
            return (m >> 3) * kSliceOrders + sliceOrderSeen(sliceOrderMove(seen, t), m & 7);
        }
        default: {
            const int m = cornerClassMove(cls, t);
            return (m >> 3) * kUpCombs + upCombSeen(upCombMove(seen, t), m & 7);
        }
    }
}

int Tables::keeps(Pruning table, int cls) const {
    switch (table) {
        case TwistSlice:
            return slices_.keep[cls];
        case FlipSlice:
        case TwistFlip:
            return flips_.keep[cls];
        case EdgeOrder:
            return edges_.keep[cls];
        default:
            return corners_.keep[cls];
    }
}

int Tables::seenAgain(Pruning table, int seen, int s) const {
    switch (table) {
        case TwistSlice:
        case TwistFlip:
            return twistSeen(seen, s);
        case FlipSlice:
            return sliceSeen(seen, s);
        case CornerUpComb:
            return upCombSeen(seen, s);
        default:
            return sliceOrderSeen(seen, s);
    }
}

// One chunk of spreading a depth through a pruning table. A class whose first some
// symmetries leave as it is has pairs that are one position seen through those: they
// are given their depth together, as a search may meet any of them.
bool Tables::spread(Pruning table) {
    switch (table) {
        case TwistSlice:
            return spreadOn<TwistSlice>();
        case FlipSlice:
            return spreadOn<FlipSlice>();
        case TwistFlip:
            return spreadOn<TwistFlip>();
        case CornerOrder:
            return spreadOn<CornerOrder>();
        case EdgeOrder:
            return spreadOn<EdgeOrder>();
        default:
            return spreadOn<CornerUpComb>();
    }
}

// The work of neighbour(), split: what a turn makes of the class's first, once for a
// class, then of each seen coordinate.
template <Tables::Pruning table>
bool Tables::spreadOn() {
    constexpr int turns = table <= TwistFlip ? 18 : kPhase2Turns;
    constexpr int seenCount = seenSize(table);
    const int count = size(table);
    auto seenMoved = [this](int seen, int t, int s) {
        if constexpr (table == TwistSlice || table == TwistFlip) {
            return twistSeen(twistMove(seen, t), s);
        } else if constexpr (table == FlipSlice) {
            return sliceSeen(sliceMove(seen, t), s);
        } else if constexpr (table == CornerUpComb) {
            return upCombSeen(upCombMove(seen, t), s);
        } else {
            return sliceOrderSeen(sliceOrderMove(seen, t), s);
        }
    };
    if (next_ == 0 && depth_ == 0 && filled_ == 0) {
        whole_.reset(new std::uint8_t[(count + 1) / 2]);
        std::memset(whole_.get(), 0xFF, (static_cast<std::size_t>(count) + 1) / 2);
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
    for (int cls = from / seenCount; cls * seenCount < next_; ++cls) {
        for (int t = 0; t < turns; ++t) {
            const int m = neighbour(table, cls, 0, t);
            base[t] = m - m % seenCount;
            // The symmetry the turn's result is seen through: that of the first's move.
            int s;
            if constexpr (table == TwistSlice) {
                s = slices_.of[sliceMove(slices_.first[cls], t)] & 7;
            } else if constexpr (table <= TwistFlip) {
                s = flips_.of[flipMove(flips_.first[cls], t)] & 7;
            } else if constexpr (table == EdgeOrder) {
                s = edgeClassMove(cls, t) & 7;
            } else {
                s = cornerClassMove(cls, t) & 7;
            }
            sym[t] = s;
        }
        const int end = std::min(next_, (cls + 1) * seenCount);
        for (int i = std::max(from, cls * seenCount); i < end; ++i) {
            const int d = nibble(whole, i);
            if (backward_ ? d != kEmpty : d != depth_) {
                continue;
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
                    const int keep = keeps(table, j / seenCount);
                    setNibble(whole, j, depth_ + 1);
                    ++filled_;
                    for (int s = 1; s < symmetry::kCount; ++s) {
                        if (keep >> s & 1) {
                            const int k = j - j % seenCount + seenAgain(table, j % seenCount, s);
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
    std::memset(packed, 0, (static_cast<std::size_t>(count) + 3) / 4);
    for (int i = 0; i < count; ++i) {
        packed[i >> 2] |= static_cast<std::uint8_t>((nibble(whole, i) % 3) << ((i & 3) * 2));
    }
    whole_.reset();
    return true;
}

int Tables::depth(Pruning table, int cls, int seen) const {
    const int turns = table <= TwistFlip ? 18 : kPhase2Turns;
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

bool Tables::step() {
    const int from = next_;
    // The phase-1 move tables, an entry at a time: the coordinate set in a cube, the cube
    // turned, the coordinate read back.
    auto moves = [&](int size, auto&& entry) {
        next_ = std::min(size, from + kChunk / 16);
        for (int v = from; v < next_; ++v) {
            entry(v);
        }
        return next_ == size;
    };
    switch (stage_) {
        case 0:
            return moves(kTwists, [&](int v) {
                Cubies c;
                c.setTwist(v);
                for (int t = 0; t < 18; ++t) {
                    Cubies d = c;
                    cornersTimes(d, faceTurn(t));
                    twistMove_[v * 18 + t] = static_cast<std::uint16_t>(d.twist());
                }
            });
        case 1:
            return moves(kFlips, [&](int v) {
                Cubies c;
                c.setFlip(v);
                for (int t = 0; t < 18; ++t) {
                    Cubies d = c;
                    edgesTimes(d, faceTurn(t));
                    flipMove_[v * 18 + t] = static_cast<std::uint16_t>(d.flip());
                }
            });
        case 2:
            return moves(kSlices, [&](int v) {
                Cubies c;
                c.setSliceSorted(v * kSliceOrders);
                for (int t = 0; t < 18; ++t) {
                    Cubies d = c;
                    edgesTimes(d, faceTurn(t));
                    sliceMove_[v * 18 + t] = static_cast<std::uint16_t>(d.slice());
                }
            });
        case 3:
            return sortIntoClasses(corners_, true);
        case 4:
            return sortIntoClasses(edges_, false);
        case 5:
            return moveClasses(corners_, true);
        case 6:
            return moveClasses(edges_, false);
        case 7:
            smallTables();
            return true;
        default:
            // The pruning tables, spread from home one depth at a time: every pair at the
            // depth reached passes it on to what one turn makes of it; once most pairs
            // have a depth, the others look for a neighbour at that depth instead. Then
            // each depth is kept modulo 3.
            return spread(static_cast<Pruning>(stage_ - kMoveStages));
    }
}

}  // namespace gyrelle::solver
