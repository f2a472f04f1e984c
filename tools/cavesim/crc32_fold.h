// CRC-32 (IEEE, reflected) folded with carry-less multiplication, where the processor has it.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether this processor can fold; false on every build without the instructions.
bool CanFoldCrc32();
// How many of `size` bytes the fold takes: whole 16-byte blocks, at least 128 bytes, else none.
inline std::size_t FoldableBytes(std::size_t size) { return size < 128 ? 0 : size / 16 * 16; }
// Advances the raw CRC register `crc` (not inverted before or after) over `size` bytes, a
// FoldableBytes amount.
std::uint32_t FoldCrc32(const unsigned char* bytes, std::size_t size, std::uint32_t crc);
