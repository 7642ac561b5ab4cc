#include "solver/Classes.h"

#include <algorithm>

#include "solver/Cubies.h"
#include "solver/Symmetry.h"

namespace gyrelle::solver {

namespace {

constexpr std::uint16_t kUnsorted = 0xFFFF;
// Permutations sorted, or classes moved, between two looks at the clock.
constexpr int kSortChunk = 1 << 12, kMoveChunk = 1 << 10;

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

SymmetryClasses::SymmetryClasses()
    : twistSeen_(new std::uint16_t[M::kTwists * 8]),
      flipSeen_(new std::uint16_t[M::kFlips * 8]),
      sliceSeen_(new std::uint16_t[M::kSlices * 8]) {
    for (Classes* c : {&corners_, &edges_}) {
        c->of.reset(new std::uint16_t[M::kPerms]);
        std::fill(c->of.get(), c->of.get() + M::kPerms, kUnsorted);
    }
}

std::size_t SymmetryClasses::bytes() const {
    std::size_t total = sizeof(SymmetryClasses) + 2 * 8 * (M::kTwists + M::kFlips + M::kSlices);
    for (const Classes* c : {&corners_, &edges_}) {
        total += 2 * M::kPerms + c->first.size() * (3 + 2 * M::kPhase2Turns);
    }
    for (const Classes* c : {&flips_, &slices_}) {
        total += c->first.size() * 3;
    }
    return total + 2 * (M::kFlips + M::kSlices);
}

bool SymmetryClasses::step(int stage) {
    switch (stage) {
        case 0:
            return sortIntoClasses(corners_, true);
        case 1:
            return sortIntoClasses(edges_, false);
        case 2:
            return moveClasses(corners_, true);
        case 3:
            return moveClasses(edges_, false);
        default:
            smallTables();
            return true;
    }
}

// Each permutation not yet in a class begins one, with all the symmetries make of it.
bool SymmetryClasses::sortIntoClasses(Classes& classes, bool corners) {
    const int from = next_;
    next_ = std::min(M::kPerms, from + kSortChunk);
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
    const bool done = next_ == M::kPerms;
    next_ = done ? 0 : next_;
    return done;
}

bool SymmetryClasses::moveClasses(Classes& classes, bool corners) {
    const int count = static_cast<int>(classes.first.size());
    if (next_ == 0) {
        classes.move.reset(new std::uint16_t[count * M::kPhase2Turns]);
    }
    const int from = next_;
    next_ = std::min(count, from + kMoveChunk);
    for (int cls = from; cls < next_; ++cls) {
        Cubies c;
        corners ? c.setCornerPerm(classes.first[cls]) : c.setUdEdgePerm(classes.first[cls]);
        for (int p = 0; p < M::kPhase2Turns; ++p) {
            Cubies d = c;
            if (corners) {
                d.cornersTimes(faceTurn(M::kPhase2Turn[p]));
            } else {
                d.edgesTimes(faceTurn(M::kPhase2Turn[p]));
            }
            classes.move[cls * M::kPhase2Turns + p] =
                classes.of[corners ? d.cornerPerm() : d.udEdgePerm()];
        }
    }
    const bool done = next_ == count;
    next_ = done ? 0 : next_;
    return done;
}

// Phase 1's coordinates seen through the symmetries, and the flips' and slices' classes;
// phase 2's slice order and U edges' places seen through them; the symmetries' own
// tables.
void SymmetryClasses::smallTables() {
    auto seen = [](const Cubies& c, int s) {
        return symmetry::cube(s).times(c).times(symmetry::cube(symmetry::inverse(s)));
    };
    // The twists and slices seen through all eight; the flips through the four that flip
    // no edge (a quarter turn about U-D flips the middle layer's, by the slice).
    constexpr int kAll = 0xFF, kFlipKeeping = 0x55;
    for (int s = 0; s < symmetry::kCount; ++s) {
        for (int v = 0; v < M::kTwists; ++v) {
            Cubies c;
            c.setTwist(v);
            twistSeen_[v * 8 + s] = static_cast<std::uint16_t>(seen(c, s).twist());
        }
        for (int v = 0; v < M::kFlips; ++v) {
            Cubies c;
            c.setFlip(v);
            flipSeen_[v * 8 + s] =
                kFlipKeeping >> s & 1 ? static_cast<std::uint16_t>(seen(c, s).flip()) : 0;
        }
        for (int v = 0; v < M::kSlices; ++v) {
            Cubies c;
            c.setSliceSorted(v * M::kSliceOrders);
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
    sort(flips_, M::kFlips, kFlipKeeping, flipSeen_.get());
    sort(slices_, M::kSlices, kAll, sliceSeen_.get());

    int phase2Of[kFaceTurns];
    std::fill(phase2Of, phase2Of + kFaceTurns, -1);
    for (int p = 0; p < M::kPhase2Turns; ++p) {
        phase2Of[M::kPhase2Turn[p]] = p;
    }
    for (int s = 0; s < symmetry::kCount; ++s) {
        for (int p = 0; p < M::kPhase2Turns; ++p) {
            turnSeen_[s][p] =
                static_cast<std::uint8_t>(phase2Of[symmetry::turn(s, M::kPhase2Turn[p])]);
        }
        for (int r = 0; r < symmetry::kCount; ++r) {
            symTimes_[s][r] = static_cast<std::uint8_t>(symmetry::times(s, r));
        }
    }
    for (int order = 0; order < M::kSliceOrders; ++order) {
        Cubies c;
        c.setSliceSorted(order);
        for (int s = 0; s < symmetry::kCount; ++s) {
            sliceOrderSeen_[order * 8 + s] =
                static_cast<std::uint8_t>(seen(c, s).sliceSorted() % M::kSliceOrders);
        }
    }
    for (int mask = 0; mask < 256; ++mask) {
        Cubies c;
        if (!M::upCombCube(mask, c)) {
            continue;
        }
        for (int s = 0; s < symmetry::kCount; ++s) {
            upCombSeen_[M::upComb(c) * 8 + s] = static_cast<std::uint8_t>(M::upComb(seen(c, s)));
        }
    }
    for (int mask = 0; mask < 256; ++mask) {
        Cubies c;
        if (!M::upCornersCube(mask, c)) {
            continue;
        }
        for (int s = 0; s < symmetry::kCount; ++s) {
            upCornersSeen_[M::upCorners(c) * 8 + s] =
                static_cast<std::uint8_t>(M::upCorners(seen(c, s)));
        }
    }
    for (int oc = 0; oc < M::kOrderCombs; ++oc) {
        for (int s = 0; s < symmetry::kCount; ++s) {
            orderCombSeen_[oc * 8 + s] =
                static_cast<std::uint16_t>(sliceOrderSeen(oc / M::kUpCombs, s) * M::kUpCombs +
                                           upCombSeen(oc % M::kUpCombs, s));
            orderCornersSeen_[oc * 8 + s] =
                static_cast<std::uint16_t>(sliceOrderSeen(oc / M::kUpCombs, s) * M::kUpCombs +
                                           upCornersSeen(oc % M::kUpCombs, s));
        }
    }
}

}  // namespace gyrelle::solver
