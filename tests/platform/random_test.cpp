#include "platform/random.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::int32_t> Draw(std::uint32_t seed, std::int32_t max, int count) {
    SeedRandom(seed);
    std::vector<std::int32_t> values;
    for (int i = 0; i < count; ++i) values.push_back(RandomUpTo(max));
    return values;
}

TEST(Random, SeedZeroFillsTheWordsAndWarmsUp) {
    FillRandom(0);
    EXPECT_EQ(Random.W[0], 0x00000001u);
    EXPECT_EQ(Random.W[1], 0xAC564B06u);
    EXPECT_EQ(Random.W[2], 0xE1AE391Fu);
    EXPECT_EQ(Random.P, 0);
    EXPECT_EQ(Random.Q, 10);
    SeedRandom(0);
    EXPECT_EQ(Random.P, 3);
    EXPECT_EQ(Random.Q, 13);
}

TEST(Random, FirstStepsAfterSeedZero) {
    SeedRandom(0);
    EXPECT_EQ(RandomStep(), 0x8B910D6160217BDFull);
    EXPECT_EQ(RandomStep(), 0xC8AFE081ED8E05C2ull);
}

TEST(Random, KnownSequences) {
    EXPECT_EQ(Draw(0, 99, 10), (std::vector<std::int32_t>{54, 78, 66, 37, 23, 62, 63, 42, 26, 46}));
    EXPECT_EQ(Draw(12345, 255, 10),
              (std::vector<std::int32_t>{71, 181, 169, 87, 149, 70, 77, 180, 54, 218}));
}

TEST(Random, NegativeMaximumStillUsesUpAStep) {
    SeedRandom(0);
    EXPECT_EQ(RandomUpTo(-1), INT32_MIN);
    EXPECT_EQ(RandomUpTo(99), 78);
}

TEST(Random, ZeroMaximumGivesZeroAndAdvances) {
    SeedRandom(0);
    EXPECT_EQ(RandomUpTo(0), 0);
    EXPECT_EQ(RandomUpTo(0), 0);
    EXPECT_EQ(RandomUpTo(99), 66);
}

TEST(Random, LargestMaximumUsesTheTopBits) {
    SeedRandom(0);
    const std::uint64_t first = RandomStep();
    SeedRandom(0);
    EXPECT_EQ(RandomUpTo(INT32_MAX), static_cast<std::int32_t>(first >> 33));
}

TEST(Random, ReseedingRestartsTheSequence) {
    SeedRandom(777);
    const auto first = Draw(777, 7000, 5);
    RandomUpTo(10);
    EXPECT_EQ(Draw(777, 7000, 5), first);
}

TEST(Random, SeedsZeroAndOneShareTheFillShiftedByOneWord) {
    FillRandom(0);
    const RandomState zero = Random;
    FillRandom(1);
    for (int n = 0; n < 33; ++n) EXPECT_EQ(Random.W[n], zero.W[n + 1]) << n;
    EXPECT_EQ(Draw(1, 99, 1), std::vector<std::int32_t>{72});
    EXPECT_EQ(Draw(0, 99, 1), std::vector<std::int32_t>{54});
}

}  // namespace
