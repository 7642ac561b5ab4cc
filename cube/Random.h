#pragma once

#include <cstdint>

namespace gyrelle {

// Where a scramble's turns come from: each value 0 .. 2^31 - 1, as random() gives.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual long next() = 0;
};

// The C library's random() generator (glibc's additive feedback generator of degree 31,
// computed here so that every platform scrambles alike), with a state of its own
// rather than the process-wide one, seeded with the low 32 bits of a high-resolution
// clock.
class ClockSeededRandom : public RandomSource {
  public:
    ClockSeededRandom();
    explicit ClockSeededRandom(unsigned seed);
    long next() override;

  private:
    static constexpr int kDegree = 31;
    static constexpr int kSeparation = 3;
    std::int32_t state_[kDegree] = {};
    int front_ = kSeparation;
    int rear_ = 0;
};

}  // namespace gyrelle
