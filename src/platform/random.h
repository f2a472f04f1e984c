// The program-wide pseudo-random generator: a lagged generator over 34 words with two
// rotations per step, seeded by a linear congruential fill.
#pragma once

#include <cstdint>

struct RandomState {
    std::uint32_t W[34] = {};
    std::int32_t P = 0;
    std::int32_t Q = 0;
};
extern RandomState Random;

void InitRandom();  // seeds from the millisecond tick count
void SeedRandom(std::uint32_t seed);
// The seeding's linear congruential fill alone (p = 0, q = 10); SeedRandom is this followed by
// 31 discarded steps.
void FillRandom(std::uint32_t seed);
std::uint64_t RandomStep();
std::int32_t RandomUpTo(std::int32_t max);
