// Both random generators pinned to exact outputs. The expected words were
// computed apart from this code: the fast generator by hand, the default one
// by loading the linearly seeded state into the reference Mersenne Twister of
// another language's standard library and taking its 32-bit outputs.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "random.h"
#include "sandbox.h"

namespace {

constexpr double two32 = 4294967296.0;

class RandomTest : public ::testing::Test {
protected:
    sandbox::Sandbox box{false};
};

TEST_F(RandomTest, DefaultGeneratorUsesTheLinearSeeding) {
    // Seed -> {draw number (1-based) -> tempered word}.
    const std::map<double, std::map<int, std::uint32_t>> pins = {
        {0.0,
         {{1, 1417766733u},
          {2, 1413209507u},
          {3, 2286996103u},
          {624, 750487635u},
          {625, 1968666426u},
          {1000, 907978055u}}},
        {12345.7,
         {{1, 214456958u},
          {2, 1679725369u},
          {3, 1766403005u},
          {624, 2389030245u},
          {625, 3848219186u},
          {1000, 886306664u}}},
        // Truncation toward zero, low 32 bits: -1.9 -> -1 -> 0xFFFFFFFF.
        {-1.9, {{1, 1556751702u}, {2, 2678866200u}, {624, 3472162683u}, {625, 70886692u}}},
        // 2^32 + 5 keeps its low word 5.
        {4294967301.0, {{1, 3192480244u}, {2, 3309327759u}, {3, 849306140u}, {1000, 2563071318u}}},
    };
    for (const auto& [seed, draws] : pins) {
        SCOPED_TRACE(seed);
        svc::seedRandom(seed, svc::defaultGenerator);
        int n = 0;
        for (const auto& [index, word] : draws) {
            double r = 0;
            while (n < index) {
                r = svc::randomUnit(1);
                n++;
            }
            EXPECT_EQ(r, word / two32) << "draw " << index;
        }
    }
}

TEST_F(RandomTest, FastGeneratorIsTheLinearRecurrence) {
    svc::seedRandom(3600.9, svc::fastGenerator);
    EXPECT_EQ(svc::randomUnit(1), 2711226927u / two32);
    EXPECT_NEAR(2711226927u / two32, 0.6312567, 1e-7);
    EXPECT_EQ(svc::randomUnit(5), 3488035266u / two32);
    EXPECT_EQ(svc::randomUnit(1), 3304179257u / two32);

    svc::seedRandom(-0.5, svc::fastGenerator);  // truncates to 0: x = 1013904223 first
    EXPECT_EQ(svc::randomUnit(1), 1013904223u / two32);
    svc::seedRandom(4294967295.0, svc::fastGenerator);
    EXPECT_EQ(svc::randomUnit(1), 1012239698u / two32);
    EXPECT_EQ(svc::randomUnit(1), 806866057u / two32);
}

TEST_F(RandomTest, ZeroRepeatsAndReseedingRestarts) {
    for (int algorithm : {svc::defaultGenerator, svc::fastGenerator}) {
        SCOPED_TRACE(algorithm);
        svc::seedRandom(77, algorithm);
        const double a = svc::randomUnit(1);
        EXPECT_EQ(svc::randomUnit(0), a);
        EXPECT_EQ(svc::randomUnit(0), a);
        const double b = svc::randomUnit(1);
        EXPECT_NE(a, b);
        svc::seedRandom(77, algorithm);
        EXPECT_EQ(svc::randomUnit(0), b);  // seeding does not touch the last number
        EXPECT_EQ(svc::randomUnit(1), a);
        EXPECT_EQ(svc::randomUnit(1), b);
    }
}

TEST_F(RandomTest, SeedsThatDoNotFitGiveWordZero) {
    svc::seedRandom(0, svc::defaultGenerator);
    const double zeroFirst = svc::randomUnit(1);
    for (double seed : {1e300, -1e300, 9223372036854775808.0}) {
        svc::seedRandom(seed, svc::defaultGenerator);
        EXPECT_EQ(svc::randomUnit(1), zeroFirst) << seed;
    }
}

}  // namespace
