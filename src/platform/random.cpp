#include "platform/random.h"

#include "platform/platform_reset.h"
#include "platform/system.h"

RandomState Random;

namespace {

constexpr std::uint32_t kFillMultiplier = 0xAC564B05u;
constexpr int kWarmUpSteps = 31;
constexpr std::int32_t kLastPair = 16;

std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

std::int32_t PreviousPair(std::int32_t index) { return index == 0 ? kLastPair : index - 1; }

// One step of the generator; RandomUpTo takes it inline, as it runs for every cave pixel.
inline std::uint64_t Step() {
    // The indices move on before the words are touched: the next step then need not wait for
    // this one's stores, which is what limits the cave's painting.
    const std::int32_t p = Random.P;
    const std::int32_t q = Random.Q;
    Random.P = PreviousPair(p);
    Random.Q = PreviousPair(q);
    std::uint32_t* pairP = &Random.W[2 * p];
    const std::uint32_t* pairQ = &Random.W[2 * q];
    // The halves cross: the new low word comes from the old high word and the reverse.
    const std::uint32_t lo = RotateLeft(pairP[1], 27) + pairQ[1];
    const std::uint32_t hi = RotateLeft(pairP[0], 19) + pairQ[0];
    pairP[0] = lo;
    pairP[1] = hi;
    return (static_cast<std::uint64_t>(hi) << 32) | lo;
}

}  // namespace

void InitRandom() { SeedRandom(TickCount()); }

void SeedRandom(std::uint32_t seed) {
    FillRandom(seed);
    for (int i = 0; i < kWarmUpSteps; ++i) RandomStep();
}

void FillRandom(std::uint32_t seed) {
    std::uint32_t x = seed;
    for (std::uint32_t& word : Random.W) {
        x = x * kFillMultiplier + 1u;
        word = x;
    }
    Random.P = 0;
    Random.Q = 10;
}

std::uint64_t RandomStep() { return Step(); }

std::int32_t RandomUpTo(std::int32_t max) {
    const std::uint64_t r = Step();
    if (max < 0) return INT32_MIN;
    // The high 64 bits of r * (max + 1), formed from 32-bit halves so that nothing overflows.
    const std::uint64_t range = static_cast<std::uint64_t>(max) + 1u;
    const std::uint64_t lowPart = ((r & 0xFFFFFFFFu) * range) >> 32;
    const std::uint64_t high = (r >> 32) * range + lowPart;
    return static_cast<std::int32_t>(high >> 32);
}

void ResetRandomState() { Random = RandomState{}; }
