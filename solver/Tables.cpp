#include "solver/Tables.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "solver/Cubies.h"

namespace gyrelle::solver {

namespace {

constexpr int kEmpty = 15;
// Entries of a table handled between two looks at the clock.
constexpr int kChunk = 1 << 14;

constexpr int kPruningSize[Tables::kPrunings] = {
    Tables::kTwists * Tables::kSlices, Tables::kFlips* Tables::kSlices,
    Tables::kCornerPerms* Tables::kSliceOrders, Tables::kUdEdgePerms* Tables::kSliceOrders,
    Tables::kCornerPerms* Tables::kUpCombs};

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

constexpr int choose(int n, int k) {
    if (k < 0 || k > n) {
        return 0;
    }
    int c = 1;
    for (int i = 0; i < k; ++i) {
        c = c * (n - i) / (i + 1);
    }
    return c;
}

// The places of the U edges (0..3) among the eight U and D places of `c`, ranked in the
// combinatorial number system: their home places are 0.
int upCombOf(const Cubies& c) {
    int rank = 0, found = 0;
    for (int place = 0; place < 8; ++place) {
        if (c.ep[place] < 4) {
            rank += choose(place, ++found);
        }
    }
    return rank;
}

}  // namespace

Tables::Tables()
    : twistMove_(new std::uint16_t[kTwists * 18]),
      flipMove_(new std::uint16_t[kFlips * 18]),
      sliceMove_(new std::uint16_t[kSlices * 18]),
      cornerMove_(new std::uint16_t[kCornerPerms * kPhase2Turns]),
      udEdgeMove_(new std::uint16_t[kUdEdgePerms * kPhase2Turns]),
      sliceOrderMove_(new std::uint16_t[kSliceOrders * kPhase2Turns]),
      upCombMove_(new std::uint16_t[kUpCombs * kPhase2Turns]),
      upComb_(new std::uint8_t[kUdEdgePerms]) {
    for (int t = 0; t < kPrunings; ++t) {
        pruning_[t].reset(new std::uint8_t[(kPruningSize[t] + 3) / 4]);
    }
}

Tables::~Tables() = default;

std::size_t Tables::bytes() {
    std::size_t size =
        2 * (18 * (kTwists + kFlips + kSlices) +
             kPhase2Turns * (kCornerPerms + kUdEdgePerms + kSliceOrders + kUpCombs)) +
        kUdEdgePerms;
    for (int s : kPruningSize) {
        size += (static_cast<std::size_t>(s) + 3) / 4;
    }
    return size;
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

int Tables::neighbour(Pruning table, int i, int t) const {
    switch (table) {
        case TwistSlice:
            return twistMove(i / kSlices, t) * kSlices + sliceMove(i % kSlices, t);
        case FlipSlice:
            return flipMove(i / kSlices, t) * kSlices + sliceMove(i % kSlices, t);
        case CornerOrder:
            return cornerPermMove(i / kSliceOrders, t) * kSliceOrders +
                   sliceOrderMove(i % kSliceOrders, t);
        case EdgeOrder:
            return udEdgePermMove(i / kSliceOrders, t) * kSliceOrders +
                   sliceOrderMove(i % kSliceOrders, t);
        default:
            return cornerPermMove(i / kUpCombs, t) * kUpCombs +
                   upCombMove_[(i % kUpCombs) * kPhase2Turns + t];
    }
}

// One chunk of spreading a depth through a table of pairs (outer, inner), each moved by
// its own move table of `turns` turns.
void Tables::spread(int turns, int innerSize, const std::uint16_t* outerMove,
                    const std::uint16_t* innerMove) {
    std::uint8_t* whole = whole_.get();
    const int size = kPruningSize[stage_ - 7];
    const int from = next_;
    next_ = std::min(size, from + kChunk);
    int outer = from / innerSize, inner = from % innerSize;
    for (int i = from; i < next_; ++i, ++inner) {
        if (inner == innerSize) {
            inner = 0;
            ++outer;
        }
        const int d = nibble(whole, i);
        if (backward_ ? d != kEmpty : d != depth_) {
            continue;
        }
        const std::uint16_t* om = outerMove + outer * turns;
        const std::uint16_t* im = innerMove + inner * turns;
        for (int t = 0; t < turns; ++t) {
            const int j = om[t] * innerSize + im[t];
            if (backward_) {
                if (nibble(whole, j) == depth_) {
                    setNibble(whole, i, depth_ + 1);
                    ++filled_;
                    grew_ = true;
                    break;
                }
            } else if (nibble(whole, j) == kEmpty) {
                setNibble(whole, j, depth_ + 1);
                ++filled_;
                grew_ = true;
            }
        }
    }
}

int Tables::depth(Pruning table, int outer, int inner) const {
    const int turns = table <= FlipSlice ? 18 : kPhase2Turns;
    int i = index(table, outer, inner), d = 0;
    while (i != 0) {
        const int lower = (depthMod3(table, i) + 2) % 3;
        int t = 0;
        while (t < turns && depthMod3(table, neighbour(table, i, t)) != lower) {
            ++t;  // a pair away from home has a neighbour one nearer
        }
        if (t == turns) {
            return d;  // cannot be, for a pair of any position; and still no more than its depth
        }
        i = neighbour(table, i, t);
        ++d;
    }
    return d;
}

bool Tables::step() {
    const int from = next_;
    // The move tables, an entry at a time: the coordinate set in a cube, the cube turned,
    // the coordinate read back.
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
            return moves(kCornerPerms, [&](int v) {
                Cubies c;
                c.setCornerPerm(v);
                for (int p = 0; p < kPhase2Turns; ++p) {
                    Cubies d = c;
                    cornersTimes(d, faceTurn(kPhase2Turn[p]));
                    cornerMove_[v * kPhase2Turns + p] = static_cast<std::uint16_t>(d.cornerPerm());
                }
            });
        case 4:
            return moves(kUdEdgePerms, [&](int v) {
                Cubies c;
                c.setUdEdgePerm(v);
                upComb_[v] = static_cast<std::uint8_t>(upCombOf(c));
                for (int p = 0; p < kPhase2Turns; ++p) {
                    Cubies d = c;
                    edgesTimes(d, faceTurn(kPhase2Turn[p]));
                    udEdgeMove_[v * kPhase2Turns + p] = static_cast<std::uint16_t>(d.udEdgePerm());
                }
            });
        case 5:
            return moves(kSliceOrders, [&](int v) {
                Cubies c;
                c.setSliceSorted(v);  // the middle-layer edges at home, in order v
                for (int p = 0; p < kPhase2Turns; ++p) {
                    Cubies d = c;
                    edgesTimes(d, faceTurn(kPhase2Turn[p]));
                    sliceOrderMove_[v * kPhase2Turns + p] =
                        static_cast<std::uint16_t>(d.sliceSorted() % kSliceOrders);
                }
            });
        case 6:  // the U edges' places move as any permutation with those places moves
            return moves(kUdEdgePerms, [&](int v) {
                for (int p = 0; p < kPhase2Turns; ++p) {
                    upCombMove_[upComb_[v] * kPhase2Turns + p] =
                        upComb_[udEdgeMove_[v * kPhase2Turns + p]];
                }
            });
        default:
            break;
    }

    // The pruning tables, spread from home one depth at a time: every pair at the depth
    // reached passes it on to what one turn makes of it; once most pairs have a depth,
    // the others look for a neighbour at that depth instead. Then each depth is kept
    // modulo 3.
    const auto table = static_cast<Pruning>(stage_ - 7);
    const int size = kPruningSize[table];
    if (from == 0 && depth_ == 0 && filled_ == 0) {
        whole_.reset(new std::uint8_t[(size + 1) / 2]);
        std::memset(whole_.get(), 0xFF, (static_cast<std::size_t>(size) + 1) / 2);
        setNibble(whole_.get(), 0, 0);
        filled_ = 1;
    }
    if (from == 0) {  // a whole depth is spread one way
        backward_ = filled_ > size / 2;
    }
    switch (table) {
        case TwistSlice:
            spread(18, kSlices, twistMove_.get(), sliceMove_.get());
            break;
        case FlipSlice:
            spread(18, kSlices, flipMove_.get(), sliceMove_.get());
            break;
        case CornerOrder:
            spread(kPhase2Turns, kSliceOrders, cornerMove_.get(), sliceOrderMove_.get());
            break;
        case EdgeOrder:
            spread(kPhase2Turns, kSliceOrders, udEdgeMove_.get(), sliceOrderMove_.get());
            break;
        default:
            spread(kPhase2Turns, kUpCombs, cornerMove_.get(), upCombMove_.get());
            break;
    }
    if (next_ < size) {
        return false;
    }
    if (grew_ && filled_ < size) {
        ++depth_;
        next_ = 0;
        grew_ = false;
        return false;
    }
    std::uint8_t* whole = whole_.get();
    std::uint8_t* packed = pruning_[table].get();
    std::memset(packed, 0, (static_cast<std::size_t>(size) + 3) / 4);
    for (int i = 0; i < size; ++i) {
        packed[i >> 2] |= static_cast<std::uint8_t>((nibble(whole, i) % 3) << ((i & 3) * 2));
    }
    whole_.reset();
    return true;
}

}  // namespace gyrelle::solver
