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
    initstate_r(seed, state_, sizeof state_, &data_);
}

long ClockSeededRandom::next() {
    std::int32_t value = 0;
    random_r(&data_, &value);
    return value;
}

}  // namespace gyrelle
