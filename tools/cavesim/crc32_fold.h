// CRC-32 (IEEE, reflected) folded with carry-less multiplication, where the processor has it.
#pragma once

#include <cstddef>
#include <cstdint>

// 128-bit lanes one at a time, or two to a 256-bit register where the processor multiplies both
// at once. Both give the same CRC; the test runs each the processor has.
enum class Crc32Fold { Narrow, Wide };

// Whether this processor can fold that way; false on every build without the instructions.
bool CanFoldCrc32(Crc32Fold fold);
// The wide fold where the processor has it, else the narrow one.
Crc32Fold FastestCrc32Fold();
// How many of `size` bytes the fold takes: whole 16-byte blocks, at least 128 bytes, else none.
inline std::size_t FoldableBytes(std::size_t size) { return size < 128 ? 0 : size / 16 * 16; }
// Advances the raw CRC register `crc` (not inverted before or after) over `size` bytes, a
// FoldableBytes amount, the way `fold` says (one CanFoldCrc32 allows).
std::uint32_t FoldCrc32(const unsigned char* bytes, std::size_t size, std::uint32_t crc,
                        Crc32Fold fold);
