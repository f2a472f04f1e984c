// CRC-32 with the IEEE polynomial, as zlib computes it.
#pragma once

#include <cstddef>
#include <cstdint>

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count, std::uint32_t crc = 0);
// Over 32-bit pixels, each as its four bytes in little-endian order (B, G, R, 0 for 0x00RRGGBB).
std::uint32_t Crc32OfPixels(const std::uint32_t* pixels, std::size_t count);
