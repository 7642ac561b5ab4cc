#include "solver/Scramble.h"

#include <utility>

namespace gyrelle::solver {

namespace {

// A number uniform in 0..n-1, with no bias: draws that would favour the low numbers are
// drawn again.
std::uint32_t below(std::uint32_t n, const std::function<std::uint32_t()>& random) {
    const std::uint32_t limit = 0xFFFFFFFFu - 0xFFFFFFFFu % n;
    for (;;) {
        const std::uint32_t r = random();
        if (r < limit) {
            return r % n;
        }
    }
}

template <int N>
int shuffle(std::uint8_t (&p)[N], const std::function<std::uint32_t()>& random) {
    int parity = 0;
    for (int i = N - 1; i > 0; --i) {
        const int j = static_cast<int>(below(static_cast<std::uint32_t>(i + 1), random));
        if (j != i) {
            std::swap(p[i], p[j]);
            parity ^= 1;
        }
    }
    return parity;
}

}  // namespace

Cubies randomPosition(const std::function<std::uint32_t()>& random) {
    Cubies c;
    const int corners = shuffle(c.cp, random);
    const int edges = shuffle(c.ep, random);
    if (corners != edges) {
        // Of each permutation of the other parity, exactly one swap makes one of this
        // parity: every permutation of the right parity is as likely as every other.
        std::swap(c.ep[10], c.ep[11]);
    }
    c.setTwist(static_cast<int>(below(2187, random)));
    c.setFlip(static_cast<int>(below(2048, random)));
    return c;
}

Cubies competitionPosition(const std::function<std::uint32_t()>& random) {
    Cubies c;
    do {
        c = randomPosition(random);
    } while (withinOneTurn(c));
    return c;
}

bool withinOneTurn(const Cubies& cube) {
    if (cube == Cubies()) {
        return true;
    }
    for (int t = 0; t < kFaceTurns; ++t) {
        if (cube == faceTurn(t)) {
            return true;
        }
    }
    return false;
}

}  // namespace gyrelle::solver
