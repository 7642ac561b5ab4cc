#include "cube/Random.h"

#include <chrono>
#include <cstdint>

namespace gyrelle {

namespace {
unsigned clockSeed() {
    auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<unsigned>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
}
}  // namespace

ClockSeededRandom::ClockSeededRandom() : ClockSeededRandom(clockSeed()) {}

ClockSeededRandom::ClockSeededRandom(unsigned seed) {
    std::int32_t word = static_cast<std::int32_t>(seed == 0 ? 1 : seed);
    state_[0] = word;
    for (int i = 1; i < kDegree; ++i) {
        // 16807 * word % 2147483647 without overflow (Schrage), as srandom() does.
        const long hi = word / 127773, lo = word % 127773;
        long next = 16807 * lo - 2836 * hi;
        if (next < 0) {
            next += 2147483647;
        }
        state_[i] = word = static_cast<std::int32_t>(next);
    }
    for (int i = 0; i < kDegree * 10; ++i) {
        next();
    }
}

long ClockSeededRandom::next() {
    const std::uint32_t sum =
        static_cast<std::uint32_t>(state_[front_]) + static_cast<std::uint32_t>(state_[rear_]);
    state_[front_] = static_cast<std::int32_t>(sum);
    front_ = (front_ + 1) % kDegree;
    rear_ = (rear_ + 1) % kDegree;
    return static_cast<long>(sum >> 1);
}

}  // namespace gyrelle
