#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "solver/Phase1Depths.h"

namespace gyrelle::store {

// Phase 1's whole depths (solver::Phase1Depths) kept in the game's folder, so that they
// are built once, not at each start:
//
//   gyrelle depths 1 <bytes> <checksum: 16 hex digits>
//   <the bytes>
//
// A file that is not whole (cut short, changed on the disk, of another build's size) is
// not taken: the depths are built again and the file replaced. Never through a link.
constexpr long kLargestDepthsFile = 80'000'000;

// False, taking nothing, with `problem` empty when there is no file, else saying why.
bool readDepths(const std::string& path, solver::Phase1Depths& depths, std::string& problem);
bool writeDepths(const std::string& path, const solver::Phase1Depths& depths, std::string& error);

// In a page they are kept as one piece of the browser's storage, named as the file's
// first line begins: the depths' bytes, then their checksum (eight bytes, least first).
inline constexpr char kDepthsKept[] = "gyrelle depths 1";

// The checksum, added up a part at a time (each but the last a multiple of eight bytes),
// so that a page need not stop for all 70 MB at once.
class DepthsChecksum {
  public:
    explicit DepthsChecksum(std::size_t size) : sum_(size) {}
    void add(const std::uint8_t* bytes, std::size_t size);
    std::uint64_t sum() const { return sum_; }
    // As the piece ends with it.
    std::array<std::uint8_t, 8> bytes() const;

  private:
    std::uint64_t sum_;
};

// Takes the piece (depths.size() + 8 bytes) when it ends with `sum`, the checksum of the
// depths' bytes before it: false, taking nothing, if not.
bool takeKeptDepths(std::unique_ptr<std::uint8_t[]> kept, const DepthsChecksum& sum,
                    solver::Phase1Depths& depths);

}  // namespace gyrelle::store
