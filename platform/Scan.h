#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>

namespace gyrelle::platform {

// An integer read from text. Saved files may hold numbers longer than an int: the low
// 8 bits are always kept (256 reads as 0, -1 as 255); the value only when it fits.
struct ScannedInt {
    std::uint8_t low8 = 0;
    bool fitsInt = false;
    int value = 0;
};

// Where one conversion of scanText stores its result.
class ScanTarget {
  public:
    ScanTarget(ScannedInt* i) : integer_(i) {}  // NOLINT: implicit by design
    ScanTarget(float* f) : real_(f) {}          // NOLINT: implicit by design

    ScannedInt* integer() const { return integer_; }
    float* real() const { return real_; }

  private:
    ScannedInt* integer_ = nullptr;
    float* real_ = nullptr;
};

// Reads `in` the way fscanf reads it with `format`, for formats made only of literal
// characters, white space (matching any run of white space, including none), "%d" and
// "%f". Unlike fscanf, "%d" is defined for every integer up to 256 digits, and no number
// longer than 256 characters is read (it is a mismatch, consumed whole). Stops at the
// first mismatch with at most one character pushed back, as stdio does, so the next
// read continues where this one failed. Returns the number of conversions stored.
int scanText(std::FILE* in, const char* format, std::initializer_list<ScanTarget> targets);

}  // namespace gyrelle::platform
