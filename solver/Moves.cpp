#include "solver/Moves.h"

#include <algorithm>

#include "solver/Cubies.h"

namespace gyrelle::solver {

namespace {
// Entries of a table made between two looks at the clock.
constexpr int kChunk = 1 << 10;
}  // namespace

MoveTables::MoveTables()
    : twistMove_(new std::uint16_t[kTwists * 18]),
      flipMove_(new std::uint16_t[kFlips * 18]),
      sliceMove_(new std::uint16_t[kSlices * 18]) {}

std::size_t MoveTables::bytes() const {
    return sizeof(MoveTables) + 2 * 18 * (kTwists + kFlips + kSlices);
}

namespace {

// The places of the four pieces numbered below 4 (the U ones) among eight, in the
// combinatorial number system.
int upPlaces(const std::uint8_t* pieces) {
    int rank = 0, found = 0;
    for (int place = 0; place < 8; ++place) {
        if (pieces[place] < 4) {
            rank += choose(place, ++found);
        }
    }
    return rank;
}

// The U pieces at the places of `mask`, the D ones at the others.
bool placeUp(int mask, std::uint8_t* pieces) {
    if (__builtin_popcount(static_cast<unsigned>(mask)) != 4) {
        return false;
    }
    int up = 0, down = 4;
    for (int place = 0; place < 8; ++place) {
        pieces[place] = static_cast<std::uint8_t>(mask >> place & 1 ? up++ : down++);
    }
    return true;
}

}  // namespace

int MoveTables::upComb(const Cubies& c) {
    return upPlaces(c.ep);
}

bool MoveTables::upCombCube(int mask, Cubies& c) {
    c = Cubies();
    return placeUp(mask, c.ep);
}

int MoveTables::upCorners(const Cubies& c) {
    return upPlaces(c.cp);
}

bool MoveTables::upCornersCube(int mask, Cubies& c) {
    c = Cubies();
    return placeUp(mask, c.cp);
}

bool MoveTables::step(int stage) {
    const int from = next_;
    // An entry at a time: the coordinate set in a cube, the cube turned, the coordinate
    // read back.
    auto moves = [&](int size, auto&& entry) {
        next_ = std::min(size, from + kChunk);
        for (int v = from; v < next_; ++v) {
            entry(v);
        }
        const bool done = next_ == size;
        next_ = done ? 0 : next_;
        return done;
    };
    switch (stage) {
        case 0:
            return moves(kTwists, [&](int v) {
                Cubies c;
                c.setTwist(v);
                for (int t = 0; t < 18; ++t) {
                    Cubies d = c;
                    d.cornersTimes(faceTurn(t));
                    twistMove_[v * 18 + t] = static_cast<std::uint16_t>(d.twist());
                }
            });
        case 1:
            return moves(kFlips, [&](int v) {
                Cubies c;
                c.setFlip(v);
                for (int t = 0; t < 18; ++t) {
                    Cubies d = c;
                    d.edgesTimes(faceTurn(t));
                    flipMove_[v * 18 + t] = static_cast<std::uint16_t>(d.flip());
                }
            });
        case 2:
            return moves(kSlices, [&](int v) {
                Cubies c;
                c.setSliceSorted(v * kSliceOrders);
                for (int t = 0; t < 18; ++t) {
                    Cubies d = c;
                    d.edgesTimes(faceTurn(t));
                    sliceMove_[v * 18 + t] = static_cast<std::uint16_t>(d.slice());
                }
            });
        default:
            break;
    }
    // Phase 2's small ones, at once.
    for (int order = 0; order < kSliceOrders; ++order) {
        Cubies c;
        c.setSliceSorted(order);  // the middle-layer edges at home, in order `order`
        for (int p = 0; p < kPhase2Turns; ++p) {
            Cubies d = c;
            d.edgesTimes(faceTurn(kPhase2Turn[p]));
            sliceOrderMove_[order * kPhase2Turns + p] =
                static_cast<std::uint16_t>(d.sliceSorted() % kSliceOrders);
        }
    }
    // Each choice of four of the eight U and D places for the U edges.
    for (int mask = 0; mask < 256; ++mask) {
        Cubies c;
        if (!upCombCube(mask, c)) {
            continue;
        }
        const int comb = upComb(c);
        for (int p = 0; p < kPhase2Turns; ++p) {
            Cubies d = c;
            d.edgesTimes(faceTurn(kPhase2Turn[p]));
            upCombMove_[comb * kPhase2Turns + p] = static_cast<std::uint16_t>(upComb(d));
        }
    }
    // And of the U corners among the corner places.
    for (int mask = 0; mask < 256; ++mask) {
        Cubies c;
        if (!upCornersCube(mask, c)) {
            continue;
        }
        const int comb = upCorners(c);
        for (int p = 0; p < kPhase2Turns; ++p) {
            Cubies d = c;
            d.cornersTimes(faceTurn(kPhase2Turn[p]));
            upCornersMove_[comb * kPhase2Turns + p] = static_cast<std::uint16_t>(upCorners(d));
        }
    }
    for (int oc = 0; oc < kOrderCombs; ++oc) {
        for (int p = 0; p < kPhase2Turns; ++p) {
            orderCombMove_[oc * kPhase2Turns + p] = static_cast<std::uint16_t>(
                sliceOrderMove(oc / kUpCombs, p) * kUpCombs + upCombMove(oc % kUpCombs, p));
            orderCornersMove_[oc * kPhase2Turns + p] = static_cast<std::uint16_t>(
                sliceOrderMove(oc / kUpCombs, p) * kUpCombs + upCornersMove(oc % kUpCombs, p));
        }
    }
    return true;
}

}  // namespace gyrelle::solver
