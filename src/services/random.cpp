// The two random generators. The default one is a Mersenne twister whose
// state is filled by a linear congruential step from a 32-bit seed; the fast
// one is that linear congruential generator alone.
#include "random.h"

#include <cstdint>

namespace svc {

namespace {

constexpr int mtSize = 624;
constexpr int mtMiddle = 397;

struct Random {
    int algorithm = defaultGenerator;
    std::uint32_t mt[mtSize] = {};
    int position = mtSize;
    std::uint32_t fast = 0;
    double last = 0;
};

Random rng;

void seedDefault(std::uint32_t seed) {
    rng.mt[0] = seed;
    for (int i = 1; i < mtSize; i++) rng.mt[i] = rng.mt[i - 1] * 1664525u + 1013904223u;
    rng.position = mtSize;
}

void regenerate() {
    for (int i = 0; i < mtSize; i++) {
        const std::uint32_t y = (rng.mt[i] & 0x80000000u) | (rng.mt[(i + 1) % mtSize] & 0x7FFFFFFFu);
        rng.mt[i] = rng.mt[(i + mtMiddle) % mtSize] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
    }
    rng.position = 0;
}

std::uint32_t nextDefault() {
    if (rng.position >= mtSize) regenerate();
    std::uint32_t y = rng.mt[rng.position++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

// Truncation toward zero to 64 bits; values that do not fit (and NaN) give
// the processor's "integer indefinite", whose low word is 0.
std::uint32_t seedWord(double seed) {
    if (!(seed > -9223372036854775808.0 && seed < 9223372036854775808.0)) return 0;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(seed)));
}

const bool randomReady = (resetRandom(), true);

}  // namespace

void seedRandom(double seed, int algorithm) {
    const std::uint32_t word = seedWord(seed);
    if (algorithm == fastGenerator) {
        rng.algorithm = fastGenerator;
        rng.fast = word;
    } else {
        rng.algorithm = defaultGenerator;
        seedDefault(word);
    }
}

double randomUnit(float n) {
    if (n == 0.0f) return rng.last;
    std::uint32_t word;
    if (rng.algorithm == fastGenerator) {
        rng.fast = rng.fast * 1664525u + 1013904223u;
        word = rng.fast;
    } else {
        word = nextDefault();
    }
    rng.last = static_cast<double>(word) / 4294967296.0;
    return rng.last;
}

void resetRandom() {
    rng = Random{};
    seedDefault(0);
}

}  // namespace svc
