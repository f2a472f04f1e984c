// CRC-32 with the IEEE polynomial, as zlib computes it, over images.
#pragma once

#include <cstddef>
#include <cstdint>

// Over 32-bit pixels, each as its four bytes in little-endian order (B, G, R, 0 for 0x00RRGGBB).
std::uint32_t Crc32OfPixels(const std::uint32_t* pixels, std::size_t count);
