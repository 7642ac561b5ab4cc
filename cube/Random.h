#pragma once

#include <cstdlib>

namespace gyrelle {

// Where a scramble's turns come from: each value 0 .. 2^31 - 1, as random() gives.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual long next() = 0;
};

// The C library's random() generator, with a state of its own rather than the
// process-wide one, seeded with the low 32 bits of a high-resolution clock.
class ClockSeededRandom : public RandomSource {
  public:
    ClockSeededRandom();
    explicit ClockSeededRandom(unsigned seed);
    ClockSeededRandom(const ClockSeededRandom&) = delete;  // the state points into itself
    ClockSeededRandom& operator=(const ClockSeededRandom&) = delete;

    long next() override;

  private:
    random_data data_{};
    char state_[128] = {};  // the size srandom() uses
};

}  // namespace gyrelle
