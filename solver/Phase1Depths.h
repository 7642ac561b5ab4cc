#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "solver/Classes.h"
#include "solver/Moves.h"

namespace gyrelle::solver {

// How many turns at least bring phase 1's three coordinates home together: the depth of
// the whole phase-1 position, where the pruning tables give a bound from pairs of it. The
// flip and the slice as one, in classes of all eight symmetries (a quarter turn about U-D
// flips the middle layer's edges, which the slice says where they are: flip alone is not
// so kept); the twist seen through the class's symmetry. 278 M entries, two bits each:
// 70 MB, and seconds to build, so built once and kept (a file on the desktop, the
// browser's storage in a page). Sorting and building go a part at a time where no thread
// is free for them (a page, between its frames).
class Phase1Depths {
  public:
    using M = MoveTables;
    static constexpr int kFlipSlices = M::kFlips * M::kSlices;

    Phase1Depths(const MoveTables& moves, const SymmetryClasses& classes)
        : moves_(moves), classes_(classes) {}

    // The classes, a tenth of a second: before build or adopt. False when there is no
    // memory for them.
    bool sortIntoClasses();
    // The same, `count` flip-slice pairs from where it stopped: true once sorted; false
    // with `failed` when there is no memory for them.
    bool sortSome(int count);
    bool sorted() const { return of_ && sortedTo_ == kFlipSlices; }
    // Builds the depths (seconds), looking at `stop` as it goes: false when it stopped or
    // there is no memory for them.
    bool build(const std::atomic<bool>& stop);
    // Once sorted: builds on for `count` classes of a depth's pass from where it stopped.
    // True once built; false with `failed` when there is no memory for the depths.
    bool buildSome(int count);
    bool failed() const { return failed_; }
    // Takes depths kept from an earlier build: false, taking nothing, when they are not
    // the size a build makes or not home at home.
    bool adopt(std::unique_ptr<std::uint8_t[]> depths, std::size_t size);
    bool built() const { return depths_ != nullptr; }
    // The depths as bytes, to be kept.
    const std::uint8_t* data() const { return depths_.get(); }
    std::size_t size() const {
        return (static_cast<std::size_t>(first_.size()) * M::kTwists + 31) / 32 * 8;
    }

    // The entry of a phase-1 position, and its depth modulo 3 (a turn changes the depth
    // by at most one).
    int index(int twist, int flip, int slice) const {
        const std::uint32_t of = of_[flip * M::kSlices + slice];
        return static_cast<int>(of >> 3) * M::kTwists + classes_.twistSeen(twist, of & 7);
    }
    int depthMod3(int i) const { return (depths_[i >> 2] >> ((i & 3) * 2)) & 3; }
    // Asks the memory for what index and depthMod3 will read: each read is far into
    // megabytes, and a node's turns asked for together wait for them together.
    void expect(int flip, int slice) const { __builtin_prefetch(&of_[flip * M::kSlices + slice]); }
    void expect(int i) const { __builtin_prefetch(&depths_[i >> 2]); }
    // The depth, found by walking home (for the start of a search).
    int depth(int twist, int flip, int slice) const;

    std::size_t bytes() const;

  private:
    int neighbour(int i, int turn) const;
    // The pass at `depth_` over the classes from `cls_` to `end`.
    void spread(int end);

    const MoveTables& moves_;
    const SymmetryClasses& classes_;
    std::unique_ptr<std::uint32_t[]> of_;  // flip * kSlices + slice: class << 3 | s
    std::vector<std::uint32_t> first_;     // each class's least
    std::vector<std::uint8_t> keep_;       // the symmetries that leave that as it is
    std::unique_ptr<std::uint8_t[]> depths_;
    int sortedTo_ = 0;
    bool failed_ = false;
    // A build under way: the depths so far, the pass and the class it is at.
    std::unique_ptr<std::uint8_t[]> building_;
    std::size_t cleared_ = 0;
    int depth_ = 0;
    int cls_ = 0;
    std::int64_t filled_ = 0;
    std::int64_t grew_ = 0;
};

}  // namespace gyrelle::solver
