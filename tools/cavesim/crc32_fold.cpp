#include "crc32_fold.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

#define CAVE_FOLD_TARGET __attribute__((target("pclmul,sse4.1")))
#define CAVE_WIDE_FOLD_TARGET __attribute__((target("pclmul,sse4.1,avx2,vpclmulqdq")))

namespace {

// Each constant is x^n mod P (P the IEEE polynomial), bit-reflected and shifted left by one, for
// the distance a fold carries a 128-bit lane: low half n = d + 32, high half n = d - 32.
constexpr long long kFold1024Low = 0x1e88ef372;  // eight lanes ahead: d = 1024
constexpr long long kFold1024High = 0x14a7fe880;
constexpr long long kFold128Low = 0x1751997d0;  // the next lane: d = 128
constexpr long long kFold128High = 0x0ccaa009e;
constexpr long long kFold64 = 0x163cd6124;      // x^64 mod P: 64 bits down to 32 plus a carry
constexpr long long kPolynomial = 0x1db710641;  // P, reflected, for the Barrett reduction
constexpr long long kBarrettMu = 0x1f7011641;   // floor(x^64 / P), reflected

constexpr int kLanes = 8;
constexpr std::size_t kLaneBytes = 16;
constexpr std::size_t kBlock = kLanes * kLaneBytes;

CAVE_FOLD_TARGET __m128i Load(const unsigned char* bytes) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// Carries `lane` forward over the distance that `k` encodes and adds the data found there.
CAVE_FOLD_TARGET __m128i Fold(__m128i lane, __m128i k, __m128i data) {
    const __m128i low = _mm_clmulepi64_si128(lane, k, 0x00);
    const __m128i high = _mm_clmulepi64_si128(lane, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), data);
}

// The eight lanes folded into the last one, each carried over the lanes after it.
CAVE_FOLD_TARGET __m128i JoinLanes(const __m128i (&lanes)[kLanes]) {
    const __m128i k128 = _mm_set_epi64x(kFold128High, kFold128Low);
    __m128i lane = lanes[0];
    for (int i = 1; i < kLanes; ++i) lane = Fold(lane, k128, lanes[i]);
    return lane;
}

// The 128-bit remainder down to the 32-bit CRC register.
CAVE_FOLD_TARGET std::uint32_t Reduce(__m128i lane) {
    const __m128i k128 = _mm_set_epi64x(kFold128High, kFold128Low);
    lane = _mm_xor_si128(_mm_srli_si128(lane, 8), _mm_clmulepi64_si128(k128, lane, 0x01));
    const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);
    const __m128i k64 = _mm_set_epi64x(0, kFold64);
    lane = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(lane, low32), k64, 0x00),
                         _mm_srli_si128(lane, 4));
    const __m128i barrett = _mm_set_epi64x(kBarrettMu, kPolynomial);
    __m128i quotient = _mm_clmulepi64_si128(_mm_and_si128(lane, low32), barrett, 0x10);
    quotient = _mm_clmulepi64_si128(_mm_and_si128(quotient, low32), barrett, 0x00);
    return static_cast<std::uint32_t>(_mm_extract_epi32(_mm_xor_si128(quotient, lane), 1));
}

// Eight lanes of 128 bits, all carried over the same distance at once: 1024 bits of data a round
// keep the multiplier busy while each product is still on its way.
CAVE_FOLD_TARGET __m128i FoldNarrow(const unsigned char* bytes, std::size_t size, std::uint32_t crc,
                                    std::size_t& at) {
    __m128i lanes[kLanes];
    for (int i = 0; i < kLanes; ++i) lanes[i] = Load(bytes + i * kLaneBytes);
    lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(static_cast<int>(crc)));
    const __m128i k1024 = _mm_set_epi64x(kFold1024High, kFold1024Low);
    for (at = kBlock; at + kBlock <= size; at += kBlock) {
        for (int i = 0; i < kLanes; ++i) {
            lanes[i] = Fold(lanes[i], k1024, Load(bytes + at + i * kLaneBytes));
        }
    }
    return JoinLanes(lanes);
}

CAVE_WIDE_FOLD_TARGET __m256i LoadPair(const unsigned char* bytes) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
}

// The same eight lanes, two to a 256-bit register, where the processor multiplies both at once.
CAVE_WIDE_FOLD_TARGET __m128i FoldWide(const unsigned char* bytes, std::size_t size,
                                       std::uint32_t crc, std::size_t& at) {
    constexpr int kPairs = kLanes / 2;
    __m256i pairs[kPairs];
    for (int i = 0; i < kPairs; ++i) pairs[i] = LoadPair(bytes + 2 * i * kLaneBytes);
    pairs[0] = _mm256_xor_si256(pairs[0],
                                _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(crc))));
    const __m256i k1024 =
        _mm256_set_epi64x(kFold1024High, kFold1024Low, kFold1024High, kFold1024Low);
    for (at = kBlock; at + kBlock <= size; at += kBlock) {
        for (int i = 0; i < kPairs; ++i) {
            const __m256i low = _mm256_clmulepi64_epi128(pairs[i], k1024, 0x00);
            const __m256i high = _mm256_clmulepi64_epi128(pairs[i], k1024, 0x11);
            pairs[i] = _mm256_xor_si256(_mm256_xor_si256(low, high),
                                        LoadPair(bytes + at + 2 * i * kLaneBytes));
        }
    }
    __m128i lanes[kLanes];
    for (int i = 0; i < kPairs; ++i) {
        lanes[2 * i] = _mm256_castsi256_si128(pairs[i]);
        lanes[2 * i + 1] = _mm256_extracti128_si256(pairs[i], 1);
    }
    return JoinLanes(lanes);
}

}  // namespace

bool CanFoldCrc32(Crc32Fold fold) {
    const bool narrow = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    if (fold == Crc32Fold::Narrow) return narrow;
    return narrow && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
}

CAVE_FOLD_TARGET std::uint32_t FoldCrc32(const unsigned char* bytes, std::size_t size,
                                         std::uint32_t crc, Crc32Fold fold) {
    std::size_t at = 0;
    __m128i lane =
        fold == Crc32Fold::Wide ? FoldWide(bytes, size, crc, at) : FoldNarrow(bytes, size, crc, at);
    const __m128i k128 = _mm_set_epi64x(kFold128High, kFold128Low);
    for (; at < size; at += kLaneBytes) lane = Fold(lane, k128, Load(bytes + at));
    return Reduce(lane);
}

#else

bool CanFoldCrc32(Crc32Fold) { return false; }

std::uint32_t FoldCrc32(const unsigned char*, std::size_t, std::uint32_t crc, Crc32Fold) {
    return crc;
}

#endif

Crc32Fold FastestCrc32Fold() {
    return CanFoldCrc32(Crc32Fold::Wide) ? Crc32Fold::Wide : Crc32Fold::Narrow;
}
